// The XML commands. Each reads its document argument afresh; the setting
// commands give the whole document as written out again.
#include "commands/xml.h"

#include <iterator>
#include <string>

#include "engine/tama.h"
#include "support/xml.h"

namespace tama {

namespace {

// XMLテキストデータ取得, XML属性データ取得, XML切り出し: document and path.
void XmlGet(TTamaBase& t, int id) {
  const std::string path = t.PopArgValue();
  const std::string document = t.PopArgValue();
  std::string out;
  switch (id) {
    case kCmdXmlTextDataShutoku:
      out = support::XmlGetText(document, path);
      break;
    case kCmdXmlZokuseiDataShutoku:
      out = support::XmlGetAttributes(document, path);
      break;
    default:
      out = support::XmlCut(document, path);
      break;
  }
  t.SetResult(std::move(out), kTagString);
}

// XMLテキストデータ設定, XML属性データ設定: document, path and the new data.
void XmlSet(TTamaBase& t, int id) {
  const std::string data = t.PopArgValue();
  const std::string path = t.PopArgValue();
  const std::string document = t.PopArgValue();
  t.SetResult(id == kCmdXmlTextDataSettei ? support::XmlSetText(document, path, data)
                                          : support::XmlSetAttributes(document, path, data),
              kTagString);
}

// XMLパス形式で取得
void XmlPaths(TTamaBase& t, int) { t.SetResult(support::XmlListPaths(t.PopArgValue()), kTagString); }

}  // namespace

static const TCommandDef kDefs[] = {
    {"XMLテキストデータ取得", "?の,?を", kCmdXmlTextDataShutoku, XmlGet},
    {"XMLテキストデータ設定", "?の,?に,?を", kCmdXmlTextDataSettei, XmlSet},
    {"XML属性データ取得", "?の,?を", kCmdXmlZokuseiDataShutoku, XmlGet},
    {"XML属性データ設定", "?の,?に,?を", kCmdXmlZokuseiDataSettei, XmlSet},
    {"XML切り出し", "?から,?の", kCmdXmlKiridashi, XmlGet},
    {"XMLパス形式で取得", "?を", kCmdXmlPathKeishikiDeShutoku, XmlPaths},
};

static const TCommandFamily kFamily = {"xml", kDefs, std::size(kDefs)};

const TCommandFamily& XmlFamily() { return kFamily; }

}  // namespace tama
