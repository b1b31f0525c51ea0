// Registration table of the commands of the main window, its events and timers.
#include "commands/mainwindow.h"

#include <iterator>

#include "commands/output_file.h"
#include "engine/flow.h"
#include "engine/tama.h"

namespace tama {

namespace {

// 表示: one line of text on the main window, or appended to the file named by
// 表示出力先.
void Hyouji(TTamaBase& t, int) {
  std::string text = t.PopArgValue();
  const std::string& target = t.QuickWord("表示出力先").Value();
  if (!target.empty()) {
    AppendLineToFile(t, target, text);
    return;
  }
  t.host.Display(text);
}

}  // namespace

static const TCommandDef kDefs[] = {
    {"表示", "?と", kCmdHyouji, Hyouji},
    {"移動", "?へ", kCmdIdou, nullptr},
    {"画面クリア", "?で", kCmdGamenClear, nullptr},
    {"待機", "", kCmdTaiki, flow::Taiki},
    {"待つ", "?秒", kCmdMatsu, nullptr},
    {"母艦印刷", "", kCmdBokanInsatsu, nullptr},
    {"最前面", "?を", kCmdSaizenmen, nullptr},
    {"最背面", "?を", kCmdSaihaimen, nullptr},
    {"中央へ移動", "?を", kCmdChuuouHeIdou, nullptr},
    {"タイマー設定", "?秒後に,?へ飛ぶ", kCmdTimerSettei, nullptr},
    {"フォームの位置記録", "へ", kCmdFormNoIchiKiroku, nullptr},
    {"フォームの位置復元", "から", kCmdFormNoIchiFukugen, nullptr},
    {"母艦最大化", "", kCmdBokanSaidaika, nullptr},
    {"母艦最小化", "", kCmdBokanSaishouka, nullptr},
    {"母艦元のサイズ", "", kCmdBokanMotoNoSize, nullptr},
    {"タイマー解除", "", kCmdTimerKaijo, nullptr},
    {"母艦アイコン", "?を", kCmdBokanIcon, nullptr},
    {"母艦全画面化", "", kCmdBokanZengamenka, nullptr},
    {"カーソル表示", "?", kCmdCursorHyouji, nullptr},
    {"母艦浮上", "", kCmdBokanFujou, nullptr},
    {"母艦スタイル設定", "?に", kCmdBokanStyleSettei, nullptr},
    {"タスクトレイへアイコン表示", "?", kCmdTaskTrayHeIconHyouji, nullptr},
    {"最大化", "?を", kCmdSaidaika, nullptr},
    {"最小化", "?を", kCmdSaishouka, nullptr},
    {"フォーム元のサイズ", "?を", kCmdFormMotoNoSize, nullptr},
};

static const TCommandFamily kFamily = {"mainwindow", kDefs, std::size(kDefs)};

const TCommandFamily& MainWindowFamily() { return kFamily; }

}  // namespace tama
