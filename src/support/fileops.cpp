#include "support/fileops.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "sjis/lcmap.h"
#include "sjis/sjis.h"
#include "support/path.h"
#include "support/textops.h"

namespace tama::support {

bool WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    ssize_t put = write(fd, p, n);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    p += put;
    n -= static_cast<size_t>(put);
  }
  return true;
}

namespace {

std::string Reason() { return std::strerror(errno); }

int CompareFolded(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}


bool IsDirNoFollow(const std::string& p) {
  struct stat st;
  return lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ReplaceLink(const std::string& from, const std::string& to, std::string& reason) {
  std::string target(PATH_MAX, '\0');
  ssize_t n = readlink(from.c_str(), target.data(), target.size());
  if (n < 0) {
    reason = Reason();
    return false;
  }
  target.resize(static_cast<size_t>(n));
  struct stat st;
  if (lstat(to.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) unlink(to.c_str());
  if (symlink(target.c_str(), to.c_str()) != 0) {
    reason = Reason();
    return false;
  }
  return true;
}

}  // namespace

bool ListFolder(const std::string& folder, std::vector<TDirEntry>& out) {
  out.clear();
  DIR* d = opendir(folder.empty() ? "." : folder.c_str());
  if (!d) return false;
  while (dirent* e = readdir(d)) {
    std::string_view n = e->d_name;
    if (n == "." || n == "..") continue;
    TDirEntry entry;
    entry.name = n;
    std::string full = JoinNative(folder.empty() ? "." : folder, n);
    struct stat st;
    if (lstat(full.c_str(), &st) == 0) {
      entry.link = S_ISLNK(st.st_mode);
      if (entry.link) {
        struct stat target;
        entry.folder = stat(full.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
      } else {
        entry.folder = S_ISDIR(st.st_mode);
      }
    }
    out.push_back(std::move(entry));
  }
  closedir(d);
  std::sort(out.begin(), out.end(),
            [](const TDirEntry& a, const TDirEntry& b) { return CompareFolded(a.name, b.name) < 0; });
  return true;
}

bool HasWildcard(std::string_view s) { return s.find_first_of("*?") != std::string_view::npos; }

bool FileWildMatch(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*" || pattern == "*") return true;
  const std::string p = sjis::ToUpper(pattern), s = sjis::ToUpper(name);
  size_t pi = 0, si = 0;
  size_t starP = std::string::npos, starS = 0;
  while (si < s.size()) {
    if (pi < p.size() && p[pi] == '?') {
      ++pi;
      si += sjis::CharLen(s, si);
    } else if (pi < p.size() && p[pi] == '*') {
      starP = ++pi;
      starS = si;
    } else if (pi < p.size() && sjis::CharLen(p, pi) == sjis::CharLen(s, si) &&
               p.compare(pi, sjis::CharLen(p, pi), s, si, sjis::CharLen(s, si)) == 0) {
      size_t len = sjis::CharLen(p, pi);
      pi += len;
      si += len;
    } else if (starP != std::string::npos) {
      pi = starP;
      starS += sjis::CharLen(s, starS);
      si = starS;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

bool IsSecurityIniNative(std::string_view native) {
  std::string_view base = NativeBaseName(native);
  if (base.size() != 12) return false;
  for (size_t i = 0; i < 12; ++i) {
    char c = base[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (c != "SECURITY.INI"[i]) return false;
  }
  return true;
}

bool CopyOneFile(const std::string& from, const std::string& to, std::string& reason) {
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    reason = Reason();
    return false;
  }
  struct stat src;
  if (fstat(in, &src) != 0 || S_ISDIR(src.st_mode)) {
    reason = "not a file";
    close(in);
    return false;
  }
  struct stat dst;
  if (stat(to.c_str(), &dst) == 0 && dst.st_dev == src.st_dev && dst.st_ino == src.st_ino) {
    reason = "the same file";
    close(in);
    return false;
  }
  int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, src.st_mode & 0777);
  if (out < 0) {
    reason = Reason();
    close(in);
    return false;
  }
  char buf[65536];
  bool ok = true;
  for (;;) {
    ssize_t got = read(in, buf, sizeof buf);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ok = false;
      break;
    }
    if (got == 0) break;
    if (!WriteAll(out, buf, static_cast<size_t>(got))) {
      ok = false;
      break;
    }
  }
  if (!ok) reason = Reason();
  close(in);
  if (close(out) != 0 && ok) {
    ok = false;
    reason = Reason();
  }
  return ok;
}

bool CopyTree(const std::string& from, const std::string& to, std::string& reason) {
  struct stat st;
  if (lstat(from.c_str(), &st) != 0) {
    reason = Reason();
    return false;
  }
  if (S_ISLNK(st.st_mode)) return ReplaceLink(from, to, reason);
  if (!S_ISDIR(st.st_mode)) {
    if (IsSecurityIniNative(to)) {
      reason = "security.ini";
      return false;
    }
    return CopyOneFile(from, to, reason);
  }
  const std::string absFrom = AbsolutePath(from), absTo = AbsolutePath(to);
  if (IsInsideFolder(absFrom, absTo)) {
    reason = "a folder cannot be copied into itself";
    return false;
  }
  if (mkdir(to.c_str(), (st.st_mode & 0777) | 0700) != 0 && !(errno == EEXIST && IsDirNoFollow(to))) {
    reason = Reason();
    return false;
  }
  std::vector<TDirEntry> entries;
  if (!ListFolder(from, entries)) {
    reason = Reason();
    return false;
  }
  bool ok = true;
  for (const auto& e : entries) {
    if (IsSecurityIniNative(e.name)) continue;
    if (!CopyTree(JoinNative(from, e.name), JoinNative(to, e.name), reason)) ok = false;
  }
  return ok;
}

bool RemoveTree(const std::string& path, std::string& reason) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) {
    reason = Reason();
    return false;
  }
  if (!S_ISDIR(st.st_mode)) {
    if (IsSecurityIniNative(path)) {
      reason = "security.ini";
      return false;
    }
    if (unlink(path.c_str()) != 0) {
      reason = Reason();
      return false;
    }
    return true;
  }
  std::vector<TDirEntry> entries;
  if (!ListFolder(path, entries)) {
    reason = Reason();
    return false;
  }
  bool ok = true;
  for (const auto& e : entries)
    if (!RemoveTree(JoinNative(path, e.name), reason)) ok = false;
  if (rmdir(path.c_str()) != 0) {
    if (ok) reason = Reason();
    return false;
  }
  return ok;
}

bool RenameNoReplace(const std::string& from, const std::string& to, std::string& reason) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) {
    reason = Reason();
    return false;
  }
  // a file system without the no-replace rename
  struct stat st;
  if (lstat(to.c_str(), &st) == 0) {
    errno = EEXIST;
    reason = Reason();
    return false;
  }
  if (lstat(from.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) {
    if (link(from.c_str(), to.c_str()) != 0) {
      reason = Reason();
      return false;
    }
    unlink(from.c_str());
    return true;
  }
  if (rename(from.c_str(), to.c_str()) != 0) {
    reason = Reason();
    return false;
  }
  return true;
}

bool MovePath(const std::string& from, const std::string& to, std::string& reason) {
  if (IsSecurityIniNative(from) || IsSecurityIniNative(to)) {
    reason = "security.ini";
    return false;
  }
  if (rename(from.c_str(), to.c_str()) == 0) return true;
  if (errno != EXDEV) {
    reason = Reason();
    return false;
  }
  if (!CopyTree(from, to, reason)) return false;
  return RemoveTree(from, reason);
}

bool MakeFolders(const std::string& path, std::string& reason) {
  if (path.empty()) {
    reason = "empty name";
    return false;
  }
  std::string cur;
  size_t i = 0;
  while (i <= path.size()) {
    size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    cur.assign(path, 0, j);
    if (!cur.empty() && cur != "/" && mkdir(cur.c_str(), 0777) != 0) {
      struct stat st;
      if (errno != EEXIST || stat(cur.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        if (errno == 0 || errno == EEXIST) errno = ENOTDIR;
        reason = Reason();
        return false;
      }
    }
    i = j + 1;
  }
  return true;
}

// ---- the trash ----

namespace {

// The device of the nearest existing folder of a path.
bool DeviceOfNearest(std::string path, dev_t& dev) {
  for (;;) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
      dev = st.st_dev;
      return true;
    }
    if (path == "/" || path == ".") return false;
    path = NativeDirName(path);
  }
}

bool MakePrivateFolder(const std::string& p) {
  if (mkdir(p.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st;
  return lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
}

std::string HomeTrash() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && *data == '/') return JoinNative(data, "Trash");
  const char* home = std::getenv("HOME");
  if (!home || !*home) return {};
  return JoinNative(home, ".local/share/Trash");
}

// The trash folder for a file on the device; empty when there is none.
std::string TrashFor(const std::string& absPath, dev_t dev) {
  std::string home = HomeTrash();
  dev_t homeDev;
  if (!home.empty() && DeviceOfNearest(home, homeDev) && homeDev == dev) {
    std::string why;
    if (MakeFolders(home, why)) return home;
  }
  // the top folder of the file's mount
  std::string top = NativeDirName(absPath);
  for (;;) {
    if (top == "/") break;
    std::string parent = NativeDirName(top);
    struct stat st;
    if (stat(parent.c_str(), &st) != 0 || st.st_dev != dev) break;
    top = parent;
  }
  const std::string uid = std::to_string(geteuid());
  std::string shared = JoinNative(top, ".Trash");
  struct stat st;
  if (lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
    std::string mine = JoinNative(shared, uid);
    if (MakePrivateFolder(mine)) return mine;
  }
  std::string own = JoinNative(top, ".Trash-" + uid);
  if (MakePrivateFolder(own)) return own;
  return {};
}

std::string DeletionDate() {
  time_t now = time(nullptr);
  struct tm tm;
  localtime_r(&now, &tm);
  char buf[80];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

}  // namespace

bool MoveToTrash(const std::string& path, std::string& reason, bool* deleted) {
  if (deleted) *deleted = false;
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) {
    reason = Reason();
    return false;
  }
  if (IsSecurityIniNative(path)) {
    reason = "security.ini";
    return false;
  }
  const std::string abs = AbsolutePath(path);
  std::string trash = TrashFor(abs, st.st_dev);
  dev_t trashDev;
  std::string why;
  if (trash.empty() || !DeviceOfNearest(trash, trashDev) || trashDev != st.st_dev ||
      !MakePrivateFolder(JoinNative(trash, "files")) || !MakePrivateFolder(JoinNative(trash, "info"))) {
    // no trash can take it: deleted for good, as without a recycle bin
    if (deleted) *deleted = true;
    return RemoveTree(path, reason);
  }
  const std::string base(NativeBaseName(abs));
  for (int k = 1; k < 10000; ++k) {
    std::string name = k == 1 ? base : base + "." + std::to_string(k);
    std::string info = JoinNative(trash, "info/" + name + ".trashinfo");
    std::string target = JoinNative(trash, "files/" + name);
    int fd = open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      reason = Reason();
      return false;
    }
    struct stat exists;
    if (lstat(target.c_str(), &exists) == 0) {
      close(fd);
      unlink(info.c_str());
      continue;
    }
    std::string text = "[Trash Info]\nPath=" + textops::PercentEncode(abs, "-_.!~*'()/") +
                       "\nDeletionDate=" + DeletionDate() + "\n";
    bool ok = WriteAll(fd, text.data(), text.size());
    if (close(fd) != 0) ok = false;
    if (ok && rename(path.c_str(), target.c_str()) == 0) return true;
    reason = Reason();
    unlink(info.c_str());
    return false;
  }
  reason = "no free name in the trash";
  return false;
}

}  // namespace tama::support
