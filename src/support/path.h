// File names of programs and of the file system.
//
// A program writes a file name in Shift-JIS with "\" or "/" between folders
// and may begin it with a drive letter ("C:\data\a.txt"). The file system
// wants UTF-8 with "/". The conversion decodes the Shift-JIS first and maps
// the separators afterwards, so the trail byte of 表 or ソ (0x5C, the byte of
// "\") is never taken for a separator. A drive letter followed by a
// separator stands for the root, or for the folder the environment variable
// TAMAKAZU_DRIVES gives it ("D=/media/cdrom;E=/mnt/e"); "C:x" is read as
// "C:\x". Names the run-time hands back to programs are written with "/".
//
// The file system tells upper and lower case apart, programs do not: when a
// name does not exist as written, each missing component is looked up in its
// folder without regard to case (ASCII, full-width, Greek and Cyrillic
// letters), and the existing entry is used.
#pragma once
#include <string>
#include <string_view>

namespace tama::support {

// Program name -> native path, by the letters alone.
std::string ToNativePath(std::string_view sjisName);
// Program name -> native path, with missing components matched without
// regard to case.
std::string NativePath(std::string_view sjisName);
// A native path with missing components matched without regard to case (one
// folder listing per missing component; nothing is read when the path exists).
std::string MatchCase(const std::string& native);
// Native path -> program name (Shift-JIS). A character without a Shift-JIS
// form becomes "?"; *lossless is then false.
std::string FromNativePath(std::string_view native, bool* lossless = nullptr);

// True when the name is absolute: it begins with "\" or "/", a drive letter
// and ":", or "\\" (a network name).
bool IsAbsoluteName(std::string_view sjisName);

// The separators of program names: "\", "/" and ":" (by character, so a
// trail byte is never one). The index just after the last separator; 0 when
// there is none.
size_t FileNameStart(std::string_view sjisName);
// Up to and including the last separator ("" without one).
inline std::string_view PathPart(std::string_view sjisName) { return sjisName.substr(0, FileNameStart(sjisName)); }
// After the last separator.
inline std::string_view FileNamePart(std::string_view sjisName) { return sjisName.substr(FileNameStart(sjisName)); }
// From the last "." after the last separator ("" without one).
std::string_view ExtensionPart(std::string_view sjisName);
// The name with its extension replaced by `ext` (which includes its "."), or
// with `ext` appended when it has none.
std::string ChangeExtension(std::string_view sjisName, std::string_view ext);
// The name ends with "\" or "/" (by character).
bool EndsWithSeparator(std::string_view sjisName);
// The file-name part upper-cased is "SECURITY.INI".
bool IsSecurityIniName(std::string_view sjisName);

// ---- native paths ----

// The working folder (native, without a trailing "/").
std::string WorkingFolder();
// The path made absolute against the working folder, with "." and ".."
// components and repeated "/" taken out by the letters (no links followed).
std::string AbsolutePath(std::string_view native);
// The real path of the longest existing leading part (links followed),
// followed by the remaining components as written.
std::string RealPathOfExistingPart(std::string_view absoluteNative);
// The folder lies in or below `folder` (both absolute, normalised): compared
// component by component.
bool IsInsideFolder(std::string_view folder, std::string_view path);
// The last component of a native path.
std::string_view NativeBaseName(std::string_view native);
// The native path without its last component ("/" for the root, "." for a bare name).
std::string NativeDirName(std::string_view native);
// Joins a folder and a name with exactly one "/".
std::string JoinNative(std::string_view folder, std::string_view name);

}  // namespace tama::support
