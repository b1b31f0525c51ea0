// The conversion commands run through whole programs: width, case and kana,
// the class tests, the encodings, BASE64 and mail headers.
#include <gtest/gtest.h>

#include <string>

#include "commands/conversion.h"
#include "run_fixture.h"

namespace tama {
namespace {

using runfx::TRunFixture;

class ConversionCommands : public TRunFixture {};

TEST(AlnumToHalfWidth, Cases) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"０１２３４５６７８９ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ",
       "0123456789abcdefghijklmnopqrstuvwxyz"},
      {"ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ", "ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
      {"！”＃＄％＆’（）＝－￥［］｛｝＿／＞＜，．＠‘　", "!\"#$%&'()=-\\[]{}_/><,.@` "},
      {"ＡＢＣ１２３、カナ＋", "ABC123、カナ＋"},
      {"＋＊：；？｜～＾“＼", "＋＊：；？｜～＾“＼"},  // not in the list
      {"ガｶﾞabc漢字", "ガｶﾞabc漢字"},
      {"表ソＡ", "表ソA"},  // trail byte 0x5C is no character of its own
      {std::string("Ａ\0Ｂ", 5), std::string("A\0B", 3)},
      {"Ａ\x82", "A\x82"},  // a lead byte at the end
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(AlnumToHalfWidth(in), out) << in;
}

struct TProgCase {
  const char* program;
  std::string want;  // それ afterwards
};

TEST_F(ConversionCommands, Results) {
  const TProgCase cases[] = {
      {"「ガギＡ１　。」を、半角変換", "ｶﾞｷﾞA1 ｡"},
      {"「ｶﾞabc ｰ」を、全角変換", "ガａｂｃ　ー"},
      {"「abcａｂｃαかな」を、大文字変換", "ABCＡＢＣΑかな"},
      {"「ABCＡＢＣ」を、小文字変換", "abcａｂｃ"},
      {"「カタカナ漢字ｶﾅ」を、ひらがな変換", "かたかな漢字ｶﾅ"},
      {"「ひらがな」を、カタカナ変換", "ヒラガナ"},
      {"「」を、半角変換", ""},
      {"「ＡＢＣ１２３、カナ＋」を、英数半角変換", "ABC123、カナ＋"},
      {"「ａ」が、大文字か", "0"},
      {"「Ａ」が、大文字か", "1"},
      {"「Zoo」が、大文字か", "1"},
      {"「」が、大文字か", "0"},
      {"「１２」が、数字か", "1"},
      {"「x1」が、数字か", "0"},
      {"「ｱ」が、全角か", "0"},
      {"「あ」が、全角か", "1"},
      {"「」が、全角か", "0"},
      {"「ぁ」が、ひらがなか", "0"},
      {"「あ」が、ひらがなか", "1"},
      {"「ん」が、ひらがなか", "1"},
      {"「a」が、ひらがなか", "0"},
      {"「ァ」が、カタカナか", "1"},
      {"「ヶ」が、カタカナか", "1"},
      {"「ー」が、カタカナか", "0"},
      {"「abc」を、BASE64エンコード", "YWJj"},
      {"「ab」を、BASE64エンコード", "YWI="},
      {"「YWJj\r\nZA==」を、BASE64デコード", "abcd"},
      {"それは、「前」\n「YWJ」を、BASE64デコード", ""},
      // encodings, written and read through BASE64
      {"「漢字テスト」の、文字コードをEUCに変換\nそれを、BASE64エンコード", "tMG7+qXGpbmlyA=="},
      {"「漢字テスト」の、文字コードをJISに変換\nそれを、BASE64エンコード", "GyRCNEE7eiVGJTklSBsoSg=="},
      {"「tMG7+qXGpbmlyA==」を、BASE64デコード\n文字コードをSJISに変換", "漢字テスト"},
      {"「GyRCNEE7eiVGJTklSBsoSg==」を、BASE64デコード\n文字コードをSJISに変換", "漢字テスト"},
      {"「GyRCNEE7eiVGJTklSBsoSg==」を、BASE64デコード\n文字コードをEUCに変換\nそれを、BASE64エンコード",
       "tMG7+qXGpbmlyA=="},
      {"「abc」の、文字コードをJISに変換", "abc"},           // nothing to decide
      {"「ｶﾞｷﾞ」の、文字コードをJISに変換", "ｶﾞｷﾞ"},        // EUC or Shift-JIS: undecided
      {"「pEKkpA==」を、BASE64デコード\n文字コードをSJISに変換\nそれを、BASE64エンコード", "pEKkpA=="},
      {"それは、「前」\n「」の、文字コードをEUCに変換", "前"},  // an empty text leaves それ
      {"それは、「前」\n「」の、文字コードをJISに変換", "前"},
      {"それは、「前」\n「」の、文字コードをSJISに変換", "前"},
      {"「ｶﾞｷﾞ」の、「SJIS」から、「JIS」へ、文字コード変換\nそれを、BASE64エンコード", "GyRCJSwlLhsoSg=="},
      {"「漢字テスト」の、「sjis」から、「euc」へ、文字コード変換\nそれを、BASE64エンコード", "tMG7+qXGpbmlyA=="},
      {"「tMG7+qXGpbmlyA==」を、BASE64デコード\nそれの、「EUC」から、「SJIS」へ、文字コード変換", "漢字テスト"},
      {"「漢字」の、「SJIS」から、「UTF-8」へ、文字コード変換", "漢字"},  // an unknown name is Shift-JIS
      {"「漢字」の、「EUC」から、「EUC」へ、文字コード変換", "漢字"},
      {"「Re: テスト」を、メールヘッダエンコード", "Re: =?ISO-2022-JP?B?GyRCJUYlOSVIGyhK?="},
      {"「Re: =?iso-2022-jp?B?GyRCJUYlOSVIGyhK?=」を、メールヘッダデコード", "Re: テスト"},
      {"「=?ISO-2022-JP?B?YWJ?=」を、メールヘッダデコード", ""},
  };
  for (const TProgCase& c : cases) {
    SCOPED_TRACE(c.program);
    Run(c.program);
    EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
    EXPECT_EQ(Value("それ"), c.want);
  }
}

// Which commands set それ's tag and which only the current tag.
TEST_F(ConversionCommands, Tags) {
  struct TTagCase {
    const char* command;
    const char* soreTag;  // それ's Tag afterwards, when it was "e" before
    const char* curTag;   // nullptr: as reading the argument left it
  };
  const TTagCase cases[] = {
      {"「x」を、半角変換", "e", "s"},
      {"「x」を、全角変換", "e", "s"},
      {"「x」を、英数半角変換", "e", "s"},
      {"「x」を、大文字変換", "s", "s"},
      {"「x」を、小文字変換", "s", "s"},
      {"「x」を、ひらがな変換", "s", "s"},
      {"「x」を、カタカナ変換", "s", "s"},
      {"「x」の、文字コードをEUCに変換", "s", "s"},
      {"「x」の、文字コードをJISに変換", "s", "s"},
      {"「x」の、文字コードをSJISに変換", "s", "s"},
      {"「x」の、「SJIS」から、「EUC」へ、文字コード変換", "e", "s"},
      {"「x」を、BASE64エンコード", "s", "s"},
      {"「x」を、BASE64デコード", "s", "s"},
      {"「x」を、メールヘッダエンコード", "e", "s"},
      {"「x」を、メールヘッダデコード", "e", "s"},
      {"「」の、文字コードをEUCに変換", "e", nullptr},  // nothing stored at all
  };
  for (const TTagCase& c : cases) {
    SCOPED_TRACE(c.command);
    Run(std::string("「Ａ」が、大文字か\n") + c.command);
    EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
    ASSERT_NE(Word("それ"), nullptr);
    EXPECT_EQ(Word("それ")->Tag, c.soreTag);
    if (c.curTag) {
      EXPECT_EQ(tama.curTag, c.curTag);
    }
  }
  Run("「x」を、BASE64エンコード\n「Ａ」が、大文字か");
  EXPECT_EQ(Word("それ")->Tag, "e");
  EXPECT_EQ(tama.curTag, "e");
}

// それ is put in place of an omitted first argument.
TEST_F(ConversionCommands, OmittedArgumentIsSore) {
  Run("それは、「ａｂ」\n大文字変換\n英数半角変換");
  EXPECT_EQ(Value("それ"), "AB");
}

}  // namespace
}  // namespace tama
