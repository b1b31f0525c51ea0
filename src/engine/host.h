// What the interpreter needs from the platform, in the parts a view
// implements: output (表示, 言う), dialogs (the error dialog, the security
// question, message boxes), the clipboard, and the event loop. The engine
// never touches a toolkit; the headless host and the window view implement
// these.
#pragma once
#include <string>
#include <string_view>
#include <utility>

#include "engine/event_loop.h"

namespace tama {

// Text output of the program.
class TOutput {
 public:
  virtual ~TOutput() = default;
  // 表示 on the main window: one line of text (Shift-JIS).
  virtual void Display(std::string_view text) = 0;
  // A plain message (言う, quick display "?"): Shift-JIS text.
  virtual void Message(std::string_view text, std::string_view caption) = 0;
};

// The dialogs the engine itself opens.
class TDialogs {
 public:
  virtual ~TDialogs() = default;

  // The answer of the error dialog.
  enum class TErrorAnswer { kContinue, kDebug, kStop };
  // The error dialog with the whole error log.
  virtual TErrorAnswer ShowErrorDialog(const std::string& log) = 0;

  // The buttons of the security question, and its closing without one.
  enum class TSecurityAnswer { kClosed, kYes, kNo, kAllYes, kAllNo };
  // Puts the security question (the message, then the buttons はい, いいえ,
  // 全てはい, 全ていいえ). Where no one can answer it, `unanswered` (a warning
  // line naming the target) is reported instead and the question counts as
  // closed.
  virtual TSecurityAnswer AskSecurity(std::string_view message, std::string_view unanswered) {
    (void)message;
    (void)unanswered;
    return TSecurityAnswer::kClosed;
  }
  // A message box with the warning icon.
  virtual void Warning(std::string_view text, std::string_view caption) = 0;
  // A dialog no one can answer (no window and nothing to answer it with):
  // the warning line that names it and what was done instead.
  virtual void Unanswered(std::string_view line) { (void)line; }
};

// The clipboard text (Shift-JIS); without a desktop, a text of the process.
class TClipboard {
 public:
  virtual ~TClipboard() = default;
  virtual std::string ClipboardText() { return clipboard_; }
  virtual void SetClipboardText(std::string text) { clipboard_ = std::move(text); }

 private:
  std::string clipboard_;
};

class THost : public TOutput, public TDialogs, public TClipboard {
 public:
  // True when no window exists.
  virtual bool Headless() const = 0;
  // A warning box shows as a plain message unless the host has one of its own.
  void Warning(std::string_view text, std::string_view caption) override { Message(text, caption); }
  // The event loop; none where a run simply ends with its main text (a run
  // of a test).
  virtual TEventLoop* Loop() { return nullptr; }
};

}  // namespace tama
