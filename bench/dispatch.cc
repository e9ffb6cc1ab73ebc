// A late-bound call (lookup, argument checks, coercion) beside the direct
// C++ call of the same member.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_table.h"

namespace zorvadel {
namespace {

class Card : public Object {
 public:
  const ClassInfo& Class() const override {
    static const ClassInfo info =
        ClassBuilder<Card>(u"Card")
            .Method<&Card::Link>(u"Link", {Opt(u"Title", u"OK"), Opt(u"Url", u"Index.asp"),
                                           Req(u"Text")})
            .Method<&Card::Other>(u"Other")
            .Getter<&Card::Other>(u"Version")
            .Build();
    return info;
  }
  std::u16string Link(const std::u16string& title, const std::u16string& url,
                      const std::u16string& text) {
    std::u16string out;
    out.reserve(title.size() + url.size() + text.size() + 16);
    out += u"<a href=\"";
    out += url;
    out += u"\" title=\"";
    out += title;
    out += u"\">";
    out += text;
    out += u"</a>";
    return out;
  }
  int32_t Other() const { return 1; }
};

const std::u16string kTitle = u"News";
const std::u16string kUrl = u"list.asp?id=1";
const std::u16string kText = u"Today";

void BM_DirectCall(benchmark::State& state) {
  Card card;
  for (auto _ : state) {
    std::u16string out = card.Link(kTitle, kUrl, kText);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_DirectCall);

void BM_InvokeByName(benchmark::State& state) {
  Card card;
  for (auto _ : state) {
    Variant out = Invoke(card, u"link", {Variant(kTitle), Variant(kUrl), Variant(kText)});
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_InvokeByName);

// The same call, arguments needing coercion and defaults.
void BM_InvokeWithDefaults(benchmark::State& state) {
  Card card;
  for (auto _ : state) {
    Variant out = Invoke(card, u"LINK", {Variant::Missing(), Variant::Missing(), Variant(int32_t{42})});
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_InvokeWithDefaults);

void BM_FindOnly(benchmark::State& state) {
  const ClassInfo& info = Card().Class();
  for (auto _ : state) {
    benchmark::DoNotOptimize(info.Find(u"VERSION", MemberKind::kPropertyGet));
  }
}
BENCHMARK(BM_FindOnly);

}  // namespace
}  // namespace zorvadel
