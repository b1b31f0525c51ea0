// The database commands. A connection string chooses the engine: the
// embedded database for a file, the driver manager for servers and data
// source names. Every query is read whole into a record set whose cursor
// moves freely; no message ever shows a password.
#include <sys/stat.h>

#include <cmath>

#include "commands/office.h"
#include "commands/office_internal.h"
#include "engine/files_state.h"
#include "engine/modules.h"
#include "engine/security.h"
#include "support/number.h"
#include "support/path.h"
#include "support/textops.h"

namespace tama {

namespace {

constexpr std::string_view kDbError = "ADOデータベースのエラー。";

[[noreturn]] void DbError(TTamaBase& t, std::string_view why) {
  const std::vector<std::string>& secrets = Office(t).secrets;
  t.Raise(support::ScrubPasswords(std::string(kDbError) + std::string(why), secrets));
}

bool EndsWithFold(std::string_view s, std::string_view tail) {
  if (s.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    char c = s[s.size() - tail.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != tail[i]) return false;
  }
  return true;
}

bool IsDatabaseFile(std::string_view source) {
  for (std::string_view ext : {".db", ".sqlite", ".sqlite3", ".db3"})
    if (EndsWithFold(source, ext)) return true;
  return false;
}

// The items without the provider: what the driver manager is given.
std::string DriverString(const std::vector<support::TConnItem>& items) {
  std::vector<support::TConnItem> rest;
  for (const auto& it : items)
    if (textops::AsciiLower(it.key) != "provider") rest.push_back(it);
  return support::JoinConnectionString(rest);
}

void OpenEmbedded(TTamaBase& t, TOfficeState& o, int id, const std::string& source) {
  if (source.empty()) DbError(t, "データソースが指定されていません。");
  std::string native;
  if (source == ":memory:") {
    native = source;
  } else {
    const std::string file = ResolveFileName(t, source);
    native = support::NativePath(file);
    struct stat st;
    if (stat(native.c_str(), &st) != 0) {
      if (AskSecurity(t, file, "データベース\"" + file + "\"を作成します。"))
        DbError(t, "データベース\"" + file + "\"を作成できません。");
    }
  }
  std::string error;
  o.connection = DbModule(t, id).OpenEmbedded(native, error);
  if (!o.connection) DbError(t, error);
}

void OpenDriver(TTamaBase& t, TOfficeState& o, int id, const std::string& connection) {
  std::string error;
  o.connection = DbModule(t, id).OpenDriver(connection, error);
  if (!o.connection) DbError(t, error);
}

void Connect(TTamaBase& t, int id, const std::string& text) {
  TOfficeState& o = Office(t);
  // a new connection object replaces the old one before it is opened
  o.connection.reset();
  const auto items = support::ParseConnectionString(text);
  o.secrets.clear();
  for (std::string_view key : {"password", "pwd"})
    if (std::string v = support::ConnValue(items, key); !v.empty()) o.secrets.push_back(v);
  if (std::string v = t.QuickWord("DBパスワード").Value(); !v.empty()) o.secrets.push_back(v);

  const std::string provider = support::ConnValue(items, "provider");
  const std::string lower = textops::AsciiLower(provider);
  std::string source = support::ConnValue(items, "data source");
  if (source.empty()) source = support::ConnValue(items, "database");
  const bool driverKeys = support::HasConnKey(items, "dsn") || support::HasConnKey(items, "driver") ||
                          support::HasConnKey(items, "filedsn");
  if (lower == "sqlite" || lower == "sqlite3" || (provider.empty() && !driverKeys && IsDatabaseFile(source)))
    return OpenEmbedded(t, o, id, source);
  if (lower == "msdasql" || (provider.empty() && driverKeys)) return OpenDriver(t, o, id, DriverString(items));
  const std::string user = support::ConnValue(items, "user id");
  const std::string password = support::ConnValue(items, "password");
  if ((lower == "microsoft.jet.oledb.4.0" || lower.rfind("microsoft.ace.oledb", 0) == 0) &&
      (EndsWithFold(source, ".mdb") || EndsWithFold(source, ".accdb"))) {
    std::vector<support::TConnItem> odbc = {{"Driver", "MDBTools"},
                                            {"DBQ", support::NativePath(ResolveFileName(t, source))}};
    return OpenDriver(t, o, id, support::JoinConnectionString(odbc));
  }
  if (lower == "sqloledb") {
    std::vector<support::TConnItem> odbc = {{"Driver", "FreeTDS"}, {"Server", source}};
    if (std::string db = support::ConnValue(items, "initial catalog"); !db.empty()) odbc.push_back({"Database", db});
    if (!user.empty()) odbc.push_back({"UID", user});
    if (!password.empty()) odbc.push_back({"PWD", password});
    return OpenDriver(t, o, id, support::JoinConnectionString(odbc));
  }
  DbError(t, "プロバイダ\"" + provider + "\"はこの環境にありません。");
}

TOfficeState& Connected(TTamaBase& t) {
  TOfficeState& o = Office(t);
  if (!o.connection) DbError(t, "データベースに接続していません。");
  return o;
}

TRecordSet& Records(TTamaBase& t) {
  TOfficeState& o = Office(t);
  if (!o.records) DbError(t, "レコードセットがありません。");
  if (!o.records->open) DbError(t, "レコードセットが閉じています。");
  return *o.records;
}

[[noreturn]] void NoCurrent(TTamaBase& t) { DbError(t, "現在のレコードがありません。"); }

// One record as a line: CSV (every field quoted, quotes doubled) or tabs.
void AppendRecord(std::string& out, const std::vector<office::TDbValue>& row, bool tabs) {
  static const std::string kNull;
  for (size_t i = 0; i < row.size(); ++i) {
    if (i) out += tabs ? '\t' : ',';
    const std::string& text = row[i].null ? kNull : row[i].text;
    if (tabs) {
      out += text;
      continue;
    }
    out += '"';
    for (char c : text) {
      out += c;
      if (c == '"') out += '"';
    }
    out += '"';
  }
}

}  // namespace

std::string SearchStatement(std::string_view table, std::string_view fields, std::string_view condition) {
  std::string sql = "SELECT " + std::string(fields) + " FROM " + std::string(table);
  if (!condition.empty() && condition != "*") sql += " WHERE " + std::string(condition);
  return sql + ";";
}

void DbSetsuzoku(TTamaBase& t, int id) {
  if (id == kCmdDbShousaiSetsuzoku) return Connect(t, id, t.PopArgValue());
  std::string s = "Provider=" + t.QuickWord("DBプロバイダ").Value() + ";" + "Data Source=" +
                  t.QuickWord("DBデータソース").Value() + ";";
  if (const std::string& user = t.QuickWord("DBユーザーID").Value(); !user.empty()) s += "User ID=" + user + ";";
  if (const std::string& pw = t.QuickWord("DBパスワード").Value(); !pw.empty()) s += "Password=" + pw + ";";
  Connect(t, id, s);
}

void DbSetsudan(TTamaBase& t, int) {
  TOfficeState& o = Office(t);
  // the record set is closed first; when that fails (none, or closed
  // already) the command ends there, silently
  if (!o.records || !o.records->open) return;
  o.records.reset();
  if (!o.connection) return;
  o.connection.reset();
  o.secrets.clear();
}

void DbSql(TTamaBase& t, int id) {
  std::string sql;
  if (id == kCmdDbKensaku) {
    const std::string condition = t.PopArgValue();
    const std::string fields = t.PopArgValue();
    const std::string table = t.PopArgValue();
    sql = SearchStatement(table, fields, condition);
  } else {
    sql = t.PopArgValue();
  }
  TOfficeState& o = Connected(t);
  office::TDbResult result;
  std::string error;
  if (!o.connection->Execute(sql, result, error)) DbError(t, error);
  auto rs = std::make_unique<TRecordSet>();
  rs->open = result.columns;
  rs->names = std::move(result.names);
  rs->rows = std::move(result.rows);
  rs->pos = 0;
  o.records = std::move(rs);
}

void DbIdou(TTamaBase& t, int id) {
  TRecordSet& rs = Records(t);
  switch (id) {
    case kCmdDbSentou:
      if (rs.rows.empty()) NoCurrent(t);
      rs.pos = 0;
      break;
    case kCmdDbSaigo:
      if (rs.rows.empty()) NoCurrent(t);
      rs.pos = static_cast<long>(rs.rows.size()) - 1;
      break;
    case kCmdDbTsugi:
      if (rs.Eof()) NoCurrent(t);
      ++rs.pos;
      break;
    default:
      if (rs.Bof()) NoCurrent(t);
      --rs.pos;
      break;
  }
}

void DbHantei(TTamaBase& t, int id) {
  TRecordSet& rs = Records(t);
  const bool on = id == kCmdDbSaigoHantei ? rs.Eof() : rs.Bof();
  t.SetResult(on ? "1" : "0", kTagNumber);
}

void DbShutoku(TTamaBase& t, int id) {
  t.SetResult("", kTagString);
  TRecordSet& rs = Records(t);
  if (rs.Eof()) return;
  const bool tabs = id == kCmdDbTabKugiriDeZenbuShutoku || id == kCmdDbTabKugiriDeRecordShutoku;
  std::string out;
  if (id == kCmdDbZenbuShutoku || id == kCmdDbTabKugiriDeZenbuShutoku) {
    for (rs.pos = 0; !rs.Eof(); ++rs.pos) {
      if (rs.pos) out += "\r\n";
      AppendRecord(out, rs.rows[static_cast<size_t>(rs.pos)], tabs);
    }
  } else {
    if (rs.Bof()) NoCurrent(t);
    AppendRecord(out, rs.rows[static_cast<size_t>(rs.pos)], tabs);
  }
  t.SetResult(std::move(out), kTagString);
}

void DbFieldShutoku(TTamaBase& t, int) {
  const long double n = std::trunc(t.PopArgNumber());
  TRecordSet& rs = Records(t);
  if (!(n >= 0 && n <= 2147483647.0L)) throw std::runtime_error(kMsgRangeCheck);
  t.SetResult("", kTagString);
  if (rs.Eof()) return;
  if (rs.Bof()) NoCurrent(t);
  const auto& row = rs.rows[static_cast<size_t>(rs.pos)];
  const auto i = static_cast<size_t>(n);
  if (i >= row.size()) DbError(t, "フィールド" + std::to_string(i) + "番がありません。");
  t.SetResult(row[i].null ? std::string() : row[i].text, kTagString);
}

void DbFieldsuuShutoku(TTamaBase& t, int) {
  TRecordSet& rs = Records(t);
  t.SetResult(std::to_string(rs.names.size()), kTagNumber);
}

}  // namespace tama
