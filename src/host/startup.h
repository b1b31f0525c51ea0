// Process start of the run-time: the command line, choice of the program,
// the first run and the end of the process.
#pragma once
#include <vector>

#include "engine/command.h"

namespace tama {
class TTamaBase;
}

namespace tama::host {

// Runs the process; the return value is the exit status.
int Main(int argc, char** argv);

// Prepares the run (words, canonical text, labels), runs the main text, then
// the event loop until the program stops or nothing can happen any more, and
// closes the run. Returns the exit status.
int RunMain(TTamaBase& tama, const std::vector<const TCommandFamily*>& families);

}  // namespace tama::host
