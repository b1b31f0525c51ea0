// The window view: one widget per object of the model, placed by
// setGeometry (no layouts), filled from the record on every change. User
// input goes back to the sink, which changes the model and raises the event;
// the view never raises an event itself.
#include <dlfcn.h>
#include <unistd.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QSpinBox>
#include <QFormLayout>
#include <QFontComboBox>
#include <QDialogButtonBox>
#include <QDialog>
#include <QColorDialog>
#include <QCloseEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QIcon>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QWidget>

#include "dialogs.h"
#include "gui/window_system.h"
#include "loop.h"
#include "menus.h"
#include "raster.h"
#include "sjis/convert.h"
#include "support/path.h"

#include "font.h"
#include "text.h"
#include "web.h"

namespace tama::qt {

using gui::TObjNode;

namespace {

// ---- conversions ----

// The Windows virtual-key number of a toolkit key.
int VirtualKey(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return key;
  if (key >= Qt::Key_F1 && key <= Qt::Key_F16) return 112 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Print: return 44;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_ScrollLock: return 145;
    default: return key > 0 && key < 128 ? key : 0;
  }
}

// TModifier bits: Shift 1, Alt 2, Ctrl 4, Left 8, Right 16, Middle 32, Double 64.
unsigned Modifiers(Qt::KeyboardModifiers k, Qt::MouseButtons b, bool dbl) {
  unsigned m = 0;
  if (k & Qt::ShiftModifier) m |= 1;
  if (k & Qt::AltModifier) m |= 2;
  if (k & Qt::ControlModifier) m |= 4;
  if (b & Qt::LeftButton) m |= 8;
  if (b & Qt::RightButton) m |= 16;
  if (b & Qt::MiddleButton) m |= 32;
  if (dbl) m |= 64;
  return m;
}

class TView;

// The web engine's module beside this one, opened when the first ブラウザ is
// made; null (the box stays an empty frame) when it is missing or was built
// otherwise.
IWebEngine* WebEngine() {
  static IWebEngine* engine = []() -> IWebEngine* {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&tama_module_qt), &info) || !info.dli_fname) return nullptr;
    const std::string path = support::JoinNative(support::NativeDirName(info.dli_fname), "libtamakazu-web.so");
    void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
      std::fprintf(stderr, "libtamakazu-web.so: %s\n", dlerror());
      return nullptr;
    }
    auto entry = reinterpret_cast<IWebEngine* (*)(const char*)>(dlsym(lib, "tama_module_web"));
    IWebEngine* e = entry ? entry(TAMA_BUILD_ID) : nullptr;
    if (!e) std::fprintf(stderr, "libtamakazu-web.so: built for another run-time\n");
    return e;
  }();
  return engine;
}

// The source text editor control: a plain text box with a margin of line
// numbers when its settings ask for one.
class TCodeEdit : public QPlainTextEdit {
 public:
  explicit TCodeEdit(QWidget* parent) : QPlainTextEdit(parent), margin_(new TMargin(*this)) {
    QObject::connect(this, &QPlainTextEdit::blockCountChanged, [this](int) { Fit(); });
    QObject::connect(this, &QPlainTextEdit::updateRequest, [this](const QRect& r, int dy) {
      if (dy)
        margin_->scroll(0, dy);
      else
        margin_->update(0, r.y(), margin_->width(), r.height());
    });
  }
  void ShowNumbers(bool on) {
    numbers_ = on;
    Fit();
  }
  int MarginWidth() const {
    if (!numbers_) return 0;
    int digits = 1;
    for (int n = std::max(1, blockCount()); n >= 10; n /= 10) ++digits;
    return 6 + fontMetrics().horizontalAdvance(QChar('9')) * digits;
  }

 protected:
  void resizeEvent(QResizeEvent* e) override {
    QPlainTextEdit::resizeEvent(e);
    const QRect r = contentsRect();
    margin_->setGeometry(r.left(), r.top(), MarginWidth(), r.height());
  }

 private:
  class TMargin : public QWidget {
   public:
    explicit TMargin(TCodeEdit& edit) : QWidget(&edit), edit_(edit) {}

   protected:
    void paintEvent(QPaintEvent* e) override {
      QPainter p(this);
      p.fillRect(e->rect(), palette().color(QPalette::Window));
      p.setPen(palette().color(QPalette::WindowText));
      p.setFont(edit_.font());
      QTextBlock block = edit_.firstVisibleBlock();
      int top = static_cast<int>(edit_.blockBoundingGeometry(block).translated(edit_.contentOffset()).top());
      while (block.isValid() && top <= e->rect().bottom()) {
        const int height = static_cast<int>(edit_.blockBoundingRect(block).height());
        if (block.isVisible())
          p.drawText(0, top, width() - 3, edit_.fontMetrics().height(), Qt::AlignRight,
                     QString::number(block.blockNumber() + 1));
        block = block.next();
        top += height;
      }
    }

   private:
    TCodeEdit& edit_;
  };
  void Fit() {
    setViewportMargins(MarginWidth(), 0, 0, 0);
    margin_->setVisible(numbers_);
    const QRect r = contentsRect();
    margin_->setGeometry(r.left(), r.top(), MarginWidth(), r.height());
  }
  TMargin* margin_;
  bool numbers_ = false;
};

// The runs of a rich text that cover it: the stored ones, else the whole
// text in the object's font.
std::vector<gui::TTextRun> RunsOf(const TObjNode& node) {
  int64_t covered = 0;
  for (const gui::TTextRun& r : node.runs) covered += r.length;
  if (!node.runs.empty() && covered == static_cast<int64_t>(node.text.size())) return node.runs;
  return {gui::TTextRun{static_cast<int>(node.text.size()), node.font}};
}

// The widget that takes a drop for the object.
QWidget* DropTarget(QWidget* w) {
  if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) return area->viewport();
  return w;
}

// The files of a drop, as the run-time names them.
std::vector<std::string> DroppedFiles(const QMimeData* data) {
  std::vector<std::string> files;
  if (!data) return files;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) files.push_back(Sjis(url.toLocalFile()));
  return files;
}

// A step's number (decimal, optional sign).
bool ReadNumber(const std::string& s, int& out) {
  if (s.empty() || s.size() > 10) return false;
  size_t i = s[0] == '-' || s[0] == '+' ? 1 : 0;
  if (i >= s.size()) return false;
  long v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
  }
  out = static_cast<int>(s[0] == '-' ? -v : v);
  return true;
}

// The absolute index of the tree node with a path as a step writes it (UTF-8).
int TreeIndexOf(const TObjNode& node, const std::string& utf8Path) {
  const std::string path = sjis::Utf8ToSjisLossy(utf8Path);
  for (size_t i = 0; i < node.tree.size(); ++i)
    if (node.tree[i].path == path) return static_cast<int>(i);
  return -1;
}

// A widget painting the model: イメージ, ラベル, アニメ, トラック, and 母艦's
// client area with the text 表示 drew. Without a background of its own it
// is transparent over what lies beneath.
class TCanvas : public QWidget {
 public:
  TCanvas(TView& view, int number, QWidget* parent) : QWidget(parent), view_(view), number_(number) {}

 protected:
  void paintEvent(QPaintEvent*) override;
  // the object takes its mouse events: they do not go on to what lies beneath
  // a トラック is dragged with the left button: from its corner at the
  // bottom right it is resized, from anywhere else moved
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override { e->accept(); }
  void mouseMoveEvent(QMouseEvent* e) override;

 private:
  // the place and size a drag gives
  QRect Dragged(const QPoint& global) const;

  TView& view_;
  int number_;
  bool dragging_ = false, resizing_ = false;
  QPoint dragFrom_, widgetStart_;
  QRect dragStart_;
};

// A top-level window: 母艦 or a フォーム. Its client area is the canvas.
class TWindow : public QWidget {
 public:
  TWindow(TView& view, int number) : QWidget(nullptr), view_(view), number_(number) {}
  TCanvas* client = nullptr;
  bool applying = false;
  Qt::WindowFlags flags;  // the flags of the border style last set
  // the state the program gave the window (maximised, minimised): the size
  // the window system gives it then is the program's doing, not the user's
  Qt::WindowState wantedState = Qt::WindowNoState;
  bool flagsSet = false;
  int top = 0;  // the menu bar's height above the client area

 protected:
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void moveEvent(QMoveEvent* e) override;

 private:
  TView& view_;
  int number_;
};

struct TItem {
  QPointer<QWidget> widget;     // the object's own widget
  QPointer<QWidget> container;  // where objects placed on it go (null: none)
  const TObjNode* node = nullptr;
  int kind = 0;
  std::vector<QWidget*> pages;   // タブページ: the page widgets
  QButtonGroup* radios = nullptr;
  // ブラウザ: the page (null without the web module), the location it was
  // last sent to or reported, and whether the user followed a link since
  IWebPage* web = nullptr;
  std::string webUrl;
  bool followed = false;
};

class TView : public gui::IWindowView, public QObject {
 public:
  TView(gui::IViewSink* sink, TQtLoop& loop)
      : sink_(sink),
        loop_(loop),
        menus_([this](int n) { return sink_->Node(n); },
               [this](int n) { Report([&](gui::IViewSink& s) { s.Click(n, false); }); },
               [this](QWidget* w) { Bury(w); }) {
    // the bar takes room above the client area, whose size stays
    menus_.heightChanged = [this] {
      auto it = items_.find(0);
      if (it != items_.end() && it->second.node) Apply(it->second, *it->second.node);
    };
    loop_.beforeWait = [this] {
      seen_ = {};
      listChanged_ = {-1, -1};
      SyncMain();
      SyncTray();
      if (depth_ == 0) FreeGraveyard();
    };
  }
  ~TView() override {
    loop_.beforeWait = nullptr;
    // top-level windows take their children with them; a widget already
    // gone with its window is skipped
    std::vector<QPointer<QWidget>> all;
    for (auto& [n, item] : items_) all.emplace_back(item.widget);
    items_.clear();
    for (QPointer<QWidget>& w : all)
      if (w && !w->parentWidget()) delete w.data();
    FreeGraveyard();
  }

  gui::IViewSink& Sink() { return *sink_; }

  // A user's action reaches the model (the program may run inside it).
  template <class F>
  void Report(F f) {
    loop_.NoteRan();
    ++depth_;
    f(*sink_);
    --depth_;
  }

  // ---- the model's changes ----
  void Created(const TObjNode& node) override {
    SyncMain();
    if (node.kind == gui::kMenu) return menus_.Created(node);
    dead_.erase(node.number);
    Make(node);
  }
  void Changed(const TObjNode& node) override {
    SyncMain();
    if (node.kind == gui::kMenu) return menus_.Changed(node);
    if (dead_.count(node.number)) return;  // a destroyed record waiting to be freed
    auto it = items_.find(node.number);
    if (it == items_.end() || it->second.node != &node) {
      if (node.number == 0) return;
      Make(node);
      return;
    }
    Apply(it->second, node);
  }
  void Destroyed(const TObjNode& node) override {
    if (node.kind == gui::kMenu) return menus_.Destroyed(node);
    auto it = items_.find(node.number);
    if (node.number != 0) dead_.insert(node.number);
    if (it == items_.end() || it->second.node != &node) return;
    Bury(it->second.widget);
    items_.erase(it);
  }
  void MainDrawn() override {
    SyncMain();
    if (main_ && main_->client) main_->client->update();
  }
  int ScreenWidth() override {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().width() : 1024;
  }
  int ScreenHeight() override {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().height() : 768;
  }
  int64_t Handle(const TObjNode& node) override {
    // only top-level windows have a handle: asking a child for one would make
    // it native and end its transparency
    auto it = items_.find(node.number);
    if (it == items_.end() || node.kind != gui::kForm) return 0;
    return static_cast<int64_t>(it->second.widget->winId());
  }
  bool Focus(const TObjNode& node) override {
    auto it = items_.find(node.number);
    if (it == items_.end()) return false;
    it->second.widget->setFocus(Qt::OtherFocusReason);
    return true;
  }
  bool Inject(const std::string& verb, const TObjNode& node, const std::vector<std::string>& args) override {
    SyncMain();
    // a menu item is chosen as the user chooses it
    if (node.kind == gui::kMenu) return (verb == "menu" || verb == "click") && node.enabled && menus_.Choose(node.number);
    auto it = items_.find(node.number);
    if (it == items_.end() || it->second.node != &node || !it->second.widget) return false;
    QWidget* w = it->second.widget;
    // a disabled widget takes no input: the model answers such a step
    if (!node.enabled || !w->isEnabled()) return false;
    if (verb == "click" && node.kind == gui::kButton) {
      static_cast<QPushButton*>(w)->click();
      return true;
    }
    if (verb == "click" && node.kind == gui::kCheck) {
      static_cast<QCheckBox*>(w)->click();
      return true;
    }
    if (verb == "type" && args.size() >= 2 && node.kind == gui::kEdit) {
      auto* e = static_cast<QLineEdit*>(w);
      const QString text = QString::fromStdString(args[1]);
      e->setText(text);
      Q_EMIT e->textEdited(text);
      return true;
    }
    if (verb == "type" && args.size() >= 2 && node.kind == gui::kMemo) {
      static_cast<QPlainTextEdit*>(w)->setPlainText(QString::fromStdString(args[1]));
      return true;
    }
    if (verb == "drop" && node.fileDrop) {
      QMimeData data;
      QList<QUrl> urls;
      for (size_t i = 1; i < args.size(); ++i) urls << QUrl::fromLocalFile(QString::fromStdString(args[i]));
      data.setUrls(urls);
      QWidget* target = DropTarget(w);
      // the drag enters first: the drop goes to the widget that took it
      QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(target, &enter);
      if (!enter.isAccepted()) return false;
      QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(target, &drop);
      return drop.isAccepted();
    }
    if (node.kind == gui::kGrid && (verb == "sort" || verb == "edit" || verb == "cell")) {
      auto* g = static_cast<QTableWidget*>(w);
      int row = 0, col = 0;
      if (verb == "sort") {
        if (args.size() < 2 || !ReadNumber(args[1], col) || col < 0 || col >= g->columnCount()) return false;
        Q_EMIT g->horizontalHeader()->sectionClicked(col);
        return true;
      }
      if (args.size() < 3 || !ReadNumber(args[1], row) || !ReadNumber(args[2], col)) return false;
      if (row < 1 || row > g->rowCount() || col < 0 || col >= g->columnCount() || !g->item(row - 1, col)) return false;
      if (verb == "cell") {
        Q_EMIT g->cellClicked(row - 1, col);
        return true;
      }
      if (!node.gridEdit || args.size() < 4) return false;
      g->item(row - 1, col)->setText(QString::fromStdString(args[3]));  // as the cell's editor ends
      return true;
    }
    if (verb == "rename" && node.kind == gui::kTree && args.size() >= 3 && !node.readOnly) {
      const int index = TreeIndexOf(node, args[1]);
      auto* t = static_cast<QTreeWidget*>(w);
      for (QTreeWidgetItemIterator it(t); *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toInt() == index && index >= 0) {
          (*it)->setText(0, QString::fromStdString(args[2]));  // as the item's editor ends
          return true;
        }
      return false;
    }
    if ((verb == "enter" || verb == "leave") && node.kind == gui::kAnime) {
      if (verb == "enter") {
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), w->mapToGlobal(QPointF(1, 1)));
        QCoreApplication::sendEvent(w, &enter);
      } else {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(w, &leave);
      }
      return true;
    }
    if (verb == "moveto" && node.kind == gui::kForm && args.size() >= 3 && w->isVisible()) {
      int x = 0, y = 0;
      if (!ReadNumber(args[1], x) || !ReadNumber(args[2], y)) return false;
      const QPoint old = w->pos();
      w->move(x, y);
      // the window system may tell of the move later: the user's move is now
      QMoveEvent move(QPoint(x, y), old);
      QCoreApplication::sendEvent(w, &move);
      return true;
    }
    if (verb == "close" && node.kind == gui::kForm) {
      QCloseEvent close;
      QCoreApplication::sendEvent(w, &close);
      return true;
    }
    return false;
  }
  void Beep() override { QApplication::beep(); }
  bool EditorSettings(const TObjNode& node, std::vector<std::pair<std::string, std::string>>& settings) override;
  bool Shot(const std::string& file, std::string& error) override {
    SyncMain();
    if (!main_) {
      error = "no window to take";
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QPixmap pixmap = main_->client->grab();
    if (!pixmap.save(QString::fromStdString(file), "PNG")) {
      error = "cannot write " + file;
      return false;
    }
    return true;
  }

  // 母艦's record is made anew at every registration of the words, without
  // a creation: the window follows the current record.
  void SyncMain() {
    const TObjNode* node = sink_->Node(0);
    if (!node) return;
    auto it = items_.find(0);
    if (it == items_.end()) {
      Make(*node);
      return;
    }
    if (it->second.node != node) {
      it->second.node = node;
      Apply(it->second, *node);
    } else if (!mainApplied_) {
      Apply(it->second, *node);
    }
  }

  // The tray icon as the model has it (only where the desktop has a tray).
  void SyncTray() {
    const bool shown = sink_->TrayShown() && QSystemTrayIcon::isSystemTrayAvailable();
    if (!shown) {
      if (tray_) tray_->hide();
      return;
    }
    if (!tray_) {
      tray_ = new QSystemTrayIcon(this);
      tray_->setIcon(QApplication::style()->standardIcon(QStyle::SP_ComputerIcon));
      QObject::connect(tray_, &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason why) {
        if (why != QSystemTrayIcon::Trigger && why != QSystemTrayIcon::Context) return;
        const bool right = why == QSystemTrayIcon::Context;
        Report([&](gui::IViewSink& s) { s.Tray(right); });
        if (main_) main_->activateWindow();
      });
    }
    if (const TObjNode* main = sink_->Node(0)) tray_->setToolTip(Q(main->text));
    if (main_ && !main_->windowIcon().isNull()) tray_->setIcon(main_->windowIcon());
    tray_->show();
  }

  const TObjNode* NodeOf(int number) {
    auto it = items_.find(number);
    return it == items_.end() ? nullptr : it->second.node;
  }
  TWindow* Main() { return main_; }
  // a window's new width (the menu bar spans 母艦)
  void WindowResized(int number, int width) {
    if (number == 0) menus_.Place(width);
  }
  bool Applying() const { return applying_ > 0; }

 private:
  // A destroyed widget is hidden at once and deleted at the next wait outside
  // every handler (its own signal may be running now).
  void Bury(QWidget* w) {
    if (!w) return;
    w->hide();
    graveyard_.emplace_back(w);
  }
  void FreeGraveyard() {
    std::vector<QPointer<QWidget>> dead;
    dead.swap(graveyard_);
    for (QPointer<QWidget>& w : dead)
      if (w) delete w.data();
  }

  QWidget* ContainerFor(const TObjNode& node) {
    auto it = items_.find(node.parent);
    if (it == items_.end()) return main_ ? main_->client : nullptr;
    TItem& p = it->second;
    if (p.kind == gui::kTabPage && !p.pages.empty())
      return p.pages[std::clamp<size_t>(node.page, 0, p.pages.size() - 1)];
    return p.container ? p.container : p.widget;
  }

  void Make(const TObjNode& node);
  void Apply(TItem& item, const TObjNode& node);
  void ApplyKind(TItem& item, const TObjNode& node);
  void Watch(QWidget* w, int number);
  bool eventFilter(QObject* o, QEvent* e) override;

  gui::IViewSink* sink_;
  TQtLoop& loop_;
  std::unordered_map<int, TItem> items_;
  std::unordered_set<int> dead_;  // destroyed objects (numbers come back only after a reset)
  std::vector<QPointer<QWidget>> graveyard_;
  TMenus menus_;
  QSystemTrayIcon* tray_ = nullptr;
  TWindow* main_ = nullptr;
  bool mainApplied_ = false;
  int depth_ = 0;
  int applying_ = 0;
  std::pair<int, int> listChanged_{-1, -1};  // the list and row whose choice moved last
  // the input event reported last (see eventFilter)
  struct TSeen {
    QEvent::Type type = QEvent::None;
    int key = 0;
    QPointF at;
    quint64 time = 0;
    bool operator==(const TSeen&) const = default;
  } seen_;
};

void TCanvas::paintEvent(QPaintEvent*) {
  const TObjNode* node = view_.NodeOf(number_);
  if (!node) return;
  QPainter p(this);
  // the object's pixels (raster/pixels.h keeps them as the toolkit's RGB32 or ARGB32)
  auto picture = [&](bool stretch) {
    const raster::TPixels* px = node->picture.get();
    if (!px || px->Empty()) return;
    const QImage img(reinterpret_cast<const uchar*>(px->px.data()), px->w, px->h, 4 * px->w,
                     px->alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (stretch)
      p.drawImage(rect(), img);
    else
      p.drawImage(0, 0, img);
  };
  if (number_ == 0) {
    p.fillRect(rect(), Colour(view_.Sink().MainBackground()));
    picture(false);
    for (const auto& line : view_.Sink().DrawnText()) {
      QFont font = FontOf(line.font);
      p.setFont(font);
      p.setPen(Colour(line.font.color));
      // the line's top at y: the text's ascent below it
      p.drawText(line.x, line.y + QFontMetrics(font).ascent(), Q(line.text));
    }
    return;
  }
  const bool transparent = node->transparent || node->background < 0;
  if (!transparent) p.fillRect(rect(), Colour(node->background));
  if (node->kind == gui::kLabel) {
    p.setFont(FontOf(node->font));
    p.setPen(Colour(node->font.color));
    p.drawText(rect(), Qt::AlignLeft | Qt::AlignTop, QLines(node->text));
  } else if (node->kind == gui::kPanel) {
    p.setFont(FontOf(node->font));
    p.setPen(Colour(node->font.color));
    p.drawText(rect(), Qt::AlignCenter, QLines(node->text));
  } else if (node->kind == gui::kTrack) {
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
  // a picture, or the drawing over a ラベル or アニメ
  picture(node->kind == gui::kImage && node->stretch);
}

// The editor control's own settings panel: the font, the tab width, the
// margin of line numbers, wrapping and the two colours.
bool TView::EditorSettings(const TObjNode& node, std::vector<std::pair<std::string, std::string>>& settings) {
  auto get = [&](const char* key) -> std::string {
    for (const auto& [k, v] : settings)
      if (k == key) return v;
    return std::string();
  };
  auto number = [&](const char* key, int fallback) {
    bool ok = false;
    const int n = QString::fromStdString(get(key)).toInt(&ok);
    return ok ? n : fallback;
  };
  auto it = items_.find(node.number);
  QDialog dialog(it != items_.end() && it->second.widget ? it->second.widget->window() : nullptr);
  dialog.setWindowTitle(QStringLiteral("エディタの設定"));
  auto* form = new QFormLayout(&dialog);
  auto* font = new QFontComboBox(&dialog);
  font->setCurrentFont(QFont(Q(get("tamaFontName"))));
  font->setEditText(Q(get("tamaFontName")));
  auto* size = new QSpinBox(&dialog);
  size->setRange(1, 200);
  size->setValue(number("tamaFontSize", 12));
  auto* tab = new QSpinBox(&dialog);
  tab->setRange(1, 64);
  tab->setValue(number("tamaTabWidth", 8));
  auto* lines = new QCheckBox(QStringLiteral("行番号を表示する"), &dialog);
  lines->setChecked(number("tamaLineNumbers", 0) != 0);
  auto* wrap = new QCheckBox(QStringLiteral("右端で折り返す"), &dialog);
  wrap->setChecked(number("tamaWordWrap", 0) != 0);
  // a colour button shows its colour and opens the colour dialog
  int colours[2] = {number("tamaTextColor", 0), number("tamaBackColor", 0xFFFFFF)};
  QPushButton* buttons[2];
  for (int i = 0; i < 2; ++i) {
    buttons[i] = new QPushButton(&dialog);
    auto paint = [b = buttons[i], &colours, i] {
      b->setText(Colour(colours[i] < 0 ? 0xFFFFFF : colours[i]).name());
    };
    paint();
    QObject::connect(buttons[i], &QPushButton::clicked, &dialog, [&colours, i, paint, &dialog] {
      const QColor c = QColorDialog::getColor(Colour(colours[i] < 0 ? 0xFFFFFF : colours[i]), &dialog);
      if (!c.isValid()) return;
      colours[i] = static_cast<int>(Bgr(c));
      paint();
    });
  }
  form->addRow(QStringLiteral("フォント"), font);
  form->addRow(QStringLiteral("サイズ"), size);
  form->addRow(QStringLiteral("タブ幅"), tab);
  form->addRow(lines);
  form->addRow(wrap);
  form->addRow(QStringLiteral("文字色"), buttons[0]);
  form->addRow(QStringLiteral("背景色"), buttons[1]);
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  form->addRow(box);
  ++depth_;
  const bool accepted = dialog.exec() == QDialog::Accepted;
  --depth_;
  if (!accepted) return false;
  const QString name = font->currentText();
  settings = {
      {"tamaFontName", name.isEmpty() ? get("tamaFontName") : Sjis(name)},
      {"tamaFontSize", std::to_string(size->value())},
      {"tamaTabWidth", std::to_string(tab->value())},
      {"tamaLineNumbers", lines->isChecked() ? "1" : "0"},
      {"tamaWordWrap", wrap->isChecked() ? "1" : "0"},
      {"tamaTextColor", std::to_string(colours[0])},
      {"tamaBackColor", std::to_string(colours[1])},
  };
  return true;
}

constexpr int kGrip = 8;  // the resizing corner of a トラック

void TCanvas::mousePressEvent(QMouseEvent* e) {
  e->accept();
  const TObjNode* node = view_.NodeOf(number_);
  if (!node || node->kind != gui::kTrack || e->button() != Qt::LeftButton) return;
  dragging_ = true;
  const QPoint at = e->position().toPoint();
  resizing_ = at.x() >= width() - kGrip && at.y() >= height() - kGrip;
  dragFrom_ = e->globalPosition().toPoint();
  dragStart_ = QRect(node->x, node->y, node->w, node->h);
  widgetStart_ = pos();
}

QRect TCanvas::Dragged(const QPoint& global) const {
  const QPoint d = global - dragFrom_;
  if (resizing_) return QRect(dragStart_.topLeft(), QSize(std::max(1, dragStart_.width() + d.x()),
                                                          std::max(1, dragStart_.height() + d.y())));
  return dragStart_.translated(d);
}

void TCanvas::mouseMoveEvent(QMouseEvent* e) {
  e->accept();
  if (!dragging_) return;
  // the widget follows the mouse; the model takes the place when it is let go
  const QRect r = Dragged(e->globalPosition().toPoint());
  if (resizing_)
    resize(r.size());
  else
    move(widgetStart_ + (r.topLeft() - dragStart_.topLeft()));
}

void TCanvas::mouseReleaseEvent(QMouseEvent* e) {
  e->accept();
  if (!dragging_ || e->button() != Qt::LeftButton) return;
  dragging_ = false;
  const QRect r = Dragged(e->globalPosition().toPoint());
  const int n = number_;
  view_.Report([&](gui::IViewSink& s) { s.Track(n, r.x(), r.y(), r.width(), r.height()); });
}

void TWindow::closeEvent(QCloseEvent* e) {
  // the model decides: the termination handler may refuse
  e->ignore();
  view_.Report([&](gui::IViewSink& s) { s.Close(number_); });
}

void TWindow::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  const TObjNode* node = view_.NodeOf(number_);
  if (!node || applying || view_.Applying()) return;
  if (wantedState != Qt::WindowNoState && (windowState() & wantedState)) return;
  const int w = width(), h = std::max(0, height() - top);
  if (client) client->setGeometry(0, top, w, h);
  view_.WindowResized(number_, w);
  if (w != node->w || h != node->h) view_.Report([&](gui::IViewSink& s) { s.Resize(number_, w, h); });
}

void TWindow::moveEvent(QMoveEvent* e) {
  QWidget::moveEvent(e);
  const TObjNode* node = view_.NodeOf(number_);
  if (!node || applying || view_.Applying() || !isVisible()) return;
  if (wantedState != Qt::WindowNoState && (windowState() & wantedState)) return;
  const QPoint at = pos();
  if (at.x() != node->x || at.y() != node->y)
    view_.Report([&](gui::IViewSink& s) { s.MoveWindow(number_, at.x(), at.y()); });
}

void TView::Watch(QWidget* w, int number) {
  w->setProperty("tamaNumber", number);
  w->setProperty("tamaDrop", number);
  w->installEventFilter(this);
  w->setMouseTracking(true);
  // a scrolling box takes drops on its viewport
  if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) {
    area->viewport()->setProperty("tamaDrop", number);
    area->viewport()->installEventFilter(this);
  }
}

bool TView::eventFilter(QObject* o, QEvent* e) {
  // files dragged onto an object that takes them (not the widget's own text drop)
  if (e->type() == QEvent::DragEnter || e->type() == QEvent::DragMove || e->type() == QEvent::Drop) {
    const QVariant d = o->property("tamaDrop");
    const TObjNode* node = d.isValid() ? NodeOf(d.toInt()) : nullptr;
    if (!node || !node->fileDrop) return false;
    auto* drop = static_cast<QDropEvent*>(e);
    const std::vector<std::string> files = DroppedFiles(drop->mimeData());
    if (files.empty()) return false;
    drop->acceptProposedAction();
    if (e->type() == QEvent::Drop) {
      const int number = d.toInt();
      Report([&](gui::IViewSink& s) { s.Drop(number, files); });
    }
    return true;
  }
  const QVariant v = o->property("tamaNumber");
  if (!v.isValid() || applying_) return false;
  const int number = v.toInt();
  // An event no widget takes goes on to the parents (as a copy with the same
  // time and screen position): it is reported once, by the innermost object.
  auto seen = [&](int key, QPointF at, quint64 time) {
    TSeen now{e->type(), key, at, time};
    if (now == seen_) return true;
    seen_ = now;
    return false;
  };
  switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::MouseButtonDblClick: {
      auto* m = static_cast<QMouseEvent*>(e);
      if (seen(static_cast<int>(m->button()), m->globalPosition(), m->timestamp())) return false;
      const bool dbl = e->type() == QEvent::MouseButtonDblClick;
      const int slot = e->type() == QEvent::MouseButtonRelease ? gui::kSlotMouseUp
                       : e->type() == QEvent::MouseMove        ? gui::kSlotMouseMove
                                                               : gui::kSlotMouseDown;
      const Qt::MouseButtons buttons = e->type() == QEvent::MouseButtonRelease ? m->button() : m->buttons();
      const QPoint at = m->position().toPoint();
      const unsigned mods = Modifiers(m->modifiers(), buttons, dbl);
      const TObjNode* node = NodeOf(number);
      Report([&](gui::IViewSink& s) { s.Mouse(number, slot, at.x(), at.y(), mods); });
      // own widgets have no click of their own: the press and release make one
      if (node && e->type() == QEvent::MouseButtonRelease &&
          (node->kind == gui::kImage || node->kind == gui::kLabel || node->kind == gui::kPanel))
        Report([&](gui::IViewSink& s) { s.Click(number, false); });
      if (dbl) Report([&](gui::IViewSink& s) { s.Click(number, true); });
      return false;
    }
    case QEvent::Enter:
    case QEvent::Leave: {
      const TObjNode* node = NodeOf(number);
      if (!node || node->kind != gui::kAnime) return false;
      const bool enter = e->type() == QEvent::Enter;
      Report([&](gui::IViewSink& s) { s.Hover(number, enter); });
      return false;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      auto* k = static_cast<QKeyEvent*>(e);
      const int code = VirtualKey(k->key());
      if (code == 0 || seen(k->key(), QPointF(), k->timestamp())) return false;
      const int slot = e->type() == QEvent::KeyPress ? gui::kSlotKeyDown : gui::kSlotKeyUp;
      const unsigned mods = Modifiers(k->modifiers(), Qt::NoButton, false);
      Report([&](gui::IViewSink& s) { s.Key(number, slot, code, mods); });
      return false;
    }
    default:
      return false;
  }
}

void TView::Make(const TObjNode& node) {
  TItem item;
  item.node = &node;
  item.kind = node.kind;
  const int n = node.number;
  if (node.kind == gui::kForm) {
    auto* win = new TWindow(*this, n);
    win->setAttribute(Qt::WA_DeleteOnClose, false);
    win->client = new TCanvas(*this, n, win);
    item.widget = win;
    item.container = win->client;
    if (n == 0) {
      main_ = win;
      Watch(win->client, n);
      menus_.Attach(win);
    }
    // keys reach the window itself when nothing on it has the focus
    Watch(win, n);
    items_[n] = item;
    Apply(items_[n], node);
    return;
  }
  QWidget* parent = ContainerFor(node);
  QWidget* w = nullptr;
  switch (node.kind) {
    case gui::kButton: {
      auto* b = new QPushButton(parent);
      QObject::connect(b, &QPushButton::clicked, [this, n] { Report([&](gui::IViewSink& s) { s.Click(n, false); }); });
      w = b;
      break;
    }
    case gui::kEdit: {
      auto* e = new QLineEdit(parent);
      QObject::connect(e, &QLineEdit::textEdited, [this, n](const QString& text) {
        Report([&](gui::IViewSink& s) { s.Type(n, Sjis(text)); });
      });
      w = e;
      break;
    }
    case gui::kMemo:
    case gui::kTEditor: {
      auto* e = node.kind == gui::kTEditor ? new TCodeEdit(parent) : new QPlainTextEdit(parent);
      QObject::connect(e, &QPlainTextEdit::textChanged, [this, n, e] {
        if (Applying()) return;
        Report([&](gui::IViewSink& s) { s.Type(n, SjisLines(e->toPlainText())); });
      });
      w = e;
      break;
    }
    case gui::kRichEdit: {
      auto* e = new QTextEdit(parent);
      e->setAcceptRichText(false);
      // what the user typed, with the fonts the box shows
      QObject::connect(e, &QTextEdit::textChanged, [this, n, e] {
        if (Applying()) return;
        const TObjNode* node = NodeOf(n);
        if (!node) return;
        std::vector<gui::TTextRun> runs;
        auto fontOf = [&](const QTextCharFormat& f) {
          const QFont font = f.font().resolve(e->document()->defaultFont());
          gui::TFont out;
          out.name = Sjis(font.family());
          const int px = font.pixelSize() > 0 ? font.pixelSize() : PixelSize(node->font.size);
          out.size = static_cast<int>(std::lround(px * 72.0 / 96.0));
          out.bold = font.bold();
          out.italic = font.italic();
          out.underline = font.underline();
          const QColor c = f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color() : Colour(node->font.color);
          out.color = Bgr(c);
          return out;
        };
        for (QTextBlock b = e->document()->begin(); b.isValid(); b = b.next()) {
          for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.isValid()) runs.push_back({static_cast<int>(Sjis(f.text()).size()), fontOf(f.charFormat())});
          }
          if (b.next().isValid()) {
            if (runs.empty()) runs.push_back({0, fontOf(b.charFormat())});
            runs.back().length += 2;  // the line break
          }
        }
        const std::string text = SjisLines(e->toPlainText());
        Report([&](gui::IViewSink& s) { s.RichType(n, text, runs); });
      });
      w = e;
      break;
    }
    case gui::kBar: {
      auto* b = new QScrollBar(parent);
      QObject::connect(b, &QScrollBar::valueChanged, [this, n](int value) {
        if (Applying()) return;
        Report([&](gui::IViewSink& s) { s.Scroll(n, value); });
      });
      w = b;
      break;
    }
    case gui::kCombo: {
      auto* c = new QComboBox(parent);
      c->setEditable(true);
      QObject::connect(c, &QComboBox::activated, [this, n](int index) {
        Report([&](gui::IViewSink& s) { s.SelectItem(n, index); });
      });
      QObject::connect(c->lineEdit(), &QLineEdit::textEdited, [this, n](const QString& text) {
        Report([&](gui::IViewSink& s) { s.Type(n, Sjis(text)); });
      });
      w = c;
      break;
    }
    case gui::kList: {
      auto* l = new QListWidget(parent);
      QObject::connect(l, &QListWidget::currentRowChanged, [this, n](int row) {
        if (Applying() || row < 0) return;
        listChanged_ = {n, row};
        Report([&](gui::IViewSink& s) { s.SelectItem(n, row); });
      });
      // a press on the item already chosen chooses it again (a press that
      // moved the choice was reported just now)
      QObject::connect(l, &QListWidget::itemPressed, [this, n, l](QListWidgetItem* item) {
        const int row = l->row(item);
        const bool reported = listChanged_ == std::pair<int, int>(n, row);
        listChanged_ = {-1, -1};
        if (reported || row < 0) return;
        Report([&](gui::IViewSink& s) { s.SelectItem(n, row); });
      });
      w = l;
      break;
    }
    case gui::kCheck: {
      auto* c = new QCheckBox(parent);
      QObject::connect(c, &QCheckBox::clicked, [this, n](bool on) {
        Report([&](gui::IViewSink& s) { s.Check(n, on); });
      });
      w = c;
      break;
    }
    case gui::kGrid: {
      auto* g = new QTableWidget(parent);
      g->verticalHeader()->hide();
      g->setEditTriggers(QAbstractItemView::NoEditTriggers);
      QObject::connect(g, &QTableWidget::cellClicked, [this, n](int row, int col) {
        Report([&](gui::IViewSink& s) { s.Cell(n, row + 1, col); });
      });
      // the user's typing in a cell, and a click on a header cell (the model sorts)
      QObject::connect(g, &QTableWidget::itemChanged, [this, n](QTableWidgetItem* cell) {
        if (Applying() || !cell) return;
        const int row = cell->row() + 1, col = cell->column();
        const std::string text = Sjis(cell->text());
        Report([&](gui::IViewSink& s) { s.CellEdited(n, row, col, text); });
      });
      g->horizontalHeader()->setSectionsClickable(true);
      QObject::connect(g->horizontalHeader(), &QHeaderView::sectionClicked, [this, n](int col) {
        Report([&](gui::IViewSink& s) { s.SortColumn(n, col); });
      });
      w = g;
      break;
    }
    case gui::kPanel: {
      auto* f = new QFrame(parent);
      f->setFrameStyle(QFrame::Panel | QFrame::Raised);
      auto* caption = new TCanvas(*this, n, f);  // the caption, centred
      caption->setObjectName("caption");
      caption->setAttribute(Qt::WA_TransparentForMouseEvents);
      w = f;
      item.container = f;
      break;
    }
    case gui::kScroll: {
      auto* s = new QScrollArea(parent);
      auto* inner = new QWidget;
      inner->resize(1, 1);
      s->setWidget(inner);
      w = s;
      item.container = inner;
      break;
    }
    case gui::kTabPage: {
      auto* t = new QTabWidget(parent);
      // by the mouse or the keyboard; the program's own page changes are not reported
      QObject::connect(t, &QTabWidget::currentChanged, [this, n](int index) {
        if (Applying() || index < 0) return;
        Report([&](gui::IViewSink& s) { s.Page(n, index); });
      });
      w = t;
      break;
    }
    case gui::kTree: {
      auto* t = new QTreeWidget(parent);
      t->setHeaderHidden(true);
      QObject::connect(t, &QTreeWidget::currentItemChanged, [this, n](QTreeWidgetItem* cur, QTreeWidgetItem*) {
        if (Applying() || !cur) return;
        const int index = cur->data(0, Qt::UserRole).toInt();
        Report([&](gui::IViewSink& s) { s.TreeSelect(n, index); });
      });
      // the end of an in-place edit of a node's text
      t->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::SelectedClicked);
      QObject::connect(t, &QTreeWidget::itemChanged, [this, n](QTreeWidgetItem* it, int) {
        if (Applying() || !it) return;
        const int index = it->data(0, Qt::UserRole).toInt();
        const std::string text = Sjis(it->text(0));
        Report([&](gui::IViewSink& s) { s.TreeRename(n, index, text); });
      });
      w = t;
      break;
    }
    case gui::kRadio: {
      auto* f = new QFrame(parent);
      item.radios = new QButtonGroup(f);
      QObject::connect(item.radios, &QButtonGroup::idClicked, [this, n](int id) {
        Report([&](gui::IViewSink& s) { s.SelectItem(n, id); });
      });
      w = f;
      break;
    }
    case gui::kBrowser: {
      if (IWebEngine* engine = WebEngine()) {
        TWebCallbacks callbacks;
        callbacks.request = [this, n](const QString& url) {
          bool allowed = true;
          const std::string u = Sjis(url);
          Report([&](gui::IViewSink& s) { allowed = s.NavigateRequest(n, u); });
          auto it = items_.find(n);
          if (allowed && it != items_.end()) it->second.followed = true;
          return allowed;
        };
        // a location the program sent the page to stays as the program wrote
        // it; one the user went to is the page's own
        callbacks.reached = [this, n](const QString& url, const QString& title) {
          auto it = items_.find(n);
          if (it == items_.end()) return;
          if (it->second.followed) it->second.webUrl = Sjis(url);
          it->second.followed = false;
          const std::string u = it->second.webUrl, t = Sjis(title);
          Report([&](gui::IViewSink& s) { s.PageReached(n, u, t); });
        };
        item.web = engine->Make(parent, std::move(callbacks));
        w = item.web->Widget();
      } else {
        auto* f = new QFrame(parent);
        f->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        w = f;
      }
      break;
    }
    default:  // イメージ, ラベル, アニメ, トラック: painted from the model
      w = new TCanvas(*this, n, parent);
      break;
  }
  w->setMinimumSize(0, 0);
  Watch(w, n);
  item.widget = w;
  // a form's picture layer lies beneath everything placed on the form
  const TObjNode* parentNode = NodeOf(node.parent);
  items_[n] = item;
  Apply(items_[n], node);
  if (parentNode && parentNode->imgNumber == n)
    w->lower();
  else
    w->raise();
}

void TView::Apply(TItem& item, const TObjNode& node) {
  item.node = &node;
  QWidget* w = item.widget;
  if (!w) return;  // gone with a destroyed container
  ++applying_;
  if (node.kind == gui::kForm) {
    auto* win = static_cast<TWindow*>(w);
    win->applying = true;
    win->setWindowTitle(Q(node.text));
    win->move(node.x, node.y);
    win->top = node.number == 0 ? menus_.Height() : 0;
    win->resize(node.w, node.h + win->top);
    win->client->setGeometry(0, win->top, node.w, node.h);
    if (node.number == 0) menus_.Place(node.w);
    win->setFont(FontOf(node.font));
    win->setEnabled(node.enabled);
    // the border style: 0 none, 1 single (fixed size), 2 sizeable, 3 dialog,
    // 4 tool window, 5 sizeable tool window; setting the flags hides the
    // window, which is shown again below
    Qt::WindowFlags flags = Qt::Window;
    switch (node.style) {
      case 0: flags |= Qt::FramelessWindowHint; break;
      case 1: flags |= Qt::MSWindowsFixedSizeDialogHint; break;
      case 3: flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint; break;
      case 4: flags = Qt::Tool | Qt::MSWindowsFixedSizeDialogHint; break;
      case 5: flags = Qt::Tool; break;
      default: break;
    }
    if (node.onTop) flags |= Qt::WindowStaysOnTopHint;
    if (!win->flagsSet || win->flags != flags) {
      win->setWindowFlags(flags);
      win->flags = flags;
      win->flagsSet = true;
    }
    const bool shown = node.visible && (node.number != 0 || sink_->MainShown());
    win->wantedState = node.windowState == 1   ? Qt::WindowMinimized
                       : node.windowState == 2 ? Qt::WindowMaximized
                                               : Qt::WindowNoState;
    if (shown) {
      if (node.windowState == 1)
        win->showMinimized();
      else if (node.windowState == 2)
        win->showMaximized();
      else if (win->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) {
        win->showNormal();
        win->resize(node.w, node.h + win->top);
      } else {
        win->show();
      }
    } else {
      win->hide();
    }
    win->client->update();
    win->applying = false;
    if (node.number == 0) mainApplied_ = true;
    --applying_;
    return;
  }
  // re-placed onto another container
  if (QWidget* container = ContainerFor(node); container && w->parentWidget() != container) {
    w->setParent(container);
    w->raise();
  }
  w->setGeometry(node.x, node.y, node.w, node.h);
  w->setEnabled(node.enabled);
  w->setFont(FontOf(node.font));
  QPalette pal = w->palette();
  pal.setColor(QPalette::WindowText, Colour(node.font.color));
  pal.setColor(QPalette::Text, Colour(node.font.color));
  pal.setColor(QPalette::ButtonText, Colour(node.font.color));
  if (node.background >= 0) {
    pal.setColor(QPalette::Button, Colour(node.background));
    pal.setColor(QPalette::Base, Colour(node.background));
  }
  w->setPalette(pal);
  w->setAcceptDrops(node.fileDrop);
  if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) area->viewport()->setAcceptDrops(node.fileDrop);
  ApplyKind(item, node);
  // the widget order of the container: the last is in front
  if (const TObjNode* parent = NodeOf(node.parent); parent && !parent->children.empty()) {
    if (parent->children.back() == node.number)
      w->raise();
    else if (parent->children.front() == node.number)
      w->lower();
  }
  w->setVisible(node.visible);
  w->update();
  --applying_;
}

void TView::ApplyKind(TItem& item, const TObjNode& node) {
  QWidget* w = item.widget;
  switch (node.kind) {
    case gui::kButton: {
      auto* b = static_cast<QPushButton*>(w);
      b->setText(Q(node.text));
      // a picture button shows its picture beside the caption
      const QString file = node.pictureButton && node.hasPicture ? QString::fromStdString(node.pictureFile) : QString();
      if (b->property("tamaPicture").toString() != file) {
        b->setProperty("tamaPicture", file);
        const QPixmap picture = file.isEmpty() ? QPixmap() : QPixmap(file);
        b->setIcon(picture.isNull() ? QIcon() : QIcon(picture));
        if (!picture.isNull()) b->setIconSize(picture.size());
      }
      break;
    }
    case gui::kEdit: {
      auto* e = static_cast<QLineEdit*>(w);
      const QString text = Q(node.text);
      if (e->text() != text) e->setText(text);
      e->setReadOnly(node.readOnly);
      break;
    }
    case gui::kMemo:
    case gui::kTEditor: {
      auto* e = static_cast<QPlainTextEdit*>(w);
      const QString text = QLines(node.text);
      if (e->toPlainText() != text) e->setPlainText(text);
      e->setReadOnly(node.readOnly);
      if (node.kind == gui::kTEditor) {
        // the editor's display settings: wrap, tab width, line numbers
        auto* code = static_cast<TCodeEdit*>(e);
        e->setLineWrapMode(node.wordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
        e->setTabStopDistance(std::max(1, node.tabWidth) * QFontMetricsF(e->font()).horizontalAdvance(QChar(' ')));
        code->ShowNumbers(node.lineNumbers);
      } else {
        e->setLineWrapMode((node.scrollBars & 2) ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
      }
      break;
    }
    case gui::kRichEdit: {
      auto* e = static_cast<QTextEdit*>(w);
      e->setReadOnly(node.readOnly);
      // the text in its runs, rebuilt when text or fonts changed
      const std::vector<gui::TTextRun> runs = RunsOf(node);
      QString shape = Q(node.text);
      for (const gui::TTextRun& r : runs)
        shape += QChar(1) + QString::number(r.length) + Q(r.font.name) + QString::number(r.font.size) +
                 QString::number(r.font.color) + QChar('0' + r.font.bold + 2 * r.font.italic + 4 * r.font.underline);
      if (e->property("tamaRich").toString() == shape) break;
      e->setProperty("tamaRich", shape);
      e->clear();
      QTextCursor cursor(e->document());
      size_t at = 0;
      bool skipLf = false;  // a CR LF split between two runs is one break
      for (const gui::TTextRun& r : runs) {
        const size_t len = std::min(static_cast<size_t>(std::max(0, r.length)), node.text.size() - at);
        std::string piece = node.text.substr(at, len);
        at += len;
        if (skipLf && !piece.empty() && piece[0] == '\n') piece.erase(0, 1);
        skipLf = !piece.empty() && piece.back() == '\r';
        QTextCharFormat format;
        format.setFont(FontOf(r.font));
        format.setForeground(Colour(r.font.color));
        cursor.insertText(QLines(piece), format);
      }
      break;
    }
    case gui::kBar: {
      auto* b = static_cast<QScrollBar*>(w);
      b->setOrientation(node.vertical ? Qt::Vertical : Qt::Horizontal);
      b->setRange(node.barMin, std::max(node.barMin, node.barMax));
      b->setValue(node.barPos);
      break;
    }
    case gui::kCombo: {
      auto* c = static_cast<QComboBox*>(w);
      QStringList items;
      for (const auto& s : node.items) items << Q(s);
      bool same = c->count() == items.size();
      for (int i = 0; same && i < items.size(); ++i) same = c->itemText(i) == items[i];
      if (!same) {
        c->clear();
        c->addItems(items);
      }
      // the box selects its first item when items arrive: the model's index holds
      c->setCurrentIndex(node.selected);
      if (c->currentText() != Q(node.text)) c->setEditText(Q(node.text));
      break;
    }
    case gui::kList: {
      auto* l = static_cast<QListWidget*>(w);
      QStringList items;
      for (const auto& s : node.items) items << Q(s);
      bool same = l->count() == items.size();
      for (int i = 0; same && i < items.size(); ++i) same = l->item(i)->text() == items[i];
      if (!same) {
        l->clear();
        l->addItems(items);
      }
      l->setCurrentRow(node.selected);
      break;
    }
    case gui::kCheck: {
      auto* c = static_cast<QCheckBox*>(w);
      c->setText(Q(node.text));
      c->setChecked(node.checked);
      break;
    }
    case gui::kGrid: {
      auto* g = static_cast<QTableWidget*>(w);
      if (!node.grid) break;
      const int rows = node.grid->RowCount(), cols = node.grid->ColCount();
      g->setColumnCount(cols);
      g->setRowCount(std::max(0, rows - 1));
      QStringList header;
      for (int c = 0; c < cols; ++c) header << (rows > 0 ? Q(node.grid->GetCell(c, 0)) : QString());
      g->setHorizontalHeaderLabels(header);
      for (int r = 1; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
          const QString text = Q(node.grid->GetCell(c, r));
          QTableWidgetItem* cell = g->item(r - 1, c);
          if (!cell)
            g->setItem(r - 1, c, new QTableWidgetItem(text));
          else if (cell->text() != text)
            cell->setText(text);
        }
      if (node.gridRow >= 1 && node.gridRow < rows) g->setCurrentCell(node.gridRow - 1, node.gridCol);
      for (int c = 0; c < cols && c < static_cast<int>(node.gridColWidths.size()); ++c)
        g->setColumnWidth(c, node.gridColWidths[c]);
      g->setEditTriggers(node.gridEdit ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                             QAbstractItemView::AnyKeyPressed
                                       : QAbstractItemView::NoEditTriggers);
      g->setSelectionBehavior(node.gridRowSelect ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
      // the header shows the direction of the last sort
      QHeaderView* top = g->horizontalHeader();
      top->setSortIndicatorShown(node.gridSort && node.gridSortColumn >= 0);
      if (node.gridSort && node.gridSortColumn >= 0)
        top->setSortIndicator(node.gridSortColumn, node.gridSortDown ? Qt::DescendingOrder : Qt::AscendingOrder);
      break;
    }
    case gui::kPanel: {
      if (auto* caption = w->findChild<TCanvas*>("caption", Qt::FindDirectChildrenOnly)) {
        caption->setGeometry(0, 0, node.w, node.h);
        caption->lower();
        caption->update();
      }
      break;
    }
    case gui::kScroll: {
      // the inner area holds everything placed on it
      QWidget* inner = item.container;
      int right = 1, bottom = 1;
      for (int c : node.children)
        if (const TObjNode* child = NodeOf(c)) {
          right = std::max(right, child->x + child->w);
          bottom = std::max(bottom, child->y + child->h);
        }
      inner->resize(right, bottom);
      break;
    }
    case gui::kTabPage: {
      auto* t = static_cast<QTabWidget*>(w);
      while (static_cast<int>(item.pages.size()) < static_cast<int>(node.pages.size())) {
        auto* page = new QWidget;
        item.pages.push_back(page);
        t->addTab(page, QString());
      }
      while (item.pages.size() > node.pages.size() && !item.pages.empty()) {
        t->removeTab(t->indexOf(item.pages.back()));
        Bury(item.pages.back());
        item.pages.pop_back();
      }
      for (size_t i = 0; i < node.pages.size(); ++i) t->setTabText(static_cast<int>(i), Q(node.pages[i]));
      if (node.activePage >= 0 && node.activePage < t->count()) t->setCurrentIndex(node.activePage);
      break;
    }
    case gui::kTree: {
      auto* t = static_cast<QTreeWidget*>(w);
      // rebuilt only when the nodes changed (an edit that just ended keeps its item)
      QString shape = node.readOnly ? QStringLiteral("r") : QStringLiteral("e");
      for (const gui::TTreeNode& tn : node.tree) shape += QString::number(tn.level) + QChar(1) + Q(tn.text) + QChar(2);
      std::vector<QTreeWidgetItem*> all;
      if (t->property("tamaShape").toString() != shape) {
        t->setProperty("tamaShape", shape);
        t->clear();
        std::vector<QTreeWidgetItem*> stack;
        for (size_t i = 0; i < node.tree.size(); ++i) {
          const gui::TTreeNode& tn = node.tree[i];
          const size_t level = static_cast<size_t>(std::max(0, tn.level));
          if (stack.size() > level) stack.resize(level);
          QTreeWidgetItem* it = stack.empty() ? new QTreeWidgetItem(t) : new QTreeWidgetItem(stack.back());
          it->setText(0, Q(tn.text));
          it->setData(0, Qt::UserRole, static_cast<int>(i));
          if (!node.readOnly) it->setFlags(it->flags() | Qt::ItemIsEditable);
          stack.push_back(it);
        }
      }
      for (QTreeWidgetItemIterator it(t); *it; ++it) all.push_back(*it);
      for (size_t i = 0; i < all.size() && i < node.tree.size(); ++i) {
        all[i]->setExpanded(node.tree[i].expanded);
        if (static_cast<int>(i) == node.treeSelected) t->setCurrentItem(all[i]);
      }
      if (node.treeSelected < 0) t->setCurrentItem(nullptr);
      break;
    }
    case gui::kRadio: {
      auto* group = item.radios;
      QList<QAbstractButton*> buttons = group->buttons();
      bool same = buttons.size() == static_cast<int>(node.items.size());
      for (int i = 0; same && i < buttons.size(); ++i) same = buttons[i]->text() == Q(node.items[i]);
      if (!same) {
        for (QAbstractButton* b : buttons) {
          group->removeButton(b);
          Bury(b);
        }
        for (size_t i = 0; i < node.items.size(); ++i) {
          auto* b = new QRadioButton(Q(node.items[i]), w);
          group->addButton(b, static_cast<int>(i));
          b->show();
        }
        buttons = group->buttons();
      }
      const int rowH = std::max(PixelSize(node.font.size) + 6, 18);
      for (int i = 0; i < buttons.size(); ++i) buttons[i]->setGeometry(8, 4 + i * rowH, std::max(0, node.w - 16), rowH);
      if (node.selected >= 0 && node.selected < buttons.size()) {
        buttons[node.selected]->setChecked(true);
      } else {
        group->setExclusive(false);
        for (QAbstractButton* b : buttons) b->setChecked(false);
        group->setExclusive(true);
      }
      break;
    }
    case gui::kBrowser:
      if (item.web && node.url != item.webUrl) {
        item.webUrl = node.url;
        item.followed = false;
        item.web->Go(Q(node.url));
      }
      break;
    default:
      break;
  }
}

// ---- the window system ----

void MessageHandler(QtMsgType type, const QMessageLogContext&, const QString& msg) {
  if (type == QtFatalMsg) {
    // the toolkit cannot go on (no display it can reach): the run ends here
    std::fprintf(stderr, "tamakazu: no window: %s\n", msg.toLocal8Bit().constData());
    std::fflush(stdout);
    _exit(2);
  }
  // the toolkit's own warnings stay off standard error unless asked for
  static const bool show = [] {
    const char* v = std::getenv("TAMAKAZU_QT_DEBUG");
    return v && std::string(v) == "1";
  }();
  if (show) std::fprintf(stderr, "qt: %s\n", msg.toLocal8Bit().constData());
}

class TWindowSystem : public gui::IWindowSystem {
 public:
  ~TWindowSystem() override {
    // at the end of the process without Finish the toolkit may be half gone:
    // its objects are left to the process's end
    if (app_) {
      (void)dialogs_.release();
      (void)view_.release();
      (void)loop_.release();
    }
  }
  bool Start(bool interactive, std::string& error) override {
    qInstallMessageHandler(MessageHandler);
    static int argc = 1;
    static char name[] = "tamakazu";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance()) {
      error = "the toolkit is running already";
      return false;
    }
    bool display = false;
    for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
      if (const char* v = std::getenv(var); v && *v) display = true;
    if (!display) {
      error = "no display (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM are unset)";
      return false;
    }
    // the offscreen platform gets the run-time's virtual screen, 1024 x 768,
    // so that windows are placed as without a window
    std::string config;
    if (const char* p = std::getenv("QT_QPA_PLATFORM"); p && std::string(p) == "offscreen") {
      const char* tmp = std::getenv("TMPDIR");
      std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/tamakazu-screen-XXXXXX";
      std::vector<char> name(path.begin(), path.end());
      name.push_back('\0');
      const int fd = mkstemp(name.data());
      if (fd >= 0) {
        const std::string json =
            "{\"screens\":[{\"name\":\"v\",\"x\":0,\"y\":0,\"width\":1024,\"height\":768,"
            "\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":1}]}";
        const bool written = write(fd, json.data(), json.size()) == static_cast<ssize_t>(json.size());
        close(fd);
        if (written) config = name.data();
      }
    }
    static std::string platform;
    static char optPlatform[] = "-platform";
    static char* argvScreen[] = {name, optPlatform, nullptr, nullptr};
    if (!config.empty()) {
      platform = "offscreen:configfile=" + config;
      argvScreen[2] = platform.data();
      argc = 3;
      QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
      app_ = new QApplication(argc, argvScreen);
      std::remove(config.c_str());
    } else {
#if !defined(__SANITIZE_ADDRESS__)
      // the web engine wants one shared context; on a real display that makes
      // a GL context at start, which under the address checker's interceptors
      // deadlocks inside the software renderer
      QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#endif
      app_ = new QApplication(argc, argv);
    }
    // the toolkit takes the locale from the environment: numbers are written
    // with the C library's point
    std::setlocale(LC_ALL, "C");
    if (!QGuiApplication::primaryScreen()) {
      error = "no screen";
      return false;
    }
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setQuitOnLastWindowClosed(false);
    // the default fonts of the objects, drawn with the fonts installed here
    QFont::insertSubstitutions(QString::fromUtf16(u"ＭＳ ゴシック"), {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")});
    QFont::insertSubstitutions(QString::fromUtf16(u"ＭＳ Ｐゴシック"), {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
    QFont::insertSubstitutions(QString::fromUtf16(u"ＭＳ 明朝"), {QStringLiteral("IPAMincho"), QStringLiteral("Noto Serif CJK JP")});
    QFont::insertSubstitutions(QString::fromUtf16(u"ＭＳ Ｐ明朝"), {QStringLiteral("IPAPMincho"), QStringLiteral("Noto Serif CJK JP")});
    QApplication::setFont(QFont(QString::fromUtf16(u"ＭＳ ゴシック"), 9));
    loop_ = std::make_unique<TQtLoop>();
    loop_->interactive = interactive;
    return true;
  }
  TEventLoop* Loop() override { return loop_.get(); }
  gui::IWindowView* MakeView(gui::IViewSink* sink) override {
    view_.reset();  // the one before lets go of the loop first
    view_ = std::make_unique<TView>(sink, *loop_);
    return view_.get();
  }
  void Message(const std::string& text, const std::string& caption) override {
    QMessageBox box(QMessageBox::NoIcon, Q(caption), QLines(text), QMessageBox::Ok, view_ ? view_->Main() : nullptr);
    box.exec();
  }
  gui::IDialogWindows* Dialogs() override {
    if (!dialogs_) dialogs_ = MakeDialogWindows([this]() -> QWidget* { return view_ ? view_->Main() : nullptr; });
    return dialogs_.get();
  }
  raster::IRaster* Raster() override { return RasterOfModule(); }
  void Finish() override {
    dialogs_.reset();
    view_.reset();
    loop_.reset();
    delete app_;
    app_ = nullptr;
  }

 private:
  QApplication* app_ = nullptr;
  std::unique_ptr<TQtLoop> loop_;
  std::unique_ptr<TView> view_;
  std::unique_ptr<gui::IDialogWindows> dialogs_;
};

}  // namespace

}  // namespace tama::qt

extern "C" __attribute__((visibility("default"))) tama::gui::IWindowSystem* tama_module_qt(const char* buildId) {
  if (!buildId || std::string(buildId) != TAMA_BUILD_ID) return nullptr;
  static tama::qt::TWindowSystem system;
  return &system;
}
