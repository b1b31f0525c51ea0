// The process-wide random generator of 乱数, RND and 配列シャッフル.
//
// One unsigned 32-bit seed: every draw first advances it to
// seed * 134775813 + 1 (mod 2^32) and then uses the new seed. A draw in
// 0..n-1 is the upper 32 bits of the 64-bit product seed * n; a fraction in
// [0, 1) is seed / 2^32. The seed starts from the monotonic clock.
#pragma once
#include <cstdint>

namespace tama {

// The seed as it stands (for tests and for 乱数初期化).
uint32_t RandomSeed();
void SetRandomSeed(uint32_t seed);
// Seeds again from the clock (the low 32 bits of its nanoseconds).
void SeedRandomFromClock();

// Advances the seed and draws from 0..n-1 (n as an unsigned 32-bit number;
// n = 0 gives 0).
uint32_t RandomDraw(uint32_t n);
// Advances the seed and gives seed / 2^32.
double RandomFraction();

}  // namespace tama
