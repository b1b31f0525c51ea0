// Registration table of the commands that create, destroy and reach GUI objects.
#include "commands/gui_objects.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"作成", "?に,?を,?として", kCmdSakusei, nullptr},
    {"設定", "?の,?を,?に", kCmdSettei, nullptr},
    {"得る", "?の,?を,?に", kCmdEru, nullptr},
    {"オブジェクト破壊", "?の", kCmdObjectHakai, nullptr},
    {"注目", "?に", kCmdChuumoku, nullptr},
    {"オブジェクト全破壊", "", kCmdObjectZenHakai, nullptr},
    {"センタリング", "", kCmdCentering, nullptr},
    {"センタリング解除", "", kCmdCenteringKaijo, nullptr},
    {"その単語に特定", "?を", kCmdSonoTangoNiTokutei, nullptr},
    {"乗せ換える", "?を,?の上へ", kCmdNosekaeru, nullptr},
    {"乗せる", "?を,?へ", kCmdNosekaeru, nullptr},
    {"作る", "?を", kCmdTsukuru, nullptr},
};

static const TCommandFamily kFamily = {"gui_objects", kDefs, std::size(kDefs)};

const TCommandFamily& GuiObjectsFamily() { return kFamily; }

}  // namespace tama
