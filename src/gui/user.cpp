// User actions on objects: the model first, then the widget's event.
#include "gui/user.h"

#include <algorithm>

#include "gui/dialogs.h"
#include "gui/mainwindow.h"
#include "gui/readers.h"
#include "gui/widgets.h"
#include "support/number.h"

namespace tama::gui {

namespace {

bool IsTextKind(int kind) {
  return kind == kEdit || kind == kMemo || kind == kCombo || kind == kRichEdit || kind == kTEditor;
}

// A slot event of the object numbered `number`, if it is still alive when its
// turn comes (an earlier handler may have destroyed it).
void Raise(TTamaBase& t, int number, int slot, const TEventArgs& args = {}) {
  if (TObjNode* live = Gui(t).Find(number)) RaiseSlotEvent(t, *live, slot, args);
}

// The top-level window an object lies on.
TObjNode* WindowOf(TGuiState& g, TObjNode* node) {
  for (int hops = 0; node && hops < 1000; ++hops) {
    if (node->kind == kForm) return node;
    node = g.Find(node->parent);
  }
  return nullptr;
}

std::vector<std::string> SplitCrLf(const std::string& s) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at <= s.size()) {
    size_t e = s.find("\r\n", at);
    if (e == std::string::npos) e = s.size();
    lines.push_back(s.substr(at, e - at));
    at = e + 2;
  }
  return lines;
}

}  // namespace

TUser UserClick(TTamaBase& t, int number, bool doubleClick) {
  TObjNode* node = Gui(t).Find(number);
  const int slot = doubleClick ? kSlotDblClick : kSlotClick;
  if (!node || !SlotConnected(node->kind, slot)) return TUser::kCannot;
  if (node->kind == kCheck && !doubleClick) {
    node->checked = !node->checked;
    Changed(t, *node);
  }
  TEventArgs args;
  if (node->kind == kTree) {
    args.hasValue = true;
    if (node->treeSelected >= 0 && node->treeSelected < static_cast<int>(node->tree.size()))
      args.value = node->tree[node->treeSelected].path;
  }
  Raise(t, number, slot, args);
  return TUser::kDone;
}

TUser UserType(TTamaBase& t, int number, std::string text) {
  TObjNode* node = Gui(t).Find(number);
  if (!node || !IsTextKind(node->kind)) return TUser::kCannot;
  node->text = std::move(text);
  node->runs.clear();  // typed text takes the box's own font
  node->selStart = static_cast<int>(node->text.size());
  node->selLength = 0;
  Changed(t, *node);
  Raise(t, number, kSlotChange);
  return TUser::kDone;
}

TUser UserKey(TTamaBase& t, int number, int slot, int code, unsigned modifiers) {
  TGuiState& g = Gui(t);
  TObjNode* node = g.Find(number);
  if (!node || (slot != kSlotKeyDown && slot != kSlotKeyUp)) return TUser::kCannot;
  if (!SlotConnected(node->kind, slot)) return TUser::kCannot;
  TEventArgs args;
  args.key = true;
  args.keyCode = code;
  args.modifiers = modifiers;
  // the main window previews every key of its own widgets
  TObjNode* window = WindowOf(g, node);
  if (window && window->number == 0 && number != 0) Raise(t, 0, slot, args);
  Raise(t, number, slot, args);
  return TUser::kDone;
}

TUser UserMouse(TTamaBase& t, int number, int slot, int x, int y, unsigned modifiers) {
  TObjNode* node = Gui(t).Find(number);
  if (!node || (slot != kSlotMouseDown && slot != kSlotMouseUp && slot != kSlotMouseMove)) return TUser::kCannot;
  if (!SlotConnected(node->kind, slot)) return TUser::kCannot;
  TEventArgs args;
  args.mouse = true;
  args.mouseX = x;
  args.mouseY = y;
  args.modifiers = modifiers;
  // an アニメ shows its pressed frame while the left button is down
  if (node->kind == kAnime && (modifiers & kModLeft) && slot == kSlotMouseDown) {
    AnimeMouseDown(t, *node, args);
    return TUser::kDone;
  }
  if (node->kind == kAnime && (modifiers & kModLeft) && slot == kSlotMouseUp) {
    AnimeMouseUp(t, *node, args);
    return TUser::kDone;
  }
  Raise(t, number, slot, args);
  return TUser::kDone;
}

TUser UserSelectItem(TTamaBase& t, int number, int index) {
  TObjNode* node = Gui(t).Find(number);
  if (!node || (node->kind != kList && node->kind != kCombo && node->kind != kRadio)) return TUser::kCannot;
  if (index < 0 || index >= static_cast<int>(node->items.size())) return TUser::kOutOfRange;
  node->selected = index;
  if (node->kind == kCombo) {
    node->text = node->items[index];
    node->selStart = static_cast<int>(node->text.size());
    node->selLength = 0;
  }
  Changed(t, *node);
  Raise(t, number, kSlotClick);
  if (node->kind == kCombo) Raise(t, number, kSlotChange);
  return TUser::kDone;
}

TUser UserCheck(TTamaBase& t, int number, bool on) {
  TObjNode* node = Gui(t).Find(number);
  if (!node || node->kind != kCheck) return TUser::kCannot;
  node->checked = on;
  Changed(t, *node);
  Raise(t, number, kSlotClick);
  return TUser::kDone;
}

TUser UserScroll(TTamaBase& t, int number, int position) {
  TObjNode* node = Gui(t).Find(number);
  if (!node || node->kind != kBar) return TUser::kCannot;
  node->barPos = std::max(node->barMin, std::min(node->barMax, position));
  Changed(t, *node);
  Raise(t, number, kSlotChange);
  return TUser::kDone;
}

TUser UserPage(TTamaBase& t, int number, int page) {
  TObjNode* node = Gui(t).Find(number);
  if (!node || node->kind != kTabPage) return TUser::kCannot;
  if (page < 0 || page >= static_cast<int>(node->pages.size())) return TUser::kOutOfRange;
  if (!PageEnabled(*node, page)) return TUser::kCannot;  // a disabled tab takes no click
  node->activePage = page;
  Changed(t, *node);
  Raise(t, number, kSlotChange);
  return TUser::kDone;
}

TUser UserTreeSelect(TTamaBase& t, int number, int index) {
  TObjNode* node = Gui(t).Find(number);
  if (!node || node->kind != kTree) return TUser::kCannot;
  if (index < 0 || index >= static_cast<int>(node->tree.size())) return TUser::kOutOfRange;
  node->treeSelected = index;
  Changed(t, *node);
  TEventArgs args;
  args.hasValue = true;
  args.value = node->tree[index].path;
  Raise(t, number, kSlotChange, args);
  return TUser::kDone;
}

TUser UserCell(TTamaBase& t, int number, int row, int col) {
  TObjNode* node = Gui(t).Find(number);
  if (!node || node->kind != kGrid) return TUser::kCannot;
  if (row < 0 || col < 0) return TUser::kOutOfRange;
  node->gridRow = row;
  node->gridCol = col;
  Changed(t, *node);
  Raise(t, number, kSlotClick);
  return TUser::kDone;
}

TUser UserDrop(TTamaBase& t, int number, const std::vector<std::string>& files) {
  TObjNode* node = Gui(t).Find(number);
  if (!node || node->kind == kMenu || !node->fileDrop) return TUser::kCannot;
  std::string list;
  for (const auto& f : files) {
    if (!list.empty()) list += "\r\n";
    list += f;
  }
  if (node->eventEntry[kSlotFileDrop] || !node->eventText[kSlotFileDrop].empty()) {
    TEventArgs args;
    args.hasValue = true;
    args.value = list;
    Raise(t, number, kSlotFileDrop, args);
    return TUser::kDone;
  }
  // without program code the widget takes the names itself
  if (node->kind == kEdit) {
    node->text = list;
  } else if (node->kind == kList) {
    node->items = SplitCrLf(list);
  } else if (node->kind == kMemo) {
    node->text = list + "\r\n";
  }
  Changed(t, *node);
  return TUser::kDone;
}

TUser UserResize(TTamaBase& t, int number, int width, int height) {
  TObjNode* node = Gui(t).Find(number);
  if (!node || node->kind != kForm) return TUser::kCannot;
  if (width < 0 || height < 0) return TUser::kOutOfRange;
  Resized(t, *node, width, height);
  return TUser::kDone;
}

TUser UserMoveWindow(TTamaBase& t, int number, int x, int y) {
  TObjNode* node = Gui(t).Find(number);
  if (!node || node->kind != kForm) return TUser::kCannot;
  node->x = x;
  node->y = y;
  Changed(t, *node);
  return TUser::kDone;
}

TUser UserClose(TTamaBase& t, int number) {
  TObjNode* node = Gui(t).Find(number);
  if (!node || node->kind != kForm) return TUser::kCannot;
  CloseRequested(t, *node);
  return TUser::kDone;
}

TUser UserEnter(TTamaBase& t, int number, bool enter) {
  TObjNode* node = Gui(t).Find(number);
  if (!node || node->kind != kAnime) return TUser::kCannot;
  if (enter)
    AnimeMouseEnter(t, *node);
  else
    AnimeMouseLeave(t, *node);
  return TUser::kDone;
}

TUser UserSortColumn(TTamaBase& t, int number, int col) {
  TObjNode* node = Gui(t).Find(number);
  if (!node || node->kind != kGrid) return TUser::kCannot;
  if (col < 0 || col >= GridCols(*node)) return TUser::kOutOfRange;
  SortGridByHeader(t, *node, col);
  return TUser::kDone;
}

TUser UserTreeRename(TTamaBase& t, int number, int index, const std::string& text) {
  TObjNode* node = Gui(t).Find(number);
  if (!node || node->kind != kTree || node->readOnly) return TUser::kCannot;
  if (index < 0 || index >= static_cast<int>(node->tree.size())) return TUser::kOutOfRange;
  RenameTreeNode(*node, index, text);
  Changed(t, *node);
  return TUser::kDone;
}

TUser UserEditCell(TTamaBase& t, int number, int row, int col, const std::string& text) {
  TObjNode* node = Gui(t).Find(number);
  if (!node || node->kind != kGrid || !node->gridEdit || !node->grid) return TUser::kCannot;
  // the header and the cells there are; the empty last row takes typing too
  if (row < 0 || col < 0 || row >= GridRows(*node) || col >= GridCols(*node)) return TUser::kOutOfRange;
  node->grid->SetCell(col, row, text);
  node->gridRow = std::max(row, 1);
  node->gridCol = col;
  Changed(t, *node);
  return TUser::kDone;
}

TUser UserTypeRich(TTamaBase& t, int number, std::string text, std::vector<TTextRun> runs) {
  TObjNode* node = Gui(t).Find(number);
  if (!node || node->kind != kRichEdit) return TUser::kCannot;
  int64_t covered = 0;
  for (const TTextRun& r : runs) covered += r.length;
  if (covered != static_cast<int64_t>(text.size())) runs.clear();
  node->text = std::move(text);
  node->runs = std::move(runs);
  node->selStart = static_cast<int>(node->text.size());
  node->selLength = 0;
  Changed(t, *node);
  Raise(t, number, kSlotChange);
  return TUser::kDone;
}

TUser UserTray(TTamaBase& t, bool right) {
  TGuiState& g = Gui(t);
  if (!g.trayIcon || !g.Find(0)) return TUser::kCannot;
  if (!right) {
    Raise(t, 0, kSlotClick);
    return TUser::kDone;
  }
  TDialogRequest r;
  r.kind = TDialogKind::kYesNo;
  r.command = "タスクトレイへアイコン表示";
  r.caption = g.Main().text.empty() ? std::string("たまかず") : g.Main().text;
  r.message = "終了しますか？";
  r.font = DrawingFont(t);
  const TDialogAnswer a = RunDialog(t, r);
  if (a.button == 1)
    if (TObjNode* main = Gui(t).Find(0)) CloseRequested(t, *main);
  return TUser::kDone;
}

TUser UserTrack(TTamaBase& t, int number, int x, int y, int w, int h) {
  TObjNode* node = Gui(t).Find(number);
  if (!node || node->kind != kTrack) return TUser::kCannot;
  TrackChanged(t, *node, x, y, w, h);
  return TUser::kDone;
}

bool UserNavigateRequest(TTamaBase& t, int number, const std::string& url) {
  TObjNode* node = Gui(t).Find(number);
  if (!node || node->kind != kBrowser) return true;
  t.QuickWord("ブラウザ移動先URL").SetValue(url);
  Raise(t, number, kSlotClick);
  return ReadInteger(t.QuickWord("ブラウザURL移動許可").Value(), 0) != 0;
}

TUser UserPageReached(TTamaBase& t, int number, const std::string& url, const std::string& title) {
  TObjNode* node = Gui(t).Find(number);
  if (!node || node->kind != kBrowser) return TUser::kCannot;
  node->title = title;
  if (!url.empty() && url != node->url)
    Navigate(t, *node, url);
  else
    Changed(t, *node);
  return TUser::kDone;
}

}  // namespace tama::gui
