#include "host/startup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "commands/families.h"
#include "engine/files_state.h"
#include "engine/source_file.h"
#include "engine/tama.h"
#include "frontend/normalize.h"
#include "gui/dap.h"
#include "gui/dialogs.h"
#include "gui/editor_link.h"
#include "gui/mainwindow.h"
#include "gui/objects.h"
#include "gui/script.h"
#include "host/headless.h"
#include "host/packed.h"
#include "host/window.h"
#include "sjis/convert.h"
#include "support/fmix.h"
#include "support/ipc.h"
#include "support/path.h"

namespace tama::host {

namespace {

constexpr const char* kVersion = "0.1.0";

void PrintError(std::string_view sjisLine) {
  WriteText(stderr, sjisLine);
  std::fputc('\n', stderr);
}

std::string SelfPath(const char* argv0) {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n > 0) return std::string(buf, static_cast<size_t>(n));
  return argv0 ? argv0 : "tamakazu";
}

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Reads a program file; false when it cannot be read. `badLine` is set
// (1-based) when a UTF-8 character has no Shift-JIS form.
bool ReadProgramFile(const std::string& path, std::string& out, int& badLine) {
  badLine = 0;
  return ReadSourceFile(path, out, &badLine) != TSourceRead::kMissing;
}

std::string ToSjis(const std::string& utf8) { return sjis::Utf8ToSjisLossy(utf8); }

// The real folder of a file (native, ending in "/"), taken before the
// working folder changes.
std::string RealFolderOf(const std::string& file) {
  std::string folder = support::RealPathOfExistingPart(support::AbsolutePath(support::NativeDirName(file)));
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

// An executable rather than a source text: an ELF image, or any file that
// carries a container where an executable would.
bool LooksExecutable(const std::string& path) {
  if (!FileExists(path)) return false;  // a folder is no executable (nor a readable program)
  std::ifstream in(path, std::ios::binary);
  char head[4] = {};
  try {
    if (!in.read(head, 4)) return false;
  } catch (const std::ios_base::failure&) {
    return false;
  }
  if (std::memcmp(head, "\x7F" "ELF", 4) == 0) return true;
  support::TContainerPlace place;
  return support::ReadOverlay(path, place);
}

// --pack PROGRAM -o OUTPUT [FILES...]
int Pack(const std::string& self, const std::vector<std::string>& args) {
  std::string program, output;
  std::vector<std::string> resources;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size())
      output = args[++i];
    else if (program.empty())
      program = args[i];
    else
      resources.push_back(args[i]);
  }
  if (program.empty() || output.empty()) {
    std::fprintf(stderr, "usage: tamakazu --pack PROGRAM -o OUTPUT [FILES...]\n");
    return 2;
  }
  std::string text;
  int badLine = 0;
  if (!ReadProgramFile(program, text, badLine)) {
    PrintError("起動ファイル「" + ToSjis(program) + "」が読込めません。");
    return 1;
  }
  if (badLine > 0) {
    std::fprintf(stderr, "%s(%d): a character has no Shift-JIS form\n", program.c_str(), badLine);
    return 1;
  }
  std::string error = PackProgram(self, JoinLinesCrLf(text), output, resources);
  if (!error.empty()) {
    std::fprintf(stderr, "tamakazu: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

void Usage() {
  std::printf(
      "usage: tamakazu [options] [program.tmk] [arguments...]\n"
      "  -run                 run the named file even when this run-time carries a packed program\n"
      "  -debug               offer debugging on errors; warnings open the error report at once\n"
      "  -linestop            stop after every line (debug dialog)\n"
      "  -runtime FILE        run the program packed into FILE\n"
      "  -resource FILE       take packed files from the container FILE\n"
      "  -security LEVEL      low, mid or high\n"
      "  --headless           run without a window (output to standard output)\n"
      "  --window             run with the window (the default where a display exists)\n"
      "  --normalize FILE     print the canonical text of a program\n"
      "  --events FILE        deliver the scripted user events of FILE whenever the program waits\n"
      "  --service NAME       serve the editor link's requests under the service NAME\n"
      "  --dap                speak the Debug Adapter Protocol on standard input and output\n"
      "  --dap-port N         ... on 127.0.0.1:N instead (0: any free port, reported on standard error)\n"
      "  --send SERVICE TOPIC DATA  send one request to a running service and print its reply\n"
      "  --dump-model FILE    write every object of the user interface to FILE (JSON) at the end\n"
      "  --pack PROGRAM -o OUTPUT [FILES...]\n"
      "                       make OUTPUT: this run-time with PROGRAM and FILES packed into it\n"
      "  --version, --help\n");
}

// The run-time's own options, which begin with "--": they are taken out of
// the arguments, so that the program's command line keeps its indices.
struct TOwnOptions {
  bool normalize = false;     // --normalize FILE: print the canonical text
  std::string normalizeFile;
  std::string service;        // --service NAME: the editor link's service
  std::string eventsFile;     // --events FILE: scripted user events
  std::string eventsName;     // ... as it was given, for messages
  std::string dumpFile;       // --dump-model FILE: the objects at the end
  TMode mode = TMode::kAuto;  // --headless, --window
  int dap = -2;               // --dap: -1 (standard input and output); --dap-port N: N
};

// --send: one request to a running service; the reply is printed ("ack" or
// "nak"), status 1 when no service answered.
int SendRequest(const std::string& service, const std::string& topic, const std::string& data) {
  std::string error;
  const int r = ipc::Send(service, topic, ToSjis(data), 30000, error);
  if (r < 0) {
    std::fprintf(stderr, "tamakazu: %s: %s\n", service.c_str(), error.c_str());
    return 1;
  }
  std::printf("%s\n", r ? "ack" : "nak");
  return 0;
}

// Takes the run-time's own options out of the command line; args receives the
// run-time's path and the other arguments. Returns the exit status when an
// option ends the process at once (--version, --help, --pack, an unknown
// option), else -1.
int TakeOwnOptions(int argc, char** argv, std::vector<std::string>& args, TOwnOptions& own) {
  args.push_back(SelfPath(argc > 0 ? argv[0] : nullptr));
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a.rfind("--", 0) == 0) {
      if (a == "--headless" || a == "--window") {
        own.mode = a == "--headless" ? TMode::kHeadless : TMode::kWindow;
        continue;
      }
      if (a == "--version") {
        std::printf("tamakazu %s\n", kVersion);
        return 0;
      }
      if (a == "--help") {
        Usage();
        return 0;
      }
      if (a == "--pack") {
        std::vector<std::string> rest(argv + i + 1, argv + argc);
        return Pack(args[0], rest);
      }
      if (a == "--normalize") {
        own.normalize = true;
        if (i + 1 < argc) own.normalizeFile = argv[++i];
        continue;
      }
      if (a == "--send") {
        if (i + 3 >= argc) {
          std::fprintf(stderr, "tamakazu: --send needs a service, a topic and the data\n");
          return 2;
        }
        return SendRequest(argv[i + 1], argv[i + 2], argv[i + 3]);
      }
      if (a == "--dap") {
        own.dap = -1;
        continue;
      }
      if (a == "--dap-port") {
        char* end = nullptr;
        const long port = i + 1 < argc ? std::strtol(argv[i + 1], &end, 10) : -1;
        if (i + 1 >= argc || !end || *end || end == argv[i + 1] || port < 0 || port > 65535) {
          std::fprintf(stderr, "tamakazu: --dap-port needs a port number\n");
          return 2;
        }
        own.dap = static_cast<int>(port);
        ++i;
        continue;
      }
      if (a == "--service") {
        if (i + 1 >= argc) {
          std::fprintf(stderr, "tamakazu: --service needs a name\n");
          return 2;
        }
        own.service = argv[++i];
        continue;
      }
      if (a == "--events" || a == "--dump-model") {
        if (i + 1 >= argc) {
          std::fprintf(stderr, "tamakazu: %s needs a file\n", a.c_str());
          return 2;
        }
        // the run changes to the program's folder: names are taken from here
        std::string file = argv[++i];
        if (a == "--events") own.eventsName = file;
        if (!file.empty() && file[0] != '/') {
          char cwd[PATH_MAX];
          if (getcwd(cwd, sizeof cwd)) file = std::string(cwd) + "/" + file;
        }
        (a == "--events" ? own.eventsFile : own.dumpFile) = std::move(file);
        continue;
      }
      std::fprintf(stderr, "tamakazu: unknown option %s\n", a.c_str());
      return 2;
    }
    args.push_back(std::move(a));
  }
  return -1;
}

// The interpreter state before a program is chosen: the run-time's path, the
// command line and the command handlers.
void PrepareState(TTamaBase& tama, const std::vector<std::string>& args,
                  const std::vector<const TCommandFamily*>& families) {
  tama.runtimePath = ToSjis(args[0]);
  for (const auto& a : args) tama.commandLine.push_back(ToSjis(a));
  tama.SetHandlers(families);
  gui::Install(tama);
}

// Choosing the program and loading its text: the container in the
// run-time's own file, else the command line, else the default file next to
// the run-time.
class TStartup {
 public:
  TStartup(TTamaBase& tama, const std::vector<std::string>& args) : tama_(tama), args_(args) {}

  // Chooses the program. Returns the exit status when the start ends here
  // (no program, a broken container, a failed option), else -1.
  int ChooseProgram() {
    try {
      ownContainer_ = LoadPackedProgram(tama_, args_[0], args_.size() > 1 ? args_[1] : std::string());
      if (ownContainer_) return -1;  // the command line is not looked at
      if (args_.size() == 1) {
        LoadDefaultProgram();
      } else {
        if (!ParseCommandLine()) return 1;
        if (startFile_.empty()) LoadDefaultProgram();
      }
      if (startFile_.empty()) return 0;  // no program at all: nothing to run
      return TakeExecutable();
    } catch (const ETama& e) {
      PrintError(e.what());
      return 1;
    }
  }

  // The program named for --normalize.
  void SetStartFile(std::string file) { startFile_ = std::move(file); }

  // The file the program comes from: the run-time itself when it carries the
  // program, else the start file.
  const std::string& ProgramFile() const { return ownContainer_ ? args_[0] : startFile_; }

  // Reads the start file (unless the program came packed) as the source
  // text, every line ended by CR LF, and with changeFolder makes its folder
  // the working folder. Returns the exit status when the file cannot be
  // read, else -1.
  int LoadStartFile(bool changeFolder) {
    if (tama_.packedSource) return -1;
    std::string text;
    int badLine = 0;
    if (!ReadProgramFile(startFile_, text, badLine)) {
      PrintError("起動ファイル「" + ToSjis(startFile_) + "」が読込めません。");
      return 1;
    }
    tama_.programFileName = ToSjis(startFile_);
    if (badLine > 0) {
      tama_.currentRow = badLine;
      try {
        tama_.Raise("Shift-JISで表せない文字があります。");
      } catch (const ETama& e) {
        PrintError(e.what());
      }
      return 1;
    }
    tama_.sourceText = JoinLinesCrLf(text);
    if (changeFolder) {
      size_t slash = startFile_.rfind('/');
      if (slash != std::string::npos) {
        std::string folder = slash == 0 ? "/" : startFile_.substr(0, slash);
        if (chdir(folder.c_str()) != 0) PrintError("起動ファイル「" + ToSjis(startFile_) + "」が読込めません。");
      }
    }
    return -1;
  }

 private:
  // The options of the command line (case-sensitive); the first argument
  // that is no option names the program. False when an option fails.
  bool ParseCommandLine() {
    for (size_t i = 1; i < args_.size(); ++i) {
      const std::string& a = args_[i];
      if (a.empty() || a[0] != '-') {
        if (startFile_.empty()) startFile_ = a;
      } else if (a == "-debug") {
        tama_.debugFlag = true;
      } else if (a == "-linestop") {
        tama_.lineStop = true;
      } else if (a == "-runtime") {
        if (i + 1 < args_.size()) {
          startFile_ = args_[++i];
          if (!LoadPackedProgram(tama_, startFile_)) {
            PrintError("指定されたプログラムファイルは壊れています。");
            tama_.runtimeMode = true;
            return false;
          }
        }
        tama_.runtimeMode = true;
      } else if (a == "-resource") {
        if (i + 1 < args_.size()) {
          std::string file = args_[++i];
          if (!OpenResource(tama_, file)) {
            try {
              tama_.Raise("リソースファイルの取り込みに失敗しました。");
            } catch (const ETama& e) {
              PrintError(e.what());
              return false;
            }
          }
        }
      } else if (a == "-security") {
        if (i + 1 < args_.size()) {
          std::string level = args_[++i];
          for (char& c : level) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
          if (level == "low") tama_.securityLevel = 0;
          else if (level == "mid") tama_.securityLevel = 1;
          else if (level == "high") tama_.securityLevel = 2;
        }
      }
    }
    return true;
  }

  // The file next to the run-time with its name and the extension ".tmk".
  void LoadDefaultProgram() {
    const std::string& self = args_[0];
    size_t slash = self.rfind('/');
    size_t dot = self.rfind('.');
    std::string name = (dot != std::string::npos && (slash == std::string::npos || dot > slash)) ? self.substr(0, dot) : self;
    name += ".tmk";
    if (FileExists(name)) {
      startFile_ = name;
      tama_.defaultFile = true;
    }
  }

  // A start file that is an executable: named ".exe" or ".scr", the options
  // are read once more and no source text is read; a packed executable runs
  // the program it carries. Returns the exit status when the start ends
  // here, else -1.
  int TakeExecutable() {
    std::string ext;
    size_t dot = startFile_.rfind('.');
    if (dot != std::string::npos && startFile_.find('/', dot) == std::string::npos) ext = startFile_.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".exe" || ext == ".scr") {
      if (args_.size() > 1 && !ParseCommandLine()) return 1;
      if (tama_.sourceText.empty()) return 0;
    } else if (!tama_.packedSource && LooksExecutable(startFile_)) {
      if (!LoadPackedProgram(tama_, startFile_)) {
        PrintError("指定されたプログラムファイルは壊れています。");
        return 1;
      }
    }
    return -1;
  }

  TTamaBase& tama_;
  const std::vector<std::string>& args_;
  std::string startFile_;  // UTF-8 path of the program file
  bool ownContainer_ = false;  // the program came from the run-time's own file
};

// --normalize: prints the canonical text of the loaded program.
int PrintNormalized(TTamaBase& tama) {
  try {
    std::string t = tama.sourceText;
    frontend::NormalizeSource(t);
    WriteText(stdout, t);
    std::fputc('\n', stdout);
    return 0;
  } catch (const frontend::TNormalizeError& e) {
    tama.currentRow = e.row();
    try {
      tama.Raise(e.what());
    } catch (const ETama& err) {
      PrintError(err.what());
    }
    return 1;
  }
}

}  // namespace

int Run(std::vector<std::string>& args, TOwnOptions& own);

int Main(int argc, char** argv) {
  std::vector<std::string> args;
  TOwnOptions own;
  if (int status = TakeOwnOptions(argc, argv, args, own); status >= 0) return status;
  if (own.dap < -1) return Run(args, own);
  // with the debug adapter the editor may name the program at launch
  std::string error;
  if (!gui::dap::Open(own.dap, error)) {
    std::fprintf(stderr, "tamakazu: debug adapter: %s\n", error.c_str());
    return 2;
  }
  std::string program;
  std::vector<std::string> programArgs;
  int status = 1;
  if (gui::dap::Configure(program, programArgs)) {
    if (args.size() == 1 && !program.empty()) {
      args.push_back(program);
      args.insert(args.end(), programArgs.begin(), programArgs.end());
    }
    status = Run(args, own);
  }
  gui::dap::Finish(status);
  return status;
}

// The run after the options: the host, the program, the run itself.
int Run(std::vector<std::string>& args, TOwnOptions& own) {

  // the window where one is wanted and can be opened; without --window a
  // run that cannot open one runs headless
  std::unique_ptr<THeadlessHost> hostHolder;
  const bool interactive = own.eventsFile.empty();
  if (WantsWindow(own.mode) && !own.normalize) {
    std::string error;
    if (gui::IWindowSystem* ws = StartWindowSystem(interactive, error)) {
      hostHolder = std::make_unique<TWindowHost>(*ws, interactive);
    } else if (own.mode == TMode::kWindow) {
      std::fprintf(stderr, "tamakazu: no window: %s\n", error.c_str());
      return 2;
    }
  }
  if (!hostHolder) hostHolder = std::make_unique<THeadlessHost>();
  THeadlessHost& host = *hostHolder;
  TTamaBase tama(host);
  if (auto* window = dynamic_cast<TWindowHost*>(&host)) window->Attach(tama);
  std::vector<const TCommandFamily*> families;
  for (const TCommandFamily& f : AllCommandFamilies()) families.push_back(&f);
  PrepareState(tama, args, families);

  TStartup start(tama, args);
  if (own.normalize) {
    start.SetStartFile(own.normalizeFile);
    if (int status = start.LoadStartFile(false); status >= 0) return status;
    return PrintNormalized(tama);
  }
  if (int status = start.ChooseProgram(); status >= 0) return status;
  gui::dap::SetProgram(start.ProgramFile());
  Files(tama).programFolderReal = RealFolderOf(start.ProgramFile());
  if (int status = start.LoadStartFile(true); status >= 0) return status;

  if (!own.eventsFile.empty()) {
    std::string error;
    if (!gui::LoadScript(tama, own.eventsFile, own.eventsName, error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    host.scriptedSecurity = [&tama](THost::TSecurityAnswer& a) { return gui::ScriptedSecurityAnswer(tama, a); };
  }

  if (!own.service.empty()) {
    std::string error;
    if (!gui::StartEditorLink(tama, own.service, error)) std::fprintf(stderr, "tamakazu: %s\n", error.c_str());
  }

  gui::dap::Attach(tama);
  // the first run
  int status = RunMain(tama, families);
  std::fflush(stdout);
  if (const gui::TScript* script = gui::ScriptOf(tama); script && script->failed) status = 1;
  if (!own.dumpFile.empty()) {
    std::ofstream out(own.dumpFile, std::ios::binary);
    out << gui::DumpModel(tama);
  }
  if (host.errorReported) status = 1;
  gui::StopEditorLink(tama);
  gui::dap::Detach();
  return status;
}

int RunMain(TTamaBase& tama, const std::vector<const TCommandFamily*>& families) {
  try {
    tama.errorLog.Clear();
    tama.StopCursor();
    tama.currentRow = 0;
    tama.textX = tama.textY = 10;
    tama.words.Clear();
    tama.RegisterWords(families);
    std::string text = tama.sourceText;
    try {
      frontend::NormalizeSource(text);
    } catch (const frontend::TNormalizeError& e) {
      tama.currentRow = e.row();
      tama.Raise(e.what());
    }
    // a program that shows its window itself (母艦浮上 anywhere in its text)
    // starts with it hidden
    gui::Gui(tama).mainShown = text.find("母艦浮上") == std::string::npos;
    TTextRef main = MakeText(text);
    tama.sourceTexts.clear();
    tama.sourceTexts.push_back(main);
    tama.CollectLabels(main, tama.programFileName);
    tama.Jump({main, main->begin()});
  } catch (const std::exception& e) {
    tama.host.ShowErrorDialog(tama.errorLog.Text());
    return 1;
  }
  try {
    tama.RunProgram();
    // the program goes on from events and timers until it stops; when nothing
    // can happen any more the window is asked to close once
    gui::RunLoop(tama);
  } catch (const std::exception& e) {
    if (tama.errorLog.Blank()) {
      PrintError(tama.FormatErrorLine(std::string("システムエラー:") + e.what()));
      return 1;
    }
    tama.host.ShowErrorDialog(tama.errorLog.Text());
    return 1;
  }
  return 0;
}

}  // namespace tama::host
