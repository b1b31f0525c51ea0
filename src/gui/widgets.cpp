// Menus, the grid, the frame animation, the tracker, the tree, tab pages, the
// browser history, rich text and the editor control's settings.
#include "gui/widgets.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>

#include "gui/objects.h"
#include "gui/picture_file.h"
#include "sjis/sjis.h"
#include "support/lines.h"
#include "support/number.h"

namespace tama::gui {

// ---- paths ----

std::vector<std::string> PathParts(std::string_view path) {
  std::vector<std::string> parts;
  std::string part;
  for (size_t i = 0; i < path.size(); ++i) {
    if (sjis::CharLen(path, i) == 2) {
      part += path[i];
      part += path[++i];
    } else if (path[i] == '\\') {
      if (!part.empty()) parts.push_back(std::move(part));
      part.clear();
    } else {
      part += path[i];
    }
  }
  if (!part.empty()) parts.push_back(std::move(part));
  return parts;
}

bool EndsWithChars(std::string_view text, std::string_view suffix) {
  if (suffix.size() > text.size()) return false;
  const size_t at = text.size() - suffix.size();
  size_t i = 0;
  while (i < at) i += sjis::CharLen(text, i);
  return i == at && text.substr(at) == suffix;
}

std::string_view WithoutTrailingYen(std::string_view path) {
  if (EndsWithChars(path, "\\")) path.remove_suffix(1);
  return path;
}

namespace {

int Int(std::string_view text, int deflt) { return ReadInteger(support::TrimControl(text), deflt); }

}  // namespace

// ---- menus ----

void CreateMenuItem(TTamaBase& t, std::string_view parentName, std::string_view nameIn) {
  TGuiState& g = Gui(t);
  const std::string_view menuWord = KindWord(kMenu);
  const int number = static_cast<int>(g.objects.size());
  std::string name(nameIn);
  std::string caption = name;
  if (EndsWithChars(caption, menuWord)) caption.resize(caption.size() - menuWord.size());
  if (EndsWithChars(parentName, menuWord)) {
    const std::string prefix = std::string(parentName.substr(0, parentName.size() - menuWord.size())) + "_";
    if (caption.size() >= prefix.size() && caption.compare(0, prefix.size(), prefix) == 0)
      caption.erase(0, prefix.size());
  }
  if (caption == "-") name = "split" + std::to_string(number) + std::string(menuWord);
  if (THashNode* word = t.words.Find(name, false)) {
    if (word->Protected) t.Raise("\"" + name + "\"は、読取専用です。");
    if (word->Kind != wkVariable) t.Raise("オブジェクト\"" + name + "\"は、既に存在するので、作成できません。");
    // the menu takes over the variable's name
    t.RemoveWord(name, false);
    t.RemoveWord(name, true);
  }
  int parent = -1;
  if (!parentName.empty()) {
    TObjNode* p = g.FindByName(parentName);
    // only a menu item has items of its own
    if (!p || p->kind != kMenu) t.Raise("オブジェクト\"" + std::string(parentName) + "\"は、作成されていません。");
    parent = p->number;
  }
  auto node = std::make_unique<TObjNode>();
  node->name = name;
  node->kind = kMenu;
  node->number = number;
  node->parent = parent;
  node->text = caption;
  node->visible = true;
  node->w = node->h = 0;
  g.objects.push_back(std::move(node));
  if (TObjNode* p = g.Find(parent)) p->children.push_back(number);
  g.view->Created(*g.objects[number]);
  auto word = std::make_shared<THashNode>(name, false, TPos{}, wkObject, number, std::string(menuWord), "", "");
  t.AddWord(word);
  SetSono(t, *word);
}

void CreateMenuPaths(TTamaBase& t, std::string_view lines) {
  const std::string menuWord = KindWord(kMenu);
  support::ForEachLine(lines, [&](std::string_view line) {
    std::string prefix;
    for (const std::string& part : PathParts(line)) {
      const std::string name = prefix + part + menuWord;
      if (!t.words.Find(name, false)) {
        std::string parent;
        if (!prefix.empty()) parent = prefix.substr(0, prefix.size() - 1) + menuWord;
        CreateMenuItem(t, parent, name);
      }
      prefix += part + "_";
    }
  });
}

// ---- the grid ----

namespace {
constexpr int kGridMaxRows = 65535;
constexpr int kGridDefaultColWidth = 64;
}

int GridRows(const TObjNode& node) { return node.grid ? node.grid->RowCount() : 0; }
int GridCols(const TObjNode& node) { return node.grid ? node.grid->ColCount() : 0; }

void LoadGrid(TTamaBase& t, TObjNode& node, std::string_view csv) {
  TCsvDb source(csv);
  int rows = std::min(std::max(source.RowCount(), 1), kGridMaxRows - 1);
  int cols = std::max(source.ColCount(), 1);
  auto grid = std::make_shared<TCsvDb>();
  grid->SetHeader(true);
  for (int r = 0; r <= rows; ++r) {
    TCsvCells cells(static_cast<size_t>(cols));
    if (r < rows)
      for (int c = 0; c < cols; ++c) cells[c] = source.GetCell(c, r);
    grid->AppendRow(std::move(cells));
  }
  // every column as wide as its widest cell + 5, an empty one the default width
  node.gridColWidths.assign(static_cast<size_t>(cols), kGridDefaultColWidth);
  TView& view = *Gui(t).view;
  for (int c = 0; c < cols; ++c) {
    int widest = 0;
    for (int r = 0; r < rows; ++r) widest = std::max(widest, view.TextWidth(node.font, grid->GetCell(c, r)));
    if (widest > 0) node.gridColWidths[c] = widest + 5;
  }
  node.grid = std::move(grid);
  node.gridRow = std::clamp(node.gridRow, 1, rows);
  node.gridCol = std::clamp(node.gridCol, 0, cols - 1);
  Changed(t, node);
}

std::string GridText(const TObjNode& node) { return node.grid ? node.grid->SaveToText() : std::string(); }

std::string GridItems(const TObjNode& node) {
  if (!node.grid) return {};
  TCsvDb copy = *node.grid;
  copy.TrimEmpty();
  return copy.SaveToText();
}

void SetGridRow(TTamaBase& t, TObjNode& node, int n) {
  if (n < 0 || n >= GridRows(node)) return;
  node.gridRow = std::max(n, 1);
  Changed(t, node);
}

void SortGridByHeader(TTamaBase& t, TObjNode& node, int col) {
  if (!node.gridSort || !node.grid || col < 0 || col >= GridCols(node)) return;
  const bool down = node.gridSortColumn == col && !node.gridSortDown;
  node.gridSortColumn = col;
  node.gridSortDown = down;
  TCsvDb& grid = *node.grid;
  const int last = grid.RowCount() - 1;  // the empty row stays last
  auto key = [&](int row) {
    std::string k = grid.GetCell(col, row).substr(0, 255);
    for (size_t i = 0; i < k.size(); ++i) {
      if (sjis::CharLen(k, i) == 2) {
        ++i;
        continue;
      }
      if (k[i] >= 'a' && k[i] <= 'z') k[i] = static_cast<char>(k[i] - 'a' + 'A');
    }
    return k;
  };
  std::vector<std::pair<std::string, TCsvCells>> rows;
  for (int r = 1; r < last; ++r) {
    const TCsvCells* cells = grid.Row(r);
    rows.emplace_back(key(r), cells ? *cells : TCsvCells{});
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [down](const auto& a, const auto& b) { return down ? b.first < a.first : a.first < b.first; });
  for (int r = 1; r < last; ++r) grid.SetRowCells(r, std::move(rows[r - 1].second));
  Changed(t, node);
}

// ---- the tree ----

int TreeParent(const TObjNode& node, int i) {
  int level = node.tree[i].level;
  for (int j = i - 1; j >= 0; --j)
    if (node.tree[j].level < level) return j;
  return -1;
}

namespace {

// The index after the last descendant of node i.
int SubtreeEnd(const TObjNode& node, int i) {
  int end = i + 1;
  while (end < static_cast<int>(node.tree.size()) && node.tree[end].level > node.tree[i].level) ++end;
  return end;
}

// Adds a node as the last child of `parent` (-1: the last top-level node).
int AddTreeNode(TObjNode& node, int parent, const std::string& text) {
  TTreeNode n;
  n.text = text;
  int at;
  if (parent < 0) {
    at = static_cast<int>(node.tree.size());
    n.path = text;
  } else {
    const TTreeNode& p = node.tree[parent];
    at = SubtreeEnd(node, parent);
    n.level = p.level + 1;
    n.path = p.path + "\\" + text;
  }
  node.tree.insert(node.tree.begin() + at, std::move(n));
  if (node.treeSelected >= at) ++node.treeSelected;
  return at;
}

}  // namespace

void AddTreePaths(TTamaBase& t, TObjNode& node, std::string_view text) {
  std::optional<std::string> previousParent;
  int last = -1;  // the node made (or found) for the previous line
  support::ForEachLine(text, [&](std::string_view line) {
    if (t.stopFlag) return false;
    std::vector<std::string> parts = PathParts(line);
    if (parts.empty()) return true;
    std::string parent;
    for (size_t i = 0; i + 1 < parts.size(); ++i) parent += parts[i] + "\\";
    parent += "\\";
    if (previousParent && *previousParent == parent) {
      last = AddTreeNode(node, last >= 0 ? TreeParent(node, last) : -1, parts.back());
    } else {
      int current = -1, from = 0;
      std::string path;
      for (size_t i = 0; i < parts.size(); ++i) {
        path = i ? path + "\\" + parts[i] : parts[i];
        int found = -1;
        for (int j = from; j < static_cast<int>(node.tree.size()); ++j)
          if (node.tree[j].path == path) {
            found = j;
            break;
          }
        current = found >= 0 ? found : AddTreeNode(node, current, parts[i]);
        from = current;
      }
      last = current;
    }
    previousParent = std::move(parent);
    return true;
  });
}

int FindTreePath(const TObjNode& node, std::string_view path) {
  for (size_t i = 0; i < node.tree.size(); ++i)
    if (node.tree[i].path == path) return static_cast<int>(i);
  return -1;
}

void RenameTreeNode(TObjNode& node, int i, const std::string& text) {
  TTreeNode& n = node.tree[i];
  std::string old = n.path;
  int parent = TreeParent(node, i);
  n.text = text;
  n.path = parent >= 0 ? node.tree[parent].path + "\\" + text : text;
  for (int j = i + 1; j < static_cast<int>(node.tree.size()) && node.tree[j].level > n.level; ++j)
    node.tree[j].path = n.path + node.tree[j].path.substr(old.size());
}

bool DeleteTreePath(TTamaBase& t, TObjNode& node, std::string_view path) {
  const int i = FindTreePath(node, path);
  if (i < 0) return false;
  const int end = SubtreeEnd(node, i);
  node.tree.erase(node.tree.begin() + i, node.tree.begin() + end);
  if (node.treeSelected >= end)
    node.treeSelected -= end - i;
  else if (node.treeSelected >= i)
    node.treeSelected = -1;
  Changed(t, node);
  return true;
}

void ExpandTreePath(TTamaBase& t, TObjNode& node, std::string_view pathIn, bool expand) {
  const std::string_view path = WithoutTrailingYen(pathIn);
  if (path.empty()) {
    for (TTreeNode& n : node.tree)
      if (expand || n.level == 0) n.expanded = expand;
  } else {
    const int i = FindTreePath(node, path);
    if (i < 0) return;
    const int end = SubtreeEnd(node, i);
    for (int j = i; j < end; ++j) node.tree[j].expanded = expand;
  }
  Changed(t, node);
}

void RaiseTreeChange(TTamaBase& t, TObjNode& node) {
  TEventArgs args;
  args.hasValue = true;
  if (node.treeSelected >= 0 && node.treeSelected < static_cast<int>(node.tree.size()))
    args.value = node.tree[node.treeSelected].path;
  RaiseSlotEvent(t, node, kSlotChange, args);
}

void SelectTreeNode(TTamaBase& t, TObjNode& node, int index) {
  bool changed = node.treeSelected != index;
  node.treeSelected = index;
  Changed(t, node);
  if (changed) RaiseTreeChange(t, node);
}

// ---- tab pages ----

void SetPages(TTamaBase& t, TObjNode& node, std::string_view text) {
  std::vector<std::string> captions;
  support::ForEachLine(text, [&](std::string_view line) { captions.emplace_back(line); });
  const int count = static_cast<int>(captions.size());
  // the objects on the pages that go are destroyed with them
  std::vector<int> gone;
  TGuiState& g = Gui(t);
  for (int number : node.children)
    if (TObjNode* child = g.Find(number); child && child->page >= count) gone.push_back(number);
  node.pages = std::move(captions);
  node.pageDisabled.resize(node.pages.size(), false);
  if (count == 0)
    node.activePage = -1;
  else
    node.activePage = std::clamp(node.activePage, 0, count - 1);
  Changed(t, node);
  for (int number : gone)
    if (TObjNode* child = g.Find(number)) DestroyObject(t, *child);
}

void AddPage(TTamaBase& t, TObjNode& node, std::string_view caption) {
  node.pages.emplace_back(caption);
  node.pageDisabled.resize(node.pages.size(), false);
  if (node.activePage < 0) node.activePage = 0;
  Changed(t, node);
}

void EnableActivePage(TTamaBase& t, TObjNode& node, bool enabled) {
  node.pageDisabled.resize(node.pages.size(), false);
  if (node.activePage < 0 || node.activePage >= static_cast<int>(node.pages.size())) return;
  node.pageDisabled[node.activePage] = !enabled;
  Changed(t, node);
}

bool PageEnabled(const TObjNode& node, int page) {
  return page >= 0 && page < static_cast<int>(node.pages.size()) &&
         !(page < static_cast<int>(node.pageDisabled.size()) && node.pageDisabled[page]);
}

void SetTabPosition(TTamaBase& t, TObjNode& node, std::string_view where) {
  if (where == "上")
    node.tabPosition = 0;
  else if (where == "下")
    node.tabPosition = 1;
  else if (where == "右")
    node.tabPosition = 2;
  else
    return;
  Changed(t, node);
}

// ---- the browser ----

void Navigate(TTamaBase& t, TObjNode& node, const std::string& url) {
  if (node.historyPos + 1 < static_cast<int>(node.history.size())) node.history.resize(node.historyPos + 1);
  node.history.push_back(url);
  node.historyPos = static_cast<int>(node.history.size()) - 1;
  node.url = url;
  Changed(t, node);
}

bool HistoryStep(TTamaBase& t, TObjNode& node, int step) {
  const int to = node.historyPos + step;
  if (node.historyPos < 0 || to < 0 || to >= static_cast<int>(node.history.size())) return false;
  node.historyPos = to;
  node.url = node.history[to];
  Changed(t, node);
  return true;
}

// ---- the frame animation ----

namespace {

void CancelFrameTimer(TTamaBase& t, TObjNode& node) {
  if (!node.frameTimer) return;
  if (TEventLoop* loop = t.host.Loop()) loop->CancelTimer(node.frameTimer);
  node.frameTimer = 0;
}

// The frame timer runs on the loop without keeping the run alive; a timer of
// an interval of 0 never runs.
void ArmFrameTimer(TTamaBase& t, TObjNode& node) {
  CancelFrameTimer(t, node);
  TEventLoop* loop = t.host.Loop();
  if (!loop || node.interval <= 0) return;
  auto id = std::make_shared<TEventLoop::TTimerId>(0);
  const int number = node.number;
  TTamaBase* tp = &t;
  *id = loop->AddBackgroundTimer(node.interval, [tp, number, id] {
    TObjNode* live = Gui(*tp).Find(number);
    // a record made after a reset may carry the number of a box that is gone
    if (!live || live->kind != kAnime || live->frameTimer != *id) return;
    live->frameTimer = 0;
    AnimeTick(*tp, *live);
  });
  node.frameTimer = *id;
}

}  // namespace

void StartAnime(TTamaBase& t, TObjNode& node) {
  if (node.frames.empty()) return;
  node.frameIndex = 0;
  node.animating = true;
  ArmFrameTimer(t, node);
}

void StopAnime(TTamaBase& t, TObjNode& node) {
  CancelFrameTimer(t, node);
  node.frameIndex = -1;
  node.animating = false;
  Changed(t, node);
}

void AnimeTick(TTamaBase& t, TObjNode& node) {
  CancelFrameTimer(t, node);
  if (!node.animating || node.frames.empty()) return;
  if (!(node.buttonMode == 1 && node.pressed)) {
    ++node.frameIndex;
    if (node.frameIndex >= static_cast<int>(node.frames.size())) {
      // in hover mode frame 0 is the picture at rest
      node.frameIndex = node.buttonMode == 2 && node.frames.size() > 1 ? 1 : 0;
      if (node.repeat > 0 && --node.repeat == 0) {
        StopAnime(t, node);
        return;
      }
    }
  }
  Changed(t, node);
  ArmFrameTimer(t, node);
}

int ShownFrame(const TObjNode& node) {
  if (node.frames.empty()) return -1;
  return node.frameIndex >= 0 && node.frameIndex < static_cast<int>(node.frames.size()) ? node.frameIndex : 0;
}

void LoadFrames(TTamaBase& t, TObjNode& node, std::string_view text, bool append) {
  std::vector<std::string> names;
  TPictureSize size{node.w, node.h};
  support::ForEachLine(text, [&](std::string_view line) {
    if (line.empty()) return;
    size = LoadPicture(t, line);
    names.emplace_back(line);
  });
  StopAnime(t, node);
  if (!append) node.frames.clear();
  for (auto& n : names) node.frames.push_back(std::move(n));
  if (!names.empty()) {
    node.w = size.w;
    node.h = size.h;
  }
  StartAnime(t, node);
  Changed(t, node);
}

void AnimeMouseEnter(TTamaBase& t, TObjNode& node) {
  if (!node.visible) return;
  if (node.buttonMode == 2) {
    node.repeat = node.repeatWritten;
    StartAnime(t, node);
  } else {
    node.hovered = true;
  }
  Changed(t, node);
}

void AnimeMouseLeave(TTamaBase& t, TObjNode& node) {
  if (node.buttonMode == 2)
    StopAnime(t, node);
  else
    node.hovered = false;
  Changed(t, node);
}

void AnimeMouseDown(TTamaBase& t, TObjNode& node, const TEventArgs& args) {
  node.pressed = true;
  Changed(t, node);
  const int number = node.number;
  RaiseSlotEvent(t, node, kSlotMouseDown, args);
  if (TObjNode* live = Gui(t).Find(number)) RaiseSlotEvent(t, *live, kSlotClick, args);
}

void AnimeMouseUp(TTamaBase& t, TObjNode& node, const TEventArgs& args) {
  node.pressed = false;
  Changed(t, node);
  RaiseSlotEvent(t, node, kSlotMouseUp, args);
}

// ---- the tracker ----

void TrackChanged(TTamaBase& t, TObjNode& node, int x, int y, int w, int h) {
  node.x = x;
  node.y = y;
  node.w = std::max(w, kTrackMinimum);
  node.h = std::max(h, kTrackMinimum);
  Changed(t, node);
  RaiseSlotEvent(t, node, kSlotChange);
}

// ---- rich text ----

namespace {

bool SameFont(const TFont& a, const TFont& b) {
  return a.name == b.name && a.size == b.size && a.bold == b.bold && a.italic == b.italic &&
         a.underline == b.underline && a.color == b.color;
}

// Joins neighbours of the same font and drops empty runs.
void Merge(std::vector<TTextRun>& runs) {
  std::vector<TTextRun> out;
  for (TTextRun& r : runs) {
    if (r.length <= 0) continue;
    if (!out.empty() && SameFont(out.back().font, r.font))
      out.back().length += r.length;
    else
      out.push_back(std::move(r));
  }
  runs = std::move(out);
}

// Splits the runs so that one starts at byte `at`.
void SplitAt(std::vector<TTextRun>& runs, int at) {
  int start = 0;
  for (size_t i = 0; i < runs.size(); ++i) {
    const int end = start + runs[i].length;
    if (at > start && at < end) {
      TTextRun tail{end - at, runs[i].font};
      runs[i].length = at - start;
      runs.insert(runs.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(tail));
      return;
    }
    start = end;
  }
}

// A byte offset clamped into the text at the start of its character.
int CharStart(const std::string& s, int64_t pos) {
  if (pos <= 0) return 0;
  size_t i = 0;
  while (i < s.size()) {
    size_t next = i + sjis::CharLen(s, i);
    if (static_cast<int64_t>(next) > pos) break;
    i = next;
  }
  return static_cast<int>(i);
}

}  // namespace

std::vector<TTextRun> RichRuns(const TObjNode& node) {
  int64_t total = 0;
  for (const TTextRun& r : node.runs) total += r.length;
  if (!node.runs.empty() && total == static_cast<int64_t>(node.text.size())) return node.runs;
  if (node.text.empty()) return {};
  return {TTextRun{static_cast<int>(node.text.size()), node.font}};
}

void SetSelectionFont(TTamaBase& t, TObjNode& node, const TFont& font) {
  const int a = CharStart(node.text, node.selStart);
  const int b = CharStart(node.text, static_cast<int64_t>(a) + std::max(node.selLength, 0));
  if (a == b) {
    node.typingFont = font;
    node.hasTypingFont = true;
    Changed(t, node);
    return;
  }
  std::vector<TTextRun> runs = RichRuns(node);
  SplitAt(runs, a);
  SplitAt(runs, b);
  int start = 0;
  for (TTextRun& r : runs) {
    if (start >= a && start + r.length <= b) r.font = font;
    start += r.length;
  }
  Merge(runs);
  node.runs = std::move(runs);
  Changed(t, node);
}

void ReplaceRichText(TObjNode& node, int a, int b, const std::string& text) {
  std::vector<TTextRun> runs = RichRuns(node);
  TFont font = node.font;
  if (node.hasTypingFont) {
    font = node.typingFont;
  } else {
    // the font of the character before, else of the first one
    int start = 0;
    for (const TTextRun& r : runs) {
      if ((a > start && a <= start + r.length) || (a == 0 && start == 0)) {
        font = r.font;
        break;
      }
      start += r.length;
    }
  }
  SplitAt(runs, a);
  SplitAt(runs, b);
  std::vector<TTextRun> out;
  int start = 0;
  bool inserted = false;
  for (TTextRun& r : runs) {
    if (!inserted && start >= a) {
      out.push_back({static_cast<int>(text.size()), font});
      inserted = true;
    }
    if (start < a || start >= b) out.push_back(r);
    start += r.length;
  }
  if (!inserted) out.push_back({static_cast<int>(text.size()), font});
  Merge(out);
  node.runs = std::move(out);
  node.hasTypingFont = false;
}

namespace {

// Text in a rich text file: the three special characters escaped, bytes
// beyond ASCII as \'hh (both bytes of a double-byte character, so that a
// second byte 0x5C is never taken for a backslash), line breaks as \par.
void AppendRtfText(std::string& out, std::string_view s) {
  char hex[8];
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
      out += "\\par\r\n";
    } else if (c == '\t') {
      out += "\\tab ";
    } else if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x80) {
      const size_t n = sjis::CharLen(s, i);
      for (size_t k = 0; k < n; ++k) {
        std::snprintf(hex, sizeof hex, "\\'%02x", static_cast<unsigned char>(s[i + k]));
        out += hex;
      }
      i += n - 1;
    } else if (c >= 0x20) {
      out += static_cast<char>(c);
    }
  }
}

}  // namespace

std::string RichTextFile(const TObjNode& node) {
  const std::vector<TTextRun> runs = RichRuns(node);
  std::vector<std::string> fonts;
  std::vector<int64_t> colours;
  auto indexOf = [](auto& list, const auto& value) {
    auto it = std::find(list.begin(), list.end(), value);
    if (it != list.end()) return static_cast<int>(it - list.begin());
    list.push_back(value);
    return static_cast<int>(list.size()) - 1;
  };
  indexOf(fonts, node.font.name);
  indexOf(colours, node.font.color);
  for (const TTextRun& r : runs) {
    indexOf(fonts, r.font.name);
    indexOf(colours, r.font.color);
  }
  std::string out = "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl";
  for (size_t i = 0; i < fonts.size(); ++i) {
    out += "{\\f" + std::to_string(i) + "\\fnil\\fcharset128 ";
    AppendRtfText(out, fonts[i]);
    out += ";}";
  }
  out += "}\r\n{\\colortbl ;";
  for (int64_t c : colours) {
    out += "\\red" + std::to_string(c & 0xFF) + "\\green" + std::to_string((c >> 8) & 0xFF) + "\\blue" +
           std::to_string((c >> 16) & 0xFF) + ";";
  }
  out += "}\r\n\\pard";
  int start = 0;
  for (const TTextRun& r : runs) {
    const TFont& f = r.font;
    out += "\\f" + std::to_string(indexOf(fonts, f.name)) + "\\fs" + std::to_string(f.size * 2) + "\\cf" +
           std::to_string(indexOf(colours, f.color) + 1);
    out += f.bold ? "\\b" : "\\b0";
    out += f.italic ? "\\i" : "\\i0";
    out += f.underline ? "\\ul" : "\\ulnone";
    out += ' ';
    AppendRtfText(out, std::string_view(node.text).substr(start, r.length));
    start += r.length;
  }
  out += "\\par\r\n}\r\n";
  return out;
}

// ---- the editor control's display settings ----

std::vector<std::pair<std::string, std::string>> EditorSettings(const TObjNode& node) {
  return {
      {"tamaFontName", node.font.name},
      {"tamaFontSize", std::to_string(node.font.size)},
      {"tamaTabWidth", std::to_string(node.tabWidth)},
      {"tamaLineNumbers", node.lineNumbers ? "1" : "0"},
      {"tamaWordWrap", node.wordWrap ? "1" : "0"},
      {"tamaTextColor", std::to_string(node.font.color)},
      {"tamaBackColor", std::to_string(node.background)},
  };
}

void ApplyEditorSetting(TObjNode& node, std::string_view key, std::string_view value) {
  constexpr int32_t kNone = INT32_MIN;
  if (key == "tamaFontName") {
    if (!value.empty()) node.font.name = std::string(value);
    return;
  }
  const int32_t n = Int(value, kNone);
  if (n == kNone) return;
  if (key == "tamaFontSize") {
    if (n > 0) node.font.size = n;
  } else if (key == "tamaTabWidth") {
    if (n > 0) node.tabWidth = n;
  } else if (key == "tamaLineNumbers") {
    node.lineNumbers = n != 0;
  } else if (key == "tamaWordWrap") {
    node.wordWrap = n != 0;
  } else if (key == "tamaTextColor") {
    node.font.color = n;
  } else if (key == "tamaBackColor") {
    node.background = n;
  }
}

}  // namespace tama::gui
