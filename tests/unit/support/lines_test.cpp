#include "support/lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tama::support;

namespace {

constexpr size_t npos = std::string_view::npos;

// ソ is 83 5C and 表 is 95 5C: their trail bytes are the backslash. The
// full-width space is 81 40: its trail byte is "@". ア is 83 41 ("A").

TEST(Lines, EveryLineEndEndsOneLineAndAFinalOneAddsNone) {
  struct TCase {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"\r", {""}},
      {"\n", {""}},
      {"a\r", {"a"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\n\r", {"a", ""}},  // LF CR is two line ends
      {"a\rb\nc", {"a", "b", "c"}},
      {"ソ\r\n表", {"ソ", "表"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<std::string> walked;
    EXPECT_TRUE(ForEachLine(c.text, [&](std::string_view l) { walked.emplace_back(l); }));
    EXPECT_EQ(walked, c.lines);
    std::vector<std::string> split;
    for (std::string_view l : SplitLines(c.text)) split.emplace_back(l);
    EXPECT_EQ(split, c.lines);
  }
}

TEST(Lines, EveryLineEndsWithCrLfAfterTheJoin) {
  EXPECT_EQ(LinesEndingCrLf(""), "");
  EXPECT_EQ(LinesEndingCrLf("a"), "a\r\n");
  EXPECT_EQ(LinesEndingCrLf("a\nb\r"), "a\r\nb\r\n");
  EXPECT_EQ(LinesEndingCrLf("\n\r\n"), "\r\n\r\n");
}

TEST(Lines, AWalkStopsWhenTheCallerSaysSo) {
  std::vector<std::string> seen;
  EXPECT_FALSE(ForEachLine("a\r\nb\r\nc", [&](std::string_view l) {
    seen.emplace_back(l);
    return l != "b";
  }));
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
}

TEST(Lines, NextLineMovesPastTheLineEnd) {
  const std::string_view text = "ab\r\ncd";
  size_t pos = 0;
  std::string_view line;
  ASSERT_TRUE(NextLine(text, pos, line));
  EXPECT_EQ(line, "ab");
  EXPECT_EQ(pos, 4u);
  ASSERT_TRUE(NextLine(text, pos, line));
  EXPECT_EQ(line, "cd");
  EXPECT_FALSE(NextLine(text, pos, line));
  EXPECT_EQ(line, "cd");  // unchanged at the end
}

TEST(Lines, TrimControlTakesBytesUpToSpaceFromBothEnds) {
  EXPECT_EQ(TrimControl(" \t\r\na b\x01\x20"), "a b");
  EXPECT_EQ(TrimControl("\x7f" "a"), "\x7f" "a");  // DEL is no control byte here
  EXPECT_EQ(TrimControl("　a　"), "　a　");        // nor the full-width space
  EXPECT_EQ(TrimControl(" \r\n "), "");
}

TEST(Lines, FindOnlyAtCharacterBoundaries) {
  struct TCase {
    std::string s, what;
    size_t from, want;
  } cases[] = {
      {"abcabc", "c", 0, 2},
      {"abcabc", "c", 3, 5},
      {"ソ\\", "\\", 0, 2},
      {"表", "\\", 0, npos},
      {"アA", "A", 0, 2},
      {"\x81\x40@", "@", 0, 2},
      {"a\x81", "\x81", 0, 1},  // a lead byte as the last byte is a character
      {"abc", "", 0, npos},
      {"ab", "abc", 0, npos},
      {"abc", "c", 3, npos},
      {"abc", "c", 4, npos},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.s + " / " + c.what);
    EXPECT_EQ(FindAtBoundary(c.s, c.what, c.from), c.want);
  }
  EXPECT_TRUE(HasCharAtBoundary("ソ\\", '\\'));
  EXPECT_FALSE(HasCharAtBoundary("ソ表", '\\'));
}

TEST(Lines, CutAtBoundaryNeverSplitsACharacter) {
  EXPECT_EQ(CutAtBoundary("abc", 5), "abc");
  EXPECT_EQ(CutAtBoundary("abc", 2), "ab");
  EXPECT_EQ(CutAtBoundary("aソb", 2), "a");
  EXPECT_EQ(CutAtBoundary("aソb", 3), "aソ");
  EXPECT_EQ(CutAtBoundary("ソ", 0), "");
}

}  // namespace
