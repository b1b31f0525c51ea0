// Command ids of the date and time commands.
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum DateTimeId : int {
  kCmdIma = 900,                 // 今
  kCmdKyou = 901,                // 今日
  kCmdYoubi = 902,               // 曜日
  kCmdJikanKasan = 903,          // 時間加算
  kCmdHizukeKasan = 904,         // 日付加算
  kCmdNissuusa = 905,            // 日数差
  kCmdByousa = 906,              // 秒差
  kCmdYoubiWoSuuchiDeEru = 907,  // 曜日を数値で得る
  kCmdSystemJikan = 908,         // システム時間
  kCmdWarekiNiHenkan = 909,      // 和暦に変換
};

// The registration table of this family.
const TCommandFamily& DateTimeFamily();

}  // namespace tama
