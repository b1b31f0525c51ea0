// What the office and database commands hold between commands, and the
// pieces their handlers share.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "commands/office_module.h"
#include "engine/tama.h"
#include "support/office_docs.h"

namespace tama {

// A record set: every row of a query, read at once, and a static cursor.
// `pos` runs from -1 (before the first row) to the row count (after the last).
struct TRecordSet {
  bool open = false;  // false: the statement gave no result columns
  std::vector<std::string> names;
  std::vector<std::vector<office::TDbValue>> rows;
  long pos = 0;
  bool Bof() const { return rows.empty() || pos < 0; }
  bool Eof() const { return rows.empty() || pos >= static_cast<long>(rows.size()); }
};

struct TOfficeState {
  // the spreadsheet: started, and the workbook when one is open
  bool excel = false, workbook = false;
  std::vector<support::TSheet> sheets;
  int active = 0;
  // the word processor: started, and the document when one is open
  bool word = false, document = false;
  support::TDocument doc;
  // the database
  std::unique_ptr<office::IDbConnection> connection;
  std::unique_ptr<TRecordSet> records;
  std::vector<std::string> secrets;  // the passwords of the connection, kept out of messages
};

TOfficeState& Office(TTamaBase& t);
// The module, loaded on first use; raises the missing-module error for the
// command.
office::IDbModule& DbModule(TTamaBase& t, int id);
// The name of a command of this family by its id.
std::string_view OfficeCommandName(int id);
// The extension of a file name, lower-cased (".xlsx").
std::string LowerExtension(std::string_view name);

// The database handlers (office_db.cpp).
void DbSetsuzoku(TTamaBase& t, int id);        // DB接続, DB詳細接続
void DbSetsudan(TTamaBase& t, int id);         // DB切断
void DbSql(TTamaBase& t, int id);              // DBSQL, DB問い合わせ, DB検索
void DbIdou(TTamaBase& t, int id);             // DB先頭, DB最後, DB次, DB前
void DbHantei(TTamaBase& t, int id);           // DB最後判定, DB先頭判定
void DbShutoku(TTamaBase& t, int id);          // DB全部取得 and the record forms
void DbFieldShutoku(TTamaBase& t, int id);     // DBフィールド取得
void DbFieldsuuShutoku(TTamaBase& t, int id);  // DBフィールド数取得
// The SELECT of DB検索.
std::string SearchStatement(std::string_view table, std::string_view fields, std::string_view condition);

}  // namespace tama
