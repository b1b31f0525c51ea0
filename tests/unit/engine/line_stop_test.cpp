// The debug hook: line stops after every sentence that ends at a line break,
// and the error dialog's debug button; the hook's stop closes the run.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "engine/tama.h"
#include "frontend/normalize.h"

namespace tama {
namespace {

class THookHost : public THost {
 public:
  std::string out;
  TErrorAnswer answer = TErrorAnswer::kStop;
  int errors = 0;
  void Display(std::string_view text) override {
    out += text;
    out += '\n';
  }
  void Message(std::string_view text, std::string_view) override { Display(text); }
  TErrorAnswer ShowErrorDialog(const std::string&) override {
    ++errors;
    return answer;
  }
  bool Headless() const override { return true; }
};

void Show(TTamaBase& t, int) { t.host.Display(t.PopArgValue()); }
void Fail(TTamaBase& t, int) { t.Raise("だめ"); }

const TCommandDef kDefs[] = {
    {"表示", "?と", 1, Show},
    {"失敗", "", 2, Fail},
};
const TCommandFamily kFamily = {"test", kDefs, std::size(kDefs)};

// the rows the hook saw, and whether it asks to stop at the n-th call
std::vector<int> gRows;
int gStopAt = -1;
bool Hook(TTamaBase& t) {
  gRows.push_back(t.currentRow - 1);
  return static_cast<int>(gRows.size()) == gStopAt;
}

struct TRun {
  THookHost host;
  TTamaBase t{host};
  explicit TRun(std::string source) {
    gRows.clear();
    gStopAt = -1;
    std::vector<const TCommandFamily*> families{&kFamily};
    t.SetHandlers(families);
    t.RegisterWords(families);
    t.programFileName = "t.tmk";
    t.debugDialog = Hook;
    source += "\r\n";
    frontend::NormalizeSource(source);
    TTextRef main = MakeText(source);
    t.sourceTexts.push_back(main);
    t.CollectLabels(main, t.programFileName);
    t.Jump({main, main->begin()});
  }
  std::string Go() {
    t.RunProgram();
    return host.out;
  }
};

const char kProgram[] =
    "「a」を、表示\r\n"
    "「b」を、表示;「c」を、表示\r\n"
    "「d」&\r\n"
    "「e」を、表示\r\n"
    "「f」を、表示";

TEST(LineStop, AfterEveryLineEndedSentence) {
  TRun r(kProgram);
  r.t.lineStop = true;
  EXPECT_EQ(r.Go(), "a\nb\nc\nde\nf\n");
  // the ";" inside line 1 does not stop; the continued line 2 stops after line 3
  EXPECT_EQ(gRows, (std::vector<int>{0, 1, 3, 4}));
}

TEST(LineStop, OffShowsNothing) {
  TRun r(kProgram);
  EXPECT_EQ(r.Go(), "a\nb\nc\nde\nf\n");
  EXPECT_TRUE(gRows.empty());
}

TEST(LineStop, StopClosesTheRun) {
  TRun r(kProgram);
  r.t.lineStop = true;
  gStopAt = 2;
  EXPECT_EQ(r.Go(), "a\nb\nc\n");
  EXPECT_TRUE(r.t.stopFlag);
}

TEST(LineStop, ErrorDialogDebugButton) {
  struct TCase {
    int stopAt;
    const char* out;
  } cases[] = {
      {-1, "1\n2\n"},  // closed without stopping: the run goes on
      {1, "1\n"},      // 実行中断 in the debug dialog ends the run
  };
  for (const TCase& c : cases) {
    TRun r("「1」を、表示\r\n失敗\r\n「2」を、表示");
    r.host.answer = THost::TErrorAnswer::kDebug;
    gStopAt = c.stopAt;
    EXPECT_EQ(r.Go(), c.out);
    EXPECT_EQ(r.host.errors, 1);
    EXPECT_EQ(gRows.size(), 1u);
  }
}

}  // namespace
}  // namespace tama
