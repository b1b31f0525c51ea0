// The run-time's modules: shared libraries with the heavy toolkits, opened
// the first time a command needs one and never closed. A module NAME lives in
// the file "libtamakazu-NAME.so" and exports one C function
// `tama_module_NAME(buildId)` returning its interface, or null when it was
// built from other sources or flags than this run-time.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace tama {

class TTamaBase;

// This run-time's build id (version and a hash of the build flags).
const char* ModuleBuildId();

// The file name of a module ("libtamakazu-qt.so").
std::string ModuleFileName(std::string_view name);

// The folders searched, in order: $TAMAKAZU_MODULE_DIR, the run-time's own
// folder, ../lib/tamakazu beside it, the installed folder.
std::vector<std::string> ModuleFolders();

// The interface of a module (its entry's result), loaded on first use; null
// with the reason in `error` when the file is missing, cannot be loaded, has
// no entry or was built otherwise.
void* LoadModuleInterface(std::string_view name, std::string& error);

template <class T>
T* LoadModule(std::string_view name, std::string& error) {
  return static_cast<T*>(LoadModuleInterface(name, error));
}

// The error of a command whose module is missing:
// "\"命令\"命令に必要な部品\"libtamakazu-NAME.so\"が見つかりません。"
[[noreturn]] void RaiseModuleMissing(TTamaBase& t, std::string_view command, std::string_view name);

}  // namespace tama
