#include "host/headless.h"

#include "sjis/convert.h"
#include "sjis/sjis.h"

namespace tama::host {

void WriteText(std::FILE* f, std::string_view sjis) {
  std::string lines;
  lines.reserve(sjis.size());
  for (size_t i = 0; i < sjis.size(); ++i) {
    char c = sjis[i];
    if (c == '\r') {
      lines += '\n';
      if (i + 1 < sjis.size() && sjis[i + 1] == '\n') ++i;
    } else {
      lines += c;
      if (sjis::IsLead(c) && i + 1 < sjis.size()) lines += sjis[++i];
    }
  }
  std::string utf8 = sjis::SjisToUtf8(lines);
  std::fwrite(utf8.data(), 1, utf8.size(), f);
}

void THeadlessHost::Display(std::string_view text) {
  WriteText(stdout, text);
  std::fputc('\n', stdout);
}

void THeadlessHost::Message(std::string_view text, std::string_view caption) {
  (void)caption;
  WriteText(stdout, text);
  std::fputc('\n', stdout);
}

THost::TErrorAnswer THeadlessHost::ShowErrorDialog(const std::string& log) {
  std::fflush(stdout);
  WriteText(stderr, log);
  if (!log.empty() && log.back() != '\n' && log.back() != '\r') std::fputc('\n', stderr);
  std::fflush(stderr);
  errorReported = true;
  return TErrorAnswer::kStop;
}

}  // namespace tama::host
