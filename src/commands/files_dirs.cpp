// The file commands on folders and names: copying, moving, renaming,
// deleting, folders, attributes, shortcuts, the working folder, listings,
// questions about files and the path texts.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "commands/files.h"
#include "commands/files_internal.h"
#include "engine/files_state.h"
#include "engine/security.h"
#include "engine/tama.h"
#include "sjis/lcmap.h"
#include "sjis/sjis.h"
#include "support/fileops.h"
#include "support/number.h"
#include "support/path.h"

namespace tama::files {

namespace {

using support::NativePath;

std::string Reason() { return std::strerror(errno); }

bool IsFolder(const std::string& native) {
  struct stat st;
  return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The native paths a name stands for: the matching entries of its folder
// when its last part has wildcards, else the one path.
std::vector<std::string> Expand(TTamaBase& t, std::string_view name) {
  std::vector<std::string> out;
  std::string_view pattern = support::FileNamePart(name);
  if (!support::HasWildcard(pattern)) {
    out.push_back(NativePath(name));
    return out;
  }
  const std::string folder = NativePath(support::PathPart(name));
  std::vector<support::TDirEntry> entries;
  if (!support::ListFolder(folder, entries)) return out;
  for (const auto& e : entries)
    if (support::FileWildMatch(pattern, ProgramName(t, e.name))) out.push_back(support::JoinNative(folder, e.name));
  return out;
}

// Where copies or moves of the sources go: into the destination when it is
// a folder (or must be one), else the destination itself.
struct TPlan {
  std::vector<std::pair<std::string, std::string>> moves;  // native source, native destination
  std::string target;  // the destination as the question names it (program name)
  bool intoFolder = false;
};

TPlan PlanTransfer(TTamaBase& t, std::string_view source, std::string_view dest) {
  TPlan plan;
  std::vector<std::string> sources = Expand(t, source);
  const std::string destNative = NativePath(dest);
  plan.intoFolder = IsFolder(destNative) || support::EndsWithSeparator(dest) ||
                    support::HasWildcard(support::FileNamePart(source));
  for (const std::string& s : sources) {
    std::string to = plan.intoFolder ? support::JoinNative(destNative, support::NativeBaseName(s)) : destNative;
    plan.moves.emplace_back(s, std::move(to));
  }
  plan.target = plan.intoFolder && plan.moves.size() == 1 ? support::FromNativePath(plan.moves[0].second)
                                                          : std::string(dest);
  return plan;
}

// The name relative to the program folder when it is not absolute.
std::string FromProgramFolder(TTamaBase& t, std::string name) {
  if (!name.empty() && !support::IsAbsoluteName(name)) name = ProgramFolderName(t) + name;
  return name;
}

void ChangeWorkingFolder(TTamaBase& t, std::string_view command, std::string_view name) {
  if (chdir(NativePath(name).c_str()) != 0)
    t.Raise("\"" + std::string(command) + "\"で作業フォルダの変更に失敗。理由は、" + support::FromNativePath(Reason()));
}

std::string FormatTime(time_t when) {
  struct tm tm;
  localtime_r(&when, &tm);
  char buf[80];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

// The attribute bits of the platform: read-only 1, hidden 2, folder 16,
// archive 32 (every plain file); -1 for a missing file.
int AttributesOf(const std::string& native) {
  struct stat st;
  if (stat(native.c_str(), &st) != 0) return -1;
  int bits = 0;
  if (!(st.st_mode & S_IWUSR)) bits |= 1;
  std::string_view base = support::NativeBaseName(native);
  if (!base.empty() && base[0] == '.' && base != "." && base != "..") bits |= 2;
  if (S_ISDIR(st.st_mode))
    bits |= 16;
  else
    bits |= 32;
  return bits;
}

// The patterns of a listing argument, cut at ";".
std::vector<std::string_view> Patterns(std::string_view arg, bool stopAtEmpty) {
  std::vector<std::string_view> out;
  while (true) {
    size_t semi = arg.find(';');  // ";" is never the second byte of a character
    std::string_view piece = arg.substr(0, semi);
    if (piece.empty()) {
      if (stopAtEmpty) break;
    } else {
      out.push_back(piece);
    }
    if (semi == std::string_view::npos) break;
    arg.remove_prefix(semi + 1);
  }
  return out;
}

void WalkFolder(TTamaBase& t, const std::string& native, const std::string& shown, std::string_view pattern,
                bool folders, std::string& out) {
  std::vector<support::TDirEntry> entries;
  if (!support::ListFolder(native, entries)) return;
  std::vector<std::string> names;
  names.reserve(entries.size());
  for (const auto& e : entries) {
    names.push_back(ProgramName(t, e.name));
    if (e.folder == folders && support::FileWildMatch(pattern, names.back())) {
      out += shown;
      out += names.back();
      out += "\r\n";
    }
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    const auto& e = entries[i];
    if (!e.folder || e.link) continue;  // links to folders are listed, not entered
    WalkFolder(t, support::JoinNative(native.empty() ? "." : native, e.name), shown + names[i] + "/", pattern,
               folders, out);
  }
}

}  // namespace

// ---- copying, moving, deleting ----

// ファイルコピー: "?から" the source (packed copies and completion), "?へ" the destination.
void FileCopy(TTamaBase& t, int) {
  std::string dest = Stripped(t.PopArgValue());
  std::string source = ReadableFileName(t, Stripped(t.PopArgValue()));
  TPlan plan = PlanTransfer(t, source, dest);
  if (AskSecurity(t, plan.target, "\"" + source + "\"を,\"" + dest + "\"へコピーしますか？")) return;
  if (plan.moves.empty()) NoteFailure(t, "コピー", source, "no such file");
  std::string reason;
  if (plan.intoFolder && !plan.moves.empty() && !support::MakeFolders(NativePath(dest), reason))
    return NoteFailure(t, "コピー", dest, reason);
  for (const auto& [from, to] : plan.moves)
    if (!support::CopyTree(from, to, reason)) NoteFailure(t, "コピー", support::FromNativePath(from), reason);
}

// ファイル削除: to the trash; a relative name is taken from the program folder.
void FileSakujo(TTamaBase& t, int) {
  std::string name = FromProgramFolder(t, t.PopArgValue());
  if (name.empty()) return;
  if (AskSecurity(t, name, "ファイル\"" + name + "\"を、削除します。")) return;
  std::vector<std::string> targets = Expand(t, name);
  if (targets.empty()) NoteFailure(t, "削除", name, "no such file");
  for (const std::string& native : targets) {
    std::string reason;
    if (!support::MoveToTrash(native, reason)) NoteFailure(t, "削除", support::FromNativePath(native), reason);
  }
}

// ファイル完全削除: deleted for good. A relative name is the file of the
// working folder when there is one, else that of the program folder.
void FileKanzenSakujo(TTamaBase& t, int) {
  std::string name = t.PopArgValue();
  if (!name.empty() && !support::IsAbsoluteName(name)) {
    struct stat here;
    const std::string native = NativePath(name);
    name = lstat(native.c_str(), &here) == 0 ? support::FromNativePath(support::AbsolutePath(native))
                                             : FromProgramFolder(t, name);
  }
  if (name.empty()) return;
  if (AskSecurity(t, name, "ファイル\"" + name + "\"を、完全に削除します。")) return;
  const std::string native = NativePath(name);
  struct stat st;
  if (lstat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    errno = EISDIR;
    return NoteFailure(t, "削除", name, Reason());
  }
  if (unlink(native.c_str()) != 0) NoteFailure(t, "削除", name, Reason());
}

// ファイル名変更: "?から" the old name, "?へ" the new one; fails when the new name exists.
void FilemeiHenkou(TTamaBase& t, int) {
  std::string newName = t.PopArgValue();
  std::string oldName = t.PopArgValue();
  std::string text = "ファイル名\"" + oldName + "\"を、\r\n\"" + newName + "\"に、改名します。";
  if (AskSecurity(t, {oldName, newName}, text)) return;
  const std::string from = NativePath(oldName);
  std::string to = NativePath(newName);
  struct stat a, b;
  if (lstat(from.c_str(), &a) == 0 && lstat(to.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino) {
    // only the letter case changes
    to = support::ToNativePath(newName);
    if (rename(from.c_str(), to.c_str()) == 0) return;
  } else {
    std::string reason;
    if (support::RenameNoReplace(from, to, reason)) return;
  }
  throw std::runtime_error(ReadWriteMessage(oldName) + "ファイル名の変更");
}

// ファイル移動: "?から" the source (completed), "?へ" the destination (into it when it is a folder).
void FileIdou(TTamaBase& t, int) {
  std::string dest = Stripped(t.PopArgValue());
  std::string source = ResolveForChange(t, Stripped(t.PopArgValue()));
  TPlan plan = PlanTransfer(t, source, dest);
  if (AskSecurity(t, {source, plan.target}, "\"" + source + "\"を,\"" + dest + "\"へ移動しますか？")) return;
  if (plan.moves.empty()) NoteFailure(t, "移動", source, "no such file");
  std::string reason;
  if (plan.intoFolder && !plan.moves.empty() && !support::MakeFolders(NativePath(dest), reason))
    return NoteFailure(t, "移動", dest, reason);
  for (const auto& [from, to] : plan.moves) {
    // a folder replaces nothing; a file replaces a file of the same name
    if (IsFolder(to) && !IsFolder(from)) {
      errno = EISDIR;
      NoteFailure(t, "移動", support::FromNativePath(from), Reason());
      continue;
    }
    if (!support::MovePath(from, to, reason)) NoteFailure(t, "移動", support::FromNativePath(from), reason);
  }
}

// フォルダ作成: the folder and every missing parent.
void FolderSakusei(TTamaBase& t, int) {
  std::string name = Stripped(t.PopArgValue());
  if (name.empty()) t.Raise("\"フォルダ作成\"命令の引数に誤りがあります。引数を指定してください。");
  if (AskSecurity(t, name, "\"" + name + "\" にフォルダを作成します。")) return;
  std::string reason;
  if (!support::MakeFolders(NativePath(name), reason)) NoteFailure(t, "作成", name, reason);
}

// フォルダ削除: the folder with everything in it (or the matching entries).
void FolderSakujo(TTamaBase& t, int) {
  std::string name = Stripped(t.PopArgValue());
  if (name.empty()) return;
  if (AskSecurity(t, name, "フォルダ\"" + name + "\"を、削除します。")) return;
  std::string native = NativePath(name);
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  if (support::AbsolutePath(native) == "/") return NoteFailure(t, "削除", name, "the root folder is never deleted");
  std::vector<std::string> targets;
  if (support::HasWildcard(support::FileNamePart(name)))
    targets = Expand(t, name);
  else
    targets.push_back(native);
  for (const std::string& p : targets) {
    std::string reason;
    if (!support::RemoveTree(p, reason)) NoteFailure(t, "削除", support::FromNativePath(p), reason);
  }
}

// ファイル属性変更: "?を" the file, "?に" the attribute bits (only read-only can change here).
void FileZokuseiHenkou(TTamaBase& t, int) {
  std::string bitsText = t.PopArgValue();
  std::string name = ResolveForChange(t, t.PopArgValue());
  constexpr int32_t kNone = INT32_MIN;
  const int32_t bits = ReadInteger(bitsText, kNone);
  if (bits == kNone) return;
  if (AskSecurity(t, name, "\"" + name + "\"のファイル属性変更をしますか？")) return;
  const std::string native = NativePath(name);
  struct stat st;
  if (stat(native.c_str(), &st) != 0) return NoteFailure(t, "属性変更", name, Reason());
  mode_t mode = st.st_mode & 07777;
  mode = (bits & 1) ? (mode & ~static_cast<mode_t>(0222)) : (mode | S_IWUSR);
  if (chmod(native.c_str(), mode) != 0) NoteFailure(t, "属性変更", name, Reason());
}

// ショートカット作成: "?を" the target, "?へ" the shortcut (a link named like a ".lnk" file).
void ShortcutSakusei(TTamaBase& t, int) {
  std::string dest = Stripped(t.PopArgValue());
  std::string target = Stripped(ResolveFileName(t, t.PopArgValue()));
  if (support::EndsWithSeparator(dest)) dest += support::FileNamePart(target);
  std::string_view tail = std::string_view(dest).substr(dest.size() >= 4 ? dest.size() - 4 : 0);
  if (sjis::ToLower(tail) != ".lnk") dest = support::ChangeExtension(dest, ".lnk");
  if (AskSecurity(t, dest, "\"" + dest + "\"へショートカットを作成します。")) return;
  const std::string link = NativePath(dest);
  const std::string to = support::AbsolutePath(NativePath(target));
  struct stat st;
  if (lstat(link.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return NoteFailure(t, "ショートカット作成", dest, "a folder of that name exists");
    unlink(link.c_str());
  }
  if (symlink(to.c_str(), link.c_str()) != 0) NoteFailure(t, "ショートカット作成", dest, Reason());
}

// 作業フォルダ変更／作業ディレクトリ変更.
void SagyouFolderHenkou(TTamaBase& t, int) {
  std::string name = Stripped(t.PopArgValue());
  ChangeWorkingFolder(t, "作業フォルダ変更", name);
}

// 作業フォルダ／作業ディレクトリ: without an argument the working folder; with one, a change.
void SagyouFolder(TTamaBase& t, int) {
  if (t.omitted) {
    t.PopArgText();
    t.SetResultTagged(ProgramName(t, support::WorkingFolder()) + (support::WorkingFolder() == "/" ? "" : "/"), kTagString);
    return;
  }
  if (t.args.Empty()) return;
  std::string item = t.PopArgText();
  // an item left for the alias without a slot still carries its particle
  for (std::string_view p : {std::string_view("へ"), std::string_view("に")}) {
    if (item.size() > p.size() && item.compare(item.size() - p.size(), p.size(), p) == 0) {
      item.resize(item.size() - p.size());
      break;
    }
  }
  ChangeWorkingFolder(t, "作業フォルダ", Stripped(t.EvaluateText(item)));
}

// ---- listings and questions ----

// ファイル列挙／フォルダ列挙: the names of the matching files or folders.
void Rekkyo(TTamaBase& t, int id) {
  std::string arg = t.PopArgValue();
  if (arg.empty()) return;
  const bool folders = id == kCmdFolderRekkyo;
  std::string out;
  for (std::string_view pattern : Patterns(arg, true)) {
    std::string_view namePattern = support::FileNamePart(pattern);
    if (namePattern.empty()) namePattern = "*";
    std::vector<support::TDirEntry> entries;
    if (!support::ListFolder(NativePath(support::PathPart(pattern)), entries)) continue;
    for (const auto& e : entries) {
      if (e.folder != folders) continue;
      std::string name = ProgramName(t, e.name);
      if (!support::FileWildMatch(namePattern, name)) continue;
      out += name;
      out += "\r\n";
    }
  }
  t.SetResult(std::move(out), kTagString);
}

// 全ファイル列挙／全フォルダ列挙: the matching paths in the folder and all below it.
void ZenRekkyo(TTamaBase& t, int id) {
  std::string arg = Stripped(t.PopArgValue());
  if (arg.empty()) return;
  const bool folders = id == kCmdZenFolderRekkyo;
  std::string out;
  for (std::string_view piece : Patterns(arg, false)) {
    std::string_view folder = support::PathPart(piece);
    std::string_view pattern = support::FileNamePart(piece);
    if (pattern.empty()) pattern = "*";
    std::string native = NativePath(folder);
    std::string shown = native.empty() ? std::string() : ProgramName(t, native);
    if (!shown.empty() && shown.back() != '/') shown += '/';
    WalkFolder(t, native, shown, pattern, folders, out);
  }
  t.SetResultTagged(std::move(out), kTagString);
}

// ファイルか: "1" for an existing name that is not a folder.
void FileKa(TTamaBase& t, int) {
  std::string name = t.PopArgValue();
  struct stat st;
  const bool file = stat(NativePath(name).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
  t.SetResult(file ? "1" : "0", kTagNumber);
}

// 存在するか: a name ending in a separator is a folder, any other a file.
void SonzaiSuruKa(TTamaBase& t, int) {
  std::string name = Stripped(t.PopArgValue());
  struct stat st;
  bool exists = !name.empty() && stat(NativePath(name).c_str(), &st) == 0;
  if (exists) exists = support::EndsWithSeparator(name) ? S_ISDIR(st.st_mode) : !S_ISDIR(st.st_mode);
  t.SetResult(exists ? "1" : "0", kTagNumber);
}

// ファイル属性取得.
void FileZokuseiShutoku(TTamaBase& t, int) {
  std::string name = ResolveFileName(t, t.PopArgValue());
  t.SetResultTagged(std::to_string(AttributesOf(NativePath(name))), kTagNumber);
}

// ファイル日時／ファイルサイズ: of the first entry matching the name.
void FileNichijiSize(TTamaBase& t, int id) {
  std::string name = t.PopArgValue();
  std::vector<std::string> found = Expand(t, name);
  struct stat st;
  if (found.empty() || stat(found[0].c_str(), &st) != 0) RaiseReadWrite(t, name);
  if (id == kCmdFileNichiji)
    t.SetResultTagged(FormatTime(st.st_mtime), kTagString);
  else
    t.SetResultTagged(std::to_string(static_cast<long long>(st.st_size)), kTagString);
}

// 短いファイル名取得: there are no short forms here: the absolute name of an existing file.
void MijikaiFilemei(TTamaBase& t, int) {
  std::string name = ResolveFileName(t, t.PopArgValue());
  const std::string native = support::MatchCase(support::AbsolutePath(NativePath(name)));
  struct stat st;
  t.SetResultTagged(stat(native.c_str(), &st) == 0 ? ProgramName(t, native) : std::string(), kTagString);
}

// 長いファイル名取得: the absolute name, each existing part as the file system writes it.
void NagaiFilemei(TTamaBase& t, int) {
  std::string name = ResolveFileName(t, t.PopArgValue());
  t.SetResultTagged(ProgramName(t, support::MatchCase(support::AbsolutePath(support::ToNativePath(name)))), kTagString);
}

// パスを切り出す／ファイル名を切り出す／拡張子を切り出す.
void PathText(TTamaBase& t, int id) {
  std::string v = t.PopArgValue();
  std::string_view part = id == kCmdPathWoKiridasu       ? support::PathPart(v)
                          : id == kCmdFilemeiWoKiridasu ? support::FileNamePart(v)
                                                        : support::ExtensionPart(v);
  t.SetResultTagged(std::string(part), kTagString);
}

// 拡張子変更: "?を" the name, "?に" the new extension (with its ".").
void KakuchoushiHenkou(TTamaBase& t, int) {
  std::string ext = t.PopArgValue();
  std::string name = t.PopArgValue();
  t.SetResultTagged(support::ChangeExtension(name, ext), kTagString);
}

}  // namespace tama::files
