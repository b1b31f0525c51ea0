// The three byte encodings of Japanese text: Shift-JIS (CP932), EUC-JP and
// 7-bit JIS. Detects which one a text is in and converts between them by the
// row/cell arithmetic of JIS X 0208 (no code tables, no locale).
//
// JIS output enters the double-byte mode with ESC $ B and leaves it with
// ESC ( J; half-width katakana are written as their full-width counterparts,
// a following voiced or semi-voiced sound mark merged into the character.
// No converter reads past the end of its input: an escape sequence cut short
// is dropped; the readers copy a byte left over from an incomplete pair, the
// writers of JIS and EUC-JP write 〓 for it.
//
// Shift-JIS codes outside the JIS X 0208 rows are written as the platform
// reads them: an IBM extension (FA40-FC4B: 髙 﨑 ⅰ ￢ …) as the code of the
// same character in the JIS rows, NEC row 13 or the NEC-selected rows
// ED40-EEFC; a character with no form in JIS or EUC-JP (the user area
// F040-F9FC, a code without a character, a byte that starts no character) as
// 〓. Every other character comes back unchanged from the way back.
#pragma once
#include <string>
#include <string_view>

namespace tama::support {

// Encoding codes, as the detector gives them and the converter takes them.
enum TextCode : int {
  kCodeUndecided = 0,  // only 7-bit bytes without escape sequences
  kCodeBinary = 1,     // a byte 0x00-0x07 or 0xFF
  kCodeJisNew = 2,     // ESC $ B
  kCodeJisOld = 3,     // ESC $ @
  kCodeEuc = 4,
  kCodeSjis = 5,
  kCodeEucOrSjis = 6,  // could be either
};

// The encoding of a text, from its bytes.
int DetectCode(std::string_view s);

// An encoding by name, compared in upper case: "EUC" -> 4, "JIS" -> 2, any
// other name (including "SJIS") -> 5.
int CodeFromName(std::string_view name);

// The text converted from encoding `from` to encoding `to` (2, 4 or 5). A
// text whose source is undecided (0), binary (1), ambiguous (6) or already
// the target comes back unchanged, as does any other target.
std::string ConvertCode(std::string_view s, int from, int to);

// The single conversions. The JIS readers accept both escapes of the
// double-byte mode (ESC $ B and ESC $ @).
std::string JisToEuc(std::string_view s);
std::string JisToSjis(std::string_view s);
std::string EucToSjis(std::string_view s);
std::string SjisToEuc(std::string_view s);
std::string EucToJis(std::string_view s);
std::string SjisToJis(std::string_view s);
// Appends the JIS form of a Shift-JIS text to out.
void AppendSjisToJis(std::string& out, std::string_view s);

// The row/cell pair arithmetic (bytes taken and given modulo 256).
void JisPairToSjis(unsigned char j1, unsigned char j2, unsigned char& s1, unsigned char& s2);
void SjisPairToJis(unsigned char s1, unsigned char s2, unsigned char& j1, unsigned char& j2);

}  // namespace tama::support
