#include "support/ini.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "sjis/lcmap.h"
#include "sjis/sjis.h"

namespace tama::support {

namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The first position of an ASCII byte, found by character (a trail byte is never taken for it).
size_t FindChar(std::string_view s, char c) {
  for (size_t i = 0; i < s.size(); i += sjis::CharLen(s, i))
    if (s[i] == c) return i;
  return std::string_view::npos;
}

bool SameName(std::string_view a, std::string_view b) { return sjis::ToUpper(a) == sjis::ToUpper(b); }

// What a line is: a section header (its name), a key line (its key and
// value), or anything else.
enum class TLineKind { kOther, kSection, kKey };
struct TLine {
  TLineKind kind = TLineKind::kOther;
  std::string_view name;   // section or key
  std::string_view value;  // key lines: the value, trimmed, quotes kept
};

TLine Classify(std::string_view line) {
  TLine out;
  std::string_view l = TrimBlanks(line);
  if (l.empty() || l[0] == ';') return out;
  if (l[0] == '[') {
    size_t close = FindChar(l, ']');
    if (close == std::string_view::npos) return out;
    out.kind = TLineKind::kSection;
    out.name = TrimBlanks(l.substr(1, close - 1));
    return out;
  }
  size_t eq = FindChar(l, '=');
  if (eq == std::string_view::npos) return out;
  out.kind = TLineKind::kKey;
  out.name = TrimBlanks(l.substr(0, eq));
  out.value = TrimBlanks(l.substr(eq + 1));
  return out;
}

std::string_view Unquoted(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) return v.substr(1, v.size() - 2);
  return v;
}

bool HasLineBreak(std::string_view s) {
  return s.find('\r') != std::string_view::npos || s.find('\n') != std::string_view::npos;
}

// The real path a write replaces: a symbolic link's target (the link stays).
std::string WriteTarget(const std::string& file) {
  char buf[PATH_MAX];
  if (realpath(file.c_str(), buf)) return buf;
  return file;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool ReadWhole(const std::string& file, std::string& out, bool& missing) {
  missing = false;
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    struct stat st;
    missing = stat(file.c_str(), &st) != 0 && errno == ENOENT;
    return missing;
  }
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

TIniText::TIniText(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    size_t j = i;
    while (j < bytes.size() && bytes[j] != '\r' && bytes[j] != '\n') ++j;
    lines_.emplace_back(bytes.substr(i, j - i));
    if (j < bytes.size() && bytes[j] == '\r' && j + 1 < bytes.size() && bytes[j + 1] == '\n') ++j;
    i = j + 1;
  }
}

bool TIniText::Read(std::string_view section, std::string_view key, std::string& value) const {
  const std::string_view wantSection = TrimBlanks(section), wantKey = TrimBlanks(key);
  bool inSection = false, seen = false;
  for (const auto& line : lines_) {
    TLine l = Classify(line);
    if (l.kind == TLineKind::kSection) {
      if (seen) return false;  // only the first matching section counts
      inSection = SameName(l.name, wantSection);
      seen = inSection;
    } else if (l.kind == TLineKind::kKey && inSection && SameName(l.name, wantKey)) {
      value = Unquoted(l.value);
      return true;
    }
  }
  return false;
}

bool TIniText::Storable(std::string_view section, std::string_view key, std::string_view value) {
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return false;
  if (FindChar(section, ']') != std::string_view::npos) return false;
  std::string_view k = TrimBlanks(key);
  if (k.empty() || FindChar(k, '=') != std::string_view::npos || k[0] == '[' || k[0] == ';') return false;
  return true;
}

bool TIniText::Write(std::string_view section, std::string_view key, std::string_view value) {
  if (!Storable(section, key, value)) return false;
  const std::string_view wantSection = TrimBlanks(section), wantKey = TrimBlanks(key);
  std::string entry(wantKey);
  entry += '=';
  entry += value;
  // the first matching section: where it begins and its last key line
  size_t header = lines_.size(), lastKey = 0;
  for (size_t i = 0; i < lines_.size(); ++i) {
    TLine l = Classify(lines_[i]);
    if (l.kind == TLineKind::kSection) {
      if (header != lines_.size()) break;
      if (SameName(l.name, wantSection)) {
        header = i;
        lastKey = i;
      }
    } else if (l.kind == TLineKind::kKey && header != lines_.size()) {
      if (SameName(l.name, wantKey)) {
        lines_[i] = std::move(entry);
        return true;
      }
      lastKey = i;
    }
  }
  if (header != lines_.size()) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastKey + 1), std::move(entry));
    return true;
  }
  if (!lines_.empty()) lines_.emplace_back();
  lines_.push_back("[" + std::string(wantSection) + "]");
  lines_.push_back(std::move(entry));
  return true;
}

std::string TIniText::Text() const {
  std::string out;
  for (const auto& l : lines_) {
    out += l;
    out += "\r\n";
  }
  return out;
}

TIniLoad LoadIniFile(const std::string& nativeFile, TIniText& out) {
  std::string bytes;
  bool missing = false;
  if (!ReadWhole(nativeFile, bytes, missing)) return TIniLoad::kFailed;
  if (missing) return TIniLoad::kMissing;
  out = TIniText(bytes);
  return TIniLoad::kRead;
}

bool ReadIniFile(const std::string& nativeFile, std::string_view section, std::string_view key, std::string& value) {
  std::string bytes;
  bool missing = false;
  if (!ReadWhole(nativeFile, bytes, missing) || missing) return false;
  return TIniText(bytes).Read(section, key, value);
}

TIniWrite WriteIniFile(const std::string& nativeFile, std::string_view section,
                       const std::vector<std::pair<std::string, std::string>>& entries) {
  for (const auto& [key, value] : entries)
    if (!TIniText::Storable(section, key, value)) return TIniWrite::kUnstorable;
  const std::string target = WriteTarget(nativeFile);
  std::string bytes;
  bool missing = false;
  if (!ReadWhole(target, bytes, missing)) return TIniWrite::kFailed;
  TIniText ini(bytes);
  for (const auto& [key, value] : entries) ini.Write(section, key, value);
  const std::string text = ini.Text();

  mode_t mode = 0666;
  struct stat st;
  const bool exists = stat(target.c_str(), &st) == 0;
  if (exists) mode = st.st_mode & 07777;
  std::string temp = FolderOf(target) + "/.ini-XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return TIniWrite::kFailed;
  bool ok = true;
  for (size_t done = 0; ok && done < text.size();) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else done += static_cast<size_t>(n);
  }
  if (ok) {
    if (!exists) {
      // a new file gets the usual mode: 0666 less the umask
      mode_t mask = umask(0);
      umask(mask);
      mode = 0666 & ~mask;
    }
    ok = fchmod(fd, mode) == 0;
  }
  if (::close(fd) != 0) ok = false;
  if (ok && rename(temp.c_str(), target.c_str()) != 0) ok = false;
  if (!ok) {
    unlink(temp.c_str());
    return TIniWrite::kFailed;
  }
  return TIniWrite::kDone;
}

}  // namespace tama::support
