#include "sjis/lcmap.h"

#include <gtest/gtest.h>

#include <string>

using namespace tama::sjis;

namespace {

struct Case {
  std::string in, out;
};

void Check(std::string (*f)(std::string_view), const char* name, std::initializer_list<Case> cases) {
  for (const Case& c : cases) EXPECT_EQ(f(c.in), c.out) << name << "(" << c.in << ")";
}

}  // namespace

TEST(LcMap, HalfWidth) {
  Check(ToHalfWidth, "ToHalfWidth",
        {
            {"", ""},
            {"ＡＢＣｘｙｚ０１２３４５６７８９", "ABCxyz0123456789"},
            {"－１２．５", "-12.5"},
            {"＋１，０００", "+1,000"},
            {"１　２", "1 2"},
            {"！＃＄％＆（）＊／：；＜＝＞？＠［］＾＿｀｛｜｝", "!#$%&()*/:;<=>?@[]^_`{|}"},
            {"”“’‘￥＼～", "\"\"'`\\\\~"},
            {"＂＇", "\"'"},  // the IBM extension forms
            {"アイウエオ", "ｱｲｳｴｵ"},
            {"ガギグゲゴザジズゼゾダヂヅデドバビブベボ", "ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞ"},
            {"パピプペポヴ", "ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟｳﾞ"},
            {"ァィゥェォャュョッヲン", "ｧｨｩｪｫｬｭｮｯｦﾝ"},
            {"。「」、・ー゛゜", "｡｢｣､･ｰﾞﾟ"},
            {"ヮヰヱヵヶ", "ヮヰヱヵヶ"},
            {"あいう漢字ゝ", "あいう漢字ゝ"},
            {"表ソ", "表ｿ"},                       // trail byte 0x5C
            {"ABCｱｲｳ\t\r\n", "ABCｱｲｳ\t\r\n"},
            {"αＡ∀①Ⅰ", "αA∀①Ⅰ"},
            {std::string("Ａ\0Ｂ", 5), "A"},       // the result ends at a zero byte
            {"Ａ\x82", "A\x82"},                   // a lead byte at the end
        });
}

TEST(LcMap, FullWidth) {
  Check(ToFullWidth, "ToFullWidth",
        {
            {"", ""},
            {"ABCxyz0123456789", "ＡＢＣｘｙｚ０１２３４５６７８９"},
            {"1 2", "１　２"},
            {"!#$%&()*+,-./:;<=>?@[]^_`{|}", "！＃＄％＆（）＊＋，－．／：；＜＝＞？＠［］＾＿｀｛｜｝"},
            {"\"'\\~", "”’＼～"},
            {"ｱｲｳｴｵｧｯｰｦﾝ", "アイウエオァッーヲン"},
            {"ｶﾞｷﾞﾄﾞﾊﾞﾎﾞﾊﾟﾎﾟｳﾞ", "ガギドバボパポヴ"},
            {"ｱﾞﾜﾞｶﾟ", "ア゛ワ゛カ゜"},             // no combined form
            {"ﾞﾟ", "゛゜"},
            {"ｶ", "カ"},
            {"｡｢｣､･", "。「」、・"},
            {"漢字ガ\t\r\n", "漢字ガ\t\r\n"},
            {std::string("a\0b", 3), "ａ"},
            {"ｶ\x82", "カ\x82"},
        });
}

TEST(LcMap, WidthRoundTrips) {
  std::string ascii;
  for (char c = 0x20; c < 0x7F; ++c) ascii.push_back(c);
  EXPECT_EQ(ToHalfWidth(ToFullWidth(ascii)), ascii);
  const std::string kana =
      "ァアィイゥウェエォオカガキギクグケゲコゴサザシジスズセゼソゾタダチヂッツヅテデトドナニヌネノ"
      "ハバパヒビピフブプヘベペホボポマミムメモャヤュユョヨラリルレロワヲンヴー。「」、・゛゜";
  EXPECT_EQ(ToFullWidth(ToHalfWidth(kana)), kana);
}

TEST(LcMap, Kana) {
  Check(ToHiragana, "ToHiragana",
        {
            {"", ""},
            {"カタカナヲンァヮヰヱ", "かたかなをんぁゎゐゑ"},
            {"ガパヽヾ", "がぱゝゞ"},
            {"ヴヵヶ", "ヴヵヶ"},
            {"ｶﾀｶﾅ", "ｶﾀｶﾅ"},
            {"ひらがな漢字ABC", "ひらがな漢字ABC"},
            {std::string("ア\0イ", 5), "あ"},
        });
  Check(ToKatakana, "ToKatakana",
        {
            {"", ""},
            {"ひらがなをんぁゎゐゑ", "ヒラガナヲンァヮヰヱ"},
            {"がぱゝゞ", "ガパヽヾ"},
            {"カタカナ漢字ｶﾅABC", "カタカナ漢字ｶﾅABC"},
        });
  std::string hira;
  for (unsigned code = 0x829F; code <= 0x82F1; ++code) {
    hira.push_back('\x82');
    hira.push_back(static_cast<char>(code & 0xFF));
  }
  EXPECT_EQ(ToHiragana(ToKatakana(hira)), hira);
}

TEST(LcMap, Case) {
  Check(ToUpper, "ToUpper",
        {
            {"", ""},
            {"abcXYZ", "ABCXYZ"},
            {"ａｂｃｚＡ", "ＡＢＣＺＡ"},
            {"αβωΑ", "ΑΒΩΑ"},
            {"абвяёЁ", "АБВЯЁЁ"},
            {"ⅰⅱⅠ", "ⅰⅱⅠ"},                 // Roman numerals stay
            {"ヂ", "ヂ"},                     // trail byte 0x61 is no letter
            {"ｱｲｳ漢字ぁ", "ｱｲｳ漢字ぁ"},
            {std::string("a\0b", 3), "A"},
        });
  Check(ToLower, "ToLower",
        {
            {"", ""},
            {"ABCxyz", "abcxyz"},
            {"ＡＢＣＺａ", "ａｂｃｚａ"},
            {"ΑΒΩα", "αβωα"},
            {"АБВЯЁё", "абвяёё"},
            {"ア", "ア"},                      // trail byte 0x41 is no letter
            {"Ⅰ", "Ⅰ"},
        });
}

TEST(LcMap, AppendMapped) {
  std::string out = "x";
  AppendMapped(out, "１", LcMap::kHalfWidth);
  AppendMapped(out, "a", LcMap::kUpper);
  AppendMapped(out, "ｶﾞ", LcMap::kFullWidth);
  EXPECT_EQ(out, "x1Aガ");
  EXPECT_EQ(Mapped("あ", LcMap::kKatakana), "ア");
}

TEST(LcMap, CharacterClasses) {
  struct Pred {
    bool (*f)(std::string_view);
    const char* name;
    std::initializer_list<std::pair<const char*, bool>> cases;
  } preds[] = {
      {FirstCharIsUpper, "upper", {{"", false}, {"A", true}, {"Zz", true}, {"a", false}, {"Ａ", true},
                                   {"ａ", false}, {"ア", false}, {"Α", false}, {"@", false}}},
      {FirstCharIsDigit, "digit", {{"", false}, {"0", true}, {"9a", true}, {"１２", true}, {"a1", false},
                                   {"①", false}, {"ｱ", false}}},
      {FirstByteIsLead, "lead", {{"", false}, {"ｱ", false}, {"a", false}, {"あ", true}, {"漢", true},
                                 {"\x82", true}}},
      {StartsWithHiragana, "hiragana", {{"", false}, {"ぁ", false}, {"あ", true}, {"ん", true},
                                        {"a", false}, {"ア", false}, {"\x82", false}}},
      {StartsWithKatakana, "katakana", {{"", false}, {"ァ", true}, {"ヴ", true}, {"ヶ", true},
                                        {"ー", false}, {"ｱ", false}, {"ん", false}, {"Α", false}}},
  };
  for (const Pred& p : preds) {
    for (const auto& [in, want] : p.cases) EXPECT_EQ(p.f(in), want) << p.name << "(" << in << ")";
  }
}
