// Registration table of the commands that import functions from external libraries.
#include "commands/dll.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"DLL宣言", "?の,?を,?で", kCmdDllSengen, nullptr},
    {"文字型DLL宣言", "?の,?を,?で", kCmdMojigataDllSengen, nullptr},
    {"DLLを利用", "?の,?を,?の,?として", kCmdDllWoRiyou, nullptr},
};

static const TCommandFamily kFamily = {"dll", kDefs, std::size(kDefs)};

const TCommandFamily& DllFamily() { return kFamily; }

}  // namespace tama
