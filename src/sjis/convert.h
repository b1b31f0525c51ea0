// Conversion between Shift-JIS (CP932) and UTF-8 at the edges of the process:
// program files, the terminal, file names and everything else the outside
// world hands over or receives. Inside, every text is CP932.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace tama::sjis {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// The CP932 code of nothing (no valid code has the trail byte 0xFF).
inline constexpr unsigned kNoCode = 0xFFFF;

// CP932 -> UTF-8. 0x5C is the backslash and 0x7E the tilde. Every byte that
// is not part of a character gives U+FFFD: the single bytes 0x80, 0xA0 and
// 0xFD-0xFF; a lead byte at the end or before a byte that cannot follow it
// (that byte is then read on its own); and a lead + trail pair without a
// character (one U+FFFD for the pair). Zero bytes are copied.
std::string SjisToUtf8(std::string_view sjis);

// UTF-8 -> CP932. False when the UTF-8 is invalid or a character has no CP932
// form; *badOffset is then the input offset of the first such byte or
// character, and out holds the text converted before it. A byte order mark at
// the very start is dropped. Where several CP932 codes decode to one
// character, the code the platform writes is chosen (the JIS X 0208 row, then
// NEC row 13, then the IBM extensions FA-FC). The other common Unicode forms
// of a few JIS X 0208 characters are accepted too: U+301C (〜 -> 0x8160),
// U+2016, U+2212, U+2014, U+00A2, U+00A3, U+00AC; they come back from
// SjisToUtf8 as the code's own form (U+FF5E ...).
bool Utf8ToSjis(std::string_view utf8, std::string& out, size_t* badOffset = nullptr);
// The same, writing '?' for each character without a CP932 form and for each
// invalid UTF-8 sequence (one '?' per maximal invalid part).
std::string Utf8ToSjisLossy(std::string_view utf8);

// True when the bytes begin with a UTF-8 byte order mark, or are valid UTF-8
// holding at least one non-ASCII character and no C1 control (U+0080-U+009F).
// Shift-JIS Japanese text is practically never valid UTF-8: most of its lead
// bytes (0x81-0x9F) cannot start a UTF-8 sequence. Only very short texts of
// half-width kana in special pairs (ﾃｽ = C3 BD) stay ambiguous; they are read
// as UTF-8.
bool LooksLikeUtf8Source(std::string_view bytes);

// One character: the Unicode code point of a CP932 code (a byte or
// lead*256+trail), U+FFFD when the code has no character; and the CP932 code
// of a code point, kNoCode when it has none.
char32_t CodeToUnicode(unsigned code);
unsigned UnicodeToCode(char32_t u);

// The UTF-8 bytes of a code point (four bytes from U+10000 on; the caller
// keeps to code points below U+110000).
void AppendUtf8(std::string& out, char32_t u);

}  // namespace tama::sjis
