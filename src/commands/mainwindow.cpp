// The commands of the main window, its events and timers.
#include "commands/mainwindow.h"

#include <sys/stat.h>

#include <cmath>
#include <iterator>
#include <stdexcept>

#include "commands/output_file.h"
#include "engine/files_state.h"
#include "engine/flow.h"
#include "engine/tama.h"
#include "gui/mainwindow.h"
#include "gui/model.h"
#include "gui/objects.h"
#include "gui/readers.h"
#include "support/number.h"
#include "support/path.h"

namespace tama {

namespace {

using gui::Gui;
using gui::MainWindow;
using gui::TObjNode;

// A number argument as a whole number; NaN and the infinities give nothing.
bool WholeArg(TTamaBase& t, int64_t& out) {
  long double n = std::trunc(t.PopArgNumber());
  if (!std::isfinite(n) || n < -9.2e18L || n > 9.2e18L) return false;
  out = static_cast<int64_t>(n);
  return true;
}

bool NonZeroArg(TTamaBase& t) {
  long double n = std::trunc(t.PopArgNumber());
  return n != 0;
}

std::string Unquoted(std::string name) {
  if (name.size() >= 2 && name.front() == '`' && name.back() == '`') name = name.substr(1, name.size() - 2);
  return name;
}

// The object an object word names (the errors of a word that is none).
TObjNode& ObjectWordArg(TTamaBase& t) {
  THashNode& word = t.PopWordArg(false);
  if (word.Kind != wkObject) t.Raise("\"" + word.Name + "\"は、オブジェクトではありません。");
  TObjNode* node = word.Id == 0 ? &MainWindow(t) : Gui(t).Find(word.Id);
  if (!node) t.Raise("オブジェクト\"" + word.Name + "\"は、作成されていません。");
  return *node;
}

// An object word that must be a フォーム (the error raised without the
// position prefix).
TObjNode& FormArg(TTamaBase& t) {
  TObjNode& node = ObjectWordArg(t);
  if (node.kind != gui::kForm)
    throw std::runtime_error("オブジェクト\"" + node.name + "\"は、\"" + gui::KindWord(gui::kForm) + "\"ではありません。");
  return node;
}

// The object of a name in the object list (the name as written, else its value).
TObjNode& NamedObjectArg(TTamaBase& t) {
  const std::string raw = t.PopArgText();
  MainWindow(t);
  if (TObjNode* node = Gui(t).FindByName(Unquoted(raw))) return *node;
  const std::string value = t.EvaluateText(raw);
  if (TObjNode* node = Gui(t).FindByName(value)) return *node;
  t.Raise("オブジェクト\"" + value + "\"は、作成されていません。");
}

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
  gui::DisplayText(t, text);
}

void Idou(TTamaBase& t, int) {
  gui::TPoint p;
  if (!gui::ReadPoint(t, t.PopArgText(), p)) t.Raise("座標の指定エラー");
  t.textX = p.x;
  t.textY = p.y;
}

void GamenClear(TTamaBase& t, int) {
  const bool omitted = t.omitted;
  const std::string value = t.PopArgValue();
  const int64_t current = gui::MainBackground(t);
  gui::ClearScreen(t, omitted ? current : gui::ReadColour(value, current));
}

void Matsu(TTamaBase& t, int) { gui::WaitSeconds(t, t.PopArgNumber()); }

void TimerSettei(TTamaBase& t, int) {
  const std::string label = t.PopArgText();
  const long double seconds = t.PopArgNumber();
  gui::SetProgramTimer(t, seconds, label);
}

void TimerKaijo(TTamaBase& t, int) { gui::CancelProgramTimer(t); }

void BokanInsatsu(TTamaBase& t, int) {
  // the printer-setup dialog: no one can answer it without a window
  t.host.Unanswered(gui::UnansweredLine(t, "母艦印刷", "印刷を取り消しました"));
}

void Order(TTamaBase& t, int id) { gui::BringToFront(t, NamedObjectArg(t), id == kCmdSaizenmen); }

void ChuuouHeIdou(TTamaBase& t, int) { gui::CentreObject(t, NamedObjectArg(t)); }

void FormPosition(TTamaBase& t, int id) {
  const std::string name = t.PopArgValue();
  if (id == kCmdFormNoIchiKiroku)
    gui::SaveFormPosition(t, name);
  else
    gui::RestoreFormPosition(t, name);
}

void MainState(TTamaBase& t, int id) {
  switch (id) {
    case kCmdBokanSaidaika: gui::SetMainState(t, 2); break;
    case kCmdBokanSaishouka: gui::SetMainState(t, 1); break;
    case kCmdBokanZengamenka: gui::FullScreen(t); break;
    default: gui::SetMainState(t, 0); break;
  }
}

// 母艦アイコン: a packed file, a file, or the picture of an イメージ object.
void BokanIcon(TTamaBase& t, int) {
  // an object word stands for its name, anything else for its value
  const std::string raw = t.PopArgText();
  const THashNode* word = t.words.Find(Unquoted(raw), false);
  const std::string name = word && word->Kind == wkObject ? Unquoted(raw) : t.EvaluateText(raw);
  gui::TGuiState& g = Gui(t);
  std::string file = ExtractPackedFile(t, name);
  if (file.empty()) file = ResolveFileName(t, name);
  struct stat st;
  if (!name.empty() && stat(support::NativePath(file).c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    g.icon = file;
    g.iconObject = -1;
  } else if (TObjNode* image = g.FindByName(name); image && image->kind == gui::kImage && image->hasPicture) {
    g.icon.clear();
    g.iconObject = image->number;
  } else {
    gui::RaiseFileFailure(name);
  }
  gui::Changed(t, MainWindow(t));
}

void CursorHyouji(TTamaBase& t, int) {
  Gui(t).cursorShown = NonZeroArg(t);
  gui::Changed(t, MainWindow(t));
}

void BokanFujou(TTamaBase& t, int) { gui::ShowMain(t); }

void BokanStyleSettei(TTamaBase& t, int) {
  int64_t style = 0;
  if (!WholeArg(t, style) || !gui::SetMainStyle(t, style)) throw std::runtime_error(kMsgRangeCheck);
}

void TaskTray(TTamaBase& t, int) {
  Gui(t).trayIcon = NonZeroArg(t);
  gui::Changed(t, MainWindow(t));
}

void FormState(TTamaBase& t, int id) {
  TObjNode& form = FormArg(t);
  form.windowState = id == kCmdSaidaika ? 2 : id == kCmdSaishouka ? 1 : 0;
  gui::Changed(t, form);
}

}  // namespace

static const TCommandDef kDefs[] = {
    {"表示", "?と", kCmdHyouji, Hyouji},
    {"移動", "?へ", kCmdIdou, Idou},
    {"画面クリア", "?で", kCmdGamenClear, GamenClear},
    {"待機", "", kCmdTaiki, flow::Taiki},
    {"待つ", "?秒", kCmdMatsu, Matsu},
    {"母艦印刷", "", kCmdBokanInsatsu, BokanInsatsu},
    {"最前面", "?を", kCmdSaizenmen, Order},
    {"最背面", "?を", kCmdSaihaimen, Order},
    {"中央へ移動", "?を", kCmdChuuouHeIdou, ChuuouHeIdou},
    {"タイマー設定", "?秒後に,?へ飛ぶ", kCmdTimerSettei, TimerSettei},
    {"フォームの位置記録", "へ", kCmdFormNoIchiKiroku, FormPosition},
    {"フォームの位置復元", "から", kCmdFormNoIchiFukugen, FormPosition},
    {"母艦最大化", "", kCmdBokanSaidaika, MainState},
    {"母艦最小化", "", kCmdBokanSaishouka, MainState},
    {"母艦元のサイズ", "", kCmdBokanMotoNoSize, MainState},
    {"タイマー解除", "", kCmdTimerKaijo, TimerKaijo},
    {"母艦アイコン", "?を", kCmdBokanIcon, BokanIcon},
    {"母艦全画面化", "", kCmdBokanZengamenka, MainState},
    {"カーソル表示", "?", kCmdCursorHyouji, CursorHyouji},
    {"母艦浮上", "", kCmdBokanFujou, BokanFujou},
    {"母艦スタイル設定", "?に", kCmdBokanStyleSettei, BokanStyleSettei},
    {"タスクトレイへアイコン表示", "?", kCmdTaskTrayHeIconHyouji, TaskTray},
    {"最大化", "?を", kCmdSaidaika, FormState},
    {"最小化", "?を", kCmdSaishouka, FormState},
    {"フォーム元のサイズ", "?を", kCmdFormMotoNoSize, FormState},
};

static const TCommandFamily kFamily = {"mainwindow", kDefs, std::size(kDefs)};

const TCommandFamily& MainWindowFamily() { return kFamily; }

}  // namespace tama
