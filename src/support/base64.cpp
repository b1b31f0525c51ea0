#include "support/base64.h"

#include <array>
#include <cstdint>

namespace tama::support {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<uint8_t, 256> MakeValues() {
  std::array<uint8_t, 256> v{};
  for (unsigned k = 0; k < 64; ++k) v[static_cast<unsigned char>(kAlphabet[k])] = static_cast<uint8_t>(k);
  return v;
}
constexpr std::array<uint8_t, 256> kValues = MakeValues();

inline unsigned Value(char c) { return kValues[static_cast<unsigned char>(c)]; }

}  // namespace

void AppendBase64(std::string& out, std::string_view s) {
  const size_t n = s.size();
  out.reserve(out.size() + (n + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= n; i += 3) {
    const uint32_t w = static_cast<unsigned char>(s[i]) << 16 | static_cast<unsigned char>(s[i + 1]) << 8 |
                       static_cast<unsigned char>(s[i + 2]);
    out.push_back(kAlphabet[w >> 18]);
    out.push_back(kAlphabet[(w >> 12) & 63]);
    out.push_back(kAlphabet[(w >> 6) & 63]);
    out.push_back(kAlphabet[w & 63]);
  }
  if (n - i == 1) {
    const uint32_t w = static_cast<unsigned char>(s[i]) << 16;
    out.push_back(kAlphabet[w >> 18]);
    out.push_back(kAlphabet[(w >> 12) & 63]);
    out += "==";
  } else if (n - i == 2) {
    const uint32_t w = static_cast<unsigned char>(s[i]) << 16 | static_cast<unsigned char>(s[i + 1]) << 8;
    out.push_back(kAlphabet[w >> 18]);
    out.push_back(kAlphabet[(w >> 12) & 63]);
    out.push_back(kAlphabet[(w >> 6) & 63]);
    out.push_back('=');
  }
}

std::string Base64Encode(std::string_view s) {
  std::string out;
  AppendBase64(out, s);
  return out;
}

bool Base64Decode(std::string_view s, std::string& out) {
  out.clear();
  const size_t n = s.size();
  out.reserve(n / 4 * 3);
  size_t i = 0;
  for (;;) {
    while (i < n && (s[i] == '\r' || s[i] == '\n')) ++i;
    if (i == n) return true;
    if (n - i < 4) {
      out.clear();
      return false;
    }
    const char* g = s.data() + i;
    const uint32_t w = Value(g[0]) << 18 | Value(g[1]) << 12 | Value(g[2]) << 6 | Value(g[3]);
    out.push_back(static_cast<char>(w >> 16));
    if (g[2] != '=') {
      out.push_back(static_cast<char>((w >> 8) & 0xFF));
      if (g[3] != '=') out.push_back(static_cast<char>(w & 0xFF));
    }
    i += 4;
  }
}

}  // namespace tama::support
