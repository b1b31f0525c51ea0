// What the interpreter keeps for the file commands: the packed-file reader
// and the files extracted from it, the run-time's private temporary folder,
// the real program folder, the open file handles and the shared-memory
// blocks. Also the completion of the file names programs use.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/fmix.h"
#include "support/shared_memory.h"
#include "support/textfile.h"

namespace tama {

class TTamaBase;

struct TFileState {
  TFileState() = default;
  TFileState(const TFileState&) = delete;
  TFileState& operator=(const TFileState&) = delete;
  // Closes what is open and removes the files the run-time made: the
  // extracted files, a container copy of its own and its private folder.
  ~TFileState();

  // The container the program and its resource files come from.
  std::unique_ptr<support::TFileMixReader> reader;
  // A container file the run-time made itself, removed at the end. A file a
  // user names with "-resource" is never removed.
  std::string ownedContainer;
  // Native paths of the files extracted from the container.
  std::vector<std::string> extracted;
  // The private temporary folder of the process (native, ending in "/"),
  // made on first use with mode 0700; empty until then.
  std::string tempFolder;
  // The real path of the program folder (native, ending in "/"); set at
  // start-up, else found on first use.
  std::string programFolderReal;
  // Open file handles by their index (a closed handle leaves an empty slot).
  std::vector<std::unique_ptr<support::TTextFileStream>> handles;
  // Shared blocks stored by 共有保存, kept until the end of the run.
  std::vector<std::unique_ptr<support::TCommonMemoryStream>> sharedBlocks;
};

// The state of the interpreter's file commands, made on first use.
TFileState& Files(TTamaBase& t);

// The private temporary folder (native, ending in "/"), made on first use in
// $TMPDIR (or /tmp); raises when it cannot be made.
const std::string& PrivateTempFolder(TTamaBase& t);
// The real program folder (native, ending in "/"): the folder of the program
// file (the working folder for a program named without one).
const std::string& ProgramFolderReal(TTamaBase& t);
// The same as a program name (Shift-JIS, with "/").
std::string ProgramFolderName(TTamaBase& t);

// A relative name completed to an existing file: the working folder, the
// program folder, the run-time's folder, the folder of the program file being
// run; the name unchanged when none has it, and an absolute name unchanged.
std::string ResolveFileName(TTamaBase& t, std::string_view name);
// The same for commands that change or delete the file: only the working
// folder and the program folder are tried.
std::string ResolveForChange(TTamaBase& t, std::string_view name);
// The path (program name) of a temporary copy of the packed file of that
// name; empty when the program carries no container, has no such entry, or
// the security policy refuses the copy. Raises the extraction error when
// the copy cannot be written.
std::string ExtractPackedFile(TTamaBase& t, std::string_view name);
// The file a reading command opens: the packed copy of the name when there
// is one, else the resolved name.
std::string ReadableFileName(TTamaBase& t, std::string_view name);

}  // namespace tama
