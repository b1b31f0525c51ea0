#include "host/packed.h"

#include "engine/tama.h"

namespace tama::host {

// The container format is read by the packed-file reader; until it exists no
// executable is taken to carry a program and no file is a resource container.
bool LoadPackedProgram(TTamaBase& tama, const std::string& exePath, const std::string& firstArg) {
  (void)tama;
  (void)exePath;
  (void)firstArg;
  return false;
}

bool OpenResource(TTamaBase& tama, const std::string& path) {
  (void)tama;
  (void)path;
  return false;
}

}  // namespace tama::host
