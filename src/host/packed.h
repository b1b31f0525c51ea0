// Programs packed into a container behind an executable, and resource
// containers named on the command line.
#pragma once
#include <string>

namespace tama {
class TTamaBase;
}

namespace tama::host {

// True when the executable carries a container with the entry
// "tamakazu.tmk", whose text then becomes the program. `firstArg` "-run"
// makes the run-time ignore its own container.
bool LoadPackedProgram(TTamaBase& tama, const std::string& exePath, const std::string& firstArg = {});

// Opens a container named with "-resource"; false when it is none.
bool OpenResource(TTamaBase& tama, const std::string& path);

}  // namespace tama::host
