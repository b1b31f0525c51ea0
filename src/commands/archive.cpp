// The archive commands: 圧縮, 解凍 and 自己解凍書庫作成.
//
// The family of an archive comes from its name's extension. LHA archives
// are written by the run-time itself (support/lha_writer.h); every other
// family is read and written by the archive module (libtamakazu-archive.so,
// loaded on first use). An archive is built in a private temporary file in
// its own folder and renamed over the old one only when it is complete.
// Unpacking never writes outside the destination folder.
#include "commands/archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <set>
#include <stdexcept>

#include "commands/archive_backend.h"
#include "commands/files_internal.h"
#include "engine/files_state.h"
#include "engine/modules.h"
#include "engine/security.h"
#include "engine/tama.h"
#include "sjis/convert.h"
#include "sjis/sjis.h"
#include "support/archiver_options.h"
#include "support/fileops.h"
#include "support/lha_writer.h"
#include "support/lines.h"
#include "support/path.h"
#include "support/textops.h"

namespace tama {

namespace {

using support::TArchiverOptions;

enum TArchiverType { atLha, atZip, atCab, atArj, atTar, atTgz, atBZ2, atRar, atBga, atGCA, at7z, atNone };

class TArchiveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

TArchiverType TypeOfName(std::string_view name) {
  const std::string ext = textops::AsciiLower(support::ExtensionPart(name));
  if (ext == ".lzh") return atLha;
  if (ext == ".zip" || ext == ".jar") return atZip;
  if (ext == ".cab") return atCab;
  if (ext == ".arj") return atArj;
  if (ext == ".a" || ext == ".lib" || ext == ".tar" || ext == ".deb" || ext == ".rpm" || ext == ".cpio") return atTar;
  if (ext == ".z" || ext == ".gz" || ext == ".tgz" || ext == ".taz") return atTgz;
  if (ext == ".bz2") return atBZ2;
  if (ext == ".rar") return atRar;
  if (ext == ".gza" || ext == ".bza") return atBga;
  if (ext == ".gca") return atGCA;
  if (ext == ".7z") return at7z;
  return atNone;
}

const char* Description(TArchiverType type) {
  switch (type) {
    case atLha: return "LHA 形式書庫";
    case atZip: return "ZIP 形式書庫";
    case atCab: return "CAB 形式書庫";
    case atArj: return "ARJ 形式書庫";
    case atTar: case atTgz: case atBZ2: return "tar/tgz/taz/bz2 形式書庫";
    case atRar: return "RAR 形式書庫";
    case atBga: return "BGA 形式書庫";
    case at7z: return "7z 形式書庫";
    default: return "";
  }
}

[[noreturn]] void RaiseNoBackend(TArchiverType type, bool packing) {
  throw TArchiveError(std::string(Description(type)) + " を扱うには " + (packing ? "作成機能" : "展開機能") +
                      " が 必要です。");
}

// The type, or the error of a name no family is known for.
void CheckKnown(TArchiverType type) {
  if (type == atGCA) throw TArchiveError("書庫の形式を特定できませんでした。");
  if (type == atNone) throw TArchiveError("書庫の形式を判別できません。");
}

IArchiveBackend& Backend(TArchiverType type) {
  std::string why;
  IArchiveBackend* b = LoadModule<IArchiveBackend>("archive", why);
  if (!b)
    throw TArchiveError(std::string(Description(type)) + " を扱うには " + ModuleFileName("archive") + " が 必要です。");
  return *b;
}

std::string Native(std::string_view sjisName) { return support::AbsolutePath(support::NativePath(sjisName)); }

std::string LibraryText(const std::string& utf8) { return sjis::Utf8ToSjisLossy(utf8); }

bool IsFolder(const std::string& native) {
  struct stat st{};
  return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// ---- the file list ----

struct TListed {
  std::string name;    // as the list names it (Shift-JIS)
  std::string native;  // the file
};

bool HasWild(std::string_view s) { return s.find('*') != std::string_view::npos || s.find('?') != std::string_view::npos; }

// The files of one folder that match the pattern, and with `recurse` those of
// every folder below it.
void ListMatches(const std::string& folderName, const std::string& folderNative, const std::string& pattern,
                 bool hidden, bool recurse, std::vector<TListed>& out, int depth = 0) {
  const std::string folder = folderNative.empty() ? std::string(".") : folderNative;
  std::vector<support::TDirEntry> entries;
  if (depth > 64 || !support::ListFolder(folder, entries)) return;
  const char sep = folderName.find('/') != std::string::npos ? '/' : '\\';
  for (const auto& e : entries) {
    if (e.folder) continue;
    if (!hidden && !e.name.empty() && e.name[0] == '.') continue;
    const std::string name = support::FromNativePath(e.name);
    if (support::FileWildMatch(pattern, name)) out.push_back({folderName + name, support::JoinNative(folder, e.name)});
  }
  if (!recurse) return;
  for (const auto& e : entries) {
    if (!e.folder || e.link) continue;
    const std::string name = support::FromNativePath(e.name);
    ListMatches(folderName + name + sep, support::JoinNative(folder, e.name),
                pattern, hidden, recurse, out, depth + 1);
  }
}

// The expanded list: every line of the list relative to the base folder.
std::vector<TListed> ExpandList(const std::vector<std::string>& lines, const std::string& base,
                                const TArchiverOptions& o) {
  const int r = o.Get("r"), a = o.Get("a"), p = o.Get("p");
  std::vector<TListed> found;
  for (const auto& line : lines) {
    if (line.empty()) continue;
    const bool absolute = support::IsAbsoluteName(line);
    const std::string full = absolute ? line : base + line;
    std::string folder, pattern;
    if (r > 1 && IsFolder(Native(full))) {
      folder = line;
      if (!support::EndsWithSeparator(folder)) folder += line.find('/') != std::string::npos ? '/' : '\\';
      pattern = "*.*";
    } else {
      folder = std::string(support::PathPart(line));
      pattern = std::string(support::FileNamePart(line));
    }
    const std::string folderNative = Native(absolute ? folder : base + folder);
    const bool recurse = r > 0 && (p < 0 || HasWild(pattern));
    ListMatches(folder, folderNative, pattern, a > 0, recurse, found);
  }
  std::sort(found.begin(), found.end(), [](const TListed& x, const TListed& y) { return x.name < y.name; });
  found.erase(std::unique(found.begin(), found.end(), [](const TListed& x, const TListed& y) { return x.name == y.name; }),
              found.end());
  return found;
}

// A name as it is stored: "/" between folders, no drive or leading separator.
std::string StoredName(std::string name) {
  if (name.size() >= 2 && name[1] == ':' && !sjis::IsLead(name[0])) name.erase(0, 2);
  std::string s;
  for (size_t i = 0; i < name.size();) {
    const size_t n = sjis::CharLen(name, i);
    if (n == 1 && name[i] == '\\')
      s += '/';
    else
      s.append(name, i, n);
    i += n;
  }
  while (!s.empty() && s.front() == '/') s.erase(0, 1);
  return s;
}

// ---- the private temporary file beside the target ----

class TTempBeside {
 public:
  explicit TTempBeside(const std::string& target, const char* suffix = "") {
    std::string folder = support::NativeDirName(target);
    path_ = support::JoinNative(folder, ".tamakazu-XXXXXX") + suffix;
    fd_ = mkstemps(path_.data(), static_cast<int>(std::strlen(suffix)));
    if (fd_ < 0) throw TArchiveError(LibraryText(target + ": " + std::strerror(errno)));
  }
  ~TTempBeside() {
    if (fd_ >= 0) close(fd_);
    if (!kept_) unlink(path_.c_str());
  }
  TTempBeside(const TTempBeside&) = delete;
  TTempBeside& operator=(const TTempBeside&) = delete;
  const std::string& Path() const { return path_; }
  int Fd() const { return fd_; }
  // Gives the file the usual permissions and puts it in the target's place.
  void Commit(const std::string& target, mode_t mode) {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd_, mode & ~mask);
    close(fd_);
    fd_ = -1;
    if (rename(path_.c_str(), target.c_str()) != 0) throw TArchiveError(LibraryText(target + ": " + std::strerror(errno)));
    kept_ = true;
  }

 private:
  std::string path_;
  int fd_ = -1;
  bool kept_ = false;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Packs the files into the archive (program name). `line` receives the
// command line of the LHA form.
void PackFiles(const std::string& archive, const std::vector<std::string>& lines, const std::string& base,
               TArchiverOptions o, std::string& line) {
  const TArchiverType type = TypeOfName(archive);
  const std::string native = Native(archive);
  const std::vector<TListed> files = ExpandList(lines, base, o);
  o.Clear("r");
  o.Set("p", 1);
  o.jo.clear();
  o.job.clear();
  if (type == atLha) {
    std::vector<std::string> names;
    for (const auto& f : files) names.push_back(f.name);
    line = support::LhaCommandLine("u", o, archive, base, names);
  }
  if (type == atCab || type == atRar || type == atArj || type == atBga) RaiseNoBackend(type, true);
  const std::string ext = textops::AsciiLower(support::ExtensionPart(archive));
  if (ext == ".deb" || ext == ".rpm") RaiseNoBackend(type, true);
  CheckKnown(type);
  if (files.empty()) {
    // nothing to pack: no archive is made, and the old one is gone
    unlink(native.c_str());
    return;
  }
  TTempBeside temp(native);
  if (type == atLha) {
    std::vector<support::TLhaMember> members;
    for (const auto& f : files) {
      std::string data;
      if (!files::ReadWholeFile(f.native, data))
        throw TArchiveError(LibraryText(f.native + ": " + std::strerror(errno)));
      struct stat st{};
      stat(f.native.c_str(), &st);
      members.push_back({StoredName(f.name), std::move(data), static_cast<int64_t>(st.st_mtime)});
    }
    if (!WriteAll(temp.Fd(), support::LhaArchive(members)))
      throw TArchiveError(LibraryText(native + ": " + std::strerror(errno)));
  } else {
    std::string format = "tar", filter;
    const std::string lower = textops::AsciiLower(archive);
    auto endsWith = [&](const char* s) {
      const size_t n = std::strlen(s);
      return lower.size() >= n && lower.compare(lower.size() - n, n, s) == 0;
    };
    if (type == atZip) format = "zip";
    if (type == at7z) format = "7z";
    if (ext == ".a" || ext == ".lib") format = "ar";
    if (ext == ".cpio") format = "cpio";
    if (ext == ".gz" || ext == ".tgz") filter = "gzip";
    if (ext == ".z" || ext == ".taz") filter = "compress";
    if (ext == ".bz2") filter = "bzip2";
    if ((ext == ".gz" && !endsWith(".tar.gz")) || (ext == ".bz2" && !endsWith(".tar.bz2")))
      if (files.size() == 1) format = "raw";
    std::vector<TArchiveItem> items;
    for (const auto& f : files) items.push_back({f.native, sjis::SjisToUtf8(StoredName(f.name))});
    std::string why;
    if (!Backend(type).Pack(format, filter, temp.Path(), items, why)) throw TArchiveError(LibraryText(why));
  }
  temp.Commit(native, 0666);
}

// The lines of a file list, the base folder and the lines without it.
void ListAndBase(std::string_view list, std::vector<std::string>& lines, std::string& base) {
  lines.clear();
  for (auto& l : support::SplitLines(support::TrimControl(list))) lines.push_back(std::string(l));
  size_t longest = 0;
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].size() > lines[longest].size()) longest = i;
  base = lines.empty() ? std::string() : std::string(support::PathPart(lines[longest]));
  if (base.empty()) return;
  for (auto& l : lines)
    if (l.compare(0, base.size(), base) == 0) l.erase(0, base.size());
}

std::string WithLzh(std::string name) {
  if (support::ExtensionPart(name).empty()) name += ".lzh";
  return name;
}

// 圧縮 after its confirmation.
void Pack(TTamaBase& t, const std::string& archive, std::string_view list) {
  const std::string word = t.QuickWord("圧縮オプション").Value();
  std::string line;
  try {
    std::vector<std::string> lines;
    std::string base;
    ListAndBase(list, lines, base);
    TArchiverOptions o;
    support::ParseArchiverOptions(word, o);
    o.Set("x", 1);
    o.Set("jso", 1);
    PackFiles(archive, lines, base, o, line);
  } catch (const TArchiveError& e) {
    throw std::runtime_error("ファイル圧縮のエラー。コマンドライン=\"" + line + "\"。オプション=\"" + word + "\"。" +
                             e.what());
  }
}

void Asshuku(TTamaBase& t, int) {
  const std::string archive = WithLzh(t.PopArgValue());
  const std::string list = t.PopArgValue();
  if (AskSecurity(t, archive, "\"" + archive + "\"へ圧縮します。")) return;
  Pack(t, archive, list);
}

// The type of an archive to read: ".exe" by what the file holds.
TArchiverType ReadType(const std::string& archive, const std::string& native) {
  TArchiverType type = TypeOfName(archive);
  if (type == atNone && textops::AsciiLower(support::ExtensionPart(archive)) == ".exe") {
    IArchiveBackend& b = Backend(atLha);
    static const std::pair<const char*, TArchiverType> kOrder[] = {
        {"lha", atLha}, {"cab", atCab}, {"zip", atZip}, {"rar", atRar}, {"tar", atTar}};
    for (const auto& [family, t] : kOrder)
      if (b.IsFamily(native, family)) return t;
  }
  CheckKnown(type);
  if (type == atArj || type == atBga) RaiseNoBackend(type, false);
  return type;
}

void Kaitou(TTamaBase& t, int) {
  const std::string dest = t.PopArgValue();
  const std::string archive = WithLzh(t.PopArgValue());
  if (AskSecurity(t, dest, "\"" + dest + "\"へ解凍します。")) return;
  const std::string word = t.QuickWord("解凍オプション").Value();
  try {
    TArchiverOptions o;
    support::ParseArchiverOptions(word, o);
    o.Set("jse", 1);
    o.Set("jso", 1);
    const std::string native = Native(archive);
    const TArchiverType type = ReadType(archive, native);
    IArchiveBackend& b = Backend(type);
    const std::string folder = Native(dest.empty() ? std::string(".") : dest);
    std::string reason;
    if (!support::MakeFolders(folder, reason)) throw TArchiveError(LibraryText(folder + ": " + reason));
    // a file compressed alone is named after the archive without its extension
    std::string raw = std::string(support::NativeBaseName(native));
    const size_t dot = raw.rfind('.');
    if (dot != std::string::npos && dot > 0) raw.resize(dot);
    int refused = 0;
    std::string why;
    if (!b.Unpack(native, folder, o.Get("x") != 0, raw, refused, why)) throw TArchiveError(LibraryText(why));
    if (refused > 0) throw TArchiveError("書庫の中に解凍先の外を指す名前があります。");
  } catch (const TArchiveError& e) {
    throw std::runtime_error("解凍のエラー。解凍先\"" + dest + "\"、解凍元\"" + archive + "\"。オプション=\"" + word +
                             "\"。" + e.what());
  }
}

// The program that unpacks what follows it: a shell script, then a
// gzip-compressed tar after its marker line.
const char kStub[] =
    "#!/bin/sh\n"
    "# A self-extracting archive: the files after the marker line are a\n"
    "# gzip-compressed tar, unpacked into the current folder.\n"
    "set -e\n"
    "me=$0\n"
    "line=$(awk '/^__TAMAKAZU_ARCHIVE__$/ { print NR + 1; exit 0 }' \"$me\")\n"
    "[ -n \"$line\" ] || { echo \"$me: no archive inside\" >&2; exit 1; }\n"
    "tail -n +\"$line\" \"$me\" | tar -tzf - | while IFS= read -r n; do\n"
    "  case \"$n\" in\n"
    "    /*|..|../*|*/..|*/../*) echo \"$me: a name outside the folder: $n\" >&2; exit 1 ;;\n"
    "  esac\n"
    "done\n"
    "tail -n +\"$line\" \"$me\" | tar -xzf - --no-same-owner --no-same-permissions\n"
    "exit 0\n"
    "__TAMAKAZU_ARCHIVE__\n";

void JikoKaitouShokoSakusei(TTamaBase& t, int) {
  const std::string program = t.PopArgValue();
  std::string source = t.PopArgValue();
  if (AskSecurity(t, program, "\"" + program + "\"へ自己解凍書庫を作成します。")) return;
  std::string tempArchive;
  struct TRemove {
    std::string* path;
    ~TRemove() {
      if (!path->empty()) unlink(path->c_str());
    }
  } removeTemp{&tempArchive};
  try {
    if (textops::AsciiLower(support::ExtensionPart(source)) != ".lzh") {
      // a file list: packed into a private temporary archive first
      std::string templ = PrivateTempFolder(t) + "sfx-XXXXXX.lzh";
      std::vector<char> buf(templ.begin(), templ.end());
      buf.push_back(0);
      const int fd = mkstemps(buf.data(), 4);
      if (fd < 0) throw TArchiveError(LibraryText(templ + ": " + std::strerror(errno)));
      close(fd);
      tempArchive = buf.data();
      const std::string tempName = support::FromNativePath(tempArchive);
      if (AskSecurity(t, tempName, "\"" + tempName + "\"へ圧縮します。")) return;
      Pack(t, tempName, source);
      source = tempName;
    }
    TArchiverOptions o;
    support::ParseArchiverOptions(t.QuickWord("自己解凍書庫オプション").Value(), o);
    o.Set("jso", 1);
    const std::string native = Native(source);
    IArchiveBackend& b = Backend(atLha);
    // the program beside the archive: the first 8 characters of its name
    std::string stem(support::FileNamePart(source));
    const std::string_view ext = support::ExtensionPart(stem);
    stem.resize(stem.size() - ext.size());
    const std::string madeName =
        std::string(support::PathPart(source)) + std::string(textops::LeftChars(stem, 8)) + ".exe";
    const std::string made = Native(madeName);
    {
      TTempBeside payload(made, ".tgz");
      std::string why;
      if (!b.ToTarGz(native, payload.Path(), why)) throw TArchiveError(LibraryText(why));
      std::string bytes;
      if (!files::ReadWholeFile(payload.Path(), bytes))
        throw TArchiveError(LibraryText(payload.Path() + ": " + std::strerror(errno)));
      TTempBeside out(made);
      if (!WriteAll(out.Fd(), kStub) || !WriteAll(out.Fd(), bytes))
        throw TArchiveError(LibraryText(made + ": " + std::strerror(errno)));
      out.Commit(made, 0777);
    }
    const std::string target = Native(program);
    if (made != target) {
      if (rename(made.c_str(), target.c_str()) != 0) {
        std::string reason;
        if (!support::CopyOneFile(made, target, reason)) throw TArchiveError(LibraryText(target + ": " + reason));
      }
      unlink(made.c_str());
    }
  } catch (const TArchiveError& e) {
    throw std::runtime_error(e.what());
  }
}

}  // namespace

static const TCommandDef kDefs[] = {
    {"圧縮", "?を,?へ", kCmdAsshuku, Asshuku},
    {"解凍", "?を,?へ", kCmdKaitou, Kaitou},
    {"自己解凍書庫作成", "?を,?へ", kCmdJikoKaitouShokoSakusei, JikoKaitouShokoSakusei},
};

static const TCommandFamily kFamily = {"archive", kDefs, std::size(kDefs)};

const TCommandFamily& ArchiveFamily() { return kFamily; }

}  // namespace tama
