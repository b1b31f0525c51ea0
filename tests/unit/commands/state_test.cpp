// Two interpreters side by side: each has its own error log, random sequence
// and nesting depth.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "run_fixture.h"

namespace tama {
namespace {

// An interpreter with every command family, run on a program as start-up runs it.
struct TInterpreter {
  runfx::TRecordingHost host;
  TTamaBase tama{host};
  std::vector<const TCommandFamily*> families;

  TInterpreter() {
    for (const TCommandFamily& f : AllCommandFamilies()) families.push_back(&f);
    tama.SetHandlers(families);
  }
  // A fresh run; `keepWords` goes on with the words of the last one.
  void Run(std::string_view source, bool keepWords = false) {
    tama.errorLog.Clear();
    tama.stopFlag = false;
    if (!keepWords) {
      tama.words.Clear();
      tama.RegisterWords(families);
    }
    tama.programFileName = "t.tmk";
    std::string text(source);
    frontend::NormalizeSource(text);
    TTextRef main = MakeText(text);
    tama.sourceTexts.assign(1, main);
    tama.CollectLabels(main, tama.programFileName);
    tama.Jump({main, main->begin()});
    tama.RunProgram();
  }
  std::string Value(std::string_view name) {
    THashNode* n = tama.words.Find(name, false);
    return n ? n->Value() : "<none> " + tama.errorLog.Text();
  }
};

TEST(TwoInterpreters, KeepTheirOwnErrorLogs) {
  TInterpreter a, b;
  a.Run("エラーを無視\r\n回数を、数値として扱う\r\n");
  b.Run("「b」を、表示\r\n");
  EXPECT_NE(a.tama.errorLog.Text().find("既に存在するので"), std::string::npos);
  EXPECT_EQ(b.tama.errorLog.Text(), "");
  EXPECT_EQ(b.host.shown, "b\n");
  b.tama.errorLog.Clear();
  EXPECT_FALSE(a.tama.errorLog.Blank());
}

TEST(TwoInterpreters, DrawTheirOwnRandomSequences) {
  TRandom expected;
  expected.SetSeed(5);
  const std::string first = std::to_string(expected.Draw(1000));
  const std::string second = std::to_string(expected.Draw(1000));
  TInterpreter a, b;
  a.Run("5で、乱数初期化\r\nXは、乱数(1000)\r\n");
  b.Run("5で、乱数初期化\r\nXは、乱数(1000)\r\n");
  a.Run("Yは、乱数(1000)\r\n", true);
  b.Run("Yは、乱数(1000)\r\n", true);
  EXPECT_EQ(a.Value("X"), first);
  EXPECT_EQ(b.Value("X"), first);
  EXPECT_EQ(a.Value("Y"), second);
  EXPECT_EQ(b.Value("Y"), second);
}

TEST(TwoInterpreters, CountTheirOwnDepth) {
  TInterpreter a, b;
  a.Run("Aは、1\r\n");
  // a holds most of its nested-run levels while b recurses deeply
  std::vector<std::unique_ptr<TTamaBase::TNested>> held;
  for (int i = 0; i < 250; ++i) held.push_back(std::make_unique<TTamaBase::TNested>(a.tama));
  b.Run(
      "Nは、0\r\n"
      "Xは、(下りる)\r\n"
      "Mは、N\r\n"
      "おわり\r\n"
      "*下りる\r\n"
      "Nは、N+1\r\n"
      "もし、N<100ならば、Xは、(下りる)\r\n");
  EXPECT_EQ(b.tama.errorLog.Text(), "");
  EXPECT_EQ(b.Value("M"), "100");
  EXPECT_EQ(a.tama.budget.Depth(TStackBudget::kRun), 250);
  EXPECT_EQ(b.tama.budget.Depth(TStackBudget::kRun), 0);
  held.clear();
  EXPECT_EQ(a.tama.budget.Levels(), 0);
}

}  // namespace
}  // namespace tama
