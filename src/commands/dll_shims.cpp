// The run-time's own answers to a few functions of the Windows system
// libraries, which cannot be loaded here. They take the parameters of the
// originals and are called through the same path as a loaded function.
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "commands/dll_internal.h"
#include "engine/tama.h"
#include "gui/dialogs.h"
#include "support/textops.h"

namespace tama::dll {

namespace {

TTamaBase* gCalling = nullptr;

uint32_t MillisecondsSinceBoot() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

extern "C" {
uint32_t tama_shim_GetTickCount() { return MillisecondsSinceBoot(); }
uint32_t tama_shim_timeGetTime() { return MillisecondsSinceBoot(); }
void tama_shim_Sleep(uint32_t ms) {
  timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {
  }
}
uint32_t tama_shim_GetCurrentProcessId() { return static_cast<uint32_t>(getpid()); }
uint32_t tama_shim_GetCurrentThreadId() { return static_cast<uint32_t>(syscall(SYS_gettid)); }
int32_t tama_shim_lstrlenA(const char* s) { return s ? static_cast<int32_t>(std::strlen(s)) : 0; }
// no speaker here: the beep is silent and succeeds
int32_t tama_shim_Beep(uint32_t, uint32_t) { return 1; }
int32_t tama_shim_MessageBeep(uint32_t) { return 1; }
int32_t tama_shim_GetSystemMetrics(int32_t index) {
  if (index == 0) return 1024;
  if (index == 1) return 768;
  return 0;
}
// buttons type & 15: 0 OK, 1 OK/Cancel, 3 Yes/No/Cancel, 4 Yes/No; answers
// IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7
int32_t tama_shim_MessageBoxA(void*, const char* text, const char* caption, uint32_t type) {
  if (!gCalling) return 2;
  gui::TDialogRequest r;
  r.command = "MessageBoxA";
  r.message = text ? text : "";
  r.caption = caption ? caption : "";
  const uint32_t buttons = type & 15;
  r.kind = buttons == 0 ? gui::TDialogKind::kMessage
           : buttons == 3 ? gui::TDialogKind::kYesNoCancel
                          : gui::TDialogKind::kYesNo;
  const gui::TDialogAnswer a = gui::RunDialog(*gCalling, r);
  if (buttons == 0) return 1;
  if (buttons == 1) return a.button == 1 ? 1 : 2;
  if (buttons == 3) return a.button == 1 ? 6 : a.button == 0 ? 7 : 2;
  return a.button == 1 ? 6 : 7;
}
}

struct TShim {
  const char* library;
  const char* function;
  void* entry;
};

const TShim kShims[] = {
    {"kernel32", "GetTickCount", reinterpret_cast<void*>(tama_shim_GetTickCount)},
    {"kernel32", "Sleep", reinterpret_cast<void*>(tama_shim_Sleep)},
    {"kernel32", "GetCurrentProcessId", reinterpret_cast<void*>(tama_shim_GetCurrentProcessId)},
    {"kernel32", "GetCurrentThreadId", reinterpret_cast<void*>(tama_shim_GetCurrentThreadId)},
    {"kernel32", "lstrlenA", reinterpret_cast<void*>(tama_shim_lstrlenA)},
    {"kernel32", "Beep", reinterpret_cast<void*>(tama_shim_Beep)},
    {"winmm", "timeGetTime", reinterpret_cast<void*>(tama_shim_timeGetTime)},
    {"user32", "MessageBeep", reinterpret_cast<void*>(tama_shim_MessageBeep)},
    {"user32", "MessageBoxA", reinterpret_cast<void*>(tama_shim_MessageBoxA)},
    {"user32", "GetSystemMetrics", reinterpret_cast<void*>(tama_shim_GetSystemMetrics)},
};

const char* const kShimLibraries[] = {"kernel32", "winmm", "user32", "shell32"};

const char* const kSystemLibraries[] = {
    "gdi32",   "advapi32", "ole32",   "oleaut32", "comctl32", "comdlg32", "ntdll",  "ws2_32",
    "wsock32", "wininet",  "version", "shlwapi",  "imm32",    "winspool", "mpr",    "crypt32",
    "msvcrt",  "urlmon",   "rpcrt4",  "setupapi", "psapi",    "iphlpapi", "dwmapi", "uxtheme",
    "secur32", "netapi32", "userenv", "msimg32",  "opengl32", "dsound",   "dinput", "ddraw",
    "d3d9",    "avifil32", "msacm32", "msvfw32",  "hhctrl",   "winhttp",  "dbghelp", "kernelbase",
};

// The library's base name in lower case without ".dll".
std::string BaseName(const std::string& library) {
  std::string s = textops::AsciiLower(library);
  if (s.size() > 4 && s.compare(s.size() - 4, 4, ".dll") == 0) s.resize(s.size() - 4);
  return s;
}

}  // namespace

void* ShimEntry(const std::string& libraryName, const std::string& function, bool& isShimLibrary) {
  const std::string base = BaseName(libraryName);
  isShimLibrary = false;
  for (const char* l : kShimLibraries)
    if (base == l) isShimLibrary = true;
  if (!isShimLibrary) return nullptr;
  for (const auto& s : kShims)
    if (base == s.library && function == s.function) return s.entry;
  return nullptr;
}

bool IsSystemLibraryName(const std::string& library) {
  const std::string base = BaseName(library);
  for (const char* l : kSystemLibraries)
    if (base == l) return true;
  return false;
}

TCallScope::TCallScope(TTamaBase& t) : saved_(gCalling) { gCalling = &t; }
TCallScope::~TCallScope() { gCalling = saved_; }

}  // namespace tama::dll
