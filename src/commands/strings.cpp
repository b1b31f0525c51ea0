// Registration table of the string commands (measuring, cutting, searching, replacing, formatting
// and splitting text).
//
// Character commands count and cut by Shift-JIS character and see a value up
// to its first zero byte; the commands named for bytes and raw data use the
// whole counted value.
#include "commands/strings.h"

#include <cmath>
#include <iterator>
#include <limits>

#include "engine/tama.h"
#include "sjis/sjis.h"
#include "support/csvdb.h"
#include "support/number.h"
#include "support/regex_command.h"
#include "support/textformat.h"
#include "support/textops.h"
#include "support/wildcard.h"

namespace tama {

namespace {

using textops::CharText;

// Texts longer than this are not built (the length of a value is a signed 32-bit count).
constexpr uint64_t kMaxTextBytes = std::numeric_limits<int32_t>::max();

const char* CommandName(int id);

std::string Quoted(int id) { return std::string("\"") + CommandName(id) + "\""; }
std::string ArgumentError(int id) { return Quoted(id) + "命令の引数に誤りがあります。"; }

// Number-read: the number-reading rule, truncated to a signed 32-bit integer.
int32_t PopNumberRead(TTamaBase& t) { return NumberRead(t.PopArgNumber()); }
// Integer-read with a default.
int32_t PopIntegerRead(TTamaBase& t, int32_t deflt) { return ReadInteger(t.PopArgValue(), deflt); }

std::string Count(int64_t n) { return FormatInteger(n); }

// それ's value only: its tag stays as it was.
void SetValueOnly(TTamaBase& t, std::string value) { t.Sore().SetValue(std::move(value)); }

// The variable of exactly that name, or nullptr.
THashNodeRef FindVariable(TTamaBase& t, const std::string& name) {
  THashNodeRef node = t.words.FindRef(name, false);
  if (node && node->Kind == wkVariable) return node;
  return nullptr;
}

// The source of a cutting command: the named variable's value, or the
// argument evaluated when no variable has that name.
std::string CutSource(TTamaBase& t, const std::string& arg, THashNodeRef& var) {
  var = FindVariable(t, arg);
  if (var) return var->Value();
  return t.EvaluateText(arg);
}

// The remainder goes back to the variable unless it is それ itself.
void WriteBack(TTamaBase& t, const THashNodeRef& var, std::string rest) {
  if (var && var.get() != &t.Sore()) var->SetValue(std::move(rest));
}

void CheckSize(uint64_t bytes) {
  if (bytes > kMaxTextBytes) RaiseNumError(NumFault::kRange);
}

// ---------------------------------------------------------------------------
// Measuring and testing

void Mojisuu(TTamaBase& t, int) {
  const std::string v = t.PopArgValue();
  t.SetResultTagged(Count(static_cast<int64_t>(textops::CharCount(CharText(v)))), kTagNumber);
}

void ByteSuu(TTamaBase& t, int) {
  const std::string v = t.PopArgValue();
  t.SetResultTagged(Count(static_cast<int64_t>(v.size())), kTagNumber);
}

void Gyousuu(TTamaBase& t, int) {
  const std::string name = t.PopArgText();
  THashNode* w = t.words.Find(name, false);
  if (!w) t.Raise("変数\"" + name + "\"が見つかりません。");
  SetValueOnly(t, Count(textops::LineCount(CharText(w->Value()))));
}

void NanMojime(TTamaBase& t, int) {
  const std::string what = t.PopArgValue();
  const std::string s = t.PopArgValue();
  t.SetResultTagged(Count(textops::CharIndexOf(CharText(s), CharText(what))), kTagNumber);
}

void ShutsugenKaisuu(TTamaBase& t, int) {
  const std::string word = t.PopArgValue();
  const std::string s = t.PopArgValue();
  t.SetResultTagged(Count(textops::CountOccurrences(CharText(s), CharText(word))), kTagNumber);
}

void BunHikaku(TTamaBase& t, int) {
  const std::string b = t.PopArgValue();
  const std::string a = t.PopArgValue();
  t.SetResultTagged(a == b ? "1" : "0", kTagNumber);
}

void SuuretsuKa(TTamaBase& t, int) {
  const std::string v = t.PopArgValue();
  t.SetResultTagged(textops::IsNumberSequence(v) ? "1" : "0", kTagNumber);
}

// ---------------------------------------------------------------------------
// Extracting

void Mid(TTamaBase& t, int) {
  const int32_t n = PopIntegerRead(t, 0);
  const int32_t p = PopIntegerRead(t, 0);
  const std::string s = t.PopArgValue();
  t.SetResultTagged(std::string(textops::MidChars(CharText(s), p, n)), kTagString);
}

void Midb(TTamaBase& t, int) {
  const int32_t n = PopIntegerRead(t, 0);
  const int32_t p = PopIntegerRead(t, 0);
  const std::string s = t.PopArgValue();
  t.SetResultTagged(std::string(textops::MidBytes(s, p, n)), kTagString);
}

// LEFT, RIGHT, 左端削除, 右端削除
void LeftRight(TTamaBase& t, int id) {
  const int32_t n = PopNumberRead(t);
  const std::string v = t.PopArgValue();
  const std::string_view s = CharText(v);
  std::string_view r;
  switch (id) {
    case kCmdLeft: r = textops::LeftChars(s, n); break;
    case kCmdRight: r = textops::RightChars(s, n); break;
    case kCmdHidarihashiSakujo: r = textops::DropLeftChars(s, n); break;
    default: r = textops::DropRightChars(s, n); break;
  }
  t.SetResultTagged(std::string(r), kTagString);
}

void DanrakuWoKiridasu(TTamaBase& t, int) {
  const int32_t n = PopIntegerRead(t, -1);
  const std::string s = t.PopArgValue();
  t.SetResultTagged(std::string(textops::Paragraph(CharText(s), n)), kTagString);
}

// ---------------------------------------------------------------------------
// Cutting

void Kiritoru(TTamaBase& t, int id) {
  const std::string delim = t.PopArgValue();
  const std::string arg = t.PopArgText();
  t.Sore().Tag = kTagString;
  if (delim.empty()) {
    t.SetResultTagged("", kTagString);
    return;
  }
  THashNodeRef var;
  const std::string source = CutSource(t, arg, var);
  if (source.empty()) t.Raise(ArgumentError(id));
  textops::TCut cut = textops::CutAt(CharText(source), CharText(delim));
  WriteBack(t, var, std::move(cut.rest));
  t.SetResultTagged(std::move(cut.cut), kTagString);
}

void HanbetsuShiteKiritoru(TTamaBase& t, int id) {
  const std::string escape = t.PopArgValue();
  const std::string delim = t.PopArgValue();
  const std::string arg = t.PopArgText();
  t.Sore().Tag = kTagString;
  if (escape.size() != 1) t.Raise(ArgumentError(id) + "判別文字は \\などの半角１文字で指定。");
  if (delim.empty()) {
    t.SetResultTagged("", kTagString);
    return;
  }
  THashNodeRef var;
  const std::string source = CutSource(t, arg, var);
  if (source.empty()) t.Raise(ArgumentError(id));
  textops::TCut cut = textops::CutAtEscaped(CharText(source), CharText(delim), escape[0]);
  WriteBack(t, var, std::move(cut.rest));
  t.SetResultTagged(std::move(cut.cut), kTagString);
}

void HanniWoKiritoru(TTamaBase& t, int id) {
  const std::string end = t.PopArgValue();
  const std::string start = t.PopArgValue();
  const std::string arg = t.PopArgText();
  THashNodeRef var = FindVariable(t, arg);
  if (!var) t.Raise(ArgumentError(id) + "１番目の引数は、変数である必要があります。");
  // the value is taken before それ is emptied, so that a cut from それ itself sees it
  const std::string source = var->Value();
  t.SetResultTagged("", kTagString);
  textops::TRangeCut cut = textops::CutRange(CharText(source), CharText(start), CharText(end));
  if (!cut.found) return;
  WriteBack(t, var, std::move(cut.rest));
  t.SetResultTagged(std::move(cut.span), kTagString);
}

// 左端を切り取る, 右端を切り取る
void HashiWoKiritoru(TTamaBase& t, int id) {
  const int32_t n = PopNumberRead(t);
  const std::string arg = t.PopArgText();
  const std::string value = t.EvaluateText(arg);
  const std::string_view source = CharText(value);
  if (n < 1 || source.empty()) {
    t.SetResultTagged("", kTagString);
    return;
  }
  const bool left = id == kCmdHidarihashiWoKiritoru;
  std::string cut(left ? textops::LeftChars(source, n) : textops::RightChars(source, n));
  if (!arg.empty() && arg[0] != '"' && arg[0] != '`') {
    if (THashNodeRef var = FindVariable(t, arg))
      WriteBack(t, var, std::string(left ? textops::DropLeftChars(source, n) : textops::DropRightChars(source, n)));
  }
  t.SetResultTagged(std::move(cut), kTagString);
}

// ---------------------------------------------------------------------------
// Building and replacing

void Chikan(TTamaBase& t, int) {
  const std::string to = t.PopArgValue();
  const std::string from = t.PopArgValue();
  const std::string s = t.PopArgValue();
  t.SetResultTagged(textops::ReplaceAll(CharText(s), CharText(from), CharText(to)), kTagString);
}

void TanChikan(TTamaBase& t, int) {
  const std::string to = t.PopArgValue();
  const std::string from = t.PopArgValue();
  const int32_t n = PopNumberRead(t);
  const std::string s = t.PopArgValue();
  t.SetResultTagged(textops::ReplaceNth(CharText(s), CharText(from), n, CharText(to)), kTagString);
}

void Refrain(TTamaBase& t, int) {
  const int32_t n = PopIntegerRead(t, 0);
  const std::string s = t.PopArgValue();
  if (n > 0) CheckSize(static_cast<uint64_t>(s.size()) * static_cast<uint64_t>(n));
  t.SetResultTagged(textops::Repeat(s, n), kTagString);
}

void Kakuho(TTamaBase& t, int) {
  const int32_t n = PopNumberRead(t);
  const std::string name = t.PopArgText();
  THashNodeRef var = t.words.FindRef(name, false);
  if (!var) {
    var = std::make_shared<THashNode>(name, false, t.frames.FrameCount(), "");
    var->Kind = wkVariable;
    var->Tag = kTagString;
    t.AddWord(var);
  }
  // bytes added at the end are zero bytes
  var->MutableValue().resize(n > 0 ? static_cast<size_t>(n) : 0, '\0');
}

void Trim(TTamaBase& t, int) {
  const std::string s = t.PopArgValue();
  SetValueOnly(t, std::string(textops::TrimBlanks(CharText(s))));
}

void OkuriganaSakujo(TTamaBase& t, int) {
  const std::string s = t.PopArgValue();
  t.SetResultTagged(textops::DropOkurigana(CharText(s)), kTagString);
}

// ---------------------------------------------------------------------------
// Formatting

void TsukaKeishiki(TTamaBase& t, int) {
  const std::string s = t.PopArgValue();
  SetValueOnly(t, FormatCurrency(s));
}

// 右寄せ, ゼロで埋める
void PadLeft(TTamaBase& t, int id) {
  const int32_t w = PopNumberRead(t);
  const std::string s = t.PopArgValue();
  SetValueOnly(t, textops::PadLeft(s, w, id == kCmdZeroDeUmeru ? '0' : ' '));
}

void ShiteiKeishiki(TTamaBase& t, int id) {
  const std::string format = t.PopArgValue();
  const std::string value = t.PopArgValue();
  std::optional<std::string> r = FormatValue(format, value);
  if (!r) t.Raise(Quoted(id) + "は、文法が正しくないため、実行できません。");
  t.SetResultTagged(std::move(*r), kTagString);
}

void GyouSoroe(TTamaBase& t, int) {
  const int32_t w = PopNumberRead(t);
  const std::string s = t.PopArgValue();
  const int32_t tab = NumberRead(TextToNumber(t.QuickWord("タブ文字の個数").Value()));
  const std::string forbidden = t.QuickWord("禁則処理の行頭禁止文字").Value();
  t.SetResultTagged(textops::WrapLines(CharText(s), w, tab, CharText(forbidden)), kTagString);
}

// ---------------------------------------------------------------------------
// Character codes and raw bytes

void KeyCode(TTamaBase& t, int id) {
  const std::string s = t.PopArgValue();
  if (s.empty()) t.Raise(ArgumentError(id));
  const unsigned char c = static_cast<unsigned char>(s[0]);
  unsigned code = c;
  if (sjis::IsLead(c)) {
    if (s.size() < 2) RaiseNumError(NumFault::kRange);
    code = c * 256u + static_cast<unsigned char>(s[1]);
  }
  t.SetResultTagged(Count(code), kTagNumber);
}

void Moji(TTamaBase& t, int id) {
  const int32_t code = PopIntegerRead(t, -1);
  if (code < 0) t.Raise(ArgumentError(id));
  if (code > 65535) RaiseNumError(NumFault::kRange);
  std::string r;
  if (code > 255) r += static_cast<char>(code / 256);
  r += static_cast<char>(code % 256);
  t.SetResultTagged(std::move(r), kTagString);
}

void BinaryDump(TTamaBase& t, int) {
  const std::string s = t.PopArgValue();
  t.SetResultTagged(textops::BinaryDump(s), kTagString);
}

enum class TBinaryFormat { kNone, kChar, kByte, kWord, kDword, kInt, kCharPtr };

TBinaryFormat BinaryFormatOf(const std::string& name) {
  const std::string u = textops::AsciiUpper(name);
  if (u == "CHAR") return TBinaryFormat::kChar;
  if (u == "BYTE") return TBinaryFormat::kByte;
  if (u == "WORD") return TBinaryFormat::kWord;
  if (u == "DWORD") return TBinaryFormat::kDword;
  if (u == "INT") return TBinaryFormat::kInt;
  if (u == "CHAR*") return TBinaryFormat::kCharPtr;
  return TBinaryFormat::kNone;
}

size_t BinaryWidth(TBinaryFormat f) {
  switch (f) {
    case TBinaryFormat::kChar:
    case TBinaryFormat::kByte: return 1;
    case TBinaryFormat::kWord: return 2;
    default: return 4;
  }
}

// A field of the value is read or written only when it lies wholly inside it.
void BinaryShutoku(TTamaBase& t, int) {
  const TBinaryFormat format = BinaryFormatOf(t.PopArgValue());
  int32_t p = PopNumberRead(t);
  THashNodeRef var = t.PopWordArgRef(false);
  if (p < 1) p = 1;
  const std::string& v = var->Value();
  const size_t at = static_cast<size_t>(p) - 1;
  switch (format) {
    case TBinaryFormat::kNone: return;
    case TBinaryFormat::kChar:
      t.SetResult(at < v.size() ? v.substr(at, 1) : std::string(), kTagString);
      return;
    case TBinaryFormat::kCharPtr: {
      std::string r;
      if (at < v.size()) r.assign(CharText(std::string_view(v).substr(at)));
      SetValueOnly(t, std::move(r));
      return;
    }
    default: break;
  }
  const size_t width = BinaryWidth(format);
  if (at >= v.size() || v.size() - at < width) {
    t.SetResult("0", kTagNumber);
    return;
  }
  uint32_t x = 0;
  for (size_t k = width; k-- > 0;) x = (x << 8) | static_cast<unsigned char>(v[at + k]);
  const int64_t n = format == TBinaryFormat::kInt ? static_cast<int64_t>(static_cast<int32_t>(x)) : x;
  t.SetResult(Count(n), kTagNumber);
}

void BinarySettei(TTamaBase& t, int) {
  const TBinaryFormat format = BinaryFormatOf(t.PopArgValue());
  const int32_t p = PopNumberRead(t);
  THashNodeRef var = t.PopWordArgRef(false);
  const std::string value = t.PopArgValue();
  std::string bytes;
  switch (format) {
    case TBinaryFormat::kNone: return;
    case TBinaryFormat::kChar: bytes.assign(1, value.empty() ? '\0' : value[0]); break;
    case TBinaryFormat::kCharPtr:
      bytes.assign(CharText(value));
      bytes += '\0';
      break;
    default: {
      const long double x = std::trunc(TextToNumber(value));
      uint32_t n = 0;
      if (format == TBinaryFormat::kByte) {
        n = static_cast<uint32_t>(static_cast<uint64_t>(TruncToInt64(x)) & 0xFF);
      } else if (format == TBinaryFormat::kInt) {
        n = static_cast<uint32_t>(NumberRead(x));
      } else {
        if (!(x >= 0 && x <= 4294967295.0L)) RaiseNumError(NumFault::kRange);
        n = static_cast<uint32_t>(x);
      }
      for (size_t k = 0; k < BinaryWidth(format); ++k) bytes += static_cast<char>((n >> (8 * k)) & 0xFF);
      break;
    }
  }
  if (p < 1) return;
  const size_t at = static_cast<size_t>(p) - 1;
  const size_t size = var->Value().size();
  if (at >= size || size - at < bytes.size()) return;
  var->MutableValue().replace(at, bytes.size(), bytes);
}

// ---------------------------------------------------------------------------
// Splitting and markup

void Kugiru(TTamaBase& t, int) {
  const std::string delim = t.PopArgValue();
  const std::string s = t.PopArgValue();
  t.SetResultTagged(textops::SplitToLines(CharText(s), CharText(delim)), kTagString);
}

void TagSakujo(TTamaBase& t, int) {
  const std::string s = t.PopArgValue();
  t.SetResultTagged(textops::StripTags(CharText(s)), kTagString);
}

void TagKiridashi(TTamaBase& t, int) {
  const std::string name = t.PopArgValue();
  const std::string s = t.PopArgValue();
  t.SetResultTagged(textops::CutTagElements(CharText(s), CharText(name)), kTagString);
}

void TableTagDeKakomu(TTamaBase& t, int) {
  const std::string attributes = t.PopArgValue();
  const std::string csv = t.PopArgValue();
  t.SetResultTagged(TCsvDb(csv).ToHtmlTable(attributes), kTagString);
}

// ---------------------------------------------------------------------------
// Pattern matching

void Match(TTamaBase& t, int id) {
  const std::string pattern = t.PopArgValue();
  const std::string arg = t.PopArgText();
  t.Sore().Tag = kTagString;
  if (pattern.empty()) {
    t.SetResultTagged("", kTagString);
    return;
  }
  THashNodeRef var;
  const std::string source = CutSource(t, arg, var);
  const std::string_view subject = CharText(source);
  if (subject.empty()) t.Raise(ArgumentError(id));
  TWildCut cut;
  try {
    cut = WildMatchCut(pattern, subject);
  } catch (const EWildcard& e) {
    t.Raise(std::string("マッチでエラー。") + e.what());
  }
  std::string r = std::move(cut.text);
  r += "\r\n";
  for (const std::string& piece : cut.pickups) {
    r += piece;
    r += "\r\n";
  }
  size_t b = 0, e = r.size();
  while (b < e && static_cast<unsigned char>(r[b]) <= 0x20) ++b;
  while (e > b && static_cast<unsigned char>(r[e - 1]) <= 0x20) --e;
  WriteBack(t, var, cut.matched ? std::move(cut.remainder) : std::string(subject));
  t.SetResultTagged(r.substr(b, e - b), kTagString);
}

constexpr int kSplitLimit = 1000;

void Regex(TTamaBase& t, int id) {
  const std::string pattern = t.PopArgValue();
  std::string subject = t.PopArgValue();
  if (id != kCmdSeikiHyougenIrekae) t.SetResultTagged("", kTagString);
  std::string result;
  int64_t count = 0;
  try {
    switch (id) {
      case kCmdSeikiHyougenMatch: {
        const regex::TMatchResult m = regex::Match(t.patterns, pattern, subject);
        if (m.matched) {
          for (const std::string& g : m.texts) {
            result += g;
            result += "\r\n";
          }
          count = m.groups + 1;
        }
        break;
      }
      case kCmdSeikiHyougenKugiru: {
        // an empty subject is one empty piece
        const std::vector<std::string> pieces =
            subject.empty() ? std::vector<std::string>(1) : regex::Split(t.patterns, pattern, subject, kSplitLimit);
        for (const std::string& piece : pieces) {
          result += piece;
          result += "\r\n";
        }
        count = static_cast<int64_t>(pieces.size());
        break;
      }
      case kCmdSeikiHyougenChikan: {
        if (!subject.empty()) {
          regex::TSubstResult r = regex::Substitute(t.patterns, pattern, subject);
          if (r.replaced) {
            subject = std::move(r.text);
            count = r.groups + 1;
          }
        }
        result = std::move(subject);
        break;
      }
      default:  // 正規表現入換
        if (!subject.empty()) subject = regex::Transliterate(pattern, subject);
        result = std::move(subject);
        break;
    }
  } catch (const std::exception& e) {
    t.Raise(Quoted(id) + "で、Bregexp.dllのエラー。" + e.what());
  }
  THashNode& matches = t.QuickWord("マッチ数");
  matches.SetValue(Count(count));
  matches.Tag = kTagNumber;
  t.SetResultTagged(std::move(result), kTagString);
}

}  // namespace

static const TCommandDef kDefs[] = {
    {"区切る", "?を,?で", kCmdKugiru, Kugiru},
    {"置換", "?の,?を,?に", kCmdChikan, Chikan},
    {"何文字目", "?の中で,?が", kCmdNanMojime, NanMojime},
    {"POS", "?,?", kCmdNanMojime, NanMojime},
    {"MID", "?の中で,?から,?つ", kCmdMid, Mid},
    {"切り出す", "?の中で,?から,?つ", kCmdMid, Mid},
    {"リフレイン", "?を,?度", kCmdRefrain, Refrain},
    {"行数", "?の", kCmdGyousuu, Gyousuu},
    {"前後の空白削除", "?の", kCmdZengoNoKuuhakuSakujo, Trim},
    {"トリム", "?を", kCmdZengoNoKuuhakuSakujo, Trim},
    {"確保", "?に,?バイトを", kCmdKakuho, Kakuho},
    {"キーコード", "?の", kCmdKeyCode, KeyCode},
    {"ASC", "?", kCmdKeyCode, KeyCode},
    {"文字", "?の", kCmdMoji, Moji},
    {"CHR", "?", kCmdMoji, Moji},
    {"文字数", "?の", kCmdMojisuu, Mojisuu},
    {"LEN", "?", kCmdMojisuu, Mojisuu},
    {"切り取る", "?の,?までを", kCmdKiritoru, Kiritoru},
    {"タグ削除", "?から", kCmdTagSakujo, TagSakujo},
    {"タグ切り出し", "?から,?の", kCmdTagKiridashi, TagKiridashi},
    {"バイト数", "?の", kCmdByteSuu, ByteSuu},
    {"LENB", "?", kCmdByteSuu, ByteSuu},
    {"右端削除", "?から,?文字", kCmdMigihashiSakujo, LeftRight},
    {"左端削除", "?から,?文字", kCmdHidarihashiSakujo, LeftRight},
    {"通貨形式に変換", "?を", kCmdTsukaKeishikiNiHenkan, TsukaKeishiki},
    {"右寄せ", "?を,?桁で", kCmdMigiyose, PadLeft},
    {"ゼロで埋める", "?を,?桁の", kCmdZeroDeUmeru, PadLeft},
    {"正規表現マッチ", "?を,?で", kCmdSeikiHyougenMatch, Regex},
    {"RE", "?,?", kCmdSeikiHyougenMatch, Regex},
    {"RIGHT", "?,?", kCmdRight, LeftRight},
    {"LEFT", "?,?", kCmdLeft, LeftRight},
    {"正規表現区切る", "?を,?で", kCmdSeikiHyougenKugiru, Regex},
    {"正規表現置換", "?を,?で", kCmdSeikiHyougenChikan, Regex},
    {"正規表現入換", "?を,?で", kCmdSeikiHyougenIrekae, Regex},
    {"段落を切り出す", "?から,?番目の", kCmdDanrakuWoKiridasu, DanrakuWoKiridasu},
    {"範囲を切り取る", "?の,?から,?までの", kCmdHanniWoKiritoru, HanniWoKiritoru},
    {"左端を切り取る", "?から,?文字", kCmdHidarihashiWoKiritoru, HashiWoKiritoru},
    {"右端を切り取る", "?から,?文字", kCmdMigihashiWoKiritoru, HashiWoKiritoru},
    {"判別して切り取る", "?の,?までを,?で", kCmdHanbetsuShiteKiritoru, HanbetsuShiteKiritoru},
    {"指定形式に変換", "?を,?の", kCmdShiteiKeishikiNiHenkan, ShiteiKeishiki},
    {"送り仮名削除", "?から", kCmdOkuriganaSakujo, OkuriganaSakujo},
    {"文比較", "?と,?で", kCmdBunHikaku, BunHikaku},
    {"マッチ", "?を,?で", kCmdMatch, Match},
    {"バイナリダンプ", "?を", kCmdBinaryDump, BinaryDump},
    {"テーブルタグで囲む", "?を,?で", kCmdTableTagDeKakomu, TableTagDeKakomu},
    {"出現回数", "?で,?の", kCmdShutsugenKaisuu, ShutsugenKaisuu},
    {"行揃え", "?を,?バイトで", kCmdGyouSoroe, GyouSoroe},
    {"数列か", "?が", kCmdSuuretsuKa, SuuretsuKa},
    {"バイナリ取得", "?の,?を,?形式で", kCmdBinaryShutoku, BinaryShutoku},
    {"バイナリ設定", "?を,?の,?に,?形式で", kCmdBinarySettei, BinarySettei},
    {"MIDB", "?,?,?", kCmdMidb, Midb},
    {"単置換", "?で,?個目の,?を,?に", kCmdTanChikan, TanChikan},
};

static const TCommandFamily kFamily = {"strings", kDefs, std::size(kDefs)};

const TCommandFamily& StringsFamily() { return kFamily; }

namespace {

// The first name registered for the id (the messages name the command so).
const char* CommandName(int id) {
  for (const TCommandDef& d : kDefs)
    if (d.id == id) return d.name;
  return "";
}

}  // namespace

}  // namespace tama
