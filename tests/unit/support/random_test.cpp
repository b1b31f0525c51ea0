// The process-wide random generator: the sequence from a known seed.
#include <gtest/gtest.h>

#include "support/random.h"

namespace tama {
namespace {

TEST(Random, DrawsFromAKnownSeed) {
  SetRandomSeed(1);
  EXPECT_EQ(RandomDraw(100), 3u);
  EXPECT_EQ(RandomDraw(100), 86u);
  EXPECT_EQ(RandomSeed(), 1u * 134775813u * 134775813u + 134775813u + 1u);
  SetRandomSeed(7);
  EXPECT_NEAR(RandomFraction(), 0.219659575261176, 1e-15);
}

TEST(Random, EdgeBounds) {
  SetRandomSeed(123);
  EXPECT_EQ(RandomDraw(0), 0u);
  EXPECT_EQ(RandomDraw(1), 0u);
  for (int i = 0; i < 100; ++i) EXPECT_LT(RandomDraw(0xFFFFFFFFu), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace tama
