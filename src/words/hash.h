// The word table: commands, system words, labels, variables, objects, imported
// functions and dictionaries, in 256 buckets by the byte sum of the name.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "support/lines.h"
#include "words/text.h"

namespace tama {

enum TWordKind : uint8_t {
  wkCommand = 0,
  wkLabel = 2,
  wkVariable = 3,
  wkObject = 4,
  wkDllFunction = 5,
  wkHash = 6,
};

// A plain error of the word table (the run loop turns it into a run-time error).
class TWordError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class THash;
struct TCsvCacheBase;  // a parsed form of a variable's value, kept by the element readers

class THashNode {
 public:
  THashNode() = default;
  // The full form.
  THashNode(std::string name, bool prot, TPos link, TWordKind kind, int32_t id, std::string tag, std::string value,
            std::string pattern);
  // The short form: a variable with empty tag and pattern and no link.
  THashNode(std::string name, bool prot, int32_t id, std::string value);
  THashNode(const THashNode&) = delete;
  THashNode& operator=(const THashNode&) = delete;
  ~THashNode();

  // Copies every field but the name; a dictionary is copied whole.
  void CopyFrom(const THashNode& other);

  std::string Name;
  std::string Tag;
  TWordKind Kind = wkVariable;
  int32_t Id = 0;
  bool Protected = false;
  TPos Link;                    // a label's entry position
  std::unique_ptr<THash> Dict;  // the dictionary of a wkHash word
  void* Native = nullptr;       // an imported function's entry point

  const std::string& Value() const {
    if (numberState_ & kNumTextDue) [[unlikely]]
      WriteIntText();
    return value_;
  }
  void SetValue(std::string v) {
    value_ = std::move(v);
    cache_.reset();
    numberState_ = 0;
  }
  // Sets a value whose number is known: `n` must be what the text reads as
  // (a whole number written in plain digits, for one).
  void SetNumberValue(std::string_view v, long double n) {
    value_.assign(v);
    cache_.reset();
    number_ = n;
    numberState_ = kNumKnown | kNumValid | kNumPlain;
  }
  // Sets a whole number below 10^15 in magnitude: its text, the plain digits,
  // is written when it is first read.
  void SetIntValue(int64_t n) {
    cache_.reset();
    number_ = static_cast<long double>(n);
    int_ = n;
    numberState_ = kNumKnown | kNumValid | kNumPlain | kNumInt | kNumTextDue;
  }
  // Gives the value for changing in place; drops what was derived from it.
  std::string& MutableValue() {
    Value();
    cache_.reset();
    numberState_ = 0;
    return value_;
  }
  // The number the value reads as (the text-to-number rule), remembered until
  // the value changes. False when reading it fails. `plain` tells whether the
  // text is a plain decimal ("12", "-0.5"), which reads the same as program text.
  bool NumberOf(long double& out, bool& plain) const {
    if (!(numberState_ & kNumKnown)) ReadNumber();
    out = number_;
    plain = numberState_ & kNumPlain;
    return numberState_ & kNumValid;
  }
  // True when the value reads as a whole number below 10^15 in magnitude.
  bool IntOf(int64_t& out) const {
    if (!(numberState_ & kNumKnown)) ReadNumber();
    out = int_;
    return numberState_ & kNumInt;
  }

  const std::string& Pattern() const { return pattern_; }
  void SetPattern(std::string p) {
    pattern_ = std::move(p);
    slots_.clear();
    slotsParsed_ = false;
  }
  // The particles of the pattern's slots, in order (parsed once).
  const std::vector<std::string>& Slots() const;

  // A parsed form of the value kept for fast element access; dropped whenever
  // the value changes.
  std::shared_ptr<TCsvCacheBase>& Cache() { return cache_; }

 private:
  static constexpr uint8_t kNumKnown = 1, kNumValid = 2, kNumPlain = 4, kNumInt = 8, kNumTextDue = 16;
  void ReadNumber() const;
  void WriteIntText() const;
  mutable std::string value_;
  mutable long double number_ = 0;
  mutable int64_t int_ = 0;
  mutable uint8_t numberState_ = 0;
  std::string pattern_;
  mutable std::vector<std::string> slots_;
  mutable bool slotsParsed_ = false;
  std::shared_ptr<TCsvCacheBase> cache_;
};

struct TCsvCacheBase {
  virtual ~TCsvCacheBase() = default;
};

using THashNodeRef = std::shared_ptr<THashNode>;

// Okurigana folding: a run of hiragana after a non-hiragana double-byte
// character is dropped (繰り返す -> 繰返). Writes into out; returns its length.
std::string FoldOkurigana(std::string_view name);
// Folds into a caller's buffer when it fits (no allocation); returns the view.
std::string_view FoldOkurigana(std::string_view name, char* buf, size_t cap);

// The bucket of a name: the sum of its bytes modulo 256 (up to a zero byte).
uint8_t BucketOf(std::string_view name);

class THash {
 public:
  THash() = default;
  THash(const THash&) = delete;
  THash& operator=(const THash&) = delete;

  int32_t Count() const { return count_; }
  // Renewed by every change of the set of words or their names (adding,
  // replacing, removing, clearing): a holder of a word found earlier may keep
  // using it while the generation is the one it was found in. Unique across
  // the process.
  uint64_t Generation() const { return generation_; }
  // Adds a node, replacing an unprotected node of the same name in place;
  // raises TWordError for a protected one. Returns the new count (-1 for nil).
  int32_t Add(THashNodeRef node);
  THashNode* Find(std::string_view name, bool fold) const;
  THashNodeRef FindRef(std::string_view name, bool fold) const;
  // The table's own handle of the word (nullptr when absent); valid until the
  // table changes.
  const THashNodeRef* FindSlot(std::string_view name, bool fold) const;
  std::string FindValue(std::string_view name, bool fold) const;
  int32_t Remove(std::string_view name, bool fold);
  void Clear();
  void LoadFromText(std::string_view text);
  std::string KeysText() const;
  std::string DumpText() const;
  std::vector<THashNodeRef> Nodes() const;
  // Visits every node in enumeration order (bucket 0..255, insertion order).
  template <class F>
  void ForEach(F&& f) const {
    for (const auto& bucket : buckets_)
      for (const auto& n : bucket)
        if (n) f(*n);
  }
  // A deep copy of the whole table.
  std::unique_ptr<THash> Clone() const;

 private:
  // Where a name's node sits: its bucket and its place in that bucket.
  struct TPlace {
    uint8_t bucket;
    uint32_t index;
  };
  struct TNameHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  const THashNodeRef* Slot(std::string_view name) const;
  bool RemoveExact(std::string_view name);
  // Closes the holes that removals left in a bucket and files its places anew.
  void Compact(uint8_t bucket);
  // The buckets keep the enumeration order; a removed node leaves a hole
  // (nil) until the bucket is compacted. The index finds a name's place
  // without scanning its bucket.
  std::array<std::vector<THashNodeRef>, 256> buckets_;
  std::array<uint32_t, 256> holes_{};
  std::unordered_map<std::string, TPlace, TNameHash, std::equal_to<>> index_;
  int32_t count_ = 0;
  uint64_t generation_ = NewGeneration();
  static uint64_t NewGeneration();
};

// Trims spaces and control characters (bytes <= 0x20) from both ends.
using support::TrimControl;

}  // namespace tama
