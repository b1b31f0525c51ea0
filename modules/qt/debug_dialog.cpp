#include "debug_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTableWidget>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "dialogs.h"
#include "font.h"
#include "text.h"

namespace tama::qt {

namespace {

QLabel* Label(QWidget* parent, const char* name, const char16_t* text, int x, int y) {
  auto* l = new QLabel(QString::fromUtf16(text), parent);
  l->setObjectName(QString::fromLatin1(name));
  l->move(x, y);
  l->adjustSize();
  return l;
}

template <class W>
W* Place(W* w, const char* name, int x, int y, int width, int height) {
  w->setObjectName(QString::fromLatin1(name));
  w->setGeometry(x, y, width, height);
  return w;
}

// The order of two cells: by their bytes with a-z taken as upper case.
bool KeyLess(const std::string& a, const std::string& b) {
  auto upper = [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'a' && u <= 'z' ? static_cast<unsigned char>(u - 'a' + 'A') : u;
  };
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [&](char x, char y) { return upper(x) < upper(y); });
}

// A panel whose parts are stacked without margins or spacing.
QVBoxLayout* Stacked(QWidget* panel) {
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  return layout;
}

// Trailing and leading blanks of the search text go.
std::string Trimmed(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

}  // namespace

class TDebugDialog : public QDialog {
 public:
  TDebugDialog(QWidget* owner, std::function<void(const std::string&, const std::string&)> memo,
               std::function<void(const std::string&)> message)
      : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::WindowMaximizeButtonHint),
        memo_(std::move(memo)),
        message_(std::move(message)) {
    setObjectName(QStringLiteral("frmDebug"));
    setWindowTitle(QString::fromUtf16(u"デバッグダイアログ"));
    setFont(PixelFont(u"ＭＳ Ｐゴシック", 12));
    setModal(true);
    resize(530, 563);

    auto* layout = Stacked(this);
    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName(QStringLiteral("Splitter1"));
    splitter_->setHandleWidth(3);
    splitter_->setChildrenCollapsible(false);
    layout->addWidget(splitter_);

    // the current line
    auto* panelTop = new QWidget(splitter_);
    panelTop->setObjectName(QStringLiteral("panelTop"));
    auto* topLayout = Stacked(panelTop);
    auto* bar = new QWidget(panelTop);
    bar->setObjectName(QStringLiteral("panelBar"));
    bar->setFixedHeight(24);
    row_ = Label(bar, "Label2", u"現在の実行行:", 6, 5);
    auto* sync = Place(new QPushButton(QString::fromUtf16(u"エディタと同期(&E)"), bar), "btnEditorSync", 154, 3, 105, 17);
    topLayout->addWidget(bar);
    memLine_ = new QPlainTextEdit(panelTop);
    memLine_->setObjectName(QStringLiteral("memLine"));
    memLine_->setFont(PixelFont(u"ＭＳ ゴシック", 12));
    memLine_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memLine_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memLine_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    topLayout->addWidget(memLine_);

    // the variables
    auto* lower = new QWidget(splitter_);
    lower->setObjectName(QStringLiteral("panelLower"));
    auto* lowLayout = Stacked(lower);
    auto* panel4 = new QWidget(lower);
    panel4->setObjectName(QStringLiteral("Panel4"));
    panel4->setFixedHeight(53);
    Label(panel4, "Label1", u"変数", 7, 8);
    Label(panel4, "Label3", u"検索", 43, 9);
    find_ = Place(new QLineEdit(panel4), "edtFind", 102, 5, 107, 20);
    auto* search = Place(new QPushButton(QString::fromUtf16(u"実行"), panel4), "btnSerch", 211, 4, 28, 22);
    search->setFont(PixelFont(u"ＭＳ Ｐゴシック", 11));
    QPalette pal = search->palette();
    pal.setColor(QPalette::ButtonText, pal.color(QPalette::Dark));
    search->setPalette(pal);
    system_ = Place(new QCheckBox(QString::fromUtf16(u"システム変数を表示"), panel4), "chkViewIniVar", 248, 7, 129, 17);
    objects_ = Place(new QCheckBox(QString::fromUtf16(u"GUIオブジェクトも表示"), panel4), "chkViewGuiObject", 376, 7, 137, 17);
    Label(panel4, "Label4", u"実行制御：", 41, 28);
    frames_ = Place(new QComboBox(panel4), "cmbRunControl", 102, 28, 139, 20);
    Label(panel4, "Label5", u"レベル", 248, 28);
    level_ = Place(new QLineEdit(panel4), "edtTagLevel", 288, 28, 41, 20);
    Label(panel4, "Label6", u"以上を表示", 336, 28);
    lowLayout->addWidget(panel4);
    grid_ = new QTableWidget(0, 4, lower);
    grid_->setObjectName(QStringLiteral("grdVar"));
    grid_->setHorizontalHeaderLabels({QString::fromUtf16(u"名前"), QString::fromUtf16(u"値"), QString::fromUtf16(u"型"),
                                      QString::fromUtf16(u"宣言レベル")});
    grid_->verticalHeader()->hide();
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid_->horizontalHeader()->setSectionsClickable(true);
    const int widths[4] = {87, 201, 158, 64};
    for (int c = 0; c < 4; ++c) grid_->setColumnWidth(c, widths[c]);
    grid_->installEventFilter(this);
    lowLayout->addWidget(grid_, 1);
    auto* panel2 = new QFrame(lower);
    panel2->setObjectName(QStringLiteral("Panel2"));
    panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel2->setFixedHeight(41);
    ok_ = Place(new QPushButton(QString::fromUtf16(u"連続実行(&O)"), panel2), "btnOK", 6, 8, 115, 25);
    step_ = Place(new QPushButton(QString::fromUtf16(u"一行毎に実行(&L)"), panel2), "btnEveryLineStop", 126, 8, 99, 25);
    stop_ = Place(new QPushButton(QString::fromUtf16(u"実行中断(&C)"), panel2), "btnClose", 232, 8, 111, 25);
    auto* help = Place(new QPushButton(QString::fromUtf16(u"？"), panel2), "btnHelp", 352, 8, 25, 25);
    lowLayout->addWidget(panel2);
    splitter_->addWidget(panelTop);
    splitter_->addWidget(lower);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({153, height() - 153 - 3});

    connect(ok_, &QPushButton::clicked, this, [this] { Leave(gui::TDebugChoice::kContinue); });
    connect(step_, &QPushButton::clicked, this, [this] { Leave(gui::TDebugChoice::kStep); });
    connect(stop_, &QPushButton::clicked, this, [this] { Leave(gui::TDebugChoice::kStop); });
    connect(help, &QPushButton::clicked, this, [this] {
      message_(Sjis(QString::fromUtf16(u"デバッグダイアログ\r\n\r\nこれは、プログラムに不具合が起こったときに、\r\n"
                                       u"プログラムを一行ずつ実行したり、\r\n実行中の変数の値を調べたりするのに便利です。")));
    });
    connect(sync, &QPushButton::clicked, this, [this] {
      if (window_ && window_->editorSync) window_->editorSync();
    });
    connect(system_, &QCheckBox::toggled, this, [this](bool on) {
      if (on) level_->clear();
      else if (level_->text().isEmpty()) level_->setText(QStringLiteral("0"));
      Refresh();
    });
    connect(objects_, &QCheckBox::toggled, this, [this] { Refresh(); });
    connect(level_, &QLineEdit::textChanged, this, [this] { Refresh(); });
    connect(find_, &QLineEdit::textChanged, this, [this] { Search(); });
    connect(find_, &QLineEdit::returnPressed, this, [this] { Search(); });
    connect(search, &QPushButton::clicked, this, [this] { Search(); });
    connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) { SortBy(c); });
    connect(grid_, &QTableWidget::cellDoubleClicked, this, [this](int r, int) { ViewValue(r); });
  }

  gui::TDebugChoice Open(const gui::TDebugWindow& w, const gui::TDebugChoice* scripted) {
    window_ = &w;
    choice_ = gui::TDebugChoice::kClose;
    filling_ = true;
    // the filters as they were left
    system_->setChecked(w.filter->showSystem);
    objects_->setChecked(w.filter->showObjects);
    // an empty level field becomes "0" at every opening
    if (w.filter->level.empty()) w.filter->level = "0";
    level_->setText(Q(w.filter->level));
    find_->setText(Q(w.filter->find));
    filling_ = false;
    Refresh();
    const gui::TDebugReport& r = *w.report;
    frames_->clear();
    for (const std::string& f : r.frames) frames_->addItem(Q(f));
    if (frames_->count() > 0) frames_->setCurrentIndex(frames_->count() - 1);
    row_->setText(QString::fromUtf16(u"現在の実行行:") + QString::number(r.row));
    row_->adjustSize();
    memLine_->setPlainText(QLines(r.source));
    // the caret at the start of the line whose sentence has just run
    const QTextBlock block = memLine_->document()->findBlockByNumber(std::max(0, r.row));
    if (block.isValid()) {
      QTextCursor c(block);
      memLine_->setTextCursor(c);
      memLine_->verticalScrollBar()->setValue(std::max(0, r.row));
    }
    memLine_->setFocus();
    if (!find_->text().isEmpty()) Search();
    QTimer::singleShot(0, this, [this, scripted] {
      LogDialogGeometry(*this);
      LogState();
      if (!scripted) return;
      switch (*scripted) {
        case gui::TDebugChoice::kContinue: ok_->click(); break;
        case gui::TDebugChoice::kStep: step_->click(); break;
        case gui::TDebugChoice::kStop: stop_->click(); break;
        case gui::TDebugChoice::kClose: reject(); break;
      }
    });
    exec();
    // closing: the filters kept, the rest emptied
    w.filter->level = Sjis(level_->text());
    w.filter->showObjects = objects_->isChecked();
    w.filter->showSystem = system_->isChecked();
    w.filter->find = Sjis(find_->text());
    rows_.clear();
    grid_->setRowCount(0);
    memLine_->clear();
    frames_->clear();
    window_ = nullptr;
    return choice_;
  }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (o == grid_ && e->type() == QEvent::KeyPress) {
      auto* k = static_cast<QKeyEvent*>(e);
      if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
        ViewValue(grid_->currentRow());
        return true;
      }
    }
    return QDialog::eventFilter(o, e);
  }

 private:
  // The test hook beside the geometry: what the dialog shows.
  void LogState() {
    if (!std::getenv("TAMAKAZU_DIALOG_LOG")) return;
    QStringList names;
    for (int r = 0; r < grid_->rowCount(); ++r) names << grid_->item(r, 0)->text();
    QStringList frames;
    for (int i = 0; i < frames_->count(); ++i) frames << frames_->itemText(i);
    LogDialogLine(QStringLiteral("frmDebug.state Label2=%1 caret=%2 cmbRunControl=%3(%4) grdVar=%5")
                      .arg(row_->text())
                      .arg(memLine_->textCursor().blockNumber())
                      .arg(frames.join(QChar(',')))
                      .arg(frames_->currentIndex())
                      .arg(names.join(QChar(','))));
  }

  void Leave(gui::TDebugChoice c) {
    choice_ = c;
    accept();
  }

  // The grid from the word table with the current filters.
  void Refresh() {
    if (filling_ || !window_) return;
    gui::TDebugFilter f = *window_->filter;
    f.level = Sjis(level_->text());
    f.showObjects = objects_->isChecked();
    rows_.clear();
    for (const gui::TDebugVariable& v : window_->list(f))
      rows_.push_back({v.name, v.value, v.tag, std::to_string(v.level)});
    if (sortColumn_ >= 0) SortRows();
    Fill();
  }

  void Fill() {
    grid_->setRowCount(static_cast<int>(rows_.size()));
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r)
      for (int c = 0; c < 4; ++c) {
        auto* item = new QTableWidgetItem(QLines(rows_[static_cast<size_t>(r)][static_cast<size_t>(c)]));
        grid_->setItem(r, c, item);
      }
  }

  void SortRows() {
    const size_t c = static_cast<size_t>(sortColumn_);
    const bool up = ascending_;
    std::stable_sort(rows_.begin(), rows_.end(), [c, up](const auto& a, const auto& b) {
      return up ? KeyLess(a[c], b[c]) : KeyLess(b[c], a[c]);
    });
  }

  // A title click: the first sorts descending, every further one toggles.
  void SortBy(int column) {
    if (sortColumn_ < 0) ascending_ = false;
    else ascending_ = !ascending_;
    sortColumn_ = column;
    grid_->horizontalHeader()->setSortIndicatorShown(true);
    grid_->horizontalHeader()->setSortIndicator(column, ascending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
    SortRows();
    Fill();
  }

  void Search() {
    if (filling_) return;
    const std::string s = Trimmed(Sjis(find_->text()));
    for (size_t r = 0; r < rows_.size(); ++r) {
      if (rows_[r][0].compare(0, s.size(), s) == 0) {
        grid_->selectRow(static_cast<int>(r));
        find_->setFocus();
        return;
      }
    }
  }

  void ViewValue(int r) {
    if (r < 0 || r >= static_cast<int>(rows_.size())) return;
    memo_(rows_[static_cast<size_t>(r)][0], rows_[static_cast<size_t>(r)][1]);
  }

  std::function<void(const std::string&, const std::string&)> memo_;
  std::function<void(const std::string&)> message_;
  const gui::TDebugWindow* window_ = nullptr;
  gui::TDebugChoice choice_ = gui::TDebugChoice::kClose;
  bool filling_ = false;
  std::vector<std::array<std::string, 4>> rows_;  // Shift-JIS cells
  int sortColumn_ = -1;
  bool ascending_ = false;
  QSplitter* splitter_;
  QLabel* row_;
  QPlainTextEdit* memLine_;
  QLineEdit *find_, *level_;
  QCheckBox *system_, *objects_;
  QComboBox* frames_;
  QTableWidget* grid_;
  QPushButton *ok_, *step_, *stop_;
};

TDebugDialogHolder::TDebugDialogHolder(std::function<QWidget*()> owner,
                                       std::function<void(const std::string&, const std::string&)> memo,
                                       std::function<void(const std::string&)> message)
    : owner_(std::move(owner)), memo_(std::move(memo)), message_(std::move(message)) {}

TDebugDialogHolder::~TDebugDialogHolder() = default;

gui::TDebugChoice TDebugDialogHolder::Show(const gui::TDebugWindow& window, const gui::TDebugChoice* scripted) {
  if (!dialog_) {
    // made once, centred over 母艦 (not moved later); owned here, since
    // 母艦's window may go first
    QWidget* main = owner_ ? owner_() : nullptr;
    dialog_ = std::make_unique<TDebugDialog>(nullptr, memo_, message_);
    if (main) dialog_->move(main->x() + (main->width() - dialog_->width()) / 2,
                            main->y() + (main->height() - dialog_->height()) / 2);
  }
  return dialog_->Open(window, scripted);
}

}  // namespace tama::qt
