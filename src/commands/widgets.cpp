// The menu commands and the commands of particular widgets.
#include "commands/widgets.h"

#include <cstdio>
#include <iterator>

#include "engine/files_state.h"
#include "engine/security.h"
#include "engine/tama.h"
#include "gui/objects.h"
#include "gui/readers.h"
#include "gui/widgets.h"
#include "support/ini.h"
#include "support/number.h"
#include "support/path.h"

namespace tama {

namespace {

using gui::TObjNode;

// A name written as a literal is its value; any other is used as written.
std::string NameArg(TTamaBase& t) {
  std::string name = t.PopArgText();
  if (!name.empty() && (name.front() == '"' || name.front() == '`')) return t.EvaluateText(name);
  return name;
}

// The object of the commands of one kind: an unknown name or none is the
// command's argument error, a word that is no object and an object of
// another kind have errors of their own.
TObjNode& KindArg(TTamaBase& t, const std::string& name, std::string_view command, int kind,
                  std::string_view which) {
  THashNode* word = name.empty() ? nullptr : t.words.Find(name, false);
  if (!word) t.Raise("\"" + std::string(command) + "\"命令の引数に誤りがあります。");
  if (word->Kind != wkObject) t.Raise("\"" + name + "\"は、オブジェクトではありません。");
  TObjNode* node = gui::ObjectOfWord(t, *word);
  if (!node) t.Raise("\"" + std::string(command) + "\"命令の引数に誤りがあります。");
  if (node->kind != kind) t.Raise("\"" + node->name + "\"命令の引数に誤りがあります。" + std::string(which));
  return *node;
}

constexpr std::string_view kTabs = "タブページ部品を指定してください。";
constexpr std::string_view kBrowser = "ブラウザ部品を指定してください。";
constexpr std::string_view kGrid = "グリッド部品を指定してください。";
constexpr std::string_view kRich = "リッチエディタ部品を指定してください。";
constexpr std::string_view kEditor = "Tエディタ部品を指定してください。";

// The object of the tree commands and of オブジェクト丸く.
TObjNode& ObjectArg(TTamaBase& t, const std::string& name, int kind = -1) {
  THashNode* word = t.words.Find(name, false);
  TObjNode* node = word ? gui::ObjectOfWord(t, *word) : nullptr;
  if (!node || (kind >= 0 && node->kind != kind)) t.Raise("オブジェクト\"" + name + "\"が特定できません。");
  return *node;
}

void WriteFile(TTamaBase& t, const std::string& file, const std::string& bytes) {
  std::FILE* f = std::fopen(support::NativePath(file).c_str(), "wb");
  bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (f && std::fclose(f) != 0) ok = false;
  if (!ok) t.Raise("\"" + file + "\"へ書き込めません。");
}

// ---- menus ----

// The name of a new item: a word without a name cannot be made.
std::string MenuName(TTamaBase& t, std::string_view command) {
  std::string name = NameArg(t);
  if (name.empty()) t.Raise("\"" + std::string(command) + "\"命令の引数に誤りがあります。");
  return name;
}

void MenuSakusei(TTamaBase& t, int) { gui::CreateMenuItem(t, {}, MenuName(t, "メニュー作成")); }

void MenuTsuika(TTamaBase& t, int) {
  std::string child = MenuName(t, "メニュー追加");
  std::string parent = NameArg(t);
  gui::CreateMenuItem(t, parent, child);
}

void MenuPathSakusei(TTamaBase& t, int) { gui::CreateMenuPaths(t, t.PopArgValue()); }

// ---- tab pages ----

void TabTsuika(TTamaBase& t, int) {
  std::string caption = t.PopArgValue();
  std::string name = NameArg(t);
  gui::AddPage(t, KindArg(t, name, "タブ追加", gui::kTabPage, kTabs), caption);
}

void TabYuukouHenkou(TTamaBase& t, int) {
  std::string value = t.PopArgValue();
  std::string name = NameArg(t);
  TObjNode& node = KindArg(t, name, "タブ有効変更", gui::kTabPage, kTabs);
  gui::EnableActivePage(t, node, ReadInteger(support::TrimControl(value), 0) == 1);
}

void TabIchiHenkou(TTamaBase& t, int) {
  std::string where = t.PopArgValue();
  std::string name = NameArg(t);
  gui::SetTabPosition(t, KindArg(t, name, "タブ位置変更", gui::kTabPage, kTabs), where);
}

// ---- the browser: a step the history cannot take is ignored ----

void BrowserStep(TTamaBase& t, int id) {
  const bool forward = id == kCmdBrowserSusumu;
  std::string name = NameArg(t);
  TObjNode& node = KindArg(t, name, forward ? "ブラウザ進む" : "ブラウザ戻る", gui::kBrowser, kBrowser);
  gui::HistoryStep(t, node, forward ? 1 : -1);
}

// ---- trees ----

void TreeItemTsuika(TTamaBase& t, int) {
  std::string lines = t.PopArgValue();
  std::string name = NameArg(t);
  TObjNode& node = ObjectArg(t, name, gui::kTree);
  gui::AddTreePaths(t, node, lines);
  gui::Changed(t, node);
}

void TreeItemSakujo(TTamaBase& t, int) {
  std::string path = t.PopArgValue();
  std::string name = NameArg(t);
  gui::DeleteTreePath(t, ObjectArg(t, name, gui::kTree), path);
}

void TreeTenkai(TTamaBase& t, int id) {
  std::string path = t.PopArgValue();
  std::string name = NameArg(t);
  gui::ExpandTreePath(t, ObjectArg(t, name, gui::kTree), path, id == kCmdTreeTenkai);
}

// ---- grids ----

void GridIchigyouSentakuHenkou(TTamaBase& t, int) {
  std::string value = t.PopArgValue();
  std::string name = NameArg(t);
  TObjNode& node = KindArg(t, name, "グリッド一行選択変更", gui::kGrid, kGrid);
  node.gridRowSelect = value == "1";
  gui::Changed(t, node);
}

// ---- rich text ----

void RichEditorSentakuZokuseiHenkou(TTamaBase& t, int) {
  std::string name = NameArg(t);
  TObjNode& node = KindArg(t, name, "リッチエディタ選択属性変更", gui::kRichEdit, kRich);
  gui::SetSelectionFont(t, node, gui::DrawingFont(t));
}

void RichEditorHozon(TTamaBase& t, int) {
  std::string file = t.PopArgValue();
  std::string name = NameArg(t);
  TObjNode& node = KindArg(t, name, "リッチエディタ保存", gui::kRichEdit, kRich);
  if (AskSecurity(t, file, "\"" + file + "\"へファイル保存します。よろしいですか？")) return;
  WriteFile(t, file, gui::RichTextFile(node));
}

// ---- the editor control ----

void TEditorSettei(TTamaBase& t, int) {
  std::string name = NameArg(t);
  TObjNode& node = KindArg(t, name, "Tエディタ設定", gui::kTEditor, kEditor);
  gui::Gui(t).view->EditorSettingsPanel(node);
}

void TEditorSetteiWoHozon(TTamaBase& t, int) {
  std::string file = t.PopArgValue();
  std::string name = NameArg(t);
  TObjNode& node = KindArg(t, name, "Tエディタ設定を保存", gui::kTEditor, kEditor);
  if (AskSecurity(t, file, "エディタの設定を、\"" + file + "\"に書きこみます。")) return;
  if (support::WriteIniFile(support::NativePath(file), node.name, gui::EditorSettings(node)) !=
      support::TIniWrite::kDone)
    t.Raise("\"" + file + "\"へ書き込めません。");
}

void TEditorSetteiWoYomikomi(TTamaBase& t, int) {
  std::string file = t.PopArgValue();
  std::string name = NameArg(t);
  TObjNode& node = KindArg(t, name, "Tエディタ設定を読込", gui::kTEditor, kEditor);
  support::TIniText ini;
  if (support::LoadIniFile(support::NativePath(ResolveFileName(t, file)), ini) != support::TIniLoad::kRead) return;
  for (const auto& [key, old] : gui::EditorSettings(node)) {
    std::string value;
    if (ini.Read(node.name, key, value)) gui::ApplyEditorSetting(node, key, value);
  }
  gui::Changed(t, node);
}

// ---- any object ----

void ObjectMaruku(TTamaBase& t, int) {
  std::string name = NameArg(t);
  std::string radius = t.PopArgValue();
  TObjNode& node = ObjectArg(t, name);
  node.cornerRadius = ReadInteger(support::TrimControl(radius), 0);
  gui::Changed(t, node);
}

void Copy(TTamaBase& t, int) { t.host.SetClipboardText(t.PopArgValue()); }

}  // namespace

static const TCommandDef kDefs[] = {
    {"メニュー作成", "?を", kCmdMenuSakusei, MenuSakusei},
    {"メニュー追加", "?に,?を", kCmdMenuTsuika, MenuTsuika},
    {"Tエディタ設定", "?の", kCmdTEditorSettei, TEditorSettei},
    {"Tエディタ設定を保存", "?を,?へ", kCmdTEditorSetteiWoHozon, TEditorSetteiWoHozon},
    {"Tエディタ設定を読込", "?を,?から", kCmdTEditorSetteiWoYomikomi, TEditorSetteiWoYomikomi},
    {"コピー", "?を", kCmdCopy, Copy},
    {"タブ追加", "?に,?の", kCmdTabTsuika, TabTsuika},
    {"ブラウザ進む", "?の", kCmdBrowserSusumu, BrowserStep},
    {"ブラウザ戻る", "?の", kCmdBrowserModoru, BrowserStep},
    {"タブ有効変更", "?を,?に", kCmdTabYuukouHenkou, TabYuukouHenkou},
    {"オブジェクト丸く", "?で,?の", kCmdObjectMaruku, ObjectMaruku},
    {"ツリーアイテム追加", "?に,?の", kCmdTreeItemTsuika, TreeItemTsuika},
    {"ツリーアイテム削除", "?の,?を", kCmdTreeItemSakujo, TreeItemSakujo},
    {"ツリー展開", "?の,?を", kCmdTreeTenkai, TreeTenkai},
    {"ツリー折りたたむ", "?の,?を", kCmdTreeOritatamu, TreeTenkai},
    {"メニューパス作成", "?を", kCmdMenuPathSakusei, MenuPathSakusei},
    {"タブ位置変更", "?で,?に", kCmdTabIchiHenkou, TabIchiHenkou},
    {"グリッド一行選択変更", "?で,?に", kCmdGridIchigyouSentakuHenkou, GridIchigyouSentakuHenkou},
    {"リッチエディタ選択属性変更", "?の", kCmdRichEditorSentakuZokuseiHenkou, RichEditorSentakuZokuseiHenkou},
    {"リッチエディタ保存", "?を,?へ", kCmdRichEditorHozon, RichEditorHozon},
};

static const TCommandFamily kFamily = {"widgets", kDefs, std::size(kDefs)};

const TCommandFamily& WidgetsFamily() { return kFamily; }

}  // namespace tama
