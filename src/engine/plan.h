// What the executor keeps of a program text between the passes of a loop.
//
// Program texts never change, so whatever is learnt from reading a position
// stays true for that position: the shape of a block (its body and where the
// construct ends), the end and rewritten text of a condition, and a read plan
// of a sentence that assigns arithmetic over variables and numbers. A plan is
// made the second time a position runs (straight-line code never pays for
// one) and runs only when everything it checks holds; otherwise it does
// nothing and the sentence is read the general way, so results, errors and
// the log are the same with and without plans. Words are held with the
// generation of the word table they were found in and looked up again when
// the table has changed.
#pragma once
#include <cstdint>
#include <string>

#include "words/text.h"

namespace tama {

class TTamaBase;

// The shape of a block read at a position: the body (shared by every entry of
// the construct), the position where the body starts in the enclosing text
// and the position after the construct, as offsets into that text.
struct TBlockShape {
  TTextRef body;
  uint32_t resume = 0;
  uint32_t exit = 0;
};

// A condition of もし read at a position: where its text ends and the
// condition rewritten as an expression; valid for one generation of the word
// table (the words ならば and its siblings can be renamed).
struct TConditionShape {
  uint64_t generation = 0;
  uint32_t end = 0;
  bool crossesLine = false;  // the terminator stands on the next line: its row is read
  int row = 0;               // the row then read
  std::string expression;
  int32_t plan = -1;  // the read plan of the expression, -1 for none
};

namespace plan {

// True when the caches are in use (the environment variable
// TAMAKAZU_NO_CACHE turns them off, for comparing runs).
bool CachesWanted();

// Runs the sentence at p by its plan, leaving p at the sentence end. False
// when it has none or a check failed: then nothing has changed.
bool RunSentence(TTamaBase& t, const char*& p);

// The block shape kept for the position p of the text (nullptr when none).
const TBlockShape* FindBlock(const TText& text, const char* p);
void KeepBlock(const TText& text, const char* p, TBlockShape shape);

// The condition kept for the position p of the text, for the current
// generation of the word table (nullptr when none).
TConditionShape* FindCondition(TTamaBase& t, const TText& text, const char* p);
TConditionShape& KeepCondition(TTamaBase& t, const TText& text, const char* p, uint32_t end, std::string expression);
// Evaluates a kept condition by its plan into `result` (the text the
// evaluator would give). False when it cannot: evaluate it the general way.
bool EvaluateCondition(TTamaBase& t, const TText& text, TConditionShape& shape, std::string& result);

}  // namespace plan

}  // namespace tama
