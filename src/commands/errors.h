// Command ids of the error-handling commands.
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum ErrorsId : int {
  kCmdErrorWoMushi = 300,      // エラーを無視
  kCmdErrorShoriSettei = 301,  // エラー処理設定
  kCmdErrorWoKeikoku = 302,    // エラーを警告
  kCmdErrorKaraFukki = 303,    // エラーから復帰
};

// The registration table of this family.
const TCommandFamily& ErrorsFamily();

}  // namespace tama
