// The dialogs of the run-time as requests and answers: a command fills a
// request (what the dialog shows), a dialog view answers it (what the user
// chose), and the command turns the answer into それ. A window view shows the
// real dialogs; without one the headless view answers by this rule:
//   1. the next step of the scripted events when it is `answer`, `choose` or
//      `cancel` (the `busy` steps before it are delivered first; any other
//      step leaves the dialog to the next source);
//   2. else one line of standard input per answer (UTF-8; a memo takes lines
//      up to a lone "."); a prompt goes to standard error only when standard
//      input is a terminal;
//   3. else, at the end of input, the answer of closing the dialog without a
//      choice, with a "[注　意]" line on standard error.
// Both views read the script's steps with the same parser, so a run with
// --events gives the same answers with and without a window.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/tama.h"
#include "gui/model.h"
#include "gui/readers.h"

namespace tama::gui {

struct TStep;  // gui/script.h

enum class TDialogKind {
  kMessage,      // 言う: a text and OK
  kYesNo,        // 二択
  kYesNoCancel,  // 三択
  kInput,        // 尋ねる: a line of text
  kChoice,       // どれか尋ねる: a list and an editable result field
  kList,         // リストから選択: a list and a read-only result field
  kButtons,      // ボタンで選択: one button per choice
  kMemo,         // メモ記入: a multi-line text
  kOpenFile,     // 読込ファイル選択 (several files may be chosen)
  kSaveFile,     // 書込ファイル選択
  kFolder,       // フォルダ選択
  kColour,       // 色選択
  kFont,         // フォント選択
};

// What a dialog shows. Texts are Shift-JIS.
struct TDialogRequest {
  TDialogKind kind = TDialogKind::kMessage;
  std::string command;  // the command that opened it (named in the unanswered line)
  std::string caption;
  std::string message;
  std::vector<std::string> items;  // list items or button captions
  std::string text;                // the input or result field, the memo, the file name
  std::string filter;              // file dialogs: "description|pattern|..."
  std::string defaultExt;          // save dialog: appended to a name without an extension
  std::string folder;              // file and folder dialogs: the starting folder (program form)
  bool multiple = false;           // open dialog: several files
  int64_t colour = 0;              // colour dialog: the colour it opens on
  TFontSpec chosenFont;            // font dialog: the font it opens on
  TFont font;                      // the dialog font (the drawing font of the program)
  int ime = 0;                     // input-method mode of the text fields (ダイアログIMEの状態)
};

// What the user chose. `ok` false: closed without a choice (Cancel, Esc, the
// close box), except for 二択 and 三択, whose answer is always `button`.
struct TDialogAnswer {
  bool ok = false;
  int button = -1;                 // 二択/三択: 1 yes, 0 no, 2 cancel; lists and buttons: the index chosen (-1: typed)
  std::string text;                // the text, the choice, the memo, the caption, the font text
  std::vector<std::string> paths;  // file and folder dialogs: full names
  int64_t colour = 0;              // 0x00BBGGRR
  TFontSpec font;
};

// ---- the answer forms, shared by every view ----

// The answer of closing the dialog without a choice: 二択 "no", 三択 "cancel",
// メモ記入 OK with the text as it is, every other dialog cancelled.
TDialogAnswer ClosedAnswer(const TDialogRequest& request);
// What that answer did, as the unanswered line says it ("キャンセルしました").
std::string ClosedOutcome(const TDialogRequest& request);
// The answer of a scripted step (verb answer, choose or cancel; arguments
// UTF-8): false with the reason when the step does not fit the dialog.
bool AnswerFromStep(const TDialogRequest& request, const TStep& step, TDialogAnswer& answer, std::string& reason);
// The answer of a line of standard input (Shift-JIS; a memo's lines joined
// with CR LF): false with the reason when it does not fit.
bool AnswerFromLine(const TDialogRequest& request, std::string_view line, TDialogAnswer& answer, std::string& reason);
// A path as a dialog gives it back: made absolute against the working folder,
// "." and ".." taken out, written with "/".
std::string FullName(std::string_view sjisName);
// The font text 文字書体 reads: name, then "|" and the styles
// (太字, 傾斜, 下線) when it has any, then "|" (twice without styles) and the
// size in points when that is positive.
std::string FontSpecText(const TFontSpec& font);
// The filter of a file type: a type with "|" as it is; otherwise (one leading
// "." removed) "t 形式(*.t)|*.t|全て(*.*)|*.*".
std::string FilterOfType(std::string_view type);
// The default extension of a filter: its second field without one leading
// "*" and then one leading ".".
std::string DefaultExtension(std::string_view filter);
// The items of a list dialog: "｜" and "|" separate them as line breaks do.
std::vector<std::string> ListItems(std::string_view choices);
// The choices of the button dialog: the text trimmed, one choice a line,
// empty lines included (none for an empty text).
std::vector<std::string> ButtonChoices(std::string_view choices);
// The button dialog has room for this many buttons; one more is a range error.
inline constexpr size_t kMaxButtons = 20;

// ---- the views ----

// Answers the requests. A window view shows the dialog modally and, when the
// run has scripted events, fills it from TakeScriptAnswer before accepting it.
class TDialogView {
 public:
  virtual ~TDialogView() = default;
  virtual TDialogAnswer Show(TTamaBase& t, const TDialogRequest& request) = 0;
  // The progress dialog: shown, changed, closed (a window view mirrors it).
  virtual void ProgressChanged(TTamaBase& t) { (void)t; }
};

// The scripted answer of a dialog: kNone when the next step does not answer
// a dialog (or there is no script), kTaken with the answer, kFailed when the
// step does not fit the dialog (the script's error line is written and the
// run stops).
enum class TScriptAnswer { kNone, kTaken, kFailed };
TScriptAnswer TakeScriptAnswer(TTamaBase& t, const TDialogRequest& request, TDialogAnswer& answer);

// The view without a window: the rule at the top of this file.
class THeadlessDialogs : public TDialogView {
 public:
  // Standard input, prompting on standard error when it is a terminal.
  THeadlessDialogs();
  // Lines from `readLine` (UTF-8 without the line end; false at the end).
  THeadlessDialogs(std::function<bool(std::string&)> readLine, bool interactive);
  TDialogAnswer Show(TTamaBase& t, const TDialogRequest& request) override;

 private:
  bool ReadLine(std::string& line);
  void Prompt(const TDialogRequest& request);
  std::function<bool(std::string&)> readLine_;
  bool interactive_ = false;
  bool ended_ = false;
  int lineNo_ = 0;
};

// The progress dialog the network commands show while they wait: its text,
// bar and stop action. Headless it shows nothing; a scripted `answer stop`
// (or `cancel`) met while it is open presses its stop button.
struct TProgress {
  bool open = false;
  std::string message = "---";
  int position = 0, maximum = 100;
  std::function<void()> stopAction;  // the stop button is enabled when set
};

// What the dialogs keep between uses, and the view that shows them.
struct TDialogState {
  std::shared_ptr<TDialogView> view;  // null: the headless view
  std::string openName, saveName;     // the file dialogs' last names
  int64_t colour = 0;                 // the colour dialog opens on black at first
  TFontSpec font{"ＭＳ Ｐゴシック", false, false, false, 9};  // 12 pixels
  std::string memoCaption = "メモ帳";
  TProgress progress;
};

// The dialog state of an interpreter, made on first use.
TDialogState& Dialogs(TTamaBase& t);

// Shows a dialog: the event loop runs what is pending first (events that
// arrive find the program busy and run after the command returns), then the
// view answers.
TDialogAnswer RunDialog(TTamaBase& t, const TDialogRequest& request);

// The progress dialog: opened with its text and stop action, moved, closed.
void OpenProgress(TTamaBase& t, std::string_view message, std::function<void()> stopAction);
void SetProgress(TTamaBase& t, int position, int maximum, std::string_view message);
void CloseProgress(TTamaBase& t);
// A pump step of a command waiting with the progress dialog open: a scripted
// `answer stop` or `cancel` that comes next runs the stop action. True when
// it did.
bool PumpProgress(TTamaBase& t);

// The security question answered by the script: `answer yes|no|allyes|allno`
// (or `cancel`, the close box). False when the next step answers no dialog.
bool ScriptedSecurityAnswer(TTamaBase& t, THost::TSecurityAnswer& answer);

}  // namespace tama::gui
