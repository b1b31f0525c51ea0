#include "sjis/sjis.h"

namespace tama::sjis {

namespace {
constexpr auto MakeClasses() {
  struct Table { uint8_t v[256]{}; } t;
  for (unsigned char c : {'\t', ' ', ',', static_cast<char>(0xA4)}) t.v[static_cast<unsigned char>(c)] |= kBlank;
  const unsigned char delims[] = {'\t', '\r', ' ', '"', '#', '%', '&', '(', ')', '*', '+', ',',
                                  '-', '/', ':', ';', '<', '=', '>', '?', '\\', '^', '`', 0xA4};
  for (unsigned char c : delims) t.v[c] |= kDelimiter;
  for (unsigned char c : {'%', '&', '*', '+', '-', '/', '<', '=', '>', '^', '|'}) t.v[c] |= kOperator;
  for (unsigned char c = '0'; c <= '9'; ++c) t.v[c] |= kDigit;
  return t;
}
constexpr auto kTable = MakeClasses();
}  // namespace

const uint8_t kByteClass[256] = {
#define R(i) kTable.v[i]
#define R8(i) R(i), R(i + 1), R(i + 2), R(i + 3), R(i + 4), R(i + 5), R(i + 6), R(i + 7)
#define R64(i) R8(i), R8(i + 8), R8(i + 16), R8(i + 24), R8(i + 32), R8(i + 40), R8(i + 48), R8(i + 56)
    R64(0), R64(64), R64(128), R64(192)
#undef R64
#undef R8
#undef R
};

size_t CharCount(std::string_view s) {
  size_t n = 0;
  for (size_t i = 0; i < s.size(); i += CharLen(s, i)) ++n;
  return n;
}

}  // namespace tama::sjis
