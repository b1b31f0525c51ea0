// Starting programs and documents, and file-type associations.
//
// Programs are started from an argument vector (support/process.h): the
// program part of the command line loses its quotes, the parameters are cut
// at blanks outside quotes. A name is completed by the run-time's own file
// name resolution first, then searched on $PATH. Programs of this language
// (".tmk") run in a second run-time, the executable of this process, headless
// when this run is. Documents, folders and URLs go to xdg-open, which is not
// waited for.
//
// Associations are the user's: a MIME type and a desktop entry under
// $XDG_DATA_HOME, and the keys of HKEY_CLASSES_ROOT in the registry store so
// that the registry commands and 関連付けを削除 see them.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>

#include "commands/system_internal.h"
#include "engine/files_state.h"
#include "engine/security.h"
#include "engine/tama.h"
#include "gui/mainwindow.h"
#include "sjis/convert.h"
#include "sjis/lcmap.h"
#include "sjis/sjis.h"
#include "support/lines.h"
#include "support/path.h"
#include "support/process.h"
#include "support/xml.h"

namespace tama::sys {

namespace {

std::string SelfExecutable() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n > 0) return std::string(buf, static_cast<size_t>(n));
  return {};
}

bool Exists(const std::string& native) {
  struct stat st;
  return stat(native.c_str(), &st) == 0;
}

bool IsTmk(std::string_view program) {
  return sjis::ToLower(support::ExtensionPart(program)) == ".tmk";
}

// The arguments as the child gets them (UTF-8).
void AppendArguments(std::vector<std::string>& argv, std::string_view parameters) {
  for (auto& a : support::SplitArguments(parameters)) argv.push_back(sjis::SjisToUtf8(a));
}

// The argument vector of a second run-time for a program of this language.
std::vector<std::string> RuntimeArguments(TTamaBase& t, std::string_view program, std::string_view parameters) {
  std::vector<std::string> argv{SelfExecutable()};
  if (t.host.Headless()) argv.push_back("--headless");
  argv.push_back(support::NativePath(ResolveFileName(t, program)));
  AppendArguments(argv, parameters);
  return argv;
}

// The native program a name stands for: the run-time's resolution of the
// name, else the folders of $PATH for a bare name; "" when none is found.
std::string ProgramPath(TTamaBase& t, std::string_view program) {
  const std::string native = support::NativePath(ResolveFileName(t, program));
  // made absolute, so that a name found in a folder is never searched on $PATH again
  if (Exists(native)) return support::AbsolutePath(native);
  if (support::FileNameStart(program) == 0) return support::FindOnPath(sjis::SjisToUtf8(program));
  return {};
}

bool BeginsWithAnyCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && sjis::ToLower(s.substr(0, prefix.size())) == prefix;
}

void OpenDetached(const std::string& what) {
  support::KeepChild(support::SpawnProcess({"xdg-open", what}, true));
}

// Waits for the child with the event loop running; events that arrive
// meanwhile find the program busy.
void WaitForChild(TTamaBase& t, pid_t pid) {
  while (!support::ProcessEnded(pid)) {
    if (t.stopFlag || (t.host.Loop() && t.host.Loop()->QuitRequested())) {
      support::KeepChild(pid);  // it goes on; it is reaped later
      return;
    }
    if (t.host.Loop())
      gui::WaitSeconds(t, 0.1L);
    else
      usleep(100000);
  }
}

}  // namespace

void Kidou(TTamaBase& t, int) { StartProgram(t, t.PopArgValue()); }

void StartProgram(TTamaBase& t, std::string x) {
  std::string packed = ExtractPackedFile(t, x);
  if (!packed.empty()) x = packed;
  const support::TCommandLine line = support::SplitCommandLine(x);
  const std::string program = support::WithoutQuotes(line.program);
  if (IsTmk(program)) {
    support::KeepChild(support::SpawnProcess(RuntimeArguments(t, program, line.parameters)));
    return;
  }
  std::string whole(TrimControl(program + " " + line.parameters));
  if (BeginsWithAnyCase(whole, "http://") || BeginsWithAnyCase(whole, "https://") ||
      BeginsWithAnyCase(whole, "mailto:")) {
    OpenDetached(sjis::SjisToUtf8(whole));
    return;
  }
  if (!line.parameters.empty() && Exists(support::NativePath(whole))) {
    OpenDetached(support::NativePath(whole));
    return;
  }
  const std::string native = ProgramPath(t, program);
  if (native.empty()) return;  // nothing to start; the result is not reported
  if (support::IsExecutableFile(native)) {
    std::vector<std::string> argv{native};
    AppendArguments(argv, line.parameters);
    support::KeepChild(support::SpawnProcess(argv));
  } else {
    // a document or a folder: xdg-open takes the one name
    OpenDetached(native);
  }
}

void KidouShiteMatsu(TTamaBase& t, int) {
  std::string x(TrimControl(t.PopArgValue()));
  std::string packed = ExtractPackedFile(t, x);
  if (!packed.empty()) x = packed;
  const support::TCommandLine line = support::SplitCommandLine(x);
  const std::string program = support::WithoutQuotes(line.program);
  std::vector<std::string> argv;
  if (IsTmk(program)) {
    argv = RuntimeArguments(t, program, line.parameters);
  } else {
    const std::string native = ProgramPath(t, program);
    if (native.empty() || !support::IsExecutableFile(native)) return;
    argv.push_back(native);
    AppendArguments(argv, line.parameters);
  }
  pid_t pid = support::SpawnProcess(argv);
  if (pid < 0) return;  // a start failure ends the wait at once
  WaitForChild(t, pid);
}

void ExplorerDeHiraku(TTamaBase& t, int) {
  std::string x = t.PopArgValue();
  if (x.compare(0, 7, "http://") == 0 || x.compare(0, 8, "https://") == 0 ||
      x.find("mailto:") != std::string::npos) {
    OpenDetached(sjis::SjisToUtf8(x));
    return;
  }
  OpenDetached(support::NativePath(x));
}

// ---- associations ----

namespace {

std::string DataHome() {
  const char* x = std::getenv("XDG_DATA_HOME");
  if (x && x[0] == '/') return x;
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.local/share";
}

bool MakeFolders(const std::string& folder) {
  if (Exists(folder)) return true;
  const std::string parent = support::NativeDirName(folder);
  if (parent != folder && !MakeFolders(parent)) return false;
  return mkdir(folder.c_str(), 0755) == 0;
}

bool WriteTextFile(const std::string& native, const std::string& text) {
  if (!MakeFolders(support::NativeDirName(native))) return false;
  std::ofstream out(native, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

// A desktop-entry Exec argument in double quotes.
std::string ExecQuoted(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
    if (c == '%') out += '%';
    out += c;
  }
  return out + "\"";
}

// Runs the desktop's update tools when they are there; their outcome is not
// reported.
void RunTool(TTamaBase& t, std::vector<std::string> argv) {
  if (support::FindOnPath(argv[0]).empty()) return;
  pid_t pid = support::SpawnProcess(argv, true);
  if (pid > 0) WaitForChild(t, pid);
}

void UpdateDesktop(TTamaBase& t, const std::string& data) {
  RunTool(t, {"update-mime-database", data + "/mime"});
  RunTool(t, {"update-desktop-database", data + "/applications"});
}

// An extension that can be part of file names: ASCII letters, digits, "_" and "-".
bool PlainExtension(std::string_view e) {
  if (e.empty()) return false;
  for (char c : e)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-'))
      return false;
  return true;
}

}  // namespace

void Kanrenzukeru(TTamaBase& t, int) {
  std::string d(TrimControl(t.PopArgValue()));
  std::string a(TrimControl(t.PopArgValue()));
  std::string e(TrimControl(t.PopArgValue()));
  if (a.empty() || e.empty()) return;
  const std::string_view command = "関連付ける";
  const std::string appNative = support::AbsolutePath(support::NativePath(a));
  if (!Exists(appNative)) t.Raise(ArgumentErrorMessage(command) + ":\"" + a + "\"が存在しません。");
  if (e[0] == '.') e.erase(0, 1);
  if (!PlainExtension(e)) t.Raise(ArgumentErrorMessage(command));
  const std::string root = "HKEY_CLASSES_ROOT";
  const std::string dotKey = root + "\\." + e, fileKey = root + "\\" + e + "File";
  const bool already = RegistryStore(t).Store().KeyExists(dotKey);
  const std::string question = already ? "既に関連付けされている拡張子\"" + e + "\"を、\"" + a + "\"へ関連付けを変更します。"
                                       : "拡張子\"" + e + "\"を、\"" + a + "\"へ関連付けます。";
  if (AskSecurity(t, "*", question)) return;

  const std::string runtimeFolder = support::PathPart(t.runtimePath).empty()
                                        ? std::string()
                                        : std::string(support::PathPart(t.runtimePath));
  const std::string icon = runtimeFolder + "tamakazu.ico";
  support::TRegistryFile& store = RegistryStore(t);
  store.Change([&](support::TRegistry& r) {
    r.SetText(dotKey, "", e + "File");
    r.SetText(fileKey, "", d);
    r.SetText(fileKey + "\\DefaultIcon", "", "\"" + icon + "\"");
    r.SetText(fileKey + "\\shell\\open\\command", "", "\"" + a + "\" \"%1\"");
  });

  const std::string data = DataHome();
  const std::string mime = "application/x-tamakazu-" + e;
  const std::string desc = sjis::SjisToUtf8(d);
  WriteTextFile(data + "/mime/packages/tamakazu-" + e + ".xml",
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                "  <mime-type type=\"" + mime + "\">\n"
                "    <comment>" + support::XmlEscape(desc) + "</comment>\n"
                "    <glob pattern=\"*." + e + "\" case-sensitive=\"false\"/>\n"
                "  </mime-type>\n"
                "</mime-info>\n");
  std::string entry = "[Desktop Entry]\nType=Application\nName=" + (desc.empty() ? e : desc) + "\nExec=" +
                      ExecQuoted(appNative) + " %f\nMimeType=" + mime + ";\nNoDisplay=true\n";
  const std::string iconNative = support::NativePath(icon);
  if (!runtimeFolder.empty() && Exists(iconNative)) entry += "Icon=" + iconNative + "\n";
  WriteTextFile(data + "/applications/tamakazu-" + e + ".desktop", entry);
  RunTool(t, {"xdg-mime", "default", "tamakazu-" + e + ".desktop", mime});
  UpdateDesktop(t, data);
}

void KanrenzukeWoSakujo(TTamaBase& t, int) {
  std::string e(TrimControl(t.PopArgValue()));
  if (e.empty()) return;
  if (e[0] == '.') e.erase(0, 1);
  if (AskSecurity(t, "*", "拡張子\"" + e + "\"の関連付けを削除します。")) return;
  const std::string root = "HKEY_CLASSES_ROOT";
  const std::string dotKey = root + "\\." + e;
  support::TRegistryFile& store = RegistryStore(t);
  if (store.Store().KeyExists(dotKey)) {
    store.Change([&](support::TRegistry& r) {
      const support::TRegValue* c = r.Value(dotKey, "");
      std::string cls = c && c->type == support::TRegType::kText ? c->data : std::string();
      r.DeleteKey(dotKey);
      if (!cls.empty() && !support::RegJoin("", cls).empty()) r.DeleteKey(root + "\\" + cls);
    });
  }
  if (!PlainExtension(e)) return;  // no files of ours can bear such a name
  const std::string data = DataHome();
  unlink((data + "/mime/packages/tamakazu-" + e + ".xml").c_str());
  unlink((data + "/applications/tamakazu-" + e + ".desktop").c_str());
  UpdateDesktop(t, data);
}

}  // namespace tama::sys
