// The value readers: one operand (ReadTerm), a whole argument text
// (EvaluateText), string literals, items of dictionaries and lists, and calls
// written with parentheses.
#include "frontend/normalize.h"
#include "frontend/scanner.h"
#include "engine/runstop.h"
#include "engine/tama.h"
#include "engine/ztext.h"
#include "support/lines.h"
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
    curTag = kTagString;
    return v;
  }
  if (c == '$' || sjis::IsDigit(c)) {
    std::string v = frontend::ReadNumber(p);
    curTag = kTagNumber;
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
    if (THashNodeRef base = words.FindRef(w.substr(0, w.size() - kw::kNo.size()), false))
      return ItemAccess(std::move(base), p);
  }
  const THashNodeRef* slot = words.FindSlot(w, false);
  if (!slot) {
    curTag = kTagString;
    return std::string(w);
  }
  THashNodeRef node = *slot;
  switch (node->Kind) {
    case wkCommand:
    case wkDllFunction: {
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
      if (*p == '#') return ElementAccess(node, p);
      curTag = node->Tag;
      return node->Value();
    }
    case wkObject: {
      if (!readObjectValue) {
        curTag = kTagString;
        return node->Value();
      }
      THashNodeRef keep = node;  // the read may run program code
      TValue v = readObjectValue(*this, *keep);
      curTag = std::move(v.tag);
      return std::move(v.text);
    }
    case wkHash:
      curTag = kTagString;
      return node->Dict ? node->Dict->DumpText() : std::string();
  }
  return {};
}

std::string TValue::ItemForm() && { return IsNumber() ? std::move(text) : QuoteValue(text); }

TValue TTamaBase::ReadTermValue(const char*& p) {
  TValue v;
  v.text = ReadTerm(p);
  v.tag = curTag;
  return v;
}

TValue TTamaBase::EvaluateValue(std::string_view text) {
  TValue v;
  v.text = EvaluateText(text);
  v.tag = curTag;
  return v;
}

TValue TTamaBase::EvaluateExpressionValue(std::string_view text) {
  TValue v;
  v.text = EvaluateExpression(text);
  v.tag = curTag;
  return v;
}

bool TTamaBase::ResolveValue(std::string_view text, TValue& value) {
  if (!ResolveValue(text, value.text)) return false;
  value.tag = curTag;
  return true;
}

std::string TTamaBase::EvaluateText(std::string_view text) {
  if (text.empty()) return {};
  TZText z(text);
  const char* p = z.begin();
  SkipBlanks(p);
  TValue value = ReadTermValue(p);
  while (*p) {
    SkipBlanks(p);
    if (*p == '&' && p[1] != '&') {
      ++p;
      SkipBlanks(p);
      if (*p == '\r' || *p == '\n') {
        LineBreakStep(p, false);
        SkipBlanks(p);
      }
      value.text += ReadTerm(p);
      value.tag = kTagString;
      continue;
    }
    if (sjis::IsOperator(*p)) {
      // the rest is an expression; a value that is not a number goes in as a
      // back-quoted string so that it is never read as program text
      std::string expr = std::move(value).ItemForm();
      expr.append(p, z.end());
      return EvaluateBracketed(expr);
    }
    break;
  }
  curTag = std::move(value.tag);
  return std::move(value.text);
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
// A level of calls written with parentheses inside one another's argument
// lists (labels count in the nested runs as well).
class TCallDepth {
 public:
  explicit TCallDepth(TTamaBase& t) : t_(t) {
    if (!t.budget.Enter(TStackBudget::kCall)) t.Raise("スタックが一杯になりました。ラベルなどに再帰呼び出しがないか確認！");
  }
  ~TCallDepth() { t_.budget.Leave(TStackBudget::kCall); }
  TCallDepth(const TCallDepth&) = delete;
  TCallDepth& operator=(const TCallDepth&) = delete;

 private:
  TTamaBase& t_;
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
      if (word->Kind == wkCommand || word->Kind == wkDllFunction) {
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
        // the argument list ran program code that made the word something
        // that cannot be called
        Raise("未定義のラベル\"" + word->Name + "\"に、ジャンプしようとしました。");
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
  if (push) args.Push(tag == kTagNumber ? result : QuoteValue(result));
  curTag = tag;
  return result;
}

namespace {

// Reads the argument list of a call written with parentheses and pushes one
// item per argument. The list is read word by word; the byte after a word
// tells what the argument is:
//   the end, a line break, a comma, or blanks and then another argument:
//     the word as written (the callee evaluates it);
//   a literal: the literal as written;
//   "#": an element of the word's table, evaluated;
//   "(": a call of the word, the word with its parenthesised text, or (with
//     no word before it) a parenthesised value;
//   an operator: an expression up to the next comma or line break, or a chain
//     joined with "&", evaluated.
// A literal, an element or a parenthesised part that an operator follows is
// that operator's left operand: the argument goes on. Whatever is evaluated
// goes on as a value, never as program text again.
class TArgumentListReader {
 public:
  TArgumentListReader(TTamaBase& t, std::string_view inner) : t_(t), text_(inner), p_(text_.begin()) {}

  void Run() {
    while (*p_) {
      std::string word(ReadWord(p_));
      char c = Peek();
      if (c == ' ' || c == '\t') {
        // blanks after a word: an operator may follow ("A + 1"), or the next argument
        SkipSpaces(p_);
        c = Peek();
        if (c != 0 && c != ',' && c != '\r' && c != '\n' && !sjis::IsOperator(c)) {
          PushWord(std::move(word));
          continue;
        }
      }
      switch (c) {
        case 0:
          PushWord(std::move(word));
          return;
        case '\r':
        case '\n':
          PushWord(std::move(word));
          t_.LineBreakStep(p_, false);
          continue;
        case '"':
        case '`':
          PushWord(std::move(word));
          t_.args.Push(t_.ReadLiteralChecked(p_));
          EndPart();
          continue;
        case '#':
          ReadElement(std::move(word));
          continue;
        case '(':
          ReadParenthesised(std::move(word));
          continue;
        case ',':
          t_.args.Push(std::move(word));  // an empty argument as well
          ++p_;
          open_ = false;
          continue;
        default:
          break;
      }
      if (!sjis::IsOperator(*p_)) {
        // a byte that starts no argument (":" or "?" for one)
        PushWord(std::move(word));
        ++p_;
        continue;
      }
      ReadOperation(std::move(word));
    }
  }

 private:
  // The byte at the cursor, the Shift-JIS comma read as a comma.
  char Peek() const { return *p_ == '\xA4' ? ',' : *p_; }

  void PushWord(std::string word) {
    if (!word.empty()) t_.args.Push(std::move(word));
    open_ = false;
  }

  void PushValue(TValue v) { t_.args.Push(std::move(v).ItemForm()); }

  // After a literal, an element or a parenthesised part: the argument goes on
  // when an operator follows, unless a comma came first.
  void EndPart() {
    const char* s = p_;
    SkipBlanks(p_);
    open_ = true;
    for (const char* q = s; q < p_; ++q)
      if (*q == ',' || *q == '\xA4') open_ = false;
  }

  // word#i or word#i#j; each index is a word or a parenthesised text, passed
  // over here as written and read once, when the element is evaluated
  void ReadElement(std::string word) {
    std::string text = std::move(word);
    const char* s = p_;
    auto skipIndex = [&] {
      ++p_;
      if (*p_ == '(')
        t_.ReadParenthesisedChecked(p_);
      else
        ReadWord(p_);
    };
    skipIndex();
    SkipSpaces(p_);
    if (*p_ == '#') skipIndex();
    text.append(s, p_);
    PushValue(t_.EvaluateValue(text));
    EndPart();
  }

  void ReadParenthesised(std::string word) {
    const char* s = p_;
    if (word.empty()) {
      t_.ReadParenthesisedChecked(p_);
      TValue v = t_.EvaluateValue(std::string_view(s, p_ - s));
      if (*p_ && !sjis::IsDelimiter(*p_)) v.text += ReadWord(p_);
      PushValue(std::move(v));
    } else if (const THashNodeRef* slot = t_.words.FindSlot(word, true); slot && IsCallable(slot->get())) {
      THashNodeRef callee = *slot;
      t_.CallWithParens(*callee, p_, true);
    } else {
      t_.ReadParenthesisedChecked(p_);
      t_.args.Push(word + std::string(s, p_));
    }
    EndPart();
  }

  // An operator at the cursor: its left operand is the word, or else the part
  // pushed just before when the argument goes on.
  void ReadOperation(std::string left) {
    if (left.empty() && open_ && !t_.args.Empty()) {
      left = t_.args.Pop();
      // a literal as the left operand: its value, not its quotes
      if (!left.empty() && (left.front() == '`' || left.front() == '"')) left = QuoteValue(t_.EvaluateText(left));
    }
    open_ = false;
    if (*p_ == '&' && p_[1] != '&')
      ReadJoined(std::move(left));
    else
      ReadExpression(std::move(left));
  }

  // left op ... up to the next comma or line break (literals and parenthesised
  // parts whole), evaluated as one expression.
  void ReadExpression(std::string left) {
    const char* s = p_;
    while (*p_ && *p_ != ',' && *p_ != '\xA4' && *p_ != '\r' && *p_ != '\n') {
      if (*p_ == '"' || *p_ == '`') {
        t_.ReadLiteralChecked(p_);
      } else if (*p_ == '(') {
        t_.ReadParenthesisedChecked(p_);
      } else {
        p_ += sjis::CharLenZ(p_);
      }
    }
    std::string expr = std::move(left);
    expr.append(s, p_);
    PushValue(t_.EvaluateExpressionValue(expr));
    if (*p_ == ',' || *p_ == '\xA4') ++p_;
  }

  // left & term & term ...: the left operand's value (a word naming a value
  // stands for it) joined with the value of every term; a line-final "&"
  // joins the next line.
  void ReadJoined(std::string left) {
    std::string value;
    if (left.size() >= 2 && left.front() == '`' && left.back() == '`') {
      value = frontend::UnquoteValue(left);
    } else if (!t_.ResolveValue(left, value)) {
      value = std::move(left);
    }
    while (*p_ == '&' && p_[1] != '&') {
      ++p_;
      SkipSpaces(p_);
      if (*p_ == '\r' || *p_ == '\n') {
        t_.LineBreakStep(p_, false);
        SkipSpaces(p_);
      }
      value += t_.ReadTerm(p_);
      SkipSpaces(p_);
    }
    t_.args.Push(QuoteValue(value));
    EndPart();
  }

  TTamaBase& t_;
  TZText text_;
  const char* p_;
  // true while the argument pushed last may still go on: a literal, an
  // element or a parenthesised part that an operator follows continues it; a
  // comma or a line break ends it
  bool open_ = false;
};

}  // namespace

void TTamaBase::ParseArgumentList(std::string_view inner) { TArgumentListReader(*this, inner).Run(); }

std::string TTamaBase::ItemAccess(THashNodeRef base, const char*& p) {
  // the key: the next word (after the blank that follows の), or the text
  // inside the parentheses
  SkipBlanks(p);
  std::string key;
  if (*p == '(') {
    key = ReadParenthesisedChecked(p);
  } else {
    key = ReadWord(p);
  }
  // Evaluating the key may run program code (a label used as the key) that
  // changes the very word being read; the word is then looked at again, as it
  // is now, with the key already evaluated (it never runs twice).
  bool keyEvaluated = false;
  for (int hops = 0; hops < 64; ++hops) {
    switch (base->Kind) {
      case wkVariable: {
        THashNodeRef other = words.FindRef(base->Value(), false);
        if (other && other->Kind != wkVariable) {
          base = std::move(other);
          continue;
        }
        std::string k = key;
        if (!keyEvaluated)
          if (const THashNode* kw = words.Find(key, false)) k = kw->Value();
        std::string result;
        support::ForEachLine(base->Value(), [&](std::string_view line) {
          size_t eq = line.find('=');
          if (eq == std::string_view::npos || !SameKey(TrimControl(line.substr(0, eq)), k)) return true;
          result = line.substr(eq + 1);
          return false;
        });
        curTag = kTagString;
        return result;
      }
      case wkHash: {
        if (!base->Dict)
          Raise("作成されていないハッシュ\"" + base->Name + "\"が、見つかりました。メモリが足りないか、バグの可能性があります。");
        THashNodeRef item = base->Dict->FindRef(key, false);
        if (!item && !keyEvaluated) {
          key = EvaluateText(key);
          keyEvaluated = true;
          continue;
        }
        if (!item) {
          curTag = kTagString;
          return {};
        }
        curTag = item->Tag.empty() ? std::string() : std::string(1, item->Tag.back());
        return item->Value();
      }
      case wkObject: {
        if (!readObjectProperty) {
          curTag = kTagString;
          return base->Value();
        }
        TValue v = readObjectProperty(*this, *base, key);
        if (!v.tag.empty()) curTag = std::move(v.tag);
        return std::move(v.text);
      }
      default:
        Raise("オブジェクト\"" + base->Name + "\"から、直接値を得ることは出来ません。");
    }
  }
  curTag = kTagString;
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

std::string TTamaBase::ElementAccess(THashNodeRef var, const char*& p) {
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
  // the indexes may have run program code: the element is read from the value
  // the variable has now, and a word that is no variable any more has none
  if (var->Kind != wkVariable) {
    curTag = kTagString;
    return {};
  }
  const TCsvDb& table = TableOf(*var);
  std::string result;
  if (!two) {
    if (const auto* row = table.Row(first)) result = row->size() == 1 ? (*row)[0] : table.RowText(first);
  } else if (first >= 0 && second >= 0) {
    result = table.GetCell(first, second);
  }
  curTag = var->Tag;
  return result;
}

}  // namespace tama
