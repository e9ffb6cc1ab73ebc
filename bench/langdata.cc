// Pinyin of 1 MiB of Chinese text (spelled out, annotated, and one character
// at a time as the output filter asks), and lunar dates of every day the
// lunar table covers.
//
// bench/langdata_peers.sh runs this beside two well-known script libraries on
// the same input: when ZORVADEL_LANGDATA_TEXT names a file, the text is
// written there as UTF-8 before the benchmarks start.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "langdata/lunar.h"
#include "langdata/pinyin.h"
#include "platform/codepage/codepage.h"
#include "zorvadel/runtime.h"

namespace {

namespace ld = zorvadel::langdata;
namespace cp = zorvadel::codepage;

// 512 Ki UTF-16 units (1 MiB as the text is held in memory): sentences of 6 to
// 24 GB2312 level-1 characters drawn evenly from the whole level, closed by a
// full-width comma or full stop, now and then with a Latin word or a number,
// as a news body is. A fixed generator, so every run and the script peers see
// the same text.
const std::u16string& Text() {
  static const std::u16string text = [] {
    constexpr size_t kUnits = 512 * 1024;
    uint64_t state = 0x2545F4914F6CDD1DULL;
    auto next = [&state](uint32_t bound) {
      state = state * 6364136223846793005ULL + 1442695040888963407ULL;
      return static_cast<uint32_t>((state >> 33) % bound);
    };
    std::u16string t;
    t.reserve(kUnits + 64);
    while (t.size() < kUnits) {
      const uint32_t length = 6 + next(19);
      for (uint32_t i = 0; i < length; ++i) {
        const uint32_t n = next(3755);  // the n-th level-1 character
        const uint16_t code = static_cast<uint16_t>(0xB0A1 + (n / 94) * 256 + n % 94);
        t += cp::FromGbkCode(code);
      }
      switch (next(10)) {
        case 0: t += u" WAP 2.0 "; break;
        case 1: t += u"2024年"; break;
        default: break;
      }
      t += next(3) == 0 ? u'。' : u'，';
    }
    t.resize(kUnits);
    return t;
  }();
  return text;
}

// Writes the text for the script peers when asked to, before any benchmark.
const bool kTextWritten = [] {
  const char* path = std::getenv("ZORVADEL_LANGDATA_TEXT");
  if (path == nullptr || *path == 0) return false;
  std::ofstream(path, std::ios::binary) << cp::ToUtf8(Text());
  return true;
}();

void SetCharacters(benchmark::State& state, size_t per_iteration) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * per_iteration));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * per_iteration * sizeof(char16_t)));
}

void BM_GetPinYin(benchmark::State& state) {
  const std::u16string& text = Text();
  for (auto _ : state) benchmark::DoNotOptimize(ld::GetPinYin(text));
  SetCharacters(state, text.size());
}
BENCHMARK(BM_GetPinYin)->Unit(benchmark::kMillisecond);

void BM_NeedPinYinAnnotate(benchmark::State& state) {
  const std::u16string& text = Text();
  for (auto _ : state) benchmark::DoNotOptimize(ld::NeedPinYin(text, 0));
  SetCharacters(state, text.size());
}
BENCHMARK(BM_NeedPinYinAnnotate)->Unit(benchmark::kMillisecond);

void BM_NeedPinYinSpell(benchmark::State& state) {
  const std::u16string& text = Text();
  for (auto _ : state) benchmark::DoNotOptimize(ld::NeedPinYin(text, 1));
  SetCharacters(state, text.size());
}
BENCHMARK(BM_NeedPinYinSpell)->Unit(benchmark::kMillisecond);

// The output filter asks for one character at a time, each answer a string.
void BM_NeedPinYinPerCharacter(benchmark::State& state) {
  const std::u16string_view text = Text();
  for (auto _ : state) {
    for (size_t i = 0; i < text.size(); ++i) {
      benchmark::DoNotOptimize(ld::NeedPinYin(text.substr(i, 1), 1));
    }
  }
  SetCharacters(state, text.size());
}
BENCHMARK(BM_NeedPinYinPerCharacter)->Unit(benchmark::kMillisecond);

// Every day from the first to the last the table covers, as year, month and
// day, and as the date text a script passes.
struct Day {
  int year, month, day;
};
const std::vector<Day>& Days() {
  static const std::vector<Day> days = [] {
    std::vector<Day> all;
    const double first = zorvadel::DateSerial(zorvadel::DateParts{1921, 2, 8});
    for (int i = 0; i < ld::kLunarLastDay; ++i) {
      const zorvadel::DateParts d = zorvadel::SplitDate(first + i);
      all.push_back({d.year, d.month, d.day});
    }
    return all;
  }();
  return days;
}

void BM_LunarDateEveryDay(benchmark::State& state) {
  const std::vector<Day>& days = Days();
  for (auto _ : state) {
    for (const Day& d : days) benchmark::DoNotOptimize(ld::LunarDateText(d.year, d.month, d.day));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * days.size()));
}
BENCHMARK(BM_LunarDateEveryDay)->Unit(benchmark::kMillisecond);

void BM_LunarDateEveryDayText(benchmark::State& state) {
  static const std::vector<std::u16string> texts = [] {
    std::vector<std::u16string> all;
    for (const Day& d : Days()) {
      all.push_back(cp::FromUtf8(std::to_string(d.year) + "-" + std::to_string(d.month) + "-" +
                                 std::to_string(d.day)));
    }
    return all;
  }();
  for (auto _ : state) {
    for (const std::u16string& text : texts) benchmark::DoNotOptimize(ld::LunarDate(text));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * texts.size()));
}
BENCHMARK(BM_LunarDateEveryDayText)->Unit(benchmark::kMillisecond);

}  // namespace
