// The registry store: keys under the four roots holding text, DWORD and
// binary values, kept in one text file per user in the REGEDIT4 export
// layout (Shift-JIS bytes, CR LF):
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Example]
//   @="default value"
//   "Name"="text: \\ \" \r \n \0 escaped"
//   "Count"=dword:0000002a
//   "Blob"=hex:01,02,ff
//
// Key paths and value names compare without regard to case (ASCII and
// full-width letters, by character) and keep the spelling first written. A
// key without values is a section without lines. A text value whose bytes
// are not whole characters is written as hex(1): (its bytes and a zero).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tama::support {

enum class TRegType { kText, kDword, kBinary, kOther };

struct TRegValue {
  std::string name;  // "" is the default value ("@")
  TRegType type = TRegType::kText;
  std::string data;     // text bytes, binary bytes; the 4 bytes of a DWORD (little-endian)
  int otherType = 0;    // kOther: the number of hex(n)
  uint32_t Dword() const;
};

struct TRegKey {
  std::string path;  // "HKEY_CURRENT_USER\Software\Example"
  std::vector<TRegValue> values;
  TRegValue* Find(std::string_view name);
  const TRegValue* Find(std::string_view name) const;
};

// The root names by number: 0 HKEY_CLASSES_ROOT, 1 HKEY_CURRENT_USER,
// 2 HKEY_LOCAL_MACHINE, 3 HKEY_USERS; "" for other numbers.
std::string_view RegRootName(int root);
// "root\sub\key": the key path with the separators normalised (one "\"
// between names, none at the ends; "/" is a name character).
std::string RegJoin(std::string_view root, std::string_view sub);

class TRegistry {
 public:
  // Reads an export text. False (and *error the line at fault) when it does
  // not parse; the store is then unchanged. Keys and values of the text are
  // added to what is there ("[-key]" deletes a key, "name"=- a value).
  bool Import(std::string_view text, std::string* error = nullptr);
  // The whole store as an export text.
  std::string Export() const;

  TRegKey* FindKey(std::string_view path);
  const TRegKey* FindKey(std::string_view path) const;
  // The key exists; a root always does.
  bool KeyExists(std::string_view path) const;
  // The key, made (with its missing parents) when it does not exist.
  TRegKey& CreateKey(std::string_view path);
  // Removes the key with everything below it; false when it does not exist.
  bool DeleteKey(std::string_view path);
  // The names of the key's direct subkeys, in the order they were made.
  std::vector<std::string> SubKeys(std::string_view path) const;

  // Sets a value in the key (made when missing).
  void SetText(std::string_view key, std::string_view name, std::string_view text);
  void SetDword(std::string_view key, std::string_view name, uint32_t value);
  void SetBinary(std::string_view key, std::string_view name, std::string_view bytes);
  // The value, or nullptr when the key or the value is missing.
  const TRegValue* Value(std::string_view key, std::string_view name) const;
  bool DeleteValue(std::string_view key, std::string_view name);

  const std::vector<TRegKey>& Keys() const { return keys_; }
  void Clear() { keys_.clear(); }

 private:
  std::vector<TRegKey> keys_;
};

// The store in a file, shared by every run-time of the user: re-read when the
// file changed (device, inode, size, modification time), changed under an
// exclusive lock on a lock file beside it (re-read, changed, written to a
// temporary file, synced and renamed over it). A file that does not parse
// is never rewritten.
class TRegistryFile {
 public:
  // The user's file: $XDG_CONFIG_HOME/tamakazu/registry.reg (default
  // ~/.config/tamakazu/registry.reg).
  static std::string DefaultPath();
  explicit TRegistryFile(std::string path) : path_(std::move(path)) {}

  const std::string& Path() const { return path_; }
  // The current store for reading. False when the file cannot be read or
  // does not parse.
  bool Load();
  const TRegistry& Store() const { return store_; }
  // Applies a change to the current contents and writes the file. False when
  // the file cannot be read, does not parse or cannot be written; the change
  // is then not kept.
  template <class F>
  bool Change(F&& change) {
    if (!BeginChange()) return false;
    change(store_);
    return EndChange();
  }
  bool Corrupt() const { return corrupt_; }

 private:
  bool BeginChange();
  bool EndChange();
  bool ReadLocked();
  std::string path_;
  TRegistry store_;
  struct TSig {
    unsigned long long dev = 0, ino = 0, size = 0;
    long long sec = 0, nsec = 0;
    bool exists = false;
    bool operator==(const TSig&) const = default;
  } sig_;
  bool loaded_ = false, corrupt_ = false;
  int lockFd_ = -1;
};

}  // namespace tama::support
