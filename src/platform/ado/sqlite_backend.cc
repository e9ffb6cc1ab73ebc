// The SQLite back end. A scrollable source never materialises its rows: it
// counts them with COUNT(*) over the statement, and reads from any position
// with the statement wrapped in LIMIT/OFFSET, stepping on from there while
// the reads go in order. So page N of a large table costs one count and
// one positioned query, and memory holds one row at a time.
//
// Every query reads the file as it was when the query began, whatever the
// page writes to the file meanwhile. In a rollback journal the reader's
// lock keeps the page's writes on its other connections out, so before it
// lets go of the file the query sets aside the rows it can still be asked
// for (in memory, past a megabyte in a spool of its connection's temporary
// database, or, for a scrollable query whose result is a large part of the
// file, in a copy of the file's pages) and reads on from there. In WAL SQLite keeps the reader's
// snapshot by itself; the query still sets its rows aside when they fit in
// memory, as a snapshot held across the page's writes keeps SQLite from
// starting its log over. A write through the query's own connection sets
// them aside in either mode. Only a page that writes a file it has a query
// open on pays for any of this.
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/ado/backend.h"
#include "platform/ado/sqlite_file_copy.h"
#include "platform/ado/sqlite_idle.h"
#include "platform/ado/sqlite_open_reads.h"
#include "platform/ado/sqlite_spool.h"
#include "platform/ado/sqlite_turns.h"
#include "platform/ado/wait_bounds.h"
#include "platform/codepage/codepage.h"
#include "platform/fso/sqlite_neighbours.h"
#include "runtime/joined.h"
#include "zorvadel/runtime.h"

namespace zorvadel::ado {
namespace {

// How a column's declared type asks its values to be read: SQLite stores
// Booleans as integers, dates as text, and DECIMAL or NUMERIC values as
// integers, as 8-byte floats (when their first 15 digits survive that) or
// as text.
enum class ColumnKind : uint8_t { kPlain, kBoolean, kDate, kDecimal };

ColumnKind KindOf(const char* declared) {
  if (declared == nullptr) return ColumnKind::kPlain;
  std::string upper(declared);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c -= 32;
  }
  if (upper.find("BOOL") != std::string::npos || upper == "BIT" || upper == "YESNO") {
    return ColumnKind::kBoolean;
  }
  if (upper.find("DATE") != std::string::npos || upper.find("TIME") != std::string::npos) {
    return ColumnKind::kDate;
  }
  if (upper.find("DEC") != std::string::npos || upper.find("NUMERIC") != std::string::npos) {
    return ColumnKind::kDecimal;
  }
  return ColumnKind::kPlain;
}

// A statement that its handle remembers goes back to it, any other is
// finalized.
struct StatementCloser {
  SqliteHandle* handle = nullptr;
  void operator()(sqlite3_stmt* statement) const {
    if (handle != nullptr) {
      handle->GiveBack(statement);
    } else {
      sqlite3_finalize(statement);
    }
  }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementCloser>;

// The open file, shared by the connection and every row source on it, so
// that a recordset outlives the Close of its connection safely. When the
// last of them lets go, a handle opened on a full path goes to the thread's
// idle handles, unless a statement may have changed the handle itself.
class SqliteFile {
 public:
  explicit SqliteFile(std::unique_ptr<SqliteHandle> handle) : handle_(std::move(handle)) {}
  ~SqliteFile() {
    if (!path_.empty()) KeepIdleSqlite(path_, std::move(handle_));
  }
  SqliteFile(const SqliteFile&) = delete;
  SqliteFile& operator=(const SqliteFile&) = delete;
  sqlite3* get() const { return handle_->db(); }
  SqliteHandle& handle() const { return *handle_; }
  // Hands the handle, opened on `path`, to the idle ones when released;
  // an empty path closes it.
  void KeepWhenReleased(std::string path) { path_ = std::move(path); }
  // After `sql` runs, the handle is as a new one only when the statement
  // touched rows and nothing else: a PRAGMA, an ATTACH, a temporary table
  // or an open transaction would reach the next page that took it. Such a
  // statement may change the schema too, which the statements prepared
  // before would describe as it was until they next run.
  void Running(std::u16string_view sql) {
    if (TouchesOnlyRows(sql)) return;
    path_.clear();
    handle_->Forget();
  }

 private:
  static bool TouchesOnlyRows(std::u16string_view sql) {
    const std::u16string word = FirstWord(sql);
    return word == u"select" || word == u"with" || word == u"values" || word == u"insert" ||
           word == u"update" || word == u"delete" || word == u"replace";
  }

  std::unique_ptr<SqliteHandle> handle_;
  std::string path_;
};
using SharedFile = std::shared_ptr<SqliteFile>;

[[noreturn]] void Fail(sqlite3* db) {
  throw ScriptError(kErrProvider, u"[SQLite] " + codepage::FromUtf8(sqlite3_errmsg(db)));
}

// The waits that are refused, each with the reason its failure line gives
// (kLockedByOwnTransaction for the page's own transaction).
constexpr std::u16string_view kLockedByWaitingPage =
    u"[SQLite] database is locked by a page that waits for this one: this page's transaction "
    u"was rolled back";
constexpr std::u16string_view kRolledBack =
    u"[SQLite] This page's transaction was rolled back: it would have waited for a page that "
    u"waits for it";

[[noreturn]] void Refuse(WaitVerdict verdict) {
  if (verdict == WaitVerdict::kOwnTurn) {
    throw ScriptError(kErrProvider, std::u16string(kLockedByOwnTransaction));
  }
  if (verdict == WaitVerdict::kDeadlock) {
    throw ScriptError(kErrProvider, std::u16string(kLockedByWaitingPage));
  }
  throw ScriptError(kErrProvider, u"[SQLite] database is locked");
}

// Rolls back the handle's transaction, if one is open, and gives back its
// turn: its later statements fail until the page ends that transaction.
void RollBack(SqliteHandle& handle) {
  if (sqlite3_get_autocommit(handle.db()) == 0) {
    sqlite3_exec(handle.db(), "ROLLBACK", nullptr, nullptr, nullptr);
    handle.rolled_back = true;
  }
  handle.writers().Leave();
}

// Ends the cycle of waits that the calling page's wait would close: every
// transaction it holds a turn for is rolled back, so that the pages
// waiting for it go on. The waiting handle's own, if any, follows once its
// statement has failed.
void RollBackPage(const SqliteHandle* waiting) {
  for (void* owner : TurnsHeldHere()) {
    auto* held = static_cast<SqliteHandle*>(owner);
    if (held != waiting) RollBack(*held);
  }
}

// After a rollback that ended a cycle of waits, the page's statements on
// the handle fail until it ends the transaction it believes open: each
// page stays all or nothing. True for a ROLLBACK, which then has nothing
// left to do.
bool AfterRollBack(SqliteHandle& handle, std::u16string_view sql) {
  if (!handle.rolled_back) return false;
  const std::u16string word = FirstWord(sql);
  if (word == u"rollback") {
    handle.rolled_back = false;
    return true;
  }
  if (word == u"commit" || word == u"end") handle.rolled_back = false;
  throw ScriptError(kErrProvider, std::u16string(kRolledBack));
}

// The failure of a call into SQLite on `handle` (a step of `statement`, or
// a prepare when null) that answered `rc`. A wait given up as one that
// could never end says why; one that ended a cycle of waits first rolls
// back the page's transactions. A wait that ran out keeps SQLite's text.
[[noreturn]] void FailCall(SqliteHandle& handle, int rc, sqlite3_stmt* statement) {
  const WaitVerdict refused = std::exchange(handle.refused, WaitVerdict::kMayEnd);
  if ((rc & 0xff) != SQLITE_BUSY || refused == WaitVerdict::kMayEnd) Fail(handle.db());
  if (refused == WaitVerdict::kDeadlock) {
    if (statement != nullptr) sqlite3_reset(statement);
    RollBackPage(&handle);
    RollBack(handle);
  }
  Refuse(refused);
}

// Runs `attempt`, a call into SQLite that may wait for a lock (a step, or
// a prepare, which may read the schema). A wait that the page's queries on
// its other connections may be holding up is given up at once (the busy
// handler), and the call made again once they have let go of their files,
// outside SQLite's wait: a statement that is busy has not begun, or has
// ended (rolled back, when it wrote), and starts again.
template <typename Attempt>
int LettingGoFirst(SqliteHandle& handle, Attempt attempt) {
  handle.let_go_first = false;
  handle.may_let_go = true;
  int rc = attempt();
  if (rc == SQLITE_BUSY && handle.let_go_first) {
    LetGoOfReads(nullptr, &handle);
    handle.may_let_go = false;
    rc = attempt();
  }
  handle.may_let_go = false;
  // A refusal stands until a call gets past it: SQLite answers busy at once,
  // without asking again, for a call made after its wait was given up (a
  // prepare after the one that could not read the schema).
  if (rc != SQLITE_BUSY) handle.refused = WaitVerdict::kMayEnd;
  return rc;
}

// Prepares `sql` on `handle`: SQLite's result, and the statement in `raw`.
int PrepareOn(SqliteHandle& handle, std::u16string_view sql, sqlite3_stmt** raw) {
  return LettingGoFirst(handle, [&] {
    sqlite3_finalize(*raw);
    *raw = nullptr;
    return sqlite3_prepare16_v2(handle.db(), sql.data(), static_cast<int>(sql.size() * 2), raw,
                                nullptr);
  });
}

// A statement on `handle`, prepared before when it can be; null for text
// without one. SQLite prepares a kept statement anew when the schema it was
// made on has changed since.
Statement Prepare(SqliteHandle& handle, std::u16string_view sql) {
  if (sqlite3_stmt* kept = handle.TakeStatement(sql)) return Statement(kept, {&handle});
  sqlite3_stmt* raw = nullptr;
  const int rc = PrepareOn(handle, sql, &raw);
  Statement statement(raw);
  if (rc != SQLITE_OK) FailCall(handle, rc, nullptr);
  if (raw != nullptr && handle.Remember(sql, raw)) statement.get_deleter().handle = &handle;
  return statement;
}

// Like Prepare, but a statement the wrapping does not fit gives null.
Statement TryPrepare(SqliteHandle& handle, std::u16string_view sql) {
  if (sqlite3_stmt* kept = handle.TakeStatement(sql)) return Statement(kept, {&handle});
  sqlite3_stmt* raw = nullptr;
  if (PrepareOn(handle, sql, &raw) != SQLITE_OK) {
    sqlite3_finalize(raw);
    return nullptr;
  }
  Statement statement(raw);
  if (raw != nullptr && handle.Remember(sql, raw)) statement.get_deleter().handle = &handle;
  return statement;
}

Variant ColumnValue(sqlite3_stmt* statement, int column, ColumnKind kind) {
  switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
      return Variant::Null();
    case SQLITE_INTEGER: {
      const int64_t value = sqlite3_column_int64(statement, column);
      if (kind == ColumnKind::kBoolean) return Variant(value != 0);
      if (kind == ColumnKind::kDecimal) return Variant::Decimal(CDec(Variant::LongLong(value)));
      if (value >= INT32_MIN && value <= INT32_MAX) return Variant(static_cast<int32_t>(value));
      return Variant::LongLong(value);
    }
    case SQLITE_FLOAT: {
      const Variant value(sqlite3_column_double(statement, column));
      return kind == ColumnKind::kDecimal ? DecimalWhereItFits(value) : value;
    }
    default: {
      const auto* text = static_cast<const char16_t*>(sqlite3_column_text16(statement, column));
      const int bytes = sqlite3_column_bytes16(statement, column);
      std::u16string value(text == nullptr ? u"" : std::u16string_view(text, bytes / 2));
      double serial = 0;
      if (kind == ColumnKind::kDate && ParseDate(value, &serial)) return Variant::Date(serial);
      // Digits SQLite kept as text (more than a float holds) are the
      // column's value; any other text stays text.
      if (kind == ColumnKind::kDecimal) return DecimalWhereItFits(Variant(std::move(value)));
      return Variant(std::move(value));
    }
  }
}

struct Columns {
  std::vector<std::u16string> names;
  std::vector<ColumnKind> kinds;
};

Columns ColumnsOf(sqlite3_stmt* statement) {
  Columns columns;
  const int count = sqlite3_column_count(statement);
  for (int i = 0; i < count; ++i) {
    const auto* name = static_cast<const char16_t*>(sqlite3_column_name16(statement, i));
    columns.names.emplace_back(name == nullptr ? u"" : name);
    columns.kinds.push_back(KindOf(sqlite3_column_decltype(statement, i)));
  }
  return columns;
}

void ReadRow(sqlite3_stmt* statement, const std::vector<ColumnKind>& kinds,
             std::vector<Variant>& row) {
  row.resize(kinds.size());
  for (size_t i = 0; i < kinds.size(); ++i) {
    row[i] = ColumnValue(statement, static_cast<int>(i), kinds[i]);
  }
}

// Steps once: true on a row, false at the end.
bool StepRow(SqliteHandle& handle, sqlite3_stmt* statement) {
  const int rc = LettingGoFirst(handle, [&] { return sqlite3_step(statement); });
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  FailCall(handle, rc, statement);
}

// Whether `sql` ends the transaction open on its handle, and so takes no
// lock of its own.
bool EndsTransaction(std::u16string_view sql) {
  const std::u16string word = FirstWord(sql);
  return word == u"commit" || word == u"end" || word == u"rollback" || word == u"release";
}

// Holds the file's writers' turn for a statement that writes, or for any
// statement of an open transaction (which may write later, and would
// otherwise hold SQLite's lock while it queued behind writers waiting for
// that lock), and gives it back once the statement has ended and no
// transaction is open. A deferred BEGIN takes no lock, so it takes no turn
// either: the transaction queues at its first statement, holding nothing
// yet. A writer that cannot have its turn within the statement bound fails
// as SQLite's own wait would.
class StatementTurn {
 public:
  StatementTurn(SqliteHandle& handle, sqlite3_stmt* statement, std::u16string_view sql)
      : handle_(handle) {
    if (statement == nullptr) return;
    const bool writes = sqlite3_stmt_readonly(statement) == 0;
    if (!writes && (sqlite3_get_autocommit(handle.db()) != 0 || EndsTransaction(sql))) return;
    WriterQueue& writers = handle.writers();
    // The page's queries on the file through its other connections would
    // keep the write out until they ended, which only the page could do.
    if (writes) LetGoOfReads(writers.file(), &handle);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(kStatementSeconds);
    if (!writers.holding() && !writers.TryEnter()) {
      // A page that waits holds no read lock it could let go of, this
      // connection's neither: the page it waits for may be waiting for it.
      LetGoOfReads(nullptr, nullptr);
      WaitVerdict refused = WaitVerdict::kMayEnd;
      if (!writers.Enter(deadline, &refused)) {
        if (refused == WaitVerdict::kDeadlock) {
          RollBackPage(&handle);
          RollBack(handle);
        }
        Refuse(refused);
      }
    }
    handle.write_deadline = deadline;
  }
  ~StatementTurn() {
    // The bound was this statement's: a later one of the transaction (its
    // COMMIT, which waits for readers) has its own, however long the
    // statements between waited.
    handle_.write_deadline = {};
    WriterQueue& writers = handle_.writers();
    if (!writers.holding()) return;
    sqlite3* db = handle_.db();
    if (sqlite3_get_autocommit(db) == 0) {
      // Only a transaction that has written holds the lock that keeps
      // others out; one that has only read (or nothing) keeps no reader
      // out, nor another program's writer.
      writers.SetWritten(sqlite3_txn_state(db, "main") == SQLITE_TXN_WRITE);
      return;
    }
    writers.Leave();
  }
  StatementTurn(const StatementTurn&) = delete;
  StatementTurn& operator=(const StatementTurn&) = delete;

 private:
  SqliteHandle& handle_;
};

// SQLite's wait for a lock that another handle holds: a writer waits no
// later than its turn's deadline, a reader for one statement bound. It
// tries again every millisecond: the writers of the process follow one
// another closely, and a reader that slept longer and longer between tries,
// as SQLite's own wait does, would find the file taken at every try.
int WaitWhileBusy(void* data, int count) {
  auto& handle = *static_cast<SqliteHandle*>(data);
  const auto now = std::chrono::steady_clock::now();
  if (count == 0) {
    handle.busy_since = now;
    handle.refused = WaitVerdict::kMayEnd;
    // The page's queries on its other connections may hold what is waited
    // for, as before a wait for a turn: the wait is given up at once, and
    // they let go before the statement starts again (StepRow), outside
    // SQLite's wait.
    if (handle.may_let_go && HasOpenReads(&handle)) {
      handle.let_go_first = true;
      return 0;
    }
  }
  // The holder of the file's turn may be this page, or wait for it.
  const WaitVerdict verdict = handle.writers().CanWaitForHolder();
  if (verdict != WaitVerdict::kMayEnd) {
    handle.refused = verdict;
    return 0;
  }
  auto limit = handle.busy_since + std::chrono::seconds(kStatementSeconds);
  if (handle.write_deadline != std::chrono::steady_clock::time_point{}) {
    limit = std::min(limit, handle.write_deadline);
  }
  if (now >= limit) return 0;
  std::this_thread::sleep_for(
      std::min<std::chrono::steady_clock::duration>(std::chrono::milliseconds(1), limit - now));
  return 1;
}

// changes() and total_changes() as a handle new to the page would answer:
// a kept handle still counts what the pages before changed.
void ChangesOnThisPage(sqlite3_context* context, int /*argc*/, sqlite3_value** /*argv*/) {
  const auto& handle = *static_cast<const SqliteHandle*>(sqlite3_user_data(context));
  const bool changed = sqlite3_total_changes64(handle.db()) != handle.changes_before;
  sqlite3_result_int64(context, changed ? sqlite3_changes64(handle.db()) : 0);
}
void TotalChangesOnThisPage(sqlite3_context* context, int /*argc*/, sqlite3_value** /*argv*/) {
  const auto& handle = *static_cast<const SqliteHandle*>(sqlite3_user_data(context));
  sqlite3_result_int64(context, sqlite3_total_changes64(handle.db()) - handle.changes_before);
}

// A new handle on the file at `name`, opened: set up to wait, to queue its
// writes and to count changes as the page that has it sees them.
void SetUp(SqliteHandle& handle, const std::string& name) {
  sqlite3* db = handle.db();
  sqlite3_busy_handler(db, &WaitWhileBusy, &handle);
  struct stat info {};
  if (stat(name.c_str(), &info) == 0) handle.writers().SetFile(info.st_dev, info.st_ino);
  sqlite3_create_function_v2(db, "changes", 0, SQLITE_UTF8, &handle, &ChangesOnThisPage, nullptr,
                             nullptr, nullptr);
  sqlite3_create_function_v2(db, "total_changes", 0, SQLITE_UTF8, &handle, &TotalChangesOnThisPage,
                             nullptr, nullptr, nullptr);
}

// The text that reads a query from a position: the query in parentheses,
// where the line break ends a trailing "--" comment, with the offset in the
// last mark. A bare "?" takes the number after the highest one the query
// uses, so the query's own marks keep theirs (and read NULL).
std::u16string Windowed(std::u16string_view sql) {
  return Joined({u"SELECT * FROM (", sql, u"\n) LIMIT -1 OFFSET ?"});
}

// Rows a query sets aside are first held in memory, up to this many bytes
// of values: most results a page writes under fit, and need no temporary
// table, whose making costs more than their rows. A larger rest goes to a
// spool (SqliteSpool), on a temporary file past SQLite's page cache.
constexpr size_t kHeldBytes = size_t{1} << 20;

// Rows held in memory by a query that set them aside.
struct RowsAside {
  std::vector<std::vector<Variant>> rows;
  size_t bytes = 0;

  // Steps `statement` into the rows until it ends (true) or they reach
  // kHeldBytes (false: the statement stands after the last row held). A
  // step that fails sets `error` and ends.
  bool TakeRest(sqlite3* db, sqlite3_stmt* statement, const std::vector<ColumnKind>& kinds,
                std::u16string* error) {
    while (bytes < kHeldBytes) {
      const int rc = sqlite3_step(statement);
      if (rc == SQLITE_DONE) return true;
      if (rc != SQLITE_ROW) {
        *error = u"[SQLite] " + codepage::FromUtf8(sqlite3_errmsg(db));
        return true;
      }
      rows.emplace_back();
      ReadRow(statement, kinds, rows.back());
      for (const Variant& value : rows.back()) {
        bytes += sizeof(Variant) + (value.IsString() ? value.string().size() * 2 : 0);
      }
    }
    return false;
  }
};

// A byte of result rows set aside in a spool costs about as much as this
// many bytes of file pages copied (bench_snapshot_reads BM_DeepPage: a
// million short rows, 640 ms against 120 ms for the 46 MB file's pages).
constexpr double kRowCopyCost = 4;

// The mean bytes a row of `rows` takes in a SQLite file: texts about a
// byte a character, numbers up to eight, a byte of header each.
double MeanRecordBytes(const std::vector<std::vector<Variant>>& rows) {
  if (rows.empty()) return 0;
  size_t bytes = 0;
  for (const std::vector<Variant>& row : rows) {
    for (const Variant& value : row) bytes += 1 + (value.IsString() ? value.string().size() : 8);
  }
  return static_cast<double>(bytes) / static_cast<double>(rows.size());
}

// Whether the read of `handle`'s connection keeps the file's writers out:
// not in WAL, where SQLite keeps the reader's snapshot and lets writers in.
// `keeps_out` remembers the journal mode as first found (-1 before): the
// mode cannot change while a reader is open.
bool KeepsWritersOut(SqliteHandle& handle, int8_t& keeps_out) {
  if (keeps_out < 0) {
    // A statement the handle keeps: a page that writes what it reads asks
    // this once per query. Prepared outside the page's waiting rules, as
    // this runs while the page lets go of its queries.
    constexpr std::u16string_view kSql = u"PRAGMA main.journal_mode";
    Statement mode(handle.TakeStatement(kSql), {&handle});
    if (!mode) {
      sqlite3_stmt* raw = nullptr;
      sqlite3_prepare16_v2(handle.db(), kSql.data(), static_cast<int>(kSql.size() * 2), &raw,
                           nullptr);
      mode = Statement(raw);
      if (raw != nullptr && handle.Remember(kSql, raw)) mode.get_deleter().handle = &handle;
    }
    keeps_out = !mode || !JournalIsWal(mode.get()) ? 1 : 0;
  }
  return keeps_out == 1;
}

// What a query does before it lets go of its file (LetGo, BeforeOwnWrite):
// nothing inside a transaction, which keeps its read until it ends (and
// whose rollback would take a spool with it); otherwise it sets its rows
// aside, all of them when its read must end. In WAL it need not: it sets
// them aside only when they fit in memory, and otherwise keeps SQLite's
// snapshot. A WAL snapshot held across the page's writes keeps SQLite from
// starting its log over, which slows every writer of the file.
enum class Aside : uint8_t { kNothing, kWhatFits, kAll };

Aside BeforeLettingGo(SqliteHandle& handle, int8_t& keeps_out, bool own_write) {
  if (sqlite3_get_autocommit(handle.db()) == 0) return Aside::kNothing;
  return own_write || KeepsWritersOut(handle, keeps_out) ? Aside::kAll : Aside::kWhatFits;
}

// Reads a query's rows once, in order, as the file was when the query
// began. Before it lets go of the file, the rows it has not read yet are
// stepped out of its own statement (the same rows in the same order,
// however the query orders them), into memory and past that into a spool,
// and read from there on.
class ForwardSource : public RowSource, public OpenRead {
 public:
  ForwardSource(SharedFile file, Statement statement, Columns columns)
      : file_(std::move(file)),
        statement_(std::move(statement)),
        kinds_(std::move(columns.kinds)),
        entry_(this, &file_->handle(), file_->handle().writers().file()) {
    names_ = std::move(columns.names);
  }
  int64_t Count() override { return -1; }
  bool Read(int64_t index, std::vector<Variant>& row) override {
    if (done_ || index != next_) return false;
    entry_.ReadHere();
    if (!error_.empty()) throw ScriptError(kErrProvider, error_);
    const int64_t past_held = next_ - held_from_ - static_cast<int64_t>(held_.rows.size());
    if (next_ >= held_from_ && past_held < 0) {
      row = std::move(held_.rows[static_cast<size_t>(next_ - held_from_)]);
    } else if (spool_) {
      sqlite3_stmt* spooled = spool_->Row(past_held, &error_);
      if (!error_.empty()) throw ScriptError(kErrProvider, error_);
      if (spooled == nullptr) return End();
      ReadRow(spooled, kinds_, row);
    } else if (!live_ || !StepRow(file_->handle(), statement_.get())) {
      return End();
    } else {
      ReadRow(statement_.get(), kinds_, row);
    }
    ++next_;
    return true;
  }
  void LetGo() override { SetAside(BeforeLettingGo(file_->handle(), keeps_out_, false)); }
  void BeforeOwnWrite() override { SetAside(BeforeLettingGo(file_->handle(), keeps_out_, true)); }

 private:
  bool End() {
    done_ = true;
    held_.rows.clear();
    return false;
  }
  void SetAside(Aside aside) {
    // Before its first read the query has begun nothing.
    if (aside == Aside::kNothing || done_ || next_ == 0 || !live_ || !error_.empty()) return;
    SqliteHandle& handle = file_->handle();
    if (!tried_memory_) {
      tried_memory_ = true;
      held_from_ = next_;
      if (held_.TakeRest(handle.db(), statement_.get(), kinds_, &error_)) {
        // All of it, or a failure that fails the next read.
        live_ = false;
        sqlite3_reset(statement_.get());
        return;
      }
    }
    if (aside != Aside::kAll) return;
    spool_ = SqliteSpool::Make(handle, static_cast<int>(kinds_.size()), &error_);
    if (spool_) spool_->AppendRest(statement_.get(), &error_);
    live_ = false;
    sqlite3_reset(statement_.get());
  }

  SharedFile file_;
  Statement statement_;
  std::vector<ColumnKind> kinds_;
  int64_t next_ = 0;
  bool done_ = false;
  bool live_ = true;  // rows after those set aside come from the statement
  bool tried_memory_ = false;
  int8_t keeps_out_ = -1;  // whether its read keeps writers out; -1 before known
  std::u16string error_;    // why the rows could not be set aside
  int64_t held_from_ = 0;   // the row that the first held is; the spool's follow them
  RowsAside held_;
  std::unique_ptr<SqliteSpool> spool_;
  OpenReadEntry entry_;  // last: listed only while the rest lives
};

// Reads from any position through "SELECT * FROM (...) LIMIT -1 OFFSET ?",
// and counts with COUNT(*) when first asked: reading a page needs no count.
// From its start it keeps a statement of its connection stepped, so that
// its count and its rows are of one state of the file. Before it lets go
// of the file, its whole result is set aside: held in memory when it fits;
// else, when the result is a large part of the file, the file's pages are
// copied (SqliteFileCopy) and the query read again from the copy; else the
// result is copied inside SQLite into a spool. Only a query that draws
// random numbers, and is being read in order, has the rows after its
// position stepped out of its own statement, which alone gives them in the
// order already begun.
class WindowSource : public RowSource, public OpenRead {
 public:
  WindowSource(SharedFile file, Statement window, std::u16string_view sql, Columns columns)
      : file_(std::move(file)),
        window_(std::move(window)),
        sql_(sql),
        kinds_(std::move(columns.kinds)),
        entry_(this, &file_->handle(), file_->handle().writers().file()) {
    names_ = std::move(columns.names);
    scrollable_ = true;
    hold_ = Prepare(file_->handle(), u"PRAGMA main.schema_version");
    StepRow(file_->handle(), hold_.get());
  }
  int64_t Count() override {
    if (!error_.empty()) throw ScriptError(kErrProvider, error_);
    if (all_held_) return static_cast<int64_t>(held_.rows.size());
    if (spool_) return spool_->count();
    if (count_ < 0 && copy_) {
      const int64_t counted = copy_->Number(Counted(), &error_);
      if (!error_.empty()) throw ScriptError(kErrProvider, error_);
      count_ = counted;
    } else if (count_ < 0) {
      Statement count = Prepare(file_->handle(), Counted());
      count_ = StepRow(file_->handle(), count.get()) ? sqlite3_column_int64(count.get(), 0) : 0;
    }
    return count_;
  }
  bool Read(int64_t index, std::vector<Variant>& row) override {
    if (index < 0) return false;
    entry_.ReadHere();
    if (!error_.empty()) throw ScriptError(kErrProvider, error_);
    if (all_held_) {
      if (index >= static_cast<int64_t>(held_.rows.size())) return false;
      row = held_.rows[static_cast<size_t>(index)];
      return true;
    }
    if (spool_ || copy_) {
      sqlite3_stmt* aside = spool_ ? spool_->Row(index, &error_) : copy_->Row(index, &error_);
      if (!error_.empty()) throw ScriptError(kErrProvider, error_);
      if (aside == nullptr) return false;
      ReadRow(aside, kinds_, row);
      return true;
    }
    if (index != next_) Position(index);
    if (!StepRow(file_->handle(), window_.get())) {
      next_ = -1;
      return false;
    }
    ReadRow(window_.get(), kinds_, row);
    ++next_;
    rows_seen_ = std::max(rows_seen_, next_);
    return true;
  }
  void LetGo() override { SetAside(BeforeLettingGo(file_->handle(), keeps_out_, false)); }
  void BeforeOwnWrite() override { SetAside(BeforeLettingGo(file_->handle(), keeps_out_, true)); }

 private:
  void Position(int64_t index) {
    sqlite3_reset(window_.get());
    if (sqlite3_bind_int64(window_.get(), sqlite3_bind_parameter_count(window_.get()), index) !=
        SQLITE_OK) {
      Fail(file_->get());
    }
    next_ = index;
  }
  void SetAside(Aside aside) {
    if (aside == Aside::kNothing || spool_ || copy_ || all_held_ || !error_.empty()) return;
    SqliteHandle& handle = file_->handle();
    const bool draws = DrawsRandomNumbers(handle.db(), sql_);
    const bool random_live = next_ >= 0 && draws;
    if (!tried_memory_ && !random_live) {
      tried_memory_ = true;
      // The whole result again, still in the state the source began in.
      sqlite3_reset(window_.get());
      sqlite3_bind_int64(window_.get(), sqlite3_bind_parameter_count(window_.get()), 0);
      all_held_ = held_.TakeRest(handle.db(), window_.get(), kinds_, &error_);
      sqlite3_reset(window_.get());
      next_ = -1;
      if (!all_held_) {
        row_bytes_ = MeanRecordBytes(held_.rows);
        held_ = RowsAside{};
      }
    }
    if (aside == Aside::kAll && !all_held_ && error_.empty()) {
      if (!draws && PagesCostLess(handle.db())) {
        copy_ = SqliteFileCopy::Make(handle.db(), Windowed(sql_));
      }
      // A copy that failed left the read holding: the rows go to a spool.
      if (!copy_) SpoolRows(handle, random_live);
    }
    if (!all_held_ && !spool_ && !copy_ && error_.empty()) return;  // in WAL, too large to hold
    // A failure fails the next read rather than give other rows.
    sqlite3_reset(window_.get());
    sqlite3_reset(hold_.get());
    next_ = -1;
  }

  std::u16string Counted() const { return Joined({u"SELECT COUNT(*) FROM (", sql_, u"\n)"}); }
  void SpoolRows(SqliteHandle& handle, bool random_live) {
    spool_ = SqliteSpool::Make(handle, static_cast<int>(kinds_.size()), &error_);
    if (spool_ && random_live) {
      if (spool_->AppendQuery(sql_, next_, &error_)) spool_->AppendRest(window_.get(), &error_);
    } else if (spool_) {
      spool_->AppendQuery(sql_, -1, &error_);
    }
  }
  // Whether copying the file's pages costs less than copying the result's
  // rows, which costs several times more a byte (each row decoded, then
  // inserted again). The rows read so far bound the result from below: a
  // deep page alone may tell. Otherwise the result is counted, in the
  // state it began in: a fraction of either copy, and a list asks it
  // anyway.
  bool PagesCostLess(sqlite3* db) {
    if (row_bytes_ <= 0 || !ReadsAlikeOnCopy(db, sql_)) return false;
    const int64_t file_bytes = FileBytes(db);
    if (file_bytes < 0) return false;
    const auto pays = [&](int64_t rows) {
      return static_cast<double>(rows) * row_bytes_ * kRowCopyCost >=
             static_cast<double>(file_bytes);
    };
    if (pays(std::max(count_, rows_seen_))) return true;
    if (count_ < 0) {
      const std::u16string text = Counted();
      sqlite3_stmt* count = nullptr;
      if (sqlite3_prepare16_v2(db, text.data(), static_cast<int>(text.size() * 2), &count,
                               nullptr) == SQLITE_OK &&
          sqlite3_step(count) == SQLITE_ROW) {
        count_ = sqlite3_column_int64(count, 0);
      }
      sqlite3_finalize(count);
      if (count_ < 0) return false;
    }
    return pays(count_);
  }

  SharedFile file_;
  Statement window_;
  std::u16string sql_;
  std::vector<ColumnKind> kinds_;
  Statement hold_;       // stepped while the source reads the file itself
  int64_t count_ = -1;   // not counted yet
  int64_t next_ = -1;    // the row the next step gives; -1 before any read
  int64_t rows_seen_ = 0;  // rows the result has at least, as read from the file
  bool tried_memory_ = false;
  bool all_held_ = false;  // the whole result is in held_
  double row_bytes_ = 0;   // a row's mean bytes in the file, of those held; 0 before known
  int8_t keeps_out_ = -1;  // whether its read keeps writers out; -1 before known
  std::u16string error_;    // why the rows could not be set aside
  RowsAside held_;
  std::unique_ptr<SqliteSpool> spool_;
  std::unique_ptr<SqliteFileCopy> copy_;
  OpenReadEntry entry_;  // last: listed only while the rest lives
};

// The statement without the blanks and semicolons that end it, so that it
// can stand inside parentheses.
std::u16string_view Unterminated(std::u16string_view sql) {
  while (!sql.empty()) {
    char16_t c = sql.back();
    if (c != u';' && c != u' ' && c != u'\t' && c != u'\r' && c != u'\n') break;
    sql.remove_suffix(1);
  }
  return sql;
}

class SqliteDatabase : public Database {
 public:
  explicit SqliteDatabase(SharedFile file) : file_(std::move(file)) {}

  void RunWithTexts(std::u16string_view sql, const std::vector<std::u16string>& texts) override {
    sqlite3* db = file_->get();
    if (AfterRollBack(file_->handle(), sql)) return;
    file_->Running(sql);
    Statement statement = Prepare(file_->handle(), Unterminated(sql));
    if (!statement) throw ScriptError(kErrProvider, u"[SQLite] The statement is empty.");
    for (size_t i = 0; i < texts.size(); ++i) {
      if (sqlite3_bind_text16(statement.get(), static_cast<int>(i + 1), texts[i].data(),
                              static_cast<int>(texts[i].size() * 2),
                              SQLITE_TRANSIENT) != SQLITE_OK) {
        Fail(db);
      }
    }
    const StatementTurn turn(file_->handle(), statement.get(), sql);
    while (StepRow(file_->handle(), statement.get())) {
    }
  }

  std::unique_ptr<RowSource> Run(std::u16string_view sql, bool scrollable) override {
    if (AfterRollBack(file_->handle(), sql)) return nullptr;
    file_->Running(sql);
    sql = Unterminated(sql);
    if (scrollable) {
      if (auto source = TryWindow(sql)) return source;
    }
    Statement statement = Prepare(file_->handle(), sql);
    if (!statement) throw ScriptError(kErrProvider, u"[SQLite] The statement is empty.");
    const bool reads = sqlite3_stmt_readonly(statement.get()) != 0;
    const StatementTurn turn(file_->handle(), statement.get(), sql);
    if (sqlite3_column_count(statement.get()) == 0) {
      while (StepRow(file_->handle(), statement.get())) {
      }
      return nullptr;
    }
    Columns columns = ColumnsOf(statement.get());
    if (!scrollable && reads) {
      return std::make_unique<ForwardSource>(file_, std::move(statement), std::move(columns));
    }
    // A query the wrapping does not fit (a PRAGMA, say), or a statement
    // that writes and returns rows, which ends before its turn does: its
    // rows, held.
    std::vector<std::vector<Variant>> rows;
    while (StepRow(file_->handle(), statement.get())) {
      rows.emplace_back();
      ReadRow(statement.get(), columns.kinds, rows.back());
    }
    return std::make_unique<HeldRows>(std::move(columns.names), std::move(rows), true);
  }

 private:
  // A query wrapped for positioned reads, or null when the statement does
  // not fit in parentheses (an action statement, a PRAGMA, a syntax error,
  // which the plain prepare then reports). The count is prepared when first
  // asked for.
  std::unique_ptr<RowSource> TryWindow(std::u16string_view sql) {
    Statement window = TryPrepare(file_->handle(), Windowed(sql));
    if (!window || sqlite3_column_count(window.get()) == 0) return nullptr;
    Columns columns = ColumnsOf(window.get());
    // Columns that share a name come out of the parentheses renamed
    // ("Id:1"): their names are taken from the statement itself.
    for (const std::u16string& name : columns.names) {
      if (name.find(u':') == std::u16string::npos) continue;
      Statement plain = TryPrepare(file_->handle(), sql);
      if (!plain || sqlite3_column_count(plain.get()) != sqlite3_column_count(window.get())) {
        return nullptr;
      }
      columns.names = ColumnsOf(plain.get()).names;
      break;
    }
    return std::make_unique<WindowSource>(file_, std::move(window), sql, std::move(columns));
  }

  SharedFile file_;
};

// The file's schema version as it reads now, or -1 when it does not read.
int64_t SchemaVersion(SqliteHandle& handle) {
  const Statement statement = TryPrepare(handle, u"PRAGMA schema_version");
  if (!statement) return -1;
  if (LettingGoFirst(handle, [&] { return sqlite3_step(statement.get()); }) != SQLITE_ROW)
    return -1;
  return sqlite3_column_int64(statement.get(), 0);
}

}  // namespace

// SQLite counts every allocation under one process-wide mutex unless told
// not to, and then the threads of a busy server queue on that lock more
// than they work. The switch holds only before SQLite starts: where the
// program has started it already, it refuses, and SQLite runs as that
// program set it up. Its file layer is then hooked, so that the server's
// own descriptors never drop SQLite's locks.
void SqliteReady() {
  static const bool kConfigured = [] {
    const bool counted_off = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK;
    fso::WatchSqliteFiles();
    return counted_off;
  }();
  (void)kConfigured;
}

std::shared_ptr<Database> OpenKeptSqliteFile(const std::u16string& path) {
  std::string name = codepage::ToUtf8(path);
  // A relative path names another file once the working folder changes.
  if (name.empty() || name[0] != '/') return nullptr;
  std::unique_ptr<SqliteHandle> idle = TakeIdleSqlite(name);
  if (!idle) return nullptr;
  // A kept handle prepares on the schema it read last, which another
  // process may have changed since, even while the handle was in use.
  const int64_t version = SchemaVersion(*idle);
  if (version < 0 || version != idle->schema_version()) return nullptr;
  auto file = std::make_shared<SqliteFile>(std::move(idle));
  file->KeepWhenReleased(std::move(name));
  return std::make_shared<SqliteDatabase>(std::move(file));
}

std::shared_ptr<Database> OpenSqliteFile(const std::u16string& path) {
  SqliteReady();
  if (std::shared_ptr<Database> kept = OpenKeptSqliteFile(path)) return kept;
  std::string name = codepage::ToUtf8(path);
  if (name.empty() || name[0] != '/') name.clear();
  sqlite3* raw = nullptr;
  const int rc =
      sqlite3_open_v2(codepage::ToUtf8(path).c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  auto file = std::make_shared<SqliteFile>(std::make_unique<SqliteHandle>(raw));
  if (rc != SQLITE_OK) Fail(raw);
  SetUp(file->handle(), name.empty() ? codepage::ToUtf8(path) : name);
  const int64_t version = SchemaVersion(file->handle());
  // Opening reads nothing; a file that is no database fails here, at Open.
  {
    const Statement probe = Prepare(file->handle(), u"SELECT COUNT(*) FROM sqlite_master");
    StepRow(file->handle(), probe.get());
  }
  // The schema was read between two reads of its version, which each
  // change of the schema raises: when they agree, it is the schema of that
  // version. A handle on a file whose schema changed meanwhile is not kept.
  if (version >= 0 && SchemaVersion(file->handle()) == version) {
    file->handle().set_schema_version(version);
    file->KeepWhenReleased(std::move(name));
  }
  return std::make_shared<SqliteDatabase>(std::move(file));
}

}  // namespace zorvadel::ado
