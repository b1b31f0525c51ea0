// The database and document-file module (libtamakazu-db.so) as the office
// commands see it. The module holds the embedded database engine, the
// driver manager for database servers, the spreadsheet writer and the zip
// reader and writer; everything else of these commands (the workbook and
// document models, connection strings, record sets) lives in the core.
// Texts are Shift-JIS; file names are native paths. Header only.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/office_docs.h"

namespace tama::office {

// One field of a row: its text, or null.
struct TDbValue {
  bool null = true;
  std::string text;
};

// What a statement gives back. A statement without result columns leaves
// `columns` false (a closed record set).
struct TDbResult {
  bool columns = false;
  std::vector<std::string> names;
  std::vector<std::vector<TDbValue>> rows;
};

// An open database. `error` is the server's or the library's message.
class IDbConnection {
 public:
  virtual ~IDbConnection() = default;
  virtual bool Execute(const std::string& sql, TDbResult& out, std::string& error) = 0;
};

class IDbModule {
 public:
  virtual ~IDbModule() = default;
  // An embedded database file (made when missing).
  virtual std::unique_ptr<IDbConnection> OpenEmbedded(const std::string& nativeFile, std::string& error) = 0;
  // A connection through the driver manager with the connection string.
  virtual std::unique_ptr<IDbConnection> OpenDriver(const std::string& connection, std::string& error) = 0;
  // Every file entry of a zip file by name. False with the reason when the
  // file cannot be read as a zip.
  virtual bool ReadZip(const std::string& nativeFile, std::map<std::string, std::string>& out,
                       std::string& error) = 0;
  // A zip file of the entries (deflated), in order. Files are written
  // beside the target and renamed over it, so a failure keeps the old file.
  virtual bool WriteZip(const std::string& nativeFile, const std::vector<std::pair<std::string, std::string>>& entries,
                        std::string& error) = 0;
  // A workbook file of the sheets; a cell text that reads as a number is
  // written as a number.
  virtual bool WriteWorkbook(const std::string& nativeFile, const std::vector<support::TSheet>& sheets,
                             std::string& error) = 0;
};

}  // namespace tama::office
