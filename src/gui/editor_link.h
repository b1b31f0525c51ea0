// The editor link: a companion editor asks the running program where it is
// ("line"), opens the debug dialog ("pause") or ends the run ("break"); the
// program tells the editor its row ("row N" to the service "tamapad"). The
// requests arrive on the local transport (support/ipc.h) under the topic
// "command" and are served from the event loop, whenever the program
// processes events; the server keeps no run alive.
#pragma once
#include <string>
#include <string_view>

#include "engine/tama.h"

namespace tama::gui {

inline constexpr char kEditorService[] = "tamapad";

// Serves the requests of the service; false with the reason when the
// service's socket could not be had (another run holds it).
bool StartEditorLink(TTamaBase& t, const std::string& service, std::string& error);
// Closes the server (the socket file is removed).
void StopEditorLink(TTamaBase& t);

// Runs one request text: split at its first space into word and argument,
// both stripped of blanks and control characters; words compared exactly.
void EditorRequest(TTamaBase& t, std::string_view text);
// "row " + the current row to the editor, not waiting for its answer; false
// when no editor listens.
bool ReportRowToEditor(TTamaBase& t);

}  // namespace tama::gui
