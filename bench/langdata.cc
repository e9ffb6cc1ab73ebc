// Pinyin annotation and spelling of a 64 KiB Chinese text, the output
// filter's per-character question, and lunar dates.
#include <benchmark/benchmark.h>

#include <string>

#include "langdata/lunar.h"
#include "langdata/pinyin.h"

namespace {

namespace ld = zorvadel::langdata;

// 32 Ki UTF-16 units (64 KiB) of running Chinese text with its punctuation
// and a little Latin, as an article body is.
const std::u16string& Text() {
  static const std::u16string text = [] {
    const std::u16string piece =
        u"今天天气很好，我们去公园散步。手机网站建设，欢迎访问！"
        u"中国青石流云在线 News 2024：长江以南的城市里，行人很多。";
    std::u16string t;
    while (t.size() + piece.size() <= 32 * 1024) t += piece;
    return t;
  }();
  return text;
}

void BM_NeedPinYinAnnotate(benchmark::State& state) {
  const std::u16string& text = Text();
  for (auto _ : state) benchmark::DoNotOptimize(ld::NeedPinYin(text, 0));
  state.SetBytesProcessed(state.iterations() * text.size() * sizeof(char16_t));
}
BENCHMARK(BM_NeedPinYinAnnotate);

void BM_NeedPinYinSpell(benchmark::State& state) {
  const std::u16string& text = Text();
  for (auto _ : state) benchmark::DoNotOptimize(ld::NeedPinYin(text, 1));
  state.SetBytesProcessed(state.iterations() * text.size() * sizeof(char16_t));
}
BENCHMARK(BM_NeedPinYinSpell);

// The output filter asks one character at a time.
void BM_NeedPinYinPerCharacter(benchmark::State& state) {
  const std::u16string& text = Text();
  for (auto _ : state) {
    for (size_t i = 0; i < text.size(); ++i) {
      benchmark::DoNotOptimize(ld::NeedPinYin(std::u16string_view(text).substr(i, 1), 1));
    }
  }
  state.SetBytesProcessed(state.iterations() * text.size() * sizeof(char16_t));
}
BENCHMARK(BM_NeedPinYinPerCharacter);

void BM_GetPinYin(benchmark::State& state) {
  const std::u16string& text = Text();
  for (auto _ : state) benchmark::DoNotOptimize(ld::GetPinYin(text));
  state.SetBytesProcessed(state.iterations() * text.size() * sizeof(char16_t));
}
BENCHMARK(BM_GetPinYin);

// The last covered day walks the whole table.
void BM_LunarDate(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ld::LunarDate(u"2021-2-11"));
}
BENCHMARK(BM_LunarDate);

}  // namespace
