// The interpreter state: the program texts, the cursor, the word table, the
// stacks and flags, and the operations of the executor and the value readers.
#pragma once
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/command.h"
#include "engine/error_log.h"
#include "engine/stack_budget.h"
#include "engine/host.h"
#include "support/random.h"
#include "support/regex_command.h"
#include "words/hash.h"
#include "words/runcontrol.h"
#include "words/stack.h"
#include "words/tags.h"
#include "words/text.h"

namespace tama {

// A run-time error: its message is the formatted error line.
class ETama : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A reference to a system word that commands use without a lookup. It follows
// the word table: when the word is replaced or renamed it finds the new entry.
class TQuickRef {
 public:
  TQuickRef() = default;
  THashNode& Get() { return *node_; }
  void Bind(std::string name, THashNodeRef node);
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
  THashNodeRef node_;
};

struct TFileState;
struct TOfficeState;  // commands/office_internal.h
struct TFindCsv;  // support/csvdb.h
struct TSystemState;  // commands/system_internal.h
struct TSocketState;  // commands/network_tcp.cpp
struct TDdeState;     // commands/network_dde.cpp
struct TSoundState;   // commands/sound_internal.h
namespace gui {
struct TGuiState;  // gui/model.h
}

// A value as a reader gives it: its text and its type tag.
struct TValue {
  std::string text;
  std::string tag;
  bool IsNumber() const { return tag == kTagNumber; }
  // The form in which a value goes on as an item of a sentence or an
  // expression: a number as it is, anything else quoted, so that it is never
  // read as program text.
  std::string ItemForm() &&;
};

class TTamaBase {
 public:
  explicit TTamaBase(THost& host);
  ~TTamaBase();
  TTamaBase(const TTamaBase&) = delete;
  TTamaBase& operator=(const TTamaBase&) = delete;

  THost& host;

  // ---- start-up state ----
  std::string programFileName;  // the file named in error lines
  std::string sourceText;       // the program text as loaded
  std::vector<TTextRef> sourceTexts;  // normalised texts: main program first, then included files
  std::vector<std::string> commandLine;  // argument 0 is the run-time itself
  std::string programFolder, programPath, runtimePath;
  bool runtimeMode = false, packedSource = false, defaultFile = false;
  bool debugFlag = false, lineStop = false, stopFlag = false;
  // Read plans and block shapes kept with the program texts (speed only).
  bool cachesOn = true;
  int securityLevel = -1;
  // the packed-file reader, extracted files, file handles and shared blocks
  // (engine/files_state.h; made on first use, freed with the state)
  std::shared_ptr<TFileState> fileState;
  // the running search of 表検索 and 表検索次の値 (made on first use)
  std::shared_ptr<TFindCsv> tableSearch;
  // the open registry key and the open INI file (made on first use)
  std::shared_ptr<TSystemState> systemState;
  // the TCP client and server, and the DDE server topics (made on first use;
  // their sockets close with the state)
  std::shared_ptr<TSocketState> socketState;
  std::shared_ptr<TDdeState> ddeState;
  // the players of the sound commands (made on first use)
  std::shared_ptr<TSoundState> soundState;
  // the workbook, the document, the database connection and record set of
  // the office commands (made on first use)
  std::shared_ptr<TOfficeState> officeState;
  int textX = 10, textY = 10;
  int currentRow = 0;
  TRandom random;                // 乱数, RND, 配列シャッフル
  regex::TPatternCache patterns;  // compiled patterns of the 正規表現 commands

  // ---- the cursor ----
  // `cur` walks the text `curText` keeps alive; nullptr is the nil cursor.
  const char* cur = nullptr;
  TTextRef curText;
  TPos Here() const { return {curText, cur}; }
  void Jump(const TPos& p) {
    curText = p.text;
    cur = p.p;
  }
  void StopCursor() {
    cur = nullptr;
    curText.reset();
  }

  // ---- words and stacks ----
  THash words;
  TStack args;
  TStack callArgs;
  TRunControlStack frames;
  std::string curTag;  // the current type tag
  bool positional = false;
  bool omitted = false;

  // ---- errors ----
  TErrorLog errorLog;  // the error and warning lines of the run
  bool warnFlag = true;
  THashNodeRef errorHandler;
  TPos errorPos;
  uint64_t sentencesDone = 0;   // commands run to their end
  uint64_t handlerMark = 0;     // sentencesDone when the error handler was entered last
  bool handlerEntered = false;
  bool errorShown = false;  // the error dialog was shown in this run
  // A limit on the steps of the run loop (0: none); a run that reaches it
  // stops as one whose stop flag is set. The fuzz driver ends loops with it.
  uint64_t stepBudget = 0;
  uint64_t stepsRun = 0;
  bool BudgetSpent() {
    if (!stepBudget || ++stepsRun <= stepBudget) return false;
    stopFlag = true;
    StopCursor();
    return true;
  }
  THashNodeRef terminationHandler;

  // ---- commands ----
  std::vector<TCommandHandler> handlers;  // by command id
  void SetHandlers(const std::vector<const TCommandFamily*>& families);

  // ---- quick references ----
  THashNode& Sore() { return sore_.Get(); }
  THashNode& Kaisu() { return kaisu_.Get(); }
  THashNode& Soshite() { return soshite_.Get(); }
  THashNode& ErrorMessageWord() { return errorMessage_.Get(); }
  THashNode& QuickWord(std::string_view name);  // any other system word by name
  void BindQuickRefs();

  // Adds a word; a replacement of an existing name is noted for the quick references.
  void AddWord(THashNodeRef node);
  void RemoveWord(std::string_view name, bool fold);

  // ---- results ----
  // Stores the result in それ and sets the current tag (それ's Tag stays).
  void SetResult(std::string value, std::string_view tag);
  // Stores the result in それ and sets its Tag too.
  void SetResultTagged(std::string value, std::string_view tag);

  // ---- errors (errors.cpp) ----
  int LineNumberOf();
  std::string FormatErrorLine(std::string_view message);
  // Raises ETama with the formatted line of the message (added to the log).
  [[noreturn]] void Raise(std::string_view message);
  void Warn(std::string_view message);
  void ErrorStep(const std::exception& e);

  // ---- the executor (executor.cpp) ----
  void RunProgram();
  void ExecuteSentence(const char*& p);
  void ExecutePending();
  void ExecuteWord(THashNode& word);
  void CallLabel(THashNode& label);
  void CollectLabels(const TTextRef& text, const std::string& fileName);
  void DefineLabel(const char*& p, const TTextRef& text, const std::string& fileName);
  // The line-break step on a cursor: reads the row prefix of the next line.
  void LineBreakStep(const char*& p, bool executePending);
  void AppendContinuation(std::string& item, const char*& p);
  // Runs the cursor until the current level has nothing more to run.
  void RunNestedLabel(THashNode& label);
  // the levels of nested runs, parenthesised calls and brackets
  TStackBudget budget;

  // ---- binding and dispatch (binding.cpp) ----
  void BindArguments(THashNode& word);
  // A command word, or an imported function word (through CallImported).
  void CallCommand(THashNode& word);
  // An imported function word: its arguments bound by its pattern, then the
  // call through `callImported` (set by the commands that declare such words).
  void CallImported(THashNode& word);
  void (*callImported)(TTamaBase& t, THashNode& word) = nullptr;
  std::string PopArgText();
  std::string PopArgValue();
  long double PopArgNumber();
  THashNode& PopWordArg(bool create);
  THashNodeRef PopWordArgRef(bool create);

  // ---- value readers (values.cpp) ----
  // The readers leave the tag of what they read in curTag; the *Value forms
  // give it with the text.
  std::string ReadTerm(const char*& p, const char* limit = nullptr);
  std::string EvaluateText(std::string_view text);
  TValue ReadTermValue(const char*& p);
  TValue EvaluateValue(std::string_view text);
  TValue EvaluateExpressionValue(std::string_view text);
  bool ResolveValue(std::string_view text, TValue& value);
  std::string ExpandLiteral(std::string_view text);
  bool ResolveValue(std::string_view text, std::string& value);
  std::string CallWithParens(THashNode& word, const char*& p, bool push);
  void ParseArgumentList(std::string_view inner);
  std::string ReadLiteralChecked(const char*& p, const char* limit = nullptr);
  std::string ReadParenthesisedChecked(const char*& p);
  std::string ItemAccess(THashNodeRef base, const char*& p);
  std::string ElementAccess(THashNodeRef var, const char*& p);

  // ---- the expression evaluator (evaluate.cpp) ----
  std::string Evaluate(const char*& p);
  std::string EvaluateExpression(std::string_view text);
  std::string EvaluateBracketed(std::string_view inner);

  // ---- registration (registry.cpp) ----
  void RegisterWords(const std::vector<const TCommandFamily*>& families);
  // The value of コマンドライン引数; also sets the program folder and path.
  std::string BuildCommandLineValue();
  std::vector<std::string> foldedProperties;  // property names of objects, folded

  // ---- control flow (control.cpp) ----
  // The end-of-body step: pops the top frame and acts by its kind.
  void CheckRunControl();
  // N回: runs the block that follows N times.
  void StartTimes(int32_t n, const char*& p);
  // A branch label of 条件分岐 ("…の時").
  void CaseBranch(std::string_view label, const char*& p);
  // "?": the short condition form with the popped condition text.
  void QuickCondition(const std::string& condition, const char*& p);
  // Reads a block (a parenthesised group or the rest of the sentence) into a frame.
  void ReadBlock(TRunControl& frame, const char*& p);

  // Closes the run as closing the main window does: the termination handler
  // runs once; unless 終了不可能 is then "1" (closing refused: false), the
  // cursor is nil, the run stops and the event loop is asked to end.
  bool CloseRun();

  // ---- conditions, cases and jumps (flow.cpp) ----
  int32_t conditionResult = -1;           // 1 true, 0 false, -1 none (a block was chosen)
  std::string caseSelector = "~未定義";  // the value given to 条件分岐; the marker while none is pending
  // Reads the then and else blocks at the cursor and runs the one the
  // condition result selects; checkKeyword: the then block needs ならば/なら.
  void Branch(bool checkKeyword);
  // Moves the cursor to the entry of the label of exactly that name.
  void JumpToLabel(std::string_view name);
  // The stored (folded) names of the words of conditions, following renames.
  enum TControlWord { cwMoshi, cwNaraba, cwNara, cwChigaeba, cwDenakereba, cwCount };
  const std::string& ControlName(TControlWord w) { return controlRefs_[w].Get().Name; }

  // ---- assignment (assign.cpp) ----
  // A は V / A = V; with items before the target on the stack, AssignItem.
  void AssignVariable(std::string_view target, const char*& p);
  // Aの、Bは、V: the item B of the word A popped from the stack.
  void AssignItem(std::string_view target, const char*& p);
  // Makes the word a dictionary (the value's tag is "hs") or a plain variable.
  void TransferDictionary(THashNode& word, std::string value, const std::string& tag);
  // The object model sets these: an object word's value, and one of its
  // properties from the unevaluated value text. Without them an object keeps
  // the value as its text and has no properties to set.
  void (*setObjectValue)(TTamaBase& t, THashNode& object, const std::string& value) = nullptr;
  void (*setObjectProperty)(TTamaBase& t, THashNode& object, std::string_view property, std::string_view valueText) =
      nullptr;
  // ... and these: a property read (『AのB』), the value of an object word
  // used alone, an event named after an object in a sentence (false when the
  // word is not one of the event names), and the reset of the objects at
  // every registration of the words.
  TValue (*readObjectProperty)(TTamaBase& t, THashNode& object, std::string_view property) = nullptr;
  TValue (*readObjectValue)(TTamaBase& t, THashNode& object) = nullptr;
  bool (*invokeObjectEvent)(TTamaBase& t, std::string_view object, std::string_view event) = nullptr;
  void (*resetObjects)(TTamaBase& t) = nullptr;
  // The debug dialog (gui/debug.h): shown at a line stop and from the error
  // dialog's debug button; true when it was left with its stop button, and
  // the run is then closed. Without it nothing is shown.
  bool (*debugDialog)(TTamaBase& t) = nullptr;
  // A debugger attached to the run: called at every line break after the
  // sentence that ended there has run (before the line stop), while the run
  // goes on.
  void (*lineHook)(TTamaBase& t) = nullptr;
  // the objects of the user interface (gui/model.h; made on first use)
  std::shared_ptr<gui::TGuiState> gui;

  // A nested run: saves what a run inside the current step would disturb.
  class TNested {
   public:
    explicit TNested(TTamaBase& t);
    ~TNested();
    TNested(const TNested&) = delete;
    TNested& operator=(const TNested&) = delete;

   private:
    TTamaBase& t_;
    TPos cursor_;
    std::string fileName_;
    TStack args_;
    bool positional_;
  };

 private:
  TQuickRef sore_, kaisu_, soshite_, errorMessage_;
  TQuickRef controlRefs_[cwCount];
  std::vector<std::pair<std::string, TQuickRef>> otherRefs_;
};

// Texts that the interpreter compares often.
namespace kw {
inline constexpr std::string_view kSore = "それ";
inline constexpr std::string_view kNo = "の";
inline constexpr std::string_view kHa = "は";
inline constexpr std::string_view kKai = "回";
inline constexpr std::string_view kNoToki = "の時";
inline constexpr std::string_view kTe = "て";
}  // namespace kw

}  // namespace tama
