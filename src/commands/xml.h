// Command ids of the XML commands.
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum XmlId : int {
  kCmdXmlTextDataShutoku = 2200,       // XMLテキストデータ取得
  kCmdXmlTextDataSettei = 2201,        // XMLテキストデータ設定
  kCmdXmlZokuseiDataShutoku = 2202,    // XML属性データ取得
  kCmdXmlZokuseiDataSettei = 2203,     // XML属性データ設定
  kCmdXmlKiridashi = 2204,             // XML切り出し
  kCmdXmlPathKeishikiDeShutoku = 2205, // XMLパス形式で取得
};

// The registration table of this family.
const TCommandFamily& XmlFamily();

}  // namespace tama
