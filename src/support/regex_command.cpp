#include "support/regex_command.h"

#include <oniguruma.h>

#include <array>
#include <cstdint>
#include <memory>
#include <utility>

#include "sjis/sjis.h"

namespace tama::regex {

namespace {

using sjis::CharLen;

// Bounds of one search: backtracking steps per match attempt and per search,
// and entries of the backtracking stack.
constexpr unsigned long kRetryLimitInMatch = 10'000'000;
constexpr unsigned long kRetryLimitInSearch = 50'000'000;
constexpr unsigned int kMatchStackLimit = 4'000'000;

// Messages are at most this long (the buffer of the command interface).
constexpr size_t kMessageMax = 79;

std::string ShortMessage(std::string_view m) {
  if (m.size() <= kMessageMax) return std::string(m);
  size_t end = 0;
  while (end < m.size() && end + CharLen(m, end) <= kMessageMax) end += CharLen(m, end);
  return std::string(m.substr(0, end));
}

void InitLibrary() {
  static const bool done = [] {
    OnigEncoding encodings[] = {ONIG_ENCODING_SJIS};
    onig_initialize(encodings, 1);
    return true;
  }();
  (void)done;
}

[[noreturn]] void RaiseOnig(int code, OnigErrorInfo* info) {
  OnigUChar buf[ONIG_MAX_ERROR_MESSAGE_LEN + 1] = {};
  int n = onig_error_code_to_str(buf, code, info);
  if (n < 0) n = 0;
  throw ERegex(std::string_view(reinterpret_cast<const char*>(buf), static_cast<size_t>(n)));
}

inline const OnigUChar* U(const char* p) { return reinterpret_cast<const OnigUChar*>(p); }

// ---------------------------------------------------------------------------
// Compiled patterns, kept for the next calls with the same pattern

struct TRegexFree {
  void operator()(OnigRegexType* r) const { onig_free(r); }
};
using TRegexPtr = std::unique_ptr<OnigRegexType, TRegexFree>;

struct TCacheEntry {
  std::string pattern;
  OnigOptionType options = 0;
  std::shared_ptr<OnigRegexType> regex;
};

}  // namespace

struct TPatternCache::TImpl {
  std::shared_ptr<OnigRegexType> Get(std::string_view pattern, OnigOptionType options) {
    for (TCacheEntry& e : entries_)
      if (e.regex && e.options == options && e.pattern == pattern) return e.regex;
    InitLibrary();
    OnigRegex reg = nullptr;
    OnigErrorInfo info{};
    const int r = onig_new(&reg, U(pattern.data()), U(pattern.data() + pattern.size()), options, ONIG_ENCODING_SJIS,
                           ONIG_SYNTAX_PERL_NG, &info);
    if (r != ONIG_NORMAL) {
      if (reg) onig_free(reg);
      RaiseOnig(r, &info);
    }
    std::shared_ptr<OnigRegexType> shared(reg, TRegexFree());
    TCacheEntry& slot = entries_[next_];
    next_ = (next_ + 1) % entries_.size();
    slot.pattern.assign(pattern);
    slot.options = options;
    slot.regex = shared;
    return shared;
  }

 private:
  std::array<TCacheEntry, 16> entries_;
  size_t next_ = 0;
};

TPatternCache::TPatternCache() : impl_(std::make_unique<TImpl>()) {}
TPatternCache::~TPatternCache() = default;

namespace {

// One compiled pattern with its region and search bounds, searching one
// subject.
class TSearcher {
 public:
  TSearcher(TPatternCache& cache, std::string_view pattern, OnigOptionType options, std::string_view subject)
      : regex_(cache.Impl().Get(pattern, options)), s_(Searchable(subject)), subject_(subject) {
    region_ = onig_region_new();
    param_ = onig_new_match_param();
    onig_initialize_match_param(param_);
    onig_set_retry_limit_in_match_of_match_param(param_, kRetryLimitInMatch);
    onig_set_retry_limit_in_search_of_match_param(param_, kRetryLimitInSearch);
    onig_set_match_stack_limit_size_of_match_param(param_, kMatchStackLimit);
  }
  ~TSearcher() {
    onig_region_free(region_, 1);
    onig_free_match_param(param_);
  }
  TSearcher(const TSearcher&) = delete;
  TSearcher& operator=(const TSearcher&) = delete;

  int Groups() const { return onig_number_of_captures(regex_.get()); }

  // The first match that starts at or after pos (a character boundary). With
  // notEmptyAtPos, a match that is empty and lies at pos does not count: a
  // longer match at pos, else the first match after pos, is taken instead.
  bool FindFrom(size_t pos, bool notEmptyAtPos) {
    const int r = Search(pos);
    if (r < 0) return false;
    if (!notEmptyAtPos || static_cast<size_t>(r) > pos || static_cast<size_t>(region_->end[0]) > pos) return true;
    if (MatchAt(pos, ONIG_OPTION_FIND_NOT_EMPTY) > 0) return true;
    if (pos >= s_.size()) return false;
    return Search(pos + CharLen(s_, pos)) >= 0;
  }

  size_t Begin(int g) const { return static_cast<size_t>(region_->beg[g]); }
  size_t End(int g) const { return static_cast<size_t>(region_->end[g]); }
  bool Set(int g) const { return g < region_->num_regs && region_->beg[g] >= 0; }
  std::string_view Group(int g) const {
    if (!Set(g)) return {};
    return subject_.substr(Begin(g), End(g) - Begin(g));
  }

 private:
  // The library reads a lead byte and the byte after it as one character, so
  // a lead byte as the very last byte would make it read past the end: such a
  // byte stays out of the searched text (it is never part of a match).
  static std::string_view Searchable(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && i + CharLen(s, i) < s.size()) i += CharLen(s, i);
    if (i + 1 == s.size() && sjis::IsLead(s[i])) return s.substr(0, i);
    return s;
  }

  int Search(size_t pos) {
    const char* b = s_.data();
    const char* e = b + s_.size();
    const int r = onig_search_with_param(regex_.get(), U(b), U(e), U(b + pos), U(e), region_, ONIG_OPTION_NONE,
                                         param_);
    if (r == ONIG_MISMATCH) return -1;
    if (r < 0) RaiseOnig(r, nullptr);
    return r;
  }
  int MatchAt(size_t pos, OnigOptionType option) {
    const char* b = s_.data();
    const char* e = b + s_.size();
    const int r = onig_match_with_param(regex_.get(), U(b), U(e), U(b + pos), region_, option, param_);
    if (r == ONIG_MISMATCH) return -1;
    if (r < 0) RaiseOnig(r, nullptr);
    return r;
  }

  std::shared_ptr<OnigRegexType> regex_;
  std::string_view s_;        // the searched text
  std::string_view subject_;  // the whole subject
  OnigRegion* region_ = nullptr;
  OnigMatchParam* param_ = nullptr;
};

// ---------------------------------------------------------------------------
// Command texts

constexpr OnigOptionType kBaseOptions = ONIG_OPTION_CAPTURE_GROUP | ONIG_OPTION_WORD_IS_ASCII |
                                        ONIG_OPTION_DIGIT_IS_ASCII | ONIG_OPTION_SPACE_IS_ASCII |
                                        ONIG_OPTION_POSIX_IS_ASCII;

bool IsDelimiter(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  if (u < 0x21 || u > 0x7E || c == '\\') return false;
  return !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
}

// Reads a part up to the closing delimiter, from i (just after the opening
// one); a backslash keeps the character after it in the part. False when the
// delimiter does not close the part.
bool ReadPart(std::string_view s, size_t& i, char delim, std::string& out) {
  while (i < s.size()) {
    size_t len = CharLen(s, i);
    if (len == 1 && s[i] == delim) {
      ++i;
      return true;
    }
    if (len == 1 && s[i] == '\\' && i + 1 < s.size()) len += CharLen(s, i + 1);
    out.append(s, i, len);
    i += len;
  }
  return false;
}

// The flag letters after the last delimiter (trailing blanks allowed).
bool ReadFlags(std::string_view s, size_t i, std::string& flags) {
  size_t end = s.size();
  while (end > i && static_cast<unsigned char>(s[end - 1]) <= 0x20) --end;
  for (; i < end; ++i) {
    const char c = s[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
    flags += c;
  }
  return true;
}

struct TFlags {
  OnigOptionType options = kBaseOptions;
  bool global = false;
  bool complement = false, del = false, squeeze = false;  // tr
};

TFlags ReadFlagLetters(std::string_view letters) {
  TFlags f;
  for (char c : letters) {
    switch (c) {
      case 'i': f.options |= ONIG_OPTION_IGNORECASE | ONIG_OPTION_IGNORECASE_IS_ASCII; break;
      case 'x': f.options |= ONIG_OPTION_EXTEND; break;
      case 's': f.options |= ONIG_OPTION_MULTILINE; f.squeeze = true; break;
      case 'm': f.options |= ONIG_OPTION_NEGATE_SINGLELINE; break;
      case 'g': f.global = true; break;
      case 'c': f.complement = true; break;
      case 'd': f.del = true; break;
      default: break;
    }
  }
  return f;
}

struct TParsedPattern {
  std::string pattern;
  TFlags flags;
};

TParsedPattern ParseMatchText(std::string_view text) {
  TParsedPattern p;
  if (text.size() >= 3 && text[0] == 'm' && IsDelimiter(text[1])) {
    size_t i = 2;
    std::string pat, letters;
    if (ReadPart(text, i, text[1], pat) && ReadFlags(text, i, letters)) {
      p.pattern = std::move(pat);
      p.flags = ReadFlagLetters(letters);
      return p;
    }
  }
  p.pattern.assign(text);
  return p;
}

// ---------------------------------------------------------------------------
// Replacement texts

struct TPiece {
  enum Kind : uint8_t { kText, kGroup, kBefore, kAfter } kind = kText;
  int group = 0;
  std::string text;
};

std::vector<TPiece> ParseReplacement(std::string_view r, int groups) {
  std::vector<TPiece> pieces;
  auto text = [&]() -> std::string& {
    if (pieces.empty() || pieces.back().kind != TPiece::kText) pieces.push_back({});
    return pieces.back().text;
  };
  auto group = [&](TPiece::Kind kind, int g) { pieces.push_back({kind, g, {}}); };
  for (size_t i = 0; i < r.size();) {
    const size_t len = CharLen(r, i);
    const char c = r[i];
    if (len == 1 && c == '\\' && i + 1 < r.size()) {
      const char n = r[i + 1];
      if (n == 'n') {
        text() += '\n';
      } else if (n == 't') {
        text() += '\t';
      } else if (n == 'r') {
        text() += '\r';
      } else if (n >= '1' && n <= '9') {
        group(TPiece::kGroup, n - '0');
      } else {
        text().append(r, i + 1, CharLen(r, i + 1));
        i += 1 + CharLen(r, i + 1);
        continue;
      }
      i += 2;
      continue;
    }
    if (len == 1 && c == '$' && i + 1 < r.size()) {
      const char n = r[i + 1];
      if (n == '&') {
        group(TPiece::kGroup, 0);
        i += 2;
        continue;
      }
      if (n == '`' || n == '\'') {
        group(n == '`' ? TPiece::kBefore : TPiece::kAfter, 0);
        i += 2;
        continue;
      }
      if (n >= '0' && n <= '9') {
        int g = n - '0';
        size_t used = 2;
        if (i + 2 < r.size() && r[i + 2] >= '0' && r[i + 2] <= '9') {
          const int two = g * 10 + (r[i + 2] - '0');
          if (two <= groups || g > groups) {
            g = two;
            used = 3;
          }
        }
        group(TPiece::kGroup, g);
        i += used;
        continue;
      }
      if (n == '{') {
        size_t j = i + 2;
        int g = 0;
        while (j < r.size() && r[j] >= '0' && r[j] <= '9' && g < 1000) g = g * 10 + (r[j++] - '0');
        if (j > i + 2 && j < r.size() && r[j] == '}') {
          group(TPiece::kGroup, g);
          i = j + 1;
          continue;
        }
      }
    }
    text().append(r, i, len);
    i += len;
  }
  return pieces;
}

void Expand(const std::vector<TPiece>& pieces, const TSearcher& m, std::string_view subject, std::string& out) {
  for (const TPiece& p : pieces) {
    switch (p.kind) {
      case TPiece::kText: out += p.text; break;
      case TPiece::kGroup: out += m.Group(p.group); break;
      case TPiece::kBefore: out += subject.substr(0, m.Begin(0)); break;
      case TPiece::kAfter: out += subject.substr(m.End(0)); break;
    }
  }
}

// ---------------------------------------------------------------------------
// Transliteration lists: characters numbered in code order over the codes of
// real characters (single bytes 0-255 but lead bytes; then lead 81-9F, E0-FC
// with trail 40-7E, 80-FC).

constexpr uint32_t kDoubleBase = 0x100;
constexpr uint32_t kOrdinals = kDoubleBase + 60 * 188;  // every real character
constexpr uint32_t kNoOrdinal = 0xFFFFFFFF;

uint32_t OrdinalOf(unsigned code) {
  if (code < 0x100) return code;
  const unsigned lead = code >> 8, trail = code & 0xFF;
  if (!sjis::IsLead(static_cast<unsigned char>(lead))) return kNoOrdinal;
  unsigned ti;
  if (trail >= 0x40 && trail <= 0x7E)
    ti = trail - 0x40;
  else if (trail >= 0x80 && trail <= 0xFC)
    ti = trail - 0x80 + 63;
  else
    return kNoOrdinal;
  const unsigned li = lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
  return kDoubleBase + li * 188 + ti;
}

void AppendOrdinal(std::string& out, uint32_t ord) {
  if (ord < kDoubleBase) {
    out += static_cast<char>(ord);
    return;
  }
  const unsigned li = (ord - kDoubleBase) / 188, ti = (ord - kDoubleBase) % 188;
  out += static_cast<char>(li < 31 ? 0x81 + li : 0xE0 + li - 31);
  out += static_cast<char>(ti < 63 ? 0x40 + ti : 0x80 + ti - 63);
}

// One item of a list: an escaped or plain character, as its code.
unsigned ListChar(std::string_view s, size_t& i) {
  if (s[i] == '\\' && i + 1 < s.size()) {
    ++i;
    const char c = s[i];
    if (CharLen(s, i) == 1) {
      ++i;
      switch (c) {
        case 'n': return '\n';
        case 't': return '\t';
        case 'r': return '\r';
        case 'f': return '\f';
        case 'e': return 0x1B;
        case 'a': return 0x07;
        default: return static_cast<unsigned char>(c);
      }
    }
  }
  const unsigned code = sjis::CodeAt(s, i);
  i += CharLen(s, i);
  return code;
}

// The characters of a list in order, ranges spelled out.
std::vector<uint32_t> ExpandList(std::string_view s) {
  std::vector<uint32_t> out;
  size_t i = 0;
  while (i < s.size()) {
    const uint32_t lo = OrdinalOf(ListChar(s, i));
    if (i + 1 < s.size() && s[i] == '-') {
      size_t j = i + 1;
      const uint32_t hi = OrdinalOf(ListChar(s, j));
      if (lo == kNoOrdinal || hi == kNoOrdinal || hi < lo) throw ERegex("invalid range in transliteration");
      for (uint32_t k = lo; k <= hi; ++k) out.push_back(k);
      i = j;
      continue;
    }
    if (lo == kNoOrdinal) throw ERegex("invalid character in transliteration");
    out.push_back(lo);
  }
  return out;
}

}  // namespace

ERegex::ERegex(std::string_view message) : std::runtime_error(ShortMessage(message)) {}

TMatchResult Match(TPatternCache& cache, std::string_view pattern, std::string_view subject) {
  const TParsedPattern p = ParseMatchText(pattern);
  TSearcher m(cache, p.pattern, p.flags.options, subject);
  TMatchResult r;
  r.groups = m.Groups();
  if (!m.FindFrom(0, false)) return r;
  r.matched = true;
  r.texts.reserve(static_cast<size_t>(r.groups) + 1);
  for (int g = 0; g <= r.groups; ++g) r.texts.emplace_back(m.Group(g));
  return r;
}

std::vector<std::string> Split(TPatternCache& cache, std::string_view pattern, std::string_view subject, int limit) {
  TParsedPattern p = ParseMatchText(pattern);
  if (p.pattern == "^") p.flags.options |= ONIG_OPTION_NEGATE_SINGLELINE;  // a split at line starts
  TSearcher m(cache, p.pattern, p.flags.options, subject);
  const int groups = m.Groups();
  std::vector<std::string> pieces;
  size_t s = 0;
  size_t fields = 0;
  while (s < subject.size() && --limit > 0) {
    if (!m.FindFrom(s, true)) break;
    const size_t b = m.Begin(0), e = m.End(0);
    pieces.emplace_back(subject.substr(s, b - s));
    for (int g = 1; g <= groups; ++g) pieces.emplace_back(m.Group(g));
    s = e;
    ++fields;
  }
  if (s < subject.size() || fields > 0) pieces.emplace_back(subject.substr(s));
  return pieces;
}

TSubstResult Substitute(TPatternCache& cache, std::string_view command, std::string_view subject) {
  if (command.size() < 4 || command[0] != 's' || !IsDelimiter(command[1])) throw ERegex("invalid substitution command");
  const char delim = command[1];
  size_t i = 2;
  std::string pattern, replacement, letters;
  if (!ReadPart(command, i, delim, pattern)) throw ERegex("unterminated pattern in substitution");
  if (!ReadPart(command, i, delim, replacement)) throw ERegex("unterminated replacement in substitution");
  if (!ReadFlags(command, i, letters)) throw ERegex("invalid flags in substitution");
  const TFlags flags = ReadFlagLetters(letters);
  TSearcher m(cache, pattern, flags.options, subject);
  TSubstResult r;
  r.groups = m.Groups();
  const std::vector<TPiece> pieces = ParseReplacement(replacement, r.groups);
  size_t copied = 0, pos = 0;
  bool notEmpty = false;
  while (m.FindFrom(pos, notEmpty)) {
    const size_t b = m.Begin(0), e = m.End(0);
    if (!r.replaced) r.text.reserve(subject.size());
    r.text.append(subject, copied, b - copied);
    Expand(pieces, m, subject, r.text);
    copied = e;
    r.replaced = true;
    if (!flags.global) break;
    notEmpty = e == b;
    pos = e;
  }
  if (!r.replaced) {
    r.text.assign(subject);
    return r;
  }
  r.text.append(subject.substr(copied));
  return r;
}

std::string Transliterate(std::string_view command, std::string_view subject) {
  size_t i = 0;
  if (command.size() >= 2 && command[0] == 't' && command[1] == 'r')
    i = 2;
  else if (!command.empty() && command[0] == 'y')
    i = 1;
  if (i == 0 || i >= command.size() || !IsDelimiter(command[i])) throw ERegex("invalid transliteration command");
  const char delim = command[i++];
  std::string from, to, letters;
  if (!ReadPart(command, i, delim, from)) throw ERegex("unterminated list in transliteration");
  if (!ReadPart(command, i, delim, to)) throw ERegex("unterminated list in transliteration");
  if (!ReadFlags(command, i, letters)) throw ERegex("invalid flags in transliteration");
  const TFlags flags = ReadFlagLetters(letters);
  const std::vector<uint32_t> fromList = ExpandList(from);
  std::vector<uint32_t> toList = ExpandList(to);
  if (toList.empty() && !flags.del && !flags.complement) toList = fromList;

  // index of each character in the from-list (its first place), or -1
  std::vector<int32_t> place(kOrdinals, -1);
  for (size_t k = fromList.size(); k-- > 0;) place[fromList[k]] = static_cast<int32_t>(k);
  // for the complement: the rank of each character among those not in the list
  std::vector<int32_t> rank;
  if (flags.complement) {
    rank.assign(kOrdinals, -1);
    int32_t n = 0;
    for (uint32_t k = 0; k < kOrdinals; ++k)
      if (place[k] < 0) rank[k] = n++;
  }
  // the translation of a listed character: its new ordinal, kNoOrdinal to delete it
  auto translate = [&](int32_t index) -> uint32_t {
    const size_t k = static_cast<size_t>(index);
    if (k < toList.size()) return toList[k];
    if (flags.del || toList.empty()) return kNoOrdinal;
    return toList.back();
  };

  std::string out;
  out.reserve(subject.size());
  uint32_t lastTranslated = kNoOrdinal;  // the last character written by a translation
  for (size_t j = 0; j < subject.size();) {
    const size_t len = CharLen(subject, j);
    const uint32_t ord = OrdinalOf(sjis::CodeAt(subject, j));
    int32_t index = -1;
    if (ord != kNoOrdinal) index = flags.complement ? rank[ord] : place[ord];
    else if (flags.complement) index = static_cast<int32_t>(kOrdinals);  // beyond every listed rank
    if (index < 0 || (flags.complement && toList.empty() && !flags.del)) {
      out.append(subject, j, len);
      lastTranslated = kNoOrdinal;
    } else {
      const uint32_t t = translate(index);
      if (t != kNoOrdinal && !(flags.squeeze && t == lastTranslated)) AppendOrdinal(out, t);
      if (t != kNoOrdinal) lastTranslated = t;
    }
    j += len;
  }
  return out;
}

}  // namespace tama::regex
