// Registration table of the debugging commands.
#include "commands/debug.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"DEBUG", "", kCmdDebug, nullptr},
    {"_P", "?", kCmdShow, nullptr},
    {"SHOW", "?", kCmdShow, nullptr},
    {"ログる", "?を,?で", kCmdLoguru, nullptr},
};

static const TCommandFamily kFamily = {"debug", kDefs, std::size(kDefs)};

const TCommandFamily& DebugFamily() { return kFamily; }

}  // namespace tama
