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

  bool errorReported = false;  // the run ended with the error report
};

}  // namespace tama::host
