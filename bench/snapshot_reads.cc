// What a page pays for writing a SQLite file it has a query open on, in
// each journal mode (0: rollback "delete" journal, 1: WAL):
//   BM_DeepPage/journal/visit: page 50,000 (20 records a page) of the
//     1,000,000-row table through a keyset Recordset, then, with visit 1,
//     a visit counted in the same file through another connection while
//     the list is still open (in a rollback journal the list then copies
//     the file's pages, its result being most of the file; in WAL it keeps
//     SQLite's snapshot).
//   BM_UpdateLoop/journal/cursor: a 1,000-row query (keyset 1 or
//     forward-only 0) that updates each row it reads through another
//     connection; rows_per_second counts the rows read and written.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "million_rows.h"
#include "platform/ado/ado.h"
#include "platform/codepage/codepage.h"
#include "zorvadel/runtime.h"
#include "zorvadel/variant.h"

namespace {

using zorvadel::Variant;
namespace ado = zorvadel::ado;
using namespace zorvadel::bench;

void Exec(const std::filesystem::path& file, const char* sql) {
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) std::abort();
  sqlite3_close(db);
}

// The million rows in the journal mode asked for, with a table of visits.
const std::filesystem::path& MillionRows(bool wal) {
  static const std::array<std::filesystem::path, 2> files = [] {
    const std::filesystem::path rollback = MillionRowFolder() / "news.db";
    const std::filesystem::path copy = MillionRowFolder() / "news-wal.db";
    Exec(rollback, "CREATE TABLE IF NOT EXISTS Visits (At TEXT)");
    std::filesystem::copy_file(rollback, copy, std::filesystem::copy_options::overwrite_existing);
    Exec(copy, "PRAGMA journal_mode=WAL");
    return std::array<std::filesystem::path, 2>{rollback, copy};
  }();
  return files[wal ? 1 : 0];
}

std::shared_ptr<ado::Connection> Open(const std::filesystem::path& file) {
  auto connection = std::make_shared<ado::Connection>();
  connection->Open(u"driver={Microsoft Access Driver (*.mdb)};dbq=" +
                       zorvadel::codepage::FromUtf8(file.string()),
                   u"", u"", -1);
  return connection;
}

void BM_DeepPage(benchmark::State& state) {
  const std::filesystem::path& file = MillionRows(state.range(0) == 1);
  const bool visit = state.range(1) == 1;
  auto list = Open(file);
  auto visits = Open(file);
  for (auto _ : state) {
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(Variant(u"SELECT Id, Title, Content FROM Zorvadel"), Variant(list), ado::kOpenKeyset,
             3, -1);
    rs->SetPageSize(kPageSize);
    rs->SetAbsolutePage(kRows / kPageSize);
    for (int i = 0; i < kPageSize && !rs->AtEOF(); ++i) {
      for (int32_t column = 0; column < 3; ++column) {
        benchmark::DoNotOptimize(rs->FieldValue(column));
      }
      rs->MoveNext();
    }
    if (visit) visits->Execute(u"INSERT INTO Visits VALUES (datetime('now'))", Variant(), -1);
    rs->Close();
  }
  ReportMemory(state);
}

void BM_UpdateLoop(benchmark::State& state) {
  constexpr int kLoopRows = 1000;
  const std::filesystem::path file =
      MillionRowFolder() / (state.range(0) == 1 ? "loop-wal.db" : "loop.db");
  std::filesystem::remove(file);
  Exec(file, state.range(0) == 1 ? "PRAGMA journal_mode=WAL" : "PRAGMA journal_mode=DELETE");
  Exec(file,
       "CREATE TABLE T (Id INTEGER PRIMARY KEY, Done INTEGER);"
       "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 1000) "
       "INSERT INTO T SELECT x, 0 FROM n");
  auto reads = Open(file);
  auto writes = Open(file);
  const int32_t cursor = static_cast<int32_t>(state.range(1));
  int64_t rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    writes->Execute(u"UPDATE T SET Done = 0", Variant(), -1);
    state.ResumeTiming();
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(Variant(u"SELECT Id FROM T WHERE Done = 0 ORDER BY Id"), Variant(reads), cursor, 3,
             -1);
    while (!rs->AtEOF()) {
      writes->Execute(u"UPDATE T SET Done = 1 WHERE Id = " + zorvadel::CStr(rs->FieldValue(0)),
                      Variant(), -1);
      rs->MoveNext();
      ++rows;
    }
    rs->Close();
  }
  if (rows != state.iterations() * kLoopRows) state.SkipWithError("a row was read twice or not at all");
  state.counters["rows_per_second"] =
      benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_DeepPage)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"wal", "visit"})
    ->Unit(benchmark::kMillisecond);
// Each write waits for the disk: the rate is of the time that passed.
BENCHMARK(BM_UpdateLoop)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"wal", "keyset"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
