#include "support/random.h"

#include <time.h>

namespace tama {

namespace {

uint32_t ClockSeed() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const uint64_t ns = static_cast<uint64_t>(ts.tv_sec) * 1000000000u + static_cast<uint64_t>(ts.tv_nsec);
  return static_cast<uint32_t>(ns);
}

uint32_t& Seed() {
  static uint32_t seed = ClockSeed();
  return seed;
}

uint32_t Advance() {
  uint32_t& s = Seed();
  s = s * 134775813u + 1u;
  return s;
}

}  // namespace

uint32_t RandomSeed() { return Seed(); }
void SetRandomSeed(uint32_t seed) { Seed() = seed; }
void SeedRandomFromClock() { Seed() = ClockSeed(); }

uint32_t RandomDraw(uint32_t n) {
  const uint64_t s = Advance();
  return static_cast<uint32_t>((s * n) >> 32);
}

double RandomFraction() { return static_cast<double>(Advance()) / 4294967296.0; }

}  // namespace tama
