#include "engine/modules.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <map>

#include "engine/tama.h"

#ifndef TAMA_BUILD_ID
#define TAMA_BUILD_ID "unknown"
#endif
#ifndef TAMA_MODULE_INSTALL_DIR
#define TAMA_MODULE_INSTALL_DIR "/usr/local/lib/tamakazu"
#endif

namespace tama {

namespace {

// Entries found so far: a module is looked for once per process.
struct TLoaded {
  void* iface = nullptr;
  std::string error;
};
std::map<std::string, TLoaded, std::less<>>& Loaded() {
  static std::map<std::string, TLoaded, std::less<>> loaded;
  return loaded;
}

bool IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

const char* ModuleBuildId() { return TAMA_BUILD_ID; }

std::string ModuleFileName(std::string_view name) { return "libtamakazu-" + std::string(name) + ".so"; }

std::vector<std::string> ModuleFolders() {
  std::vector<std::string> folders;
  if (const char* dir = std::getenv("TAMAKAZU_MODULE_DIR"); dir && *dir) folders.emplace_back(dir);
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n > 0) {
    std::string self(buf, static_cast<size_t>(n));
    const size_t slash = self.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : self.substr(0, slash == 0 ? 1 : slash);
    folders.push_back(folder);
    folders.push_back(folder + "/../lib/tamakazu");
  }
  folders.emplace_back(TAMA_MODULE_INSTALL_DIR);
  return folders;
}

void* LoadModuleInterface(std::string_view name, std::string& error) {
  auto& loaded = Loaded();
  if (auto it = loaded.find(name); it != loaded.end()) {
    error = it->second.error;
    return it->second.iface;
  }
  TLoaded& entry = loaded[std::string(name)];
  const std::string file = ModuleFileName(name);
  const std::string symbol = "tama_module_" + std::string(name);
  entry.error = file + ": not found";
  for (const std::string& folder : ModuleFolders()) {
    const std::string path = folder + "/" + file;
    if (!IsFile(path)) continue;
    // modules are never closed: their objects live to the end of the process
    void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
      const char* why = dlerror();
      entry.error = why ? why : path + ": cannot be loaded";
      continue;
    }
    using TEntry = void* (*)(const char*);
    auto fn = reinterpret_cast<TEntry>(dlsym(lib, symbol.c_str()));
    if (!fn) {
      entry.error = path + ": no " + symbol;
      continue;
    }
    void* iface = fn(ModuleBuildId());
    if (!iface) {
      entry.error = path + ": built for another run-time";
      continue;
    }
    entry.iface = iface;
    entry.error.clear();
    break;
  }
  error = entry.error;
  return entry.iface;
}

void RaiseModuleMissing(TTamaBase& t, std::string_view command, std::string_view name) {
  t.Raise("\"" + std::string(command) + "\"命令に必要な部品\"" + ModuleFileName(name) + "\"が見つかりません。");
}

}  // namespace tama
