// The string commands run through whole programs: the arguments they take,
// the result and tag they leave in それ, the variables the cutting commands
// write back, マッチ数, and their error messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_fixture.h"

namespace tama {
namespace {

using runfx::TRunFixture;

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

class StringCommands : public TRunFixture {
 protected:
  // Runs the program; it must end without an error.
  void RunClean(const std::string& program) {
    Fresh(program);
    tama.RunProgram();
    EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
  }
  // Runs the program; its first error line must end with the message.
  void RunFailing(const std::string& program, const std::string& message) {
    Fresh(program);
    tama.RunProgram();
    const std::vector<std::string> lines = LogLines();
    ASSERT_FALSE(lines.empty()) << "no error";
    EXPECT_TRUE(EndsWith(lines[0], message)) << lines[0];
  }
  // Loads the program into a fresh run (a failed sentence leaves its items on the argument stack).
  void Fresh(const std::string& program) {
    tama.args.Clear();
    Load(program);
  }
  std::string SoreTag() { return Word("それ")->Tag; }
};

struct TResultCase {
  const char* program;
  std::string value;  // それ afterwards
  const char* tag;    // それ's Tag afterwards
};

TEST_F(StringCommands, ResultsAndTags) {
  const std::vector<TResultCase> cases = {
      // measuring and testing
      {"「aあb」の、文字数", "3", "e"},
      {"Aは、LEN(「aあb」)\nAから、それへ、単語コピー", "3", "e"},
      {"「aあb」の、バイト数", "4", "e"},
      {"「あいう」の中で、「う」が、何文字目", "3", "e"},
      {"「　」の中で、「@」が、何文字目", "0", "e"},
      {"「abc」の中で、「」が、何文字目", "0", "e"},
      {"「aXbXc」で、「X」の、出現回数", "2", "e"},
      {"「abc」と、「abc」で、文比較", "1", "e"},
      {"「abc」と、「abC」で、文比較", "0", "e"},
      {"「12.5e3」が、数列か", "1", "e"},
      {"「a1」が、数列か", "0", "e"},
      // extracting
      {"「あいうえお」の中で、2から、2つ、切り出す", "いう", "s"},
      {"「あいうえお」の中で、0から、2つ、切り出す", "あ", "s"},
      {"「あいうえお」の中で、「2.5」から、2つ、切り出す", "あ", "s"},  // integer-read: 0
      {"「あいうえお」の中で、2から、2つ、MID", "いう", "s"},
      {"Aは、MID(「あいうえお」,2,2)\nAから、それへ、単語コピー", "いう", "s"},  // the positional form
      {"Aは、MIDB(「あいうえお」,3,2)\nAから、それへ、単語コピー", "い", "s"},
      {"Aは、LEFT(「あいう」,2)\nAから、それへ、単語コピー", "あい", "s"},
      {"Aは、RIGHT(「あいう」,「２」)\nAから、それへ、単語コピー", "いう", "s"},  // number-read: full-width digits
      {"「あいう」から、1文字、左端削除", "いう", "s"},
      {"「あいう」から、1文字、右端削除", "あい", "s"},
      {"「a\\n\\nb」から、2番目の、段落を切り出す", "b", "s"},
      // building and replacing
      {"「aaa」の、「a」を、「aa」に、置換", "aaaaaa", "s"},
      {"「aaaa」で、2個目の、「aa」を、「X」に、単置換", "aaX", "s"},
      {"「ab」を、3度、リフレイン", "ababab", "s"},
      {"「ab」を、0度、リフレイン", "", "s"},
      {"「　 a b 　」の、前後の空白削除", "a b", "x"},
      {"「　a　」を、トリム", "a", "x"},
      {"「書き込み」から、送り仮名削除", "書込", "s"},
      // formatting
      {"「1234567」を、通貨形式に変換", "1,234,567", "x"},
      {"「1234.5」を、通貨形式に変換", "1,234.50", "x"},
      {"「7」を、5桁で、右寄せ", "    7", "x"},
      {"「-5」を、4桁の、ゼロで埋める", "00-5", "x"},
      {"「3.14159」を、「%.2f」の、指定形式に変換", "3.14", "s"},
      {"「7」を、「%.3d」の、指定形式に変換", "007", "s"},
      {"「あいう」を、4バイトで、行揃え", "あい\r\nう", "s"},
      {"「あいう。」を、6バイトで、行揃え", "あいう。\r\n", "s"},
      {"タブ文字の個数は、4\n「a\tbc」を、6バイトで、行揃え", "a\tb\r\nc", "s"},
      {"禁則処理の行頭禁止文字は、「」\n「あいう。」を、6バイトで、行揃え", "あいう\r\n。", "s"},
      // character codes and bytes
      {"「あ」の、キーコード", "33440", "e"},
      {"「A」の、キーコード", "65", "e"},
      {"33440の、文字", "あ", "s"},
      {"65の、文字", "A", "s"},
      {"「$41」の、文字", "A", "s"},
      {"0の、文字\nそれの、バイト数", "1", "e"},
      {"「ABC」を、バイナリダンプ", "41,42,43,", "s"},
      // splitting and markup
      {"「a,,b」を、「,」で、区切る", "a\r\n\r\nb\r\n", "s"},
      {"「a,」を、「,」で、区切る", "a\r\n", "s"},
      {"「ID,x」を、「,」で、区切る", "\"ID\"\r\nx\r\n", "s"},
      {"「ab」を、「」で、区切る", "ab\r\n", "s"},
      {"「a<b>c」から、タグ削除", "ac", "s"},
      {"「<b>x</b>y<b>z</b>」から、「b」の、タグ切り出し", "<b>x</b>\r\n<b>z</b>\r\n", "s"},
      {"「a,b\\nc」を、「border=1」で、テーブルタグで囲む",
       "<TABLE border=1>\r\n<TR><TD>a</TD><TD>b</TD></TR>\r\n<TR><TD>c</TD><TD></TD></TR>\r\n</TABLE>", "s"},
      // regular expressions
      {"「abcd」を、『m/b(c)/』で、正規表現マッチ", "bc\r\nc\r\n", "s"},
      {"Aは、RE(「abcd」,『b(c)』)\nAから、それへ、単語コピー", "bc\r\nc\r\n", "s"},
      {"「abcd」を、「x」で、正規表現マッチ", "", "s"},
      {"「a1b22c」を、『\\d+』で、正規表現区切る", "a\r\nb\r\nc\r\n", "s"},
      {"「」を、『,』で、正規表現区切る", "\r\n", "s"},
      {"「a-b-c」を、『s/-/+/g』で、正規表現置換", "a+b+c", "s"},
      {"「abc」を、『s/x/y/』で、正規表現置換", "abc", "s"},
      {"「」を、『s/(/y/』で、正規表現置換", "", "s"},  // an empty subject is not handed on
      {"「abc」を、『tr/a-z/A-Z/』で、正規表現入換", "ABC", "s"},
      {"「」を、『tr/a-z/A-Z/』で、正規表現入換", "", "s"},
  };
  for (const TResultCase& c : cases) {
    SCOPED_TRACE(c.program);
    // それ starts with the tag "x", so that a command that leaves the tag shows it
    Fresh(std::string(c.program) + "\n");
    Word("それ")->Tag = "x";
    tama.RunProgram();
    EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
    EXPECT_EQ(Value("それ"), c.value);
    EXPECT_EQ(SoreTag(), c.tag);
  }
}

TEST_F(StringCommands, MatchCount) {
  struct TCase {
    const char* program;
    const char* count;
  } cases[] = {
      {"「abcd」を、『m/b(c)/』で、正規表現マッチ", "2"},
      {"「abcd」を、『(x)(y)』で、正規表現マッチ", "0"},
      {"「a1b22c」を、『\\d+』で、正規表現区切る", "3"},
      {"「」を、『,』で、正規表現区切る", "1"},
      {"「a-b」を、『s/(-)/+/』で、正規表現置換", "2"},
      {"「a-b」を、『s/x/+/』で、正規表現置換", "0"},
      {"「」を、『s/a/b/』で、正規表現置換", "0"},
      {"「abc」を、『tr/a/b/』で、正規表現入換", "0"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.program);
    RunClean(std::string("マッチ数は、「9」\n") + c.program + "\n");
    EXPECT_EQ(Value("マッチ数"), c.count);
    EXPECT_EQ(Word("マッチ数")->Tag, "e");
  }
}

TEST_F(StringCommands, LineCountReadsTheNamedVariable) {
  RunClean("Aは、「a\\nb\\nc」\nAの、行数");
  EXPECT_EQ(Value("それ"), "3");
  RunClean("Aは、「」\nAの、行数");
  EXPECT_EQ(Value("それ"), "0");
  RunFailing("Bの、行数", "変数\"B\"が見つかりません。");
}

struct TCutCase {
  const char* program;  // the variable A is set first
  const char* sore;
  const char* rest;     // A afterwards
};

TEST_F(StringCommands, CuttingWritesTheRestBack) {
  const TCutCase cases[] = {
      {"Aは、「x=1」\nAの、「=」までを、切り取る", "x", "1"},
      {"Aは、「x=1」\nAの、「#」までを、切り取る", "x=1", ""},
      {"Aは、「x=1」\nAの、「」までを、切り取る", "", "x=1"},
      {"Aは、「x=1」\n(A&「」)の、「=」までを、切り取る", "x", "x=1"},  // no variable of that name
      {"Aは、「a\\\\,b,c」\nAの、「,」までを、「\\\\」で、判別して切り取る", "a\\,b", "c"},
      {"Aは、「ソ,x」\nAの、「,」までを、「\\\\」で、判別して切り取る", "ソ", "x"},
      {"Aは、『x\"y\"z』\nAの、「\\\"」から、「\\\"」までの、範囲を切り取る", "\"", "xy\"z"},
      {"Aは、「a<b>c」\nAの、「<」から、「>」までの、範囲を切り取る", "<b>", "ac"},
      {"Aは、「abc」\nAの、「x」から、「>」までの、範囲を切り取る", "", "abc"},
      {"Aは、「あいう」\nAから、2文字、左端を切り取る", "あい", "う"},
      {"Aは、「あいう」\nAから、2文字、右端を切り取る", "いう", "あ"},
      {"Aは、「あいう」\nAから、5文字、左端を切り取る", "あいう", ""},
      {"Aは、「あいう」\nAから、0文字、左端を切り取る", "", "あいう"},
      {"Aは、「あいう」\n「A」から、1文字、左端を切り取る", "A", "あいう"},  // a literal is never written back
      {"Aは、「1-2abc」\nAを、「(#)-(#)」で、マッチ", "1-2\r\n1\r\n2", "abc"},
      {"Aは、「xyz」\nAを、「a*」で、マッチ", "", "xyz"},
  };
  for (const TCutCase& c : cases) {
    SCOPED_TRACE(c.program);
    RunClean(std::string(c.program) + "\n");
    EXPECT_EQ(Value("それ"), c.sore);
    EXPECT_EQ(SoreTag(), "s");
    EXPECT_EQ(Value("A"), c.rest);
  }
}

TEST_F(StringCommands, CuttingFromSoreLeavesTheCutPart) {
  const char* programs[] = {
      "それは、「x=1」\nそれの、「=」までを、切り取る",
      "それは、「x=1」\nそれの、「=」までを、「\\\\」で、判別して切り取る",
      "それは、「x=1」\nそれから、1文字、左端を切り取る",
      "それは、「x=1」\nそれの、「x」から、「=」までの、範囲を切り取る",
  };
  const char* cut[] = {"x", "x", "x", "x="};
  for (size_t i = 0; i < std::size(programs); ++i) {
    SCOPED_TRACE(programs[i]);
    RunClean(std::string(programs[i]) + "\n");
    EXPECT_EQ(Value("それ"), cut[i]);
  }
}

TEST_F(StringCommands, ReserveAndBinaryAccess) {
  RunClean("Bは、「abc」\nBに、5バイトを、確保\nBの、バイト数");
  EXPECT_EQ(Value("B"), std::string("abc\0\0", 5));
  EXPECT_EQ(Value("それ"), "5");
  RunClean("Bに、2バイトを、確保");  // a new variable
  ASSERT_NE(Word("B"), nullptr);
  EXPECT_EQ(Word("B")->Value(), std::string(2, '\0'));
  EXPECT_EQ(Word("B")->Tag, "s");

  struct TCase {
    const char* program;  // B holds 8 zero bytes first
    std::string bytes;    // B afterwards
  } writes[] = {
      {"「ABC」を、Bの、2に、「CHAR」形式で、バイナリ設定", std::string("\0A\0\0\0\0\0\0", 8)},
      {"321を、Bの、1に、「byte」形式で、バイナリ設定", std::string("\x41\0\0\0\0\0\0\0", 8)},
      {"258を、Bの、1に、「WORD」形式で、バイナリ設定", std::string("\x02\x01\0\0\0\0\0\0", 8)},
      {"4294967295を、Bの、5に、「DWORD」形式で、バイナリ設定", std::string("\0\0\0\0\xff\xff\xff\xff", 8)},
      {"-2を、Bの、1に、「INT」形式で、バイナリ設定", std::string("\xfe\xff\xff\xff\0\0\0\0", 8)},
      {"「hi」を、Bの、1に、「CHAR*」形式で、バイナリ設定", std::string("hi\0\0\0\0\0\0", 8)},
      {"「hi」を、Bの、7に、「CHAR*」形式で、バイナリ設定", std::string(8, '\0')},  // would reach past the end
      {"1を、Bの、7に、「DWORD」形式で、バイナリ設定", std::string(8, '\0')},
      {"1を、Bの、0に、「BYTE」形式で、バイナリ設定", std::string(8, '\0')},
      {"1を、Bの、1に、「QWORD」形式で、バイナリ設定", std::string(8, '\0')},
  };
  for (const TCase& c : writes) {
    SCOPED_TRACE(c.program);
    RunClean(std::string("Bに、8バイトを、確保\n") + c.program + "\n");
    EXPECT_EQ(Value("B"), c.bytes);
  }

  struct TRead {
    const char* format;
    const char* position;
    const char* value;
    const char* tag;  // the current tag
  } reads[] = {
      {"CHAR", "2", "B", "s"},   {"BYTE", "1", "65", "e"},       {"WORD", "1", "16961", "e"},
      {"DWORD", "1", "4278207041", "e"}, {"INT", "1", "-16760255", "e"}, {"CHAR*", "2", "B", ""},
      {"BYTE", "0", "65", "e"},  {"DWORD", "3", "0", "e"},       {"CHAR", "9", "", "s"},
  };
  for (const TRead& c : reads) {
    SCOPED_TRACE(std::string(c.format) + "@" + c.position);
    // bytes 41 42 00 FF
    RunClean(std::string("Bに、4バイトを、確保\n「AB」を、Bの、1に、「CHAR*」形式で、バイナリ設定\n") +
             "255を、Bの、4に、「BYTE」形式で、バイナリ設定\nBの、" + c.position + "を、「" + c.format +
             "」形式で、バイナリ取得\n");
    EXPECT_EQ(Value("それ"), c.value);
    if (*c.tag) {
      EXPECT_EQ(tama.curTag, c.tag);
    }
  }

  RunFailing("1を、Cの、1に、「BYTE」形式で、バイナリ設定", "オブジェクト\"C\"が特定できません。");
  RunFailing("Cの、1を、「BYTE」形式で、バイナリ取得", "オブジェクト\"C\"が特定できません。");
  RunFailing("Bに、4バイトを、確保\n-1を、Bの、1に、「WORD」形式で、バイナリ設定", "範囲チェックエラー");
  RunFailing("Bに、4バイトを、確保\n4294967296を、Bの、1に、「DWORD」形式で、バイナリ設定", "範囲チェックエラー");
  RunFailing("Bに、4バイトを、確保\n2147483648を、Bの、1に、「INT」形式で、バイナリ設定", "範囲チェックエラー");
}

TEST_F(StringCommands, Errors) {
  struct TCase {
    const char* program;
    const char* message;
  } cases[] = {
      {"「」の、キーコード", "\"キーコード\"命令の引数に誤りがあります。"},
      {"-1の、文字", "\"文字\"命令の引数に誤りがあります。"},
      {"「x」の、文字", "\"文字\"命令の引数に誤りがあります。"},
      {"65536の、文字", "範囲チェックエラー"},
      {"Aは、「」\nAの、「=」までを、切り取る", "\"切り取る\"命令の引数に誤りがあります。"},
      {"Aは、「」\nAの、「=」までを、「\\\\」で、判別して切り取る", "\"判別して切り取る\"命令の引数に誤りがあります。"},
      {"Aは、「a=b」\nAの、「=」までを、「ab」で、判別して切り取る",
       "\"判別して切り取る\"命令の引数に誤りがあります。判別文字は \\などの半角１文字で指定。"},
      {"Aは、「a=b」\nAの、「」までを、「」で、判別して切り取る",
       "\"判別して切り取る\"命令の引数に誤りがあります。判別文字は \\などの半角１文字で指定。"},
      {"「abc」の、「a」から、「c」までの、範囲を切り取る",
       "\"範囲を切り取る\"命令の引数に誤りがあります。１番目の引数は、変数である必要があります。"},
      {"Aは、「」\nAを、「*」で、マッチ", "\"マッチ\"命令の引数に誤りがあります。"},
      {"Aは、「abc」\nAを、「[*a]*」で、マッチ", "マッチでエラー。ワイルドカード[*...]に続けてワイルドカードを書くことは出来ません。"},
      {"「abc」を、「%x」の、指定形式に変換", "\"指定形式に変換\"は、文法が正しくないため、実行できません。"},
      {"「abc」を、『(』で、正規表現マッチ", "\"正規表現マッチ\"で、Bregexp.dllのエラー。end pattern with unmatched parenthesis"},
      {"「abc」を、『a/b/』で、正規表現置換", "\"正規表現置換\"で、Bregexp.dllのエラー。invalid substitution command"},
      {"「abc」を、『tr/z-a/b/』で、正規表現入換", "\"正規表現入換\"で、Bregexp.dllのエラー。invalid range in transliteration"},
      {"「abc」を、1000000000度、リフレイン", "範囲チェックエラー"},  // beyond the longest text
      {"LEFT(「abc」,3000000000)", "範囲チェックエラー"},
      {"「1e30」を、通貨形式に変換", "範囲チェックエラー"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.program);
    RunFailing(std::string(c.program) + "\n", c.message);
  }
}

TEST_F(StringCommands, RegexErrorsLeaveSoreEmpty) {
  Fresh("それは、「前」\n「abc」を、『(』で、正規表現マッチ\n");
  tama.RunProgram();
  EXPECT_EQ(Value("それ"), "");
  Fresh("それは、「前」\n「abc」を、『tr/z-a/b/』で、正規表現入換\n");
  tama.RunProgram();
  EXPECT_EQ(Value("それ"), "前");  // 正規表現入換 does not empty それ first
}

}  // namespace
}  // namespace tama
