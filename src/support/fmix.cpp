#include "support/fmix.h"

#include "support/fileops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "sjis/convert.h"
#include "sjis/lcmap.h"

namespace tama::support {

// ---- the key stream ----

TKeyStream::TKeyStream(uint32_t seed) {
  mt_[0] = seed & 0x7FFFFFFFu;
  for (size_t i = 1; i < mt_.size(); ++i) mt_[i] = (mt_[i - 1] & 0xFFu) * 69069u;
  index_ = mt_.size();
}

void TKeyStream::Regenerate() {
  constexpr size_t n = 624, m = 397;
  for (size_t k = 0; k < n; ++k) {
    uint32_t y = (mt_[k] & 0x80000000u) | (mt_[(k + 1) % n] & 0x7FFFFFFFu);
    mt_[k] = mt_[(k + m) % n] ^ (y >> 1) ^ ((y & 1u) ? 0x9908B0DFu : 0u);
  }
  index_ = 0;
}

uint32_t TKeyStream::Next() {
  if (index_ >= mt_.size()) Regenerate();
  uint32_t y = mt_[index_++];
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  y ^= y >> 18;
  return y;
}

void ApplyCipher(std::string& bytes, std::string_view key) {
  TKeyStream gen(kCipherSeed);
  const size_t k = key.size();
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (k) b ^= static_cast<unsigned char>(key[i % k]);
    b ^= static_cast<unsigned char>(gen.Next() >> 24);
    bytes[i] = static_cast<char>(b);
  }
}

std::string EntryNameKey(std::string_view name) { return sjis::ToUpper(name); }

// ---- the directory index ----

namespace {

size_t BucketOfName(std::string_view name) {
  unsigned sum = 0;
  for (char c : name) {
    if (c == 0) break;
    sum += static_cast<unsigned char>(c);
  }
  return sum % 1024;
}

uint32_t Le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

void PutLe32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Reads exactly n bytes at the offset; false on a short read or an error.
bool ReadAt(int fd, void* buf, size_t n, uint64_t offset) {
  auto* p = static_cast<char*>(buf);
  while (n > 0) {
    ssize_t got = pread(fd, p, n, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    p += got;
    n -= static_cast<size_t>(got);
    offset += static_cast<uint64_t>(got);
  }
  return true;
}

bool ReadWholeFd(int fd, std::string& out) {
  out.clear();
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) out.reserve(static_cast<size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    ssize_t got = read(fd, buf, sizeof buf);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    out.append(buf, static_cast<size_t>(got));
  }
}

std::string ReadWriteMessage(std::string_view name) {
  return "ファイル\"" + std::string(name) + "\"の、読み込みか書き込みに、失敗しました。";
}

std::string Header(size_t n, uint32_t total) {
  std::string h(kFileMixMagic);
  h += static_cast<char>(1);
  h += static_cast<char>(n & 0xFF);
  h += static_cast<char>((n >> 8) & 0xFF);
  PutLe32(h, total);
  return h;
}

std::string Record(const std::string& key, uint32_t offset, uint32_t size, int flag) {
  std::string r(256, '\0');
  std::memcpy(r.data(), key.data(), std::min<size_t>(key.size(), 255));
  PutLe32(r, offset);
  PutLe32(r, size);
  r += static_cast<char>(flag);
  return r;
}

}  // namespace

THash_2::THash_2() : buckets_(1024) {}

void THash_2::Add(TFileMixEntry e) {
  auto& bucket = buckets_[BucketOfName(e.name)];
  for (auto& old : bucket) {
    if (old.name == e.name) {
      old = std::move(e);
      return;
    }
  }
  bucket.push_back(std::move(e));
  ++count_;
}

const TFileMixEntry* THash_2::Find(std::string_view exactName) const {
  for (const auto& e : buckets_[BucketOfName(exactName)])
    if (e.name == exactName) return &e;
  return nullptr;
}

// ---- the reader ----

TFileMixReader::TFileMixReader(const std::string& nativePath, uint64_t base, uint64_t length, std::string displayName)
    : base_(base), path_(nativePath), display_(std::move(displayName)) {
  if (display_.empty()) display_ = sjis::Utf8ToSjisLossy(nativePath);
  fd_ = open(nativePath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) throw EFileMix(ReadWriteMessage(display_));
  struct stat st;
  if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) Malformed();
  const uint64_t fileSize = static_cast<uint64_t>(st.st_size);
  if (base_ > fileSize) Malformed();
  length_ = length == 0 ? fileSize - base_ : length;
  if (length_ > fileSize - base_) Malformed();
  unsigned char h[kFileMixHeaderSize];
  if (length_ < kFileMixHeaderSize || !ReadAt(fd_, h, sizeof h, base_) ||
      std::memcmp(h, kFileMixMagic.data(), 4) != 0)
    Malformed();
  const size_t n = static_cast<size_t>(h[5]) | static_cast<size_t>(h[6]) << 8;
  const uint64_t dirEnd = kFileMixHeaderSize + kFileMixRecordSize * static_cast<uint64_t>(n);
  if (dirEnd > length_) Malformed();
  std::string dir(kFileMixRecordSize * n, '\0');
  if (n && !ReadAt(fd_, dir.data(), dir.size(), base_ + kFileMixHeaderSize)) Malformed();
  for (size_t i = 0; i < n; ++i) {
    const auto* r = reinterpret_cast<const unsigned char*>(dir.data() + i * kFileMixRecordSize);
    size_t len = 0;
    while (len < 256 && r[len] != 0) ++len;
    TFileMixEntry e;
    e.name.assign(reinterpret_cast<const char*>(r), len);
    e.offset = Le32(r + 256);
    e.size = Le32(r + 260);
    e.flag = r[264];
    if (static_cast<uint64_t>(e.offset) + e.size > length_) Malformed();
    index_.Add(std::move(e));
  }
}

TFileMixReader::~TFileMixReader() {
  if (fd_ >= 0) close(fd_);
}

void TFileMixReader::Malformed() const {
  if (fd_ >= 0) close(fd_);
  throw EFileMix("\"" + display_ + "\"は、TFileMixHeaderでは形式が違うため読めません。");
}

const TFileMixEntry* TFileMixReader::Find(std::string_view name) const { return index_.Find(EntryNameKey(name)); }

bool TFileMixReader::Extract(std::string_view name, std::string& out) const {
  const TFileMixEntry* e = Find(name);
  if (!e) return false;
  std::string bytes(e->size, '\0');
  if (e->size && !ReadAt(fd_, bytes.data(), bytes.size(), base_ + e->offset)) return false;
  if (e->flag == 1) ApplyCipher(bytes, kEntryKey);
  out = std::move(bytes);
  return true;
}

bool TFileMixReader::ExtractText(std::string_view name, std::string& out) const {
  if (!Extract(name, out)) return false;
  size_t z = out.find('\0');
  if (z != std::string::npos) out.resize(z);
  return true;
}

bool TFileMixReader::ExtractToFile(std::string_view name, const std::string& nativePath) const {
  std::string bytes;
  if (!Extract(name, bytes)) return false;
  int fd = open(nativePath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes.data(), bytes.size());
  if (close(fd) != 0) ok = false;
  if (!ok) unlink(nativePath.c_str());
  return ok;
}

bool TFileMixReader::CopyContainer(const std::string& nativePath) const {
  int fd = open(nativePath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = true;
  char buf[65536];
  for (uint64_t done = 0; ok && done < length_;) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(sizeof buf, length_ - done));
    ok = ReadAt(fd_, buf, n, base_ + done) && WriteAll(fd, buf, n);
    done += n;
  }
  if (close(fd) != 0) ok = false;
  if (!ok) unlink(nativePath.c_str());
  return ok;
}

// ---- the writer ----

TFileMixLine ParseFileMixLine(std::string_view line) {
  TFileMixLine out;
  size_t eq = line.find('=');
  if (eq == std::string_view::npos) {
    out.source = line;
    return out;
  }
  out.source = line.substr(0, eq);
  std::string_view rest = line.substr(eq + 1);
  size_t eq2 = rest.find('=');
  if (eq2 == std::string_view::npos) {
    out.name = rest;
  } else {
    out.name = rest.substr(0, eq2);
    out.flagText = rest.substr(eq2 + 1);
  }
  return out;
}

void TFileMixWriter::Write(const std::string& destNative, std::string_view destDisplay) const {
  const size_t n = entries.size();
  if (n > 65535) throw EFileMix("ファイル合成できるファイルは65535個までです。");
  std::vector<std::string> keys;
  keys.reserve(n);
  for (const auto& e : entries) {
    if (e.flag < 0 || e.flag > 255) throw EFileMix("\"" + e.displayName + "\"のフラグが範囲外です。");
    keys.push_back(EntryNameKey(e.name));
    if (keys.back().size() > 255) throw EFileMix("\"" + e.name + "\"は、名前が長すぎて合成できません。");
  }
  struct stat dst;
  if (stat(destNative.c_str(), &dst) == 0) {
    for (const auto& e : entries) {
      struct stat src;
      if (stat(e.nativePath.c_str(), &src) == 0 && src.st_dev == dst.st_dev && src.st_ino == dst.st_ino)
        throw EFileMix("\"" + std::string(destDisplay) + "\"は、合成する元のファイルです。");
    }
  }
  std::string tmp = destNative + ".XXXXXX";
  int fd = mkstemp(tmp.data());
  if (fd < 0) throw std::runtime_error(ReadWriteMessage(destDisplay));
  auto fail = [&](std::runtime_error err) {
    close(fd);
    unlink(tmp.c_str());
    throw err;
  };
  std::string head = Header(n, 0);
  head.append(kFileMixRecordSize * n, '\0');
  if (!WriteAll(fd, head.data(), head.size())) fail(std::runtime_error(ReadWriteMessage(destDisplay)));
  uint64_t offset = head.size();
  for (size_t i = 0; i < n; ++i) {
    const auto& e = entries[i];
    std::string bytes;
    int in = open(e.nativePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) fail(std::runtime_error(ReadWriteMessage(e.displayName)));
    bool ok = ReadWholeFd(in, bytes);
    close(in);
    if (!ok) fail(std::runtime_error(ReadWriteMessage(e.displayName)));
    if (bytes.size() > 0x7FFFFFFFu) fail(EFileMix("\"" + e.displayName + "\"は、大きすぎて合成できません。"));
    if (offset + bytes.size() > 0xFFFFFFFFu) fail(EFileMix("合成するファイルの合計が大きすぎます。"));
    if (e.flag == 1) ApplyCipher(bytes, kEntryKey);
    std::string rec = Record(keys[i], static_cast<uint32_t>(offset), static_cast<uint32_t>(bytes.size()), e.flag);
    if (pwrite(fd, rec.data(), rec.size(), static_cast<off_t>(kFileMixHeaderSize + kFileMixRecordSize * i)) !=
            static_cast<ssize_t>(rec.size()) ||
        lseek(fd, static_cast<off_t>(offset), SEEK_SET) < 0 || !WriteAll(fd, bytes.data(), bytes.size()))
      fail(std::runtime_error(ReadWriteMessage(destDisplay)));
    offset += bytes.size();
  }
  std::string total = Header(n, static_cast<uint32_t>(offset));
  if (pwrite(fd, total.data(), total.size(), 0) != static_cast<ssize_t>(total.size()))
    fail(std::runtime_error(ReadWriteMessage(destDisplay)));
  // the file gets the permissions a newly created file would have
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  if (close(fd) != 0) {
    unlink(tmp.c_str());
    throw std::runtime_error(ReadWriteMessage(destDisplay));
  }
  if (rename(tmp.c_str(), destNative.c_str()) != 0) {
    unlink(tmp.c_str());
    throw std::runtime_error(ReadWriteMessage(destDisplay));
  }
}

std::string BuildFileMix(const std::vector<TFileMixItem>& entries) {
  const size_t n = entries.size();
  if (n > 65535) throw EFileMix("ファイル合成できるファイルは65535個までです。");
  std::string dir, data;
  uint64_t offset = kFileMixHeaderSize + kFileMixRecordSize * n;
  for (const auto& e : entries) {
    std::string key = EntryNameKey(e.name);
    if (key.size() > 255) throw EFileMix("\"" + e.name + "\"は、名前が長すぎて合成できません。");
    if (e.flag < 0 || e.flag > 255) throw EFileMix("\"" + e.name + "\"のフラグが範囲外です。");
    std::string bytes = e.bytes;
    if (e.flag == 1) ApplyCipher(bytes, kEntryKey);
    if (offset + bytes.size() > 0xFFFFFFFFu) throw EFileMix("合成するファイルの合計が大きすぎます。");
    dir += Record(key, static_cast<uint32_t>(offset), static_cast<uint32_t>(bytes.size()), e.flag);
    offset += bytes.size();
    data += bytes;
  }
  return Header(n, static_cast<uint32_t>(offset)) + dir + data;
}

// ---- enciphered whole files ----

std::string EncipherFile(std::string_view value) {
  if (value.empty()) return {};
  std::string content;
  content.reserve(value.size() + 4);
  PutLe32(content, static_cast<uint32_t>(value.size()));
  content.append(value);
  ApplyCipher(content, kFileKey);
  return content;
}

bool DecipherFile(std::string content, std::string& value) {
  if (content.empty()) {
    value.clear();
    return true;
  }
  if (content.size() < 4) return false;
  ApplyCipher(content, kFileKey);
  uint32_t len = Le32(reinterpret_cast<const unsigned char*>(content.data()));
  if (len > content.size() - 4) return false;
  value.assign(content, 4, len);
  return true;
}

// ---- containers inside executables ----

namespace {

uint64_t ReadUnsigned(const unsigned char* p, size_t width, bool little) {
  uint64_t v = 0;
  for (size_t i = 0; i < width; ++i) {
    size_t k = little ? width - 1 - i : i;
    v = (v << 8) | p[k];
  }
  return v;
}

bool MagicAt(int fd, uint64_t offset, uint64_t fileSize) {
  char m[4];
  return offset + 4 <= fileSize && ReadAt(fd, m, 4, offset) && std::memcmp(m, kFileMixMagic.data(), 4) == 0;
}

// The end of an ELF image: the furthest byte any header, segment or section
// with file content reaches. 0 when the file is no ELF image or is malformed.
uint64_t ElfImageEnd(int fd, uint64_t fileSize) {
  unsigned char h[64];
  if (fileSize < 52 || !ReadAt(fd, h, std::min<uint64_t>(64, fileSize), 0)) return 0;
  if (std::memcmp(h, "\x7F" "ELF", 4) != 0) return 0;
  const bool is64 = h[4] == 2;
  if (!is64 && h[4] != 1) return 0;
  if (is64 && fileSize < 64) return 0;
  const bool le = h[5] == 1;
  if (!le && h[5] != 2) return 0;
  auto rd = [&](const unsigned char* p, size_t w) { return ReadUnsigned(p, w, le); };
  const size_t word = is64 ? 8 : 4;
  uint64_t phoff = rd(h + (is64 ? 0x20 : 0x1C), word);
  uint64_t shoff = rd(h + (is64 ? 0x28 : 0x20), word);
  uint64_t ehsize = rd(h + (is64 ? 0x34 : 0x28), 2);
  uint64_t phentsize = rd(h + (is64 ? 0x36 : 0x2A), 2);
  uint64_t phnum = rd(h + (is64 ? 0x38 : 0x2C), 2);
  uint64_t shentsize = rd(h + (is64 ? 0x3A : 0x2E), 2);
  uint64_t shnum = rd(h + (is64 ? 0x3C : 0x30), 2);
  uint64_t end = ehsize;
  auto reach = [&](uint64_t off, uint64_t len) -> bool {
    if (off > fileSize || len > fileSize - off) return false;
    end = std::max(end, off + len);
    return true;
  };
  std::vector<unsigned char> buf;
  if (phnum) {
    if (phentsize < (is64 ? 56u : 32u) || !reach(phoff, phnum * phentsize)) return 0;
    buf.resize(phnum * phentsize);
    if (!ReadAt(fd, buf.data(), buf.size(), phoff)) return 0;
    for (uint64_t i = 0; i < phnum; ++i) {
      const unsigned char* p = buf.data() + i * phentsize;
      uint64_t off = rd(p + (is64 ? 0x08 : 0x04), word);
      uint64_t filesz = rd(p + (is64 ? 0x20 : 0x10), word);
      if (filesz && !reach(off, filesz)) return 0;
    }
  }
  if (shoff) {
    const uint64_t minEnt = is64 ? 64 : 40;
    if (shentsize < minEnt) return 0;
    if (shnum == 0) {
      // the count lives in section 0
      unsigned char s0[64];
      if (!reach(shoff, shentsize) || !ReadAt(fd, s0, minEnt, shoff)) return 0;
      shnum = rd(s0 + (is64 ? 0x20 : 0x14), word);
    }
    if (shnum > fileSize / shentsize || !reach(shoff, shnum * shentsize)) return 0;
    buf.resize(shnum * shentsize);
    if (!ReadAt(fd, buf.data(), buf.size(), shoff)) return 0;
    for (uint64_t i = 0; i < shnum; ++i) {
      const unsigned char* p = buf.data() + i * shentsize;
      uint64_t type = rd(p + 4, 4);
      if (type == 8) continue;  // no bits in the file
      uint64_t off = rd(p + (is64 ? 0x18 : 0x10), word);
      uint64_t size = rd(p + (is64 ? 0x20 : 0x14), word);
      if (size && !reach(off, size)) return 0;
    }
  }
  return end;
}

// The first "fMix" at or after the offset; fileSize when there is none.
uint64_t ScanForMagic(int fd, uint64_t from, uint64_t fileSize) {
  std::string buf(65536 + 3, '\0');
  while (from + 4 <= fileSize) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(buf.size(), fileSize - from));
    if (!ReadAt(fd, buf.data(), n, from)) return fileSize;
    size_t at = std::string_view(buf.data(), n).find(kFileMixMagic);
    if (at != std::string_view::npos) return from + at;
    if (n < buf.size()) break;
    from += n - 3;
  }
  return fileSize;
}

// The trailing data of a PE image: the first "fMix" after the last section.
bool PeContainer(int fd, uint64_t fileSize, TContainerPlace& place) {
  unsigned char b[2];
  if (fileSize < 64 || !ReadAt(fd, b, 2, 0) || (b[0] != 'M' && b[0] != 'm')) return false;
  if (!ReadAt(fd, b, 2, 60)) return false;
  const uint64_t header = static_cast<uint64_t>(b[0]) | static_cast<uint64_t>(b[1]) << 8;
  unsigned char count;
  if (!ReadAt(fd, &count, 1, header + 6) || count == 0) return false;
  unsigned char entry[8];
  if (!ReadAt(fd, entry, 8, header + 248 + (count - 1u) * 40u + 16)) return false;
  const uint64_t start = static_cast<uint64_t>(Le32(entry)) + Le32(entry + 4);
  if (start >= fileSize) return false;
  uint64_t at = ScanForMagic(fd, start, fileSize);
  if (at >= fileSize) return false;
  place.offset = at;
  place.length = fileSize - at;
  return true;
}

}  // namespace

bool ReadOverlay(const std::string& nativePath, TContainerPlace& place) {
  int fd = open(nativePath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool found = false;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    unsigned char t[kTrailerSize];
    if (size >= kTrailerSize + kFileMixHeaderSize && ReadAt(fd, t, kTrailerSize, size - kTrailerSize) &&
        std::memcmp(t + 8, kTrailerMagic.data(), 8) == 0) {
      uint64_t off = ReadUnsigned(t, 8, true);
      if (off + kFileMixHeaderSize <= size - kTrailerSize && MagicAt(fd, off, size)) {
        place.offset = off;
        place.length = size - kTrailerSize - off;
        found = true;
      }
    }
    if (!found) {
      uint64_t end = ElfImageEnd(fd, size);
      if (end && end < size && MagicAt(fd, end, size)) {
        place.offset = end;
        place.length = size - end;
        found = true;
      }
    }
    if (!found) found = PeContainer(fd, size, place);
  }
  close(fd);
  return found;
}

std::string ContainerTrailer(uint64_t offset) {
  std::string t;
  for (int i = 0; i < 8; ++i) t += static_cast<char>((offset >> (8 * i)) & 0xFF);
  t += kTrailerMagic;
  return t;
}

}  // namespace tama::support
