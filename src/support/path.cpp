#include "support/path.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "sjis/convert.h"
#include "sjis/lcmap.h"
#include "sjis/sjis.h"

namespace tama::support {

namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The folder a drive letter stands for: TAMAKAZU_DRIVES ("D=/media/cdrom;...")
// or the root.
std::string DriveRoot(char letter) {
  const char* env = std::getenv("TAMAKAZU_DRIVES");
  if (env) {
    std::string_view s = env;
    while (!s.empty()) {
      size_t semi = s.find(';');
      std::string_view item = s.substr(0, semi);
      if (item.size() >= 3 && item[1] == '=' && (item[0] | 0x20) == (letter | 0x20)) return std::string(item.substr(2));
      if (semi == std::string_view::npos) break;
      s.remove_prefix(semi + 1);
    }
  }
  return "/";
}

// The case-folded form of a native name: upper case by the Shift-JIS letter
// mappings, or ASCII upper case when the name has no Shift-JIS form.
std::string FoldKey(std::string_view utf8) {
  std::string sjisName;
  if (sjis::Utf8ToSjis(utf8, sjisName)) return sjis::ToUpper(sjisName);
  std::string out(utf8);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return "\x01" + out;  // never equal to a converted name
}

// The entry of the folder whose name equals `name` without regard to case
// (the smallest such name when several do); empty when none does.
std::string FindFolded(const std::string& folder, std::string_view name) {
  DIR* d = opendir(folder.empty() ? "." : folder.c_str());
  if (!d) return {};
  const std::string key = FoldKey(name);
  std::string best;
  while (dirent* e = readdir(d)) {
    std::string_view n = e->d_name;
    if (n == "." || n == "..") continue;
    if (FoldKey(n) == key && (best.empty() || n < best)) best = n;
  }
  closedir(d);
  return best;
}

bool Exists(const std::string& p) {
  struct stat st;
  return lstat(p.c_str(), &st) == 0;
}

// Splits at "/" into the non-empty components.
std::vector<std::string_view> Components(std::string_view p) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i <= p.size()) {
    size_t j = p.find('/', i);
    if (j == std::string_view::npos) j = p.size();
    if (j > i) out.push_back(p.substr(i, j - i));
    i = j + 1;
  }
  return out;
}

}  // namespace

std::string ToNativePath(std::string_view sjisName) {
  size_t z = sjisName.find('\0');
  if (z != std::string_view::npos) sjisName = sjisName.substr(0, z);
  std::string path = sjis::SjisToUtf8(sjisName);
  // once decoded, a backslash is a separator and never a trail byte
  for (char& c : path)
    if (c == '\\') c = '/';
  if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') {
    std::string root = DriveRoot(path[0]);
    size_t rest = 2;
    while (rest < path.size() && path[rest] == '/') ++rest;
    return JoinNative(root, std::string_view(path).substr(rest));
  }
  return path;
}

std::string NativePath(std::string_view sjisName) { return MatchCase(ToNativePath(sjisName)); }

std::string MatchCase(const std::string& native) {
  if (native.empty() || Exists(native)) return native;
  std::string out;
  size_t i = 0;
  if (native[0] == '/') {
    out = "/";
    i = 1;
  }
  bool matching = true;
  while (i < native.size()) {
    size_t j = native.find('/', i);
    const bool last = j == std::string::npos;
    if (last) j = native.size();
    std::string comp = native.substr(i, j - i);
    if (matching && !comp.empty() && comp != "." && comp != ".." && !Exists(out + comp)) {
      std::string found = FindFolded(out, comp);
      if (found.empty())
        matching = false;  // nothing below a missing folder exists either
      else
        comp = std::move(found);
    }
    out += comp;
    if (!last) out += '/';
    i = j + 1;
  }
  return out;
}

std::string FromNativePath(std::string_view native, bool* lossless) {
  std::string out;
  if (sjis::Utf8ToSjis(native, out)) {
    if (lossless) *lossless = true;
    return out;
  }
  if (lossless) *lossless = false;
  return sjis::Utf8ToSjisLossy(native);
}

bool IsAbsoluteName(std::string_view s) {
  if (s.empty()) return false;
  if (s[0] == '\\' || s[0] == '/') return true;
  return s.size() >= 2 && IsAsciiLetter(s[0]) && s[1] == ':';
}

size_t FileNameStart(std::string_view s) {
  size_t cut = 0;
  for (size_t i = 0; i < s.size(); i += sjis::CharLen(s, i)) {
    char c = s[i];
    if (c == '\\' || c == '/' || c == ':') cut = i + 1;
  }
  return cut;
}

std::string_view ExtensionPart(std::string_view s) {
  size_t start = FileNameStart(s);
  size_t dot = std::string_view::npos;
  for (size_t i = start; i < s.size(); i += sjis::CharLen(s, i))
    if (s[i] == '.') dot = i;
  return dot == std::string_view::npos ? std::string_view() : s.substr(dot);
}

std::string ChangeExtension(std::string_view s, std::string_view ext) {
  std::string_view old = ExtensionPart(s);
  std::string out(s.substr(0, s.size() - old.size()));
  out += ext;
  return out;
}

bool EndsWithSeparator(std::string_view s) {
  size_t lastChar = std::string_view::npos;
  for (size_t i = 0; i < s.size(); i += sjis::CharLen(s, i)) lastChar = i;
  return lastChar != std::string_view::npos && lastChar == s.size() - 1 && (s[lastChar] == '\\' || s[lastChar] == '/');
}

bool IsSecurityIniName(std::string_view s) { return sjis::ToUpper(FileNamePart(s)) == "SECURITY.INI"; }

// ---- native paths ----

std::string WorkingFolder() {
  std::string buf(PATH_MAX, '\0');
  for (;;) {
    if (getcwd(buf.data(), buf.size())) {
      buf.resize(std::char_traits<char>::length(buf.data()));
      return buf;
    }
    if (errno != ERANGE || buf.size() > (1u << 20)) return ".";
    buf.resize(buf.size() * 2);
  }
}

std::string AbsolutePath(std::string_view native) {
  std::string full;
  if (native.empty() || native[0] != '/') {
    full = WorkingFolder();
    full += '/';
  }
  full += native;
  std::vector<std::string_view> kept;
  for (std::string_view c : Components(full)) {
    if (c == ".") continue;
    if (c == "..") {
      if (!kept.empty()) kept.pop_back();
      continue;
    }
    kept.push_back(c);
  }
  std::string out;
  for (std::string_view c : kept) {
    out += '/';
    out += c;
  }
  return out.empty() ? std::string("/") : out;
}

std::string RealPathOfExistingPart(std::string_view absoluteNative) {
  std::string pending(absoluteNative);
  if (pending.empty() || pending[0] != '/') pending = WorkingFolder() + "/" + pending;
  for (int hops = 0;; ++hops) {
    std::string cur = "/";
    std::vector<std::string_view> comps = Components(pending);
    std::string redirected;  // the path again with a link replaced by its target
    for (size_t i = 0; i < comps.size() && redirected.empty(); ++i) {
      std::string_view c = comps[i];
      if (c == ".") continue;
      if (c == "..") {
        cur = NativeDirName(cur);
        continue;
      }
      std::string next = JoinNative(cur, c);
      struct stat st;
      if (lstat(next.c_str(), &st) != 0) {
        // the rest does not exist: it stays as written, "." and ".." by the letters
        std::string rest;
        for (size_t k = i; k < comps.size(); ++k) {
          rest += comps[k];
          rest += '/';
        }
        return AbsolutePath(JoinNative(cur, rest));
      }
      if (S_ISLNK(st.st_mode) && hops < 40) {
        std::string target(PATH_MAX, '\0');
        ssize_t n = readlink(next.c_str(), target.data(), target.size());
        if (n > 0) {
          target.resize(static_cast<size_t>(n));
          redirected = target[0] == '/' ? target : JoinNative(cur, target);
          for (size_t k = i + 1; k < comps.size(); ++k) {
            redirected += '/';
            redirected += comps[k];
          }
          continue;
        }
      }
      cur = std::move(next);
    }
    if (redirected.empty()) return cur;
    pending = std::move(redirected);
  }
}

bool IsInsideFolder(std::string_view folder, std::string_view path) {
  while (folder.size() > 1 && folder.back() == '/') folder.remove_suffix(1);
  if (folder == "/") return !path.empty() && path[0] == '/';
  if (path.size() < folder.size() || path.substr(0, folder.size()) != folder) return false;
  return path.size() == folder.size() || path[folder.size()] == '/';
}

std::string_view NativeBaseName(std::string_view native) {
  while (native.size() > 1 && native.back() == '/') native.remove_suffix(1);
  size_t slash = native.rfind('/');
  return slash == std::string_view::npos ? native : native.substr(slash + 1);
}

std::string NativeDirName(std::string_view native) {
  while (native.size() > 1 && native.back() == '/') native.remove_suffix(1);
  size_t slash = native.rfind('/');
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(native.substr(0, slash));
}

std::string JoinNative(std::string_view folder, std::string_view name) {
  std::string out(folder);
  while (!name.empty() && name[0] == '/') name.remove_prefix(1);
  if (name.empty()) return out.empty() ? std::string() : out;
  if (!out.empty() && out.back() != '/') out += '/';
  out += name;
  return out;
}

}  // namespace tama::support
