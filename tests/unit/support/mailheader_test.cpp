#include "support/mailheader.h"

#include <gtest/gtest.h>

#include <string>

namespace tama::support {
namespace {

// テスト in JIS (ESC $ B ... ESC ( J), BASE64
const std::string kTest = "=?ISO-2022-JP?B?GyRCJUYlOSVIGyhK?=";

TEST(MailHeader, Encode) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"Hello", "Hello"},
      {"Re: テスト", "Re: " + kTest},
      {"テスト", kTest},
      {"ｱｲｳ", "ｱｲｳ"},  // half-width kana are single bytes
      {"あaい", "=?ISO-2022-JP?B?GyRCJCIbKEo=?=a=?ISO-2022-JP?B?GyRCJCQbKEo=?="},
      {"ｶﾞテスト", "ｶﾞ" + kTest},
      {"a\x82", "a\x82"},  // a lead byte at the end is a single byte
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(MailHeaderEncode(in), out) << in;
}

TEST(MailHeader, Decode) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"Hello", "Hello"},
      {"Re: " + kTest, "Re: テスト"},
      {"Re: =?iso-2022-jp?b?GyRCJUYlOSVIGyhK?=", "Re: テスト"},  // any letter case
      {kTest + " " + kTest, "テスト テスト"},
      {"=?ISO-2022-JP?B?GyRCJCIbKEo=?=a=?ISO-2022-JP?B?GyRCJCQbKEo=?=", "あaい"},
      {"=?ISO-2022-JP?B?YWJj?=", "abc"},        // the appended ESC ( J is cut off
      {"a=?ISO-2022-JP?B?GyRC", "aGyRC"},        // no "?=": only the opening goes
      {"x?= " + kTest, "x?= テスト"},            // a "?=" before the word is not its end
      {"=?ISO-2022-JP?B?YWJ?=", ""},             // not BASE64: no result
      {"ab\xB1" "cd", "ab"},                     // a half-width kana ends the text
      {"テスト\tok\r\n", "テスト\tok\r\n"},      // Shift-JIS as it is
      {std::string("ab\0cd", 5), "ab"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(MailHeaderDecode(in), out) << in;
}

TEST(MailHeader, RoundTrip) {
  for (const char* s : {"件名: 会議の予定 (第2回)", "漢字 mixed テキスト", "表示ソ"})
    EXPECT_EQ(MailHeaderDecode(MailHeaderEncode(s)), s);
}

}  // namespace
}  // namespace tama::support
