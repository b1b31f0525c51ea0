#include "support/registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "sjis/lcmap.h"
#include "sjis/sjis.h"

namespace tama::support {

namespace {

constexpr std::string_view kRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS"};

std::string Fold(std::string_view s) { return sjis::ToUpper(s); }
bool Same(std::string_view a, std::string_view b) { return Fold(a) == Fold(b); }

bool IsTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// The names of a key path split at "\" (by character), empty names dropped.
std::vector<std::string_view> Names(std::string_view path) {
  std::vector<std::string_view> out;
  size_t start = 0;
  for (size_t i = 0; i <= path.size();) {
    if (i == path.size() || path[i] == '\\') {
      if (i > start) out.push_back(path.substr(start, i - start));
      start = ++i;
      continue;
    }
    i += sjis::CharLen(path, i);
  }
  return out;
}

std::string Normalised(std::string_view path) {
  std::string out;
  for (std::string_view n : Names(path)) {
    if (!out.empty()) out += '\\';
    out += n;
  }
  return out;
}

// The parent path ("" for a root).
std::string_view ParentOf(std::string_view path) {
  size_t cut = std::string_view::npos;
  for (size_t i = 0; i < path.size(); i += sjis::CharLen(path, i))
    if (path[i] == '\\') cut = i;
  return cut == std::string_view::npos ? std::string_view() : path.substr(0, cut);
}

// The path names one of the roots first (the root written as it is known).
bool RootKnown(std::string& path) {
  std::vector<std::string_view> names = Names(path);
  if (names.empty()) return false;
  for (std::string_view r : kRoots)
    if (Same(names[0], r)) {
      path = std::string(r) + path.substr(names[0].size());
      return true;
    }
  return false;
}

// Whether a text can be written between quotes and read back byte for byte:
// every lead byte is followed by a trail byte.
bool QuotableText(std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (!sjis::IsLead(s[i])) continue;
    if (i + 1 >= s.size() || !IsTrail(static_cast<unsigned char>(s[i + 1]))) return false;
    ++i;
  }
  return true;
}

std::string Quoted(std::string_view s) {
  std::string out = "\"";
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (sjis::IsLead(c) && i + 1 < s.size()) {
      out += c;
      out += s[++i];
      continue;
    }
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\0': out += "\\0"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

// hex bytes "01,02,ff", wrapped as the export layout wraps them.
std::string HexList(std::string_view prefix, std::string_view bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string out(prefix);
  size_t lineLen = out.size();
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    out += kHex[b >> 4];
    out += kHex[b & 15];
    lineLen += 2;
    if (i + 1 < bytes.size()) {
      out += ',';
      ++lineLen;
      if (lineLen > 76) {
        out += "\\\r\n  ";
        lineLen = 2;
      }
    }
  }
  return out;
}

// Reads a quoted text at s[i] (the opening quote); i ends after the closing one.
bool ReadQuoted(std::string_view s, size_t& i, std::string& out) {
  if (i >= s.size() || s[i] != '"') return false;
  ++i;
  out.clear();
  while (i < s.size()) {
    char c = s[i];
    if (sjis::IsLead(c) && i + 1 < s.size()) {
      out += c;
      out += s[i + 1];
      i += 2;
      continue;
    }
    if (c == '"') {
      ++i;
      return true;
    }
    if (c == '\\' && i + 1 < s.size()) {
      char e = s[i + 1];
      i += 2;
      switch (e) {
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case '0': out += '\0'; break;
        default: out += e;  // \\ \" and anything else stand for the character
      }
      continue;
    }
    out += c;
    ++i;
  }
  return false;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool ReadHexBytes(std::string_view s, std::string& out) {
  out.clear();
  s = Trimmed(s);
  if (s.empty()) return true;
  size_t i = 0;
  for (;;) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i >= s.size()) return false;
    int hi = i < s.size() ? HexDigit(s[i]) : -1;
    int lo = i + 1 < s.size() ? HexDigit(s[i + 1]) : -1;
    if (hi < 0) return false;
    if (lo < 0) {  // one digit
      out += static_cast<char>(hi);
      i += 1;
    } else {
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
    }
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i == s.size()) return true;
    if (s[i] != ',') return false;
    ++i;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i == s.size()) return true;  // a trailing comma
  }
}

std::string DwordBytes(uint32_t v) {
  std::string b(4, '\0');
  for (int i = 0; i < 4; ++i) b[static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return b;
}

// The lines of a text with continued hex lines joined.
std::vector<std::string> LogicalLines(std::string_view text) {
  std::vector<std::string> raw;
  size_t i = 0;
  while (i < text.size()) {
    size_t j = i;
    while (j < text.size() && text[j] != '\r' && text[j] != '\n') ++j;
    raw.emplace_back(text.substr(i, j - i));
    if (j < text.size() && text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n') ++j;
    i = j + 1;
  }
  std::vector<std::string> out;
  bool continuing = false;
  for (std::string& l : raw) {
    std::string_view piece = l;
    if (continuing) piece = Trimmed(piece);
    std::string_view end = Trimmed(piece);
    // a value line that is not a quoted text continues after a final "\"
    bool continues = !end.empty() && end.back() == '\\' && (continuing || end.find("=hex") != std::string_view::npos);
    if (continues) piece = end.substr(0, end.size() - 1);
    if (continuing) out.back() += piece;
    else out.emplace_back(piece);
    continuing = continues;
  }
  return out;
}

}  // namespace

uint32_t TRegValue::Dword() const {
  uint32_t v = 0;
  for (size_t i = 0; i < 4 && i < data.size(); ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
  return v;
}

TRegValue* TRegKey::Find(std::string_view name) {
  for (auto& v : values)
    if (Same(v.name, name)) return &v;
  return nullptr;
}
const TRegValue* TRegKey::Find(std::string_view name) const { return const_cast<TRegKey*>(this)->Find(name); }

std::string_view RegRootName(int root) {
  if (root < 0 || root > 3) return {};
  return kRoots[root];
}

std::string RegJoin(std::string_view root, std::string_view sub) {
  std::string whole(root);
  whole += '\\';
  whole += sub;
  return Normalised(whole);
}

TRegKey* TRegistry::FindKey(std::string_view path) {
  const std::string want = Fold(Normalised(path));
  for (auto& k : keys_)
    if (Fold(k.path) == want) return &k;
  return nullptr;
}
const TRegKey* TRegistry::FindKey(std::string_view path) const { return const_cast<TRegistry*>(this)->FindKey(path); }

bool TRegistry::KeyExists(std::string_view path) const {
  std::string norm = Normalised(path);
  if (ParentOf(norm).empty()) return RootKnown(norm);
  return FindKey(norm) != nullptr;
}

TRegKey& TRegistry::CreateKey(std::string_view path) {
  std::string norm = Normalised(path);
  if (TRegKey* k = FindKey(norm)) return *k;
  RootKnown(norm);
  std::string_view parent = ParentOf(norm);
  std::string spelled = norm;
  // the roots are not keys of the store: they always exist
  if (!ParentOf(parent).empty()) {
    // the parent's spelling is the one first written
    TRegKey& p = CreateKey(parent);
    spelled = p.path + norm.substr(parent.size());
  }
  keys_.push_back(TRegKey{spelled, {}});
  return keys_.back();
}

bool TRegistry::DeleteKey(std::string_view path) {
  const std::string want = Fold(Normalised(path));
  if (want.empty()) return false;
  const std::string below = want + "\\";
  bool found = false;
  std::vector<TRegKey> kept;
  for (auto& k : keys_) {
    std::string f = Fold(k.path);
    if (f == want || f.compare(0, below.size(), below) == 0) {
      found = found || f == want;
      continue;
    }
    kept.push_back(std::move(k));
  }
  keys_ = std::move(kept);
  return found;
}

std::vector<std::string> TRegistry::SubKeys(std::string_view path) const {
  const std::string want = Fold(Normalised(path));
  std::vector<std::string> out;
  for (const auto& k : keys_) {
    std::string_view parent = ParentOf(k.path);
    if (!parent.empty() && Fold(parent) == want) out.emplace_back(k.path.substr(parent.size() + 1));
  }
  return out;
}

static void SetValue(TRegistry& r, std::string_view key, std::string_view name, TRegType type, std::string data) {
  TRegKey& k = r.CreateKey(key);
  TRegValue* v = k.Find(name);
  if (!v) {
    k.values.push_back(TRegValue{std::string(name), type, {}, 0});
    v = &k.values.back();
  }
  v->type = type;
  v->data = std::move(data);
  v->otherType = 0;
}

void TRegistry::SetText(std::string_view key, std::string_view name, std::string_view text) {
  SetValue(*this, key, name, TRegType::kText, std::string(text));
}
void TRegistry::SetDword(std::string_view key, std::string_view name, uint32_t value) {
  SetValue(*this, key, name, TRegType::kDword, DwordBytes(value));
}
void TRegistry::SetBinary(std::string_view key, std::string_view name, std::string_view bytes) {
  SetValue(*this, key, name, TRegType::kBinary, std::string(bytes));
}

const TRegValue* TRegistry::Value(std::string_view key, std::string_view name) const {
  const TRegKey* k = FindKey(key);
  return k ? k->Find(name) : nullptr;
}

bool TRegistry::DeleteValue(std::string_view key, std::string_view name) {
  TRegKey* k = FindKey(key);
  if (!k) return false;
  for (auto it = k->values.begin(); it != k->values.end(); ++it)
    if (Same(it->name, name)) {
      k->values.erase(it);
      return true;
    }
  return false;
}

bool TRegistry::Import(std::string_view text, std::string* error) {
  TRegistry work = *this;
  std::vector<std::string> lines = LogicalLines(text);
  auto fail = [&](const std::string& line) {
    if (error) *error = line;
    return false;
  };
  size_t n = 0;
  while (n < lines.size() && Trimmed(lines[n]).empty()) ++n;
  if (n == lines.size()) return true;  // an empty file holds no keys
  std::string_view head = Trimmed(lines[n]);
  if (head != "REGEDIT4" && head != "Windows Registry Editor Version 5.00") return fail(lines[n]);
  std::string current;  // "" before the first key, or after a deleted one
  bool inDeleted = false;
  for (++n; n < lines.size(); ++n) {
    std::string_view l = Trimmed(lines[n]);
    if (l.empty() || l[0] == ';') continue;
    if (l[0] == '[') {
      if (l.back() != ']') return fail(lines[n]);
      std::string_view inner = l.substr(1, l.size() - 2);
      bool del = !inner.empty() && inner[0] == '-';
      if (del) inner.remove_prefix(1);
      std::string path = Normalised(inner);
      if (!RootKnown(path)) return fail(lines[n]);
      if (del) {
        work.DeleteKey(path);
        current.clear();
        inDeleted = true;
      } else {
        current = work.CreateKey(path).path;
        inDeleted = false;
      }
      continue;
    }
    if (current.empty()) {
      if (inDeleted) continue;  // values of a deleted key are ignored
      return fail(lines[n]);
    }
    std::string name;
    size_t i = 0;
    if (l[0] == '@') {
      i = 1;
    } else if (!ReadQuoted(l, i, name)) {
      return fail(lines[n]);
    }
    while (i < l.size() && (l[i] == ' ' || l[i] == '\t')) ++i;
    if (i >= l.size() || l[i] != '=') return fail(lines[n]);
    std::string_view data = Trimmed(l.substr(i + 1));
    if (data == "-") {
      work.DeleteValue(current, name);
      continue;
    }
    if (!data.empty() && data[0] == '"') {
      std::string value;
      size_t j = 0;
      if (!ReadQuoted(data, j, value) || !Trimmed(data.substr(j)).empty()) return fail(lines[n]);
      work.SetText(current, name, value);
    } else if (data.substr(0, 6) == "dword:") {
      std::string_view h = Trimmed(data.substr(6));
      if (h.empty() || h.size() > 8) return fail(lines[n]);
      uint32_t v = 0;
      for (char c : h) {
        int d = HexDigit(c);
        if (d < 0) return fail(lines[n]);
        v = v * 16 + static_cast<uint32_t>(d);
      }
      work.SetDword(current, name, v);
    } else if (data.substr(0, 3) == "hex") {
      std::string_view rest = data.substr(3);
      int type = 3;
      if (!rest.empty() && rest[0] == '(') {
        size_t close = rest.find(')');
        if (close == std::string_view::npos || close < 2) return fail(lines[n]);
        type = 0;
        for (char c : rest.substr(1, close - 1)) {
          int d = HexDigit(c);
          if (d < 0 || type > 0xFFFFFF) return fail(lines[n]);
          type = type * 16 + d;
        }
        rest.remove_prefix(close + 1);
      }
      if (rest.empty() || rest[0] != ':') return fail(lines[n]);
      std::string bytes;
      if (!ReadHexBytes(rest.substr(1), bytes)) return fail(lines[n]);
      if (type == 1) {
        if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
        work.SetText(current, name, bytes);
      } else if (type == 4 && bytes.size() == 4) {
        work.SetDword(current, name, TRegValue{"", TRegType::kDword, bytes, 0}.Dword());
      } else if (type == 3) {
        work.SetBinary(current, name, bytes);
      } else {
        SetValue(work, current, name, TRegType::kOther, bytes);
        work.FindKey(current)->Find(name)->otherType = type;
      }
    } else {
      return fail(lines[n]);
    }
  }
  *this = std::move(work);
  return true;
}

std::string TRegistry::Export() const {
  std::string out = "REGEDIT4\r\n";
  for (const auto& k : keys_) {
    out += "\r\n[" + k.path + "]\r\n";
    for (const auto& v : k.values) {
      out += v.name.empty() ? std::string("@") : Quoted(v.name);
      out += '=';
      switch (v.type) {
        case TRegType::kText:
          if (QuotableText(v.data)) out += Quoted(v.data);
          else out += HexList("hex(1):", v.data + '\0');
          break;
        case TRegType::kDword: {
          char buf[16];
          std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(v.Dword()));
          out += buf;
          break;
        }
        case TRegType::kBinary: out += HexList("hex:", v.data); break;
        case TRegType::kOther: {
          char buf[24];
          std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.otherType));
          out += HexList(buf, v.data);
          break;
        }
      }
      out += "\r\n";
    }
  }
  return out;
}

// ---- the file ----

namespace {

bool ReadAll(int fd, std::string& out) {
  out.clear();
  char buf[65536];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    out.append(buf, static_cast<size_t>(n));
  }
}

bool WriteAll(int fd, std::string_view s) {
  while (!s.empty()) {
    ssize_t n = write(fd, s.data(), s.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    s.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes the folder and its missing parents (new ones with mode 0700).
bool MakeFolders(const std::string& folder) {
  struct stat st;
  if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  std::string parent = FolderOf(folder);
  if (parent != folder && !MakeFolders(parent)) return false;
  return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

std::string TRegistryFile::DefaultPath() {
  std::string base;
  const char* x = std::getenv("XDG_CONFIG_HOME");
  if (x && x[0] == '/') {
    base = x;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
      struct passwd* pw = getpwuid(getuid());
      home = pw ? pw->pw_dir : "/tmp";
    }
    base = std::string(home) + "/.config";
  }
  return base + "/tamakazu/registry.reg";
}

bool TRegistryFile::ReadLocked() {
  struct stat st;
  TSig sig;
  std::string text;
  int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT) return false;
  } else {
    bool ok = fstat(fd, &st) == 0 && ReadAll(fd, text);
    close(fd);
    if (!ok) return false;
    sig.exists = true;
    sig.dev = st.st_dev;
    sig.ino = st.st_ino;
    sig.size = static_cast<unsigned long long>(st.st_size);
    sig.sec = st.st_mtim.tv_sec;
    sig.nsec = st.st_mtim.tv_nsec;
  }
  TRegistry fresh;
  sig_ = sig;
  loaded_ = true;
  corrupt_ = !fresh.Import(text);
  if (corrupt_) return false;
  store_ = std::move(fresh);
  return true;
}

bool TRegistryFile::Load() {
  struct stat st;
  TSig now;
  if (stat(path_.c_str(), &st) == 0) {
    now.exists = true;
    now.dev = st.st_dev;
    now.ino = st.st_ino;
    now.size = static_cast<unsigned long long>(st.st_size);
    now.sec = st.st_mtim.tv_sec;
    now.nsec = st.st_mtim.tv_nsec;
  }
  if (loaded_ && now == sig_) return !corrupt_;
  if (!now.exists) {
    store_.Clear();
    sig_ = now;
    loaded_ = true;
    corrupt_ = false;
    return true;
  }
  // a writer renames a whole file in place, so a shared lock is enough to
  // read one state
  const std::string lock = path_.substr(0, path_.rfind('/') + 1) + "registry.lock";
  int lfd = open(lock.c_str(), O_RDONLY | O_CLOEXEC);
  if (lfd >= 0) flock(lfd, LOCK_SH);
  bool ok = ReadLocked();
  if (lfd >= 0) close(lfd);
  return ok;
}

bool TRegistryFile::BeginChange() {
  const std::string folder = FolderOf(path_);
  if (!MakeFolders(folder)) return false;
  lockFd_ = open((folder + "/registry.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lockFd_ < 0) return false;
  while (flock(lockFd_, LOCK_EX) != 0) {
    if (errno != EINTR) {
      close(lockFd_);
      lockFd_ = -1;
      return false;
    }
  }
  if (!ReadLocked()) {
    close(lockFd_);
    lockFd_ = -1;
    return false;
  }
  return true;
}

bool TRegistryFile::EndChange() {
  const std::string text = store_.Export();
  const std::string temp = path_ + ".tmp";
  bool ok = false;
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd >= 0) {
    ok = WriteAll(fd, text) && fsync(fd) == 0;
    if (close(fd) != 0) ok = false;
    if (ok) ok = rename(temp.c_str(), path_.c_str()) == 0;
    if (!ok) unlink(temp.c_str());
  }
  if (ok) {
    int dfd = open(FolderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
      fsync(dfd);
      close(dfd);
    }
    struct stat st;
    if (stat(path_.c_str(), &st) == 0) {
      sig_.exists = true;
      sig_.dev = st.st_dev;
      sig_.ino = st.st_ino;
      sig_.size = static_cast<unsigned long long>(st.st_size);
      sig_.sec = st.st_mtim.tv_sec;
      sig_.nsec = st.st_mtim.tv_nsec;
    }
  } else {
    loaded_ = false;  // the change is not kept: read the file again next time
  }
  close(lockFd_);
  lockFd_ = -1;
  return ok;
}

}  // namespace tama::support
