#include "support/mailheader.h"

#include <cstddef>

#include "sjis/sjis.h"
#include "support/base64.h"
#include "support/jcode.h"

namespace tama::support {

namespace {

inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The first place at or after `from` where the opening of an encoded word
// stands, in any letter case. Its first byte "=" is never a trail byte, so a
// byte search finds only whole characters.
size_t FindOpening(std::string_view s, size_t from) {
  const size_t m = kMailWordOpen.size();
  for (size_t i = s.find('=', from); i != std::string_view::npos && i + m <= s.size(); i = s.find('=', i + 1)) {
    size_t k = 1;
    while (k < m && UpperAscii(s[i + k]) == kMailWordOpen[k]) ++k;
    if (k == m) return i;
  }
  return std::string_view::npos;
}

inline bool DoubleAt(std::string_view s, size_t i) { return sjis::IsLead(s[i]) && i + 1 < s.size(); }

}  // namespace

std::string MailHeaderEncode(std::string_view s) {
  const size_t n = s.size();
  std::string out;
  out.reserve(n * 2 + 32);
  std::string jis;
  for (size_t i = 0; i < n;) {
    size_t j = i;
    if (DoubleAt(s, i)) {
      while (j < n && DoubleAt(s, j)) j += 2;
      jis.clear();
      AppendSjisToJis(jis, s.substr(i, j - i));
      out += kMailWordOpen;
      AppendBase64(out, jis);
      out += "?=";
    } else {
      while (j < n && !DoubleAt(s, j)) ++j;
      out.append(s.substr(i, j - i));
    }
    i = j;
  }
  return out;
}

std::string MailHeaderDecode(std::string_view s) {
  std::string text;
  text.reserve(s.size());
  std::string bytes;
  size_t p = 0;
  for (;;) {
    const size_t open = FindOpening(s, p);
    if (open == std::string_view::npos) break;
    text.append(s.substr(p, open - p));
    const size_t body = open + kMailWordOpen.size();
    const size_t close = s.find("?=", body);
    if (close == std::string_view::npos) {
      p = body;  // only the opening goes
      continue;
    }
    if (!Base64Decode(s.substr(body, close - body), bytes)) return std::string();
    text += bytes;
    text += "\x1B(J";
    p = close + 2;
  }
  text.append(s.substr(p));
  text = ConvertCode(text, DetectCode(text), kCodeSjis);
  // the text ends at the first byte that belongs to no readable character
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (sjis::IsLead(c)) {
      i += i + 1 < n ? 2 : 1;
    } else if (c == '\t' || c == '\n' || c == '\r' || (c >= 0x20 && c <= 0x7E)) {
      ++i;
    } else {
      break;
    }
  }
  text.resize(i);
  return text;
}

}  // namespace tama::support
