// The commands on the word table itself: renaming a word, retyping it as a
// number, a text or a dictionary, copying one word onto another, putting それ
// into a word, listing the program's variables, and the hidden greeting.
#include "commands/wordtable.h"

#include <cmath>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "commands/control.h"
#include "engine/tama.h"
#include "frontend/normalize.h"
#include "frontend/scanner.h"
#include "sjis/sjis.h"

namespace tama {

namespace {

// A word looked up by its exact name; when absent, a new variable of the
// current level with the given value is registered. A protected word cannot
// change its type.
THashNodeRef RetypedWord(TTamaBase& t, const std::string& name, const char* initial) {
  THashNodeRef node = t.words.FindRef(name, false);
  if (node) {
    if (node->Protected) t.Raise("オブジェクト\"" + name + "\"は、既に存在するので、作成できません。");
    return node;
  }
  node = std::make_shared<THashNode>(name, false, t.frames.FrameCount(), initial);
  t.AddWord(node);
  return node;
}

// The tokens of a renaming: split at blanks and commas, a double-byte
// character never split; the first empty token ends the list.
std::vector<std::string> RenameTokens(std::string_view form) {
  std::vector<std::string> tokens;
  size_t i = 0;
  while (true) {
    size_t start = i;
    while (i < form.size() && form[i] != ' ' && form[i] != '\t' && form[i] != ',') i += sjis::CharLen(form, i);
    if (i == start) break;
    tokens.emplace_back(form.substr(start, i - start));
    if (i >= form.size()) break;
    ++i;  // the separator
  }
  return tokens;
}

// 名義変更: "?を,?に" — the word of the "を" argument gets the name and the
// pattern written in the "に" argument ("?の ?を ?に 文字置換").
void MeigiHenkou(TTamaBase& t, int) {
  std::string form = t.PopArgText();
  if (form.size() >= 2 && form.front() == '`' && form.back() == '`') form = form.substr(1, form.size() - 2);
  if (!form.empty() && form.back() == ';') form.pop_back();
  THashNodeRef node = t.PopWordArgRef(false);
  std::vector<std::string> tokens = RenameTokens(frontend::FoldText(form));
  size_t slots = 0;
  for (char c : node->Pattern())
    if (c == '?') ++slots;
  if (tokens.size() != slots + 1) t.Raise("\"" + node->Name + "\"命令の引数に誤りがあります。");
  const std::string& newName = tokens.back();
  std::string pattern;
  for (size_t i = 0; i + 1 < tokens.size(); ++i) {
    if (i) pattern += ',';
    pattern += tokens[i];
  }
  // a reserved word under the new name stays as it is, and so does the renamed word
  if (THashNode* other = t.words.Find(newName, false); other && other != node.get() && other->Protected)
    throw TWordError("\"" + newName + "\"は予約語なので、登録できません。");
  // the word leaves the table and comes back under its new name; the quick
  // references that hold it keep it
  t.words.Remove(std::string(node->Name), false);
  node->Name = newName;
  node->SetPattern(std::move(pattern));
  t.AddWord(node);
  t.BindQuickRefs();
}

// 数値として扱う: "?を".
void SuuchiToshiteAtsukau(TTamaBase& t, int) {
  THashNodeRef node = RetypedWord(t, t.PopArgText(), "0");
  node->Kind = wkVariable;
  node->Dict.reset();
  node->Tag = kTagNumber;
  if (node->Value().empty()) node->SetValue("0");
}

// 文字列として扱う: "?を"; a dictionary becomes its key=value text.
void MojiretsuToshiteAtsukau(TTamaBase& t, int) {
  THashNodeRef node = RetypedWord(t, t.PopArgText(), "");
  if (node->Kind == wkHash) {
    node->SetValue(node->Dict ? node->Dict->DumpText() : std::string());
    node->Dict.reset();
  }
  node->Tag = kTagString;
  node->Kind = wkVariable;
}

// 辞書として扱う: "?を"; a variable's key=value lines become its dictionary.
void JishoToshiteAtsukau(TTamaBase& t, int) {
  THashNodeRef node = RetypedWord(t, t.PopArgText(), "");
  if (node->Kind == wkVariable) {
    auto dict = std::make_unique<THash>();
    dict->LoadFromText(node->Value());
    node->Dict = std::move(dict);
  } else if (node->Kind == wkHash) {
    if (!node->Dict) node->Dict = std::make_unique<THash>();
    node->SetValue("");
  } else {
    t.Raise("\"" + node->Name + "\"は、文法が正しくないため、実行できません。変更できません！");
  }
  node->Tag = kTagHash;
  node->Kind = wkHash;
}

// 単語コピー: "?から,?へ" — every field but the name; a dictionary is copied whole.
void TangoCopy(TTamaBase& t, int) {
  const std::string to = t.PopArgText();
  const std::string from = t.PopArgText();
  THashNodeRef src = t.words.FindRef(from, false);
  if (!src) t.Raise("オブジェクト\"" + from + "\"は、作成されていません。");
  THashNodeRef dst = t.words.FindRef(to, false);
  if (!dst) {
    dst = std::make_shared<THashNode>(to, false, t.frames.FrameCount(), "");
    t.AddWord(dst);
  }
  if (dst != src) dst->CopyFrom(*src);
}

// 入れる: "?に" — the word receives the value and the tag of それ.
void Ireru(TTamaBase& t, int) {
  THashNode& word = t.PopWordArg(true);
  THashNode& sore = t.Sore();
  if (&word == &sore) return;
  word.SetValue(sore.Value());
  word.Tag = sore.Tag;
}

// 変数名列挙: "?以上の" — the names of the changeable variables and
// dictionaries whose level is at least the argument (0 when it is omitted).
void HensuumeiRekkyo(TTamaBase& t, int) {
  const bool omitted = t.omitted;
  long double level = 0;
  if (omitted)
    t.PopArgText();
  else
    level = std::trunc(t.PopArgNumber());
  std::string out;
  t.words.ForEach([&](const THashNode& n) {
    if ((n.Kind == wkVariable || n.Kind == wkHash) && !n.Protected && static_cast<long double>(n.Id) >= level) {
      out += n.Name;
      out += "\r\n";
    }
  });
  t.SetResultTagged(std::move(out), kTagString);
}

// バレンタインデー: runs the greeting program through たまかずする.
void Valentine(TTamaBase& t, int) {
  TCommandHandler run = static_cast<size_t>(kCmdTamakazusuru) < t.handlers.size() ? t.handlers[kCmdTamakazusuru] : nullptr;
  if (!run) t.Raise("\"たまかずする\":たまかず命令のリンク切れ。作者へ報告を！");
  t.args.Push(frontend::QuoteValue(kValentineProgram));
  run(t, kCmdTamakazusuru);
}

}  // namespace

static const TCommandDef kDefs[] = {
    {"名義変更", "?を,?に", kCmdMeigiHenkou, MeigiHenkou},
    {"数値として扱う", "?を", kCmdSuuchiToshiteAtsukau, SuuchiToshiteAtsukau},
    {"文字列として扱う", "?を", kCmdMojiretsuToshiteAtsukau, MojiretsuToshiteAtsukau},
    {"辞書として扱う", "?を", kCmdJishoToshiteAtsukau, JishoToshiteAtsukau},
    {"単語コピー", "?から,?へ", kCmdTangoCopy, TangoCopy},
    {"変数名列挙", "?以上の", kCmdHensuumeiRekkyo, HensuumeiRekkyo},
    {"入れる", "?に", kCmdIreru, Ireru},
    {"バレンタインデー", "", kCmdValentine, Valentine},
};

static const TCommandFamily kFamily = {"wordtable", kDefs, std::size(kDefs)};

const TCommandFamily& WordTableFamily() { return kFamily; }

const char kValentineProgram[] =
    "\r\n"
    "ペン色は、RGB(255,0,0)\r\n"
    "塗り色は、RGB(255,128,128)\r\n"
    "ペン太さは、5\r\n"
    "あイメージを、作る。\r\n"
    "その、サイズは、(0,0,100,50)\r\n"
    "その、可視は、オフ。\r\n"
    "あイメージの、(2,2)から、(98,98)へ、円形描画\r\n"
    "あイメージを、母艦の、(0,0)に、イメージコピー\r\n"
    "あイメージを、母艦の、(100,0)に、イメージコピー\r\n"
    "いイメージを、作る。\r\n"
    "その、可視は、オフ。\r\n"
    "その、サイズは、(0,0,100,300)\r\n"
    "いイメージの、(2,2)から、(298,298)へ、円形描画\r\n"
    "いイメージの、(0,150,100,300)を、母艦の、(0,50)に、イメージ部分コピー\r\n"
    "いイメージを、水平反転。\r\n"
    "いイメージの、(0,150,100,300)を、母艦の、(100,50)に、イメージ部分コピー\r\n"
    "文字色は、白色。\r\n"
    "文字サイズは、14\r\n"
    "母艦の、(15,60)へ、「St. Valentine's Day」と、文字描画。";

}  // namespace tama
