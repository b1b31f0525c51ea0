// The switches of an archive operation, read from the option words
// (圧縮オプション, 解凍オプション, 自己解凍書庫オプション), and the command
// line of the LHA form that names an operation in error messages.
#pragma once
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tama::support {

struct TArchiverOptions {
  // the single-digit switches that are given (-1: not given)
  std::map<std::string, int, std::less<>> digits;
  // the text switches (empty: not given)
  std::string w, jo, job, jz, gr;
  std::vector<std::string> jx;
  std::string userOptions, userFileList;

  int Get(std::string_view name) const;
  void Set(std::string_view name, int value) { digits[std::string(name)] = value; }
  void Clear(std::string_view name);
};

// The single-digit switch names, in the order of the command line.
const std::vector<std::string>& ArchiverSwitchNames();
bool IsArchiverSwitch(std::string_view name);

// Reads an option word: pieces cut at spaces and trimmed; one leading "-"
// removed; the last character a digit (the value) and the rest a known
// switch name (case counts), else the piece is ignored; later pieces win.
void ParseArchiverOptions(std::string_view word, TArchiverOptions& options);

// The LHA command line: the command letter, "-+", the switches in their
// order, the user options, the archive, the folder (with a final "\"), the
// files and the user file list, each as the library form writes them.
std::string LhaCommandLine(std::string_view command, const TArchiverOptions& options, std::string_view archive,
                           std::string_view folder, const std::vector<std::string>& files);

}  // namespace tama::support
