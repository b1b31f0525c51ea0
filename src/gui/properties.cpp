// The properties of objects, kind by kind: what a read gives and what a write
// changes.
#include "gui/properties.h"

#include <cstdio>

#include "gui/objects.h"
#include "engine/system_words.h"
#include "gui/readers.h"
#include "support/number.h"
#include "words/tags.h"

namespace tama::gui {

namespace {

TValue Number(int64_t n) { return {std::to_string(n), kTagNumber}; }
TValue Text(std::string s) { return {std::move(s), kTagString}; }
// a result that leaves the current form as it was
TValue Untagged(std::string s) { return {std::move(s), std::string()}; }

std::string PointText(int x, int y) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "(%d,%d)", x, y);
  return buf;
}

int Spacing(TTamaBase& t) { return ReadInteger(t.QuickWord("部品配置間隔").Value(), 8); }

// The integer of a resolved value: the language's numeric conversion,
// truncated toward zero.
int64_t IntOf(std::string_view text) {
  long double n = TextToNumber(text);
  if (!(n > -9.2e18L && n < 9.2e18L)) return 0;
  return static_cast<int64_t>(n);
}

}  // namespace

std::string PropertyNameOf(int property) {
  auto names = PropertyNames();
  return property >= 0 && property < static_cast<int>(names.size()) ? names[property] : "";
}

int SlotOfProperty(int property) {
  switch (property) {
    case kPropEvent: return kSlotEvent;
    case kPropOnClick: return kSlotClick;
    case kPropOnDblClick: return kSlotDblClick;
    case kPropOnMouseDown: return kSlotMouseDown;
    case kPropOnMouseUp: return kSlotMouseUp;
    case kPropOnKeyDown: return kSlotKeyDown;
    case kPropOnKeyUp: return kSlotKeyUp;
    case kPropOnChange: return kSlotChange;
    case kPropOnMouseMove: return kSlotMouseMove;
    case kPropOnFileDrop: return kSlotFileDrop;
    default: return -1;
  }
}

TValue ReadProperty(TTamaBase& t, TObjNode& node, int property) {
  const std::string& name = node.name;
  const bool menu = node.kind == kMenu;
  switch (property) {
    case kPropX:
      if (menu) break;
      return Number(node.x);
    case kPropY:
      if (menu) break;
      return Number(node.y);
    case kPropWidth:
    case kPropW:
      if (menu) break;
      return Number(node.w);
    case kPropHeight:
    case kPropH:
      if (menu) break;
      return Number(node.h);
    case kPropRight:
      if (menu) break;
      return Text(PointText(node.x + node.w + Spacing(t), node.y));
    case kPropBelow:
      if (menu) break;
      return Text(PointText(node.x, node.y + node.h + Spacing(t)));
    case kPropPosition:
      if (menu) break;
      return Text(PointText(node.x, node.y));
    case kPropName: return Untagged(name);
    case kPropKind: return Untagged(KindWord(node.kind));
    case kPropEvent:
      Dispatch(t, node.number);
      return Untagged({});
    case kPropOnClick:
    case kPropOnDblClick:
    case kPropOnMouseDown:
    case kPropOnMouseUp:
    case kPropOnKeyDown:
    case kPropOnKeyUp:
    case kPropOnChange:
    case kPropOnMouseMove:
    case kPropOnFileDrop:
    case kPropSort:
      t.Warn("\"" + name + "," + PropertyNameOf(property) + "\"は、未定義です。");
      return Untagged({});
    default:
      break;
  }
  RaiseUndefinedSetting(t, node, PropertyNameOf(property));
}

void WriteProperty(TTamaBase& t, TObjNode& node, int property, std::string_view value) {
  const bool menu = node.kind == kMenu;
  int slot = SlotOfProperty(property);
  if (property == kPropEvent) {
    AttachGenericHandler(t, node, value);
    return;
  }
  if (slot >= 0) {
    AttachHandler(t, node, slot, value);
    return;
  }
  switch (property) {
    case kPropName:
    case kPropHandle:
    case kPropRight:
    case kPropBelow:
    case kPropKind:
      t.Raise("\"" + PropertyNameOf(property) + "\"は、読取専用です。");
    default:
      break;
  }
  const std::string text = t.EvaluateText(value);
  switch (property) {
    case kPropX:
      if (menu) break;
      node.x = static_cast<int>(IntOf(text));
      Changed(t, node);
      return;
    case kPropY:
      if (menu) break;
      node.y = static_cast<int>(IntOf(text));
      Changed(t, node);
      return;
    default:
      break;
  }
  RaiseUndefinedSetting(t, node, PropertyNameOf(property));
}

}  // namespace tama::gui
