#include "support/lines.h"

#include <algorithm>

#include "sjis/sjis.h"

namespace tama::support {

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  lines.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  ForEachLine(text, [&](std::string_view line) { lines.push_back(line); });
  return lines;
}

std::string LinesEndingCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 2);
  ForEachLine(text, [&](std::string_view line) {
    out.append(line);
    out += "\r\n";
  });
  return out;
}

size_t FindAtBoundary(std::string_view s, std::string_view what, size_t from) {
  if (what.empty() || from > s.size()) return std::string_view::npos;
  size_t b = from;  // always a character boundary
  for (;;) {
    const size_t q = s.find(what, b);
    if (q == std::string_view::npos) return q;
    while (b < q) b += sjis::CharLen(s, b);
    if (b == q) return q;
    // q lies on a trail byte; b is the boundary right after that character
  }
}

bool HasCharAtBoundary(std::string_view s, char c) {
  for (size_t i = 0; i < s.size(); i += sjis::CharLen(s, i))
    if (s[i] == c) return true;
  return false;
}

std::string_view CutAtBoundary(std::string_view s, size_t n) {
  if (s.size() <= n) return s;
  size_t i = 0;
  while (i < s.size()) {
    const size_t len = sjis::CharLen(s, i);
    if (i + len > n) break;
    i += len;
  }
  return s.substr(0, i);
}

}  // namespace tama::support
