// Calls written with parentheses: the items an argument list puts on the
// argument stack, and the sentences around such calls.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "run_fixture.h"

namespace tama {
namespace {

using runfx::TRunFixture;
using Items = std::vector<std::string>;

Items* recorded = nullptr;

// A command without slots that takes every item of its call as written.
void Record(TTamaBase& t, int) {
  Items items;
  while (!t.args.Empty()) items.insert(items.begin(), t.PopArgText());
  *recorded = items;
  t.SetResultTagged("r", "s");
}

class Arguments : public TRunFixture {
 protected:
  // Runs the program with the command 記録 added.
  void RunRecording(const std::string& program) {
    tama.args.Clear();
    tama.frames.ClearAll();
    Load(program);
    const int id = static_cast<int>(tama.handlers.size());
    tama.handlers.push_back(&Record);
    tama.AddWord(std::make_shared<THashNode>("記録", true, TPos{}, wkCommand, id, "", "", ""));
    items.assign(1, "<not called>");
    recorded = &items;
    tama.RunProgram();
    tama.handlers.pop_back();
  }
  Items items;
};

TEST_F(Arguments, TheItemsOfAnArgumentList) {
  const struct {
    const char* program;
    Items items;
  } cases[] = {
      {"記録(1,2)", {"1", "2"}},
      {"記録(1,-1)", {"1", "-1"}},  // an operator after a comma starts a new argument
      {"記録(-1)", {"-1"}},
      {"記録(「a」&「b」)", {"`ab`"}},  // the literal's value, not its quotes
      {"記録(「a」&「b」&A)", {"`ab1`"}},
      {"記録(A&「b」)", {"`1b`"}},
      {"記録(「a」、「b」)", {"\"a\"", "\"b\""}},  // literals go on as written
      {"記録(「a」=「a」)", {"1"}},
      {"記録(「a」, -1)", {"\"a\"", "-1"}},
      {"記録(A+1,B)", {"2", "B"}},
      {"記録(A + 1)", {"2"}},
      {"記録(x , y)", {"x", "y"}},
      {"記録(x y)", {"x", "y"}},
      {"記録(x )", {"x"}},
      {"記録((1+2)*3)", {"9"}},
      {"記録((1+2),3)", {"3", "3"}},
      {"記録((「a」)&「b」)", {"`ab`"}},
      {"記録((「a」))", {"`a`"}},
      {"記録(計算(「1+2」))", {"`3`"}},  // a result goes on as a value
      {"記録(計算(「1+2」),4)", {"`3`", "4"}},
      {"記録(T#1)", {"`d,e`"}},
      {"記録(T#1#0)", {"`b`"}},  // column 1 of row 0
      {"記録(1,\n2)", {"1", "2"}},
      {"記録(「a」&\n「b」)", {"`ab`"}},
      {"記録()", {}},
      {"記録(,2)", {"", "2"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    RunRecording(std::string("Aは、1\nTは、「a,b\nd,e」\n") + c.program + "\n");
    EXPECT_EQ(tama.errorLog.Text(), "");
    EXPECT_EQ(items, c.items);
  }
}

TEST_F(Arguments, SentencesAroundCalls) {
  const struct {
    const char* program;
    const char* shown;
  } cases[] = {
      // a call that ends its sentence gives それ its result and tag
      {"記録(1)\nそれを、表示\n", "r\n"},
      {"記録(1);それを、表示\n", "r\n"},
      // otherwise the result is the item, with the particle that follows
      {"記録(1)を、表示\n", "r\n"},
      {"それは、「前」\n(記録(1)&「!」)を、表示\nそれを、表示\n", "r!\n前\n"},
      {"記録して\nそれを、表示\n", "r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    RunRecording(c.program);
    EXPECT_EQ(host.shown, c.shown);
  }
}

TEST_F(Arguments, TheItemsAroundACallWaitAside) {
  RunRecording("「x」と、記録(1)を、「y」と、表示\n");
  EXPECT_EQ(items, Items{"1"});
}

TEST_F(Arguments, TheCalleeMustTakeEveryArgument) {
  RunRecording("表示(1,2)\n「後」を、表示\n");
  EXPECT_EQ(host.shown, "2\n");
  EXPECT_EQ(tama.errorLog.Text(), "[エラー] t.tmk(1行目): \"表示\"命令の引数に誤りがあります。引数が多いです。\"1\r\n\"\r\n");
  EXPECT_TRUE(tama.args.Empty());
}

TEST_F(Arguments, ALongChainOfItemsNeedsNoDeepStack) {
  // every item ending in の reads the next token at once; far more of them
  // than the argument stack may hold
  std::string program;
  for (int i = 0; i < 20000; ++i) program += "Xの ";
  Run(program + "「a」と、表示\n");
  EXPECT_EQ(host.shown, "");
  EXPECT_EQ(tama.errorLog.Text(), "[エラー] t.tmk(1行目): スタックが一杯になりました。ラベルなどに再帰呼び出しがないか確認！\r\n");
  tama.args.Clear();
}

TEST_F(Arguments, TheParenthesesMustFollowTheName) {
  RunRecording("記録 (1)\n");
  EXPECT_EQ(tama.errorLog.Text(),
            "[エラー] t.tmk(1行目): 関数\"記録\"の呼び出しで、引数の()は、すぐ後ろに書いてください。\r\n");
}

}  // namespace
}  // namespace tama
