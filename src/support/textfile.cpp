#include "support/textfile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "sjis/sjis.h"

namespace tama::support {

namespace {

[[noreturn]] void Fail(const char* what) { throw EStreamError(std::string(what) + ": " + std::strerror(errno)); }

void WriteAllAt(int fd, const char* p, size_t n, int64_t at) {
  while (n > 0) {
    ssize_t put = pwrite(fd, p, n, static_cast<off_t>(at));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) Fail("write");
    p += put;
    n -= static_cast<size_t>(put);
    at += put;
  }
}

}  // namespace

std::unique_ptr<TTextFileStream> TTextFileStream::Open(const std::string& nativePath, int mode) {
  int flags = O_CLOEXEC;
  if (mode == kModeCreate) {
    flags |= O_RDWR | O_CREAT | O_TRUNC;
  } else {
    switch (mode & 3) {
      case kModeRead: flags |= O_RDONLY; break;
      case kModeWrite: flags |= O_WRONLY; break;
      case kModeReadWrite: flags |= O_RDWR; break;
      default: errno = EINVAL; return nullptr;
    }
  }
  int fd = open(nativePath.c_str(), flags, 0666);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    errno = EISDIR;
    return nullptr;
  }
  if (mode != kModeCreate && (mode & 0xF0) == 16 && flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int e = errno;
    close(fd);
    errno = e;
    return nullptr;
  }
  return std::unique_ptr<TTextFileStream>(new TTextFileStream(fd));
}

TTextFileStream::~TTextFileStream() { close(fd_); }

int64_t TTextFileStream::Size() const {
  struct stat st;
  if (fstat(fd_, &st) != 0) Fail("stat");
  return static_cast<int64_t>(st.st_size);
}

bool TTextFileStream::Fill() {
  for (;;) {
    ssize_t got = pread(fd_, buf_, kBufferSize, static_cast<off_t>(real_));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Fail("read");
    cur_ = 0;
    end_ = static_cast<size_t>(got);
    real_ += got;
    return got > 0;
  }
}

std::string TTextFileStream::ReadLine() {
  std::string line;
  atEnd_ = false;
  for (;;) {
    if (cur_ == end_ && !Fill()) {
      atEnd_ = true;
      break;
    }
    char c = buf_[cur_++];
    if (c == '\n' || c == '\0') break;
    if (c == '\r') {
      if (cur_ == end_ && !Fill()) {
        atEnd_ = true;
        break;
      }
      if (buf_[cur_] == '\n') ++cur_;
      break;
    }
    line += c;
    if (sjis::IsLead(c)) {
      if (cur_ == end_ && !Fill()) {
        atEnd_ = true;
        break;
      }
      line += buf_[cur_++];
    }
  }
  if (!atEnd_) logical_ = real_ - static_cast<int64_t>(end_ - cur_);
  return line;
}

void TTextFileStream::WriteLine(std::string_view text) {
  int64_t at = atEnd_ ? Size() : logical_;
  std::string bytes;
  bytes.reserve(text.size() + 2);
  bytes.append(text);
  bytes += "\r\n";
  WriteAllAt(fd_, bytes.data(), bytes.size(), at);
  logical_ = at + static_cast<int64_t>(bytes.size());
  atEnd_ = false;
  real_ = logical_;
  cur_ = end_ = 0;
}

bool TTextFileStream::AtEnd() { return atEnd_ ? real_ >= Size() : logical_ >= Size(); }

void TTextFileStream::MoveTo(int64_t offset) {
  if (offset < 0) offset = 0;
  logical_ = real_ = offset;
  atEnd_ = false;
  cur_ = end_ = 0;
}

void TTextFileStream::MoveToEnd() { MoveTo(Size()); }

void TTextFileStream::WriteBytes(std::string_view bytes) {
  WriteAllAt(fd_, bytes.data(), bytes.size(), real_);
  real_ += static_cast<int64_t>(bytes.size());
}

std::string TTextFileStream::ReadBytes(size_t n) {
  std::string out(n, '\0');
  size_t done = 0;
  while (done < n) {
    ssize_t got = pread(fd_, out.data() + done, n - done, static_cast<off_t>(real_));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Fail("read");
    if (got == 0) break;
    done += static_cast<size_t>(got);
    real_ += got;
  }
  return out;
}

}  // namespace tama::support
