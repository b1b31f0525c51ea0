// A file opened for line-by-line and binary access (the stream behind a file
// handle of a program). Line reads go through a 4096-byte buffer; the logical
// position is the file offset just after the last byte a line read consumed
// or a move set, and the real position is where the next buffer fill or
// binary access happens.
#pragma once
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tama::support {

// A failed read or write of an open stream.
class EStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TTextFileStream {
 public:
  static constexpr size_t kBufferSize = 4096;
  // Open modes: 0 read, 1 write, 2 read-write, 65535 create (or replace);
  // a share flag may be added (16 exclusive, 32 deny write, 48 deny read, 64
  // deny none). Exclusive takes an advisory lock; the others are not enforced.
  static constexpr int kModeRead = 0, kModeWrite = 1, kModeReadWrite = 2, kModeCreate = 65535;

  // Opens the file; nullptr when it cannot be opened (errno tells why).
  static std::unique_ptr<TTextFileStream> Open(const std::string& nativePath, int mode);
  ~TTextFileStream();
  TTextFileStream(const TTextFileStream&) = delete;
  TTextFileStream& operator=(const TTextFileStream&) = delete;

  // The next line: CR, LF and CR LF end it and are consumed, a zero byte ends
  // it (and is consumed), the end of the file ends it. A double-byte
  // character is taken whole even across a buffer fill.
  std::string ReadLine();
  // Writes the text and CR LF at the logical position (at the end of the file
  // after a line read that reached it), overwriting; the logical position
  // moves past them and the buffer is emptied.
  void WriteLine(std::string_view text);
  // The logical position has reached the end of the file.
  bool AtEnd();
  // Logical and real position := the offset; the buffer is emptied.
  void MoveTo(int64_t offset);
  void MoveToEnd();
  // Writes the bytes at the real position, which then moves past them.
  void WriteBytes(std::string_view bytes);
  // n bytes read at the real position; bytes beyond the end of the file are zero.
  std::string ReadBytes(size_t n);

  int64_t Size() const;
  // The logical position; -1 after a line read reached the end of the file.
  int64_t LogicalPosition() const { return atEnd_ ? -1 : logical_; }
  int64_t RealPosition() const { return real_; }

 private:
  explicit TTextFileStream(int fd) : fd_(fd) {}
  bool Fill();  // false at the end of the file
  int fd_;
  char buf_[kBufferSize];
  size_t cur_ = 0, end_ = 0;
  int64_t logical_ = 0;
  bool atEnd_ = false;  // a line read reached the end of the file: the logical position is not known
  int64_t real_ = 0;
};

}  // namespace tama::support
