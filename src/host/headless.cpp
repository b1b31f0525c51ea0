#include "host/headless.h"

#include <unistd.h>

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

namespace {
const char* Utf8(const char8_t* s) { return reinterpret_cast<const char*>(s); }
}  // namespace

THost::TSecurityAnswer THeadlessHost::AskSecurity(std::string_view message, std::string_view unanswered) {
  std::fflush(stdout);
  if (!isatty(STDIN_FILENO)) {
    WriteText(stderr, unanswered);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    return TSecurityAnswer::kClosed;
  }
  WriteText(stderr, message);
  std::fputc('\n', stderr);
  WriteText(stderr, "[1] はい  [2] いいえ  [3] 全てはい  [4] 全ていいえ > ");
  std::fflush(stderr);
  char line[256];
  if (!std::fgets(line, sizeof line, stdin)) return TSecurityAnswer::kClosed;
  std::string answer = line;
  while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r' || answer.back() == ' '))
    answer.pop_back();
  // the answer is typed in the terminal's UTF-8
  if (answer == "1" || answer == "y" || answer == "Y" || answer == Utf8(u8"はい")) return TSecurityAnswer::kYes;
  if (answer == "2" || answer == "n" || answer == "N" || answer == Utf8(u8"いいえ")) return TSecurityAnswer::kNo;
  if (answer == "3" || answer == Utf8(u8"全てはい")) return TSecurityAnswer::kAllYes;
  if (answer == "4" || answer == Utf8(u8"全ていいえ")) return TSecurityAnswer::kAllNo;
  return TSecurityAnswer::kClosed;
}

void THeadlessHost::Warning(std::string_view text, std::string_view caption) {
  std::fflush(stdout);
  std::string line(caption);
  line += ": ";
  line += text;
  WriteText(stderr, line);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

}  // namespace tama::host
