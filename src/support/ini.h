// INI files: sections "[name]" holding "key=value" lines. Section and key
// names compare without regard to case (ASCII and full-width letters, by
// character); blanks around keys and values are dropped; a value in a
// matching pair of double or single quotes loses them when read. Comment
// lines (";") and any other line are kept as they are when the file is
// written again. Bytes are Shift-JIS; reading accepts CR LF, LF and CR,
// writing uses CR LF.
#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tama::support {

// The lines of an INI file, changed in place.
class TIniText {
 public:
  TIniText() = default;
  explicit TIniText(std::string_view bytes);

  // The value of the first matching key of the first matching section; false
  // when the section or the key is missing.
  bool Read(std::string_view section, std::string_view key, std::string& value) const;
  // Replaces the first matching key line by "key=value" (the key as written
  // now); a new key goes after the last key line of its section, a new
  // section at the end (after one empty line unless the text is empty).
  // False, and nothing changed, when the entry cannot be stored as written.
  bool Write(std::string_view section, std::string_view key, std::string_view value);
  // The whole text, every line ended by CR LF.
  std::string Text() const;
  const std::vector<std::string>& Lines() const { return lines_; }

  // A section holding "]", CR or LF, a key holding "=", CR or LF or beginning
  // with "[" or ";", a value holding CR or LF: such a line would split or
  // read back as something else.
  static bool Storable(std::string_view section, std::string_view key, std::string_view value);

 private:
  std::vector<std::string> lines_;
};

// Reads a file (native path) into the lines.
enum class TIniLoad { kRead, kMissing, kFailed };
TIniLoad LoadIniFile(const std::string& nativeFile, TIniText& out);

// One value read from a file (native path): false when the file, the section
// or the key is missing.
bool ReadIniFile(const std::string& nativeFile, std::string_view section, std::string_view key, std::string& value);

// The outcome of a write.
enum class TIniWrite { kDone, kUnstorable, kFailed };
// Writes the entries into one section of a file (native path): the whole file
// is read, changed, written to a temporary file in the same folder and renamed
// over it (its mode kept; a symbolic link is followed and stays). The file is
// created when it does not exist.
TIniWrite WriteIniFile(const std::string& nativeFile, std::string_view section,
                       const std::vector<std::pair<std::string, std::string>>& entries);

}  // namespace tama::support
