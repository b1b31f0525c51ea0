// Windows of the desktop, keys typed into them, and window messages to the
// program's own objects.
//
// Other programs' windows are reached through X11 (support/x11_windows.h),
// only in window mode with a display. Headless there are no windows: the
// list is empty and activation fails, as it does for a title no window has.
#include <cstdlib>

#include "commands/system_internal.h"
#include "engine/tama.h"
#include "support/lines.h"

namespace tama::sys {

void WindowRekkyo(TTamaBase& t, int) { t.SetResultTagged(std::string(), kTagString); }

void Active(TTamaBase& t, int) { (void)t.PopArgValue(); }

void KeySoushin(TTamaBase& t, int) {
  (void)t.PopArgValue();
  (void)t.PopArgValue();
}

void MessageSoushin(TTamaBase& t, int) {
  (void)t.PopArgValue();
  (void)t.PopArgText();
}

}  // namespace tama::sys
