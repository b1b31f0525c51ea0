// The headless host: output to standard output, the error dialog to standard
// error, no windows. Text leaves the process as UTF-8.
#pragma once
#include <cstdio>
#include <string>
#include <string_view>

#include "engine/host.h"

namespace tama::host {

// Writes Shift-JIS text as UTF-8 with every CR LF and lone CR as a line feed.
void WriteText(std::FILE* f, std::string_view sjis);

class THeadlessHost : public THost {
 public:
  void Display(std::string_view text) override;
  void Message(std::string_view text, std::string_view caption) override;
  TErrorAnswer ShowErrorDialog(const std::string& log) override;
  bool Headless() const override { return true; }
  // The security question on the terminal when standard input is one;
  // otherwise the `unanswered` line goes to standard error and the question
  // counts as closed.
  TSecurityAnswer AskSecurity(std::string_view message, std::string_view unanswered) override;
  // Warnings go to standard error, after their caption.
  void Warning(std::string_view text, std::string_view caption) override;

  bool errorReported = false;  // the run ended with the error report
};

}  // namespace tama::host
