// How deep the interpreter may go into itself: runs nested in a step (labels
// and commands used as values, included files, handlers), calls written with
// parentheses inside argument lists, and bracketed expressions. Each kind has
// its own limit on levels, and all of them draw on one budget of the C++
// stack, so that a mix of kinds cannot overflow it either. The interpreter
// state owns one; past a limit the run reports that the stack is full.
#pragma once
#include <cstddef>

namespace tama {

class TStackBudget {
 public:
  enum TKind { kRun, kCall, kBracket, kKinds };
  static constexpr int kLimits[kKinds] = {300, 200, 200};

  // The byte budget defaults to half of the process's stack limit.
  TStackBudget();
  explicit TStackBudget(size_t bytes) : bytes_(bytes) {}

  // Takes one level of the kind; false (and nothing taken) when the level
  // or the stack budget is used up.
  bool Enter(TKind kind);
  void Leave(TKind kind);

  int Depth(TKind kind) const { return depth_[kind]; }
  // Levels of all kinds taken now.
  int Levels() const { return levels_; }
  size_t Bytes() const { return bytes_; }

  // RunProgram calls in progress.
  int runningPrograms = 0;

 private:
  int depth_[kKinds] = {};
  int levels_ = 0;
  const char* base_ = nullptr;  // the stack where the outermost level was taken
  size_t bytes_;
};

}  // namespace tama
