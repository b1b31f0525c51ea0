// Command ids of the commands of the main window, its events and timers.
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum MainWindowId : int {
  kCmdHyouji = 1900,               // 表示
  kCmdIdou = 1901,                 // 移動
  kCmdGamenClear = 1902,           // 画面クリア
  kCmdTaiki = 1903,                // 待機
  kCmdMatsu = 1904,                // 待つ
  kCmdBokanInsatsu = 1905,         // 母艦印刷
  kCmdSaizenmen = 1906,            // 最前面
  kCmdSaihaimen = 1907,            // 最背面
  kCmdChuuouHeIdou = 1908,         // 中央へ移動
  kCmdTimerSettei = 1909,          // タイマー設定
  kCmdFormNoIchiKiroku = 1910,     // フォームの位置記録
  kCmdFormNoIchiFukugen = 1911,    // フォームの位置復元
  kCmdBokanSaidaika = 1912,        // 母艦最大化
  kCmdBokanSaishouka = 1913,       // 母艦最小化
  kCmdBokanMotoNoSize = 1914,      // 母艦元のサイズ
  kCmdTimerKaijo = 1915,           // タイマー解除
  kCmdBokanIcon = 1916,            // 母艦アイコン
  kCmdBokanZengamenka = 1917,      // 母艦全画面化
  kCmdCursorHyouji = 1918,         // カーソル表示
  kCmdBokanFujou = 1919,           // 母艦浮上
  kCmdBokanStyleSettei = 1920,     // 母艦スタイル設定
  kCmdTaskTrayHeIconHyouji = 1921, // タスクトレイへアイコン表示
  kCmdSaidaika = 1922,             // 最大化
  kCmdSaishouka = 1923,            // 最小化
  kCmdFormMotoNoSize = 1924,       // フォーム元のサイズ
};

// The registration table of this family.
const TCommandFamily& MainWindowFamily();

}  // namespace tama
