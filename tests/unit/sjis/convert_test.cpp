#include "sjis/convert.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sjis/sjis.h"

using namespace tama::sjis;

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

std::string CodeBytes(unsigned code) {
  std::string s;
  if (code > 0xFF) s.push_back(static_cast<char>(code >> 8));
  s.push_back(static_cast<char>(code & 0xFF));
  return s;
}

std::string Utf8Of(char32_t u) {
  std::string s;
  if (u < 0x80) {
    s.push_back(static_cast<char>(u));
  } else if (u < 0x800) {
    s.push_back(static_cast<char>(0xC0 | (u >> 6)));
    s.push_back(static_cast<char>(0x80 | (u & 0x3F)));
  } else {
    s.push_back(static_cast<char>(0xE0 | (u >> 12)));
    s.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
    s.push_back(static_cast<char>(0x80 | (u & 0x3F)));
  }
  return s;
}

const std::string kFffd = "\xEF\xBF\xBD";

std::vector<unsigned> AllDoubleByteCodes() {
  std::vector<unsigned> codes;
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsLead(static_cast<unsigned char>(lead))) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail != 0x7F) codes.push_back(lead * 256 + trail);
    }
  }
  return codes;
}

}  // namespace

TEST(Convert, EveryMappedCodeRoundTrips) {
  size_t mapped = 0, duplicates = 0;
  std::string all;  // every code whose character comes back as the same code
  for (unsigned code = 0; code < 0x10000; ++code) {
    if (code > 0xFF && code < 0x8100) code = 0x8100;
    char32_t u = CodeToUnicode(code);
    if (u == 0xFFFD) continue;
    ++mapped;
    const std::string bytes = CodeBytes(code);
    const std::string utf8 = SjisToUtf8(bytes);
    ASSERT_EQ(utf8, Utf8Of(u)) << std::hex << code;
    std::string back;
    ASSERT_TRUE(Utf8ToSjis(utf8, back)) << std::hex << code;
    if (back != bytes) {
      // Another code of the same character; it must itself round-trip.
      ++duplicates;
      ASSERT_EQ(back, CodeBytes(UnicodeToCode(u)));
      EXPECT_EQ(SjisToUtf8(back), utf8) << std::hex << code;
    } else {
      all += bytes;
    }
  }
  EXPECT_EQ(mapped, 128u + 63u + 9604u);
  EXPECT_EQ(duplicates, 398u);
  // The whole text at once as well.
  std::string back;
  ASSERT_TRUE(Utf8ToSjis(SjisToUtf8(all), back));
  EXPECT_EQ(back, all);
}

TEST(Convert, AppendUtf8AtEachLength) {
  const struct {
    char32_t u;
    const char* want;
  } cases[] = {
      {0x41, "A"},           {0x7F, "\x7F"},
      {0x80, "\xC2\x80"},     {0x7FF, "\xDF\xBF"},
      {0x800, "\xE0\xA0\x80"}, {0xFFFF, "\xEF\xBF\xBF"},
      {0x10000, "\xF0\x90\x80\x80"}, {0x10FFFF, "\xF4\x8F\xBF\xBF"},
  };
  for (const auto& c : cases) {
    std::string out = "x";
    AppendUtf8(out, c.u);
    EXPECT_EQ(out, std::string("x") + c.want) << std::hex << unsigned(c.u);
  }
}

TEST(Convert, BackslashTildeAndTrailBytes) {
  EXPECT_EQ(SjisToUtf8("C:\\dir\\~x"), "C:\\dir\\~x");
  // 表 and ソ end in the byte 0x5C, which is no backslash there.
  EXPECT_EQ(SjisToUtf8("表ソ\\"), U8(u8"表ソ\\"));
  EXPECT_EQ(SjisToUtf8("ｱｲｳ"), U8(u8"ｱｲｳ"));
  std::string out;
  ASSERT_TRUE(Utf8ToSjis(U8(u8"\\~表示"), out));
  EXPECT_EQ(out, "\\~表示");
}

TEST(Convert, InvalidBytesNeverCrash) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"\x80", kFffd},
      {"\xA0", kFffd},
      {"\xFD\xFE\xFF", kFffd + kFffd + kFffd},
      {"a\x82", "a" + kFffd},                        // a lead byte at the end
      {"\x82\n", kFffd + "\n"},                     // the line break is kept
      {"\x82\x7F", kFffd + "\x7F"},
      {"\x82\x3F", kFffd + "?"},
      {"\x85\x40", kFffd},                          // a pair without a character: one U+FFFD
      {"\xEB\xFC" "a", kFffd + "a"},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(SjisToUtf8(c.in), c.out) << c.in;
}

TEST(Convert, Utf8ToSjisFailsAtTheFirstBadCharacter) {
  struct Case {
    std::string in;
    size_t offset;
    std::string before;
  } cases[] = {
      {U8(u8"ab😀c"), 2, "ab"},        // outside the BMP
      {U8(u8"あé"), 3, "あ"},           // no CP932 form
      {U8(u8"¥"), 0, ""},               // the yen sign is not written as 0x5C
      {"abc\xC3", 3, "abc"},            // cut short
      {"\xE3\x81" "a", 0, ""},
      {"\xC0\xAF", 0, ""},              // overlong
      {"\xE0\x80\xAF", 0, ""},
      {"\xED\xA0\x80", 0, ""},          // surrogate
      {"\xF4\x90\x80\x80", 0, ""},      // above U+10FFFF
      {"x\x80", 1, "x"},
      {"x\xEF\xBB\xBF", 1, "x"},        // a byte order mark inside the text
  };
  for (const Case& c : cases) {
    std::string out = "old";
    size_t bad = 999;
    EXPECT_FALSE(Utf8ToSjis(c.in, out, &bad)) << c.in;
    EXPECT_EQ(bad, c.offset) << c.in;
    EXPECT_EQ(out, c.before) << c.in;
  }
  std::string out;
  EXPECT_FALSE(Utf8ToSjis("\xFF", out));  // no offset wanted
}

TEST(Convert, LossyWritesQuestionMarks) {
  EXPECT_EQ(Utf8ToSjisLossy(U8(u8"a\U0001F600b\u00E9表")), "a?b?表");
  EXPECT_EQ(Utf8ToSjisLossy("\xE3\x81" "x"), "?x");      // one '?' for the cut sequence
  EXPECT_EQ(Utf8ToSjisLossy("\xFF\xFE" "x"), "??x");
  EXPECT_EQ(Utf8ToSjisLossy("\xE3\x81"), "?");
  EXPECT_EQ(Utf8ToSjisLossy(""), "");
}

TEST(Convert, ByteOrderMarkAtTheStartIsDropped) {
  std::string out;
  ASSERT_TRUE(Utf8ToSjis(U8(u8"\uFEFF表示"), out));
  EXPECT_EQ(out, "表示");
  EXPECT_EQ(Utf8ToSjisLossy("\xEF\xBB\xBF" "a"), "a");
}

TEST(Convert, DuplicateCodesTakeThePlatformChoice) {
  struct Case {
    char32_t u;
    unsigned code;
  } cases[] = {
      {0xFF02, 0xFA57}, {0xFF07, 0xFA56}, {0xFFE4, 0xFA55},  // IBM extensions, not NEC-selected
      {0x2170, 0xFA40}, {0x2179, 0xFA49}, {0x7E8A, 0xFA5C}, {0x9ED1, 0xFC4B},
      {0x2160, 0x8754}, {0x2116, 0x8782}, {0x3231, 0x878A},  // NEC row 13 before the IBM ones
      {0x2235, 0x81E6}, {0xFFE2, 0x81CA}, {0x2252, 0x81E0},  // JIS X 0208 rows first
      {0xFF5E, 0x8160}, {0xFF3C, 0x815F}, {0x2015, 0x815C},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UnicodeToCode(c.u), c.code) << std::hex << unsigned(c.u);
    std::string out;
    ASSERT_TRUE(Utf8ToSjis(Utf8Of(c.u), out));
    EXPECT_EQ(out, CodeBytes(c.code));
  }
}

TEST(Convert, OtherFormsOfJisCharactersAreAccepted) {
  struct Case {
    char32_t u;
    unsigned code;
    char32_t back;
  } cases[] = {
      {0x301C, 0x8160, 0xFF5E}, {0x2016, 0x8161, 0x2225}, {0x2212, 0x817C, 0xFF0D},
      {0x2014, 0x815C, 0x2015}, {0x00A2, 0x8191, 0xFFE0}, {0x00A3, 0x8192, 0xFFE1},
      {0x00AC, 0x81CA, 0xFFE2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UnicodeToCode(c.u), c.code) << std::hex << unsigned(c.u);
    EXPECT_EQ(CodeToUnicode(c.code), c.back) << std::hex << unsigned(c.u);
  }
  std::string out;
  ASSERT_TRUE(Utf8ToSjis(U8(u8"1〜2"), out));
  EXPECT_EQ(out, "1～2");
}

TEST(Convert, SingleCodes) {
  EXPECT_EQ(CodeToUnicode(0x5C), U'\\');
  EXPECT_EQ(CodeToUnicode(0x7E), U'~');
  EXPECT_EQ(CodeToUnicode(0xA1), 0xFF61u);
  EXPECT_EQ(CodeToUnicode(0xDF), 0xFF9Fu);
  EXPECT_EQ(CodeToUnicode(0x80), 0xFFFDu);
  EXPECT_EQ(CodeToUnicode(0x82), 0xFFFDu);    // a lead byte alone
  EXPECT_EQ(CodeToUnicode(0x8240), 0xFFFDu);  // an empty cell
  EXPECT_EQ(CodeToUnicode(0x827F), 0xFFFDu);
  EXPECT_EQ(CodeToUnicode(0x10000), 0xFFFDu);
  EXPECT_EQ(CodeToUnicode(0xF040), 0xE000u);  // the user area
  EXPECT_EQ(UnicodeToCode(0), 0u);
  EXPECT_EQ(UnicodeToCode(0xFFFD), kNoCode);
  EXPECT_EQ(UnicodeToCode(0xD800), kNoCode);
  EXPECT_EQ(UnicodeToCode(0x1F600), kNoCode);
  EXPECT_EQ(UnicodeToCode(0xE757), 0xF9FCu);
}

TEST(Convert, LooksLikeUtf8Source) {
  const std::string program =
      "「こんにちは、世界」を表示。\r\n"
      "A=１０\r\n"
      "Aが５以上ならば「大きい数です。」と表示\r\n"
      "ソフトの名前は『ﾃｽﾄ用ｿﾌﾄ』\r\n";
  struct Case {
    std::string in;
    bool utf8;
  } cases[] = {
      {"", false},
      {"abc\r\n", false},                        // nothing decided: read as Shift-JIS
      {"\xEF\xBB\xBF", true},
      {"\xEF\xBB\xBF" "abc", true},
      {"\xEF\xBB\xBF\x82\xA0", true},              // the mark decides, whatever follows
      {U8(u8"「こんにちは」を表示"), true},
      {U8(u8"A=10\r\nAを表示"), true},
      {U8(u8"café"), true},
      {program, false},
      {"表示", false},
      {"ｶﾞｷﾞｸﾞ", false},
      {"ﾃｽﾄ", false},
      {"ｱ", false},
      {"\xC2\x81", false},                         // a C1 control
      {U8(u8"あ") + "\xFF", false},
      {U8(u8"あ") + "\xE3\x81", false},            // cut short at the end
  };
  for (const Case& c : cases) EXPECT_EQ(LooksLikeUtf8Source(c.in), c.utf8) << c.in;
  // No double-byte character alone is valid UTF-8, nor any text of kana.
  for (unsigned code : AllDoubleByteCodes()) {
    ASSERT_FALSE(LooksLikeUtf8Source(CodeBytes(code))) << std::hex << code;
  }
  EXPECT_FALSE(LooksLikeUtf8Source("ひらがなとカタカナと漢字の文章です。"));
}
