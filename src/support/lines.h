// Lines, trimming and character boundaries of byte texts.
//
// A value is split into lines at CR LF, CR or LF; a line break at the very end
// ends the last line rather than starting an empty one, and an empty text has
// no lines at all ("a\r\n\r\nb" is "a", "", "b"; "a\r\n" is just "a").
//
// Texts are Shift-JIS: a character is a lead byte with the byte after it, or
// any other single byte (a lead byte as the last byte is one character). The
// boundary searches report only positions where a character begins, so a
// trail byte never starts a match.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tama::support {

// Reads the line that starts at byte pos into line and moves pos past the
// line's end; false (nothing changed) when no line starts at pos.
inline bool NextLine(std::string_view text, size_t& pos, std::string_view& line) {
  if (pos >= text.size()) return false;
  size_t j = pos;
  while (j < text.size() && text[j] != '\r' && text[j] != '\n') ++j;
  line = text.substr(pos, j - pos);
  if (j < text.size() && text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n') ++j;
  pos = j + 1;
  return true;
}

// Calls f(line) for every line in order. When f returns bool, false stops the
// walk; the result tells whether every line was visited.
template <class F>
bool ForEachLine(std::string_view text, F&& f) {
  size_t pos = 0;
  std::string_view line;
  while (NextLine(text, pos, line)) {
    if constexpr (std::is_same_v<std::invoke_result_t<F&, std::string_view>, bool>) {
      if (!f(line)) return false;
    } else {
      f(line);
    }
  }
  return true;
}

// The lines of a text, as views into it.
std::vector<std::string_view> SplitLines(std::string_view text);
// The text with every line followed by CR LF ("a\nb" and "a\r\nb\r" give
// "a\r\nb\r\n"; an empty text stays empty).
std::string LinesEndingCrLf(std::string_view text);

// The text without the spaces and control characters (bytes up to 0x20) at
// both ends.
inline std::string_view TrimControl(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20) s.remove_suffix(1);
  return s;
}

// Byte position of the first occurrence of what in s that begins at a
// character boundary at or after from (which must itself be a boundary);
// npos when there is none or what is empty.
size_t FindAtBoundary(std::string_view s, std::string_view what, size_t from = 0);
// Whether the single-byte character c stands in s (never as a trail byte).
bool HasCharAtBoundary(std::string_view s, char c);
// The longest head of s of at most n bytes that ends at a character boundary.
std::string_view CutAtBoundary(std::string_view s, size_t n);

}  // namespace tama::support
