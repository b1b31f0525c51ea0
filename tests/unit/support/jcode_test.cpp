// Encoding detection and the Shift-JIS / EUC-JP / JIS converters.
#include "support/jcode.h"

#include <gtest/gtest.h>

#include <string>

#include "sjis/convert.h"
#include "sjis/lcmap.h"

namespace tama::support {
namespace {

// Bytes from hex digits ("82a0" -> 0x82 0xA0).
std::string Hex(std::string_view h) {
  std::string out;
  for (size_t i = 0; i + 1 < h.size(); i += 2)
    out.push_back(static_cast<char>(std::stoi(std::string(h.substr(i, 2)), nullptr, 16)));
  return out;
}

std::string ToHex(std::string_view s) {
  static const char* d = "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) {
    out.push_back(d[c >> 4]);
    out.push_back(d[c & 15]);
  }
  return out;
}

const std::string kEsc = "\x1B";
const std::string kIn = "\x1B$B", kOut = "\x1B(J";

struct TDetectCase {
  std::string text;
  int code;
  const char* why;
};

TEST(DetectCode, Cases) {
  const TDetectCase cases[] = {
      {"", kCodeUndecided, "empty"},
      {"a", kCodeUndecided, "one byte: nothing is looked at"},
      {"Hello, world\r\n", kCodeUndecided, "7-bit"},
      {"\x01" "abc", kCodeBinary, "a control byte at the start"},
      {"ab\xFF" "c", kCodeBinary, "0xFF"},
      {"abc\x01", kCodeUndecided, "the last byte is not looked at"},
      {std::string(600, 'a') + "\x02" "b", kCodeBinary, "a control byte past 512 found by the walk"},
      {std::string(600, 'a') + "\xFF", kCodeUndecided, "past 512 and last"},
      {kIn + "$\"" + kOut, kCodeJisNew, "ESC $ B"},
      {"\x1B$@$\"", kCodeJisOld, "ESC $ @"},
      {"ab" + kOut + "cd", kCodeUndecided, "ESC ( J alone decides nothing"},
      {"\x1B$", kCodeUndecided, "an escape cut short"},
      {"\x1B$A\x82\xA0", kCodeSjis, "an unknown double-byte escape is stepped over"},
      {"\x8A\xBF\x8E\x9A", kCodeSjis, "漢字 in Shift-JIS"},
      {"\x9F\x40", kCodeSjis, "lead 0x9F"},
      {"\xB4\xC1\xBB\xFA\xA5\xC6\xA5\xB9\xA5\xC8", kCodeEuc, "漢字テスト in EUC"},
      {"\xA4\xA2\xA4\xA4", kCodeEucOrSjis, "あい in EUC reads as half-width kana too"},
      {"\xB6\xDE\xB7\xDE", kCodeEucOrSjis, "ｶﾞｷﾞ in Shift-JIS"},
      {"\xB1" "A", kCodeSjis, "half-width kana then a 7-bit byte"},
      {"\xB1\xA0", kCodeUndecided, "half-width kana then 0xA0"},
      {"\xB1\xF5", kCodeEuc, "0xA1-0xDF then 0xF0-0xFE"},
      {"\xB1\xE0\x81", kCodeSjis, "0xA1-0xDF 0xE0-0xEF, then a Shift-JIS lead"},
      {"\xB1\xE0\xFD", kCodeEuc, "0xA1-0xDF 0xE0-0xEF, then 0xFD"},
      {"\xB1\xE0\x9D", kCodeEucOrSjis, "0x9D is not looked for in the inner walk"},
      {"\xB1\xE0" "a", kCodeEucOrSjis, "the inner walk stops at the end"},
      {"\xB1\xE0\x30\x81\x40", kCodeSjis, "a byte below 0x40 ends the inner walk; it is skipped"},
      {"\x8E\xB1", kCodeEucOrSjis, "EUC half-width kana"},
      {"\x8E\x40", kCodeSjis, "0x8E as a Shift-JIS lead"},
      {"\x8E\xFD", kCodeUndecided, "0x8E 0xFD decides nothing"},
      {"\xF0\xA1", kCodeEuc, "0xF0-0xFE"},
      {"\xE0\x40", kCodeSjis, "0xE0-0xEF then a low trail"},
      {"\xE0\xFE", kCodeEuc, "0xE0-0xEF then 0xFE"},
      {"\xE0\xA1", kCodeEucOrSjis, "0xE0-0xEF then 0xA1-0xFC"},
      {"\xE0\xA1\xB4\xC1\xBB\xFA", kCodeEuc, "an undecided start decided later"},
      {"\x80\xA0" "ab", kCodeUndecided, "0x80 and 0xA0 decide nothing"},
  };
  for (const TDetectCase& c : cases) EXPECT_EQ(DetectCode(c.text), c.code) << c.why;
}

TEST(CodeFromName, Names) {
  EXPECT_EQ(CodeFromName("EUC"), kCodeEuc);
  EXPECT_EQ(CodeFromName("euc"), kCodeEuc);
  EXPECT_EQ(CodeFromName("Jis"), kCodeJisNew);
  EXPECT_EQ(CodeFromName("SJIS"), kCodeSjis);
  EXPECT_EQ(CodeFromName(""), kCodeSjis);
  EXPECT_EQ(CodeFromName("EUC-JP"), kCodeSjis);
  EXPECT_EQ(CodeFromName("ＥＵＣ"), kCodeSjis);  // full-width letters stay full-width
}

// Every JIS X 0208 row/cell pair goes to a Shift-JIS character and back.
TEST(JisPairs, RoundTripEveryCell) {
  for (unsigned j1 = 0x21; j1 <= 0x7E; ++j1) {
    for (unsigned j2 = 0x21; j2 <= 0x7E; ++j2) {
      unsigned char s1, s2, k1, k2;
      JisPairToSjis(static_cast<unsigned char>(j1), static_cast<unsigned char>(j2), s1, s2);
      ASSERT_TRUE((s1 >= 0x81 && s1 <= 0x9F) || (s1 >= 0xE0 && s1 <= 0xEF)) << j1 << " " << j2;
      ASSERT_TRUE((s2 >= 0x40 && s2 <= 0x7E) || (s2 >= 0x80 && s2 <= 0xFC)) << j1 << " " << j2;
      SjisPairToJis(s1, s2, k1, k2);
      ASSERT_EQ(k1, j1);
      ASSERT_EQ(k2, j2);
    }
  }
}

struct TConvertCase {
  std::string text;
  int from, to;
  std::string want;
  const char* why;
};

TEST(ConvertCode, Cases) {
  const std::string sjisKanji = Hex("8abf8e9a836583588367");  // 漢字テスト
  const std::string eucKanji = Hex("b4c1bbfaa5c6a5b9a5c8");
  const std::string jisKanji = kIn + Hex("34413b7a254625392548") + kOut;
  const TConvertCase cases[] = {
      {sjisKanji, kCodeSjis, kCodeEuc, eucKanji, "Shift-JIS -> EUC"},
      {sjisKanji, kCodeSjis, kCodeJisNew, jisKanji, "Shift-JIS -> JIS"},
      {eucKanji, kCodeEuc, kCodeSjis, sjisKanji, "EUC -> Shift-JIS"},
      {eucKanji, kCodeEuc, kCodeJisNew, jisKanji, "EUC -> JIS"},
      {jisKanji, kCodeJisNew, kCodeSjis, sjisKanji, "JIS -> Shift-JIS"},
      {jisKanji, kCodeJisNew, kCodeEuc, eucKanji, "JIS -> EUC"},
      {"\xE0\x40\xEA\xA4\x9F\xFC", kCodeSjis, kCodeEuc, Hex("dfa1f4a6defe"), "rows from 0x5F on, the last cell"},
      {"\xE0\x40\xEA\xA4\x9F\xFC", kCodeSjis, kCodeJisNew, kIn + Hex("5f2174265e7e") + kOut, "the same to JIS"},
      {kIn + "$\"" + "\x1B(B", kCodeJisNew, kCodeSjis, "\x82\xA0", "ESC ( B leaves the mode too"},
      {"\x1B$@$\"" + kOut, kCodeJisOld, kCodeSjis, "\x82\xA0", "the old escape"},
      {"\x1B$@$\"" + kOut, kCodeJisOld, kCodeEuc, "\xA4\xA2", "the old escape to EUC"},
      {"a" + kIn + "$\"" + kOut + "b", kCodeJisNew, kCodeSjis, "a\x82\xA0" "b", "7-bit text around"},
      {kIn + "$\" $\"" + kOut, kCodeJisNew, kCodeEuc, "\xA4\xA2 \xA4\xA2", "JIS -> EUC copies other bytes in the mode"},
      {kIn + "$\" $\"" + kOut, kCodeJisNew, kCodeSjis, "\x82\xA0 \x82\xA0", "JIS -> Shift-JIS copies other bytes"},
      {"\xB6\xDE\xB7\xDE", kCodeSjis, kCodeJisNew, kIn + "%,%." + kOut, "ｶﾞｷﾞ -> ガギ"},
      {"\xB3\xDE\xCA\xDF\xCA\xDE\xCE\xDF", kCodeSjis, kCodeJisNew, kIn + "%t%Q%P%]" + kOut, "ｳﾞ ﾊﾟ ﾊﾞ ﾎﾟ"},
      {"\xB1\xDE\xB6\xDF\xDE", kCodeSjis, kCodeJisNew, kIn + "%\"!+%+!,!+" + kOut, "marks that merge with nothing"},
      {"\xB1\xB2", kCodeSjis, kCodeJisNew, kIn + "%\"%$" + kOut, "ｱｲ"},
      {"\x8E\xB6\x8E\xDE\x8E\xCA\x8E\xDF", kCodeEuc, kCodeJisNew, kIn + "%,%Q" + kOut, "EUC ｶﾞﾊﾟ"},
      {"\x8E\xB6\xDE", kCodeEuc, kCodeJisNew, kIn + "%+\"." + kOut, "in EUC a mark needs its 0x8E; alone it is 〓"},
      {"\x82\xA0\r\n\x82\xA2", kCodeSjis, kCodeJisNew, kIn + "$\"" + kOut + "\r\n" + kIn + "$$" + kOut, "line ends close the mode"},
      {"a\x82\xA0" "b", kCodeSjis, kCodeJisNew, "a" + kIn + "$\"" + kOut + "b", "7-bit bytes close the mode"},
      {"\xB1", kCodeSjis, kCodeEuc, "\x8E\xB1", "half-width kana -> EUC"},
      {"\x8E\xB1", kCodeEuc, kCodeSjis, "\xB1", "EUC half-width kana -> Shift-JIS"},
      {"\x80\xFF" "a", kCodeEuc, kCodeSjis, "\x80\xFF" "a", "EUC bytes copied as they are"},
      {"abc", kCodeSjis, kCodeJisNew, "abc", "7-bit only: no escapes"},
      // unchanged
      {sjisKanji, kCodeUndecided, kCodeEuc, sjisKanji, "undecided source"},
      {sjisKanji, kCodeBinary, kCodeEuc, sjisKanji, "binary source"},
      {sjisKanji, kCodeEucOrSjis, kCodeEuc, sjisKanji, "ambiguous source"},
      {sjisKanji, kCodeSjis, kCodeSjis, sjisKanji, "source = target"},
      {jisKanji, kCodeJisOld, kCodeJisNew, jisKanji, "JIS to JIS"},
      {sjisKanji, kCodeSjis, kCodeJisOld, sjisKanji, "target 3 is no target"},
      {sjisKanji, kCodeSjis, kCodeEucOrSjis, sjisKanji, "target 6 is no target"},
      // incomplete tails: nothing read past the end
      {"ab\x1B", kCodeJisNew, kCodeSjis, "ab", "an escape at the end is dropped"},
      {"ab\x1B$", kCodeJisNew, kCodeEuc, "ab", "an escape cut short is dropped"},
      {kIn + "$\"$", kCodeJisNew, kCodeSjis, "\x82\xA0$", "half a pair at the end"},
      {"\x82\xA0\x82", kCodeSjis, kCodeEuc, "\xA4\xA2\xA2\xAE", "a lead byte at the end has no form: 〓"},
      {"\x82", kCodeSjis, kCodeJisNew, kIn + "\"." + kOut, "a lone lead byte to JIS: 〓"},
      {"\xA4\xA2\xA4", kCodeEuc, kCodeSjis, "\x82\xA0\xA4", "EUC half a pair at the end"},
      {"\xA4\xA2\x8E", kCodeEuc, kCodeJisNew, kIn + "$\"\"." + kOut, "EUC 0x8E at the end: 〓"},
      {"\xB6", kCodeSjis, kCodeJisNew, kIn + "%+" + kOut, "kana at the end, no mark"},
  };
  for (const TConvertCase& c : cases)
    EXPECT_EQ(ToHex(ConvertCode(c.text, c.from, c.to)), ToHex(c.want)) << c.why;
}

// The half-width kana of JIS output agree with the full-width mapping of the
// width commands, a following sound mark merged the same way.
TEST(ConvertCode, HalfWidthKanaAgreeWithTheWidthMapping) {
  for (unsigned k = 0xA1; k <= 0xDF; ++k) {
    for (const char* mark : {"", "\xDE", "\xDF"}) {
      const std::string half = std::string(1, static_cast<char>(k)) + mark;
      EXPECT_EQ(ToHex(SjisToJis(half)), ToHex(SjisToJis(sjis::ToFullWidth(half)))) << ToHex(half);
    }
  }
}

TEST(ConvertCode, EncodingsAgreeOnAllOfJisX0208) {
  std::string sjisText, eucText;
  for (unsigned j1 = 0x21; j1 <= 0x7E; ++j1) {
    for (unsigned j2 = 0x21; j2 <= 0x7E; ++j2) {
      unsigned char s1, s2;
      JisPairToSjis(static_cast<unsigned char>(j1), static_cast<unsigned char>(j2), s1, s2);
      sjisText += static_cast<char>(s1);
      sjisText += static_cast<char>(s2);
      eucText += static_cast<char>(j1 + 0x80);
      eucText += static_cast<char>(j2 + 0x80);
    }
  }
  EXPECT_EQ(SjisToEuc(sjisText), eucText);
  EXPECT_EQ(EucToSjis(eucText), sjisText);
  const std::string jis = SjisToJis(sjisText);
  EXPECT_EQ(jis, EucToJis(eucText));
  EXPECT_EQ(JisToSjis(jis), sjisText);
  EXPECT_EQ(JisToEuc(jis), eucText);
}

// The IBM extensions are written as the codes of the same characters in the
// JIS rows, NEC row 13 or the NEC-selected rows; the user area, and codes
// without a character there, as 〓.
TEST(ConvertCode, IbmExtensionsAndTheUserArea) {
  const TConvertCase cases[] = {
      {"\xFB\xFC", kCodeSjis, kCodeEuc, Hex("fce2"), "髙 as EEE0"},
      {"\xFA\xB1", kCodeSjis, kCodeEuc, Hex("f9f5"), "﨑 as ED95"},
      {"\xFA\x40", kCodeSjis, kCodeEuc, Hex("fcf1"), "ⅰ as EEEF"},
      {"\xFA\x4A", kCodeSjis, kCodeEuc, Hex("adb5"), "Ⅰ as 8754 (NEC row 13)"},
      {"\xFA\x54", kCodeSjis, kCodeEuc, Hex("a2cc"), "￢ as 81CA (JIS row 2)"},
      {"\xFA\x58", kCodeSjis, kCodeEuc, Hex("adea"), "㈱ as 878A"},
      {"\xFB\xFC", kCodeSjis, kCodeJisNew, kIn + "|b" + kOut, "髙 to JIS"},
      {"a\xFA\x54" "b", kCodeSjis, kCodeJisNew, "a" + kIn + "\"L" + kOut + "b", "￢ to JIS"},
      {"\xF0\x40", kCodeSjis, kCodeEuc, Hex("a2ae"), "the first user code"},
      {"\xF9\xFC\x82\xA0", kCodeSjis, kCodeEuc, Hex("a2aea4a2"), "the last user code"},
      {"\xF5\x80", kCodeSjis, kCodeJisNew, kIn + "\"." + kOut, "a user code to JIS"},
      {"\xFC\x4C", kCodeSjis, kCodeEuc, Hex("a2ae"), "after the last IBM code"},
      {"\x82\x0D\x0A", kCodeSjis, kCodeJisNew, kIn + "\"." + kOut + "\r\n", "a lead byte before a line end"},
      {"\x80\xA0\xFD", kCodeSjis, kCodeEuc, Hex("a2aea2aea2ae"), "bytes that start no character"},
  };
  for (const TConvertCase& c : cases)
    EXPECT_EQ(ToHex(ConvertCode(c.text, c.from, c.to)), ToHex(c.want)) << c.why;
}

// Every double-byte code: JIS and EUC-JP output stays inside the encodings,
// and reading it back gives the same character (the same code, but for the
// IBM extensions, which come back as their NEC-selected or JIS row codes, and
// what became 〓).
TEST(ConvertCode, EveryDoubleByteCodeHasAFormInJisAndEuc) {
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead >= 0xA0 && lead < 0xE0) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      const unsigned code = lead * 256 + trail;
      const std::string text = {static_cast<char>(lead), static_cast<char>(trail)};
      const std::string euc = SjisToEuc(text);
      ASSERT_EQ(euc.size(), 2u) << std::hex << code;
      ASSERT_TRUE(static_cast<unsigned char>(euc[0]) >= 0xA1 && static_cast<unsigned char>(euc[0]) <= 0xFE &&
                  static_cast<unsigned char>(euc[1]) >= 0xA1 && static_cast<unsigned char>(euc[1]) <= 0xFE)
          << std::hex << code;
      const std::string jis = SjisToJis(text);
      ASSERT_EQ(jis.size(), 8u) << std::hex << code;
      ASSERT_EQ(jis.substr(0, 3), kIn);
      ASSERT_EQ(jis.substr(5), kOut);
      ASSERT_EQ(static_cast<unsigned char>(jis[3]), static_cast<unsigned char>(euc[0]) - 0x80) << std::hex << code;
      ASSERT_EQ(static_cast<unsigned char>(jis[4]), static_cast<unsigned char>(euc[1]) - 0x80) << std::hex << code;
      const std::string back = EucToSjis(euc);
      ASSERT_EQ(JisToSjis(jis), back);
      const unsigned backCode = static_cast<unsigned char>(back[0]) * 256u + static_cast<unsigned char>(back[1]);
      if (lead <= 0xEF) {
        EXPECT_EQ(backCode, code) << std::hex << code;
      } else if (lead >= 0xFA && sjis::CodeToUnicode(code) != 0xFFFD) {
        EXPECT_LT(backCode, 0xF000u) << std::hex << code;
        EXPECT_EQ(sjis::CodeToUnicode(backCode), sjis::CodeToUnicode(code)) << std::hex << code;
      } else {
        EXPECT_EQ(backCode, 0x81ACu) << std::hex << code;  // 〓
      }
    }
  }
}

}  // namespace
}  // namespace tama::support
