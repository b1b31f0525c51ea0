// The object model of the user interface: the kinds of objects, the object
// records of the interpreter state with 母艦 as record 0, and the view that
// mirrors them. Nothing here knows a toolkit: a window view implements TView,
// the headless run-time uses the plain one with the fixed text metrics.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/event_loop.h"
#include "raster/pixels.h"
#include "support/csvdb.h"
#include "words/text.h"

namespace tama {
class TTamaBase;
}

namespace tama::gui {

// The object kinds, in the order of the kind table (the index is stored in
// the record and 作る matches the kind words in this order).
enum TKind : int {
  kButton = 0,
  kEdit,
  kImage,
  kBar,
  kCombo,
  kList,
  kMemo,
  kForm,
  kGrid,
  kLabel,
  kCheck,
  kTrack,
  kAnime,
  kMenu,
  kBrowser,
  kPanel,
  kTEditor,
  kRadio,
  kScroll,
  kTabPage,
  kTree,
  kRichEdit,
  kKindCount
};

// The kind word ("ボタン" ...), and the kind of a word (-1 for none).
const char* KindWord(int kind);
int KindOfWord(std::string_view word);
// The kind whose word the name ends with, the first in table order; -1 for none.
int KindNameEndsWith(std::string_view name);

// The ten event slots of an object.
enum TSlot : int {
  kSlotEvent = 0,  // the generic slot: the one that is actually run
  kSlotClick,
  kSlotDblClick,
  kSlotMouseDown,
  kSlotMouseUp,
  kSlotKeyDown,
  kSlotKeyUp,
  kSlotChange,
  kSlotMouseMove,
  kSlotFileDrop,
  kSlotCount
};

// The slot that writing イベント also sets for a kind (-1 for none).
int DefaultSlot(int kind);
// Whether a kind's widget raises the event of the slot (the events its widget
// has connected); a フォーム's mouse events come from its "img".
bool SlotConnected(int kind, int slot);

// A font as objects and the drawing commands hold it.
struct TFont {
  std::string name = "ＭＳ ゴシック";
  int size = 12;  // points
  bool bold = false, italic = false, underline = false;
  int64_t color = 0;  // 0x00BBGGRR
};

// One node of a tree, in absolute (preorder) order.
struct TTreeNode {
  std::string path;  // "親\子" from the root
  std::string text;  // the node's own caption (last part of the path)
  int level = 0;
  bool expanded = false;
};

// A stretch of a rich text in one font: runs follow each other and cover the
// text (lengths in bytes; a CR LF belongs to the run it falls in).
struct TTextRun {
  int length = 0;
  TFont font;
};

// One object: its record, its event slots, and its state as its widget shows it.
struct TObjNode {
  std::string name;
  int kind = kButton;
  int number = 0;
  std::array<std::string, kSlotCount> eventText;  // inline handler texts
  std::array<TPos, kSlotCount> eventEntry;        // empty: no handler

  // placement: the container (its number; -1 for a top-level フォーム) and,
  // on a タブページ, the page; the objects placed on this one, in widget order
  int parent = 0;
  int page = 0;
  std::vector<int> children;

  // geometry: left, top, width, height (フォーム: client width and height)
  int x = 0, y = 0, w = 0, h = 0;
  bool sizeSet = false;  // a ラベル stops following its caption once sized
  bool visible = true, enabled = true;
  TFont font;
  int64_t background = -1;  // -1: the kind's own colour
  std::string text;         // caption or content, CR LF kept
  std::vector<std::string> items;
  int selected = -1;  // selected item (リスト, コンボ, ラジオ)
  int selStart = 0, selLength = 0;  // bytes, CR LF counts 2
  int caretLine = 0, caretCol = 0;
  int barMin = 0, barMax = 100, barPos = 0;
  bool vertical = false;
  bool checked = false;
  bool readOnly = false;
  bool comboEditable = true;
  int scrollBars = 0;  // 0 none, 1 vertical, 2 horizontal, 3 both
  bool sorted = false;
  bool transparent = false;
  bool stretch = false;
  bool fileDrop = false;
  int ime = 0;
  bool pictureButton = false;
  bool hasPicture = false;  // a picture is loaded or drawn
  int pictureW = 0, pictureH = 0;
  // the file a ボタン's or メニュー's picture came from, as the system names
  // it (empty: none, or a picture that is no file of its own)
  std::string pictureFile;
  // the pixels (gui/pictures.h): an イメージ's picture, a window's picture
  // layer, or the drawing over a グリッド, ラベル, アニメ or リスト (with alpha);
  // null until the first drawing or loading
  std::shared_ptr<raster::TPixels> picture;

  // グリッド: the cells (row 0 is the header row), current cell, modes
  std::shared_ptr<TCsvDb> grid;
  int gridRow = 1, gridCol = 0;
  bool gridEdit = false, gridSort = false;
  std::vector<int> gridColWidths;  // pixels, as loading the cells set them
  int gridSortColumn = -1;    // the column of the last header click
  bool gridSortDown = false;  // that click sorted descending

  // ツリー: nodes in absolute order and the selected one (-1: none)
  std::vector<TTreeNode> tree;
  int treeSelected = -1;

  // タブページ: page captions, the disabled pages, the active page and where
  // the tabs are (0 top, 1 bottom, 2 right)
  std::vector<std::string> pages;
  std::vector<bool> pageDisabled;  // as long as pages
  int activePage = 0;
  int tabPosition = 0;

  // メニュー: the parent item (-1: the menu bar), shortcut, picture, owner drawing
  std::string shortcut;
  bool ownerDraw = false;

  // アニメ: frames, the current frame (-1: stopped), interval, the repeat
  // count that runs down while it plays and the one written last, button
  // mode (1 button, 2 hover), sound, the frame timer, the mouse over it and
  // pressed on it
  std::vector<std::string> frames;
  int frameIndex = -1, interval = 300, repeat = 0, buttonMode = 0;
  int repeatWritten = 0;
  std::string sound;
  bool animating = false;
  TEventLoop::TTimerId frameTimer = 0;
  bool hovered = false, pressed = false;

  // ブラウザ: the current location and the visited ones, the current entry;
  // the title the page at it reports (windowed only)
  std::string url, title;
  std::vector<std::string> history;
  int historyPos = -1;

  // グリッド: whole rows are selected
  bool gridRowSelect = false;

  // リッチエディタ: the fonts of the text (empty: all in the object's font)
  // and the font of what is typed at an empty selection after its attributes
  // were changed
  std::vector<TTextRun> runs;
  bool hasTypingFont = false;
  TFont typingFont;

  // Tエディタ: the display settings besides font and colours
  int tabWidth = 8;
  bool lineNumbers = false, wordWrap = false;

  // the window's corners rounded with this radius (0: square)
  int cornerRadius = 0;

  // フォーム: border style, window state (0 normal, 1 minimised, 2 maximised), on top
  int style = 2;
  int windowState = 0;
  bool onTop = false;
  int imgNumber = -1;  // the number of the form's "img" picture layer (母艦: 0 itself)

  // the view's own record of the widget (never read by the model)
  void* widget = nullptr;
};

// The fixed text metrics both modes use, so that a program reads the same
// numbers with and without a window: pixel size p = trunc(points x 96 / 72 +
// 0.5); a single-byte character is p div 2 wide, a double-byte one p; every
// text is p high.
int PixelSize(int points);
int TextWidth(std::string_view text, int pixelSize);

// What only a toolkit can know. The plain view answers with the fixed metrics
// and a virtual screen; a window view mirrors every change of the model.
class TView {
 public:
  virtual ~TView() = default;
  // the screen (the virtual screen without a display)
  virtual int ScreenWidth() { return screenWidth; }
  virtual int ScreenHeight() { return screenHeight; }
  // the text metrics of a font
  virtual int TextWidth(const TFont& font, std::string_view text) { return gui::TextWidth(text, PixelSize(font.size)); }
  virtual int TextHeight(const TFont& font) { return PixelSize(font.size); }
  // the window handle of an object (0 when it has none)
  virtual int64_t Handle(const TObjNode&) { return 0; }
  // gives the object the input focus; false when it cannot take it
  virtual bool Focus(const TObjNode& node) { return node.visible && node.enabled && node.kind != kMenu; }
  // the model changed: created, changed (any field), destroyed, reparented
  virtual void Created(TObjNode&) {}
  virtual void Changed(TObjNode&) {}
  virtual void Destroyed(TObjNode&) {}
  // the settings panel of a Tエディタ (nothing without a window)
  virtual void EditorSettingsPanel(TObjNode&) {}
  // the desktop's beep (nothing without a window)
  virtual void Beep() {}
  // A scripted step (its verb and its arguments, UTF-8 as written) turned
  // into the toolkit's own input at the object's widget, so that the view's
  // translation of user input is what the step exercises; false when the
  // view leaves the step to the model (the plain view always does).
  virtual bool Inject(const std::string& verb, const TObjNode& node, const std::vector<std::string>& args) {
    (void)verb;
    (void)node;
    (void)args;
    return false;
  }
  // a PNG of 母艦's client area (the `shot` step); false with the reason
  virtual bool Shot(const std::string& file, std::string& error) {
    (void)file;
    error = "shot needs a window";
    return false;
  }

  int screenWidth = 1024, screenHeight = 768;
};

class TScript;        // gui/script.h
struct TDialogState;  // gui/dialogs.h
struct TDebugState;   // gui/debug.h

// The state of the user interface of one interpreter.
struct TGuiState {
  TGuiState();
  // the object list: the index is the object's number; never compacted,
  // null after destruction; 0 is 母艦
  std::vector<std::unique_ptr<TObjNode>> objects;
  // destroyed records waiting to be freed outside their own events
  std::vector<std::unique_ptr<TObjNode>> deferred;
  bool centering = false;
  std::unique_ptr<TView> view;

  // the program timer (タイマー設定): its timer on the loop and its label
  TEventLoop::TTimerId timer = 0;
  TPos timerLabel;
  std::string timerLabelName;

  std::string timerLabelFile;  // the file that defines the label

  // the main window: shown (母艦浮上), cursor shown, tray icon shown; the
  // application icon: a file, or the picture of an イメージ object
  bool mainShown = false;
  bool cursorShown = true;
  bool trayIcon = false;
  std::string icon;
  int iconObject = -1;

  // The text 表示 has drawn on 母艦's picture layer since it was last cleared,
  // in drawing order (lines that fall outside the picture are not kept).
  struct TDrawnText {
    int x = 0, y = 0;
    std::string text;
    TFont font;
  };
  std::vector<TDrawnText> drawnText;
  // the picture on the clipboard of a run without a window
  std::shared_ptr<raster::TPixels> clipboardPicture;

  // The scripted events (mainwindow.h): delivered at the idle points of the
  // run loop and at the pump steps of 待つ.
  std::function<bool(TTamaBase&)> idleHook;
  std::function<void(TTamaBase&)> waitHook;

  // the scripted user events of --events (null without)
  std::shared_ptr<TScript> script;
  // the dialogs' view and what they keep between uses (made on first use)
  std::shared_ptr<TDialogState> dialogs;
  // the debug dialog's filters and ログる's entries (gui/debug.h; made on first use)
  std::shared_ptr<TDebugState> debug;

  TObjNode* Find(int number) {
    return number >= 0 && number < static_cast<int>(objects.size()) ? objects[number].get() : nullptr;
  }
  // The live object of that name (linear search of the object list).
  TObjNode* FindByName(std::string_view name);
  TObjNode& Main() { return *objects[0]; }
};

// The state of an interpreter, made on first use.
TGuiState& Gui(TTamaBase& t);

}  // namespace tama::gui
