#include "host/startup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "commands/families.h"
#include "engine/files_state.h"
#include "engine/source_file.h"
#include "engine/tama.h"
#include "frontend/normalize.h"
#include "host/headless.h"
#include "host/packed.h"
#include "sjis/convert.h"
#include "support/fmix.h"
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

struct TStart {
  std::string startFile;  // UTF-8 path of the program file
};

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
      "  --normalize FILE     print the canonical text of a program\n"
      "  --pack PROGRAM -o OUTPUT [FILES...]\n"
      "                       make OUTPUT: this run-time with PROGRAM and FILES packed into it\n"
      "  --version, --help\n");
}

}  // namespace

int Main(int argc, char** argv) {
  THeadlessHost host;
  std::vector<std::string> argsUtf8;
  std::string normalizeFile;
  bool normalize = false;
  argsUtf8.push_back(SelfPath(argc > 0 ? argv[0] : nullptr));
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a.rfind("--", 0) == 0) {
      if (a == "--headless") continue;
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
        return Pack(argsUtf8[0], rest);
      }
      if (a == "--normalize") {
        normalize = true;
        if (i + 1 < argc) normalizeFile = argv[++i];
        continue;
      }
      std::fprintf(stderr, "tamakazu: unknown option %s\n", a.c_str());
      return 2;
    }
    argsUtf8.push_back(std::move(a));
  }

  TTamaBase tama(host);
  tama.runtimePath = ToSjis(argsUtf8[0]);
  for (const auto& a : argsUtf8) tama.commandLine.push_back(ToSjis(a));

  std::vector<const TCommandFamily*> families;
  for (const TCommandFamily& f : AllCommandFamilies()) families.push_back(&f);
  tama.SetHandlers(families);

  // ---- choosing the program ----
  std::string startFile;
  bool parsed = false;
  auto parseCommandLine = [&]() -> bool {
    for (size_t i = 1; i < argsUtf8.size(); ++i) {
      const std::string& a = argsUtf8[i];
      if (a.empty() || a[0] != '-') {
        if (startFile.empty()) startFile = a;
      } else if (a == "-debug") {
        tama.debugFlag = true;
      } else if (a == "-linestop") {
        tama.lineStop = true;
      } else if (a == "-runtime") {
        if (i + 1 < argsUtf8.size()) {
          startFile = argsUtf8[++i];
          if (!LoadPackedProgram(tama, startFile)) {
            PrintError("指定されたプログラムファイルは壊れています。");
            tama.runtimeMode = true;
            return false;
          }
        }
        tama.runtimeMode = true;
      } else if (a == "-resource") {
        if (i + 1 < argsUtf8.size()) {
          std::string file = argsUtf8[++i];
          if (!OpenResource(tama, file)) {
            try {
              tama.Raise("リソースファイルの取り込みに失敗しました。");
            } catch (const ETama& e) {
              PrintError(e.what());
              return false;
            }
          }
        }
      } else if (a == "-security") {
        if (i + 1 < argsUtf8.size()) {
          std::string level = argsUtf8[++i];
          for (char& c : level) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
          if (level == "low") tama.securityLevel = 0;
          else if (level == "mid") tama.securityLevel = 1;
          else if (level == "high") tama.securityLevel = 2;
        }
      }
    }
    parsed = true;
    return true;
  };
  auto loadDefault = [&] {
    std::string self = argsUtf8[0];
    size_t slash = self.rfind('/');
    size_t dot = self.rfind('.');
    std::string name = (dot != std::string::npos && (slash == std::string::npos || dot > slash)) ? self.substr(0, dot) : self;
    name += ".tmk";
    if (FileExists(name)) {
      startFile = name;
      tama.defaultFile = true;
    }
  };

  bool packed = false;
  try {
    packed = !normalize && LoadPackedProgram(tama, argsUtf8[0], argsUtf8.size() > 1 ? argsUtf8[1] : std::string());
    if (normalize) {
      startFile = normalizeFile;
    } else if (!packed) {
      if (argsUtf8.size() == 1) {
        loadDefault();
      } else {
        if (!parseCommandLine()) return 1;
        if (startFile.empty()) loadDefault();
      }
      if (startFile.empty()) return 0;  // no program at all: nothing to run
      std::string ext;
      size_t dot = startFile.rfind('.');
      if (dot != std::string::npos && startFile.find('/', dot) == std::string::npos) ext = startFile.substr(dot);
      for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (ext == ".exe" || ext == ".scr") {
        if (argsUtf8.size() > 1 && !parseCommandLine()) return 1;
        if (tama.sourceText.empty()) return 0;
      } else if (!tama.packedSource && LooksExecutable(startFile)) {
        // a packed executable named as the program runs what it carries
        if (!LoadPackedProgram(tama, startFile)) {
          PrintError("指定されたプログラムファイルは壊れています。");
          return 1;
        }
      }
    }
  } catch (const ETama& e) {
    PrintError(e.what());
    return 1;
  }
  if (!normalize) Files(tama).programFolderReal = RealFolderOf(packed ? argsUtf8[0] : startFile);
  (void)parsed;

  if (!tama.packedSource) {
    // ---- reading the start file ----
    std::string text;
    int badLine = 0;
    if (!ReadProgramFile(startFile, text, badLine)) {
      PrintError("起動ファイル「" + ToSjis(startFile) + "」が読込めません。");
      return 1;
    }
    tama.programFileName = ToSjis(startFile);
    if (badLine > 0) {
      tama.currentRow = badLine;
      try {
        tama.Raise("Shift-JISで表せない文字があります。");
      } catch (const ETama& e) {
        PrintError(e.what());
      }
      return 1;
    }
    tama.sourceText = JoinLinesCrLf(text);
    if (!normalize) {
      size_t slash = startFile.rfind('/');
      if (slash != std::string::npos) {
        std::string folder = slash == 0 ? "/" : startFile.substr(0, slash);
        if (chdir(folder.c_str()) != 0) PrintError("起動ファイル「" + ToSjis(startFile) + "」が読込めません。");
      }
    }
  }

  if (normalize) {
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

  // ---- the first run ----
  int status = RunMain(tama, families);
  std::fflush(stdout);
  if (host.errorReported) status = 1;
  return status;
}

int RunMain(TTamaBase& tama, const std::vector<const TCommandFamily*>& families) {
  try {
    ErrorLog().clear();
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
    TTextRef main = MakeText(text);
    tama.sourceTexts.clear();
    tama.sourceTexts.push_back(main);
    tama.CollectLabels(main, tama.programFileName);
    tama.Jump({main, main->begin()});
  } catch (const std::exception& e) {
    tama.host.ShowErrorDialog(ErrorLog());
    return 1;
  }
  try {
    tama.RunProgram();
    tama.CloseRun();
  } catch (const std::exception& e) {
    if (TrimControl(ErrorLog()).empty()) {
      PrintError(tama.FormatErrorLine(std::string("システムエラー:") + e.what()));
      return 1;
    }
    tama.host.ShowErrorDialog(ErrorLog());
    return 1;
  }
  return 0;
}

}  // namespace tama::host
