// The error log of a run: every error and warning line, shown whole by the
// error dialog. It keeps the newest lines up to a cap; when older lines have
// to go, one line at the top says how many were dropped.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tama {

class TErrorLog {
 public:
  static constexpr size_t kDefaultCap = size_t{1} << 20;  // bytes

  explicit TErrorLog(size_t cap = kDefaultCap) : cap_(cap) {}

  // Appends the line and CR LF.
  void AddLine(std::string_view line);
  // Appends text as it is.
  void Append(std::string_view text);
  // Replaces the whole log (nothing counts as dropped any more).
  void Assign(std::string text);
  void Clear() { Assign(std::string()); }

  const std::string& Text() const { return text_; }
  // Nothing but control characters and blanks (or nothing at all).
  bool Blank() const;
  // Lines dropped since the log was last cleared.
  uint64_t Dropped() const { return dropped_; }
  size_t Cap() const { return cap_; }

 private:
  void Trim();

  size_t cap_;
  std::string text_;
  size_t markerLen_ = 0;  // the dropped-lines line at the top, with its CR LF
  uint64_t dropped_ = 0;
};

}  // namespace tama
