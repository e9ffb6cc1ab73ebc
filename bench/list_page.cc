// A whole list page over a 1,000,000-row SQLite table: a WAP page object
// started on "list.asp?Page=N", its deck header, MdbList with the numbered
// bar (20 records a page: the open, the count, the positioned page, the
// rows as links through the output filter, CloseData, the bar) and the
// footer. Beside it, in the same binary, the bare sqlite3 query of the
// same 20 rows, alone and with the count a list also needs. Pages 1 and
// 50,000. maxrss_kb is the process's peak resident size after the runs:
// it stays flat in the page number, since the rows before the page are
// never held.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "zorvadel/classes.h"
#include "zorvadel/memory_page.h"

namespace {

using namespace zorvadel;

constexpr int kRows = 1000000;
constexpr int kPageSize = 20;

// The site folder holding the table, made once per run.
const std::filesystem::path& SiteRoot() {
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
    std::atexit([] { std::filesystem::remove_all(SiteRoot()); });
    return std::filesystem::path(folder);
  }();
  return root;
}

void ReportMemory(benchmark::State& state) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["maxrss_kb"] = static_cast<double>(usage.ru_maxrss);
}

void BM_ListPage(benchmark::State& state) {
  const std::string url = "/list.asp?Page=" + std::to_string(state.range(0));
  const std::filesystem::path& root = SiteRoot();
  size_t bytes = 0;
  for (auto _ : state) {
    engine::RequestFacts facts;
    facts.url = url;
    facts.headers.emplace_back("User-Agent", "Nokia6600/1.0");
    engine::MemoryPage page(facts, root, std::make_shared<engine::MemorySession>(),
                            std::make_shared<engine::MemoryApplication>());
    auto w = std::dynamic_pointer_cast<WAP>(
        page.context().GetServer()->CreateObject(u"Zorvadel.WAP"));
    PageState& s = w->state();
    s.MdbPath = u"/news.db";
    s.EveryPageSize = kPageSize;
    w->PageHeader();
    w->MdbList(2);
    w->PageFooter();
    page.EndPage();
    bytes = page.Body().size();
  }
  state.counters["page_bytes"] = static_cast<double>(bytes);
  ReportMemory(state);
}

// The same rows straight from libsqlite3, with the count when asked.
void BarePage(benchmark::State& state, bool with_count) {
  const int64_t page = state.range(0);
  sqlite3* db = nullptr;
  sqlite3_open_v2((SiteRoot() / "news.db").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
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
      benchmark::DoNotOptimize(sqlite3_column_int64(statement, 0));
      benchmark::DoNotOptimize(sqlite3_column_text16(statement, 1));
      benchmark::DoNotOptimize(sqlite3_column_text16(statement, 2));
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  ReportMemory(state);
}

void BM_BareSqlitePage(benchmark::State& state) { BarePage(state, false); }
void BM_BareSqlitePageWithCount(benchmark::State& state) { BarePage(state, true); }

BENCHMARK(BM_ListPage)->Arg(1)->Arg(kRows / kPageSize)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareSqlitePage)->Arg(1)->Arg(kRows / kPageSize)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareSqlitePageWithCount)->Arg(1)->Arg(kRows / kPageSize)->Unit(benchmark::kMicrosecond);

}  // namespace
