// Registration table of the error-handling commands.
#include "commands/errors.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"エラーを無視", "", kCmdErrorWoMushi, nullptr},
    {"エラー処理設定", "?に", kCmdErrorShoriSettei, nullptr},
    {"エラーを警告", "", kCmdErrorWoKeikoku, nullptr},
    {"エラーから復帰", "", kCmdErrorKaraFukki, nullptr},
};

static const TCommandFamily kFamily = {"errors", kDefs, std::size(kDefs)};

const TCommandFamily& ErrorsFamily() { return kFamily; }

}  // namespace tama
