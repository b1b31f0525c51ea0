// A zero-terminated working copy of a text with a zero byte before it, so
// that the token readers (which stop at the zero byte and may look one byte
// back) can walk texts that came from the argument stack or from values.
#pragma once
#include <cstring>
#include <memory>
#include <string_view>

namespace tama {

class TZText {
 public:
  explicit TZText(std::string_view s) {
    char* b = s.size() + 2 <= sizeof small_ ? small_ : (big_ = std::make_unique<char[]>(s.size() + 2)).get();
    b[0] = 0;
    if (!s.empty()) std::memcpy(b + 1, s.data(), s.size());
    b[s.size() + 1] = 0;
    begin_ = b + 1;
    size_ = s.size();
  }
  TZText(const TZText&) = delete;
  TZText& operator=(const TZText&) = delete;
  const char* begin() const { return begin_; }
  const char* end() const { return begin_ + size_; }

 private:
  char small_[128];
  std::unique_ptr<char[]> big_;
  const char* begin_;
  size_t size_;
};

}  // namespace tama
