// The system and desktop commands: the registration table, and the commands
// on the registry, INI files, folders, drive types and the clipboard.
//
// The registry is the user's own store (support/registry.h): one file under
// $XDG_CONFIG_HOME/tamakazu/. レジストリ開く only names a key; the key is made
// by the first write to it, after the security question, so opening a key
// that does not exist changes nothing.
#include "commands/system.h"

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "commands/files_internal.h"
#include "commands/system_internal.h"
#include "engine/security.h"
#include "engine/tama.h"
#include "sjis/sjis.h"
#include "support/ini.h"
#include "support/lines.h"
#include "support/number.h"
#include "support/path.h"

namespace tama {

TSystemState& SystemState(TTamaBase& t) {
  if (!t.systemState) t.systemState = std::make_shared<TSystemState>();
  return *t.systemState;
}

std::string ArgumentErrorMessage(std::string_view command) {
  return "\"" + std::string(command) + "\"命令の引数に誤りがあります。";
}

support::TRegistryFile& RegistryStore(TTamaBase& t) {
  TSystemState& s = SystemState(t);
  if (!s.registry) s.registry = std::make_unique<support::TRegistryFile>(support::TRegistryFile::DefaultPath());
  if (!s.registry->Load()) {
    const std::string name = support::FromNativePath(s.registry->Path());
    // failures of the store reach the program through the wrap of the commands
    if (s.registry->Corrupt()) throw std::runtime_error("レジストリファイル\"" + name + "\"が壊れています。");
    throw std::runtime_error("レジストリファイル\"" + name + "\"が読めません。");
  }
  return *s.registry;
}

namespace sys {

namespace {

std::string Trimmed(std::string_view s) { return std::string(TrimControl(s)); }

// ---- the registry ----

// The open key's path in the store; raises when no key is open.
std::string OpenKey(TTamaBase& t) {
  TSystemState& s = SystemState(t);
  if (!s.registryOpen) t.Raise("レジストリが開かれていません。");
  return support::RegJoin(support::RegRootName(s.registryRoot), s.registryKey);
}

const std::string& OpenKeyName(TTamaBase& t) { return SystemState(t).registryKey; }

std::string WriteQuestion(TTamaBase& t, std::string_view name, std::string_view data) {
  return "レジストリ\"" + OpenKeyName(t) + "\"の,\"" + std::string(name) + "\"に,\r\n" + std::string(data) +
         "\"が書き込まれます。よろしいですか？";
}

template <class F>
void ChangeRegistry(TTamaBase& t, F&& change) {
  support::TRegistryFile& store = RegistryStore(t);
  if (!store.Change(std::forward<F>(change)))
    throw std::runtime_error("レジストリファイル\"" + support::FromNativePath(store.Path()) + "\"に書き込めません。");
}

[[noreturn]] void RaiseUnreadable(TTamaBase& t, std::string_view name) {
  throw std::runtime_error("レジストリの値\"" + std::string(name) + "\"が読めません。");
}

// A count of bytes: a number, truncated, in 0 ... 2147483647.
int64_t ByteCount(TTamaBase& t, long double c, std::string_view command) {
  long double v = std::trunc(c);
  if (!(v >= 0 && v <= 2147483647.0L)) t.Raise(ArgumentErrorMessage(command));
  return static_cast<int64_t>(v);
}

void RegistryHiraku(TTamaBase& t, int) {
  std::string key = t.PopArgValue();
  std::string root = Trimmed(t.PopArgValue());
  TSystemState& s = SystemState(t);
  const std::string_view command = "レジストリ開く";
  try {
    if (root.empty() || root.size() > 9) t.Raise(ArgumentErrorMessage(command));
    int r = 0;
    for (char c : root) {
      if (!sjis::IsDigit(c)) t.Raise(ArgumentErrorMessage(command));
      r = r * 10 + (c - '0');
    }
    if (support::RegRootName(r).empty()) t.Raise(ArgumentErrorMessage(command));
    RegistryStore(t);  // a broken store fails here
    s.registryOpen = true;
    s.registryRoot = r;
    s.registryKey = support::RegJoin("", key);
  } catch (const std::exception&) {
    s.registryOpen = false;
    throw;
  }
}

void RegistryTojiru(TTamaBase& t, int) { SystemState(t).registryOpen = false; }

void RegistryYomu(TTamaBase& t, int) {
  std::string name = t.PopArgValue();
  const std::string key = OpenKey(t);
  const support::TRegValue* v = RegistryStore(t).Store().Value(key, name);
  if (!v || v->type != support::TRegType::kText) RaiseUnreadable(t, name);
  std::string text = v->data;
  if (text.empty()) {
    t.Sore().SetValue(std::string());
    return;
  }
  const bool number = text[0] == '$' || sjis::IsDigit(text[0]);
  t.SetResultTagged(std::move(text), number ? kTagNumber : kTagString);
}

void RegistryKaku(TTamaBase& t, int) {
  std::string name = t.PopArgValue();
  const std::string key = OpenKey(t);
  std::string value = t.Sore().Value();
  if (AskSecurity(t, "*", WriteQuestion(t, name, value))) return;
  ChangeRegistry(t, [&](support::TRegistry& r) { r.SetText(key, name, value); });
}

void RegistryBinaryYomu(TTamaBase& t, int) {
  long double count = t.PopArgNumber();
  std::string name = t.PopArgValue();
  const std::string key = OpenKey(t);
  ByteCount(t, count, "レジストリのバイナリを読む");
  const support::TRegValue* v = RegistryStore(t).Store().Value(key, name);
  std::string bytes;
  if (v) {
    // one byte more than the data, as the command always gave; it is zero
    bytes = v->data;
    bytes += '\0';
  }
  t.SetResultTagged(std::move(bytes), kTagString);
}

void RegistryBinaryKaku(TTamaBase& t, int) {
  long double count = t.PopArgNumber();
  std::string name = t.PopArgValue();
  std::string data = t.PopArgValue();
  const std::string key = OpenKey(t);
  const int64_t c = ByteCount(t, count, "レジストリにバイナリを書く");
  if (AskSecurity(t, "*", WriteQuestion(t, name, data))) return;
  if (data.empty()) data.assign(1, '\0');
  // never more than the data holds
  if (static_cast<uint64_t>(c) < data.size()) data.resize(static_cast<size_t>(c));
  ChangeRegistry(t, [&](support::TRegistry& r) { r.SetBinary(key, name, data); });
}

void RegistryDwordYomu(TTamaBase& t, int) {
  std::string name = t.PopArgValue();
  const std::string key = OpenKey(t);
  const support::TRegValue* v = RegistryStore(t).Store().Value(key, name);
  if (!v || v->type != support::TRegType::kDword) RaiseUnreadable(t, name);
  t.SetResultTagged(FormatInteger(static_cast<int32_t>(v->Dword())), kTagNumber);
}

void RegistryDwordKaku(TTamaBase& t, int) {
  std::string name = t.PopArgValue();
  long double number = t.PopArgNumber();
  const std::string key = OpenKey(t);
  const int64_t v = ByteCount(t, number, "レジストリにDWORDを書く");
  if (AskSecurity(t, "*", WriteQuestion(t, name, FormatInteger(v)))) return;
  ChangeRegistry(t, [&](support::TRegistry& r) { r.SetDword(key, name, static_cast<uint32_t>(v)); });
}

void RegistryAtaiSakujo(TTamaBase& t, int) {
  std::string name = t.PopArgValue();
  const std::string key = OpenKey(t);
  if (AskSecurity(t, "*",
                  "レジストリ\"" + OpenKeyName(t) + "\"の,\"" + name + "\"の値が,削除されます。よろしいですか？"))
    return;
  bool done = false;
  ChangeRegistry(t, [&](support::TRegistry& r) { done = r.DeleteValue(key, name); });
  if (!done) t.Raise("\"" + name + "\"が削除できません。");
}

void RegistryKeySakujo(TTamaBase& t, int) {
  std::string name = t.PopArgValue();
  const std::string key = OpenKey(t);
  if (AskSecurity(t, "*",
                  "レジストリ\"" + OpenKeyName(t) + "\"の,\"" + name + "\"キーが,削除されます。よろしいですか？"))
    return;
  bool done = false;
  const std::string sub = support::RegJoin("", name);
  ChangeRegistry(t, [&](support::TRegistry& r) { done = !sub.empty() && r.DeleteKey(key + "\\" + sub); });
  if (!done) t.Raise("\"" + name + "\"が削除できません。");
}

void RegistrySubkeyShutoku(TTamaBase& t, int) {
  const std::string key = OpenKey(t);
  std::string out;
  for (const auto& name : RegistryStore(t).Store().SubKeys(key)) out += name + "\r\n";
  t.SetResultTagged(Trimmed(out), kTagString);
}

// ---- INI files ----

std::string IniWriteFailure(std::string_view file, std::string_view key, std::string_view section) {
  return "INIファイル書き込みに失敗。ファイル名=" + std::string(file) + " キー名=" + std::string(key) +
         " セクション=" + std::string(section);
}

bool RefusesEverything(TTamaBase& t) {
  if (t.securityLevel < 0) LoadSecurityLevel(t);
  return t.securityLevel >= 2;
}

const std::string& OpenIni(TTamaBase& t, std::string_view command) {
  TSystemState& s = SystemState(t);
  if (!s.iniOpen) t.Raise("\"" + std::string(command) + "\"予めINIファイルを開いておく必要があります。");
  return s.iniFile;
}

void IniFileHiraku(TTamaBase& t, int) {
  std::string f = t.PopArgValue();
  if (!support::IsAbsoluteName(f)) {
    std::string folder = support::FromNativePath(support::WorkingFolder());
    if (!support::EndsWithSeparator(folder)) folder += '/';
    f = folder + f;
  }
  const std::string native = support::NativePath(f);
  struct stat st;
  if (stat(native.c_str(), &st) != 0) {
    if (AskSecurity(t, f, "設定ファイル\"" + f + "\"を作成します。")) return;
  } else if (S_ISDIR(st.st_mode)) {
    files::RaiseReadWrite(t, f);
  }
  TSystemState& s = SystemState(t);
  s.iniOpen = true;
  s.iniFile = f;
}

void IniFileTojiru(TTamaBase& t, int) {
  TSystemState& s = SystemState(t);
  s.iniOpen = false;
  s.iniFile.clear();
}

void IniFileKaku(TTamaBase& t, int) {
  std::string key = t.PopArgValue();
  std::string section = t.PopArgValue();
  std::string value = t.PopArgValue();
  if (RefusesEverything(t)) return;
  const std::string file = OpenIni(t, "INIファイル書く");
  if (AskSecurity(t, file, "設定ファイル\"" + file + "\"にある[" + section + "]の\"" + key + "\"に値を書き込みます。"))
    return;
  if (support::WriteIniFile(support::NativePath(file), section, {{key, value}}) != support::TIniWrite::kDone)
    t.Raise(IniWriteFailure(file, key, section));
}

void IniFileYomu(TTamaBase& t, int) {
  std::string key = t.PopArgValue();
  std::string section = t.PopArgValue();
  THashNodeRef var = t.PopWordArgRef(true);
  if (RefusesEverything(t)) {
    t.Sore().SetValue(std::string());
    return;
  }
  const std::string file = OpenIni(t, "INIファイル読む");
  support::TIniText ini;
  if (support::LoadIniFile(support::NativePath(file), ini) == support::TIniLoad::kFailed)
    t.Raise(IniWriteFailure(file, key, section));
  std::string value;
  if (!ini.Read(section, key, value)) value.clear();
  var->SetValue(value);
  var->Tag = kTagString;
  t.curTag = kTagString;
}

// ---- folders, drives, the clipboard ----

void FolderKa(TTamaBase& t, int) {
  std::string p = Trimmed(t.PopArgValue());
  struct stat st;
  const bool folder = !p.empty() && stat(support::NativePath(p).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  t.Sore().SetValue(folder ? "1" : "0");
}

// A mount-table field with its octal escapes ("\040") undone.
std::string Unescaped(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      int v = 0;
      bool ok = true;
      for (size_t k = 1; k <= 3; ++k) {
        char c = field[i + k];
        if (c < '0' || c > '7') ok = false;
        v = v * 8 + (c - '0');
      }
      if (ok) {
        out += static_cast<char>(v);
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

// The file-system type of the mount that holds the (real, absolute) path:
// the one with the longest mount point above it.
std::string MountType(const std::string& real) {
  std::ifstream in("/proc/self/mountinfo");
  std::string line, best, bestType;
  bool found = false;
  while (std::getline(in, line)) {
    // id parent major:minor root mount-point options [optional...] - type source super
    std::vector<std::string_view> f;
    std::string_view l = line;
    while (!l.empty()) {
      size_t sp = l.find(' ');
      f.push_back(l.substr(0, sp));
      if (sp == std::string_view::npos) break;
      l.remove_prefix(sp + 1);
    }
    if (f.size() < 7) continue;
    size_t dash = 6;
    while (dash < f.size() && f[dash] != "-") ++dash;
    if (dash + 1 >= f.size()) continue;
    std::string point = Unescaped(f[4]);
    if (!support::IsInsideFolder(point, real)) continue;
    if (!found || point.size() >= best.size()) {
      best = point;
      bestType = std::string(f[dash + 1]);
      found = true;
    }
  }
  return bestType;
}

bool RemovableDevice(dev_t dev) {
  const std::string base = "/sys/dev/block/" + std::to_string(major(dev)) + ":" + std::to_string(minor(dev));
  for (const char* rel : {"/removable", "/../removable"}) {
    std::ifstream in(base + rel);
    int v = 0;
    if (in >> v) return v == 1;
  }
  return false;
}

std::string DriveType(const std::string& native) {
  struct stat st;
  if (stat(native.c_str(), &st) != 0) return "存在しない";
  struct statfs sf;
  if (statfs(native.c_str(), &sf) != 0) return "判別不能";
  char buf[PATH_MAX];
  const std::string real = realpath(native.c_str(), buf) ? std::string(buf) : native;
  std::string type = MountType(real);
  switch (static_cast<unsigned long>(sf.f_type)) {
    case 0x01021994: type = "tmpfs"; break;  // tmpfs
    case 0x858458f6: type = "ramfs"; break;
    case 0x9660: type = "iso9660"; break;
    case 0x15013346: type = "udf"; break;
    default: break;
  }
  if (type == "tmpfs" || type == "ramfs") return "RAMディスク";
  if (type == "iso9660" || type == "udf") return "CD-ROM";
  static const char* const kRemote[] = {"nfs",       "nfs4", "cifs", "smb3", "smbfs", "9p",
                                        "fuse.sshfs", "afs",  "ceph", "glusterfs", "fuse.glusterfs", "davfs"};
  for (const char* r : kRemote)
    if (type == r) return "リモート";
  if (RemovableDevice(st.st_dev)) return "リムーバブルディスク";
  return "固定";
}

void DriveShuruiHantei(TTamaBase& t, int) {
  std::string d = Trimmed(t.PopArgValue());
  // a drive letter alone names its root
  if (d.size() == 1 && ((d[0] >= 'A' && d[0] <= 'Z') || (d[0] >= 'a' && d[0] <= 'z'))) d += ":\\";
  std::string type = d.empty() ? std::string("存在しない") : DriveType(support::NativePath(d));
  t.SetResultTagged(std::move(type), kTagString);
}

void ClipboardShutoku(TTamaBase& t, int) { t.SetResultTagged(t.host.ClipboardText(), kTagString); }

}  // namespace

}  // namespace sys

static const TCommandDef kDefs[] = {
    {"起動", "?を", kCmdKidou, sys::Kidou},
    {"アクティブ", "?を", kCmdActive, sys::Active},
    {"キー送信", "?に,?を", kCmdKeySoushin, sys::KeySoushin},
    {"フォルダか", "?が", kCmdFolderKa, sys::FolderKa},
    {"起動して終了まで待機", "?を", kCmdKidouShiteShuuryouMadeTaiki, sys::KidouShiteMatsu},
    {"レジストリ読む", "?を", kCmdRegistryYomu, sys::RegistryYomu},
    {"レジストリ書く", "?に", kCmdRegistryKaku, sys::RegistryKaku},
    {"レジストリ開く", "?の,?を", kCmdRegistryHiraku, sys::RegistryHiraku},
    {"レジストリ閉じる", "", kCmdRegistryTojiru, sys::RegistryTojiru},
    {"レジストリ値削除", "?を", kCmdRegistryAtaiSakujo, sys::RegistryAtaiSakujo},
    {"レジストリキー削除", "?を", kCmdRegistryKeySakujo, sys::RegistryKeySakujo},
    {"ウインドウ列挙", "", kCmdWindowRekkyo, sys::WindowRekkyo},
    {"ウィンドウ列挙", "", kCmdWindowRekkyo, sys::WindowRekkyo},
    {"エクスプローラーで開く", "?を", kCmdExplorerDeHiraku, sys::ExplorerDeHiraku},
    {"INIファイル開く", "?の", kCmdIniFileHiraku, sys::IniFileHiraku},
    {"INIファイル閉じる", "", kCmdIniFileTojiru, sys::IniFileTojiru},
    {"INIファイル書く", "?を,?の,?へ", kCmdIniFileKaku, sys::IniFileKaku},
    {"INIファイル読む", "?に,?の,?を", kCmdIniFileYomu, sys::IniFileYomu},
    {"関連付ける", "?を,?に,?として", kCmdKanrenzukeru, sys::Kanrenzukeru},
    {"関連付けを削除", "?の", kCmdKanrenzukeWoSakujo, sys::KanrenzukeWoSakujo},
    {"メッセージ送信", "?に,?と", kCmdMessageSoushin, sys::MessageSoushin},
    {"ドライブ種類判定", "?の", kCmdDriveShuruiHantei, sys::DriveShuruiHantei},
    {"レジストリのバイナリを読む", "?を,?つ", kCmdRegistryNoBinaryWoYomu, sys::RegistryBinaryYomu},
    {"レジストリにバイナリを書く", "?を,?に,?つ", kCmdRegistryNiBinaryWoKaku, sys::RegistryBinaryKaku},
    {"レジストリのDWORDを読む", "?を", kCmdRegistryNoDwordWoYomu, sys::RegistryDwordYomu},
    {"レジストリにDWORDを書く", "?を,?に", kCmdRegistryNiDwordWoKaku, sys::RegistryDwordKaku},
    {"クリップボード取得", "", kCmdClipboardShutoku, sys::ClipboardShutoku},
    {"レジストリサブキー取得", "", kCmdRegistrySubkeyShutoku, sys::RegistrySubkeyShutoku},
};

static const TCommandFamily kFamily = {"system", kDefs, std::size(kDefs)};

const TCommandFamily& SystemFamily() { return kFamily; }

}  // namespace tama
