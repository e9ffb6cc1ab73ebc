#include "platform/ado/sqlite_file_copy.h"

#include <cstring>

#include "platform/codepage/codepage.h"

namespace zorvadel::ado {
namespace {

// The copy's page cache: the rest of it stays in its temporary file.
constexpr const char* kCopySettings =
    "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-1024";

std::u16string Message(sqlite3* db) {
  return u"[SQLite] " + codepage::FromUtf8(sqlite3_errmsg(db));
}

// The single number `sql` gives on `db`, or -1.
int64_t Number(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  int64_t number = -1;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW) {
    number = sqlite3_column_int64(statement, 0);
  }
  sqlite3_finalize(statement);
  return number;
}

// Whether `sql` calls a function that answers of its connection.
bool AsksItsConnection(sqlite3* db, std::u16string_view sql) {
  const std::u16string text = u"EXPLAIN " + std::u16string(sql);
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare16_v2(db, text.data(), static_cast<int>(text.size() * 2), &statement,
                           nullptr) != SQLITE_OK) {
    sqlite3_finalize(statement);
    return true;
  }
  bool asks = false;
  // Each row of EXPLAIN is one instruction: opcode in column 1, p4 in 5,
  // a call's p4 being "name(arguments)".
  while (!asks && sqlite3_step(statement) == SQLITE_ROW) {
    const auto* opcode = reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
    const auto* p4 = reinterpret_cast<const char*>(sqlite3_column_text(statement, 5));
    if (opcode == nullptr || p4 == nullptr) continue;
    if (std::strcmp(opcode, "Function") != 0 && std::strcmp(opcode, "PureFunc") != 0) continue;
    for (const char* name : {"changes(", "total_changes(", "last_insert_rowid("}) {
      if (std::strncmp(p4, name, std::strlen(name)) == 0) asks = true;
    }
  }
  sqlite3_finalize(statement);
  return asks;
}

}  // namespace

std::unique_ptr<SqliteFileCopy> SqliteFileCopy::Make(sqlite3* reader,
                                                     std::u16string_view windowed) {
  sqlite3* db = nullptr;
  // An empty name: a temporary file, removed from its folder as it opens.
  if (sqlite3_open_v2("", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK ||
      sqlite3_exec(db, kCopySettings, nullptr, nullptr, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return nullptr;
  }
  auto copy = std::unique_ptr<SqliteFileCopy>(new SqliteFileCopy(db));
  // The reader's read is open, so the backup reads within it: the pages
  // are those of the state the query began on.
  sqlite3_backup* backup = sqlite3_backup_init(db, "main", reader, "main");
  if (backup == nullptr) return nullptr;
  const int stepped = sqlite3_backup_step(backup, -1);
  sqlite3_backup_finish(backup);
  if (stepped != SQLITE_DONE) return nullptr;
  if (sqlite3_prepare16_v2(db, windowed.data(), static_cast<int>(windowed.size() * 2),
                           &copy->window_, nullptr) != SQLITE_OK ||
      copy->window_ == nullptr) {
    return nullptr;
  }
  return copy;
}

SqliteFileCopy::~SqliteFileCopy() {
  sqlite3_finalize(window_);
  sqlite3_close(db_);
}

sqlite3_stmt* SqliteFileCopy::Row(int64_t index, std::u16string* error) {
  if (index < 0) return nullptr;
  if (index != next_) {
    sqlite3_reset(window_);
    sqlite3_bind_int64(window_, sqlite3_bind_parameter_count(window_), index);
    next_ = index;
  }
  const int rc = sqlite3_step(window_);
  if (rc != SQLITE_ROW) {
    next_ = -1;
    sqlite3_reset(window_);
    if (rc != SQLITE_DONE) *error = Message(db_);
    return nullptr;
  }
  ++next_;
  return window_;
}

int64_t SqliteFileCopy::Number(std::u16string_view sql, std::u16string* error) {
  sqlite3_stmt* statement = nullptr;
  int64_t number = -1;
  if (sqlite3_prepare16_v2(db_, sql.data(), static_cast<int>(sql.size() * 2), &statement,
                           nullptr) == SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW) {
    number = sqlite3_column_int64(statement, 0);
  } else {
    *error = Message(db_);
  }
  sqlite3_finalize(statement);
  return number;
}

bool ReadsAlikeOnCopy(sqlite3* reader, std::u16string_view sql) {
  // The spools' own tables are named by no query.
  const int64_t temporary = Number(
      reader,
      "SELECT COUNT(*) FROM temp.sqlite_master WHERE name NOT LIKE 'zorvadel\\_spool\\_%' ESCAPE "
      "'\\'");
  return temporary == 0 && !AsksItsConnection(reader, sql);
}

int64_t FileBytes(sqlite3* reader) {
  const int64_t pages = Number(reader, "PRAGMA main.page_count");
  const int64_t size = Number(reader, "PRAGMA main.page_size");
  return pages < 0 || size < 0 ? -1 : pages * size;
}

}  // namespace zorvadel::ado
