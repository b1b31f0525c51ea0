// The value readers: one operand (ReadTerm), a whole argument text
// (EvaluateText), string literals, items of dictionaries and lists, and calls
// written with parentheses.
#include "frontend/normalize.h"
#include "frontend/scanner.h"
#include "engine/runstop.h"
#include "engine/tama.h"
#include "engine/ztext.h"
#include "support/number.h"

namespace tama {

using frontend::QuoteValue;
using frontend::ReadWord;
using frontend::SkipBlanks;
using frontend::SkipSpaces;

namespace {

bool IsCallable(const THashNode* n) {
  return n && (n->Kind == wkCommand || n->Kind == wkLabel || n->Kind == wkDllFunction);
}

// Two-byte characters the literal reader treats like their ASCII forms.
inline bool Is2(const char* p, std::string_view ch) { return p[0] == ch[0] && p[1] != 0 && p[1] == ch[1]; }

// Saves the value and tag of それ and puts them back afterwards.
class TSoreGuard {
 public:
  explicit TSoreGuard(TTamaBase& t) : t_(t), value_(t.Sore().Value()), tag_(t.Sore().Tag) {}
  ~TSoreGuard() {
    THashNode& s = t_.Sore();
    s.SetValue(std::move(value_));
    s.Tag = std::move(tag_);
  }
  TSoreGuard(const TSoreGuard&) = delete;
  TSoreGuard& operator=(const TSoreGuard&) = delete;

 private:
  TTamaBase& t_;
  std::string value_, tag_;
};

// Case-insensitive comparison of ASCII letters (the key of key=value lists).
bool SameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return false;
    if (sjis::IsLead(static_cast<char>(a[i])) && i + 1 < a.size()) {
      ++i;
      if (a[i] != b[i]) return false;
    }
  }
  return true;
}

}  // namespace

std::string TTamaBase::ReadLiteralChecked(const char*& p, const char* limit) {
  try {
    return std::string(frontend::ReadLiteral(p, limit));
  } catch (const frontend::TScanError& e) {
    Raise(e.what());
  }
}

std::string TTamaBase::ReadParenthesisedChecked(const char*& p) {
  try {
    return std::string(frontend::ReadParenthesised(p));
  } catch (const frontend::TScanError& e) {
    Raise(e.what());
  }
}

std::string TTamaBase::ReadTerm(const char*& p, const char* limit) {
  SkipBlanks(p);
  const char c = *p;
  if (c == '"' || c == '`') {
    std::string lit = ReadLiteralChecked(p, limit);
    std::string v = ExpandLiteral(lit);
    curTag = "s";
    return v;
  }
  if (c == '$' || sjis::IsDigit(c)) {
    std::string v = frontend::ReadNumber(p);
    curTag = "e";
    return v;
  }
  if (c == '(') {
    std::string inner = ReadParenthesisedChecked(p);
    return EvaluateExpression(inner);
  }
  if (c == '-') {
    // textual negation: every minus sign goes in front of the operand's value
    size_t minus = 0;
    while (*p == '-') {
      ++p;
      ++minus;
      if (limit) --limit;
      SkipBlanks(p);
    }
    std::string v = ReadTerm(p, limit);
    v.insert(0, minus, '-');
    return v;
  }
  std::string_view w = ReadWord(p);
  if (*p == '(') {
    const THashNodeRef* slot = words.FindSlot(w, true);
    if (slot && IsCallable(slot->get())) {
      THashNodeRef word = *slot;
      return CallWithParens(*word, p, false);
    }
  }
  if (frontend::EndsWithChar(w, kw::kNo)) {
    THashNode* base = words.Find(w.substr(0, w.size() - kw::kNo.size()), false);
    if (base) return ItemAccess(base, p);
  }
  const THashNodeRef* slot = words.FindSlot(w, false);
  if (!slot) {
    curTag = "s";
    return std::string(w);
  }
  THashNodeRef node = *slot;
  switch (node->Kind) {
    case wkCommand: {
      TSoreGuard keep(*this);
      {
        TStack pending;
        pending.Swap(args);  // a command used as a value takes no items of the sentence around it
        try {
          const TPos before = Here();
          CallCommand(*node);
          LeaveIfMoved(*this, before);
        } catch (...) {
          pending.Swap(args);
          throw;
        }
        pending.Swap(args);
      }
      curTag = Sore().Tag;
      return Sore().Value();
    }
    case wkLabel: {
      TSoreGuard keep(*this);
      Sore().SetValue("");
      RunNestedLabel(*node);
      curTag = Sore().Tag;
      return Sore().Value();
    }
    case wkVariable: {
      if (*p == '#') return ElementAccess(*node, p);
      curTag = node->Tag;
      return node->Value();
    }
    case wkObject:
      curTag = "s";
      return node->Value();
    case wkDllFunction:
      Raise("\"" + node->Name + "\":たまかず命令のリンク切れ。作者へ報告を！");
    case wkHash:
      curTag = "s";
      return node->Dict ? node->Dict->DumpText() : std::string();
  }
  return {};
}

std::string TTamaBase::EvaluateText(std::string_view text) {
  if (text.empty()) return {};
  TZText z(text);
  const char* p = z.begin();
  SkipBlanks(p);
  std::string value = ReadTerm(p);
  while (*p) {
    SkipBlanks(p);
    if (*p == '&' && p[1] != '&') {
      ++p;
      SkipBlanks(p);
      if (*p == '\r' || *p == '\n') {
        LineBreakStep(p, false);
        SkipBlanks(p);
      }
      value += ReadTerm(p);
      curTag = "s";
      continue;
    }
    if (sjis::IsOperator(*p)) {
      // the rest is an expression; a value that is not a number goes in as a
      // back-quoted string so that it is never read as program text
      std::string expr = curTag == "e" ? std::move(value) : QuoteValue(value);
      expr.append(p, z.end());
      return EvaluateBracketed(expr);
    }
    break;
  }
  return value;
}

std::string TTamaBase::ExpandLiteral(std::string_view text) {
  TZText z(text);
  const char* p = z.begin();
  std::string out;
  SkipBlanks(p);
  while (*p) {
    if (*p == '"') {
      ++p;
      bool closed = false;
      while (*p) {
        if (*p == '\\' || Is2(p, "￥")) {
          p += (*p == '\\') ? 1 : 2;
          if (!*p) break;
          if (*p == 'n' || Is2(p, "ｎ")) {
            out += "\r\n";
          } else if (*p == 't' || Is2(p, "ｔ")) {
            out += '\t';
          } else {
            out.append(p, sjis::CharLenZ(p));
          }
          p += sjis::CharLenZ(p);
          continue;
        }
        if (*p == '{' || Is2(p, "｛")) {
          p += (*p == '{') ? 1 : 2;
          const char* s = p;
          while (*p && *p != '}' && !Is2(p, "｝")) p += sjis::CharLenZ(p);
          std::string inner = frontend::FoldText(std::string_view(s, p - s));
          if (*p) p += (*p == '}') ? 1 : 2;
          out += EvaluateText(inner);
          continue;
        }
        if (*p == '"') {
          ++p;
          closed = true;
          break;
        }
        out.append(p, sjis::CharLenZ(p));
        p += sjis::CharLenZ(p);
      }
      if (!closed) Raise("文字列\"" + out + "\"の最後に」がありません。");
      SkipBlanks(p);
      if (*p == '&') ++p;
    } else if (*p == '`') {
      ++p;
      while (*p) {
        if (*p == '`') {
          if (p[1] == '`') {
            out += '`';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        out.append(p, sjis::CharLenZ(p));
        p += sjis::CharLenZ(p);
      }
      SkipBlanks(p);
      if (*p == '&') ++p;
    } else if (*p == '&') {
      ++p;
    } else {
      const char* before = p;
      out += ReadTerm(p);
      if (p == before) ++p;
    }
    SkipBlanks(p);
  }
  return out;
}

bool TTamaBase::ResolveValue(std::string_view textIn, std::string& value) {
  std::string text(textIn);
  // a variable may name another word whose items are meant; variables that
  // name one another in a ring resolve to nothing
  for (int hops = 0; hops < 64; ++hops) {
    TZText z(text);
    const char* p = z.begin();
    std::string_view w = ReadWord(p);
    if (!frontend::EndsWithChar(w, kw::kNo)) {
      if (!words.Find(text, false)) return false;
      value = EvaluateText(text);
      return true;
    }
    THashNode* base = words.Find(w.substr(0, w.size() - kw::kNo.size()), false);
    if (!base) return false;
    switch (base->Kind) {
      case wkVariable: {
        if (!words.Find(base->Value(), false)) return false;
        std::string again = base->Value() + "の," + std::string(p, z.end());
        text.swap(again);
        continue;
      }
      case wkObject:
      case wkHash: {
        const char* q = z.begin();
        value = ReadTerm(q);
        return true;
      }
      default:
        return false;
    }
  }
  return false;
}

namespace {
// How deep calls written with parentheses may nest inside one another's
// argument lists before the C++ stack would be at risk (labels count in the
// nested runs as well).
constexpr int kMaxCallDepth = 200;
int callDepth = 0;

class TCallDepth {
 public:
  explicit TCallDepth(TTamaBase& t) {
    if (callDepth >= kMaxCallDepth) t.Raise("スタックが一杯になりました。ラベルなどに再帰呼び出しがないか確認！");
    ++callDepth;
  }
  ~TCallDepth() { --callDepth; }
  TCallDepth(const TCallDepth&) = delete;
  TCallDepth& operator=(const TCallDepth&) = delete;
};

// The arguments that the callee left: "..."命令の引数に誤りがあります。引数が多いです。
std::string SurplusMessage(const std::string& name, const TStack& items) {
  std::string msg = "\"" + name + "\"命令の引数に誤りがあります。引数が多いです。\"";
  for (const auto& it : items.Items()) {
    msg += it;
    msg += "\r\n";
  }
  msg += '"';
  return msg;
}
}  // namespace

std::string TTamaBase::CallWithParens(THashNode& wordIn, const char*& p, bool push) {
  THashNodeRef word = words.FindRef(wordIn.Name, false);
  if (!word) word = words.FindRef(wordIn.Name, true);
  if (!word || !IsCallable(word.get())) {
    args.Push(wordIn.Name);
    return {};
  }
  if (*p != '(') Raise("関数\"" + word->Name + "\"の呼び出しで、引数の()は、すぐ後ろに書いてください。");
  TCallDepth depth(*this);
  std::string inner = ReadParenthesisedChecked(p);
  // the call binds only its own arguments: the items of the sentence around
  // it wait aside, and what the callee leaves is an error of the call
  TStack outer;
  outer.Swap(args);
  auto restore = [&] {
    auto& mine = args.Items();
    auto& theirs = outer.Items();
    theirs.insert(theirs.end(), std::make_move_iterator(mine.begin()), std::make_move_iterator(mine.end()));
    args.Clear();
    args.Swap(outer);
  };
  std::string result, tag;
  try {
    if (!inner.empty()) ParseArgumentList(inner);
    TSoreGuard keep(*this);
    const bool savedPositional = positional;
    positional = true;
    try {
      if (word->Kind == wkCommand) {
        const TPos before = Here();
        CallCommand(*word);
        LeaveIfMoved(*this, before);
        positional = savedPositional;
        if (!args.Empty()) {
          std::string msg = SurplusMessage(word->Name, args);
          args.Clear();
          Raise(msg);
        }
      } else if (word->Kind == wkLabel) {
        std::string surplus;
        {
          TStack callItems;
          callItems.Swap(args);
          TNested nested(*this);
          args.Swap(callItems);
          frames.ClearLevel();
          positional = true;
          // binding errors show the line of the call
          CallLabel(*word);
          // the subroutine's return ends the nested run
          if (TRunControl* f = frames.Top()) f->resume = TPos{};
          // the label's own sentences bind as sentences do
          positional = false;
          if (args.Empty()) {
            RunProgram();
          } else {
            surplus = SurplusMessage(word->Name, args);
            args.Clear();
          }
        }
        // reported at the call, with the cursor back where the call stands
        if (!surplus.empty()) Raise(surplus);
        UnwindIfStopped(*this);
      } else {
        Raise("\"" + word->Name + "\":たまかず命令のリンク切れ。作者へ報告を！");
      }
    } catch (...) {
      positional = savedPositional;
      throw;
    }
    positional = savedPositional;
    result = Sore().Value();
    tag = Sore().Tag;
  } catch (...) {
    restore();
    throw;
  }
  restore();
  // a result pushed as an argument is a value, never program text again
  if (push) args.Push(tag == "e" ? result : QuoteValue(result));
  curTag = tag;
  return result;
}

void TTamaBase::ParseArgumentList(std::string_view innerText) {
  TZText z(innerText);
  const char* p = z.begin();
  // a value read as an argument goes on as a value, never as program text
  auto pushValue = [&](std::string v) { args.Push(curTag == "e" ? std::move(v) : QuoteValue(v)); };
  // True while the argument pushed last may still go on: a literal, an
  // element or a parenthesised part that an operator follows continues the
  // same argument; a comma or a line break ends it.
  bool open = false;
  auto afterPart = [&] {
    const char* s = p;
    SkipBlanks(p);
    open = true;
    for (const char* q = s; q < p; ++q)
      if (*q == ',' || *q == '\xA4') open = false;
  };
  while (*p) {
    std::string word(ReadWord(p));
    char c = *p;
    if (c == '\xA4') c = ',';
    if (c == ' ' || c == '\t') {
      // blanks after a word: an operator may follow ("A + 1"), or the next argument
      SkipSpaces(p);
      c = *p;
      if (c == '\xA4') c = ',';
      if (c != 0 && c != ',' && c != '\r' && c != '\n' && !sjis::IsOperator(c)) {
        if (!word.empty()) args.Push(std::move(word));
        open = false;
        continue;
      }
    }
    if (c == 0) {
      if (!word.empty()) args.Push(std::move(word));
      break;
    }
    if (c == '\r' || c == '\n') {
      if (!word.empty()) args.Push(std::move(word));
      LineBreakStep(p, false);
      open = false;
      continue;
    }
    if (c == '"' || c == '`') {
      if (!word.empty()) args.Push(std::move(word));
      args.Push(ReadLiteralChecked(p));
      afterPart();
      continue;
    }
    if (c == '#') {
      std::string text = word;
      const char* s = p;
      ++p;
      if (*p == '(')
        ReadParenthesisedChecked(p);
      else
        ReadWord(p);
      SkipSpaces(p);
      if (*p == '#') {
        ++p;
        if (*p == '(')
          ReadParenthesisedChecked(p);
        else
          ReadTerm(p);
      }
      text.append(s, p);
      pushValue(EvaluateText(text));
      afterPart();
      continue;
    }
    if (c == '(') {
      if (!word.empty()) {
        const THashNodeRef* slot = words.FindSlot(word, true);
        if (slot && IsCallable(slot->get())) {
          THashNodeRef w = *slot;
          CallWithParens(*w, p, true);
        } else {
          const char* s = p;
          ReadParenthesisedChecked(p);
          args.Push(word + std::string(s, p));
        }
      } else {
        const char* s = p;
        ReadParenthesisedChecked(p);
        std::string v = EvaluateText(std::string_view(s, p - s));
        if (*p && !sjis::IsDelimiter(*p)) v += ReadWord(p);
        pushValue(std::move(v));
      }
      afterPart();
      continue;
    }
    if (c == ',') {
      args.Push(std::move(word));
      ++p;
      open = false;
      continue;
    }
    if (!sjis::IsOperator(*p)) {
      // a byte that starts no argument (":" or "?" for one)
      if (!word.empty()) args.Push(std::move(word));
      ++p;
      open = false;
      continue;
    }
    // an operator: the word, or the part pushed just before, is its left operand
    if (word.empty() && open && !args.Empty()) {
      word = args.Pop();
      // a literal as the left operand: its value, not its quotes
      if (!word.empty() && (word.front() == '`' || word.front() == '"')) word = QuoteValue(EvaluateText(word));
    }
    open = false;
    if (!(*p == '&' && p[1] != '&')) {
      const char* s = p;
      while (*p && *p != ',' && *p != '\xA4' && *p != '\r' && *p != '\n') {
        if (*p == '"' || *p == '`') {
          ReadLiteralChecked(p);
        } else if (*p == '(') {
          ReadParenthesisedChecked(p);
        } else {
          p += sjis::CharLenZ(p);
        }
      }
      std::string expr = word;
      expr.append(s, p);
      pushValue(EvaluateExpression(expr));
      if (*p == ',' || *p == '\xA4') ++p;
      continue;
    }
    std::string value;
    if (word.size() >= 2 && word.front() == '`' && word.back() == '`') {
      value = frontend::UnquoteValue(word);
    } else if (!ResolveValue(word, value)) {
      value = word;
    }
    while (*p == '&' && p[1] != '&') {
      ++p;
      SkipSpaces(p);
      if (*p == '\r' || *p == '\n') {
        // a line-final "&" joins the next line
        LineBreakStep(p, false);
        SkipSpaces(p);
      }
      value += ReadTerm(p);
      SkipSpaces(p);
    }
    args.Push(QuoteValue(value));
    afterPart();
  }
}

std::string TTamaBase::ItemAccess(THashNode* base, const char*& p) {
  // the key: the next word (after the blank that follows の), or the text
  // inside the parentheses
  SkipBlanks(p);
  std::string key;
  if (*p == '(') {
    key = ReadParenthesisedChecked(p);
  } else {
    key = ReadWord(p);
  }
  for (int hops = 0; hops < 64; ++hops) {
    switch (base->Kind) {
      case wkVariable: {
        THashNode* other = words.Find(base->Value(), false);
        if (other && other->Kind != wkVariable) {
          base = other;
          continue;
        }
        std::string k = key;
        if (THashNode* kw = words.Find(key, false)) k = kw->Value();
        std::string_view v = base->Value();
        std::string result;
        size_t i = 0;
        while (i < v.size()) {
          size_t j = i;
          while (j < v.size() && v[j] != '\r' && v[j] != '\n') ++j;
          std::string_view line = v.substr(i, j - i);
          size_t eq = line.find('=');
          if (eq != std::string_view::npos && SameKey(TrimControl(line.substr(0, eq)), k)) {
            result = line.substr(eq + 1);
            break;
          }
          if (j < v.size() && v[j] == '\r' && j + 1 < v.size() && v[j + 1] == '\n') ++j;
          i = j + 1;
        }
        curTag = "s";
        return result;
      }
      case wkHash: {
        if (!base->Dict)
          Raise("作成されていないハッシュ\"" + base->Name + "\"が、見つかりました。メモリが足りないか、バグの可能性があります。");
        THashNode* item = base->Dict->Find(key, false);
        if (!item) item = base->Dict->Find(EvaluateText(key), false);
        if (!item) {
          curTag = "s";
          return {};
        }
        curTag = item->Tag.empty() ? std::string() : std::string(1, item->Tag.back());
        return item->Value();
      }
      case wkObject:
        curTag = "s";
        return base->Value();
      default:
        Raise("オブジェクト\"" + base->Name + "\"から、直接値を得ることは出来ません。");
    }
  }
  curTag = "s";
  return {};
}

}  // namespace tama

#include "support/csvdb.h"

namespace tama {

namespace {
// The value of a variable read as a table, kept with the variable until its
// value changes.
struct TTableCache : TCsvCacheBase {
  TCsvDb table;
};

const TCsvDb& TableOf(THashNode& var) {
  auto& cache = var.Cache();
  if (auto* c = dynamic_cast<TTableCache*>(cache.get())) return c->table;
  auto c = std::make_shared<TTableCache>();
  c->table.LoadFromText(var.Value());
  cache = c;
  return c->table;
}
}  // namespace

std::string TTamaBase::ElementAccess(THashNode& varIn, const char*& p) {
  THashNodeRef keep = words.FindRef(varIn.Name, false);
  THashNode& var = keep ? *keep : varIn;
  auto readIndex = [&]() -> int32_t {
    std::string text;
    if (*p == '(') {
      std::string inner = ReadParenthesisedChecked(p);
      text = EvaluateExpression(inner);
    } else {
      text = EvaluateText(ReadWord(p));
    }
    return ReadInteger(text, -1);
  };
  ++p;
  int32_t first = readIndex();
  SkipSpaces(p);
  bool two = false;
  int32_t second = -1;
  if (*p == '#') {
    ++p;
    second = readIndex();
    two = true;
  }
  const TCsvDb& table = TableOf(var);
  std::string result;
  if (!two) {
    if (const auto* row = table.Row(first)) result = row->size() == 1 ? (*row)[0] : table.RowText(first);
  } else if (first >= 0 && second >= 0) {
    result = table.GetCell(first, second);
  }
  curTag = var.Tag;
  return result;
}

}  // namespace tama
