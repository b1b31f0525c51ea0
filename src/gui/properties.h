// What each of the 57 properties means for each object kind: the read with
// its value form, and the write of a resolved value.
#pragma once
#include <string>
#include <string_view>

#include "engine/tama.h"
#include "gui/model.h"

namespace tama::gui {

// The rows of the property table (the index of the property name).
enum TProperty : int {
  kPropX = 0, kPropY, kPropWidth, kPropHeight, kPropText, kPropItems, kPropValue, kPropPicture, kPropStretch,
  kPropMax, kPropMin, kPropTitle, kPropOrientation, kPropButtonMode, kPropVisible, kPropEvent, kPropOnClick,
  kPropOnDblClick, kPropOnMouseDown, kPropOnMouseUp, kPropOnKeyDown, kPropOnKeyUp, kPropOnChange, kPropEdit,
  kPropTransparent, kPropBackground, kPropSize, kPropName, kPropScrollBars, kPropFontName, kPropFontSize,
  kPropFontColor, kPropFileDrop, kPropResize, kPropShortcut, kPropIme, kPropRepeat, kPropSound, kPropOnMouseMove,
  kPropAddPicture, kPropSelText, kPropHandle, kPropEnabled, kPropSelStart, kPropSelLength, kPropUrl, kPropRight,
  kPropBelow, kPropOnFileDrop, kPropStyle, kPropW, kPropH, kPropPosition, kPropColumn, kPropRow, kPropSort,
  kPropKind, kPropCount
};

// The event slot a property sets (-1 when it sets none).
int SlotOfProperty(int property);
// The property's name as the table writes it.
std::string PropertyNameOf(int property);

// The read of a property of a live object: its text and value form (an empty
// tag leaves the current form as it was).
TValue ReadProperty(TTamaBase& t, TObjNode& node, int property);
// The write of a property; `value` is the value text as written (not yet
// resolved).
void WriteProperty(TTamaBase& t, TObjNode& node, int property, std::string_view value);

}  // namespace tama::gui
