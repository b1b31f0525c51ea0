// The main window 母艦 as the model holds it: text output with its placement
// cursor, the program timer, waiting with events running, closing, and the
// window commands on 母艦 and フォーム objects.
#pragma once
#include <string>
#include <string_view>

#include "engine/tama.h"
#include "gui/model.h"

namespace tama::gui {

// 表示 on the main window: the lines drawn from the placement cursor, which
// moves down by the line advance.
void DisplayText(TTamaBase& t, std::string_view text);
// 待つ: waits that many seconds with the event loop running; events that
// arrive meanwhile run after it returns.
void WaitSeconds(TTamaBase& t, long double seconds);
// タイマー設定 / タイマー解除.
void SetProgramTimer(TTamaBase& t, long double seconds, std::string_view label);
void CancelProgramTimer(TTamaBase& t);
// A window (母艦 or a フォーム) was resized: its "img" follows, then 変更した時.
void Resized(TTamaBase& t, TObjNode& form, int clientW, int clientH);
// The close box of 母艦 (or a フォーム): the termination handler and
// 終了不可能 as closing the main window does.
void CloseRequested(TTamaBase& t, TObjNode& form);
// Something in the model can still raise an event (a timer armed, an
// animation running): the headless run does not end while it can.
bool EventSourceArmed(TTamaBase& t);

}  // namespace tama::gui
