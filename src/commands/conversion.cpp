// Registration table of the conversion commands (character width, case and kana, character
// classes, text encodings, BASE64 and mail headers).
#include "commands/conversion.h"

#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>

#include "engine/tama.h"
#include "sjis/lcmap.h"
#include "sjis/sjis.h"
#include "support/base64.h"
#include "support/jcode.h"
#include "support/mailheader.h"

namespace tama {

namespace {

// The full-width letters, digits and symbols that 英数半角変換 makes half-width.
constexpr char kAlnumList[] =
    "０１２３４５６７８９ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ"
    "！”＃＄％＆’（）＝－￥［］｛｝＿／＞＜，．＠‘　";
static_assert(sizeof kAlnumList == 2 * 87 + 1);

// Membership by trail byte, for the two lead bytes the list uses.
struct TAlnumSet {
  bool in[2][256];
};
constexpr TAlnumSet MakeAlnumSet() {
  TAlnumSet set{};
  for (size_t i = 0; i + 1 < sizeof kAlnumList; i += 2)
    set.in[static_cast<unsigned char>(kAlnumList[i]) - 0x81][static_cast<unsigned char>(kAlnumList[i + 1])] = true;
  return set;
}
constexpr TAlnumSet kAlnumSet = MakeAlnumSet();

void MapWidth(TTamaBase& t, int id) {
  std::string v = t.PopArgValue();
  t.SetResult(sjis::Mapped(v, id == kCmdHankakuHenkan ? sjis::LcMap::kHalfWidth : sjis::LcMap::kFullWidth), kTagString);
}

void MapCaseKana(TTamaBase& t, int id) {
  std::string v = t.PopArgValue();
  sjis::LcMap how = sjis::LcMap::kUpper;
  switch (id) {
    case kCmdKomojiHenkan: how = sjis::LcMap::kLower; break;
    case kCmdHiraganaHenkan: how = sjis::LcMap::kHiragana; break;
    case kCmdKatakanaHenkan: how = sjis::LcMap::kKatakana; break;
    default: break;
  }
  t.SetResultTagged(sjis::Mapped(v, how), kTagString);
}

void EisuuHankaku(TTamaBase& t, int) {
  std::string v = t.PopArgValue();
  t.SetResult(AlnumToHalfWidth(v), kTagString);
}

void ClassTest(TTamaBase& t, int id) {
  std::string v = t.PopArgValue();
  bool yes = false;
  switch (id) {
    case kCmdOomojiKa: yes = sjis::FirstCharIsUpper(v); break;
    case kCmdSuujiKa: yes = sjis::FirstCharIsDigit(v); break;
    case kCmdZenkakuKa: yes = sjis::FirstByteIsLead(v); break;
    case kCmdHiraganaKa: yes = sjis::StartsWithHiragana(v); break;
    case kCmdKatakanaKa: yes = sjis::StartsWithKatakana(v); break;
    default: break;
  }
  t.SetResultTagged(yes ? "1" : "0", kTagNumber);
}

// 文字コードをEUCに変換, 文字コードをJISに変換, 文字コードをSJISに変換: from the
// encoding the text is found in. An empty text leaves それ as it is.
void ToFixedCode(TTamaBase& t, int id) {
  std::string v = t.PopArgValue();
  if (v.empty()) return;
  const int to = id == kCmdMojiCodeWoEucNiHenkan   ? support::kCodeEuc
                 : id == kCmdMojiCodeWoJisNiHenkan ? support::kCodeJisNew
                                                   : support::kCodeSjis;
  t.SetResultTagged(support::ConvertCode(v, support::DetectCode(v), to), kTagString);
}

// 文字コード変換: from the named encoding to the named encoding.
void MojiCodeHenkan(TTamaBase& t, int) {
  std::string to = t.PopArgValue();
  std::string from = t.PopArgValue();
  std::string v = t.PopArgValue();
  t.SetResult(support::ConvertCode(v, support::CodeFromName(from), support::CodeFromName(to)), kTagString);
}

void Base64Enc(TTamaBase& t, int) {
  std::string v = t.PopArgValue();
  t.SetResultTagged(support::Base64Encode(v), kTagString);
}

void Base64Dec(TTamaBase& t, int) {
  std::string v = t.PopArgValue();
  std::string bytes;
  support::Base64Decode(v, bytes);  // a failure leaves the result empty
  t.SetResultTagged(std::move(bytes), kTagString);
}

void MailHeader(TTamaBase& t, int id) {
  std::string v = t.PopArgValue();
  t.SetResult(id == kCmdMailHeaderEncode ? support::MailHeaderEncode(v) : support::MailHeaderDecode(v), kTagString);
}

}  // namespace

std::string AlnumToHalfWidth(std::string_view s) {
  const size_t n = s.size();
  std::string out;
  out.reserve(n);
  for (size_t i = 0; i < n;) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (sjis::IsLead(c) && i + 1 < n) {
      if ((c == 0x81 || c == 0x82) && kAlnumSet.in[c - 0x81][static_cast<unsigned char>(s[i + 1])])
        sjis::AppendMapped(out, s.substr(i, 2), sjis::LcMap::kHalfWidth);
      else
        out.append(s.substr(i, 2));
      i += 2;
    } else {
      out.push_back(static_cast<char>(c));
      ++i;
    }
  }
  return out;
}

static const TCommandDef kDefs[] = {
    {"半角変換", "?を", kCmdHankakuHenkan, MapWidth},
    {"全角変換", "?を", kCmdZenkakuHenkan, MapWidth},
    {"大文字変換", "?を", kCmdOomojiHenkan, MapCaseKana},
    {"小文字変換", "?を", kCmdKomojiHenkan, MapCaseKana},
    {"ひらがな変換", "?を", kCmdHiraganaHenkan, MapCaseKana},
    {"カタカナ変換", "?を", kCmdKatakanaHenkan, MapCaseKana},
    {"英数半角変換", "?を", kCmdEisuuHankakuHenkan, EisuuHankaku},
    {"大文字か", "?が", kCmdOomojiKa, ClassTest},
    {"数字か", "?が", kCmdSuujiKa, ClassTest},
    {"全角か", "?が", kCmdZenkakuKa, ClassTest},
    {"ひらがなか", "?が", kCmdHiraganaKa, ClassTest},
    {"カタカナか", "?が", kCmdKatakanaKa, ClassTest},
    {"文字コードをEUCに変換", "?の", kCmdMojiCodeWoEucNiHenkan, ToFixedCode},
    {"文字コードをJISに変換", "?の", kCmdMojiCodeWoJisNiHenkan, ToFixedCode},
    {"文字コードをSJISに変換", "?の", kCmdMojiCodeWoSjisNiHenkan, ToFixedCode},
    {"BASE64エンコード", "?を", kCmdBase64Encode, Base64Enc},
    {"BASE64デコード", "?を", kCmdBase64Decode, Base64Dec},
    {"文字コード変換", "?の,?から,?へ", kCmdMojiCodeHenkan, MojiCodeHenkan},
    {"メールヘッダエンコード", "?を", kCmdMailHeaderEncode, MailHeader},
    {"メールヘッダデコード", "?を", kCmdMailHeaderDecode, MailHeader},
};

static const TCommandFamily kFamily = {"conversion", kDefs, std::size(kDefs)};

const TCommandFamily& ConversionFamily() { return kFamily; }

}  // namespace tama
