#include "engine/error_log.h"

#include "sjis/sjis.h"
#include "support/lines.h"

namespace tama {

namespace {

std::string MarkerLine(uint64_t dropped) {
  return "[注　意] エラーの記録が一杯になったので、古い" + std::to_string(dropped) + "行を捨てました。\r\n";
}

}  // namespace

void TErrorLog::AddLine(std::string_view line) {
  text_.append(line);
  text_ += "\r\n";
  if (text_.size() > cap_) Trim();
}

void TErrorLog::Append(std::string_view text) {
  text_.append(text);
  if (text_.size() > cap_) Trim();
}

void TErrorLog::Assign(std::string text) {
  text_ = std::move(text);
  markerLen_ = 0;
  dropped_ = 0;
  if (text_.size() > cap_) Trim();
}

bool TErrorLog::Blank() const { return support::TrimControl(text_).empty(); }

// Drops the oldest lines until the log holds about three quarters of the cap,
// so that the next trim is far off and appending stays cheap.
void TErrorLog::Trim() {
  const std::string_view lines = std::string_view(text_).substr(markerLen_);
  const size_t keep = cap_ / 4 * 3;
  size_t from = lines.size() > keep ? lines.size() - keep : 0;
  // the kept part starts after a line break
  size_t cut = lines.find("\r\n", from == 0 ? 0 : from - 1);
  // the lines that end before `end`
  auto linesBefore = [&](size_t end) {
    uint64_t n = 0;
    for (size_t i = 0; i + 1 < end; ++i)
      if (lines[i] == '\r' && lines[i + 1] == '\n') ++n;
    return n;
  };
  uint64_t gone = 0;
  if (cut != std::string_view::npos && cut + 2 < lines.size()) {
    cut += 2;
    gone = linesBefore(cut);
  } else {
    // one line longer than the cap: its start goes, cut at a character
    size_t i = lines.rfind("\r\n", from);
    i = i == std::string_view::npos ? 0 : i + 2;
    gone = linesBefore(i) + 1;
    while (i < from) i += sjis::CharLen(lines, i);
    cut = i;
  }
  dropped_ += gone;
  std::string marker = MarkerLine(dropped_);
  std::string kept = marker;
  kept.append(lines.substr(cut));
  markerLen_ = marker.size();
  text_ = std::move(kept);
}

}  // namespace tama
