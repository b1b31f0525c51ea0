// Command ids of the sound and media commands.
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum SoundId : int {
  kCmdEnsou = 1700,           // 演奏
  kCmdEnsouTeishi = 1701,     // 演奏停止
  kCmdEnsouJoutai = 1702,     // 演奏状態
  kCmdKurikaeshiEnsou = 1703, // 繰り返し演奏
  kCmdMciSoushin = 1704,      // MCI送信
  kCmdBeep = 1705,            // BEEP
};

// The registration table of this family.
const TCommandFamily& SoundFamily();

}  // namespace tama
