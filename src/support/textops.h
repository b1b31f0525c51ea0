// Text operations of the string commands on Shift-JIS byte text: searching
// at character boundaries, cutting by characters, replacing, splitting,
// wrapping, trimming and markup tags.
//
// A character is a lead byte with the byte after it, or any other single byte
// (a lead byte as the last byte is one character). Positions given to and
// returned by the character operations are 1-based character indexes; byte
// offsets inside the code are 0-based. A search only reports occurrences that
// begin at a character boundary, so a trail byte never starts a match.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tama::textops {

inline constexpr size_t npos = std::string_view::npos;

// The part of a value that the character operations walk: the bytes before
// the first zero byte.
std::string_view CharText(std::string_view s);

// Byte offset of the first occurrence of `what` that begins at a character
// boundary at or after `from` (which must itself be a boundary); npos when
// there is none or `what` is empty. Linear in the distance walked.
size_t Find(std::string_view s, std::string_view what, size_t from = 0);

// Number of characters.
size_t CharCount(std::string_view s);
// Byte offset just after the first n characters (the length when the text has
// fewer; 0 for n <= 0).
size_t CharOffset(std::string_view s, int64_t n);

// ---- measuring and testing
// 1-based character index of the first occurrence; 0 when absent or when
// either text is empty.
int64_t CharIndexOf(std::string_view s, std::string_view what);
// Non-overlapping occurrences (the search resumes after each one); 0 for an
// empty word.
int64_t CountOccurrences(std::string_view s, std::string_view word);
// Lines: CR, LF and CR LF each end one; a last line without an end counts.
int64_t LineCount(std::string_view s);
// A first byte 0-9 and every later byte a digit, "+", "-", ".", "E" or "e".
bool IsNumberSequence(std::string_view s);

// ---- extracting
// Characters p .. p+n-1 (p below 1 only shortens the window).
std::string_view MidChars(std::string_view s, int64_t p, int64_t n);
// Bytes from byte position p (1-based; below 1 counts as 1), n bytes.
std::string_view MidBytes(std::string_view s, int64_t p, int64_t n);
std::string_view LeftChars(std::string_view s, int64_t n);
std::string_view RightChars(std::string_view s, int64_t n);
// The text without its first / last n characters.
std::string_view DropLeftChars(std::string_view s, int64_t n);
std::string_view DropRightChars(std::string_view s, int64_t n);
// The n-th paragraph (1-based): a paragraph ends at a CR, optionally followed
// by LF, that is directly followed by another CR, and keeps the CR and LF
// bytes that follow it. "" for n below 1 or beyond the last paragraph.
std::string_view Paragraph(std::string_view s, int64_t n);

// ---- cutting
struct TCut {
  std::string cut;   // the part taken
  std::string rest;  // what stays behind
};
// The text before the first occurrence of the delimiter / the text after it;
// without one: the whole text / "".
TCut CutAt(std::string_view s, std::string_view delim);
// As CutAt, with an escape byte: a single-byte character equal to it shields
// the character after it from the delimiter test (both are kept in the cut).
TCut CutAtEscaped(std::string_view s, std::string_view delim, char escape);
// The span from the first occurrence of `start` through the first occurrence
// of `end` at or after it (to the end of the text when `end` does not occur)
// / the text with the span removed. found is false when `start` does not
// occur. An empty start matches at the beginning, an empty end right at the
// start of the span (an empty span).
struct TRangeCut {
  bool found = false;
  std::string span;
  std::string rest;
};
TRangeCut CutRange(std::string_view s, std::string_view start, std::string_view end);

// ---- building and replacing
// Every occurrence replaced; the inserted text is not searched again. An empty
// search text leaves the text as it is.
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);
// Only the n-th non-overlapping occurrence replaced; n below 1 or fewer
// occurrences: unchanged. An empty search text occurs at the very start.
std::string ReplaceNth(std::string_view s, std::string_view from, int64_t n, std::string_view to);
// The text n times ("" for n <= 0). The caller bounds the size.
std::string Repeat(std::string_view s, int64_t n);
// Bytes <= 0x20 removed from both ends, then leading and trailing runs of the
// ideographic space, space, tab, CR and LF (walked by characters).
std::string_view TrimBlanks(std::string_view s);
// Each run of hiragana after a double-byte non-hiragana character dropped;
// the text itself when nothing would remain.
std::string DropOkurigana(std::string_view s);
// `fill` bytes put in front until the text is `width` bytes long.
std::string PadLeft(std::string_view s, int64_t width, char fill);

// ---- formatting and bytes
// Lines of at most `width` bytes (double-byte characters are never split);
// a tab advances `tab` columns; a character of `noLineStart` that would begin
// a line is kept at the end of the line before. width <= 0: unchanged.
std::string WrapLines(std::string_view s, int64_t width, int64_t tab, std::string_view noLineStart);
// Two upper-case hex digits per byte, each followed by "," or, after every
// 16th byte, by CR LF.
std::string BinaryDump(std::string_view s);
// Every byte as %XX (upper-case hex) except ASCII letters, digits and the
// bytes of `keep` (a zero byte is encoded too).
std::string PercentEncode(std::string_view bytes, std::string_view keep);

// ---- splitting and markup
// The text split at every occurrence of the delimiter, one element per line
// (each ended by CR LF) in the CSV cell form. A trailing delimiter gives no
// last empty element; an empty delimiter gives the whole text as one element.
std::string SplitToLines(std::string_view s, std::string_view delim);
// The text without markup tags ("<" to ">"), trimmed of bytes <= 0x20 first.
std::string StripTags(std::string_view s);
// Every element of the tag (opening tag through the first closing tag), one
// per line, each ended by CR LF. The name matches in all-lower or all-upper
// case; "<" and ">" around it are removed.
std::string CutTagElements(std::string_view s, std::string_view name);

// ASCII letters of the text to lower / upper case; double-byte characters stay.
std::string AsciiLower(std::string_view s);
std::string AsciiUpper(std::string_view s);

}  // namespace tama::textops
