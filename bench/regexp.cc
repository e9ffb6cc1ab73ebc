// Tag stripping ("<[^>]*>", global, ignore case, replaced by "") over about
// 1.5 MiB of page markup: the library's Replace beside a bare, JIT-compiled
// pcre2_substitute with PCRE2_SUBSTITUTE_GLOBAL, and beside std::regex_replace.
// std::regex has no char16_t form, so its peer runs std::wregex on a
// std::wstring copy of the same units (made once, outside the timing).
#include <benchmark/benchmark.h>

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <cstdlib>
#include <regex>
#include <string>

#include "platform/regexp/regexp.h"

namespace {

namespace rx = zorvadel::regexp;

constexpr char16_t kPattern[] = u"<[^>]*>";

// Markup of a news page: tags with attributes, Chinese and Latin text, line
// ends, repeated up to about 1.5 MiB of UTF-16.
const std::u16string& Html() {
  static const std::u16string html = [] {
    const std::u16string piece =
        u"<div class=\"item\"><a href=\"list.asp?id=42&amp;page=2\" title=\"新闻\">"
        u"今天天气很好，我们去公园散步。</a><br/>\r\n<P>Mobile pages for every phone; "
        u"<B>手机网站建设</B>，欢迎访问！ 2024-05-01 <img src=\"a.gif\" alt=\"\"/></P></div>\n";
    std::u16string text;
    while (text.size() * 2 < 1536 * 1024) text += piece;
    return text;
  }();
  return html;
}

void SetBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Html().size() * 2));
}

void BM_ZorvadelReplace(benchmark::State& state) {
  const std::u16string& html = Html();
  const auto tag = rx::Compile(kPattern, true);
  for (auto _ : state) {
    std::u16string out = rx::Replace(*tag, html, u"", true);
    benchmark::DoNotOptimize(out.data());
  }
  SetBytes(state);
}

void BM_Pcre2Substitute(benchmark::State& state) {
  const std::u16string& html = Html();
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kPattern), PCRE2_ZERO_TERMINATED,
                                   PCRE2_CASELESS, &error, &offset, nullptr);
  if (code == nullptr || pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) != 0) std::abort();
  pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
  // The output buffer is made once: the peer pays for no allocation at all.
  std::u16string out(html.size() + 1, u'\0');
  const auto* subject = reinterpret_cast<PCRE2_SPTR>(html.data());
  for (auto _ : state) {
    PCRE2_SIZE length = out.size();
    const int rc = pcre2_substitute(code, subject, html.size(), 0, PCRE2_SUBSTITUTE_GLOBAL, data,
                                    nullptr, reinterpret_cast<PCRE2_SPTR>(u""), 0,
                                    reinterpret_cast<PCRE2_UCHAR*>(out.data()), &length);
    if (rc < 0) std::abort();
    benchmark::DoNotOptimize(out.data());
  }
  SetBytes(state);
  pcre2_match_data_free(data);
  pcre2_code_free(code);
}

void BM_StdWregexReplace(benchmark::State& state) {
  const std::u16string& html = Html();
  const std::wstring wide(html.begin(), html.end());
  const std::wregex tag(L"<[^>]*>", std::regex::ECMAScript | std::regex::icase);
  for (auto _ : state) {
    std::wstring out = std::regex_replace(wide, tag, L"");
    benchmark::DoNotOptimize(out.data());
  }
  SetBytes(state);
}

BENCHMARK(BM_ZorvadelReplace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pcre2Substitute)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdWregexReplace)->Unit(benchmark::kMillisecond);

}  // namespace
