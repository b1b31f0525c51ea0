// Programs packed into a container behind an executable, resource containers
// named on the command line, and the packer that makes such executables.
#pragma once
#include <string>
#include <vector>

namespace tama {
class TTamaBase;
}

namespace tama::host {

// True when the executable (native path) carries a container with the entry
// "tamakazu.tmk", whose text then becomes the program; the container stays
// open as the packed-file reader. `firstArg` "-run" makes the run-time ignore
// its own container. A container that is there but corrupt raises ETama
// "ファイルの展開に失敗しました。" followed by the cause.
bool LoadPackedProgram(TTamaBase& tama, const std::string& exePath, const std::string& firstArg = {});

// Opens a container named with "-resource" (a container file, or an
// executable that carries one) as the packed-file reader; false when it is
// none. The file is the user's: it is never removed.
bool OpenResource(TTamaBase& tama, const std::string& path);

// The entry name of a resource file given to the packer: the path as
// written, without a leading "./", with "\" between folders (Shift-JIS).
std::string ResourceEntryName(const std::string& nativePath);

// Writes `output`: a copy of the run-time executable, then a container with
// the program text (entry TAMAKAZU.TMK, enciphered) and the resource files
// (stored plain), then the trailer that marks the container. The output
// appears only once it is complete, with mode 0755. Returns an error
// message (UTF-8), empty on success.
std::string PackProgram(const std::string& runtimeExe, const std::string& programText, const std::string& output,
                        const std::vector<std::string>& resources);

}  // namespace tama::host
