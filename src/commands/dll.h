// Command ids of the commands that import functions from external libraries.
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum DllId : int {
  kCmdDllSengen = 1200,         // DLL宣言
  kCmdMojigataDllSengen = 1201, // 文字型DLL宣言
  kCmdDllWoRiyou = 1202,        // DLLを利用
};

// The registration table of this family.
const TCommandFamily& DllFamily();

}  // namespace tama
