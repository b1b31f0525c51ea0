// The page of a ブラウザ on the toolkit's web engine.
#include <cstdlib>
#include <string>

#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "../qt/web.h"

namespace tama::qt {
namespace {

// The engine's helper processes refuse to start sandboxed as root, and
// without a display there is no GPU: unless the user says otherwise, they
// run without the sandbox and without the GPU.
void DefaultEngineEnvironment() {
  setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu", 0);
}

// Navigation the page starts on its own (a link, a form) is asked for first;
// what the view loads itself is not.
class TPage : public QWebEnginePage {
 public:
  TPage(QObject* parent, std::function<bool(const QString&)> request)
      : QWebEnginePage(parent), request_(std::move(request)) {}

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
    if (!isMainFrame || !request_) return true;
    if (type != NavigationTypeLinkClicked && type != NavigationTypeFormSubmitted) return true;
    return request_(url.toString());
  }

 private:
  std::function<bool(const QString&)> request_;
};

// The widget is the page's handle: both go together.
class TWebView : public QWebEngineView, public IWebPage {
 public:
  TWebView(QWidget* parent, TWebCallbacks callbacks) : QWebEngineView(parent), reached_(std::move(callbacks.reached)) {
    page_ = new TPage(this, std::move(callbacks.request));
    setPage(page_);
    // the location and title once a load ends, and a title that comes later
    QObject::connect(page_, &QWebEnginePage::loadFinished, this, [this](bool) { Reached(); });
    QObject::connect(page_, &QWebEnginePage::titleChanged, this, [this](const QString&) {
      if (!page_->isLoading()) Reached();
    });
  }
  QWidget* Widget() override { return this; }
  void Go(const QString& url) override {
    page_->setUrl(url.isEmpty() ? QUrl(QStringLiteral("about:blank")) : QUrl::fromUserInput(url));
  }
  void Back() override { page_->triggerAction(QWebEnginePage::Back); }
  void Forward() override { page_->triggerAction(QWebEnginePage::Forward); }
  void Reload() override { page_->triggerAction(QWebEnginePage::Reload); }
  void Stop() override { page_->triggerAction(QWebEnginePage::Stop); }

 private:
  void Reached() {
    const QString url = page_->url().toString();
    const QString title = page_->title();
    if (url == lastUrl_ && title == lastTitle_) return;
    lastUrl_ = url;
    lastTitle_ = title;
    if (reached_) reached_(url, title);
  }

  std::function<void(const QString&, const QString&)> reached_;
  TPage* page_ = nullptr;
  QString lastUrl_, lastTitle_;
};

class TWebEngine : public IWebEngine {
 public:
  IWebPage* Make(QWidget* parent, TWebCallbacks callbacks) override {
    return new TWebView(parent, std::move(callbacks));
  }
};

}  // namespace
}  // namespace tama::qt

extern "C" __attribute__((visibility("default"))) tama::qt::IWebEngine* tama_module_web(const char* buildId) {
  if (!buildId || std::string(buildId) != TAMA_BUILD_ID) return nullptr;
  tama::qt::DefaultEngineEnvironment();
  static tama::qt::TWebEngine engine;
  return &engine;
}
