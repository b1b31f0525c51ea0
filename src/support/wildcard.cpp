#include "support/wildcard.h"

#include <cstring>

#include "sjis/sjis.h"

namespace tama {

namespace {

constexpr char kMsgSetEscape[] = "ワイルドカードの[ ]中で\\記号を使うときは、\\t,\\nしか許されていません。";
constexpr char kMsgRepeatFollow[] = "ワイルドカード[*...]に続けてワイルドカードを書くことは出来ません。";

inline uint32_t CodeOf(std::string_view s, size_t i, size_t len) {
  auto b = [&](size_t k) { return static_cast<uint32_t>(static_cast<unsigned char>(s[k])); };
  return len == 2 ? b(i) * 256u + b(i + 1) : b(i);
}

}  // namespace

// ---------------------------------------------------------------------------
// Parsing

TWildPattern::TWildPattern(std::string_view p) {
  elems_.reserve(p.size());
  auto addChar = [&](const char* b, size_t len) {
    Elem e{Kind::kChar};
    e.len = static_cast<uint8_t>(len);
    e.bytes[0] = b[0];
    if (len == 2) e.bytes[1] = b[1];
    elems_.push_back(e);
  };
  size_t i = 0;
  while (i < p.size()) {
    const char c = p[i];
    if (sjis::IsLead(c) && i + 1 < p.size()) {
      addChar(p.data() + i, 2);
      i += 2;
      continue;
    }
    switch (c) {
      case '#': elems_.push_back({Kind::kNumber}); ++i; break;
      case '(': elems_.push_back({Kind::kPickupFrom}); ++i; break;
      case ')': elems_.push_back({Kind::kPickupTo}); ++i; break;
      case '*': elems_.push_back({Kind::kAsterisk}); ++stars_; ++i; break;
      case '?': elems_.push_back({Kind::kQuestion}); ++i; break;
      case '[': ++i; ParseSet(p, i); break;
      case '\\':
        ++i;
        if (i >= p.size()) {  // a lone backslash at the end stands for itself
          addChar("\\", 1);
        } else if (p[i] == 'n') {
          addChar("\r", 1);
          addChar("\n", 1);
          ++i;
        } else if (p[i] == 't') {
          addChar("\t", 1);
          ++i;
        } else {
          const size_t len = sjis::CharLen(p, i);
          addChar(p.data() + i, len);
          i += len;
        }
        break;
      default: addChar(p.data() + i, 1); ++i; break;
    }
  }
}

// After "[": the set up to "]" (or to the end of the pattern).
void TWildPattern::ParseSet(std::string_view p, size_t& i) {
  CharSet set;
  if (i < p.size() && p[i] == '!') {
    set.negate = true;
    ++i;
  }
  if (i < p.size()) {
    if (p[i] == '*') set.mode = 1;
    else if (p[i] == '+') set.mode = 2;
    else if (p[i] == '=') set.mode = 3;
    if (set.mode != 0) ++i;
  }
  if (set.mode == 3) {
    // Words separated by "|" up to "]"; both looked for at character boundaries.
    std::vector<std::string> words(1);
    while (i < p.size() && p[i] != ']') {
      const size_t len = sjis::CharLen(p, i);
      if (p[i] == '|') words.emplace_back();
      else words.back().append(p.data() + i, len);
      i += len;
    }
    if (i < p.size()) ++i;
    // The order of trial: for k = 0 .. n-1, the first shortest word (below 999
    // bytes) among positions k+1 .. n-1, else the word at k, is moved to the front.
    const size_t n = words.size();
    for (size_t k = 0; k < n; ++k) {
      size_t pick = k, best = 999;
      for (size_t j = k + 1; j < n; ++j) {
        if (words[j].size() < best) {
          best = words[j].size();
          pick = j;
        }
      }
      std::string w = std::move(words[pick]);
      words.erase(words.begin() + static_cast<std::ptrdiff_t>(pick));
      words.insert(words.begin(), std::move(w));
    }
    for (const auto& w : words) set.wordChars.push_back(static_cast<uint32_t>(sjis::CharCount(w)));
    set.words = std::move(words);
  } else {
    while (i < p.size() && p[i] != ']') {
      if (p[i] == '\\') {
        if (i + 1 < p.size() && p[i + 1] == 'n') set.ranges.emplace_back(10, 13);
        else if (i + 1 < p.size() && p[i + 1] == 't') set.ranges.emplace_back(9, 9);
        else throw EWildcard(kMsgSetEscape);
        i += 2;
        continue;
      }
      size_t len = sjis::CharLen(p, i);
      uint32_t lo = CodeOf(p, i, len), hi = lo;
      i += len;
      if (i < p.size() && p[i] == '-') {
        ++i;
        if (i < p.size()) {  // "[a-" at the end of the pattern: the lone "a"
          len = sjis::CharLen(p, i);
          hi = CodeOf(p, i, len);
          i += len;
          if (lo > hi) std::swap(lo, hi);
        }
      }
      set.ranges.emplace_back(lo, hi);
    }
    if (i < p.size()) ++i;
  }
  Elem e{Kind::kSet};
  e.set = static_cast<uint32_t>(sets_.size());
  sets_.push_back(std::move(set));
  elems_.push_back(e);
}

// ---------------------------------------------------------------------------
// Matching

// One match of a pattern against one subject. The subject is split into
// characters; its cursor counts characters and may pass the end (after "?").
//
// A "*" tries the rest of the pattern at each later position with recording
// off; those trials record nothing and leave the pick-up start as it was, so
// a trial's outcome depends only on where it starts. That makes the outcome
// of "the first position from j on where the rest matches" worth keeping per
// "*" and position: every position is tried at most once per "*".
class TWildMatcher {
 public:
  TWildMatcher(const TWildPattern& pat, std::string_view subject, bool wantPickups)
      : pat_(pat), subj_(subject), wantPickups_(wantPickups) {
    starts_.reserve(subject.size() + 1);
    for (size_t i = 0; i < subject.size(); i += sjis::CharLen(subject, i))
      starts_.push_back(static_cast<uint32_t>(i));
    count_ = static_cast<int>(starts_.size());
    starts_.push_back(static_cast<uint32_t>(subject.size()));
  }

  bool Run() {
    pc_ = 0;
    sc_ = 0;
    pickups_.clear();
    return MatchFrom();
  }

  int count() const { return count_; }
  int cursor() const { return sc_; }
  // Characters first .. first+n-1 (0-based first), clipped to the subject.
  std::string Range(int first, int n) const {
    if (first < 0 || first > count_ || n <= 0) return {};
    const int last = std::min(count_, first + n);
    return std::string(subj_.substr(starts_[first], starts_[last] - starts_[first]));
  }
  std::vector<std::string>& pickups() { return pickups_; }

 private:
  using Kind = TWildPattern::Kind;

  std::string_view CharAt(int k) const { return subj_.substr(starts_[k], starts_[k + 1] - starts_[k]); }
  bool CharIs(int k, const TWildPattern::Elem& e) const {
    const std::string_view c = CharAt(k);
    return c.size() == e.len && std::memcmp(c.data(), e.bytes, e.len) == 0;
  }
  bool InSet(int k, const TWildPattern::CharSet& set) const {
    const std::string_view c = CharAt(k);
    const uint32_t code = CodeOf(c, 0, c.size());
    bool in = false;
    for (const auto& r : set.ranges) {
      if (code >= r.first && code <= r.second) {
        in = true;
        break;
      }
    }
    return in != set.negate;
  }

  bool MatchFrom() {
    const int n = static_cast<int>(pat_.elems_.size());
    while (pc_ < n) {
      const auto& e = pat_.elems_[pc_++];
      if (!MatchElem(e)) return false;
    }
    return true;
  }

  bool MatchElem(const TWildPattern::Elem& e) {
    switch (e.kind) {
      case Kind::kChar: {
        const bool ok = sc_ < count_ && CharIs(sc_, e);
        ++sc_;
        return ok;
      }
      case Kind::kQuestion: ++sc_; return true;
      case Kind::kNumber: {
        const bool ok = sc_ < count_ && subj_[starts_[sc_]] >= '0' && subj_[starts_[sc_]] <= '9';
        ++sc_;
        return ok;
      }
      case Kind::kPickupFrom: pickStart_ = sc_; return true;
      case Kind::kPickupTo:
        if (wantPickups_ && depth_ == 0 && sc_ > highest_) {
          highest_ = sc_;
          pickups_.push_back(Range(pickStart_, sc_ - pickStart_));
        }
        return true;
      case Kind::kAsterisk: return MatchAsterisk();
      case Kind::kSet: return MatchSet(pat_.sets_[e.set]);
    }
    return false;
  }

  bool MatchAsterisk() {
    const int n = static_cast<int>(pat_.elems_.size());
    const int s = pc_;
    if (s == n) {
      sc_ = count_;
      return true;
    }
    if (s == n - 1 && pat_.elems_[s].kind == Kind::kPickupTo) {
      sc_ = count_;
      pc_ = n;
      return MatchElem(pat_.elems_[s]);
    }
    const int star = StarIndex(s - 1);
    const int saveStart = pickStart_;
    ++depth_;
    const int found = FirstFit(star, s, sc_);
    --depth_;
    pickStart_ = saveStart;
    if (found < 0) return false;
    pc_ = s;
    sc_ = found;
    return true;
  }

  // The first j >= i (up to the end of the subject) where the pattern from s
  // matches, or -1.
  int FirstFit(int star, int s, int i) {
    if (i > count_) return -1;
    auto& memo = memo_[star];
    if (memo.empty()) memo.assign(static_cast<size_t>(count_) + 1, kUnknown);
    int j = i, found = -1;
    for (; j <= count_; ++j) {
      if (memo[j] != kUnknown) {
        found = memo[j];
        break;
      }
      pc_ = s;
      sc_ = j;
      if (MatchFrom()) {
        found = j;
        break;
      }
    }
    for (int k = i; k <= std::min(j, count_); ++k) memo[k] = found;
    return found;
  }

  int StarIndex(int elemIndex) {
    if (starOf_.empty()) {
      starOf_.assign(pat_.elems_.size(), -1);
      int k = 0;
      for (size_t e = 0; e < pat_.elems_.size(); ++e)
        if (pat_.elems_[e].kind == Kind::kAsterisk) starOf_[e] = k++;
      memo_.resize(static_cast<size_t>(k));
    }
    return starOf_[elemIndex];
  }

  bool MatchSet(const TWildPattern::CharSet& set) {
    if (set.mode == 0) {
      const bool ok = sc_ < count_ && InSet(sc_, set);
      ++sc_;
      return ok;
    }
    if (set.mode == 3) {
      const int from = std::min(sc_, count_);
      for (size_t w = 0; w < set.words.size(); ++w) {
        const int m = static_cast<int>(set.wordChars[w]);
        const int to = std::min(count_, from + m);
        const std::string_view have = subj_.substr(starts_[from], starts_[to] - starts_[from]);
        if (have == set.words[w]) {
          sc_ += m;
          return true;
        }
      }
      return false;
    }
    // Repetition: the plain character after the bracket (past one pick-up
    // parenthesis) ends it.
    const auto& elems = pat_.elems_;
    size_t t = static_cast<size_t>(pc_);
    if (t < elems.size() && (elems[t].kind == Kind::kPickupFrom || elems[t].kind == Kind::kPickupTo)) ++t;
    const TWildPattern::Elem* term = nullptr;
    if (t < elems.size()) {
      if (elems[t].kind != Kind::kChar) throw EWildcard(kMsgRepeatFollow);
      term = &elems[t];
    }
    int taken = 0;
    while (sc_ < count_) {
      if (term && CharIs(sc_, *term)) break;
      if (!InSet(sc_, set)) break;
      ++sc_;
      ++taken;
    }
    return set.mode == 1 || taken > 0;
  }

  static constexpr int kUnknown = -2;

  const TWildPattern& pat_;
  std::string_view subj_;
  bool wantPickups_;
  std::vector<uint32_t> starts_;  // byte offset of each character, then the length
  int count_ = 0;
  int pc_ = 0, sc_ = 0;
  int depth_ = 0;         // trials of "*" in progress; recording only at 0
  int pickStart_ = 0;     // subject cursor at the last "("
  int highest_ = -1;      // highest cursor recorded at a ")"
  std::vector<std::string> pickups_;
  std::vector<int> starOf_;               // element index -> "*" number
  std::vector<std::vector<int>> memo_;    // per "*": FirstFit from each position
};

bool TWildPattern::MatchWhole(std::string_view subject) const {
  TWildMatcher m(*this, subject, false);
  return m.Run() && m.cursor() == m.count();
}

TWildCut TWildPattern::MatchCut(std::string_view subject) const {
  TWildMatcher m(*this, subject, true);
  TWildCut cut;
  if (!m.Run()) return cut;
  cut.matched = true;
  cut.text = m.Range(0, m.cursor());
  if (m.cursor() < m.count()) cut.remainder = m.Range(m.cursor(), m.count() - m.cursor());
  cut.pickups = std::move(m.pickups());
  return cut;
}

bool WildMatchWhole(std::string_view subject, std::string_view pattern) {
  return TWildPattern(pattern).MatchWhole(subject);
}

TWildCut WildMatchCut(std::string_view pattern, std::string_view subject) {
  return TWildPattern(pattern).MatchCut(subject);
}

}  // namespace tama
