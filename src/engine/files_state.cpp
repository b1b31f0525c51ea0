#include "engine/files_state.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "engine/security.h"
#include "engine/tama.h"
#include "sjis/sjis.h"
#include "support/fileops.h"
#include "support/path.h"

namespace tama {

namespace {

bool IsFileNotFolder(const std::string& native) {
  struct stat st;
  return !native.empty() && stat(native.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::string WithSlash(std::string s) {
  if (s.empty() || s.back() != '/') s += '/';
  return s;
}

// The first of the folders (program names ending in a separator, or empty
// for the working folder) in which the name is an existing file.
std::string FirstExisting(std::string_view name, std::initializer_list<std::string> folders) {
  for (const std::string& folder : folders) {
    std::string candidate = folder + std::string(name);
    if (IsFileNotFolder(support::NativePath(candidate))) return candidate;
  }
  return std::string(name);
}

}  // namespace

TFileState::~TFileState() {
  handles.clear();
  sharedBlocks.clear();
  reader.reset();
  for (const std::string& f : extracted) unlink(f.c_str());
  if (!ownedContainer.empty()) unlink(ownedContainer.c_str());
  if (!tempFolder.empty()) {
    std::string reason;
    support::RemoveTree(tempFolder.substr(0, tempFolder.size() - 1), reason);
  }
}

TFileState& Files(TTamaBase& t) {
  if (!t.fileState) t.fileState = std::make_shared<TFileState>();
  return *t.fileState;
}

const std::string& PrivateTempFolder(TTamaBase& t) {
  TFileState& fs = Files(t);
  if (fs.tempFolder.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = support::JoinNative(tmp && *tmp ? tmp : "/tmp", "tamakazu-XXXXXX");
    if (!mkdtemp(folder.data())) throw std::runtime_error("一時フォルダを作成できません。");
    fs.tempFolder = WithSlash(std::move(folder));
  }
  return fs.tempFolder;
}

const std::string& ProgramFolderReal(TTamaBase& t) {
  TFileState& fs = Files(t);
  if (fs.programFolderReal.empty()) {
    std::string folder = t.programFolder.empty() ? std::string(".") : support::NativePath(t.programFolder);
    fs.programFolderReal = WithSlash(support::RealPathOfExistingPart(support::AbsolutePath(folder)));
  }
  return fs.programFolderReal;
}

std::string ProgramFolderName(TTamaBase& t) { return support::FromNativePath(ProgramFolderReal(t)); }

std::string ResolveFileName(TTamaBase& t, std::string_view name) {
  if (name.empty() || support::IsAbsoluteName(name) || name.find(':') != std::string_view::npos)
    return std::string(name);
  return FirstExisting(name, {std::string(), ProgramFolderName(t), std::string(support::PathPart(t.runtimePath)),
                              std::string(support::PathPart(t.programFileName))});
}

std::string ResolveForChange(TTamaBase& t, std::string_view name) {
  if (name.empty() || support::IsAbsoluteName(name) || name.find(':') != std::string_view::npos)
    return std::string(name);
  return FirstExisting(name, {std::string(), ProgramFolderName(t)});
}

std::string ExtractPackedFile(TTamaBase& t, std::string_view name) {
  if (!t.fileState || !t.fileState->reader || name.empty()) return {};
  TFileState& fs = *t.fileState;
  std::string entry(name);
  const support::TFileMixEntry* found = fs.reader->Find(entry);
  if (!found) {
    // a name written with "/" finds the entry stored with "\"
    std::string alt;
    for (size_t i = 0; i < entry.size(); i += sjis::CharLen(entry, i)) {
      if (entry[i] == '/')
        alt += '\\';
      else
        alt.append(entry, i, sjis::CharLen(entry, i));
    }
    if (alt == entry || !(found = fs.reader->Find(alt))) return {};
  }
  // the stored name: every spelling of the entry gives one copy
  entry = found->name;
  // one component inside the private folder: every separator becomes "__"
  std::string flat;
  for (size_t i = 0; i < entry.size(); i += sjis::CharLen(entry, i)) {
    char c = entry[i];
    if (c == ':' || c == '\\' || c == '/')
      flat += "__";
    else if (c != '\0')
      flat.append(entry, i, sjis::CharLen(entry, i));
  }
  if (flat.empty() || flat == "." || flat == "..") flat = "_" + flat;
  const std::string native = PrivateTempFolder(t) + support::ToNativePath(flat);
  const std::string result = support::FromNativePath(native);
  struct stat st;
  if (lstat(native.c_str(), &st) == 0) return result;
  if (AskSecurity(t, result, "\"" + std::string(name) + "\"を、一時フォルダへ展開します。")) return {};
  if (!fs.reader->ExtractToFile(entry, native))
    t.Raise("実行ファイルに梱包されている\"" + std::string(name) + "\"の展開に失敗しました。");
  fs.extracted.push_back(native);
  return result;
}

std::string ReadableFileName(TTamaBase& t, std::string_view name) {
  std::string packed = ExtractPackedFile(t, name);
  if (!packed.empty()) return packed;
  return ResolveFileName(t, name);
}

}  // namespace tama
