// Registration table of the string commands (measuring, cutting, searching, replacing, formatting
// and splitting text).
#include "commands/strings.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"区切る", "?を,?で", kCmdKugiru, nullptr},
    {"置換", "?の,?を,?に", kCmdChikan, nullptr},
    {"何文字目", "?の中で,?が", kCmdNanMojime, nullptr},
    {"POS", "?,?", kCmdNanMojime, nullptr},
    {"MID", "?の中で,?から,?つ", kCmdMid, nullptr},
    {"切り出す", "?の中で,?から,?つ", kCmdMid, nullptr},
    {"リフレイン", "?を,?度", kCmdRefrain, nullptr},
    {"行数", "?の", kCmdGyousuu, nullptr},
    {"前後の空白削除", "?の", kCmdZengoNoKuuhakuSakujo, nullptr},
    {"トリム", "?を", kCmdZengoNoKuuhakuSakujo, nullptr},
    {"確保", "?に,?バイトを", kCmdKakuho, nullptr},
    {"キーコード", "?の", kCmdKeyCode, nullptr},
    {"ASC", "?", kCmdKeyCode, nullptr},
    {"文字", "?の", kCmdMoji, nullptr},
    {"CHR", "?", kCmdMoji, nullptr},
    {"文字数", "?の", kCmdMojisuu, nullptr},
    {"LEN", "?", kCmdMojisuu, nullptr},
    {"切り取る", "?の,?までを", kCmdKiritoru, nullptr},
    {"タグ削除", "?から", kCmdTagSakujo, nullptr},
    {"タグ切り出し", "?から,?の", kCmdTagKiridashi, nullptr},
    {"バイト数", "?の", kCmdByteSuu, nullptr},
    {"LENB", "?", kCmdByteSuu, nullptr},
    {"右端削除", "?から,?文字", kCmdMigihashiSakujo, nullptr},
    {"左端削除", "?から,?文字", kCmdHidarihashiSakujo, nullptr},
    {"通貨形式に変換", "?を", kCmdTsukaKeishikiNiHenkan, nullptr},
    {"右寄せ", "?を,?桁で", kCmdMigiyose, nullptr},
    {"ゼロで埋める", "?を,?桁の", kCmdZeroDeUmeru, nullptr},
    {"正規表現マッチ", "?を,?で", kCmdSeikiHyougenMatch, nullptr},
    {"RE", "?,?", kCmdSeikiHyougenMatch, nullptr},
    {"RIGHT", "?,?", kCmdRight, nullptr},
    {"LEFT", "?,?", kCmdLeft, nullptr},
    {"正規表現区切る", "?を,?で", kCmdSeikiHyougenKugiru, nullptr},
    {"正規表現置換", "?を,?で", kCmdSeikiHyougenChikan, nullptr},
    {"正規表現入換", "?を,?で", kCmdSeikiHyougenIrekae, nullptr},
    {"段落を切り出す", "?から,?番目の", kCmdDanrakuWoKiridasu, nullptr},
    {"範囲を切り取る", "?の,?から,?までの", kCmdHanniWoKiritoru, nullptr},
    {"左端を切り取る", "?から,?文字", kCmdHidarihashiWoKiritoru, nullptr},
    {"右端を切り取る", "?から,?文字", kCmdMigihashiWoKiritoru, nullptr},
    {"判別して切り取る", "?の,?までを,?で", kCmdHanbetsuShiteKiritoru, nullptr},
    {"指定形式に変換", "?を,?の", kCmdShiteiKeishikiNiHenkan, nullptr},
    {"送り仮名削除", "?から", kCmdOkuriganaSakujo, nullptr},
    {"文比較", "?と,?で", kCmdBunHikaku, nullptr},
    {"マッチ", "?を,?で", kCmdMatch, nullptr},
    {"バイナリダンプ", "?を", kCmdBinaryDump, nullptr},
    {"テーブルタグで囲む", "?を,?で", kCmdTableTagDeKakomu, nullptr},
    {"出現回数", "?で,?の", kCmdShutsugenKaisuu, nullptr},
    {"行揃え", "?を,?バイトで", kCmdGyouSoroe, nullptr},
    {"数列か", "?が", kCmdSuuretsuKa, nullptr},
    {"バイナリ取得", "?の,?を,?形式で", kCmdBinaryShutoku, nullptr},
    {"バイナリ設定", "?を,?の,?に,?形式で", kCmdBinarySettei, nullptr},
    {"MIDB", "?,?,?", kCmdMidb, nullptr},
    {"単置換", "?で,?個目の,?を,?に", kCmdTanChikan, nullptr},
};

static const TCommandFamily kFamily = {"strings", kDefs, std::size(kDefs)};

const TCommandFamily& StringsFamily() { return kFamily; }

}  // namespace tama
