#include "host/window.h"

#include <cstdio>
#include <cstdlib>

#include "engine/modules.h"
#include "gui/debug.h"
#include "gui/dialogs.h"
#include "gui/editor_link.h"
#include "gui/mainwindow.h"
#include "gui/objects.h"
#include "gui/script.h"
#include "gui/user.h"
#include "gui/widgets.h"

namespace tama::host {

namespace {

// The model's view in window mode: the fixed text metrics of the plain view
// (programs read the same numbers in both modes), every change passed on to
// the module's view, and the module's reports passed to the user actions.
class TWindowView : public gui::TView, public gui::IViewSink {
 public:
  TWindowView(TTamaBase& t, gui::IWindowSystem& ws) : t_(t) { view_ = ws.MakeView(this); }
  gui::IWindowView* Module() { return view_; }

  int ScreenWidth() override { return view_->ScreenWidth(); }
  int ScreenHeight() override { return view_->ScreenHeight(); }
  int64_t Handle(const gui::TObjNode& node) override { return view_->Handle(node); }
  bool Focus(const gui::TObjNode& node) override { return gui::TView::Focus(node) && view_->Focus(node); }
  void Created(gui::TObjNode& node) override { view_->Created(node); }
  void Changed(gui::TObjNode& node) override { view_->Changed(node); }
  void Destroyed(gui::TObjNode& node) override { view_->Destroyed(node); }
  bool Shot(const std::string& file, std::string& error) override { return view_->Shot(file, error); }
  void Beep() override { view_->Beep(); }
  bool Inject(const std::string& verb, const gui::TObjNode& node, const std::vector<std::string>& args) override {
    return view_->Inject(verb, node, args);
  }
  // the panel waits for the user; a scripted run goes on as without a window
  void EditorSettingsPanel(gui::TObjNode& node) override {
    if (!interactive) return;
    const int number = node.number;
    auto settings = gui::EditorSettings(node);
    if (!view_->EditorSettings(node, settings)) return;
    gui::TObjNode* live = gui::Gui(t_).Find(number);  // events ran while it was open
    if (!live) return;
    for (const auto& [key, value] : settings) gui::ApplyEditorSetting(*live, key, value);
    gui::Changed(t_, *live);
  }
  bool interactive = false;

  // ---- the sink ----
  const gui::TObjNode* Node(int number) override { return gui::Gui(t_).Find(number); }
  const std::vector<gui::TGuiState::TDrawnText>& DrawnText() override { return gui::Gui(t_).drawnText; }
  int64_t MainBackground() override { return gui::MainBackground(t_); }
  bool MainShown() override { return gui::Gui(t_).mainShown; }
  void Click(int n, bool dbl) override { gui::UserClick(t_, n, dbl); }
  void Type(int n, const std::string& text) override { gui::UserType(t_, n, text); }
  void SelectItem(int n, int index) override { gui::UserSelectItem(t_, n, index); }
  void Check(int n, bool on) override { gui::UserCheck(t_, n, on); }
  void Scroll(int n, int position) override { gui::UserScroll(t_, n, position); }
  void Page(int n, int page) override { gui::UserPage(t_, n, page); }
  void TreeSelect(int n, int index) override { gui::UserTreeSelect(t_, n, index); }
  void Cell(int n, int row, int col) override { gui::UserCell(t_, n, row, col); }
  void Mouse(int n, int slot, int x, int y, unsigned mods) override { gui::UserMouse(t_, n, slot, x, y, mods); }
  void Key(int n, int slot, int code, unsigned mods) override { gui::UserKey(t_, n, slot, code, mods); }
  void Drop(int n, const std::vector<std::string>& files) override { gui::UserDrop(t_, n, files); }
  void SortColumn(int n, int col) override { gui::UserSortColumn(t_, n, col); }
  void TreeRename(int n, int index, const std::string& text) override { gui::UserTreeRename(t_, n, index, text); }
  void CellEdited(int n, int row, int col, const std::string& text) override {
    gui::UserEditCell(t_, n, row, col, text);
  }
  void RichType(int n, const std::string& text, const std::vector<gui::TTextRun>& runs) override {
    gui::UserTypeRich(t_, n, text, runs);
  }
  void Hover(int n, bool enter) override { gui::UserEnter(t_, n, enter); }
  void Track(int n, int x, int y, int w, int h) override { gui::UserTrack(t_, n, x, y, w, h); }
  void Resize(int n, int w, int h) override { gui::UserResize(t_, n, w, h); }
  bool TrayShown() override { return gui::Gui(t_).trayIcon; }
  void Tray(bool right) override { gui::UserTray(t_, right); }
  void MoveWindow(int n, int x, int y) override { gui::UserMoveWindow(t_, n, x, y); }
  void Close(int n) override { gui::UserClose(t_, n); }
  bool NavigateRequest(int n, const std::string& url) override { return gui::UserNavigateRequest(t_, n, url); }
  void PageReached(int n, const std::string& url, const std::string& title) override {
    gui::UserPageReached(t_, n, url, title);
  }

 private:
  TTamaBase& t_;
  gui::IWindowView* view_ = nullptr;
};

// The dialogs shown as windows by the module: the script's answer filled in
// and accepted, or the user's.
class TWindowDialogs : public gui::TDialogView {
 public:
  TWindowDialogs(gui::IDialogWindows& windows) : windows_(windows) {}

  gui::TDialogAnswer Show(TTamaBase& t, const gui::TDialogRequest& r) override {
    if (r.kind == gui::TDialogKind::kMessage) {
      t.host.Message(r.message, r.caption);
      return gui::ClosedAnswer(r);
    }
    gui::TDialogAnswer a;
    switch (gui::TakeScriptAnswer(t, r, a)) {
      case gui::TScriptAnswer::kTaken: return windows_.Show(r, &a);
      case gui::TScriptAnswer::kFailed: return a;
      case gui::TScriptAnswer::kNone: break;
    }
    a = windows_.Show(r, nullptr);
    // the user's paths as the dialogs give them back: full, with "/"
    for (std::string& p : a.paths) {
      p = gui::FullName(p);
      if (r.kind == gui::TDialogKind::kFolder && !p.empty() && p.back() != '/') p += '/';
    }
    if (!a.paths.empty()) a.text = a.paths.front();
    return a;
  }
  void ProgressChanged(TTamaBase& t) override { windows_.Progress(gui::Dialogs(t).progress); }

 private:
  gui::IDialogWindows& windows_;
};

// The error dialog's answer from the script: `answer continue|debug|stop`
// (or `cancel`, the close box: stop). False when the next step answers no
// dialog.
bool ScriptedErrorAnswer(TTamaBase& t, THost::TErrorAnswer& answer) {
  gui::TScript* script = gui::ScriptOf(t);
  if (!script || script->failed) return false;
  const gui::TStep* step = script->TakeDialogStep(t);
  if (!step) return false;
  answer = THost::TErrorAnswer::kStop;
  if (step->verb == "cancel") return true;
  const std::string word = step->verb == "answer" && step->args.size() == 1 ? step->args[0] : std::string();
  if (word == "continue") {
    answer = THost::TErrorAnswer::kContinue;
  } else if (word == "debug") {
    answer = THost::TErrorAnswer::kDebug;
  } else if (word != "stop") {
    script->Fail(t, *step, "the error dialog takes answer continue, debug or stop");
  }
  return true;
}

}  // namespace

bool WantsWindow(TMode mode) {
  if (mode != TMode::kAuto) return mode == TMode::kWindow;
  for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    if (const char* v = std::getenv(var); v && *v) return true;
  return false;
}

void TWindowHost::Display(std::string_view text) {
  THeadlessHost::Display(text);
  if (view_) view_->MainDrawn();
}

void TWindowHost::Message(std::string_view text, std::string_view caption) {
  // the line reaches standard output as without a window; with scripted
  // events the box counts as acknowledged at once
  THeadlessHost::Message(text, caption);
  std::fflush(stdout);
  if (gui::IDialogWindows* dialogs = ws_.Dialogs()) {
    gui::TDialogRequest r;
    r.kind = gui::TDialogKind::kMessage;
    r.command = "言う";
    r.message = std::string(text);
    r.caption = std::string(caption);
    if (tama_) r.font = gui::DrawingFont(*tama_);
    const gui::TDialogAnswer ack = gui::ClosedAnswer(r);
    dialogs->Show(r, interactive_ ? nullptr : &ack);
  } else if (interactive_) {
    ws_.Message(std::string(text), std::string(caption));
  }
}

THost::TErrorAnswer TWindowHost::ShowErrorDialog(const std::string& log) {
  // the log reaches standard error as without a window
  const TErrorAnswer headless = THeadlessHost::ShowErrorDialog(log);
  gui::IDialogWindows* dialogs = ws_.Dialogs();
  if (!dialogs || !tama_) return headless;
  TErrorAnswer scripted;
  if (ScriptedErrorAnswer(*tama_, scripted)) return dialogs->ErrorDialog(log, tama_->debugFlag, &scripted);
  if (interactive_) return dialogs->ErrorDialog(log, tama_->debugFlag, nullptr);
  return headless;
}

THost::TSecurityAnswer TWindowHost::AskSecurity(std::string_view message, std::string_view unanswered) {
  gui::IDialogWindows* dialogs = ws_.Dialogs();
  if (!dialogs) return THeadlessHost::AskSecurity(message, unanswered);
  std::fflush(stdout);
  if (TSecurityAnswer scripted; scriptedSecurity && scriptedSecurity(scripted))
    return dialogs->Security(std::string(message), &scripted);
  if (interactive_) return dialogs->Security(std::string(message), nullptr);
  return THeadlessHost::AskSecurity(message, unanswered);
}

void TWindowHost::Attach(TTamaBase& t) {
  auto view = std::make_unique<TWindowView>(t, ws_);
  view->interactive = interactive_;
  view_ = view->Module();
  gui::Gui(t).view = std::move(view);
  tama_ = &t;
  gui::IDialogWindows* dialogs = ws_.Dialogs();
  if (!dialogs) return;
  gui::Dialogs(t).view = std::make_shared<TWindowDialogs>(*dialogs);
  // the debug dialog: the script's choice taken at once, else the user's
  const bool interactive = interactive_;
  gui::Debug(t).windowView = [dialogs, interactive](TTamaBase& t, const gui::TDebugReport& report,
                                                    const gui::TDebugChoice* scripted, gui::TDebugChoice& choice) {
    if (!scripted && !interactive) return false;
    gui::TDebugWindow w;
    w.report = &report;
    w.filter = &gui::Debug(t).filter;
    w.list = [&t](const gui::TDebugFilter& f) { return gui::ListVariables(t, f); };
    w.editorSync = [&t] { gui::ReportRowToEditor(t); };
    choice = dialogs->DebugDialog(w, scripted);
    return true;
  };
}

gui::IWindowSystem* StartWindowSystem(bool interactive, std::string& error) {
  gui::IWindowSystem* ws = LoadModule<gui::IWindowSystem>("qt", error);
  if (!ws) return nullptr;
  if (!ws->Start(interactive, error)) return nullptr;
  return ws;
}

}  // namespace tama::host
