// Registration table of the date and time commands.
#include "commands/datetime.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"今", "", kCmdIma, nullptr},
    {"今日", "", kCmdKyou, nullptr},
    {"曜日", "?の", kCmdYoubi, nullptr},
    {"時間加算", "?に,?を", kCmdJikanKasan, nullptr},
    {"日付加算", "?に,?を", kCmdHizukeKasan, nullptr},
    {"日数差", "?と,?の", kCmdNissuusa, nullptr},
    {"秒差", "?と,?の", kCmdByousa, nullptr},
    {"曜日を数値で得る", "?の", kCmdYoubiWoSuuchiDeEru, nullptr},
    {"システム時間", "", kCmdSystemJikan, nullptr},
    {"和暦に変換", "?を", kCmdWarekiNiHenkan, nullptr},
};

static const TCommandFamily kFamily = {"datetime", kDefs, std::size(kDefs)};

const TCommandFamily& DateTimeFamily() { return kFamily; }

}  // namespace tama
