// What Connection and Recordset stand on: an open database that runs one
// statement at a time and hands back its rows. Two back ends implement it:
// SQLite files through libsqlite3, and everything else through the unixODBC
// driver manager.
//
// A scrollable row source knows its count before the first row is read and
// reads any row by its index without holding the rows before it; a forward
// source reads its rows once, in order, and cannot count them.
#ifndef ZORVADEL_PLATFORM_ADO_BACKEND_H_
#define ZORVADEL_PLATFORM_ADO_BACKEND_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ado/ado.h"
#include "zorvadel/variant.h"

namespace zorvadel::ado {

class RowSource {
 public:
  virtual ~RowSource() = default;

  const std::vector<std::u16string>& names() const { return names_; }
  bool scrollable() const { return scrollable_; }
  // The number of rows of a scrollable source (a source may count on the
  // first call); -1 for a forward one.
  virtual int64_t Count() = 0;
  // Reads row `index` (0-based) into `row`, one Variant per column; false
  // past the last row. A forward source reads only the row after the last
  // one it read.
  virtual bool Read(int64_t index, std::vector<Variant>& row) = 0;

 protected:
  std::vector<std::u16string> names_;
  bool scrollable_ = false;
};

// Rows held as a client cursor holds them; a forward cursor reads them once,
// in order, and cannot count them.
class HeldRows : public RowSource {
 public:
  HeldRows(std::vector<std::u16string> names, std::vector<std::vector<Variant>> rows,
           bool scrollable)
      : rows_(std::move(rows)) {
    names_ = std::move(names);
    scrollable_ = scrollable;
  }
  int64_t Count() override { return scrollable_ ? static_cast<int64_t>(rows_.size()) : -1; }
  bool Read(int64_t index, std::vector<Variant>& row) override {
    if (!scrollable_ && index != last_ + 1) return false;
    if (index < 0 || index >= static_cast<int64_t>(rows_.size())) return false;
    last_ = index;
    row = rows_[static_cast<size_t>(index)];
    return true;
  }

 private:
  std::vector<std::vector<Variant>> rows_;
  int64_t last_ = -1;
};

class Database {
 public:
  virtual ~Database() = default;
  // Runs one statement. A statement that returns rows gives its source
  // (scrollable when asked for and the back end can do it); an action
  // statement is carried out and gives null. A failure raises kErrProvider.
  virtual std::unique_ptr<RowSource> Run(std::u16string_view sql, bool scrollable) = 0;
  // Runs one action statement whose "?" marks take `texts` in order, bound
  // as text values apart from the statement. A failure raises kErrProvider.
  virtual void RunWithTexts(std::u16string_view sql, const std::vector<std::u16string>& texts) = 0;
};

// Sets SQLite up for this process, once, before it first opens a file:
// every path into SQLite (the ODBC driver's too) calls it first.
void SqliteReady();

// A SQLite 3 file, read-write, never created: a missing file or one that is
// no SQLite database raises kErrProvider.
std::shared_ptr<Database> OpenSqliteFile(const std::u16string& path);
// The same, only when the calling thread keeps a handle on that very file
// from an earlier page; null otherwise.
std::shared_ptr<Database> OpenKeptSqliteFile(const std::u16string& path);

struct OdbcOptions {
  // Refuses every statement but a query before it reaches the driver.
  bool read_only = false;
  // Asks for text as UTF-8 bytes, never as wide text: for an ANSI driver
  // that fails (MDBTools crashes) when the driver manager asks it for wide
  // text of a long column.
  bool narrow_text = false;
};

// A driver-manager connection on `connection_string`. A driver that cannot
// scroll has the rows of a scrollable source held in memory, as a client
// cursor holds them (the driver manager's cursor library would scroll for
// it, but only over bound columns, and long values are read in pieces).
std::shared_ptr<Database> OpenOdbc(const std::u16string& connection_string,
                                   const OdbcOptions& options);

// A Jet file, read-only, through the MDBTools driver in a reader process
// of its own, bounded in time and memory: a file that the driver cannot
// read sanely, or that it cannot open, raises kErrProvider. The rows of a
// statement are held, scrollable or read once in order as asked.
std::shared_ptr<Database> OpenJetFile(const std::u16string& path);
// The same, only when that very file, unchanged, opened fine before as a
// Jet file; null otherwise.
std::shared_ptr<Database> OpenKnownJetFile(const std::u16string& path);

// The first keyword of a statement, past blanks and opening parentheses,
// in lower case; at most 9 letters, so that a longer word matches none.
std::u16string FirstWord(std::u16string_view sql);

// Whether a statement starts as a query does ("select", "with", "(" ...),
// for back ends that must refuse writes.
bool LooksLikeQuery(std::u16string_view sql);
// The error of a write to a database open read-only (kErrProvider).
[[noreturn]] void RaiseReadOnly();

// A DECIMAL or NUMERIC column's value, which drivers give as text or as a
// float, as a Decimal; text that is no number, Null, and a value beyond the
// Decimal range stay as they are rather than lose digits.
Variant DecimalWhereItFits(Variant value);

}  // namespace zorvadel::ado

#endif  // ZORVADEL_PLATFORM_ADO_BACKEND_H_
