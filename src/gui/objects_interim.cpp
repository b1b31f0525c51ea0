// INTERIM: the few object operations the main window calls, until the object
// operations (objects.cpp) arrive. Remove this file when they do.
#include "gui/objects.h"

namespace tama::gui {

void FreeDeferred(TTamaBase& t) { Gui(t).deferred.clear(); }

void Changed(TTamaBase& t, TObjNode& node) { Gui(t).view->Changed(node); }

void RaiseSlotEvent(TTamaBase& t, TObjNode& node, int slot) {
  if (!node.eventEntry[slot].text) return;
  const TPos saved = node.eventEntry[kSlotEvent];
  node.eventEntry[kSlotEvent] = node.eventEntry[slot];
  TRunControl f;
  f.kind = fkEventCall;
  f.savedFileName = t.programFileName;
  f.resume = t.Here();
  f.exit = node.eventEntry[kSlotEvent];
  const bool busy = Busy(t);
  if (busy) {
    t.frames.PushFrame(std::move(f));
    t.Jump(node.eventEntry[kSlotEvent]);
  } else {
    TTamaBase::TNested nested(t);
    t.frames.PushFrame(std::move(f));
    t.Jump(node.eventEntry[kSlotEvent]);
    t.RunProgram();
  }
  node.eventEntry[kSlotEvent] = saved;
}

}  // namespace tama::gui
