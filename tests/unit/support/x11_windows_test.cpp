// The X11 window services against a plain X client window on a virtual
// display: without $DISPLAY the test runs itself again under xvfb-run (and
// is skipped when that is missing).
// gtest first: Xlib defines "None" as a macro
#include <gtest/gtest.h>

#include "support/x11_windows.h"

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

namespace tama::support::x11 {
namespace {

bool OnPath(const char* name) {
  std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  size_t start = 0;
  while (start <= path.size()) {
    size_t colon = path.find(':', start);
    std::string dir = path.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (access((dir + "/" + name).c_str(), X_OK) == 0) return true;
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return false;
}

// A plain client window made with Xlib, outside the module under test.
struct TClient {
  void* lib = nullptr;
  Display* d = nullptr;
  Window w = 0;
  template <class F>
  F Fn(const char* name) {
    return reinterpret_cast<F>(dlsym(lib, name));
  }
  bool Open(const std::string& utf8Title) {
    lib = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return false;
    d = Fn<Display* (*)(const char*)>("XOpenDisplay")(nullptr);
    if (!d) return false;
    Window root = Fn<Window (*)(Display*)>("XDefaultRootWindow")(d);
    w = Fn<Window (*)(Display*, Window, int, int, unsigned, unsigned, unsigned, unsigned long, unsigned long)>(
        "XCreateSimpleWindow")(d, root, 10, 10, 200, 100, 0, 0, 0xFFFFFF);
    Fn<int (*)(Display*, Window, const char*)>("XStoreName")(d, w, "plain");
    Atom netName = Fn<Atom (*)(Display*, const char*, Bool)>("XInternAtom")(d, "_NET_WM_NAME", False);
    Atom utf8 = Fn<Atom (*)(Display*, const char*, Bool)>("XInternAtom")(d, "UTF8_STRING", False);
    Fn<int (*)(Display*, Window, Atom, Atom, int, int, const unsigned char*, int)>("XChangeProperty")(
        d, w, netName, utf8, 8, PropModeReplace, reinterpret_cast<const unsigned char*>(utf8Title.data()),
        static_cast<int>(utf8Title.size()));
    Fn<int (*)(Display*, Window, long)>("XSelectInput")(d, w, KeyPressMask | StructureNotifyMask);
    Fn<int (*)(Display*, Window)>("XMapWindow")(d, w);
    // wait until it is mapped
    XEvent e;
    do {
      Fn<int (*)(Display*, XEvent*)>("XNextEvent")(d, &e);
    } while (e.type != MapNotify);
    return true;
  }
  // The characters of the key presses that arrived.
  std::string Typed() {
    Fn<int (*)(Display*, Bool)>("XSync")(d, False);
    std::string out;
    auto pending = Fn<int (*)(Display*)>("XPending");
    auto next = Fn<int (*)(Display*, XEvent*)>("XNextEvent");
    auto lookup = Fn<int (*)(XKeyEvent*, char*, int, KeySym*, XComposeStatus*)>("XLookupString");
    for (int tries = 0; tries < 50; ++tries) {
      while (pending(d)) {
        XEvent e;
        next(d, &e);
        if (e.type != KeyPress) continue;
        char buf[8];
        KeySym sym;
        int n = lookup(&e.xkey, buf, sizeof buf, &sym, nullptr);
        out.append(buf, static_cast<size_t>(n > 0 ? n : 0));
      }
      usleep(10000);
    }
    return out;
  }
  ~TClient() {
    if (d) Fn<int (*)(Display*)>("XCloseDisplay")(d);
    if (lib) dlclose(lib);
  }
};

TEST(X11Windows, APlainWindowIsListedActivatedAndTypedInto) {
  if (!std::getenv("DISPLAY")) {
    if (std::getenv("TAMA_X11_CHILD")) GTEST_SKIP() << "xvfb-run gave no display";
    if (!OnPath("xvfb-run")) GTEST_SKIP() << "xvfb-run is not installed: the X11 window services are not tested";
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    self[n] = 0;
    const std::string cmd = std::string("TAMA_X11_CHILD=1 xvfb-run -a '") + self +
                            "' --gtest_filter=X11Windows.APlainWindowIsListedActivatedAndTypedInto";
    int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the test failed on the virtual display";
    return;
  }
  const std::string title = "\xE7\xAA\x93 plain client";  // "窓 plain client"
  TClient client;
  ASSERT_TRUE(client.Open(title));
  std::unique_ptr<TDisplay> display = TDisplay::Open();
  ASSERT_NE(display, nullptr);
  unsigned long found = 0;
  for (const auto& w : display->Windows())
    if (w.title == title) found = w.id;
  ASSERT_EQ(found, client.w);
  display->Activate(found);
  bool active = false;
  for (int i = 0; i < 100 && !active; ++i) {
    active = display->IsActive(found);
    if (!active) usleep(10000);
  }
  EXPECT_TRUE(active);
  std::vector<TKeyAction> keys = ParseKeyText("a+bC{TAB}");
  ASSERT_TRUE(display->Play(keys, [](std::string_view s) { return std::string(s); }));
  EXPECT_EQ(client.Typed(), "aBC\t");
}

TEST(X11Windows, KeysymsOfKeysAndCharacters) {
  EXPECT_EQ(KeysymOfKey(13), 0xff0du);  // Return
  EXPECT_EQ(KeysymOfKey(112), 0xffbeu);  // F1
  EXPECT_EQ(KeysymOfKey(127), 0xffcdu);  // F16
  EXPECT_EQ(KeysymOfKey(99), 0u);
  EXPECT_EQ(KeysymOfCodePoint('a'), 0x61u);
  EXPECT_EQ(KeysymOfCodePoint(0xE9), 0xE9u);
  EXPECT_EQ(KeysymOfCodePoint(0x7A93), 0x01007A93u);
}

}  // namespace
}  // namespace tama::support::x11
