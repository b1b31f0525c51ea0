// A ブラウザ through the window view: the page the model's address names is
// loaded by the web engine, and the location and title it reports come back
// through the sink. Where the engine cannot run, the test is skipped.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gui/window_system.h"
#include "qt_module.h"

using namespace tama::gui;

namespace {

class TSink : public IViewSink {
 public:
  TObjNode* main = nullptr;
  TObjNode* browser = nullptr;
  std::vector<TGuiState::TDrawnText> drawn;
  std::vector<std::string> reached, requests;
  bool allow = true;
  std::function<void()> onReached;

  const TObjNode* Node(int n) override { return n == 0 ? main : n == 1 ? browser : nullptr; }
  const std::vector<TGuiState::TDrawnText>& DrawnText() override { return drawn; }
  int64_t MainBackground() override { return 0xFFFFFF; }
  bool MainShown() override { return true; }
  void Click(int, bool) override {}
  void Type(int, const std::string&) override {}
  void SelectItem(int, int) override {}
  void Check(int, bool) override {}
  void Scroll(int, int) override {}
  void Page(int, int) override {}
  void TreeSelect(int, int) override {}
  void Cell(int, int, int) override {}
  void Mouse(int, int, int, int, unsigned) override {}
  void Key(int, int, int, unsigned) override {}
  void Drop(int, const std::vector<std::string>&) override {}
  void SortColumn(int, int) override {}
  void TreeRename(int, int, const std::string&) override {}
  void CellEdited(int, int, int, const std::string&) override {}
  void RichType(int, const std::string&, const std::vector<TTextRun>&) override {}
  void Hover(int, bool) override {}
  void Track(int, int, int, int, int) override {}
  void Resize(int, int, int) override {}
  bool TrayShown() override { return false; }
  void Tray(bool) override {}
  void MoveWindow(int, int, int) override {}
  void Close(int) override {}
  bool NavigateRequest(int n, const std::string& url) override {
    requests.push_back(std::to_string(n) + " " + url);
    return allow;
  }
  void PageReached(int n, const std::string& url, const std::string& title) override {
    reached.push_back(std::to_string(n) + " " + url + " " + title);
    if (onReached) onReached();
  }
};

[[noreturn]] void Skip(const char* why) {
  std::fprintf(stderr, "SKIP: %s\n", why);
  std::fflush(stderr);
  std::_Exit(77);
}

IWindowSystem* System() {
  static IWindowSystem* const ws = StartQtModule(QtModuleEntry());
  return ws;
}

// Runs the toolkit until the page has reported `count` times; a page that
// never comes within the guard means the engine cannot run here.
void WaitReached(TSink& sink, size_t count) {
  QEventLoop loop;
  sink.onReached = [&] {
    if (sink.reached.size() >= count) loop.quit();
  };
  QTimer guard;
  bool timedOut = false;
  QObject::connect(&guard, &QTimer::timeout, [&] {
    timedOut = true;
    loop.quit();
  });
  guard.setSingleShot(true);
  guard.start(120000);
  if (sink.reached.size() < count) loop.exec();
  sink.onReached = nullptr;
  if (timedOut && sink.reached.empty()) Skip("the web engine loaded no page in this environment");
}

TEST(WebView, LocalPageTitleAndFollowedLink) {
  ASSERT_NE(System(), nullptr);
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString second = dir.filePath(QStringLiteral("second.html"));
  const QString first = dir.filePath(QStringLiteral("first.html"));
  {
    QFile f(second);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<html><head><title>Second page</title></head><body>two</body></html>");
  }
  {
    QFile f(first);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    // the page follows its link itself once loaded, as a click would
    f.write("<html><head><title>First page</title></head><body>"
            "<a id=\"go\" href=\"second.html\">next</a>"
            "<script>window.addEventListener('load', function () {"
            " setTimeout(function () { document.getElementById('go').click(); }, 50); });</script>"
            "</body></html>");
  }
  TObjNode main;
  main.name = "main";
  main.kind = kForm;
  main.parent = -1;
  main.w = 640;
  main.h = 400;
  TObjNode browser;
  browser.kind = kBrowser;
  browser.number = 1;
  browser.parent = 0;
  browser.w = 300;
  browser.h = 200;
  browser.visible = true;
  main.children.push_back(1);
  TSink sink;
  sink.main = &main;
  sink.browser = &browser;
  IWindowView* view = System()->MakeView(&sink);
  view->Changed(main);
  const std::string firstUrl = QUrl::fromLocalFile(first).toString().toStdString();
  const std::string secondUrl = QUrl::fromLocalFile(second).toString().toStdString();
  browser.url = firstUrl;
  view->Created(browser);
  // the address as the program wrote it, the page's title
  WaitReached(sink, 1);
  ASSERT_GE(sink.reached.size(), 1u);
  EXPECT_EQ(sink.reached[0], "1 " + firstUrl + " First page");
  // the link is asked for first, then the page it leads to is the page's own
  WaitReached(sink, 2);
  ASSERT_EQ(sink.requests.size(), 1u);
  EXPECT_EQ(sink.requests[0], "1 " + secondUrl);
  ASSERT_GE(sink.reached.size(), 2u);
  EXPECT_EQ(sink.reached[1], "1 " + secondUrl + " Second page");
  view->Destroyed(browser);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const int rc = RUN_ALL_TESTS();
  if (System()) System()->Finish();
  return rc;
}
