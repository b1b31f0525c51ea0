#include "support/textfile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "support/shared_memory.h"

namespace tama::support {
namespace {

// A literal with its zero bytes.
template <size_t N>
std::string Bytes(const char (&s)[N]) {
  return std::string(s, N - 1);
}

class TextFile : public ::testing::Test {
 protected:
  TextFile() {
    std::string t = "/tmp/textfile_test_XXXXXX";
    dir_ = mkdtemp(t.data());
    path_ = dir_ + "/f.txt";
  }
  ~TextFile() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::unique_ptr<TTextFileStream> OpenWith(const std::string& bytes, int mode = TTextFileStream::kModeReadWrite) {
    std::ofstream(path_, std::ios::binary) << bytes;
    auto s = TTextFileStream::Open(path_, mode);
    EXPECT_TRUE(s);
    return s;
  }
  std::string Content() {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::string dir_, path_;
};

TEST_F(TextFile, LineEndsAndZeroBytes) {
  auto s = OpenWith(Bytes("a\r\nb\rc\nd\0e\r\n\r\nlast"));
  const char* want[] = {"a", "b", "c", "d", "e", "", "last"};
  for (const char* w : want) EXPECT_EQ(s->ReadLine(), w);
  EXPECT_TRUE(s->AtEnd());
  EXPECT_EQ(s->ReadLine(), "");
}

TEST_F(TextFile, ThreeLinesThenAWriteAtTheEnd) {
  auto s = OpenWith("one\r\ntwo\r\nthree");
  EXPECT_FALSE(s->AtEnd());
  EXPECT_EQ(s->ReadLine(), "one");
  EXPECT_EQ(s->LogicalPosition(), 5);
  EXPECT_EQ(s->ReadLine(), "two");
  EXPECT_EQ(s->LogicalPosition(), 10);
  EXPECT_FALSE(s->AtEnd());
  EXPECT_EQ(s->ReadLine(), "three");
  EXPECT_EQ(s->LogicalPosition(), -1);  // the read reached the end
  EXPECT_TRUE(s->AtEnd());
  s->WriteLine("four");
  EXPECT_EQ(Content(), "one\r\ntwo\r\nthreefour\r\n");
  EXPECT_TRUE(s->AtEnd());
}

TEST_F(TextFile, WritesOverwriteAtTheLogicalPosition) {
  auto s = OpenWith("0123456789abcdef");
  s->MoveTo(5);
  s->WriteLine("XY");
  EXPECT_EQ(Content(), "01234XY\r\n9abcdef");
  EXPECT_EQ(s->LogicalPosition(), 9);
  EXPECT_EQ(s->ReadLine(), "9abcdef");
  // a move to 0 writes at 0, not at the end
  s->MoveTo(0);
  s->WriteLine("Z");
  EXPECT_EQ(Content(), "Z\r\n34XY\r\n9abcdef");
  s->MoveToEnd();
  EXPECT_TRUE(s->AtEnd());
  s->WriteLine("end");
  EXPECT_EQ(Content(), "Z\r\n34XY\r\n9abcdef" "end\r\n");
}

TEST_F(TextFile, AWriteAfterALineReadGoesRightAfterThatLine) {
  auto s = OpenWith("first\r\nsecond\r\nthird\r\n");
  EXPECT_EQ(s->ReadLine(), "first");
  s->WriteLine("2nd");
  EXPECT_EQ(Content(), "first\r\n2nd\r\nd\r\nthird\r\n");
  EXPECT_EQ(s->ReadLine(), "d");
}

TEST_F(TextFile, EmptyFileIsAtItsEnd) {
  auto s = OpenWith("");
  EXPECT_TRUE(s->AtEnd());
  EXPECT_EQ(s->ReadLine(), "");
  s->WriteLine("x");
  EXPECT_EQ(Content(), "x\r\n");
}

TEST_F(TextFile, CharactersAndLineEndsAcrossBufferFills) {
  // a double-byte character and a CR LF both split by the 4096-byte buffer
  std::string text(TTextFileStream::kBufferSize - 1, 'a');
  text += "表\r";  // 表's trail byte (0x5C) is the first byte of the second fill
  text += "\nnext";
  auto s = OpenWith(text);
  std::string line = s->ReadLine();
  EXPECT_EQ(line.size(), TTextFileStream::kBufferSize + 1);
  EXPECT_EQ(line.substr(line.size() - 2), "表");
  EXPECT_EQ(s->ReadLine(), "next");

  std::string crlf(TTextFileStream::kBufferSize - 1, 'b');
  crlf += "\r\nz";
  s = OpenWith(crlf);
  EXPECT_EQ(s->ReadLine().size(), TTextFileStream::kBufferSize - 1);
  EXPECT_EQ(s->LogicalPosition(), static_cast<int64_t>(TTextFileStream::kBufferSize + 1));
  EXPECT_EQ(s->ReadLine(), "z");
}

TEST_F(TextFile, BinaryAccessAtTheRealPosition) {
  auto s = OpenWith("line1\r\nrest");
  EXPECT_EQ(s->ReadLine(), "line1");
  // the buffer holds the whole file: the real position is its end
  EXPECT_EQ(s->RealPosition(), 11);
  s->MoveTo(2);
  EXPECT_EQ(s->ReadBytes(3), "ne1");
  s->WriteBytes(Bytes("\0Q"));
  EXPECT_EQ(Content(), Bytes("line1\0Qrest"));
  s->MoveTo(8);
  // beyond the end the bytes are zero
  EXPECT_EQ(s->ReadBytes(5), Bytes("est\0\0"));
}

TEST_F(TextFile, OpenModes) {
  std::ofstream(path_) << "x";
  EXPECT_TRUE(TTextFileStream::Open(path_, TTextFileStream::kModeRead));
  EXPECT_FALSE(TTextFileStream::Open(dir_ + "/missing", TTextFileStream::kModeReadWrite));
  auto created = TTextFileStream::Open(dir_ + "/new", TTextFileStream::kModeCreate);
  ASSERT_TRUE(created);
  EXPECT_TRUE(created->AtEnd());
  EXPECT_FALSE(TTextFileStream::Open(dir_, TTextFileStream::kModeRead));  // a folder
  auto exclusive = TTextFileStream::Open(path_, TTextFileStream::kModeReadWrite | 16);
  ASSERT_TRUE(exclusive);
  EXPECT_FALSE(TTextFileStream::Open(path_, TTextFileStream::kModeReadWrite | 16));
  // a read-only stream cannot write
  auto ro = TTextFileStream::Open(path_, TTextFileStream::kModeRead);
  EXPECT_THROW(ro->WriteLine("y"), EStreamError);
}

TEST(SharedMemory, TwoStreamsOfOneNameShareTheBlock) {
  const std::string name = "テスト" + std::to_string(getpid());
  TCommonMemoryStream a(name, 256, true);
  EXPECT_EQ(a.Write("hello", 6), 6);
  TCommonMemoryStream b(name, 256, false);
  char buf[256];
  EXPECT_EQ(b.Read(buf, 256), 256);
  EXPECT_STREQ(buf, "hello");
  // at the end of the block nothing is read; past it nothing may be written
  b.Seek(256, 0);
  EXPECT_EQ(b.Read(buf, 1), 0);
  b.Seek(-1, 0);
  EXPECT_EQ(b.Read(buf, 1), 0);
  a.Seek(250, 0);
  EXPECT_THROW(a.Write("0123456789", 10), ESharedMemory);
  EXPECT_EQ(a.Seek(-300, 2), -44);
  EXPECT_EQ(a.Write("x", 1), 0);
}

TEST(SharedMemory, TheCreatorRemovesTheName) {
  const std::string name = "gone" + std::to_string(getpid());
  { TCommonMemoryStream a(name, 256, true); }
  try {
    TCommonMemoryStream b(name, 256, false);
    ADD_FAILURE();
  } catch (const ESharedMemory& e) {
    EXPECT_EQ(std::string(e.what()), name + "を開けません。");
  }
  EXPECT_EQ(TCommonMemoryStream::SystemName("A/"), "/tamakazu-412f");
  EXPECT_LT(TCommonMemoryStream::SystemName(std::string(300, 'x')).size(), 60u);
}

}  // namespace
}  // namespace tama::support
