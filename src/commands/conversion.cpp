// Registration table of the conversion commands (character width, case and kana, character
// classes, text encodings, BASE64 and mail headers).
#include "commands/conversion.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"半角変換", "?を", kCmdHankakuHenkan, nullptr},
    {"全角変換", "?を", kCmdZenkakuHenkan, nullptr},
    {"大文字変換", "?を", kCmdOomojiHenkan, nullptr},
    {"小文字変換", "?を", kCmdKomojiHenkan, nullptr},
    {"ひらがな変換", "?を", kCmdHiraganaHenkan, nullptr},
    {"カタカナ変換", "?を", kCmdKatakanaHenkan, nullptr},
    {"英数半角変換", "?を", kCmdEisuuHankakuHenkan, nullptr},
    {"大文字か", "?が", kCmdOomojiKa, nullptr},
    {"数字か", "?が", kCmdSuujiKa, nullptr},
    {"全角か", "?が", kCmdZenkakuKa, nullptr},
    {"ひらがなか", "?が", kCmdHiraganaKa, nullptr},
    {"カタカナか", "?が", kCmdKatakanaKa, nullptr},
    {"文字コードをEUCに変換", "?の", kCmdMojiCodeWoEucNiHenkan, nullptr},
    {"文字コードをJISに変換", "?の", kCmdMojiCodeWoJisNiHenkan, nullptr},
    {"文字コードをSJISに変換", "?の", kCmdMojiCodeWoSjisNiHenkan, nullptr},
    {"BASE64エンコード", "?を", kCmdBase64Encode, nullptr},
    {"BASE64デコード", "?を", kCmdBase64Decode, nullptr},
    {"文字コード変換", "?の,?から,?へ", kCmdMojiCodeHenkan, nullptr},
    {"メールヘッダエンコード", "?を", kCmdMailHeaderEncode, nullptr},
    {"メールヘッダデコード", "?を", kCmdMailHeaderDecode, nullptr},
};

static const TCommandFamily kFamily = {"conversion", kDefs, std::size(kDefs)};

const TCommandFamily& ConversionFamily() { return kFamily; }

}  // namespace tama
