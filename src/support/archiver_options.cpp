// The archive switches and the LHA command line.
#include "support/archiver_options.h"

#include <algorithm>

#include "support/lines.h"

namespace tama::support {

const std::vector<std::string>& ArchiverSwitchNames() {
  static const std::vector<std::string> kNames = {
      "a",   "c",   "e",   "f",   "h",   "i",   "l",   "m",   "n",   "o",   "p",   "r",   "s",   "t",   "u",
      "x",   "y",   "z",   "jc",  "jd",  "je",  "jf",  "jh",  "ji",  "jm",  "jn",  "jp",  "jr",  "jsb", "jsc",
      "jsd", "jse", "jsf", "jsl", "jso", "jss", "jst", "jsv", "jsz", "jw",  "jyc", "jyd", "jyk", "jyn", "jyo",
      "ga",  "gd",  "ge",  "gf",  "gj",  "gm",  "gn",  "go",  "gp",  "gs",  "gu",  "gw"};
  return kNames;
}

bool IsArchiverSwitch(std::string_view name) {
  const auto& names = ArchiverSwitchNames();
  return std::find(names.begin(), names.end(), name) != names.end();
}

int TArchiverOptions::Get(std::string_view name) const {
  auto it = digits.find(name);
  return it == digits.end() ? -1 : it->second;
}

void TArchiverOptions::Clear(std::string_view name) {
  auto it = digits.find(name);
  if (it != digits.end()) digits.erase(it);
}

void ParseArchiverOptions(std::string_view word, TArchiverOptions& options) {
  size_t i = 0;
  while (i <= word.size()) {
    size_t end = word.find(' ', i);
    if (end == std::string_view::npos) end = word.size();
    std::string_view piece = TrimControl(word.substr(i, end - i));
    i = end + 1;
    if (piece.empty()) continue;
    if (piece.front() == '-') piece.remove_prefix(1);
    if (piece.empty()) continue;
    const char last = piece.back();
    if (last < '0' || last > '9') continue;
    const std::string_view name = piece.substr(0, piece.size() - 1);
    if (!IsArchiverSwitch(name)) continue;
    options.Set(name, last - '0');
  }
}

namespace {

std::string WithFinalBackslash(std::string_view s) {
  std::string r(s);
  if (r.empty() || (r.back() != '\\' && r.back() != '/')) r += '\\';
  return r;
}

void AddText(std::string& line, std::string_view name, std::string_view value) {
  if (value.empty()) return;
  line += " \"-";
  line += name;
  line += value;
  line += '"';
}

}  // namespace

std::string LhaCommandLine(std::string_view command, const TArchiverOptions& options, std::string_view archive,
                           std::string_view folder, const std::vector<std::string>& files) {
  std::string line(command);
  line += " -+";
  for (const auto& name : ArchiverSwitchNames()) {
    const int v = options.Get(name);
    if (v >= 0) {
      line += " -";
      line += name;
      line += static_cast<char>('0' + v);
    }
    if (name == "u" && !options.w.empty()) AddText(line, "w", WithFinalBackslash(options.w));
    if (name == "jn") {
      AddText(line, "jo", options.jo);
      AddText(line, "job", options.job);
    }
    if (name == "jw")
      for (const auto& x : options.jx) AddText(line, "jx", x);
    if (name == "jyo") AddText(line, "jz", options.jz);
    if (name == "gp") AddText(line, "gr", options.gr);
  }
  line += ' ';
  line += options.userOptions;
  line += " \"";
  line += archive;
  line += '"';
  if (!folder.empty()) {
    line += " \"";
    line += WithFinalBackslash(folder);
    line += '"';
  }
  for (const auto& f : files) {
    line += " \"";
    line += f;
    line += '"';
  }
  line += ' ';
  line += options.userFileList;
  return line;
}

}  // namespace tama::support
