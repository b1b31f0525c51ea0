// Run-control frames: which loop, branch or subroutine the cursor is in, and
// what happens when the cursor reaches the end of a block body.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "words/hash.h"
#include "words/text.h"

namespace tama {

enum TFrameKind : uint8_t {
  fkIf = 0,        // the then-block of もし
  fkElse = 1,      // the else-block
  fkRepeat = 2,    // 繰り返す from .. to
  fkTimes = 3,     // N回
  fkCall = 4,      // a label called as a subroutine
  fkEventCall = 5, // an event handler run while the program was busy
  fkIterate = 6,   // 反復 over the lines of a list
  fkCase = 8,      // the branch taken by 条件分岐
  fkLoop = 9,      // ループ while a condition holds
};

struct TRunControl {
  TPos resume;  // call frames: where to continue; blocks: start of the block in the enclosing text
  TPos exit;    // blocks: where to continue after the construct
  int32_t counter = 0;
  int32_t limit = 0;
  uint8_t kind = 0;
  TTextRef body;  // the block text that the cursor runs through (shared, never copied)
  std::string savedFileName;
  std::string condition;
  THashNodeRef var;                               // 繰り返す: the loop variable
  std::shared_ptr<std::vector<std::string>> list;  // 反復: the lines being iterated
};

class TRunControlStack {
 public:
  void PushFrame(const TRunControl& f) { current_.push_back(f); }
  void PushFrame(TRunControl&& f) { current_.push_back(std::move(f)); }
  bool PopFrame(TRunControl& out) {
    if (current_.empty()) return false;
    out = std::move(current_.back());
    current_.pop_back();
    return true;
  }
  bool PopFrame() {
    if (current_.empty()) return false;
    current_.pop_back();
    return true;
  }
  bool PeekFrame(size_t i, TRunControl& out) const {
    if (i >= current_.size()) return false;
    out = current_[i];
    return true;
  }
  const TRunControl* Top() const { return current_.empty() ? nullptr : &current_.back(); }
  TRunControl* Top() { return current_.empty() ? nullptr : &current_.back(); }
  const TRunControl& At(size_t i) const { return current_[i]; }
  int32_t FrameCount() const { return static_cast<int32_t>(current_.size()); }
  void ClearLevel() { current_.clear(); }
  void PushLevel() {
    saved_.push_back(std::move(current_));
    current_.clear();
  }
  void PopLevel() {
    if (saved_.empty()) return;
    current_ = std::move(saved_.back());
    saved_.pop_back();
  }
  size_t LevelCount() const { return saved_.size(); }
  void ClearAll() {
    current_.clear();
    saved_.clear();
  }
  // The frames of all saved levels and the current one, oldest first (for the
  // debug view and for keeping texts alive).
  const std::vector<std::vector<TRunControl>>& SavedLevels() const { return saved_; }
  const std::vector<TRunControl>& Current() const { return current_; }

 private:
  std::vector<TRunControl> current_;
  std::vector<std::vector<TRunControl>> saved_;
};

}  // namespace tama
