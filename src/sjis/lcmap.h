// Per-character width, kana and case mapping of Shift-JIS (CP932) text, and
// the character class tests built on the same tables.
//
// Every mapping works character by character on CP932 bytes, stops at the
// first zero byte (the result ends there) and maps an empty text to an empty
// text. A double-byte character without a mapping, and a lead byte as the last
// byte, are copied as they are.
#pragma once
#include <string>
#include <string_view>

namespace tama::sjis {

enum class LcMap { kHalfWidth, kFullWidth, kHiragana, kKatakana, kUpper, kLower };

// Full-width ASCII (FF01-FF5E) and the ideographic space to ASCII; the quotes
// ”“ ’ ‘ and ￥ to " ' ` and the backslash (0x5C); full-width katakana to
// half-width katakana (a voiced or semi-voiced kana becomes base + ﾞ/ﾟ: ガ ->
// ｶﾞ, ヴ -> ｳﾞ); 。「」、・ー゛゜ to ｡｢｣､･ｰﾞﾟ. Hiragana, kanji and the kana
// without a half-width form (ヮヰヱヵヶ) stay.
std::string ToHalfWidth(std::string_view s);
// ASCII 0x20-0x7E to full width (" -> ”, ' -> ’, \ -> ＼, ~ -> ～, space ->
// the ideographic space); half-width katakana to full width, a kana followed
// by ﾞ/ﾟ combined into one character where one exists (ｶﾞ -> ガ, ｳﾞ -> ヴ,
// ﾊﾟ -> パ), a lone ﾞ/ﾟ to ゛/゜. Control bytes stay.
std::string ToFullWidth(std::string_view s);
// Full-width katakana to hiragana (ァ-ン -> ぁ-ん, ヽヾ -> ゝゞ; ヴヵヶ stay).
std::string ToHiragana(std::string_view s);
// Hiragana to full-width katakana (ぁ-ん -> ァ-ン, ゝゞ -> ヽヾ).
std::string ToKatakana(std::string_view s);
// Case of ASCII letters and of the full-width Latin, Greek and Cyrillic
// letters. Roman numerals and half-width kana stay.
std::string ToUpper(std::string_view s);
std::string ToLower(std::string_view s);

// The same mappings, appending to out (no allocation beyond out's growth).
void AppendMapped(std::string& out, std::string_view s, LcMap how);
std::string Mapped(std::string_view s, LcMap how);

// Character class tests on the start of a text.
// The first character, made half-width, is an ASCII capital A-Z ("Ａ" too).
bool FirstCharIsUpper(std::string_view s);
// The first character, made half-width, is an ASCII digit 0-9 ("１" too).
bool FirstCharIsDigit(std::string_view s);
// The first byte is a lead byte of a double-byte character.
bool FirstByteIsLead(std::string_view s);
// At least 2 bytes, and the first two read as lead*256+trail lie in
// 0x82A0-0x833E (あ-ん; ぁ 0x829F is outside) or 0x8340-0x839D (ァ-ヶ).
bool StartsWithHiragana(std::string_view s);
bool StartsWithKatakana(std::string_view s);

}  // namespace tama::sjis
