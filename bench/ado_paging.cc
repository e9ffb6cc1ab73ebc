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

#include <memory>
#include <string>

#include "million_rows.h"
#include "platform/ado/ado.h"
#include "platform/codepage/codepage.h"
#include "zorvadel/variant.h"

namespace {

using zorvadel::Variant;
namespace ado = zorvadel::ado;
using namespace zorvadel::bench;

constexpr int kRows = 1000000;
constexpr int kPageSize = 20;
constexpr char16_t kSql[] = u"SELECT Id, Title, Content FROM Zorvadel";

std::shared_ptr<ado::Connection> OpenConnection() {
  auto connection = std::make_shared<ado::Connection>();
  connection->Open(u"driver={Microsoft Access Driver (*.mdb)};dbq=" +
                       zorvadel::codepage::FromUtf8((MillionRowFolder() / "news.db").string()),
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

void BM_RecordsetPage(benchmark::State& state) { RecordsetPage(state, false); }
void BM_BareSqlitePage(benchmark::State& state) { BareSqlitePage(state, false); }
void BM_RecordsetPageWithCount(benchmark::State& state) { RecordsetPage(state, true); }
void BM_BareSqlitePageWithCount(benchmark::State& state) { BareSqlitePage(state, true); }

BENCHMARK(BM_RecordsetPage)->Arg(1)->Arg(kRows / kPageSize)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareSqlitePage)->Arg(1)->Arg(kRows / kPageSize)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordsetPageWithCount)->Arg(1)->Arg(kRows / kPageSize)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareSqlitePageWithCount)->Arg(1)->Arg(kRows / kPageSize)->Unit(benchmark::kMicrosecond);

}  // namespace
