// A stream over a named block of memory shared between processes. The name
// is a program's text (Shift-JIS); the block is the POSIX shared-memory object
// "/tamakazu-" followed by the name's bytes in hexadecimal.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tama::support {

// The block cannot be opened ("<name>を開けません。"), or a write would leave
// it ("共有メモリを逸脱した書き込み").
class ESharedMemory : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TCommonMemoryStream {
 public:
  // Opens the block of that name, creating it with `size` zero bytes when
  // `create` is set and it does not exist. The process that created a block
  // removes its name when it frees the stream.
  TCommonMemoryStream(std::string_view name, size_t size, bool create);
  ~TCommonMemoryStream();
  TCommonMemoryStream(const TCommonMemoryStream&) = delete;
  TCommonMemoryStream& operator=(const TCommonMemoryStream&) = delete;

  // Copies up to n bytes from the position; 0 when the position or n is
  // negative or the position is at or beyond the end.
  int64_t Read(void* out, int64_t n);
  // Copies n bytes to the position; 0 when the position or n is negative or
  // position + n <= 0; raises ESharedMemory when the bytes would pass the end.
  int64_t Write(const void* in, int64_t n);
  // origin 0 from the start, 1 from the position, 2 from the end; no range check.
  int64_t Seek(int64_t offset, int origin);
  size_t Size() const { return size_; }
  // The system name of the block.
  const std::string& Name() const { return sysName_; }

  // The system name of a block.
  static std::string SystemName(std::string_view name);

 private:
  unsigned char* view_ = nullptr;
  size_t size_ = 0;
  int64_t pos_ = 0;
  std::string sysName_;
  bool created_ = false;
};

}  // namespace tama::support
