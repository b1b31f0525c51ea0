// Assignment: A は V, A = V, array elements A#i and A#i#j, items of
// dictionaries, key=value lists and objects (Aの、Bは、V).
#include "engine/flow.h"
#include "engine/tama.h"
#include "engine/ztext.h"
#include "frontend/scanner.h"
#include "sjis/sjis.h"
#include "support/csvdb.h"
#include "support/lines.h"
#include "support/number.h"

namespace tama {

using frontend::EndsWithChar;
using frontend::QuoteValue;

namespace {

// Keys of key=value lists compare without regard to the case of ASCII letters.
bool SameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  size_t i = 0;
  while (i < a.size()) {
    if (sjis::IsLead(a[i]) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      i += 2;
      continue;
    }
    unsigned char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return false;
    ++i;
  }
  return true;
}

// The index texts of an element target "A#i" or "A#i#j" (parenthesised
// indexes kept whole), each without a trailing "は".
struct TElementTarget {
  std::string name;
  std::string first, second;
  bool two = false;
};

TElementTarget SplitElementTarget(TTamaBase& t, std::string_view target, size_t hash) {
  TElementTarget out;
  out.name.assign(target.substr(0, hash));
  TZText z(target.substr(hash + 1));
  const char* p = z.begin();
  auto readIndex = [&]() {
    const char* s = p;
    if (*p == '(') {
      t.ReadParenthesisedChecked(p);
    } else {
      frontend::ReadWord(p);
    }
    std::string text(s, p);
    if (EndsWithChar(text, kw::kHa)) text.resize(text.size() - kw::kHa.size());
    return text;
  };
  out.first = readIndex();
  frontend::SkipSpaces(p);
  if (*p == '#') {
    ++p;
    out.second = readIndex();
    out.two = true;
  }
  return out;
}

// True when reading the text as a value cannot run program code: every word
// in it is a variable, a dictionary or no word at all (no command, label or
// object, also under its folded name), and no string expands "{...}".
bool PureValueText(TTamaBase& t, const char* p) {
  static constexpr std::string_view kBrace = "｛";
  auto pureWord = [&](std::string_view w) {
    for (bool fold : {false, true}) {
      if (const THashNode* n = t.words.Find(w, fold); n && n->Kind != wkVariable && n->Kind != wkHash) return false;
    }
    return true;
  };
  while (*p) {
    const char c = *p;
    if (c == '"' || c == '`') {
      const char* s = p;
      try {
        frontend::ReadLiteral(p);
      } catch (const frontend::TScanError&) {
        return false;
      }
      if (p == s) return false;
      if (c == '"') {
        for (const char* q = s; q < p; q += sjis::CharLenZ(q))
          if (*q == '{' || (q[0] == kBrace[0] && q[1] == kBrace[1])) return false;
      }
      continue;
    }
    if (!sjis::IsLead(c) && (sjis::IsDelimiter(c) || c == '\n')) {
      ++p;
      continue;
    }
    std::string_view w = frontend::ReadWord(p);
    if (w.empty()) {
      ++p;
      continue;
    }
    if (!pureWord(w)) return false;
    if (EndsWithChar(w, kw::kNo) && !pureWord(w.substr(0, w.size() - kw::kNo.size()))) return false;
  }
  return true;
}

// "T は、T & a & b ...": when reading the terms cannot run program code (so
// that nothing but this assignment changes T), the terms are appended to the
// variable in place instead of copying its whole value on every pass; the
// result is the one the full evaluation gives. Returns false, having changed
// nothing, for any other form (an operator among the terms, for one).
bool AppendInPlace(TTamaBase& t, THashNode& node, std::string_view valueText) {
  if (node.Kind != wkVariable || node.Protected || valueText.empty()) return false;
  TZText z(valueText);
  const char* p = z.begin();
  frontend::SkipBlanks(p);
  if (frontend::ReadWord(p) != node.Name) return false;
  frontend::SkipBlanks(p);
  if (*p != '&' || p[1] == '&' || !PureValueText(t, p)) return false;
  std::string tail;
  while (*p) {
    frontend::SkipBlanks(p);
    if (*p == '&' && p[1] != '&') {
      ++p;
      frontend::SkipBlanks(p);
      if (*p == '\r' || *p == '\n') {
        t.LineBreakStep(p, false);
        frontend::SkipBlanks(p);
      }
      tail += t.ReadTerm(p);
      continue;
    }
    // the rest would be an expression over the whole value: evaluated the
    // usual way (reading the terms again changes nothing)
    if (sjis::IsOperator(*p)) return false;
    break;
  }
  node.MutableValue() += tail;
  node.Tag = kTagString;
  t.curTag = kTagString;
  return true;
}

}  // namespace

void TTamaBase::AssignVariable(std::string_view targetIn, const char*& p) {
  if (!args.Empty()) {
    AssignItem(targetIn, p);
    return;
  }
  std::string target(targetIn);
  // the value text is the rest of the sentence; it is passed over even when
  // the target is refused, so that it never runs as sentences of its own
  frontend::SkipBlanks(p);
  const char* s = p;
  p = SentenceEnd(*this, p);
  const std::string_view valueText(s, p - s);
  if (!target.empty() && (target[0] == '"' || target[0] == '`'))
    Raise("\"" + target + "の代入文\"は、文法が正しくないため、実行できません。『変数名は、「内容」』のように書いてください。");

  if (target.find('#') == std::string::npos) {
    if (THashNodeRef self = words.FindRef(target, false); self && AppendInPlace(*this, *self, valueText)) return;
  }
  TValue read = EvaluateValue(valueText);
  std::string value = std::move(read.text);
  const std::string tag = std::move(read.tag);

  // an array element: the whole table is written back
  if (size_t hash = target.find('#'); hash != std::string::npos && hash > 0) {
    TElementTarget el = SplitElementTarget(*this, target, hash);
    const int32_t i = el.first.empty() ? -1 : ReadInteger(EvaluateText(el.first), -1);
    int32_t j = -1;
    if (el.two) j = el.second.empty() ? -1 : ReadInteger(EvaluateText(el.second), -1);
    TCsvDb table;
    if (const THashNode* w = words.Find(el.name, false)) table.LoadFromText(w->Value());
    if (!el.two)
      table.SetRow(i, value);
    else if (i >= 0 && j >= 0)
      table.SetCell(i, j, value);
    value = table.SaveToText();
    target = std::move(el.name);
  }

  THashNodeRef node = words.FindRef(target, false);
  if (!node) {
    node = std::make_shared<THashNode>(target, false, frames.FrameCount(), "");
    AddWord(node);
  }
  switch (node->Kind) {
    case wkCommand: {
      if (node->Name != "作業フォルダ")
        Raise("\"" + node->Name + "\"は\"システム命令\"で予約語なので代入できません。");
      args.Push(QuoteValue(value));
      const bool saved = positional;
      positional = true;
      try {
        CallCommand(*node);
      } catch (...) {
        positional = saved;
        throw;
      }
      positional = saved;
      return;
    }
    case wkVariable:
      if (node->Protected) Raise("\"" + node->Name + "\"は、読取専用です。");
      if (tag == kTagHash) {
        TransferDictionary(*node, std::move(value), tag);
      } else {
        node->SetValue(std::move(value));
        node->Tag = tag;
      }
      return;
    case wkObject: {
      if (setObjectValue)
        setObjectValue(*this, *node, value);
      else
        node->SetValue(value);
      // "その" refers to the object just set
      THashNodeRef so = words.FindRef("そ", false);
      if (!so) {
        so = std::make_shared<THashNode>("そ", false, -1, "");
        so->CopyFrom(*node);
        AddWord(so);
      } else if (so != node) {
        so->CopyFrom(*node);
      }
      return;
    }
    case wkHash:
      TransferDictionary(*node, std::move(value), tag);
      return;
    case wkLabel:
    case wkDllFunction:
      Raise("\"" + node->Name + "\"は、文法が正しくないため、実行できません。代入出来ません。");
  }
}

void TTamaBase::TransferDictionary(THashNode& word, std::string value, const std::string& tag) {
  if (tag == kTagHash) {
    auto dict = std::make_unique<THash>();
    dict->LoadFromText(value);
    word.Dict = std::move(dict);
    word.Kind = wkHash;
    word.Tag = tag;
    return;
  }
  word.Dict.reset();
  word.Kind = wkVariable;
  word.SetValue(std::move(value));
  word.Tag = tag;
}

void TTamaBase::AssignItem(std::string_view targetIn, const char*& p) {
  const std::string target(targetIn);
  frontend::SkipBlanks(p);
  const char* s = p;
  p = SentenceEnd(*this, p);
  const std::string valueText(TrimControl(std::string_view(s, p - s)));

  const std::string prefix = args.Pop();
  if (!EndsWithChar(prefix, kw::kNo))
    Raise("オブジェクトへの不正な代入(" + prefix + "," + target + ")。『オブジェクトの、項目名は、値』の形式で指定してください。");
  const std::string a = prefix.substr(0, prefix.size() - kw::kNo.size());

  THashNodeRef base = words.FindRef(a, false);
  if (!base) {
    std::string name = EvaluateText(a);
    if (name.empty()) name = a;
    base = words.FindRef(name, false);
    if (!base) {
      base = std::make_shared<THashNode>(name, false, TPos{}, wkHash, frames.FrameCount(), kTagDictionaryWord, kTagDictionaryWord, "");
      base->Dict = std::make_unique<THash>();
      AddWord(base);
    }
  } else if (base->Kind == wkVariable) {
    // a variable may hold the name of a dictionary or an object
    if (THashNodeRef other = words.FindRef(EvaluateText(a), false)) base = std::move(other);
  }

  switch (base->Kind) {
    case wkObject:
      if (!setObjectProperty) Raise("\"" + a + "\"には代入できません！");
      setObjectProperty(*this, *base, target, valueText);
      return;
    case wkVariable:
      break;
    case wkHash:
      if (!base->Dict)
        Raise("作成されていないハッシュ\"" + base->Name + "\"が、見つかりました。メモリが足りないか、バグの可能性があります。");
      break;
    default:
      Raise("\"" + a + "\"には代入できません！");
  }
  const std::string key = EvaluateText(target);
  TValue read = EvaluateValue(valueText);
  std::string value = std::move(read.text);
  const std::string tag = std::move(read.tag);

  // Reading the key and the value may have run program code (a label used as
  // a value) that changed the base word: the item goes into the word as it is
  // now, and a word that no longer has items of this kind refuses it.
  switch (base->Kind) {
    case wkVariable: {
      std::string out;
      out.reserve(base->Value().size() + key.size() + value.size() + 3);
      bool found = false;
      support::ForEachLine(base->Value(), [&](std::string_view line) {
        if (!found) {
          size_t eq = line.find('=');
          if (eq != std::string_view::npos && SameKey(TrimControl(line.substr(0, eq)), key)) {
            found = true;
            if (value.empty()) return;  // an empty value removes the line
            out += key;
            out += '=';
            out += value;
            out += "\r\n";
            return;
          }
        }
        out += line;
        out += "\r\n";
      });
      if (!found && !value.empty()) {
        out += key;
        out += '=';
        out += value;
        out += "\r\n";
      }
      base->SetValue(std::move(out));
      return;
    }
    case wkHash: {
      if (!base->Dict)
        Raise("作成されていないハッシュ\"" + base->Name + "\"が、見つかりました。メモリが足りないか、バグの可能性があります。");
      if (THashNodeRef item = base->Dict->FindRef(key, false)) {
        item->Tag = tag;
        item->SetValue(std::move(value));
      } else {
        base->Dict->Add(
            std::make_shared<THashNode>(key, false, Here(), wkVariable, frames.FrameCount(), tag, std::move(value), ""));
      }
      return;
    }
    default:
      Raise("\"" + a + "\"には代入できません！");
  }
}

}  // namespace tama
