// The expression evaluator and the value readers: a table of expressions with
// the value and the type tag they give, over variables of every kind of tag.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "run_fixture.h"
#include "sjis/sjis.h"

namespace tama {
namespace {

using runfx::TRunFixture;

struct TValueCase {
  const char* text;
  const char* value;
  const char* tag;
};

// 「」 and 『』 as the quote bytes, "、" as a comma.
std::string Canonical(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    std::string_view ch = text.substr(i, sjis::CharLen(text, i));
    i += ch.size();
    if (ch == "「" || ch == "」")
      out += '"';
    else if (ch == "『" || ch == "』")
      out += '`';
    else if (ch == "、")
      out += ',';
    else
      out += ch;
  }
  return out;
}

class Values : public TRunFixture {
 protected:
  Values() {
    // a dictionary with items of two tags
    Run("Dの、「鍵」は、「値」\nDの、「数」は、5\n");
    EXPECT_EQ(tama.errorLog.Text(), "");
    Var("S10", "10", "s");    // a string that looks like a number
    Var("E10", "10", "e");
    Var("M5", "-5", "e");
    Var("DOT", ".", "s");
    Var("EDOT", ".", "e");
    Var("NAME", "D", "s");    // names the dictionary D
    Var("EXPR", "1+2", "odd");  // a tag that is neither "s" nor "e"
    Var("LIST", "名前=太郎\r\n年=20", "s");
    Var("KEY", "年", "s");
    Var("T", "a,b,c\r\nd,e,f\r\ng", "s");
    Var("AB", "ab", "s");
    tama.args.Clear();
  }
  void Var(const char* name, const char* value, const char* tag) {
    auto n = std::make_shared<THashNode>(name, false, 0, value);
    n->Tag = tag;
    tama.AddWord(n);
  }
  // The value and tag of a text read by EvaluateText; the text is written
  // with the quotes and commas of a program, as they stand after normalising.
  void Check(const TValueCase& c) {
    SCOPED_TRACE(c.text);
    tama.curTag = "?";
    try {
      EXPECT_EQ(tama.EvaluateText(Canonical(c.text)), c.value);
      EXPECT_EQ(tama.curTag, c.tag);
    } catch (const ETama& e) {
      ADD_FAILURE() << e.what();
    }
  }
};

TEST_F(Values, Arithmetic) {
  const TValueCase cases[] = {
      {"1+2*3", "7", "e"},
      {"2^3^2", "64", "e"},  // left-associative, the level of "*"
      {"10%3", "1", "e"},
      {"-7%3", "-1", "e"},
      {"7/0", "0", "e"},
      {"7%0", "0", "e"},
      {"5^0", "1", "e"},
      {"0^0", "1", "e"},
      {"3 - -2", "5", "e"},
      {"-M5", "--5", "e"},   // textual negation
      {"(-M5)", "0", "e"},   // whose number is 0
      {"1 +", "1", "e"},  // the missing operand reads as 0
      {"1 2", "1", "e"},  // EvaluateText ignores the rest
      {"(1 2)", "1", "e"},  // and so does the evaluator
      {"+5-2", "3", "e"},
      {"$10+1", "17", "e"},
      {"((1/3)*3)", "0.999999999999999", "e"},  // a parenthesised result is formatted first
      {"(1/3*3)", "1", "e"},
      {"10^20", "1E20", "e"},
      {"(10^20)/(10^19)", "10", "e"},  // the formatted form reads back
      {"10^20/10^19", "1E361", "e"},   // one level, left to right
      {"5/100000", "5E-5", "e"},
      {"(5/100000)*2", "0.0001", "e"},
      {"S10+1", "11", "e"},  // arithmetic reads numbers out of strings
      {"文字サイズ+1", "13", "e"},
      {"EXPR*2", "2", "e"},  // a value with another tag is a string, never program text: 1 (of 1+2) * 2
  };
  for (const auto& c : cases) Check(c);
}

TEST_F(Values, ComparisonAndLogic) {
  const TValueCase cases[] = {
      {"「abc」=「abc」", "1", "e"},
      {"「10」=10", "1", "e"},    // the right operand is a number: numbers are compared
      {"10=「10.0」", "0", "e"},  // the right operand is a string: texts are compared
      {"「b」>「a」", "1", "e"},
      {"「B」<「a」", "1", "e"},  // unsigned bytes
      {"「ab」<「abc」", "1", "e"},  // a prefix is less
      {"「表」>「a」", "1", "e"},
      {"S10=10", "1", "e"},
      {"10=S10", "1", "e"},
      {"10=E10", "1", "e"},
      {"12=文字サイズ", "1", "e"},  // texts: "12" and "12"
      {"12.0=文字サイズ", "0", "e"},
      {"1<>2", "1", "e"},
      {"1><1", "0", "e"},
      {"2=>2", "1", "e"},
      {"2=<1", "0", "e"},
      {"1==1", "1", "e"},
      {"-1 && 1", "0", "e"},  // only numbers greater than 0 are true
      {"0 || 0.5", "1", "e"},
      {"1<2 && 2<3", "1", "e"},
      {"(1=1)+(2=2)", "2", "e"},
  };
  for (const auto& c : cases) Check(c);
}

TEST_F(Values, StringsAndConcatenation) {
  const TValueCase cases[] = {
      {"2*3&「円」", "2円", "s"},  // the product keeps its leftmost operand's text
      {"(2*3)&「円」", "6円", "s"},
      {"(1&2+3)", "4", "e"},  // "&" in an expression keeps the left operand's number
      {"1&2+3", "15", "e"},    // while the text reader joins first
      {"「a」&「b」", "ab", "s"},
      {"「a」 & 「b」&1", "ab1", "s"},
      {"AB&「c」", "abc", "s"},
      {"E10&「円」", "10円", "s"},
      {"「.」&「a」", ".a", "s"},  // a text that is no number is fine where no number is needed
      {"DOT&1", ".1", "s"},
      {"DOT=「.」", "1", "e"},
      {"「x」=DOT", "0", "e"},
      {"DOT", ".", "s"},
      {"EXPR", "1+2", "odd"},
      {"EXPR&「!」", "1+2!", "s"},
      {"EXPR=「1+2」", "1", "e"},  // quoted into the expression, never re-read as 1+2
      {"エラーメッセージ=「」", "1", "e"},
      {"「1,2」=「1,2」", "1", "e"},
      {"「a」&\r\n1:「b」", "ab", "s"},  // a line-final "&" joins the next line
  };
  for (const auto& c : cases) Check(c);
}

TEST_F(Values, Operands) {
  const TValueCase cases[] = {
      {"こんにちは", "こんにちは", "s"},  // an unknown word is its own text
      {"1.5e3", "1.5e3", "e"},
      {"2.50", "2.50", "e"},
      {"$FF", "255", "e"},
      {"-$10", "-16", "e"},
      {"E10", "10", "e"},
      {"S10", "10", "s"},
      {"-S10", "-10", "s"},  // the inner tag stays
      {"(S10)", "10", "s"},
      {"(E10)", "10", "e"},
      {"文字サイズ", "12", "文字サイズを設定e"},
      {"「a\\\"b」", "a\"b", "s"},
      {"「x{1+2}y」", "x3y", "s"},
      {"「{ＡＢ}」", "ab", "s"},  // folded before it is read
      {"「a\\nb\\tc」", "a\r\nb\tc", "s"},
      {"「a￥ｎb」", "a\r\nb", "s"},
      {"「\\{x\\}」", "{x}", "s"},
      {"『a``b』", "a`b", "s"},
      {"「」", "", "s"},
      {"「a」「b」", "a", "s"},
      {"D", "数=5\r\n鍵=値", "s"},  // the dictionary as text, in the table's order
      {"(Dの、鍵)", "値", "s"},
      {"(Dの 数)", "5", "e"},  // an item gives the last byte of its tag
      {"(Dの、(「数」))", "5", "e"},
      {"(Dの、無い)", "", "s"},
      {"(LISTの、年)", "20", "s"},
      {"(LISTの、KEY)", "20", "s"},  // a key that is a word: its value
      {"(LISTの、名前)", "太郎", "s"},
      {"(LISTの、無い)", "", "s"},
      {"(NAMEの、鍵)", "値", "s"},  // a variable naming a dictionary
      {"T#1", "d,e,f", "s"},        // a row of several cells
      {"T#2", "g", "s"},            // a row of one cell
      {"T#3", "", "s"},
      {"T#0#1", "d", "s"},  // column 0 of row 1
      {"T#2#0", "c", "s"},
      {"T#(1+1)#1", "f", "s"},
      {"T#E10", "", "s"},
      {"T#x", "", "s"},  // an index that is no number
  };
  for (const auto& c : cases) Check(c);
}

TEST_F(Values, TheQuoteIsOnlyLeftOffForNumbers) {
  // a value that is no number enters an expression as a string, so that
  // descriptive tags and retagged values are never read as program text
  Var("CMD", "表示", "odd");
  EXPECT_EQ(tama.EvaluateText(Canonical("CMD&「」")), "表示");
  EXPECT_EQ(tama.EvaluateText(Canonical("CMD=「表示」")), "1");
  EXPECT_EQ(host.shown, "");
}

TEST_F(Values, ExpressionErrors) {
  const struct {
    const char* text;
    const char* inner;   // the bare line of the evaluator
    const char* report;  // after the error-line prefix
  } cases[] = {
      {"*3", "演算子「*」の位置が不正。", "計算式に誤りがあります。演算子「*」の位置が不正。*3"},
      {"1+*2", "演算子「*」の位置が不正。", "計算式に誤りがあります。演算子「*」の位置が不正。1+*2"},
      {"1 | 2", "計算結果が不正", "計算式に誤りがあります。計算結果が不正1 | 2"},
      {"1 << 2", "計算結果が不正", "計算式に誤りがあります。計算結果が不正1 << 2"},
      {"1 =&", "計算結果が不正", "計算式に誤りがあります。計算結果が不正1 =&"},
      {"DOT+1", "", "計算式に誤りがあります。'.' は浮動小数点数ではありません"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    tama.errorLog.Clear();
    try {
      tama.EvaluateExpression(Canonical(c.text));
      ADD_FAILURE() << "no error";
    } catch (const ETama& e) {
      std::string what = e.what();
      EXPECT_EQ(what.rfind("[エラー] t.tmk(", 0), 0u) << what;
      EXPECT_NE(what.find(c.report), std::string::npos) << what;
      if (*c.inner) {
        EXPECT_EQ(LogLines().front(), c.inner);
      }
    }
  }
}

TEST_F(Values, DeepNestingIsAnErrorNotACrash) {
  const std::string deep = std::string(5000, '(') + "1" + std::string(5000, ')');
  try {
    tama.EvaluateText(deep);
    ADD_FAILURE() << "no error";
  } catch (const ETama& e) {
    EXPECT_NE(std::string(e.what()).find("スタックが一杯になりました。ラベルなどに再帰呼び出しがないか確認！"),
              std::string::npos);
  }
  std::string calls;
  for (int i = 0; i < 5000; ++i) calls += "計算(";
  calls += "1" + std::string(5000, ')');
  EXPECT_THROW(tama.EvaluateText(calls), ETama);
  // a long chain of minus signs is no nesting
  EXPECT_EQ(tama.EvaluateText(std::string(5000, '-') + "1"), std::string(5000, '-') + "1");
}

TEST_F(Values, ResolveValue) {
  const struct {
    const char* text;
    bool found;
    const char* value;
  } cases[] = {
      {"AB", true, "ab"},
      {"E10", true, "10"},
      {"無い", false, ""},
      {"Dの,鍵", true, "値"},
      {"NAMEの,鍵", true, "値"},  // a variable naming a dictionary
      {"ABの,x", false, ""},      // a variable whose value names no word
      {"無いの,x", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::string v;
    EXPECT_EQ(tama.ResolveValue(Canonical(c.text), v), c.found);
    if (c.found) {
      EXPECT_EQ(v, c.value);
    }
  }
  // variables naming one another in a ring resolve to nothing
  Var("RING1", "RING2", "s");
  Var("RING2", "RING1", "s");
  std::string v;
  EXPECT_FALSE(tama.ResolveValue("RING1の,x", v));
}

TEST_F(Values, ItemAccessOnAWordWithoutItemsFails) {
  try {
    tama.EvaluateText("(表示の,x)");
    ADD_FAILURE();
  } catch (const ETama& e) {
    EXPECT_NE(std::string(e.what()).find("オブジェクト\"表示\"から、直接値を得ることは出来ません。"), std::string::npos);
  }
}

TEST_F(Values, CommandsAndLabelsAsOperandsKeepTheResult) {
  Run("それは、「前」\nAは、F&「!」\nおわり\n*F\nそれは、「f」\n戻る\n");
  EXPECT_EQ(tama.errorLog.Text(), "");
  EXPECT_EQ(Value("A"), "f!");
  EXPECT_EQ(Value("それ"), "前");
}

TEST_F(Values, ExpandLiteralOfAnUnclosedPart) {
  try {
    tama.ExpandLiteral("\"ab");
    ADD_FAILURE();
  } catch (const ETama& e) {
    EXPECT_NE(std::string(e.what()).find("文字列\"ab\"の最後に」がありません。"), std::string::npos);
  }
  EXPECT_THROW(tama.ExpandLiteral("\"ab\\"), ETama);
  EXPECT_EQ(tama.ExpandLiteral("`ab"), "ab");  // a back-quoted part simply ends
  EXPECT_EQ(tama.ExpandLiteral("\"a\" & `b` & AB"), "abab");
}

}  // namespace
}  // namespace tama
