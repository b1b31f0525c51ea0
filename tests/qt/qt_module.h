// The Qt module in a test process: loaded from the build, under the
// offscreen platform, and started with this build's id.
#pragma once
#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "gui/window_system.h"

namespace tama::gui {

using TQtEntry = IWindowSystem* (*)(const char*);

// The module's entry point (nullptr when the module cannot be loaded).
inline TQtEntry QtModuleEntry() {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  void* lib = dlopen(TAMA_QT_MODULE, RTLD_NOW | RTLD_LOCAL);
  return lib ? reinterpret_cast<TQtEntry>(dlsym(lib, "tama_module_qt")) : nullptr;
}

// The window system of this build, started (nullptr when a step fails).
inline IWindowSystem* StartQtModule(TQtEntry entry) {
  IWindowSystem* s = entry ? entry(TAMA_BUILD_ID) : nullptr;
  std::string error;
  return s && s->Start(false, error) ? s : nullptr;
}

}  // namespace tama::gui
