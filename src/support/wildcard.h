// The wildcard language of table searches, pick-ups and マッチ.
//
// Pattern elements: "?" any one character (it also steps past the end of the
// subject), "*" the shortest stretch after which the rest of the pattern
// matches (first fit, no backtracking), "#" one ASCII digit, "(" ")" pick-up
// parentheses, "[...]" a set of characters and ranges ("!" negates; "[*...]"
// and "[+...]" repeat up to the next plain character; "[=a|b]" tries words),
// "\n", "\t" and "\x" escapes; every other character stands for itself.
// Text is Shift-JIS: a lead byte and the byte after it are one character, and
// a match never starts at a trail byte.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tama {

// A malformed pattern; the message is the bare text for the user.
class EWildcard : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The outcome of a match-and-cut from the start of a subject.
struct TWildCut {
  bool matched = false;
  std::string text;                  // the characters the pattern consumed
  std::string remainder;             // the characters after them
  std::vector<std::string> pickups;  // the "(...)" pieces in recording order
};

// A pattern compiled once and matched against many subjects. Raises
// EWildcard for a bad "\" inside "[ ]"; matching raises it for a
// repetition bracket followed by anything but a plain character.
class TWildPattern {
 public:
  explicit TWildPattern(std::string_view pattern);

  // True when the pattern matches the whole subject.
  bool MatchWhole(std::string_view subject) const;
  // Matches from the start of the subject and reports what was taken.
  TWildCut MatchCut(std::string_view subject) const;

 private:
  friend class TWildMatcher;
  enum class Kind : uint8_t { kChar, kQuestion, kAsterisk, kNumber, kPickupFrom, kPickupTo, kSet };
  struct Elem {
    Kind kind;
    uint8_t len = 0;   // kChar: 1 or 2 bytes
    char bytes[2]{};   // kChar
    uint32_t set = 0;  // kSet: index into sets_
  };
  struct CharSet {
    std::vector<std::pair<uint32_t, uint32_t>> ranges;  // character codes, low <= high
    bool negate = false;
    uint8_t mode = 0;                 // 0 one character, 1 "*" repeat, 2 "+" repeat, 3 words
    std::vector<std::string> words;   // mode 3, in the order they are tried
    std::vector<uint32_t> wordChars;  // characters of each word
  };

  void ParseSet(std::string_view p, size_t& i);

  std::vector<Elem> elems_;
  std::vector<CharSet> sets_;
  uint32_t stars_ = 0;  // number of "*" elements
};

// True when the pattern matches the whole subject.
bool WildMatchWhole(std::string_view subject, std::string_view pattern);
// Matches the pattern from the start of the subject.
TWildCut WildMatchCut(std::string_view pattern, std::string_view subject);

}  // namespace tama
