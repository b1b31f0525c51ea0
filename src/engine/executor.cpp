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
  if (lineHook && cur && !stopFlag) lineHook(*this);
  // a line stop: after the sentence that ended at this line break has run
  if (lineStop && debugDialog && cur && !stopFlag && debugDialog(*this)) CloseRun();
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

namespace {

// One step of the sentence executor: reads the next token at the cursor and
// acts on it. A token is an item (a literal, an element, a number or
// expression of numbers, a parenthesised text, a word, each with its
// particle) or a sentence end (the end of the text, a line break, ";", "そして",
// a comment, the "?" form). An item is then an assignment ("A は V", "A = V"),
// the start of a chain joined with "&", a step of a construct (N回, もし, the
// loop words, "…の時"), a call written with parentheses, or an argument pushed
// on the argument stack; a sentence end executes the pending command.
class TSentenceStep {
 public:
  TSentenceStep(TTamaBase& t, const char*& p) : t_(t), p_(p) {}

  void Run() {
    // an item ending in の is pushed and the next token read at once (a loop,
    // so that a long chain of such items needs no deeper C++ stack)
    for (;;) {
      SkipBlanks(p_);
      item_.clear();
      isWord_ = false;
      if (!ReadToken()) return;
      if (!ActOnItem()) return;
    }
  }

 private:
  // Reads the token at the cursor: true when it is an item (in item_), false
  // when the step is over (a sentence end was handled).
  bool ReadToken() {
    const char c = *p_;
    switch (c) {
      case 0:
        t_.ExecutePending();
        return false;
      case '\r':
      case '\n':
        t_.LineBreakStep(p_, true);
        return false;
      case '"':
      case '`':
        ReadLiteralItem();
        return true;
      case '#':
        ReadElementItem();
        return true;
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
      case '9':
        ReadNumberItem();
        return true;
      case '(': {
        const char* s = p_;
        t_.ReadParenthesisedChecked(p_);
        item_.assign(s, p_);
        item_ += ReadWord(p_);
        return true;
      }
      case '*':
        // a label line: nothing to run
        while (*p_ && *p_ != '\r') ++p_;
        return false;
      case ';':
        ++p_;
        t_.ExecutePending();
        return false;
      case '?':
        ++p_;
        QuickForm();
        return false;
      default:
        return ReadWordItem();
    }
  }

  // A literal as its value in back-quoted form, then its particle or a chain
  // joined with "&".
  void ReadLiteralItem() {
    std::string lit = t_.ReadLiteralChecked(p_);
    item_ = QuoteValue(t_.EvaluateText(lit));
    SkipSpaces(p_);
    if (*p_ != '&')
      item_ += ReadWord(p_);
    else
      t_.AppendContinuation(item_, p_);
  }

  // "A#i" or "A#i#j": the element of the word pushed last (made a variable
  // when no word has its name), kept as written with its particle; the
  // element is read when the argument is evaluated.
  void ReadElementItem() {
    std::string name = t_.args.Pop();
    if (!t_.words.Find(name, false) && !name.empty()) {
      auto node = std::make_shared<THashNode>(name, false, -1, "");
      node->Link = t_.Here();
      t_.AddWord(std::move(node));
    }
    ++p_;
    item_ = name + "#" + ReadIndex();
    SkipSpaces(p_);
    if (*p_ == '#') {
      ++p_;
      item_ += "#" + ReadIndex();
    }
    if (*p_ && !sjis::IsDelimiter(*p_)) item_ += ReadWord(p_);
  }

  // An index as written: a parenthesised text or a word.
  std::string ReadIndex() {
    if (*p_ != '(') return std::string(ReadWord(p_));
    const char* s = p_;
    t_.ReadParenthesisedChecked(p_);
    return std::string(s, p_);
  }

  // A number, and operators with further numbers computed at once; then the
  // particle.
  void ReadNumberItem() {
    item_ = frontend::ReadNumber(p_);
    SkipSpaces(p_);
    while (sjis::IsOperator(*p_)) {
      while (sjis::IsOperator(*p_)) item_ += *p_++;
      SkipSpaces(p_);
      item_ += frontend::ReadNumber(p_);
      SkipSpaces(p_);
      item_ = t_.EvaluateExpression(item_);
    }
    if (*p_ != '\r' && *p_ != '\n' && *p_ != ',' && *p_ != ';' && *p_ != '\xA4') item_ += ReadWord(p_);
  }

  // "?" with a literal shows it; otherwise the item pushed last is the
  // condition of the short condition form.
  void QuickForm() {
    SkipBlanks(p_);
    if (*p_ == '"' || *p_ == '`') {
      std::string lit = t_.ReadLiteralChecked(p_);
      t_.host.Message(t_.EvaluateText(lit), "");
      return;
    }
    if (t_.args.Empty()) t_.Raise("\"?\"は、文法が正しくないため、実行できません。");
    std::string condition = t_.args.Pop();
    t_.QuickCondition(condition, p_);
  }

  // A word with its particle; "そして" ends the sentence; a byte that starts
  // no word is a syntax error.
  bool ReadWordItem() {
    std::string_view w = ReadWord(p_);
    if (w.empty()) {
      std::string b(1, *p_);
      std::string msg = "\"" + b + "\"は、文法が正しくないため、実行できません。";
      if (*p_ == '&')
        msg += "\"&\"は、文字列との連結に使います。";
      else if (sjis::IsOperator(*p_))
        msg += "\"" + b + "\"は、計算式で使います。";
      t_.Raise(msg);
    }
    if (w == t_.Soshite().Name) {
      t_.ExecutePending();
      return false;
    }
    item_ = w;
    isWord_ = true;
    return true;
  }

  // Acts on the item read: true when the next token belongs to the same step
  // (the item ended in の).
  bool ActOnItem() {
    const char* afterToken = p_;
    SkipBlanks(p_);
    if (*p_ == '=') {
      ++p_;
      t_.AssignVariable(item_, p_);
      return false;
    }
    if (*p_ == '&' && p_[1] != '&') {
      std::string value;
      std::string out = t_.ResolveValue(item_, value) ? QuoteValue(value) : item_;
      t_.AppendContinuation(out, p_);
      t_.args.Push(std::move(out));
      return false;
    }
    if (EndsWith(item_, kw::kNo)) {
      t_.args.Push(std::move(item_));
      return true;
    }
    if (EndsWith(item_, kw::kHa)) {
      item_.resize(item_.size() - kw::kHa.size());
      t_.AssignVariable(item_, p_);
      return false;
    }
    if (EndsWith(item_, kw::kKai)) {
      std::string count = t_.EvaluateText(std::string_view(item_).substr(0, item_.size() - kw::kKai.size()));
      t_.StartTimes(ReadInteger(count, -1), p_);
      return false;
    }
    if (EndsWith(item_, kw::kNoToki)) {
      t_.CaseBranch(std::string_view(item_).substr(0, item_.size() - kw::kNoToki.size()), p_);
      return false;
    }
    if (EndsWith(item_, kw::kTe) && CallTeForm(afterToken)) return false;
    if (StartsConstruct()) {
      t_.args.Push(std::move(item_));
      t_.ExecutePending();
      return false;
    }
    if (isWord_ && *p_ == '(' && CallWithParens(afterToken)) return false;
    t_.args.Push(std::move(item_));
    if (*p_ == 0) t_.ExecutePending();
    return false;
  }

  // A command or label in its て form runs at once (with its parenthesised
  // arguments when they follow the name directly). False when the word is
  // none.
  bool CallTeForm(const char* afterToken) {
    const THashNodeRef* slot = t_.words.FindSlot(item_, true);
    if (!slot || !IsCallable(slot->get())) return false;
    THashNodeRef word = *slot;
    if (*afterToken == '(') {
      p_ = afterToken;
      t_.CallWithParens(*word, p_, false);
    } else {
      t_.ExecuteWord(*word);
    }
    return true;
  }

  // もし and the loop words read their block themselves: they run at once.
  bool StartsConstruct() const {
    char buf[64];
    std::string big;
    std::string_view folded;
    if (item_.size() <= sizeof buf) {
      folded = FoldOkurigana(item_, buf, sizeof buf);
    } else {
      big = FoldOkurigana(item_);
      folded = big;
    }
    return item_ == "もし" || folded == "繰返" || folded == "反復" || folded == "ループ";
  }

  // A call written with parentheses right after the name: at the sentence
  // end its result goes into それ (true: the step is over); before a
  // particle it becomes the item. False when the word is no command or label.
  bool CallWithParens(const char* afterToken) {
    const THashNodeRef* slot = t_.words.FindSlot(item_, true);
    if (!slot || !IsCallable(slot->get())) return false;
    THashNodeRef word = *slot;
    p_ = afterToken;
    TValue result;
    result.text = t_.CallWithParens(*word, p_, false);
    result.tag = t_.curTag;
    SkipSpaces(p_);
    if (*p_ == 0 || *p_ == '\r' || *p_ == ';') {
      THashNode& sore = t_.Sore();
      sore.SetValue(std::move(result.text));
      sore.Tag = std::move(result.tag);
      return true;
    }
    std::string particle(ReadWord(p_));
    // a result that is no number goes on as a value, never as program text
    item_ = std::move(result).ItemForm() + particle;
    return false;
  }

  TTamaBase& t_;
  const char*& p_;
  std::string item_;
  bool isWord_ = false;
};

}  // namespace

void TTamaBase::ExecuteSentence(const char*& p) {
  if (!p) return;
  if (cachesOn && args.Empty()) {
    SkipBlanks(p);
    if (plan::RunSentence(*this, p)) return;
  }
  TSentenceStep(*this, p).Run();
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
  // an event name after an object: the event is invoked on it
  if (invokeObjectEvent) {
    std::string_view name = obj;
    if (frontend::EndsWithChar(name, kw::kNo)) name.remove_suffix(kw::kNo.size());
    if (invokeObjectEvent(*this, name, w)) {
      ++sentencesDone;
      return;
    }
  }
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
    case wkDllFunction:
      CallCommand(word);
      return;
    case wkLabel:
      CallLabel(word);
      return;
    case wkVariable:
    case wkObject:
      Raise("\"" + word.Name + "\"は、文法が正しくないため、実行できません。変数を実行することは出来ません。");
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
