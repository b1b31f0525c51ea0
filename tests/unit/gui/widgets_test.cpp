// The widgets of the object model: paths split by character, the naming of
// menu items, the tree commands, tab pages, the browser history, the grid's
// header sort, the tracker's minimum, rich text runs and their file, the
// editor settings, and the animation's frames on a stepped clock.
#include <gtest/gtest.h>

#include "test_host.h"

#include <map>
#include <string>
#include <vector>

#include "engine/tama.h"
#include "frontend/normalize.h"
#include "gui/objects.h"
#include "gui/user.h"
#include "gui/widgets.h"

namespace tama::gui {
namespace {

// A loop whose clock moves only when the test says so; it tells the timers
// that keep the run alive from the background ones.
class TSteppedLoop : public TEventLoop {
 public:
  int64_t now = 0;
  struct TTimer {
    int64_t due;
    TCallback cb;
    bool background;
  };
  std::map<TTimerId, TTimer> timers;
  TTimerId next = 1;

  int64_t Now() override { return now; }
  void Post(TCallback cb) override { cb(); }
  TTimerId AddTimer(int64_t delay, TCallback cb) override {
    timers[next] = {now + delay, std::move(cb), false};
    return next++;
  }
  TTimerId AddBackgroundTimer(int64_t delay, TCallback cb) override {
    timers[next] = {now + delay, std::move(cb), true};
    return next++;
  }
  bool CancelTimer(TTimerId id) override { return timers.erase(id) > 0; }
  TWatchId Watch(int, unsigned, TWatchCallback) override { return 0; }
  bool Unwatch(TWatchId) override { return false; }
  void ProcessPending() override {}
  bool WaitUntil(int64_t) override { return false; }
  void Run() override {}
  void Quit() override {}
  bool QuitRequested() const override { return false; }
  bool CanHappen() const override {
    for (const auto& [id, timer] : timers)
      if (!timer.background) return true;
    return false;
  }
  // Moves the clock to the next timer and runs it; false when none is armed.
  bool Step() {
    if (timers.empty()) return false;
    auto it = timers.begin();
    for (auto i = timers.begin(); i != timers.end(); ++i)
      if (i->second.due < it->second.due) it = i;
    now = it->second.due;
    TCallback cb = std::move(it->second.cb);
    timers.erase(it);
    cb();
    return true;
  }
};

class TLoopHost : public TTestHost {
 public:
  TSteppedLoop loop;
  TEventLoop* Loop() override { return &loop; }
};

struct TRun {
  TLoopHost host;
  TTamaBase t{host};
  TRun() {
    std::vector<const TCommandFamily*> families;
    t.SetHandlers(families);
    Install(t);
    t.RegisterWords(families);
    t.programFileName = "t.tmk";
    std::string source = "\r\n";
    frontend::NormalizeSource(source);
    TTextRef main = MakeText(source);
    t.sourceTexts.push_back(main);
    t.Jump({main, main->begin()});
  }
  TObjNode& Make(std::string_view name, std::string_view kind) {
    CreateObject(t, {}, true, name, kind);
    return *Gui(t).FindByName(name);
  }
  template <class F>
  std::string ErrorOf(F&& f) {
    try {
      f();
    } catch (const ETama& e) {
      std::string line = e.what();
      size_t at = line.find("): ");
      return at == std::string::npos ? line : line.substr(at + 3);
    }
    return "";
  }
};

std::vector<std::string> Paths(const TObjNode& node) {
  std::vector<std::string> out;
  for (const TTreeNode& n : node.tree) out.push_back(n.path);
  return out;
}

TEST(Widgets, PathsSplitByCharacter) {
  struct {
    std::string path;
    std::vector<std::string> parts;
  } cases[] = {
      {"A\\B", {"A", "B"}},
      {"表\\ソ", {"表", "ソ"}},  // both end in the byte 0x5C
      {"表ソ", {"表ソ"}},
      {"\\A\\\\B\\", {"A", "B"}},
      {"能力\\表示\\x", {"能力", "表示", "x"}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(PathParts(c.path), c.parts) << c.path;
  EXPECT_EQ(WithoutTrailingYen("表"), "表");
  EXPECT_EQ(WithoutTrailingYen("表\\"), "表");
  EXPECT_EQ(WithoutTrailingYen("A\\"), "A");
  EXPECT_TRUE(EndsWithChars("ファイルメニュー", "メニュー"));
  EXPECT_FALSE(EndsWithChars("表", "\\"));
}

TEST(Widgets, MenuItemNames) {
  TRun r;
  TGuiState& g = Gui(r.t);
  struct {
    std::string parent, name, madeName, caption;
    int parentNumber;
  } cases[] = {
      {"", "ファイルメニュー", "ファイルメニュー", "ファイル", -1},
      {"ファイルメニュー", "ファイル_開くメニュー", "ファイル_開くメニュー", "開く", 1},
      {"ファイルメニュー", "閉じる", "閉じる", "閉じる", 1},
      {"ファイルメニュー", "編集_貼るメニュー", "編集_貼るメニュー", "編集_貼る", 1},
      {"ファイルメニュー", "-", "split5メニュー", "-", 1},
      {"", "-メニュー", "split6メニュー", "-", -1},
      {"ファイル_開くメニュー", "ファイル_開く_前回メニュー", "ファイル_開く_前回メニュー", "前回", 2},
  };
  for (const auto& c : cases) {
    const int number = static_cast<int>(g.objects.size());
    CreateMenuItem(r.t, c.parent, c.name);
    TObjNode* node = g.Find(number);
    ASSERT_TRUE(node) << c.name;
    EXPECT_EQ(node->kind, kMenu);
    EXPECT_EQ(node->name, c.madeName);
    EXPECT_EQ(node->text, c.caption) << c.name;
    EXPECT_EQ(node->parent, c.parentNumber) << c.name;
    THashNode* word = r.t.words.Find(c.madeName, false);
    ASSERT_TRUE(word);
    EXPECT_EQ(word->Kind, wkObject);
    EXPECT_EQ(word->Id, number);
    EXPECT_EQ(r.t.words.Find("そ", false)->Id, number);
  }
  EXPECT_EQ(g.Find(1)->children, (std::vector<int>{2, 3, 4, 5}));
  // a variable gives way to the menu item
  r.t.AddWord(std::make_shared<THashNode>("設定メニュー", false, -1, "7"));
  CreateMenuItem(r.t, "", "設定メニュー");
  EXPECT_EQ(r.t.words.Find("設定メニュー", false)->Kind, wkObject);
  // paths: each item once
  CreateMenuPaths(r.t, "表\\ソ\r\n表\\能");
  const size_t count = g.objects.size();
  CreateMenuPaths(r.t, "表\\ソ");
  EXPECT_EQ(g.objects.size(), count);
  EXPECT_EQ(g.FindByName("表_ソメニュー")->parent, g.FindByName("表メニュー")->number);
  EXPECT_EQ(g.FindByName("表_能メニュー")->text, "能");
  // errors
  r.Make("甲", "ボタン");
  EXPECT_EQ(r.ErrorOf([&] { CreateMenuItem(r.t, "", "甲"); }), "オブジェクト\"甲\"は、既に存在するので、作成できません。");
  EXPECT_EQ(r.ErrorOf([&] { CreateMenuItem(r.t, "無いメニュー", "乙"); }), "オブジェクト\"無いメニュー\"は、作成されていません。");
  EXPECT_EQ(r.ErrorOf([&] { CreateMenuItem(r.t, "甲", "乙"); }), "オブジェクト\"甲\"は、作成されていません。");
  r.t.AddWord(std::make_shared<THashNode>("定数", true, -1, "1"));
  EXPECT_EQ(r.ErrorOf([&] { CreateMenuItem(r.t, "", "定数"); }), "\"定数\"は、読取専用です。");
}

TEST(Widgets, TreeAddDeleteExpand) {
  TRun r;
  TObjNode& tree = r.Make("木", "ツリー");
  AddTreePaths(r.t, tree, "A\\B\r\nA\\C\r\nD");
  EXPECT_EQ(Paths(tree), (std::vector<std::string>{"A", "A\\B", "A\\C", "D"}));
  // the same parent path as the line before: added without looking (duplicates kept)
  AddTreePaths(r.t, tree, "A\\B\r\nA\\B");
  EXPECT_EQ(Paths(tree), (std::vector<std::string>{"A", "A\\B", "A\\C", "A\\B", "D"}));
  AddTreePaths(r.t, tree, "A\\C\\E\r\n表\\ソ");
  EXPECT_EQ(Paths(tree), (std::vector<std::string>{"A", "A\\B", "A\\C", "A\\C\\E", "A\\B", "D", "表", "表\\ソ"}));

  ExpandTreePath(r.t, tree, "A\\", true);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(tree.tree[i].expanded) << i;
  EXPECT_FALSE(tree.tree[6].expanded);
  ExpandTreePath(r.t, tree, "A\\C", false);
  EXPECT_TRUE(tree.tree[0].expanded);
  EXPECT_FALSE(tree.tree[2].expanded);
  EXPECT_FALSE(tree.tree[3].expanded);
  ExpandTreePath(r.t, tree, "無い", true);
  ExpandTreePath(r.t, tree, "", true);
  for (const TTreeNode& n : tree.tree) EXPECT_TRUE(n.expanded);
  // collapsing everything folds the top level only
  ExpandTreePath(r.t, tree, "", false);
  EXPECT_FALSE(tree.tree[0].expanded);
  EXPECT_TRUE(tree.tree[2].expanded);
  EXPECT_FALSE(tree.tree[6].expanded);
  EXPECT_TRUE(tree.tree[7].expanded);

  // deleting moves the selection with its node, or clears it
  tree.treeSelected = 5;  // D
  EXPECT_TRUE(DeleteTreePath(r.t, tree, "A\\C"));
  EXPECT_EQ(Paths(tree), (std::vector<std::string>{"A", "A\\B", "A\\B", "D", "表", "表\\ソ"}));
  EXPECT_EQ(tree.treeSelected, 3);
  EXPECT_FALSE(DeleteTreePath(r.t, tree, "A\\"));
  EXPECT_TRUE(DeleteTreePath(r.t, tree, "D"));
  EXPECT_EQ(tree.treeSelected, -1);
  EXPECT_EQ(FindTreePath(tree, "表\\ソ"), 4);
}

TEST(Widgets, TabPages) {
  TRun r;
  TObjNode& tabs = r.Make("頁", "タブページ");
  AddPage(r.t, tabs, "一");
  AddPage(r.t, tabs, "二");
  EXPECT_EQ(tabs.pages, (std::vector<std::string>{"一", "二"}));
  tabs.activePage = 1;
  EnableActivePage(r.t, tabs, false);
  EXPECT_TRUE(PageEnabled(tabs, 0));
  EXPECT_FALSE(PageEnabled(tabs, 1));
  EnableActivePage(r.t, tabs, true);
  EXPECT_TRUE(PageEnabled(tabs, 1));
  struct {
    std::string where;
    int position;
  } cases[] = {{"下", 1}, {"左", 1}, {"右", 2}, {"", 2}, {"上", 0}};
  for (const auto& c : cases) {
    SetTabPosition(r.t, tabs, c.where);
    EXPECT_EQ(tabs.tabPosition, c.position) << c.where;
  }
}

TEST(Widgets, BrowserHistory) {
  TRun r;
  TObjNode& b = r.Make("窓", "ブラウザ");
  EXPECT_FALSE(HistoryStep(r.t, b, -1));
  Navigate(r.t, b, "a");
  Navigate(r.t, b, "b");
  EXPECT_FALSE(HistoryStep(r.t, b, 1));
  EXPECT_TRUE(HistoryStep(r.t, b, -1));
  EXPECT_EQ(b.url, "a");
  EXPECT_FALSE(HistoryStep(r.t, b, -1));
  Navigate(r.t, b, "c");  // the forward entry goes
  EXPECT_EQ(b.history, (std::vector<std::string>{"a", "c"}));
  EXPECT_FALSE(HistoryStep(r.t, b, 1));
}

TEST(Widgets, GridHeaderSortTogglesAndKeepsTheLastRow) {
  TRun r;
  TObjNode& grid = r.Make("表", "グリッド");
  LoadGrid(r.t, grid, "名,数\r\nb,1\r\nA,2\r\na,3\r\nC,4\r\n");
  auto column = [&](int col) {
    std::vector<std::string> out;
    for (int row = 0; row < GridRows(grid); ++row) out.push_back(grid.grid->GetCell(col, row));
    return out;
  };
  // columns as wide as their widest cell + 5 (12 points: 8 pixels a byte)
  grid.font = TFont{};
  LoadGrid(r.t, grid, "名,数,\r\nb,1,\r\nA,22,\r\na,3,\r\nC,4,\r\n");
  EXPECT_EQ(grid.gridColWidths, (std::vector<int>{21, 21, 64}));
  LoadGrid(r.t, grid, "名,数\r\nb,1\r\nA,2\r\na,3\r\nC,4\r\n");
  SortGridByHeader(r.t, grid, 0);  // sorting is off
  EXPECT_EQ(column(0), (std::vector<std::string>{"名", "b", "A", "a", "C", ""}));
  grid.gridSort = true;
  SortGridByHeader(r.t, grid, 0);
  EXPECT_EQ(column(0), (std::vector<std::string>{"名", "A", "a", "b", "C", ""}));
  EXPECT_EQ(column(1), (std::vector<std::string>{"数", "2", "3", "1", "4", ""}));
  SortGridByHeader(r.t, grid, 0);
  EXPECT_EQ(column(0), (std::vector<std::string>{"名", "C", "b", "A", "a", ""}));
  SortGridByHeader(r.t, grid, 1);
  EXPECT_EQ(column(1), (std::vector<std::string>{"数", "1", "2", "3", "4", ""}));
}

// The user's in-place edits: a grid cell only when 編集 is on, a tree node
// only when the tree is editable, rich text only with runs that cover it.
TEST(Widgets, UserEditsOfCellsNodesAndRichText) {
  TRun r;
  TObjNode& grid = r.Make("表", "グリッド");
  LoadGrid(r.t, grid, "名,数\r\nb,1\r\n");
  EXPECT_EQ(UserEditCell(r.t, grid.number, 1, 1, "9"), TUser::kCannot);  // 編集 is off
  grid.gridEdit = true;
  struct {
    int row, col;
    TUser want;
  } cells[] = {{1, 1, TUser::kDone}, {0, 0, TUser::kDone}, {2, 0, TUser::kDone}, {3, 0, TUser::kOutOfRange},
               {1, 2, TUser::kOutOfRange}, {-1, 0, TUser::kOutOfRange}};
  for (const auto& c : cells) EXPECT_EQ(UserEditCell(r.t, grid.number, c.row, c.col, "x"), c.want) << c.row << "," << c.col;
  EXPECT_EQ(grid.grid->GetCell(1, 1), "x");
  EXPECT_EQ(grid.grid->GetCell(0, 0), "x");
  TObjNode& tree = r.Make("木", "ツリー");
  AddTreePaths(r.t, tree, "A\\B\r\nA\\C");
  EXPECT_EQ(UserTreeRename(r.t, tree.number, 1, "D"), TUser::kDone);
  EXPECT_EQ(Paths(tree), (std::vector<std::string>{"A", "A\\D", "A\\C"}));
  EXPECT_EQ(UserTreeRename(r.t, tree.number, 0, "E"), TUser::kDone);
  EXPECT_EQ(Paths(tree), (std::vector<std::string>{"E", "E\\D", "E\\C"}));
  EXPECT_EQ(UserTreeRename(r.t, tree.number, 3, "F"), TUser::kOutOfRange);
  tree.readOnly = true;
  EXPECT_EQ(UserTreeRename(r.t, tree.number, 0, "F"), TUser::kCannot);
  TObjNode& rich = r.Make("文", "リッチエディタ");
  TFont bold;
  bold.bold = true;
  EXPECT_EQ(UserTypeRich(r.t, rich.number, "abc", {{1, bold}, {2, TFont{}}}), TUser::kDone);
  EXPECT_EQ(rich.runs.size(), 2u);
  EXPECT_EQ(UserTypeRich(r.t, rich.number, "abcd", {{1, bold}, {2, TFont{}}}), TUser::kDone);
  EXPECT_TRUE(rich.runs.empty());  // runs that do not cover the text are dropped
  EXPECT_EQ(rich.text, "abcd");
  EXPECT_EQ(UserTypeRich(r.t, grid.number, "x", {}), TUser::kCannot);
}

TEST(Widgets, TrackerKeepsItsMinimum) {
  TRun r;
  TObjNode& track = r.Make("枠", "トラック");
  struct {
    int w, h, wantW, wantH;
  } cases[] = {{3, 50, 10, 50}, {50, -4, 50, 10}, {10, 10, 10, 10}, {11, 200, 11, 200}};
  for (const auto& c : cases) {
    TrackChanged(r.t, track, 5, 6, c.w, c.h);
    EXPECT_EQ(track.x, 5);
    EXPECT_EQ(track.w, c.wantW);
    EXPECT_EQ(track.h, c.wantH);
  }
}

TEST(Widgets, RichTextRunsAndFile) {
  TRun r;
  TObjNode& rich = r.Make("文", "リッチエディタ");
  rich.font = TFont{};
  rich.text = "a\\{}\t表\r\nb";
  EXPECT_EQ(RichTextFile(rich),
            "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 "
            "\\'82\\'6c\\'82\\'72 \\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}}\r\n"
            "{\\colortbl ;\\red0\\green0\\blue0;}\r\n"
            "\\pard\\f0\\fs24\\cf1\\b0\\i0\\ulnone a\\\\\\{\\}\\tab \\'95\\'5c\\par\r\nb\\par\r\n}\r\n");
  // the selection "{}" in bold blue Arial at 10 points
  rich.selStart = 2;
  rich.selLength = 2;
  TFont f;
  f.name = "Arial";
  f.size = 10;
  f.bold = true;
  f.color = 0xFF0000;
  SetSelectionFont(r.t, rich, f);
  std::vector<TTextRun> runs = RichRuns(rich);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].length, 2);
  EXPECT_EQ(runs[1].length, 2);
  EXPECT_EQ(runs[1].font.name, "Arial");
  EXPECT_EQ(runs[2].length, static_cast<int>(rich.text.size()) - 4);
  const std::string file = RichTextFile(rich);
  EXPECT_NE(file.find("{\\f1\\fnil\\fcharset128 Arial;}"), std::string::npos);
  EXPECT_NE(file.find("\\red0\\green0\\blue255;"), std::string::npos);
  EXPECT_NE(file.find("\\f1\\fs20\\cf2\\b\\i0\\ulnone \\{\\}\\f0\\fs24\\cf1\\b0"), std::string::npos) << file;
  // typing inside the bold run takes its font; the runs stay over the text
  ReplaceRichText(rich, 3, 3, "xy");
  rich.text.insert(3, "xy");
  runs = RichRuns(rich);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[1].length, 4);
  // the runs no longer fitting the text: all of it in the object's font
  rich.text = "other";
  runs = RichRuns(rich);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].length, 5);
}

TEST(Widgets, EditorSettingsRoundTrip) {
  TRun r;
  TObjNode& a = r.Make("甲", "Tエディタ");
  a.font.name = "ＭＳ 明朝";
  a.font.size = 14;
  a.tabWidth = 4;
  a.lineNumbers = true;
  a.font.color = 255;
  a.background = 0xFFFFFF;
  TObjNode& b = r.Make("乙", "Tエディタ");
  for (const auto& [key, value] : EditorSettings(a)) ApplyEditorSetting(b, key, value);
  EXPECT_EQ(EditorSettings(b), EditorSettings(a));
  ApplyEditorSetting(b, "tamaFontSize", "x");
  ApplyEditorSetting(b, "tamaOther", "1");
  EXPECT_EQ(b.font.size, 14);
}

TEST(Widgets, AnimationFramesOnTheClock) {
  TRun r;
  TSteppedLoop& loop = r.host.loop;
  TObjNode& box = r.Make("絵", "アニメ");
  EXPECT_EQ(box.interval, 300);
  EXPECT_EQ(box.frameIndex, -1);
  box.frames = {"0.png", "1.png", "2.png"};
  box.interval = 50;
  box.repeat = 2;
  StartAnime(r.t, box);
  ASSERT_EQ(loop.timers.size(), 1u);
  EXPECT_TRUE(loop.timers.begin()->second.background);
  EXPECT_FALSE(loop.CanHappen());
  std::vector<int> frames, repeats;
  while (loop.Step()) {
    frames.push_back(box.frameIndex);
    repeats.push_back(box.repeat);
  }
  EXPECT_EQ(frames, (std::vector<int>{1, 2, 0, 1, 2, -1}));
  EXPECT_EQ(repeats, (std::vector<int>{2, 2, 1, 1, 1, 0}));
  EXPECT_EQ(loop.now, 300);
  EXPECT_FALSE(box.animating);
  EXPECT_EQ(ShownFrame(box), 0);

  // hover mode: frame 0 at rest, 1 to the last while the mouse is over it
  box.buttonMode = 2;
  box.repeatWritten = 0;
  AnimeMouseEnter(r.t, box);
  frames.clear();
  for (int i = 0; i < 5 && loop.Step(); ++i) frames.push_back(box.frameIndex);
  EXPECT_EQ(frames, (std::vector<int>{1, 2, 1, 2, 1}));
  AnimeMouseLeave(r.t, box);
  EXPECT_TRUE(loop.timers.empty());
  EXPECT_EQ(ShownFrame(box), 0);

  // button mode: no frame advances while the box is pressed
  box.buttonMode = 1;
  StartAnime(r.t, box);
  AnimeMouseDown(r.t, box);
  loop.Step();
  EXPECT_EQ(box.frameIndex, 0);
  AnimeMouseUp(r.t, box);
  loop.Step();
  EXPECT_EQ(box.frameIndex, 1);

  // hiding stops it; a destroyed box's timer does nothing
  box.visible = false;
  StopAnime(r.t, box);
  EXPECT_TRUE(loop.timers.empty());
  StartAnime(r.t, box);
  DestroyObject(r.t, box);
  EXPECT_TRUE(loop.timers.empty());
  // nor do the boxes of a run that registered its words again
  TObjNode& again = r.Make("絵2", "アニメ");
  again.frames = {"0.png"};
  StartAnime(r.t, again);
  r.t.words.Clear();
  r.t.RegisterWords({});
  EXPECT_TRUE(loop.timers.empty());
}

}  // namespace
}  // namespace tama::gui
