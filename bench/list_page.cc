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

#include <filesystem>
#include <memory>
#include <string>

#include "million_rows.h"
#include "zorvadel/classes.h"
#include "zorvadel/memory_page.h"

namespace {

using namespace zorvadel;
using namespace zorvadel::bench;

constexpr int kRows = 1000000;
constexpr int kPageSize = 20;

void BM_ListPage(benchmark::State& state) {
  const std::string url = "/list.asp?Page=" + std::to_string(state.range(0));
  const std::filesystem::path& root = MillionRowFolder();
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

void BM_BareSqlitePage(benchmark::State& state) { BareSqlitePage(state, false); }
void BM_BareSqlitePageWithCount(benchmark::State& state) { BareSqlitePage(state, true); }

BENCHMARK(BM_ListPage)->Arg(1)->Arg(kRows / kPageSize)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareSqlitePage)->Arg(1)->Arg(kRows / kPageSize)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareSqlitePageWithCount)->Arg(1)->Arg(kRows / kPageSize)->Unit(benchmark::kMicrosecond);

}  // namespace
