// Command ids of the debugging commands.
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum DebugId : int {
  kCmdDebug = 2100,  // DEBUG
  kCmdShow = 2101,   // _P／SHOW
  kCmdLoguru = 2102, // ログる
};

// The registration table of this family.
const TCommandFamily& DebugFamily();

}  // namespace tama
