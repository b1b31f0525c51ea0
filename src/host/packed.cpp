#include "host/packed.h"

#include "support/fileops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "engine/files_state.h"
#include "engine/tama.h"
#include "sjis/convert.h"
#include "support/fmix.h"

namespace tama::host {

namespace {

constexpr const char* kProgramEntry = "tamakazu.tmk";

bool ReadBytes(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  std::streamoff size = in.tellg();
  if (size < 0) return false;
  out.resize(static_cast<size_t>(size));
  in.seekg(0);
  return static_cast<bool>(in.read(out.data(), size));
}

bool WriteAll(int fd, const std::string& bytes) { return support::WriteAll(fd, bytes.data(), bytes.size()); }

}  // namespace

bool LoadPackedProgram(TTamaBase& tama, const std::string& exePath, const std::string& firstArg) {
  if (firstArg == "-run") return false;
  try {
    support::TContainerPlace place;
    if (!support::ReadOverlay(exePath, place)) return false;
    TFileState& fs = Files(tama);
    fs.reader = std::make_unique<support::TFileMixReader>(exePath, place.offset, place.length,
                                                          sjis::Utf8ToSjisLossy(exePath));
    std::string text;
    if (!fs.reader->Extract(kProgramEntry, text)) return false;
    tama.sourceText = std::move(text);
    tama.programFileName = kProgramEntry;
    tama.packedSource = true;
    return true;
  } catch (const ETama&) {
    throw;
  } catch (const std::exception& e) {
    tama.Raise(std::string("ファイルの展開に失敗しました。") + e.what());
  }
}

bool OpenResource(TTamaBase& tama, const std::string& path) {
  try {
    support::TContainerPlace place;
    std::string head;
    {
      std::ifstream in(path, std::ios::binary);
      char m[4] = {};
      if (!in.read(m, 4)) return false;
      head.assign(m, 4);
    }
    if (head != support::kFileMixMagic && !support::ReadOverlay(path, place)) return false;
    Files(tama).reader =
        std::make_unique<support::TFileMixReader>(path, place.offset, place.length, sjis::Utf8ToSjisLossy(path));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

std::string ResourceEntryName(const std::string& nativePath) {
  std::string_view p = nativePath;
  while (p.size() > 2 && p.substr(0, 2) == "./") p.remove_prefix(2);
  std::string name = sjis::Utf8ToSjisLossy(p);
  for (char& c : name)
    if (c == '/') c = '\\';  // "/" is never the second byte of a character
  return name;
}

std::string PackProgram(const std::string& runtimeExe, const std::string& programText, const std::string& output,
                        const std::vector<std::string>& resources) {
  std::string runtime;
  if (!ReadBytes(runtimeExe, runtime)) return "cannot read the run-time " + runtimeExe;
  // a run-time that carries a program itself passes on only its own image
  support::TContainerPlace carried;
  if (support::ReadOverlay(runtimeExe, carried)) runtime.resize(carried.offset);
  std::vector<support::TFileMixItem> items;
  items.push_back({"TAMAKAZU.TMK", programText, 1});
  for (const std::string& r : resources) {
    support::TFileMixItem item;
    item.name = ResourceEntryName(r);
    if (!ReadBytes(r, item.bytes)) return "cannot read " + r;
    items.push_back(std::move(item));
  }
  std::string container;
  try {
    container = support::BuildFileMix(items);
  } catch (const std::exception& e) {
    return sjis::SjisToUtf8(e.what());
  }
  std::string tmp = output + ".XXXXXX";
  int fd = mkstemp(tmp.data());
  if (fd < 0) return "cannot write " + output + ": " + std::strerror(errno);
  bool ok = WriteAll(fd, runtime) && WriteAll(fd, container) && WriteAll(fd, support::ContainerTrailer(runtime.size()));
  if (fchmod(fd, 0755) != 0) ok = false;
  if (close(fd) != 0) ok = false;
  if (!ok || rename(tmp.c_str(), output.c_str()) != 0) {
    std::string why = std::strerror(errno);
    unlink(tmp.c_str());
    return "cannot write " + output + ": " + why;
  }
  return {};
}

}  // namespace tama::host
