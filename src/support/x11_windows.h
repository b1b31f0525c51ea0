// The desktop's top-level windows through X11: their titles, activation,
// and keys typed into the active one (XTest). The X libraries are loaded on
// first use, so a run without a display never needs them.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "support/keytext.h"

namespace tama::support::x11 {

struct TWindow {
  unsigned long id = 0;
  std::string title;  // UTF-8
};

class TDisplay {
 public:
  // The display of $DISPLAY; nullptr when there is none or the libraries
  // cannot be loaded.
  static std::unique_ptr<TDisplay> Open();
  ~TDisplay();
  TDisplay(const TDisplay&) = delete;
  TDisplay& operator=(const TDisplay&) = delete;

  // The viewable, not hidden top-level windows with a title, top-most first:
  // the window manager's stacking list, or the root's children without one.
  std::vector<TWindow> Windows();
  // Asks for the window to become the active one (the window manager's
  // activation, or raising and focusing without one).
  void Activate(unsigned long window);
  bool IsActive(unsigned long window);
  // Plays the key actions (XTest); false when the keyboard cannot be driven.
  // `toUtf8` gives the UTF-8 form of a character of a kChar action.
  bool Play(const std::vector<TKeyAction>& actions, std::string (*toUtf8)(std::string_view));

  struct TLib;

 private:
  TDisplay() = default;
  std::unique_ptr<TLib> lib_;
  void* display_ = nullptr;
};

// The keysym of a virtual-key number; 0 for none.
unsigned long KeysymOfKey(int key);
// The keysym of a character (its code point): Latin-1 as it is, others in
// the Unicode range of keysyms.
unsigned long KeysymOfCodePoint(unsigned long cp);

}  // namespace tama::support::x11
