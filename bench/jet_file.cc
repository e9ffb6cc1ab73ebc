// What reading a Jet file through the standing reader processes costs: a
// connection opened and its one table read through the data-access layer
// (after the first iteration, a round trip to a reader that kept the
// answer), beside the same open and read through the MDBTools driver in the
// benchmark's own process, as the layer did before readers. The file is the one run_jet.sh fetches, named by
// ZORVADEL_JET_FILE (build/jet/Monitor.mdb after `ctest -R jet`).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/ado/ado.h"
#include "platform/ado/backend.h"
#include "platform/codepage/codepage.h"
#include "zorvadel/variant.h"

namespace {

using zorvadel::Variant;
namespace ado = zorvadel::ado;

constexpr char16_t kSql[] = u"SELECT * FROM Monitor_Authenticate";

bool JetFile(benchmark::State& state, std::u16string& path) {
  const char* file = std::getenv("ZORVADEL_JET_FILE");
  if (file == nullptr) {
    state.SkipWithError("set ZORVADEL_JET_FILE to a Jet file (tests/database/run_jet.sh)");
    return false;
  }
  path = zorvadel::codepage::FromUtf8(file);
  return true;
}

void BM_JetThroughReader(benchmark::State& state) {
  std::u16string path;
  if (!JetFile(state, path)) return;
  for (auto _ : state) {
    auto connection = std::make_shared<ado::Connection>();
    connection->Open(u"driver={Microsoft Access Driver (*.mdb)};dbq=" + path, u"", u"", -1);
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(Variant(kSql), Variant(connection), ado::kOpenKeyset, 3, -1);
    for (; !rs->AtEOF(); rs->MoveNext()) {
      for (int32_t column = 0; column < rs->FieldCount(); ++column) {
        benchmark::DoNotOptimize(rs->FieldValue(column));
      }
    }
  }
}
BENCHMARK(BM_JetThroughReader)->Unit(benchmark::kMillisecond);

void BM_JetInProcessPeer(benchmark::State& state) {
  std::u16string path;
  if (!JetFile(state, path)) return;
  for (auto _ : state) {
    auto database = ado::OpenOdbc(u"DRIVER={MDBTools};DBQ=" + path,
                                  {.read_only = true, .narrow_text = true});
    auto rows = database->Run(kSql, true);
    std::vector<Variant> row;
    for (int64_t index = 0; rows->Read(index, row); ++index) benchmark::DoNotOptimize(row);
  }
}
BENCHMARK(BM_JetInProcessPeer)->Unit(benchmark::kMillisecond);

}  // namespace
