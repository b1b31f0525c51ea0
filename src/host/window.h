// The window host: the run-time with its window, through the qt module. The
// module's loop drives the run; output and the error report still reach the
// standard streams as without a window, so a run with scripted events prints
// the same in both modes.
#pragma once
#include <memory>
#include <string>

#include "engine/tama.h"
#include "gui/window_system.h"
#include "host/headless.h"

namespace tama::host {

// The mode chosen by the command line and the environment: --headless,
// --window, or a window when DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM is
// set.
enum class TMode { kAuto, kHeadless, kWindow };
bool WantsWindow(TMode mode);

class TWindowHost : public THeadlessHost {
 public:
  // `interactive`: without scripted events (言う shows a message box, the run
  // ends when 母艦 closes).
  TWindowHost(gui::IWindowSystem& ws, bool interactive) : ws_(ws), interactive_(interactive) {}
  // the windows go with the host (after the interpreter state)
  ~TWindowHost() override { ws_.Finish(); }

  void Display(std::string_view text) override;
  void Message(std::string_view text, std::string_view caption) override;
  // With the window the error dialog and the security question are real
  // dialogs: answered by the script's step when there is one, by the user
  // when the run has no script, else as without a window.
  TErrorAnswer ShowErrorDialog(const std::string& log) override;
  TSecurityAnswer AskSecurity(std::string_view message, std::string_view unanswered) override;
  bool Headless() const override { return false; }
  TEventLoop* Loop() override { return ws_.Loop(); }

  // Puts the window view into the interpreter's object model.
  void Attach(TTamaBase& t);

 private:
  gui::IWindowSystem& ws_;
  bool interactive_;
  gui::IWindowView* view_ = nullptr;
  TTamaBase* tama_ = nullptr;
};

// Loads the qt module and starts it; null with the reason when no window can
// be opened.
gui::IWindowSystem* StartWindowSystem(bool interactive, std::string& error);

}  // namespace tama::host
