// Registration of the whole vocabulary at the start of every run: the commands
// of every family, the system words with their initial values, the main
// window's object word.
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "engine/system_words.h"
#include "engine/tama.h"
#include "sjis/convert.h"
#include "sjis/sjis.h"

namespace tama {

namespace {

std::string WithSlash(std::string s) {
  if (!s.empty() && s.back() != '/') s += '/';
  return s;
}

std::string HomeDir() {
  const char* h = std::getenv("HOME");
  return h ? h : "";
}

// A folder of the freedesktop user-dirs file ("XDG_DESKTOP_DIR" ...), when it exists.
std::string UserDir(const char* key, const char* fallback) {
  std::string home = HomeDir();
  std::string path;
  const char* cfg = std::getenv("XDG_CONFIG_HOME");
  std::string file = (cfg && *cfg ? std::string(cfg) : home + "/.config") + "/user-dirs.dirs";
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) != 0) continue;
    size_t q1 = line.find('"'), q2 = line.rfind('"');
    if (q1 == std::string::npos || q2 <= q1) continue;
    path = line.substr(q1 + 1, q2 - q1 - 1);
    if (path.rfind("$HOME", 0) == 0) path = home + path.substr(5);
  }
  if (path.empty() && !home.empty()) path = home + "/" + fallback;
  if (path.empty() || access(path.c_str(), F_OK) != 0) return {};
  return sjis::Utf8ToSjisLossy(WithSlash(path));
}

std::string OsName() {
  struct utsname u;
  if (uname(&u) != 0) return "Linux";
  std::string rel = u.release;
  size_t dot = rel.find('.');
  if (dot != std::string::npos) {
    size_t dot2 = rel.find_first_not_of("0123456789", dot + 1);
    rel = rel.substr(0, dot2);
  }
  return std::string(u.sysname) + " " + rel;
}

}  // namespace

std::string TTamaBase::BuildCommandLineValue() {
  size_t k;
  if (defaultFile) {
    k = 0;
  } else {
    k = (runtimeMode ? 2 : 0) + (packedSource ? 0 : 1);
  }
  std::string value;
  if (k < commandLine.size()) {
    programPath = commandLine[k];
    // the folder part, found by character so that a trail byte is never taken for "\"
    size_t cut = std::string::npos;
    for (size_t i = 0; i < programPath.size(); i += sjis::CharLen(programPath, i))
      if (programPath[i] == '/' || programPath[i] == '\\' || programPath[i] == ':') cut = i;
    programFolder = cut == std::string::npos ? std::string() : programPath.substr(0, cut + 1);
    for (size_t i = k; i < commandLine.size(); ++i) {
      if (i > k) value += "\r\n";
      value += commandLine[i];
    }
  } else {
    programPath.clear();
    programFolder.clear();
  }
  return value;
}

void TTamaBase::RegisterWords(const std::vector<const TCommandFamily*>& families) {
  for (const TCommandFamily* f : families) {
    for (size_t i = 0; i < f->count; ++i) {
      const TCommandDef& d = f->defs[i];
      words.Add(std::make_shared<THashNode>(FoldOkurigana(d.name), true, TPos{}, wkCommand, d.id, "", "", d.pattern));
    }
  }
  const std::string commandLineValue = BuildCommandLineValue();
  const char* tmp = std::getenv("TMPDIR");
  for (const TSystemWordDef& d : SystemWordDefs()) {
    std::string value = d.initial;
    std::string tag = d.typeText;
    switch (d.computed) {
      case TComputed::kNone: break;
      // fixed defaults of the usual desktop colours, as 0x00BBGGRR
      case TComputed::kColorMenu: value = "15790320"; break;
      case TComputed::kColorBackground: value = "10841658"; break;
      case TComputed::kColorActiveCaption: value = "13743257"; break;
      case TComputed::kColorInactiveCaption: value = "14405055"; break;
      case TComputed::kColorHighlight: value = "14120960"; break;
      case TComputed::kCommandLine: value = commandLineValue; break;
      case TComputed::kProgramFolder: value = programFolder; break;
      case TComputed::kRuntimeFolder: {
        std::string folder = runtimePath;
        size_t cut = folder.rfind('/');
        value = cut == std::string::npos ? std::string() : folder.substr(0, cut + 1);
        break;
      }
      case TComputed::kDesktopFolder: value = UserDir("XDG_DESKTOP_DIR", "Desktop"); break;
      case TComputed::kDocumentsFolder: value = UserDir("XDG_DOCUMENTS_DIR", "Documents"); break;
      case TComputed::kTempFolder:
        value = sjis::Utf8ToSjisLossy(WithSlash(tmp && *tmp ? tmp : "/tmp"));
        break;
      case TComputed::kOsName: value = OsName(); break;
      case TComputed::kScreenWidth:
      case TComputed::kScreenHeight: value = host.Headless() ? "0" : "0"; break;
      default: value.clear(); break;  // folders Linux does not have
    }
    auto node = std::make_shared<THashNode>(d.name, d.readOnly, TPos{}, wkVariable, -1, std::move(tag), std::move(value), "");
    words.Add(std::move(node));
  }
  words.Add(std::make_shared<THashNode>(kMainWindowWord, true, TPos{}, wkObject, kMainWindowObject, kMainWindowTag, "", ""));
  foldedProperties.clear();
  for (const char* name : PropertyNames()) foldedProperties.push_back(FoldOkurigana(name));
  BindQuickRefs();
  if (resetObjects) resetObjects(*this);
}

}  // namespace tama
