// The window view through the module's own interface, under the offscreen
// platform: records of the model become widgets, and the toolkit's input at
// those widgets reaches the sink as user actions (never the program's own
// changes).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QSpinBox>
#include <QTimer>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <QHeaderView>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gui/window_system.h"
#include "qt_module.h"
#include <QFile>

using namespace tama::gui;

namespace {

// What the view reported, one line per action.
class TSink : public IViewSink {
 public:
  std::map<int, TObjNode*> nodes;
  std::vector<TGuiState::TDrawnText> drawn;
  std::vector<std::string> log;

  const TObjNode* Node(int n) override { return nodes.count(n) ? nodes[n] : nullptr; }
  const std::vector<TGuiState::TDrawnText>& DrawnText() override { return drawn; }
  int64_t MainBackground() override { return 0xFFFFFF; }
  bool MainShown() override { return true; }
  void Click(int n, bool dbl) override { Add("click", n, dbl); }
  void Type(int n, const std::string& text) override { log.push_back("type " + std::to_string(n) + " " + text); }
  void SelectItem(int n, int i) override { Add("select", n, i); }
  void Check(int n, bool on) override { Add("check", n, on); }
  void Scroll(int n, int p) override { Add("scroll", n, p); }
  void Page(int n, int p) override { Add("page", n, p); }
  void TreeSelect(int n, int i) override { Add("tree", n, i); }
  void Cell(int n, int r, int c) override { Add("cell", n, r, c); }
  void Mouse(int n, int slot, int x, int y, unsigned m) override { Add("mouse", n, slot, x, y, static_cast<int>(m)); }
  void Key(int n, int slot, int code, unsigned m) override { Add("key", n, slot, code, static_cast<int>(m)); }
  void Drop(int n, const std::vector<std::string>& files) override {
    std::string line = "drop " + std::to_string(n);
    for (const auto& f : files) line += " " + f;
    log.push_back(line);
  }
  void SortColumn(int n, int col) override { Add("sort", n, col); }
  void TreeRename(int n, int i, const std::string& text) override {
    log.push_back("rename " + std::to_string(n) + " " + std::to_string(i) + " " + text);
  }
  void CellEdited(int n, int r, int c, const std::string& text) override {
    log.push_back("edit " + std::to_string(n) + " " + std::to_string(r) + " " + std::to_string(c) + " " + text);
  }
  void RichType(int n, const std::string& text, const std::vector<TTextRun>& runs) override {
    std::string line = "rich " + std::to_string(n) + " " + text;
    for (const auto& r : runs) line += " " + std::to_string(r.length) + (r.font.bold ? "b" : "");
    log.push_back(line);
  }
  void Hover(int n, bool enter) override { Add("hover", n, enter); }
  void Track(int n, int x, int y, int w, int h) override { Add("track", n, x, y, w, h); }
  void Resize(int n, int w, int h) override { Add("resize", n, w, h); }
  bool TrayShown() override { return false; }
  void Tray(bool right) override { Add("tray", right); }
  void MoveWindow(int n, int x, int y) override { Add("moveto", n, x, y); }
  void Close(int n) override { Add("close", n); }

 private:
  template <class... A>
  void Add(const char* verb, A... a) {
    std::string line = verb;
    ((line += " " + std::to_string(a)), ...);
    log.push_back(line);
  }
};

IWindowSystem* System() {
  static IWindowSystem* const ws = [] {
    const TQtEntry entry = QtModuleEntry();
    if (!entry) return static_cast<IWindowSystem*>(nullptr);
    if (entry("another build")) return static_cast<IWindowSystem*>(nullptr);  // must be refused
    return StartQtModule(entry);
  }();
  return ws;
}

// The windows and the application object go before the process ends.
class TFinish : public ::testing::Environment {
 public:
  void TearDown() override {
    if (System()) System()->Finish();
  }
};
const auto* const kFinish = ::testing::AddGlobalTestEnvironment(new TFinish);

class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(System(), nullptr);
    main_.name = "main";
    main_.kind = kForm;
    main_.parent = -1;
    main_.w = 640;
    main_.h = 400;
    main_.imgNumber = 0;
    sink_.nodes[0] = &main_;
    view_ = System()->MakeView(&sink_);
    view_->Changed(main_);
  }
  // a new node of `kind` under `parent`, known to the sink (not yet to the view)
  TObjNode& Own(int kind, int parent) {
    owned_.push_back(std::make_unique<TObjNode>());
    TObjNode& node = *owned_.back();
    node.kind = kind;
    node.number = static_cast<int>(owned_.size());
    node.parent = parent;
    sink_.nodes[node.number] = &node;
    return node;
  }
  TObjNode& Make(int kind, int x, int y, int w, int h) {
    TObjNode& node = Own(kind, 0);
    node.x = x, node.y = y, node.w = w, node.h = h;
    main_.children.push_back(node.number);
    view_->Created(node);
    return node;
  }
  // a menu item under `parent` (-1: the menu bar)
  TObjNode& MakeMenu(int parent, const std::string& text) {
    TObjNode& node = Own(kMenu, parent);
    node.text = text;
    if (parent > 0) sink_.nodes[parent]->children.push_back(node.number);
    view_->Created(node);
    if (parent > 0) view_->Changed(*sink_.nodes[parent]);
    return node;
  }
  template <class W>
  W* Widget(const TObjNode& node) {
    for (QWidget* w : QApplication::allWidgets())
      if (w->property("tamaNumber").isValid() && w->property("tamaNumber").toInt() == node.number && w->isVisible())
        if (auto* typed = dynamic_cast<W*>(w)) return typed;
    return nullptr;
  }

  TObjNode main_;
  std::vector<std::unique_ptr<TObjNode>> owned_;
  TSink sink_;
  IWindowView* view_ = nullptr;
};

TEST_F(ViewTest, ButtonPlacedAsTheModelSaysAndItsClickReported) {
  TObjNode& b = Make(kButton, 10, 20, 75, 25);
  b.text = "OK";
  view_->Changed(b);
  auto* w = Widget<QPushButton>(b);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->geometry(), QRect(10, 20, 75, 25));
  EXPECT_EQ(w->text(), "OK");
  w->click();
  ASSERT_FALSE(sink_.log.empty());
  EXPECT_EQ(sink_.log.back(), "click " + std::to_string(b.number) + " 0");
}

TEST_F(ViewTest, TypingIsReportedAndProgramWritesAreNot) {
  TObjNode& e = Make(kEdit, 10, 10, 121, 21);
  e.text = "abc";
  view_->Changed(e);
  auto* w = Widget<QLineEdit>(e);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->text(), "abc");
  EXPECT_TRUE(sink_.log.empty());
  w->setFocus();
  w->end(false);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_D, Qt::NoModifier, "d");
  QCoreApplication::sendEvent(w, &press);
  // the key first (its virtual-key number), then the edit
  std::vector<std::string> want = {"key " + std::to_string(e.number) + " " + std::to_string(kSlotKeyDown) + " 68 0",
                                   "type " + std::to_string(e.number) + " abcd"};
  EXPECT_EQ(sink_.log, want);
}

TEST_F(ViewTest, VirtualKeyNumbersAndModifiers) {
  TObjNode& e = Make(kEdit, 10, 10, 121, 21);
  auto* w = Widget<QLineEdit>(e);
  ASSERT_NE(w, nullptr);
  struct {
    int key;
    Qt::KeyboardModifiers mods;
    int code;
    unsigned bits;
  } cases[] = {
      {Qt::Key_F5, Qt::NoModifier, 116, 0},     {Qt::Key_Escape, Qt::NoModifier, 27, 0},
      {Qt::Key_Return, Qt::NoModifier, 13, 0},  {Qt::Key_Left, Qt::ShiftModifier, 37, 1},
      {Qt::Key_Down, Qt::ControlModifier, 40, 4}, {Qt::Key_7, Qt::AltModifier, 55, 2},
      {Qt::Key_Tab, Qt::NoModifier, 9, 0},
  };
  for (const auto& c : cases) {
    sink_.log.clear();
    QKeyEvent release(QEvent::KeyRelease, c.key, c.mods);
    QCoreApplication::sendEvent(w, &release);
    ASSERT_EQ(sink_.log.size(), 1u) << c.code;
    EXPECT_EQ(sink_.log[0], "key " + std::to_string(e.number) + " " + std::to_string(kSlotKeyUp) + " " +
                                std::to_string(c.code) + " " + std::to_string(c.bits));
  }
}

TEST_F(ViewTest, MouseOnAPaintedObjectInItsOwnCoordinates) {
  TObjNode& img = Make(kImage, 100, 50, 105, 105);
  QWidget* w = Widget<QWidget>(img);
  ASSERT_NE(w, nullptr);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 4), w->mapToGlobal(QPointF(3, 4)), Qt::RightButton,
                    Qt::RightButton, Qt::ShiftModifier);
  QCoreApplication::sendEvent(w, &press);
  ASSERT_FALSE(sink_.log.empty());
  // Shift 1 + Right 16
  EXPECT_EQ(sink_.log[0], "mouse " + std::to_string(img.number) + " " + std::to_string(kSlotMouseDown) + " 3 4 17");
}

TEST_F(ViewTest, DraggingATrackerMovesOrResizesIt) {
  TObjNode& tr = Make(kTrack, 100, 50, 100, 100);
  QWidget* w = Widget<QWidget>(tr);
  ASSERT_NE(w, nullptr);
  const std::string n = std::to_string(tr.number);
  // from the middle it moves; from the corner at the bottom right it grows
  struct {
    QPointF from, to;
    const char* want;
  } cases[] = {{{50, 50}, {60, 45}, " 110 45 100 100"}, {{97, 97}, {117, 87}, " 100 50 120 90"}};
  for (const auto& c : cases) {
    sink_.log.clear();
    const QPointF g = w->mapToGlobal(c.from), g2 = w->mapToGlobal(c.to);
    QMouseEvent press(QEvent::MouseButtonPress, c.from, g, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QMouseEvent move(QEvent::MouseMove, c.to, g2, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, c.to, g2, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &release);
    ASSERT_FALSE(sink_.log.empty());
    EXPECT_EQ(sink_.log.back(), "track " + n + c.want);
  }
}

TEST_F(ViewTest, EditorSettingsPanelGivesWhatTheUserChose) {
  TObjNode& ed = Make(kTEditor, 10, 10, 300, 200);
  std::vector<std::pair<std::string, std::string>> settings = {
      {"tamaFontName", "Serif"}, {"tamaFontSize", "12"}, {"tamaTabWidth", "8"}, {"tamaLineNumbers", "0"},
      {"tamaWordWrap", "0"},     {"tamaTextColor", "255"}, {"tamaBackColor", "16777215"}};
  // cancelled: nothing chosen
  QTimer::singleShot(0, [] {
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->reject();
  });
  auto kept = settings;
  EXPECT_FALSE(view_->EditorSettings(ed, kept));
  EXPECT_EQ(kept, settings);
  // accepted after ticking line numbers and a tab width of 4
  QTimer::singleShot(0, [] {
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!d) return;
    auto spins = d->findChildren<QSpinBox*>();
    if (spins.size() == 2) spins[1]->setValue(4);
    for (auto* c : d->findChildren<QCheckBox*>())
      if (c->text().contains(QStringLiteral("行番号"))) c->setChecked(true);
    d->accept();
  });
  ASSERT_TRUE(view_->EditorSettings(ed, settings));
  std::map<std::string, std::string> got(settings.begin(), settings.end());
  EXPECT_EQ(got["tamaTabWidth"], "4");
  EXPECT_EQ(got["tamaLineNumbers"], "1");
  EXPECT_EQ(got["tamaWordWrap"], "0");
  EXPECT_EQ(got["tamaFontSize"], "12");
  EXPECT_EQ(got["tamaTextColor"], "255");
  EXPECT_EQ(got["tamaBackColor"], "16777215");
}

TEST_F(ViewTest, ComboKeepsTheModelsSelectionWhenItemsArrive) {
  TObjNode& c = Make(kCombo, 10, 10, 145, 21);
  c.items = {"a", "b", "c"};
  c.selected = -1;
  c.text = "";
  view_->Changed(c);
  auto* w = Widget<QComboBox>(c);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->count(), 3);
  EXPECT_EQ(w->currentIndex(), -1);
  c.selected = 2;
  c.text = "c";
  view_->Changed(c);
  EXPECT_EQ(w->currentIndex(), 2);
  EXPECT_TRUE(sink_.log.empty());
}

TEST_F(ViewTest, CheckBoxTickReportedWithItsState) {
  TObjNode& c = Make(kCheck, 10, 10, 97, 17);
  auto* w = Widget<QCheckBox>(c);
  ASSERT_NE(w, nullptr);
  w->click();
  ASSERT_FALSE(sink_.log.empty());
  EXPECT_EQ(sink_.log.back(), "check " + std::to_string(c.number) + " 1");
}

TEST_F(ViewTest, TreeNodesNestedByLevelAndSelectionReported) {
  TObjNode& t = Make(kTree, 10, 10, 121, 97);
  t.tree = {{"a", "a", 0}, {"a\\b", "b", 1}, {"c", "c", 0}};
  view_->Changed(t);
  auto* w = Widget<QTreeWidget>(t);
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->topLevelItemCount(), 2);
  ASSERT_EQ(w->topLevelItem(0)->childCount(), 1);
  EXPECT_EQ(w->topLevelItem(0)->child(0)->text(0), "b");
  EXPECT_TRUE(sink_.log.empty());
  w->setCurrentItem(w->topLevelItem(1));
  ASSERT_FALSE(sink_.log.empty());
  EXPECT_EQ(sink_.log.back(), "tree " + std::to_string(t.number) + " 2");
}

TEST_F(ViewTest, ObjectsOnATabPageGoOnTheirPage) {
  TObjNode& tabs = Make(kTabPage, 10, 10, 289, 193);
  tabs.pages = {"one", "two"};
  view_->Changed(tabs);
  TObjNode& b = Make(kButton, 5, 5, 75, 25);
  b.parent = tabs.number;
  b.page = 1;
  tabs.children.push_back(b.number);
  view_->Changed(b);
  auto* tw = Widget<QTabWidget>(tabs);
  ASSERT_NE(tw, nullptr);
  ASSERT_EQ(tw->count(), 2);
  EXPECT_EQ(tw->tabText(1), "two");
  QPushButton* bw = nullptr;
  for (QWidget* w : QApplication::allWidgets())
    if (w->property("tamaNumber").toInt() == b.number && dynamic_cast<QPushButton*>(w)) bw = static_cast<QPushButton*>(w);
  ASSERT_NE(bw, nullptr);
  EXPECT_EQ(bw->parentWidget(), tw->widget(1));
}

TEST_F(ViewTest, ShotOfTheMainWindowShowsDrawnText) {
  sink_.drawn.push_back({10, 10, std::string("\x81\xa1\x81\xa1"), TFont{}});  // two filled squares
  view_->MainDrawn();
  const std::string file = std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/tama_view_test.png";
  std::string error;
  ASSERT_TRUE(view_->Shot(file, error)) << error;
  QImage image(QString::fromStdString(file));
  std::remove(file.c_str());
  ASSERT_EQ(image.size(), QSize(640, 400));
  EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::white));
  EXPECT_EQ(image.pixelColor(18, 18), QColor(Qt::black));
}

}  // namespace

namespace {

TEST_F(ViewTest, CloseBoxAndResizingOfTheWindowGoToTheModel) {
  QWidget* window = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->windowTitle().isEmpty() && w->size() == QSize(640, 400)) window = w;
  ASSERT_NE(window, nullptr);
  QCloseEvent close;
  QCoreApplication::sendEvent(window, &close);
  EXPECT_FALSE(close.isAccepted());  // the model decides whether it closes
  ASSERT_FALSE(sink_.log.empty());
  EXPECT_EQ(sink_.log.back(), "close 0");
  // a size the model already has is no user's resizing
  sink_.log.clear();
  main_.w = 500;
  main_.h = 300;
  view_->Changed(main_);
  QCoreApplication::processEvents();
  EXPECT_TRUE(sink_.log.empty());
  window->resize(700, 450);
  QCoreApplication::processEvents();
  ASSERT_FALSE(sink_.log.empty());
  EXPECT_EQ(sink_.log.back(), "resize 0 700 450");
}

}  // namespace

namespace {

TEST_F(ViewTest, AnEventGoingOnToTheParentsIsReportedOnce) {
  TObjNode& panel = Make(kPanel, 10, 10, 185, 41);
  QWidget* w = Widget<QFrame>(panel);
  ASSERT_NE(w, nullptr);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 6), w->mapToGlobal(QPointF(5, 6)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &press);  // the frame leaves it to 母艦's area beneath
  std::vector<std::string> want = {"mouse " + std::to_string(panel.number) + " " + std::to_string(kSlotMouseDown) +
                                   " 5 6 8"};
  EXPECT_EQ(sink_.log, want);
}

}  // namespace

namespace {

TEST_F(ViewTest, PageChangesOfTheUserAreReportedAndTheProgramsAreNot) {
  TObjNode& tabs = Make(kTabPage, 10, 10, 289, 193);
  tabs.pages = {"one", "two", "three"};
  tabs.activePage = 1;
  view_->Changed(tabs);
  auto* tw = Widget<QTabWidget>(tabs);
  ASSERT_NE(tw, nullptr);
  EXPECT_EQ(tw->currentIndex(), 1);
  EXPECT_TRUE(sink_.log.empty());
  tw->setCurrentIndex(2);  // as the tab bar does for a click or a key
  ASSERT_FALSE(sink_.log.empty());
  EXPECT_EQ(sink_.log.back(), "page " + std::to_string(tabs.number) + " 2");
}

}  // namespace

namespace {

TEST_F(ViewTest, ADestroyedObjectIsHiddenAndNotMadeAgainByALaterChange) {
  TObjNode& b = Make(kButton, 10, 20, 75, 25);
  ASSERT_NE(Widget<QPushButton>(b), nullptr);
  view_->Destroyed(b);
  EXPECT_EQ(Widget<QPushButton>(b), nullptr);
  b.text = "again";
  view_->Changed(b);
  EXPECT_EQ(Widget<QPushButton>(b), nullptr);
}

}  // namespace

namespace {

TEST_F(ViewTest, AListReportsEveryChoiceOnceAlsoOfTheItemAlreadyChosen) {
  TObjNode& l = Make(kList, 10, 10, 121, 97);
  l.items = {"a", "b"};
  l.selected = 1;
  view_->Changed(l);
  auto* w = Widget<QListWidget>(l);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(sink_.log.empty());
  QWidget* vp = w->viewport();
  auto press = [&](int row) {
    const QPoint at = w->visualItemRect(w->item(row)).center();
    QMouseEvent down(QEvent::MouseButtonPress, at, vp->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, at, vp->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &up);
  };
  press(0);
  press(0);
  std::vector<std::string> selects;
  for (const auto& line : sink_.log)
    if (line.rfind("select", 0) == 0) selects.push_back(line);
  const std::string want = "select " + std::to_string(l.number) + " 0";
  EXPECT_EQ(selects, (std::vector<std::string>{want, want}));
}

}  // namespace

namespace {

QAction* ActionOf(const QList<QAction*>& actions, int number) {
  for (QAction* a : actions)
    if (a->property("tamaNumber").toInt() == number) return a;
  return nullptr;
}

TEST_F(ViewTest, MenuRecordsBecomeTheMenuBarAndAChoiceIsAClick) {
  TObjNode& file = MakeMenu(-1, "File");
  TObjNode& open = MakeMenu(file.number, "Open");
  TObjNode& split = MakeMenu(file.number, "-");
  TObjNode& save = MakeMenu(file.number, "Save");
  TObjNode& help = MakeMenu(-1, "Help");
  TObjNode& hidden = MakeMenu(-1, "Hidden");
  save.shortcut = "Shift+Ctrl+PgDn";
  save.checked = true;
  view_->Changed(save);
  hidden.visible = false;
  view_->Changed(hidden);
  QMenuBar* bar = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible())
      if (auto* b = w->findChild<QMenuBar*>()) bar = b;
  ASSERT_NE(bar, nullptr);
  // the bar lies above the client area, whose size stays the model's
  QWidget* window = bar->window();
  EXPECT_EQ(window->height(), 400 + bar->height());
  EXPECT_GT(bar->height(), 0);
  QAction* fileAction = ActionOf(bar->actions(), file.number);
  ASSERT_NE(fileAction, nullptr);
  EXPECT_EQ(fileAction->text(), "File");
  ASSERT_NE(fileAction->menu(), nullptr);
  const QList<QAction*> items = fileAction->menu()->actions();
  ASSERT_EQ(items.size(), 3);
  EXPECT_EQ(items[0]->text(), "Open");
  EXPECT_TRUE(items[1]->isSeparator());
  EXPECT_EQ(items[2]->shortcut(), QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_PageDown));
  EXPECT_TRUE(items[2]->isCheckable() && items[2]->isChecked());
  QAction* helpAction = ActionOf(bar->actions(), help.number);
  ASSERT_NE(helpAction, nullptr);
  EXPECT_EQ(helpAction->menu(), nullptr);
  EXPECT_FALSE(ActionOf(bar->actions(), hidden.number)->isVisible());
  // the user's choice is a click; the tick stays as the model has it
  sink_.log.clear();
  items[0]->trigger();
  items[2]->trigger();
  helpAction->trigger();
  Q_EMIT fileAction->menu()->aboutToShow();
  EXPECT_EQ(sink_.log, (std::vector<std::string>{"click " + std::to_string(open.number) + " 0",
                                                  "click " + std::to_string(save.number) + " 0",
                                                  "click " + std::to_string(help.number) + " 0",
                                                  "click " + std::to_string(file.number) + " 0"}));
  EXPECT_TRUE(items[2]->isChecked());
  (void)split;
  // a destroyed item leaves the bar
  view_->Destroyed(help);
  EXPECT_EQ(ActionOf(bar->actions(), help.number), nullptr);
}

}  // namespace

namespace {

TEST_F(ViewTest, RichTextShowsItsRunsAndTypingSendsTextAndRunsBack) {
  TObjNode& r = Make(kRichEdit, 10, 10, 185, 89);
  r.text = "abcde";
  TFont bold = r.font;
  bold.bold = true;
  bold.color = 0x0000FF;  // red
  r.runs = {{2, bold}, {3, r.font}};
  view_->Changed(r);
  auto* e = Widget<QTextEdit>(r);
  ASSERT_NE(e, nullptr);
  std::vector<std::pair<QString, bool>> fragments;
  for (auto it = e->document()->begin().begin(); !it.atEnd(); ++it)
    fragments.emplace_back(it.fragment().text(), it.fragment().charFormat().font().bold());
  ASSERT_EQ(fragments.size(), 2u);
  EXPECT_EQ(fragments[0], std::make_pair(QString("ab"), true));
  EXPECT_EQ(fragments[1], std::make_pair(QString("cde"), false));
  EXPECT_EQ(e->document()->begin().begin().fragment().charFormat().foreground().color(), QColor(255, 0, 0));
  EXPECT_TRUE(sink_.log.empty());
  // the user types at the end: the text and both runs go back
  QTextCursor c(e->document());
  c.movePosition(QTextCursor::End);
  c.insertText("f");
  ASSERT_FALSE(sink_.log.empty());
  EXPECT_EQ(sink_.log.back(), "rich " + std::to_string(r.number) + " abcdef 2b 4");
}

TEST_F(ViewTest, TheEditorControlShowsLineNumbersAndItsSettings) {
  TObjNode& t = Make(kTEditor, 10, 10, 300, 200);
  t.text = "one\r\ntwo";
  view_->Changed(t);
  auto* e = Widget<QPlainTextEdit>(t);
  ASSERT_NE(e, nullptr);
  const int plain = e->viewport()->geometry().left();
  EXPECT_EQ(e->lineWrapMode(), QPlainTextEdit::NoWrap);
  t.lineNumbers = true;
  t.wordWrap = true;
  t.tabWidth = 4;
  view_->Changed(t);
  EXPECT_GT(e->viewport()->geometry().left(), plain);  // room for the numbers
  EXPECT_EQ(e->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_DOUBLE_EQ(e->tabStopDistance(), 4 * QFontMetricsF(e->font()).horizontalAdvance(QChar(' ')));
  EXPECT_EQ(e->toPlainText(), "one\ntwo");
}

TEST_F(ViewTest, APictureButtonShowsItsPicture) {
  const QString file = QDir::tempPath() + "/tama_view_button.png";
  QImage image(12, 10, QImage::Format_RGB32);
  image.fill(Qt::red);
  ASSERT_TRUE(image.save(file));
  TObjNode& b = Make(kButton, 10, 10, 75, 25);
  b.pictureButton = b.hasPicture = true;
  b.pictureFile = file.toStdString();
  view_->Changed(b);
  auto* w = Widget<QPushButton>(b);
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(w->icon().isNull());
  EXPECT_EQ(w->iconSize(), QSize(12, 10));
  b.hasPicture = false;
  view_->Changed(b);
  EXPECT_TRUE(w->icon().isNull());
  QFile::remove(file);
}

TEST_F(ViewTest, GridEditsAndHeaderClicksAndTreeRenamesAreReported) {
  TObjNode& g = Make(kGrid, 10, 10, 320, 120);
  g.grid = std::make_shared<tama::TCsvDb>(std::string_view("a,b\r\n1,2\r\n"));
  g.gridEdit = true;
  view_->Changed(g);
  auto* table = Widget<QTableWidget>(g);
  ASSERT_NE(table, nullptr);
  ASSERT_NE(table->item(0, 1), nullptr);
  EXPECT_EQ(table->item(0, 1)->text(), "2");
  EXPECT_TRUE(sink_.log.empty());
  table->item(0, 1)->setText("9");
  Q_EMIT table->horizontalHeader()->sectionClicked(1);
  TObjNode& t = Make(kTree, 10, 150, 121, 97);
  t.tree = {{"A", "A", 0, true}, {"A\\B", "B", 1, false}};
  view_->Changed(t);
  auto* tree = Widget<QTreeWidget>(t);
  ASSERT_NE(tree, nullptr);
  QTreeWidgetItem* child = tree->topLevelItem(0)->child(0);
  ASSERT_NE(child, nullptr);
  EXPECT_TRUE(child->flags() & Qt::ItemIsEditable);
  child->setText(0, "C");
  EXPECT_EQ(sink_.log, (std::vector<std::string>{"edit " + std::to_string(g.number) + " 1 1 9",
                                                  "sort " + std::to_string(g.number) + " 1",
                                                  "rename " + std::to_string(t.number) + " 1 C"}));
}

}  // namespace
