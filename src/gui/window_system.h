// The window system as the core sees it: the interface a view module (the
// shared library loaded on first use) implements, and the callbacks the core
// gives it. Header only, with no toolkit: the module reaches the interpreter
// only through IViewSink, and the core reaches the toolkit only through
// IWindowSystem and IWindowView.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/event_loop.h"
#include "engine/host.h"
#include "gui/debug.h"
#include "gui/dialogs.h"
#include "gui/model.h"
#include "raster/raster.h"

namespace tama::gui {

// What the view reports and reads. Every user action takes the path of
// gui/user.h: the model changes first, then the object's event is raised.
// Texts are Shift-JIS.
class IViewSink {
 public:
  virtual ~IViewSink() = default;
  // the live record of an object (null when there is none)
  virtual const TObjNode* Node(int number) = 0;
  // the text 表示 has drawn on 母艦's picture layer, in drawing order
  virtual const std::vector<TGuiState::TDrawnText>& DrawnText() = 0;
  // 母艦's background colour (0x00BBGGRR)
  virtual int64_t MainBackground() = 0;
  // 母艦 is shown (a program that shows it itself starts with it hidden)
  virtual bool MainShown() = 0;

  virtual void Click(int number, bool doubleClick) = 0;
  virtual void Type(int number, const std::string& text) = 0;
  virtual void SelectItem(int number, int index) = 0;
  virtual void Check(int number, bool on) = 0;
  virtual void Scroll(int number, int position) = 0;
  virtual void Page(int number, int page) = 0;
  virtual void TreeSelect(int number, int index) = 0;
  virtual void Cell(int number, int row, int col) = 0;
  // slot: kSlotMouseDown, kSlotMouseUp, kSlotMouseMove; modifiers: TModifier bits
  virtual void Mouse(int number, int slot, int x, int y, unsigned modifiers) = 0;
  // slot: kSlotKeyDown, kSlotKeyUp; code: the virtual-key number
  virtual void Key(int number, int slot, int code, unsigned modifiers) = 0;
  virtual void Drop(int number, const std::vector<std::string>& files) = 0;
  // a click on header cell `col` of a グリッド
  virtual void SortColumn(int number, int col) = 0;
  // in-place edits: a ツリー node (absolute index), a グリッド cell (row 0 the header)
  virtual void TreeRename(int number, int index, const std::string& text) = 0;
  virtual void CellEdited(int number, int row, int col, const std::string& text) = 0;
  // typing in a リッチエディタ: the text and its fonts as the box shows them
  virtual void RichType(int number, const std::string& text, const std::vector<TTextRun>& runs) = 0;
  // the mouse entering or leaving an アニメ; a トラック dragged
  virtual void Hover(int number, bool enter) = 0;
  virtual void Track(int number, int x, int y, int w, int h) = 0;
  virtual void Resize(int number, int width, int height) = 0;
  // the tray icon: shown (タスクトレイへアイコン表示), and a button on it
  virtual bool TrayShown() = 0;
  virtual void Tray(bool right) = 0;
  virtual void MoveWindow(int number, int x, int y) = 0;
  virtual void Close(int number) = 0;
  // a ブラウザ's page asking to go to `url` (false: it stays); its page
  // reached a location with a title
  virtual bool NavigateRequest(int number, const std::string& url) {
    (void)number;
    (void)url;
    return true;
  }
  virtual void PageReached(int number, const std::string& url, const std::string& title) {
    (void)number;
    (void)url;
    (void)title;
  }
};

// The view: mirrors every change of the model in widgets.
class IWindowView {
 public:
  virtual ~IWindowView() = default;
  virtual void Created(const TObjNode& node) = 0;
  virtual void Changed(const TObjNode& node) = 0;
  virtual void Destroyed(const TObjNode& node) = 0;
  // 母艦's picture layer has new drawing (表示, 画面クリア)
  virtual void MainDrawn() = 0;
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;
  virtual int64_t Handle(const TObjNode& node) = 0;
  virtual bool Focus(const TObjNode& node) = 0;
  // A scripted step delivered as toolkit input at the object's widget (see
  // TView::Inject); false when the view does not take it.
  virtual bool Inject(const std::string& verb, const TObjNode& node, const std::vector<std::string>& args) = 0;
  // A PNG of 母艦's client area; false with the reason.
  virtual bool Shot(const std::string& file, std::string& error) = 0;
  // The desktop's beep.
  virtual void Beep() {}
  // The settings panel of a Tエディタ, modal, filled with `settings` (the
  // "tama" keys and values); true when the user accepted it, `settings`
  // then holding what was chosen.
  virtual bool EditorSettings(const TObjNode& node, std::vector<std::pair<std::string, std::string>>& settings) {
    (void)node;
    (void)settings;
    return false;
  }
};

// What the debug dialog shows and the core's callbacks it uses: the filters
// (which the user changes and which last between openings), the variable
// listing it refills from with them, and the row report to the editor.
struct TDebugWindow {
  const TDebugReport* report = nullptr;
  TDebugFilter* filter = nullptr;
  std::function<std::vector<TDebugVariable>(const TDebugFilter&)> list;
  std::function<void()> editorSync;
};

// The dialogs as windows. Each is modal and runs the toolkit's events while
// it is open. `scripted`: the answer of the run's script, filled into the
// dialog, which is then accepted at once (the answer returned is that one);
// null: the dialog waits for the user.
class IDialogWindows {
 public:
  virtual ~IDialogWindows() = default;
  virtual TDialogAnswer Show(const TDialogRequest& request, const TDialogAnswer* scripted) = 0;
  // The progress dialog as the state says (shown while `open`).
  virtual void Progress(const TProgress& progress) = 0;
  // The error dialog with the log (continue, debug, stop; the debug button
  // only when `debugButton`).
  virtual THost::TErrorAnswer ErrorDialog(const std::string& log, bool debugButton,
                                          const THost::TErrorAnswer* scripted) = 0;
  // The security question (はい, いいえ, 全てはい, 全ていいえ).
  virtual THost::TSecurityAnswer Security(const std::string& message, const THost::TSecurityAnswer* scripted) = 0;
  // The debug dialog (continue, step, stop; the close box is kClose).
  virtual TDebugChoice DebugDialog(const TDebugWindow& window, const TDebugChoice* scripted) {
    (void)window;
    return scripted ? *scripted : TDebugChoice::kClose;
  }
};

// The toolkit: its application object, its event loop, the view.
class IWindowSystem {
 public:
  virtual ~IWindowSystem() = default;
  // Starts the toolkit; false (with the reason, UTF-8) when no window can be
  // opened. `interactive`: the run ends only when 母艦 closes (without
  // scripted events), so the loop always has something that can happen.
  virtual bool Start(bool interactive, std::string& error) = 0;
  // The event loop driven by the toolkit (valid after Start).
  virtual TEventLoop* Loop() = 0;
  // The view (one per run) reporting to the sink.
  virtual IWindowView* MakeView(IViewSink* sink) = 0;
  // A message box (言う); texts Shift-JIS.
  virtual void Message(const std::string& text, const std::string& caption) = 0;
  // The dialogs (valid after Start; null when the module has none).
  virtual IDialogWindows* Dialogs() { return nullptr; }
  // The painter and codecs on pictures; usable without Start (a headless run
  // draws text with an application object of its own, made on first use).
  virtual raster::IRaster* Raster() { return nullptr; }
  // The run has ended: the windows and the application object go.
  virtual void Finish() = 0;
};

}  // namespace tama::gui

// The entry of the qt module: the window system, or null when the module was
// built from other sources or with other flags than the run-time.
extern "C" tama::gui::IWindowSystem* tama_module_qt(const char* buildId);
