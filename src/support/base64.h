// BASE64 with the standard alphabet (A-Z a-z 0-9 + /) and "=" padding.
#pragma once
#include <string>
#include <string_view>

namespace tama::support {

// The bytes of s encoded on one line (no line breaks).
std::string Base64Encode(std::string_view s);
void AppendBase64(std::string& out, std::string_view s);

// Decodes groups of four characters; CR and LF between groups are skipped. An
// "=" in the third or fourth place of a group ends it after one or two bytes.
// Characters outside the alphabet count as 0. Fails (returns false, out
// cleared) when the input is not made of complete groups.
bool Base64Decode(std::string_view s, std::string& out);

}  // namespace tama::support
