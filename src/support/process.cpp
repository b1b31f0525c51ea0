#include "support/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "sjis/sjis.h"

extern char** environ;

namespace tama::support {

namespace {

bool IsBlankByte(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlankByte(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlankByte(s.back())) s.remove_suffix(1);
  return s;
}

std::vector<pid_t>& Kept() {
  static std::vector<pid_t> kept;
  return kept;
}

}  // namespace

TCommandLine SplitCommandLine(std::string_view text) {
  TCommandLine out;
  bool quoted = false;
  size_t i = 0;
  while (i < text.size()) {
    const size_t len = sjis::CharLen(text, i);
    const char c = text[i];
    if (len == 1 && c == '"') {
      out.program += c;
      ++i;
      if (quoted) break;  // the closing quote ends the program part
      quoted = true;
      continue;
    }
    if (len == 1 && c == ' ' && !quoted) break;
    out.program.append(text.substr(i, len));
    i += len;
  }
  out.parameters = std::string(Trim(text.substr(i)));
  return out;
}

std::vector<std::string> SplitArguments(std::string_view parameters) {
  std::vector<std::string> out;
  std::string cur;
  bool quoted = false, any = false;
  for (size_t i = 0; i < parameters.size();) {
    const size_t len = sjis::CharLen(parameters, i);
    const char c = parameters[i];
    if (len == 1 && c == '"') {
      quoted = !quoted;
      any = true;
    } else if (len == 1 && IsBlankByte(c) && !quoted) {
      if (any) out.push_back(std::move(cur));
      cur.clear();
      any = false;
    } else {
      cur.append(parameters.substr(i, len));
      any = true;
    }
    i += len;
  }
  if (any) out.push_back(std::move(cur));
  return out;
}

std::string WithoutQuotes(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const size_t len = sjis::CharLen(text, i);
    if (!(len == 1 && text[i] == '"')) out.append(text.substr(i, len));
    i += len;
  }
  return out;
}

bool IsExecutableFile(const std::string& native) {
  struct stat st;
  return !native.empty() && stat(native.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) &&
         access(native.c_str(), X_OK) == 0;
}

std::string FindOnPath(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) return {};
  const char* path = std::getenv("PATH");
  std::string_view p = path ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    size_t colon = p.find(':');
    std::string folder(p.substr(0, colon));
    if (folder.empty()) folder = ".";
    std::string candidate = folder + "/" + name;
    if (IsExecutableFile(candidate)) return candidate;
    if (colon == std::string_view::npos) break;
    p.remove_prefix(colon + 1);
  }
  return {};
}

pid_t SpawnProcess(const std::vector<std::string>& argv, bool quietInput) {
  if (argv.empty() || argv[0].empty()) return -1;
  ReapChildren();
  // what this process wrote comes before what the child writes
  std::fflush(nullptr);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (quietInput) posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  // the child starts with the default signal handling and mask
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  pid_t pid = -1;
  const bool search = argv[0].find('/') == std::string::npos;
  int rc = search ? posix_spawnp(&pid, argv[0].c_str(), &actions, &attr, args.data(), environ)
                  : posix_spawn(&pid, argv[0].c_str(), &actions, &attr, args.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  return pid;
}

bool ProcessEnded(pid_t pid) {
  int status = 0;
  pid_t r;
  do {
    r = waitpid(pid, &status, WNOHANG);
  } while (r < 0 && errno == EINTR);
  return r != 0;
}

void KeepChild(pid_t pid) {
  if (pid > 0) Kept().push_back(pid);
}

void ReapChildren() {
  auto& kept = Kept();
  std::vector<pid_t> left;
  for (pid_t p : kept)
    if (!ProcessEnded(p)) left.push_back(p);
  kept = std::move(left);
}

}  // namespace tama::support
