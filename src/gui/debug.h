// The debug dialog: where the run is (the current row, the run-control
// frames), what the variables hold, and the user's choice of how the run goes
// on. A window view shows the dialog; without one the dialog is a report on
// standard error and the choice comes from the scripted events (`debug
// continue|step|stop`, `answer continue|step|stop`, `cancel` as the close
// box), else from a terminal (c, s, q; anything else is the close box), else
// the close box.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/tama.h"

namespace tama::gui {

// The filters of the variable list; they last between openings.
struct TDebugFilter {
  std::string level = "0";   // empty: no level filter
  bool showObjects = false;  // GUIオブジェクトも表示
  bool showSystem = false;   // システム変数を表示 (the window's check box)
  std::string find;          // the window's search text
};

struct TDebugVariable {
  std::string name, value, tag;
  int32_t level = 0;
};

// What the dialog shows.
struct TDebugReport {
  int row = 0;                      // current row - 1: the line whose sentence has just run
  std::vector<std::string> frames;  // "1:呼ぶ" ... from the outermost frame
  std::vector<TDebugVariable> variables;
  std::string source;               // "0:" + the source text
  std::string line;                 // the source line of `row` (counted from 0)
};

enum class TDebugChoice { kClose, kContinue, kStep, kStop };

// The name a run-control frame kind shows with.
std::string FrameKindName(int kind);
// The variables of the word table that pass the filter, in enumeration order.
std::vector<TDebugVariable> ListVariables(TTamaBase& t, const TDebugFilter& filter);
TDebugReport MakeReport(TTamaBase& t, const TDebugFilter& filter);
// The report as the headless dialog writes it (UTF-8, "\n" line ends).
std::string ReportText(const TDebugReport& report);

// ログる keeps one entry a name: how many values are collected and their text.
struct TLogEntry {
  std::string name;
  int count = 0;
  std::string text;
};

struct TDebugState {
  TDebugFilter filter;
  std::vector<TLogEntry> log;
  // A window view shows the dialog itself (null: the headless report only).
  // `scripted`: the script's choice, which the window takes at once (null:
  // the user chooses). False when the window does not show the dialog (a run
  // with scripted events whose script does not answer it).
  std::function<bool(TTamaBase&, const TDebugReport&, const TDebugChoice* scripted, TDebugChoice& choice)> windowView;
  bool open = false;  // the dialog is showing (a second opening is refused)
};
TDebugState& Debug(TTamaBase& t);

// Shows the dialog and applies the choice to the line-stop flag. True when it
// was left with 実行中断 (the stop request the caller acts on).
bool ShowDebugDialog(TTamaBase& t);
// The scripted choice of `debug continue|step|stop` (`answer ...`, `cancel`);
// false when the script's next step answers no dialog.
bool ScriptedDebugChoice(TTamaBase& t, TDebugChoice& choice);
// Sets the engine's hook (line stops, the error dialog's debug button).
void InstallDebugHook(TTamaBase& t);

}  // namespace tama::gui
