// The mail component's text work for one phone mail: choosing the charset
// and encoding the body (gb2312 from the code page table, GB18030 through
// iconv), and the whole message with its encoded headers. glibc iconv
// converting the same body to GB2312 is the peer of the charset step.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/codepage/codepage.h"
#include "platform/mail/mime.h"

namespace {

namespace mail = zorvadel::mail;

// About 2 KiB of UTF-8, the size of a long phone mail.
std::u16string Body(std::u16string_view piece) {
  std::u16string body;
  while (zorvadel::codepage::ToUtf8(body).size() < 2048) body += piece;
  return body;
}

const std::u16string& Simplified() {
  static const std::u16string body =
      Body(u"您的朋友 \"张三\"<zhang@example.net> 通过手机给您发来新邮件，内容如下：今天天气很好。\r\n");
  return body;
}

// Traditional characters and an emoji: GB18030.
const std::u16string& Traditional() {
  static const std::u16string body = Body(u"繁體中文的郵件內容，祝您愉快😀 Hello!\r\n");
  return body;
}

void BM_BodyCharsetAndEncoding(benchmark::State& state, const std::u16string& body) {
  for (auto _ : state) {
    const mail::Charset charset = mail::CharsetFor(body);
    benchmark::DoNotOptimize(mail::EncodeText(body, charset));
  }
  state.SetBytesProcessed(state.iterations() * body.size() * 2);
}
BENCHMARK_CAPTURE(BM_BodyCharsetAndEncoding, gb2312, Simplified());
BENCHMARK_CAPTURE(BM_BodyCharsetAndEncoding, gb18030, Traditional());

// The peer: iconv from UTF-8 to GB2312, with the UTF-8 form made in the
// loop as the text arrives as UTF-16.
void BM_IconvGb2312(benchmark::State& state) {
  const std::u16string& body = Simplified();
  iconv_t cd = iconv_open("GB2312", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) std::abort();
  for (auto _ : state) {
    std::string in = zorvadel::codepage::ToUtf8(body);
    std::string out(in.size() * 2, '\0');
    char* in_p = in.data();
    size_t in_left = in.size();
    char* out_p = out.data();
    size_t out_left = out.size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in_p, &in_left, &out_p, &out_left) == static_cast<size_t>(-1)) std::abort();
    out.resize(out.size() - out_left);
    benchmark::DoNotOptimize(out);
  }
  iconv_close(cd);
  state.SetBytesProcessed(state.iterations() * body.size() * 2);
}
BENCHMARK(BM_IconvGb2312);

void BM_ComposeMessage(benchmark::State& state, const std::u16string& body) {
  mail::MessageText message;
  message.from = u"webmaster@example.com";
  message.from_name = u"张三";
  message.recipients = {u"friend@example.org"};
  message.subject = u"关于周末的聚会";
  message.body = body;
  message.return_receipt = true;
  message.date = "Mon, 01 Jan 2024 00:00:00 +0000";
  message.unique_id = "1.2";
  for (auto _ : state) benchmark::DoNotOptimize(mail::ComposeMessage(message));
  state.SetBytesProcessed(state.iterations() * body.size() * 2);
}
BENCHMARK_CAPTURE(BM_ComposeMessage, gb2312, Simplified());
BENCHMARK_CAPTURE(BM_ComposeMessage, gb18030, Traditional());

}  // namespace
