// What the paging benchmarks share: a 1,000,000-row SQLite table made once
// per run in a scratch folder, the peak-memory counter, and the bare
// libsqlite3 peer that reads one page of it (with the record count a list
// also needs, when asked).
#ifndef ZORVADEL_BENCH_MILLION_ROWS_H_
#define ZORVADEL_BENCH_MILLION_ROWS_H_

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "zorvadel/variant.h"

namespace zorvadel::bench {

inline constexpr int kRows = 1000000;
inline constexpr int kPageSize = 20;

// The folder holding news.db, table Zorvadel (Id, Title, Content).
inline const std::filesystem::path& MillionRowFolder() {
  static const std::filesystem::path root = [] {
    std::string folder =
        (std::filesystem::temp_directory_path() / "zorvadel-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) std::abort();
    sqlite3* db = nullptr;
    sqlite3_open((folder + "/news.db").c_str(), &db);
    const char* build =
        "PRAGMA journal_mode=OFF; BEGIN;"
        "CREATE TABLE Zorvadel (Id INTEGER PRIMARY KEY, Title TEXT, Content TEXT);"
        "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 1000000) "
        "INSERT INTO Zorvadel SELECT x, 'Title ' || x, 'Content of record ' || x FROM n;"
        "COMMIT;";
    if (sqlite3_exec(db, build, nullptr, nullptr, nullptr) != SQLITE_OK) std::abort();
    sqlite3_close(db);
    std::atexit([] { std::filesystem::remove_all(MillionRowFolder()); });
    return std::filesystem::path(folder);
  }();
  return root;
}

// The process's peak resident size after the runs: flat in the page number
// when the rows before the page are never held.
inline void ReportMemory(benchmark::State& state) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["maxrss_kb"] = static_cast<double>(usage.ru_maxrss);
}

// Page state.range(0) straight from libsqlite3, its values taken as the
// data-access layer takes them (integers as numbers, texts as UTF-16).
inline void BareSqlitePage(benchmark::State& state, bool with_count) {
  const int64_t page = state.range(0);
  sqlite3* db = nullptr;
  sqlite3_open_v2((MillionRowFolder() / "news.db").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
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

}  // namespace zorvadel::bench

#endif  // ZORVADEL_BENCH_MILLION_ROWS_H_
