// Registration table of the menu commands and the commands of particular widgets.
#include "commands/widgets.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"メニュー作成", "?を", kCmdMenuSakusei, nullptr},
    {"メニュー追加", "?に,?を", kCmdMenuTsuika, nullptr},
    {"Tエディタ設定", "?の", kCmdTEditorSettei, nullptr},
    {"Tエディタ設定を保存", "?を,?へ", kCmdTEditorSetteiWoHozon, nullptr},
    {"Tエディタ設定を読込", "?を,?から", kCmdTEditorSetteiWoYomikomi, nullptr},
    {"コピー", "?を", kCmdCopy, nullptr},
    {"タブ追加", "?に,?の", kCmdTabTsuika, nullptr},
    {"ブラウザ進む", "?の", kCmdBrowserSusumu, nullptr},
    {"ブラウザ戻る", "?の", kCmdBrowserModoru, nullptr},
    {"タブ有効変更", "?を,?に", kCmdTabYuukouHenkou, nullptr},
    {"オブジェクト丸く", "?で,?の", kCmdObjectMaruku, nullptr},
    {"ツリーアイテム追加", "?に,?の", kCmdTreeItemTsuika, nullptr},
    {"ツリーアイテム削除", "?の,?を", kCmdTreeItemSakujo, nullptr},
    {"ツリー展開", "?の,?を", kCmdTreeTenkai, nullptr},
    {"ツリー折りたたむ", "?の,?を", kCmdTreeOritatamu, nullptr},
    {"メニューパス作成", "?を", kCmdMenuPathSakusei, nullptr},
    {"タブ位置変更", "?で,?に", kCmdTabIchiHenkou, nullptr},
    {"グリッド一行選択変更", "?で,?に", kCmdGridIchigyouSentakuHenkou, nullptr},
    {"リッチエディタ選択属性変更", "?の", kCmdRichEditorSentakuZokuseiHenkou, nullptr},
    {"リッチエディタ保存", "?を,?へ", kCmdRichEditorHozon, nullptr},
};

static const TCommandFamily kFamily = {"widgets", kDefs, std::size(kDefs)};

const TCommandFamily& WidgetsFamily() { return kFamily; }

}  // namespace tama
