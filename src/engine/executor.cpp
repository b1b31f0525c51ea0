// The sentence executor: reads a sentence token by token, pushes its items on
// the argument stack and executes the command word at the sentence end.
#include "frontend/normalize.h"
#include "frontend/scanner.h"
#include "engine/plan.h"
#include "engine/runstop.h"
#include "engine/tama.h"
#include "support/number.h"

namespace tama {

using frontend::QuoteValue;
using frontend::ReadWord;
using frontend::SkipBlanks;
using frontend::SkipSpaces;

namespace {

bool EndsWith(std::string_view s, std::string_view suffix) { return frontend::EndsWithChar(s, suffix); }

bool IsCallable(const THashNode* n) {
  return n && (n->Kind == wkCommand || n->Kind == wkLabel || n->Kind == wkDllFunction);
}

}  // namespace

void TTamaBase::LineBreakStep(const char*& p, bool executePending) {
  bool continued = p[-1] == ',';  // a sentence ending in a comma goes on on the next line
  int row = frontend::ReadLineNumber(p);
  currentRow = row;
  if (continued || !executePending) return;
  ExecutePending();
}

// The continuation of an item after "&": each further literal (as its value in
// back-quoted form) or word joined with "&", then the particle. A line break
// after "&" only goes on to the next line.
void TTamaBase::AppendContinuation(std::string& item, const char*& p) {
  while (*p == '&') {
    ++p;
    SkipBlanks(p);
    if (*p == '\r' || *p == '\n') {
      LineBreakStep(p, false);
      SkipBlanks(p);
    }
    item += '&';
    if (*p == '"' || *p == '`') {
      std::string next = ReadLiteralChecked(p);
      item += QuoteValue(EvaluateText(next));
      SkipSpaces(p);
      if (*p != '&') item += ReadWord(p);
    } else {
      item += ReadWord(p);
    }
  }
}

void TTamaBase::RunProgram() {
  struct TRunning {
    explicit TRunning(int& n) : n_(n) { ++n_; }
    ~TRunning() { --n_; }
    TRunning(const TRunning&) = delete;
    TRunning& operator=(const TRunning&) = delete;
    int& n_;
  } running(budget.runningPrograms);
  try {
    while (cur) {
      const char* prev = nullptr;
      bool restart = false;
      while (!restart) {
        if (!cur || BudgetSpent()) return;
        if (*cur == 0) {
          if (frames.FrameCount() == 0) {
            StopCursor();
            return;
          }
          bool resumed = false;
          while (frames.FrameCount() > 0) {
            if (BudgetSpent()) return;
            try {
              CheckRunControl();
            } catch (const TSentenceLeft&) {
              args.Clear();  // a loop condition that moved the cursor
            } catch (const std::exception& e) {
              ErrorStep(e);
            }
            if (!cur) return;
            if (*cur != 0) {
              resumed = true;
              break;
            }
          }
          if (!resumed) {
            StopCursor();
            return;
          }
          restart = true;
          break;
        }
        try {
          // Two guards end the run with the report whether errors are shown,
          // ignored or handled: too many frames (a label that calls itself
          // fails again at every step, and so does an error label, which
          // pops no frame), and a step that did not move the cursor (it would
          // fail forever).
          const char* guard = nullptr;
          if (frames.FrameCount() > 65535)
            guard = "実行が無限ループしている可能性があるので終了します。";
          else if (stopFlag)
            return;
          else if (cur == prev)
            guard = "特定できないシステムエラーです(ToT)";
          if (guard) {
            try {
              Raise(guard);
            } catch (const ETama& e) {
              ErrorMessageWord().SetValue(e.what());
            }
            errorShown = true;
            host.ShowErrorDialog(errorLog.Text());
            stopFlag = true;
            StopCursor();
            return;
          }
          prev = cur;
          ExecuteSentence(cur);
        } catch (const TNumError& e) {
          if (e.fault() == NumFault::kInvalidOperation) {
            if (!errorLog.Blank()) errorLog.Append("\r\n");
            errorLog.Append(FormatErrorLine(std::string("プログラムで不正な操作がありました。") + e.what()));
          }
          ErrorStep(e);
        } catch (const TSentenceLeft&) {
          args.Clear();
        } catch (const std::exception& e) {
          ErrorStep(e);
        }
        if (stopFlag) return;
      }
    }
  } catch (const TRunStopped&) {
    // the run was stopped inside a nested run of one of its steps
  }
}

void TTamaBase::ExecuteSentence(const char*& p) {
  if (!p) return;
  if (cachesOn && args.Empty()) {
    SkipBlanks(p);
    if (plan::RunSentence(*this, p)) return;
  }
  // an item ending in の is pushed and the next token read at once (a loop,
  // so that a long chain of such items needs no deeper C++ stack)
  for (;;) {
    SkipBlanks(p);
    const char c = *p;
    std::string item;
    bool isWord = false;
    switch (c) {
      case 0:
        ExecutePending();
        return;
      case '\r':
      case '\n':
        LineBreakStep(p, true);
        return;
      case '"':
      case '`': {
        std::string lit = ReadLiteralChecked(p);
        item = QuoteValue(EvaluateText(lit));
        SkipSpaces(p);
        if (*p != '&') {
          item += ReadWord(p);
        } else {
          AppendContinuation(item, p);
        }
        break;
      }
      case '#': {
        std::string name = args.Pop();
        if (!words.Find(name, false) && !name.empty()) {
          auto node = std::make_shared<THashNode>(name, false, -1, "");
          node->Link = Here();
          AddWord(std::move(node));
        }
        ++p;
        std::string first;
        if (*p == '(') {
          const char* s = p;
          ReadParenthesisedChecked(p);
          first.assign(s, p);
        } else {
          first = ReadWord(p);
        }
        SkipSpaces(p);
        item = name + "#" + first;
        if (*p == '#') {
          ++p;
          std::string second;
          if (*p == '(') {
            const char* s = p;
            ReadParenthesisedChecked(p);
            second.assign(s, p);
          } else {
            second = ReadWord(p);
          }
          // the second index is kept as written, its particle with it: the
          // element is read when the argument is evaluated
          item += "#" + second;
        }
        if (*p && !sjis::IsDelimiter(*p)) item += ReadWord(p);
        break;
      }
      case '$':
      case '+':
      case '-':
      case '0':
      case '1':
      case '2':
      case '3':
      case '4':
      case '5':
      case '6':
      case '7':
      case '8':
      case '9': {
        item = frontend::ReadNumber(p);
        SkipSpaces(p);
        while (sjis::IsOperator(*p)) {
          while (sjis::IsOperator(*p)) item += *p++;
          SkipSpaces(p);
          item += frontend::ReadNumber(p);
          SkipSpaces(p);
          item = EvaluateExpression(item);
        }
        if (*p != '\r' && *p != '\n' && *p != ',' && *p != ';' && *p != '\xA4') item += ReadWord(p);
        break;
      }
      case '(': {
        const char* s = p;
        ReadParenthesisedChecked(p);
        item.assign(s, p);
        item += ReadWord(p);
        break;
      }
      case '*':
        while (*p && *p != '\r') ++p;
        return;
      case ';':
        ++p;
        ExecutePending();
        return;
      case '?': {
        ++p;
        SkipBlanks(p);
        if (*p == '"' || *p == '`') {
          std::string lit = ReadLiteralChecked(p);
          host.Message(EvaluateText(lit), "");
          return;
        }
        if (args.Empty()) Raise("\"?\"は、文法が正しくないため、実行できません。");
        std::string condition = args.Pop();
        QuickCondition(condition, p);
        return;
      }
      default: {
        std::string_view w = ReadWord(p);
        if (w.empty()) {
          std::string b(1, *p);
          std::string msg = "\"" + b + "\"は、文法が正しくないため、実行できません。";
          if (*p == '&')
            msg += "\"&\"は、文字列との連結に使います。";
          else if (sjis::IsOperator(*p))
            msg += "\"" + b + "\"は、計算式で使います。";
          Raise(msg);
        }
        if (w == Soshite().Name) {
          ExecutePending();
          return;
        }
        item = w;
        isWord = true;
        break;
      }
    }

    // ---- the item ----
    const char* afterToken = p;
    SkipBlanks(p);
    if (*p == '=') {
      ++p;
      AssignVariable(item, p);
      return;
    }
    if (*p == '&' && p[1] != '&') {
      std::string value;
      std::string out = ResolveValue(item, value) ? QuoteValue(value) : item;
      AppendContinuation(out, p);
      args.Push(std::move(out));
      return;
    }
    if (EndsWith(item, kw::kNo)) {
      args.Push(std::move(item));
      continue;
    }
    if (EndsWith(item, kw::kHa)) {
      item.resize(item.size() - kw::kHa.size());
      AssignVariable(item, p);
      return;
    }
    if (EndsWith(item, kw::kKai)) {
      std::string count = EvaluateText(std::string_view(item).substr(0, item.size() - kw::kKai.size()));
      StartTimes(ReadInteger(count, -1), p);
      return;
    }
    if (EndsWith(item, kw::kNoToki)) {
      CaseBranch(std::string_view(item).substr(0, item.size() - kw::kNoToki.size()), p);
      return;
    }
    if (EndsWith(item, kw::kTe)) {
      const THashNodeRef* slot = words.FindSlot(item, true);
      if (slot && IsCallable(slot->get())) {
        THashNodeRef word = *slot;
        if (*afterToken == '(') {
          p = afterToken;
          CallWithParens(*word, p, false);
        } else {
          ExecuteWord(*word);
        }
        return;
      }
    }
    {
      char buf[64];
      std::string big;
      std::string_view folded;
      if (item.size() <= sizeof buf) {
        folded = FoldOkurigana(item, buf, sizeof buf);
      } else {
        big = FoldOkurigana(item);
        folded = big;
      }
      if (item == "もし" || folded == "繰返" || folded == "反復" || folded == "ループ") {
        args.Push(std::move(item));
        ExecutePending();
        return;
      }
    }
    if (isWord && *p == '(') {
      const THashNodeRef* slot = words.FindSlot(item, true);
      if (slot && IsCallable(slot->get())) {
        THashNodeRef word = *slot;
        // the parentheses must follow the name directly
        p = afterToken;
        std::string result = CallWithParens(*word, p, false);
        SkipSpaces(p);
        if (*p == 0 || *p == '\r' || *p == ';') {
          THashNode& sore = Sore();
          sore.SetValue(std::move(result));
          sore.Tag = curTag;
          return;
        }
        std::string particle(ReadWord(p));
        // a result that is no number goes on as a value, never as program text
        item = (curTag == kTagNumber ? result : QuoteValue(result)) + particle;
      }
    }
    args.Push(std::move(item));
    if (*p == 0) ExecutePending();
    return;
  }
}

void TTamaBase::ExecutePending() {
  if (args.Empty()) return;
  std::string w = args.Pop();
  const THashNodeRef* slot = words.FindSlot(w, true);
  if (slot) {
    THashNodeRef word = *slot;  // kept alive while it runs
    ExecuteWord(*word);
    if (!args.Empty()) {
      std::string msg = "\"" + word->Name + "\"命令の引数に誤りがあります。引数が多いです。\"";
      for (const auto& it : args.Items()) {
        msg += it;
        msg += "\r\n";
      }
      msg += '"';
      Raise(msg);
    }
    ++sentencesDone;
    return;
  }
  std::string obj = args.Pop();
  if (!obj.empty()) args.Push(obj);
  std::string msg;
  for (const auto& it : args.Items()) {
    msg += it;
    msg += ',';
  }
  msg += w;
  args.Clear();
  Raise("\"" + std::string(TrimControl(msg)) + "\"は未定義の命令です。(;o;)<綴りミスか、命令の引数に注意！");
}

void TTamaBase::ExecuteWord(THashNode& word) {
  switch (word.Kind) {
    case wkCommand:
      CallCommand(word);
      return;
    case wkLabel:
      CallLabel(word);
      return;
    case wkVariable:
    case wkObject:
      Raise("\"" + word.Name + "\"は、文法が正しくないため、実行できません。変数を実行することは出来ません。");
    case wkDllFunction:
      Raise("\"" + word.Name + "\":たまかず命令のリンク切れ。作者へ報告を！");
    case wkHash:
      return;
  }
}

void TTamaBase::CallLabel(THashNode& label) {
  // an argument may run program code (a label used as a value) that changes
  // the label or reads call arguments itself: all are read before any is
  // handed over, and the label must still be one afterwards
  std::vector<std::string> values;
  if (!label.Pattern().empty()) {
    BindArguments(label);
    size_t slots = 0;
    for (char ch : label.Pattern())
      if (ch == '?') ++slots;
    values.reserve(slots);
    for (size_t i = 0; i < slots; ++i) values.push_back(EvaluateText(args.TakeFirst()));
  }
  if (label.Kind != wkLabel || !label.Link) Raise("未定義のラベル\"" + label.Name + "\"に、ジャンプしようとしました。");
  for (auto& v : values) callArgs.Push(std::move(v));
  TRunControl f;
  f.kind = fkCall;
  f.savedFileName = programFileName;
  f.resume = Here();
  f.exit = label.Link;
  frames.PushFrame(std::move(f));
  programFileName = label.Tag;
  Jump(label.Link);
}

void TTamaBase::RunNestedLabel(THashNode& label) {
  {
    TNested nested(*this);
    programFileName = label.Tag;
    Jump(label.Link);
    RunProgram();
  }
  UnwindIfStopped(*this);
}

void TTamaBase::CollectLabels(const TTextRef& text, const std::string& fileName) {
  const char* p = text->begin();
  while (*p) {
    if (sjis::IsLead(*p) && p[1]) {
      p += 2;
    } else if (*p == '"' || *p == '`') {
      try {
        frontend::ReadLiteral(p);
      } catch (const frontend::TScanError& e) {
        Jump({text, p});
        Raise(e.what());
      }
    } else if (*p == '*') {
      DefineLabel(p, text, fileName);
    } else {
      ++p;
    }
  }
}

void TTamaBase::DefineLabel(const char*& p, const TTextRef& text, const std::string& fileName) {
  const char* star = p;
  if (p[1] == '*') {
    p += 2;
    return;
  }
  ++p;
  std::string_view name = ReadWord(p);
  if (name.empty()) return;
  const char* b = star - 1;
  while (b >= text->begin() && (*b == ' ' || *b == '\t')) --b;
  bool startOk = b < text->begin() || *b == '\t' || *b == '\n' || *b == '\r' || *b == ':';
  bool endOk = *p == 0 || *p == '\n' || *p == '\r';
  if (!startOk || !endOk) return;
  if (words.Find(name, false)) {
    Jump({text, p});
    Raise("ラベル\"" + std::string(name) + "\"の定義に失敗しました。既に単語として使われています。");
  }
  auto node = std::make_shared<THashNode>(std::string(name), true, TPos{text, p}, wkLabel, 0, fileName, "", "");
  AddWord(std::move(node));
}

}  // namespace tama
