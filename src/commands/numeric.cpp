// Registration table of the numeric commands.
#include "commands/numeric.h"

#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <stdexcept>

#include "engine/tama.h"
#include "frontend/normalize.h"
#include "sjis/lcmap.h"
#include "support/lines.h"
#include "support/number.h"
#include "support/random.h"

namespace tama {

namespace {

// Checked logarithms: 0 divides by zero, a negative number is an invalid operation.
void CheckLogArgument(long double x) {
  if (x == 0) RaiseNumError(NumFault::kFloatDivideByZero);
  if (x < 0 || std::isnan(x)) RaiseNumError(NumFault::kInvalidOperation);
}
long double Ln(long double x) {
  CheckLogArgument(x);
  return CheckResult(std::log(x));
}
long double Log2(long double x) {
  CheckLogArgument(x);
  return CheckResult(std::log2(x));
}

long double Sqrt(long double x) {
  if (x < 0 || std::isnan(x)) RaiseNumError(NumFault::kInvalidOperation);
  return std::sqrt(x);
}

}  // namespace

long double PowerRule(long double a, long double b) {
  if (b == 0) return 1;
  if (a == 0 && b > 0) return 0;
  if (b == std::trunc(b) && std::fabs(b) <= 2147483647.0L) {
    uint32_t n = static_cast<uint32_t>(std::fabs(b));
    long double r = 1, power = a;
    while (n != 0) {
      if (n & 1u) r *= power;
      n >>= 1;
      if (n != 0) power *= power;  // the last square would not be used
    }
    CheckResult(r);
    return b < 0 ? CheckedDivide(1, r) : r;
  }
  return CheckResult(std::exp(CheckResult(b * Ln(a))));
}

namespace {

constexpr long double kPi = 3.14159265358979323846264338327950288419716939937510L;

void SetNumber(TTamaBase& t, long double x) { t.SetResultTagged(FormatNumber(CheckResult(x)), kTagNumber); }
void SetInteger(TTamaBase& t, int64_t n) { t.SetResultTagged(FormatInteger(n), kTagNumber); }
// A result that leaves それ's tag as it was.
void SetNumberUntagged(TTamaBase& t, long double x) { t.SetResult(FormatNumber(CheckResult(x)), kTagNumber); }

// ---- integer part and rounding ----

void IntegerPart(TTamaBase& t, int id) {
  const long double x = t.PopArgNumber();
  switch (id) {
    case kCmdRound:
      SetInteger(t, RoundToInt64(x));
      return;
    case kCmdCeil:
    case kCmdFloor: {
      // Whole 64-bit integers: values beyond the 32-bit range do not wrap.
      const int64_t whole = TruncToInt64(x);
      long double r = static_cast<long double>(whole);
      if (id == kCmdCeil && x - r > 0) r += 1;
      if (id == kCmdFloor && x - r < 0) r -= 1;
      SetNumber(t, r);
      return;
    }
    default:  // 整数, INT, TRUNC
      SetInteger(t, TruncToInt64(x));
      return;
  }
}

// 切り捨て and 四捨五入: x cut or rounded at d decimal places.
void CutAtPlaces(TTamaBase& t, int id) {
  const long double dn = t.PopArgNumber();
  const long double x = t.PopArgNumber();
  const int32_t d = NumberRead(dn);
  const long double p = PowerRule(10, d);
  const long double scaled = CheckResult(x * p);
  const int64_t q = id == kCmdKirisute ? TruncToInt64(scaled) : RoundToInt64(scaled);
  SetNumber(t, CheckedDivide(static_cast<long double>(q), p));
}

void Abs(TTamaBase& t, int) { SetNumber(t, std::fabs(t.PopArgNumber())); }

// FRAC works on the text: from its first "." on, with "0" in front.
void Frac(TTamaBase& t, int) {
  const std::string value = sjis::ToHalfWidth(t.PopArgValue());
  const size_t dot = value.find('.');
  std::string r;
  if (dot != std::string::npos) {
    r.reserve(value.size() - dot + 1);
    r += '0';
    r.append(value, dot, std::string::npos);
  }
  t.SetResultTagged(std::move(r), kTagNumber);
}

// ---- powers, logarithms and roots ----

void OneArgMath(TTamaBase& t, int id) {
  const long double x = t.PopArgNumber();
  switch (id) {
    case kCmdExp:
      SetNumber(t, std::exp(x));
      return;
    case kCmdLn:
      SetNumber(t, Ln(x));
      return;
    case kCmdLog2:
      SetNumber(t, Log2(x));
      return;
    case kCmdLog10:
      CheckLogArgument(x);
      SetNumber(t, std::log10(x));
      return;
    case kCmdSqrt:
      SetNumber(t, Sqrt(x));
      return;
    default:
      throw std::logic_error("numeric: unexpected command id");
  }
}

void Log(TTamaBase& t, int) {
  const long double b = t.PopArgNumber();
  const long double a = t.PopArgNumber();
  const long double lb = Log2(b);
  SetNumber(t, CheckedDivide(lb, Log2(a)));
}

void Power(TTamaBase& t, int) {
  const long double b = t.PopArgNumber();
  const long double a = t.PopArgNumber();
  SetNumber(t, PowerRule(a, b));
}

void Hypot(TTamaBase& t, int) {
  long double b = std::fabs(t.PopArgNumber());
  long double a = std::fabs(t.PopArgNumber());
  if (a < b) std::swap(a, b);
  if (b == 0) {
    SetNumberUntagged(t, a);
    return;
  }
  const long double q = b / a;
  SetNumberUntagged(t, a * std::sqrt(1 + q * q));
}

// ---- trigonometry and angle units ----

void Trigonometry(TTamaBase& t, int id) {
  const long double x = t.PopArgNumber();
  constexpr long double kHuge = 9223372036854775808.0L;  // 2^63
  long double r = 0;
  switch (id) {
    case kCmdSin:
      r = std::fabs(x) >= kHuge ? 0 : std::sin(x);
      break;
    case kCmdCos:
      r = std::fabs(x) >= kHuge ? 0 : std::cos(x);
      break;
    case kCmdTan:
      r = std::tan(x);
      break;
    case kCmdArcTan:
      r = std::atan(x);
      break;
    case kCmdArcSin:
      r = std::atan2(x, Sqrt(1 - x * x));
      break;
    case kCmdArcCos:
      r = std::atan2(Sqrt(1 - x * x), x);
      break;
    case kCmdDoKaraRadian:
      r = x * kPi / 180;
      break;
    case kCmdRadianKaraDo:
      r = x * 180 / kPi;
      break;
    case kCmdGradKaraRadian:
      r = x * kPi / 200;
      break;
    case kCmdRadianKaraGrad:
      r = x * 200 / kPi;
      break;
    case kCmdCycleKaraRadian:
      r = x * 2 * kPi;
      break;
    case kCmdRadianKaraCycle:
      r = x / (2 * kPi);
      break;
    default:
      throw std::logic_error("numeric: unexpected command id");
  }
  SetNumberUntagged(t, r);
}

// ---- random numbers ----

void Ransuu(TTamaBase& t, int) {
  const int32_t n = ReadInteger(t.PopArgValue(), 100);
  const uint32_t draw = t.random.Draw(static_cast<uint32_t>(n));
  SetInteger(t, static_cast<int32_t>(draw));
}

void Rnd(TTamaBase& t, int) { SetNumber(t, t.random.Fraction()); }

void RansuuShokika(TTamaBase& t, int) {
  const int32_t s = NumberRead(t.PopArgNumber());
  if (s == -1) {
    t.random.SeedFromClock();
  } else {
    t.random.SetSeed(static_cast<uint32_t>(s));
  }
}

// ---- bitwise and integer operations ----

void TwoIntegers(TTamaBase& t, int id) {
  const long double bn = t.PopArgNumber();
  const long double an = t.PopArgNumber();
  const int32_t b = NumberRead(bn);
  const int32_t a = NumberRead(an);
  const uint32_t ua = static_cast<uint32_t>(a), ub = static_cast<uint32_t>(b);
  int64_t r = 0;
  switch (id) {
    case kCmdAnd:
      r = static_cast<int32_t>(ua & ub);
      break;
    case kCmdOr:
      r = static_cast<int32_t>(ua | ub);
      break;
    case kCmdXor:
      r = static_cast<int32_t>(ua ^ ub);
      break;
    case kCmdMod:
      if (b == 0) RaiseNumError(NumFault::kIntDivideByZero);
      // in 64 bits, so the smallest number and -1 give 0
      r = static_cast<int64_t>(a) % b;
      break;
    case kCmdShr:
      r = static_cast<int32_t>(ua >> (ub & 31u));
      break;
    case kCmdShl:
      r = static_cast<int32_t>(ua << (ub & 31u));
      break;
    default:
      throw std::logic_error("numeric: unexpected command id");
  }
  SetInteger(t, r);
}

void Not(TTamaBase& t, int) {
  const int32_t a = NumberRead(t.PopArgNumber());
  t.SetResultTagged(a == 0 ? "1" : "0", kTagNumber);
}

void Hex(TTamaBase& t, int) {
  const int32_t a = NumberRead(t.PopArgNumber());
  char buf[16];
  const int n = std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned>(static_cast<uint32_t>(a)));
  // Tagged as text: digits such as "0A" must not be read back as a number.
  t.SetResultTagged(std::string(buf, static_cast<size_t>(n)), kTagString);
}

// ---- arithmetic on a variable ----

// 足す, 引く, 掛ける, 割る: the value first, then the target as written. A word
// of exactly that name is read and written; otherwise the target text is
// evaluated and only それ gets the result.
void VariableArithmetic(TTamaBase& t, int id) {
  const TValue read = t.EvaluateValue(t.PopArgText());
  const std::string& v = read.text;
  const std::string& valueTag = read.tag;
  const std::string name = t.PopArgText();
  const THashNodeRef word = t.words.FindRef(name, false);
  std::string evaluated;
  if (!word) evaluated = t.EvaluateText(name);
  const std::string& base = word ? word->Value() : evaluated;
  if (id == kCmdTasu && valueTag != kTagNumber) {
    // appending: the variable grows in place, それ gets a copy
    if (word) {
      word->MutableValue().append(v);
      word->Tag = valueTag;
      t.SetResultTagged(word->Value(), valueTag);
    } else {
      evaluated.append(v);
      t.SetResultTagged(std::move(evaluated), valueTag);
    }
    return;
  }
  const long double a = TextToNumber(base), b = TextToNumber(v);
  long double r = 0;
  switch (id) {
    case kCmdTasu:
      r = a + b;
      break;
    case kCmdHiku:
      r = a - b;
      break;
    case kCmdKakeru:
      r = a * b;
      break;
    case kCmdWaru:
      r = CheckedDivide(a, b);
      break;
    default:
      throw std::logic_error("numeric: unexpected command id");
  }
  std::string text = FormatNumber(CheckResult(r));
  t.SetResultTagged(text, kTagNumber);
  if (word) {
    word->SetValue(std::move(text));
    word->Tag = kTagNumber;
  }
}

// ---- colour values ----

std::string ColourValue(int32_t red, int32_t green, int32_t blue) {
  return FormatInteger(static_cast<int64_t>(red) + static_cast<int64_t>(green) * 256 +
                       static_cast<int64_t>(blue) * 65536);
}

void Rgb(TTamaBase& t, int) {
  const long double bn = t.PopArgNumber();
  const long double gn = t.PopArgNumber();
  const long double rn = t.PopArgNumber();
  int32_t c[3] = {NumberRead(rn), NumberRead(gn), NumberRead(bn)};
  for (int32_t& v : c)
    if (v > 255) v %= 256;
  for (int32_t v : c)
    if (v < -1) throw std::runtime_error("\"RGB\"命令の引数に誤りがあります。");
  for (int32_t v : c)
    if (v == -1) RaiseNumError(NumFault::kRange);
  t.SetResult(ColourValue(c[0], c[1], c[2]), kTagNumber);
}

void Cmyk(TTamaBase& t, int) {
  long double n[4];
  for (int i = 4; i-- > 0;) n[i] = t.PopArgNumber();  // black, yellow, magenta, cyan
  int32_t v[4];
  for (int i = 0; i < 4; ++i) {
    v[i] = NumberRead(n[i]);
    if (v[i] < 0 || v[i] > 255) RaiseNumError(NumFault::kRange);
  }
  auto channel = [&](int32_t c) { return c + v[3] > 254 ? 0 : 255 - (c + v[3]); };
  t.SetResult(ColourValue(channel(v[0]), channel(v[1]), channel(v[2])), kTagNumber);
}

// ---- statistics over an array ----

struct TStats {
  long double sum = 0, sumSquares = 0, max = 0, min = 0;
  int64_t count = 0;

  void Add(double x) {
    const long double v = x;
    if (count == 0 || v > max) max = v;
    if (count == 0 || v < min) min = v;
    sum += v;
    sumSquares += v * v;
    ++count;
  }
  // Σx² − (Σx)²/N; never below 0 (a negative total comes only from rounding).
  long double TotalVariance() const {
    const long double total = CheckResult(sumSquares - CheckResult(sum * sum) / count);
    return total < 0 ? 0 : total;
  }
};

// A number rounded to a 64-bit double; beyond the double range an overflow.
double ToDouble(long double x) {
  if (std::fabs(x) > std::numeric_limits<double>::max()) RaiseNumError(NumFault::kFloatOverflow);
  return static_cast<double>(x);
}

TStats ReadStats(std::string_view text) {
  TStats st;
  std::string wide;
  support::ForEachLine(text, [&](std::string_view line) {
    bool high = false;
    for (char c : line) high |= static_cast<unsigned char>(c) >= 0x80;
    if (high) {
      wide.clear();
      sjis::AppendMapped(wide, line, sjis::LcMap::kHalfWidth);
      line = wide;
    }
    line = TrimControl(line);
    if (!line.empty()) st.Add(ToDouble(TextToNumber(line)));
  });
  if (st.count == 0) st.Add(0);
  return st;
}

void Statistics(TTamaBase& t, int id) {
  const TStats st = ReadStats(t.PopArgValue());
  const long double n = static_cast<long double>(st.count);
  switch (id) {
    case kCmdHairetsuGoukeichi:
      SetNumber(t, st.sum);
      return;
    case kCmdHairetsuHeikinchi:
      SetNumber(t, CheckedDivide(st.sum, n));
      return;
    case kCmdHairetsuBunsanchi:
      SetNumber(t, CheckedDivide(st.TotalVariance(), n));
      return;
    case kCmdHyoujunHensachi:
      SetNumber(t, Sqrt(CheckedDivide(st.TotalVariance(), n - 1)));
      return;
    case kCmdHairetsuSaidaichi:
      SetNumber(t, st.max);
      return;
    case kCmdHairetsuSaishouchi:
      SetNumber(t, st.min);
      return;
    default:
      throw std::logic_error("numeric: unexpected command id");
  }
}

// 計算: evaluates an expression given as text. Errors give the empty result
// (their lines stay in the error log).
void Keisan(TTamaBase& t, int) {
  std::string expr = t.PopArgValue();
  std::string result;
  if (!expr.empty()) {
    try {
      result = t.EvaluateExpression(frontend::FoldText(expr));
    } catch (const std::exception&) {
      result.clear();
    }
  }
  t.SetResultTagged(std::move(result), kTagString);
}

}  // namespace

static const TCommandDef kDefs[] = {
    {"計算", "?を", kCmdKeisan, Keisan},
    {"乱数", "?の", kCmdRansuu, Ransuu},
    {"整数", "?", kCmdSeisuu, IntegerPart},
    {"切り捨て", "?を,?位で", kCmdKirisute, CutAtPlaces},
    {"四捨五入", "?を,?位で", kCmdShishagonyuu, CutAtPlaces},
    {"サイン", "?", kCmdSin, Trigonometry},
    {"SIN", "?", kCmdSin, Trigonometry},
    {"コサイン", "?", kCmdCos, Trigonometry},
    {"COS", "?", kCmdCos, Trigonometry},
    {"タンジェント", "?", kCmdTan, Trigonometry},
    {"TAN", "?", kCmdTan, Trigonometry},
    {"RGB", "?,?,?", kCmdRgb, Rgb},
    {"ABS", "?", kCmdAbs, Abs},
    {"CEIL", "?", kCmdCeil, IntegerPart},
    {"EXP", "?", kCmdExp, OneArgMath},
    {"FLOOR", "?", kCmdFloor, IntegerPart},
    {"FRAC", "?", kCmdFrac, Frac},
    {"INT", "?", kCmdInt, IntegerPart},
    {"LN", "?", kCmdLn, OneArgMath},
    {"LOG", "?,?", kCmdLog, Log},
    {"POWER", "?,?", kCmdPower, Power},
    {"ROUND", "?", kCmdRound, IntegerPart},
    {"SQRT", "?", kCmdSqrt, OneArgMath},
    {"TRUNC", "?", kCmdTrunc, IntegerPart},
    {"RND", "", kCmdRnd, Rnd},
    {"乱数初期化", "?で", kCmdRansuuShokika, RansuuShokika},
    {"LOG2", "?", kCmdLog2, OneArgMath},
    {"LOG10", "?", kCmdLog10, OneArgMath},
    {"ARCTAN", "?", kCmdArcTan, Trigonometry},
    {"ARCCOS", "?", kCmdArcCos, Trigonometry},
    {"ARCSIN", "?", kCmdArcSin, Trigonometry},
    {"HYPOT", "?,?", kCmdHypot, Hypot},
    {"サイクルからラジアン", "?を", kCmdCycleKaraRadian, Trigonometry},
    {"度からラジアン", "?を", kCmdDoKaraRadian, Trigonometry},
    {"グラードからラジアン", "?を", kCmdGradKaraRadian, Trigonometry},
    {"ラジアンからサイクル", "?を", kCmdRadianKaraCycle, Trigonometry},
    {"ラジアンから度", "?を", kCmdRadianKaraDo, Trigonometry},
    {"ラジアンからグラード", "?を", kCmdRadianKaraGrad, Trigonometry},
    {"配列合計値", "?の", kCmdHairetsuGoukeichi, Statistics},
    {"SUM", "?", kCmdHairetsuGoukeichi, Statistics},
    {"配列平均値", "?の", kCmdHairetsuHeikinchi, Statistics},
    {"AVERAGE", "?", kCmdHairetsuHeikinchi, Statistics},
    {"配列分散値", "?の", kCmdHairetsuBunsanchi, Statistics},
    {"VAR", "?", kCmdHairetsuBunsanchi, Statistics},
    {"標準偏差値", "?の", kCmdHyoujunHensachi, Statistics},
    {"STDEV", "?", kCmdHyoujunHensachi, Statistics},
    {"配列最大値", "?の", kCmdHairetsuSaidaichi, Statistics},
    {"配列最小値", "?の", kCmdHairetsuSaishouchi, Statistics},
    {"足す", "?に,?を", kCmdTasu, VariableArithmetic},
    {"引く", "?から,?を", kCmdHiku, VariableArithmetic},
    {"掛ける", "?に,?を", kCmdKakeru, VariableArithmetic},
    {"割る", "?を,?で", kCmdWaru, VariableArithmetic},
    {"AND", "?と,?の", kCmdAnd, TwoIntegers},
    {"OR", "?と,?の", kCmdOr, TwoIntegers},
    {"XOR", "?と,?の", kCmdXor, TwoIntegers},
    {"MOD", "?と,?の", kCmdMod, TwoIntegers},
    {"余り", "?と,?の", kCmdMod, TwoIntegers},
    {"SHR", "?を,?ビット", kCmdShr, TwoIntegers},
    {"右シフト", "?を,?ビット", kCmdShr, TwoIntegers},
    {"SHL", "?を,?ビット", kCmdShl, TwoIntegers},
    {"左シフト", "?を,?ビット", kCmdShl, TwoIntegers},
    {"HEX", "?", kCmdHex, Hex},
    {"NOT", "?の", kCmdNot, Not},
    {"CMYK", "?,?,?,?", kCmdCmyk, Cmyk},
};

static const TCommandFamily kFamily = {"numeric", kDefs, std::size(kDefs)};

const TCommandFamily& NumericFamily() { return kFamily; }

}  // namespace tama
