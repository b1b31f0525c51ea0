// Command ids of the string commands (measuring, cutting, searching, replacing, formatting
// and splitting text).
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum StringsId : int {
  kCmdKugiru = 400,                  // 区切る
  kCmdChikan = 401,                  // 置換
  kCmdNanMojime = 402,               // 何文字目／POS
  kCmdMid = 403,                     // MID／切り出す
  kCmdRefrain = 404,                 // リフレイン
  kCmdGyousuu = 405,                 // 行数
  kCmdZengoNoKuuhakuSakujo = 406,    // 前後の空白削除／トリム
  kCmdKakuho = 407,                  // 確保
  kCmdKeyCode = 408,                 // キーコード／ASC
  kCmdMoji = 409,                    // 文字／CHR
  kCmdMojisuu = 410,                 // 文字数／LEN
  kCmdKiritoru = 411,                // 切り取る
  kCmdTagSakujo = 412,               // タグ削除
  kCmdTagKiridashi = 413,            // タグ切り出し
  kCmdByteSuu = 414,                 // バイト数／LENB
  kCmdMigihashiSakujo = 415,         // 右端削除
  kCmdHidarihashiSakujo = 416,       // 左端削除
  kCmdTsukaKeishikiNiHenkan = 417,   // 通貨形式に変換
  kCmdMigiyose = 418,                // 右寄せ
  kCmdZeroDeUmeru = 419,             // ゼロで埋める
  kCmdSeikiHyougenMatch = 420,       // 正規表現マッチ／RE
  kCmdRight = 421,                   // RIGHT
  kCmdLeft = 422,                    // LEFT
  kCmdSeikiHyougenKugiru = 423,      // 正規表現区切る
  kCmdSeikiHyougenChikan = 424,      // 正規表現置換
  kCmdSeikiHyougenIrekae = 425,      // 正規表現入換
  kCmdDanrakuWoKiridasu = 426,       // 段落を切り出す
  kCmdHanniWoKiritoru = 427,         // 範囲を切り取る
  kCmdHidarihashiWoKiritoru = 428,   // 左端を切り取る
  kCmdMigihashiWoKiritoru = 429,     // 右端を切り取る
  kCmdHanbetsuShiteKiritoru = 430,   // 判別して切り取る
  kCmdShiteiKeishikiNiHenkan = 431,  // 指定形式に変換
  kCmdOkuriganaSakujo = 432,         // 送り仮名削除
  kCmdBunHikaku = 433,               // 文比較
  kCmdMatch = 434,                   // マッチ
  kCmdBinaryDump = 435,              // バイナリダンプ
  kCmdTableTagDeKakomu = 436,        // テーブルタグで囲む
  kCmdShutsugenKaisuu = 437,         // 出現回数
  kCmdGyouSoroe = 438,               // 行揃え
  kCmdSuuretsuKa = 439,              // 数列か
  kCmdBinaryShutoku = 440,           // バイナリ取得
  kCmdBinarySettei = 441,            // バイナリ設定
  kCmdMidb = 442,                    // MIDB
  kCmdTanChikan = 443,               // 単置換
};

// The registration table of this family.
const TCommandFamily& StringsFamily();

}  // namespace tama
