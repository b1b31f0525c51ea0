// Process start of the run-time: the command line, choice of the program,
// the first run and the end of the process.
#pragma once

namespace tama::host {

// Runs the process; the return value is the exit status.
int Main(int argc, char** argv);

}  // namespace tama::host
