#include "support/regex_command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tama::regex;

namespace {

using TTexts = std::vector<std::string>;

// One cache for the whole test program, as one interpreter has.
TPatternCache& Cache() {
  static TPatternCache cache;
  return cache;
}

TEST(RegexCommand, Match) {
  struct TCase {
    std::string pattern, subject;
    bool matched;
    TTexts texts;
  } cases[] = {
      {"m/b(c)/", "abcd", true, {"bc", "c"}},
      {"b(c)", "abcd", true, {"bc", "c"}},  // a plain pattern
      {"x", "abc", false, {}},
      {"main", "domain", true, {"main"}},  // "m" + letter is no match command
      {"m[0-9]+", "am12", true, {"m12"}},  // the "[" does not close: a plain pattern
      {"m!a/b!", "xa/b", true, {"a/b"}},
      {"m/a\\/b/", "xa/b", true, {"a/b"}},
      {"い(.)え", "あいうえお", true, {"いうえ", "う"}},
      {"m/ABC/i", "xabcx", true, {"abc"}},
      {"(a)|(b)", "b", true, {"b", "", "b"}},  // an unset group is empty
      {"\\w+", "あいabc", true, {"abc"}},     // \w is ASCII
      {"\\d+", "１２3", true, {"3"}},
      {"^b", "a\nb", false, {}},
      {"m/^b/m", "a\nb", true, {"b"}},
      {"a.b", "a\nb", false, {}},
      {"m/a.b/s", "a\nb", true, {"a\nb"}},
      {"m/a b/x", "ab", true, {"ab"}},
      {"c$", "abc\n", true, {"c"}},
      {"A", "ア", false, {}},  // never inside a double-byte character
      {"@", "\x81\x40", false, {}},
      {"ソ", "ソ", true, {"ソ"}},
      {"(?<y>\\d+)-(\\d+)", "1-2", true, {"1-2", "1", "2"}},
      {"", "abc", true, {""}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.pattern + " / " + c.subject);
    TMatchResult r = Match(Cache(), c.pattern, c.subject);
    EXPECT_EQ(r.matched, c.matched);
    if (c.matched) {
      EXPECT_EQ(r.texts, c.texts);
      EXPECT_EQ(r.groups + 1, static_cast<int>(c.texts.size()));
    }
  }
}

TEST(RegexCommand, FaultyPatternsRaiseShortMessages) {
  for (const char* pattern : {"(", "m/(/", "a{2,1}", "[z-a]", "\\", "(?<n>a)\\k<m>", "\x82"}) {
    SCOPED_TRACE(pattern);
    try {
      Match(Cache(), pattern, "abc");
      ADD_FAILURE() << "no error";
    } catch (const ERegex& e) {
      const std::string m = e.what();
      EXPECT_FALSE(m.empty());
      EXPECT_LE(m.size(), 79u);
    }
  }
}

TEST(RegexCommand, ALeadByteAtTheEndIsNeverMatched) {
  // it has no trail byte: the search must not read past the end of the subject
  const std::string subject = "a\x82";
  EXPECT_FALSE(Match(Cache(), "[^a]", subject).matched);
  EXPECT_EQ(Match(Cache(), "a.?$", subject).texts, TTexts{"a"});
  EXPECT_EQ(Split(Cache(), "x", subject, 1000), TTexts{subject});
  EXPECT_EQ(Substitute(Cache(), "s/./-/g", subject).text, "-\x82");
}

TEST(RegexCommand, RunawayBacktrackingEndsWithAnError) {
  const std::string subject = std::string(40, 'a') + "!";
  EXPECT_THROW(Match(Cache(), "^(a|aa)+$", subject), ERegex);
  EXPECT_THROW(Substitute(Cache(), "s/(a+)+$/x/", subject), ERegex);
}

TEST(RegexCommand, Split) {
  struct TCase {
    std::string pattern, subject;
    int limit;
    TTexts want;
  } cases[] = {
      {"m/,/", "a,b,,c", 1000, {"a", "b", "", "c"}},
      {",", "a,b,", 1000, {"a", "b", ""}},  // trailing empty pieces are kept
      {",", ",a", 1000, {"", "a"}},
      {"", "abc", 1000, {"a", "b", "c", ""}},
      {" *", "a b", 1000, {"a", "b", ""}},
      {"(,)", "a,b", 1000, {"a", ",", "b"}},
      {",", "", 1000, {}},
      {",", "abc", 1000, {"abc"}},
      {",", "a,b,c", 2, {"a", "b,c"}},
      {",", "a,b,c", 1, {"a,b,c"}},
      {"A", "アBAC", 1000, {"アB", "C"}},
      {"^", "a\nb\nc", 1000, {"a\n", "b\n", "c"}},
      {"\\s+", "あ い\tう", 1000, {"あ", "い", "う"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.pattern + " / " + c.subject);
    EXPECT_EQ(Split(Cache(), c.pattern, c.subject, c.limit), c.want);
  }
  // the limit caps the pieces, the last one holds the rest
  std::string many;
  for (int i = 0; i < 1500; ++i) many += "x,";
  TTexts pieces = Split(Cache(), ",", many, 1000);
  ASSERT_EQ(pieces.size(), 1000u);
  EXPECT_EQ(pieces[998], "x");
  EXPECT_EQ(pieces[999].size(), 501u * 2);
}

TEST(RegexCommand, Substitute) {
  struct TCase {
    std::string command, subject;
    bool replaced;
    std::string want;
  } cases[] = {
      {"s/a/b/", "aaa", true, "baa"},
      {"s/a/b/g", "aaa", true, "bbb"},
      {"s/x*/-/g", "abc", true, "-a-b-c-"},
      {"s/b*/-/g", "abc", true, "-a--c-"},
      {"s/(\\w+) (\\w+)/$2 $1/", "hello world", true, "world hello"},
      {"s/(\\w+) (\\w+)/\\2 \\1/", "hello world", true, "world hello"},
      {"s/o/[$&]/g", "foo", true, "f[o][o]"},
      {"s/b/<$`|$'>/", "abc", true, "a<a|c>c"},
      {"s/a/\\n\\t/", "a", true, "\n\t"},
      {"s#/#|#g", "a/b/c", true, "a|b|c"},
      {"s/\\//|/g", "a/b", true, "a|b"},
      {"s/x/y/", "abc", false, "abc"},
      {"s/ソ/X/", "ソソ", true, "Xソ"},          // the trail byte of ソ is no escape
      {"s/a/ソ/", "a", true, "ソ"},
      {"s/(a)|(b)/[$2]/g", "ab", true, "[][b]"},
      {"s/(a)/$10/", "a", true, "a0"},  // $10 is $1 and "0" when there is one group
      {"s/(a)/${1}0/", "a", true, "a0"},
      {"s/a/\\$1/", "a", true, "$1"},
      {"s/A/b/ig", "xAa", true, "xbb"},
      {"s/$/!/", "a\nb", true, "a\nb!"},
      {"s/^/>/g", "a\nb", true, ">a\nb"},
      {"s/^/>/gm", "a\nb", true, ">a\n>b"},
      {"s/A/B/g", "アA", true, "アB"},
      {"s/./x/g", "aあ", true, "xx"},
      {"s/a/b/gk", "a", true, "b"},  // unknown flags are ignored
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.command + " / " + c.subject);
    TSubstResult r = Substitute(Cache(), c.command, c.subject);
    EXPECT_EQ(r.replaced, c.replaced);
    EXPECT_EQ(r.text, c.want);
  }
  EXPECT_EQ(Substitute(Cache(), "s/(a)(b)/x/", "ab").groups, 2);
  for (const char* bad : {"a/b/", "s/a/b", "s/a", "s", "sabac", "s/a/b/1", "s/(/x/"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(Substitute(Cache(), bad, "abc"), ERegex);
  }
}

TEST(RegexCommand, Transliterate) {
  struct TCase {
    std::string command, subject, want;
  } cases[] = {
      {"tr/a-z/A-Z/", "abcXyz", "ABCXYZ"},
      {"tr/ぁ-ん/ァ-ン/", "むかしばなし", "ムカシバナシ"},  // the code gap after ミ is no character
      {"tr/ァ-ン/ぁ-ん/", "ムカシ", "むかし"},
      {"tr/abc//d", "aabbcd", "d"},
      {"tr/a-z//cd", "a1b2", "ab"},
      {"tr/a-z/_/c", "a1b2", "a_b_"},
      {"tr/a-z//c", "a1b2", "a1b2"},
      {"tr/a//s", "aaab", "ab"},
      {"tr/a-c/x/", "abcd", "xxxd"},  // a short list repeats its last character
      {"tr/a-c/xy/d", "abcd", "xyd"},
      {"tr/a-z/A-Z/s", "aabbAA", "ABAA"},
      {"y/a/b/", "aa", "bb"},
      {"tr/A/B/", "アA", "アB"},
      {"tr/\\-a/x/", "-ab", "xxb"},
      {"tr/a-/xy/", "a-", "xy"},
      {"tr/\\n/ /", "a\nb", "a b"},
      {"tr/あ/ア/", "あいあ", "アいア"},
      {"tr#/#|#", "a/b", "a|b"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.command + " / " + c.subject);
    EXPECT_EQ(Transliterate(c.command, c.subject), c.want);
  }
  for (const char* bad : {"tr/z-a/x/", "tr/a/b", "t/a/b/", "tr", "tra/b/c", "tr/a/b/1"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(Transliterate(bad, "abc"), ERegex);
  }
}

}  // namespace
