// The dialogs of the module answered by a user (no script), under the
// offscreen platform: keys and buttons at the open dialog give the answer
// the dialog's rules say.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <string>

#include "gui/window_system.h"
#include "qt_module.h"
#include "sjis/convert.h"

using namespace tama;
using namespace tama::gui;

namespace {

IWindowSystem* System() {
  static IWindowSystem* const ws = StartQtModule(QtModuleEntry());
  return ws;
}

class TFinish : public ::testing::Environment {
 public:
  void TearDown() override {
    if (System()) System()->Finish();
  }
};
const auto* const kFinish = ::testing::AddGlobalTestEnvironment(new TFinish);

std::string S(const std::string& utf8) {
  std::string out;
  sjis::Utf8ToSjis(utf8, out);
  return out;
}
std::string U(const std::string& s) { return sjis::SjisToUtf8(s); }

// Once the dialog is open, `act` runs on it (the modal widget); with `ready`,
// once a modal widget it accepts is open (a box that opens over another).
void WhenOpen(std::function<void(QWidget&)> act, std::function<bool(QWidget&)> ready = nullptr) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, act, ready] {
    QWidget* w = QApplication::activeModalWidget();
    if (!w || !w->isVisible() || (ready && !ready(*w))) return;
    timer->stop();
    timer->deleteLater();
    act(*w);
  });
  timer->start(10);
}

void Key(QWidget* w, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
}

template <class W>
W* Child(QWidget& d, const char* name) {
  return d.findChild<W*>(QString::fromLatin1(name));
}

QAbstractButton* ButtonWithText(QWidget& d, const std::string& utf8) {
  for (QAbstractButton* b : d.findChildren<QAbstractButton*>())
    if (b->text() == QString::fromStdString(utf8)) return b;
  return nullptr;
}

TDialogRequest Request(TDialogKind kind, const std::string& message = "?") {
  TDialogRequest r;
  r.kind = kind;
  r.caption = S("たまかず");
  r.message = S(message);
  return r;
}

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(System(), nullptr);
    dialogs_ = System()->Dialogs();
    ASSERT_NE(dialogs_, nullptr);
  }
  IDialogWindows* dialogs_ = nullptr;
};

TEST_F(DialogsTest, InputTakesTheTypedTextOnEnterAndNothingOnEsc) {
  TDialogRequest r = Request(TDialogKind::kInput);
  r.text = S("初め");
  WhenOpen([](QWidget& d) {
    auto* edit = Child<QLineEdit>(d, "edtInput");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text().toStdString(), "初め");  // ダイアログ初期値
    edit->setText(QString::fromUtf8("入力"));
    Key(edit, Qt::Key_Return);
  });
  TDialogAnswer a = dialogs_->Show(r, nullptr);
  EXPECT_TRUE(a.ok);
  EXPECT_EQ(U(a.text), "入力");

  WhenOpen([](QWidget& d) { Key(Child<QLineEdit>(d, "edtInput"), Qt::Key_Escape); });
  EXPECT_FALSE(dialogs_->Show(r, nullptr).ok);
}

TEST_F(DialogsTest, ListClickCopiesTheItemAndDoubleClickAccepts) {
  struct TCase {
    TDialogKind kind;
    bool doubleClick;
  };
  for (TCase c : {TCase{TDialogKind::kList, false}, TCase{TDialogKind::kChoice, true}}) {
    TDialogRequest r = Request(c.kind);
    r.items = {S("赤"), S("青"), S("緑")};
    WhenOpen([c](QWidget& d) {
      auto* list = Child<QListWidget>(d, "ListBox");
      auto* edit = Child<QLineEdit>(d, "EditResult");
      ASSERT_NE(list, nullptr);
      EXPECT_EQ(list->count(), 3);
      EXPECT_EQ(edit->isReadOnly(), c.kind == TDialogKind::kList);
      if (c.doubleClick) {
        Q_EMIT list->itemDoubleClicked(list->item(2));
      } else {
        Q_EMIT list->itemClicked(list->item(1));
        EXPECT_EQ(edit->text().toStdString(), "青");
        Key(&d, Qt::Key_Return);
      }
    });
    TDialogAnswer a = dialogs_->Show(r, nullptr);
    EXPECT_TRUE(a.ok);
    EXPECT_EQ(U(a.text), c.doubleClick ? "緑" : "青");
  }
}

TEST_F(DialogsTest, ButtonsGiveTheCaptionAndTheCloseBoxCancels) {
  TDialogRequest r = Request(TDialogKind::kButtons);
  r.items = {S("はい"), S("いいえ"), S("後で")};
  WhenOpen([](QWidget& d) { ButtonWithText(d, "後で")->click(); });
  TDialogAnswer a = dialogs_->Show(r, nullptr);
  EXPECT_TRUE(a.ok);
  EXPECT_EQ(a.button, 2);
  EXPECT_EQ(U(a.text), "後で");

  WhenOpen([](QWidget& d) { d.close(); });
  EXPECT_FALSE(dialogs_->Show(r, nullptr).ok);
}

TEST_F(DialogsTest, MemoCloseBoxIsOkAndCancelEmptiesIt) {
  TDialogRequest r = Request(TDialogKind::kMemo);
  r.caption = S("メモ帳");
  r.text = S("一\r\n二");
  WhenOpen([](QWidget& d) {
    EXPECT_EQ(d.windowTitle().toStdString(), "メモ帳");
    Child<QPlainTextEdit>(d, "Memo")->appendPlainText(QString::fromUtf8("三"));
    d.close();
  });
  TDialogAnswer a = dialogs_->Show(r, nullptr);
  EXPECT_TRUE(a.ok);
  EXPECT_EQ(U(a.text), "一\r\n二\r\n三");

  WhenOpen([](QWidget& d) { Child<QPushButton>(d, "btnCancel")->click(); });
  a = dialogs_->Show(r, nullptr);
  EXPECT_FALSE(a.ok);
  EXPECT_EQ(a.text, "");
}

TEST_F(DialogsTest, EscAnswersTheQuestionsNoAndCancel) {
  struct TCase {
    TDialogKind kind;
    int button;
  };
  for (TCase c : {TCase{TDialogKind::kYesNo, 0}, TCase{TDialogKind::kYesNoCancel, 2}}) {
    WhenOpen([](QWidget& d) { Key(&d, Qt::Key_Escape); });
    TDialogAnswer a = dialogs_->Show(Request(c.kind), nullptr);
    EXPECT_TRUE(a.ok);
    EXPECT_EQ(a.button, c.button);
  }
  WhenOpen([](QWidget& d) { static_cast<QMessageBox&>(d).button(QMessageBox::Yes)->click(); });
  EXPECT_EQ(dialogs_->Show(Request(TDialogKind::kYesNo), nullptr).button, 1);
}

TEST_F(DialogsTest, MessageClosesOnEnter) {
  WhenOpen([](QWidget& d) { Key(&d, Qt::Key_Return); });
  EXPECT_TRUE(dialogs_->Show(Request(TDialogKind::kMessage, "お知らせ"), nullptr).ok);
}

TEST_F(DialogsTest, SecurityQuestionAndErrorDialogButtons) {
  WhenOpen([](QWidget& d) { ButtonWithText(d, "全ていいえ")->click(); });
  EXPECT_EQ(dialogs_->Security(S("書きますか"), nullptr), THost::TSecurityAnswer::kAllNo);
  WhenOpen([](QWidget& d) { d.close(); });
  EXPECT_EQ(dialogs_->Security(S("書きますか"), nullptr), THost::TSecurityAnswer::kClosed);

  WhenOpen([](QWidget& d) {
    EXPECT_TRUE(Child<QPushButton>(d, "btnDebug")->isVisible());
    Child<QPushButton>(d, "btnDebug")->click();
  });
  EXPECT_EQ(dialogs_->ErrorDialog(S("[エラー] x"), true, nullptr), THost::TErrorAnswer::kDebug);
  WhenOpen([](QWidget& d) { Child<QPushButton>(d, "btnOk")->click(); });
  EXPECT_EQ(dialogs_->ErrorDialog(S("[エラー] x"), false, nullptr), THost::TErrorAnswer::kContinue);
  WhenOpen([](QWidget& d) { d.close(); });
  EXPECT_EQ(dialogs_->ErrorDialog(S("[エラー] x"), false, nullptr), THost::TErrorAnswer::kStop);
}

TEST_F(DialogsTest, FileDialogsSeveralFilesDefaultSuffixAndOverwritePrompt) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const char* name : {"a.txt", "b.txt"}) {
    QFile f(dir.filePath(QString::fromLatin1(name)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  TDialogRequest r = Request(TDialogKind::kOpenFile);
  r.multiple = true;
  r.folder = dir.path().toStdString();
  r.filter = S("txt 形式(*.txt)|*.txt|全て(*.*)|*.*");
  WhenOpen([](QWidget& d) {
    auto& fd = static_cast<QFileDialog&>(d);
    EXPECT_EQ(fd.nameFilters(), QStringList({QString::fromUtf8("txt 形式(*.txt) (*.txt)"), QString::fromUtf8("全て(*.*) (*.*)")}));
    EXPECT_EQ(fd.fileMode(), QFileDialog::ExistingFiles);
    fd.selectFile(QStringLiteral("\"a.txt\" \"b.txt\""));
    QMetaObject::invokeMethod(&fd, "accept", Qt::QueuedConnection);
  });
  TDialogAnswer a = dialogs_->Show(r, nullptr);
  ASSERT_TRUE(a.ok);
  ASSERT_EQ(a.paths.size(), 2u);
  EXPECT_EQ(a.paths[0], dir.filePath(QStringLiteral("a.txt")).toStdString());
  EXPECT_EQ(a.paths[1], dir.filePath(QStringLiteral("b.txt")).toStdString());

  // saving: the default suffix is added, and an existing file is asked about
  r = Request(TDialogKind::kSaveFile);
  r.folder = dir.path().toStdString();
  r.filter = S("txt 形式(*.txt)|*.txt|全て(*.*)|*.*");
  r.defaultExt = "txt";
  bool asked = false;
  WhenOpen([&asked](QWidget& d) {
    auto& fd = static_cast<QFileDialog&>(d);
    fd.selectFile(QStringLiteral("a"));
    WhenOpen(
        [&asked](QWidget& box) {
          asked = true;
          static_cast<QMessageBox&>(box).button(QMessageBox::Yes)->click();
        },
        [](QWidget& w) { return qobject_cast<QMessageBox*>(&w) != nullptr; });
    QMetaObject::invokeMethod(&fd, "accept", Qt::QueuedConnection);
  });
  a = dialogs_->Show(r, nullptr);
  EXPECT_TRUE(asked);
  ASSERT_TRUE(a.ok);
  EXPECT_EQ(a.text, dir.filePath(QStringLiteral("a.txt")).toStdString());
}

TEST_F(DialogsTest, ColourDialogCancelAndChoice) {
  TDialogRequest r = Request(TDialogKind::kColour);
  r.colour = 0x0080FF;  // orange as 0x00BBGGRR
  WhenOpen([](QWidget& d) {
    auto& cd = static_cast<QColorDialog&>(d);
    EXPECT_EQ(cd.currentColor(), QColor(0xFF, 0x80, 0x00));
    cd.setCurrentColor(QColor(0x10, 0x20, 0x30));
    cd.accept();
  });
  TDialogAnswer a = dialogs_->Show(r, nullptr);
  EXPECT_TRUE(a.ok);
  EXPECT_EQ(a.colour, 0x302010);
  WhenOpen([](QWidget& d) { static_cast<QDialog&>(d).reject(); });
  EXPECT_FALSE(dialogs_->Show(r, nullptr).ok);
}

TEST_F(DialogsTest, ProgressStopButtonRunsTheStopAction) {
  auto find = [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == QStringLiteral("frmProg") && w->isVisible()) return w;
    return static_cast<QWidget*>(nullptr);
  };
  TProgress p;
  p.open = true;
  p.message = S("受信中");
  p.position = 30;
  int stopped = 0;
  dialogs_->Progress(p);
  QWidget* form = find();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->size(), QSize(318, 47));
  EXPECT_EQ(form->windowTitle().toStdString(), "進行度表示");
  auto* stop = Child<QPushButton>(*form, "btnStop");
  EXPECT_FALSE(stop->isEnabled());  // no stop action
  p.stopAction = [&stopped] { ++stopped; };
  dialogs_->Progress(p);
  EXPECT_TRUE(stop->isEnabled());
  stop->click();
  EXPECT_EQ(stopped, 1);
  p.open = false;
  dialogs_->Progress(p);
  EXPECT_EQ(find(), nullptr);
}

}  // namespace
