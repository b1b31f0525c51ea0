// The random generator of 乱数, RND and 配列シャッフル; the interpreter state
// owns one, so that two interpreters draw their own sequences.
//
// One unsigned 32-bit seed: every draw first advances it to
// seed * 134775813 + 1 (mod 2^32) and then uses the new seed. A draw in
// 0..n-1 is the upper 32 bits of the 64-bit product seed * n; a fraction in
// [0, 1) is seed / 2^32. The seed starts from the monotonic clock.
#pragma once
#include <cstdint>

namespace tama {

class TRandom {
 public:
  TRandom();

  // The seed as it stands (for tests and for 乱数初期化).
  uint32_t Seed() const { return seed_; }
  void SetSeed(uint32_t seed) { seed_ = seed; }
  // Seeds again from the clock (the low 32 bits of its nanoseconds).
  void SeedFromClock();

  // Advances the seed and draws from 0..n-1 (n as an unsigned 32-bit number;
  // n = 0 gives 0).
  uint32_t Draw(uint32_t n);
  // Advances the seed and gives seed / 2^32.
  double Fraction();

 private:
  uint32_t Advance() {
    seed_ = seed_ * 134775813u + 1u;
    return seed_;
  }
  uint32_t seed_;
};

}  // namespace tama
