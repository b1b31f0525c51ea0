// The main window's model: the placement cursor under 表示, tab expansion and
// the 4096-byte cut, clearing, the timer's checks, closing, the window
// commands and the position file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/tama.h"
#include "frontend/normalize.h"
#include "gui/mainwindow.h"
#include "gui/model.h"
#include "sjis/convert.h"

namespace tama::gui {
namespace {

class TTestHost : public THost {
 public:
  void Display(std::string_view text) override { out += std::string(text) + "\n"; }
  void Message(std::string_view text, std::string_view) override { Display(text); }
  TErrorAnswer ShowErrorDialog(const std::string& l) override {
    log = l;
    return TErrorAnswer::kStop;
  }
  bool Headless() const override { return true; }
  std::string out, log;
};

class MainWindowModel : public ::testing::Test {
 protected:
  MainWindowModel() {
    t.errorLog.Clear();
    t.RegisterWords({});
    t.programFileName = "t.tmk";
    t.textX = t.textY = 10;
  }
  // Program text with labels (no commands: the vocabulary is the system words).
  void Load(std::string source) {
    frontend::NormalizeSource(source);
    TTextRef main = MakeText(source);
    t.sourceTexts.assign(1, main);
    t.CollectLabels(main, t.programFileName);
  }
  void Set(const char* word, const char* value) { t.QuickWord(word).SetValue(value); }
  TObjNode& Main() { return MainWindow(t); }
  // A record placed on a parent, as creation leaves it.
  TObjNode& Add(int kind, int parent, int x, int y, int w, int h) {
    TGuiState& g = Gui(t);
    Main();
    auto node = std::make_unique<TObjNode>();
    node->kind = kind;
    node->number = static_cast<int>(g.objects.size());
    node->name = "o" + std::to_string(node->number);
    node->parent = parent;
    node->x = x, node->y = y, node->w = w, node->h = h;
    if (TObjNode* p = g.Find(parent)) p->children.push_back(node->number);
    g.objects.push_back(std::move(node));
    return *g.objects.back();
  }
  std::string ErrorOf(const std::function<void()>& f) {
    try {
      f();
    } catch (const std::exception& e) {
      return sjis::SjisToUtf8(e.what());
    }
    return "<none>";
  }

  TTestHost host;
  TTamaBase t{host};
};

const char* U(const char8_t* s) { return reinterpret_cast<const char*>(s); }
std::string S(const char8_t* s) { return sjis::Utf8ToSjisLossy(U(s)); }

TEST_F(MainWindowModel, DisplayMovesTheCursorDownByTheLineAdvance) {
  struct {
    const char* size;  // 文字サイズ
    const char* text;
    int y;  // the cursor's Y after 表示 at (10, 10)
  } cases[] = {
      {"12", "a", 10 + 19},                    // pixel 16, trunc(19.2)
      {"12", "a\r\nb\r\nc", 10 + 3 * 19},      // one advance per line
      {"12", "a\rb\nc", 10 + 3 * 19},          // CR and LF alone break lines too
      {"12", "a\r\n", 10 + 19},                // a final break ends the line
      {"12", "\r\n\r\n", 10 + 2 * 19},         // empty lines count
      {"12", "", 10},                          // no line at all
      {"24", "a", 10 + 38},                    // pixel 32, trunc(38.4)
      {"9", "a", 10 + 14},                     // pixel 12, trunc(14.4)
      {"10", "a", 10 + 15},                    // pixel 13, trunc(15.6)
      {"abc", "a", 10 + 19},                   // not a number: 12
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.size) + " " + c.text);
    Set("文字サイズ", c.size);
    t.textX = 33;
    t.textY = 10;
    DisplayText(t, c.text);
    EXPECT_EQ(t.textY, c.y);
    EXPECT_EQ(t.textX, 33);
  }
}

TEST_F(MainWindowModel, DisplayKeepsTheDrawnLines) {
  DisplayText(t, "ab\r\n\r\ncd");
  const auto& drawn = Gui(t).drawnText;
  ASSERT_EQ(drawn.size(), 2u);  // the empty line draws nothing
  EXPECT_EQ(drawn[0].x, 10);
  EXPECT_EQ(drawn[0].y, 10);
  EXPECT_EQ(drawn[0].text, "ab");
  EXPECT_EQ(drawn[1].y, 10 + 2 * 19);
  EXPECT_EQ(drawn[1].font.size, 12);
  // far down the cursor stops at the largest position
  t.textY = 2147483647 - 5;
  DisplayText(t, "a\r\nb");
  EXPECT_EQ(t.textY, 2147483647);
  // below the picture layer nothing is kept, but the cursor goes on
  t.textY = 399;
  DisplayText(t, "x\r\ny");
  EXPECT_EQ(drawn.size(), 3u);
  EXPECT_EQ(t.textY, 399 + 2 * 19);
  ClearScreen(t, 255);
  EXPECT_TRUE(drawn.empty());
}

TEST_F(MainWindowModel, CentringPlacesEachLineInTheClientWidth) {
  Gui(t).centering = true;
  t.textX = 5;
  DisplayText(t, S(u8"ab\r\nあいう"));
  const auto& drawn = Gui(t).drawnText;
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].x, (640 - 16) / 2);  // two single-byte characters of 8
  EXPECT_EQ(drawn[1].x, (640 - 48) / 2);  // three double-byte characters of 16
  EXPECT_EQ(t.textX, 5);
  Main().w = 20;
  DisplayText(t, "abcdef");  // wider than the window: x below 0
  EXPECT_EQ(drawn.back().x, (20 - 48) / 2);
}

TEST_F(MainWindowModel, TabsAreExpandedUpToTheCut) {
  const std::string a4095(4095, 'a');
  struct {
    std::string text;
    const char* tabs;
    std::vector<std::string> lines;
  } cases[] = {
      {S(u8"あい\tx"), "8", {S(u8"あい    x")}},  // two double-byte characters count four columns
      {"a\tb\tc", "4", {"a   b   c"}},
      {"\t", "0", {" "}},  // a width below one counts as one
      {"ab\tc\r\nd\te", "3", {"ab c", "d  e"}},
      {a4095 + "\t", "8", {a4095 + " "}},                   // 4096 bytes: still expanded
      {a4095 + "\tb", "8", {a4095 + "\t"}},                 // longer: cut to 4096, not expanded
      {a4095 + S(u8"あ"), "8", {a4095}},                   // the cut never splits a character
      {std::string(4094, 'a') + S(u8"あ") + "z", "8", {std::string(4094, 'a') + S(u8"あ")}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.size());
    Set("タブ文字の個数", c.tabs);
    EXPECT_EQ(DisplayLines(t, c.text), c.lines);
  }
}

TEST_F(MainWindowModel, ClearingSetsTheBackgroundAndResetsTheCursor) {
  EXPECT_EQ(MainBackground(t), 0xFFFFFF);
  t.textX = 50;
  t.textY = 70;
  Main().hasPicture = true;
  ClearScreen(t, 0x00FF00);
  EXPECT_EQ(t.textX, 10);
  EXPECT_EQ(t.textY, 10);
  EXPECT_EQ(Main().background, 0x00FF00);
  EXPECT_FALSE(Main().hasPicture);
  EXPECT_EQ(MainBackground(t), 0x00FF00);
}

TEST_F(MainWindowModel, TimerChecksItsLabelAndInterval) {
  Load("*L\r\nA=1\r\n");
  struct {
    long double seconds;
    const char* label;
    const char8_t* error;  // "" when accepted
  } cases[] = {
      {1, "L", u8""},
      {0, "L", u8""},
      {4294967.295L, "L", u8""},
      {4294967.297L, "L", u8"範囲チェックエラー"},
      {-0.002L, "L", u8"範囲チェックエラー"},
      {1, "M", u8"[エラー] t.tmk(0行目): 未定義のラベル\"M\"に、ジャンプしようとしました。"},
      {1, "A", u8"[エラー] t.tmk(0行目): 未定義のラベル\"A\"に、ジャンプしようとしました。"},
      {1, "", u8""},
  };
  t.AddWord(std::make_shared<THashNode>("A", false, 0, ""));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    std::string e = ErrorOf([&] { SetProgramTimer(t, c.seconds, c.label); });
    EXPECT_EQ(e, *c.error ? U(c.error) : "<none>");
  }
  // without a loop nothing is armed; an empty label forgets the label
  EXPECT_FALSE(TimerArmed(t));
  EXPECT_EQ(Gui(t).timerLabel.text, nullptr);
  SetProgramTimer(t, 1, "L");
  EXPECT_EQ(Gui(t).timerLabelName, "L");
  CancelProgramTimer(t);
  EXPECT_EQ(Gui(t).timerLabelName, "L");  // タイマー解除 keeps the label
}

TEST_F(MainWindowModel, ClosingRunsTheHandlerOnce) {
  Load("*H\r\nN=N+1\r\n");
  t.AddWord(std::make_shared<THashNode>("N", false, 0, ""));
  t.terminationHandler = t.words.FindRef("H", false);
  Set("終了不可能", "1");  // as 終了処理設定 leaves it
  CloseRequested(t, Main());
  EXPECT_EQ(t.words.Find("N", false)->Value(), "1");
  EXPECT_EQ(t.terminationHandler, nullptr);
  EXPECT_TRUE(t.stopFlag);
  t.stopFlag = false;
  CloseRequested(t, Main());
  EXPECT_EQ(t.words.Find("N", false)->Value(), "1");
}

TEST_F(MainWindowModel, ClosingIsRefusedWhileCannotQuitIsOne) {
  // no handler left, 終了不可能 "1": refused, the run goes on
  Set("終了不可能", "1");
  CloseRequested(t, Main());
  EXPECT_FALSE(t.stopFlag);
  Set("終了不可能", "0");
  CloseRequested(t, Main());
  EXPECT_TRUE(t.stopFlag);
}

TEST_F(MainWindowModel, ClosingAFormHidesIt) {
  TObjNode& form = Add(kForm, -1, 0, 0, 400, 300);
  CloseRequested(t, form);
  EXPECT_FALSE(form.visible);
  EXPECT_FALSE(t.stopFlag);
}

TEST_F(MainWindowModel, ResizingMovesTheImageLayer) {
  TObjNode& form = Add(kForm, -1, 0, 0, 400, 300);
  TObjNode& img = Add(kImage, form.number, 0, 0, 400, 300);
  form.imgNumber = img.number;
  Resized(t, form, 500, 250);
  EXPECT_EQ(form.w, 500);
  EXPECT_EQ(form.h, 250);
  EXPECT_EQ(img.w, 500);
  EXPECT_EQ(img.h, 250);
  EXPECT_EQ(img.pictureW, 500);
  EXPECT_EQ(img.pictureH, 250);
  Resized(t, Main(), 320, 200);  // 母艦 is its own picture layer
  EXPECT_EQ(Main().pictureW, 320);
  EXPECT_EQ(Main().h, 200);
}

TEST_F(MainWindowModel, MainWindowStates) {
  TGuiState& g = Gui(t);
  SetMainState(t, 2);
  EXPECT_EQ(Main().windowState, 2);
  g.cursorShown = false;
  FullScreen(t);
  EXPECT_EQ(Main().windowState, 2);
  EXPECT_TRUE(Main().onTop);
  EXPECT_EQ(Main().style, 0);
  EXPECT_EQ(Main().x, 0);
  EXPECT_EQ(Main().y, 0);
  EXPECT_EQ(Main().w, 1024);  // the virtual screen
  EXPECT_EQ(Main().h, 768);
  SetMainState(t, 1);
  EXPECT_EQ(Main().windowState, 1);
  EXPECT_EQ(Main().style, 2);
  SetMainState(t, 0);
  EXPECT_EQ(Main().windowState, 0);
  EXPECT_FALSE(Main().onTop);
  EXPECT_TRUE(g.cursorShown);
  ShowMain(t);
  EXPECT_TRUE(g.mainShown);
  for (int64_t s : {0, 3, 5}) {
    EXPECT_TRUE(SetMainStyle(t, s));
    EXPECT_EQ(Main().style, s);
  }
  EXPECT_FALSE(SetMainStyle(t, -1));
  EXPECT_FALSE(SetMainStyle(t, 6));
  EXPECT_EQ(Main().style, 5);
}

TEST_F(MainWindowModel, FrontAndBackOrderTheSiblings) {
  TObjNode& a = Add(kButton, 0, 0, 0, 75, 25);
  TObjNode& b = Add(kButton, 0, 0, 0, 75, 25);
  TObjNode& c = Add(kButton, 0, 0, 0, 75, 25);
  BringToFront(t, a, true);
  EXPECT_EQ(Main().children, (std::vector<int>{b.number, c.number, a.number}));
  BringToFront(t, c, false);
  EXPECT_EQ(Main().children, (std::vector<int>{c.number, b.number, a.number}));
  TObjNode& form = Add(kForm, -1, 0, 0, 400, 300);
  BringToFront(t, form, true);
  EXPECT_TRUE(form.onTop);
  BringToFront(t, form, false);
  EXPECT_FALSE(form.onTop);
}

TEST_F(MainWindowModel, CentringAnObject) {
  TObjNode& form = Add(kForm, -1, 3, 4, 401, 301);
  CentreObject(t, form);
  EXPECT_EQ(form.x, (1024 - 401) / 2);
  EXPECT_EQ(form.y, (768 - 301) / 2);
  TObjNode& onMain = Add(kButton, 0, 1, 1, 75, 25);
  CentreObject(t, onMain);
  EXPECT_EQ(onMain.x, (640 - 75) / 2);
  EXPECT_EQ(onMain.y, (400 - 25) / 2);
  TObjNode& panel = Add(kPanel, 0, 0, 0, 185, 41);
  TObjNode& onPanel = Add(kButton, panel.number, 1, 1, 75, 25);
  CentreObject(t, onPanel);
  EXPECT_EQ(onPanel.x, 55);
  EXPECT_EQ(onPanel.y, 8);
  TObjNode& tabs = Add(kTabPage, 0, 0, 0, 289, 193);
  TObjNode& onTabs = Add(kButton, tabs.number, 1, 2, 75, 25);
  CentreObject(t, onTabs);  // in any other container it stays
  EXPECT_EQ(onTabs.x, 1);
  EXPECT_EQ(onTabs.y, 2);
}

TEST_F(MainWindowModel, UnansweredDialogLine) {
  EXPECT_EQ(sjis::SjisToUtf8(UnansweredLine(t, S(u8"母艦印刷"), S(u8"印刷を取り消しました"))),
            U(u8"[注　意] t.tmk(0行目): ダイアログ\"母艦印刷\"に答えられないため、印刷を取り消しました。"));
}

class FormPosition : public MainWindowModel {
 protected:
  FormPosition() {
    char tmpl[] = "/tmp/formposXXXXXX";
    dir_ = mkdtemp(tmpl);
    t.securityLevel = 0;
  }
  ~FormPosition() override {
    std::remove((dir_ + "/pos.ini").c_str());
    rmdir(dir_.c_str());
  }
  std::string Read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string dir_;
};

TEST_F(FormPosition, RecordAndRestore) {
  const std::string file = dir_ + "/pos.ini";
  Main().x = 12, Main().y = 34, Main().w = 500, Main().h = 300;
  Main().windowState = 2;
  SaveFormPosition(t, file);
  EXPECT_EQ(Read(file), "[frmTama]\r\nstate=2\r\ntop=34\r\nleft=12\r\nheight=300\r\nwidth=500\r\n");
  Main().x = Main().y = 0, Main().w = 640, Main().h = 400;
  Main().windowState = 0;
  RestoreFormPosition(t, file);
  EXPECT_EQ(Main().x, 12);
  EXPECT_EQ(Main().y, 34);
  EXPECT_EQ(Main().w, 500);
  EXPECT_EQ(Main().h, 300);
  EXPECT_EQ(Main().windowState, 2);
}

TEST_F(FormPosition, RestoreKeepsWhatTheFileLacks) {
  const std::string file = dir_ + "/pos.ini";
  {
    std::ofstream out(file, std::ios::binary);
    out << "; kept\r\n[FRMTAMA]\r\nLeft = \"77\"\r\ntop=x\r\n";
  }
  Main().x = 1, Main().y = 2;
  RestoreFormPosition(t, file);
  EXPECT_EQ(Main().x, 77);  // case, blanks and quotes as INI files have them
  EXPECT_EQ(Main().y, 2);   // not a number: the current value
  EXPECT_EQ(Main().w, 640);
  EXPECT_EQ(Main().windowState, 0);
  // a missing file changes nothing and is no error
  RestoreFormPosition(t, dir_ + "/none.ini");
  EXPECT_EQ(Main().x, 77);
  // recording replaces the keys in place and keeps the rest
  SaveFormPosition(t, file);
  EXPECT_EQ(Read(file), "; kept\r\n[FRMTAMA]\r\nleft=77\r\ntop=2\r\nstate=0\r\nheight=400\r\nwidth=640\r\n");
}

TEST_F(FormPosition, AFileThatCannotBeWrittenRaises) {
  const std::string file = dir_ + "/no/such/folder/pos.ini";
  EXPECT_EQ(ErrorOf([&] { SaveFormPosition(t, file); }),
            U(u8"ファイル\"") + file + U(u8"\"の、読み込みか書き込みに、失敗しました。"));
}

TEST_F(FormPosition, RelativeNamesCountFromTheWorkingFolder) {
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(FormPositionFile("a.ini"), std::string(cwd) + "/a.ini");
  EXPECT_EQ(FormPositionFile("/x/a.ini"), "/x/a.ini");
}

}  // namespace
}  // namespace tama::gui
