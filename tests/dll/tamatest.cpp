// A small library for the tests of imported functions.
#include <cstdint>
#include <cstring>

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT int32_t add3(int32_t a, int32_t b, int32_t c) { return a + b + c; }
// the untyped forms pass texts
EXPORT int32_t text_len(const char* s) { return static_cast<int32_t>(std::strlen(s)); }
EXPORT int32_t text_sum(const char* a, const char* b) {
  int32_t n = 0;
  for (const char* p = a; *p; ++p) n += *p - '0';
  for (const char* p = b; *p; ++p) n += *p - '0';
  return n;
}
EXPORT const char* echo(const char* s) { return s; }
EXPORT const char* greeting() { return "hello from the library"; }
EXPORT const char* nothing() { return nullptr; }
EXPORT uint32_t u16(uint32_t w) { return w + 1; }
EXPORT int64_t wide(int64_t v) { return v; }  // what reaches a 64-bit parameter
EXPORT int32_t flag(int32_t b) { return b; }
EXPORT int32_t six(const char*, const char*, const char*, const char*, const char*, const char*) { return 6; }
EXPORT int32_t minus_one() { return -1; }
EXPORT uint32_t big() { return 4000000000u; }
EXPORT int32_t concat(char* out, const char* a, const char* b) {
  std::strcpy(out, a);
  std::strcat(out, b);
  return static_cast<int32_t>(std::strlen(out));
}
static int32_t counter = 0;
EXPORT void bump(int32_t by) { counter += by; }
EXPORT int32_t count() { return counter; }
EXPORT int32_t crash(int32_t v) {
  volatile int32_t* p = nullptr;
  if (v >= 0) *p = v;
  return v;
}
