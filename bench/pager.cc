// The long-text pagers on an article of 100 KiB and of 1 MiB (UTF-16 units:
// 512 per KiB), mixed Chinese and ASCII with line breaks, references and UBB
// codes, at 1000 units a page: each pager at the first page and at the
// middle, and AutoPage's rest-of-text page from the middle. A page costs
// its own length, whatever the article's length and the page's place; only
// the rest-of-text page grows with the article.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "zorvadel/classes.h"
#include "zorvadel/memory_page.h"

namespace {

using namespace zorvadel;

// 77 units: with 1000 a page, page edges fall on every offset of the piece
// in turn, inside its references, tags and codes.
std::u16string Article(size_t kib) {
  const std::u16string piece =
      u"手机上的长文章，First line &amp; more &#x4E2D;文<br/>\r\n"
      u"[url=show.asp?id=1]链接[/url] [b]粗[/b]&quot;q&quot;";
  std::u16string text;
  const size_t units = kib * 512;
  while (text.size() < units) text += piece;
  text.resize(units);
  return text;
}

// A response that counts what it is given, so a page can be written again
// and again without a body growing in memory.
class CountingResponse : public Response {
 public:
  void Write(std::u16string_view text) override { written += text.size(); }
  void End() override {}
  void Redirect(std::u16string_view) override {}
  std::u16string ContentType() const override { return u"text/html"; }
  void SetContentType(std::u16string_view) override {}
  std::u16string Charset() const override { return u"utf-8"; }
  void SetCharset(std::u16string_view) override {}
  int32_t Expires() const override { return 0; }
  void SetExpires(int32_t) override {}
  void AddHeader(std::u16string_view, std::u16string_view) override {}
  int32_t Status() const override { return 200; }
  void SetStatus(int32_t) override {}
  bool Ended() const override { return false; }
  size_t written = 0;
};

// An object of `class_name` started on a page whose query is `query`.
struct Page {
  Page(std::u16string_view class_name, const std::string& query)
      : page(Facts(query), "/srv/site", std::make_shared<engine::MemorySession>(),
             std::make_shared<engine::MemoryApplication>()) {
    object = std::dynamic_pointer_cast<PageObject>(
        page.context().GetServer()->CreateObject(u"Zorvadel." + std::u16string(class_name)));
    object->state().Response = response;
  }
  ~Page() { page.EndPage(); }
  static engine::RequestFacts Facts(const std::string& query) {
    engine::RequestFacts facts;
    facts.url = "/article.asp" + query;
    return facts;
  }
  engine::MemoryPage page;
  std::shared_ptr<PageObject> object;
  std::shared_ptr<CountingResponse> response = std::make_shared<CountingResponse>();
};

constexpr int16_t kLength = 1000;

enum Where { kFirst, kMiddle, kRest };

std::string Query(bool easy, Where where, size_t units) {
  const size_t middle = units / 2 / kLength * kLength + 1;
  if (where == kFirst) return "";
  if (easy) return "?toshow=down&mystart=" + std::to_string(middle - kLength);
  std::string query = "?MyStart=" + std::to_string(middle);
  if (where == kRest) query += "&TextLong=" + std::to_string(units - middle + 5);
  return query;
}

template <typename Call>
void Run(benchmark::State& state, std::u16string_view class_name, bool easy, Where where,
         Call call) {
  const std::u16string text = Article(static_cast<size_t>(state.range(0)));
  Page page(class_name, Query(easy, where, text.size()));
  for (auto _ : state) call(*page.object, text);
  benchmark::DoNotOptimize(page.response->written);
  state.counters["units_out"] = benchmark::Counter(static_cast<double>(page.response->written),
                                                   benchmark::Counter::kAvgIterations);
}

void EasyXml(benchmark::State& state, Where where) {
  Run(state, u"XML", true, where,
      [](PageObject& o, const std::u16string& t) { o.EasyMorePage(t, kLength, true); });
}
void EasyWap(benchmark::State& state, Where where) {
  Run(state, u"WAP", true, where,
      [](PageObject& o, const std::u16string& t) { o.EasyMorePage(t, kLength, true); });
}
void MoreWap(benchmark::State& state, Where where) {
  Run(state, u"WAP", false, where,
      [](PageObject& o, const std::u16string& t) { o.MorePage(t, kLength, true, true); });
}
void AutoXml(benchmark::State& state, Where where) {
  Run(state, u"XML", false, where,
      [](PageObject& o, const std::u16string& t) { o.AutoPage(t, kLength, true, 0); });
}

#define PAGER_BENCH(fn, where) \
  BENCHMARK_CAPTURE(fn, where, where)->Arg(100)->Arg(1024)->Unit(benchmark::kMicrosecond)

PAGER_BENCH(EasyXml, kFirst);
PAGER_BENCH(EasyXml, kMiddle);
PAGER_BENCH(EasyWap, kFirst);
PAGER_BENCH(EasyWap, kMiddle);
PAGER_BENCH(MoreWap, kFirst);
PAGER_BENCH(MoreWap, kMiddle);
PAGER_BENCH(AutoXml, kFirst);
PAGER_BENCH(AutoXml, kMiddle);
PAGER_BENCH(AutoXml, kRest);

}  // namespace
