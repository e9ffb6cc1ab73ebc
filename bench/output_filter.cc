// The output filter Ascii on 1 Mi characters of ASCII, of mixed text, of
// Chinese text and of hostile text: with the default settings, with stop
// words and keywords, with the pinyin annotation, raw ("gb2312", where only
// what XML cannot carry is dropped); the terminal detection of a phone
// agent.
//
// Its peers run in the same process on the same texts: CPython's
// str.encode("ascii", "xmlcharrefreplace") (through
// bench/output_filter_python.py, which reads the very text written here),
// and, as the floor of the work, a bare loop that writes a fixed reference
// for every unit outside 32-255. BM_Lead then gives the filter's rate as a
// multiple of each peer's on the same text.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>

#include "text/charset_refs.h"
#include "zorvadel/classes.h"

namespace {

namespace z = zorvadel;

constexpr size_t kMi = size_t{1} << 20;

// Each text is its piece repeated and cut at `size` units.
constexpr std::u16string_view kAsciiPiece =
    u"<p>The quick brown fox jumps over the lazy dog; News 2024: \"markup\" "
    u"stays as it is, caf\u00e9 too.</p>\r\n";
// About a third Chinese, with "&", "<" and line breaks in the rest.
constexpr std::u16string_view kMixedPiece =
    u"今天天气很好，我们去公园散步。<b>News</b> 2024: Tom & Jerry &amp; friends; "
    u"手机网站建设，欢迎访问！长江以南的城市里，行人很多。The quick brown fox.\r\n";
// Running Chinese text with its own punctuation: every unit is escaped.
constexpr std::u16string_view kChinesePiece =
    u"今天天气很好，我们去公园散步。手机网站建设，欢迎访问！长江以南的城市里，行人很多。"
    u"《新闻》说：“明天有雨”；请带伞、穿外套。";
// Ampersands with no ";" anywhere: every one is bare and looks for one.
constexpr std::u16string_view kHostilePiece = u"&a&&#x4E2D&#12 &lt &amp&";
// Openings of references before one far ";": every "&" meets the same ";".
constexpr std::u16string_view kFarSemicolonPiece = u"&#x4E2D&#&";
// Something to drop every few units: controls, a reference to U+FFFF and
// one that forms once a control inside it has gone.
constexpr std::u16string_view kDroppedPiece = u"ab\x01" u"c&#xFFFF;d&#\x01" u"0;e\x0B";

std::u16string Repeat(std::u16string_view piece, size_t size) {
  std::u16string text;
  text.reserve(size + piece.size());
  while (text.size() < size) text.append(piece);
  text.resize(size);
  return text;
}

enum TextKind { kAscii, kMixed, kChinese, kHostile, kFarSemicolon, kDropped };
constexpr const char* kTextNames[] = {"ascii",         "mixed",  "chinese", "hostile",
                                      "far-semicolon", "dropped"};

std::u16string MakeText(TextKind kind, size_t size = kMi) {
  switch (kind) {
    case kAscii:
      return Repeat(kAsciiPiece, size);
    case kMixed:
      return Repeat(kMixedPiece, size);
    case kChinese:
      return Repeat(kChinesePiece, size);
    case kHostile:
      return Repeat(kHostilePiece, size);
    case kFarSemicolon:
      return Repeat(kFarSemicolonPiece, size - 1) + u";";
    case kDropped:
      return Repeat(kDroppedPiece, size);
  }
  return {};
}

TextKind KindOf(const benchmark::State& state) { return static_cast<TextKind>(state.range(0)); }

// A page object with the page-start values of the filter settings.
template <typename Page>
std::shared_ptr<Page> NewPage() {
  auto page = std::make_shared<Page>();
  z::PageState& s = page->state();
  s.WapEnCoding = u"utf-8";
  s.ThePassWords = u"**过滤词汇**";
  s.PreFontText = u"<b>";
  s.LastFontText = u"</b>";
  return page;
}

void Count(benchmark::State& state, const std::u16string& text) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.SetBytesProcessed(
      static_cast<int64_t>(state.iterations() * text.size() * sizeof(char16_t)));
}

// Characters per second of each contestant on each text, as last measured,
// for BM_Lead. The benchmarks run in the order they are registered in.
enum Contestant { kFilter, kCPython, kBare };
std::map<std::pair<Contestant, TextKind>, double> rates;

// Runs `work` for every iteration of `state` and notes its rate.
template <typename Work>
void Measure(benchmark::State& state, Contestant who, const std::u16string& text, Work work) {
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) benchmark::DoNotOptimize(work(text));
  const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
  rates[{who, KindOf(state)}] = static_cast<double>(state.iterations() * text.size()) /
                                spent.count();
  Count(state, text);
}

// ---- The floor: one pass, a fixed reference per unit outside 32-255 ---------

std::u16string BareLoop(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() + text.size() / 2 + 16);
  for (char16_t c : text) {
    if (c >= 32 && c <= 255) {
      out.push_back(c);
    } else {
      out.append(u"&#xFFFF;", 8);
    }
  }
  return out;
}

void BM_BareLoop(benchmark::State& state) {
  Measure(state, kBare, MakeText(KindOf(state)), BareLoop);
}
BENCHMARK(BM_BareLoop)->ArgName("text")->Arg(kAscii)->Arg(kMixed)->Arg(kChinese)->Arg(kHostile);

// ---- CPython -------------------------------------------------------------------------

// The script next to this file times the encoding of the text that it reads
// from a file (UTF-16, so it is the same text unit for unit; every character
// here is in the basic plane) and prints the best time of one encoding in
// seconds. Debian's interpreter, the one that CI has.
double CPythonSeconds(const std::u16string& text) {
  const std::filesystem::path script =
      std::filesystem::path(__FILE__).parent_path() / "output_filter_python.py";
  const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                     ("zorvadel-bench-" + std::to_string(getpid()) + ".txt");
  {
    std::ofstream out(file, std::ios::binary);
    for (char16_t c : text) {
      const char bytes[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
      out.write(bytes, 2);
    }
  }
  const std::string command = "/usr/bin/python3 '" + script.string() + "' '" + file.string() + "'";
  double seconds = 0;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    if (std::fscanf(pipe, "%lf", &seconds) != 1) seconds = 0;
    if (pclose(pipe) != 0) seconds = 0;
  }
  std::filesystem::remove(file);
  return seconds;
}

void BM_CPython(benchmark::State& state) {
  const std::u16string text = MakeText(KindOf(state));
  const double seconds = CPythonSeconds(text);
  if (seconds <= 0) {
    state.SkipWithError("bench/output_filter_python.py did not run (is /usr/bin/python3 there?)");
    return;
  }
  for (auto _ : state) state.SetIterationTime(seconds);
  rates[{kCPython, KindOf(state)}] = static_cast<double>(text.size()) / seconds;
  Count(state, text);
}
BENCHMARK(BM_CPython)
    ->ArgName("text")
    ->Arg(kAscii)
    ->Arg(kMixed)
    ->Arg(kChinese)
    ->UseManualTime()
    ->Iterations(1);

// ---- Ascii --------------------------------------------------------------------------

void BM_AsciiDefault(benchmark::State& state) {
  auto page = NewPage<z::WAP>();
  Measure(state, kFilter, MakeText(KindOf(state)),
          [&](const std::u16string& text) { return page->Ascii(text); });
}
BENCHMARK(BM_AsciiDefault)
    ->ArgName("text")
    ->Arg(kAscii)
    ->Arg(kMixed)
    ->Arg(kChinese)
    ->Arg(kHostile)
    ->Arg(kFarSemicolon);

// The filter's rate over CPython's and over the bare loop's on each text
// (a counter stays out when its peer did not run).
void BM_Lead(benchmark::State& state) {
  const TextKind kind = KindOf(state);
  for (auto _ : state) {
  }
  state.SetLabel(kTextNames[kind]);
  const double filter = rates[{kFilter, kind}];
  for (const auto& [who, name] : {std::pair{kCPython, "x_cpython"}, std::pair{kBare, "x_bare"}}) {
    const double peer = rates[{who, kind}];
    if (filter > 0 && peer > 0) state.counters[name] = filter / peer;
  }
}
BENCHMARK(BM_Lead)->ArgName("text")->Arg(kAscii)->Arg(kMixed)->Arg(kChinese)->Iterations(1);

// Hostile texts at growing sizes: the time per character stays flat.
void BM_AsciiHostileScaling(benchmark::State& state) {
  auto page = NewPage<z::WAP>();
  const std::u16string text = MakeText(KindOf(state), static_cast<size_t>(state.range(1)));
  for (auto _ : state) benchmark::DoNotOptimize(page->Ascii(text));
  Count(state, text);
  state.SetComplexityN(state.range(1));
}
BENCHMARK(BM_AsciiHostileScaling)
    ->ArgNames({"text", "size"})
    ->ArgsProduct({{kHostile}, {kMi / 4, kMi, 4 * kMi}})
    ->Complexity(benchmark::oN);
BENCHMARK(BM_AsciiHostileScaling)
    ->Name("BM_AsciiFarSemicolonScaling")
    ->ArgNames({"text", "size"})
    ->ArgsProduct({{kFarSemicolon}, {kMi / 4, kMi, 4 * kMi}})
    ->Complexity(benchmark::oN);

void BM_AsciiStopAndKeyWords(benchmark::State& state) {
  auto page = NewPage<z::WAP>();
  page->state().TheStopWords = u"公园|fox|城市|Jerry|手机";
  page->state().FontKeyWords = u"News|网站|天气";
  const std::u16string text = MakeText(kMixed);
  for (auto _ : state) benchmark::DoNotOptimize(page->Ascii(text));
  Count(state, text);
}
BENCHMARK(BM_AsciiStopAndKeyWords);

void BM_AsciiPinyin(benchmark::State& state) {
  auto page = NewPage<z::XML>();
  page->state().IsShowPinYin = true;
  const std::u16string text = MakeText(kMixed);
  for (auto _ : state) benchmark::DoNotOptimize(page->Ascii(text));
  Count(state, text);
}
BENCHMARK(BM_AsciiPinyin);

// With WapEnCoding "gb2312" the text goes out raw but for what XML cannot
// carry, the drop that the members writing markup as given run too.
void BM_AsciiRaw(benchmark::State& state) {
  auto page = NewPage<z::WAP>();
  page->state().WapEnCoding = u"gb2312";
  const std::u16string text = MakeText(KindOf(state));
  for (auto _ : state) benchmark::DoNotOptimize(page->Ascii(text));
  Count(state, text);
}
BENCHMARK(BM_AsciiRaw)
    ->ArgName("text")
    ->Arg(kAscii)
    ->Arg(kMixed)
    ->Arg(kChinese)
    ->Arg(kHostile)
    ->Arg(kFarSemicolon)
    ->Arg(kDropped);

// The page utilities' Uni: the same escaping without the page's settings.
void BM_Uni(benchmark::State& state) {
  const std::u16string text = MakeText(KindOf(state));
  for (auto _ : state) benchmark::DoNotOptimize(z::text::Uni(text));
  Count(state, text);
}
BENCHMARK(BM_Uni)->ArgName("text")->Arg(kAscii)->Arg(kMixed)->Arg(kChinese)->Arg(kHostile);

// ---- Terminal detection ------------------------------------------------------------

// A handset's agent text holds none of the keys, so every row is tried. The
// page remembers its last answer, so the first run asks about one agent
// again and again and the second alternates two agents, each call a miss.
void BM_DisplayerPhone(benchmark::State& state) {
  const std::u16string agents[] = {
      u"Nokia6600/1.0 (4.09.1) SymbianOS/7.0s Series60/2.0 Profile/MIDP-2.0 "
      u"Configuration/CLDC-1.0",
      u"SAMSUNG-SGH-D508/D508ZCEE1 Profile/MIDP-2.0 Configuration/CLDC-1.1 "
      u"UP.Browser/6.2.3.3.c.1.101 (GUI) MMP/2.0"};
  auto page = NewPage<z::WAP>();
  page->state().PhoneUserAgent = agents[0];
  const bool alternate = state.range(0) != 0;
  size_t k = 0;
  for (auto _ : state) {
    page->state().Terminal = agents[k];
    if (alternate) k ^= 1;
    benchmark::DoNotOptimize(page->Displayer());
  }
}
BENCHMARK(BM_DisplayerPhone)->ArgName("alternate")->Arg(0)->Arg(1);

}  // namespace
