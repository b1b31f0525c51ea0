// The commands that create, destroy and reach GUI objects.
#include "commands/gui_objects.h"

#include <iterator>

#include "engine/tama.h"
#include "gui/objects.h"

namespace tama {

namespace {

// A name written as a literal is its value; any other is used as written.
std::string NameArg(TTamaBase& t) {
  std::string name = t.PopArgText();
  if (!name.empty() && (name.front() == '"' || name.front() == '`')) return t.EvaluateText(name);
  return name;
}

// 作成: kind word, name, position (omitted: the placement cursor).
void Sakusei(TTamaBase& t, int) {
  const bool omitted = t.omitted;
  std::string kind = t.PopArgValue();
  std::string name = t.PopArgText();
  std::string position = t.PopArgText();
  gui::CreateObject(t, position, omitted, name, kind);
}

void Tsukuru(TTamaBase& t, int) { gui::MakeFromName(t, t.PopArgValue()); }

// 設定: value (as written, so that an event gets its label's name), property
// (as written: a literal or a word is resolved only when the name is not a
// property itself), object.
void Settei(TTamaBase& t, int) {
  std::string value = t.PopArgText();
  std::string property = t.PopArgText();
  std::string object = t.PopArgText();
  gui::WritePropertyOf(t, object, property, value);
}

// 得る: the variable (made at the current level when missing), property, object.
void Eru(TTamaBase& t, int) {
  THashNodeRef var = t.PopWordArgRef(true);
  std::string property = t.PopArgText();
  std::string object = t.PopArgText();
  if (var->Protected) t.Raise("\"" + var->Name + "\"は、読取専用です。");
  TValue v = gui::ReadPropertyOf(t, object, property);
  if (var->Kind == wkObject && t.setObjectValue) {
    t.setObjectValue(t, *var, v.text);
    return;
  }
  var->Dict.reset();
  if (var->Kind != wkVariable) var->Kind = wkVariable;
  var->SetValue(std::move(v.text));
  var->Tag = v.tag.empty() ? t.curTag : v.tag;
}

void ObjectHakai(TTamaBase& t, int) { gui::DestroyByName(t, t.PopArgText()); }

void ObjectZenHakai(TTamaBase& t, int) { gui::DestroyAll(t); }

// 注目: the object by its name, else by the argument's value.
void Chuumoku(TTamaBase& t, int) {
  gui::TGuiState& g = gui::Gui(t);
  std::string name = NameArg(t);
  gui::TObjNode* node = g.FindByName(name);
  if (!node) {
    std::string value = t.EvaluateText(name);
    node = g.FindByName(value);
  }
  if (!node) t.Raise("オブジェクト\"" + name + "\"は、作成されていません。");
  if (!g.view->Focus(*node)) t.Raise("\"" + node->name + "\"には、注目できません。");
}

void Centering(TTamaBase& t, int id) { gui::Gui(t).centering = id == kCmdCentering; }

void SonoTangoNiTokutei(TTamaBase& t, int) {
  std::string name = t.PopArgValue();
  THashNodeRef word = t.words.FindRef(name, false);
  if (!word) t.Raise("オブジェクト\"" + name + "\"は、作成されていません。");
  gui::SetSono(t, *word);
}

// 乗せ換える / 乗せる: the container is popped first, then the object.
void Nosekaeru(TTamaBase& t, int) {
  const char* command = "乗せ換える";
  std::string containerName = NameArg(t);
  std::string objectName = NameArg(t);
  THashNode* containerWord = t.words.Find(containerName, false);
  THashNode* objectWord = t.words.Find(objectName, false);
  if (!containerWord || !objectWord) t.Raise("\"" + std::string(command) + "\"命令の引数に誤りがあります。");
  if (objectWord->Kind != wkObject) t.Raise("\"" + objectName + "\"は、オブジェクトではありません。");
  if (containerWord->Kind != wkObject) t.Raise("\"" + containerName + "\"は、オブジェクトではありません。");
  gui::TObjNode* node = gui::ObjectOfWord(t, *objectWord);
  if (!node) t.Raise("オブジェクト\"" + objectName + "\"は、作成されていません。");
  gui::TObjNode* container = gui::ObjectOfWord(t, *containerWord);
  if (!container) t.Raise("オブジェクト\"" + containerName + "\"は、作成されていません。");
  switch (container->kind) {
    case gui::kForm:
    case gui::kPanel:
    case gui::kScroll:
    case gui::kTabPage:
      break;
    default:
      t.Raise("\"" + containerName + "\"命令の引数に誤りがあります。パネルとフォームなど以外には乗せられません。");
  }
  gui::Reparent(t, *node, *container);
}

}  // namespace

static const TCommandDef kDefs[] = {
    {"作成", "?に,?を,?として", kCmdSakusei, Sakusei},
    {"設定", "?の,?を,?に", kCmdSettei, Settei},
    {"得る", "?の,?を,?に", kCmdEru, Eru},
    {"オブジェクト破壊", "?の", kCmdObjectHakai, ObjectHakai},
    {"注目", "?に", kCmdChuumoku, Chuumoku},
    {"オブジェクト全破壊", "", kCmdObjectZenHakai, ObjectZenHakai},
    {"センタリング", "", kCmdCentering, Centering},
    {"センタリング解除", "", kCmdCenteringKaijo, Centering},
    {"その単語に特定", "?を", kCmdSonoTangoNiTokutei, SonoTangoNiTokutei},
    {"乗せ換える", "?を,?の上へ", kCmdNosekaeru, Nosekaeru},
    {"乗せる", "?を,?へ", kCmdNosekaeru, Nosekaeru},
    {"作る", "?を", kCmdTsukuru, Tsukuru},
};

static const TCommandFamily kFamily = {"gui_objects", kDefs, std::size(kDefs)};

const TCommandFamily& GuiObjectsFamily() { return kFamily; }

}  // namespace tama
