// The dialog requests, their answer forms and the headless view.
#include "gui/dialogs.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>

#include "gui/mainwindow.h"
#include "gui/script.h"
#include "sjis/convert.h"
#include "sjis/sjis.h"
#include "support/lines.h"
#include "support/number.h"
#include "support/path.h"

namespace tama::gui {

namespace {

std::string ToSjis(std::string_view utf8) {
  std::string out;
  return sjis::Utf8ToSjis(utf8, out) ? out : sjis::Utf8ToSjisLossy(utf8);
}

// A line break of a scripted text ("\n") as the program's texts hold it.
std::string WithCrLf(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '\n')
      out += "\r\n";
    else
      out += c;
  }
  return out;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string Quoted(std::string_view sjisText) { return "\"" + sjis::SjisToUtf8(sjisText) + "\""; }

// The digits of a choice number (from 0): false when the text is not one.
bool ReadIndex(std::string_view s, int& out) {
  if (s.empty() || s.size() > 9) return false;
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  out = v;
  return true;
}

// Yes, no or cancel in any of the written forms: 1, 0, 2; -1 for none.
int YesNoCancel(std::string_view sjisWord) {
  const std::string w = Lower(sjisWord);
  if (w == "y" || w == "yes" || w == "はい") return 1;
  if (w == "n" || w == "no" || w == "いいえ") return 0;
  if (w == "c" || w == "cancel" || w == "キャンセル") return 2;
  return -1;
}

bool IsListKind(TDialogKind k) { return k == TDialogKind::kChoice || k == TDialogKind::kList; }
bool IsPathKind(TDialogKind k) {
  return k == TDialogKind::kOpenFile || k == TDialogKind::kSaveFile || k == TDialogKind::kFolder;
}

// A colour written as "#RRGGBB" or as a number (decimal or "$" hexadecimal).
bool ReadColourAnswer(std::string_view s, int64_t& out) {
  if (!s.empty() && s.front() == '#') {
    if (s.size() != 7) return false;
    for (size_t i = 1; i < 7; ++i)
      if (!std::isxdigit(static_cast<unsigned char>(s[i]))) return false;
    out = ReadColour(s, 0);
    return true;
  }
  constexpr int32_t kNone = INT32_MIN;
  const int32_t v = ReadInteger(s, kNone);
  if (v == kNone || v < 0 || v > 0xFFFFFF) return false;
  out = v;
  return true;
}

// The answer a text gives a dialog, wherever it comes from (an `answer`
// step's one argument, a line of standard input).
bool AnswerFromText(const TDialogRequest& r, const std::string& text, bool fromLine, TDialogAnswer& a,
                    std::string& reason) {
  const std::string name = Quoted(r.command);
  switch (r.kind) {
    case TDialogKind::kMessage:
      a.ok = true;
      return true;
    case TDialogKind::kYesNo:
    case TDialogKind::kYesNoCancel: {
      const int v = YesNoCancel(text);
      const bool three = r.kind == TDialogKind::kYesNoCancel;
      if (v < 0 || (v == 2 && !three)) {
        reason = Quoted(text) + " does not answer the dialog " + name + (three ? " (yes, no, cancel)" : " (yes, no)");
        return false;
      }
      a.ok = true;
      a.button = v;
      return true;
    }
    case TDialogKind::kInput:
    case TDialogKind::kMemo:
      a.ok = true;
      a.text = text;
      return true;
    case TDialogKind::kChoice:
    case TDialogKind::kList:
    case TDialogKind::kButtons: {
      // an item (a caption) as written first, then "#N"
      for (size_t i = 0; i < r.items.size(); ++i)
        if (r.items[i] == text) {
          a.ok = true;
          a.button = static_cast<int>(i);
          a.text = text;
          return true;
        }
      int n = 0;
      if (fromLine && text.size() > 1 && text[0] == '#' && ReadIndex(std::string_view(text).substr(1), n)) {
        if (n >= static_cast<int>(r.items.size())) {
          reason = "no choice " + text + " in the dialog " + name + " (" + std::to_string(r.items.size()) + " choices)";
          return false;
        }
        a.ok = true;
        a.button = n;
        a.text = r.items[n];
        return true;
      }
      if (r.kind == TDialogKind::kChoice) {  // the result field takes any text
        a.ok = true;
        a.text = text;
        return true;
      }
      if (r.kind == TDialogKind::kList && fromLine && text.empty()) {  // OK with the field as it is
        a.ok = true;
        a.text = r.text;
        return true;
      }
      reason = Quoted(text) + " is not a choice of the dialog " + name;
      return false;
    }
    case TDialogKind::kOpenFile:
    case TDialogKind::kSaveFile:
    case TDialogKind::kFolder: {
      std::string path = text.empty() ? (r.kind == TDialogKind::kFolder ? r.folder : r.text) : text;
      if (path.empty()) {
        reason = "the dialog " + name + " needs a path";
        return false;
      }
      a.ok = true;
      a.paths.push_back(path);
      return true;
    }
    case TDialogKind::kColour:
      if (text.empty()) {
        a.ok = true;
        a.colour = r.colour;
        return true;
      }
      if (!ReadColourAnswer(text, a.colour)) {
        reason = Quoted(text) + " is not a colour (#RRGGBB or a number)";
        return false;
      }
      a.ok = true;
      return true;
    case TDialogKind::kFont:
      a.ok = true;
      a.font = text.empty() ? r.chosenFont : ParseFontSpec(text);
      return true;
  }
  return false;
}

// The paths of an answer as the dialog gives them back.
void CompletePaths(const TDialogRequest& r, TDialogAnswer& a) {
  for (std::string& p : a.paths) {
    p = FullName(p);
    if (r.kind == TDialogKind::kFolder && !support::EndsWithSeparator(p)) p += '/';
    if (r.kind == TDialogKind::kSaveFile && !r.defaultExt.empty() &&
        r.defaultExt.find_first_of("*?;") == std::string::npos && support::ExtensionPart(p).empty())
      p += "." + r.defaultExt;
  }
  if (!a.paths.empty()) a.text = a.paths.front();
}

}  // namespace

// ---- the answer forms ----

TDialogAnswer ClosedAnswer(const TDialogRequest& r) {
  TDialogAnswer a;
  switch (r.kind) {
    case TDialogKind::kYesNo: a.button = 0; break;
    case TDialogKind::kYesNoCancel: a.button = 2; break;
    case TDialogKind::kMessage:
    case TDialogKind::kMemo:  // the close box counts as OK
      a.ok = true;
      a.text = r.text;
      break;
    default: break;
  }
  return a;
}

std::string ClosedOutcome(const TDialogRequest& r) {
  switch (r.kind) {
    case TDialogKind::kYesNo: return "「いいえ」としました";
    case TDialogKind::kYesNoCancel: return "「キャンセル」としました";
    case TDialogKind::kMessage:
    case TDialogKind::kMemo: return "そのまま閉じました";
    default: return "キャンセルしました";
  }
}

bool AnswerFromStep(const TDialogRequest& r, const TStep& step, TDialogAnswer& a, std::string& reason) {
  a = TDialogAnswer();
  const std::string name = Quoted(r.command);
  if (step.verb == "cancel") {
    // Cancel, Esc or the close box: as closing, except that Cancel empties a memo
    if (r.kind != TDialogKind::kMemo) a = ClosedAnswer(r);
    return true;
  }
  if (step.verb == "choose") {
    int n = 0;
    if (!(r.kind == TDialogKind::kChoice || r.kind == TDialogKind::kList || r.kind == TDialogKind::kButtons)) {
      reason = "\"choose\" cannot answer the dialog " + name;
      return false;
    }
    if (step.args.size() != 1 || !ReadIndex(step.args[0], n) || n >= static_cast<int>(r.items.size())) {
      reason = "no choice " + (step.args.empty() ? std::string() : step.args[0]) + " in the dialog " + name + " (" +
               std::to_string(r.items.size()) + " choices)";
      return false;
    }
    a.ok = true;
    a.button = n;
    a.text = r.items[n];
    return true;
  }
  if (step.verb != "answer") {
    reason = "\"" + step.verb + "\" cannot answer the dialog " + name;
    return false;
  }
  if (r.kind == TDialogKind::kOpenFile && step.args.size() > 1) {
    for (const std::string& p : step.args) a.paths.push_back(ToSjis(p));
    a.ok = true;
    CompletePaths(r, a);
    return true;
  }
  if (step.args.size() > 1) {
    reason = "the dialog " + name + " takes one answer (quote a text with blanks)";
    return false;
  }
  if (step.args.empty()) {
    // OK with what the dialog shows as it is
    switch (r.kind) {
      case TDialogKind::kYesNo:
      case TDialogKind::kYesNoCancel:
      case TDialogKind::kButtons:
        reason = "the dialog " + name + " needs an answer";
        return false;
      case TDialogKind::kInput:
      case TDialogKind::kChoice:
      case TDialogKind::kList:
      case TDialogKind::kMemo:
      case TDialogKind::kMessage:
        a.ok = true;
        a.text = r.text;
        return true;
      default: break;
    }
  }
  const std::string text = step.args.empty() ? std::string() : WithCrLf(ToSjis(step.args[0]));
  if (!AnswerFromText(r, text, false, a, reason)) return false;
  if (IsPathKind(r.kind)) CompletePaths(r, a);
  return true;
}

bool AnswerFromLine(const TDialogRequest& r, std::string_view line, TDialogAnswer& a, std::string& reason) {
  a = TDialogAnswer();
  if (!AnswerFromText(r, std::string(line), true, a, reason)) return false;
  if (IsPathKind(r.kind)) CompletePaths(r, a);
  return true;
}

std::string FullName(std::string_view sjisName) {
  return support::FromNativePath(support::AbsolutePath(support::ToNativePath(sjisName)));
}

std::string FontSpecText(const TFontSpec& f) {
  std::string out = f.name;
  const bool styled = f.bold || f.italic || f.underline;
  if (styled) {
    out += "|";
    if (f.bold) out += "太字";
    if (f.italic) out += "傾斜";
    if (f.underline) out += "下線";
  }
  if (f.size > 0) {
    out += styled ? "|" : "||";
    out += std::to_string(f.size);
  }
  return out;
}

std::string FilterOfType(std::string_view type) {
  if (type.find('|') != std::string_view::npos) return std::string(type);
  if (!type.empty() && type.front() == '.') type.remove_prefix(1);
  const std::string t(type);
  return t + " 形式(*." + t + ")|*." + t + "|全て(*.*)|*.*";
}

std::string DefaultExtension(std::string_view filter) {
  const size_t first = filter.find('|');
  if (first == std::string_view::npos) return {};
  std::string_view field = filter.substr(first + 1);
  field = field.substr(0, field.find('|'));
  if (!field.empty() && field.front() == '*') field.remove_prefix(1);
  if (!field.empty() && field.front() == '.') field.remove_prefix(1);
  return std::string(field);
}

namespace {

// Lines as a list control takes a text: CR LF, CR or LF ends a line; a final
// line break adds no empty line.
std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = at;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') end += sjis::CharLen(text, end);
    out.emplace_back(text.substr(at, end - at));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    at = end + 1;
  }
  return out;
}

}  // namespace

std::vector<std::string> ListItems(std::string_view choices) {
  std::string s;
  for (size_t i = 0; i < choices.size();) {
    const size_t n = sjis::CharLen(choices, i);
    if (choices.compare(i, n, "｜") == 0 || (n == 1 && choices[i] == '|'))
      s += "\r\n";
    else
      s.append(choices.substr(i, n));
    i += n;
  }
  return Lines(s);
}

std::vector<std::string> ButtonChoices(std::string_view choices) { return Lines(support::TrimControl(choices)); }

// ---- the script ----

TScriptAnswer TakeScriptAnswer(TTamaBase& t, const TDialogRequest& r, TDialogAnswer& a) {
  TScript* script = ScriptOf(t);
  if (!script || script->failed) return TScriptAnswer::kNone;
  const TStep* step = script->TakeDialogStep(t);
  if (!step) return script->failed ? TScriptAnswer::kFailed : TScriptAnswer::kNone;
  std::string reason;
  if (AnswerFromStep(r, *step, a, reason)) return TScriptAnswer::kTaken;
  script->Fail(t, *step, reason);
  a = ClosedAnswer(r);
  return TScriptAnswer::kFailed;
}

bool ScriptedSecurityAnswer(TTamaBase& t, THost::TSecurityAnswer& answer) {
  TScript* script = ScriptOf(t);
  if (!script || script->failed) return false;
  const TStep* step = script->TakeDialogStep(t);
  if (!step) return false;
  answer = THost::TSecurityAnswer::kClosed;
  if (step->verb == "cancel") return true;
  const std::string word = step->verb == "answer" && step->args.size() == 1 ? Lower(step->args[0]) : std::string();
  if (word == "yes") {
    answer = THost::TSecurityAnswer::kYes;
  } else if (word == "no") {
    answer = THost::TSecurityAnswer::kNo;
  } else if (word == "allyes") {
    answer = THost::TSecurityAnswer::kAllYes;
  } else if (word == "allno") {
    answer = THost::TSecurityAnswer::kAllNo;
  } else {
    script->Fail(t, *step, "the security question takes answer yes, no, allyes or allno");
  }
  return true;
}

// ---- the headless view ----

THeadlessDialogs::THeadlessDialogs()
    : readLine_([](std::string& line) {
        line.clear();
        int c;
        bool any = false;
        while ((c = std::fgetc(stdin)) != EOF) {
          any = true;
          if (c == '\n') break;
          line += static_cast<char>(c);
        }
        return any;
      }),
      interactive_(isatty(STDIN_FILENO)) {}

THeadlessDialogs::THeadlessDialogs(std::function<bool(std::string&)> readLine, bool interactive)
    : readLine_(std::move(readLine)), interactive_(interactive) {}

bool THeadlessDialogs::ReadLine(std::string& line) {
  if (ended_) return false;
  if (!readLine_(line)) {
    ended_ = !interactive_;
    return false;
  }
  ++lineNo_;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (lineNo_ == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
  return true;
}

void THeadlessDialogs::Prompt(const TDialogRequest& r) {
  if (!interactive_) return;
  std::fflush(stdout);
  std::string text = r.message;
  if (IsListKind(r.kind) || r.kind == TDialogKind::kButtons)
    for (size_t i = 0; i < r.items.size(); ++i) text += "\r\n  #" + std::to_string(i) + " " + r.items[i];
  std::string hint;
  switch (r.kind) {
    case TDialogKind::kYesNo: hint = "[y/n]"; break;
    case TDialogKind::kYesNoCancel: hint = "[y/n/c]"; break;
    case TDialogKind::kChoice:
    case TDialogKind::kList:
    case TDialogKind::kButtons: hint = "[#N or text]"; break;
    case TDialogKind::kMemo: hint = "(lines, then a line \".\")"; break;
    case TDialogKind::kOpenFile:
    case TDialogKind::kSaveFile: hint = "[file]"; break;
    case TDialogKind::kFolder: hint = "[folder]"; break;
    case TDialogKind::kColour: hint = "[#RRGGBB or number]"; break;
    case TDialogKind::kFont: hint = "[name|style|size]"; break;
    default: break;
  }
  std::string out = sjis::SjisToUtf8(text);
  std::string lf;
  for (size_t i = 0; i < out.size(); ++i) {
    if (out[i] == '\r') {
      lf += '\n';
      if (i + 1 < out.size() && out[i + 1] == '\n') ++i;
    } else {
      lf += out[i];
    }
  }
  std::fprintf(stderr, "%s\n%s> ", lf.c_str(), hint.empty() ? "" : (hint + " ").c_str());
  std::fflush(stderr);
}

TDialogAnswer THeadlessDialogs::Show(TTamaBase& t, const TDialogRequest& r) {
  if (r.kind == TDialogKind::kMessage) {
    t.host.Message(r.message, r.caption);
    return ClosedAnswer(r);
  }
  TDialogAnswer a;
  switch (TakeScriptAnswer(t, r, a)) {
    case TScriptAnswer::kTaken:
    case TScriptAnswer::kFailed: return a;
    case TScriptAnswer::kNone: break;
  }
  for (;;) {
    Prompt(r);
    std::string line;
    if (!ReadLine(line)) break;
    std::string text = ToSjis(line);
    if (r.kind == TDialogKind::kMemo) {
      // lines up to a lone "." (or the end of input)
      bool more = text != ".";
      if (!more) text.clear();
      while (more && ReadLine(line)) {
        if (line == ".") break;
        text += "\r\n" + ToSjis(line);
      }
    }
    std::string reason;
    if (AnswerFromLine(r, text, a, reason)) return a;
    std::fflush(stdout);
    std::fprintf(stderr, "tamakazu: standard input:%d: %s\n", lineNo_, reason.c_str());
    std::fflush(stderr);
  }
  t.host.Unanswered(UnansweredLine(t, r.command, ClosedOutcome(r)));
  return ClosedAnswer(r);
}

// ---- the state and the entry ----

TDialogState& Dialogs(TTamaBase& t) {
  TGuiState& g = Gui(t);
  if (!g.dialogs) g.dialogs = std::make_shared<TDialogState>();
  return *g.dialogs;
}

TDialogAnswer RunDialog(TTamaBase& t, const TDialogRequest& r) {
  TGuiState& g = Gui(t);
  // the events that are due arrive while the dialog is open
  if (g.waitHook) g.waitHook(t);
  if (TEventLoop* loop = t.host.Loop()) loop->ProcessPending();
  TDialogState& d = Dialogs(t);
  if (!d.view) d.view = std::make_shared<THeadlessDialogs>();
  std::shared_ptr<TDialogView> view = d.view;  // the view may be replaced meanwhile
  return view->Show(t, r);
}

void OpenProgress(TTamaBase& t, std::string_view message, std::function<void()> stopAction) {
  TDialogState& d = Dialogs(t);
  d.progress.open = true;
  d.progress.message = std::string(message);
  d.progress.position = 0;
  d.progress.maximum = 100;
  d.progress.stopAction = std::move(stopAction);
  if (d.view) d.view->ProgressChanged(t);
}

void SetProgress(TTamaBase& t, int position, int maximum, std::string_view message) {
  TDialogState& d = Dialogs(t);
  d.progress.position = position;
  d.progress.maximum = maximum;
  d.progress.message = std::string(message);
  if (d.view) d.view->ProgressChanged(t);
}

void CloseProgress(TTamaBase& t) {
  TDialogState& d = Dialogs(t);
  d.progress.open = false;
  d.progress.stopAction = nullptr;
  if (d.view) d.view->ProgressChanged(t);
}

bool PumpProgress(TTamaBase& t) {
  TDialogState& d = Dialogs(t);
  TScript* script = ScriptOf(t);
  if (!d.progress.open || !script || script->failed) return false;
  const TStep* next = script->Peek();
  if (!next) return false;
  const bool stop = next->verb == "cancel" || (next->verb == "answer" && next->args.size() == 1 && next->args[0] == "stop");
  if (!stop) return false;
  script->TakeDialogStep(t);
  // a stop button without an action is disabled: pressing it does nothing
  if (d.progress.stopAction) {
    std::function<void()> action = d.progress.stopAction;
    action();
  }
  return true;
}

}  // namespace tama::gui
