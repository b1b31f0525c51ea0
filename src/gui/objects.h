// The operations of the object model: creation, lookup, destruction, the
// event slots and the dispatch of events, and the property reads and writes
// with their checks. Commands and the scripted events call these.
#pragma once
#include <string>
#include <string_view>

#include "engine/tama.h"
#include "gui/model.h"

namespace tama::gui {

// Connects the object model to the interpreter (the hooks of TTamaBase).
void Install(TTamaBase& t);
// At every registration of the words: the object list holds only 母艦, the
// placement cursor is (10, 10), centring is off, その names no object, the
// program timer is off.
void ResetObjects(TTamaBase& t);

// ---- creation and lookup ----
// 作成: position text (ignored when omitted), name as written, kind word.
void CreateObject(TTamaBase& t, std::string_view position, bool positionOmitted, std::string_view name,
                  std::string_view kindWord);
// 作る: creates an object whose kind follows from its name.
void MakeFromName(TTamaBase& t, std::string_view name);
// The live object of an object word, or null.
TObjNode* ObjectOfWord(TTamaBase& t, const THashNode& word);
// The live object of a name for a read: the read's errors when there is none.
TObjNode& ObjectForRead(TTamaBase& t, std::string_view name);
// The object word of a record (null when its word is gone).
THashNode* WordOf(TTamaBase& t, const TObjNode& node);
// その becomes a copy of the word.
void SetSono(TTamaBase& t, const THashNode& word);

// ---- destruction ----
// オブジェクト破壊 of a name; オブジェクト全破壊.
void DestroyByName(TTamaBase& t, std::string_view name);
void DestroyAll(TTamaBase& t);
// Destroys one object (and the objects placed on it): emptied, hidden, its
// record kept on the deferred list until FreeDeferred.
void DestroyObject(TTamaBase& t, TObjNode& node);
// Frees the destroyed records (at an idle point, outside their events).
void FreeDeferred(TTamaBase& t);

// ---- containers ----
// Moves the object onto the container (its active page for a タブページ);
// raises the re-parenting error for the object itself or a container placed
// on it.
void Reparent(TTamaBase& t, TObjNode& node, TObjNode& container);

// ---- events ----
// Attaches the written text to the slot (a label, an inline text, or empty).
void AttachHandler(TTamaBase& t, TObjNode& node, int slot, std::string_view value);
// Writing イベント: slot 0 and the kind's default slot.
void AttachGenericHandler(TTamaBase& t, TObjNode& node, std::string_view value);
// Runs slot 0 of the object numbered `number`: at once when the program is
// idle, as an event-call frame when it is busy.
void Dispatch(TTamaBase& t, int number);
// What a widget event tells the program through the system variables.
enum TModifier : unsigned {
  kModShift = 1, kModAlt = 2, kModCtrl = 4, kModLeft = 8, kModRight = 16, kModMiddle = 32, kModDouble = 64
};
struct TEventArgs {
  bool mouse = false;  // マウスX, マウスY and 押された特殊キー, set even when the slot is empty
  int mouseX = 0, mouseY = 0;
  bool key = false;  // 押されたキー and 押された特殊キー
  int keyCode = 0;
  unsigned modifiers = 0;  // TModifier bits
  bool hasValue = false;   // イベントの値
  std::string value;
};
// 押された特殊キー of a modifier set: "Shift", "Alt", "Ctrl", "Left", "Right",
// "Middle", "Double", one a line, no line break after the last.
std::string ModifierText(unsigned modifiers);
// A widget event of slot k: the event's system variables set, then slot 0
// saved, slot k copied into it, dispatched, slot 0 restored. Nothing is run
// when slot k is empty.
void RaiseSlotEvent(TTamaBase& t, TObjNode& node, int slot, const TEventArgs& args = {});
// True when a program is running (the execution position is set and not at
// the end of its text).
inline bool Busy(const TTamaBase& t) { return t.cur && *t.cur; }

// ---- properties ----
// The index of a property name (folded as the word table folds); -1 for none.
int PropertyIndex(TTamaBase& t, std::string_view name);
// The read and write operations with their checks: the name may be quoted.
TValue ReadPropertyOf(TTamaBase& t, std::string_view objectName, std::string_view property);
void WritePropertyOf(TTamaBase& t, std::string_view objectName, std::string_view property, std::string_view value);
// The value of an object word used alone.
TValue ObjectValue(TTamaBase& t, TObjNode& node);
// The error of a property the kind has not.
[[noreturn]] void RaiseUndefinedSetting(TTamaBase& t, const TObjNode& node, std::string_view property);

// The model changed an object: the view mirrors it.
void Changed(TTamaBase& t, TObjNode& node);

}  // namespace tama::gui
