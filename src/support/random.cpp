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

}  // namespace

TRandom::TRandom() : seed_(ClockSeed()) {}

void TRandom::SeedFromClock() { seed_ = ClockSeed(); }

uint32_t TRandom::Draw(uint32_t n) {
  const uint64_t s = Advance();
  return static_cast<uint32_t>((s * n) >> 32);
}

double TRandom::Fraction() { return static_cast<double>(Advance()) / 4294967296.0; }

}  // namespace tama
