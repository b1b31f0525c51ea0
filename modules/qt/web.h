// The page of a ブラウザ: the web engine lives in a module of its own
// (libtamakazu-web.so beside the qt module), opened by the view when the
// first ブラウザ is made, so a window without one never starts the engine.
// Both modules are toolkit code, so the interface speaks the toolkit's types.
#pragma once
#include <functional>

#include <QString>
#include <QWidget>

namespace tama::qt {

// What a page reports: a request to go to a URL (a link followed, a form
// sent; false keeps the page where it is), and a location reached with the
// page's title.
struct TWebCallbacks {
  std::function<bool(const QString& url)> request;
  std::function<void(const QString& url, const QString& title)> reached;
};

class IWebPage {
 public:
  virtual ~IWebPage() = default;
  // the widget showing the page (owned by its parent widget)
  virtual QWidget* Widget() = 0;
  // loads the location (an empty one shows a blank page)
  virtual void Go(const QString& url) = 0;
  virtual void Back() = 0;
  virtual void Forward() = 0;
  virtual void Reload() = 0;
  virtual void Stop() = 0;
};

class IWebEngine {
 public:
  virtual ~IWebEngine() = default;
  // A page as a child of `parent`; the callbacks are called on the GUI
  // thread, never while Go runs.
  virtual IWebPage* Make(QWidget* parent, TWebCallbacks callbacks) = 0;
};

}  // namespace tama::qt

// The entry of the web module: the engine, or null when the module was built
// from other sources or with other flags than the run-time.
extern "C" tama::qt::IWebEngine* tama_module_web(const char* buildId);
