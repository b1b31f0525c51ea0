// File operations on native paths: folder listings, the file-name wildcard,
// copying, moving, renaming, deleting folder trees and the trash.
// Failures come back as false with a short reason; nothing here raises.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace tama::support {

// Writes all n bytes to the descriptor (retrying after interruptions).
bool WriteAll(int fd, const char* p, size_t n);

// One entry of a folder listing.
struct TDirEntry {
  std::string name;  // native (UTF-8)
  bool folder = false;  // a folder, or a link to one
  bool link = false;    // the entry itself is a symbolic link
};

// The entries of a folder without "." and "..", sorted by name without
// regard to case (then by the bytes). False when the folder cannot be read.
bool ListFolder(const std::string& folder, std::vector<TDirEntry>& out);

// The file-name wildcard on Shift-JIS names: "*" any run of characters, "?"
// one character; letters match without regard to case; "*.*" matches every
// name. Every other character stands for itself.
bool FileWildMatch(std::string_view pattern, std::string_view name);
bool HasWildcard(std::string_view sjisName);

// The native file name is "security.ini" in any case.
bool IsSecurityIniNative(std::string_view native);

// Copies a file over an existing destination (its permission bits go along).
bool CopyOneFile(const std::string& from, const std::string& to, std::string& reason);
// Copies a file, or a folder with everything in it; files named
// security.ini are not copied. Links are copied as links.
bool CopyTree(const std::string& from, const std::string& to, std::string& reason);
// Deletes a file (a link itself, never what it points to) or a folder with
// everything in it; links are never followed. Files named security.ini are
// left in place (so their folders stay too).
bool RemoveTree(const std::string& path, std::string& reason);
// Renames, failing when the destination exists.
bool RenameNoReplace(const std::string& from, const std::string& to, std::string& reason);
// Moves a file or folder, replacing an existing destination file; across
// file systems by copying and deleting.
bool MovePath(const std::string& from, const std::string& to, std::string& reason);
// Creates the folder and every missing parent.
bool MakeFolders(const std::string& path, std::string& reason);

// Moves a file or folder to the trash of the freedesktop layout: the home
// trash ($XDG_DATA_HOME/Trash, by default ~/.local/share/Trash) for files on
// its file system, else $topdir/.Trash/$uid or $topdir/.Trash-$uid of the
// file's mount. Where no trash can take it, it is deleted for good
// (*deleted is then set).
bool MoveToTrash(const std::string& path, std::string& reason, bool* deleted = nullptr);

}  // namespace tama::support
