#include "dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTextStream>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "sjis/convert.h"

#include "debug_dialog.h"
#include "font.h"
#include "text.h"

namespace tama::qt {

namespace {

using gui::TDialogAnswer;
using gui::TDialogKind;
using gui::TDialogRequest;

// The forms' own font.
QFont FormFont() { return PixelFont(u"ＭＳ Ｐゴシック", 12); }

QSize Screen() {
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().size() : QSize(1024, 768);
}

void Centre(QWidget& w) {
  const QSize s = Screen();
  w.move((s.width() - w.width()) / 2, (s.height() - w.height()) / 2);
}

// The height of the text "Z" in a font, as the forms measure a line.
int TextHeight(const QFont& font) { return QFontMetrics(font).height(); }

// A label sizing itself to its text.
QLabel* Label(QWidget* parent, const char* name, const QString& text, const QFont& font, int x, int y) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setFont(font);
  l->setTextFormat(Qt::PlainText);
  l->move(x, y);
  l->adjustSize();
  return l;
}

QPushButton* Button(QWidget* parent, const char* name, const char16_t* caption, int x, int y, int w, int h) {
  auto* b = new QPushButton(QString::fromUtf16(caption), parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setGeometry(x, y, w, h);
  return b;
}

// A panel without bevel holding buttons.
QWidget* Panel(QWidget* parent, const char* name, int x, int y, int w, int h) {
  auto* p = new QWidget(parent);
  p->setObjectName(QString::fromLatin1(name));
  p->setGeometry(x, y, w, h);
  return p;
}

// The test hook: with TAMAKAZU_DIALOG_LOG set, every dialog shown appends a
// line to that file: its name, client size and caption, then each named
// control with its place in the dialog ("name=x,y,w,h").
void LogGeometry(QWidget& dialog) {
  const char* file = std::getenv("TAMAKAZU_DIALOG_LOG");
  if (!file || !*file) return;
  QString line = dialog.objectName() + QStringLiteral(" %1x%2 \"%3\"")
                                           .arg(dialog.width())
                                           .arg(dialog.height())
                                           .arg(dialog.windowTitle());
  // the toolkit's own dialogs: only their size
  const bool own = dialog.objectName().startsWith(QStringLiteral("frm"));
  for (QWidget* w : own ? dialog.findChildren<QWidget*>() : QList<QWidget*>()) {
    if (w->objectName().isEmpty() || w->objectName().startsWith(QStringLiteral("qt_"))) continue;
    const QPoint at = w->mapTo(&dialog, QPoint(0, 0));
    line += QStringLiteral(" %1=%2,%3,%4,%5").arg(w->objectName()).arg(at.x()).arg(at.y()).arg(w->width()).arg(w->height());
    if (!w->isVisibleTo(&dialog)) line += QStringLiteral("(hidden)");
  }
  LogDialogLine(line);
}

// Shows a dialog modally. With a scripted answer, `fill` puts it into the
// controls once the dialog is open and the dialog is accepted at once.
int Run(QDialog& d, bool scripted, const std::function<void()>& fill) {
  QTimer::singleShot(0, &d, [&d, scripted, fill] {
    LogGeometry(d);
    if (!scripted) return;
    if (fill) fill();
    d.done(QDialog::Accepted);
  });
  return d.exec();
}

// A form of the run-time: fixed client size, only the close box.
void Form(QDialog& d, QWidget* owner, const char* name, const QString& caption) {
  d.setParent(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  d.setObjectName(QString::fromLatin1(name));
  d.setWindowTitle(caption);
  d.setFont(FormFont());
  d.setModal(true);
}

// Keys of a form with key preview: Enter presses OK, Esc cancels.
class TKeyForm : public QDialog {
 public:
  std::function<void()> onEnter;

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && onEnter) {
      onEnter();
      return;
    }
    QDialog::keyPressEvent(e);
  }
};

// The filter of the file dialogs: "desc|pat|desc|pat" in the toolkit's form.
QString FileFilter(const std::string& filter) {
  const QStringList parts = Q(filter).split(QChar('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString pattern = parts[i + 1];
    pattern.replace(QChar(';'), QChar(' '));
    out << parts[i] + QStringLiteral(" (") + pattern + QStringLiteral(")");
  }
  if (out.isEmpty() && !parts.isEmpty() && !parts[0].isEmpty()) out << parts[0];
  return out.join(QStringLiteral(";;"));
}

QFont FontOfSpec(const gui::TFontSpec& f) {
  QFont font(Q(f.name));
  if (f.size > 0) font.setPointSize(f.size);
  font.setBold(f.bold);
  font.setItalic(f.italic);
  font.setUnderline(f.underline);
  return font;
}

// The answer of a dialog closed without a choice.
TDialogAnswer Cancelled() { return TDialogAnswer(); }

class TDialogWindows : public gui::IDialogWindows {
 public:
  explicit TDialogWindows(std::function<QWidget*()> main)
      : main_(std::move(main)),
        debug_(main_,
               [this](const std::string& caption, const std::string& text) {
                 // the value view: what the user does in it changes nothing
                 TDialogRequest r;
                 r.kind = TDialogKind::kMemo;
                 r.caption = caption;
                 r.text = text;
                 Memo(r, nullptr);
               },
               [this](const std::string& text) {
                 TDialogRequest r;
                 r.kind = TDialogKind::kMessage;
                 r.caption = Sjis(QString::fromUtf16(u"たまかず"));
                 r.message = text;
                 Message(r, nullptr);
               }) {}

  gui::TDebugChoice DebugDialog(const gui::TDebugWindow& w, const gui::TDebugChoice* scripted) override {
    return debug_.Show(w, scripted);
  }

  TDialogAnswer Show(const TDialogRequest& r, const TDialogAnswer* scripted) override {
    switch (r.kind) {
      case TDialogKind::kMessage: return Message(r, scripted);
      case TDialogKind::kYesNo:
      case TDialogKind::kYesNoCancel: return Question(r, scripted);
      case TDialogKind::kInput: return Input(r, scripted);
      case TDialogKind::kChoice:
      case TDialogKind::kList: return Select(r, scripted);
      case TDialogKind::kButtons: return Buttons(r, scripted);
      case TDialogKind::kMemo: return Memo(r, scripted);
      case TDialogKind::kOpenFile:
      case TDialogKind::kSaveFile:
      case TDialogKind::kFolder: return Files(r, scripted);
      case TDialogKind::kColour: return ColourDialog(r, scripted);
      case TDialogKind::kFont: return FontDialog(r, scripted);
    }
    return scripted ? *scripted : TDialogAnswer();
  }

  void Progress(const gui::TProgress& p) override {
    if (!p.open) {
      progress_.reset();
      return;
    }
    if (!progress_) {
      progress_ = std::make_unique<QDialog>();
      Form(*progress_, nullptr, "frmProg", QString::fromUtf16(u"進行度表示"));
      progress_->setModal(false);
      progress_->setFixedSize(318, 47);
      bar_ = new QProgressBar(progress_.get());
      bar_->setObjectName(QStringLiteral("progBar"));
      bar_->setGeometry(8, 8, 257, 17);
      bar_->setTextVisible(false);
      progMsg_ = Label(progress_.get(), "lblMsg", QStringLiteral("---"), FormFont(), 8, 32);
      stop_ = Button(progress_.get(), "btnStop", u"中止", 272, 8, 41, 17);
      QObject::connect(stop_, &QPushButton::clicked, [this] {
        if (stopAction_) {
          std::function<void()> action = stopAction_;
          action();
        }
      });
      Centre(*progress_);
      progress_->show();
      LogGeometry(*progress_);
    }
    bar_->setRange(0, std::max(0, p.maximum));
    bar_->setValue(std::clamp(p.position, 0, std::max(0, p.maximum)));
    progMsg_->setText(Q(p.message));
    progMsg_->adjustSize();
    stopAction_ = p.stopAction;
    stop_->setEnabled(static_cast<bool>(p.stopAction));
  }

  THost::TErrorAnswer ErrorDialog(const std::string& log, bool debugButton, const THost::TErrorAnswer* scripted) override {
    QDialog d;
    Form(d, Owner(), "frmError", QString::fromUtf16(u"実行中にエラーが発生しました。"));
    d.setFixedSize(514, 159);
    auto* memo = new QPlainTextEdit(&d);
    memo->setObjectName(QStringLiteral("memMsg"));
    memo->setGeometry(0, 0, 513, 121);
    memo->setReadOnly(true);
    memo->setFont(PixelFont(u"ＭＳ ゴシック", 12));
    memo->setPlainText(QLines(log));
    memo->setBackgroundRole(QPalette::Button);
    auto* debug = Button(&d, "btnDebug", u"デバッグする(&D)", 168, 128, 105, 25);
    debug->setVisible(debugButton);
    auto* ok = Button(&d, "btnOk", u"実行を続ける(&O)", 280, 128, 105, 25);
    auto* cancel = Button(&d, "btnCancel", u"終了(&C)", 392, 128, 113, 25);
    THost::TErrorAnswer answer = THost::TErrorAnswer::kStop;
    QObject::connect(ok, &QPushButton::clicked, [&] { answer = THost::TErrorAnswer::kContinue; d.accept(); });
    QObject::connect(debug, &QPushButton::clicked, [&] { answer = THost::TErrorAnswer::kDebug; d.accept(); });
    QObject::connect(cancel, &QPushButton::clicked, [&] { answer = THost::TErrorAnswer::kStop; d.accept(); });
    if (QWidget* main = Owner())
      d.move(main->x() + (main->width() - d.width()) / 2, main->y() + (main->height() - d.height()) / 2);
    else
      Centre(d);
    Run(d, scripted != nullptr, [&] { answer = *scripted; });
    return answer;
  }

  THost::TSecurityAnswer Security(const std::string& message, const THost::TSecurityAnswer* scripted) override {
    TDialogRequest r;
    r.kind = TDialogKind::kButtons;
    r.caption = Sjis(QString::fromUtf16(u"たまかず"));
    r.message = message;
    for (const char16_t* c : {u"はい", u"いいえ", u"全てはい", u"全ていいえ"}) r.items.push_back(Sjis(QString::fromUtf16(c)));
    TDialogAnswer a;
    if (scripted) {
      a.ok = *scripted != THost::TSecurityAnswer::kClosed;
      a.button = static_cast<int>(*scripted) - 1;
    }
    TDialogAnswer got = Buttons(r, scripted ? &a : nullptr, FormFont());
    if (!got.ok || got.button < 0) return THost::TSecurityAnswer::kClosed;
    return static_cast<THost::TSecurityAnswer>(got.button + 1);
  }

 private:
  QWidget* Owner() { return main_ ? main_() : nullptr; }

  // 言う: the label fitted to the screen, OK centred below it.
  TDialogAnswer Message(const TDialogRequest& r, const TDialogAnswer* scripted) {
    TKeyForm d;
    Form(d, Owner(), "frmMsgBox", Q(r.caption));
    const QFont font = FontOf(r.font);
    const int maxHeight = static_cast<int>(std::trunc(Screen().height() * 0.7));
    QStringList lines = QLines(r.message).split(QChar('\n'));
    const int lineHeight = static_cast<int>(std::trunc(1.2 * TextHeight(font)));
    QString text = lines.join(QChar('\n'));
    if (lineHeight > 0 && lineHeight * lines.size() > maxHeight) {
      const int n = maxHeight / lineHeight;
      text.clear();
      for (int i = 0; i < n && i < lines.size(); ++i) text += lines[i] + QChar('\n');
      text += QStringLiteral("...");
    }
    QLabel* label = Label(&d, "lblMsg", text, font, 8, 8);
    int top = label->y() + label->height() + label->y();
    if (top > maxHeight || top < 0) top = maxHeight;
    const int w = std::max(label->width() + 2 * label->x(), 100);
    QPushButton* ok = Button(&d, "btnOk", u"&OK", (w - 75) / 2, top, 75, 25);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &d, &QDialog::accept);
    d.onEnter = [&d] { d.accept(); };
    d.setFixedSize(w, top + ok->height() + label->y());
    Centre(d);
    Run(d, scripted != nullptr, nullptr);
    TDialogAnswer a;
    a.ok = true;
    return a;
  }

  // 二択 and 三択: the toolkit's question box.
  TDialogAnswer Question(const TDialogRequest& r, const TDialogAnswer* scripted) {
    const bool three = r.kind == TDialogKind::kYesNoCancel;
    QMessageBox box(QMessageBox::Question, Q(r.caption), QLines(r.message),
                    three ? (QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) : (QMessageBox::Yes | QMessageBox::No),
                    Owner());
    box.setObjectName(three ? QStringLiteral("msgYesNoCancel") : QStringLiteral("msgYesNo"));
    box.setEscapeButton(three ? QMessageBox::Cancel : QMessageBox::No);
    int button = three ? 2 : 0;
    QObject::connect(&box, &QMessageBox::buttonClicked, [&](QAbstractButton* b) {
      const QMessageBox::StandardButton s = box.standardButton(b);
      button = s == QMessageBox::Yes ? 1 : s == QMessageBox::No ? 0 : 2;
    });
    QTimer::singleShot(0, &box, [&] {
      LogGeometry(box);
      if (!scripted) return;
      const QMessageBox::StandardButton s =
          scripted->button == 1 ? QMessageBox::Yes : scripted->button == 0 ? QMessageBox::No : QMessageBox::Cancel;
      if (QAbstractButton* b = box.button(s)) b->click();
    });
    box.exec();
    TDialogAnswer a;
    a.ok = true;
    a.button = button;
    return a;
  }

  // 尋ねる.
  TDialogAnswer Input(const TDialogRequest& r, const TDialogAnswer* scripted) {
    QDialog d;
    Form(d, Owner(), "frmInputBox", Q(r.caption));
    const QFont font = FontOf(r.font);
    QLabel* label = Label(&d, "lblMsg", QLines(r.message), font, 8, 8);
    auto* edit = new QLineEdit(Q(r.text), &d);
    edit->setObjectName(QStringLiteral("edtInput"));
    edit->setFont(font);
    const int t = label->y(), l = label->x();
    const int w = std::max(label->width() + 2 * l, 300);
    edit->setGeometry(8, t + label->height() + t, w - 2 * l, 21);
    QWidget* panel = Panel(&d, "panel", (w - 169) / 2, edit->y() + edit->height() + t, 169, 25);
    QPushButton* ok = Button(panel, "btnOk", u"&OK", 0, 0, 81, 25);
    QPushButton* cancel = Button(panel, "btnCancel", u"キャンセル(&C)", 88, 0, 81, 25);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &d, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
    d.setFixedSize(w, panel->y() + panel->height() + t);
    Centre(d);
    edit->setFocus();
    if (Run(d, scripted != nullptr, [&] { edit->setText(QLines(scripted->text)); }) != QDialog::Accepted)
      return Cancelled();
    if (scripted) return *scripted;
    TDialogAnswer a;
    a.ok = true;
    a.text = Sjis(edit->text());
    return a;
  }

  // どれか尋ねる and リストから選択.
  TDialogAnswer Select(const TDialogRequest& r, const TDialogAnswer* scripted) {
    TKeyForm d;
    Form(d, Owner(), "frmSelectDialog", Q(r.caption));
    const QFont font = FontOf(r.font);
    QLabel* label = Label(&d, "Label1", QLines(r.message), font, 8, 8);
    auto* list = new QListWidget(&d);
    list->setObjectName(QStringLiteral("ListBox"));
    list->setFont(font);
    for (const std::string& item : r.items) list->addItem(Q(item));
    auto* edit = new QLineEdit(Q(r.text), &d);
    edit->setObjectName(QStringLiteral("EditResult"));
    edit->setFont(font);
    edit->setReadOnly(r.kind == TDialogKind::kList);
    const int t = label->y(), l = label->x();
    const int w = std::max(label->width() + 2 * l, 280);
    list->setGeometry(8, label->height() + 2 * t, w - 2 * l, 169);
    edit->setGeometry(8, list->y() + list->height() + t, w - 2 * l, 20);
    QWidget* panel = Panel(&d, "panel", (w - 177) / 2, edit->y() + edit->height() + t, 177, 25);
    QPushButton* ok = Button(panel, "btnOk", u"&OK", 0, 0, 81, 25);
    QPushButton* cancel = Button(panel, "btnCancel", u"キャンセル(&C)", 96, 0, 81, 25);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &d, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemClicked, [edit](QListWidgetItem* it) { edit->setText(it->text()); });
    QObject::connect(list, &QListWidget::itemDoubleClicked, [edit, &d](QListWidgetItem* it) {
      edit->setText(it->text());
      d.accept();
    });
    d.onEnter = [&d] { d.accept(); };
    d.setFixedSize(w, panel->y() + panel->height() + t);
    Centre(d);
    const int got = Run(d, scripted != nullptr, [&] {
      if (scripted->button >= 0 && scripted->button < list->count()) list->setCurrentRow(scripted->button);
      edit->setText(QLines(scripted->text));
    });
    if (got != QDialog::Accepted) return Cancelled();
    if (scripted) return *scripted;
    TDialogAnswer a;
    a.ok = true;
    a.button = list->currentRow();
    a.text = Sjis(edit->text());
    return a;
  }

  TDialogAnswer Buttons(const TDialogRequest& r, const TDialogAnswer* scripted) {
    return Buttons(r, scripted, FontOf(r.font));
  }

  // ボタンで選択 and the security question: one button per choice, in a
  // row when they fit 母艦's width, else in a column.
  TDialogAnswer Buttons(const TDialogRequest& r, const TDialogAnswer* scripted, const QFont& font) {
    QDialog d;
    Form(d, Owner(), "frmSelectButton", Q(r.caption));
    QLabel* label = Label(&d, "Label1", QLines(r.message), font, 8, 8);
    const int row = static_cast<int>(std::trunc(2.0 * TextHeight(font)));
    const QFontMetrics metrics(font);
    int bw = 30;
    for (const std::string& c : r.items) bw = std::max(bw, metrics.horizontalAdvance(Q(c)));
    bw = static_cast<int>(std::trunc(bw * 1.3));
    int width, columnLeft;
    if (label->width() < bw) {
      width = bw + 16;
      columnLeft = 8;
    } else {
      width = label->width() + 16;
      columnLeft = (width - bw) / 2;
    }
    const int n = static_cast<int>(r.items.size());
    QWidget* main = Owner();
    const int mainWidth = main ? main->width() : 640;
    const bool inRow = mainWidth * 0.8 > n * bw * 1.1;
    const int top = 2 * label->y() + label->height();
    int chosen = -1;
    std::vector<QPushButton*> buttons;
    for (int i = 0; i < n; ++i) {
      auto* b = new QPushButton(Q(r.items[i]), &d);
      b->setObjectName(QStringLiteral("button%1").arg(i));
      b->setFont(font);
      const int h = static_cast<int>(std::trunc(row * 0.8));
      if (inRow)
        b->setGeometry(static_cast<int>(std::trunc(i * bw * 1.1 + 8)), top, bw, h);
      else
        b->setGeometry(columnLeft, top + i * row, bw, h);
      QObject::connect(b, &QPushButton::clicked, [&chosen, &d, i] {
        chosen = i;
        d.accept();
      });
      buttons.push_back(b);
    }
    int height;
    if (inRow) {
      width = n == 1 ? bw + 16 : static_cast<int>(std::trunc(n * bw * 1.1 + 16));
      if (width < label->width() + label->x()) width = label->width() + label->x() + 8;
      height = 2 * label->y() + row + label->height();
    } else {
      height = n * row + 2 * label->y() + label->height();
    }
    d.setFixedSize(width, height);
    Centre(d);
    QTimer::singleShot(0, &d, [&] {
      LogGeometry(d);
      if (!scripted) return;
      if (scripted->ok && scripted->button >= 0 && scripted->button < n)
        buttons[scripted->button]->click();
      else
        d.reject();
    });
    d.exec();
    if (scripted) return *scripted;
    if (chosen < 0) return Cancelled();
    TDialogAnswer a;
    a.ok = true;
    a.button = chosen;
    a.text = r.items[chosen];
    return a;
  }

  // メモ記入: sizeable; the close box counts as OK, Cancel empties the memo.
  TDialogAnswer Memo(const TDialogRequest& r, const TDialogAnswer* scripted) {
    QDialog d;
    Form(d, Owner(), "frmMemoDialog", Q(r.caption));
    d.setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    d.resize(412, 323);
    Centre(d);
    auto* memo = new QPlainTextEdit(&d);
    memo->setObjectName(QStringLiteral("Memo"));
    memo->setFont(FontOf(r.font));
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setPlainText(QLines(r.text));
    memo->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(memo, &QWidget::customContextMenuRequested, [memo](const QPoint& at) {
      QMenu menu(memo);
      menu.addAction(QString::fromUtf16(u"元に戻す"), QKeySequence(QStringLiteral("Ctrl+Z")), memo, &QPlainTextEdit::undo);
      menu.addSeparator();
      menu.addAction(QString::fromUtf16(u"コピー"), QKeySequence(QStringLiteral("Ctrl+C")), memo, &QPlainTextEdit::copy);
      menu.addAction(QString::fromUtf16(u"切り取り"), QKeySequence(QStringLiteral("Ctrl+X")), memo, &QPlainTextEdit::cut);
      menu.addAction(QString::fromUtf16(u"貼付け"), QKeySequence(QStringLiteral("Ctrl+V")), memo, &QPlainTextEdit::paste);
      menu.addSeparator();
      menu.addAction(QString::fromUtf16(u"全て選択"), QKeySequence(QStringLiteral("Ctrl+A")), memo, &QPlainTextEdit::selectAll);
      menu.exec(memo->mapToGlobal(at));
    });
    QWidget* panel2 = Panel(&d, "Panel2", 0, 0, 0, 41);
    QPushButton* load = Button(panel2, "btnLoad", u"開", 8, 8, 25, 25);
    QPushButton* save = Button(panel2, "btnSave", u"保", 32, 8, 25, 25);
    QWidget* right = Panel(panel2, "panelRight", 0, 0, 220, 41);
    QPushButton* ok = Button(right, "btnOK", u"&OK", 8, 8, 113, 25);
    QPushButton* cancel = Button(right, "btnCancel", u"キャンセル(&C)", 128, 8, 81, 25);
    bool cancelled = false;
    QObject::connect(ok, &QPushButton::clicked, &d, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, [&] {
      memo->clear();
      cancelled = true;
      d.reject();
    });
    const QString txtFilter = QString::fromUtf16(u"*.txt (*.txt);;すべてのファイル (*.*)");
    QObject::connect(load, &QPushButton::clicked, [&] {
      const QString name = QFileDialog::getOpenFileName(&d, QString(), QDir::currentPath(), txtFilter, nullptr,
                                                        QFileDialog::DontUseNativeDialog);
      if (name.isEmpty()) return;
      QFile f(name);
      if (f.open(QIODevice::ReadOnly)) memo->setPlainText(QLines(f.readAll().toStdString()));
    });
    QObject::connect(save, &QPushButton::clicked, [&] {
      QFileDialog fd(&d, QString(), QDir::currentPath(), txtFilter);
      fd.setOption(QFileDialog::DontUseNativeDialog);
      fd.setAcceptMode(QFileDialog::AcceptSave);
      fd.setDefaultSuffix(QStringLiteral("txt"));
      if (fd.exec() != QDialog::Accepted || fd.selectedFiles().isEmpty()) return;
      QFile f(fd.selectedFiles().front());
      if (f.open(QIODevice::WriteOnly)) {
        const std::string bytes = SjisLines(memo->toPlainText());
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
      }
    });
    // the memo fills the client area above the bottom panel
    auto layout = [&] {
      const int w = d.width(), h = d.height();
      memo->setGeometry(0, 0, w, std::max(0, h - 41));
      panel2->setGeometry(0, std::max(0, h - 41), w, 41);
      right->setGeometry(std::max(0, w - 220), 0, 220, 41);
    };
    layout();
    struct TResize : QObject {
      std::function<void()> f;
      bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Resize) f();
        return false;
      }
    } filter;
    filter.f = layout;
    d.installEventFilter(&filter);
    Run(d, scripted != nullptr, [&] {
      if (scripted->ok)
        memo->setPlainText(QLines(scripted->text));
      else
        cancel->click();
    });
    d.removeEventFilter(&filter);
    if (scripted) return *scripted;
    TDialogAnswer a;
    a.ok = !cancelled;
    a.text = cancelled ? std::string() : SjisLines(memo->toPlainText());
    return a;
  }

  // The file and folder dialogs: a file dialog kept between uses for each.
  TDialogAnswer Files(const TDialogRequest& r, const TDialogAnswer* scripted) {
    std::unique_ptr<QFileDialog>& slot =
        r.kind == TDialogKind::kOpenFile ? open_ : r.kind == TDialogKind::kSaveFile ? save_ : folder_;
    if (!slot) slot = std::make_unique<QFileDialog>();
    QFileDialog& d = *slot;
    d.setOption(QFileDialog::DontUseNativeDialog);
    d.setOption(QFileDialog::ReadOnly, false);
    d.setDirectory(Q(r.folder).isEmpty() ? QDir::currentPath() : Q(r.folder));
    switch (r.kind) {
      case TDialogKind::kOpenFile:
        d.setObjectName(QStringLiteral("dlgOpen"));
        d.setAcceptMode(QFileDialog::AcceptOpen);
        d.setFileMode(r.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        d.setNameFilter(FileFilter(r.filter));
        break;
      case TDialogKind::kSaveFile:
        d.setObjectName(QStringLiteral("dlgSave"));
        d.setAcceptMode(QFileDialog::AcceptSave);
        d.setFileMode(QFileDialog::AnyFile);
        d.setOption(QFileDialog::DontConfirmOverwrite, false);
        d.setNameFilter(FileFilter(r.filter));
        d.setDefaultSuffix(r.defaultExt.find_first_of("*?;") == std::string::npos ? Q(r.defaultExt) : QString());
        break;
      default:
        d.setObjectName(QStringLiteral("dlgFolder"));
        d.setAcceptMode(QFileDialog::AcceptOpen);
        d.setFileMode(QFileDialog::Directory);
        d.setOption(QFileDialog::ShowDirsOnly);
        break;
    }
    if (!r.text.empty()) d.selectFile(Q(r.text));
    const int got = Run(d, scripted != nullptr, [&] {
      if (!scripted->paths.empty()) d.selectFile(Q(scripted->paths.front()));
    });
    if (scripted) return *scripted;
    TDialogAnswer a;
    if (got != QDialog::Accepted) return Cancelled();
    for (const QString& f : d.selectedFiles()) a.paths.push_back(Sjis(f));
    a.ok = !a.paths.empty();
    if (a.ok) a.text = a.paths.front();
    return a;
  }

  // 色選択: the toolkit's colour dialog, black the first time.
  TDialogAnswer ColourDialog(const TDialogRequest& r, const TDialogAnswer* scripted) {
    if (!colour_) colour_ = std::make_unique<QColorDialog>();
    QColorDialog& d = *colour_;
    d.setObjectName(QStringLiteral("dlgColour"));
    d.setOption(QColorDialog::DontUseNativeDialog);
    d.setCurrentColor(Colour(r.colour));
    const int got = Run(d, scripted != nullptr, [&] { d.setCurrentColor(Colour(scripted->colour)); });
    if (scripted) return *scripted;
    if (got != QDialog::Accepted) return Cancelled();
    TDialogAnswer a;
    a.ok = true;
    a.colour = Bgr(d.currentColor());
    return a;
  }

  // フォント選択: no effects to choose.
  TDialogAnswer FontDialog(const TDialogRequest& r, const TDialogAnswer* scripted) {
    if (!font_) font_ = std::make_unique<QFontDialog>();
    QFontDialog& d = *font_;
    d.setObjectName(QStringLiteral("dlgFont"));
    d.setOption(QFontDialog::DontUseNativeDialog);
    d.setOption(QFontDialog::NoButtons, false);
    d.setCurrentFont(FontOfSpec(r.chosenFont));
    const int got = Run(d, scripted != nullptr, [&] { d.setCurrentFont(FontOfSpec(scripted->font)); });
    if (scripted) return *scripted;
    if (got != QDialog::Accepted) return Cancelled();
    const QFont f = d.currentFont();
    TDialogAnswer a;
    a.ok = true;
    a.font.name = Sjis(f.family());
    a.font.bold = f.bold();
    a.font.italic = f.italic();
    a.font.underline = f.underline();
    a.font.size = f.pointSize() > 0 ? f.pointSize() : 0;
    return a;
  }

  std::function<QWidget*()> main_;
  TDebugDialogHolder debug_;
  // kept between uses, so owned here rather than by 母艦 (whose window may go first)
  std::unique_ptr<QFileDialog> open_, save_, folder_;
  std::unique_ptr<QColorDialog> colour_;
  std::unique_ptr<QFontDialog> font_;
  std::unique_ptr<QDialog> progress_;
  QProgressBar* bar_ = nullptr;
  QLabel* progMsg_ = nullptr;
  QPushButton* stop_ = nullptr;
  std::function<void()> stopAction_;
};

}  // namespace

void LogDialogGeometry(QWidget& dialog) { LogGeometry(dialog); }

void LogDialogLine(const QString& line) {
  const char* file = std::getenv("TAMAKAZU_DIALOG_LOG");
  if (!file || !*file) return;
  if (std::FILE* f = std::fopen(file, "a")) {
    const QByteArray bytes = line.toUtf8();
    std::fprintf(f, "%s\n", bytes.constData());
    std::fclose(f);
  }
}

std::unique_ptr<gui::IDialogWindows> MakeDialogWindows(std::function<QWidget*()> mainWindow) {
  return std::make_unique<TDialogWindows>(std::move(mainWindow));
}

}  // namespace tama::qt
