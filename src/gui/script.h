// Scripted user events: a text of steps (clicks, typing, keys, choices,
// mouse moves, resizing, closing, waiting) delivered to the program whenever
// it waits, each through the path a real widget event takes: the model
// changes first, as the widget would change it, then the event label runs.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/tama.h"

namespace tama::gui {

// One step of the script: its line in the file, its verb and its arguments
// (UTF-8 as written; object names are turned to Shift-JIS when used).
struct TStep {
  int line = 0;
  std::string verb;
  std::vector<std::string> args;
};

class TScript {
 public:
  // Reads the steps of the file; false with a message for an unreadable file
  // or a malformed line. Messages name the file as `name`.
  bool Load(const std::string& path, const std::string& name, std::string& error);
  // Parses a script text (the file name is only for messages).
  bool Parse(std::string_view text, const std::string& fileName, std::string& error);

  bool Done() const { return next_ >= steps_.size(); }
  const TStep* Peek() const { return Done() ? nullptr : &steps_[next_]; }
  // No step can be taken before this time of the loop's clock (a `wait`).
  int64_t resumeAt = -1;
  // The step failed: the error line was written and the run ends with status 1.
  bool failed = false;

  // Takes the next step when the program waits: at an idle point (`busy`
  // false) or inside a command that waits with the loop running (待つ).
  // Returns false when no step could be taken now.
  bool DeliverNext(TTamaBase& t, bool busy);

  // A dialog that is open takes its answer from the next step when that step
  // answers a dialog (answer, choose, cancel; a `busy` step before it is
  // delivered first): the step is taken and returned. Null when the next step
  // is something else (the dialog is then unanswered by the script).
  const TStep* TakeDialogStep(TTamaBase& t);

  // The file named in error lines.
  const std::string& FileName() const { return fileName_; }
  // An error line for a step ("tamakazu: FILE:LINE: reason"); the run ends
  // with status 1.
  void Fail(TTamaBase& t, const TStep& step, const std::string& reason);

 private:
  void Perform(TTamaBase& t, const TStep& step);

  std::string fileName_;
  std::vector<TStep> steps_;
  TStep taken_;  // the step TakeDialogStep gave last
  size_t next_ = 0;
};

// Loads the script of --events into the state; false with the message.
bool LoadScript(TTamaBase& t, const std::string& path, const std::string& name, std::string& error);
// The script of the state (null without --events).
TScript* ScriptOf(TTamaBase& t);

// A JSON description of every live object and the placement cursor (UTF-8).
std::string DumpModel(TTamaBase& t);

// The virtual-key number of a key name ("A", "Enter", "F5", "Left"...), or of
// a number as written; -1 for an unknown name.
int KeyCodeOf(std::string_view name);

}  // namespace tama::gui
