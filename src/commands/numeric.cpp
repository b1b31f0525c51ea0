// Registration table of the numeric commands.
#include "commands/numeric.h"

#include <iterator>

#include "engine/tama.h"
#include "frontend/normalize.h"

namespace tama {

namespace {

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
  t.SetResultTagged(std::move(result), "s");
}

}  // namespace

static const TCommandDef kDefs[] = {
    {"計算", "?を", kCmdKeisan, Keisan},
    {"乱数", "?の", kCmdRansuu, nullptr},
    {"整数", "?", kCmdSeisuu, nullptr},
    {"切り捨て", "?を,?位で", kCmdKirisute, nullptr},
    {"四捨五入", "?を,?位で", kCmdShishagonyuu, nullptr},
    {"サイン", "?", kCmdSin, nullptr},
    {"SIN", "?", kCmdSin, nullptr},
    {"コサイン", "?", kCmdCos, nullptr},
    {"COS", "?", kCmdCos, nullptr},
    {"タンジェント", "?", kCmdTan, nullptr},
    {"TAN", "?", kCmdTan, nullptr},
    {"RGB", "?,?,?", kCmdRgb, nullptr},
    {"ABS", "?", kCmdAbs, nullptr},
    {"CEIL", "?", kCmdCeil, nullptr},
    {"EXP", "?", kCmdExp, nullptr},
    {"FLOOR", "?", kCmdFloor, nullptr},
    {"FRAC", "?", kCmdFrac, nullptr},
    {"INT", "?", kCmdInt, nullptr},
    {"LN", "?", kCmdLn, nullptr},
    {"LOG", "?,?", kCmdLog, nullptr},
    {"POWER", "?,?", kCmdPower, nullptr},
    {"ROUND", "?", kCmdRound, nullptr},
    {"SQRT", "?", kCmdSqrt, nullptr},
    {"TRUNC", "?", kCmdTrunc, nullptr},
    {"RND", "", kCmdRnd, nullptr},
    {"乱数初期化", "?で", kCmdRansuuShokika, nullptr},
    {"LOG2", "?", kCmdLog2, nullptr},
    {"LOG10", "?", kCmdLog10, nullptr},
    {"ARCTAN", "?", kCmdArcTan, nullptr},
    {"ARCCOS", "?", kCmdArcCos, nullptr},
    {"ARCSIN", "?", kCmdArcSin, nullptr},
    {"HYPOT", "?,?", kCmdHypot, nullptr},
    {"サイクルからラジアン", "?を", kCmdCycleKaraRadian, nullptr},
    {"度からラジアン", "?を", kCmdDoKaraRadian, nullptr},
    {"グラードからラジアン", "?を", kCmdGradKaraRadian, nullptr},
    {"ラジアンからサイクル", "?を", kCmdRadianKaraCycle, nullptr},
    {"ラジアンから度", "?を", kCmdRadianKaraDo, nullptr},
    {"ラジアンからグラード", "?を", kCmdRadianKaraGrad, nullptr},
    {"配列合計値", "?の", kCmdHairetsuGoukeichi, nullptr},
    {"SUM", "?", kCmdHairetsuGoukeichi, nullptr},
    {"配列平均値", "?の", kCmdHairetsuHeikinchi, nullptr},
    {"AVERAGE", "?", kCmdHairetsuHeikinchi, nullptr},
    {"配列分散値", "?の", kCmdHairetsuBunsanchi, nullptr},
    {"VAR", "?", kCmdHairetsuBunsanchi, nullptr},
    {"標準偏差値", "?の", kCmdHyoujunHensachi, nullptr},
    {"STDEV", "?", kCmdHyoujunHensachi, nullptr},
    {"配列最大値", "?の", kCmdHairetsuSaidaichi, nullptr},
    {"配列最小値", "?の", kCmdHairetsuSaishouchi, nullptr},
    {"足す", "?に,?を", kCmdTasu, nullptr},
    {"引く", "?から,?を", kCmdHiku, nullptr},
    {"掛ける", "?に,?を", kCmdKakeru, nullptr},
    {"割る", "?を,?で", kCmdWaru, nullptr},
    {"AND", "?と,?の", kCmdAnd, nullptr},
    {"OR", "?と,?の", kCmdOr, nullptr},
    {"XOR", "?と,?の", kCmdXor, nullptr},
    {"MOD", "?と,?の", kCmdMod, nullptr},
    {"余り", "?と,?の", kCmdMod, nullptr},
    {"SHR", "?を,?ビット", kCmdShr, nullptr},
    {"右シフト", "?を,?ビット", kCmdShr, nullptr},
    {"SHL", "?を,?ビット", kCmdShl, nullptr},
    {"左シフト", "?を,?ビット", kCmdShl, nullptr},
    {"HEX", "?", kCmdHex, nullptr},
    {"NOT", "?の", kCmdNot, nullptr},
    {"CMYK", "?,?,?,?", kCmdCmyk, nullptr},
};

static const TCommandFamily kFamily = {"numeric", kDefs, std::size(kDefs)};

const TCommandFamily& NumericFamily() { return kFamily; }

}  // namespace tama
