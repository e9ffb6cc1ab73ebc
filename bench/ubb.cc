// UBB conversion of article texts with codes, 100 KiB and 1 MiB, in both
// dialects: the time should grow with the text, not faster. A third case
// is a text of nothing but unclosed link and image codes.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>

#include "markup/ubb.h"

namespace {

namespace mk = zorvadel::markup;

// `kib` KiB of UTF-16 text (kib * 512 units): Chinese and Latin running
// text with a code every few dozen characters, as an article body is.
std::u16string ArticleText(size_t kib) {
  const std::u16string piece =
      u"[p=center][b]新闻标题[/b][/p]今天天气很好，我们去公园散步。[br]"
      u"[url=news.asp?id=12]详细内容[/url] and [I]more[/I] text, "
      u"[img]pic/a.gif[/img][Strong]重要[/STRONG][code]x = 1[/code]"
      u"[upload=photo]up/b.jpg[/upload][em]手机网站[/em][small]小字[/small]";
  std::u16string text;
  const size_t units = kib * 512;
  while (text.size() + piece.size() <= units) text += piece;
  text.resize(units, u' ');
  return text;
}

std::u16string UnclosedCodes(size_t kib) {
  std::u16string text;
  const size_t units = kib * 512;
  while (text.size() < units) text += u"[url=[img=[ia=[upload=";
  text.resize(units);
  return text;
}

void Run(benchmark::State& state, const std::u16string& text, mk::UbbDialect dialect) {
  for (auto _ : state) benchmark::DoNotOptimize(mk::ConvertUbb(text, dialect));
  state.SetBytesProcessed(state.iterations() * text.size() * sizeof(char16_t));
}

void BM_UbbXML(benchmark::State& state) {
  Run(state, ArticleText(static_cast<size_t>(state.range(0))), mk::UbbDialect::kXhtml);
}
void BM_UbbWML(benchmark::State& state) {
  Run(state, ArticleText(static_cast<size_t>(state.range(0))), mk::UbbDialect::kWml);
}
void BM_UbbXMLUnclosed(benchmark::State& state) {
  Run(state, UnclosedCodes(static_cast<size_t>(state.range(0))), mk::UbbDialect::kXhtml);
}
void BM_UbbWMLUnclosed(benchmark::State& state) {
  Run(state, UnclosedCodes(static_cast<size_t>(state.range(0))), mk::UbbDialect::kWml);
}

BENCHMARK(BM_UbbXML)->Arg(100)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UbbWML)->Arg(100)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UbbXMLUnclosed)->Arg(100)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UbbWMLUnclosed)->Arg(100)->Arg(1024)->Unit(benchmark::kMillisecond);

}  // namespace
