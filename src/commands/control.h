// Command ids of the control-flow commands (conditions, loops, jumps, subroutines, included
// files, the end of the run).
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum ControlId : int {
  kCmdOwari = 200,                    // おわり／終わり／おわる
  kCmdModoru = 201,                   // 戻る
  kCmdTobu = 202,                     // 飛ぶ
  kCmdYobu = 203,                     // 呼ぶ
  kCmdNaraba = 204,                   // ならば
  kCmdChigaeba = 205,                 // 違えば／でなければ
  kCmdTorikomu = 206,                 // 取り込む
  kCmdKurikaesu = 207,                // 繰り返す
  kCmdHanpuku = 208,                  // 反復
  kCmdTamakazusuru = 209,             // たまかずする
  kCmdMoshi = 210,                    // もし
  kCmdShuuryouShoriSettei = 211,      // 終了処理設定
  kCmdNara = 212,                     // なら
  kCmdNukeru = 213,                   // 抜ける
  kCmdKaigyouDeJikkouWoTomeru = 214,  // 改行で実行を止める
  kCmdJoukenBunki = 215,              // 条件分岐
  kCmdTsuzukeru = 216,                // 続ける
  kCmdKansuuTeigi = 217,              // 関数定義
  kCmdHikisuuShutoku = 218,           // 引数取得
  kCmdLoop = 219,                     // ループ
};

// The registration table of this family.
const TCommandFamily& ControlFamily();

}  // namespace tama
