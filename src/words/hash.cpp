#include "words/hash.h"

#include <charconv>
#include <cstring>

#include "sjis/sjis.h"
#include "support/number.h"

namespace tama {

THashNode::THashNode(std::string name, bool prot, TPos link, TWordKind kind, int32_t id, std::string tag,
                     std::string value, std::string pattern)
    : Name(std::move(name)),
      Tag(std::move(tag)),
      Kind(kind),
      Id(id),
      Protected(prot),
      Link(std::move(link)),
      value_(std::move(value)),
      pattern_(std::move(pattern)) {}

THashNode::THashNode(std::string name, bool prot, int32_t id, std::string value)
    : Name(std::move(name)), Kind(wkVariable), Id(id), Protected(prot), value_(std::move(value)) {}

THashNode::~THashNode() = default;

void THashNode::CopyFrom(const THashNode& other) {
  Tag = other.Tag;
  Kind = other.Kind;
  Id = other.Id;
  Protected = other.Protected;
  Link = other.Link;
  Dict = other.Dict ? other.Dict->Clone() : nullptr;
  Native = other.Native;
  SetValue(other.Value());
  SetPattern(other.pattern_);
}

const std::vector<std::string>& THashNode::Slots() const {
  if (!slotsParsed_) {
    slots_.clear();
    std::string_view p = pattern_;
    if (!p.empty()) {
      size_t start = 0;
      while (true) {
        size_t comma = p.find(',', start);
        std::string_view slot = p.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        while (!slot.empty() && (slot.front() == ' ' || slot.front() == '\t')) slot.remove_prefix(1);
        while (!slot.empty() && (slot.back() == ' ' || slot.back() == '\t')) slot.remove_suffix(1);
        if (!slot.empty() && slot.front() == '?') slot.remove_prefix(1);
        slots_.emplace_back(slot);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
      }
    }
    slotsParsed_ = true;
  }
  return slots_;
}

uint8_t BucketOf(std::string_view name) {
  unsigned sum = 0;
  for (char c : name) {
    if (c == 0) break;
    sum += static_cast<unsigned char>(c);
  }
  return static_cast<uint8_t>(sum & 0xFF);
}

namespace {
inline bool IsHiraganaCode(unsigned code) { return code >= 0x82A0 && code <= 0x833E; }
}  // namespace

std::string_view FoldOkurigana(std::string_view name, char* buf, size_t cap) {
  if (name.size() > cap) return name;  // the caller falls back to the allocating form
  size_t n = 0;
  bool seenKanji = false;
  size_t i = 0;
  while (i < name.size()) {
    size_t len = sjis::CharLen(name, i);
    if (len == 1) {
      buf[n++] = name[i];
      ++i;
      continue;
    }
    unsigned code = sjis::CodeAt(name, i);
    if (!IsHiraganaCode(code)) {
      buf[n++] = name[i];
      buf[n++] = name[i + 1];
      seenKanji = true;
      i += 2;
    } else if (!seenKanji) {
      buf[n++] = name[i];
      buf[n++] = name[i + 1];
      i += 2;
    } else {
      // drop this hiragana and the double-byte hiragana directly after it
      i += 2;
      while (i + 1 < name.size() && sjis::CharLen(name, i) == 2 && IsHiraganaCode(sjis::CodeAt(name, i))) i += 2;
      seenKanji = false;
    }
  }
  if (n == 0) return name;
  return std::string_view(buf, n);
}

std::string FoldOkurigana(std::string_view name) {
  std::string buf(name.size(), '\0');
  std::string_view r = FoldOkurigana(name, buf.data(), buf.size());
  return std::string(r);
}

const THashNodeRef* THash::Slot(std::string_view name) const {
  auto it = index_.find(name);
  if (it == index_.end()) return nullptr;
  return &buckets_[it->second.bucket][it->second.index];
}

int32_t THash::Add(THashNodeRef node) {
  if (!node) return -1;
  auto it = index_.find(std::string_view(node->Name));
  if (it != index_.end()) {
    THashNodeRef& n = buckets_[it->second.bucket][it->second.index];
    if (n->Protected) throw TWordError("\"" + node->Name + "\"は予約語なので、登録できません。");
    n = std::move(node);  // whoever still holds the old node keeps it alive
    generation_ = NewGeneration();
    return count_;
  }
  const uint8_t b = BucketOf(node->Name);
  auto& bucket = buckets_[b];
  index_.emplace(node->Name, TPlace{b, static_cast<uint32_t>(bucket.size())});
  bucket.push_back(std::move(node));
  generation_ = NewGeneration();
  return ++count_;
}

namespace {
constexpr size_t kFoldBuf = 256;
}

THashNode* THash::Find(std::string_view name, bool fold) const {
  const THashNodeRef* s = FindSlot(name, fold);
  return s ? s->get() : nullptr;
}

const THashNodeRef* THash::FindSlot(std::string_view name, bool fold) const {
  if (name.empty()) return nullptr;
  if (fold) {
    char buf[kFoldBuf];
    std::string_view folded = name.size() <= kFoldBuf ? FoldOkurigana(name, buf, kFoldBuf) : std::string_view{};
    std::string big;
    if (name.size() > kFoldBuf) {
      big = FoldOkurigana(name);
      folded = big;
    }
    if (folded != name)
      if (const THashNodeRef* s = Slot(folded)) return s;
  }
  return Slot(name);
}

THashNodeRef THash::FindRef(std::string_view name, bool fold) const {
  const THashNodeRef* s = FindSlot(name, fold);
  return s ? *s : nullptr;
}

std::string THash::FindValue(std::string_view name, bool fold) const {
  THashNode* n = Find(name, fold);
  return n ? n->Value() : std::string();
}

bool THash::RemoveExact(std::string_view name) {
  auto it = index_.find(name);
  if (it == index_.end()) return false;
  const TPlace place = it->second;
  index_.erase(it);
  auto& bucket = buckets_[place.bucket];
  bucket[place.index].reset();
  --count_;
  generation_ = NewGeneration();
  if (place.index + 1 == bucket.size()) {
    bucket.pop_back();
    while (!bucket.empty() && !bucket.back()) {
      bucket.pop_back();
      --holes_[place.bucket];
    }
  } else if (++holes_[place.bucket] > bucket.size() / 2) {
    Compact(place.bucket);
  }
  return true;
}

void THash::Compact(uint8_t b) {
  auto& bucket = buckets_[b];
  size_t kept = 0;
  for (size_t i = 0; i < bucket.size(); ++i) {
    if (!bucket[i]) continue;
    if (kept != i) {
      bucket[kept] = std::move(bucket[i]);
      index_.find(std::string_view(bucket[kept]->Name))->second.index = static_cast<uint32_t>(kept);
    }
    ++kept;
  }
  bucket.resize(kept);
  holes_[b] = 0;
}

int32_t THash::Remove(std::string_view name, bool fold) {
  int32_t result = -1;
  if (fold) {
    std::string folded = FoldOkurigana(name);
    if (RemoveExact(folded)) result = count_;
  }
  if (RemoveExact(name)) result = count_;
  return result;
}

void THash::Clear() {
  for (auto& b : buckets_) {
    b.clear();
    b.shrink_to_fit();
  }
  holes_.fill(0);
  index_.clear();
  count_ = 0;
  generation_ = NewGeneration();
}

uint64_t THash::NewGeneration() {
  static uint64_t last = 0;
  return ++last;
}

void THashNode::WriteIntText() const {
  char buf[24];
  value_.assign(buf, std::to_chars(buf, buf + sizeof buf, int_).ptr - buf);
  numberState_ &= static_cast<uint8_t>(~kNumTextDue);
}

void THashNode::ReadNumber() const {
  numberState_ = kNumKnown;
  try {
    number_ = TextToNumber(value_);
  } catch (const std::exception&) {
    number_ = 0;
    return;
  }
  numberState_ |= kNumValid;
  if (SmallWholeNumber(number_, int_)) numberState_ |= kNumInt;
  if (IsPlainDecimal(value_)) numberState_ |= kNumPlain;
}

void THash::LoadFromText(std::string_view text) {
  support::ForEachLine(text, [&](std::string_view line) {
    size_t eq = line.find('=');
    std::string key(TrimControl(eq == std::string_view::npos ? line : line.substr(0, eq)));
    std::string value(eq == std::string_view::npos ? std::string_view{} : line.substr(eq + 1));
    Add(std::make_shared<THashNode>(std::move(key), false, 0, std::move(value)));
  });
}

std::string THash::KeysText() const {
  std::string out;
  ForEach([&](const THashNode& n) {
    out += n.Name;
    out += "\r\n";
  });
  return std::string(TrimControl(out));
}

std::string THash::DumpText() const {
  std::string out;
  ForEach([&](const THashNode& n) {
    out += n.Name;
    out += '=';
    out += n.Value();
    out += "\r\n";
  });
  return std::string(TrimControl(out));
}

std::vector<THashNodeRef> THash::Nodes() const {
  std::vector<THashNodeRef> v;
  v.reserve(count_);
  for (const auto& b : buckets_)
    for (const auto& n : b)
      if (n) v.push_back(n);
  return v;
}

std::unique_ptr<THash> THash::Clone() const {
  auto h = std::make_unique<THash>();
  h->index_.reserve(index_.size());
  ForEach([&](const THashNode& n) {
    auto c = std::make_shared<THashNode>();
    c->Name = n.Name;
    c->CopyFrom(n);
    h->Add(std::move(c));
  });
  return h;
}

}  // namespace tama
