// The answer forms of the dialogs and the headless view's order of sources.
#include "gui/dialogs.h"

#include <gtest/gtest.h>

#include <deque>

#include "gui/objects.h"
#include "gui/script.h"
#include "sjis/convert.h"
#include "support/path.h"
#include "test_host.h"

namespace tama::gui {
namespace {

// A UTF-8 text (the literals of this file are Shift-JIS, as the program's texts).
std::string U(const char8_t* s) { return reinterpret_cast<const char*>(s); }

TDialogRequest Req(TDialogKind kind, std::vector<std::string> items = {}, std::string text = {}) {
  TDialogRequest r;
  r.kind = kind;
  r.command = "テスト";
  r.items = std::move(items);
  r.text = std::move(text);
  return r;
}

TStep Step(std::string verb, std::vector<std::string> args = {}) {
  TStep s;
  s.line = 1;
  s.verb = std::move(verb);
  s.args = std::move(args);
  return s;
}

// One case: a dialog, an answer as a step or a line, and what comes of it.
struct TCase {
  TDialogKind kind;
  bool line;           // a line of standard input (else a step `answer ARG`)
  const char* input;   // the line, or the one argument of `answer` (nullptr: no argument)
  bool fits;           // the answer fits the dialog
  bool ok;             // ... and confirms it
  int button;
  const char* text;
};

TEST(DialogAnswers, TextsAndChoices) {
  const std::vector<std::string> items = {"赤", "青", "", "緑"};
  const TCase cases[] = {
      // yes / no / cancel, in the written forms
      {TDialogKind::kYesNo, true, "y", true, true, 1, ""},
      {TDialogKind::kYesNo, true, "N", true, true, 0, ""},
      {TDialogKind::kYesNo, true, "はい", true, true, 1, ""},
      {TDialogKind::kYesNo, true, "c", false, false, -1, ""},
      {TDialogKind::kYesNo, true, "", false, false, -1, ""},
      {TDialogKind::kYesNo, false, "yes", true, true, 1, ""},
      {TDialogKind::kYesNo, false, nullptr, false, false, -1, ""},
      {TDialogKind::kYesNoCancel, true, "c", true, true, 2, ""},
      {TDialogKind::kYesNoCancel, false, "cancel", true, true, 2, ""},
      {TDialogKind::kYesNoCancel, true, "maybe", false, false, -1, ""},
      // a line of text: anything, the empty text too
      {TDialogKind::kInput, true, "太郎", true, true, -1, "太郎"},
      {TDialogKind::kInput, true, "", true, true, -1, ""},
      {TDialogKind::kInput, true, "#1", true, true, -1, "#1"},
      {TDialogKind::kInput, false, nullptr, true, true, -1, "初期"},  // the field as it is
      // どれか尋ねる: #N or any text
      {TDialogKind::kChoice, true, "#1", true, true, 1, "青"},
      {TDialogKind::kChoice, true, "#4", false, false, -1, ""},
      {TDialogKind::kChoice, true, "紫", true, true, -1, "紫"},
      {TDialogKind::kChoice, true, "", true, true, 2, ""},
      {TDialogKind::kChoice, false, "#1", true, true, -1, "#1"},  // a step's text is free text
      // リストから選択: #N or an item's text; an empty line keeps the field
      {TDialogKind::kList, true, "#3", true, true, 3, "緑"},
      {TDialogKind::kList, true, "緑", true, true, 3, "緑"},
      {TDialogKind::kList, true, "紫", false, false, -1, ""},
      {TDialogKind::kList, false, "紫", false, false, -1, ""},
      {TDialogKind::kList, false, "青", true, true, 1, "青"},
      {TDialogKind::kList, false, nullptr, true, true, -1, "初期"},
      // ボタンで選択: a caption (the empty one too) or #N
      {TDialogKind::kButtons, true, "青", true, true, 1, "青"},
      {TDialogKind::kButtons, true, "", true, true, 2, ""},
      {TDialogKind::kButtons, true, "#0", true, true, 0, "赤"},
      {TDialogKind::kButtons, true, "#9", false, false, -1, ""},
      {TDialogKind::kButtons, false, "紫", false, false, -1, ""},
      {TDialogKind::kButtons, false, nullptr, false, false, -1, ""},
      // メモ記入: the text; a step's "\n" is a line break of the program
      {TDialogKind::kMemo, true, "a\r\nb", true, true, -1, "a\r\nb"},
      {TDialogKind::kMemo, false, "a\nb", true, true, -1, "a\r\nb"},
      {TDialogKind::kMemo, false, nullptr, true, true, -1, "初期"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.line ? "line " : "answer ") + (c.input ? c.input : "(none)"));
    TDialogRequest r = Req(c.kind, items, "初期");
    TDialogAnswer a;
    std::string reason;
    const bool fits = c.line ? AnswerFromLine(r, c.input, a, reason)
                             : AnswerFromStep(r, Step("answer", c.input ? std::vector<std::string>{sjis::SjisToUtf8(c.input)}
                                                                        : std::vector<std::string>{}),
                                              a, reason);
    EXPECT_EQ(fits, c.fits) << reason;
    if (!fits) {
      EXPECT_FALSE(reason.empty());
      continue;
    }
    EXPECT_EQ(a.ok, c.ok);
    EXPECT_EQ(a.button, c.button);
    EXPECT_EQ(a.text, c.text);
  }
}

TEST(DialogAnswers, ChooseAndCancelSteps) {
  const std::vector<std::string> items = {"赤", "青"};
  struct TStepCase {
    TDialogKind kind;
    TStep step;
    bool fits, ok;
    int button;
    const char* text;
  } cases[] = {
      {TDialogKind::kList, Step("choose", {"1"}), true, true, 1, "青"},
      {TDialogKind::kButtons, Step("choose", {"0"}), true, true, 0, "赤"},
      {TDialogKind::kChoice, Step("choose", {"2"}), false, false, -1, ""},
      {TDialogKind::kChoice, Step("choose", {"x"}), false, false, -1, ""},
      {TDialogKind::kInput, Step("choose", {"0"}), false, false, -1, ""},
      {TDialogKind::kInput, Step("cancel"), true, false, -1, ""},
      {TDialogKind::kYesNo, Step("cancel"), true, false, 0, ""},  // the box closed: no
      {TDialogKind::kYesNoCancel, Step("cancel"), true, false, 2, ""},
      {TDialogKind::kMemo, Step("cancel"), true, false, -1, ""},  // Cancel empties the memo
      {TDialogKind::kInput, Step("answer", {"a", "b"}), false, false, -1, ""},
      {TDialogKind::kInput, Step("click", {"a"}), false, false, -1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.step.verb + (c.step.args.empty() ? "" : " " + c.step.args[0]));
    TDialogRequest r = Req(c.kind, items, "初期");
    TDialogAnswer a;
    std::string reason;
    EXPECT_EQ(AnswerFromStep(r, c.step, a, reason), c.fits) << reason;
    if (!c.fits) continue;
    EXPECT_EQ(a.ok, c.ok);
    EXPECT_EQ(a.button, c.button);
    EXPECT_EQ(a.text, c.text);
  }
}

TEST(DialogAnswers, ReasonsNameTheDialog) {
  TDialogRequest r = Req(TDialogKind::kList, {"赤"});
  TDialogAnswer a;
  std::string reason;
  EXPECT_FALSE(AnswerFromStep(r, Step("choose", {"3"}), a, reason));
  EXPECT_EQ(reason, U(u8"no choice 3 in the dialog \"テスト\" (1 choices)"));
  EXPECT_FALSE(AnswerFromLine(r, "青", a, reason));
  EXPECT_EQ(reason, U(u8"\"青\" is not a choice of the dialog \"テスト\""));
  r.kind = TDialogKind::kYesNo;
  EXPECT_FALSE(AnswerFromLine(r, "c", a, reason));
  EXPECT_EQ(reason, U(u8"\"c\" does not answer the dialog \"テスト\" (yes, no)"));
}

TEST(DialogAnswers, PathsAreFullNames) {
  const std::string here = support::FromNativePath(support::WorkingFolder());
  TDialogAnswer a;
  std::string reason;
  TDialogRequest open = Req(TDialogKind::kOpenFile);
  ASSERT_TRUE(AnswerFromStep(open, Step("answer", {"a.txt", "sub/../b.txt", "/abs/c.txt"}), a, reason)) << reason;
  ASSERT_EQ(a.paths.size(), 3u);
  EXPECT_EQ(a.paths[0], here + "/a.txt");
  EXPECT_EQ(a.paths[1], here + "/b.txt");
  EXPECT_EQ(a.paths[2], "/abs/c.txt");

  TDialogRequest save = Req(TDialogKind::kSaveFile);
  save.defaultExt = "txt";
  ASSERT_TRUE(AnswerFromLine(save, "/x/memo", a, reason));
  EXPECT_EQ(a.text, "/x/memo.txt");  // the default extension for a name without one
  ASSERT_TRUE(AnswerFromLine(save, "/x/memo.csv", a, reason));
  EXPECT_EQ(a.text, "/x/memo.csv");
  EXPECT_FALSE(AnswerFromStep(save, Step("answer", {"a", "b"}), a, reason));  // one name only
  EXPECT_FALSE(AnswerFromLine(save, "", a, reason));                           // no name in the field

  TDialogRequest folder = Req(TDialogKind::kFolder);
  folder.folder = "/start/";
  ASSERT_TRUE(AnswerFromLine(folder, "/tmp", a, reason));
  EXPECT_EQ(a.text, "/tmp/");
  ASSERT_TRUE(AnswerFromLine(folder, "", a, reason));  // OK on the starting folder
  EXPECT_EQ(a.text, "/start/");
}

TEST(DialogAnswers, ColoursAndFonts) {
  struct TColourCase {
    const char* input;
    bool fits;
    int64_t colour;
  } colours[] = {{"#FF0000", true, 255},   {"#0000ff", true, 0xFF0000}, {"255", true, 255},
                 {"$FF00", true, 0xFF00},  {"", true, 7},               {"#FF00", false, 0},
                 {"red", false, 0},        {"16777216", false, 0},      {"-1", false, 0}};
  for (const auto& c : colours) {
    SCOPED_TRACE(c.input);
    TDialogRequest r = Req(TDialogKind::kColour);
    r.colour = 7;
    TDialogAnswer a;
    std::string reason;
    EXPECT_EQ(AnswerFromLine(r, c.input, a, reason), c.fits);
    if (c.fits) {
      EXPECT_EQ(a.colour, c.colour);
    }
  }
  struct TFontCase {
    const char* input;
    const char* spec;
  } fonts[] = {
      {"ＭＳ 明朝|太字|12", "ＭＳ 明朝|太字|12"},
      {"ＭＳ 明朝||10", "ＭＳ 明朝||10"},
      {"ms p明朝|傾斜下線|10", "ＭＳ Ｐ明朝|傾斜下線|10"},
      {"ＭＳ ゴシック", "ＭＳ ゴシック"},
      {"", "ＭＳ Ｐゴシック||9"},  // the font the dialog opened on
  };
  for (const auto& c : fonts) {
    SCOPED_TRACE(c.input);
    TDialogRequest r = Req(TDialogKind::kFont);
    r.chosenFont = TDialogState().font;
    TDialogAnswer a;
    std::string reason;
    ASSERT_TRUE(AnswerFromLine(r, c.input, a, reason));
    EXPECT_EQ(FontSpecText(a.font), c.spec);
  }
}

TEST(DialogForms, FiltersItemsAndButtons) {
  EXPECT_EQ(FilterOfType("txt"), "txt 形式(*.txt)|*.txt|全て(*.*)|*.*");
  EXPECT_EQ(FilterOfType(".txt"), FilterOfType("txt"));
  EXPECT_EQ(FilterOfType("画像|*.png;*.bmp"), "画像|*.png;*.bmp");
  EXPECT_EQ(DefaultExtension(FilterOfType("txt")), "txt");
  EXPECT_EQ(DefaultExtension("all|*.*"), "*");
  EXPECT_EQ(DefaultExtension("none"), "");

  EXPECT_EQ(ListItems("赤｜青|緑"), (std::vector<std::string>{"赤", "青", "緑"}));
  EXPECT_EQ(ListItems("a\r\nb\rc\nd\r\n"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(ListItems("表|ソ"), (std::vector<std::string>{"表", "ソ"}));  // a trail byte is never a separator
  EXPECT_TRUE(ListItems("").empty());

  EXPECT_EQ(ButtonChoices("  a\r\n\r\nb \r\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_TRUE(ButtonChoices(" \r\n ").empty());
}

// ---- the headless view ----

class TRecordingHost : public TTestHost {
 public:
  std::vector<std::string> unanswered;
  void Unanswered(std::string_view line) override { unanswered.emplace_back(line); }
};

struct THeadlessRun {
  TRecordingHost host;
  TTamaBase t{host};
  std::deque<std::string> input;
  std::shared_ptr<THeadlessDialogs> view;
  THeadlessRun() {
    std::vector<const TCommandFamily*> none;
    Install(t);
    t.RegisterWords(none);
    t.programFileName = "t.tmk";
    view = std::make_shared<THeadlessDialogs>(
        [this](std::string& line) {
          if (input.empty()) return false;
          line = input.front();
          input.pop_front();
          return true;
        },
        false);
    Dialogs(t).view = view;
  }
  void Script(const char* text) {
    auto script = std::make_shared<TScript>();
    std::string error;
    ASSERT_TRUE(script->Parse(text, "t.ev", error)) << error;
    Gui(t).script = script;
  }
};

TEST(HeadlessDialogs, ScriptThenInputThenTheClosedAnswer) {
  THeadlessRun run;
  run.Script(U(u8"answer 一\nclick 母艦\n").c_str());
  run.input = {U(u8"二"), "y"};
  TDialogRequest r = Req(TDialogKind::kInput);
  r.command = "尋ねる";
  EXPECT_EQ(RunDialog(run.t, r).text, "一");  // the script's step
  EXPECT_EQ(RunDialog(run.t, r).text, "二");  // a plain step is no answer: standard input
  ASSERT_NE(ScriptOf(run.t)->Peek(), nullptr);
  EXPECT_EQ(ScriptOf(run.t)->Peek()->verb, "click");  // and it stays for the program
  TDialogRequest q = Req(TDialogKind::kYesNoCancel);
  q.command = "三択";
  EXPECT_EQ(RunDialog(run.t, q).button, 1);
  EXPECT_TRUE(run.host.unanswered.empty());
  const TDialogAnswer closed = RunDialog(run.t, q);  // the end of input
  EXPECT_EQ(closed.button, 2);
  ASSERT_EQ(run.host.unanswered.size(), 1u);
  EXPECT_EQ(run.host.unanswered[0], "[注　意] t.tmk(0行目): ダイアログ\"三択\"に答えられないため、「キャンセル」としました。");
  EXPECT_TRUE(run.t.errorLog.Blank());
}

TEST(HeadlessDialogs, MemoTakesLinesUpToADot) {
  THeadlessRun run;
  run.input = {U(u8"一行目"), U(u8"二行目"), ".", U(u8"次")};
  TDialogRequest r = Req(TDialogKind::kMemo, {}, "元");
  EXPECT_EQ(RunDialog(run.t, r).text, "一行目\r\n二行目");
  run.input = {"."};
  TDialogAnswer a = RunDialog(run.t, r);
  EXPECT_TRUE(a.ok);
  EXPECT_EQ(a.text, "");
  run.input.clear();
  a = RunDialog(run.t, r);  // closed with the close box: OK with the text
  EXPECT_TRUE(a.ok);
  EXPECT_EQ(a.text, "元");
  ASSERT_EQ(run.host.unanswered.size(), 1u);
  EXPECT_NE(run.host.unanswered[0].find("そのまま閉じました。"), std::string::npos);
}

TEST(HeadlessDialogs, ALineThatDoesNotFitIsSkipped) {
  THeadlessRun run;
  run.input = {"maybe", "n"};
  TDialogRequest r = Req(TDialogKind::kYesNo);
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunDialog(run.t, r).button, 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            U(u8"tamakazu: standard input:1: \"maybe\" does not answer the dialog \"テスト\" (yes, no)\n"));
}

TEST(HeadlessDialogs, AScriptedAnswerThatDoesNotFitStopsTheRun) {
  THeadlessRun run;
  run.Script("choose 5\n");
  TDialogRequest r = Req(TDialogKind::kButtons, {"a", "b"});
  testing::internal::CaptureStderr();
  TDialogAnswer a = RunDialog(run.t, r);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), U(u8"tamakazu: t.ev:1: no choice 5 in the dialog \"テスト\" (2 choices)\n"));
  EXPECT_FALSE(a.ok);
  EXPECT_TRUE(ScriptOf(run.t)->failed);
  EXPECT_TRUE(run.host.unanswered.empty());
}

TEST(HeadlessDialogs, PromptOnlyForATerminal) {
  for (bool terminal : {false, true}) {
    THeadlessRun run;
    std::deque<std::string> input = {"#1"};
    Dialogs(run.t).view = std::make_shared<THeadlessDialogs>(
        [&input](std::string& line) {
          if (input.empty()) return false;
          line = input.front();
          input.pop_front();
          return true;
        },
        terminal);
    TDialogRequest r = Req(TDialogKind::kList, {"赤", "青"});
    r.message = "色は？\r\n一つ";
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunDialog(run.t, r).text, "青");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              terminal ? U(u8"色は？\n一つ\n  #0 赤\n  #1 青\n[#N or text] > ") : std::string());
  }
}

TEST(HeadlessDialogs, SecurityQuestionFromTheScript) {
  THeadlessRun run;
  run.Script("answer allyes\ncancel\nanswer maybe\n");
  THost::TSecurityAnswer a{};
  ASSERT_TRUE(ScriptedSecurityAnswer(run.t, a));
  EXPECT_EQ(a, THost::TSecurityAnswer::kAllYes);
  ASSERT_TRUE(ScriptedSecurityAnswer(run.t, a));
  EXPECT_EQ(a, THost::TSecurityAnswer::kClosed);
  testing::internal::CaptureStderr();
  ASSERT_TRUE(ScriptedSecurityAnswer(run.t, a));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "tamakazu: t.ev:3: the security question takes answer yes, no, allyes or allno\n");
  EXPECT_EQ(a, THost::TSecurityAnswer::kClosed);
  EXPECT_FALSE(ScriptedSecurityAnswer(run.t, a));  // nothing left
}

TEST(HeadlessDialogs, ProgressStopsOnAScriptedStop) {
  THeadlessRun run;
  run.Script("answer stop\n");
  int stopped = 0;
  EXPECT_FALSE(PumpProgress(run.t));  // not open: the step waits
  OpenProgress(run.t, "受信中", [&] { ++stopped; });
  SetProgress(run.t, 50, 100, "半分");
  EXPECT_EQ(Dialogs(run.t).progress.message, "半分");
  EXPECT_TRUE(PumpProgress(run.t));
  EXPECT_EQ(stopped, 1);
  EXPECT_FALSE(PumpProgress(run.t));
  CloseProgress(run.t);
  EXPECT_FALSE(Dialogs(run.t).progress.open);
}

}  // namespace
}  // namespace tama::gui
