// The properties of objects, kind by kind: what a read gives and what a write
// changes.
#include "gui/properties.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "engine/system_words.h"
#include "gui/objects.h"
#include "gui/picture_file.h"
#include "gui/pictures.h"
#include "gui/readers.h"
#include "gui/widgets.h"
#include "sjis/lcmap.h"
#include "sjis/sjis.h"
#include "support/lines.h"
#include "support/number.h"
#include "words/tags.h"

namespace tama::gui {

namespace {

// ---- value forms ----

TValue Number(int64_t n) { return {std::to_string(n), kTagNumber}; }
TValue Text(std::string s) { return {std::move(s), kTagString}; }
// a result that leaves the current form as it was
TValue Untagged(std::string s) { return {std::move(s), std::string()}; }

std::string PointText(int x, int y) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "(%d,%d)", x, y);
  return buf;
}

// ---- kinds ----

constexpr unsigned B(int kind) { return 1u << kind; }
bool In(int kind, unsigned set) { return kind >= 0 && kind < kKindCount && (set & B(kind)); }

// the kinds with a text and a selection in it
constexpr unsigned kEditKinds = B(kEdit) | B(kMemo) | B(kRichEdit) | B(kCombo) | B(kTEditor);
// the kinds whose content change raises 変更した時
constexpr unsigned kContentKinds = B(kEdit) | B(kMemo) | B(kRichEdit) | B(kTEditor) | B(kCombo);
constexpr unsigned kFontKinds = B(kButton) | B(kEdit) | B(kCombo) | B(kList) | B(kMemo) | B(kGrid) | B(kLabel) |
                                B(kCheck) | B(kRichEdit);
constexpr unsigned kContainers = B(kForm) | B(kPanel) | B(kScroll) | B(kTabPage);
constexpr unsigned kBackgroundRead = B(kEdit) | B(kCombo) | B(kList) | B(kMemo) | B(kForm) | B(kGrid) | B(kLabel) |
                                     B(kCheck) | B(kPanel) | B(kTEditor) | B(kScroll) | B(kRichEdit) | B(kAnime);
constexpr unsigned kBackgroundWrite = B(kEdit) | B(kCombo) | B(kList) | B(kMemo) | B(kGrid) | B(kLabel) | B(kCheck) |
                                      B(kPanel) | B(kTEditor) | B(kRadio) | B(kScroll) | B(kRichEdit) | B(kAnime);
constexpr unsigned kImeKinds = B(kEdit) | B(kCombo) | B(kMemo) | B(kTEditor) | B(kRichEdit);
constexpr unsigned kStretchKinds = B(kImage) | B(kAnime) | B(kForm);
constexpr unsigned kTransparentKinds = B(kImage) | B(kLabel) | B(kAnime) | B(kForm);
constexpr unsigned kMemoKinds = B(kMemo) | B(kRichEdit);

// ---- numbers ----

int Clamp32(long double n) {
  if (!(n > -2147483648.0L)) return n != n ? 0 : INT32_MIN;
  if (n > 2147483647.0L) return INT32_MAX;
  return static_cast<int>(n);
}

// The integer of a resolved value: the language's numeric conversion,
// truncated toward zero.
int IntOf(std::string_view text) {
  try {
    return Clamp32(std::trunc(TextToNumber(text)));
  } catch (const std::exception&) {
    return 0;
  }
}

// The integer of a text that is a number as a whole (an integer, "$"
// hexadecimal or a decimal with fraction and exponent, blanks around it);
// `deflt` for any other text.
int IntOr(std::string_view text, int deflt) {
  std::string_view s = support::TrimControl(text);
  constexpr int32_t kNone = INT32_MIN;
  int32_t v = ReadInteger(s, kNone);
  if (v != kNone || s == "-2147483648") return v;
  std::string_view digits = s;
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
  if (digits.empty() || DecimalPrefixLength(digits, NumberSyntax::kValue) != digits.size()) return deflt;
  try {
    return Clamp32(std::trunc(TextToNumber(s)));
  } catch (const std::exception&) {
    return deflt;
  }
}

int Spacing(TTamaBase& t) { return ReadInteger(t.QuickWord("部品配置間隔").Value(), 8); }

// ---- the object word ----

std::string WordValue(TTamaBase& t, const TObjNode& node) {
  THashNode* w = WordOf(t, node);
  return w ? w->Value() : std::string();
}
void SetWordValue(TTamaBase& t, const TObjNode& node, const std::string& text) {
  if (THashNode* w = WordOf(t, node)) w->SetValue(text);
}

[[noreturn]] void RaiseNoSetting(TTamaBase& t, const TObjNode& node) {
  t.Raise("オブジェクト\"" + node.name + "\"の設定は、未定義です。");
}

// ---- lines ----

std::vector<std::string> LinesOf(std::string_view text) {
  std::vector<std::string> out;
  support::ForEachLine(text, [&](std::string_view line) { out.emplace_back(line); });
  return out;
}
std::string JoinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) {
    out += l;
    out += "\r\n";
  }
  return out;
}

// ---- offsets in a text (bytes; CR LF counts 2) ----

// The position clamped into the text and moved back to the start of the
// character it falls in.
int Boundary(const std::string& s, int64_t pos) {
  if (pos <= 0) return 0;
  if (pos >= static_cast<int64_t>(s.size())) return static_cast<int>(s.size());
  size_t i = 0;
  while (i < s.size()) {
    size_t next = i + sjis::CharLen(s, i);
    if (static_cast<int64_t>(next) > pos) break;
    i = next;
  }
  return static_cast<int>(i);
}

// The starts of the lines of a text (a line break at the end starts one more).
std::vector<int> LineStarts(const std::string& s) {
  std::vector<int> starts{0};
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' || s[i] == '\n') {
      if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
      starts.push_back(static_cast<int>(i + 1));
    } else if (sjis::IsLead(s[i]) && i + 1 < s.size()) {
      ++i;
    }
  }
  return starts;
}

// The length of line `line` without its line break.
int LineLength(const std::string& s, const std::vector<int>& starts, int line) {
  int a = starts[line];
  int b = a;
  while (b < static_cast<int>(s.size()) && s[b] != '\r' && s[b] != '\n') ++b;
  return b - a;
}

// The caret (the end of the selection) as line and column.
void SyncCaret(TObjNode& node) {
  int caret = node.selStart + node.selLength;
  std::vector<int> starts = LineStarts(node.text);
  int line = static_cast<int>(std::upper_bound(starts.begin(), starts.end(), caret) - starts.begin()) - 1;
  node.caretLine = std::max(line, 0);
  node.caretCol = caret - starts[node.caretLine];
}

// The caret at (line, column): the column is cut at the line's end.
void PlaceCaret(TObjNode& node, int line, int col) {
  std::vector<int> starts = LineStarts(node.text);
  line = std::clamp(line, 0, static_cast<int>(starts.size()) - 1);
  int len = LineLength(node.text, starts, line);
  node.selStart = Boundary(node.text, starts[line] + std::clamp(col, 0, len));
  node.selLength = 0;
  node.caretLine = line;
  node.caretCol = node.selStart - starts[line];
}

// A program change of the content of an edit kind: the selection goes to the
// start; 変更した時 when the content is another.
void ChangeContent(TTamaBase& t, TObjNode& node, std::string text) {
  bool changed = node.text != text;
  node.text = std::move(text);
  node.runs.clear();
  node.hasTypingFont = false;
  node.selStart = node.selLength = 0;
  node.caretLine = node.caretCol = 0;
  Changed(t, node);
  if (changed && In(node.kind, kContentKinds)) RaiseSlotEvent(t, node, kSlotChange);
}

// ---- geometry ----

// A ラベル follows its caption until the program sizes it.
void FitLabel(TTamaBase& t, TObjNode& node) {
  if (node.kind != kLabel || node.sizeSet) return;
  TView& view = *Gui(t).view;
  int lines = 0, widest = 0;
  support::ForEachLine(node.text, [&](std::string_view line) {
    ++lines;
    widest = std::max(widest, view.TextWidth(node.font, line));
  });
  node.w = widest;
  node.h = std::max(lines, 1) * view.TextHeight(node.font);
}

// Centres the object horizontally in its container: a container object's
// full width, a window's client width (the model keeps both as w); a window
// of its own is centred on the screen.
void Recentre(TTamaBase& t, TObjNode& node) {
  TGuiState& g = Gui(t);
  if (!g.centering) return;
  TObjNode* parent = node.kind == kForm ? nullptr : g.Find(node.parent);
  int reference = parent ? parent->w : g.view->ScreenWidth();
  node.x = static_cast<int>((reference - node.w) * 0.5);
}

// A window's client size changed: its picture layer follows, then 変更した時.
void FormResized(TTamaBase& t, TObjNode& node, int w, int h, bool recentre = false) {
  bool changed = node.w != w || node.h != h;
  node.w = w;
  node.h = h;
  if (recentre) Recentre(t, node);
  node.sizeSet = true;
  TObjNode& layer = PictureLayer(t, node);
  if (&layer != &node) {
    layer.w = w;
    layer.h = h;
  }
  layer.pictureW = w;
  layer.pictureH = h;
  if (layer.picture && raster::SizeAllowed(w, h)) {
    // the old picture stays at (0,0) over the window's colour
    raster::Resize(*layer.picture, w, h, BackgroundPixel(layer));
  }
  if (&layer != &node) Changed(t, layer);
  Changed(t, node);
  if (changed) RaiseSlotEvent(t, node, kSlotChange);
}

void WriteWidth(TTamaBase& t, TObjNode& node, int w) {
  if (node.kind == kForm) {
    FormResized(t, node, w, node.h, true);
    return;
  }
  node.w = w;
  node.sizeSet = true;
  Recentre(t, node);
  Changed(t, node);
}

void WriteHeight(TTamaBase& t, TObjNode& node, int h) {
  if (node.kind == kForm) {
    FormResized(t, node, node.w, h);
    return;
  }
  node.h = h;
  node.sizeSet = true;
  t.textX = node.x;
  t.textY = node.y + node.h + Spacing(t);
  Changed(t, node);
}

// A position or rectangle as written: a parenthesised list goes to the
// readers as it is, anything else (a literal, a word, an expression) by its
// value.
std::string PointValue(TTamaBase& t, std::string_view value) {
  std::string_view v = support::TrimControl(value);
  if (!v.empty() && v.front() == '(') return std::string(v);
  return t.EvaluateText(v);
}

void WriteSize(TTamaBase& t, TObjNode& node, std::string_view value) {
  if (node.kind == kMenu) RaiseNoSetting(t, node);
  TRect r = ReadRect(t, value);
  node.x = r.x1;
  node.y = r.y1;
  if (node.kind == kForm) {
    FormResized(t, node, r.x2 - r.x1, r.y2 - r.y1);
    return;
  }
  node.w = r.x2 - r.x1;
  node.h = r.y2 - r.y1;
  node.sizeSet = true;
  Recentre(t, node);
  t.textX = r.x1;
  t.textY = r.y2 + Spacing(t);
  Changed(t, node);
}

// ---- items ----

// Items compare with ASCII letters folded to upper case; the order of equal
// items stays. The selection follows its item.
void SortItems(TObjNode& node) {
  auto key = [](const std::string& s) {
    std::string k = s;
    for (size_t i = 0; i < k.size(); ++i) {
      if (sjis::IsLead(k[i]) && i + 1 < k.size()) {
        ++i;
        continue;
      }
      if (k[i] >= 'a' && k[i] <= 'z') k[i] = static_cast<char>(k[i] - 'a' + 'A');
    }
    return k;
  };
  std::vector<std::pair<std::string, int>> keyed;
  keyed.reserve(node.items.size());
  for (size_t i = 0; i < node.items.size(); ++i) keyed.emplace_back(key(node.items[i]), static_cast<int>(i));
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> items;
  items.reserve(keyed.size());
  int selected = -1;
  for (size_t i = 0; i < keyed.size(); ++i) {
    if (keyed[i].second == node.selected) selected = static_cast<int>(i);
    items.push_back(std::move(node.items[keyed[i].second]));
  }
  node.items = std::move(items);
  node.selected = selected;
}

bool ValidItem(const TObjNode& node, int i) { return i >= 0 && i < static_cast<int>(node.items.size()); }

// ---- keyboard shortcuts ----

// "Ctrl+S", "Shift+Ctrl+F5", "Alt+Del": modifiers in any order and case,
// then a key; the canonical text puts Shift, Ctrl, Alt first in that order.
bool ParseShortcut(std::string_view written, std::string& canonical) {
  std::string s = sjis::ToHalfWidth(written);
  std::string_view rest = support::TrimControl(s);
  canonical.clear();
  if (rest.empty()) return true;
  auto lower = [](std::string_view v) {
    std::string out(v);
    for (char& c : out)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
  };
  bool shift = false, ctrl = false, alt = false;
  for (;;) {
    size_t plus = rest.find('+');
    if (plus == std::string_view::npos || plus + 1 >= rest.size()) break;
    std::string mod = lower(rest.substr(0, plus));
    if (mod == "shift")
      shift = true;
    else if (mod == "ctrl" || mod == "control")
      ctrl = true;
    else if (mod == "alt")
      alt = true;
    else
      return false;
    rest.remove_prefix(plus + 1);
  }
  std::string key = lower(rest);
  std::string name;
  static const std::pair<const char*, const char*> kNames[] = {
      {"bksp", "BkSp"},  {"backspace", "BkSp"}, {"tab", "Tab"},     {"esc", "Esc"},        {"escape", "Esc"},
      {"enter", "Enter"}, {"return", "Enter"},  {"space", "Space"}, {"pgup", "PgUp"},      {"pageup", "PgUp"},
      {"pgdn", "PgDn"},  {"pagedown", "PgDn"},  {"end", "End"},     {"home", "Home"},      {"left", "Left"},
      {"up", "Up"},      {"right", "Right"},    {"down", "Down"},   {"ins", "Ins"},        {"insert", "Ins"},
      {"del", "Del"},    {"delete", "Del"},
  };
  for (const auto& [from, to] : kNames)
    if (key == from) name = to;
  if (name.empty() && key.size() >= 2 && key[0] == 'f' && std::all_of(key.begin() + 1, key.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    int n = std::atoi(key.c_str() + 1);
    if (n >= 1 && n <= 24 && key.size() <= 3) name = "F" + std::to_string(n);
  }
  if (name.empty() && rest.size() == 1 && rest[0] > ' ' && rest[0] < 0x7F) {
    char c = rest[0];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    name = std::string(1, c);
  }
  if (name.empty()) return false;
  canonical = std::string(shift ? "Shift+" : "") + (ctrl ? "Ctrl+" : "") + (alt ? "Alt+" : "") + name;
  return true;
}

// ---- the texts of the kinds ----

std::string SelectedItem(const TObjNode& node) {
  return ValidItem(node, node.selected) ? node.items[node.selected] : std::string();
}

std::string SelectedText(const TObjNode& node) {
  if (In(node.kind, kEditKinds)) {
    int a = Boundary(node.text, node.selStart);
    int b = Boundary(node.text, static_cast<int64_t>(a) + std::max(node.selLength, 0));
    return node.text.substr(a, b - a);
  }
  if (node.kind == kList) return SelectedItem(node);
  if (node.kind == kTree && node.treeSelected >= 0 && node.treeSelected < static_cast<int>(node.tree.size()))
    return node.tree[node.treeSelected].text;
  return {};
}

std::string TextOf(TTamaBase& t, const TObjNode& node) {
  switch (node.kind) {
    case kButton:
    case kLabel:
    case kCheck:
    case kPanel:
    case kForm:
    case kEdit:
    case kCombo:
    case kMemo:
    case kRichEdit:
    case kMenu:
    case kTEditor:
      return node.text;
    case kList:
    case kRadio:
      return SelectedItem(node);
    case kGrid:
      return GridText(node);
    case kBrowser:
      return node.url;
    case kTabPage:
      return JoinLines(node.pages);
    default:
      return WordValue(t, node);
  }
}

std::string ItemsOf(TTamaBase& t, const TObjNode& node) {
  switch (node.kind) {
    case kCombo:
    case kList:
    case kRadio:
      return JoinLines(node.items);
    case kForm:
    case kPanel:
    case kScroll:
    case kTabPage: {
      TGuiState& g = Gui(t);
      std::string out;
      // the picture layer lies under the other widgets and stands for the
      // form (its events are the form's): the form's own name comes first,
      // but for 母艦, whose layer carries number 0
      const bool layer = node.kind == kForm && node.number > 0 && node.imgNumber > 0;
      if (layer) out += node.name + "\r\n";
      for (int number : node.children) {
        if (layer && number == node.imgNumber) continue;
        TObjNode* child = number > 0 ? g.Find(number) : nullptr;
        if (!child || child->name.empty()) continue;
        if (node.kind == kTabPage && child->page != node.activePage) continue;
        out += child->name + "\r\n";
      }
      return out;
    }
    case kGrid:
      return GridItems(node);
    case kTree: {
      std::string out;
      for (const auto& n : node.tree) out += n.path + "\r\n";
      return out;
    }
    default:
      return {};
  }
}

int64_t ValueOf(const TObjNode& node) {
  switch (node.kind) {
    case kBar: return node.barPos;
    case kCombo:
    case kList:
    case kRadio: return node.selected;
    case kGrid: return node.gridRow;
    case kCheck:
    case kMenu: return node.checked ? 1 : 0;
    case kAnime: return node.interval;
    case kTabPage: return node.activePage;
    default: return 0;
  }
}

// ---- writes of the texts ----

void WriteText(TTamaBase& t, TObjNode& node, const std::string& text) {
  SetWordValue(t, node, text);
  switch (node.kind) {
    case kButton: {
      node.text = text;
      int width = Gui(t).view->TextWidth(node.font, text);
      if (width > node.w) node.w = width + 10;
      Changed(t, node);
      return;
    }
    case kEdit:
    case kCombo:
    case kMemo:
    case kRichEdit:
    case kTEditor:
      ChangeContent(t, node, text);
      return;
    case kLabel:
      node.text = text;
      FitLabel(t, node);
      Changed(t, node);
      return;
    case kCheck:
    case kPanel:
    case kForm:
    case kMenu:
      node.text = text;
      Changed(t, node);
      return;
    case kList:
    case kRadio:
      if (!ValidItem(node, node.selected)) return;
      node.items[node.selected] = text;
      Changed(t, node);
      return;
    case kGrid:
      LoadGrid(t, node, text);
      return;
    case kTabPage:
      SetPages(t, node, text);
      return;
    default:
      RaiseNoSetting(t, node);
  }
}

void WriteItems(TTamaBase& t, TObjNode& node, const std::string& text) {
  switch (node.kind) {
    case kCombo:
    case kList: {
      std::vector<std::string> items = LinesOf(text);
      if (node.kind == kCombo) std::erase_if(items, [](const std::string& s) { return s.empty(); });
      node.items = std::move(items);
      node.selected = -1;
      if (node.sorted) SortItems(node);
      Changed(t, node);
      return;
    }
    case kRadio:
      node.items = LinesOf(text);
      node.selected = std::min(node.selected, static_cast<int>(node.items.size()) - 1);
      Changed(t, node);
      return;
    case kForm:
    case kPanel:
    case kScroll:
    case kTabPage:
      support::ForEachLine(text, [&](std::string_view line) {
        THashNode* word = t.words.Find(line, false);
        if (!word) word = t.words.Find(line, true);
        TObjNode* object = word && word->Kind == wkObject ? ObjectOfWord(t, *word) : nullptr;
        if (!object) t.Raise("\"" + std::string(line) + "\"は、オブジェクトではありません。");
        Reparent(t, *object, node);
      });
      Changed(t, node);
      return;
    case kGrid:
      LoadGrid(t, node, text);
      return;
    case kTree: {
      bool hadSelection = node.treeSelected >= 0;
      node.tree.clear();
      node.treeSelected = -1;
      AddTreePaths(t, node, text);
      Changed(t, node);
      if (hadSelection) RaiseTreeChange(t, node);
      return;
    }
    default:
      RaiseUndefinedSetting(t, node, PropertyNameOf(kPropItems));
  }
}

void WriteValue(TTamaBase& t, TObjNode& node, const std::string& text) {
  SetWordValue(t, node, text);
  const int n = IntOr(text, -1);
  switch (node.kind) {
    case kBar:
      if (n >= 0) {
        int pos = std::clamp(n, node.barMin, std::max(node.barMin, node.barMax));
        bool changed = pos != node.barPos;
        node.barPos = pos;
        Changed(t, node);
        if (changed) RaiseSlotEvent(t, node, kSlotChange);
      }
      return;
    case kCombo:
      if (ValidItem(node, n)) {
        node.selected = n;
        bool changed = node.text != node.items[n];
        node.text = node.items[n];
        node.selStart = node.selLength = 0;
        Changed(t, node);
        if (changed) RaiseSlotEvent(t, node, kSlotChange);
      }
      return;
    case kList:
    case kRadio:
      if (ValidItem(node, n)) {
        node.selected = n;
        Changed(t, node);
      }
      return;
    case kGrid:
      SetGridRow(t, node, n);
      return;
    case kCheck:
    case kMenu:
      node.checked = IntOr(text, 0) != 0;
      Changed(t, node);
      return;
    case kAnime:
      if (n >= 0) {
        node.interval = n;
        Changed(t, node);
      }
      return;
    case kTabPage: {
      int page = IntOr(text, 0);
      if (page >= 0 && page < static_cast<int>(node.pages.size())) {
        node.activePage = page;
        Changed(t, node);
      }
      return;
    }
    default:
      RaiseNoSetting(t, node);
  }
}

void WritePicture(TTamaBase& t, TObjNode& node, const std::string& text) {
  SetWordValue(t, node, text);
  switch (node.kind) {
    case kButton:
      node.pictureButton = true;
      if (text.empty()) {
        node.hasPicture = false;
        node.pictureW = node.pictureH = 0;
        node.pictureFile.clear();
      } else {
        Changed(t, node);
        TPictureSize size = LoadPicture(t, text, &node.pictureFile);
        node.hasPicture = true;
        node.pictureW = size.w;
        node.pictureH = size.h;
      }
      Changed(t, node);
      return;
    case kImage:
      if (text.empty()) {
        node.hasPicture = false;
        node.picture.reset();
        node.pictureW = node.pictureH = 0;
      } else {
        SetPicture(t, node, LoadPixels(t, text, "画像"));
        node.w = node.pictureW;
        node.h = node.pictureH;
      }
      Changed(t, node);
      return;
    case kForm: {
      TObjNode& layer = PictureLayer(t, node);
      if (text.empty()) {
        layer.hasPicture = false;
        layer.picture.reset();
        if (layer.number == 0) Gui(t).drawnText.clear();
      } else {
        SetPicture(t, layer, LoadPixels(t, text, "画像"));
        if (&layer != &node) {
          layer.w = layer.pictureW;
          layer.h = layer.pictureH;
        }
      }
      Changed(t, layer);
      return;
    }
    case kAnime:
      LoadFrames(t, node, text, false);
      return;
    case kMenu:
      if (text.empty()) {
        node.ownerDraw = false;
        node.hasPicture = false;
        node.pictureW = node.pictureH = 0;
        node.pictureFile.clear();
      } else {
        TPictureSize size = LoadPicture(t, text, &node.pictureFile);
        node.hasPicture = true;
        node.ownerDraw = true;
        node.pictureW = size.w;
        node.pictureH = size.h;
      }
      Changed(t, node);
      return;
    default:
      RaiseNoSetting(t, node);
  }
}

void WriteSelectedText(TTamaBase& t, TObjNode& node, const std::string& text) {
  if (In(node.kind, kEditKinds)) {
    int a = Boundary(node.text, node.selStart);
    int b = Boundary(node.text, static_cast<int64_t>(a) + std::max(node.selLength, 0));
    std::string content = node.text.substr(0, a) + text + node.text.substr(b);
    if (node.kind == kRichEdit) ReplaceRichText(node, a, b, text);
    bool changed = content != node.text;
    node.text = std::move(content);
    node.selStart = a + static_cast<int>(text.size());
    node.selLength = 0;
    SyncCaret(node);
    Changed(t, node);
    if (changed) RaiseSlotEvent(t, node, kSlotChange);
    return;
  }
  if (node.kind == kList) {
    if (!ValidItem(node, node.selected)) return;
    node.items[node.selected] = text;
    Changed(t, node);
    return;
  }
  if (node.kind == kTree) {
    if (node.treeSelected < 0 || node.treeSelected >= static_cast<int>(node.tree.size())) return;
    RenameTreeNode(node, node.treeSelected, text);
    Changed(t, node);
    return;
  }
  RaiseUndefinedSetting(t, node, PropertyNameOf(kPropSelText));
}

void WriteVisible(TTamaBase& t, TObjNode& node, bool visible) {
  node.visible = visible;
  if (node.kind == kAnime) {
    if (!visible)
      StopAnime(t, node);
    else if (node.buttonMode != 2)
      StartAnime(t, node);
  }
  Changed(t, node);
}

}  // namespace

std::string PropertyNameOf(int property) {
  auto names = PropertyNames();
  return property >= 0 && property < static_cast<int>(names.size()) ? names[property] : "";
}

int SlotOfProperty(int property) {
  switch (property) {
    case kPropEvent: return kSlotEvent;
    case kPropOnClick: return kSlotClick;
    case kPropOnDblClick: return kSlotDblClick;
    case kPropOnMouseDown: return kSlotMouseDown;
    case kPropOnMouseUp: return kSlotMouseUp;
    case kPropOnKeyDown: return kSlotKeyDown;
    case kPropOnKeyUp: return kSlotKeyUp;
    case kPropOnChange: return kSlotChange;
    case kPropOnMouseMove: return kSlotMouseMove;
    case kPropOnFileDrop: return kSlotFileDrop;
    default: return -1;
  }
}

TValue ReadProperty(TTamaBase& t, TObjNode& node, int property) {
  const std::string& name = node.name;
  const int kind = node.kind;
  const bool menu = kind == kMenu;
  switch (property) {
    case kPropX:
      if (menu) break;
      return Number(node.x);
    case kPropY:
      if (menu) break;
      return Number(node.y);
    case kPropWidth:
    case kPropW:
      if (menu) break;
      return Number(node.w);
    case kPropHeight:
    case kPropH:
      if (menu) break;
      return Number(node.h);
    case kPropText: return Text(TextOf(t, node));
    case kPropItems: return Text(ItemsOf(t, node));
    case kPropValue: return Number(ValueOf(node));
    case kPropPicture:
    case kPropAddPicture: return Text(WordValue(t, node));
    case kPropStretch:
      if (kind == kForm) return Number(PictureLayer(t, node).stretch);
      if (In(kind, kStretchKinds)) return Number(node.stretch);
      return {std::string(), kTagNumber};
    case kPropMax: return Number(kind == kBar ? node.barMax : 0);
    case kPropMin: return Number(kind == kBar ? node.barMin : 0);
    case kPropTitle: return Text(kind == kForm ? node.text : WordValue(t, node));
    case kPropOrientation:
      if (kind != kBar) break;
      return Text(node.vertical ? "縦" : "横");
    case kPropButtonMode:
      if (kind != kAnime) break;
      return Untagged(std::to_string(node.buttonMode));
    case kPropVisible: return Number(node.visible);
    case kPropEdit:
      switch (kind) {
        case kEdit:
        case kMemo:
        case kRichEdit:
        case kTEditor:
        case kTree: return Number(!node.readOnly);
        case kCombo: return Number(node.comboEditable);
        case kGrid: return Number(node.gridEdit);
        default: break;
      }
      break;
    case kPropTransparent:
      if (kind == kForm) return Number(PictureLayer(t, node).transparent);
      return Number(In(kind, kTransparentKinds) ? node.transparent : 0);
    case kPropBackground: return Number(In(kind, kBackgroundRead) ? node.background : 0);
    case kPropSize: {
      if (menu) break;
      char buf[96];
      std::snprintf(buf, sizeof buf, "(%d,%d,%d,%d)", node.x, node.y, node.x + node.w, node.y + node.h);
      return Text(buf);
    }
    case kPropName: return Untagged(name);
    case kPropScrollBars: {
      if (!In(kind, kMemoKinds)) break;
      static const char* const kBars[] = {"", "縦", "横", "両方"};
      return Text(kBars[node.scrollBars & 3]);
    }
    case kPropFontName: return Text(In(kind, kFontKinds) ? node.font.name : std::string());
    case kPropFontSize: return Number(In(kind, kFontKinds) ? node.font.size : 0);
    case kPropFontColor: return Number(In(kind, kFontKinds) ? node.font.color : 0);
    case kPropFileDrop: return Untagged({});
    case kPropResize: return Number(kind == kForm && node.style != 1 ? 1 : 0);
    case kPropShortcut: return Text(menu ? node.shortcut : std::string());
    case kPropIme: return Number(In(kind, kImeKinds) ? node.ime : 0);
    case kPropRepeat: return Number(kind == kAnime ? node.repeat : 0);
    case kPropSound: return Text(kind == kAnime ? node.sound : std::string());
    case kPropSelText: return Text(SelectedText(node));
    case kPropHandle: return Number(Gui(t).view->Handle(node));
    case kPropEnabled: return Number(node.enabled);
    case kPropSelStart:
      if (In(kind, kEditKinds)) return Number(node.selStart);
      return Number(kind == kTree ? node.treeSelected : 0);
    case kPropSelLength: return Number(In(kind, kEditKinds) ? node.selLength : 0);
    case kPropUrl: return Text(kind == kBrowser ? node.url : std::string());
    case kPropRight:
      if (menu) break;
      return Text(PointText(node.x + node.w + Spacing(t), node.y));
    case kPropBelow:
      if (menu) break;
      return Text(PointText(node.x, node.y + node.h + Spacing(t)));
    case kPropStyle: return Number(kind == kForm ? node.style : 0);
    case kPropPosition:
      if (menu) break;
      return Text(PointText(node.x, node.y));
    case kPropColumn:
      if (In(kind, kMemoKinds) || kind == kTEditor) return Untagged(std::to_string(node.caretCol));
      if (kind == kGrid) return Untagged(std::to_string(node.gridCol));
      break;
    case kPropRow:
      if (In(kind, kMemoKinds) || kind == kTEditor) return Untagged(std::to_string(node.caretLine));
      if (kind == kGrid) return Untagged(std::to_string(node.gridRow));
      break;
    case kPropKind: return Untagged(KindWord(kind));
    case kPropEvent:
      Dispatch(t, node.number);
      return Untagged({});
    case kPropOnClick:
    case kPropOnDblClick:
    case kPropOnMouseDown:
    case kPropOnMouseUp:
    case kPropOnKeyDown:
    case kPropOnKeyUp:
    case kPropOnChange:
    case kPropOnMouseMove:
    case kPropOnFileDrop:
    case kPropSort:
      t.Warn("\"" + name + "," + PropertyNameOf(property) + "\"は、未定義です。");
      return Untagged({});
    default:
      break;
  }
  RaiseUndefinedSetting(t, node, PropertyNameOf(property));
}

void WriteProperty(TTamaBase& t, TObjNode& node, int property, std::string_view value) {
  const int kind = node.kind;
  const bool menu = kind == kMenu;
  int slot = SlotOfProperty(property);
  if (property == kPropEvent) {
    AttachGenericHandler(t, node, value);
    return;
  }
  if (slot >= 0) {
    AttachHandler(t, node, slot, value);
    return;
  }
  switch (property) {
    case kPropName:
    case kPropHandle:
    case kPropRight:
    case kPropBelow:
    case kPropKind:
      t.Raise("\"" + PropertyNameOf(property) + "\"は、読取専用です。");
    case kPropSize:
      WriteSize(t, node, PointValue(t, value));
      return;
    case kPropPosition: {
      TPoint p;
      if (menu || !ReadPoint(t, PointValue(t, value), p)) break;
      node.x = p.x;
      node.y = p.y;
      Changed(t, node);
      return;
    }
    default:
      break;
  }
  if (property == kPropPosition) RaiseUndefinedSetting(t, node, PropertyNameOf(property));
  const std::string text = t.EvaluateText(value);
  switch (property) {
    case kPropX:
      if (menu) break;
      node.x = IntOf(text);
      Changed(t, node);
      return;
    case kPropY:
      if (menu) break;
      node.y = IntOf(text);
      Changed(t, node);
      return;
    case kPropWidth:
    case kPropW:
      if (menu) break;
      WriteWidth(t, node, IntOf(text));
      return;
    case kPropHeight:
    case kPropH:
      if (menu) break;
      WriteHeight(t, node, IntOf(text));
      return;
    case kPropText:
    case kPropTitle:
      WriteText(t, node, text);
      return;
    case kPropItems:
      WriteItems(t, node, text);
      return;
    case kPropValue:
      WriteValue(t, node, text);
      return;
    case kPropPicture:
      WritePicture(t, node, text);
      return;
    case kPropStretch: {
      if (!In(kind, kStretchKinds)) break;
      TObjNode& target = kind == kForm ? PictureLayer(t, node) : node;
      target.stretch = IntOf(text) > 0;
      Changed(t, target);
      return;
    }
    case kPropMax:
    case kPropMin: {
      if (kind != kBar) break;
      int n = IntOr(text, 0);
      if (property == kPropMax) {
        node.barMax = n;
        node.barMin = std::min(node.barMin, n);
      } else {
        node.barMin = n;
        node.barMax = std::max(node.barMax, n);
      }
      node.barPos = std::clamp(node.barPos, node.barMin, node.barMax);
      SetWordValue(t, node, text);
      Changed(t, node);
      return;
    }
    case kPropOrientation:
      if (kind != kBar) break;
      node.vertical = text == "縦";
      Changed(t, node);
      return;
    case kPropButtonMode: {
      if (kind != kAnime) break;
      int n = IntOf(text);
      node.buttonMode = n == 1 || n == 2 ? n : 0;
      Changed(t, node);
      return;
    }
    case kPropVisible:
      WriteVisible(t, node, IntOr(text, 0) != 0);
      return;
    case kPropEdit: {
      int n = IntOf(text);
      switch (kind) {
        case kEdit:
        case kMemo:
        case kRichEdit:
        case kTEditor: node.readOnly = n == 0; break;
        case kTree: node.readOnly = n < 1; break;
        case kCombo: node.comboEditable = n != 0; break;
        case kGrid: node.gridEdit = n >= 1; break;
        default: RaiseUndefinedSetting(t, node, PropertyNameOf(property));
      }
      SetWordValue(t, node, text);
      Changed(t, node);
      return;
    }
    case kPropTransparent: {
      if (!In(kind, kTransparentKinds)) break;
      TObjNode& target = kind == kForm ? PictureLayer(t, node) : node;
      target.transparent = IntOf(text) > 0;
      Changed(t, target);
      return;
    }
    case kPropBackground: {
      int64_t colour = ReadColour(text, -1);
      if (kind == kForm) {
        // the picture layer is cleared and filled with the colour over the client area
        node.background = colour;
        TObjNode& layer = PictureLayer(t, node);
        layer.background = colour;
        layer.hasPicture = false;
        layer.picture.reset();
        if (layer.number == 0) Gui(t).drawnText.clear();
        layer.pictureW = node.w;
        layer.pictureH = node.h;
        if (&layer != &node) {
          layer.w = node.w;
          layer.h = node.h;
          Changed(t, layer);
        }
      } else if (In(kind, kBackgroundWrite)) {
        node.background = colour;
      } else {
        break;
      }
      Changed(t, node);
      return;
    }
    case kPropScrollBars:
      if (!In(kind, kMemoKinds)) break;
      node.scrollBars = text == "縦" ? 1 : text == "横" ? 2 : text == "両方" ? 3 : 0;
      Changed(t, node);
      return;
    case kPropFontName: {
      if (!In(kind, kFontKinds)) break;
      TFontSpec spec = ParseFontSpec(text);
      node.font.name = spec.name;
      node.font.bold = spec.bold;
      node.font.italic = spec.italic;
      node.font.underline = spec.underline;
      node.font.size = spec.size > 0 ? spec.size : ReadInteger(t.QuickWord("文字サイズ").Value(), 12);
      FitLabel(t, node);
      Changed(t, node);
      return;
    }
    case kPropFontSize:
      if (!In(kind, kFontKinds)) break;
      node.font.size = IntOr(text, 9);
      FitLabel(t, node);
      Changed(t, node);
      return;
    case kPropFontColor:
      if (!In(kind, kFontKinds)) break;
      if (kind == kButton) node.pictureButton = true;
      node.font.color = ReadColour(text, 0);
      Changed(t, node);
      return;
    case kPropFileDrop:
      node.fileDrop = text != "0";
      Changed(t, node);
      return;
    case kPropResize:
      if (kind != kForm) break;
      node.style = IntOf(text) >= 1 ? 2 : 1;
      Changed(t, node);
      return;
    case kPropShortcut: {
      if (!menu) break;
      std::string shortcut;
      if (!ParseShortcut(text, shortcut)) t.Raise("\"" + node.name + "\"のショートカットキーの割り当てに失敗");
      node.shortcut = shortcut;
      SetWordValue(t, node, text);
      Changed(t, node);
      return;
    }
    case kPropIme: {
      if (!In(kind, kImeKinds)) break;
      int n = IntOf(text);
      // a combo box applies the mode to its open window and keeps none
      if (kind != kCombo) node.ime = n >= 1 && n <= 4 ? n : 0;
      Changed(t, node);
      return;
    }
    case kPropRepeat:
      if (kind != kAnime) break;
      node.repeat = node.repeatWritten = IntOr(text, 0);
      Changed(t, node);
      return;
    case kPropSound:
      if (kind != kAnime) break;
      node.sound = text;
      Changed(t, node);
      return;
    case kPropAddPicture:
      if (kind != kAnime) break;
      LoadFrames(t, node, text, true);
      return;
    case kPropSelText:
      WriteSelectedText(t, node, text);
      return;
    case kPropEnabled:
      node.enabled = IntOr(text, 0) != 0;
      Changed(t, node);
      return;
    case kPropSelStart: {
      int n = IntOf(text);
      if (In(kind, kEditKinds)) {
        node.selStart = Boundary(node.text, n);
        node.selLength = 0;
        SyncCaret(node);
        Changed(t, node);
        return;
      }
      if (kind != kTree) break;
      if (n >= 0 && n < static_cast<int>(node.tree.size())) SelectTreeNode(t, node, n);
      return;
    }
    case kPropSelLength: {
      if (!In(kind, kEditKinds)) break;
      int start = Boundary(node.text, node.selStart);
      node.selStart = start;
      node.selLength = Boundary(node.text, static_cast<int64_t>(start) + std::max(IntOf(text), 0)) - start;
      SyncCaret(node);
      Changed(t, node);
      return;
    }
    case kPropUrl:
      if (kind != kBrowser) break;
      Navigate(t, node, text);
      return;
    case kPropStyle: {
      if (kind != kForm) break;
      int n = IntOf(text);
      if (n >= 0 && n <= 5) node.style = n;
      Changed(t, node);
      return;
    }
    case kPropColumn: {
      int n = IntOf(text);
      if (In(kind, kMemoKinds)) {
        // forward from the caret
        node.selStart = Boundary(node.text, static_cast<int64_t>(node.selStart) + node.selLength + n);
        node.selLength = 0;
        SyncCaret(node);
      } else if (kind == kTEditor) {
        PlaceCaret(node, node.caretLine, n);
        node.caretCol = std::max(n, 0);
      } else if (kind == kGrid) {
        if (n < 0 || n >= GridCols(node)) return;
        node.gridCol = n;
      } else {
        break;
      }
      Changed(t, node);
      return;
    }
    case kPropRow: {
      int n = IntOf(text);
      if (In(kind, kMemoKinds)) {
        // the caret goes to the start of that line
        PlaceCaret(node, n, 0);
      } else if (kind == kTEditor) {
        int col = node.caretCol;
        PlaceCaret(node, n, col);
        node.caretCol = col;
      } else if (kind == kGrid) {
        SetGridRow(t, node, n);
        return;
      } else {
        break;
      }
      Changed(t, node);
      return;
    }
    case kPropSort: {
      bool on = IntOf(text) != 0;
      if (kind == kCombo || kind == kList) {
        node.sorted = on;
        if (on) SortItems(node);
      } else if (kind == kGrid) {
        node.gridSort = on;
      } else {
        break;
      }
      Changed(t, node);
      return;
    }
    default:
      break;
  }
  RaiseUndefinedSetting(t, node, PropertyNameOf(property));
}

}  // namespace tama::gui
