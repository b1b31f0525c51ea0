// The random generator: the sequence from a known seed.
#include <gtest/gtest.h>

#include "support/random.h"

namespace tama {
namespace {

TEST(Random, DrawsFromAKnownSeed) {
  TRandom r;
  r.SetSeed(1);
  EXPECT_EQ(r.Draw(100), 3u);
  EXPECT_EQ(r.Draw(100), 86u);
  EXPECT_EQ(r.Seed(), 1u * 134775813u * 134775813u + 134775813u + 1u);
  r.SetSeed(7);
  EXPECT_NEAR(r.Fraction(), 0.219659575261176, 1e-15);
}

TEST(Random, EdgeBounds) {
  TRandom r;
  r.SetSeed(123);
  EXPECT_EQ(r.Draw(0), 0u);
  EXPECT_EQ(r.Draw(1), 0u);
  for (int i = 0; i < 100; ++i) EXPECT_LT(r.Draw(0xFFFFFFFFu), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace tama
