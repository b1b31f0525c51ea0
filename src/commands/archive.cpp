// Registration table of the archive commands.
#include "commands/archive.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"圧縮", "?を,?へ", kCmdAsshuku, nullptr},
    {"解凍", "?を,?へ", kCmdKaitou, nullptr},
    {"自己解凍書庫作成", "?を,?へ", kCmdJikoKaitouShokoSakusei, nullptr},
};

static const TCommandFamily kFamily = {"archive", kDefs, std::size(kDefs)};

const TCommandFamily& ArchiveFamily() { return kFamily; }

}  // namespace tama
