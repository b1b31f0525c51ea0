#include "frontend/normalize.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

using namespace tama::frontend;

namespace {

// Canonical text with CR LF shown as "|" so that failures read as one line.
std::string Show(std::string s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
      out += '|';
      ++i;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::string Normalized(std::string text) {
  NormalizeSource(text);
  return text;
}

struct Case {
  const char* input;
  const char* want;
};

}  // namespace

TEST(FoldTable, EverySymbolQuoteAndSpacing) {
  const Case cases[] = {
      {"！", "!"},  {"”", "\""}, {"＃", "#"},  {"＄", "$"},  {"％", "%"},  {"＆", "&"},  {"’", "'"},
      {"※", "'"},  {"（", "("},  {"）", ")"},  {"＝", "="},  {"－", "-"},  {"＾", "^"},  {"～", "~"},
      {"￥", "\\"}, {"｜", "|"},  {"｛", "{"},  {"｝", "}"},  {"＠", "@"},  {"‘", "`"},  {"；", ";"},
      {"：", ":"},  {"＋", "+"},  {"＊", "*"},  {"／", "/"},  {"×", "*"},  {"÷", "/"},  {"？", "?"},
      {"＿", "_"},  {"＜", "<"},  {"＞", ">"},  {"≠", "<>"}, {"≦", "<="}, {"≧", ">="}, {"，", ","},
      {"．", "."},  {"　", " "},  {"、", ","},  {"。", ";"},  {"「", "\""}, {"」", "\""}, {"『", "`"},
      {"』", "`"},  {"｢", "\""},  {"｣", "\""},
  };
  for (const Case& c : cases) EXPECT_EQ(FoldChar(c.input), c.want) << c.input;
}

TEST(FoldTable, DigitsAndLetters) {
  const char* digits[] = {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(FoldChar(digits[i]), std::string(1, char('0' + i)));
  const std::string lower = "ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ";
  const std::string upper = "ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ";
  for (int i = 0; i < 26; ++i) {
    EXPECT_EQ(FoldChar(std::string_view(lower).substr(2 * i, 2)), std::string(1, char('a' + i)));
    EXPECT_EQ(FoldChar(std::string_view(upper).substr(2 * i, 2)), std::string(1, char('A' + i)));
  }
  // The codes just outside the ranges are not folded.
  for (unsigned code : {0x824Eu, 0x8259u, 0x825Fu, 0x827Au, 0x8280u, 0x829Bu})
    EXPECT_TRUE(FoldCode(code).empty()) << std::hex << code;
}

TEST(FoldTable, OtherCharactersFoldToThemselves) {
  for (const char* s : {"あ", "表", "ソ", "a", "\"", "\xA4", "ｱ", "・", "ー", "\x82"})
    EXPECT_EQ(FoldChar(s), s) << s;
  EXPECT_TRUE(FoldCode('a').empty());
  EXPECT_EQ(FoldCode(0x8142), ";");
  EXPECT_EQ(FoldCode(0xA2), "\"");
  EXPECT_TRUE(FoldCode(0x18142).empty());
}

TEST(FoldText, FoldsEveryCharacterWithoutCommentsOrLiterals) {
  const Case cases[] = {
      {"", ""},
      {"ＡＢＣ１２３", "ABC123"},
      {"「ｘ」表示、ｱ≠１", "\"x\"表示,ｱ<>1"},
      {"※ｘ｛ｙ｝", "'x{y}"},
      {"｢ｱ｣", "\"ｱ\""},
      {"Ａ\x82", "A\x82"},  // a lead byte as the last byte stays
  };
  for (const Case& c : cases) EXPECT_EQ(FoldText(c.input), c.want) << c.input;
  EXPECT_EQ(FoldText(std::string("Ａ\0Ｂ", 5)), std::string("A\0B", 3));
}

TEST(NormalizeSource, CanonicalText) {
  const Case cases[] = {
      // The three ways to write one double-quoted literal; its content is not folded.
      {"「こんにちは」", "\"こんにちは\""},
      {"\"こんにちは\"", "\"こんにちは\""},
      {"「こんにちは\"", "\"こんにちは\""},
      {"”ＡＢ”と｢ＣＤ｣", "\"ＡＢ\"と\"ＣＤ\""},
      {"「ＡＢＣ」", "\"ＡＢＣ\""},
      // Folding outside literals only.
      {"ＡＢＣ１２３", "ABC123"},
      {"『ＡＢＣ１２３』", "`ＡＢＣ１２３`"},
      {"‘ＡＢ‘", "`ＡＢ`"},
      {"表示する。", "表示する;"},
      {"Ａ、Ｂ", "A,B"},
      {"ｆｏｏ　ｂａｒ≠≦≧", "foo bar<><=>="},
      {"表示", "表示"},
      // Line comments.
      {"※コメント\r\nＡ", "\r\n1:A"},
      {"’コメント\r\nＡ", "\r\n1:A"},
      {"'コメント\r\nＡ", "\r\n1:A"},
      {"Ａ'コメント", "A"},
      {"Ａ／/コメント\r\nＢ", "A\r\n1:B"},
      {"Ａ÷/コメント\r\nＢ", "A\r\n1:B"},
      {"Ａ//コメント\r\nＢ", "A\r\n1:B"},
      {"Ａ／／Ｂ", "A//B"},
      {"Ａ/Ｂ", "A/B"},
      {"Ａ/", "A/"},
      {"'{\r\nＡ", "\r\n1:A"},        // a brace inside a line comment is inert
      {"※「\r\nＡ", "\r\n1:A"},       // so is a quote
      // Brace comments: no nesting, a stray right brace is dropped.
      {"{コメント\r\n終わり}Ａ", "\r\n1:A"},
      {"Ａ｛ｘ｝Ｂ", "AB"},
      {"Ａ}Ｂ", "AB"},
      {"{ａ{ｂ}Ｃ}", "C"},
      {"{「}Ａ", "A"},
      {"{※}Ａ", "A"},
      {"{\\}Ａ", "A"},
      // Comment characters and braces inside literals are kept as written.
      {"「※’//{}｛」", "\"※’//{}｛\""},
      {"『※’//{}』", "`※’//{}`"},
      // Escapes inside double-quoted literals.
      {"「a\\nb」", "\"a\\nb\""},
      {"「a￥nb」", "\"a\\nb\""},
      {"「a\\」b」", "\"a\\」b\""},
      {"「a\\\"b」", "\"a\\\"b\""},
      {"「a￥ｎ」", "\"a\\ｎ\""},
      {"「表」と\"ソ\"", "\"表\"と\"ソ\""},  // trail byte 0x5C is not a backslash
      // A backslash outside double quotes is an ordinary character.
      {"ａ￥ｂ", "a\\b"},
      {"『ａ￥ｂ』", "`ａ￥ｂ`"},
      // Quotes of the other family are inert inside a literal.
      {"『「ｘ」』", "`「ｘ」`"},
      {"「『ｘ』」", "\"『ｘ』\""},
      {"「ａ「ｂ」ｃ」", "\"ａ\"b\"ｃ\""},  // 「 inside 「…」 closes it
      // Two backquotes in a row.
      {"『a``b』", "`a``b`"},
      {"『a『』b』", "`a``b`"},
      {"``", "``"},
      {"『』", "``"},
      {"x『』y", "x``y"},
      // Line breaks and row prefixes.
      {"A\r\nB\r\nC\r\n", "A\r\n1:B\r\n2:C\r\n3:"},
      {"\r\n\r\n", "\r\n1:\r\n2:"},
      {"A\rB", "A\r\n1:B"},
      {"A\nB", "A\nB"},
      {"「a\r\nb」\r\nC", "\"a\r\nb\"\r\n2:C"},
      {"『a\r\n\r\nb』C\r\nD", "`a\r\n\r\nb`C\r\n3:D"},
      {"{a\r\nb\r\nc}D\r\nE", "\r\n1:\r\n2:D\r\n3:E"},
      // A backslash ending a line inside a literal keeps the row count.
      {"「a\\\r\nb」\r\nC", "\"a\\\r\nb\"\r\n2:C"},
      {"「a￥\r\nb」\r\nC", "\"a\\\r\nb\"\r\n2:C"},
      // A lead byte as the last byte.
      {"Ａ\x82", "A\x82"},
  };
  for (const Case& c : cases) EXPECT_EQ(Show(Normalized(c.input)), Show(c.want)) << Show(c.input);
}

TEST(NormalizeSource, InputEndsAtTheFirstZeroByte) {
  EXPECT_EQ(Normalized(std::string("Ａ\0「", 5)), "A");
  EXPECT_EQ(Normalized(std::string("「ａ」\0\r\n", 9)), "\"ａ\"");
}

TEST(NormalizeSource, ManyRows) {
  std::string text, want;
  for (int i = 0; i < 1200; ++i) {
    text += "Ａ\r\n";
    want += "A\r\n" + std::to_string(i + 1) + ":";
  }
  EXPECT_EQ(Normalized(text), want);
}

TEST(NormalizeSource, UnbalancedLiteralsAndBraces) {
  struct ErrCase {
    const char* input;
    const char* message;
    int row;
  };
  const ErrCase cases[] = {
      // The excerpt is the 20 bytes after the opening character.
      {"A\r\nB\r\nC\r\nD\r\n「あいうえおかきくけこさしす\r\n",
       "「」または\"\"が対応していません。『あいうえおかきくけこ』の近く", 5},
      {"「ab\r\ncd", "「」または\"\"が対応していません。『ab\r\ncd』の近く", 1},
      {"「a\\", "「」または\"\"が対応していません。『a\\』の近く", 1},
      {"「a\\」", "「」または\"\"が対応していません。『a\\」』の近く", 1},
      {"「ａ」\r\n「ｂ」\r\n「", "「」または\"\"が対応していません。『』の近く", 3},
      {"A\r\n{コメント", "{ }が対応していません。『コメント』の近く", 2},
      {"{\r\n{ａ\r\n}ｂ\r\n{ｃ", "{ }が対応していません。『ｃ』の近く", 4},
      {"{「", "{ }が対応していません。『「』の近く", 1},
      // The row is that of the unclosed back quote, not of an earlier quote.
      {"「a」\r\n\r\n『bc", "『』または''''が対応していません。『bc』の近く", 3},
      {"『x』\r\n『y\r\n``z", "『』または''''が対応していません。『y\r\n``z』の近く", 2},
      {"『』\r\n‘q", "『』または''''が対応していません。『q』の近く", 2},
      // An excerpt may end inside a double-byte character.
      {"x『aＢＣＤＥＦＧＨＩＪＫ", "『』または''''が対応していません。『aＢＣＤＥＦＧＨＩＪ\x82』の近く", 1},
      {"『ＡＢＣＤＥＦＧＨＩＪＫ", "『』または''''が対応していません。『ＡＢＣＤＥＦＧＨＩＪ』の近く", 1},
  };
  for (const ErrCase& c : cases) {
    std::string text = c.input;
    try {
      NormalizeSource(text);
      ADD_FAILURE() << "no error for " << Show(c.input);
    } catch (const TNormalizeError& e) {
      EXPECT_EQ(Show(e.what()), Show(c.message)) << Show(c.input);
      EXPECT_EQ(e.row(), c.row) << Show(c.input);
    }
  }
}

TEST(NormalizeSource, OutputReplacesTheTextBeforeTheError) {
  std::string text = "ＡＢ\r\n「ｃ";
  EXPECT_THROW(NormalizeSource(text), TNormalizeError);
  EXPECT_EQ(text, "AB\r\n1:\"ｃ");
}

TEST(ReadLineNumber, RowPrefixes) {
  struct LineCase {
    const char* text;
    int row;
    int consumed;
  };
  const LineCase cases[] = {
      {"\r\n12:abc", 12, 5},
      {" \t\r\n\r\n3:x", 3, 8},
      {"0:", 0, 2},
      {"\r\nabc", -1, 2},
      {"\r\n", -1, 2},
      {"", -1, 0},
      {"\n5を表示", -1, 1},    // digits without a colon are not a prefix
      {"\r\n7 :x", -1, 2},
      {"\r\n99999999999999999999:", INT_MAX, 23},  // twenty digits
  };
  for (const LineCase& c : cases) {
    const char* p = c.text;
    EXPECT_EQ(ReadLineNumber(p), c.row) << Show(c.text);
    EXPECT_EQ(p - c.text, c.consumed) << Show(c.text);
  }
}

TEST(ReadLineNumber, WalksTheRowsOfCanonicalText) {
  std::string text = "A\r\nB\r\n「c\r\nd」\r\n{e\r\n}\r\nF\r\n";
  NormalizeSource(text);
  std::vector<int> rows;
  for (const char* p = text.c_str(); *p != 0;) {
    if (*p == '\r') {
      rows.push_back(ReadLineNumber(p));
    } else if (*p == '"') {
      p = strchr(p + 1, '"') + 1;
    } else {
      ++p;
    }
  }
  EXPECT_EQ(rows, (std::vector<int>{1, 2, 4, 5, 6, 7}));
}
