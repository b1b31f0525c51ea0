// Command ids of the commands on arrays (one element per line) and two-dimensional tables.
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum TablesId : int {
  kCmdSort = 700,                       // ソート
  kCmdSuuchiSort = 701,                 // 数値ソート
  kCmdGyakuNiSuru = 702,                // 逆にする
  kCmdHyouPickup = 703,                 // 表ピックアップ
  kCmdHyouKensaku = 704,                // 表検索
  kCmdHyouKensakuTsugiNoAtai = 705,     // 表検索次の値
  kCmdHyouKensakuClear = 706,           // 表検索クリア
  kCmdHyouAimaiKensaku = 707,           // 表曖昧検索
  kCmdHyouSaidaichi = 708,              // 表最大値
  kCmdHyouSaishouchi = 709,             // 表最小値
  kCmdHyouHeikinchi = 710,              // 表平均値
  kCmdHyouSort = 711,                   // 表ソート
  kCmdHyouSuuchiSort = 712,             // 表数値ソート
  kCmdHyouGoukei = 713,                 // 表合計
  kCmdGyouSounyuu = 714,                // 行挿入
  kCmdGyouSakujo = 715,                 // 行削除
  kCmdHyouRetsuSounyuu = 716,           // 表列挿入
  kCmdHyouRetsuSakujo = 717,            // 表列削除
  kCmdHyouChoufukuKoumokuSakujo = 718,  // 表重複項目削除
  kCmdHashKeyRekkyo = 719,              // ハッシュキー列挙
  kCmdJishoKoumokuRekkyo = 720,         // 辞書項目列挙
  kCmdHyouRetsuCopy = 721,              // 表列コピー
  kCmdHyouRetsuHaritsuke = 722,         // 表列貼付け
  kCmdHyouHizukeSort = 723,             // 表日付ソート
  kCmdHyouJoukenChuushutsu = 724,       // 表条件抽出
  kCmdHyouKeyGousei = 725,              // 表キー合成
  kCmdYousosuu = 726,                   // 要素数
  kCmdHairetsuShuffle = 727,            // 配列シャッフル
  kCmdHyouGyouretsuKoukan = 728,        // 表行列交換
  kCmdHyouGyousuu = 729,                // 表行数
  kCmdHyouRetsusuu = 730,               // 表列数
  kCmdHyouRetsuShiteiChikan = 731,      // 表列指定置換
  kCmdHyouRetsuIdou = 732,              // 表列移動
};

// The registration table of this family.
const TCommandFamily& TablesFamily();

}  // namespace tama
