// Shift-JIS (CP932) bytes: lead bytes, character stepping and the byte classes
// that the readers of program text share.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tama::sjis {

// A lead byte and the byte after it form one double-byte character.
constexpr bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
inline bool IsLead(char c) { return IsLead(static_cast<unsigned char>(c)); }

// Length of the character at p in a zero-terminated text: 2 for a lead byte
// followed by a non-zero byte, else 1 (0 at the terminating zero byte).
inline size_t CharLenZ(const char* p) {
  if (*p == 0) return 0;
  return (IsLead(*p) && p[1] != 0) ? 2 : 1;
}
// The same in a counted text: a lead byte as the last byte is one character.
inline size_t CharLen(std::string_view s, size_t i) {
  return (IsLead(s[i]) && i + 1 < s.size()) ? 2 : 1;
}
// Step over the character at p (never past the terminating zero byte).
inline const char* Next(const char* p) { return p + CharLenZ(p); }

// The 16-bit code of the character at i (lead*256+trail, or the single byte).
inline unsigned CodeAt(std::string_view s, size_t i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  if (CharLen(s, i) == 2) return c * 256u + static_cast<unsigned char>(s[i + 1]);
  return c;
}

// Byte classes of the program readers.
enum : uint8_t {
  kBlank = 1,      // tab, space, ',' and 0xA4 (the half-width ideographic comma)
  kDelimiter = 2,  // bytes that end a word
  kOperator = 4,   // % & * + - / < = > ^ |
  kDigit = 8,
};
extern const uint8_t kByteClass[256];
inline bool IsBlank(char c) { return kByteClass[static_cast<unsigned char>(c)] & kBlank; }
inline bool IsDelimiter(char c) { return kByteClass[static_cast<unsigned char>(c)] & kDelimiter; }
inline bool IsOperator(char c) { return kByteClass[static_cast<unsigned char>(c)] & kOperator; }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Number of characters in a text by the double-byte rule.
size_t CharCount(std::string_view s);

}  // namespace tama::sjis
