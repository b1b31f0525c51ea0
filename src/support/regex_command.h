// Perl-style regular-expression commands on Shift-JIS text: match
// ("m/pattern/flags" or a plain pattern), split, substitution
// ("s/pattern/replacement/flags") and transliteration ("tr/from/to/flags").
//
// Patterns use the Perl pattern language (named groups too); \w, \d, \s, \b and the POSIX
// brackets mean their ASCII classes, as in byte-oriented Perl. A match never
// starts or ends inside a double-byte character. Flags: i (ignore ASCII
// case), m (^ and $ at every line), s (. matches LF), x (extended pattern),
// g (every match, for substitutions); other letters are accepted and
// ignored. Every search is bounded: a pattern that backtracks without end
// fails with an error instead of hanging.
#pragma once
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tama::regex {

// A faulty pattern or command, or a search that gave up. The message is a
// short text of at most 79 bytes.
class ERegex : public std::runtime_error {
 public:
  explicit ERegex(std::string_view message);
};

// The compiled patterns kept for the next searches with the same pattern (the
// last 16). The interpreter state owns one.
class TPatternCache {
 public:
  TPatternCache();
  ~TPatternCache();
  TPatternCache(const TPatternCache&) = delete;
  TPatternCache& operator=(const TPatternCache&) = delete;

  struct TImpl;
  TImpl& Impl() { return *impl_; }

 private:
  std::unique_ptr<TImpl> impl_;
};

struct TMatchResult {
  bool matched = false;
  int groups = 0;                  // capture groups of the pattern
  std::vector<std::string> texts;  // groups 0..groups when matched (an unset group is empty)
};

// The first match in the subject. A text that begins with "m", a delimiter
// (ASCII punctuation), a pattern closed by the same delimiter and nothing but
// flag letters after it is a match command; any other text is the pattern
// itself.
TMatchResult Match(TPatternCache& cache, std::string_view pattern, std::string_view subject);

// The pieces of the subject between the matches (Perl split with a positive
// limit): a match must end after the start of its piece, so an empty match
// at the start gives no empty first piece; capture groups are put between the
// pieces; trailing empty pieces are kept; at most `limit` pieces (the last
// holds the rest). An empty subject gives no pieces.
std::vector<std::string> Split(TPatternCache& cache, std::string_view pattern, std::string_view subject, int limit);

struct TSubstResult {
  bool replaced = false;
  std::string text;  // the subject after the substitution
  int groups = 0;    // capture groups of the pattern
};

// "s" + delimiter + pattern + delimiter + replacement + delimiter + flags. The
// replacement knows $1..$99, ${n}, $&, $`, $', \1..\9, \n, \t, \r and "\"
// before any other character for that character.
TSubstResult Substitute(TPatternCache& cache, std::string_view command, std::string_view subject);

// "tr" (or "y") + delimiter + from + delimiter + to + delimiter + flags c d s.
// Lists hold characters and ranges "a-z" of Shift-JIS characters in code
// order (only codes of real characters count); a short to-list repeats its
// last character, an empty one stands for the from-list.
std::string Transliterate(std::string_view command, std::string_view subject);

}  // namespace tama::regex
