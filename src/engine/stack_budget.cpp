#include "engine/stack_budget.h"

#include <sys/resource.h>

namespace tama {

namespace {

size_t DefaultBytes() {
  constexpr size_t kFallback = size_t{8} << 20;
  rlimit r{};
  size_t limit = kFallback;
  if (getrlimit(RLIMIT_STACK, &r) == 0 && r.rlim_cur != RLIM_INFINITY) limit = static_cast<size_t>(r.rlim_cur);
  if (limit > (size_t{64} << 20)) limit = size_t{64} << 20;
  return limit / 2;
}

}  // namespace

TStackBudget::TStackBudget() : bytes_(DefaultBytes()) {}

bool TStackBudget::Enter(TKind kind) {
  if (depth_[kind] >= kLimits[kind]) return false;
  const char* here = static_cast<const char*>(__builtin_frame_address(0));
  if (levels_ == 0) {
    base_ = here;
  } else if (here < base_ && static_cast<size_t>(base_ - here) > bytes_) {
    return false;
  }
  ++depth_[kind];
  ++levels_;
  return true;
}

void TStackBudget::Leave(TKind kind) {
  --depth_[kind];
  --levels_;
}

}  // namespace tama
