// The stack budget: each kind of level has its own limit, and all kinds share
// one budget of the C++ stack.
#include "engine/stack_budget.h"

#include <gtest/gtest.h>

namespace tama {
namespace {

// Takes levels of the kind, each in a deeper C++ frame, until the budget
// refuses one; gives the number taken.
int __attribute__((noinline)) TakeUntilFull(TStackBudget& b, TStackBudget::TKind kind, int taken = 0) {
  volatile char room[512];
  room[0] = 0;
  if (!b.Enter(kind)) return taken + room[0];
  const int n = TakeUntilFull(b, kind, taken + 1);
  b.Leave(kind);
  return n;
}

TEST(StackBudget, EachKindHasItsLimit) {
  for (int k = 0; k < TStackBudget::kKinds; ++k) {
    TStackBudget b(size_t{64} << 20);
    const auto kind = static_cast<TStackBudget::TKind>(k);
    EXPECT_EQ(TakeUntilFull(b, kind), TStackBudget::kLimits[k]);
    EXPECT_EQ(b.Depth(kind), 0);
    EXPECT_EQ(b.Levels(), 0);
  }
}

TEST(StackBudget, TheKindsShareOneStackBudget) {
  // 32 KiB: fewer levels than any kind's limit, whichever kinds take them
  TStackBudget b(32 << 10);
  const int runs = TakeUntilFull(b, TStackBudget::kRun);
  EXPECT_GT(runs, 10);
  EXPECT_LT(runs, TStackBudget::kLimits[TStackBudget::kRun]);
  // with half of the budget taken by runs, brackets get about the other half
  struct THalf {
    static int __attribute__((noinline)) Go(TStackBudget& b, int left) {
      volatile char room[512];
      room[0] = 0;
      if (left == 0) return TakeUntilFull(b, TStackBudget::kBracket) + room[0];
      if (!b.Enter(TStackBudget::kRun)) return -1;
      const int n = Go(b, left - 1);
      b.Leave(TStackBudget::kRun);
      return n;
    }
  };
  const int brackets = THalf::Go(b, runs / 2);
  EXPECT_GT(brackets, 0);
  EXPECT_LT(brackets, runs - runs / 4);
  EXPECT_EQ(b.Levels(), 0);
}

}  // namespace
}  // namespace tama
