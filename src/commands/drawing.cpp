// Registration table of the drawing and image commands.
#include "commands/drawing.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"線", "?から,?へ", kCmdSen, nullptr},
    {"四角形", "?から,?へ", kCmdShikakukei, nullptr},
    {"円形", "?から,?へ", kCmdEnkei, nullptr},
    {"画像表示", "?を", kCmdGazouHyouji, nullptr},
    {"画像拡大表示", "?を,?で", kCmdGazouKakudaiHyouji, nullptr},
    {"描画処理反映", "", kCmdByougaShoriHanei, nullptr},
    {"点描画", "?の,?へ", kCmdTenByouga, nullptr},
    {"窓キャプチャー", "?へ,?を", kCmdMadoCapture, nullptr},
    {"イメージコピー", "?を,?の,?に", kCmdImageCopy, nullptr},
    {"画面フェードアウト", "?で", kCmdGamenFadeOut, nullptr},
    {"画面フェードイン", "?で", kCmdGamenFadeIn, nullptr},
    {"イメージ保存", "?へ,?を", kCmdImageHozon, nullptr},
    {"簡易印刷", "?を", kCmdKaniInsatsu, nullptr},
    {"垂直反転", "?を", kCmdSuichokuHanten, nullptr},
    {"水平反転", "?を", kCmdSuiheiHanten, nullptr},
    {"右回転", "?を", kCmdMigiKaiten, nullptr},
    {"ネガポジ反転", "?を", kCmdNegaPosiHanten, nullptr},
    {"グレイスケール変換", "?を", kCmdGrayscaleHenkan, nullptr},
    {"ソラリゼーション", "?を", kCmdSolarization, nullptr},
    {"明るさ補正", "?を,?度", kCmdAkarusaHosei, nullptr},
    {"ガンマ補正", "?を,?度", kCmdGammaHosei, nullptr},
    {"文字描画", "?の,?へ,?と", kCmdMojiByouga, nullptr},
    {"画像回転", "?を,?度", kCmdGazouKaiten, nullptr},
    {"画像エッジ検出", "?を", kCmdGazouEdgeKenshutsu, nullptr},
    {"画像ボカシ", "?を,?度", kCmdGazouBokashi, nullptr},
    {"画像シャープ", "?を,?度", kCmdGazouSharp, nullptr},
    {"画像セピア", "?を,?で", kCmdGazouSepia, nullptr},
    {"イメージ半透明コピー", "?を,?の,?に,?パーセント", kCmdImageHantoumeiCopy, nullptr},
    {"線描画", "?の,?から,?へ", kCmdSenByouga, nullptr},
    {"四角形描画", "?の,?から,?へ", kCmdShikakukeiByouga, nullptr},
    {"円形描画", "?の,?から,?へ", kCmdEnkeiByouga, nullptr},
    {"イメージ部分コピー", "?の,?を,?の,?に", kCmdImageBubunCopy, nullptr},
    {"イメージ印刷", "?を", kCmdImageInsatsu, nullptr},
    {"画像ビット数変更", "?を,?ビットに", kCmdGazouBitsuuHenkou, nullptr},
    {"座標色取得", "?の,?を", kCmdZahyouIroShutoku, nullptr},
    {"アイコン抽出", "?の,?を,?に", kCmdIconChuushutsu, nullptr},
    {"文字表示", "?の,?へ,?と", kCmdMojiHyouji, nullptr},
};

static const TCommandFamily kFamily = {"drawing", kDefs, std::size(kDefs)};

const TCommandFamily& DrawingFamily() { return kFamily; }

}  // namespace tama
