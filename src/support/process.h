// Starting other programs: a command line split as programs write them (a
// program part, quotes kept, and its parameters), the parameters cut into an
// argument vector, and processes started with posix_spawn from that vector.
// No shell is ever involved, so quotes or other characters in names cannot
// change what is run.
#pragma once
#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace tama::support {

struct TCommandLine {
  std::string program;     // with its quotes
  std::string parameters;  // trimmed
};
// The program part ends at a space outside double quotes, or with the
// double quote that closes a quoted part; a double-byte character is taken
// whole (Shift-JIS).
TCommandLine SplitCommandLine(std::string_view text);
// The parameters cut at blanks outside double quotes; the quotes go, no
// other character is special.
std::vector<std::string> SplitArguments(std::string_view parameters);
// The text without its double quotes.
std::string WithoutQuotes(std::string_view text);

// A native file that exists, is not a folder and may be executed.
bool IsExecutableFile(const std::string& native);
// A name without "/" looked up in the folders of $PATH; "" when none has it.
std::string FindOnPath(const std::string& name);

// Starts the program (a native path, or a bare name searched on $PATH) with
// the arguments (argv[0] included); the child inherits the environment, the
// working folder and the standard streams (with `quietInput`, standard input
// is /dev/null). The process id, or -1 when it could not be started.
pid_t SpawnProcess(const std::vector<std::string>& argv, bool quietInput = false);
// The child has ended (it is reaped then). A child that cannot be waited for
// counts as ended.
bool ProcessEnded(pid_t pid);
// Children started without waiting: reaped whenever another one is started
// or looked at, so none stays a zombie for long.
void KeepChild(pid_t pid);
void ReapChildren();

}  // namespace tama::support
