// The main window 母艦 as the model holds it: text output with its placement
// cursor, the program timer, waiting with events running, closing, the run
// loop after the main text, and the window commands on 母艦 and フォーム
// objects.
//
// Where the user's events come in without a window (besides the loop's own
// timers and descriptors):
// - the scripted events (--events) take their plain steps at every idle
//   point of the run loop (RunLoop), once what was ready has run, and their
//   `busy` steps at every pump step of 待つ (their events run after 待つ
//   returns). While steps are left the run does not end; a `wait` step lets
//   the loop's time pass.
// - TGuiState::idleHook(t), when set, is asked at the same idle points: it
//   delivers something and returns true, or returns false when nothing is
//   left. TGuiState::waitHook(t) is called at every pump step of 待つ (once
//   before the first wait, then before every step of at most 100 ms).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/tama.h"
#include "gui/model.h"

namespace tama::gui {

// The longest text 表示 expands; a longer one is cut (at a character
// boundary) and drawn as it is.
inline constexpr size_t kDisplayLimit = 4096;

// 表示 on the main window: the lines drawn from the placement cursor, which
// moves down by the line advance, trunc(1.2 x the text height of the drawing
// font), once per line; X does not change. With centring on, each line's x
// centres it in 母艦's client width.
void DisplayText(TTamaBase& t, std::string_view text);
// The lines 表示 draws for a text: cut or tab-expanded, split at CR LF, CR
// and LF (a final line break ends the last line; an empty text has none).
std::vector<std::string> DisplayLines(TTamaBase& t, std::string_view text);
// 画面クリア: the picture layer emptied and filled with the colour, which
// becomes 母艦's background; the placement cursor back at (10, 10).
void ClearScreen(TTamaBase& t, int64_t colour);
// 母艦's current background colour (white while it has none of its own).
int64_t MainBackground(TTamaBase& t);

// 待つ: waits that many seconds with the event loop running (steps of at most
// 100 ms, ending early when the run stops); events that arrive meanwhile
// find the program busy and run after it returns.
void WaitSeconds(TTamaBase& t, long double seconds);

// タイマー設定 (the label name as written, then the seconds): an empty name
// switches the timer off and forgets its label; otherwise the name must be a
// label and trunc(seconds x 1000) ms must fit 32 bits unsigned. A one-shot
// timer on the loop: when it fires while the program is busy, an event-call
// frame returns to where the program was and the label runs next; while it
// is idle, the label runs in a nested run.
void SetProgramTimer(TTamaBase& t, long double seconds, std::string_view label);
// タイマー解除: the timer off; its label stays.
void CancelProgramTimer(TTamaBase& t);
// The program timer is armed.
bool TimerArmed(TTamaBase& t);

// A window (母艦 or a フォーム) was resized: its "img" follows, then 変更した時.
void Resized(TTamaBase& t, TObjNode& form, int clientW, int clientH);
// The close box of 母艦: the termination handler runs once (終了不可能 "0"
// first); unless 終了不可能 is then "1" the run stops and the window closes.
// A フォーム's close box only hides it.
void CloseRequested(TTamaBase& t, TObjNode& form);
// Something can still raise an event of the program: the loop has a callback
// posted, a timer armed (the program timer, animation frames) or a descriptor
// watched. The run loop ends when nothing can.
bool EventSourceArmed(TTamaBase& t);

// An idle point (the run loop between events): destroyed records are freed.
void IdlePoint(TTamaBase& t);
// The run after the main text has run: the loop runs the program's events
// until the run stops; when nothing can happen any more (and no scripted
// directive is left) the window is asked to close once, and the run ends
// whether or not closing was refused.
void RunLoop(TTamaBase& t);

// ---- window commands ----
// 母艦's record (object 0).
TObjNode& MainWindow(TTamaBase& t);
void ShowMain(TTamaBase& t);
// 母艦最大化 (2), 母艦最小化 (1), 母艦元のサイズ (0).
void SetMainState(TTamaBase& t, int state);
// 母艦全画面化: maximised, on top, no border, at (0, 0) with the screen's size.
void FullScreen(TTamaBase& t);
// The border style 0..5; false when out of range.
bool SetMainStyle(TTamaBase& t, int64_t style);
// 最前面 / 最背面: a フォーム stays on top or not; another object goes to the
// end (front) or the start (back) of its parent's children.
void BringToFront(TTamaBase& t, TObjNode& node, bool front);
// 中央へ移動: a フォーム centred on the screen, another object in its parent
// when that is a パネル or a window.
void CentreObject(TTamaBase& t, TObjNode& node);

// フォームの位置記録 / 復元: the file name completed with the working folder
// when relative. Recording asks the security policy (a refusal skips it
// silently); a file that cannot be written or read raises.
std::string FormPositionFile(std::string_view name);
void SaveFormPosition(TTamaBase& t, std::string_view name);
void RestoreFormPosition(TTamaBase& t, std::string_view name);

// The line of a dialog no one can answer: "[注　意] FILE(N行目): ダイアログ"CMD"に
// 答えられないため、OUTCOME。" (outcome without its full stop).
std::string UnansweredLine(TTamaBase& t, std::string_view command, std::string_view outcome);

// The error of a file that could not be read or written (as the commands
// raise it, without the position prefix).
[[noreturn]] void RaiseFileFailure(std::string_view name);

}  // namespace tama::gui
