// Paging a 1,000,000-row SQLite table through Recordset with AbsolutePage
// (keyset cursor), beside the same page read by a bare sqlite3 LIMIT/OFFSET
// query in the same binary. Page 1 and page 50,000 at 20 records a page.
//
// Each Recordset run opens the statement, goes to the page and reads its 20
// records (three fields each), as a list does. The "WithCount" pair adds
// what a list also needs, the record and page counts, to both sides. The
// maxrss counter is the process's peak resident size after the runs: the
// rows before the page are never held, so it does not grow with the page.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/ado/ado.h"
#include "platform/codepage/codepage.h"
#include "zorvadel/variant.h"

namespace {

using zorvadel::Variant;
namespace ado = zorvadel::ado;

constexpr int kRows = 1000000;
constexpr int kPageSize = 20;
constexpr char16_t kSql[] = u"SELECT Id, Title, Content FROM Zorvadel";

// The table, made once per run in a scratch folder.
const std::string& DatabasePath() {
  static const std::string path = [] {
    std::string folder = (std::filesystem::temp_directory_path() / "zorvadel-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) std::abort();
    const std::string file = folder + "/news.db";
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    const char* build =
        "PRAGMA journal_mode=OFF; BEGIN;"
        "CREATE TABLE Zorvadel (Id INTEGER PRIMARY KEY, Title TEXT, Content TEXT);"
        "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 1000000) "
        "INSERT INTO Zorvadel SELECT x, 'Title ' || x, 'Content of record ' || x FROM n;"
        "COMMIT;";
    if (sqlite3_exec(db, build, nullptr, nullptr, nullptr) != SQLITE_OK) std::abort();
    sqlite3_close(db);
    std::atexit([] { std::filesystem::remove_all(std::filesystem::path(DatabasePath()).parent_path()); });
    return file;
  }();
  return path;
}

void ReportMemory(benchmark::State& state) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["maxrss_kb"] = static_cast<double>(usage.ru_maxrss);
}

std::shared_ptr<ado::Connection> OpenConnection() {
  auto connection = std::make_shared<ado::Connection>();
  connection->Open(u"driver={Microsoft Access Driver (*.mdb)};dbq=" +
                       zorvadel::codepage::FromUtf8(DatabasePath()),
                   u"", u"", -1);
  return connection;
}

void RecordsetPage(benchmark::State& state, bool with_count) {
  const int32_t page = static_cast<int32_t>(state.range(0));
  auto connection = OpenConnection();
  for (auto _ : state) {
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(Variant(kSql), Variant(connection), ado::kOpenKeyset, 3, -1);
    rs->SetPageSize(kPageSize);
    rs->SetCacheSize(kPageSize);
    if (with_count) {
      benchmark::DoNotOptimize(rs->RecordCount());
      benchmark::DoNotOptimize(rs->PageCount());
    }
    rs->SetAbsolutePage(page);
    for (int i = 0; i < kPageSize && !rs->AtEOF(); ++i) {
      for (int32_t column = 0; column < 3; ++column) {
        benchmark::DoNotOptimize(rs->FieldValue(column));
      }
      rs->MoveNext();
    }
    rs->Close();
  }
  ReportMemory(state);
}

// The same page straight from libsqlite3, values taken as the layer takes
// them (integers as numbers, texts as UTF-16 strings).
void BarePage(benchmark::State& state, bool with_count) {
  const int64_t page = state.range(0);
  sqlite3* db = nullptr;
  sqlite3_open_v2(DatabasePath().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  for (auto _ : state) {
    if (with_count) {
      sqlite3_stmt* count = nullptr;
      sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM Zorvadel", -1, &count, nullptr);
      sqlite3_step(count);
      benchmark::DoNotOptimize(sqlite3_column_int64(count, 0));
      sqlite3_finalize(count);
    }
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT Id, Title, Content FROM Zorvadel LIMIT ?1 OFFSET ?2", -1,
                       &statement, nullptr);
    sqlite3_bind_int(statement, 1, kPageSize);
    sqlite3_bind_int64(statement, 2, (page - 1) * kPageSize);
    while (sqlite3_step(statement) == SQLITE_ROW) {
      benchmark::DoNotOptimize(Variant(static_cast<int32_t>(sqlite3_column_int64(statement, 0))));
      for (int column = 1; column < 3; ++column) {
        const auto* text = static_cast<const char16_t*>(sqlite3_column_text16(statement, column));
        benchmark::DoNotOptimize(
            Variant(std::u16string(text, sqlite3_column_bytes16(statement, column) / 2)));
      }
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  ReportMemory(state);
}

void BM_RecordsetPage(benchmark::State& state) { RecordsetPage(state, false); }
void BM_BareSqlitePage(benchmark::State& state) { BarePage(state, false); }
void BM_RecordsetPageWithCount(benchmark::State& state) { RecordsetPage(state, true); }
void BM_BareSqlitePageWithCount(benchmark::State& state) { BarePage(state, true); }

BENCHMARK(BM_RecordsetPage)->Arg(1)->Arg(kRows / kPageSize)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareSqlitePage)->Arg(1)->Arg(kRows / kPageSize)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordsetPageWithCount)->Arg(1)->Arg(kRows / kPageSize)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareSqlitePageWithCount)->Arg(1)->Arg(kRows / kPageSize)->Unit(benchmark::kMicrosecond);

}  // namespace
