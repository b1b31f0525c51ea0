// Ending a run from inside a nested run: when the run is stopped (the error
// dialog's stop, おわり) while a label runs inside a step of an enclosing run,
// the enclosing steps are not continued: TRunStopped unwinds them up to the
// innermost RunProgram still in progress, which then ends as well.
#pragma once

namespace tama {

struct TRunStopped {};

// Leaving a sentence: a command used as a value (written with parentheses,
// inside a literal's {…} or in a condition) moved the cursor, as
// エラーから復帰 does. The rest of the sentence is not read; the innermost
// RunProgram drops its items and goes on at the new cursor.
struct TSentenceLeft {};

// After a nested run: unwinds the enclosing steps when the run was stopped.
template <class T>
inline void UnwindIfStopped(const T& tama) {
  if (tama.stopFlag && tama.budget.runningPrograms > 0) throw TRunStopped{};
}

// After a command used as a value inside a sentence: a stopped run unwinds,
// a cursor the command moved away from `before` leaves the sentence.
template <class T, class P>
inline void LeaveIfMoved(const T& tama, const P& before) {
  UnwindIfStopped(tama);
  if (tama.budget.runningPrograms > 0 && (tama.cur != before.p || tama.curText != before.text)) throw TSentenceLeft{};
}

}  // namespace tama
