// One page of the load benchmark (bench/serve_load.sh) played in process,
// as zorvadel-serve plays it, without the network: the library's share of a
// request, which the load run can only show as a ratio to nginx. The peer is
// the engine alone: a page script that writes one line and creates no
// object (/hello.asp of the load run).
//   new visitor:       a fresh session each page (no cookie);
//   returning visitor: one session for every page, its visit trail at the
//                      cap that page start keeps it within;
//   object alone:      a new visitor's page that only creates the object,
//                      so that the member calls show as the difference;
//   full session store: a new visitor's session added to a store that
//                      a crawler filled.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "page_script.h"
#include "serve/session_store.h"
#include "zorvadel/memory_page.h"

namespace zorvadel {
namespace {

// The load run's own pages (bench/serve_load.sh serves the same files).
host::Json SiteSteps(const char* name) {
  std::ifstream in(std::string(ZORVADEL_BENCH_SITE "/") + name);
  return host::ParseScript(in).at("steps");
}

const host::Json& NewsSteps() {
  static const host::Json steps = SiteSteps("news.json");
  return steps;
}

// The news page's first step alone: what the page costs before its member
// calls, so that they show as the difference to the whole page.
const host::Json& NewsObjectSteps() {
  static const host::Json steps = host::Json::array({NewsSteps().at(0)});
  return steps;
}

const host::Json& HelloSteps() {
  static const host::Json steps = SiteSteps("hello.json");
  return steps;
}

engine::RequestFacts Facts(const std::string& path) {
  engine::RequestFacts facts;
  facts.url = path;
  facts.host = "127.0.0.1:8080";
  facts.headers = {{"Host", "127.0.0.1:8080"},
                   {"User-Agent",
                    "Nokia6600/1.0 (4.09.1) SymbianOS/7.0s Series60/2.0 Profile/MIDP-2.0 "
                    "Configuration/CLDC-1.0"}};
  facts.server_variables = {{"SERVER_PORT", "8080"},
                            {"SERVER_PROTOCOL", "HTTP/1.1"},
                            {"REMOTE_PORT", "40000"},
                            {"SERVER_SOFTWARE", "zorvadel-serve"}};
  return facts;
}

// The steps as zorvadel-serve keeps them: prepared once per script.
const host::PreparedSteps& Prepared(const host::Json& steps) {
  static const host::PreparedSteps news(NewsSteps());
  static const host::PreparedSteps hello(HelloSteps());
  static const host::PreparedSteps object(NewsObjectSteps());
  if (&steps == &NewsSteps()) return news;
  return &steps == &NewsObjectSteps() ? object : hello;
}

template <typename Steps>
size_t PlayOnce(const Steps& steps, const std::string& path,
                const std::shared_ptr<engine::MemorySession>& session,
                const std::shared_ptr<engine::MemoryApplication>& application) {
  // The root made once, as zorvadel-serve keeps its site's.
  static const std::filesystem::path root("/tmp");
  engine::MemoryPage page(Facts(path), std::cref(root), session, application);
  host::StepsOutcome outcome = host::PlaySteps(steps, page);
  page.EndPage();
  return page.TakeResult().body.size();
}

// A new visitor on every page: a fresh session each time.
template <typename Steps>
void FreshVisitors(benchmark::State& state, const Steps& steps, const std::string& path) {
  auto application = std::make_shared<engine::MemoryApplication>();
  for (auto _ : state) {
    auto session = std::make_shared<engine::MemorySession>();
    benchmark::DoNotOptimize(PlayOnce(steps, path, session, application));
  }
}

void BM_NewsNewVisitor(benchmark::State& state) {
  FreshVisitors(state, Prepared(NewsSteps()), "/news.asp");
}
BENCHMARK(BM_NewsNewVisitor);

// The same page played from its JSON, as zorvadel-run does: what preparing
// the steps once saves a served page.
void BM_NewsNewVisitorFromJson(benchmark::State& state) {
  FreshVisitors(state, NewsSteps(), "/news.asp");
}
BENCHMARK(BM_NewsNewVisitorFromJson);

void BM_NewsReturningVisitor(benchmark::State& state) {
  auto application = std::make_shared<engine::MemoryApplication>();
  auto session = std::make_shared<engine::MemorySession>();
  // Enough pages for the trail to reach its cap.
  for (int i = 0; i < 2000; ++i) PlayOnce(Prepared(NewsSteps()), "/news.asp", session, application);
  for (auto _ : state) {
    benchmark::DoNotOptimize(PlayOnce(Prepared(NewsSteps()), "/news.asp", session, application));
  }
}
BENCHMARK(BM_NewsReturningVisitor);

void BM_NewsObjectAlone(benchmark::State& state) {
  FreshVisitors(state, Prepared(NewsObjectSteps()), "/news.asp");
}
BENCHMARK(BM_NewsObjectAlone);

void BM_HelloEngineAlone(benchmark::State& state) {
  FreshVisitors(state, Prepared(HelloSteps()), "/hello.asp");
}
BENCHMARK(BM_HelloEngineAlone);

// The session store of zorvadel-serve when new visitors have filled it, as
// under a crawler: each new session (holding one visit trail, as page start
// leaves it) drops the least recently used one on probation.
void BM_SessionStoreFull(benchmark::State& state) {
  serve::SessionStore store;
  const auto now = serve::Clock::now();
  const Variant trail(std::u16string(u"news.asp[2026-12-7 1:45:00]<br/>"));
  auto session = [&] {
    auto made = std::make_shared<serve::ServedSession>(now);
    made->SetValue(u"UserVisitHistory", trail);
    return made;
  };
  const size_t full = serve::SessionStore::kDefaultMemoryMb << 20;
  // More sessions than fit: the store is full when the timing starts.
  for (size_t i = 0; i < full / 512; ++i) store.Add(session(), now);
  for (auto _ : state) benchmark::DoNotOptimize(store.Add(session(), now));
  state.counters["sessions"] = static_cast<double>(store.size());
}
BENCHMARK(BM_SessionStoreFull);

}  // namespace
}  // namespace zorvadel
