// The database module: the embedded engine and the driver manager behind the
// DB commands. Results are read whole into memory; texts leave as Shift-JIS.
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "commands/office_module.h"
#include "db_internal.h"
#include "sjis/convert.h"
#include "support/number.h"

namespace tama::office {

namespace {

// ---- the embedded engine ----

class TEmbedded : public IDbConnection {
 public:
  explicit TEmbedded(sqlite3* db) : db_(db) {}
  ~TEmbedded() override { sqlite3_close_v2(db_); }

  bool Execute(const std::string& sql, TDbResult& out, std::string& error) override {
    const std::string text = sjis::SjisToUtf8(sql);
    const char* p = text.c_str();
    const char* end = p + text.size();
    TDbResult result;
    while (p < end) {
      sqlite3_stmt* st = nullptr;
      const char* tail = nullptr;
      if (sqlite3_prepare_v2(db_, p, static_cast<int>(end - p), &st, &tail) != SQLITE_OK) {
        error = sjis::Utf8ToSjisLossy(sqlite3_errmsg(db_));
        return false;
      }
      p = tail;
      if (!st) continue;  // blanks or a comment only
      TDbResult one;
      const int n = sqlite3_column_count(st);
      one.columns = n > 0;
      for (int i = 0; i < n; ++i) {
        const char* name = sqlite3_column_name(st, i);
        one.names.push_back(sjis::Utf8ToSjisLossy(name ? name : ""));
      }
      int rc;
      while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        std::vector<TDbValue> row(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) row[static_cast<size_t>(i)] = Field(st, i);
        one.rows.push_back(std::move(row));
      }
      if (rc != SQLITE_DONE) {
        error = sjis::Utf8ToSjisLossy(sqlite3_errmsg(db_));
        sqlite3_finalize(st);
        return false;
      }
      sqlite3_finalize(st);
      result = std::move(one);
    }
    out = std::move(result);
    return true;
  }

 private:
  static TDbValue Field(sqlite3_stmt* st, int i) {
    TDbValue v;
    switch (sqlite3_column_type(st, i)) {
      case SQLITE_NULL:
        return v;
      case SQLITE_INTEGER:
        v.text = FormatInteger(sqlite3_column_int64(st, i));
        break;
      case SQLITE_FLOAT:
        v.text = FormatNumber(static_cast<long double>(sqlite3_column_double(st, i)));
        break;
      case SQLITE_BLOB: {
        const void* b = sqlite3_column_blob(st, i);
        const int len = sqlite3_column_bytes(st, i);
        if (b && len > 0) v.text.assign(static_cast<const char*>(b), static_cast<size_t>(len));
        break;
      }
      default: {
        const unsigned char* s = sqlite3_column_text(st, i);
        const int len = sqlite3_column_bytes(st, i);
        if (s) v.text = sjis::Utf8ToSjisLossy(std::string_view(reinterpret_cast<const char*>(s), static_cast<size_t>(len)));
        break;
      }
    }
    v.null = false;
    return v;
  }

  sqlite3* db_;
};

// ---- the driver manager ----

// Texts cross the driver manager as UTF-8 through its narrow functions:
// drivers on this system take and give UTF-8 there, and a driver without
// wide functions would get wide texts cut to single bytes.
std::string ToDriver(const std::string& sjisText) { return sjis::SjisToUtf8(sjisText); }
std::string FromDriver(const char* p, size_t n) { return sjis::Utf8ToSjisLossy(std::string_view(p, n)); }
// A text the driver wrote into a buffer of `size` bytes, of the length it told.
std::string FromBuffer(const SQLCHAR* buf, SQLSMALLINT len, size_t size) {
  const size_t n = len < 0 ? 0 : std::min(static_cast<size_t>(len), size - 1);
  return FromDriver(reinterpret_cast<const char*>(buf), n);
}

// The diagnostic records of a handle, one a line.
std::string Diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  std::string out;
  for (SQLSMALLINT i = 1;; ++i) {
    SQLCHAR state[6];
    SQLINTEGER native = 0;
    SQLCHAR text[1024];
    SQLSMALLINT len = 0;
    const SQLRETURN rc = SQLGetDiagRec(type, handle, i, state, &native, text, 1024, &len);
    if (!SQL_SUCCEEDED(rc)) break;
    if (!out.empty()) out += "\r\n";
    out += FromBuffer(text, len, sizeof text);
  }
  return out.empty() ? std::string("ODBC") : out;
}

class TDriver : public IDbConnection {
 public:
  TDriver(SQLHENV env, SQLHDBC dbc) : env_(env), dbc_(dbc) {}
  ~TDriver() override {
    SQLDisconnect(dbc_);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
  }

  bool Execute(const std::string& sql, TDbResult& out, std::string& error) override {
    SQLHSTMT st = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &st))) {
      error = Diagnostics(SQL_HANDLE_DBC, dbc_);
      return false;
    }
    struct TFree {
      SQLHSTMT st;
      ~TFree() { SQLFreeHandle(SQL_HANDLE_STMT, st); }
    } release{st};
    std::string text = ToDriver(sql);
    SQLRETURN rc = SQLExecDirect(st, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
      error = Diagnostics(SQL_HANDLE_STMT, st);
      return false;
    }
    TDbResult result;
    SQLSMALLINT n = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(st, &n))) n = 0;
    result.columns = n > 0;
    std::vector<SQLSMALLINT> types(static_cast<size_t>(n));
    for (SQLUSMALLINT i = 1; i <= n; ++i) {
      SQLCHAR name[256];
      SQLSMALLINT len = 0, type = 0, digits = 0, nullable = 0;
      SQLULEN size = 0;
      SQLDescribeCol(st, i, name, 256, &len, &type, &size, &digits, &nullable);
      result.names.push_back(FromBuffer(name, len, sizeof name));
      types[i - 1] = type;
    }
    while (n > 0) {
      rc = SQLFetch(st);
      if (rc == SQL_NO_DATA) break;
      if (!SQL_SUCCEEDED(rc)) {
        error = Diagnostics(SQL_HANDLE_STMT, st);
        return false;
      }
      std::vector<TDbValue> row(static_cast<size_t>(n));
      for (SQLUSMALLINT i = 1; i <= n; ++i)
        if (!Field(st, i, types[i - 1], row[i - 1], error)) return false;
      result.rows.push_back(std::move(row));
    }
    out = std::move(result);
    return true;
  }

 private:
  static bool Field(SQLHSTMT st, SQLUSMALLINT i, SQLSMALLINT type, TDbValue& v, std::string& error) {
    SQLLEN ind = 0;
    switch (type) {
      case SQL_TINYINT:
      case SQL_SMALLINT:
      case SQL_INTEGER:
      case SQL_BIGINT:
      case SQL_BIT: {
        int64_t n = 0;
        if (!SQL_SUCCEEDED(SQLGetData(st, i, SQL_C_SBIGINT, &n, 0, &ind))) break;
        if (ind == SQL_NULL_DATA) return true;
        v.null = false;
        v.text = FormatInteger(n);
        return true;
      }
      case SQL_REAL:
      case SQL_FLOAT:
      case SQL_DOUBLE: {
        double d = 0;
        if (!SQL_SUCCEEDED(SQLGetData(st, i, SQL_C_DOUBLE, &d, 0, &ind))) break;
        if (ind == SQL_NULL_DATA) return true;
        v.null = false;
        v.text = FormatNumber(static_cast<long double>(d));
        return true;
      }
      case SQL_BINARY:
      case SQL_VARBINARY:
      case SQL_LONGVARBINARY: {
        std::string bytes;
        if (!Pieces(st, i, SQL_C_BINARY, bytes, v, error)) return false;
        if (!v.null) v.text = std::move(bytes);
        return true;
      }
      default:
        break;
    }
    // everything else as text
    std::string text;
    if (!Pieces(st, i, SQL_C_CHAR, text, v, error)) return false;
    if (!v.null) v.text = FromDriver(text.data(), text.size());
    return true;
  }

  // A field read piece by piece as bytes or as text (each text piece ends in
  // a zero byte the driver adds); v.null stays set for a null field.
  static bool Pieces(SQLHSTMT st, SQLUSMALLINT i, SQLSMALLINT cType, std::string& out, TDbValue& v,
                     std::string& error) {
    char buf[4096];
    const size_t room = cType == SQL_C_CHAR ? sizeof buf - 1 : sizeof buf;
    for (;;) {
      SQLLEN ind = 0;
      const SQLRETURN rc = SQLGetData(st, i, cType, buf, sizeof buf, &ind);
      if (rc == SQL_NO_DATA) break;
      if (!SQL_SUCCEEDED(rc)) {
        error = Diagnostics(SQL_HANDLE_STMT, st);
        return false;
      }
      if (ind == SQL_NULL_DATA) return true;
      out.append(buf, ind < 0 || ind > static_cast<SQLLEN>(room) ? room : static_cast<size_t>(ind));
      if (rc == SQL_SUCCESS) break;
    }
    v.null = false;
    return true;
  }

  SQLHENV env_;
  SQLHDBC dbc_;
};

}  // namespace

std::unique_ptr<IDbConnection> OpenEmbeddedDb(const std::string& nativeFile, std::string& error) {
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(nativeFile.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) {
    error = sjis::Utf8ToSjisLossy(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close_v2(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, 5000);
  return std::make_unique<TEmbedded>(db);
}

std::unique_ptr<IDbConnection> OpenDriverDb(const std::string& connection, std::string& error) {
  SQLHENV env = SQL_NULL_HENV;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
    error = "ODBC";
    return nullptr;
  }
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLHDBC dbc = SQL_NULL_HDBC;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
    error = Diagnostics(SQL_HANDLE_ENV, env);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return nullptr;
  }
  std::string text = ToDriver(connection);
  SQLCHAR outText[1024];
  SQLSMALLINT outLen = 0;
  const SQLRETURN rc = SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                                        static_cast<SQLSMALLINT>(text.size()), outText, 1024, &outLen,
                                        SQL_DRIVER_NOPROMPT);
  if (!SQL_SUCCEEDED(rc)) {
    error = Diagnostics(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return nullptr;
  }
  return std::make_unique<TDriver>(env, dbc);
}

}  // namespace tama::office
