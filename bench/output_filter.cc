// The output filter Ascii on 1 Mi characters of ASCII, of mixed Chinese and
// of hostile text: with the default settings, with stop words and keywords,
// with the pinyin annotation; the terminal detection of a phone agent; and,
// as the floor of the work, a bare loop that writes a fixed reference for
// every unit outside 32-255. bench/output_filter_python.py builds the same
// texts and times CPython's xmlcharrefreplace on them.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "text/charset_refs.h"
#include "zorvadel/classes.h"

namespace {

namespace z = zorvadel;

constexpr size_t kMi = size_t{1} << 20;

// The pieces that output_filter_python.py repeats too: the text is the piece
// repeated and cut at `size` units (every character is in the basic plane,
// so a unit is a character on both sides).
constexpr std::u16string_view kAsciiPiece =
    u"<p>The quick brown fox jumps over the lazy dog; News 2024: \"markup\" "
    u"stays as it is, caf\u00e9 too.</p>\r\n";
constexpr std::u16string_view kMixedPiece =
    u"今天天气很好，我们去公园散步。<b>News</b> 2024: Tom & Jerry &amp; friends; "
    u"手机网站建设，欢迎访问！长江以南的城市里，行人很多。The quick brown fox.\r\n";
// Ampersands with no ";" anywhere: every one is bare and looks for one.
constexpr std::u16string_view kHostilePiece = u"&a&&#x4E2D&#12 &lt &amp&";
// Openings of references before one far ";": every "&" meets the same ";".
constexpr std::u16string_view kFarSemicolonPiece = u"&#x4E2D&#&";

std::u16string Repeat(std::u16string_view piece, size_t size) {
  std::u16string text;
  text.reserve(size + piece.size());
  while (text.size() < size) text.append(piece);
  text.resize(size);
  return text;
}

enum TextKind { kAscii, kMixed, kHostile, kFarSemicolon };

std::u16string MakeText(TextKind kind, size_t size) {
  switch (kind) {
    case kAscii:
      return Repeat(kAsciiPiece, size);
    case kMixed:
      return Repeat(kMixedPiece, size);
    case kHostile:
      return Repeat(kHostilePiece, size);
    case kFarSemicolon:
      return Repeat(kFarSemicolonPiece, size - 1) + u";";
  }
  return {};
}

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
  const std::u16string text = MakeText(static_cast<TextKind>(state.range(0)), kMi);
  for (auto _ : state) benchmark::DoNotOptimize(BareLoop(text));
  Count(state, text);
}
BENCHMARK(BM_BareLoop)->ArgName("text")->Arg(kAscii)->Arg(kMixed)->Arg(kHostile);

// ---- Ascii --------------------------------------------------------------------------

void BM_AsciiDefault(benchmark::State& state) {
  auto page = NewPage<z::WAP>();
  const std::u16string text = MakeText(static_cast<TextKind>(state.range(0)), kMi);
  for (auto _ : state) benchmark::DoNotOptimize(page->Ascii(text));
  Count(state, text);
}
BENCHMARK(BM_AsciiDefault)
    ->ArgName("text")
    ->Arg(kAscii)
    ->Arg(kMixed)
    ->Arg(kHostile)
    ->Arg(kFarSemicolon);

// Hostile texts at growing sizes: the time per character stays flat.
void BM_AsciiHostileScaling(benchmark::State& state) {
  auto page = NewPage<z::WAP>();
  const std::u16string text =
      MakeText(static_cast<TextKind>(state.range(0)), static_cast<size_t>(state.range(1)));
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
  const std::u16string text = MakeText(kMixed, kMi);
  for (auto _ : state) benchmark::DoNotOptimize(page->Ascii(text));
  Count(state, text);
}
BENCHMARK(BM_AsciiStopAndKeyWords);

void BM_AsciiPinyin(benchmark::State& state) {
  auto page = NewPage<z::XML>();
  page->state().IsShowPinYin = true;
  const std::u16string text = MakeText(kMixed, kMi);
  for (auto _ : state) benchmark::DoNotOptimize(page->Ascii(text));
  Count(state, text);
}
BENCHMARK(BM_AsciiPinyin);

// The page utilities' Uni: the same escaping without the page's settings.
void BM_Uni(benchmark::State& state) {
  const std::u16string text = MakeText(kMixed, kMi);
  for (auto _ : state) benchmark::DoNotOptimize(z::text::Uni(text));
  Count(state, text);
}
BENCHMARK(BM_Uni);

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
