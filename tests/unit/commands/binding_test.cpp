// Binding the items of a sentence to a command's argument pattern: a table of
// patterns and argument stacks, with the arguments each slot receives or the
// error the binding raises.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "run_fixture.h"

namespace tama {
namespace {

using runfx::TRunFixture;
using Items = std::vector<std::string>;

struct TBindCase {
  const char* name;
  const char* pattern;
  bool positional;
  Items stack;     // bottom first
  Items expected;  // bottom first; the last slot's argument on top
  bool omitted;
  const char* error;  // the message after the error-line prefix, or nullptr
};

class Binding : public TRunFixture {
 protected:
  Binding() { Load(""); }
};

TEST_F(Binding, PatternsAndStacks) {
  const TBindCase cases[] = {
      {"in order", "?を,?から,?まで", false, {"Aを", "Bから", "Cまで"}, {"A", "B", "C"}, false, nullptr},
      {"any order", "?を,?から,?まで", false, {"Cまで", "Aを", "Bから"}, {"A", "B", "C"}, false, nullptr},
      {"one missing: それ at the bottom", "?を,?から,?まで", false, {"Bから", "Cまで"},
       {"それ", "B", "C"}, true, nullptr},
      {"two missing", "?を,?から,?まで", false, {"Cまで"}, {}, false,
       "\"t\"命令の引数に誤りがあります。\"?を,?から,?まで\"の形式で指定してください。引数が少ないです。"},
      {"と takes を", "?と", false, {"`こんにちは`を"}, {"`こんにちは`"}, false, nullptr},
      {"nothing given: それ with the slot's particle", "?と", false, {}, {"それ"}, true, nullptr},
      {"nearest acceptable item from the top", "?の,?を,?に", false, {"Aを", "Bの", "Cに"}, {"A", "B", "C"}, false,
       nullptr},
      {"position wins over the particle", "?と,?を", false, {"bを", "aと"}, {"b", "a"}, false, nullptr},
      {"へ and に stand for each other", "?に,?へ", false, {"Xへ", "Yに"}, {"X", "Y"}, false, nullptr},
      {"the last slot is searched first", "?を,?に", false, {"Aで", "Bを"}, {}, false,
       "\"t\"命令の引数に誤りがあります。\"?を,?に\"の形式で指定してください。\"に\""},
      {"a surplus item stays below", "?を", false, {"Xで", "Aを"}, {"Xで", "A"}, false, nullptr},
      {"the empty particle takes the top item", "?,?を", false, {"Aを", "Bで"}, {"Bで", "A"}, false, nullptr},
      {"longer particles", "?の中で,?を", false, {"xを", "Sの中で"}, {"S", "x"}, false, nullptr},
      {"an item shorter than its particle", "?から", false, {"X", "か"}, {}, false,
       "\"t\"命令の引数に誤りがあります。\"?から\"の形式で指定してください。\"から\""},
      {"no slots", "", false, {"Aを"}, {"Aを"}, false, nullptr},
      {"positional: by position", "?の,?から,?を", true, {"A", "2", "3"}, {"A", "2", "3"}, false, nullptr},
      {"positional: a matching particle is removed", "?の,?を", true, {"Xで", "Bを"}, {"Xで", "B"}, false, nullptr},
      {"positional: one missing gives それ alone", "?の,?を", true, {"3"}, {"それ", "3"}, true, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto word = std::make_shared<THashNode>("t", true, TPos{}, wkCommand, 1, "", "", c.pattern);
    tama.args.Clear();
    for (const auto& it : c.stack) tama.args.Push(it);
    tama.positional = c.positional;
    tama.omitted = !c.omitted;
    try {
      tama.BindArguments(*word);
      EXPECT_EQ(c.error, nullptr) << "no error";
      EXPECT_EQ(tama.args.Items(), c.expected);
      EXPECT_EQ(tama.omitted, c.omitted);
    } catch (const ETama& e) {
      ASSERT_NE(c.error, nullptr) << e.what();
      EXPECT_EQ(std::string(e.what()), "[エラー] t.tmk(0行目): " + std::string(c.error));
    }
  }
  tama.positional = false;
}

TEST_F(Binding, TheArgumentStackIsLimited) {
  for (const char* pattern : {"", "?"}) {
    auto word = std::make_shared<THashNode>("t", true, TPos{}, wkCommand, 1, "", "", pattern);
    tama.args.Clear();
    for (int i = 0; i < 5001; ++i) tama.args.Push("x");
    EXPECT_THROW(tama.BindArguments(*word), ETama) << pattern;
  }
  tama.args.Clear();
  EXPECT_EQ(LogLines().back(), "[エラー] t.tmk(0行目): スタックが一杯になりました。ラベルなどに再帰呼び出しがないか確認！");
}

TEST_F(Binding, HandlersTakeTheLastSlotFirst) {
  tama.args.Clear();
  for (const char* it : {"Cまで", "Aを", "Bから"}) tama.args.Push(it);
  auto word = std::make_shared<THashNode>("t", true, TPos{}, wkCommand, 1, "", "", "?を,?から,?まで");
  tama.BindArguments(*word);
  EXPECT_EQ(tama.PopArgText(), "C");
  EXPECT_EQ(tama.PopArgText(), "B");
  EXPECT_EQ(tama.PopArgText(), "A");
  EXPECT_EQ(tama.PopArgText(), "");  // an empty stack gives the empty text
}

TEST_F(Binding, PopArgValueEvaluatesAndPopWordArgFindsTheWord) {
  tama.args.Clear();
  tama.args.Push("`a`&`b`");
  EXPECT_EQ(tama.PopArgValue(), "ab");
  tama.args.Push("(1+2)*2");
  EXPECT_EQ(tama.PopArgNumber(), 6);
  tama.args.Push("`回数`");
  EXPECT_EQ(&tama.PopWordArg(false), Word("回数"));
  tama.args.Push("新しい");
  THashNode& made = tama.PopWordArg(true);
  EXPECT_EQ(Word("新しい"), &made);
  EXPECT_EQ(made.Kind, wkVariable);
  tama.args.Push("無い");
  try {
    tama.PopWordArg(false);
    ADD_FAILURE();
  } catch (const ETama& e) {
    EXPECT_EQ(std::string(e.what()), "[エラー] t.tmk(0行目): オブジェクト\"無い\"が特定できません。");
  }
}

// The sentences around a command: what binding makes of them in a program.
TEST_F(Binding, InPrograms) {
  const struct {
    const char* program;
    const char* shown;
    const char* log;  // the error log, or "" when none
  } cases[] = {
      {"「こんにちは」と、言う\n", "こんにちは\n", ""},
      {"「こんにちは」を、言う\n", "こんにちは\n", ""},
      {"「x」を、計算\n言う\n", "x\n", ""},  // no argument: それ
      {"「こんにちは」と言う\n", "",
       "[エラー] t.tmk(1行目): \"`こんにちは`と言う\"は未定義の命令です。(;o;)<綴りミスか、命令の引数に注意！\r\n"},
      {"「a」と、「b」と、表示\n", "b\n",
       "[エラー] t.tmk(1行目): \"表示\"命令の引数に誤りがあります。引数が多いです。\"`a`と\r\n\"\r\n"},
      {"「a」で、表示\n", "",
       "[エラー] t.tmk(1行目): \"表示\"命令の引数に誤りがあります。\"?と\"の形式で指定してください。\"と\"\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    tama.args.Clear();  // what a failed sentence left
    Run(c.program);
    EXPECT_EQ(host.shown, c.shown);
    EXPECT_EQ(tama.errorLog.Text(), c.log);
  }
}

}  // namespace
}  // namespace tama
