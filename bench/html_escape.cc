// HTMLDecode and DelSpecialMark on a 1 KiB and a 1 MiB input (512 and
// 512 Ki UTF-16 units): both must stay linear, so the cost per byte of the
// large input should be close to that of the small one. The inputs are a
// forum post as a visitor types it (markup, quotes, CR LF line ends, runs of
// blank lines, tabs and ideographic spaces) for DelSpecialMark, and the same
// post encoded by HtmlEnCode, plus some decimal references, for HTMLDecode.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "text/html_escape.h"

namespace {

namespace text = zorvadel::text;

constexpr std::u16string_view kPost =
    u"回复 #12 楼 \"小王\" 的帖子：\r\n"
    u"\r\n"
    u"我觉得这款手机的屏幕 <b>真的很不错</b>，阳光下也看得清楚。\r\n"
    u"\t价格方面 2999 元 & 送耳机，比 A<B 的那家店便宜 5%。\r\n"
    u"\r\n\r\n\r\n"
    u"　　缺点是电池一般，玩游戏大概 4 小时就没电了。Battery life: 'OK', not great.\r\n"
    u"链接：<a href=\"http://m.example.com/bbs/list.asp?id=42&page=2\">点这里</a><br/>\r\n"
    u"-- 发自我的手机  (via WAP)\r\n";

std::u16string Fill(std::u16string_view piece, size_t units) {
  std::u16string out;
  out.reserve(units + piece.size());
  while (out.size() < units) out.append(piece);
  out.resize(units);
  return out;
}

// The post as a page holds it: encoded, with a few numeric references
// that other writers leave.
std::u16string EncodedPost() {
  return text::HtmlEnCode(kPost) + u"&#60;&#62; &#38;copy; &#169; &#8364;\r\n";
}

void Measure(benchmark::State& state, std::u16string (*convert)(std::u16string_view),
             const std::u16string& input) {
  for (auto _ : state) benchmark::DoNotOptimize(convert(input));
  state.SetBytesProcessed(state.iterations() * input.size() * sizeof(char16_t));
}

void BM_HTMLDecode(benchmark::State& state) {
  const std::u16string input = Fill(EncodedPost(), static_cast<size_t>(state.range(0)) / 2);
  Measure(state, &text::HTMLDecode, input);
}

void BM_DelSpecialMark(benchmark::State& state) {
  const std::u16string input = Fill(kPost, static_cast<size_t>(state.range(0)) / 2);
  Measure(state, &text::DelSpecialMark, input);
}

BENCHMARK(BM_HTMLDecode)->Arg(1 << 10)->Arg(1 << 20);
BENCHMARK(BM_DelSpecialMark)->Arg(1 << 10)->Arg(1 << 20);

}  // namespace
