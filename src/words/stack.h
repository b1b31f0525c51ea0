// TStack: the argument stack holds the items of the sentence being read (each
// argument with its particle, the command word last); the call-argument stack
// holds the evaluated arguments of a call to a label with parameters.
#pragma once
#include <string>
#include <vector>

namespace tama {

class TStack {
 public:
  void Push(std::string s) { items_.push_back(std::move(s)); }
  std::string Pop() {
    if (items_.empty()) return {};
    std::string s = std::move(items_.back());
    items_.pop_back();
    return s;
  }
  std::string TakeFirst() {
    if (items_.empty()) return {};
    std::string s = std::move(items_.front());
    items_.erase(items_.begin());
    return s;
  }
  std::string ItemAt(size_t i) const { return i < items_.size() ? items_[i] : std::string(); }
  const std::string& Top() const { return items_.back(); }
  std::string& Top() { return items_.back(); }
  size_t Count() const { return items_.size(); }
  bool Empty() const { return items_.empty(); }
  void Clear() { items_.clear(); }
  // All items, each followed by a line break.
  std::string Text() const {
    std::string out;
    for (const auto& s : items_) {
      out += s;
      out += "\r\n";
    }
    return out;
  }
  std::vector<std::string>& Items() { return items_; }
  const std::vector<std::string>& Items() const { return items_; }
  void Swap(TStack& other) noexcept { items_.swap(other.items_); }

 private:
  std::vector<std::string> items_;
};

}  // namespace tama
