// Tag stripping of a 1.5 MiB HTML page: each pattern through the library's
// regular-expression layer, beside a bare pcre2_substitute of the same
// pattern (same options, JIT-compiled) and beside std::wregex on a wstring
// copy; then the three members end to end.
#include <benchmark/benchmark.h>

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <cstdlib>
#include <memory>
#include <regex>
#include <string>
#include <string_view>

#include "platform/regexp/regexp.h"
#include "text/strip.h"
#include "zorvadel/classes.h"

namespace {

namespace text = zorvadel::text;
namespace regexp = zorvadel::regexp;

// A desktop news page: head with a script and a style, paragraphs with
// inline tags, links, break tags, entities, Chinese text, comments, the odd
// comparison in running text and UBB codes.
const std::u16string& Page() {
  static const std::u16string page = [] {
    const std::u16string head =
        u"<html><head><title>新闻 News</title>\n"
        u"<script type=\"text/javascript\">var n = 0; if (n < 3 && n > -1) { n++; }\n"
        u"document.write('<b>hi</b>');</script>\n"
        u"<style>p { margin: 0 }</style></head>\n<body>\n";
    const std::u16string piece =
        u"<div class=\"item\"><h2><a href=\"show.asp?id=42&amp;page=2\">今天天气很好</a></h2>\n"
        u"<p style=\"text-indent:2em\">我们去公园散步。<b>Bold</b> and <i>italic</i>, "
        u"<span class=\"x\">spans</span>;<br>a line<BR/>another line<br/>\n"
        u"if a < b then c > d; [b]UBB[/b] [url=a.asp]link[/url] &nbsp;&copy;</p>\n"
        u"<!-- item end --><img src=\"pic/1.jpg\" alt=\"图\" /></div>\n"
        u"<script>track(42);</script>\n";
    std::u16string t = head;
    while (t.size() * sizeof(char16_t) < 3 * 1024 * 1024 / 2) t += piece;
    t += u"</body></html>\n";
    return t;
  }();
  return page;
}

const std::wstring& WidePage() {
  static const std::wstring wide(Page().begin(), Page().end());
  return wide;
}

// The layer's compile options, so the bare call runs the very same code.
constexpr uint32_t kOptions = PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS | PCRE2_MATCH_UNSET_BACKREF |
                              PCRE2_DOLLAR_ENDONLY | PCRE2_NEVER_UTF | PCRE2_CASELESS;

struct BarePattern {
  explicit BarePattern(std::u16string_view pattern) {
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(context, PCRE2_NEWLINE_LF);
    int error = 0;
    PCRE2_SIZE offset = 0;
    code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), kOptions,
                         &error, &offset, context);
    pcre2_compile_context_free(context);
    if (code == nullptr) std::abort();
    pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
    match_data = pcre2_match_data_create_from_pattern(code, nullptr);
  }
  ~BarePattern() {
    pcre2_match_data_free(match_data);
    pcre2_code_free(code);
  }

  // Every match removed; removal never lengthens the text.
  std::u16string RemoveAll(const std::u16string& subject) const {
    std::u16string out(subject.size() + 1, u'\0');
    PCRE2_SIZE out_length = out.size();
    const int rc = pcre2_substitute(code, reinterpret_cast<PCRE2_SPTR>(subject.data()),
                                    subject.size(), 0, PCRE2_SUBSTITUTE_GLOBAL, match_data, nullptr,
                                    reinterpret_cast<PCRE2_SPTR>(u""), 0,
                                    reinterpret_cast<PCRE2_UCHAR*>(out.data()), &out_length);
    if (rc < 0) std::abort();
    out.resize(out_length);
    return out;
  }

  pcre2_code* code;
  pcre2_match_data* match_data;
};

// The patterns in std::regex's ECMAScript dialect, which has the same
// meaning for these ("\<" is spelt "<").
struct PatternCase {
  std::u16string_view layer;
  const wchar_t* ecma;
};
constexpr PatternCase kScriptElement = {text::kScriptElementPattern,
                                        L"<script\\b[^>]*>[\\s\\S]*?</script\\s*>"};
constexpr PatternCase kTagRun = {text::kTagRunPattern, L"<[^<]+>"};
constexpr PatternCase kShortTag = {text::kShortTagPattern, L"<(.+?)>"};
constexpr PatternCase kLetterTag = {text::kLetterTagPattern, L"(<[a-zA-Z].*?>)|(</[a-zA-Z].*?>)"};

void SetBytes(benchmark::State& state) {
  state.SetBytesProcessed(state.iterations() * Page().size() * sizeof(char16_t));
}

// What the layer makes of the page: each peer must make the same, or its
// figure would compare different work.
std::u16string LayerResult(const PatternCase& c) {
  return regexp::Replace(*regexp::Compile(c.layer, true), Page(), u"", true);
}

void Layer(benchmark::State& state, const PatternCase& c) {
  const auto compiled = regexp::Compile(c.layer, true);
  for (auto _ : state) benchmark::DoNotOptimize(regexp::Replace(*compiled, Page(), u"", true));
  SetBytes(state);
}

void Pcre2(benchmark::State& state, const PatternCase& c) {
  const BarePattern bare(c.layer);
  if (bare.RemoveAll(Page()) != LayerResult(c)) state.SkipWithError("results differ");
  for (auto _ : state) benchmark::DoNotOptimize(bare.RemoveAll(Page()));
  SetBytes(state);
}

void StdRegex(benchmark::State& state, const PatternCase& c) {
  const std::wregex re(c.ecma, std::regex::ECMAScript | std::regex::icase);
  const std::u16string expected = LayerResult(c);
  if (std::regex_replace(WidePage(), re, L"") != std::wstring(expected.begin(), expected.end())) {
    state.SkipWithError("results differ");
  }
  for (auto _ : state) benchmark::DoNotOptimize(std::regex_replace(WidePage(), re, L""));
  SetBytes(state);
}

BENCHMARK_CAPTURE(Layer, ScriptElement, kScriptElement)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Pcre2, ScriptElement, kScriptElement)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(StdRegex, ScriptElement, kScriptElement)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Layer, TagRun, kTagRun)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Pcre2, TagRun, kTagRun)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(StdRegex, TagRun, kTagRun)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Layer, ShortTag, kShortTag)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Pcre2, ShortTag, kShortTag)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(StdRegex, ShortTag, kShortTag)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Layer, LetterTag, kLetterTag)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Pcre2, LetterTag, kLetterTag)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(StdRegex, LetterTag, kLetterTag)->Unit(benchmark::kMillisecond);

// The members end to end (FilterHtml and DelHtml include UBB conversion).
void BM_MoveJS(benchmark::State& state) {
  auto common = std::make_shared<zorvadel::Common>();
  for (auto _ : state) benchmark::DoNotOptimize(common->MoveJS(Page()));
  SetBytes(state);
}
void BM_FilterHtml(benchmark::State& state) {
  auto common = std::make_shared<zorvadel::Common>();
  for (auto _ : state) benchmark::DoNotOptimize(common->FilterHtml(Page()));
  SetBytes(state);
}
void BM_DelHtml(benchmark::State& state) {
  auto common = std::make_shared<zorvadel::Common>();
  for (auto _ : state) benchmark::DoNotOptimize(common->DelHtml(Page()));
  SetBytes(state);
}
BENCHMARK(BM_MoveJS)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterHtml)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DelHtml)->Unit(benchmark::kMillisecond);

}  // namespace
