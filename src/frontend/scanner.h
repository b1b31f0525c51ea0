// Token readers over a canonical program text: words, numbers, literals and
// parenthesised texts. They work on a cursor into a zero-terminated text and
// raise TScanError with the bare message; the interpreter adds the error line.
#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

#include "sjis/sjis.h"

namespace tama::frontend {

class TScanError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline void SkipBlanks(const char*& p) {
  while (sjis::IsBlank(*p)) ++p;
}
inline void SkipSpaces(const char*& p) {
  while (*p == ' ' || *p == '\t') ++p;
}

// Skips tabs and spaces, then the characters up to the first delimiter byte.
// Returns a view into the text; the cursor stops on the delimiter.
std::string_view ReadWord(const char*& p);

// A number as written ("2.50", "1.5e3", "-7"); a "$" hex number gives its
// decimal text. Empty (cursor unchanged past blanks) when no number starts here.
std::string ReadNumber(const char*& p);

// The literal with both quote characters, cursor after it. `limit` is the
// last byte the scan may look at (nullptr: up to the end of the text).
// Empty when the next non-blank byte is no quote.
std::string_view ReadLiteral(const char*& p, const char* limit = nullptr);

// Cursor on "(": the text inside the parentheses, cursor after ")". An
// unbalanced text raises "\")\"が対応していません。" with the cursor after "(".
std::string_view ReadParenthesised(const char*& p);

// The back-quoted value form.
std::string QuoteValue(std::string_view v);
std::string UnquoteValue(std::string_view v);

// True when the text ends with the given suffix on a character boundary.
bool EndsWithChar(std::string_view s, std::string_view suffix);

}  // namespace tama::frontend
