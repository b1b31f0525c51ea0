// The numeric commands run through whole programs: each case is one or more
// sentences and the value and tag they leave in それ, or the reason of the
// error they stop with.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "commands/numeric.h"
#include "run_fixture.h"
#include "support/number.h"

namespace tama {
namespace {

using TCase = runfx::TResultCase;
using TErrorCase = runfx::TErrorCase;

class NumericCommands : public runfx::TResultFixture {
 protected:
  void CheckError(const TErrorCase& c) {
    SCOPED_TRACE(c.program);
    Run(c.program);
    EXPECT_EQ(host.dialogs.size(), 1u);
    EXPECT_EQ(Reason(), c.reason);
  }
  void Var(const char* name, std::string value, const char* tag) {
    auto n = std::make_shared<THashNode>(name, false, 0, std::move(value));
    n->Tag = tag;
    tama.AddWord(n);
  }
};

TEST_F(NumericCommands, IntegerPartAndRounding) {
  const TCase cases[] = {
      {"整数(-3.7)", "-3", "e"},
      {"INT(3.9)", "3", "e"},
      {"TRUNC(-0.5)", "0", "e"},
      {"整数(「1.0e18」)", "1000000000000000000", "e"},
      {"ROUND(2.5)", "2", "e"},
      {"ROUND(3.5)", "4", "e"},
      {"ROUND(-2.5)", "-2", "e"},
      {"ROUND(-3.5)", "-4", "e"},
      {"ROUND(2.51)", "3", "e"},
      {"CEIL(-3.5)", "-3", "e"},
      {"FLOOR(-3.5)", "-4", "e"},
      {"CEIL(3)", "3", "e"},
      {"FLOOR(2.0000001)", "2", "e"},
      // beyond the 32-bit range the whole number stands, without wrapping
      {"CEIL(3000000000.5)", "3000000001", "e"},
      {"FLOOR(-3000000000.5)", "-3000000001", "e"},
      {"3.14159を、2位で、切り捨て", "3.14", "e"},
      {"-3.99を、0位で、切り捨て", "-3", "e"},
      {"1234.567を、-2位で、切り捨て", "1200", "e"},
      {"1234.5を、0位で、四捨五入", "1234", "e"},
      {"1235.5を、0位で、四捨五入", "1236", "e"},
      {"0.125を、2位で、四捨五入", "0.12", "e"},
      {"0.375を、2位で、四捨五入", "0.38", "e"},
      {"1250を、-2位で、四捨五入", "1200", "e"},
      {"2.675を、1.9位で、四捨五入", "2.7", "e"},  // places are truncated: 1
      {"ABS(-2.5)", "2.5", "e"},
      {"ABS(「abc」)", "0", "e"},
      {"FRAC(「3.25」)", "0.25", "e"},
      {"FRAC(「-3.25」)", "0.25", "e"},
      {"FRAC(「1.50」)", "0.50", "e"},
      {"FRAC(「３．２５」)", "0.25", "e"},
      {"FRAC(「-0.5」)", "0.5", "e"},
      {"FRAC(「12」)", "", "e"},
      {"FRAC(「3」)", "", "e"},
  };
  for (const TCase& c : cases) Check(c);
}

TEST_F(NumericCommands, PowersLogarithmsRoots) {
  const TCase cases[] = {
      {"POWER(2,10)", "1024", "e"},
      {"POWER(2,-1)", "0.5", "e"},
      {"POWER(0,0)", "1", "e"},
      {"POWER(0,3)", "0", "e"},
      {"POWER(4,0.5)", "2", "e"},
      {"POWER(-2,3)", "-8", "e"},
      {"POWER(10,4900)", "1E4900", "e"},  // near the top of the range without a false overflow
      {"LOG(2,8)", "3", "e"},
      {"LOG(10,1000)", "3", "e"},
      {"LOG2(8)", "3", "e"},
      {"LOG10(1000)", "3", "e"},
      {"LN(1)", "0", "e"},
      {"EXP(0)", "1", "e"},
      {"EXP(1)", "2.71828182845905", "e"},
      {"EXP(-100000)", "0", "e"},  // underflow is silent
      {"SQRT(2)", "1.4142135623731", "e"},
      {"SQRT(0)", "0", "e"},
  };
  for (const TCase& c : cases) Check(c);
  const std::pair<const char*, const char*> hypot[] = {
      {"X=HYPOT(3,4)", "5"}, {"X=HYPOT(-4,3)", "5"}, {"X=HYPOT(0,-5)", "5"}, {"X=HYPOT(0,0)", "0"},
      {"X=HYPOT(1.0e4000,1.0e4000)", "1.4142135623731E4000"},  // no overflow on the way
  };
  for (const auto& [program, want] : hypot) {
    SCOPED_TRACE(program);
    Run(program);
    EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
    EXPECT_EQ(Value("X"), want);
  }
}

TEST_F(NumericCommands, ArithmeticFailures) {
  const TErrorCase cases[] = {
      {"SQRT(-1)", kMsgInvalidOperation},
      {"LN(0)", kMsgFloatDivideByZero},
      {"LN(-1)", kMsgInvalidOperation},
      {"LOG2(0)", kMsgFloatDivideByZero},
      {"LOG10(-5)", kMsgInvalidOperation},
      {"LOG(1,5)", kMsgFloatDivideByZero},
      {"LOG(1,1)", kMsgInvalidOperation},
      {"LOG(2,-8)", kMsgInvalidOperation},
      {"POWER(0,-1)", kMsgFloatDivideByZero},
      {"POWER(-8,0.5)", kMsgInvalidOperation},
      {"POWER(10,5000)", kMsgFloatOverflow},
      {"POWER(10,-5000)", kMsgFloatOverflow},
      {"POWER(2,1.0e10)", kMsgFloatOverflow},
      {"EXP(100000)", kMsgFloatOverflow},
      {"整数(1.0e19)", kMsgInvalidOperation},
      {"ROUND(-1.0e19)", kMsgInvalidOperation},
      {"CEIL(1.0e19)", kMsgInvalidOperation},
      {"1.0e18を、2位で、切り捨て", kMsgInvalidOperation},
      {"1を、3000000000位で、四捨五入", kMsgRangeCheck},
      {"ARCSIN(1.5)", kMsgInvalidOperation},
      {"ARCCOS(-2)", kMsgInvalidOperation},
      {"整数(「.」)", "'.' は浮動小数点数ではありません"},
      {"ABS(「-.」)", "'.' は浮動小数点数ではありません"},
  };
  for (const TErrorCase& c : cases) CheckError(c);
}

TEST_F(NumericCommands, TrigonometryLeavesTheTag) {
  const TCase cases[] = {
      {"180を、度からラジアン", "3.14159265358979", "?"},
      {"1を、ラジアンから度", "57.2957795130823", "?"},
      {"200を、グラードからラジアン", "3.14159265358979", "?"},
      {"1を、ラジアンからグラード", "63.6619772367581", "?"},
      {"1を、サイクルからラジアン", "6.28318530717959", "?"},
      {"1を、ラジアンからサイクル", "0.159154943091895", "?"},
  };
  for (const TCase& c : cases) Check(c);
  const TCase values[] = {
      {"X=SIN(0)", "0", ""},
      {"X=COS(0)", "1", ""},
      {"X=サイン(1)", "0.841470984807897", ""},
      {"X=コサイン(1)", "0.54030230586814", ""},
      {"X=SIN(1.0e19)", "0", ""},  // 2^63 and more
      {"X=COS(-1.0e19)", "0", ""},
      {"X=TAN(0)", "0", ""},
      {"X=タンジェント(1)", "1.5574077246549", ""},
      {"X=ARCTAN(1)", "0.785398163397448", ""},
      {"X=ARCSIN(1)", "1.5707963267949", ""},
      {"X=ARCSIN(-0.5)", "-0.523598775598299", ""},
      {"X=ARCCOS(-1)", "3.14159265358979", ""},
      {"X=ARCCOS(0.5)", "1.0471975511966", ""},
  };
  for (const TCase& c : values) {
    SCOPED_TRACE(c.program);
    Run(c.program);
    EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
    EXPECT_EQ(Value("X"), c.value);
  }
}

TEST_F(NumericCommands, RandomNumbersFollowTheSeed) {
  const TCase cases[] = {
      {"1で、乱数初期化\n乱数(100)", "3", "e"},
      {"1で、乱数初期化\n乱数(100)\n乱数(100)", "86", "e"},
      {"1で、乱数初期化\n乱数(「abc」)", "3", "e"},   // not a plain integer: 0..99
      {"1で、乱数初期化\n乱数(「1.5」)", "3", "e"},
      {"1で、乱数初期化\n乱数(-1)", "134775813", "e"},  // taken as 2^32 - 1
      {"1で、乱数初期化\n乱数(0)", "0", "e"},
      {"5で、乱数初期化\n乱数(1000)\n乱数(1000)\n乱数(1000)", "568", "e"},
      {"7で、乱数初期化\nRND", "0.219659575261176", "e"},
  };
  for (const TCase& c : cases) Check(c);

  // 乱数 of 1 is always 0; the same seed gives the same sequence.
  Run("-1で、乱数初期化\nA=乱数(1)&乱数(1)&乱数(1)&乱数(1)");
  EXPECT_EQ(Value("A"), "0000");
  Run("12345で、乱数初期化\nA=乱数(1000)&「,」&RND&「,」&乱数(7)\n12345で、乱数初期化\nB=乱数(1000)&「,」&RND&「,」&乱数(7)");
  EXPECT_EQ(Value("A"), Value("B"));
  // 乱数初期化 leaves それ alone
  RunTagged("それは、「前」\n3で、乱数初期化");
  EXPECT_EQ(Value("それ"), "前");
  CheckError({"3000000000で、乱数初期化", kMsgRangeCheck});
}

TEST_F(NumericCommands, BitwiseAndIntegerOperations) {
  const TCase cases[] = {
      {"12と、10の、AND", "8", "e"},
      {"OR(12,10)", "14", "e"},
      {"XOR(12,10)", "6", "e"},
      {"AND(-1,255)", "255", "e"},
      {"AND(3.9,1)", "1", "e"},  // number-read truncates
      {"NOT(5)", "0", "e"},
      {"NOT(0)", "1", "e"},
      {"NOT(0.5)", "1", "e"},
      {"MOD(7,-3)", "1", "e"},
      {"MOD(-7,3)", "-1", "e"},
      {"7と、3の、余り", "1", "e"},
      {"MOD(-2147483648,-1)", "0", "e"},
      {"SHR(-1,1)", "2147483647", "e"},
      {"8を、33ビット、右シフト", "4", "e"},  // the low five bits of the count
      {"SHL(1,31)", "-2147483648", "e"},
      {"SHL(1,32)", "1", "e"},
      {"3を、2ビット、左シフト", "12", "e"},
      {"SHL(-1,0)", "-1", "e"},
      {"HEX(10)", "0A", "s"},
      {"HEX(255)", "FF", "s"},
      {"HEX(256)", "100", "s"},
      {"HEX(0)", "00", "s"},
      {"HEX(-1)", "FFFFFFFF", "s"},
      {"HEX(-2147483648)", "80000000", "s"},
  };
  for (const TCase& c : cases) Check(c);
  // HEX gives text: the digits survive being passed on as an argument
  Run("HEX(10)を、表示\nHEX(31)を、表示");
  EXPECT_EQ(host.shown, "0A\n1F\n");

  const TErrorCase errors[] = {
      {"MOD(1,0)", kMsgIntDivideByZero},
      {"AND(3000000000,1)", kMsgRangeCheck},
      {"SHL(1,-2147483649)", kMsgRangeCheck},
      {"HEX(2147483648)", kMsgRangeCheck},
  };
  for (const TErrorCase& c : errors) CheckError(c);
}

TEST_F(NumericCommands, ArithmeticOnAVariable) {
  struct TVarCase {
    const char* value;  // A before
    const char* tag;    // A's tag before
    const char* sentence;
    const char* result;  // A and それ after
    const char* resultTag;
  };
  const TVarCase cases[] = {
      {"3", "e", "Aに、2を、足す", "5", "e"},
      {"abc", "s", "Aに、2を、足す", "2", "e"},  // a number adds: the text counts 0
      {"abc", "s", "Aに、「d」を、足す", "abcd", "s"},
      {"3", "e", "Aに、「4」を、足す", "34", "s"},   // a text appends
      {"1,000", "s", "Aに、0.5を、足す", "1000.5", "e"},
      {"3", "e", "Aに、1.0e20を、足す", "1E20", "e"},
      {"10", "e", "Aから、4を、引く", "6", "e"},
      {"10", "s", "Aから、「4」を、引く", "6", "e"},
      {"2.5", "e", "Aに、4を、掛ける", "10", "e"},
      {"3", "e", "Aを、2で、割る", "1.5", "e"},
      {"1", "e", "Aを、3で、割る", "0.333333333333333", "e"},
  };
  for (const TVarCase& c : cases) {
    SCOPED_TRACE(c.sentence);
    Load(c.sentence);
    Var("A", c.value, c.tag);
    tama.RunProgram();
    EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
    EXPECT_EQ(Value("A"), c.result);
    EXPECT_EQ(Word("A")->Tag, c.resultTag);
    EXPECT_EQ(Value("それ"), c.result);
    EXPECT_EQ(Word("それ")->Tag, c.resultTag);
  }

  // No word of that name: the argument is evaluated, only それ changes.
  Run("(1+2)に、3を、足す");
  EXPECT_EQ(Value("それ"), "6");
  Run("「ab」に、「c」を、足す");
  EXPECT_EQ(Value("それ"), "abc");
  Run("Bは、5\n(B)から、1を、引く");
  EXPECT_EQ(Value("それ"), "4");
  EXPECT_EQ(Value("B"), "5");
  // それ itself
  Run("それは、2\nそれに、3を、掛ける");
  EXPECT_EQ(Value("それ"), "6");

  // Failures leave the variable and それ as they were.
  const TErrorCase errors[] = {
      {"Aは、1\nそれは、「前」\nAを、0で、割る", kMsgFloatDivideByZero},
      {"Aは、0\nそれは、「前」\nAを、0で、割る", kMsgInvalidOperation},
      {"Aは、1.0e4000\nそれは、「前」\nAに、1.0e4000を、掛ける", kMsgFloatOverflow},
      {"Aは、-1.0e4932\nそれは、「前」\nAから、1.0e4932を、引く", kMsgFloatOverflow},
  };
  for (const TErrorCase& c : errors) {
    CheckError(c);
    EXPECT_EQ(Value("それ"), "前");
    EXPECT_NE(Value("A"), "前");
  }
  Run("Aは、7\nAを、0で、割る");
  EXPECT_EQ(Value("A"), "7");
}

TEST_F(NumericCommands, ColourValues) {
  const TCase cases[] = {
      {"RGB(255,0,0)", "255", "?"},
      {"RGB(0,0,255)", "16711680", "?"},
      {"RGB(1,2,3)", "197121", "?"},
      {"RGB(256,0,0)", "0", "?"},
      {"RGB(300,0,0)", "44", "?"},
      {"CMYK(0,0,0,0)", "16777215", "?"},
      {"CMYK(255,0,0,0)", "16776960", "?"},
      {"CMYK(0,0,0,128)", "8355711", "?"},
      {"CMYK(200,0,0,100)", "10197760", "?"},  // cyan + black beyond 254: no red
  };
  for (const TCase& c : cases) Check(c);  // それ's tag stays
  const TErrorCase errors[] = {
      {"RGB(-1,0,0)", kMsgRangeCheck},
      {"RGB(0,0,-2)", "\"RGB\"命令の引数に誤りがあります。"},
      {"RGB(-1,-2,0)", "\"RGB\"命令の引数に誤りがあります。"},  // below -1 wins
      {"CMYK(256,0,0,0)", kMsgRangeCheck},
      {"CMYK(0,0,0,-1)", kMsgRangeCheck},
  };
  for (const TErrorCase& c : errors) CheckError(c);
}

TEST_F(NumericCommands, StatisticsOverAnArray) {
  struct TStatCase {
    const char* lines;
    const char* sum;
    const char* average;
    const char* variance;
    const char* stdev;  // nullptr: fails as 0 / 0
    const char* max;
    const char* min;
  };
  const TStatCase cases[] = {
      {"1\r\n\r\n２\r\n 3 ", "6", "2", "0.666666666666667", "1", "3", "1"},
      {"", "0", "0", "0", nullptr, "0", "0"},
      {"\r\n  \r\n", "0", "0", "0", nullptr, "0", "0"},
      {"4", "4", "4", "0", nullptr, "4", "4"},
      {"-5\r-2\n-9", "-16", "-5.33333333333333", "8.22222222222222", "3.51188458428425", "-2", "-9"},
      // the total variance rounds below 0 here: it counts as 0
      {"0.3\r\n0.3\r\n0.3\r\n0.3\r\n0.3", "1.5", "0.3", "0", "0", "0.3", "0.3"},
      {"1,000\r\nabc\r\n1", "1001", "333.666666666667", "222000.222222222", "577.061810669649", "1000", "0"},
  };
  for (const TStatCase& c : cases) {
    SCOPED_TRACE(c.lines);
    const std::pair<const char*, const char*> commands[] = {
        {"Dの、配列合計値", c.sum},      {"SUM(D)", c.sum},          {"Dの、配列平均値", c.average},
        {"AVERAGE(D)", c.average},       {"Dの、配列分散値", c.variance}, {"VAR(D)", c.variance},
        {"Dの、標準偏差値", c.stdev},    {"STDEV(D)", c.stdev},      {"Dの、配列最大値", c.max},
        {"Dの、配列最小値", c.min},
    };
    for (const auto& [program, want] : commands) {
      SCOPED_TRACE(program);
      Load(program);
      Var("D", c.lines, "s");
      tama.RunProgram();
      if (want) {
        EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
        EXPECT_EQ(Value("それ"), want);
        EXPECT_EQ(Word("それ")->Tag, "e");
      } else {
        EXPECT_EQ(Reason(), kMsgInvalidOperation);
      }
    }
  }
}

TEST_F(NumericCommands, CalculationOfAnExpressionText) {
  const TCase cases[] = {
      {"「１＋２」を、計算", "3", "s"},
      {"「2*(3+4)」を、計算", "14", "s"},
      {"「」を、計算", "", "s"},
      {"「SQRT(-1)」を、計算", "", "s"},  // the error is swallowed
  };
  for (const TCase& c : cases) Check(c);
}

TEST(PowerRule, SquaringAndFallback) {
  EXPECT_EQ(PowerRule(2, 0), 1);
  EXPECT_EQ(PowerRule(0, 0), 1);
  EXPECT_EQ(PowerRule(0, 2.5L), 0);
  EXPECT_EQ(PowerRule(3, 5), 243);
  EXPECT_EQ(PowerRule(-3, 3), -27);
  EXPECT_EQ(PowerRule(10, -2), 1 / 100.0L);
  EXPECT_EQ(PowerRule(2, 63), 9223372036854775808.0L);
  EXPECT_NEAR(static_cast<double>(PowerRule(2, 0.5L)), 1.4142135623730951, 1e-15);
  EXPECT_THROW(PowerRule(-2, 0.5L), TNumError);
  EXPECT_THROW(PowerRule(0, -2), TNumError);
}

}  // namespace
}  // namespace tama
