#include "support/textops.h"

#include <gtest/gtest.h>

#include <string>

using namespace tama;
using namespace tama::textops;

namespace {

// ア is 83 41 and ソ is 83 5C: their trail bytes are "A" and the backslash.
// The full-width space is 81 40: its trail byte is "@".

TEST(TextOps, FindOnlyAtCharacterBoundaries) {
  struct TCase {
    std::string s, what;
    size_t from, want;
  } cases[] = {
      {"abcabc", "c", 0, 2},
      {"abcabc", "c", 3, 5},
      {"アA", "A", 0, 2},
      {"\x81\x40", "@", 0, npos},
      {"\x81\x40@", "@", 0, 2},
      {"ソ\\", "\\", 0, 2},
      {"abc", "", 0, npos},
      {"abc", "d", 0, npos},
      {"ab", "abc", 0, npos},
      {"abc", "c", 4, npos},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.s + " / " + c.what);
    EXPECT_EQ(Find(c.s, c.what, c.from), c.want);
  }
}

TEST(TextOps, CharTextStopsAtTheFirstZeroByte) {
  EXPECT_EQ(CharText(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(CharText("abc"), "abc");
  EXPECT_EQ(CharText(""), "");
}

TEST(TextOps, Measuring) {
  EXPECT_EQ(CharCount("aあb"), 3u);
  EXPECT_EQ(CharCount("\x82"), 1u);  // a lead byte at the end is one character

  struct TIndex {
    std::string s, what;
    int64_t want;
  } index[] = {
      {"あいう", "う", 3}, {"aあb", "b", 3},   {"\x81\x40", "@", 0}, {"アA", "A", 2},
      {"abc", "", 0},      {"", "a", 0},       {"ab", "abc", 0},     {"abcb", "b", 2},
  };
  for (const TIndex& c : index) {
    SCOPED_TRACE(c.s + " / " + c.what);
    EXPECT_EQ(CharIndexOf(c.s, c.what), c.want);
  }

  struct TCount {
    std::string s, word;
    int64_t want;
  } counts[] = {
      {"aaaa", "aa", 2}, {"aaa", "aa", 1}, {"アAA", "A", 2}, {"abc", "", 0}, {"", "a", 0}, {"あいあい", "あい", 2},
  };
  for (const TCount& c : counts) {
    SCOPED_TRACE(c.s + " / " + c.word);
    EXPECT_EQ(CountOccurrences(c.s, c.word), c.want);
  }

  struct TLines {
    std::string s;
    int64_t want;
  } lines[] = {
      {"", 0}, {"a", 1}, {"a\r\n", 1}, {"a\r\nb", 2}, {"a\n\nb", 3}, {"\r\r", 2}, {"a\rb\n", 2}, {"\r\n\r\n", 2},
  };
  for (const TLines& c : lines) {
    SCOPED_TRACE(c.s);
    EXPECT_EQ(LineCount(c.s), c.want);
  }
}

TEST(TextOps, NumberSequence) {
  struct TCase {
    std::string s;
    bool want;
  } cases[] = {
      {"123", true}, {"1.5e+3", true}, {"0-1E", true}, {"", false}, {"-1", false}, {"1a", false}, {"１", false},
      {"1 2", false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.s);
    EXPECT_EQ(IsNumberSequence(c.s), c.want);
  }
}

TEST(TextOps, ExtractingByCharacters) {
  const std::string s = "あいうえお";
  struct TMid {
    int64_t p, n;
    std::string want;
  } mids[] = {
      {2, 2, "いう"}, {0, 2, "あ"}, {-1, 2, ""}, {4, 10, "えお"}, {6, 1, ""}, {2, 0, ""}, {2, -1, ""}, {1, 5, s},
  };
  for (const TMid& c : mids) {
    SCOPED_TRACE(std::to_string(c.p) + "," + std::to_string(c.n));
    EXPECT_EQ(MidChars(s, c.p, c.n), c.want);
  }

  struct TEnds {
    int64_t n;
    std::string left, right, dropLeft, dropRight;
  } ends[] = {
      {2, "あい", "えお", "うえお", "あいう"},
      {0, "", "", s, s},
      {-3, "", "", s, s},
      {5, s, s, "", ""},
      {9, s, s, "", ""},
  };
  for (const TEnds& c : ends) {
    SCOPED_TRACE(c.n);
    EXPECT_EQ(LeftChars(s, c.n), c.left);
    EXPECT_EQ(RightChars(s, c.n), c.right);
    EXPECT_EQ(DropLeftChars(s, c.n), c.dropLeft);
    EXPECT_EQ(DropRightChars(s, c.n), c.dropRight);
  }
  EXPECT_EQ(LeftChars("aあb", 2), "aあ");
  EXPECT_EQ(RightChars("aあb", 2), "あb");
}

TEST(TextOps, ExtractingBytes) {
  const std::string s = "あいうえお";
  struct TCase {
    int64_t p, n;
    std::string want;
  } cases[] = {
      {3, 2, "い"}, {0, 2, "あ"}, {-5, 2, "あ"}, {11, 1, ""}, {10, 5, "\xA8"}, {1, -1, ""}, {2, 1, "\xA0"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.p) + "," + std::to_string(c.n));
    EXPECT_EQ(MidBytes(s, c.p, c.n), c.want);
  }
}

TEST(TextOps, Paragraphs) {
  struct TCase {
    std::string s;
    int64_t n;
    std::string want;
  } cases[] = {
      {"a\r\n\r\nb", 1, "a\r\n\r\n"},
      {"a\r\n\r\nb", 2, "b"},
      {"a\r\n\r\nb", 3, ""},
      {"a\r\n\r\nb", 0, ""},
      {"a\r\n\r\nb", -1, ""},
      {"a\nb\n\nc", 1, "a\nb\n\nc"},  // LF alone never ends a paragraph
      {"a\r\rb", 2, "b"},
      {"a\r\nb", 1, "a\r\nb"},
      {"a\r\n\r\n\r\nb\r\n\r\nc", 2, "b\r\n\r\n"},
      {"", 1, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.s + " #" + std::to_string(c.n));
    EXPECT_EQ(Paragraph(c.s, c.n), c.want);
  }
}

TEST(TextOps, Cutting) {
  struct TCase {
    std::string s, delim, cut, rest;
  } cases[] = {
      {"x=1", "=", "x", "1"},
      {"x=1", "#", "x=1", ""},
      {"a==b", "==", "a", "b"},
      {"アBAC", "A", "アB", "C"},
      {"アB", "A", "アB", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.s + " / " + c.delim);
    TCut r = CutAt(c.s, c.delim);
    EXPECT_EQ(r.cut, c.cut);
    EXPECT_EQ(r.rest, c.rest);
  }
}

TEST(TextOps, CuttingWithAnEscape) {
  struct TCase {
    std::string s, delim;
    char escape;
    std::string cut, rest;
  } cases[] = {
      {"a\\,b,c", ",", '\\', "a\\,b", "c"},
      {"ソ,x", ",", '\\', "ソ", "x"},  // the trail byte of ソ is no escape
      {"a\\", ",", '\\', "a\\", ""},
      {"a#あ,b", ",", '#', "a#あ", "b"},
      {"a,,b", ",,", '\\', "a", "b"},
      {"abc", ",", '\\', "abc", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.s);
    TCut r = CutAtEscaped(c.s, c.delim, c.escape);
    EXPECT_EQ(r.cut, c.cut);
    EXPECT_EQ(r.rest, c.rest);
  }
}

TEST(TextOps, CuttingARange) {
  struct TCase {
    std::string s, start, end;
    bool found;
    std::string span, rest;
  } cases[] = {
      {"x\"abc\"y", "\"", "\"", true, "\"", "xabc\"y"},  // the end search starts on the start text
      {"a<b>c", "<", ">", true, "<b>", "ac"},
      {"abc", "x", "y", false, "", ""},
      {"abc", "", "b", true, "ab", "c"},
      {"abc", "b", "", true, "", "abc"},
      {"abc", "b", "x", true, "bc", "a"},
      {"<ア>A", "A", ">", true, "A", "<ア>"},  // the trail byte of ア is no start
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.s);
    TRangeCut r = CutRange(c.s, c.start, c.end);
    EXPECT_EQ(r.found, c.found);
    if (!c.found) continue;
    EXPECT_EQ(r.span, c.span);
    EXPECT_EQ(r.rest, c.rest);
  }
}

TEST(TextOps, Replacing) {
  struct TAll {
    std::string s, from, to, want;
  } all[] = {
      {"aaa", "a", "aa", "aaaaaa"},  // inserted text is not searched again
      {"abc", "", "x", "abc"},
      {"アA", "A", "B", "アB"},
      {"a-b-c", "-", "", "abc"},
      {"あいう", "い", "", "あう"},
      {"", "a", "b", ""},
  };
  for (const TAll& c : all) {
    SCOPED_TRACE(c.s);
    EXPECT_EQ(ReplaceAll(c.s, c.from, c.to), c.want);
  }

  struct TNth {
    std::string s, from;
    int64_t n;
    std::string to, want;
  } nth[] = {
      {"aaaa", "aa", 2, "X", "aaX"},
      {"aaaa", "aa", 3, "X", "aaaa"},
      {"aaaa", "aa", 0, "X", "aaaa"},
      {"aaaa", "", 1, "X", "Xaaaa"},
      {"aaaa", "", 5, "X", "Xaaaa"},
      {"アAA", "A", 1, "B", "アBA"},
      {"a,b,c", ",", 2, ";", "a,b;c"},
  };
  for (const TNth& c : nth) {
    SCOPED_TRACE(c.s + " #" + std::to_string(c.n));
    EXPECT_EQ(ReplaceNth(c.s, c.from, c.n, c.to), c.want);
  }

  EXPECT_EQ(Repeat("ab", 3), "ababab");
  EXPECT_EQ(Repeat("ab", 0), "");
  EXPECT_EQ(Repeat("ab", -2), "");
}

TEST(TextOps, TrimmingBlanks) {
  struct TCase {
    std::string s, want;
  } cases[] = {
      {"  a b  ", "a b"},
      {"　a　", "a"},
      {"\x81\x81\x40", "\x81\x81\x40"},  // ＝@: 81 40 here is no full-width space
      {"　 　x", "x"},
      {"x　 　", "x"},
      {"\t\r\n", ""},
      {"", ""},
      {"a　b", "a　b"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.s);
    EXPECT_EQ(TrimBlanks(c.s), c.want);
  }
}

TEST(TextOps, Okurigana) {
  struct TCase {
    std::string s, want;
  } cases[] = {
      {"書き込み", "書込"}, {"あいう", "あいう"}, {"送り仮名", "送仮名"}, {"abcあ", "abcあ"},
      {"漢a字か", "漢a字"}, {"かな漢字です", "かな漢字"}, {"", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.s);
    EXPECT_EQ(DropOkurigana(c.s), c.want);
  }
}

TEST(TextOps, PaddingCountsBytes) {
  EXPECT_EQ(PadLeft("-5", 4, '0'), "00-5");
  EXPECT_EQ(PadLeft("abc", 2, ' '), "abc");
  EXPECT_EQ(PadLeft("あ", 4, ' '), "  あ");
  EXPECT_EQ(PadLeft("x", -1, ' '), "x");
}

TEST(TextOps, WrappingLines) {
  const std::string k = "、。，．・？！゛゜ヽヾゝゞ々ー）］｝」』!),.:;?]}｡｣､･ｰﾞﾟ";
  struct TCase {
    std::string s;
    int64_t width, tab;
    std::string list, want;
  } cases[] = {
      {"あいう", 4, 8, k, "あい\r\nう"},
      {"あいう。", 6, 8, k, "あいう。\r\n"},  // the 。 stays on the line, the break is still written
      {"あいう", 0, 8, k, "あいう"},
      {"ab\r\n。c", 10, 8, k, "ab。\r\nc"},  // line ends of the text pull too
      {"abcdef", 3, 8, k, "abc\r\ndef"},
      {"abc\r\n", 3, 8, k, "abc\r\n\r\n"},  // a line end at the full width gives an empty line
      {"a\tb", 10, 8, k, "a\tb"},
      {"a\tbc", 10, 8, k, "a\tb\r\nc"},
      {"a\n\nb", 5, 8, k, "a\r\nb"},
      {"a\n\n\nb", 5, 8, k, "a\r\n\r\nb"},
      {"a\n\rb", 5, 8, k, "a\r\nb"},
      {"aあ", 2, 8, k, "a\r\nあ"},
      {"ab,c", 2, 8, k, "ab,\r\nc"},
      {"ab,c", 2, 8, "", "ab\r\n,c"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.s + " w" + std::to_string(c.width));
    EXPECT_EQ(WrapLines(c.s, c.width, c.tab, c.list), c.want);
  }
}

TEST(TextOps, BinaryDump) {
  EXPECT_EQ(BinaryDump("ABC"), "41,42,43,");
  EXPECT_EQ(BinaryDump(std::string("\0\xff", 2)), "00,FF,");
  EXPECT_EQ(BinaryDump(""), "");
  const std::string dump = BinaryDump(std::string(17, 'a'));
  EXPECT_EQ(dump.substr(0, 48), "61,61,61,61,61,61,61,61,61,61,61,61,61,61,61,61\r");
  EXPECT_EQ(dump.substr(47), "\r\n61,");
  EXPECT_EQ(BinaryDump(std::string(16, 'a')).substr(45), "61\r\n");
}

TEST(TextOps, PercentEncode) {
  struct TCase {
    std::string bytes, keep, want;
  } cases[] = {
      {"AZaz09", "", "AZaz09"},
      {"a b+c", "", "a%20b%2Bc"},
      {"-._~/", "-._~", "-._~%2F"},
      {"/a/b c", "-._~/", "/a/b%20c"},
      {"it's (x)*!", "-_.!~*'()/", "it's%20(x)*!"},
      {std::string("a\0b", 3), "-._~", "a%00b"},  // a zero byte is never kept
      {"\x83\x41\xff", "", "%83A%FF"},
      {"", "-", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.bytes + " keep " + c.keep);
    EXPECT_EQ(PercentEncode(c.bytes, c.keep), c.want);
  }
}

TEST(TextOps, SplittingIntoLines) {
  struct TCase {
    std::string s, delim, want;
  } cases[] = {
      {"a,,b", ",", "a\r\n\r\nb\r\n"},
      {"a,", ",", "a\r\n"},
      {",a", ",", "\r\na\r\n"},
      {"ID,x", ",", "\"ID\"\r\nx\r\n"},  // CSV quoting
      {"x\"y,z", ",", "\"x\"\"y\"\r\nz\r\n"},
      {"x,y", ",", "x\r\ny\r\n"},
      {"", ",", ""},
      {"ab", "", "ab\r\n"},
      {"アBAC", "A", "アB\r\nC\r\n"},
      {"a<>b<>", "<>", "a\r\nb\r\n"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.s + " / " + c.delim);
    EXPECT_EQ(SplitToLines(c.s, c.delim), c.want);
  }
}

TEST(TextOps, Tags) {
  struct TStrip {
    std::string s, want;
  } strip[] = {
      {"a<b>c", "ac"}, {"x>y", "xy"}, {"  <p>あ</p>  ", "あ"}, {"<a", ""}, {"", ""}, {"表<br>示", "表示"},
  };
  for (const TStrip& c : strip) {
    SCOPED_TRACE(c.s);
    EXPECT_EQ(StripTags(c.s), c.want);
  }

  struct TElements {
    std::string s, name, want;
  } elements[] = {
      {"<b>x</b><B>y</B>", "b", "<b>x</b>\r\n<B>y</B>\r\n"},
      {"<b>x</b>", "<b>", "<b>x</b>\r\n"},
      {"<a href=1>x</a>z", "a", "<a href=1>x</a>\r\n"},
      {"<b>1<b>2</b>3</b>", "b", "<b>1<b>2</b>\r\n"},  // the first closing tag ends it
      {"<br>x<br>", "br", "<br>\r\n<br>\r\n"},
      {"<P>x</p>", "p", "<P>x</p>\r\n"},
      {"<Td>x</Td>", "td", ""},  // only the all-lower and all-upper forms
      {"x<b", "b", ""},
      {"<b x", "b", ""},
      {"<b>x</b", "b", "<b>x</b\r\n"},
  };
  for (const TElements& c : elements) {
    SCOPED_TRACE(c.s);
    EXPECT_EQ(CutTagElements(c.s, c.name), c.want);
  }
}

TEST(TextOps, AsciiCaseKeepsDoubleByteCharacters) {
  EXPECT_EQ(AsciiLower("アAb"), "アab");
  EXPECT_EQ(AsciiUpper("ａbC"), "ａBC");
}

}  // namespace
