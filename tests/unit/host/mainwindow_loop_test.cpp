// The main window's commands on the headless loop with a virtual clock: the
// program timer, 待つ with events running, closing and the end of a run, and
// the window commands' errors.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "commands/families.h"
#include "engine/tama.h"
#include "frontend/normalize.h"
#include "gui/mainwindow.h"
#include "gui/model.h"
#include "host/headless.h"
#include "host/startup.h"
#include "sjis/convert.h"

namespace tama::host {
namespace {

// Records what the program shows, with the clock's time, on a loop whose
// clock jumps to the next timer.
class TClockHost : public THost {
 public:
  void Display(std::string_view text) override {
    out += std::to_string(loop.Now()) + " " + sjis::SjisToUtf8(text) + "\n";
  }
  void Message(std::string_view text, std::string_view) override { Display(text); }
  TErrorAnswer ShowErrorDialog(const std::string& log) override {
    errors += sjis::SjisToUtf8(log);
    return TErrorAnswer::kStop;
  }
  void Unanswered(std::string_view line) override { unanswered += sjis::SjisToUtf8(line) + "\n"; }
  bool Headless() const override { return true; }
  TEventLoop* Loop() override { return &loop; }

  THeadlessLoop loop{THeadlessLoop::TClock::kVirtual};
  std::string out, errors, unanswered;
};

const char* U(const char8_t* s) { return reinterpret_cast<const char*>(s); }

// Program text as a test writes it: UTF-8, LF line ends.
std::string Program(const char8_t* utf8) {
  std::string text = sjis::Utf8ToSjisLossy(U(utf8));
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

class MainWindowLoop : public ::testing::Test {
 protected:
  MainWindowLoop() {
    for (const TCommandFamily& f : AllCommandFamilies()) families.push_back(&f);
    Fresh();
  }
  // A new interpreter on a new loop (a closed run leaves its loop ended).
  void Fresh() {
    tamaPtr.reset();
    hostPtr = std::make_unique<TClockHost>();
    tamaPtr = std::make_unique<TTamaBase>(*hostPtr);
    T().SetHandlers(families);
    T().programFileName = "t.tmk";
  }
  // The whole run as start-up makes it: the main text, then the loop.
  int Run(const char8_t* source) {
    T().sourceText = Program(source);
    return RunMain(T(), families);
  }
  // Loads a program without running it (objects may be added first), then
  // Go runs it and the loop.
  void Load(const char8_t* source) {
    Fresh();
    T().errorLog.Clear();
    T().words.Clear();
    T().RegisterWords(families);
    std::string text = Program(source);
    frontend::NormalizeSource(text);
    TTextRef main = MakeText(text);
    T().sourceTexts.assign(1, main);
    T().CollectLabels(main, T().programFileName);
    T().Jump({main, main->begin()});
  }
  void Go() {
    T().RunProgram();
    gui::RunLoop(T());
  }
  // An object record with its word, as creation leaves them.
  gui::TObjNode& AddObject(const char8_t* name, int kind) {
    gui::TGuiState& g = gui::Gui(T());
    gui::MainWindow(T());
    auto node = std::make_unique<gui::TObjNode>();
    node->name = sjis::Utf8ToSjisLossy(U(name));
    node->kind = kind;
    node->number = static_cast<int>(g.objects.size());
    node->parent = kind == gui::kForm ? -1 : 0;
    node->w = 75;
    node->h = 25;
    if (node->parent == 0) g.Main().children.push_back(node->number);
    auto word = std::make_shared<THashNode>(node->name, false, TPos{}, wkObject, node->number, gui::KindWord(kind), "", "");
    T().AddWord(word);
    g.objects.push_back(std::move(node));
    return *g.objects.back();
  }
  std::string Reason() {
    std::string log = sjis::SjisToUtf8(T().errorLog.Text());
    const std::string mark = U(u8"理由は,");
    size_t at = log.find(mark);
    if (at != std::string::npos) log = log.substr(at + mark.size());
    while (!log.empty() && (log.back() == '\n' || log.back() == '\r')) log.pop_back();
    return log;
  }

  std::vector<const TCommandFamily*> families;
  std::unique_ptr<TClockHost> hostPtr;
  std::unique_ptr<TTamaBase> tamaPtr;
  TClockHost& H() { return *hostPtr; }
  TTamaBase& T() { return *tamaPtr; }
};

TEST_F(MainWindowLoop, TheTimerRunsItsLabelOnceWhileIdle) {
  EXPECT_EQ(Run(u8"0.2秒後に、後でへ飛ぶ、タイマー設定\n"
                u8"「前」と、表示\n"
                u8"待機\n"
                u8"*後で\n"
                u8"「後で」と、表示\n"
                u8"戻る\n"),
            0);
  EXPECT_EQ(H().out, U(u8"0 前\n200 後で\n"));
  EXPECT_FALSE(gui::TimerArmed(T()));
}

TEST_F(MainWindowLoop, CancellingOrReplacingTheTimer) {
  struct {
    const char8_t* program;
    const char8_t* out;
  } cases[] = {
      {u8"0.2秒後に、後でへ飛ぶ、タイマー設定\nタイマー解除\n待機\n*後で\n「後で」と、表示\n戻る\n", u8""},
      {u8"0.5秒後に、Aへ飛ぶ、タイマー設定\n0.3秒後に、Bへ飛ぶ、タイマー設定\n待機\n"
       u8"*A\n「A」と、表示\n戻る\n*B\n「B」と、表示\n戻る\n",
       u8"300 B\n"},
      // an empty label switches the timer off
      {u8"0.2秒後に、後でへ飛ぶ、タイマー設定\n0秒後に、「」へ飛ぶ、タイマー設定\n待機\n*後で\n「後で」と、表示\n戻る\n",
       u8""},
      // the handler may set the timer again
      {u8"N=0\n0.1秒後に、後でへ飛ぶ、タイマー設定\n待機\n*後で\nN=N+1\nNを、表示\n"
       u8"もし、N<3ならば、0.1秒後に、後でへ飛ぶ、タイマー設定\n戻る\n",
       u8"100 1\n200 2\n300 3\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(U(c.program));
    Fresh();
    Run(c.program);
    EXPECT_EQ(H().out, U(c.out));
  }
}

TEST_F(MainWindowLoop, ATimerDuringAWaitRunsItsLabelAfterTheWait) {
  EXPECT_EQ(Run(u8"0.2秒後に、後でへ飛ぶ、タイマー設定\n"
                u8"「待つ前」と、表示\n"
                u8"1秒、待つ\n"
                u8"「待った」と、表示\n"
                u8"待機\n"
                u8"*後で\n"
                u8"「タイマー」と、表示\n"
                u8"戻る\n"),
            0);
  EXPECT_EQ(H().out, U(u8"0 待つ前\n1000 タイマー\n1000 待った\n"));
}

TEST_F(MainWindowLoop, WaitingPumpsEveryHundredMilliseconds) {
  std::vector<int64_t> pumps;
  Load(u8"0.35秒、待つ\n「後」と、表示\n");
  gui::Gui(T()).waitHook = [&](TTamaBase&) { pumps.push_back(H().loop.Now()); };
  Go();
  EXPECT_EQ(H().out, U(u8"350 後\n"));
  ASSERT_GE(pumps.size(), 4u);
  EXPECT_EQ(pumps.front(), 0);
  for (size_t i = 1; i < pumps.size(); ++i) EXPECT_LE(pumps[i] - pumps[i - 1], 100);
  EXPECT_LT(pumps.back(), 350);
}

TEST_F(MainWindowLoop, AStopEndsTheWaitEarly) {
  Load(u8"10秒、待つ\n「後」と、表示\n");
  gui::Gui(T()).waitHook = [&](TTamaBase& t) {
    if (H().loop.Now() >= 300) t.stopFlag = true;
  };
  Go();
  EXPECT_EQ(H().out, "");
  EXPECT_EQ(H().loop.Now(), 300);
}

TEST_F(MainWindowLoop, WaitingForNothingOrLessThanNothing) {
  Load(u8"0秒、待つ\n-5秒、待つ\n「後」と、表示\n");
  Go();
  EXPECT_EQ(H().out, U(u8"0 後\n"));
}

TEST_F(MainWindowLoop, TheEndOfTheRunAsksToCloseOnceEvenWhenRefused) {
  EXPECT_EQ(Run(u8"後始末に、終了処理設定\n"
                u8"「本文」と、表示\n"
                u8"待機\n"
                u8"*後始末\n"
                u8"「後始末」と、表示\n"
                u8"後始末に、終了処理設定\n"  // refuses
                u8"戻る\n"),
            0);
  EXPECT_EQ(H().out, U(u8"0 本文\n0 後始末\n"));
}

TEST_F(MainWindowLoop, ARefusedCloseLetsTheRunGoOn) {
  Load(u8"後始末に、終了処理設定\n"
       u8"待機\n"
       u8"*後始末\n"
       u8"「後始末」と、表示\n"
       u8"二度目に、終了処理設定\n"
       u8"0.1秒後に、後でへ飛ぶ、タイマー設定\n"
       u8"戻る\n"
       u8"*二度目\n"
       u8"「二度目」と、表示\n"
       u8"戻る\n"
       u8"*後で\n"
       u8"「後で」と、表示\n"
       u8"戻る\n");
  T().RunProgram();
  gui::CloseRequested(T(), gui::MainWindow(T()));
  EXPECT_FALSE(T().stopFlag);
  gui::RunLoop(T());  // the timer, then the end: the second handler closes
  EXPECT_EQ(H().out, U(u8"0 後始末\n100 後で\n100 二度目\n"));
  EXPECT_TRUE(T().stopFlag);
}

TEST_F(MainWindowLoop, ARefusedEndingMakesTheProgramIdle) {
  EXPECT_EQ(Run(u8"後始末に、終了処理設定\n"
                u8"おわり\n"
                u8"「ここは出ない」と、表示\n"
                u8"*後始末\n"
                u8"「後始末」と、表示\n"
                u8"最後に、終了処理設定\n"
                u8"戻る\n"
                u8"*最後\n"
                u8"「最後」と、表示\n"
                u8"戻る\n"),
            0);
  EXPECT_EQ(H().out, U(u8"0 後始末\n0 最後\n"));
}

TEST_F(MainWindowLoop, TheScriptedEventsKeepTheRunAlive) {
  int calls = 0;
  gui::Gui(T()).idleHook = [&](TTamaBase& t) {
    if (calls++ > 0) return false;
    H().loop.Post([&t] { t.RunNestedLabel(*t.words.Find(sjis::Utf8ToSjisLossy(U(u8"クリック")), false)); });
    return true;
  };
  EXPECT_EQ(Run(u8"後始末に、終了処理設定\n"
                u8"待機\n"
                u8"*クリック\n"
                u8"「クリック」と、表示\n"
                u8"戻る\n"
                u8"*後始末\n"
                u8"「後始末」と、表示\n"
                u8"戻る\n"),
            0);
  EXPECT_EQ(H().out, U(u8"0 クリック\n0 後始末\n"));
  EXPECT_EQ(calls, 2);
}

TEST_F(MainWindowLoop, DisplayMovesTheCursorAndClearingResetsIt) {
  Load(u8"「一\n二\n三」と、表示\n");
  Go();
  EXPECT_EQ(T().textX, 10);
  EXPECT_EQ(T().textY, 10 + 3 * 19);
  Load(u8"(30,40)へ、移動\n「あ」と、表示\n");
  Go();
  EXPECT_EQ(T().textX, 30);
  EXPECT_EQ(T().textY, 40 + 19);
  Load(u8"「#00FF00」で、画面クリア\n");
  Go();
  EXPECT_EQ(gui::MainWindow(T()).background, 0x00FF00);
  EXPECT_EQ(T().textY, 10);
  // without an argument the current background: not the colour in それ
  Load(u8"「#00FF00」で、画面クリア\nそれは、「#0000FF」\n(30,40)へ、移動\n画面クリア\n");
  Go();
  EXPECT_EQ(gui::MainWindow(T()).background, 0x00FF00);
  EXPECT_EQ(T().textX, 10);
  EXPECT_EQ(T().textY, 10);
}

TEST_F(MainWindowLoop, DisplayToAFileMovesNothing) {
  char tmpl[] = "/tmp/displayXXXXXX";
  std::string dir = mkdtemp(tmpl);
  const std::string file = dir + "/out.txt";
  std::u8string program = u8"表示出力先は、「" + std::u8string(file.begin(), file.end()) + u8"」\n「あ」と、表示\n";
  Load(program.c_str());
  T().securityLevel = 0;
  Go();
  EXPECT_EQ(T().textY, 10);
  EXPECT_EQ(H().out, "");
  EXPECT_TRUE(T().errorLog.Blank()) << sjis::SjisToUtf8(T().errorLog.Text());
  std::ifstream in(file, std::ios::binary);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(sjis::SjisToUtf8(line), U(u8"あ\r"));
  std::remove(file.c_str());
  rmdir(dir.c_str());
}

TEST_F(MainWindowLoop, CommandErrors) {
  struct {
    const char8_t* program;
    const char8_t* reason;
  } cases[] = {
      {u8"ボタン1を、最大化\n", u8"オブジェクト\"ボタン1\"は、\"フォーム\"ではありません。"},
      {u8"ボタン1を、フォーム元のサイズ\n", u8"オブジェクト\"ボタン1\"は、\"フォーム\"ではありません。"},
      {u8"Aは、1\nAを、最小化\n", u8"[エラー] t.tmk(2行目): \"A\"は、オブジェクトではありません。"},
      {u8"無いものを、最大化\n", u8"[エラー] t.tmk(1行目): オブジェクト\"無いもの\"が特定できません。"},
      {u8"無いものを、最前面\n", u8"[エラー] t.tmk(1行目): オブジェクト\"無いもの\"は、作成されていません。"},
      {u8"無いものを、中央へ移動\n", u8"[エラー] t.tmk(1行目): オブジェクト\"無いもの\"は、作成されていません。"},
      {u8"-1に、母艦スタイル設定\n", u8"範囲チェックエラー"},
      {u8"「無いファイル.ico」を、母艦アイコン\n", u8"ファイル\"無いファイル.ico\"の、読み込みか書き込みに、失敗しました。"},
      {u8"ボタン1を、母艦アイコン\n", u8"ファイル\"ボタン1\"の、読み込みか書き込みに、失敗しました。"},
      {u8"「(1,2,3)」へ、移動\n", u8"[エラー] t.tmk(1行目): 座標の指定エラー"},
      {u8"1秒後に、Aへ飛ぶ、タイマー設定\n", u8"[エラー] t.tmk(1行目): 未定義のラベル\"A\"に、ジャンプしようとしました。"},
      {u8"4294968秒後に、Lへ飛ぶ、タイマー設定\n*L\n", u8"範囲チェックエラー"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(U(c.program));
    Load(c.program);
    AddObject(u8"ボタン1", gui::kButton);
    Go();
    EXPECT_EQ(Reason(), U(c.reason));
  }
}

TEST_F(MainWindowLoop, WindowCommandsOnForms) {
  Load(u8"フォーム1を、最大化\n");
  gui::TObjNode& form = AddObject(u8"フォーム1", gui::kForm);
  Go();
  EXPECT_EQ(form.windowState, 2);
  Load(u8"フォーム1を、最小化\n母艦を、最大化\n");
  gui::TObjNode& form2 = AddObject(u8"フォーム1", gui::kForm);
  Go();
  EXPECT_EQ(form2.windowState, 1);
  EXPECT_EQ(gui::MainWindow(T()).windowState, 2);
  EXPECT_TRUE(T().errorLog.Blank()) << sjis::SjisToUtf8(T().errorLog.Text());
}

TEST_F(MainWindowLoop, TheWindowIsShownFirstUnlessTheProgramShowsIt) {
  struct {
    const char8_t* program;
    bool shownAtStart;
  } cases[] = {
      {u8"A=1\n", true},
      {u8"「母艦浮上」と、表示\n", false},  // anywhere in the text
      {u8"※ 母艦浮上\nA=1\n", true},       // but not in a comment
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(U(c.program));
    Fresh();
    gui::Gui(T()).mainShown = !c.shownAtStart;
    Run(c.program);
    EXPECT_EQ(gui::Gui(T()).mainShown, c.shownAtStart);
  }
  Fresh();
  Run(u8"母艦浮上\n");
  EXPECT_TRUE(gui::Gui(T()).mainShown);
}

TEST_F(MainWindowLoop, TheIconIsAFileOrAPicture) {
  char tmpl[] = "/tmp/iconXXXXXX";
  std::string dir = mkdtemp(tmpl);
  const std::string file = dir + "/app.ico";
  std::ofstream(file) << "icon";
  std::u8string program = u8"「" + std::u8string(file.begin(), file.end()) + u8"」を、母艦アイコン\n";
  Load(program.c_str());
  Go();
  EXPECT_EQ(gui::Gui(T()).icon, file);
  EXPECT_TRUE(T().errorLog.Blank()) << sjis::SjisToUtf8(T().errorLog.Text());
  Load(u8"絵を、母艦アイコン\n");
  gui::TObjNode& image = AddObject(u8"絵", gui::kImage);
  image.hasPicture = true;
  Go();
  EXPECT_EQ(gui::Gui(T()).iconObject, image.number);
  EXPECT_EQ(gui::Gui(T()).icon, "");
  // an image without a picture is no icon
  Load(u8"絵を、母艦アイコン\n");
  AddObject(u8"絵", gui::kImage);
  Go();
  EXPECT_EQ(Reason(), U(u8"ファイル\"絵\"の、読み込みか書き込みに、失敗しました。"));
  std::remove(file.c_str());
  rmdir(dir.c_str());
}

TEST_F(MainWindowLoop, PrintingCannotBeAnsweredWithoutAWindow) {
  Load(u8"「前」と、表示\n母艦印刷\n");
  Go();
  EXPECT_EQ(H().unanswered, U(u8"[注　意] t.tmk(2行目): ダイアログ\"母艦印刷\"に答えられないため、印刷を取り消しました。\n"));
  EXPECT_TRUE(T().errorLog.Blank());
}

}  // namespace
}  // namespace tama::host
