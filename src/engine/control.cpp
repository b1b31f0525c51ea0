// Run-control frames at the end of a block body, reading blocks, and the
// constructs that the executor starts itself.
#include <cmath>

#include "frontend/normalize.h"
#include "frontend/scanner.h"
#include "engine/flow.h"
#include "engine/plan.h"
#include "engine/runstop.h"
#include "engine/tama.h"
#include "support/number.h"

namespace tama {

using frontend::SkipBlanks;

void TTamaBase::CheckRunControl() {
  try {
    // a counted loop that goes on is stepped in place
    if (TRunControl* top = frames.Top();
        top && (top->kind == fkRepeat || top->kind == fkTimes) && top->counter != top->limit) {
      const int32_t n = ++top->counter;
      // the counter goes into the loop variable while it is one (the body
      // may have made the word a dictionary or an object)
      THashNode* counter = top->kind == fkRepeat ? top->var.get() : &Kaisu();
      if (counter && (top->kind == fkTimes || counter->Kind == wkVariable)) counter->SetIntValue(n);
      if (curText != top->body) curText = top->body;
      cur = top->body->begin();
      return;
    }
    TRunControl f;
    if (!frames.PopFrame(f)) return;
    switch (f.kind) {
      case fkIf:
      case fkElse:
      case fkCase:
        Jump(f.exit);
        return;
      case fkRepeat:
      case fkTimes:
        // the last pass has run
        Jump(f.exit);
        return;
      case fkCall:
      case fkEventCall:
        Jump(f.resume);
        programFileName = f.savedFileName;
        return;
      case fkIterate: {
        size_t n = f.list ? f.list->size() : 0;
        if (f.counter < 0 || static_cast<size_t>(f.counter) >= n) {
          Jump(f.exit);
          return;
        }
        ++f.counter;
        SetResult((*f.list)[f.counter - 1], kTagString);
        Kaisu().SetValue(FormatInteger(f.counter));
        Kaisu().Tag = kTagNumber;
        Jump({f.body, f.body->begin()});
        frames.PushFrame(std::move(f));
        return;
      }
      case fkLoop: {
        std::string v = EvaluateExpression(f.condition);
        if (std::trunc(TextToNumber(v)) != 0) {
          ++f.counter;
          Kaisu().SetValue(FormatInteger(f.counter));
          Jump({f.body, f.body->begin()});
          frames.PushFrame(std::move(f));
        } else {
          Jump(f.exit);
        }
        return;
      }
      default:
        Raise("特定できないシステムエラーです(ToT)\"CheckRunControl\"で未定義の構文があります。");
    }
  } catch (const std::exception& e) {
    Raise(std::string("実行制御でエラー。") + e.what() + ".制御スタック：" + std::to_string(frames.FrameCount()));
  }
}

const char* SentenceEnd(TTamaBase& t, const char* p) {
  while (*p && *p != '\r' && *p != '\n' && *p != ';') {
    if (*p == '"' || *p == '`') {
      t.ReadLiteralChecked(p);
    } else if (*p == '(') {
      t.ReadParenthesisedChecked(p);
    } else if (*p == '&') {
      const char* q = p + 1;
      while (*q == ' ' || *q == '\t') ++q;
      if (*q == '\r' || *q == '\n') {
        p = q;
        while (*p == '\r' || *p == '\n') ++p;
        while (sjis::IsDigit(*p)) ++p;
        if (*p == ':') ++p;
        continue;
      }
      ++p;
    } else {
      p += sjis::CharLenZ(p);
    }
  }
  return p;
}

namespace {
// The 1-based source line on which a position lies (the row prefix of the
// following line tells it); 0 when no prefix follows.
int LineOfPosition(const char* p) {
  while (*p && *p != '\r' && *p != '\n') p += sjis::CharLenZ(p);
  if (!*p) return 0;
  while (*p == '\r' || *p == '\n') ++p;
  int v = 0;
  bool any = false;
  while (sjis::IsDigit(*p)) {
    v = v * 10 + (*p - '0');
    any = true;
    ++p;
    if (v > 100000000) break;
  }
  return any && *p == ':' ? v : 0;
}
}  // namespace

void TTamaBase::ReadBlock(TRunControl& f, const char*& p) {
  SkipBlanks(p);
  if (*p == '\r' || *p == '\n') {
    const bool continued = p[-1] == ',';
    LineBreakStep(p, false);
    if (!continued) {
      // the items left before the line break run as a sentence; one that
      // ends the run or moves the cursor (戻る, 飛ぶ) leaves no block to read
      const char* after = p;
      const TTextRef text = curText;
      ExecutePending();
      if (p != after || curText != text) {
        UnwindIfStopped(*this);
        throw TSentenceLeft{};
      }
    }
    SkipBlanks(p);
  }
  f.savedFileName = programFileName;
  // a block read before at this position has the same shape
  const bool keep = cachesOn && curText && curText->contains(p);
  if (keep) {
    if (const TBlockShape* b = plan::FindBlock(*curText, p)) {
      f.resume = {curText, curText->begin() + b->resume};
      f.body = b->body;
      p = curText->begin() + b->exit;
      f.exit = {curText, p};
      return;
    }
  }
  const char* start = p;
  f.resume = {curText, p};
  std::string_view body;
  if (*p == '(') {
    const char* open = p;
    body = ReadParenthesisedChecked(p), (void)open;
    const char* inner = open + 1;
    body = std::string_view(inner, (p - 1) - inner);
    f.resume = {curText, inner};
  } else {
    const char* s = p;
    p = SentenceEnd(*this, p);
    body = std::string_view(s, p - s);
  }
  int last = LineOfPosition(p);
  if (last == 0) last = curText && curText->lastLine() ? curText->lastLine() : currentRow;
  f.body = MakeText(body, last);
  f.exit = {curText, p};
  if (keep) {
    const char* base = curText->begin();
    plan::KeepBlock(*curText, start,
                    {f.body, static_cast<uint32_t>(f.resume.p - base), static_cast<uint32_t>(p - base)});
  }
}

void TTamaBase::StartTimes(int32_t n, const char*& p) {
  TRunControl f;
  f.kind = fkTimes;
  ReadBlock(f, p);
  Jump(f.exit);
  if (n < 1) return;
  f.counter = 1;
  f.limit = n;
  Kaisu().SetValue("1");
  Jump({f.body, f.body->begin()});
  frames.PushFrame(std::move(f));
}

}  // namespace tama

namespace tama {

bool TTamaBase::CloseRun() {
  if (terminationHandler && terminationHandler->Kind == wkLabel && terminationHandler->Link) {
    THashNodeRef handler = std::move(terminationHandler);
    terminationHandler.reset();
    QuickWord("終了不可能").SetValue("0");
    RunNestedLabel(*handler);
  }
  // the handler refuses by setting a handler again (終了不可能 "1")
  if (QuickWord("終了不可能").Value() == "1") return false;
  StopCursor();
  stopFlag = true;
  if (TEventLoop* loop = host.Loop()) loop->Quit();
  return true;
}

}  // namespace tama
