// Code page 936 and UTF-8 conversions of a page-sized mixed Chinese/ASCII
// text, beside glibc iconv doing the same conversion.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/codepage/codepage.h"

namespace {

namespace cp = zorvadel::codepage;

// About 64 KiB of UTF-8: markup and Latin text around runs of Chinese, the
// shape of a mobile page body. Every character has a code page 936 form, so
// iconv converts it whole.
const std::u16string& Text() {
  static const std::u16string text = [] {
    const std::u16string piece =
        u"<p>新闻中心 News 2024-05-01: 今天天气很好，我们去公园散步。"
        u"<a href=\"list.asp?id=42&amp;page=2\">下一页</a> 體育 € 100 "
        u"Mobile pages for every phone; 手机网站建设，欢迎访问！</p>\n";
    std::u16string t;
    while (cp::ToUtf8(t).size() < 64 * 1024) t += piece;
    return t;
  }();
  return text;
}

// One whole conversion by iconv into a buffer of `max_out` bytes.
std::string Iconv(iconv_t cd, std::string_view in, size_t max_out) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string out(max_out, '\0');
  char* in_p = const_cast<char*>(in.data());
  size_t in_left = in.size();
  char* out_p = out.data();
  size_t out_left = out.size();
  if (iconv(cd, &in_p, &in_left, &out_p, &out_left) == static_cast<size_t>(-1)) std::abort();
  out.resize(out.size() - out_left);
  return out;
}

std::string_view Bytes(const std::u16string& s) {
  return {reinterpret_cast<const char*>(s.data()), s.size() * sizeof(char16_t)};
}

void BM_ToGbk(benchmark::State& state) {
  const std::u16string& text = Text();
  for (auto _ : state) benchmark::DoNotOptimize(cp::ToGbk(text));
  state.SetBytesProcessed(state.iterations() * Bytes(text).size());
}

void BM_IconvToGbk(benchmark::State& state) {
  const std::u16string& text = Text();
  iconv_t cd = iconv_open("CP936", "UTF-16LE");
  for (auto _ : state) benchmark::DoNotOptimize(Iconv(cd, Bytes(text), text.size() * 2));
  iconv_close(cd);
  state.SetBytesProcessed(state.iterations() * Bytes(text).size());
}

void BM_FromGbk(benchmark::State& state) {
  const std::string gbk = cp::ToGbk(Text());
  for (auto _ : state) benchmark::DoNotOptimize(cp::FromGbk(gbk));
  state.SetBytesProcessed(state.iterations() * gbk.size());
}

void BM_IconvFromGbk(benchmark::State& state) {
  const std::string gbk = cp::ToGbk(Text());
  iconv_t cd = iconv_open("UTF-16LE", "CP936");
  for (auto _ : state) benchmark::DoNotOptimize(Iconv(cd, gbk, gbk.size() * 2));
  iconv_close(cd);
  state.SetBytesProcessed(state.iterations() * gbk.size());
}

void BM_ToUtf8(benchmark::State& state) {
  const std::u16string& text = Text();
  for (auto _ : state) benchmark::DoNotOptimize(cp::ToUtf8(text));
  state.SetBytesProcessed(state.iterations() * Bytes(text).size());
}

void BM_IconvToUtf8(benchmark::State& state) {
  const std::u16string& text = Text();
  iconv_t cd = iconv_open("UTF-8", "UTF-16LE");
  for (auto _ : state) benchmark::DoNotOptimize(Iconv(cd, Bytes(text), text.size() * 3));
  iconv_close(cd);
  state.SetBytesProcessed(state.iterations() * Bytes(text).size());
}

void BM_FromUtf8(benchmark::State& state) {
  const std::string utf8 = cp::ToUtf8(Text());
  for (auto _ : state) benchmark::DoNotOptimize(cp::FromUtf8(utf8));
  state.SetBytesProcessed(state.iterations() * utf8.size());
}

void BM_IconvFromUtf8(benchmark::State& state) {
  const std::string utf8 = cp::ToUtf8(Text());
  iconv_t cd = iconv_open("UTF-16LE", "UTF-8");
  for (auto _ : state) benchmark::DoNotOptimize(Iconv(cd, utf8, utf8.size() * 2));
  iconv_close(cd);
  state.SetBytesProcessed(state.iterations() * utf8.size());
}

BENCHMARK(BM_ToGbk);
BENCHMARK(BM_IconvToGbk);
BENCHMARK(BM_FromGbk);
BENCHMARK(BM_IconvFromGbk);
BENCHMARK(BM_ToUtf8);
BENCHMARK(BM_IconvToUtf8);
BENCHMARK(BM_FromUtf8);
BENCHMARK(BM_IconvFromUtf8);

}  // namespace
