#include "platform/ado/sqlite_spool.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

#include "platform/ado/sqlite_idle.h"
#include "platform/codepage/codepage.h"

namespace zorvadel::ado {
namespace {

// Rows copied by one INSERT when a statement's rest is stepped out: one
// statement per row would cost more than the copy.
constexpr int kRowsPerInsert = 32;
// The temporary database's size, in pages, up to which a connection that
// spooled is kept for the thread's next page: about SQLite's default page
// cache (2 MB) at the default page size.
constexpr int64_t kKeptTemporaryPages = 512;

std::u16string Message(sqlite3* db) { return u"[SQLite] " + codepage::FromUtf8(sqlite3_errmsg(db)); }

// Runs `sql` (no rows, no parameters) on `db`.
bool Exec(sqlite3* db, const std::string& sql) {
  return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Inserts up to `rows` rows of `columns` values, as many as the last mark
// says: "INSERT INTO temp.T SELECT * FROM (VALUES (?,?),(?,?)) LIMIT ?".
std::string InsertText(const std::string& table, int columns, int rows) {
  std::string row = "(?";
  for (int i = 1; i < columns; ++i) row += ",?";
  row += ")";
  std::string sql = "INSERT INTO temp." + table + " SELECT * FROM (VALUES " + row;
  for (int i = 1; i < rows; ++i) sql += "," + row;
  return sql + ") LIMIT ?";
}

}  // namespace

std::unique_ptr<SqliteSpool> SqliteSpool::Make(SqliteHandle& handle, int columns,
                                               std::u16string* error) {
  // A name no other spool of the process uses, on any connection.
  static std::atomic<uint64_t> made{0};
  std::string table = "zorvadel_spool_" + std::to_string(made.fetch_add(1) + 1);
  std::string sql = "CREATE TEMP TABLE " + table + " (c0";
  for (int i = 1; i < columns; ++i) sql += ", c" + std::to_string(i);
  sql += ")";
  if (!Exec(handle.db(), sql)) {
    *error = Message(handle.db());
    return nullptr;
  }
  auto spool = std::unique_ptr<SqliteSpool>(new SqliteSpool(handle, std::move(table), columns));
  spool->last_insert_rowid_ = sqlite3_last_insert_rowid(handle.db());
  return spool;
}

SqliteSpool::~SqliteSpool() {
  sqlite3_finalize(reader_);
  sqlite3* db = handle_.db();
  const int64_t before = sqlite3_total_changes64(db);
  // A drop is refused while another statement of the connection runs; the
  // rows then go at once, and the empty table with the connection, which
  // is not kept for another page.
  if (!Exec(db, "DROP TABLE temp." + table_)) {
    Exec(db, "DELETE FROM temp." + table_);
    handle_.Forget();
  }
  // Freed pages stay in the temporary file until the connection closes: a
  // connection that spooled more than its page cache holds is not kept.
  sqlite3_stmt* pages = nullptr;
  if (sqlite3_prepare_v2(db, "PRAGMA temp.page_count", -1, &pages, nullptr) == SQLITE_OK &&
      sqlite3_step(pages) == SQLITE_ROW && sqlite3_column_int64(pages, 0) > kKeptTemporaryPages) {
    handle_.Forget();
  }
  sqlite3_finalize(pages);
  Uncounted(before);
}

void SqliteSpool::Uncounted(int64_t total_before) {
  handle_.changes_before += sqlite3_total_changes64(handle_.db()) - total_before;
  sqlite3_set_last_insert_rowid(handle_.db(), last_insert_rowid_);
}

bool SqliteSpool::Failed(std::u16string* error) {
  *error = Message(handle_.db());
  return false;
}

bool SqliteSpool::AppendQuery(std::u16string_view sql, int64_t limit, std::u16string* error) {
  sqlite3* db = handle_.db();
  // The limit takes the mark after the query's own, which keep theirs.
  const std::u16string text = u"INSERT INTO temp." + codepage::FromUtf8(table_) +
                              u" SELECT * FROM (" + std::u16string(sql) + u"\n) LIMIT ?";
  sqlite3_stmt* insert = nullptr;
  if (sqlite3_prepare16_v2(db, text.data(), static_cast<int>(text.size() * 2), &insert,
                           nullptr) != SQLITE_OK) {
    sqlite3_finalize(insert);
    return Failed(error);
  }
  sqlite3_bind_int64(insert, sqlite3_bind_parameter_count(insert), limit < 0 ? -1 : limit);
  const int64_t before = sqlite3_total_changes64(db);
  const int rc = sqlite3_step(insert);
  const int64_t added = sqlite3_total_changes64(db) - before;
  sqlite3_finalize(insert);
  if (rc != SQLITE_DONE) return Failed(error);
  count_ += added;
  Uncounted(before);
  return true;
}

bool SqliteSpool::AppendRest(sqlite3_stmt* statement, std::u16string* error) {
  sqlite3* db = handle_.db();
  const int batch = std::max(1, std::min(kRowsPerInsert, 30000 / columns_));
  sqlite3_stmt* insert = nullptr;
  if (sqlite3_prepare_v2(db, InsertText(table_, columns_, batch).c_str(), -1, &insert,
                         nullptr) != SQLITE_OK) {
    sqlite3_finalize(insert);
    return Failed(error);
  }
  const int limit = sqlite3_bind_parameter_count(insert);
  const int64_t before = sqlite3_total_changes64(db);
  int in_batch = 0;
  // Inserts the batch's first `in_batch` rows.
  auto flush = [&] {
    sqlite3_bind_int(insert, limit, in_batch);
    const int rc = sqlite3_step(insert);
    sqlite3_reset(insert);
    in_batch = 0;
    return rc == SQLITE_DONE;
  };
  int rc = SQLITE_ROW;
  bool ok = true;
  while (ok && (rc = sqlite3_step(statement)) == SQLITE_ROW) {
    for (int i = 0; i < columns_; ++i) {
      sqlite3_bind_value(insert, in_batch * columns_ + i + 1, sqlite3_column_value(statement, i));
    }
    if (++in_batch == batch) ok = flush();
  }
  // Of a step that failed, the statement's message; of an insert, the
  // connection's (the same connection: the last call's is the message).
  if (ok && rc != SQLITE_DONE) ok = false;
  if (ok && in_batch > 0) ok = flush();
  if (!ok) Failed(error);
  count_ += sqlite3_total_changes64(db) - before;
  Uncounted(before);
  sqlite3_finalize(insert);
  return ok;
}

sqlite3_stmt* SqliteSpool::Row(int64_t index, std::u16string* error) {
  if (index < 0 || index >= count_) return nullptr;
  sqlite3* db = handle_.db();
  if (reader_ == nullptr) {
    const std::string sql = "SELECT * FROM temp." + table_ + " WHERE rowid > ?1";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &reader_, nullptr) != SQLITE_OK) {
      Failed(error);
      return nullptr;
    }
  }
  if (index != next_) {
    sqlite3_reset(reader_);
    // Rows were appended to an empty table in order: row N is rowid N + 1.
    sqlite3_bind_int64(reader_, 1, index);
    next_ = index;
  }
  const int rc = sqlite3_step(reader_);
  if (rc != SQLITE_ROW) {
    next_ = -1;
    sqlite3_reset(reader_);
    if (rc != SQLITE_DONE) Failed(error);
    return nullptr;
  }
  ++next_;
  return reader_;
}

bool JournalIsWal(sqlite3_stmt* journal_mode) {
  bool wal = false;
  if (sqlite3_step(journal_mode) == SQLITE_ROW) {
    const auto* mode = reinterpret_cast<const char*>(sqlite3_column_text(journal_mode, 0));
    wal = mode != nullptr && std::strcmp(mode, "wal") == 0;
  }
  sqlite3_reset(journal_mode);
  return wal;
}

bool DrawsRandomNumbers(sqlite3* db, std::u16string_view sql) {
  const std::u16string text = u"EXPLAIN " + std::u16string(sql);
  sqlite3_stmt* statement = nullptr;
  bool draws = false;
  if (sqlite3_prepare16_v2(db, text.data(), static_cast<int>(text.size() * 2), &statement,
                           nullptr) == SQLITE_OK) {
    // Each row of EXPLAIN is one instruction: opcode in column 1, p4 in 5.
    while (!draws && sqlite3_step(statement) == SQLITE_ROW) {
      const auto* opcode = reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
      const auto* p4 = reinterpret_cast<const char*>(sqlite3_column_text(statement, 5));
      if (opcode == nullptr || p4 == nullptr) continue;
      const bool call = std::strcmp(opcode, "Function") == 0 || std::strcmp(opcode, "PureFunc") == 0;
      draws = call && std::strncmp(p4, "random", 6) == 0;
    }
  }
  sqlite3_finalize(statement);
  return draws;
}

}  // namespace zorvadel::ado
