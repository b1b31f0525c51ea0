// Command ids of the drawing and image commands.
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum DrawingId : int {
  kCmdSen = 1600,                // 線
  kCmdShikakukei = 1601,         // 四角形
  kCmdEnkei = 1602,              // 円形
  kCmdGazouHyouji = 1603,        // 画像表示
  kCmdGazouKakudaiHyouji = 1604, // 画像拡大表示
  kCmdByougaShoriHanei = 1605,   // 描画処理反映
  kCmdTenByouga = 1606,          // 点描画
  kCmdMadoCapture = 1607,        // 窓キャプチャー
  kCmdImageCopy = 1608,          // イメージコピー
  kCmdGamenFadeOut = 1609,       // 画面フェードアウト
  kCmdGamenFadeIn = 1610,        // 画面フェードイン
  kCmdImageHozon = 1611,         // イメージ保存
  kCmdKaniInsatsu = 1612,        // 簡易印刷
  kCmdSuichokuHanten = 1613,     // 垂直反転
  kCmdSuiheiHanten = 1614,       // 水平反転
  kCmdMigiKaiten = 1615,         // 右回転
  kCmdNegaPosiHanten = 1616,     // ネガポジ反転
  kCmdGrayscaleHenkan = 1617,    // グレイスケール変換
  kCmdSolarization = 1618,       // ソラリゼーション
  kCmdAkarusaHosei = 1619,       // 明るさ補正
  kCmdGammaHosei = 1620,         // ガンマ補正
  kCmdMojiByouga = 1621,         // 文字描画
  kCmdGazouKaiten = 1622,        // 画像回転
  kCmdGazouEdgeKenshutsu = 1623, // 画像エッジ検出
  kCmdGazouBokashi = 1624,       // 画像ボカシ
  kCmdGazouSharp = 1625,         // 画像シャープ
  kCmdGazouSepia = 1626,         // 画像セピア
  kCmdImageHantoumeiCopy = 1627, // イメージ半透明コピー
  kCmdSenByouga = 1628,          // 線描画
  kCmdShikakukeiByouga = 1629,   // 四角形描画
  kCmdEnkeiByouga = 1630,        // 円形描画
  kCmdImageBubunCopy = 1631,     // イメージ部分コピー
  kCmdImageInsatsu = 1632,       // イメージ印刷
  kCmdGazouBitsuuHenkou = 1633,  // 画像ビット数変更
  kCmdZahyouIroShutoku = 1634,   // 座標色取得
  kCmdIconChuushutsu = 1635,     // アイコン抽出
  kCmdMojiHyouji = 1636,         // 文字表示
};

// The registration table of this family.
const TCommandFamily& DrawingFamily();

}  // namespace tama
