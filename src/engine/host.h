// What the interpreter needs from the platform: output, dialogs and waiting.
// The engine never touches a toolkit; the headless host and the window view
// implement this.
#pragma once
#include <string>
#include <string_view>
#include <utility>

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

  // ---- files and the security policy ----
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
  virtual void Warning(std::string_view text, std::string_view caption) { Message(text, caption); }
  // The clipboard text (Shift-JIS); without a desktop, a text of the process.
  virtual std::string ClipboardText() { return clipboard_; }
  virtual void SetClipboardText(std::string text) { clipboard_ = std::move(text); }

 private:
  std::string clipboard_;
};

}  // namespace tama
