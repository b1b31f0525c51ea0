#include "support/base64.h"

#include <gtest/gtest.h>

#include <string>

namespace tama::support {
namespace {

TEST(Base64, Encode) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"a", "YQ=="},
      {"ab", "YWI="},
      {"abc", "YWJj"},
      {"abcd", "YWJjZA=="},
      {std::string("\0\xFF\xFE", 3), "AP/+"},
      {"\x82\xA0", "gqA="},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(Base64Encode(in), out) << in;
  // no line breaks, however long
  EXPECT_EQ(Base64Encode(std::string(60, 'x')).size(), 80u);
}

struct TDecodeCase {
  std::string in;
  bool ok;
  std::string out;
};

TEST(Base64, Decode) {
  const TDecodeCase cases[] = {
      {"", true, ""},
      {"YWJj", true, "abc"},
      {"YWI=", true, "ab"},
      {"YQ==", true, "a"},
      {"YWJj\r\nZA==", true, "abcd"},
      {"\r\nYWJj\n\rZGVm\r\n", true, "abcdef"},
      {"\r\n", true, ""},
      {"YQ==YWI=", true, "aab"},  // each group decoded on its own
      {"AP/+", true, std::string("\0\xFF\xFE", 3)},
      {"YWJ", false, ""},
      {"YWJjZ", false, ""},
      {"YW\r\nJj", false, ""},  // a line end inside a group is no separator
      {"!!!!", true, std::string(3, '\0')},  // characters outside the alphabet count as 0
  };
  for (const TDecodeCase& c : cases) {
    std::string out = "junk";
    EXPECT_EQ(Base64Decode(c.in, out), c.ok) << c.in;
    EXPECT_EQ(out, c.out) << c.in;
  }
}

TEST(Base64, RoundTripsEveryByte) {
  std::string all;
  for (int k = 0; k < 256; ++k) all.push_back(static_cast<char>(k));
  for (size_t len = 0; len <= all.size(); len += 37) {
    std::string out;
    ASSERT_TRUE(Base64Decode(Base64Encode(all.substr(0, len)), out));
    EXPECT_EQ(out, all.substr(0, len));
  }
}

}  // namespace
}  // namespace tama::support
