#include "support/wildcard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tama;

namespace {

struct WholeCase {
  const char* pattern;
  const char* subject;
  bool match;
};

// Subjects with embedded zero-free control bytes are spelled with escapes.
const WholeCase kWhole[] = {
    // "?" and "*"
    {"a?c", "abc", true},
    {"a?c", "ac", false},
    {"a?c", "abcd", false},
    {"abc?", "abc", false},  // "?" steps past the end: the whole text is not matched exactly
    {"*", "", true},
    {"*", "anything at all", true},
    {"*.txt", "a.txt", true},
    {"*a", "ba", true},
    {"*a", "banana", false},  // first fit: the first "a" is taken
    {"*a", "aa", false},
    {"*a*", "banana", true},
    {"*a*b*c", "xaybzc", true},
    {"*a*b*c", "xaybzcc", false},  // the innermost "*" stops at the first "c"
    {"*a*b", "aaab", true},
    {"*a*b", "aaac", false},
    {"a*", "a*b", true},
    // "#" is an ASCII digit only
    {"#年", "5年", true},
    {"#年", "５年", false},
    // sets, ranges, negation, escapes
    {"[a-c]x", "bx", true},
    {"[c-a]x", "bx", true},  // the ends of a range may be written either way
    {"[!a-c]x", "dx", true},
    {"[!a-c]x", "bx", false},
    {"[!a]", "", false},
    {"[ア-ン]", "ア", true},
    {"[ア-ン]", "ン", true},
    {"[ア-ン]", "ヴ", false},  // ranges compare character codes: ヴ comes after ン
    {"[ア-ン]", "あ", false},
    {"[\\t]", "\t", true},
    {"[\\t]", "t", false},
    {"[\\n]", "\n", true},
    {"[\\n]", "\v", true},
    {"[\\n]", "\f", true},
    {"[\\n]", "\r", true},
    {"[\\n]", "n", false},
    {"a\\nb", "a\r\nb", true},
    {"a\\tb", "a\tb", true},
    {"[a-", "a", true},  // a range without its upper end is its lower end alone
    {"[ab", "b", true},  // an unclosed set takes the rest of the pattern
    // repetition brackets
    {"[*0-9]円", "123円", true},
    {"[*0-9]円", "円", true},
    {"[*0-9]円", "12x円", false},
    {"[+0-9]円", "円", false},
    {"[+0-9]円", "7円", true},
    {"[*0-9]", "2004", true},  // no terminator: up to the end
    {"[!*,],x", "abc,x", true},
    {"[*a-z]a", "bba", true},  // the terminator stops the repetition before a member
    // word lists
    {"[=cat|dog]s", "dogs", true},
    {"[=cat|dog]s", "cats", true},
    {"[=cat|dog]s", "rats", false},
    {"[=|x]y", "y", true},    // an empty word fits and consumes nothing
    {"[!=a]b", "ab", true},   // negation means nothing in a word list
    // the subject's own "[", "*", "\" are plain characters
    {"[[]*", "[1]", true},
    {"\\[*", "[1]", true},
    {"a\\\\b", "a\\b", true},
    {"a\\", "a\\", true},  // a lone backslash at the end stands for itself
    // never a match at a trail byte
    {"@", "　", false},       // 　 is 0x81 0x40
    {"*@*", "　", false},
    {"[@]", "　", false},
    {"*\\\\*", "ソ", false},  // ソ is 0x83 0x5C
    {"*\\\\*", "ソ\\", true},
    {"?", "あ", true},        // one character of two bytes
    {"??", "あ", false},
    {"a\x82", "a\x82", true},  // a lead byte at the end is a character of its own
};

TEST(Wildcard, WholeMatch) {
  for (const auto& c : kWhole)
    EXPECT_EQ(WildMatchWhole(c.subject, c.pattern), c.match) << c.pattern << " / " << c.subject;
}

struct CutCase {
  const char* pattern;
  const char* subject;
  bool matched;
  const char* text;
  const char* remainder;
  std::vector<std::string> pickups;
};

const CutCase kCut[] = {
    {"(#)-(#)", "1-2abc", true, "1-2", "abc", {"1", "2"}},
    {"abc?", "abc", true, "abc", "", {}},
    {"(*)", "xyz", true, "xyz", "", {"xyz"}},
    {"x*", "abc", false, "", "", {}},
    {"a", "abc", true, "a", "bc", {}},
    {"*", "abc", true, "abc", "", {}},
    // the pick-up start and the recording survive the trials of "*"
    {"(*)=(*)", "key=value", true, "key=value", "", {"key", "value"}},
    {"(*):*(x)", "ab:cdx", true, "ab:cdx", "", {"ab", "x"}},
    {"(*)-", "12-34", true, "12-", "34", {"12"}},
    // word lists are tried in their reordered sequence
    {"[=x|cc|ccc]", "cccd", true, "ccc", "d", {}},
    {"[=c|cc|ccc]", "cccc", true, "c", "ccc", {}},
    {"[=ccc|cc|c]", "cccc", true, "ccc", "c", {}},
    {"[=cc|c]", "ccc", true, "cc", "c", {}},  // two words keep their order
    {"[=c|cc]", "ccc", true, "c", "cc", {}},
    {"([*0-9])円", "12円x", true, "12円", "x", {"12"}},
    {"(あ)い", "あいう", true, "あい", "う", {"あ"}},
};

TEST(Wildcard, MatchAndCut) {
  for (const auto& c : kCut) {
    const TWildCut cut = WildMatchCut(c.pattern, c.subject);
    EXPECT_EQ(cut.matched, c.matched) << c.pattern;
    EXPECT_EQ(cut.text, c.text) << c.pattern;
    EXPECT_EQ(cut.remainder, c.remainder) << c.pattern;
    EXPECT_EQ(cut.pickups, c.pickups) << c.pattern;
  }
}

TEST(Wildcard, Errors) {
  const std::string setEscape = "ワイルドカードの[ ]中で\\記号を使うときは、\\t,\\nしか許されていません。";
  const std::string repeat = "ワイルドカード[*...]に続けてワイルドカードを書くことは出来ません。";
  struct ErrCase {
    const char* pattern;
    const char* subject;
    const std::string* message;  // nullptr: no error
  };
  const ErrCase cases[] = {
      {"[\\x]", "x", &setEscape},
      {"[a\\", "a", &setEscape},
      {"[*0-9]*", "12", &repeat},
      {"[+0-9]?", "12", &repeat},
      {"[*0-9]#", "12", &repeat},
      {"[*0-9]()", "12", &repeat},  // one parenthesis is passed over, not two
      {"[*0-9](円", "12円", nullptr},
      {"a[*0-9]*", "b", nullptr},  // the bracket is never reached
  };
  for (const auto& c : cases) {
    try {
      WildMatchWhole(c.subject, c.pattern);
      EXPECT_EQ(c.message, nullptr) << c.pattern;
    } catch (const EWildcard& e) {
      ASSERT_NE(c.message, nullptr) << c.pattern;
      EXPECT_EQ(e.what(), *c.message) << c.pattern;
    }
  }
}

TEST(Wildcard, CompiledPatternServesManySubjects) {
  const TWildPattern pat("(*)=(*)");
  EXPECT_EQ(pat.MatchCut("a=1").pickups, (std::vector<std::string>{"a", "1"}));
  EXPECT_EQ(pat.MatchCut("bb=22").pickups, (std::vector<std::string>{"bb", "22"}));
  EXPECT_TRUE(pat.MatchWhole("x=y"));
  EXPECT_FALSE(pat.MatchWhole("xy"));
}

TEST(Wildcard, LongSubjectWithSeveralStars) {
  // Each "*" tries each position once, so this stays linear in practice.
  std::string subject(200000, 'a');
  EXPECT_FALSE(WildMatchWhole(subject, "*a*a*a*b"));
  subject.back() = 'b';
  EXPECT_TRUE(WildMatchWhole(subject, "*a*a*a*b"));
}

}  // namespace
