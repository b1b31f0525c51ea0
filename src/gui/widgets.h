// The widgets with behaviour of their own that the object model keeps:
// menus, the grid, the frame animation, the tracker, the tree with its path
// list, tab pages, the browser history, rich text in runs and the editor
// control's display settings. Everything here is model state; a window view
// mirrors it and reports the user's changes through the functions below.
#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/tama.h"
#include "gui/model.h"
#include "gui/objects.h"

namespace tama::gui {

// ---- paths ----

// The parts of a path with "\" between levels, split by character (a
// double-byte character whose second byte is 0x5C is no separator); empty
// parts are dropped.
std::vector<std::string> PathParts(std::string_view path);
// The text without one "\" at its end (found by character).
std::string_view WithoutTrailingYen(std::string_view path);
// Whether the text ends with the suffix at a character boundary.
bool EndsWithChars(std::string_view text, std::string_view suffix);

// ---- menus ----

// Creates a menu item named `name` under the menu item named `parent` (empty:
// the menu bar), with its naming rules and errors; その becomes its word.
void CreateMenuItem(TTamaBase& t, std::string_view parent, std::string_view name);
// Creates the items of lines of paths (ファイル\開く: ファイルメニュー and
// ファイル_開くメニュー), each only when no word of its name exists.
void CreateMenuPaths(TTamaBase& t, std::string_view lines);

// ---- the grid (row 0 the header, the last row the empty one) ----

int GridRows(const TObjNode& node);
int GridCols(const TObjNode& node);
// Loads CSV text: one row per CSV row, one empty row at the end.
void LoadGrid(TTamaBase& t, TObjNode& node, std::string_view csv);
// The whole grid as CSV; the rows without the empty ones at the end.
std::string GridText(const TObjNode& node);
std::string GridItems(const TObjNode& node);
// The current row: between the header and the end, never the header itself.
void SetGridRow(TTamaBase& t, TObjNode& node, int row);
// A click on a header cell when sorting is on: the rows between the header
// and the last one sorted by that column (ASCII letters folded to upper
// case, at most the first 255 bytes of a cell, equal rows keeping their
// order), ascending first, the other way at every further click.
void SortGridByHeader(TTamaBase& t, TObjNode& node, int col);

// ---- the tree: nodes in absolute (preorder) order ----

// The parent of node i (-1: a top-level node).
int TreeParent(const TObjNode& node, int i);
// Adds the lines of paths (the fast path for a line with the same parent path
// as the previous one adds its last part under the parent of the node made
// last, even when a node of that path exists already).
void AddTreePaths(TTamaBase& t, TObjNode& node, std::string_view lines);
// The first node with exactly that path; -1 for none.
int FindTreePath(const TObjNode& node, std::string_view path);
// Renames node i; the paths of its descendants follow.
void RenameTreeNode(TObjNode& node, int i, const std::string& text);
// Deletes the node with that path and its descendants; false when there is
// none.
bool DeleteTreePath(TTamaBase& t, TObjNode& node, std::string_view path);
// Expands (or collapses) the node with that path and all its descendants; an
// empty path expands every node, or collapses the top-level nodes only. A
// trailing "\" is ignored; an unknown path does nothing.
void ExpandTreePath(TTamaBase& t, TObjNode& node, std::string_view path, bool expand);
// Selects node i: 変更した時 with the selected node's path in イベントの値
// when the selection changed.
void SelectTreeNode(TTamaBase& t, TObjNode& node, int index);
void RaiseTreeChange(TTamaBase& t, TObjNode& node);

// ---- tab pages ----

// The pages are the lines of the text; the objects on pages that go are
// destroyed.
void SetPages(TTamaBase& t, TObjNode& node, std::string_view lines);
void AddPage(TTamaBase& t, TObjNode& node, std::string_view caption);
// The active page enabled or disabled.
void EnableActivePage(TTamaBase& t, TObjNode& node, bool enabled);
bool PageEnabled(const TObjNode& node, int page);
// "上" top, "下" bottom, "右" right; any other text changes nothing.
void SetTabPosition(TTamaBase& t, TObjNode& node, std::string_view where);

// ---- the browser ----

// Goes to the location: the entries after the current one are dropped.
void Navigate(TTamaBase& t, TObjNode& node, const std::string& url);
// One step back (-1) or forward (1) in the history; false when there is none.
bool HistoryStep(TTamaBase& t, TObjNode& node, int step);

// ---- the frame animation ----

// Start (when there are frames): frame 0, the frame timer on. Stop: frame -1,
// the timer off.
void StartAnime(TTamaBase& t, TObjNode& node);
void StopAnime(TTamaBase& t, TObjNode& node);
// Loads every line as a frame (all are loaded before anything changes), then
// starts; `append` keeps the frames there are.
void LoadFrames(TTamaBase& t, TObjNode& node, std::string_view lines, bool append);
// One tick of the frame timer (what the timer runs).
void AnimeTick(TTamaBase& t, TObjNode& node);
// The frame the box shows (0 while stopped; -1 without frames).
int ShownFrame(const TObjNode& node);
// The mouse over the box and the left button on it, as the view reports them.
void AnimeMouseEnter(TTamaBase& t, TObjNode& node);
void AnimeMouseLeave(TTamaBase& t, TObjNode& node);
// The left button's press raises the box's mouse down and its click.
void AnimeMouseDown(TTamaBase& t, TObjNode& node, const TEventArgs& args = {});
void AnimeMouseUp(TTamaBase& t, TObjNode& node, const TEventArgs& args = {});

// ---- the tracker ----

constexpr int kTrackMinimum = 10;
// The user moved or resized a トラック: at least 10 × 10, then 変更した時.
void TrackChanged(TTamaBase& t, TObjNode& node, int x, int y, int w, int h);

// ---- rich text ----

// The runs covering the whole text: the stored ones, or the whole text in the
// object's font when they do not fit the text.
std::vector<TTextRun> RichRuns(const TObjNode& node);
// The font of the selection (of what is typed there when it is empty).
void SetSelectionFont(TTamaBase& t, TObjNode& node, const TFont& font);
// The bytes a..b replaced by the text; the new text takes the typing font,
// else the font of the character before it.
void ReplaceRichText(TObjNode& node, int a, int b, const std::string& text);
// The content as a rich text file (code page 932; fonts, colours, sizes,
// bold, italic, underline).
std::string RichTextFile(const TObjNode& node);

// ---- the editor control's display settings ----

// The settings as "tama" keys and values, in the order they are written.
std::vector<std::pair<std::string, std::string>> EditorSettings(const TObjNode& node);
// Applies one setting read back; unknown keys and values that are not
// numbers where a number belongs change nothing.
void ApplyEditorSetting(TObjNode& node, std::string_view key, std::string_view value);

}  // namespace tama::gui
