// Shared pieces of the imported-function commands (dll.cpp, dll_shims.cpp).
#pragma once
#include <string>

namespace tama {

class TTamaBase;
class THashNode;

namespace dll {

// Calls an imported function word whose arguments are bound; それ := its result.
void CallImported(TTamaBase& t, THashNode& word);

// The run-time's own answer to a function of a Windows system library
// (kernel32, user32, winmm, shell32; without regard to case, with or without
// ".dll"): its entry, or null. `library` tells whether the name is one of
// those libraries.
void* ShimEntry(const std::string& libraryName, const std::string& function, bool& isShimLibrary);
// One of the Windows system libraries that cannot exist here (gdi32, advapi32 ...).
bool IsSystemLibraryName(const std::string& library);

// The interpreter a call is made for, while it lasts (the answers that show
// something use it).
class TCallScope {
 public:
  explicit TCallScope(TTamaBase& t);
  ~TCallScope();
  TCallScope(const TCallScope&) = delete;
  TCallScope& operator=(const TCallScope&) = delete;

 private:
  TTamaBase* saved_;
};

}  // namespace dll
}  // namespace tama
