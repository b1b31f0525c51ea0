// What a user does to an object, as its widget reports it: the object's state
// changes first, as the widget changed it, then the widget's event is raised
// (at once when the program is idle, queued when it is busy). The scripted
// user events and a window view both come this way, so a program sees the
// same whoever the user is.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "engine/tama.h"
#include "gui/model.h"
#include "gui/objects.h"

namespace tama::gui {

// The outcome of a user action.
enum class TUser {
  kDone,
  kCannot,      // the object's kind has no widget event for it
  kOutOfRange,  // no such item, page, node or cell
};

// A click or a double click (a メニュー: its choice; a チェック toggles first).
TUser UserClick(TTamaBase& t, int number, bool doubleClick);
// Typing: the text replaces the content of an edit, memo, combo or rich edit
// box, the caret after it; then 変更した時.
TUser UserType(TTamaBase& t, int number, std::string text);
// A key going down (kSlotKeyDown) or up (kSlotKeyUp) with its virtual-key
// code; the main window sees every key of its own widgets first.
TUser UserKey(TTamaBase& t, int number, int slot, int code, unsigned modifiers);
// Mouse button down, up (kSlotMouseDown, kSlotMouseUp) or a move
// (kSlotMouseMove) at (x, y) in the object's coordinates.
TUser UserMouse(TTamaBase& t, int number, int slot, int x, int y, unsigned modifiers);
// Choosing item `index` of a リスト, コンボ or ラジオ.
TUser UserSelectItem(TTamaBase& t, int number, int index);
// Ticking a check box; moving a bar; changing the page of a タブページ;
// selecting node `index` (absolute order) of a ツリー; clicking a grid cell.
TUser UserCheck(TTamaBase& t, int number, bool on);
TUser UserScroll(TTamaBase& t, int number, int position);
TUser UserPage(TTamaBase& t, int number, int page);
TUser UserTreeSelect(TTamaBase& t, int number, int index);
TUser UserCell(TTamaBase& t, int number, int row, int col);
// Files dropped onto a widget that accepts them (Shift-JIS names).
TUser UserDrop(TTamaBase& t, int number, const std::vector<std::string>& files);
// A window (母艦 or a フォーム) resized to a client area, or moved.
TUser UserResize(TTamaBase& t, int number, int width, int height);
TUser UserMoveWindow(TTamaBase& t, int number, int x, int y);
// The close box of a window.
TUser UserClose(TTamaBase& t, int number);
// The mouse entering or leaving an アニメ (its hover mode).
TUser UserEnter(TTamaBase& t, int number, bool enter);
// A click on header cell `col` of a グリッド (sorting when its ソート is on).
TUser UserSortColumn(TTamaBase& t, int number, int col);
// The user's in-place edit of node `index` of a ツリー (an editable one): the
// node takes the text, the paths below it follow.
TUser UserTreeRename(TTamaBase& t, int number, int index, const std::string& text);
// The user's edit of a cell (row 0 the header) of a グリッド whose 編集 is on
// (the grid raises no event for it).
TUser UserEditCell(TTamaBase& t, int number, int row, int col, const std::string& text);
// Typing in a リッチエディタ that keeps its fonts: the text and the runs the
// box shows (runs that do not cover the text are dropped); then 変更した時.
TUser UserTypeRich(TTamaBase& t, int number, std::string text, std::vector<TTextRun> runs);
// A button of the mouse on the tray icon (while it is shown): the left one is
// 母艦's click; the right one asks "終了しますか？" and closes 母艦 on yes.
TUser UserTray(TTamaBase& t, bool right);
// A トラック moved or resized by the user.
TUser UserTrack(TTamaBase& t, int number, int x, int y, int w, int h);

// A ブラウザ asked to go to `url` (a link followed, a form sent): the click
// event runs with ブラウザ移動先URL holding the URL; the answer is whether the
// page may go there (ブラウザURL移動許可 read after the handler, as an integer).
bool UserNavigateRequest(TTamaBase& t, int number, const std::string& url);
// A ブラウザ's page reached `url` with `title`: a location other than the
// current one becomes the newest entry of the history; no event.
TUser UserPageReached(TTamaBase& t, int number, const std::string& url, const std::string& title);

}  // namespace tama::gui
