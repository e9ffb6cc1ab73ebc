// The output filter Ascii of XML and WAP on 64 KiB of mixed Chinese and
// ASCII text: with the default settings, with the pinyin annotation, and
// with stop words and keywords; beside it the utilities' two-pass Uni (the
// same repair and escaping without the rest) and a hostile run of "&".
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "text/charset_refs.h"
#include "zorvadel/classes.h"

namespace {

namespace z = zorvadel;

// 32 Ki UTF-16 units (64 KiB): Chinese running text with punctuation, some
// Latin and markup, and the odd entity and bare ampersand.
const std::u16string& Text() {
  static const std::u16string text = [] {
    const std::u16string piece =
        u"今天天气很好，我们去公园散步。<b>News</b> 2024: Tom & Jerry &amp; friends; "
        u"手机网站建设，欢迎访问！长江以南的城市里，行人很多。The quick brown fox.\r\n";
    std::u16string t;
    while (t.size() + piece.size() <= 32 * 1024) t += piece;
    return t;
  }();
  return text;
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

enum Mode { kDefault, kPinyin, kWords };

template <typename Page>
void BM_Ascii(benchmark::State& state) {
  auto page = NewPage<Page>();
  switch (static_cast<Mode>(state.range(0))) {
    case kDefault:
      break;
    case kPinyin:
      page->state().IsShowPinYin = true;  // read by XML only
      break;
    case kWords:
      page->state().TheStopWords = u"公园|fox|城市|Jerry|手机";
      page->state().FontKeyWords = u"News|网站|天气";
      break;
  }
  const std::u16string& text = Text();
  for (auto _ : state) benchmark::DoNotOptimize(page->Ascii(text));
  state.SetBytesProcessed(state.iterations() * text.size() * sizeof(char16_t));
}
BENCHMARK(BM_Ascii<z::XML>)->ArgName("mode")->Arg(kDefault)->Arg(kPinyin)->Arg(kWords);
BENCHMARK(BM_Ascii<z::WAP>)->ArgName("mode")->Arg(kDefault)->Arg(kPinyin)->Arg(kWords);

// The utilities' Uni: the repair and the escaping as two passes.
void BM_UniTwoPass(benchmark::State& state) {
  const std::u16string& text = Text();
  for (auto _ : state) benchmark::DoNotOptimize(z::text::Uni(text));
  state.SetBytesProcessed(state.iterations() * text.size() * sizeof(char16_t));
}
BENCHMARK(BM_UniTwoPass);

// 64 KiB of "&" with no ";": every ampersand is bare.
void BM_AsciiAmpersands(benchmark::State& state) {
  auto page = NewPage<z::WAP>();
  const std::u16string text(32 * 1024, u'&');
  for (auto _ : state) benchmark::DoNotOptimize(page->Ascii(text));
  state.SetBytesProcessed(state.iterations() * text.size() * sizeof(char16_t));
}
BENCHMARK(BM_AsciiAmpersands);

}  // namespace
