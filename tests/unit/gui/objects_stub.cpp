// Stand-ins for the object operations the property tests call: they record
// the calls so that the tests can see which changes and events a write made.
#include "gui/objects.h"
#include "gui/properties.h"
#include "objects_stub.h"

namespace tama::gui {

TStubLog& StubLog() {
  static TStubLog log;
  return log;
}

void Changed(TTamaBase&, TObjNode& node) { ++StubLog().changed; }
void RaiseSlotEvent(TTamaBase&, TObjNode& node, int slot) { StubLog().events.push_back({node.number, slot}); }
void Dispatch(TTamaBase&, int number) { StubLog().events.push_back({number, kSlotEvent}); }
void AttachHandler(TTamaBase&, TObjNode& node, int slot, std::string_view value) {
  node.eventText[slot] = std::string(value);
}
void AttachGenericHandler(TTamaBase& t, TObjNode& node, std::string_view value) {
  AttachHandler(t, node, kSlotEvent, value);
}
void RaiseUndefinedSetting(TTamaBase& t, const TObjNode& node, std::string_view property) {
  t.Raise("オブジェクト\"" + node.name + "\"(\"" + KindWord(node.kind) + "\")の設定項目\"" + std::string(property) +
          "\"は未定義です。");
}
THashNode* WordOf(TTamaBase& t, const TObjNode& node) {
  THashNode* w = t.words.Find(node.name, false);
  return w && w->Kind == wkObject && w->Id == node.number ? w : nullptr;
}
TObjNode* ObjectOfWord(TTamaBase& t, const THashNode& word) { return Gui(t).Find(word.Id); }
void Reparent(TTamaBase& t, TObjNode& node, TObjNode& container) {
  if (&node == &container) t.Raise(node.name + "を、" + container.name + "へ、親変更に失敗。");
  if (TObjNode* old = Gui(t).Find(node.parent)) std::erase(old->children, node.number);
  node.parent = container.number;
  node.page = container.kind == kTabPage ? container.activePage : 0;
  container.children.push_back(node.number);
}
void DestroyByName(TTamaBase& t, std::string_view name) {
  TGuiState& g = Gui(t);
  for (auto& slot : g.objects)
    if (slot && slot->name == name) {
      if (TObjNode* parent = g.Find(slot->parent)) std::erase(parent->children, slot->number);
      g.deferred.push_back(std::move(slot));
      t.words.Remove(name, false);
      return;
    }
}

}  // namespace tama::gui
