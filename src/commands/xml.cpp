// Registration table of the XML commands.
#include "commands/xml.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"XMLテキストデータ取得", "?の,?を", kCmdXmlTextDataShutoku, nullptr},
    {"XMLテキストデータ設定", "?の,?に,?を", kCmdXmlTextDataSettei, nullptr},
    {"XML属性データ取得", "?の,?を", kCmdXmlZokuseiDataShutoku, nullptr},
    {"XML属性データ設定", "?の,?に,?を", kCmdXmlZokuseiDataSettei, nullptr},
    {"XML切り出し", "?から,?の", kCmdXmlKiridashi, nullptr},
    {"XMLパス形式で取得", "?を", kCmdXmlPathKeishikiDeShutoku, nullptr},
};

static const TCommandFamily kFamily = {"xml", kDefs, std::size(kDefs)};

const TCommandFamily& XmlFamily() { return kFamily; }

}  // namespace tama
