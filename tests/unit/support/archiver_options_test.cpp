#include "support/archiver_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/lha_writer.h"

namespace tama::support {
namespace {

TEST(ArchiverOptions, Pieces) {
  struct TCase {
    const char* word;
    const char* name;
    int value;
  };
  const TCase cases[] = {
      {"-r2 -x1 -r0", "r", 0},   // later pieces win
      {"r2", "r", 2},            // the "-" may be left out
      {"-jp", "jp", -1},         // no digit at the end
      {"-jp10", "jp", -1},       // two digits: "jp1" is no switch
      {"-gx0", "gx", -1},        // not a switch
      {"  -a1   -A2 ", "a", 1},  // case counts; blanks between pieces
      {"--a1", "a", -1},         // only one "-" is removed
      {"-jso1", "jso", 1},
  };
  for (const auto& c : cases) {
    TArchiverOptions o;
    ParseArchiverOptions(c.word, o);
    EXPECT_EQ(o.Get(c.name), c.value) << c.word;
  }
}

TEST(ArchiverOptions, LhaCommandLine) {
  TArchiverOptions o;
  ParseArchiverOptions("-a1 -r2 -x1 -l1 -jp1 -o2 -ji0", o);
  o.Set("x", 1);
  o.Set("jso", 1);
  o.Clear("r");
  o.Set("p", 1);
  EXPECT_EQ(LhaCommandLine("u", o, "C:\\out\\x.lzh", "C:\\data\\", {"a.txt", "sub\\b.txt"}),
            "u -+ -a1 -l1 -o2 -p1 -x1 -ji0 -jp1 -jso1  \"C:\\out\\x.lzh\" \"C:\\data\\\" \"a.txt\" \"sub\\b.txt\" ");
  TArchiverOptions w;
  w.Set("u", 1);
  w.w = "C:\\tmp";
  EXPECT_EQ(LhaCommandLine("x", w, "a.lzh", "", {}), "x -+ -u1 \"-wC:\\tmp\\\"  \"a.lzh\" ");
}

TEST(LhaWriter, Crc16) {
  EXPECT_EQ(LhaCrc16("123456789"), 0xBB3D);
  EXPECT_EQ(LhaCrc16(""), 0);
}

TEST(LhaWriter, HeaderFields) {
  const std::string data(1000, 'a');
  const std::string a = LhaArchive({{"d\\sub/x.txt", data, 1000000000}});
  ASSERT_GT(a.size(), 30u);
  const size_t size = static_cast<unsigned char>(a[0]) | (static_cast<unsigned char>(a[1]) << 8);
  EXPECT_EQ(a.substr(2, 5), "-lh5-");  // a run of one byte compresses
  EXPECT_EQ(a[20], 2);                 // level 2
  EXPECT_EQ(a.back(), '\0');           // the end mark
  EXPECT_NE(a.find(std::string("d\xFFsub\xFF")), std::string::npos);
  EXPECT_LT(size, a.size());
  // bytes that do not compress are stored
  std::string noise;
  uint32_t x = 1;
  for (int i = 0; i < 300; ++i) {
    x = x * 1103515245u + 12345u;
    noise.push_back(static_cast<char>(x >> 24));
  }
  EXPECT_EQ(LhaArchive({{"n.bin", noise, 0}}).substr(2, 5), "-lh0-");
}

}  // namespace
}  // namespace tama::support
