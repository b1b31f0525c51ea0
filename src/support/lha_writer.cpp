// The LHA archive writer: the -lh5- coder and the level-2 member headers.
#include "support/lha_writer.h"

#include <algorithm>
#include <array>
#include <queue>

#include "sjis/sjis.h"

namespace tama::support {

namespace {

constexpr int kDicBits = 13;
constexpr size_t kDicSize = size_t{1} << kDicBits;  // 8 KiB window
constexpr size_t kMaxMatch = 256;
constexpr size_t kMinMatch = 3;
constexpr int kNC = 256 + kMaxMatch - kMinMatch + 1;  // literals and lengths: 510
constexpr int kNP = kDicBits + 1;                      // position classes: 14
constexpr int kNT = 19;                                // classes of code lengths
constexpr int kCBits = 9, kPBits = 4, kTBits = 5;
constexpr int kMaxBits = 16;
constexpr size_t kBlockCodes = 16384;

class TBitWriter {
 public:
  void Put(int n, uint32_t v) {
    for (int i = n - 1; i >= 0; --i) {
      acc_ = static_cast<uint8_t>((acc_ << 1) | ((v >> i) & 1));
      if (++bits_ == 8) {
        out_.push_back(static_cast<char>(acc_));
        acc_ = 0;
        bits_ = 0;
      }
    }
  }
  std::string Finish() {
    if (bits_) Put(8 - bits_, 0);
    return std::move(out_);
  }

 private:
  std::string out_;
  uint8_t acc_ = 0;
  int bits_ = 0;
};

// Huffman code lengths of at most kMaxBits for the frequencies (0 for
// unused symbols); frequencies are flattened until the longest code fits.
std::vector<int> CodeLengths(std::vector<uint32_t> freq) {
  const size_t n = freq.size();
  std::vector<int> len(n, 0);
  while (true) {
    struct TNode {
      uint64_t weight;
      int left, right;
    };
    std::vector<TNode> nodes;
    using TItem = std::pair<uint64_t, int>;
    std::priority_queue<TItem, std::vector<TItem>, std::greater<TItem>> heap;
    for (size_t i = 0; i < n; ++i)
      if (freq[i]) {
        nodes.push_back({freq[i], -1, static_cast<int>(i)});
        heap.push({freq[i], static_cast<int>(nodes.size() - 1)});
      }
    if (nodes.size() < 2) return len;  // the caller writes a single code
    while (heap.size() > 1) {
      auto a = heap.top();
      heap.pop();
      auto b = heap.top();
      heap.pop();
      nodes.push_back({a.first + b.first, a.second, b.second});
      heap.push({a.first + b.first, static_cast<int>(nodes.size() - 1)});
    }
    // depths by walking down from the root
    std::fill(len.begin(), len.end(), 0);
    std::vector<std::pair<int, int>> stack{{heap.top().second, 0}};
    int deepest = 0;
    while (!stack.empty()) {
      auto [k, d] = stack.back();
      stack.pop_back();
      if (nodes[k].left < 0) {
        len[nodes[k].right] = d;
        deepest = std::max(deepest, d);
      } else {
        stack.push_back({nodes[k].left, d + 1});
        stack.push_back({nodes[k].right, d + 1});
      }
    }
    if (deepest <= kMaxBits) return len;
    for (auto& f : freq)
      if (f) f = (f + 1) / 2;
  }
}

// Canonical codes of the lengths: shorter codes first, then by symbol.
std::vector<uint32_t> Codes(const std::vector<int>& len) {
  std::array<uint32_t, kMaxBits + 2> count{}, next{};
  for (int l : len)
    if (l) ++count[l];
  uint32_t code = 0;
  for (int l = 1; l <= kMaxBits; ++l) {
    next[l] = code;
    code = (code + count[l]) << 1;
  }
  std::vector<uint32_t> codes(len.size(), 0);
  for (size_t i = 0; i < len.size(); ++i)
    if (len[i]) codes[i] = next[len[i]]++;
  return codes;
}

struct TCode {
  uint16_t c;    // literal or 256 + length - 3
  uint16_t pos;  // distance - 1 for a match
};

int BitLength(uint32_t v) {
  int n = 0;
  while (v) {
    ++n;
    v >>= 1;
  }
  return n;
}

// A table of a few lengths (the lengths code or the positions): its count
// in `countBits`, each length in 3 bits or as 7 plus ones and a zero; after
// the third length (when `special`) a 2-bit count of zero lengths skipped.
void PutLengthTable(TBitWriter& w, const std::vector<int>& len, int countBits, bool special) {
  int n = static_cast<int>(len.size());
  while (n > 0 && len[n - 1] == 0) --n;
  w.Put(countBits, static_cast<uint32_t>(n));
  int i = 0;
  while (i < n) {
    const int c = len[i++];
    if (c <= 6) {
      w.Put(3, static_cast<uint32_t>(c));
    } else {
      w.Put(3, 7);
      for (int k = 7; k < c; ++k) w.Put(1, 1);
      w.Put(1, 0);
    }
    if (special && i == 3) {
      int zeros = 0;
      while (zeros < 3 && i + zeros < n && len[i + zeros] == 0) ++zeros;
      w.Put(2, static_cast<uint32_t>(zeros));
      i += zeros;
    }
  }
}

// A table whose used symbols are at most one: count 0 and the symbol.
bool PutSingle(TBitWriter& w, const std::vector<uint32_t>& freq, int bits) {
  int used = 0, symbol = 0;
  for (size_t i = 0; i < freq.size(); ++i)
    if (freq[i]) {
      ++used;
      symbol = static_cast<int>(i);
    }
  if (used > 1) return false;
  w.Put(bits, 0);
  w.Put(bits, static_cast<uint32_t>(symbol));
  return true;
}

// The runs of the literal-and-length code lengths as symbols of the
// lengths code: 0 one zero; 1 and 4 bits 3..18 zeros; 2 and 9 bits 20 or
// more zeros; n+2 the length n.
struct TRun {
  int symbol;
  int extraBits;
  uint32_t extra;
};
std::vector<TRun> LengthRuns(const std::vector<int>& cLen) {
  int n = kNC;
  while (n > 0 && cLen[n - 1] == 0) --n;
  std::vector<TRun> runs;
  int i = 0;
  while (i < n) {
    if (cLen[i] != 0) {
      runs.push_back({cLen[i] + 2, 0, 0});
      ++i;
      continue;
    }
    int count = 0;
    while (i + count < n && cLen[i + count] == 0) ++count;
    i += count;
    if (count <= 2) {
      for (int k = 0; k < count; ++k) runs.push_back({0, 0, 0});
    } else if (count <= 18) {
      runs.push_back({1, 4, static_cast<uint32_t>(count - 3)});
    } else if (count == 19) {
      runs.push_back({0, 0, 0});
      runs.push_back({1, 4, 15});
    } else {
      runs.push_back({2, kCBits, static_cast<uint32_t>(count - 20)});
    }
  }
  return runs;
}

void PutBlock(TBitWriter& w, const std::vector<TCode>& codes) {
  std::vector<uint32_t> cFreq(kNC, 0), pFreq(kNP, 0);
  for (const auto& c : codes) {
    ++cFreq[c.c];
    if (c.c >= 256) ++pFreq[BitLength(c.pos)];
  }
  const std::vector<int> cLen = CodeLengths(cFreq);
  const std::vector<int> pLen = CodeLengths(pFreq);
  const std::vector<uint32_t> cCode = Codes(cLen), pCode = Codes(pLen);
  w.Put(16, static_cast<uint32_t>(codes.size()));
  int cUsed = 0;
  for (auto f : cFreq)
    if (f) ++cUsed;
  if (cUsed <= 1) {
    // no lengths code, then the single literal-or-length symbol
    w.Put(kTBits, 0);
    w.Put(kTBits, 0);
    PutSingle(w, cFreq, kCBits);
  } else {
    const std::vector<TRun> runs = LengthRuns(cLen);
    std::vector<uint32_t> tFreq(kNT, 0);
    for (const auto& r : runs) ++tFreq[r.symbol];
    const std::vector<int> tLen = CodeLengths(tFreq);
    const std::vector<uint32_t> tCode = Codes(tLen);
    const bool tSingle = PutSingle(w, tFreq, kTBits);
    if (!tSingle) PutLengthTable(w, tLen, kTBits, true);
    int n = kNC;
    while (n > 0 && cLen[n - 1] == 0) --n;
    w.Put(kCBits, static_cast<uint32_t>(n));
    for (const auto& r : runs) {
      if (!tSingle) w.Put(tLen[r.symbol], tCode[r.symbol]);
      if (r.extraBits) w.Put(r.extraBits, r.extra);
    }
  }
  const bool pSingle = PutSingle(w, pFreq, kPBits);
  if (!pSingle) PutLengthTable(w, pLen, kPBits, false);
  for (const auto& c : codes) {
    if (cUsed > 1) w.Put(cLen[c.c], cCode[c.c]);
    if (c.c >= 256) {
      const int k = BitLength(c.pos);
      if (!pSingle) w.Put(pLen[k], pCode[k]);
      if (k > 1) w.Put(k - 1, c.pos & ((1u << (k - 1)) - 1));
    }
  }
}

void PutLe(std::string& s, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

uint16_t LhaCrc16(std::string_view data, uint16_t crc) {
  static const auto kTable = [] {
    std::array<uint16_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
      unsigned r = i;
      for (int k = 0; k < 8; ++k) r = (r & 1) ? (r >> 1) ^ 0xA001 : r >> 1;
      t[i] = static_cast<uint16_t>(r);
    }
    return t;
  }();
  for (unsigned char c : data) crc = static_cast<uint16_t>(kTable[(crc ^ c) & 0xFF] ^ (crc >> 8));
  return crc;
}

std::string LhaCompressLh5(std::string_view data) {
  TBitWriter w;
  std::vector<TCode> block;
  block.reserve(kBlockCodes);
  constexpr size_t kHashSize = 1 << 15;
  std::vector<int64_t> head(kHashSize, -1), prev(data.size(), -1);
  auto hashAt = [&](size_t i) {
    return ((static_cast<unsigned char>(data[i]) << 10) ^ (static_cast<unsigned char>(data[i + 1]) << 5) ^
            static_cast<unsigned char>(data[i + 2])) & (kHashSize - 1);
  };
  auto insert = [&](size_t i) {
    if (i + 2 >= data.size()) return;
    const size_t h = hashAt(i);
    prev[i] = head[h];
    head[h] = static_cast<int64_t>(i);
  };
  size_t i = 0;
  while (i < data.size()) {
    size_t bestLen = 0, bestDist = 0;
    if (i + kMinMatch <= data.size()) {
      const size_t limit = std::min(kMaxMatch, data.size() - i);
      int64_t cand = head[hashAt(i)];
      for (int chain = 0; cand >= 0 && chain < 128; ++chain, cand = prev[static_cast<size_t>(cand)]) {
        const size_t c = static_cast<size_t>(cand);
        const size_t dist = i - c;
        if (dist > kDicSize) break;
        size_t l = 0;
        while (l < limit && data[c + l] == data[i + l]) ++l;
        if (l > bestLen) {
          bestLen = l;
          bestDist = dist;
          if (l == limit) break;
        }
      }
    }
    if (bestLen >= kMinMatch) {
      block.push_back({static_cast<uint16_t>(256 + bestLen - kMinMatch), static_cast<uint16_t>(bestDist - 1)});
      for (size_t k = 0; k < bestLen; ++k) insert(i + k);
      i += bestLen;
    } else {
      block.push_back({static_cast<uint16_t>(static_cast<unsigned char>(data[i])), 0});
      insert(i);
      ++i;
    }
    if (block.size() == kBlockCodes) {
      PutBlock(w, block);
      block.clear();
    }
  }
  if (!block.empty()) PutBlock(w, block);
  return w.Finish();
}

std::string LhaArchive(const std::vector<TLhaMember>& members) {
  std::string out;
  for (const auto& m : members) {
    // folders and the name: "\" and "/" separate (by character)
    std::string folders, base;
    for (size_t i = 0; i < m.name.size();) {
      const char c = m.name[i];
      if (sjis::CharLen(m.name, i) == 2) {
        base.append(m.name, i, 2);
        i += 2;
      } else if (c == '\\' || c == '/') {
        if (!base.empty()) {
          folders += base;
          folders += '\xFF';
        }
        base.clear();
        ++i;
      } else {
        base += c;
        ++i;
      }
    }
    std::string packed = LhaCompressLh5(m.data);
    const bool stored = packed.size() >= m.data.size();
    if (stored) packed = m.data;
    std::string h;
    PutLe(h, 0, 2);  // the header's size, filled below
    h += stored ? "-lh0-" : "-lh5-";
    PutLe(h, packed.size(), 4);
    PutLe(h, m.data.size(), 4);
    PutLe(h, static_cast<uint64_t>(m.mtime), 4);
    h.push_back(0x20);  // attribute: an archived file
    h.push_back(2);     // header level
    PutLe(h, LhaCrc16(m.data), 2);
    h.push_back('M');   // names in Shift-JIS
    // the extended headers: the header's CRC, the name, the folders
    std::string ext;
    auto addExt = [&](uint8_t type, std::string_view body) {
      PutLe(ext, body.size() + 3, 2);  // the size of this one, written as the previous one's "next"
      ext.push_back(static_cast<char>(type));
      ext.append(body);
    };
    addExt(0x00, std::string(2, '\0'));
    addExt(0x01, base);
    if (!folders.empty()) addExt(0x02, folders);
    if (((h.size() + ext.size() + 2) & 0xFF) == 0) {
      // a size whose low byte is 0 would read as the end mark: the time
      // once more in its own extended header makes it longer
      std::string t;
      PutLe(t, static_cast<uint64_t>(m.mtime), 4);
      addExt(0x54, t);
    }
    PutLe(ext, 0, 2);
    h += ext;
    h[0] = static_cast<char>(h.size() & 0xFF);
    h[1] = static_cast<char>((h.size() >> 8) & 0xFF);
    // the common header's CRC covers the whole header with its own field zero
    const size_t crcAt = 24 + 2 + 1;
    const uint16_t crc = LhaCrc16(h);
    h[crcAt] = static_cast<char>(crc & 0xFF);
    h[crcAt + 1] = static_cast<char>(crc >> 8);
    out += h;
    out += packed;
  }
  out.push_back(0);
  return out;
}

}  // namespace tama::support
