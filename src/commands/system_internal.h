// Shared pieces of the system and desktop commands (system.cpp,
// system_process.cpp, system_windows.cpp).
#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "support/registry.h"

namespace tama {

class TTamaBase;

// What TTamaBase keeps for these commands; it lives across runs.
struct TSystemState {
  // the open registry key: a root and the path below it, or none
  bool registryOpen = false;
  int registryRoot = 0;
  std::string registryKey;  // as the program gave it, separators normalised
  // the user's registry store (made at the first registry command)
  std::unique_ptr<support::TRegistryFile> registry;
  // the open INI file: the name as the program knows it (absolute), or none
  bool iniOpen = false;
  std::string iniFile;
};

TSystemState& SystemState(TTamaBase& t);
// The registry store, read afresh when the file changed; raises when the
// file is broken.
support::TRegistryFile& RegistryStore(TTamaBase& t);
// "\"%s\"命令の引数に誤りがあります。"
std::string ArgumentErrorMessage(std::string_view command);

namespace sys {

// ---- processes (system_process.cpp) ----
void Kidou(TTamaBase& t, int id);
// What 起動 does with its argument (also DDE送信's start of its server).
void StartProgram(TTamaBase& t, std::string commandLine);
void KidouShiteMatsu(TTamaBase& t, int id);
void ExplorerDeHiraku(TTamaBase& t, int id);
void Kanrenzukeru(TTamaBase& t, int id);
void KanrenzukeWoSakujo(TTamaBase& t, int id);

// ---- windows, keys and messages (system_windows.cpp) ----
void WindowRekkyo(TTamaBase& t, int id);
void Active(TTamaBase& t, int id);
void KeySoushin(TTamaBase& t, int id);
void MessageSoushin(TTamaBase& t, int id);

}  // namespace sys
}  // namespace tama
