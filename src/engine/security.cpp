#include "engine/security.h"

#include "support/ini.h"

#include <fstream>
#include <vector>

#include "engine/files_state.h"
#include "engine/tama.h"
#include "sjis/lcmap.h"
#include "support/fileops.h"
#include "support/ini.h"
#include "support/path.h"

namespace tama {

namespace {

struct TTargetFacts {
  bool securityIni = false;
  bool wildcard = false;
  bool inside = false;
};

TTargetFacts FactsOf(TTamaBase& t, std::string_view target) {
  TTargetFacts f;
  f.wildcard = target.find('*') != std::string_view::npos;
  f.securityIni = support::IsSecurityIniName(target);
  if (f.wildcard) return f;
  std::string place = SecurityPlace(target);
  if (support::IsSecurityIniNative(place)) f.securityIni = true;
  f.inside = SecurityInside(t, target);
  return f;
}

std::string UnansweredLine(TTamaBase& t, std::string_view target) {
  std::string out = "[注　意] ";
  out += support::FileNamePart(t.programFileName);
  out += '(';
  out += std::to_string(t.LineNumberOf());
  out += "行目): セキュリティの確認に答えられないため、\"";
  out += target;
  out += "\"への操作をしませんでした。";
  return out;
}

}  // namespace

TSecurityVerdict SecurityVerdict(int level, bool securityIni, bool wildcard, bool inside) {
  if (level >= 2) return TSecurityVerdict::kRefuse;
  if (securityIni) return TSecurityVerdict::kRefuseSecurityIni;
  if (!wildcard && inside) return TSecurityVerdict::kAllow;
  if (level != 1) return TSecurityVerdict::kAllow;
  return TSecurityVerdict::kAsk;
}

std::string SecurityPlace(std::string_view target) {
  return support::RealPathOfExistingPart(support::NativePath(target));
}

bool SecurityInside(TTamaBase& t, std::string_view target) {
  if (target.find('*') != std::string_view::npos) return false;
  const std::string place = SecurityPlace(target);
  const std::string& base = ProgramFolderReal(t);
  if (support::IsInsideFolder(base, place)) return true;
  const std::string& temp = Files(t).tempFolder;
  return !temp.empty() && support::IsInsideFolder(support::RealPathOfExistingPart(temp), place);
}

bool AskSecurity(TTamaBase& t, std::string_view target, std::string_view message) {
  return AskSecurity(t, {target}, message);
}

bool AskSecurity(TTamaBase& t, std::initializer_list<std::string_view> targets, std::string_view message) {
  if (t.securityLevel < 0) LoadSecurityLevel(t);
  if (t.securityLevel >= 2) return true;
  TSecurityVerdict verdict = TSecurityVerdict::kAllow;
  std::string_view asked;
  for (std::string_view target : targets) {
    TTargetFacts f = FactsOf(t, target);
    TSecurityVerdict v = SecurityVerdict(t.securityLevel, f.securityIni, f.wildcard, f.inside);
    if (v == TSecurityVerdict::kRefuseSecurityIni || v == TSecurityVerdict::kRefuse) {
      verdict = v;
      break;
    }
    if (v == TSecurityVerdict::kAsk && verdict == TSecurityVerdict::kAllow) {
      verdict = v;
      asked = target;
    }
  }
  switch (verdict) {
    case TSecurityVerdict::kAllow: return false;
    case TSecurityVerdict::kRefuse: return true;
    case TSecurityVerdict::kRefuseSecurityIni:
      t.host.Warning("このプログラムは、\"security.ini\"を、操作出来ません！", "セキュリティの警告");
      return true;
    case TSecurityVerdict::kAsk: break;
  }
  switch (t.host.AskSecurity(message, UnansweredLine(t, asked))) {
    case THost::TSecurityAnswer::kYes: return false;
    case THost::TSecurityAnswer::kAllYes: t.securityLevel = 0; return false;
    case THost::TSecurityAnswer::kAllNo: t.securityLevel = 2; return true;
    case THost::TSecurityAnswer::kNo:
    case THost::TSecurityAnswer::kClosed: return true;
  }
  return true;
}

int SecurityLevelOfValue(std::string_view value) {
  std::string upper = sjis::ToUpper(value);
  if (upper.empty()) return 1;
  switch (upper[0]) {
    case 'H': return 2;
    case 'L': return 0;
    default: return 1;
  }
}

void LoadSecurityLevel(TTamaBase& t) {
  t.securityLevel = 1;
  const std::string& programPath = t.programPath.empty() ? t.programFileName : t.programPath;
  const std::string local = support::MatchCase(ProgramFolderReal(t) + "security.ini");
  std::string value;
  std::ifstream probe(local);
  if (probe) {
    probe.close();
    if (ReadIniValue(local, support::FileNamePart(programPath), "security", value))
      t.securityLevel = SecurityLevelOfValue(value);
    return;
  }
  std::string runtimeFolder(support::PathPart(t.runtimePath));
  if (runtimeFolder.empty()) return;
  const std::string shared = support::NativePath(runtimeFolder + "security.ini");
  if (ReadIniValue(shared, programPath, "security", value)) t.securityLevel = SecurityLevelOfValue(value);
}

bool ReadIniValue(const std::string& nativeFile, std::string_view section, std::string_view key, std::string& value) {
  // sections and keys are compared by character: a program path may hold a
  // double-byte character whose second byte is "]"
  return support::ReadIniFile(nativeFile, section, key, value);
}

}  // namespace tama
