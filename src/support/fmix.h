// The packed file container ("fMix"), its directory index, the stream cipher
// with its own generator, the enciphered whole-file format, and the places
// where a container can sit inside an executable.
//
// Container layout (little-endian): "fMix", version byte 1, 16-bit entry
// count n, 32-bit total size; n directory records of 265 bytes (256-byte
// upper-cased name, zero-filled; 32-bit offset from the container start;
// 32-bit size; flag byte, 1 = enciphered with the entry key); then the data
// of the entries in order.
//
// The cipher keeps text from being read at a glance; it is no protection,
// since the keys travel with the run-time.
#pragma once
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tama::support {

// A file that is not a container, or one whose directory points outside it;
// also the range faults of the writer. The message is the bare text for the user.
class EFileMix : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr std::string_view kFileMixMagic = "fMix";
inline constexpr size_t kFileMixHeaderSize = 11;
inline constexpr size_t kFileMixRecordSize = 265;
// The key of entries with flag 1, and the key of enciphered whole files.
inline constexpr std::string_view kEntryKey = "#ほし%ゆきみ*+-=";
inline constexpr std::string_view kFileKey = "海山2bcdef7#%5空86星ghとk?*雲";
inline constexpr uint32_t kCipherSeed = 1813;

// The generator of the key stream: 624 words of the twisted recurrence with
// the container's own seeding (word 0 := seed AND 0x7FFFFFFF, word i :=
// (word i-1 AND 0xFF) * 69069); the first output regenerates all words.
class TKeyStream {
 public:
  explicit TKeyStream(uint32_t seed);
  uint32_t Next();

 private:
  void Regenerate();
  std::array<uint32_t, 624> mt_{};
  size_t index_ = 624;
};

// Enciphers or deciphers the bytes in place (the same operation both ways):
// each byte XOR the key byte, XOR the top 8 bits of the next generator output,
// the generator freshly seeded with 1813.
void ApplyCipher(std::string& bytes, std::string_view key);

// A block of bytes enciphered or deciphered in place; every block starts the
// key stream afresh.
class TCipher {
 public:
  explicit TCipher(std::string bytes = {}) : bytes_(std::move(bytes)) {}
  void Apply(std::string_view key) { ApplyCipher(bytes_, key); }
  std::string& Bytes() { return bytes_; }

 private:
  std::string bytes_;
};

// The upper-cased form of an entry name (ASCII and full-width letters, Greek
// and Cyrillic; trail bytes stay), cut at a zero byte.
std::string EntryNameKey(std::string_view name);

struct TFileMixEntry {
  std::string name;  // as stored (upper-cased by the writer)
  uint32_t offset = 0;
  uint32_t size = 0;
  uint8_t flag = 0;
};

// The directory index: 1024 buckets by the byte sum of the name; a name added
// twice replaces the earlier record.
class THash_2 {
 public:
  THash_2();
  void Add(TFileMixEntry e);
  const TFileMixEntry* Find(std::string_view exactName) const;
  size_t Count() const { return count_; }

 private:
  std::vector<std::vector<TFileMixEntry>> buckets_;
  size_t count_ = 0;
};

// An open container. `base` is where the container begins inside the file
// and `length` how many bytes it spans (0: to the end of the file). Offsets,
// sizes and the directory are checked against the span when it is opened.
// Raises EFileMix "\"%s\"は、TFileMixHeaderでは形式が違うため読めません。" for a
// file that is not a container or does not hold what its directory says;
// `displayName` (Shift-JIS) is the %s, the native path when empty.
class TFileMixReader {
 public:
  explicit TFileMixReader(const std::string& nativePath, uint64_t base = 0, uint64_t length = 0,
                          std::string displayName = {});
  ~TFileMixReader();
  TFileMixReader(const TFileMixReader&) = delete;
  TFileMixReader& operator=(const TFileMixReader&) = delete;

  // Looks the name up after upper-casing it.
  const TFileMixEntry* Find(std::string_view name) const;
  // The entry's bytes, deciphered when its flag is 1; false when absent or unreadable.
  bool Extract(std::string_view name, std::string& out) const;
  // The bytes cut at their first zero byte.
  bool ExtractText(std::string_view name, std::string& out) const;
  // Extract, then write the bytes to a new file (created exclusively, mode
  // 0600); false when absent or when the file cannot be made.
  bool ExtractToFile(std::string_view name, const std::string& nativePath) const;
  // Copies the whole container to the file; false on failure.
  bool CopyContainer(const std::string& nativePath) const;

  size_t Count() const { return index_.Count(); }
  const std::string& NativePath() const { return path_; }

 private:
  [[noreturn]] void Malformed() const;
  int fd_ = -1;
  uint64_t base_ = 0, length_ = 0;
  std::string path_, display_;
  THash_2 index_;
};

// One line of a writer's list: source path "=" entry name "=" flag. A line
// without "=" is all source; a missing flag counts as 0.
struct TFileMixLine {
  std::string source, name, flagText;
};
TFileMixLine ParseFileMixLine(std::string_view line);

// One entry to write: the native path of its source, its name (upper-cased
// when written) and its flag (1 enciphers).
struct TFileMixSource {
  std::string nativePath;
  std::string displayName;  // Shift-JIS, for messages
  std::string name;
  int flag = 0;
};

// The writer of containers: the entries in order. Write puts the data in a
// temporary file beside the
// destination that replaces it only when everything has been written, so a
// failure leaves no partial container and a source is never truncated
// before it is read. Raises EFileMix for more than 65535 entries, a flag
// outside a byte, a name longer than 255 bytes, an entry larger than 2 GiB
// and a destination that is one of the sources; std::runtime_error with
// "ファイル\"%s\"の、読み込みか書き込みに、失敗しました。" when a file cannot be
// read or written.
class TFileMixWriter {
 public:
  std::vector<TFileMixSource> entries;
  void Write(const std::string& destNative, std::string_view destDisplay) const;
};
// The container in memory (the same layout) from names, bytes and flags.
struct TFileMixItem {
  std::string name;
  std::string bytes;
  int flag = 0;
};
std::string BuildFileMix(const std::vector<TFileMixItem>& entries);

// The enciphered whole-file format: a 4-byte little-endian length followed
// by the bytes, all enciphered with kFileKey; an empty value is an empty file.
std::string EncipherFile(std::string_view value);
// False when the content is not such a file (the length does not fit).
bool DecipherFile(std::string content, std::string& value);

// Where a container sits inside an executable: after a trailer of the
// packer (8-byte little-endian offset + "TMKFMIX1") at the end of the file,
// else at the end of an ELF image, else at the first "fMix" after the last
// section of a PE image. False when the file holds none of these.
inline constexpr std::string_view kTrailerMagic = "TMKFMIX1";
inline constexpr size_t kTrailerSize = 16;
struct TContainerPlace {
  uint64_t offset = 0;
  uint64_t length = 0;
};
bool ReadOverlay(const std::string& nativePath, TContainerPlace& place);
// The 16-byte trailer that marks a container at `offset` of the file.
std::string ContainerTrailer(uint64_t offset);

}  // namespace tama::support
