// The six XML commands run through whole programs: which argument is which,
// what それ gets and how parse errors are reported.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "run_fixture.h"

namespace tama {
namespace {

using runfx::TRunFixture;

class XmlCommands : public TRunFixture {
 protected:
  // それ after the program, with D, P and V set to the values.
  std::string Result(std::string_view program, const std::string& doc, const std::string& path = "",
                     const std::string& value = "") {
    Load(program);
    for (const auto& [name, v] : {std::pair<const char*, std::string>{"D", doc}, {"P", path}, {"V", value}})
      tama.AddWord(std::make_shared<THashNode>(name, false, 0, v));
    Word("それ")->Tag = "x";
    tama.RunProgram();
    EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
    EXPECT_EQ(Word("それ")->Tag, "x");  // only the current tag is set
    EXPECT_EQ(tama.curTag, "s");
    return Value("それ");
  }
};

TEST_F(XmlCommands, Commands) {
  struct TCase {
    std::string program, doc, path, value, want;
  } cases[] = {
      {"Dの、Pを、XMLテキストデータ取得", "<a><b>1</b><b>2</b></a>", "A\\B", "", "1\r\n2"},
      {"Dの、Pを、XMLテキストデータ取得", "<a>&lt;</a>", "a", "", "&lt;"},
      {"Dの、Pに、Vを、XMLテキストデータ設定", "<a/>", "a\\b", "x", "<a>\r\n\t<b>x</b>\r\n</a>\r\n\r\n"},
      {"Dの、Pを、XML属性データ取得", "<a x=\"1\" y=2/>", "a", "", "x=1\r\ny=2\r\n"},
      {"Dの、Pを、XML属性データ取得", "<a/>", "b", "", ""},
      {"Dの、Pに、Vを、XML属性データ設定", "<a y=\"0\"/>", "a", "x=1\r\nx=2", "<a x=\"2\"/>\r\n\r\n"},
      {"Dから、Pの、XML切り出し", "<a><b>1</b></a>", "a\\b", "", "<b>1</b>"},
      {"Dから、Pの、XML切り出し", "<a/>", "c", "", ""},
      {"Dを、XMLパス形式で取得", "<a><b>x</b><c/></a>", "", "", "a\\b\\\r\na\\c\r\n"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.program + " " + c.doc);
    EXPECT_EQ(Result(c.program, c.doc, c.path, c.value), c.want);
  }
}

TEST_F(XmlCommands, ParseErrorsAreCommandErrors) {
  struct TCase {
    std::string doc, reason;
  } cases[] = {
      {"<a b=c d>", "アトリビュートの読み込みで,不正な文字列\"d\"があります。"},
      {"<a b=\"c>", "アトリビュート \"b\"の値が\"で終わっていません。"},
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><a/>", "Shift_JIS以外の文字は処理できません。"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.doc);
    Load("Dを、XMLパス形式で取得");
    tama.AddWord(std::make_shared<THashNode>("D", false, 0, c.doc));
    tama.RunProgram();
    ASSERT_EQ(host.dialogs.size(), 1u);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"[エラー] t.tmk(1行目): システム命令実行中のエラー。理由は," + c.reason});
  }
}

}  // namespace
}  // namespace tama
