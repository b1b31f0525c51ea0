#include "support/shared_memory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tama::support {

std::string TCommonMemoryStream::SystemName(std::string_view name) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "/tamakazu-";
  if (name.size() <= 100) {
    for (unsigned char c : name) {
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
    return out;
  }
  // a long name: its length and a 64-bit FNV-1a digest keep the system name short
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : name) {
    h ^= c;
    h *= 1099511628211ull;
  }
  out += "h" + std::to_string(name.size()) + "-";
  for (int i = 15; i >= 0; --i) out += kHex[(h >> (4 * i)) & 15];
  return out;
}

TCommonMemoryStream::TCommonMemoryStream(std::string_view name, size_t size, bool create)
    : size_(size), sysName_(SystemName(name)) {
  const std::string failure = std::string(name) + "を開けません。";
  int fd = -1;
  if (create) {
    fd = shm_open(sysName_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      created_ = true;
      if (ftruncate(fd, static_cast<off_t>(size)) != 0) {
        close(fd);
        shm_unlink(sysName_.c_str());
        throw ESharedMemory(failure);
      }
    }
  }
  if (fd < 0) fd = shm_open(sysName_.c_str(), O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) throw ESharedMemory(failure);
  struct stat st;
  if (fstat(fd, &st) != 0 || static_cast<uint64_t>(st.st_size) < size) {
    // a block made smaller by someone else is grown to the size asked for
    if (ftruncate(fd, static_cast<off_t>(size)) != 0) {
      close(fd);
      if (created_) shm_unlink(sysName_.c_str());
      throw ESharedMemory(failure);
    }
  }
  void* p = size ? mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) : nullptr;
  close(fd);
  if (p == MAP_FAILED) {
    if (created_) shm_unlink(sysName_.c_str());
    throw ESharedMemory(failure);
  }
  view_ = static_cast<unsigned char*>(p);
}

TCommonMemoryStream::~TCommonMemoryStream() {
  if (view_) munmap(view_, size_);
  if (created_) shm_unlink(sysName_.c_str());
}

int64_t TCommonMemoryStream::Read(void* out, int64_t n) {
  if (pos_ < 0 || n < 0 || pos_ >= static_cast<int64_t>(size_)) return 0;
  int64_t count = std::min<int64_t>(n, static_cast<int64_t>(size_) - pos_);
  std::memcpy(out, view_ + pos_, static_cast<size_t>(count));
  pos_ += count;
  return count;
}

int64_t TCommonMemoryStream::Write(const void* in, int64_t n) {
  if (pos_ < 0 || n < 0 || pos_ + n <= 0) return 0;
  if (pos_ + n > static_cast<int64_t>(size_)) throw ESharedMemory("共有メモリを逸脱した書き込み");
  std::memcpy(view_ + pos_, in, static_cast<size_t>(n));
  pos_ += n;
  return n;
}

int64_t TCommonMemoryStream::Seek(int64_t offset, int origin) {
  switch (origin) {
    case 0: pos_ = offset; break;
    case 1: pos_ += offset; break;
    default: pos_ = static_cast<int64_t>(size_) + offset; break;
  }
  return pos_;
}

}  // namespace tama::support
