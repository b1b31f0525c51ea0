#include "sjis/sjis.h"

#include <gtest/gtest.h>

using namespace tama::sjis;

TEST(Sjis, LeadBytes) {
  EXPECT_FALSE(IsLead(static_cast<unsigned char>(0x80)));
  EXPECT_TRUE(IsLead(static_cast<unsigned char>(0x81)));
  EXPECT_TRUE(IsLead(static_cast<unsigned char>(0x9F)));
  EXPECT_FALSE(IsLead(static_cast<unsigned char>(0xA0)));
  EXPECT_FALSE(IsLead(static_cast<unsigned char>(0xDF)));
  EXPECT_TRUE(IsLead(static_cast<unsigned char>(0xE0)));
  EXPECT_TRUE(IsLead(static_cast<unsigned char>(0xFC)));
  EXPECT_FALSE(IsLead(static_cast<unsigned char>(0xFD)));
}

TEST(Sjis, StepNeverPassesTheZeroByte) {
  const char text[] = "a\x82\xa0\x82";  // a, あ, then a lead byte before the zero byte
  const char* p = text;
  p = Next(p);
  EXPECT_EQ(p, text + 1);
  p = Next(p);
  EXPECT_EQ(p, text + 3);
  p = Next(p);
  EXPECT_EQ(p, text + 4);
  EXPECT_EQ(*p, 0);
  EXPECT_EQ(Next(p), p);
}

TEST(Sjis, ByteClasses) {
  for (char c : std::string("\t ,\xa4")) EXPECT_TRUE(IsBlank(c)) << int(c);
  for (char c : std::string(".!|${}\n")) EXPECT_FALSE(IsDelimiter(c)) << c;
  for (char c : std::string("\t\r \"#%&()*+,-/:;<=>?\\^`\xa4")) EXPECT_TRUE(IsDelimiter(c)) << c;
  for (char c : std::string("%&*+-/<=>^|")) EXPECT_TRUE(IsOperator(c)) << c;
  EXPECT_FALSE(IsOperator('|') && IsDelimiter('|'));
}

TEST(Sjis, CharCount) {
  EXPECT_EQ(CharCount(""), 0u);
  EXPECT_EQ(CharCount("ab"), 2u);
  EXPECT_EQ(CharCount("\x82\xa0" "a"), 2u);
  EXPECT_EQ(CharCount("a\x82"), 2u);
}
