// The debug adapter: the run-time speaks the Debug Adapter Protocol (messages
// of JSON, each behind a "Content-Length" header) with an editor, on standard
// input and output or on one connection of a loopback TCP port. The editor
// launches the program, sets line breakpoints, pauses, steps and continues;
// the run stops at the line breaks the line stop of the debug dialog uses, the
// run-control frames make the stack and the dialog's variable listing the
// scopes (one a declaration level). On standard output the program's own
// output travels as `output` events.
#pragma once
#include <string>
#include <vector>

#include "engine/tama.h"

namespace tama::gui::dap {

// Opens the channel: port < 0 is standard input and output (the program's
// standard output is then carried in events and its standard input is
// empty); a port (0: any free one) listens on 127.0.0.1, reports the port on
// standard error and waits for one editor. False with the reason.
bool Open(int port, std::string& error);
bool Active();

// The start of the session: the requests up to the end of the editor's
// configuration (initialize, launch, breakpoints, configurationDone). The
// launch request's program and arguments are given back (empty when it named
// none). False when the editor went away.
bool Configure(std::string& program, std::vector<std::string>& args);

// The program file the breakpoints are matched against.
void SetProgram(const std::string& path);
// The session follows the run: the line hook and the requests served from
// the event loop.
void Attach(TTamaBase& t);
// The run is over (before its state and its event loop go).
void Detach();
// The run has ended with the status: the remaining output, `exited`,
// `terminated`; then the requests are served until the editor disconnects.
void Finish(int status);

}  // namespace tama::gui::dap
