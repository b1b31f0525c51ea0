// Program texts: immutable, shared, zero-terminated. A cursor is a pointer into
// a text that some owner keeps alive; whoever keeps a position beyond the
// current step keeps the text with it.
#pragma once
#include <memory>
#include <string>
#include <string_view>

namespace tama {

// What the interpreter derives from a text and keeps with it (read plans of
// its sentences, the bodies of its blocks): valid as long as the text, since
// the text never changes.
struct TTextCache {
  virtual ~TTextCache() = default;
};

class TText {
 public:
  // The text is stored with a zero byte before its first byte and after its
  // last, so a reader may look one byte back or forward without a check.
  explicit TText(std::string_view s, int lastLine = 0) : buf_(), lastLine_(lastLine) {
    buf_.reserve(s.size() + 2);
    buf_.push_back('\0');
    buf_.append(s);
    buf_.push_back('\0');
  }
  const char* begin() const { return buf_.data() + 1; }
  const char* end() const { return buf_.data() + buf_.size() - 1; }
  size_t size() const { return buf_.size() - 2; }
  std::string_view view() const { return {begin(), size()}; }
  bool contains(const char* p) const { return p >= begin() && p <= end(); }
  // For a block body cut out of a longer text: the 1-based source line on
  // which the body ends (0 for whole program texts).
  int lastLine() const { return lastLine_; }

  // Made by the interpreter on first use.
  mutable std::unique_ptr<TTextCache> cache;

 private:
  std::string buf_;
  int lastLine_;
};

using TTextRef = std::shared_ptr<const TText>;

inline TTextRef MakeText(std::string_view s, int lastLine = 0) { return std::make_shared<const TText>(s, lastLine); }

// A position that outlives the current step: the text and a pointer into it.
// A nil position has p == nullptr.
struct TPos {
  TTextRef text;
  const char* p = nullptr;
  explicit operator bool() const { return p != nullptr; }
};

}  // namespace tama
