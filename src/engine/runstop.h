// Ending a run from inside a nested run: when the run is stopped (the error
// dialog's stop, おわり) while a label runs inside a step of an enclosing run,
// the enclosing steps are not continued: TRunStopped unwinds them up to the
// innermost RunProgram still in progress, which then ends as well.
#pragma once

namespace tama {

struct TRunStopped {};

// After a nested run: unwinds the enclosing steps when the run was stopped.
template <class T>
inline void UnwindIfStopped(const T& tama) {
  if (tama.stopFlag && tama.budget.runningPrograms > 0) throw TRunStopped{};
}

}  // namespace tama
