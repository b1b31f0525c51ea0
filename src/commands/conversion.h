// Command ids of the conversion commands (character width, case and kana, character
// classes, text encodings, BASE64 and mail headers).
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include <string>
#include <string_view>

#include "engine/command.h"

namespace tama {

enum ConversionId : int {
  kCmdHankakuHenkan = 500,           // 半角変換
  kCmdZenkakuHenkan = 501,           // 全角変換
  kCmdOomojiHenkan = 502,            // 大文字変換
  kCmdKomojiHenkan = 503,            // 小文字変換
  kCmdHiraganaHenkan = 504,          // ひらがな変換
  kCmdKatakanaHenkan = 505,          // カタカナ変換
  kCmdEisuuHankakuHenkan = 506,      // 英数半角変換
  kCmdOomojiKa = 507,                // 大文字か
  kCmdSuujiKa = 508,                 // 数字か
  kCmdZenkakuKa = 509,               // 全角か
  kCmdHiraganaKa = 510,              // ひらがなか
  kCmdKatakanaKa = 511,              // カタカナか
  kCmdMojiCodeWoEucNiHenkan = 512,   // 文字コードをEUCに変換
  kCmdMojiCodeWoJisNiHenkan = 513,   // 文字コードをJISに変換
  kCmdMojiCodeWoSjisNiHenkan = 514,  // 文字コードをSJISに変換
  kCmdBase64Encode = 515,            // BASE64エンコード
  kCmdBase64Decode = 516,            // BASE64デコード
  kCmdMojiCodeHenkan = 517,          // 文字コード変換
  kCmdMailHeaderEncode = 518,        // メールヘッダエンコード
  kCmdMailHeaderDecode = 519,        // メールヘッダデコード
};

// The registration table of this family.
const TCommandFamily& ConversionFamily();

// 英数半角変換: the full-width digits, letters, the symbols
// ！”＃＄％＆’（）＝－￥［］｛｝＿／＞＜，．＠‘ and the ideographic space made
// half-width; every other character is copied as it is.
std::string AlnumToHalfWidth(std::string_view s);

}  // namespace tama
