// The debugging commands: the debug dialog, a word's value shown, and the log
// of a variable's values.
#include "commands/debug.h"

#include <cmath>
#include <cstdio>
#include <iterator>
#include <memory>

#include "gui/debug.h"
#include "gui/dialogs.h"
#include "sjis/convert.h"
#include "support/textops.h"

namespace tama {

namespace {

constexpr char kAppTitle[] = "たまかず";
constexpr char kLineMark[] = "~改行_";

// The dialog; its stop button closes the run.
void OpenDebug(TTamaBase& t) {
  if (gui::ShowDebugDialog(t)) t.CloseRun();
}

// DEBUG
void Debug(TTamaBase& t, int) { OpenDebug(t); }

// SHOW, _P: the dialog for a word's name, otherwise the value of the text.
void Show(TTamaBase& t, int) {
  const std::string text = t.PopArgText();
  if (t.words.Find(text, false)) return OpenDebug(t);
  gui::TDialogRequest r;
  r.kind = gui::TDialogKind::kMessage;
  r.command = "SHOW";
  r.caption = kAppTitle;
  r.message = "「" + text + "」の内容は、" + t.EvaluateText(text);
  gui::RunDialog(t, r);
}

// ログる: the values of a variable collected, shown every N calls.
void Loguru(TTamaBase& t, int) {
  const long double limitNumber = std::trunc(t.PopArgNumber());
  const std::string name = t.PopArgText();
  const int limit = std::isfinite(limitNumber) && std::fabs(limitNumber) < 2147483647.0L
                        ? static_cast<int>(limitNumber) : 0;
  std::vector<gui::TLogEntry>& log = gui::Debug(t).log;
  size_t i = 0;
  while (i < log.size() && log[i].name != name) ++i;
  if (i == log.size()) log.push_back({name, 0, ""});
  log[i].count += 1;
  const std::string value = textops::ReplaceAll(t.EvaluateText(name), "\r\n", kLineMark);
  log[i].text += std::string(kLineMark) + "(" + std::to_string(log[i].count) + ")=" + value;
  if (log[i].count != limit) return;
  gui::TDialogRequest r;
  r.kind = gui::TDialogKind::kMemo;
  r.command = "ログる";
  r.caption = "ログ - \"" + name + "\"";
  r.text = textops::ReplaceAll(log[i].text, kLineMark, "\r\n");
  log[i].text.clear();
  log[i].count = 0;
  gui::TDialogState& d = gui::Dialogs(t);
  if (!d.view || dynamic_cast<gui::THeadlessDialogs*>(d.view.get())) {
    // without a window the memo's text is shown on standard error
    std::fflush(stdout);
    std::string out = sjis::SjisToUtf8(r.caption + "\r\n" + r.text + "\r\n");
    std::string lf;
    for (size_t k = 0; k < out.size(); ++k)
      if (out[k] != '\r') lf += out[k];
    std::fputs(lf.c_str(), stderr);
    std::fflush(stderr);
  }
  const gui::TDialogAnswer a = gui::RunDialog(t, r);
  // a cancelled memo dialog is empty
  if (!a.ok || a.text.empty()) OpenDebug(t);
}

}  // namespace

static const TCommandDef kDefs[] = {
    {"DEBUG", "", kCmdDebug, Debug},
    {"_P", "?", kCmdShow, Show},
    {"SHOW", "?", kCmdShow, Show},
    {"ログる", "?を,?で", kCmdLoguru, Loguru},
};

static const TCommandFamily kFamily = {"debug", kDefs, std::size(kDefs)};

const TCommandFamily& DebugFamily() { return kFamily; }

}  // namespace tama
