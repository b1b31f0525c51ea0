// Japanese mail header fields: MIME encoded words ("B" encoding) holding
// ISO-2022-JP text.
#pragma once
#include <string>
#include <string_view>

namespace tama::support {

// The opening of an encoded word, as written.
inline constexpr std::string_view kMailWordOpen = "=?ISO-2022-JP?B?";

// A Shift-JIS text with every run of double-byte characters written as one
// encoded word (JIS, BASE64); single-byte characters, half-width katakana
// among them, stay as they are.
std::string MailHeaderEncode(std::string_view s);

// The encoded words of a header (opening found in any letter case) decoded and
// the whole converted to Shift-JIS from the encoding it is found in. The
// result ends before the first byte that is neither part of a double-byte
// character nor tab, LF, CR or 0x20-0x7E. Empty when an encoded word is not
// valid BASE64. An opening without a closing "?=" after it is dropped.
std::string MailHeaderDecode(std::string_view s);

}  // namespace tama::support
