#include "support/keytext.h"

#include "sjis/lcmap.h"
#include "sjis/sjis.h"

namespace tama::support {

namespace {

struct TNamed {
  const char* name;
  int key;
};
constexpr TNamed kNamed[] = {
    {"CAPSLOCK", 20}, {"NUMLOCK", 144}, {"SCROLLOCK", 145}, {"ESCAPE", 27}, {"ESC", 27},    {"ENTER", 13},
    {"HELP", 47},     {"PRTSC", 44},    {"TAB", 9},         {"BREAK", 3},   {"CLEAR", 12},  {"BACKSPACE", 8},
    {"BS", 8},        {"BKSP", 8},      {"DELETE", 46},     {"DEL", 46},    {"INSERT", 45}, {"LEFT", 37},
    {"RIGHT", 39},    {"UP", 38},       {"DOWN", 40},       {"PGUP", 33},   {"PGDN", 34},   {"HOME", 36},
    {"END", 35},      {"IME", 25},
};

class TParser {
 public:
  explicit TParser(std::string_view s) : s_(s) {}
  std::vector<TKeyAction> Run() {
    while (i_ < s_.size()) Unit();
    return std::move(out_);
  }

 private:
  void Tap(int key) {
    out_.push_back({TKeyAction::kDown, key, {}});
    out_.push_back({TKeyAction::kUp, key, {}});
  }
  void Char(std::string_view c) { out_.push_back({TKeyAction::kChar, 0, std::string(c)}); }

  void Unit() {
    const size_t len = sjis::CharLen(s_, i_);
    const char c = s_[i_];
    if (len == 2) {
      Char(s_.substr(i_, 2));
      i_ += 2;
      return;
    }
    ++i_;
    switch (c) {
      case '+':
      case '^':
      case '%': {
        const int mod = c == '+' ? 16 : c == '^' ? 17 : 18;
        out_.push_back({TKeyAction::kDown, mod, {}});
        if (i_ < s_.size()) Unit();
        out_.push_back({TKeyAction::kUp, mod, {}});
        return;
      }
      case '(':
        while (i_ < s_.size() && s_[i_] != ')') Unit();
        if (i_ < s_.size()) ++i_;  // the ")"
        return;
      case '~': Tap(13); return;
      case '{': Named(); return;
      default: Char(std::string_view(&s_[i_ - 1], 1));
    }
  }

  void Named() {
    std::string_view name;
    if (s_.substr(i_, 2) == "}}") {
      name = s_.substr(i_, 1);
      i_ += 1;
    } else {
      size_t start = i_;
      while (i_ < s_.size() && s_[i_] != ' ' && s_[i_] != '}') i_ += sjis::CharLen(s_, i_);
      name = s_.substr(start, i_ - start);
    }
    long count = 1;
    if (i_ < s_.size() && s_[i_] == ' ') {
      size_t start = ++i_;
      while (i_ < s_.size() && s_[i_] != '}') i_ += sjis::CharLen(s_, i_);
      count = 0;
      std::string_view digits = s_.substr(start, i_ - start);
      for (char d : digits) {
        if (d < '0' || d > '9') {
          count = 0;
          break;
        }
        count = count * 10 + (d - '0');
        if (count > 10000) count = 10000;  // a key typed that often is a mistake of the text
      }
    }
    if (i_ < s_.size() && s_[i_] == '}') ++i_;
    const int key = NamedKey(name);
    const bool oneChar = !name.empty() && sjis::CharLen(name, 0) == name.size();
    for (long n = 0; n < count; ++n) {
      if (key) Tap(key);
      else if (oneChar) Char(name);
    }
  }

  std::string_view s_;
  size_t i_ = 0;
  std::vector<TKeyAction> out_;
};

}  // namespace

int NamedKey(std::string_view name) {
  const std::string upper = sjis::ToUpper(name);
  for (const auto& n : kNamed)
    if (upper == n.name) return n.key;
  if (upper.size() >= 2 && upper.size() <= 3 && upper[0] == 'F') {
    int k = 0;
    for (size_t i = 1; i < upper.size(); ++i) {
      if (upper[i] < '0' || upper[i] > '9') return 0;
      k = k * 10 + (upper[i] - '0');
    }
    if (k >= 1 && k <= 16 && upper[1] != '0') return 111 + k;
  }
  return 0;
}

std::vector<TKeyAction> ParseKeyText(std::string_view text) { return TParser(text).Run(); }

}  // namespace tama::support
