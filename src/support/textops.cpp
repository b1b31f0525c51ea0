#include "support/textops.h"

#include <algorithm>
#include <cstring>

#include "sjis/sjis.h"
#include "support/csvdb.h"
#include "support/lines.h"

namespace tama::textops {

namespace {

using sjis::CharLen;

inline bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

constexpr char kHex[] = "0123456789ABCDEF";

// Byte offset just after `n` characters counted from the boundary `from`.
size_t Advance(std::string_view s, size_t from, int64_t n) {
  size_t i = from;
  while (n > 0 && i < s.size()) {
    i += CharLen(s, i);
    --n;
  }
  return i;
}

// The ideographic space, space, tab, CR or LF at i (its length, else 0).
size_t BlankAt(std::string_view s, size_t i) {
  const char c = s[i];
  if (c == ' ' || c == '\t' || c == '\r' || c == '\n') return 1;
  if (c == '\x81' && i + 1 < s.size() && s[i + 1] == '\x40') return 2;
  return 0;
}

bool IsHiragana(std::string_view s, size_t i) {
  if (CharLen(s, i) != 2) return false;
  const unsigned code = sjis::CodeAt(s, i);
  return code >= 0x82A0 && code <= 0x833E;
}

template <bool kUpper>
std::string AsciiCase(std::string_view s) {
  std::string out(s);
  for (size_t i = 0; i < out.size();) {
    const size_t len = CharLen(out, i);
    char& c = out[i];
    if (len == 1) {
      if (kUpper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if (!kUpper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    i += len;
  }
  return out;
}

}  // namespace

std::string_view CharText(std::string_view s) {
  const void* z = s.empty() ? nullptr : std::memchr(s.data(), 0, s.size());
  return z ? s.substr(0, static_cast<size_t>(static_cast<const char*>(z) - s.data())) : s;
}

size_t Find(std::string_view s, std::string_view what, size_t from) { return support::FindAtBoundary(s, what, from); }

size_t CharCount(std::string_view s) { return sjis::CharCount(s); }

size_t CharOffset(std::string_view s, int64_t n) { return Advance(s, 0, n); }

// ---------------------------------------------------------------------------
// Measuring and testing

int64_t CharIndexOf(std::string_view s, std::string_view what) {
  if (s.empty() || what.empty() || what.size() > s.size()) return 0;
  const size_t q = Find(s, what);
  if (q == npos) return 0;
  return static_cast<int64_t>(CharCount(s.substr(0, q))) + 1;
}

int64_t CountOccurrences(std::string_view s, std::string_view word) {
  if (word.empty()) return 0;
  int64_t n = 0;
  for (size_t q = Find(s, word); q != npos; q = Find(s, word, q + word.size())) ++n;
  return n;
}

int64_t LineCount(std::string_view s) {
  int64_t lines = 0;
  bool open = false;
  for (size_t i = 0; i < s.size();) {
    const size_t len = CharLen(s, i);
    if (len == 1 && IsLineEnd(s[i])) {
      ++lines;
      open = false;
      if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else {
      open = true;
    }
    i += len;
  }
  return lines + (open ? 1 : 0);
}

bool IsNumberSequence(std::string_view s) {
  if (s.empty() || !sjis::IsDigit(s[0])) return false;
  for (size_t i = 1; i < s.size(); ++i) {
    const char c = s[i];
    if (!sjis::IsDigit(c) && c != '+' && c != '-' && c != '.' && c != 'E' && c != 'e') return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// Extracting

std::string_view MidChars(std::string_view s, int64_t p, int64_t n) {
  if (n <= 0) return {};
  // characters lo..hi (1-based, inclusive); p + n - 1 cannot overflow for 32-bit inputs,
  // and is clamped for wider ones
  const int64_t hi = (p > 0 && n > INT64_MAX - p) ? INT64_MAX : p + n - 1;
  const int64_t lo = p < 1 ? 1 : p;
  if (hi < lo) return {};
  const size_t b = Advance(s, 0, lo - 1);
  const size_t e = Advance(s, b, hi - lo + 1);
  return s.substr(b, e - b);
}

std::string_view MidBytes(std::string_view s, int64_t p, int64_t n) {
  if (p < 1) p = 1;
  if (n < 0 || p > static_cast<int64_t>(s.size())) return {};
  const size_t b = static_cast<size_t>(p - 1);
  return s.substr(b, static_cast<size_t>(std::min<int64_t>(n, static_cast<int64_t>(s.size() - b))));
}

std::string_view LeftChars(std::string_view s, int64_t n) {
  if (n <= 0) return {};
  return s.substr(0, Advance(s, 0, n));
}

std::string_view RightChars(std::string_view s, int64_t n) {
  if (n <= 0) return {};
  const int64_t count = static_cast<int64_t>(CharCount(s));
  if (n >= count) return s;
  return s.substr(Advance(s, 0, count - n));
}

std::string_view DropLeftChars(std::string_view s, int64_t n) {
  if (n <= 0) return s;
  return s.substr(Advance(s, 0, n));
}

std::string_view DropRightChars(std::string_view s, int64_t n) {
  if (n <= 0) return s;
  const int64_t count = static_cast<int64_t>(CharCount(s));
  if (n >= count) return {};
  return s.substr(0, Advance(s, 0, count - n));
}

std::string_view Paragraph(std::string_view s, int64_t n) {
  if (n < 1) return {};
  int64_t k = 0;
  size_t start = 0;
  while (start < s.size()) {
    size_t end = s.size();
    for (size_t i = start; i < s.size(); i += CharLen(s, i)) {
      if (s[i] != '\r') continue;
      size_t j = i + 1;
      if (j < s.size() && s[j] == '\n') ++j;
      if (j < s.size() && s[j] == '\r') {
        end = i;
        while (end < s.size() && IsLineEnd(s[end])) ++end;
        break;
      }
    }
    if (++k == n) return s.substr(start, end - start);
    start = end;
  }
  return {};
}

// ---------------------------------------------------------------------------
// Cutting

TCut CutAt(std::string_view s, std::string_view delim) {
  const size_t q = Find(s, delim);
  if (q == npos) return {std::string(s), {}};
  return {std::string(s.substr(0, q)), std::string(s.substr(q + delim.size()))};
}

TCut CutAtEscaped(std::string_view s, std::string_view delim, char escape) {
  TCut r;
  r.cut.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    if (!delim.empty() && s.compare(i, delim.size(), delim) == 0) {
      r.rest.assign(s.substr(i + delim.size()));
      return r;
    }
    size_t len = CharLen(s, i);
    if (len == 1 && s[i] == escape && i + 1 < s.size()) len += CharLen(s, i + 1);
    r.cut.append(s, i, len);
    i += len;
  }
  return r;
}

TRangeCut CutRange(std::string_view s, std::string_view start, std::string_view end) {
  TRangeCut r;
  const size_t b = start.empty() ? 0 : Find(s, start);
  if (b == npos) return r;
  r.found = true;
  size_t e;
  if (end.empty()) {
    e = b;
  } else {
    const size_t q = Find(s, end, b);
    e = q == npos ? s.size() : q + end.size();
  }
  r.span.assign(s.substr(b, e - b));
  r.rest.reserve(s.size() - (e - b));
  r.rest.append(s.substr(0, b));
  r.rest.append(s.substr(e));
  return r;
}

// ---------------------------------------------------------------------------
// Building and replacing

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  size_t q = Find(s, from);
  if (q == npos) return std::string(s);
  std::string out;
  out.reserve(to.size() > from.size() ? s.size() + s.size() / 4 : s.size());
  size_t copied = 0;
  while (q != npos) {
    out.append(s, copied, q - copied);
    out.append(to);
    copied = q + from.size();
    q = Find(s, from, copied);
  }
  out.append(s.substr(copied));
  return out;
}

std::string ReplaceNth(std::string_view s, std::string_view from, int64_t n, std::string_view to) {
  if (n < 1) return std::string(s);
  if (from.empty()) {
    std::string out(to);
    out.append(s);
    return out;
  }
  size_t q = Find(s, from);
  for (int64_t k = 1; q != npos && k < n; ++k) q = Find(s, from, q + from.size());
  if (q == npos) return std::string(s);
  std::string out;
  out.reserve(s.size() - from.size() + to.size());
  out.append(s.substr(0, q));
  out.append(to);
  out.append(s.substr(q + from.size()));
  return out;
}

std::string Repeat(std::string_view s, int64_t n) {
  std::string out;
  if (n <= 0 || s.empty()) return out;
  out.reserve(s.size() * static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) out.append(s);
  return out;
}

std::string_view TrimBlanks(std::string_view s) {
  s = support::TrimControl(s);
  size_t i = 0;
  while (i < s.size()) {
    const size_t len = BlankAt(s, i);
    if (len == 0) break;
    i += len;
  }
  size_t last = i;  // just after the last character that is not a blank
  for (size_t j = i; j < s.size();) {
    const size_t len = CharLen(s, j);
    const bool blank = BlankAt(s, j) == len;
    j += len;
    if (!blank) last = j;
  }
  return s.substr(i, last - i);
}

std::string DropOkurigana(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  bool afterKanji = false;
  for (size_t i = 0; i < s.size();) {
    const size_t len = CharLen(s, i);
    if (len == 1) {
      out += s[i];
    } else if (!IsHiragana(s, i)) {
      out.append(s, i, 2);
      afterKanji = true;
    } else if (!afterKanji) {
      out.append(s, i, 2);
    } else {
      while (i < s.size() && IsHiragana(s, i)) i += 2;
      afterKanji = false;
      continue;
    }
    i += len;
  }
  if (out.empty()) return std::string(s);
  return out;
}

std::string PadLeft(std::string_view s, int64_t width, char fill) {
  std::string out;
  if (width > static_cast<int64_t>(s.size())) {
    out.reserve(static_cast<size_t>(width));
    out.assign(static_cast<size_t>(width) - s.size(), fill);
  }
  out.append(s);
  return out;
}

// ---------------------------------------------------------------------------
// Formatting and bytes

std::string WrapLines(std::string_view s, int64_t width, int64_t tab, std::string_view noLineStart) {
  if (width <= 0) return std::string(s);
  std::string out;
  out.reserve(s.size() + s.size() / 8 + 2);
  int64_t col = 0;
  size_t i = 0;
  // A line break before the character at i: a character of the list is
  // pulled onto the line first. Returns true when it was pulled (i moved).
  auto inList = [&](size_t at, size_t len) {
    for (size_t k = 0; k < noLineStart.size();) {
      const size_t kl = CharLen(noLineStart, k);
      if (kl == len && noLineStart.compare(k, kl, s.substr(at, len)) == 0) return true;
      k += kl;
    }
    return false;
  };
  auto lineBreak = [&]() {
    bool pulled = false;
    if (!noLineStart.empty() && i < s.size()) {
      const size_t len = CharLen(s, i);
      if (inList(i, len)) {
        out.append(s, i, len);
        i += len;
        pulled = true;
      }
    }
    out += "\r\n";
    col = 0;
    return pulled;
  };
  while (i < s.size()) {
    const size_t len = CharLen(s, i);
    if (len == 2) {
      if (col + 2 > width && lineBreak()) continue;
      out.append(s, i, 2);
      i += 2;
      col += 2;
      continue;
    }
    if (col >= width && lineBreak()) continue;
    const char c = s[i];
    if (IsLineEnd(c)) {
      ++i;
      if (i < s.size() && IsLineEnd(s[i])) ++i;
      lineBreak();
      continue;
    }
    out += c;
    ++i;
    col += c == '\t' ? tab : 1;
  }
  return out;
}

std::string BinaryDump(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 3 + s.size() / 16 + 1);
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    out += kHex[c >> 4];
    out += kHex[c & 15];
    if (i % 16 == 15)
      out += "\r\n";
    else
      out += ',';
  }
  return out;
}

std::string PercentEncode(std::string_view bytes, std::string_view keep) {
  std::string out;
  out.reserve(bytes.size());
  for (const char ch : bytes) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || keep.find(ch) != npos) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

// ---------------------------------------------------------------------------
// Splitting and markup

std::string SplitToLines(std::string_view s, std::string_view delim) {
  std::string out;
  if (s.empty()) return out;
  out.reserve(s.size() + s.size() / 4 + 2);
  if (delim.empty()) {
    TCsvDb::AppendCsvCell(out, s);
    out += "\r\n";
    return out;
  }
  size_t i = 0;
  while (i < s.size()) {
    const size_t q = Find(s, delim, i);
    const size_t e = q == npos ? s.size() : q;
    TCsvDb::AppendCsvCell(out, s.substr(i, e - i));
    out += "\r\n";
    i = q == npos ? s.size() : q + delim.size();
  }
  return out;
}

std::string StripTags(std::string_view s) {
  s = support::TrimControl(s);
  std::string out;
  out.reserve(s.size());
  bool inTag = false;
  for (size_t i = 0; i < s.size();) {
    const char c = s[i];
    if (c == '<' || c == '>') {
      inTag = c == '<';
      ++i;
      continue;
    }
    const size_t len = CharLen(s, i);
    if (!inTag) out.append(s, i, len);
    i += len;
  }
  return out;
}

std::string CutTagElements(std::string_view s, std::string_view name) {
  if (name.size() >= 2 && name.front() == '<' && name.back() == '>') name = name.substr(1, name.size() - 2);
  const std::string lower = AsciiLower(name), upper = AsciiUpper(name);
  const std::string openL = "<" + lower, openU = "<" + upper;
  const std::string closeL = "</" + lower, closeU = "</" + upper;
  // "<" never is a trail byte, so a plain byte search finds only boundaries
  auto findEither = [&](const std::string& a, const std::string& b, size_t from) {
    const size_t p = s.find(a, from), q = s.find(b, from);
    return p < q ? p : q;
  };
  std::string out;
  size_t pos = 0;  // the source begins here
  while (pos < s.size()) {
    const size_t open = findEither(openL, openU, pos);
    if (open == npos || open + openL.size() >= s.size()) break;
    const size_t gt = s.find('>', open + openL.size());
    if (gt == npos) break;
    size_t last = gt;  // the element's last ">"
    const size_t close = findEither(closeL, closeU, gt + 1);
    if (close != npos) {
      const size_t cgt = s.find('>', close + closeL.size());
      last = cgt == npos ? s.size() - 1 : cgt;
    }
    out.append(s, open, last + 1 - open);
    out += "\r\n";
    pos = last;
  }
  return out;
}

std::string AsciiLower(std::string_view s) { return AsciiCase<false>(s); }
std::string AsciiUpper(std::string_view s) { return AsciiCase<true>(s); }

}  // namespace tama::textops
