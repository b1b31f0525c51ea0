// Command ids of the dialog commands.
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum DialogsId : int {
  kCmdTazuneru = 1000,            // 尋ねる
  kCmdIu = 1001,                  // 言う
  kCmdNitaku = 1002,              // 二択
  kCmdYomikomiFileSentaku = 1003, // 読込ファイル選択
  kCmdKakikomiFileSentaku = 1004, // 書込ファイル選択
  kCmdIroSentaku = 1005,          // 色選択
  kCmdSantaku = 1006,             // 三択
  kCmdFolderSentaku = 1007,       // フォルダ選択
  kCmdDoreKaTazuneru = 1008,      // どれか尋ねる
  kCmdMemoKinyuu = 1009,          // メモ記入
  kCmdListKaraSentaku = 1010,     // リストから選択
  kCmdButtonDeSentaku = 1011,     // ボタンで選択
  kCmdFontSentaku = 1012,         // フォント選択
};

// The registration table of this family.
const TCommandFamily& DialogsFamily();

}  // namespace tama
