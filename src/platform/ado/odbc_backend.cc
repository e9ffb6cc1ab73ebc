// The driver-manager back end (unixODBC, wide calls: SQLWCHAR is UTF-16
// there, as our strings are). Scrollable sources ask the driver for a
// static cursor, count with a fetch of the last row, and read a row by an
// absolute fetch, or the next one when the reads go in order; a driver that
// cannot scroll has its rows held instead.
#include <sql.h>
#include <sqlext.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ado/backend.h"
#include "platform/ado/connection_string.h"
#include "platform/ado/sqlite_open_reads.h"
#include "platform/ado/sqlite_turns.h"
#include "platform/ado/wait_bounds.h"
#include "platform/codepage/codepage.h"
#include "zorvadel/runtime.h"

namespace zorvadel::ado {
namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the driver manager's wide text is UTF-16");

SQLWCHAR* Wide(std::u16string& text) { return reinterpret_cast<SQLWCHAR*>(text.data()); }

bool Ok(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// The driver's diagnostics, "[SQLSTATE] message" each, joined.
std::u16string Diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  std::u16string out;
  for (SQLSMALLINT record = 1; record <= 3; ++record) {
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLWCHAR message[1024] = {};
    SQLSMALLINT length = 0;
    if (!Ok(SQLGetDiagRecW(type, handle, record, state, &native, message, 1024, &length))) break;
    if (!out.empty()) out += u' ';
    out += u'[';
    out += reinterpret_cast<const char16_t*>(state);
    out += u"] ";
    out += reinterpret_cast<const char16_t*>(message);
  }
  return out.empty() ? u"The driver gave no reason." : out;
}

[[noreturn]] void Fail(SQLSMALLINT type, SQLHANDLE handle) {
  throw ScriptError(kErrProvider, Diagnostics(type, handle));
}

// The environment and the connection, shared by every source on it.
class OdbcLink {
 public:
  OdbcLink() {
    if (!Ok(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_))) {
      env_ = SQL_NULL_HANDLE;
      throw ScriptError(kErrProvider, u"The ODBC driver manager cannot start.");
    }
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!Ok(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_))) Fail(SQL_HANDLE_ENV, env_);
  }
  ~OdbcLink() {
    if (connected_) SQLDisconnect(dbc_);
    if (dbc_ != SQL_NULL_HANDLE) SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    if (env_ != SQL_NULL_HANDLE) SQLFreeHandle(SQL_HANDLE_ENV, env_);
  }
  OdbcLink(const OdbcLink&) = delete;
  OdbcLink& operator=(const OdbcLink&) = delete;

  void Connect(std::u16string text) {
    // A server that does not answer fails the open instead of hanging it:
    // the attribute for the drivers that honour it, keys of their own for
    // those that do not.
    SQLSetConnectAttr(dbc_, SQL_ATTR_LOGIN_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(kConnectSeconds)), 0);
    const std::string driver_file = DriverFileOf(env_, text);
    SqliteFileOf(driver_file, text);
    text = WithWaitBounds(text, driver_file);
    query_timeout_ = static_cast<SQLULEN>(QueryTimeoutSeconds(driver_file));
    // No completed string is asked for: for an ANSI driver the driver
    // manager would read its converted copy past the end.
    const SQLRETURN rc = SQLDriverConnectW(dbc_, nullptr, Wide(text), SQL_NTS, nullptr, 0,
                                           nullptr, SQL_DRIVER_NOPROMPT);
    if (!Ok(rc)) Fail(SQL_HANDLE_DBC, dbc_);
    connected_ = true;
  }
  SQLHDBC dbc() const { return dbc_; }
  SQLULEN query_timeout() const { return query_timeout_; }

  // Before a statement that may write through the SQLite driver: the
  // page's own queries on the file through the SQLite back end let go of
  // it, or the write's commit would wait for them until its bound ran out;
  // and a write that the page's own transaction keeps out is refused at
  // once, as it could never have its lock.
  void BeforeWrite() const {
    if (!sqlite_file_) return;
    if (WrittenHere(*sqlite_file_)) {
      throw ScriptError(kErrProvider, std::u16string(kLockedByOwnTransaction));
    }
    LetGoOfReads(&*sqlite_file_, nullptr);
  }

 private:
  // The file that the SQLite driver opens, when it is that driver.
  void SqliteFileOf(std::string_view driver_file, const std::u16string& text) {
    const size_t slash = driver_file.rfind('/');
    const std::string_view base =
        slash == std::string_view::npos ? driver_file : driver_file.substr(slash + 1);
    if (!base.starts_with("libsqlite3odbc")) return;
    const std::u16string database = ConnectionValue(ParseConnectionString(text), u"database");
    struct stat info {};
    if (database.empty() || stat(codepage::ToUtf8(database).c_str(), &info) != 0) return;
    sqlite_file_ = FileId{info.st_dev, info.st_ino};
  }

  std::optional<FileId> sqlite_file_;
  SQLHENV env_ = SQL_NULL_HANDLE;
  SQLULEN query_timeout_ = kStatementSeconds;
  SQLHDBC dbc_ = SQL_NULL_HANDLE;
  bool connected_ = false;
};
using SharedLink = std::shared_ptr<OdbcLink>;

class StatementHandle {
 public:
  StatementHandle(SQLHDBC dbc, SQLULEN query_timeout) {
    if (!Ok(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt_))) {
      stmt_ = SQL_NULL_HANDLE;
      Fail(SQL_HANDLE_DBC, dbc);
    }
    // A server that stops answering fails the statement; a driver that
    // cannot time statements refuses this and is bounded by its keys.
    SQLSetStmtAttr(stmt_, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(query_timeout), 0);
  }
  ~StatementHandle() {
    if (stmt_ != SQL_NULL_HANDLE) SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
  }
  StatementHandle(const StatementHandle&) = delete;
  StatementHandle& operator=(const StatementHandle&) = delete;
  SQLHSTMT get() const { return stmt_; }

 private:
  SQLHSTMT stmt_ = SQL_NULL_HANDLE;
};

enum class ColumnKind : uint8_t {
  kText,
  kInteger,
  kUnsignedBig,  // BIGINT UNSIGNED: beyond the signed range it is a Decimal
  kDouble,
  kDecimal,
  kBoolean,
  kDate,
  kBinary,
};

ColumnKind KindOf(SQLSMALLINT type) {
  switch (type) {
    case SQL_BIT:
      return ColumnKind::kBoolean;
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
      return ColumnKind::kInteger;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return ColumnKind::kDouble;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
      return ColumnKind::kDecimal;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATE:
    case SQL_TIMESTAMP:
      return ColumnKind::kDate;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
      return ColumnKind::kBinary;
    default:
      return ColumnKind::kText;
  }
}

// What the driver's SQL type leaves open. Some drivers (the SQLite one)
// report a DECIMAL or NUMERIC column as text or as a float but keep its
// declared name: the name decides then, so its digits reach the page as
// from a driver that reports a decimal. An unsigned BIGINT is asked for as
// one: drivers wrap its top half into negative numbers when asked for a
// signed one.
ColumnKind KindOf(SQLHSTMT stmt, SQLUSMALLINT number, SQLSMALLINT type) {
  const ColumnKind kind = KindOf(type);
  if (type == SQL_BIGINT) {
    SQLLEN is_unsigned = SQL_FALSE;
    const bool known = Ok(SQLColAttributeW(stmt, number, SQL_DESC_UNSIGNED, nullptr, 0, nullptr,
                                           &is_unsigned));
    return known && is_unsigned == SQL_TRUE ? ColumnKind::kUnsignedBig : kind;
  }
  if (kind != ColumnKind::kText && kind != ColumnKind::kDouble) return kind;
  SQLWCHAR name[64] = {};
  SQLSMALLINT length = 0;
  if (!Ok(SQLColAttributeW(stmt, number, SQL_DESC_TYPE_NAME, name, sizeof name, &length,
                           nullptr))) {
    return kind;
  }
  std::u16string upper = UCase(reinterpret_cast<const char16_t*>(name));
  return upper.starts_with(u"DEC") || upper.starts_with(u"NUMERIC") ? ColumnKind::kDecimal : kind;
}

struct Column {
  ColumnKind kind;
  // Set once a driver refuses wide text for this column: its text then
  // comes as UTF-8 bytes.
  bool narrow = false;
};

// Reads a text column in pieces of any length.
template <typename Char>
bool ReadText(SQLHSTMT stmt, SQLUSMALLINT number, SQLSMALLINT c_type, std::u16string& wide_out,
              std::string& narrow_out, bool& is_null) {
  Char buffer[2048];
  for (;;) {
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(stmt, number, c_type, buffer, sizeof(buffer), &indicator);
    if (rc == SQL_NO_DATA) return true;
    if (!Ok(rc)) return false;
    if (indicator == SQL_NULL_DATA) {
      is_null = true;
      return true;
    }
    // Text comes with a terminating zero in the buffer; bytes without.
    const size_t capacity = sizeof(buffer) / sizeof(Char) - (c_type == SQL_C_BINARY ? 0 : 1);
    size_t count = capacity;
    if (indicator != SQL_NO_TOTAL && static_cast<size_t>(indicator) / sizeof(Char) < capacity) {
      count = static_cast<size_t>(indicator) / sizeof(Char);
    }
    if constexpr (sizeof(Char) == 2) {
      wide_out.append(reinterpret_cast<const char16_t*>(buffer), count);
    } else {
      narrow_out.append(reinterpret_cast<const char*>(buffer), count);
    }
    if (rc == SQL_SUCCESS) return true;  // the last piece
  }
}

// The value as text (Null when it is null): wide text, or UTF-8 bytes from
// a driver that refuses wide text.
Variant ReadTextValue(SQLHSTMT stmt, SQLUSMALLINT number, Column& column) {
  std::u16string wide;
  std::string narrow;
  bool is_null = false;
  if (!column.narrow &&
      ReadText<SQLWCHAR>(stmt, number, SQL_C_WCHAR, wide, narrow, is_null)) {
    return is_null ? Variant::Null() : Variant(std::move(wide));
  }
  column.narrow = true;
  wide.clear();
  if (!ReadText<SQLCHAR>(stmt, number, SQL_C_CHAR, wide, narrow, is_null)) {
    Fail(SQL_HANDLE_STMT, stmt);
  }
  return is_null ? Variant::Null() : Variant(codepage::FromUtf8(narrow));
}

Variant ReadValue(SQLHSTMT stmt, SQLUSMALLINT number, Column& column) {
  SQLLEN indicator = 0;
  switch (column.kind) {
    case ColumnKind::kInteger: {
      SQLBIGINT value = 0;
      // A value the driver will not give as a signed 64-bit number: its digits.
      if (!Ok(SQLGetData(stmt, number, SQL_C_SBIGINT, &value, 0, &indicator))) {
        return DecimalWhereItFits(ReadTextValue(stmt, number, column));
      }
      if (indicator == SQL_NULL_DATA) return Variant::Null();
      if (value >= INT32_MIN && value <= INT32_MAX) return Variant(static_cast<int32_t>(value));
      return Variant::LongLong(value);
    }
    case ColumnKind::kUnsignedBig: {
      SQLUBIGINT value = 0;
      if (!Ok(SQLGetData(stmt, number, SQL_C_UBIGINT, &value, 0, &indicator))) {
        return DecimalWhereItFits(ReadTextValue(stmt, number, column));
      }
      if (indicator == SQL_NULL_DATA) return Variant::Null();
      if (value <= INT32_MAX) return Variant(static_cast<int32_t>(value));
      if (value <= INT64_MAX) return Variant::LongLong(static_cast<int64_t>(value));
      return Variant::Decimal(DecimalValue{.low = value});
    }
    case ColumnKind::kDecimal:
      return DecimalWhereItFits(ReadTextValue(stmt, number, column));
    case ColumnKind::kDouble: {
      double value = 0;
      if (!Ok(SQLGetData(stmt, number, SQL_C_DOUBLE, &value, 0, &indicator))) break;
      if (indicator == SQL_NULL_DATA) return Variant::Null();
      return Variant(value);
    }
    case ColumnKind::kBoolean: {
      unsigned char value = 0;
      if (!Ok(SQLGetData(stmt, number, SQL_C_BIT, &value, 0, &indicator))) break;
      if (indicator == SQL_NULL_DATA) return Variant::Null();
      return Variant(value != 0);
    }
    case ColumnKind::kDate: {
      SQL_TIMESTAMP_STRUCT value = {};
      if (!Ok(SQLGetData(stmt, number, SQL_C_TYPE_TIMESTAMP, &value, 0, &indicator))) break;
      if (indicator == SQL_NULL_DATA) return Variant::Null();
      DateParts parts{value.year, value.month, value.day, value.hour, value.minute, value.second};
      return Variant::Date(DateSerial(parts));
    }
    case ColumnKind::kBinary: {
      // Bytes, one character each: some drivers fail (or worse) when asked
      // for a binary column as text.
      std::u16string wide;
      std::string bytes;
      bool is_null = false;
      if (!ReadText<SQLCHAR>(stmt, number, SQL_C_BINARY, wide, bytes, is_null)) break;
      if (is_null) return Variant::Null();
      std::u16string text;
      for (char byte : bytes) text += static_cast<char16_t>(static_cast<unsigned char>(byte));
      return Variant(std::move(text));
    }
    case ColumnKind::kText:
      break;
  }
  // Text, and any value whose own C type the driver refused.
  return ReadTextValue(stmt, number, column);
}

void ReadRow(SQLHSTMT stmt, std::vector<Column>& columns, std::vector<Variant>& row) {
  row.resize(columns.size());
  for (size_t i = 0; i < columns.size(); ++i) {
    row[i] = ReadValue(stmt, static_cast<SQLUSMALLINT>(i + 1), columns[i]);
  }
}

// One executed statement with rows: forward, scrolling, or held.
class OdbcSource : public RowSource {
 public:
  OdbcSource(SharedLink link, std::unique_ptr<StatementHandle> stmt, bool scrollable,
             bool narrow_text)
      : link_(std::move(link)), stmt_(std::move(stmt)) {
    SQLSMALLINT count = 0;
    SQLNumResultCols(stmt_->get(), &count);
    for (SQLSMALLINT i = 1; i <= count; ++i) {
      SQLWCHAR name[256] = {};
      SQLSMALLINT name_length = 0, type = 0, digits = 0, nullable = 0;
      SQLULEN size = 0;
      if (!Ok(SQLDescribeColW(stmt_->get(), static_cast<SQLUSMALLINT>(i), name, 256, &name_length,
                              &type, &size, &digits, &nullable))) {
        Fail(SQL_HANDLE_STMT, stmt_->get());
      }
      names_.emplace_back(reinterpret_cast<const char16_t*>(name));
      columns_.push_back({KindOf(stmt_->get(), static_cast<SQLUSMALLINT>(i), type), narrow_text});
    }
    if (scrollable) StartScrolling();
  }

  int64_t Count() override { return scrollable_ ? count_ : -1; }

  bool Read(int64_t index, std::vector<Variant>& row) override {
    if (held_all_) {
      if (index < 0 || index >= static_cast<int64_t>(held_.size())) return false;
      row = held_[static_cast<size_t>(index)];
      return true;
    }
    if (!scrollable_) {
      if (done_ || index != position_ + 1) return false;
      if (!FetchNext()) return false;
      ReadRow(stmt_->get(), columns_, row);
      return true;
    }
    if (index < 0 || index >= count_) return false;
    const SQLRETURN rc = index == position_ + 1
                             ? SQLFetchScroll(stmt_->get(), SQL_FETCH_NEXT, 0)
                             : SQLFetchScroll(stmt_->get(), SQL_FETCH_ABSOLUTE,
                                              static_cast<SQLLEN>(index + 1));
    if (rc == SQL_NO_DATA) {
      position_ = -2;
      return false;
    }
    if (!Ok(rc)) Fail(SQL_HANDLE_STMT, stmt_->get());
    position_ = index;
    ReadRow(stmt_->get(), columns_, row);
    return true;
  }

 private:
  bool FetchNext() {
    const SQLRETURN rc = SQLFetch(stmt_->get());
    if (rc == SQL_NO_DATA) {
      done_ = true;
      return false;
    }
    if (!Ok(rc)) Fail(SQL_HANDLE_STMT, stmt_->get());
    ++position_;
    return true;
  }

  void StartScrolling() {
    scrollable_ = true;
    SQLHSTMT stmt = stmt_->get();
    SQLULEN cursor = SQL_CURSOR_FORWARD_ONLY;
    SQLGetStmtAttr(stmt, SQL_ATTR_CURSOR_TYPE, &cursor, 0, nullptr);
    SQLRETURN rc = SQL_NO_DATA;
    if (cursor == SQL_CURSOR_FORWARD_ONLY) {
      rc = SQLFetch(stmt);
    } else {
      rc = SQLFetchScroll(stmt, SQL_FETCH_LAST, 0);
      if (rc == SQL_NO_DATA) {
        count_ = 0;
        return;
      }
      // Some drivers scroll but cannot number their rows (they answer
      // "unknown", a negative number): those are counted by a walk that
      // keeps nothing.
      SQLLEN row_number = 0;
      if (Ok(rc) && Ok(SQLGetStmtAttr(stmt, SQL_ATTR_ROW_NUMBER, &row_number, 0, nullptr)) &&
          row_number > 0) {
        count_ = static_cast<int64_t>(row_number);
        position_ = count_ - 1;
        return;
      }
      if (Ok(rc)) rc = SQLFetchScroll(stmt, SQL_FETCH_FIRST, 0);
      if (Ok(rc)) {
        count_ = 0;
        while (Ok(rc)) {
          ++count_;
          rc = SQLFetchScroll(stmt, SQL_FETCH_NEXT, 0);
        }
        if (rc != SQL_NO_DATA) Fail(SQL_HANDLE_STMT, stmt);
        position_ = -2;
        return;
      }
    }
    // The driver cannot scroll: the rows
    // are held, as a client cursor would hold them.
    held_all_ = true;
    std::vector<Variant> row;
    while (rc != SQL_NO_DATA) {
      if (!Ok(rc)) Fail(SQL_HANDLE_STMT, stmt);
      ReadRow(stmt, columns_, row);
      held_.push_back(row);
      rc = cursor == SQL_CURSOR_FORWARD_ONLY ? SQLFetch(stmt) : SQLFetchScroll(stmt, SQL_FETCH_NEXT, 0);
    }
    count_ = static_cast<int64_t>(held_.size());
  }

  SharedLink link_;
  std::unique_ptr<StatementHandle> stmt_;
  std::vector<Column> columns_;
  int64_t count_ = -1;
  int64_t position_ = -1;  // the row the cursor stands on; -2 after the end
  bool done_ = false;
  bool held_all_ = false;
  std::vector<std::vector<Variant>> held_;
};

class OdbcDatabase : public Database {
 public:
  OdbcDatabase(SharedLink link, const OdbcOptions& options)
      : link_(std::move(link)), options_(options) {}

  void RunWithTexts(std::u16string_view sql, const std::vector<std::u16string>& texts) override {
    if (options_.read_only) RaiseReadOnly();
    link_->BeforeWrite();
    StatementHandle stmt(link_->dbc(), link_->query_timeout());
    std::u16string text(sql);
    if (!Ok(SQLPrepareW(stmt.get(), Wide(text), SQL_NTS))) Fail(SQL_HANDLE_STMT, stmt.get());
    // The values stay where they are until the statement has run.
    std::vector<std::u16string> values(texts);
    std::vector<SQLLEN> lengths(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
      lengths[i] = static_cast<SQLLEN>(values[i].size() * sizeof(char16_t));
      const SQLULEN column = values[i].empty() ? 1 : values[i].size();
      if (!Ok(SQLBindParameter(stmt.get(), static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                               SQL_C_WCHAR, SQL_WVARCHAR, column, 0, Wide(values[i]),
                               lengths[i], &lengths[i]))) {
        Fail(SQL_HANDLE_STMT, stmt.get());
      }
    }
    const SQLRETURN rc = SQLExecute(stmt.get());
    if (rc != SQL_NO_DATA && !Ok(rc)) Fail(SQL_HANDLE_STMT, stmt.get());
  }

  std::unique_ptr<RowSource> Run(std::u16string_view sql, bool scrollable) override {
    if (options_.read_only && !LooksLikeQuery(sql)) RaiseReadOnly();
    if (!LooksLikeQuery(sql)) link_->BeforeWrite();
    auto stmt = std::make_unique<StatementHandle>(link_->dbc(), link_->query_timeout());
    if (scrollable) {
      SQLSetStmtAttr(stmt->get(), SQL_ATTR_CURSOR_TYPE,
                     reinterpret_cast<SQLPOINTER>(SQL_CURSOR_STATIC), 0);
    }
    std::u16string text(sql);
    const SQLRETURN rc = SQLExecDirectW(stmt->get(), Wide(text), SQL_NTS);
    if (rc != SQL_NO_DATA && !Ok(rc)) Fail(SQL_HANDLE_STMT, stmt->get());
    SQLSMALLINT columns = 0;
    if (rc == SQL_NO_DATA || !Ok(SQLNumResultCols(stmt->get(), &columns)) || columns == 0) {
      return nullptr;
    }
    return std::make_unique<OdbcSource>(link_, std::move(stmt), scrollable, options_.narrow_text);
  }

 private:
  SharedLink link_;
  OdbcOptions options_;
};

}  // namespace

std::u16string FirstWord(std::u16string_view sql) {
  size_t i = 0;
  while (i < sql.size() && (sql[i] == u' ' || sql[i] == u'\t' || sql[i] == u'\r' ||
                            sql[i] == u'\n' || sql[i] == u'(')) {
    ++i;
  }
  std::u16string word;
  while (i < sql.size() && word.size() < 9 &&
         ((sql[i] >= u'a' && sql[i] <= u'z') || (sql[i] >= u'A' && sql[i] <= u'Z'))) {
    word += static_cast<char16_t>(sql[i] | 0x20);
    ++i;
  }
  return word;
}

bool LooksLikeQuery(std::u16string_view sql) { return FirstWord(sql) == u"select"; }

void RaiseReadOnly() {
  throw ScriptError(kErrProvider,
                    u"Operation must use an updateable query: the database is open read-only.");
}

// Drivers give DECIMAL digits as text without loss, where their own
// numeric conversions stop at a Double or at 64 bits.
Variant DecimalWhereItFits(Variant value) {
  if (!IsNumeric(value)) return value;
  try {
    return Variant::Decimal(CDec(value));
  } catch (const ScriptError&) {
    return value;
  }
}

std::shared_ptr<Database> OpenOdbc(const std::u16string& connection_string,
                                   const OdbcOptions& options) {
  // The SQLite driver runs the process's own SQLite.
  SqliteReady();
  auto link = std::make_shared<OdbcLink>();
  link->Connect(connection_string);
  return std::make_shared<OdbcDatabase>(std::move(link), options);
}

}  // namespace zorvadel::ado
