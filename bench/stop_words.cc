// Stop words and highlighted keywords on long texts of ordinary words:
// the output filter Ascii with no stop words, with 1,000 of them on 1 Mi
// characters and with 1,999 on 200,000; the stop-word pass and keyword
// highlighting alone. The texts are of Latin words with many stop words
// among them ("dense") or none ("rare", "absent"), and of Chinese words
// with many, of few characters ("chinese") or of thousands ("wide").
//
// Their peers run in the same process on the same texts and lists: the
// passes as they were before a list was built into one automaton (at each
// position every stop word tried in list order; a count of its matches and
// one replace-all over the whole text per keyword). BM_StopWordCost then
// gives Ascii's time with the stop words as a multiple of its time without
// them, and each pass's lead over its peer.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "../tests/support/replace_string_reference.h"
#include "../tests/support/stop_words_reference.h"
#include "output/output_filter.h"
#include "text/joining.h"
#include "zorvadel/classes.h"
#include "zorvadel/runtime.h"

namespace {

namespace z = zorvadel;

constexpr int64_t kMi = int64_t{1} << 20;

// Pseudo-words of two to four syllables, all different, in a fixed order:
// Latin ones, or Chinese ones of two to four characters.
enum Kind { kDense, kRare, kAbsent, kChinese, kWide };
constexpr const char* kKindNames[] = {"dense", "rare", "absent", "chinese", "wide"};

// `wide`: words of two to four of 3,000 Chinese characters, as real lists
// of Chinese words have.
std::vector<std::u16string> Vocabulary(bool chinese, bool wide, size_t count) {
  constexpr std::u16string_view kLatin[] = {
      u"ka", u"to", u"ne", u"ri", u"mo", u"sa", u"lu", u"pe", u"di", u"go", u"ban", u"tor",
      u"el", u"is", u"on", u"ar", u"ve", u"chi", u"que", u"st", u"ow", u"im", u"th", u"er"};
  constexpr std::u16string_view kHan[] = {
      u"今", u"天", u"气", u"很", u"好", u"我", u"们", u"去", u"公", u"园", u"手", u"机",
      u"网", u"站", u"建", u"设", u"欢", u"迎", u"访", u"问", u"城", u"市", u"行", u"人"};
  const std::u16string_view* syllable = chinese ? kHan : kLatin;
  constexpr size_t kCount = std::size(kLatin);
  std::vector<std::u16string> words;
  std::map<std::u16string, bool> seen;
  uint64_t seed = 88172645463325252ull;
  while (words.size() < count) {
    seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
    std::u16string word;
    const size_t syllables = 2 + seed % 3;
    for (size_t i = 0; i < syllables; ++i) {
      if (wide) {
        word.push_back(static_cast<char16_t>(0x4E00 + (seed >> (8 + 12 * i)) % 3000));
      } else {
        word += syllable[(seed >> (8 + 5 * i)) % kCount];
      }
    }
    if (!seen[word]) {
      seen[word] = true;
      words.push_back(std::move(word));
    }
  }
  return words;
}

const std::vector<std::u16string>& Words(Kind kind) {
  static const std::vector<std::u16string> latin = Vocabulary(false, false, 4000);
  static const std::vector<std::u16string> han = Vocabulary(true, false, 4000);
  static const std::vector<std::u16string> wide = Vocabulary(true, true, 4000);
  return kind == kChinese ? han : kind == kWide ? wide : latin;
}

// Words of the vocabulary in a fixed random order, with blanks, commas and
// full stops, cut at `size` units. The stop words are the vocabulary's
// first ones: a quarter of the words of these texts are stop words, and
// more hold one.
std::u16string Text(Kind kind, size_t size) {
  const std::vector<std::u16string>& words = Words(kind);
  std::u16string text;
  text.reserve(size + 64);
  uint64_t seed = 2463534242ull;
  while (text.size() < size) {
    seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
    text += words[seed % words.size()];
    text += seed % 11 == 0 ? u", " : seed % 13 == 0 ? u". " : u" ";
  }
  text.resize(size);
  return text;
}

// For "rare" texts the words begin with a capital, which the texts never
// hold: the list shares all its other letters with the text but never
// matches. For "absent" texts each word has a "q" after its first two
// letters: the texts hold their beginnings and ends but never the words.
std::u16string List(Kind kind, size_t count) {
  std::u16string list;
  for (size_t i = 0; i < count; ++i) {
    std::u16string word = Words(kind)[i];
    if (kind == kRare) word[0] = static_cast<char16_t>(word[0] - u'a' + u'A');
    if (kind == kAbsent) word.insert(2, 1, u'q');
    list += (i ? u"|" : u"") + word;
  }
  return list;
}

// ---- The passes as they were ----------------------------------------------------

using z::test::ReplaceOneByOne;
using z::test::ReplaceWordByWord;

// ---- Measuring -------------------------------------------------------------------

Kind KindOf(const benchmark::State& state) { return static_cast<Kind>(state.range(0)); }
size_t WordsOf(const benchmark::State& state) { return static_cast<size_t>(state.range(1)); }
size_t SizeOf(const benchmark::State& state) { return static_cast<size_t>(state.range(2)); }

// Seconds per iteration of each run, as last measured, by name and
// arguments, for BM_StopWordCost. The benchmarks run in the order they are
// registered in.
using Args = std::tuple<int64_t, int64_t, int64_t>;
std::map<std::pair<std::string, Args>, double> seconds;

template <typename Work>
void Measure(benchmark::State& state, const std::string& name, Work work) {
  const std::u16string text = Text(KindOf(state), SizeOf(state));
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) work(text);
  const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
  seconds[{name, {state.range(0), state.range(1), state.range(2)}}] =
      spent.count() / static_cast<double>(state.iterations());
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.SetLabel(kKindNames[KindOf(state)]);
}

// 1,000 words on 1 Mi units and 1,999 on 200,000, for each kind of text.
void Lists(benchmark::internal::Benchmark* b) {
  b->ArgNames({"text", "words", "size"});
  for (const int64_t kind : {kDense, kRare, kAbsent, kChinese, kWide}) {
    b->Args({kind, 1000, kMi})->Args({kind, 1999, 200000});
  }
  b->Unit(benchmark::kMillisecond);
}
// The same, and each without stop words.
void ListsAndNone(benchmark::internal::Benchmark* b) {
  Lists(b);
  for (const int64_t kind : {kDense, kRare, kAbsent, kChinese, kWide}) {
    b->Args({kind, 0, kMi})->Args({kind, 0, 200000});
  }
}

void BM_Ascii(benchmark::State& state) {
  auto page = std::make_shared<z::WAP>();
  page->state().WapEnCoding = u"utf-8";
  page->state().ThePassWords = u"**过滤词汇**";
  page->state().TheStopWords = List(KindOf(state), WordsOf(state));
  Measure(state, "ascii",
          [&](const std::u16string& text) { benchmark::DoNotOptimize(page->Ascii(text)); });
}
BENCHMARK(BM_Ascii)->Apply(ListsAndNone);

void BM_StopWords(benchmark::State& state) {
  const std::u16string list = List(KindOf(state), WordsOf(state));
  Measure(state, "stop", [&](const std::u16string& text) {
    std::u16string work = text;
    z::output::ReplaceStopWords(list, u"**", &work);
    benchmark::DoNotOptimize(work);
  });
}
BENCHMARK(BM_StopWords)->Apply(Lists);

void BM_StopWordsWordByWord(benchmark::State& state) {
  const std::u16string list = List(KindOf(state), WordsOf(state));
  Measure(state, "stop-peer", [&](const std::u16string& text) {
    std::u16string work = text;
    ReplaceWordByWord(list, u"**", &work);
    benchmark::DoNotOptimize(work);
  });
}
BENCHMARK(BM_StopWordsWordByWord)->Apply(Lists)->Iterations(1);

void BM_Highlight(benchmark::State& state) {
  const std::u16string list = List(KindOf(state), WordsOf(state));
  Measure(state, "highlight", [&](const std::u16string& text) {
    benchmark::DoNotOptimize(z::text::ReplaceString(list, text, u"<b>", u"</b>"));
  });
}
BENCHMARK(BM_Highlight)->Apply(Lists);

void BM_HighlightKeywordByKeyword(benchmark::State& state) {
  const std::u16string list = List(KindOf(state), WordsOf(state));
  Measure(state, "highlight-peer", [&](const std::u16string& text) {
    benchmark::DoNotOptimize(ReplaceOneByOne(list, text, u"<b>", u"</b>"));
  });
}
BENCHMARK(BM_HighlightKeywordByKeyword)->Apply(Lists)->Iterations(1);

// Ascii with the stop words over Ascii without them on the same text, and
// each pass's lead over its peer (a counter stays out when a run is missing).
void BM_StopWordCost(benchmark::State& state) {
  for (auto _ : state) {
  }
  state.SetLabel(kKindNames[KindOf(state)]);
  const Args with{state.range(0), state.range(1), state.range(2)};
  const auto time = [&](const std::string& name, const Args& args) {
    const auto it = seconds.find({name, args});
    return it == seconds.end() ? 0.0 : it->second;
  };
  const double bare = time("ascii", {state.range(0), 0, state.range(2)});
  if (bare > 0 && time("ascii", with) > 0) {
    state.counters["x_no_stop_words"] = time("ascii", with) / bare;
  }
  for (const auto& [name, counter] :
       {std::pair{"stop", "lead_stop"}, std::pair{"highlight", "lead_highlight"}}) {
    const double ours = time(name, with), peer = time(std::string(name) + "-peer", with);
    if (ours > 0 && peer > 0) state.counters[counter] = peer / ours;
  }
}
BENCHMARK(BM_StopWordCost)->Apply(Lists)->Iterations(1);

}  // namespace
