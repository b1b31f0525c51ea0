// Registration table of the commands on arrays (one element per line) and two-dimensional tables.
#include "commands/tables.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"ソート", "?を", kCmdSort, nullptr},
    {"数値ソート", "?を", kCmdSuuchiSort, nullptr},
    {"逆にする", "?を", kCmdGyakuNiSuru, nullptr},
    {"表ピックアップ", "?の,?列目から,?を", kCmdHyouPickup, nullptr},
    {"表検索", "?の,?列目から,?を", kCmdHyouKensaku, nullptr},
    {"表検索次の値", "", kCmdHyouKensakuTsugiNoAtai, nullptr},
    {"表検索クリア", "", kCmdHyouKensakuClear, nullptr},
    {"表曖昧検索", "?の,?列目から,?を", kCmdHyouAimaiKensaku, nullptr},
    {"表最大値", "?の,?列目の", kCmdHyouSaidaichi, nullptr},
    {"表最小値", "?の,?列目の", kCmdHyouSaishouchi, nullptr},
    {"表平均値", "?の,?列目の", kCmdHyouHeikinchi, nullptr},
    {"表ソート", "?の,?列目を", kCmdHyouSort, nullptr},
    {"表数値ソート", "?の,?列目を", kCmdHyouSuuchiSort, nullptr},
    {"表合計", "?の,?列目の", kCmdHyouGoukei, nullptr},
    {"行挿入", "?の,?行目へ,?を", kCmdGyouSounyuu, nullptr},
    {"行削除", "?の,?行目を", kCmdGyouSakujo, nullptr},
    {"表列挿入", "?の,?列目へ", kCmdHyouRetsuSounyuu, nullptr},
    {"表列削除", "?の,?列目を", kCmdHyouRetsuSakujo, nullptr},
    {"表重複項目削除", "?の,?列目をキーに", kCmdHyouChoufukuKoumokuSakujo, nullptr},
    {"ハッシュキー列挙", "?の", kCmdHashKeyRekkyo, nullptr},
    {"辞書項目列挙", "?の", kCmdJishoKoumokuRekkyo, nullptr},
    {"表列コピー", "?の,?列目を", kCmdHyouRetsuCopy, nullptr},
    {"表列貼付け", "?の,?列目に,?を", kCmdHyouRetsuHaritsuke, nullptr},
    {"表日付ソート", "?の,?列目を", kCmdHyouHizukeSort, nullptr},
    {"表条件抽出", "?を,?で", kCmdHyouJoukenChuushutsu, nullptr},
    {"表キー合成", "?の,?列目と,?の,?列目で", kCmdHyouKeyGousei, nullptr},
    {"要素数", "?の", kCmdYousosuu, nullptr},
    {"配列シャッフル", "?を", kCmdHairetsuShuffle, nullptr},
    {"表行列交換", "?の", kCmdHyouGyouretsuKoukan, nullptr},
    {"表行数", "?の", kCmdHyouGyousuu, nullptr},
    {"表列数", "?の", kCmdHyouRetsusuu, nullptr},
    {"表列指定置換", "?の,?列目にある,?を,?に", kCmdHyouRetsuShiteiChikan, nullptr},
    {"表列移動", "?の,?列目と,?列目を", kCmdHyouRetsuIdou, nullptr},
};

static const TCommandFamily kFamily = {"tables", kDefs, std::size(kDefs)};

const TCommandFamily& TablesFamily() { return kFamily; }

}  // namespace tama
