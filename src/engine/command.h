// A built-in command as its family registers it: name, argument pattern,
// command id and the handler that the dispatcher calls for that id.
#pragma once
#include <cstddef>

namespace tama {

class TTamaBase;

// A handler takes its arguments from the argument stack of the interpreter
// (PopArgText, PopArgValue, PopArgNumber, PopWordArg) and stores its result in
// "それ". `id` tells aliases and siblings that share one handler apart.
using TCommandHandler = void (*)(TTamaBase& tama, int id);

struct TCommandDef {
  const char* name;     // as written, before okurigana folding (Shift-JIS)
  const char* pattern;  // e.g. "?を,?から,?まで"; empty for no arguments
  int id;               // aliases share one id
  TCommandHandler handler;  // nullptr while the family is not built yet
};

// The registration table of one command family.
struct TCommandFamily {
  const char* family;  // short ASCII name of the family, e.g. "strings"
  const TCommandDef* defs;
  size_t count;
};

}  // namespace tama
