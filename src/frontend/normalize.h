// Source normalisation: the one pass that turns a program text into the
// canonical text every later reader walks, and the fold of full-width forms to
// their half-width equivalents.
//
// Canonical text: outside string literals every character that has a
// half-width form is folded, comments are gone, the two families of string
// quotes are written as '"' and '`', and every line after the first starts
// with its zero-based row and a colon ("1:", "2:" ...). Line breaks are CR LF.
#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

namespace tama::frontend {

// The replacement of the character with the given code (lead*256+trail for a
// double-byte character, the byte itself for a single byte), or the empty view
// when the character folds to itself. The view points into static storage.
std::string_view FoldCode(unsigned code);

// The folded form of one character `ch` (one or two bytes): its replacement
// from the fold table, or `ch` itself.
std::string_view FoldChar(std::string_view ch);

// The text with every character folded; no comment or literal handling.
std::string FoldText(std::string_view text);

// An unbalanced literal or comment brace found while normalising. what() is
// the bare message; row() is the 1-based line of the opening quote or brace.
class TNormalizeError : public std::runtime_error {
 public:
  TNormalizeError(const std::string& message, int row) : std::runtime_error(message), row_(row) {}
  int row() const noexcept { return row_; }

 private:
  int row_;
};

// Rewrites `text` in place into canonical text (the input ends at its first
// zero byte). On an unclosed comment brace or literal the text is still
// replaced by what was produced, then TNormalizeError is thrown.
void NormalizeSource(std::string& text);

// At a line break of canonical text: skips tabs, spaces, CR and LF; a row
// prefix (decimal digits and a colon) that follows is consumed and its number
// returned. Otherwise returns -1 and leaves the cursor after the skipped bytes.
int ReadLineNumber(const char*& p);

}  // namespace tama::frontend
