// Command ids of the numeric commands.
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum NumericId : int {
  kCmdKeisan = 600,              // 計算
  kCmdRansuu = 601,              // 乱数
  kCmdSeisuu = 602,              // 整数
  kCmdKirisute = 603,            // 切り捨て
  kCmdShishagonyuu = 604,        // 四捨五入
  kCmdSin = 605,                 // サイン／SIN
  kCmdCos = 606,                 // コサイン／COS
  kCmdTan = 607,                 // タンジェント／TAN
  kCmdRgb = 608,                 // RGB
  kCmdAbs = 609,                 // ABS
  kCmdCeil = 610,                // CEIL
  kCmdExp = 611,                 // EXP
  kCmdFloor = 612,               // FLOOR
  kCmdFrac = 613,                // FRAC
  kCmdInt = 614,                 // INT
  kCmdLn = 615,                  // LN
  kCmdLog = 616,                 // LOG
  kCmdPower = 617,               // POWER
  kCmdRound = 618,               // ROUND
  kCmdSqrt = 619,                // SQRT
  kCmdTrunc = 620,               // TRUNC
  kCmdRnd = 621,                 // RND
  kCmdRansuuShokika = 622,       // 乱数初期化
  kCmdLog2 = 623,                // LOG2
  kCmdLog10 = 624,               // LOG10
  kCmdArcTan = 625,              // ARCTAN
  kCmdArcCos = 626,              // ARCCOS
  kCmdArcSin = 627,              // ARCSIN
  kCmdHypot = 628,               // HYPOT
  kCmdCycleKaraRadian = 629,     // サイクルからラジアン
  kCmdDoKaraRadian = 630,        // 度からラジアン
  kCmdGradKaraRadian = 631,      // グラードからラジアン
  kCmdRadianKaraCycle = 632,     // ラジアンからサイクル
  kCmdRadianKaraDo = 633,        // ラジアンから度
  kCmdRadianKaraGrad = 634,      // ラジアンからグラード
  kCmdHairetsuGoukeichi = 635,   // 配列合計値／SUM
  kCmdHairetsuHeikinchi = 636,   // 配列平均値／AVERAGE
  kCmdHairetsuBunsanchi = 637,   // 配列分散値／VAR
  kCmdHyoujunHensachi = 638,     // 標準偏差値／STDEV
  kCmdHairetsuSaidaichi = 639,   // 配列最大値
  kCmdHairetsuSaishouchi = 640,  // 配列最小値
  kCmdTasu = 641,                // 足す
  kCmdHiku = 642,                // 引く
  kCmdKakeru = 643,              // 掛ける
  kCmdWaru = 644,                // 割る
  kCmdAnd = 645,                 // AND
  kCmdOr = 646,                  // OR
  kCmdXor = 647,                 // XOR
  kCmdMod = 648,                 // MOD／余り
  kCmdShr = 649,                 // SHR／右シフト
  kCmdShl = 650,                 // SHL／左シフト
  kCmdHex = 651,                 // HEX
  kCmdNot = 652,                 // NOT
  kCmdCmyk = 653,                // CMYK
};

// The registration table of this family.
const TCommandFamily& NumericFamily();

// The power rule of POWER, 切り捨て and 四捨五入: b = 0 gives 1; a = 0 with
// b > 0 gives 0; an integer b with |b| <= 2147483647 by repeated squaring (a
// negative b gives 1 / a^|b|); otherwise exp(b * ln a). Raises TNumError for
// the failing conditions (0 to a negative power, a negative base with a
// fractional exponent, overflow).
long double PowerRule(long double a, long double b);

}  // namespace tama
