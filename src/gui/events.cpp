// The event slots of objects: attaching handlers, and turning an event into
// program execution, at once when the program is idle, as an event-call frame
// when it is busy.
#include <string>

#include "engine/runstop.h"
#include "gui/objects.h"

namespace tama::gui {

namespace {

void EmptySlot(TObjNode& node, int slot) {
  node.eventText[slot].clear();
  node.eventEntry[slot] = TPos{};
}

bool Enclosed(std::string_view v, char open, char close) {
  return v.size() >= 2 && v.front() == open && v.back() == close;
}

}  // namespace

void AttachHandler(TTamaBase& t, TObjNode& node, int slot, std::string_view written) {
  if (slot < 0 || slot >= kSlotCount) return;
  std::string v(written);
  if (v == "\"\"" || v == "``") {
    EmptySlot(node, slot);
    return;
  }
  if (Enclosed(v, '`', '`'))
    v = v.substr(1, v.size() - 2);
  else if (Enclosed(v, '"', '"'))
    v = t.EvaluateText(v);  // a literal stands for its text
  if (!v.empty()) {
    THashNodeRef word = t.words.FindRef(v, false);
    if (!word) word = t.words.FindRef(v, true);
    if (word && word->Kind == wkLabel && word->Link) {
      node.eventText[slot].clear();
      node.eventEntry[slot] = word->Link;
      return;
    }
    if (word && word->Kind == wkVariable)
      t.Raise("計算式に誤りがあります。イベントに変数を設定することは出来ません。ラベルを指定してください。");
  }
  if (!v.empty() && v.front() == '(') v = v.back() == ')' && v.size() >= 2 ? v.substr(1, v.size() - 2) : v.substr(1);
  if (v.empty()) {
    EmptySlot(node, slot);
    return;
  }
  // the handler runs the text itself; the entry keeps the text alive
  TTextRef text = MakeText(v);
  node.eventText[slot] = std::move(v);
  node.eventEntry[slot] = TPos{text, text->begin()};
}

void AttachGenericHandler(TTamaBase& t, TObjNode& node, std::string_view value) {
  if (value.empty() || value == "\\NULL-VALUE") {
    EmptySlot(node, kSlotEvent);
    return;
  }
  AttachHandler(t, node, kSlotEvent, value);
  // an emptied generic slot leaves the kind's own event as it was
  const int slot = DefaultSlot(node.kind);
  if (slot > 0 && node.eventEntry[kSlotEvent]) {
    node.eventText[slot] = node.eventText[kSlotEvent];
    node.eventEntry[slot] = node.eventEntry[kSlotEvent];
  }
}

void Dispatch(TTamaBase& t, int number) {
  TObjNode* node = Gui(t).Find(number);
  if (!node) t.Raise("オブジェクト\"" + std::to_string(number) + "\"が特定できません。");
  const TPos entry = node->eventEntry[kSlotEvent];
  if (!entry) return;
  TRunControl frame;
  frame.kind = fkEventCall;
  frame.savedFileName = t.programFileName;
  THashNode& source = t.QuickWord("イベントオブジェクト");
  source.Kind = wkObject;
  source.Id = number;
  if (Busy(t)) {
    // the handler runs when the executor takes its next sentence, and returns
    // to where the program was
    frame.resume = t.Here();
    t.frames.PushFrame(std::move(frame));
    t.Jump(entry);
    return;
  }
  {
    TTamaBase::TNested nested(t);
    frame.resume = t.Here();
    t.frames.PushFrame(std::move(frame));
    t.Jump(entry);
    t.RunProgram();
  }
  UnwindIfStopped(t);
}

std::string ModifierText(unsigned modifiers) {
  static const char* const kNames[] = {"Shift", "Alt", "Ctrl", "Left", "Right", "Middle", "Double"};
  std::string out;
  for (unsigned i = 0; i < 7; ++i) {
    if (!(modifiers & (1u << i))) continue;
    if (!out.empty()) out += "\r\n";
    out += kNames[i];
  }
  return out;
}

void RaiseSlotEvent(TTamaBase& t, TObjNode& node, int slot, const TEventArgs& args) {
  if (slot < 0 || slot >= kSlotCount) return;
  if (args.mouse) {
    t.QuickWord("マウスX").SetValue(std::to_string(args.mouseX));
    t.QuickWord("マウスY").SetValue(std::to_string(args.mouseY));
    t.QuickWord("押された特殊キー").SetValue(ModifierText(args.modifiers));
  }
  if (!node.eventEntry[slot]) return;
  if (args.key) {
    t.QuickWord("押されたキー").SetValue(std::to_string(args.keyCode));
    t.QuickWord("押された特殊キー").SetValue(ModifierText(args.modifiers));
  }
  if (args.hasValue) t.QuickWord("イベントの値").SetValue(args.value);
  if (slot == kSlotEvent) {
    Dispatch(t, node.number);
    return;
  }
  const int number = node.number;
  std::string savedText = node.eventText[kSlotEvent];
  TPos savedEntry = node.eventEntry[kSlotEvent];
  node.eventText[kSlotEvent] = node.eventText[slot];
  node.eventEntry[kSlotEvent] = node.eventEntry[slot];
  struct TRestore {
    TTamaBase& t;
    TObjNode& node;
    int number;
    std::string& text;
    TPos& entry;
    ~TRestore() {
      // a handler may have destroyed the object: its record waits on the
      // deferred list, or is live; a freed one is not touched
      TGuiState& g = Gui(t);
      bool known = g.Find(number) == &node;
      for (const auto& d : g.deferred) known = known || d.get() == &node;
      if (!known) return;
      node.eventText[kSlotEvent] = std::move(text);
      node.eventEntry[kSlotEvent] = std::move(entry);
    }
  } restore{t, node, number, savedText, savedEntry};
  Dispatch(t, number);
}

}  // namespace tama::gui
