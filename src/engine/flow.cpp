// Conditions (もし, "?", 条件分岐), loops (繰り返す, 反復, ループ), leaving and
// continuing them, jumps and subroutines, included files and program texts
// run from values, and the end of the run.
#include "engine/flow.h"
#include "engine/source_file.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "engine/files_state.h"
#include "engine/plan.h"
#include "engine/runstop.h"
#include "engine/tama.h"
#include "engine/ztext.h"
#include "frontend/normalize.h"
#include "frontend/scanner.h"
#include "sjis/convert.h"
#include "sjis/sjis.h"
#include "support/lines.h"
#include "support/number.h"
#include "support/path.h"

namespace tama {

using frontend::EndsWithChar;
using frontend::ReadWord;
using frontend::SkipBlanks;

namespace {

constexpr const char kNoCase[] = "~未定義";
constexpr size_t kMaxSourceTexts = 50;

inline bool StartsWith(const char* p, std::string_view s) {
  return !s.empty() && *p == s[0] && std::strncmp(p, s.data(), s.size()) == 0;
}
inline bool StartsWith(std::string_view text, std::string_view s) {
  return text.size() >= s.size() && text.substr(0, s.size()) == s;
}

// A number of a condition counts as true when it is not 0 once truncated.
inline bool NonZero(long double x) { return std::trunc(x) != 0; }

[[noreturn]] void RaiseUndefinedLabel(TTamaBase& t, std::string_view name) {
  t.Raise("未定義のラベル\"" + std::string(name) + "\"に、ジャンプしようとしました。");
}

// Pushes the frame of a block and moves the cursor to the start of its body;
// the frame's exit position tells where the construct ends.
void RunBlock(TTamaBase& t, TRunControl&& f) {
  TTextRef body = f.body;
  t.frames.PushFrame(std::move(f));
  t.Jump({body, body->begin()});
}

// A bound of 繰り返す: a decimal number (blanks around it allowed) that fits
// a signed 32-bit integer once truncated.
bool ReadBound(std::string_view text, int32_t& out) {
  text = TrimControl(text);
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || DecimalPrefixLength(text, NumberSyntax::kValue) != text.size()) return false;
  long double v;
  try {
    v = DecimalToNumber(text);
  } catch (const TNumError&) {
    return false;
  }
  v = std::trunc(negative ? -v : v);
  if (!(v >= -2147483648.0L && v <= 2147483647.0L)) return false;
  out = static_cast<int32_t>(v);
  return true;
}

// The lines of a text (CR LF, CR or LF); a final line break adds no line.
std::shared_ptr<std::vector<std::string>> SplitLines(std::string_view v) {
  auto lines = std::make_shared<std::vector<std::string>>();
  support::ForEachLine(v, [&](std::string_view line) { lines->emplace_back(line); });
  return lines;
}

// ---- files of 取り込む ----

// Normalises a program text for a nested run; an unbalanced literal or brace
// is a run-time error.
TTextRef NormalizedText(TTamaBase& t, std::string text) {
  try {
    frontend::NormalizeSource(text);
  } catch (const frontend::TNormalizeError& e) {
    t.Raise(e.what());
  }
  return MakeText(text);
}

}  // namespace

// ---------------------------------------------------------------------------
// Helpers shared with the executor and the assignment

const char* FindLabelLine(std::string_view text, std::string_view name) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  for (const char* p = begin; p < end;) {
    const char c = *p;
    if (sjis::IsLead(c) && p + 1 < end) {
      p += 2;
      continue;
    }
    if (c == '"' || c == '`') {
      // literals are passed over whole (the text is zero-terminated)
      const char* q = p;
      try {
        frontend::ReadLiteral(q, end - 1);
      } catch (const frontend::TScanError&) {
        q = p;  // an unclosed quote is passed over as a character
      }
      p = q > p ? q : p + 1;
      continue;
    }
    if (c == '*' && static_cast<size_t>(end - p - 1) >= name.size() &&
        std::string_view(p + 1, name.size()) == name) {
      const char* after = p + 1 + name.size();
      bool endOk = after == end || *after == '\r' || *after == '\n';
      const char* b = p - 1;
      while (b >= begin && (*b == ' ' || *b == '\t')) --b;
      bool startOk = b < begin || *b == '\t' || *b == '\n' || *b == '\r' || *b == ':';
      if (startOk && endOk && !name.empty()) return p;
    }
    ++p;
  }
  return nullptr;
}

std::string RewriteCondition(TTamaBase& t, std::string_view condition) {
  static constexpr std::string_view kKatsu = "かつ", kMataha = "または", kGa = "が", kIjou = "以上",
                                    kIka = "以下", kHitoshii = "と等しい";
  TZText z(condition);
  const char* p = z.begin();
  // a phrase: up to a space, "," or 0xA4, or up to the end of a literal or a
  // parenthesised group met inside it
  auto next = [&]() -> std::string_view {
    SkipBlanks(p);
    const char* s = p;
    while (*p && *p != ' ' && *p != ',' && *p != '\xA4') {
      if (*p == '"' || *p == '`') {
        try {
          frontend::ReadLiteral(p);
        } catch (const frontend::TScanError& e) {
          t.Raise(std::string("条件分岐で文字列の取得に失敗。") + e.what());
        }
        break;
      }
      if (*p == '(') {
        try {
          frontend::ReadParenthesised(p);
        } catch (const frontend::TScanError& e) {
          t.Raise(std::string("条件分岐で括弧の取得に失敗。") + e.what());
        }
        break;
      }
      p += sjis::CharLenZ(p);
    }
    return std::string_view(s, p - s);
  };
  std::string out;
  out.reserve(condition.size() + 8);
  while (true) {
    std::string_view phrase = next();
    if (phrase.empty()) break;
    if (StartsWith(phrase, kKatsu)) {
      out += " && ";
      out += phrase.substr(kKatsu.size());
    } else if (StartsWith(phrase, kMataha)) {
      out += " || ";
      out += phrase.substr(kMataha.size());
    } else if (EndsWithChar(phrase, kGa)) {
      std::string_view subject = phrase.substr(0, phrase.size() - kGa.size());
      std::string_view object = next();
      out += subject;
      if (EndsWithChar(object, kIjou)) {
        out += ">=";
        out += object.substr(0, object.size() - kIjou.size());
      } else if (EndsWithChar(object, kIka)) {
        out += "<=";
        out += object.substr(0, object.size() - kIka.size());
      } else {
        if (EndsWithChar(object, kHitoshii)) object.remove_suffix(kHitoshii.size());
        out += '=';
        out += object;
      }
    } else {
      out += phrase;
    }
  }
  return out;
}

// ---------------------------------------------------------------------------
// Constructs the executor starts itself

void TTamaBase::Branch(bool checkKeyword) {
  const char*& p = cur;
  SkipBlanks(p);
  if (*p == '\r' || *p == '\n') {
    LineBreakStep(p, false);
    SkipBlanks(p);
  }
  TRunControl thenBlock, elseBlock;
  bool hasThen = false, hasElse = false;
  bool readThen = true;
  if (checkKeyword) {
    readThen = StartsWith(p, ControlName(cwNara)) || StartsWith(p, ControlName(cwNaraba));
    if (readThen) {
      ReadWord(p);
      SkipBlanks(p);
    }
  }
  if (readThen) {
    thenBlock.kind = fkIf;
    ReadBlock(thenBlock, p);
    hasThen = true;
    SkipBlanks(p);
    if (*p == ';') {
      ++p;
      SkipBlanks(p);
    }
    while (*p == '\r' || *p == '\n') {
      LineBreakStep(p, false);
      SkipBlanks(p);
    }
  }
  if (StartsWith(p, ControlName(cwChigaeba)) || StartsWith(p, ControlName(cwDenakereba))) {
    ReadWord(p);
    SkipBlanks(p);
    if (StartsWith(p, ControlName(cwMoshi))) Raise("もしを多重構造にするときは、()で範囲を括ってください。");
    elseBlock.kind = fkElse;
    ReadBlock(elseBlock, p);
    hasElse = true;
  }
  TRunControl* chosen = nullptr;
  if (conditionResult == 1 && hasThen) chosen = &thenBlock;
  if (conditionResult == 0 && hasElse) chosen = &elseBlock;
  if (!chosen) return;
  chosen->exit = Here();
  conditionResult = -1;
  RunBlock(*this, std::move(*chosen));
}

void TTamaBase::QuickCondition(const std::string& condition, const char*& p) {
  // an item that names a value stands for that value, never for program text
  TValue value;
  std::string text = ResolveValue(condition, value) ? std::move(value).ItemForm() : condition;
  std::string result = EvaluateExpression(text);
  conditionResult = NonZero(TextToNumber(result)) ? 1 : 0;
  SkipBlanks(p);
  if (*p == '\r' || *p == '\n') {
    LineBreakStep(p, false);
    SkipBlanks(p);
  }
  bool keyword = StartsWith(p, ControlName(cwNaraba)) || StartsWith(p, ControlName(cwChigaeba)) ||
                 StartsWith(p, ControlName(cwNara)) || StartsWith(p, ControlName(cwDenakereba));
  Branch(keyword);
}

void TTamaBase::CaseBranch(std::string_view labelIn, const char*& p) {
  static constexpr std::string_view kOther = "その他", kIjou = "以上", kIka = "以下";
  const std::string label(labelIn);
  TRunControl f;
  f.kind = fkCase;
  ReadBlock(f, p);
  Jump(f.exit);
  if (caseSelector == kNoCase) return;
  bool match;
  if (label == kOther) {
    match = true;
  } else if (EndsWithChar(label, kIjou)) {
    match = TextToNumber(EvaluateText(std::string_view(label).substr(0, label.size() - kIjou.size()))) <=
            TextToNumber(caseSelector);
  } else if (EndsWithChar(label, kIka)) {
    match = TextToNumber(EvaluateText(std::string_view(label).substr(0, label.size() - kIka.size()))) >=
            TextToNumber(caseSelector);
  } else {
    match = EvaluateText(label) == caseSelector;
  }
  if (!match) return;
  caseSelector = kNoCase;
  RunBlock(*this, std::move(f));
}

void TTamaBase::JumpToLabel(std::string_view name) {
  THashNode* label = words.Find(name, false);
  if (!label || label->Kind != wkLabel || !label->Link) RaiseUndefinedLabel(*this, name);
  programFileName = label->Tag;
  Jump(label->Link);
}

// ---------------------------------------------------------------------------
// The commands

namespace flow {

void Moshi(TTamaBase& t, int) {
  const char*& p = t.cur;
  if (!p) return;
  const std::string& naraba = t.ControlName(TTamaBase::cwNaraba);
  const std::string& nara = t.ControlName(TTamaBase::cwNara);
  const std::string& denakereba = t.ControlName(TTamaBase::cwDenakereba);
  auto atTerminator = [&](const char* q) {
    return StartsWith(q, naraba) || StartsWith(q, nara) || StartsWith(q, "違えば") || StartsWith(q, denakereba);
  };
  SkipBlanks(p);
  // a condition read before at this position ends at the same place
  const TText* text = t.cachesOn && t.curText && t.curText->contains(p) ? t.curText.get() : nullptr;
  if (text) {
    if (TConditionShape* shape = plan::FindCondition(t, *text, p)) {
      p = text->begin() + shape->end;
      if (shape->crossesLine) t.currentRow = shape->row;
      std::string result;
      if (!plan::EvaluateCondition(t, *text, *shape, result)) result = t.EvaluateExpression(shape->expression);
      t.conditionResult = ReadInteger(result, 0) == 1 ? 1 : 0;
      t.Branch(true);
      return;
    }
  }
  const char* start = p;
  const char* end = nullptr;  // the end of the condition text
  const char* q = p;
  bool crossesLine = false;
  while (true) {
    if (*q == 0) t.Raise("条件分岐の終端文字を認識できませんでした。");
    if (atTerminator(q)) {
      if (!end) end = q;
      break;
    }
    if (*q == '"' || *q == '`') {
      t.ReadLiteralChecked(q);
      continue;
    }
    if (*q == '\r' || *q == '\n') {
      // the terminator may stand at the start of the next line; the
      // condition itself ends with its line
      end = q;
      t.LineBreakStep(q, false);
      crossesLine = true;
      SkipBlanks(q);
      if (!atTerminator(q)) t.Raise("条件分岐の終端文字を認識できませんでした。");
      break;
    }
    q += sjis::CharLenZ(q);
  }
  const std::string condition(start, end);
  p = q;
  std::string expression = RewriteCondition(t, condition);
  if (text) {
    TConditionShape& shape =
        plan::KeepCondition(t, *text, start, static_cast<uint32_t>(q - text->begin()), expression);
    shape.crossesLine = crossesLine;
    shape.row = t.currentRow;
  }
  std::string result = t.EvaluateExpression(expression);
  t.conditionResult = ReadInteger(result, 0) == 1 ? 1 : 0;
  t.Branch(true);
}

void Naraba(TTamaBase&, int) {}

void Nara(TTamaBase& t, int) { t.Raise("条件文は、「もし～ならば」と対で使わなければなりません。"); }

void JoukenBunki(TTamaBase& t, int) { t.caseSelector = t.PopArgValue(); }

void Kurikaesu(TTamaBase& t, int) {
  static constexpr const char* kFiled = "繰返";
  const std::string toText = t.PopArgValue();
  const std::string fromText = t.PopArgValue();
  int32_t to = 0, from = 0;
  if (!ReadBound(toText, to) || !ReadBound(fromText, from))
    t.Raise(std::string("\"") + kFiled + "\"には、数値を指定してください。");
  const std::string name = t.PopArgText();
  THashNodeRef var = t.words.FindRef(name, false);
  if (!var) {
    var = std::make_shared<THashNode>(name, false, t.Here(), wkVariable, 0, kTagNumber, "", "");
    t.AddWord(var);
  } else if (var->Kind != wkVariable) {
    t.Raise(std::string("\"") + kFiled + "\"の実行回数カウンターには、変数を指定してください。");
  }
  SkipBlanks(t.cur);
  TRunControl f;
  f.kind = fkRepeat;
  t.ReadBlock(f, t.cur);
  if (to < from) return;
  // reading the block may have run a pending sentence that changed the word
  if (var->Kind != wkVariable)
    t.Raise(std::string("\"") + kFiled + "\"の実行回数カウンターには、変数を指定してください。");
  var->SetValue(FormatInteger(from));
  f.counter = from;
  f.limit = to;
  f.var = std::move(var);
  RunBlock(t, std::move(f));
}

void Hanpuku(TTamaBase& t, int) {
  const std::string arg = t.PopArgText();
  std::string text;
  if (const THashNode* w = t.words.Find(arg, false))
    text = w->Kind == wkHash ? (w->Dict ? w->Dict->KeysText() : std::string()) : w->Value();
  else
    text = t.EvaluateText(arg);
  TRunControl f;
  f.kind = fkIterate;
  t.ReadBlock(f, t.cur);
  auto lines = SplitLines(text);
  if (lines->empty()) return;
  f.counter = 1;
  t.SetResult((*lines)[0], kTagString);
  f.list = std::move(lines);
  THashNode& kaisu = t.Kaisu();
  kaisu.SetValue("1");
  kaisu.Tag = kTagNumber;
  RunBlock(t, std::move(f));
}

void Loop(TTamaBase& t, int) {
  const std::string text = frontend::FoldText(t.PopArgText());
  TRunControl f;
  f.kind = fkLoop;
  t.ReadBlock(f, t.cur);
  if (text.empty() || text == "``") return;
  std::string condition = frontend::UnquoteValue(text);
  if (!NonZero(TextToNumber(t.EvaluateExpression(condition)))) return;
  f.limit = -1;
  f.counter = 1;
  f.condition = std::move(condition);
  t.Kaisu().SetValue("1");
  RunBlock(t, std::move(f));
}

namespace {
bool IsConditionFrame(uint8_t kind) { return kind == fkIf || kind == fkElse || kind == fkCase; }
}  // namespace

void Nukeru(TTamaBase& t, int) {
  while (const TRunControl* top = t.frames.Top()) {
    if (!IsConditionFrame(top->kind)) break;
    t.frames.PopFrame();
  }
  TRunControl f;
  if (!t.frames.PopFrame(f)) return;
  switch (f.kind) {
    case fkRepeat:
    case fkTimes:
    case fkIterate:
    case fkLoop:
      t.Jump(f.exit);
      return;
    case fkCall:
    case fkEventCall:
      t.Jump(f.resume);
      t.programFileName = f.savedFileName;
      return;
    default:
      return;
  }
}

void Tsuzukeru(TTamaBase& t, int) {
  TRunControl f;
  if (!t.frames.PopFrame(f)) {
    t.StopCursor();
    return;
  }
  while (IsConditionFrame(f.kind) && t.frames.FrameCount() > 0) t.frames.PopFrame(f);
  t.programFileName = f.savedFileName;
  t.frames.PushFrame(std::move(f));
  t.CheckRunControl();
}

void Tobu(TTamaBase& t, int) {
  const std::string name = t.PopArgText();
  TRunControl f;
  while (t.frames.PopFrame(f)) {
    if (f.kind == fkCall || f.kind == fkEventCall || !f.body) {
      // a jump never leaves a subroutine: its frame stays
      t.frames.PushFrame(std::move(f));
      t.JumpToLabel(name);
      return;
    }
    if (const char* at = FindLabelLine(f.body->view(), name)) {
      TTextRef body = f.body;
      t.frames.PushFrame(std::move(f));
      t.Jump({body, at});
      return;
    }
  }
  t.JumpToLabel(name);
}

void Yobu(TTamaBase& t, int) {
  THashNodeRef label = t.PopWordArgRef(false);
  if (label->Kind != wkLabel || !label->Link) RaiseUndefinedLabel(t, label->Name);
  t.CallLabel(*label);
}

void Modoru(TTamaBase& t, int) {
  if (t.frames.FrameCount() == 0) {
    t.StopCursor();
    t.programFileName.clear();
    return;
  }
  TRunControl f;
  while (t.frames.PopFrame(f)) {
    if (f.kind == fkCall || f.kind == fkEventCall) {
      t.Jump(f.resume);
      t.programFileName = f.savedFileName;
      return;
    }
  }
  t.Raise("「戻る」べき場所がありません。");
}

void KansuuTeigi(TTamaBase& t, int) {
  std::string pattern = frontend::FoldText(t.PopArgValue());
  THashNodeRef label = t.PopWordArgRef(false);
  label->SetPattern(std::move(pattern));
  std::string folded = FoldOkurigana(label->Name);
  if (folded != label->Name) {
    // the subroutine can be called with or without its okurigana
    auto copy = std::make_shared<THashNode>(folded, false, -1, "");
    copy->CopyFrom(*label);
    t.AddWord(std::move(copy));
  }
}

void HikisuuShutoku(TTamaBase& t, int) {
  std::string joined = t.callArgs.Text();
  t.callArgs.Clear();
  t.SetResultTagged(std::string(TrimControl(joined)), kTagString);
}

void Torikomu(TTamaBase& t, int) {
  std::string name = ResolveFileName(t, TrimControl(t.PopArgValue()));
  if (std::string packed = ExtractPackedFile(t, name); !packed.empty()) name = std::move(packed);
  name = ResolveFileName(t, name);
  std::string text;
  switch (ReadSourceFile(support::NativePath(name), text)) {
    case TSourceRead::kOk:
      text = JoinLinesCrLf(text);
      break;
    case TSourceRead::kMissing:
      t.Raise("ファイル\"" + name + "\"が、ありません。");
    case TSourceRead::kNotSjis:
      t.Raise("Shift-JISで表せない文字があります。");
  }
  if (t.sourceTexts.size() >= kMaxSourceTexts) throw TNumError(NumFault::kRange);
  TTextRef source = NormalizedText(t, std::move(text));
  t.sourceTexts.push_back(source);
  t.CollectLabels(source, name);
  {
    TTamaBase::TNested nested(t);
    t.programFileName = name;
    t.Jump({source, source->begin()});
    t.RunProgram();
  }
  UnwindIfStopped(t);
}

void Tamakazusuru(TTamaBase& t, int) {
  std::string text = t.PopArgValue();
  // the text runs as a file's lines would: each line ends with a line break
  if (!text.empty() && text.back() != '\n' && text.back() != '\r') text += "\r\n";
  std::string fileName = t.programFileName + "の" + std::to_string(t.currentRow) + "行目のたまかず";
  TTextRef source = NormalizedText(t, std::move(text));
  {
    TTamaBase::TNested nested(t);
    t.programFileName = std::move(fileName);
    t.Jump({source, source->begin()});
    t.RunProgram();
  }
  UnwindIfStopped(t);
}

void Owari(TTamaBase& t, int) {
  t.frames.ClearLevel();
  t.StopCursor();
  t.CloseRun();
}

void ShuuryouShoriSettei(TTamaBase& t, int) {
  const std::string name = t.PopArgText();
  if (THashNodeRef word = t.words.FindRef(name, false)) {
    t.terminationHandler = std::move(word);
    t.QuickWord("終了不可能").SetValue("1");
    return;
  }
  if (!t.EvaluateText(name).empty()) RaiseUndefinedLabel(t, name);
  t.QuickWord("終了不可能").SetValue("0");
  t.terminationHandler.reset();
}

void KaigyouDeTomeru(TTamaBase& t, int) { t.lineStop = true; }

void Taiki(TTamaBase& t, int) {
  t.frames.ClearLevel();
  t.StopCursor();
}

}  // namespace flow

}  // namespace tama
