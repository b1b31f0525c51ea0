// What the interpreter needs from the platform: output, dialogs and waiting.
// The engine never touches a toolkit; the headless host and the window view
// implement this.
#pragma once
#include <string>
#include <string_view>

namespace tama {

class THost {
 public:
  virtual ~THost() = default;

  // The answer of the error dialog.
  enum class TErrorAnswer { kContinue, kDebug, kStop };

  // 表示 on the main window: one line of text (Shift-JIS).
  virtual void Display(std::string_view text) = 0;
  // A plain message (言う, quick display "?"): Shift-JIS text.
  virtual void Message(std::string_view text, std::string_view caption) = 0;
  // The error dialog with the whole error log.
  virtual TErrorAnswer ShowErrorDialog(const std::string& log) = 0;
  // True when no window exists.
  virtual bool Headless() const = 0;
};

}  // namespace tama
