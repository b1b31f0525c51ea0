// The expression evaluator: precedence climbing over operands read with
// ReadTerm. Levels, lowest first: && || ; comparisons ; + - & ; * / % ^.
#include <cmath>
#include <exception>

#include "frontend/scanner.h"
#include "engine/tama.h"
#include "engine/ztext.h"
#include "support/number.h"

namespace tama {

namespace {

enum TokKind : uint8_t { tkString = 0, tkNumber = 1, tkStart = 2, tkOperator = 3 };

// An operand: its text as read (for a computed value the text of its leftmost
// operand) and its number, read from the text only when an operator needs it,
// so that a text that is no number ("." for one) fails only in arithmetic.
struct TStrNum {
  std::string text;
  long double number = 0;
  bool hasNumber = false;
  std::exception_ptr numberError;  // reading the number of the original text failed
  uint8_t kind = tkString;
  long double Num() {
    if (!hasNumber) ReadNumberNow();
    if (numberError) std::rethrow_exception(numberError);
    return number;
  }
  // Fixes the number before the text changes ("&" keeps the number of the
  // left operand as it was); a failure is kept for the operator that needs it.
  void ReadNumberNow() {
    if (hasNumber) return;
    hasNumber = true;
    try {
      number = TextToNumber(text);
    } catch (const std::exception&) {
      numberError = std::current_exception();
    }
  }
  void SetNum(long double v) {
    number = v;
    hasNumber = true;
    numberError = nullptr;
    kind = tkNumber;
  }
};

inline bool InPairSet(char c) { return c == '&' || c == '<' || c == '=' || c == '>' || c == '|'; }

// A plain error of the evaluator: logged without the error-line prefix, then
// reported by Evaluate with the expression.
[[noreturn]] void Fail(TTamaBase& t, const std::string& msg) {
  t.errorLog.AddLine(msg);
  throw std::runtime_error(msg);
}

class TEvaluator {
 public:
  TEvaluator(TTamaBase& t, const char*& p) : t_(t), p_(p) {}

  TStrNum Run() {
    tok_.kind = tkStart;
    frontend::SkipBlanks(p_);
    Next();
    TStrNum v = Logic();
    if (tok_.kind == tkStart || tok_.kind == tkOperator) Fail(t_, "計算結果が不正");
    return v;
  }

 private:
  struct TToken {
    std::string text;
    uint8_t kind = tkStart;
  };

  void Next() {
    const uint8_t prev = tok_.kind;
    tok_.kind = tkStart;
    frontend::SkipBlanks(p_);
    const char c = *p_;
    if (c == '(') {
      std::string inner = t_.ReadParenthesisedChecked(p_);
      TValue v = t_.EvaluateExpressionValue(inner);
      tok_.text = std::move(v.text);
      tok_.kind = v.tag == kTagString ? tkString : tkNumber;
      return;
    }
    if (sjis::IsOperator(c)) {
      tok_.kind = tkOperator;
      tok_.text.assign(1, c);
      ++p_;
      if (InPairSet(c) && InPairSet(*p_)) tok_.text += *p_++;
      if (prev == tkStart || prev == tkOperator) {
        if (tok_.text == "-") {
          std::string v = t_.ReadTerm(p_);
          tok_.text = "-" + v;
          tok_.kind = tkNumber;
        } else if (tok_.text == "+" && (*p_ == '$' || sjis::IsDigit(*p_))) {
          tok_.text = t_.ReadTerm(p_);
          tok_.kind = tkNumber;
        }
      }
      return;
    }
    TValue v = t_.ReadTermValue(p_);
    tok_.text = std::move(v.text);
    tok_.kind = v.IsNumber() ? tkNumber : tkString;
  }

  bool IsOp(std::string_view op) const { return tok_.kind == tkOperator && tok_.text == op; }

  TStrNum Primary() {
    if (tok_.kind == tkOperator) Fail(t_, "演算子「" + tok_.text + "」の位置が不正。");
    TStrNum v;
    v.text = std::move(tok_.text);
    v.kind = tok_.kind == tkNumber ? tkNumber : tkString;
    Next();
    return v;
  }

  TStrNum Mul() {
    TStrNum l = Primary();
    while (tok_.kind == tkOperator) {
      const std::string op = tok_.text;
      if (op != "*" && op != "/" && op != "%" && op != "^") break;
      Next();
      TStrNum r = Primary();
      long double a = l.Num(), b = r.Num(), v = 0;
      if (op == "*") {
        v = CheckResult(a * b);
      } else if (op == "/") {
        v = b == 0 ? 0 : CheckResult(a / b);
      } else if (op == "%") {
        int64_t x = TruncToInt64(a), y = TruncToInt64(b);
        v = (y == 0) ? 0 : (y == -1 ? 0 : static_cast<long double>(x % y));
      } else {
        v = b == 0 ? 1 : CheckResult(std::pow(a, b));
      }
      l.SetNum(v);
    }
    return l;
  }

  TStrNum Add() {
    TStrNum l = Mul();
    while (tok_.kind == tkOperator) {
      const std::string op = tok_.text;
      if (op != "+" && op != "-" && op != "&") break;
      Next();
      TStrNum r = Mul();
      if (op == "&") {
        l.ReadNumberNow();
        l.text += r.text;
        l.kind = tkString;
      } else {
        long double a = l.Num(), b = r.Num();
        l.SetNum(CheckResult(op == "+" ? a + b : a - b));
      }
    }
    return l;
  }

  static int CompareBytes(std::string_view a, std::string_view b) {
    int c = a.compare(b);  // char_traits<char> compares as unsigned bytes
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }

  TStrNum Compare() {
    TStrNum l = Add();
    while (tok_.kind == tkOperator) {
      const std::string op = tok_.text;
      int which;
      if (op == "=" || op == "==") which = 0;
      else if (op == "<>" || op == "><") which = 1;
      else if (op == "<") which = 2;
      else if (op == ">") which = 3;
      else if (op == ">=" || op == "=>") which = 4;
      else if (op == "<=" || op == "=<") which = 5;
      else break;
      Next();
      TStrNum r = Add();
      int c;
      if (r.kind == tkNumber) {
        long double a = l.Num(), b = r.Num();
        c = a < b ? -1 : (a > b ? 1 : 0);
      } else {
        c = CompareBytes(l.text, r.text);
      }
      bool res = false;
      switch (which) {
        case 0: res = c == 0; break;
        case 1: res = c != 0; break;
        case 2: res = c < 0; break;
        case 3: res = c > 0; break;
        case 4: res = c >= 0; break;
        default: res = c <= 0; break;
      }
      l.SetNum(res ? 1 : 0);
    }
    return l;
  }

  TStrNum Logic() {
    TStrNum l = Compare();
    while (tok_.kind == tkOperator && (tok_.text == "&&" || tok_.text == "||")) {
      const bool isAnd = tok_.text == "&&";
      Next();
      TStrNum r = Compare();
      long double a = l.Num(), b = r.Num();
      l.SetNum(isAnd ? (a > 0 && b > 0) : (a > 0 || b > 0));
    }
    return l;
  }

  TTamaBase& t_;
  const char*& p_;
  TToken tok_;
};

}  // namespace

namespace {
// A level of nested expressions (parentheses, operands that evaluate texts of
// their own).

// The stack-full error passes the enclosing expressions unwrapped.
class EStackFull : public ETama {
 public:
  using ETama::ETama;
};

class TDepthGuard {
 public:
  explicit TDepthGuard(TTamaBase& t) : t_(t) {
    if (!t.budget.Enter(TStackBudget::kBracket)) {
      std::string line = t.FormatErrorLine("スタックが一杯になりました。ラベルなどに再帰呼び出しがないか確認！");
      t.errorLog.AddLine(line);
      throw EStackFull(line);
    }
  }
  ~TDepthGuard() { t_.budget.Leave(TStackBudget::kBracket); }
  TDepthGuard(const TDepthGuard&) = delete;
  TDepthGuard& operator=(const TDepthGuard&) = delete;

 private:
  TTamaBase& t_;
};
}  // namespace

std::string TTamaBase::Evaluate(const char*& p) {
  const char* start = p;
  TDepthGuard depth(*this);
  try {
    TEvaluator ev(*this, p);
    TStrNum v = ev.Run();
    if (v.kind == tkString) {
      curTag = kTagString;
      return v.text;
    }
    std::string out = FormatNumber(v.Num());
    curTag = kTagNumber;
    return out;
  } catch (const EStackFull&) {
    throw;
  } catch (const std::exception& e) {
    const char* end = start;
    while (*end) ++end;
    Raise(std::string("計算式に誤りがあります。") + e.what() + std::string(start, end));
  }
}

std::string TTamaBase::EvaluateExpression(std::string_view text) {
  TZText z(text);
  const char* p = z.begin();
  return Evaluate(p);
}

// "(" + inner + ")" as one expression: the value of the inner expression
// (formatted, so read back whole), and on failure the error that the
// enclosing level would add, with the brackets in its text.
std::string TTamaBase::EvaluateBracketed(std::string_view inner) {
  TZText z(inner);
  const char* p = z.begin();
  TDepthGuard depth(*this);
  try {
    return Evaluate(p);
  } catch (const EStackFull&) {
    throw;
  } catch (const std::exception& e) {
    std::string text = "(";
    text += inner;
    text += ')';
    Raise(std::string("計算式に誤りがあります。") + e.what() + text);
  }
}

}  // namespace tama
