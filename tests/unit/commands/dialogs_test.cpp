// The dialog commands against a dialog view that records each request and
// gives the answers of the test: what the commands ask, and what それ holds
// afterwards, value and Tag.
#include <gtest/gtest.h>

#include <deque>
#include <memory>

#include "gui/dialogs.h"
#include "run_fixture.h"

namespace tama {
namespace {

using gui::TDialogAnswer;
using gui::TDialogKind;
using gui::TDialogRequest;

class TFakeView : public gui::TDialogView {
 public:
  std::vector<TDialogRequest> requests;
  std::deque<TDialogAnswer> answers;
  TDialogAnswer Show(TTamaBase&, const TDialogRequest& r) override {
    requests.push_back(r);
    if (answers.empty()) return gui::ClosedAnswer(r);
    TDialogAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
};

TDialogAnswer Ok(std::string text, int button = -1) {
  TDialogAnswer a;
  a.ok = true;
  a.text = std::move(text);
  a.button = button;
  return a;
}
TDialogAnswer Cancelled() { return TDialogAnswer(); }

// The descriptive type text ダイアログキャンセルの値 is registered with.
constexpr char kCancelTypeText[] = "ダイアログでキャンセルが押された時の値s";

class DialogCommands : public runfx::TResultFixture {
 protected:
  DialogCommands() : view(std::make_shared<TFakeView>()) {}
  // Runs the program with それ's Tag "?" first, the dialogs answered in order.
  void RunWith(std::string_view program, std::vector<TDialogAnswer> answers) {
    Load(program);
    gui::Dialogs(tama).view = view;
    view->requests.clear();
    view->answers.assign(answers.begin(), answers.end());
    tama.Sore().Tag = "?";
    tama.RunProgram();
  }
  void Expect(const char* value, const char* tag) {
    EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
    EXPECT_EQ(Value("それ"), value);
    EXPECT_EQ(Word("それ")->Tag, tag);
  }
  std::shared_ptr<TFakeView> view;
};

struct TAnswerCase {
  const char* program;
  TDialogAnswer answer;
  const char* value;
  const char* tag;
};

TEST_F(DialogCommands, ResultsAndTheirTags) {
  TDialogAnswer yes, no, cancel3;
  yes.ok = no.ok = cancel3.ok = true;
  yes.button = 1;
  no.button = 0;
  cancel3.button = 2;
  TDialogAnswer colour;
  colour.ok = true;
  colour.colour = 0xFF8000;
  TDialogAnswer font;
  font.ok = true;
  font.font = {"ＭＳ 明朝", true, false, false, 12};
  TDialogAnswer files;
  files.ok = true;
  files.paths = {"/d/a.txt", "/d/b.txt"};
  TDialogAnswer folder;
  folder.ok = true;
  folder.paths = {"/d/sub/"};
  const TAnswerCase cases[] = {
      {"「？」と、尋ねる", Ok("12"), "12", "e"},
      {"「？」と、尋ねる", Ok("$1F"), "$1F", "e"},
      {"「？」と、尋ねる", Ok("12abc"), "12abc", "e"},  // by the first character alone
      {"「？」と、尋ねる", Ok("abc"), "abc", "s"},
      {"「？」と、尋ねる", Ok("-5"), "-5", "s"},
      {"「？」と、尋ねる", Ok(""), "", "?"},  // an empty answer keeps the tag
      {"「？」と、尋ねる", Cancelled(), "", kCancelTypeText},
      {"ダイアログキャンセルの値は、「キャンセル」\n「？」と、尋ねる", Cancelled(), "キャンセル", "s"},
      {"ダイアログキャンセルの値は、-1\n「？」と、尋ねる", Cancelled(), "-1", "e"},
      {"「？」と、二択", yes, "1", "e"},
      {"「？」と、二択", no, "0", "e"},
      {"「？」と、三択", cancel3, "2", "e"},
      {"「？」と、三択", TDialogAnswer(), "2", "e"},  // a broken answer counts as the close box
      {"「？」が「a|b」の、どれか尋ねる", Ok("紫"), "紫", "?"},
      {"「？」が「a|b」の、どれか尋ねる", Cancelled(), "", kCancelTypeText},
      {"「？」を「a|b」の、リストから選択", Ok("b", 1), "b", "?"},
      {"「？」を\"a\\nb\"の、ボタンで選択", Ok("b", 1), "b", "s"},
      {"「？」を\"a\\nb\"の、ボタンで選択", Cancelled(), "", "s"},
      {"ダイアログキャンセルの値は、-1\n「？」を「a」の、ボタンで選択", Cancelled(), "-1", "s"},
      {"「元」の、メモ記入", Ok("新\r\n行"), "新\r\n行", "s"},
      {"ダイアログキャンセルの値は、「無」\n「元」の、メモ記入", Cancelled(), "無", "s"},
      {"「txt」の、読込ファイル選択", files, "/d/a.txt\r\n/d/b.txt", "s"},
      {"「txt」の、書込ファイル選択", Cancelled(), "", kCancelTypeText},
      {"フォルダ選択", folder, "/d/sub/", "s"},
      {"色選択", colour, "16744448", "e"},
      {"色選択", Cancelled(), "", kCancelTypeText},
      {"フォント選択", font, "ＭＳ 明朝|太字|12", "s"},
      {"ダイアログキャンセルの値は、「x」\nフォント選択", Cancelled(), "x", "s"},
  };
  for (const TAnswerCase& c : cases) {
    SCOPED_TRACE(c.program);
    RunWith(c.program, {c.answer});
    ASSERT_EQ(view->requests.size(), 1u);
    Expect(c.value, c.tag);
  }
}

TEST_F(DialogCommands, RequestsCarryTheWordsAtCallTime) {
  RunWith("ダイアログ初期値は、「最初」\n「名前？」と、尋ねる\nダイアログ初期値は、「次」\n尋ねる", {Ok("a"), Ok("b")});
  ASSERT_EQ(view->requests.size(), 2u);
  EXPECT_EQ(view->requests[0].kind, TDialogKind::kInput);
  EXPECT_EQ(view->requests[0].command, "尋ねる");
  EXPECT_EQ(view->requests[0].caption, "たまかず");
  EXPECT_EQ(view->requests[0].message, "名前？");
  EXPECT_EQ(view->requests[0].text, "最初");
  EXPECT_EQ(view->requests[1].message, "入力してください。");  // written without an argument
  EXPECT_EQ(view->requests[1].text, "次");

  RunWith("ダイアログIMEの状態は、IMEひらがな\n文字サイズは、20\n「色？」が「赤｜青|緑」の、どれか尋ねる", {Ok("x")});
  ASSERT_EQ(view->requests.size(), 1u);
  EXPECT_EQ(view->requests[0].message, "色？");
  EXPECT_EQ(view->requests[0].items, (std::vector<std::string>{"赤", "青", "緑"}));
  EXPECT_EQ(view->requests[0].ime, 2);
  EXPECT_EQ(view->requests[0].font.size, 20);

  RunWith("ダイアログ初期値は、「a.txt」\n「.csv」の、書込ファイル選択", {});
  ASSERT_EQ(view->requests.size(), 1u);
  EXPECT_EQ(view->requests[0].filter, "csv 形式(*.csv)|*.csv|全て(*.*)|*.*");
  EXPECT_EQ(view->requests[0].defaultExt, "csv");
  EXPECT_EQ(view->requests[0].text, "a.txt");
  EXPECT_FALSE(view->requests[0].multiple);
}

TEST_F(DialogCommands, ChoiceFieldIsEmptiedBeforeTheDialog) {
  // それ's value is "" while the dialog is open; a cancel then copies the word
  Load("「？」が「a」の、どれか尋ねる");
  struct TPeek : TFakeView {
    std::string seen;
    TDialogAnswer Show(TTamaBase& t, const TDialogRequest& r) override {
      seen = t.Sore().Value() + "|" + t.Sore().Tag;
      return Ok("a", 0);
    }
  };
  auto peek = std::make_shared<TPeek>();
  gui::Dialogs(tama).view = peek;
  tama.Sore().SetValue("前");
  tama.Sore().Tag = "s";
  tama.RunProgram();
  EXPECT_EQ(peek->seen, "|s");
  EXPECT_EQ(Value("それ"), "a");
}

TEST_F(DialogCommands, CommonDialogsKeepTheirChoice) {
  TDialogAnswer colour;
  colour.ok = true;
  colour.colour = 255;
  RunWith("色選択\n色選択\n「txt」の、読込ファイル選択\n「txt」の、読込ファイル選択", {colour, Cancelled()});
  ASSERT_EQ(view->requests.size(), 4u);
  EXPECT_EQ(view->requests[0].colour, 0);  // black the first time
  EXPECT_EQ(view->requests[1].colour, 255);
  TDialogAnswer file;
  file.ok = true;
  file.paths = {"/d/a.txt"};
  RunWith("「txt」の、読込ファイル選択\n「txt」の、読込ファイル選択", {file});
  ASSERT_EQ(view->requests.size(), 2u);
  EXPECT_EQ(view->requests[1].text, "/d/a.txt");
}

TEST_F(DialogCommands, TwentyButtonsAtMost) {
  std::string twenty = "1", more;
  for (int i = 2; i <= 20; ++i) twenty += "\\n" + std::to_string(i);
  RunWith("「？」を\"" + twenty + "\"の、ボタンで選択", {Ok("20", 19)});
  ASSERT_EQ(view->requests.size(), 1u);
  EXPECT_EQ(view->requests[0].items.size(), 20u);
  Expect("20", "s");
  RunWith("「？」を\"" + twenty + "\\n21\"の、ボタンで選択", {});
  EXPECT_TRUE(view->requests.empty());  // not shown
  EXPECT_EQ(Reason(), "範囲チェックエラー");
}

TEST_F(DialogCommands, MessageIsCutAndTabsExpanded) {
  RunWith("タブ文字の個数は、4\n「？」と、尋ねる\n「a\tb」と、言う", {Ok("x")});
  ASSERT_EQ(view->requests.size(), 2u);
  EXPECT_EQ(view->requests[1].kind, TDialogKind::kMessage);
  EXPECT_EQ(view->requests[1].message, "a   b");
  Expect("x", "s");  // 言う leaves それ alone

  // 4094 single bytes then a double-byte character: the cut keeps it whole or drops it
  std::string text(4094, 'a');
  text += "あ";
  Load("言う");
  gui::Dialogs(tama).view = view;
  view->requests.clear();
  tama.Sore().SetValue(text);
  tama.RunProgram();
  ASSERT_EQ(view->requests.size(), 1u);
  EXPECT_EQ(view->requests[0].message, std::string(4094, 'a') + "...");
  text = std::string(4095, 'b') + "c";
  Load("言う");
  view->requests.clear();
  tama.Sore().SetValue(text);
  tama.RunProgram();
  ASSERT_EQ(view->requests.size(), 1u);
  EXPECT_EQ(view->requests[0].message, std::string(4095, 'b') + "...");
}

}  // namespace
}  // namespace tama
