// The archive module's interface (modules/archive, libtamakazu-archive.so):
// packing and unpacking through the archive library. Paths are native
// (UTF-8); names inside archives are UTF-8 with "/" between folders. Error
// texts are the library's own.
#pragma once
#include <string>
#include <vector>

namespace tama {

struct TArchiveItem {
  std::string native;  // the file to pack
  std::string name;    // its name in the archive
};

class IArchiveBackend {
 public:
  virtual ~IArchiveBackend() = default;
  // Writes a new archive file: format "zip", "7z", "tar", "cpio", "ar" or
  // "raw" (one file alone through the filter); filter "", "gzip", "bzip2",
  // "compress" or "xz".
  virtual bool Pack(const std::string& format, const std::string& filter, const std::string& archive,
                    const std::vector<TArchiveItem>& items, std::string& error) = 0;
  // Unpacks every entry into `folder` (which exists); names that point
  // outside it (absolute, "..", through a link) are skipped and counted in
  // `refused`. keepPaths false: every file lands in `folder` itself. A file
  // that is one compressed stream alone becomes `rawName`.
  virtual bool Unpack(const std::string& archive, const std::string& folder, bool keepPaths,
                      const std::string& rawName, int& refused, std::string& error) = 0;
  // The file is an archive of this family ("lha", "cab", "zip", "rar", "tar").
  virtual bool IsFamily(const std::string& archive, const std::string& family) = 0;
  // Rewrites any archive as a gzip-compressed tar file.
  virtual bool ToTarGz(const std::string& archive, const std::string& target, std::string& error) = 0;
};

}  // namespace tama

extern "C" tama::IArchiveBackend* tama_module_archive(const char* buildId);
