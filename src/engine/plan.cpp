// Read plans of sentences, block shapes and conditions kept with their texts.
#include "engine/plan.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "engine/tama.h"
#include "engine/ztext.h"
#include "frontend/scanner.h"
#include "support/number.h"
#include "words/tags.h"

namespace tama::plan {

using frontend::SkipBlanks;

namespace {

// The operators of a plan in the order of their levels: multiplication,
// addition, comparison, logic (lowest).
enum TOp : uint8_t { opPush, opMul, opDiv, opMod, opPow, opAdd, opSub, opEq, opNe, opLt, opGt, opGe, opLe, opAnd, opOr };

int Level(TOp op) {
  if (op <= opPow) return 4;
  if (op <= opSub) return 3;
  if (op <= opLe) return 2;
  return 1;
}

struct TOperand {
  std::string name;  // a variable's name; empty for a number written in the text
  std::string text;  // the number as written
  long double number = 0;
  int64_t integer = 0;
  bool isInt = false;         // the number is whole and below 10^15 in magnitude
  bool canonical = false;     // and written as the formatting writes it ("7", not "007" or "7.0")
  THashNode* node = nullptr;  // the variable, found in the plan's generation
};

struct TStep {
  TOp op;
  uint16_t operand;
};

struct TPlan {
  uint64_t generation = 0;
  // An assignment's value: its first operand is spliced into the expression
  // text, so a number-tagged first operand must read the same as program text.
  bool spliceFirst = false;
  bool dead = false;  // the sentence reads otherwise now (a word of it was renamed)
  std::vector<TOperand> operands;
  std::vector<TStep> code;  // postfix
  std::string firstWord;    // an assignment: the word that starts the sentence
  std::string target;
  THashNode* targetNode = nullptr;
  uint32_t end = 0;  // the offset of the sentence end
};

// What is kept of one program text.
struct TSentenceCache final : TTextCache {
  ~TSentenceCache() override {
    std::free(marks);
    std::free(blockAt);
    std::free(conditionAt);
  }
  // By offset: 0 never run, 1 run once, 2 no plan, otherwise 3 + the plan's
  // index. Zeroed pages cost nothing until a position is run.
  uint32_t* marks = nullptr;
  // By offset: 1 + the index of the block or condition read there, 0 for none.
  uint32_t* blockAt = nullptr;
  uint32_t* conditionAt = nullptr;
  std::vector<TPlan> plans;
  TPlan scratch;  // the plan of a sentence run the first time
  std::vector<TBlockShape> blocks;
  std::vector<TConditionShape> conditions;
};

// A table by offset over the whole text, made on first use.
uint32_t* TableOf(uint32_t*& table, const TText& text) {
  if (!table) {
    table = static_cast<uint32_t*>(std::calloc(text.size() + 1, sizeof(uint32_t)));
    if (!table) throw std::bad_alloc();
  }
  return table;
}

inline bool IsNumberTag(const std::string& tag) { return tag.size() == 1 && tag[0] == kTagNumber[0]; }

inline void SetNumberTag(std::string& tag) {
  if (!IsNumberTag(tag)) tag.assign(kTagNumber);
}

constexpr uint32_t kRunOnce = 1, kNoPlan = 2, kFirstPlan = 3;

TSentenceCache& CacheOf(const TText& text) {
  if (!text.cache) text.cache = std::make_unique<TSentenceCache>();
  return static_cast<TSentenceCache&>(*text.cache);
}

uint32_t OffsetOf(const TText& text, const char* p) { return static_cast<uint32_t>(p - text.begin()); }

// ---- compiling ----

// An operand as the value reader takes it: a number in plain digits or a
// word that may name a variable. Anything that could run program code, read
// an element or item, or read otherwise (literals, parentheses, signs,
// hexadecimal, calls) makes no plan.
bool ReadOperand(const char*& q, const char* end, TPlan& plan) {
  SkipBlanks(q);
  if (q >= end) return false;
  const char c = *q;
  TOperand o;
  if (sjis::IsDigit(c)) {
    o.text = frontend::ReadNumber(q);
    if (q > end || !IsPlainDecimal(o.text)) return false;
    try {
      o.number = TextToNumber(o.text);
    } catch (const std::exception&) {
      return false;
    }
    o.isInt = SmallWholeNumber(o.number, o.integer);
    o.canonical = o.isInt && o.text == FormatInteger(o.integer);
  } else {
    if (sjis::IsOperator(c) || c == '"' || c == '`' || c == '(' || c == '$' || c == '#') return false;
    std::string_view w = frontend::ReadWord(q);
    if (w.empty() || q > end) return false;
    if (*q == '(' || *q == '#' || frontend::EndsWithChar(w, kw::kNo)) return false;
    o.name.assign(w);
  }
  if (plan.operands.size() >= 0xFFFF) return false;
  plan.code.push_back({opPush, static_cast<uint16_t>(plan.operands.size())});
  plan.operands.push_back(std::move(o));
  return true;
}

inline bool InPairSet(char c) { return c == '&' || c == '<' || c == '=' || c == '>' || c == '|'; }

bool ReadOperator(const char*& q, TOp& op) {
  const char c = *q;
  if (!sjis::IsOperator(c)) return false;
  std::string_view s(q, InPairSet(c) && InPairSet(q[1]) ? 2 : 1);
  q += s.size();
  static constexpr struct {
    std::string_view text;
    TOp op;
  } kOps[] = {{"*", opMul}, {"/", opDiv}, {"%", opMod},  {"^", opPow},  {"+", opAdd},  {"-", opSub},
              {"=", opEq},  {"==", opEq}, {"<>", opNe},  {"><", opNe},  {"<", opLt},   {">", opGt},
              {">=", opGe}, {"=>", opGe}, {"<=", opLe},  {"=<", opLe},  {"&&", opAnd}, {"||", opOr}};
  for (const auto& k : kOps) {
    if (k.text == s) {
      op = k.op;
      return true;
    }
  }
  return false;
}

// An expression of operands and operators that fills [q, end) exactly, into
// postfix by the levels of the evaluator (all operators bind to the left).
bool CompileExpression(const char* q, const char* end, TPlan& plan) {
  // operators wait while a higher level follows them: one of each level at most
  TOp ops[4];
  size_t n = 0;
  for (;;) {
    if (!ReadOperand(q, end, plan)) return false;
    SkipBlanks(q);
    if (q > end) return false;
    if (q == end) break;
    TOp op;
    if (!ReadOperator(q, op) || q > end) return false;
    while (n > 0 && Level(ops[n - 1]) >= Level(op)) plan.code.push_back({ops[--n], 0});
    ops[n++] = op;
  }
  while (n > 0) plan.code.push_back({ops[--n], 0});
  return true;
}

// ---- running ----

void Resolve(TTamaBase& t, TPlan& plan) {
  plan.generation = t.words.Generation();
  for (auto& o : plan.operands)
    if (!o.name.empty()) o.node = t.words.Find(o.name, false);
  if (!plan.target.empty()) plan.targetNode = t.words.Find(plan.target, false);
  if (!plan.firstWord.empty() && plan.firstWord == t.Soshite().Name) plan.dead = true;
}

// A value on the plan's stack: the text of its leftmost operand, as the
// evaluator keeps it, and its number; a whole number below 10^15 in
// magnitude is computed as an integer too (exactly what the extended
// arithmetic gives for it).
struct TVal {
  const std::string* text;  // a number written in the text
  const THashNode* node;    // a variable (its text is written only when wanted)
  long double num;
  int64_t i;
  bool isNum;  // the value counts as a number (comparisons follow the right one)
  bool numOk;  // the number could be read
  bool isInt;  // i holds the number
};

// The number of a value whose number could be read.
inline long double Num(const TVal& v) { return v.isInt ? static_cast<long double>(v.i) : v.num; }

inline const std::string& TextOf(const TVal& v) { return v.text ? *v.text : v.node->Value(); }

constexpr int64_t kIntLimit = 999999999999999;  // below 10^15

inline bool SmallInt(int64_t v) { return v >= -kIntLimit && v <= kIntLimit; }

// Evaluates the plan's expression. False when a check fails or the general
// way would raise an error: nothing has changed then.
bool Evaluate(const TPlan& plan, TVal& out) {
  TVal stack[32];
  size_t sp = 0;
  bool first = true;
  for (const TStep& s : plan.code) {
    if (s.op == opPush) {
      if (sp == std::size(stack)) return false;
      const TOperand& o = plan.operands[s.operand];
      TVal& v = stack[sp++];
      if (o.name.empty()) {
        v = {&o.text, nullptr, o.number, o.integer, true, true, o.isInt};
      } else {
        const THashNode* n = o.node;
        if (!n || n->Kind != wkVariable) return false;
        bool plain = true;
        v.text = nullptr;
        v.node = n;
        v.isNum = IsNumberTag(n->Tag);
        v.isInt = n->IntOf(v.i);
        v.numOk = v.isInt;
        if (!v.isInt || (first && plan.spliceFirst && v.isNum)) v.numOk = n->NumberOf(v.num, plain);
        // a spliced number must read back as the same number, a spliced text
        // is quoted, which holds no zero byte
        if (first && plan.spliceFirst && (v.isNum ? !plain : n->Value().find('\0') != std::string::npos)) return false;
      }
      first = false;
      continue;
    }
    if (sp < 2) return false;
    TVal& l = stack[sp - 2];
    const TVal& r = stack[sp - 1];
    --sp;
    long double v;
    if (s.op >= opEq && s.op <= opLe) {
      int c;
      if (r.isNum) {
        if (!l.numOk || !r.numOk) return false;
        if (l.isInt && r.isInt)
          c = l.i < r.i ? -1 : (l.i > r.i ? 1 : 0);
        else
          c = Num(l) < Num(r) ? -1 : (Num(l) > Num(r) ? 1 : 0);
      } else {
        int k = TextOf(l).compare(TextOf(r));
        c = k < 0 ? -1 : (k > 0 ? 1 : 0);
      }
      bool res;
      switch (s.op) {
        case opEq: res = c == 0; break;
        case opNe: res = c != 0; break;
        case opLt: res = c < 0; break;
        case opGt: res = c > 0; break;
        case opGe: res = c >= 0; break;
        default: res = c <= 0; break;
      }
      l.i = res ? 1 : 0;
      l.isInt = true;
      l.isNum = true;
      l.numOk = true;
      continue;
    } else {
      if (!l.numOk || !r.numOk) return false;
      if (l.isInt && r.isInt && s.op != opDiv && s.op != opPow) {
        int64_t x = l.i, y = r.i, z;
        switch (s.op) {
          case opMul: z = x * y; break;  // kept only when both factors are below 2^31
          case opMod: z = (y == 0 || y == -1) ? 0 : x % y; break;
          case opAdd: z = x + y; break;
          case opSub: z = x - y; break;
          case opAnd: z = (x > 0 && y > 0) ? 1 : 0; break;
          default: z = (x > 0 || y > 0) ? 1 : 0; break;
        }
        if (s.op != opMul || (x > -(int64_t{1} << 31) && x < (int64_t{1} << 31) && y > -(int64_t{1} << 31) &&
                              y < (int64_t{1} << 31))) {
          l.i = z;
          l.isInt = SmallInt(z);
          if (!l.isInt) l.num = static_cast<long double>(z);
          l.isNum = true;
          l.numOk = true;
          continue;
        }
      }
      const long double a = Num(l), b = Num(r);
      switch (s.op) {
        case opMul: v = a * b; break;
        case opDiv: v = b == 0 ? 0 : a / b; break;
        case opMod: {
          if (!(std::fabs(a) < 9.2e18L) || !(std::fabs(b) < 9.2e18L)) return false;
          const int64_t x = static_cast<int64_t>(a), y = static_cast<int64_t>(b);
          v = (y == 0 || y == -1) ? 0 : static_cast<long double>(x % y);
          break;
        }
        case opPow: v = b == 0 ? 1 : std::pow(a, b); break;
        case opAdd: v = a + b; break;
        case opSub: v = a - b; break;
        case opAnd: v = (a > 0 && b > 0) ? 1 : 0; break;
        default: v = (a > 0 || b > 0) ? 1 : 0; break;
      }
      if (!std::isfinite(v)) return false;  // the general way reports it
    }
    l.num = v;
    l.isInt = false;
    l.isNum = true;
    l.numOk = true;
  }
  if (sp != 1) return false;
  out = stack[0];
  return true;
}

// Stores a number as the evaluator writes it; a whole number below 10^15
// keeps its number, since its plain digits read back exactly.
void StoreNumber(THashNode& node, const TVal& r) {
  if (r.isInt) {
    node.SetIntValue(r.i);
    return;
  }
  if (int64_t i; SmallWholeNumber(r.num, i)) {
    node.SetIntValue(i);
    return;
  }
  node.SetValue(FormatNumber(r.num));
}

bool RunAssignment(TTamaBase& t, const TText& text, TPlan& plan, const char*& p) {
  if (plan.generation != t.words.Generation()) Resolve(t, plan);
  if (plan.dead) return false;
  THashNode* target = plan.targetNode;
  if (!target || target->Kind != wkVariable || target->Protected) return false;
  if (plan.code.size() == 1) {
    // one operand: its value and tag as they are
    const TOperand& o = plan.operands[0];
    if (o.name.empty()) {
      if (o.canonical)
        target->SetIntValue(o.integer);
      else
        target->SetNumberValue(o.text, o.number);
      SetNumberTag(target->Tag);
      SetNumberTag(t.curTag);
    } else {
      const THashNode* n = o.node;
      if (!n || n->Kind != wkVariable || n->Tag == kTagHash) return false;
      if (n != target) {
        std::string tag = n->Tag;
        target->SetValue(n->Value());
        target->Tag = tag;
      }
      t.curTag = target->Tag;
    }
    p = text.begin() + plan.end;
    return true;
  }
  TVal v;
  if (!Evaluate(plan, v)) return false;
  StoreNumber(*target, v);
  SetNumberTag(target->Tag);
  SetNumberTag(t.curTag);
  p = text.begin() + plan.end;
  return true;
}

// Compiles the assignment that starts at p into `plan` (emptied first), if
// it is one a plan can run.
bool CompileAssignment(TTamaBase& t, const TText& text, const char* p, TPlan& plan) {
  plan.operands.clear();
  plan.code.clear();
  plan.dead = false;
  const char* q = p;
  std::string_view w = frontend::ReadWord(q);
  if (w.empty() || w == t.Soshite().Name) return false;
  SkipBlanks(q);
  if (*q == '=') {
    plan.target.assign(w);
    ++q;
  } else if (*q == '&' || frontend::EndsWithChar(w, kw::kNo) || !frontend::EndsWithChar(w, kw::kHa)) {
    return false;
  } else {
    plan.target.assign(w.substr(0, w.size() - kw::kHa.size()));
  }
  if (plan.target.empty() || plan.target.find('#') != std::string::npos) return false;
  SkipBlanks(q);
  // the value runs to the sentence end; one with a literal, a parenthesised
  // part or a chain joined with "&" makes no plan (and reading it here must
  // not report its errors: the general reading does)
  const char* end = q;
  while (*end && *end != '\r' && *end != '\n' && *end != ';') {
    if (*end == '"' || *end == '`' || *end == '(' || *end == '&') return false;
    end += sjis::CharLenZ(end);
  }
  plan.spliceFirst = true;
  plan.firstWord.assign(w);
  plan.end = OffsetOf(text, end);
  if (!CompileExpression(q, end, plan)) return false;
  Resolve(t, plan);
  return true;
}

bool MayStartAssignment(char c) {
  if (static_cast<unsigned char>(c) >= 0x80) return true;
  return !(sjis::IsDigit(c) || sjis::IsDelimiter(c) || sjis::IsOperator(c) || sjis::IsBlank(c) || c == '"' ||
           c == '`' || c == '#' || c == '$' || c == '(' || c == '*' || c == ';' || c == '?' || c == 0);
}

}  // namespace

bool CachesWanted() {
  const char* v = std::getenv("TAMAKAZU_NO_CACHE");
  return !(v && *v && std::strcmp(v, "0") != 0);
}

bool RunSentence(TTamaBase& t, const char*& p) {
  const TText* text = t.curText.get();
  if (!text || !MayStartAssignment(*p) || !text->contains(p)) return false;
  TSentenceCache& cache = CacheOf(*text);
  uint32_t& mark = TableOf(cache.marks, *text)[OffsetOf(*text, p)];
  if (mark == kNoPlan) return false;
  if (mark < kRunOnce) {
    // the first run reads the sentence into the scratch plan, which is
    // cheaper than the general reading; only a second run keeps a plan
    if (!CompileAssignment(t, *text, p, cache.scratch)) {
      mark = kNoPlan;
      return false;
    }
    mark = kRunOnce;
    return RunAssignment(t, *text, cache.scratch, p);
  }
  if (mark == kRunOnce) {
    TPlan plan;
    if (!CompileAssignment(t, *text, p, plan)) {
      mark = kNoPlan;
      return false;
    }
    cache.plans.push_back(std::move(plan));
    mark = kFirstPlan + static_cast<uint32_t>(cache.plans.size() - 1);
  }
  return RunAssignment(t, *text, cache.plans[mark - kFirstPlan], p);
}

const TBlockShape* FindBlock(const TText& text, const char* p) {
  if (!text.cache) return nullptr;
  TSentenceCache& cache = CacheOf(text);
  if (!cache.blockAt) return nullptr;
  const uint32_t i = cache.blockAt[OffsetOf(text, p)];
  return i ? &cache.blocks[i - 1] : nullptr;
}

void KeepBlock(const TText& text, const char* p, TBlockShape shape) {
  TSentenceCache& cache = CacheOf(text);
  uint32_t& i = TableOf(cache.blockAt, text)[OffsetOf(text, p)];
  if (i) return;  // kept already
  cache.blocks.push_back(std::move(shape));
  i = static_cast<uint32_t>(cache.blocks.size());
}

TConditionShape* FindCondition(TTamaBase& t, const TText& text, const char* p) {
  if (!text.cache) return nullptr;
  TSentenceCache& cache = CacheOf(text);
  if (!cache.conditionAt) return nullptr;
  const uint32_t i = cache.conditionAt[OffsetOf(text, p)];
  if (!i || cache.conditions[i - 1].generation != t.words.Generation()) return nullptr;
  return &cache.conditions[i - 1];
}

TConditionShape& KeepCondition(TTamaBase& t, const TText& text, const char* p, uint32_t end, std::string expression) {
  TSentenceCache& cache = CacheOf(text);
  uint32_t& i = TableOf(cache.conditionAt, text)[OffsetOf(text, p)];
  if (!i) {
    cache.conditions.emplace_back();
    i = static_cast<uint32_t>(cache.conditions.size());
  }
  TConditionShape& c = cache.conditions[i - 1];
  c.generation = t.words.Generation();
  c.end = end;
  c.expression = std::move(expression);
  c.plan = -1;
  return c;
}

bool EvaluateCondition(TTamaBase& t, const TText& text, TConditionShape& shape, std::string& result) {
  constexpr int32_t kNone = -2;
  if (shape.plan == kNone) return false;
  TSentenceCache& cache = CacheOf(text);
  if (shape.plan < 0) {
    TPlan plan;
    TZText z(shape.expression);
    if (!CompileExpression(z.begin(), z.end(), plan)) {
      shape.plan = kNone;
      return false;
    }
    Resolve(t, plan);
    cache.plans.push_back(std::move(plan));
    shape.plan = static_cast<int32_t>(cache.plans.size() - 1);
  }
  TPlan& plan = cache.plans[shape.plan];
  if (plan.generation != t.words.Generation()) Resolve(t, plan);
  TVal v;
  if (!Evaluate(plan, v)) return false;
  if (v.isNum) {
    if (!v.numOk) return false;
    char buf[kNumberTextMax];
    if (v.isInt)
      result.assign(buf, std::to_chars(buf, buf + sizeof buf, v.i).ptr - buf);
    else
      result.assign(buf, FormatNumberTo(v.num, buf));
    SetNumberTag(t.curTag);
  } else {
    result = TextOf(v);
    t.curTag = kTagString;
  }
  return true;
}

}  // namespace tama::plan
