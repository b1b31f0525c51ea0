#include "support/fmix.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace tama::support {
namespace {

class TTempDir {
 public:
  TTempDir() {
    std::string t = "/tmp/fmix_test_XXXXXX";
    path_ = mkdtemp(t.data());
  }
  ~TTempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Hex(const std::string& s) {
  static const char* d = "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) {
    out += d[c >> 4];
    out += d[c & 15];
  }
  return out;
}

TEST(KeyStream, FirstOutputsOfTheContainerSeeding) {
  TKeyStream g(1813);
  const uint32_t want[] = {0x59d2aeb3u, 0x0d9e19f7u, 0xeb33c414u, 0x1eb81bfbu, 0x6138f201u};
  for (uint32_t w : want) EXPECT_EQ(g.Next(), w);
  TKeyStream one(1);
  EXPECT_EQ(one.Next(), 0xeca5f17au);
  EXPECT_EQ(one.Next(), 0x40b8b24cu);
  // the top bit of the seed is dropped
  TKeyStream high(0x80000000u | 1813);
  EXPECT_EQ(high.Next(), 0x59d2aeb3u);
}

TEST(Cipher, KeysHaveTheirLengths) {
  EXPECT_EQ(kEntryKey.size(), 16u);
  EXPECT_EQ(kFileKey.size(), 29u);
}

TEST(Cipher, KnownBytesAndTheWayBack) {
  std::string s = "ABCDEFGHIJKLMNOPQRST";
  ApplyCipher(s, kEntryKey);
  EXPECT_EQ(Hex(s), "3bcd71d891c42f32eb9846c015abc24831c27062");
  ApplyCipher(s, kEntryKey);
  EXPECT_EQ(s, "ABCDEFGHIJKLMNOPQRST");
  std::string empty;
  ApplyCipher(empty, kEntryKey);
  EXPECT_TRUE(empty.empty());
  // every block starts the key stream afresh
  TCipher a("ABCDEFGHIJKLMNOPQRST"), b("ABCDEFGHIJKLMNOPQRST");
  a.Apply(kEntryKey);
  b.Apply(kEntryKey);
  EXPECT_EQ(a.Bytes(), b.Bytes());
  b.Apply(kEntryKey);
  EXPECT_EQ(b.Bytes(), "ABCDEFGHIJKLMNOPQRST");
}

TEST(EncipheredFile, LayoutAndRoundTrip) {
  // length 4 (little-endian) then 表ソ, all enciphered with the file key
  EXPECT_EQ(Hex(EncipherFile("表ソ")), "d74e654cc6990aa6");
  std::string value;
  ASSERT_TRUE(DecipherFile(EncipherFile(std::string("a\0b\r\n", 5)), value));
  EXPECT_EQ(value, std::string("a\0b\r\n", 5));
  EXPECT_EQ(EncipherFile(""), "");
  ASSERT_TRUE(DecipherFile("", value));
  EXPECT_EQ(value, "");
  // a length beyond the content, and a content shorter than the length field
  std::string bad = EncipherFile("abc");
  bad.pop_back();
  EXPECT_FALSE(DecipherFile(bad, value));
  EXPECT_FALSE(DecipherFile("ab", value));
}

TEST(FileMix, LayoutOfOneEntry) {
  std::string c = BuildFileMix({{"a.txt", "xy", 0}});
  ASSERT_EQ(c.size(), 11u + 265u + 2u);
  EXPECT_EQ(c.substr(0, 4), "fMix");
  EXPECT_EQ(Hex(c.substr(4, 7)), "01" "0100" "16010000");
  EXPECT_EQ(c.substr(11, 6), std::string("A.TXT\0", 6));
  EXPECT_EQ(c.substr(11 + 5, 251), std::string(251, '\0'));
  EXPECT_EQ(Hex(c.substr(11 + 256, 9)), "14010000" "02000000" "00");
  EXPECT_EQ(c.substr(276), "xy");
}

TEST(FileMix, ZeroEntries) {
  TTempDir dir;
  std::string c = BuildFileMix({});
  EXPECT_EQ(c.size(), 11u);
  WriteFile(dir / "empty.fmx", c);
  TFileMixReader r(dir / "empty.fmx");
  EXPECT_EQ(r.Count(), 0u);
  std::string out;
  EXPECT_FALSE(r.Extract("x", out));
}

TEST(FileMix, ReadBackPlainAndEnciphered) {
  TTempDir dir;
  const std::string zeros("a\0b", 3);
  std::string c = BuildFileMix({{"tamakazu.tmk", "「x」を表示", 1}, {"data\\表.bin", zeros, 0}, {"ｆｕｌｌ.txt", "w", 7}});
  WriteFile(dir / "c.fmx", c);
  TFileMixReader r(dir / "c.fmx");
  EXPECT_EQ(r.Count(), 3u);
  std::string out;
  // the name is upper-cased for the lookup, trail bytes staying as they are
  ASSERT_TRUE(r.Extract("TAMAKAZU.TMK", out));
  EXPECT_EQ(out, "「x」を表示");
  ASSERT_TRUE(r.Extract("Data\\表.BIN", out));
  EXPECT_EQ(out, zeros);
  ASSERT_TRUE(r.ExtractText("DATA\\表.bin", out));
  EXPECT_EQ(out, "a");
  // full-width letters are upper-cased too; a flag other than 1 is stored plain
  ASSERT_TRUE(r.Extract("ＦＵＬＬ.TXT", out));
  EXPECT_EQ(out, "w");
  EXPECT_EQ(r.Find("ｆｕｌｌ.txt")->flag, 7);
  // the program entry is stored enciphered
  EXPECT_EQ(c.find("「x」を表示"), std::string::npos);
  EXPECT_FALSE(r.Extract("missing", out));
  ASSERT_TRUE(r.ExtractToFile("data\\表.bin", dir / "x.bin"));
  EXPECT_EQ(ReadFile(dir / "x.bin"), zeros);
  EXPECT_FALSE(r.ExtractToFile("data\\表.bin", dir / "x.bin"));  // never over an existing file
  ASSERT_TRUE(r.CopyContainer(dir / "copy.fmx"));
  EXPECT_EQ(ReadFile(dir / "copy.fmx"), c);
}

TEST(FileMix, LowerCaseNamesOfOtherToolsAreNotFound) {
  TTempDir dir;
  std::string c = BuildFileMix({{"X", "1", 0}});
  c[11] = 'x';
  WriteFile(dir / "c.fmx", c);
  TFileMixReader r(dir / "c.fmx");
  std::string out;
  EXPECT_FALSE(r.Extract("x", out));
  EXPECT_FALSE(r.Extract("X", out));
}

TEST(FileMix, ALaterEntryOfTheSameNameReplacesTheEarlier) {
  TTempDir dir;
  WriteFile(dir / "c.fmx", BuildFileMix({{"a", "first", 0}, {"A", "second", 0}}));
  TFileMixReader r(dir / "c.fmx");
  std::string out;
  ASSERT_TRUE(r.Extract("a", out));
  EXPECT_EQ(out, "second");
  EXPECT_EQ(r.Count(), 1u);
}

TEST(FileMix, ContainerInsideALargerFile) {
  TTempDir dir;
  std::string c = BuildFileMix({{"p", "program", 1}});
  WriteFile(dir / "exe", "IMAGE-BYTES" + c + "TRAILING");
  TFileMixReader r(dir / "exe", 11, c.size());
  std::string out;
  ASSERT_TRUE(r.Extract("P", out));
  EXPECT_EQ(out, "program");
  r.CopyContainer(dir / "only");
  EXPECT_EQ(ReadFile(dir / "only"), c);
}

TEST(FileMix, MalformedContainersAreRejected) {
  TTempDir dir;
  const std::string good = BuildFileMix({{"a", "12345", 0}});
  struct TCase {
    const char* what;
    std::string bytes;
  };
  std::string beyond = good;
  beyond[11 + 260] = 99;  // size 99 reaches past the end
  std::string offset = good;
  offset[11 + 259] = 0x7F;  // offset far outside
  std::string many = good;
  many[5] = static_cast<char>(0xFF);  // 255 records announced, one present
  const TCase cases[] = {
      {"not a container", "MZ" + good},
      {"too short", "fMix"},
      {"directory beyond the end", many},
      {"data beyond the end", beyond},
      {"offset beyond the end", offset},
  };
  for (const auto& c : cases) {
    WriteFile(dir / "bad", c.bytes);
    try {
      TFileMixReader r(dir / "bad", 0, 0, "bad.fmx");
      ADD_FAILURE() << c.what;
    } catch (const EFileMix& e) {
      EXPECT_STREQ(e.what(), "\"bad.fmx\"は、TFileMixHeaderでは形式が違うため読めません。") << c.what;
    }
  }
}

TEST(FileMix, EntryLines) {
  struct TCase {
    const char* line;
    const char* source;
    const char* name;
    const char* flag;
  };
  const TCase cases[] = {
      {"c:\\a.txt=A.TXT=1", "c:\\a.txt", "A.TXT", "1"},
      {"a.txt=b", "a.txt", "b", ""},
      {"a.txt", "a.txt", "", ""},
      {"a=b=c=d", "a", "b", "c=d"},
      {"=n=0", "", "n", "0"},
  };
  for (const auto& c : cases) {
    TFileMixLine l = ParseFileMixLine(c.line);
    EXPECT_EQ(l.source, c.source) << c.line;
    EXPECT_EQ(l.name, c.name) << c.line;
    EXPECT_EQ(l.flagText, c.flag) << c.line;
  }
}

// The writer with its entries.
void Write(const std::string& dest, const char* display, std::vector<TFileMixSource> entries) {
  TFileMixWriter w;
  w.entries = std::move(entries);
  w.Write(dest, display);
}

TEST(FileMix, WriterWritesWhatTheReaderReads) {
  TTempDir dir;
  WriteFile(dir / "one.txt", "first\r\n");
  WriteFile(dir / "two.bin", std::string("\0\1\2", 3));
  Write(dir / "out.fmx", "out.fmx", {{dir / "one.txt", "one.txt", "one.txt", 0}, {dir / "two.bin", "two.bin", "sub\\two.bin", 1}});
  TFileMixReader r(dir / "out.fmx");
  std::string out;
  ASSERT_TRUE(r.Extract("ONE.TXT", out));
  EXPECT_EQ(out, "first\r\n");
  ASSERT_TRUE(r.Extract("sub\\two.bin", out));
  EXPECT_EQ(out, std::string("\0\1\2", 3));
  // the header holds the total size
  std::string bytes = ReadFile(dir / "out.fmx");
  EXPECT_EQ(static_cast<unsigned char>(bytes[7]) | static_cast<unsigned char>(bytes[8]) << 8, bytes.size());
}

TEST(FileMix, WriterFailuresLeaveNoContainerAndKeepTheSources) {
  TTempDir dir;
  WriteFile(dir / "one.txt", "first");
  WriteFile(dir / "old.fmx", "old content");
  // a missing source: the old destination stays as it was
  EXPECT_THROW(Write(dir / "old.fmx", "old.fmx", {{dir / "one.txt", "one.txt", "one.txt", 0}, {dir / "none", "none", "none", 0}}),
               std::runtime_error);
  EXPECT_EQ(ReadFile(dir / "old.fmx"), "old content");
  // the destination is one of the sources
  EXPECT_THROW(Write(dir / "one.txt", "one.txt", {{dir / "one.txt", "one.txt", "one.txt", 0}}), EFileMix);
  EXPECT_EQ(ReadFile(dir / "one.txt"), "first");
  // range faults
  EXPECT_THROW(Write(dir / "x.fmx", "x.fmx", {{dir / "one.txt", "one.txt", "one.txt", 256}}), EFileMix);
  EXPECT_THROW(Write(dir / "x.fmx", "x.fmx", {{dir / "one.txt", "one.txt", std::string(256, 'n'), 0}}),
               EFileMix);
  struct stat st;
  EXPECT_NE(stat((dir / "x.fmx").c_str(), &st), 0);
}

// A PE image of one section whose raw data ends at 500, then padding.
std::string PeImage() {
  std::string img(500, '\0');
  img[0] = 'M';
  img[1] = 'Z';
  img[60] = 64;
  img.replace(64, 4, std::string("PE\0\0", 4));
  img[64 + 6] = 1;
  const size_t entry = 64 + 248;
  img[entry + 16] = 100;  // raw size 100
  img[entry + 20] = static_cast<char>(400 & 0xFF);
  img[entry + 21] = static_cast<char>(400 >> 8);  // raw offset 400
  return img;
}

TEST(ReadOverlay, TrailerElfEndAndPeOverlay) {
  TTempDir dir;
  const std::string c = BuildFileMix({{"tamakazu.tmk", "p", 1}});
  TContainerPlace place;

  WriteFile(dir / "plain", "no container here at all, not even fMi");
  EXPECT_FALSE(ReadOverlay(dir / "plain", place));

  const std::string image = "#!runtime image bytes";
  WriteFile(dir / "trailer", image + c + ContainerTrailer(image.size()));
  ASSERT_TRUE(ReadOverlay(dir / "trailer", place));
  EXPECT_EQ(place.offset, image.size());
  EXPECT_EQ(place.length, c.size());

  // an ELF image with the container appended (no trailer)
  const std::string elf = ReadFile("/bin/true");
  ASSERT_EQ(elf.substr(0, 4), "\x7F" "ELF");
  WriteFile(dir / "elf", elf + c);
  ASSERT_TRUE(ReadOverlay(dir / "elf", place));
  EXPECT_EQ(place.offset, elf.size());
  EXPECT_EQ(place.length, c.size());
  WriteFile(dir / "elf-only", elf);
  EXPECT_FALSE(ReadOverlay(dir / "elf-only", place));

  // a PE image: the container after padding behind the last section is found
  WriteFile(dir / "pe", PeImage() + "pad" + c);
  ASSERT_TRUE(ReadOverlay(dir / "pe", place));
  EXPECT_EQ(place.offset, 503u);
  // trailing data without "fMix" is no program
  WriteFile(dir / "pe-junk", PeImage() + "trailing data, no magic");
  EXPECT_FALSE(ReadOverlay(dir / "pe-junk", place));
}

}  // namespace
}  // namespace tama::support
