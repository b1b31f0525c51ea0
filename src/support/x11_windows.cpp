#include "support/x11_windows.h"

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace tama::support::x11 {

// The functions of libX11 and libXtst this module uses.
struct TDisplay::TLib {
  void* x11 = nullptr;
  void* xtst = nullptr;
  Display* (*OpenDisplay)(const char*) = nullptr;
  int (*CloseDisplay)(Display*) = nullptr;
  Window (*RootOf)(Display*) = nullptr;
  Atom (*InternAtom)(Display*, const char*, Bool) = nullptr;
  int (*GetWindowProperty)(Display*, Window, Atom, long, long, Bool, Atom, Atom*, int*, unsigned long*,
                           unsigned long*, unsigned char**) = nullptr;
  int (*Free)(void*) = nullptr;
  Status (*QueryTree)(Display*, Window, Window*, Window*, Window**, unsigned int*) = nullptr;
  Status (*GetWindowAttributes)(Display*, Window, XWindowAttributes*) = nullptr;
  Status (*FetchName)(Display*, Window, char**) = nullptr;
  Status (*SendEvent)(Display*, Window, Bool, long, XEvent*) = nullptr;
  int (*RaiseWindow)(Display*, Window) = nullptr;
  int (*SetInputFocus)(Display*, Window, int, Time) = nullptr;
  int (*GetInputFocus)(Display*, Window*, int*) = nullptr;
  int (*Flush)(Display*) = nullptr;
  int (*Sync)(Display*, Bool) = nullptr;
  KeyCode (*KeysymToKeycode)(Display*, KeySym) = nullptr;
  KeySym* (*GetKeyboardMapping)(Display*, KeyCode, int, int*) = nullptr;
  int (*ChangeKeyboardMapping)(Display*, int, int, KeySym*, int) = nullptr;
  int (*DisplayKeycodes)(Display*, int*, int*) = nullptr;
  int (*(*SetErrorHandler)(int (*)(Display*, XErrorEvent*)))(Display*, XErrorEvent*) = nullptr;
  int (*FakeKeyEvent)(Display*, unsigned int, Bool, unsigned long) = nullptr;

  // The libraries stay loaded for the life of the process, as modules do:
  // they keep caches of their own that outlive any display.
  template <class F>
  bool Get(void* lib, F& f, const char* name) {
    f = reinterpret_cast<F>(dlsym(lib, name));
    return f != nullptr;
  }
  bool Load() {
    x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!x11) return false;
    bool ok = Get(x11, OpenDisplay, "XOpenDisplay") && Get(x11, CloseDisplay, "XCloseDisplay") &&
              Get(x11, RootOf, "XDefaultRootWindow") && Get(x11, InternAtom, "XInternAtom") &&
              Get(x11, GetWindowProperty, "XGetWindowProperty") && Get(x11, Free, "XFree") &&
              Get(x11, QueryTree, "XQueryTree") && Get(x11, GetWindowAttributes, "XGetWindowAttributes") &&
              Get(x11, FetchName, "XFetchName") && Get(x11, SendEvent, "XSendEvent") &&
              Get(x11, RaiseWindow, "XRaiseWindow") && Get(x11, SetInputFocus, "XSetInputFocus") &&
              Get(x11, GetInputFocus, "XGetInputFocus") && Get(x11, Flush, "XFlush") && Get(x11, Sync, "XSync") &&
              Get(x11, KeysymToKeycode, "XKeysymToKeycode") && Get(x11, GetKeyboardMapping, "XGetKeyboardMapping") &&
              Get(x11, ChangeKeyboardMapping, "XChangeKeyboardMapping") &&
              Get(x11, DisplayKeycodes, "XDisplayKeycodes") && Get(x11, SetErrorHandler, "XSetErrorHandler");
    if (!ok) return false;
    // key sending is optional: without XTest the windows are still listed
    xtst = dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL);
    if (xtst) Get(xtst, FakeKeyEvent, "XTestFakeKeyEvent");
    return true;
  }
};

namespace {

// A window that vanished between listing and asking must not end the process.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

std::string Latin1ToUtf8(const char* s) {
  std::string out;
  for (; *s; ++s) {
    unsigned char c = static_cast<unsigned char>(*s);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// The code points of a UTF-8 text (bad bytes skipped).
std::vector<unsigned long> CodePoints(std::string_view s) {
  std::vector<unsigned long> out;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) {
      ++i;
      continue;
    }
    unsigned long cp = n == 1 ? c : c & (0x7F >> n);
    for (int k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    out.push_back(cp);
    i += static_cast<size_t>(n);
  }
  return out;
}

}  // namespace

unsigned long KeysymOfKey(int key) {
  switch (key) {
    case 3: return XK_Break;
    case 8: return XK_BackSpace;
    case 9: return XK_Tab;
    case 12: return XK_Clear;
    case 13: return XK_Return;
    case 16: return XK_Shift_L;
    case 17: return XK_Control_L;
    case 18: return XK_Alt_L;
    case 20: return XK_Caps_Lock;
    case 25: return XK_Zenkaku_Hankaku;
    case 27: return XK_Escape;
    case 33: return XK_Prior;
    case 34: return XK_Next;
    case 35: return XK_End;
    case 36: return XK_Home;
    case 37: return XK_Left;
    case 38: return XK_Up;
    case 39: return XK_Right;
    case 40: return XK_Down;
    case 44: return XK_Print;
    case 45: return XK_Insert;
    case 46: return XK_Delete;
    case 47: return XK_Help;
    case 144: return XK_Num_Lock;
    case 145: return XK_Scroll_Lock;
    default: break;
  }
  if (key >= 112 && key <= 127) return XK_F1 + static_cast<unsigned long>(key - 112);
  return 0;
}

unsigned long KeysymOfCodePoint(unsigned long cp) {
  if (cp == '\n' || cp == '\r') return XK_Return;
  if (cp == '\t') return XK_Tab;
  if ((cp >= 0x20 && cp <= 0x7E) || (cp >= 0xA0 && cp <= 0xFF)) return cp;
  return 0x01000000 + cp;
}

std::unique_ptr<TDisplay> TDisplay::Open() {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return nullptr;
  auto lib = std::make_unique<TLib>();
  if (!lib->Load()) return nullptr;
  Display* d = lib->OpenDisplay(name);
  if (!d) return nullptr;
  lib->SetErrorHandler(IgnoreErrors);
  std::unique_ptr<TDisplay> out(new TDisplay);
  out->lib_ = std::move(lib);
  out->display_ = d;
  return out;
}

TDisplay::~TDisplay() {
  if (display_) lib_->CloseDisplay(static_cast<Display*>(display_));
}

std::vector<TWindow> TDisplay::Windows() {
  Display* d = static_cast<Display*>(display_);
  TLib& x = *lib_;
  const Window root = x.RootOf(d);
  std::vector<Window> order;  // bottom-most first
  Atom type;
  int format;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (x.GetWindowProperty(d, root, x.InternAtom(d, "_NET_CLIENT_LIST_STACKING", False), 0, 1 << 16, False, XA_WINDOW,
                          &type, &format, &count, &after, &data) == Success &&
      data && type == XA_WINDOW && format == 32) {
    const unsigned long* w = reinterpret_cast<const unsigned long*>(data);
    order.assign(w, w + count);
  } else {
    Window r, parent, *children = nullptr;
    unsigned int n = 0;
    if (x.QueryTree(d, root, &r, &parent, &children, &n) && children) order.assign(children, children + n);
    if (children) x.Free(children);
  }
  if (data) x.Free(data);

  const Atom netName = x.InternAtom(d, "_NET_WM_NAME", False), utf8 = x.InternAtom(d, "UTF8_STRING", False);
  const Atom state = x.InternAtom(d, "_NET_WM_STATE", False), hidden = x.InternAtom(d, "_NET_WM_STATE_HIDDEN", False);
  std::vector<TWindow> out;
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    const Window w = *it;
    XWindowAttributes a;
    if (!x.GetWindowAttributes(d, w, &a) || a.map_state != IsViewable) continue;
    bool isHidden = false;
    data = nullptr;
    if (x.GetWindowProperty(d, w, state, 0, 64, False, XA_ATOM, &type, &format, &count, &after, &data) == Success &&
        data && format == 32) {
      const unsigned long* s = reinterpret_cast<const unsigned long*>(data);
      for (unsigned long k = 0; k < count; ++k)
        if (s[k] == hidden) isHidden = true;
    }
    if (data) x.Free(data);
    if (isHidden) continue;
    std::string title;
    data = nullptr;
    if (x.GetWindowProperty(d, w, netName, 0, 1 << 14, False, utf8, &type, &format, &count, &after, &data) ==
            Success &&
        data && type == utf8 && format == 8)
      title.assign(reinterpret_cast<const char*>(data), count);
    if (data) x.Free(data);
    if (title.empty()) {
      char* name = nullptr;
      if (x.FetchName(d, w, &name) && name) title = Latin1ToUtf8(name);
      if (name) x.Free(name);
    }
    if (!title.empty()) out.push_back({w, title});
  }
  return out;
}

void TDisplay::Activate(unsigned long window) {
  Display* d = static_cast<Display*>(display_);
  TLib& x = *lib_;
  const Window root = x.RootOf(d);
  const Atom active = x.InternAtom(d, "_NET_ACTIVE_WINDOW", False);
  Atom type;
  int format;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const bool managed = x.GetWindowProperty(d, root, x.InternAtom(d, "_NET_SUPPORTING_WM_CHECK", False), 0, 1, False,
                                           XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
                       data && count == 1;
  if (data) x.Free(data);
  if (managed) {
    XEvent e;
    std::memset(&e, 0, sizeof e);
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = active;
    e.xclient.format = 32;
    e.xclient.data.l[0] = 2;  // from a pager: not taken for focus stealing
    e.xclient.data.l[1] = CurrentTime;
    x.SendEvent(d, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
  } else {
    x.RaiseWindow(d, window);
    x.SetInputFocus(d, window, RevertToParent, CurrentTime);
  }
  x.Flush(d);
}

bool TDisplay::IsActive(unsigned long window) {
  Display* d = static_cast<Display*>(display_);
  TLib& x = *lib_;
  x.Sync(d, False);
  Atom type;
  int format;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool active = false;
  if (x.GetWindowProperty(d, x.RootOf(d), x.InternAtom(d, "_NET_ACTIVE_WINDOW", False), 0, 1, False,
                          XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
      data && count == 1 && format == 32)
    active = *reinterpret_cast<const unsigned long*>(data) == window;
  if (data) x.Free(data);
  if (active) return true;
  Window focus = 0;
  int revert = 0;
  x.GetInputFocus(d, &focus, &revert);
  return focus == window;
}

bool TDisplay::Play(const std::vector<TKeyAction>& actions, std::string (*toUtf8)(std::string_view)) {
  Display* d = static_cast<Display*>(display_);
  TLib& x = *lib_;
  if (!x.FakeKeyEvent) return false;
  auto key = [&](KeySym sym, bool down) {
    KeyCode code = x.KeysymToKeycode(d, sym);
    if (!code) return;
    x.FakeKeyEvent(d, code, down ? True : False, 0);
    x.Flush(d);
  };
  const KeyCode shift = x.KeysymToKeycode(d, XK_Shift_L);
  for (const auto& a : actions) {
    if (a.kind != TKeyAction::kChar) {
      if (KeySym sym = KeysymOfKey(a.key)) key(sym, a.kind == TKeyAction::kDown);
      continue;
    }
    for (unsigned long cp : CodePoints(toUtf8(a.text))) {
      const KeySym sym = KeysymOfCodePoint(cp);
      KeyCode code = x.KeysymToKeycode(d, sym);
      bool remapped = false;
      if (!code) {
        // a character without a key: a spare key code gets it for the time of one press
        int lo = 0, hi = 0;
        x.DisplayKeycodes(d, &lo, &hi);
        int per = 0;
        KeySym* map = x.GetKeyboardMapping(d, static_cast<KeyCode>(lo), hi - lo + 1, &per);
        if (!map) continue;
        for (int k = hi; k >= lo && !code; --k) {
          bool empty = true;
          for (int j = 0; j < per; ++j)
            if (map[(k - lo) * per + j] != NoSymbol) empty = false;
          if (empty) code = static_cast<KeyCode>(k);
        }
        x.Free(map);
        if (!code) continue;
        KeySym syms[2] = {sym, sym};
        x.ChangeKeyboardMapping(d, code, 2, syms, 1);
        x.Sync(d, False);
        remapped = true;
      }
      int per = 0;
      bool needShift = false;
      if (!remapped) {
        KeySym* map = x.GetKeyboardMapping(d, code, 1, &per);
        if (map) {
          needShift = per > 1 && map[0] != sym && map[1] == sym;
          x.Free(map);
        }
      }
      if (needShift && shift) x.FakeKeyEvent(d, shift, True, 0);
      x.FakeKeyEvent(d, code, True, 0);
      x.FakeKeyEvent(d, code, False, 0);
      if (needShift && shift) x.FakeKeyEvent(d, shift, False, 0);
      x.Sync(d, False);
      if (remapped) {
        KeySym none[2] = {NoSymbol, NoSymbol};
        x.ChangeKeyboardMapping(d, code, 2, none, 1);
        x.Sync(d, False);
      }
    }
  }
  x.Flush(d);
  return true;
}

}  // namespace tama::support::x11
