// The security policy: before a command changes a file, a folder, the
// registry or the like, it asks with the target it changes and a message in
// the user's words. Level low allows everything, high refuses everything
// silently, mid lets the user decide about targets outside the program folder
// (and the run-time's private temporary folder). A file named security.ini is
// never allowed at any level.
#pragma once
#include <initializer_list>
#include <string>
#include <string_view>

namespace tama {

class TTamaBase;

// The decision before any question is put.
enum class TSecurityVerdict {
  kAllow,
  kAsk,
  kRefuse,            // silently
  kRefuseSecurityIni  // with the warning about security.ini
};
// `level` 0 low, 1 mid, 2 high; `securityIni` the target is a file named
// security.ini; `wildcard` the target contains "*"; `inside` it lies in the
// program folder.
TSecurityVerdict SecurityVerdict(int level, bool securityIni, bool wildcard, bool inside);

// Asks about the target (a program name; relative names count from the
// working folder, where the commands write). True when refused. The level is
// loaded from security.ini on the first question when it is not known.
bool AskSecurity(TTamaBase& t, std::string_view target, std::string_view message);
// One question about several targets (a source and a destination): refused
// when any target is, asked once when any target needs it.
bool AskSecurity(TTamaBase& t, std::initializer_list<std::string_view> targets, std::string_view message);

// Sets the level from security.ini: the program folder's file with the
// section named after the program file, else the run-time folder's file with
// the whole program path as the section; mid when neither decides.
void LoadSecurityLevel(TTamaBase& t);
// The level a value of the key "security" gives: H high, L low, otherwise mid.
int SecurityLevelOfValue(std::string_view value);

// The native place a target names: absolute against the working folder, with
// "." and ".." and the links of its existing part followed as the file system
// would follow them.
std::string SecurityPlace(std::string_view target);
// The target lies in the program folder or the run-time's private folder.
bool SecurityInside(TTamaBase& t, std::string_view target);

// One value of an INI file: sections and keys compare without regard to
// case, blanks around keys and values are dropped, a value in double quotes
// loses them. False when the file, the section or the key is missing.
bool ReadIniValue(const std::string& nativeFile, std::string_view section, std::string_view key, std::string& value);

}  // namespace tama
