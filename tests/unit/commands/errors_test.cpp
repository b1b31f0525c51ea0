// The error-handling commands and the error step they steer, run through
// whole programs: the error dialog, ignoring errors, the program's own
// handler and the way back from it, and the lines the error log gets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_fixture.h"

namespace tama {
namespace {

using runfx::TRunFixture;

// A command that fails: the word is read-only.
constexpr const char* kFailing = "回数を、数値として扱う";
// Its own message, after the error-line prefix.
constexpr const char* kFailingMessage = "オブジェクト\"回数\"は、既に存在するので、作成できません。";

std::string Prefix(int line) { return "[エラー] t.tmk(" + std::to_string(line) + "行目): "; }

// The two lines a failing command leaves in the log.
std::vector<std::string> CommandLines(int line, const std::string& message) {
  return {Prefix(line) + message, Prefix(line) + "システム命令実行中のエラー。理由は," + Prefix(line) + message};
}

class ErrorCommands : public TRunFixture {};

TEST_F(ErrorCommands, ACommandErrorShowsTheDialogWithBothLines) {
  Run(std::string("「前」を、表示\n") + kFailing + "\n「後」を、表示\n");
  EXPECT_EQ(host.shown, "前\n");
  ASSERT_EQ(host.dialogs.size(), 1u);
  EXPECT_EQ(host.dialogs[0], tama.errorLog.Text());
  EXPECT_EQ(LogLines(), CommandLines(3, kFailingMessage));
  EXPECT_EQ(tama.cur, nullptr);
  EXPECT_TRUE(tama.stopFlag);
}

TEST_F(ErrorCommands, LineNumbers) {
  // a sentence ended by a line break runs with the cursor on the next line,
  // one ended by "。" on its own; on the last line no next row follows
  struct TCase {
    std::string program;
    int line;
  } cases[] = {
      {std::string(kFailing) + "\nAは、1\n", 2},
      {std::string("Aは、1\n") + kFailing + "\nAは、1\n", 3},
      {std::string("Aは、1\n") + kFailing + "。\nAは、1\n", 2},
      {std::string("Aは、1\n") + kFailing + "。Aは、1\nAは、1\n", 2},
      {std::string("Aは、1\n") + kFailing + "\n", 2},
      {std::string("Aは、1\n") + kFailing, 2},
      {std::string("Aは、1\n") + kFailing + "。", 2},
      {std::string("Aは、1\n\n\n") + kFailing + "\n\nAは、1\n", 5},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.program);
    Run(c.program);
    EXPECT_EQ(LogLines(), CommandLines(c.line, kFailingMessage));
  }
}

TEST_F(ErrorCommands, IgnoredErrorsKeepTheMessageAndGoOn) {
  Run(std::string("エラーを無視\n") + kFailing + "。エラーメッセージを、表示\n「後」を、表示\n");
  EXPECT_TRUE(host.dialogs.empty());
  EXPECT_FALSE(tama.warnFlag);
  std::vector<std::string> lines = CommandLines(2, kFailingMessage);
  EXPECT_EQ(host.shown, lines[1] + "\n後\n");
  EXPECT_EQ(Value("エラーメッセージ"), lines[1]);
  EXPECT_EQ(LogLines(), lines);  // the log keeps what was ignored
}

TEST_F(ErrorCommands, WarningAgainShowsTheWholeLog) {
  Run(std::string("エラーを無視\n") + kFailing + "。\nエラーを警告\n" + kFailing + "。\n「後」を、表示\n");
  ASSERT_EQ(host.dialogs.size(), 1u);
  std::vector<std::string> want = CommandLines(2, kFailingMessage);
  for (const std::string& l : CommandLines(4, kFailingMessage)) want.push_back(l);
  EXPECT_EQ(LogLines(), want);
  EXPECT_EQ(host.shown, "");
}

TEST_F(ErrorCommands, AfterContinuingTheNextDialogShowsBothErrors) {
  host.answer = THost::TErrorAnswer::kContinue;
  Run(std::string(kFailing) + "。\n「間」を、表示\n" + kFailing + "。\n「後」を、表示\n");
  EXPECT_EQ(host.shown, "間\n後\n");
  ASSERT_EQ(host.dialogs.size(), 2u);
  std::vector<std::string> first = CommandLines(1, kFailingMessage), second = CommandLines(3, kFailingMessage);
  EXPECT_EQ(host.dialogs[0], first[0] + "\r\n" + first[1] + "\r\n");
  EXPECT_EQ(host.dialogs[1], host.dialogs[0] + second[0] + "\r\n" + second[1] + "\r\n");
}

TEST_F(ErrorCommands, HandlerRunsAndReturns) {
  Run(std::string("Eに、エラー処理設定\n「前」を、表示\n") + kFailing + "。「同じ行」を、表示\n「後」を、表示\n" +
      "エラーを警告\n" + kFailing + "。\n*E\n「ハンドラ」を、表示\nエラーメッセージを、表示\nエラーから復帰\n");
  std::vector<std::string> first = CommandLines(3, kFailingMessage);
  // the handler runs, then the program goes on after the failed sentence
  EXPECT_EQ(host.shown, "前\nハンドラ\n" + first[1] + "\n同じ行\n後\n");
  ASSERT_EQ(host.dialogs.size(), 1u);
  EXPECT_EQ(tama.errorHandler, nullptr);
  std::vector<std::string> want = first;
  for (const std::string& l : CommandLines(6, kFailingMessage)) want.push_back(l);
  EXPECT_EQ(LogLines(), want);
}

TEST_F(ErrorCommands, HandlerSetAndForgotten) {
  Load("Eに、エラー処理設定\n*E\n");
  tama.RunProgram();
  ASSERT_NE(tama.errorHandler, nullptr);
  EXPECT_EQ(tama.errorHandler->Name, "E");
  EXPECT_EQ(tama.errorHandler->Kind, wkLabel);
  for (const char* cmd : {"エラーを無視", "エラーを警告"}) {
    SCOPED_TRACE(cmd);
    Run(std::string("Eに、エラー処理設定\n") + cmd + "\n*E\n");
    EXPECT_EQ(tama.errorHandler, nullptr);
    EXPECT_EQ(tama.warnFlag, std::string(cmd) == "エラーを警告");
  }
}

TEST_F(ErrorCommands, HandlerMustBeALabel) {
  struct TCase {
    const char* program;
    const char* name;
  } cases[] = {
      {"未定義に、エラー処理設定\n", "未定義"},
      {"Aは、1\nAに、エラー処理設定\n", "A"},
      {"表示に、エラー処理設定\n", "表示"},
      {"「E」に、エラー処理設定\n*E\n", "`E`"},  // taken as written
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.program);
    Load("*E\n");
    tama.RunProgram();
    tama.errorHandler = tama.words.FindRef("E", false);
    Run(c.program);
    EXPECT_EQ(tama.errorHandler, nullptr);
    ASSERT_EQ(LogLines().size(), 2u) << tama.errorLog.Text();
    const std::string message = std::string("未定義のラベル\"") + c.name + "\"に、ジャンプしようとしました。";
    EXPECT_EQ(LogLines()[0].substr(LogLines()[0].size() - message.size()), message);
    ASSERT_EQ(host.dialogs.size(), 1u);
    host.dialogs.clear();
  }
}

TEST_F(ErrorCommands, ReturnWithoutAHandledErrorEndsTheRun) {
  Run("「前」を、表示\nエラーから復帰\n「後」を、表示\n");
  EXPECT_EQ(host.shown, "前\n");
  EXPECT_TRUE(host.dialogs.empty());
  EXPECT_EQ(tama.cur, nullptr);
}

TEST_F(ErrorCommands, ReturnGoesBackToTheLastHandledError) {
  Run(std::string("Eに、エラー処理設定\n") + kFailing + "。「一」を、表示\nFに、エラー処理設定\n" + kFailing +
      "。「二」を、表示\nエラーを警告\n" + kFailing + "。\n*E\n「E」を、表示\nエラーから復帰\n*F\n「F」を、表示\n" +
      "エラーから復帰\n");
  EXPECT_EQ(host.shown, "E\n一\nF\n二\n");
  EXPECT_EQ(host.dialogs.size(), 1u);
  EXPECT_EQ(LogLines().size(), 6u);
}

TEST_F(ErrorCommands, IgnoredErrorsInALoopKeepTheLogBounded) {
  // 200,000 ignored errors of two lines each would make some 30 MB of log
  Run(std::string("エラーを無視\n200000回 (") + kFailing + ")\n「済」を、表示\n");
  EXPECT_EQ(host.shown, "済\n");
  const std::string& log = tama.errorLog.Text();
  EXPECT_LE(log.size(), TErrorLog::kDefaultCap);
  EXPECT_GT(log.size(), TErrorLog::kDefaultCap / 2);
  const std::vector<std::string> lines = LogLines();
  ASSERT_GT(lines.size(), 2u);
  EXPECT_EQ(lines[0], "[注　意] エラーの記録が一杯になったので、古い" + std::to_string(tama.errorLog.Dropped()) + "行を捨てました。");
  EXPECT_EQ(tama.errorLog.Dropped() + lines.size() - 1, 400000u);
  // the newest lines are kept
  EXPECT_EQ(lines.back(), CommandLines(2, kFailingMessage)[1]);
}

}  // namespace
}  // namespace tama
