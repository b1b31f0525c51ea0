// The archive module: packing and unpacking through libarchive. Names in
// the archives are read and written as UTF-8 (names of ZIP and LHA members
// without the UTF-8 mark are read as Shift-JIS); while the library works,
// the thread's character type is UTF-8 so that its conversions know the
// file system's form.
#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "commands/archive_backend.h"

namespace tama::archive {

namespace {

// The UTF-8 character type for the thread while it lives.
class TUtf8Locale {
 public:
  TUtf8Locale() {
    loc_ = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (loc_) saved_ = uselocale(loc_);
  }
  ~TUtf8Locale() {
    if (loc_) {
      uselocale(saved_);
      freelocale(loc_);
    }
  }
  TUtf8Locale(const TUtf8Locale&) = delete;
  TUtf8Locale& operator=(const TUtf8Locale&) = delete;

 private:
  locale_t loc_ = static_cast<locale_t>(0);
  locale_t saved_ = static_cast<locale_t>(0);
};

std::string ErrorOf(struct archive* a, const char* fallback) {
  const char* e = a ? archive_error_string(a) : nullptr;
  return e && *e ? e : fallback;
}

// The name split into its components, without empty ones and ".".
std::vector<std::string> Components(const std::string& name) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= name.size()) {
    size_t end = name.find('/', i);
    if (end == std::string::npos) end = name.size();
    std::string part = name.substr(i, end - i);
    if (!part.empty() && part != ".") parts.push_back(part);
    i = end + 1;
  }
  return parts;
}

bool HasDotDot(const std::vector<std::string>& parts) {
  for (const auto& p : parts)
    if (p == "..") return true;
  return false;
}

// A folder between `folder` and the entry is a link (or not a folder).
bool ThroughLink(const std::string& folder, const std::vector<std::string>& parts) {
  std::string path = folder;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    path += "/" + parts[i];
    struct stat st{};
    if (lstat(path.c_str(), &st) != 0) return false;  // made by the extraction
    if (S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode)) return true;
  }
  // the entry itself an existing link: writing would follow it
  path += "/" + parts.back();
  struct stat st{};
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::string Join(const std::vector<std::string>& parts) {
  std::string s;
  for (const auto& p : parts) {
    if (!s.empty()) s += '/';
    s += p;
  }
  return s;
}

struct archive* NewReader() {
  struct archive* a = archive_read_new();
  archive_read_support_filter_all(a);
  archive_read_support_format_all(a);
  archive_read_set_options(a, "zip:hdrcharset=CP932,lha:hdrcharset=CP932");
  return a;
}

class TBackend : public IArchiveBackend {
 public:
  bool Pack(const std::string& format, const std::string& filter, const std::string& archivePath,
            const std::vector<TArchiveItem>& items, std::string& error) override {
    TUtf8Locale utf8;
    struct archive* a = archive_write_new();
    int r = ARCHIVE_OK;
    if (format == "zip") {
      r = archive_write_set_format_zip(a);
      if (r == ARCHIVE_OK) r = archive_write_set_options(a, "zip:hdrcharset=UTF-8");
    } else if (format == "7z") {
      r = archive_write_set_format_7zip(a);
    } else if (format == "tar") {
      r = archive_write_set_format_pax_restricted(a);
    } else if (format == "cpio") {
      r = archive_write_set_format_cpio_newc(a);
    } else if (format == "ar") {
      r = archive_write_set_format_ar_svr4(a);
    } else if (format == "raw") {
      r = archive_write_set_format_raw(a);
    } else {
      error = "unknown archive format " + format;
      archive_write_free(a);
      return false;
    }
    if (r == ARCHIVE_OK && filter == "gzip") r = archive_write_add_filter_gzip(a);
    if (r == ARCHIVE_OK && filter == "bzip2") r = archive_write_add_filter_bzip2(a);
    if (r == ARCHIVE_OK && filter == "compress") r = archive_write_add_filter_compress(a);
    if (r == ARCHIVE_OK && filter == "xz") r = archive_write_add_filter_xz(a);
    if (r == ARCHIVE_OK) r = archive_write_open_filename(a, archivePath.c_str());
    bool ok = r == ARCHIVE_OK;
    if (!ok) error = ErrorOf(a, "cannot write the archive");
    std::vector<char> buf(1 << 16);
    for (size_t k = 0; ok && k < items.size(); ++k) {
      const auto& item = items[k];
      const int fd = open(item.native.c_str(), O_RDONLY | O_CLOEXEC);
      struct stat st{};
      if (fd < 0 || fstat(fd, &st) != 0) {
        if (fd >= 0) close(fd);
        error = item.native + ": " + std::strerror(errno);
        ok = false;
        break;
      }
      struct archive_entry* e = archive_entry_new();
      archive_entry_set_pathname_utf8(e, item.name.c_str());
      archive_entry_set_filetype(e, AE_IFREG);
      archive_entry_set_perm(e, st.st_mode & 0777);
      archive_entry_set_size(e, st.st_size);
      archive_entry_set_mtime(e, st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
      if (archive_write_header(a, e) < ARCHIVE_WARN) {
        error = ErrorOf(a, "cannot write an entry");
        ok = false;
      }
      while (ok) {
        const ssize_t n = read(fd, buf.data(), buf.size());
        if (n < 0) {
          error = item.native + ": " + std::strerror(errno);
          ok = false;
        }
        if (n <= 0) break;
        if (archive_write_data(a, buf.data(), static_cast<size_t>(n)) < 0) {
          error = ErrorOf(a, "cannot write an entry");
          ok = false;
        }
      }
      close(fd);
      archive_entry_free(e);
    }
    if (archive_write_close(a) != ARCHIVE_OK && ok) {
      error = ErrorOf(a, "cannot finish the archive");
      ok = false;
    }
    archive_write_free(a);
    return ok;
  }

  bool Unpack(const std::string& archivePath, const std::string& folder, bool keepPaths, const std::string& rawName,
              int& refused, std::string& error) override {
    TUtf8Locale utf8;
    refused = 0;
    struct archive* a = NewReader();
    archive_read_support_format_raw(a);
    if (archive_read_open_filename(a, archivePath.c_str(), 1 << 16) != ARCHIVE_OK) {
      error = ErrorOf(a, "cannot open the archive");
      archive_read_free(a);
      return false;
    }
    // the entries are written by names relative to the folder, so that the
    // library's own checks (no "..", no absolute name, no link on the way)
    // hold for them
    const int back = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (back < 0 || chdir(folder.c_str()) != 0) {
      error = folder + ": " + std::strerror(errno);
      if (back >= 0) close(back);
      archive_read_free(a);
      return false;
    }
    struct archive* disk = archive_write_disk_new();
    archive_write_disk_set_options(disk, ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                                             ARCHIVE_EXTRACT_SECURE_SYMLINKS |
                                             ARCHIVE_EXTRACT_SECURE_NOABSOLUTEPATHS);
    bool ok = true;
    struct archive_entry* e = nullptr;
    while (ok) {
      const int r = archive_read_next_header(a, &e);
      if (r == ARCHIVE_EOF) break;
      if (r < ARCHIVE_WARN) {
        error = ErrorOf(a, "cannot read the archive");
        ok = false;
        break;
      }
      const bool raw = archive_format(a) == ARCHIVE_FORMAT_RAW;
      if (raw && archive_filter_count(a) <= 1) {
        error = "Unrecognized archive format";
        ok = false;
        break;
      }
      const char* p = archive_entry_pathname(e);
      if (!p) p = archive_entry_pathname_utf8(e);
      std::string name = raw ? rawName : (p ? p : "");
      const bool absolute = !name.empty() && name.front() == '/';
      std::vector<std::string> parts = Components(name);
      const bool isDir = archive_entry_filetype(e) == AE_IFDIR;
      bool outside = absolute || HasDotDot(parts);
      if (!outside && archive_entry_filetype(e) == AE_IFLNK) {
        const char* target = archive_entry_symlink(e);
        const std::string tg = target ? target : "";
        if (tg.empty() || tg.front() == '/' || HasDotDot(Components(tg))) outside = true;
      }
      const char* hard = archive_entry_hardlink(e);
      std::vector<std::string> hardParts;
      if (!outside && hard) {
        const std::string h = hard;
        hardParts = Components(h);
        if (h.front() == '/' || HasDotDot(hardParts) || hardParts.empty()) outside = true;
      }
      if (outside) {
        ++refused;
        archive_read_data_skip(a);
        continue;
      }
      if (!keepPaths) {
        if (isDir || parts.empty()) {
          archive_read_data_skip(a);
          continue;
        }
        parts = {parts.back()};
        if (!hardParts.empty()) hardParts = {hardParts.back()};
      }
      if (parts.empty()) {
        archive_read_data_skip(a);
        continue;
      }
      if (ThroughLink(folder, parts)) {
        ++refused;
        archive_read_data_skip(a);
        continue;
      }
      archive_entry_copy_pathname(e, Join(parts).c_str());
      if (!hardParts.empty()) archive_entry_copy_hardlink(e, Join(hardParts).c_str());
      archive_entry_set_perm(e, archive_entry_perm(e) & 0777);
      if (archive_write_header(disk, e) < ARCHIVE_WARN) {
        error = ErrorOf(disk, "cannot write a file");
        ok = false;
        break;
      }
      const void* block = nullptr;
      size_t size = 0;
      la_int64_t offset = 0;
      while (true) {
        const int d = archive_read_data_block(a, &block, &size, &offset);
        if (d == ARCHIVE_EOF) break;
        if (d < ARCHIVE_WARN) {
          error = ErrorOf(a, "cannot read an entry");
          ok = false;
          break;
        }
        if (archive_write_data_block(disk, block, size, offset) < ARCHIVE_WARN) {
          error = ErrorOf(disk, "cannot write a file");
          ok = false;
          break;
        }
      }
      if (archive_write_finish_entry(disk) < ARCHIVE_WARN && ok) {
        error = ErrorOf(disk, "cannot write a file");
        ok = false;
      }
    }
    archive_write_close(disk);
    archive_write_free(disk);
    if (fchdir(back) != 0 && ok) {
      error = std::string("cannot return to the working folder: ") + std::strerror(errno);
      ok = false;
    }
    close(back);
    archive_read_close(a);
    archive_read_free(a);
    return ok;
  }

  bool IsFamily(const std::string& archivePath, const std::string& family) override {
    TUtf8Locale utf8;
    struct archive* a = archive_read_new();
    if (family == "lha") {
      archive_read_support_format_lha(a);
    } else if (family == "cab") {
      archive_read_support_format_cab(a);
    } else if (family == "zip") {
      archive_read_support_format_zip_seekable(a);
    } else if (family == "rar") {
      archive_read_support_format_rar(a);
      archive_read_support_format_rar5(a);
    } else if (family == "tar") {
      archive_read_support_filter_all(a);
      archive_read_support_format_tar(a);
    }
    struct archive_entry* e = nullptr;
    const bool ok = archive_read_open_filename(a, archivePath.c_str(), 1 << 16) == ARCHIVE_OK &&
                    archive_read_next_header(a, &e) >= ARCHIVE_WARN;
    archive_read_free(a);
    return ok;
  }

  bool ToTarGz(const std::string& archivePath, const std::string& target, std::string& error) override {
    TUtf8Locale utf8;
    struct archive* in = NewReader();
    if (archive_read_open_filename(in, archivePath.c_str(), 1 << 16) != ARCHIVE_OK) {
      error = ErrorOf(in, "cannot open the archive");
      archive_read_free(in);
      return false;
    }
    struct archive* out = archive_write_new();
    archive_write_set_format_pax_restricted(out);
    archive_write_add_filter_gzip(out);
    bool ok = archive_write_open_filename(out, target.c_str()) == ARCHIVE_OK;
    if (!ok) error = ErrorOf(out, "cannot write the archive");
    struct archive_entry* e = nullptr;
    while (ok) {
      const int r = archive_read_next_header(in, &e);
      if (r == ARCHIVE_EOF) break;
      if (r < ARCHIVE_WARN) {
        error = ErrorOf(in, "cannot read the archive");
        ok = false;
        break;
      }
      const char* p = archive_entry_pathname(e);
      const std::string name = p ? p : "";
      const std::vector<std::string> parts = Components(name);
      if (name.empty() || name.front() == '/' || HasDotDot(parts) || parts.empty()) {
        archive_read_data_skip(in);
        continue;
      }
      archive_entry_copy_pathname(e, Join(parts).c_str());
      if (archive_write_header(out, e) < ARCHIVE_WARN) {
        error = ErrorOf(out, "cannot write an entry");
        ok = false;
        break;
      }
      char buf[1 << 14];
      while (true) {
        const la_ssize_t n = archive_read_data(in, buf, sizeof buf);
        if (n < 0) {
          error = ErrorOf(in, "cannot read an entry");
          ok = false;
        }
        if (n <= 0) break;
        if (archive_write_data(out, buf, static_cast<size_t>(n)) < 0) {
          error = ErrorOf(out, "cannot write an entry");
          ok = false;
          break;
        }
      }
    }
    if (archive_write_close(out) != ARCHIVE_OK && ok) {
      error = ErrorOf(out, "cannot finish the archive");
      ok = false;
    }
    archive_write_free(out);
    archive_read_free(in);
    return ok;
  }
};

}  // namespace

}  // namespace tama::archive

extern "C" __attribute__((visibility("default"))) tama::IArchiveBackend* tama_module_archive(const char* buildId) {
  if (!buildId || std::string(buildId) != TAMA_BUILD_ID) return nullptr;
  static tama::archive::TBackend backend;
  return &backend;
}
