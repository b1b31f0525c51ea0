// The debug dialog without a window: the report and the choice.
#include "gui/debug.h"

#include <unistd.h>

#include <cstdio>

#include "gui/model.h"
#include "gui/script.h"
#include "sjis/convert.h"

namespace tama::gui {

namespace {

// An integer as the level field reads it: -1 for a text that is not one.
int32_t LevelOf(const std::string& text) {
  if (text.empty()) return -1;
  size_t i = 0;
  bool neg = false;
  if (text[0] == '-' || text[0] == '+') {
    neg = text[0] == '-';
    i = 1;
  }
  if (i >= text.size()) return -1;
  int64_t n = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    n = n * 10 + (text[i] - '0');
    if (n > 0x7fffffff) return -1;
  }
  return static_cast<int32_t>(neg ? -n : n);
}

std::string ToUtf8Lines(std::string_view sjisText) {
  std::string u = sjis::SjisToUtf8(sjisText);
  std::string out;
  for (size_t i = 0; i < u.size(); ++i) {
    if (u[i] == '\r') {
      out += '\n';
      if (i + 1 < u.size() && u[i + 1] == '\n') ++i;
    } else {
      out += u[i];
    }
  }
  return out;
}

std::string Indented(const std::string& utf8, const char* indent) {
  std::string out;
  for (char c : utf8) {
    out += c;
    if (c == '\n') out += indent;
  }
  return out;
}

bool ChoiceOfWord(std::string_view w, TDebugChoice& c) {
  if (w == "continue") c = TDebugChoice::kContinue;
  else if (w == "step") c = TDebugChoice::kStep;
  else if (w == "stop") c = TDebugChoice::kStop;
  else return false;
  return true;
}

}  // namespace

bool ScriptedDebugChoice(TTamaBase& t, TDebugChoice& choice) {
  TScript* script = ScriptOf(t);
  if (!script || script->failed) return false;
  const TStep* step = script->TakeDialogStep(t);
  if (!step) return false;
  choice = TDebugChoice::kClose;
  if (step->verb == "cancel") return true;
  if ((step->verb == "answer" || step->verb == "debug") && step->args.size() == 1 &&
      ChoiceOfWord(step->args[0], choice))
    return true;
  script->Fail(t, *step, "the debug dialog takes continue, step or stop");
  return true;
}

namespace {

TDebugChoice TerminalChoice() {
  if (!isatty(STDIN_FILENO)) return TDebugChoice::kClose;
  std::fprintf(stderr, "%s", ToUtf8Lines("[c 連続実行 / s 一行毎に実行 / q 実行中断] > ").c_str());
  std::fflush(stderr);
  std::string line;
  int c;
  while ((c = std::fgetc(stdin)) != EOF && c != '\n') line += static_cast<char>(c);
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  if (line == "c") return TDebugChoice::kContinue;
  if (line == "s") return TDebugChoice::kStep;
  if (line == "q") return TDebugChoice::kStop;
  return TDebugChoice::kClose;
}

bool HookEntry(TTamaBase& t) { return ShowDebugDialog(t); }

}  // namespace

std::string FrameKindName(int kind) {
  switch (kind) {
    case 0: return "もし、ならば";
    case 1: return "もし、違えば";
    case 2: return "繰り返す";
    case 3: return "回";
    case 4: return "呼ぶ";
    case 5: return "イベント";
    case 6: return "反復";
    case 7: return "不明";
    case 8: return "条件分岐";
    default: return "その他";
  }
}

std::vector<TDebugVariable> ListVariables(TTamaBase& t, const TDebugFilter& filter) {
  std::vector<TDebugVariable> out;
  const bool levelOn = !filter.level.empty();
  const int32_t level = levelOn ? LevelOf(filter.level) : 0;
  t.words.ForEach([&](const THashNode& n) {
    if (n.Kind != wkVariable && n.Kind != wkObject && n.Kind != wkHash) return;
    if (levelOn && n.Name != "それ" && n.Id < level) return;
    if (!filter.showObjects && n.Kind == wkObject) return;
    TDebugVariable v;
    v.name = n.Name;
    v.value = n.Kind == wkHash && n.Dict ? n.Dict->DumpText() : n.Value();
    v.tag = n.Tag;
    v.level = n.Id;
    out.push_back(std::move(v));
  });
  return out;
}

TDebugReport MakeReport(TTamaBase& t, const TDebugFilter& filter) {
  TDebugReport r;
  r.row = t.currentRow - 1;
  for (int32_t i = 0; i < t.frames.FrameCount(); ++i)
    r.frames.push_back(std::to_string(i + 1) + ":" + FrameKindName(t.frames.At(static_cast<size_t>(i)).kind));
  r.variables = ListVariables(t, filter);
  r.source = "0:" + t.sourceText;
  // the memo line with index `row`: every line after the first begins with its
  // row prefix, so the line is found by counting line breaks
  size_t at = 0;
  for (int i = 0; i < r.row && at != std::string::npos; ++i) {
    at = t.sourceText.find('\n', at);
    if (at != std::string::npos) ++at;
  }
  if (r.row >= 0 && at != std::string::npos) {
    size_t end = t.sourceText.find_first_of("\r\n", at);
    r.line = t.sourceText.substr(at, end == std::string::npos ? std::string::npos : end - at);
  }
  return r;
}

std::string ReportText(const TDebugReport& r) {
  std::string out = ToUtf8Lines("デバッグダイアログ\r\n現在の実行行:" + std::to_string(r.row) + "\r\n");
  if (!r.line.empty()) out += "  " + std::to_string(r.row) + ":" + ToUtf8Lines(r.line) + "\n";
  out += ToUtf8Lines("実行制御：");
  for (size_t i = 0; i < r.frames.size(); ++i) out += (i ? " " : "") + ToUtf8Lines(r.frames[i]);
  out += "\n" + ToUtf8Lines("変数") + "\n";
  for (const TDebugVariable& v : r.variables) {
    out += "  " + ToUtf8Lines(v.name) + "=" + Indented(ToUtf8Lines(v.value), "    ");
    out += " (" + ToUtf8Lines(v.tag) + ", " + std::to_string(v.level) + ")\n";
  }
  return out;
}

TDebugState& Debug(TTamaBase& t) {
  TGuiState& g = Gui(t);
  if (!g.debug) g.debug = std::make_shared<TDebugState>();
  return *g.debug;
}

bool ShowDebugDialog(TTamaBase& t) {
  TDebugState& d = Debug(t);
  if (d.open) return false;
  d.open = true;
  struct TClose {
    TDebugState& d;
    ~TClose() { d.open = false; }
  } closing{d};
  TDebugReport report;
  try {
    report = MakeReport(t, d.filter);
  } catch (const std::exception&) {
    // the dialog shows what was filled
  }
  // the report reaches standard error with the window too, so that a run
  // with scripted events writes the same in both modes
  std::fflush(stdout);
  std::fputs(ReportText(report).c_str(), stderr);
  std::fflush(stderr);
  TDebugChoice choice = TDebugChoice::kClose;
  const bool scripted = ScriptedDebugChoice(t, choice);
  if (d.windowView) {
    TDebugChoice shown = choice;
    if (d.windowView(t, report, scripted ? &choice : nullptr, shown)) choice = shown;
    else if (!scripted) choice = TerminalChoice();
  } else if (!scripted) {
    choice = TerminalChoice();
  }
  switch (choice) {
    case TDebugChoice::kContinue: t.lineStop = false; break;
    case TDebugChoice::kStep: t.lineStop = true; break;
    case TDebugChoice::kStop: return true;
    case TDebugChoice::kClose: break;
  }
  return false;
}

void InstallDebugHook(TTamaBase& t) { t.debugDialog = HookEntry; }

}  // namespace tama::gui
