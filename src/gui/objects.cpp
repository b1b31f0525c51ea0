// The object list, the object words, creation, lookup and destruction, and the
// interpreter's hooks for object reads and writes.
#include "gui/objects.h"

#include <algorithm>
#include <cstdio>

#include "engine/system_words.h"
#include "gui/debug.h"
#include "gui/properties.h"
#include "gui/readers.h"
#include "support/number.h"
#include "words/tags.h"

namespace tama::gui {

namespace {

struct TSize {
  int w, h;
};

// The size of a new widget of each kind (a ラベル follows its caption).
constexpr TSize kDefaultSize[kKindCount] = {
    {75, 25},    // ボタン
    {121, 21},   // エディタ
    {105, 105},  // イメージ
    {121, 16},   // バー
    {145, 21},   // コンボ
    {121, 97},   // リスト
    {185, 89},   // メモ
    {400, 300},  // フォーム (client area)
    {320, 120},  // グリッド
    {0, 0},      // ラベル
    {97, 17},    // チェック
    {100, 100},  // トラック
    {100, 100},  // アニメ
    {0, 0},      // メニュー
    {300, 200},  // ブラウザ
    {185, 41},   // パネル
    {300, 200},  // Tエディタ
    {185, 105},  // ラジオ
    {300, 200},  // スクロール
    {289, 193},  // タブページ
    {121, 97},   // ツリー
    {185, 89},   // リッチエディタ
};

constexpr int64_t kWhite = 0xFFFFFF;

// A name written as a literal is its value; any other name is used as written.
std::string Unquoted(TTamaBase& t, std::string_view name) {
  if (!name.empty() && (name.front() == '"' || name.front() == '`')) return t.EvaluateText(name);
  return std::string(name);
}

int Spacing(TTamaBase& t) { return ReadInteger(t.QuickWord("部品配置間隔").Value(), 8); }

[[noreturn]] void RaiseNotCreated(TTamaBase& t, std::string_view name) {
  t.Raise("オブジェクト\"" + std::string(name) + "\"は、作成されていません。");
}

bool HasCaption(int kind) { return kind == kButton || kind == kForm || kind == kLabel || kind == kCheck; }

// The ラベル's size as its caption gives it.
void FitLabel(TTamaBase& t, TObjNode& node) {
  TView& view = *Gui(t).view;
  node.w = view.TextWidth(node.font, node.text);
  node.h = view.TextHeight(node.font);
}

// What a new widget takes of the drawing font: kinds that keep the toolkit's
// font take nothing; only a フォーム and a ラベル take the colour, and a
// トラック takes no style.
TFont FontForKind(int kind, const TFont& drawing) {
  TFont font;
  switch (kind) {
    case kImage:
    case kBar:
    case kAnime:
    case kMenu:
    case kBrowser:
    case kPanel:
    case kScroll:
    case kTabPage:
    case kTree:
      return font;
    default:
      break;
  }
  font.name = drawing.name;
  font.size = drawing.size;
  if (kind != kTrack) {
    font.bold = drawing.bold;
    font.italic = drawing.italic;
    font.underline = drawing.underline;
  }
  if (kind == kForm || kind == kLabel) font.color = drawing.color;
  return font;
}

TObjNode& NewRecord(TTamaBase& t, int kind, std::string name, const TFont& font) {
  TGuiState& g = Gui(t);
  auto node = std::make_unique<TObjNode>();
  node->name = std::move(name);
  node->kind = kind;
  node->number = static_cast<int>(g.objects.size());
  node->font = font;
  node->w = kDefaultSize[kind].w;
  node->h = kDefaultSize[kind].h;
  switch (kind) {
    case kMemo:
    case kTEditor:
    case kRichEdit:
    case kGrid:
      node->scrollBars = 3;
      break;
    case kForm:
      node->background = kWhite;
      break;
    case kLabel:
      node->transparent = true;
      break;
    case kAnime:
      // the colour of the window it is placed on
      node->background = !g.objects.empty() && g.objects[0]->background >= 0 ? g.objects[0]->background : kWhite;
      break;
    default:
      break;
  }
  if (kind == kGrid) {
    node->grid = std::make_shared<TCsvDb>();
    node->grid->SetHeader(true);
  }
  g.objects.push_back(std::move(node));
  return *g.objects.back();
}

void AddChild(TGuiState& g, int parent, int child) {
  if (TObjNode* p = g.Find(parent)) p->children.push_back(child);
}

void RemoveChild(TGuiState& g, int parent, int child) {
  if (TObjNode* p = g.Find(parent)) {
    auto& c = p->children;
    c.erase(std::remove(c.begin(), c.end(), child), c.end());
  }
}

// The object word of a live object for a write (その is already set).
TObjNode& LiveObject(TTamaBase& t, const THashNode& word) {
  TObjNode* node = ObjectOfWord(t, word);
  if (!node) RaiseNotCreated(t, word.Name);
  return *node;
}

// The row of a property name: a literal or a parenthesised text is its
// value, and a name that is not a property may be a word whose value is one.
int PropertyOf(TTamaBase& t, const TObjNode& node, std::string& property) {
  if (!property.empty() && (property.front() == '"' || property.front() == '`' || property.front() == '('))
    property = t.EvaluateText(property);
  int index = PropertyIndex(t, property);
  if (index < 0 && t.words.Find(property, false)) {
    std::string value = t.EvaluateText(property);
    index = PropertyIndex(t, value);
    if (index >= 0) property = std::move(value);
  }
  if (index < 0) RaiseUndefinedSetting(t, node, property);
  return index;
}

// Writes the property inside the guard of writes: whatever fails is reported
// as the failed setting of this object.
void GuardedWrite(TTamaBase& t, TObjNode& node, std::string_view propertyText, std::string_view valueText) {
  std::string property(propertyText);
  const int index = PropertyOf(t, node, property);
  // the name and kind as they were when the write began (a write may destroy)
  const std::string failed =
      "オブジェクト\"" + node.name + "\"(" + KindWord(node.kind) + ")の項目,\"" + std::string(property) + "\"の設定に失敗しました。";
  try {
    WriteProperty(t, node, index, valueText);
  } catch (const ETama&) {
    t.Raise(failed);
  } catch (const std::exception& e) {
    t.Raise(failed + e.what());
  }
}

TValue ReadIndexed(TTamaBase& t, TObjNode& node, std::string_view propertyText) {
  std::string property(propertyText);
  return ReadProperty(t, node, PropertyOf(t, node, property));
}

// ---- the hooks ----

// The property that stands for an object's own value (an object word used
// alone, or assigned to): -1 for the kinds without one.
int ValueProperty(int kind) {
  switch (kind) {
    case kButton:
    case kLabel:
    case kPanel:
    case kForm:
    case kMenu:
    case kEdit:
    case kCombo:
    case kMemo:
    case kRichEdit:
    case kTEditor:
    case kGrid:
      return kPropText;
    case kTree:
      // a tree's value is its selected node's text
      return kPropSelText;
    case kImage:
      return kPropPicture;
    case kBar:
    case kList:
    case kRadio:
    case kCheck:
      return kPropValue;
    default:
      return -1;
  }
}

void HookSetValue(TTamaBase& t, THashNode& word, const std::string& value) {
  TObjNode& node = LiveObject(t, word);
  const int index = ValueProperty(node.kind);
  if (index < 0) {
    // the kinds without a value of their own keep the text in their word
    word.SetValue(value);
    return;
  }
  const std::string property = PropertyNameOf(index);
  std::string item = TValue{value, kTagString}.ItemForm();
  GuardedWrite(t, node, property, item);
}

void HookSetProperty(TTamaBase& t, THashNode& word, std::string_view property, std::string_view valueText) {
  SetSono(t, word);
  GuardedWrite(t, LiveObject(t, word), property, valueText);
}

TValue HookReadProperty(TTamaBase& t, THashNode& word, std::string_view property) {
  TObjNode* node = ObjectOfWord(t, word);
  if (!node) RaiseNotCreated(t, word.Name);
  return ReadIndexed(t, *node, property);
}

TValue HookReadValue(TTamaBase& t, THashNode& word) {
  TObjNode* node = ObjectOfWord(t, word);
  if (!node) RaiseNotCreated(t, word.Name);
  return ObjectValue(t, *node);
}

bool HookInvokeEvent(TTamaBase& t, std::string_view object, std::string_view event) {
  const int slot = SlotOfProperty(PropertyIndex(t, event));
  if (slot < 0) return false;
  TObjNode& node = ObjectForRead(t, object);
  if (slot == kSlotEvent)
    Dispatch(t, node.number);
  else
    RaiseSlotEvent(t, node, slot);
  return true;
}

}  // namespace

void Install(TTamaBase& t) {
  t.setObjectValue = HookSetValue;
  t.setObjectProperty = HookSetProperty;
  t.readObjectProperty = HookReadProperty;
  t.readObjectValue = HookReadValue;
  t.invokeObjectEvent = HookInvokeEvent;
  t.resetObjects = ResetObjects;
  InstallDebugHook(t);
}

void ResetObjects(TTamaBase& t) {
  TGuiState& g = Gui(t);
  TEventLoop* loop = t.host.Loop();
  for (size_t i = 1; i < g.objects.size(); ++i) {
    if (!g.objects[i]) continue;
    if (loop && g.objects[i]->frameTimer) loop->CancelTimer(g.objects[i]->frameTimer);
    g.view->Destroyed(*g.objects[i]);
  }
  g.objects.clear();
  g.deferred.clear();
  TObjNode& main = NewRecord(t, kForm, kMainWindowWord, TFont{});
  main.parent = -1;
  main.w = 640;
  main.h = 400;
  main.text = "たまかず";
  main.imgNumber = 0;
  t.textX = t.textY = 10;
  g.centering = false;
  if (THashNode* so = t.words.Find("そ", false); so && so->Kind == wkObject) {
    so->Kind = wkVariable;
    so->Id = -1;
    so->Tag.clear();
    so->SetValue({});
  }
  if (g.timer) {
    if (TEventLoop* loop = t.host.Loop()) loop->CancelTimer(g.timer);
    g.timer = 0;
  }
  g.timerLabel = {};
  g.timerLabelName.clear();
  g.timerLabelFile.clear();
  g.drawnText.clear();
  g.icon.clear();
  g.iconObject = -1;
  g.mainShown = false;
  g.trayIcon = false;
  g.cursorShown = true;
}

// ---- creation ----

void CreateObject(TTamaBase& t, std::string_view position, bool positionOmitted, std::string_view nameText,
                  std::string_view kindWord) {
  TGuiState& g = Gui(t);
  const std::string name = Unquoted(t, nameText);
  if (t.words.Find(name, false)) t.Raise("オブジェクト\"" + name + "\"は、既に存在するので、作成できません。");
  TPoint at{t.textX, t.textY};
  if (!positionOmitted && !ReadPoint(t, position, at))
    t.Raise("オブジェクト\"" + name + "\"は、未定義なので、作成できません。座標指定に誤りがあります。\"" +
            std::string(position) + "\"");
  const TFont drawing = DrawingFont(t);
  const int kind = KindOfWord(kindWord);
  if (kind < 0 || kind == kMenu)
    t.Raise("オブジェクト\"" + std::string(kindWord) + "\"は、未定義なので、作成できません。");
  const TFont font = FontForKind(kind, drawing);
  std::string_view word = KindWord(kind);
  std::string caption = name;
  if (name.size() >= word.size() && std::string_view(name).substr(name.size() - word.size()) == word)
    caption.resize(name.size() - word.size());

  TObjNode& node = NewRecord(t, kind, name, font);
  if (HasCaption(kind)) node.text = caption;
  if (kind == kLabel) FitLabel(t, node);
  if (kind == kButton) {
    // wide enough for the caption, and never narrower than a "W" per byte of it
    node.w = std::max(node.w, g.view->TextWidth(font, caption) + 10);
    node.w = std::max(node.w, TextWidth("W", 12) * static_cast<int>(caption.size()));
  }
  if (kind == kForm) {
    node.parent = -1;
    node.x = (g.view->ScreenWidth() - node.w) / 2;
    node.y = (g.view->ScreenHeight() - node.h) / 2;
    t.textY = at.y;
  } else {
    node.parent = 0;
    node.x = g.centering ? (g.Main().w - node.w) / 2 : at.x;
    node.y = at.y;
    t.textY = at.y + node.h + Spacing(t);
    AddChild(g, 0, node.number);
  }
  node.visible = true;
  const int number = node.number;
  g.view->Created(node);
  if (kind == kForm) {
    // the picture layer that covers the client area and carries the mouse events
    TObjNode& img = NewRecord(t, kImage, "img", TFont{});
    img.parent = number;
    img.w = g.objects[number]->w;
    img.h = g.objects[number]->h;
    img.background = kWhite;
    g.objects[number]->imgNumber = img.number;
    g.objects[number]->children.push_back(img.number);
    g.view->Created(img);
  }
  auto wordNode = std::make_shared<THashNode>(name, false, TPos{}, wkObject, number, KindWord(kind), "", "");
  t.AddWord(wordNode);
  SetSono(t, *wordNode);
}

void MakeFromName(TTamaBase& t, std::string_view nameIn) {
  const std::string name(TrimControl(nameIn));
  if (name.empty()) t.Raise("\"作る\"命令の引数に誤りがあります。オブジェクト名がありません。");
  const int kind = KindNameEndsWith(name);
  std::string sentence;
  if (kind < 0 || kind == kMenu) {
    std::string_view menu = KindWord(kMenu);
    const bool isMenu = name.size() >= menu.size() && name.compare(name.size() - menu.size(), menu.size(), menu) == 0;
    sentence = name + (isMenu ? "を,メニュー作成;" : "を,ボタンとして,作成;");
  } else {
    sentence = name + "を," + KindWord(kind) + "として,作成;";
  }
  // the sentence runs as a program text of its own (in the canonical form
  // already, and on the current line); its errors come back here
  try {
    TTextRef text = MakeText(sentence);
    TTamaBase::TNested nested(t);
    t.Jump({text, text->begin()});
    while (t.cur && *t.cur) {
      const char* before = t.cur;
      t.ExecuteSentence(t.cur);
      if (t.cur == before) break;
    }
  } catch (const std::exception& e) {
    t.Raise(std::string(e.what()) + "(\"作る\"命令にて)");
  }
}

// ---- lookup ----

TObjNode* ObjectOfWord(TTamaBase& t, const THashNode& word) {
  if (word.Kind != wkObject) return nullptr;
  return Gui(t).Find(word.Id);
}

TObjNode& ObjectForRead(TTamaBase& t, std::string_view nameText) {
  const std::string name = Unquoted(t, nameText);
  THashNode* word = t.words.Find(name, false);
  if (!word) t.Raise("単語\"" + name + "\"は、定義されていません。");
  if (word->Kind != wkObject) t.Raise("\"" + name + "\"は、オブジェクトではありません。");
  TObjNode* node = Gui(t).Find(word->Id);
  if (!node) RaiseNotCreated(t, name);
  return *node;
}

THashNode* WordOf(TTamaBase& t, const TObjNode& node) {
  if (node.name.empty()) return nullptr;
  THashNode* word = t.words.Find(node.name, false);
  return word && word->Kind == wkObject && word->Id == node.number ? word : nullptr;
}

void SetSono(TTamaBase& t, const THashNode& word) {
  THashNodeRef so = t.words.FindRef("そ", false);
  if (!so) {
    so = std::make_shared<THashNode>("そ", false, -1, "");
    so->CopyFrom(word);
    t.AddWord(so);
    return;
  }
  if (so.get() != &word) so->CopyFrom(word);
}

// ---- destruction ----

void DestroyByName(TTamaBase& t, std::string_view nameText) {
  const std::string name = Unquoted(t, nameText);
  THashNode* word = t.words.Find(name, false);
  if (!word) t.Raise("オブジェクト\"" + name + "\"が特定できません。");
  TObjNode* node = ObjectOfWord(t, *word);
  if (!node) {
    // a word without a live object: only the word goes
    if (!word->Protected) t.RemoveWord(name, false);
    return;
  }
  if (node->number == 0) return;
  DestroyObject(t, *node);
  if (THashNode* left = t.words.Find(name, false); left && left->Kind == wkObject) t.RemoveWord(name, false);
}

void DestroyAll(TTamaBase& t) {
  TGuiState& g = Gui(t);
  for (size_t i = 1; i < g.objects.size(); ++i)
    if (TObjNode* node = g.objects[i].get()) DestroyObject(t, *node);
}

void DestroyObject(TTamaBase& t, TObjNode& node) {
  TGuiState& g = Gui(t);
  const int number = node.number;
  if (number <= 0 || g.Find(number) != &node) return;
  // what is placed on a container goes with it
  const std::vector<int> children = node.children;
  for (int child : children)
    if (TObjNode* c = g.Find(child); c && c->parent == number) DestroyObject(t, *c);
  switch (node.kind) {
    case kEdit:
    case kMemo:
    case kTEditor:
    case kLabel:
    case kCheck:
      node.text.clear();
      break;
    case kImage:
      node.hasPicture = false;
      node.picture.reset();
      node.pictureW = node.pictureH = 0;
      break;
    case kCombo:
    case kList:
      node.items.clear();
      node.selected = -1;
      break;
    case kGrid:
      if (node.grid) node.grid->Clear();
      break;
    case kAnime:
      node.frames.clear();
      node.animating = false;
      node.frameIndex = -1;
      if (node.frameTimer)
        if (TEventLoop* loop = t.host.Loop()) loop->CancelTimer(node.frameTimer);
      node.frameTimer = 0;
      break;
    default:
      break;
  }
  node.visible = false;
  if (THashNode* word = WordOf(t, node)) t.RemoveWord(word->Name, false);
  RemoveChild(g, node.parent, number);
  g.view->Destroyed(node);
  node.name.clear();
  g.deferred.push_back(std::move(g.objects[number]));
}

void FreeDeferred(TTamaBase& t) { Gui(t).deferred.clear(); }

// ---- containers ----

void Reparent(TTamaBase& t, TObjNode& node, TObjNode& container) {
  TGuiState& g = Gui(t);
  // the container must not be the object or lie on it
  for (TObjNode* p = &container; p; p = p->parent >= 0 && p->parent != p->number ? g.Find(p->parent) : nullptr) {
    if (p == &node) t.Raise(node.name + "を、" + container.name + "へ、親変更に失敗。");
  }
  RemoveChild(g, node.parent, node.number);
  node.parent = container.number;
  node.page = container.kind == kTabPage ? container.activePage : 0;
  container.children.push_back(node.number);
  g.view->Changed(node);
}

// ---- properties ----

int PropertyIndex(TTamaBase& t, std::string_view name) {
  const std::string folded = FoldOkurigana(name);
  const auto& names = t.foldedProperties;
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == folded) return static_cast<int>(i);
  return -1;
}

TValue ReadPropertyOf(TTamaBase& t, std::string_view objectName, std::string_view property) {
  return ReadIndexed(t, ObjectForRead(t, objectName), property);
}

void WritePropertyOf(TTamaBase& t, std::string_view objectNameText, std::string_view property,
                     std::string_view value) {
  const std::string name = Unquoted(t, objectNameText);
  THashNodeRef word = t.words.FindRef(name, false);
  if (!word) RaiseNotCreated(t, name);
  SetSono(t, *word);
  GuardedWrite(t, LiveObject(t, *word), property, value);
}

TValue ObjectValue(TTamaBase& t, TObjNode& node) {
  switch (const int index = ValueProperty(node.kind); index) {
    case kPropText:
    case kPropValue: {
      TValue v = ReadProperty(t, node, index);
      v.tag = index == kPropText ? kTagString : kTagNumber;
      return v;
    }
    case kPropPicture: {
      const THashNode* word = WordOf(t, node);
      return {word ? std::string(TrimControl(word->Value())) : std::string(), kTagString};
    }
    case kPropSelText:
      if (node.treeSelected >= 0 && node.treeSelected < static_cast<int>(node.tree.size()))
        return {node.tree[node.treeSelected].text, kTagString};
      return {std::string(), kTagString};
    default:
      t.Raise("オブジェクト\"" + node.name + "\"から、直接値を得ることは出来ません。");
  }
}

void RaiseUndefinedSetting(TTamaBase& t, const TObjNode& node, std::string_view property) {
  t.Raise("オブジェクト\"" + node.name + "\"(\"" + KindWord(node.kind) + "\")の設定項目\"" + std::string(property) +
          "\"は未定義です。");
}

void Changed(TTamaBase& t, TObjNode& node) { Gui(t).view->Changed(node); }

}  // namespace tama::gui
