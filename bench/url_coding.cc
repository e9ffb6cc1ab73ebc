// URL coding of 1 MiB of mixed text (UTF-8 size): the UTF-8 and GB2312
// dialects, each way, beside libcurl's curl_easy_escape/curl_easy_unescape
// on the UTF-8 bytes of the same text, prepared outside the timed loop.
//
// Every benchmark reports the same two rates of the same source text, so
// rows compare directly: items_per_second counts its UTF-16 code units, and
// bytes_per_second counts its UTF-8 bytes (what curl sees). A decoder is
// credited with the source text it gives back, not with its longer input.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/codepage/codepage.h"
#include "text/url_coding.h"

namespace {

namespace text = zorvadel::text;

constexpr size_t kTargetUtf8Bytes = size_t{1} << 20;

// Query-string-like text as Chinese mobile sites send it: Chinese words,
// ASCII words and numbers, blanks, marks the dialects treat differently,
// full-width punctuation and the odd character outside the BMP.
const std::u16string& Source() {
  static const std::u16string source = [] {
    static constexpr std::u16string_view kPieces[] = {
        u"今天天气很好",  u"news", u" ",          u"我们去公园散步。", u"id=42&page=2",
        u"中文",          u"-_.~", u"标题：新闻", u"Hello, World!",    u"100%",
        u"a+b=c",         u"北京", u"/list.asp?", u"（测试）",          u"\U0001F600",
        u"user@mail.cn",  u"上海", u"[b]粗体[/b]", u"2024-05-01",      u"价格：¥99",
    };
    std::u16string text;
    size_t utf8_bytes = 0;
    for (uint32_t n = 0; utf8_bytes < kTargetUtf8Bytes; ++n) {
      // A fixed-step walk through the pieces, so the mix is not periodic at
      // the table's length but is the same on every run.
      const std::u16string_view piece = kPieces[(n * 7 + n / 20) % std::size(kPieces)];
      text += piece;
      utf8_bytes += zorvadel::codepage::ToUtf8(piece).size();
    }
    return text;
  }();
  return source;
}

const std::string& SourceUtf8() {
  static const std::string bytes = zorvadel::codepage::ToUtf8(Source());
  return bytes;
}

void Credit(benchmark::State& state) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Source().size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * SourceUtf8().size()));
}

// ---- UTF-8 dialect ----------------------------------------------------------------

void BM_GoogleUrlEncode(benchmark::State& state) {
  const std::u16string& source = Source();
  for (auto _ : state) benchmark::DoNotOptimize(text::GoogleUrlEncode(source));
  Credit(state);
}

void BM_GoogleUrlDecode(benchmark::State& state) {
  const std::u16string encoded = text::GoogleUrlEncode(Source());
  if (text::GoogleUrlDecode(encoded) != Source()) std::abort();
  for (auto _ : state) benchmark::DoNotOptimize(text::GoogleUrlDecode(encoded));
  Credit(state);
}

// ---- GB2312 dialect ---------------------------------------------------------------

void BM_BaiduUrlEncode(benchmark::State& state) {
  const std::u16string& source = Source();
  for (auto _ : state) benchmark::DoNotOptimize(text::BaiduUrlEncode(source));
  Credit(state);
}

void BM_BaiduUrlDecode(benchmark::State& state) {
  const std::u16string encoded = text::BaiduUrlEncode(Source());
  for (auto _ : state) benchmark::DoNotOptimize(text::BaiduUrlDecode(encoded));
  Credit(state);
}

// ---- libcurl on the UTF-8 bytes ---------------------------------------------------

CURL* Handle() {
  static CURL* const handle = [] {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURL* h = curl_easy_init();
    if (h == nullptr) std::abort();
    return h;
  }();
  return handle;
}

void BM_CurlEasyEscape(benchmark::State& state) {
  const std::string& bytes = SourceUtf8();
  CURL* handle = Handle();
  for (auto _ : state) {
    char* escaped = curl_easy_escape(handle, bytes.data(), static_cast<int>(bytes.size()));
    if (escaped == nullptr) std::abort();
    benchmark::DoNotOptimize(escaped);
    curl_free(escaped);
  }
  Credit(state);
}

void BM_CurlEasyUnescape(benchmark::State& state) {
  const std::string& bytes = SourceUtf8();
  CURL* handle = Handle();
  char* escaped = curl_easy_escape(handle, bytes.data(), static_cast<int>(bytes.size()));
  if (escaped == nullptr) std::abort();
  const std::string input(escaped);
  curl_free(escaped);
  for (auto _ : state) {
    int length = 0;
    char* plain =
        curl_easy_unescape(handle, input.data(), static_cast<int>(input.size()), &length);
    if (plain == nullptr) std::abort();
    benchmark::DoNotOptimize(plain);
    curl_free(plain);
  }
  Credit(state);
}

BENCHMARK(BM_GoogleUrlEncode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaiduUrlEncode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CurlEasyEscape)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GoogleUrlDecode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaiduUrlDecode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CurlEasyUnescape)->Unit(benchmark::kMicrosecond);

}  // namespace
