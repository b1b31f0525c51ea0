// The document files of the office commands: zip packages read and written
// through the archive library, workbooks written by the spreadsheet writer,
// and the module's entry.
#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "commands/office_module.h"
#include "db_internal.h"
#include "sjis/convert.h"
#include "support/number.h"

namespace tama::office {

namespace {

// A private file beside the target; renamed over it when complete.
struct TBeside {
  std::string path;
  int fd = -1;
  bool done = false;
  explicit TBeside(const std::string& target) {
    path = target + ".tmpXXXXXX";
    fd = mkstemp(path.data());
    if (fd < 0) path.clear();
  }
  ~TBeside() {
    if (fd >= 0) close(fd);
    if (!done && !path.empty()) unlink(path.c_str());
  }
  // Gives the file the mode a new file would get and moves it into place.
  bool Commit(const std::string& target, std::string& error) {
    const mode_t mask = umask(0);
    umask(mask);
    if (fd >= 0) {
      fchmod(fd, 0666 & ~mask);
      close(fd);
      fd = -1;
    }
    if (rename(path.c_str(), target.c_str()) != 0) {
      error = std::strerror(errno);
      return false;
    }
    done = true;
    return true;
  }
};

std::string ArchiveError(struct archive* a) {
  const char* e = archive_error_string(a);
  return e ? e : "zip";
}

class TModule : public IDbModule {
 public:
  std::unique_ptr<IDbConnection> OpenEmbedded(const std::string& nativeFile, std::string& error) override {
    return OpenEmbeddedDb(nativeFile, error);
  }
  std::unique_ptr<IDbConnection> OpenDriver(const std::string& connection, std::string& error) override {
    return OpenDriverDb(connection, error);
  }

  bool ReadZip(const std::string& nativeFile, std::map<std::string, std::string>& out, std::string& error) override {
    struct archive* a = archive_read_new();
    archive_read_support_format_zip(a);
    if (archive_read_open_filename(a, nativeFile.c_str(), 65536) != ARCHIVE_OK) {
      error = ArchiveError(a);
      archive_read_free(a);
      return false;
    }
    struct archive_entry* e;
    int rc;
    while ((rc = archive_read_next_header(a, &e)) == ARCHIVE_OK) {
      if (archive_entry_filetype(e) != AE_IFREG) continue;
      const char* name = archive_entry_pathname(e);
      std::string data;
      char buf[65536];
      la_ssize_t n;
      while ((n = archive_read_data(a, buf, sizeof buf)) > 0) data.append(buf, static_cast<size_t>(n));
      if (n < 0) {
        error = ArchiveError(a);
        archive_read_free(a);
        return false;
      }
      if (name) out[name] = std::move(data);
    }
    if (rc != ARCHIVE_EOF) {
      error = ArchiveError(a);
      archive_read_free(a);
      return false;
    }
    archive_read_free(a);
    return true;
  }

  bool WriteZip(const std::string& nativeFile, const std::vector<std::pair<std::string, std::string>>& entries,
                std::string& error) override {
    TBeside tmp(nativeFile);
    if (tmp.fd < 0) {
      error = std::strerror(errno);
      return false;
    }
    struct archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    archive_write_set_options(a, "zip:compression=deflate");
    bool ok = archive_write_open_fd(a, tmp.fd) == ARCHIVE_OK;
    const time_t now = time(nullptr);
    for (size_t i = 0; ok && i < entries.size(); ++i) {
      struct archive_entry* e = archive_entry_new();
      archive_entry_set_pathname(e, entries[i].first.c_str());
      archive_entry_set_size(e, static_cast<la_int64_t>(entries[i].second.size()));
      archive_entry_set_filetype(e, AE_IFREG);
      archive_entry_set_perm(e, 0644);
      archive_entry_set_mtime(e, now, 0);
      ok = archive_write_header(a, e) == ARCHIVE_OK &&
           archive_write_data(a, entries[i].second.data(), entries[i].second.size()) ==
               static_cast<la_ssize_t>(entries[i].second.size());
      archive_entry_free(e);
    }
    if (ok) ok = archive_write_close(a) == ARCHIVE_OK;
    if (!ok) error = ArchiveError(a);
    archive_write_free(a);
    return ok && tmp.Commit(nativeFile, error);
  }

  bool WriteWorkbook(const std::string& nativeFile, const std::vector<support::TSheet>& sheets, std::string& error) override {
    TBeside tmp(nativeFile);
    if (tmp.fd < 0) {
      error = std::strerror(errno);
      return false;
    }
    lxw_workbook_options options = {};
    options.constant_memory = LXW_FALSE;
    lxw_workbook* wb = workbook_new_opt(tmp.path.c_str(), &options);
    if (!wb) {
      error = "workbook";
      return false;
    }
    for (const support::TSheet& sheet : sheets) {
      const std::string name = sjis::SjisToUtf8(sheet.name);
      lxw_worksheet* ws = workbook_add_worksheet(wb, name.empty() ? nullptr : name.c_str());
      if (!ws) ws = workbook_add_worksheet(wb, nullptr);
      if (!ws) continue;
      for (const auto& [at, text] : sheet.cells) {
        const auto row = static_cast<lxw_row_t>(at.first);
        const auto col = static_cast<lxw_col_t>(at.second);
        if (IsPlainNumber(text)) {
          worksheet_write_number(ws, row, col, static_cast<double>(TextToNumber(text)), nullptr);
        } else {
          const std::string utf8 = sjis::SjisToUtf8(text);
          worksheet_write_string(ws, row, col, utf8.c_str(), nullptr);
        }
      }
    }
    const lxw_error rc = workbook_close(wb);
    if (rc != LXW_NO_ERROR) {
      error = lxw_strerror(rc);
      return false;
    }
    return tmp.Commit(nativeFile, error);
  }

 private:
  // A text the sheet keeps as a number: it reads back as the same text.
  static bool IsPlainNumber(const std::string& text) {
    if (text.empty() || text.size() > 30) return false;
    for (char c : text)
      if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == 'e' || c == 'E' || c == '+'))
        return false;
    try {
      return FormatNumber(static_cast<long double>(static_cast<double>(TextToNumber(text)))) == text;
    } catch (...) {
      return false;
    }
  }
};

}  // namespace

}  // namespace tama::office

extern "C" __attribute__((visibility("default"))) tama::office::IDbModule* tama_module_db(const char* buildId) {
  if (!buildId || std::string(buildId) != TAMA_BUILD_ID) return nullptr;
  static tama::office::TModule module;
  return &module;
}
