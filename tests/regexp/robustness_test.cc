// Runaway patterns, large texts, a full cache and use from many threads.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/regexp/regexp.h"

namespace zorvadel::regexp {
namespace {

// Replace keeps what it did before the limit.
TEST(LimitsTest, CatastrophicBacktrackingCountsAsNoMatch) {
  const std::u16string run = std::u16string(40, u'a') + u"!";
  EXPECT_FALSE(RegExp(u"^(a+)+$").Test(run));
  EXPECT_EQ(RegExp(u"x|(a+)+$", false, true).Replace(u"x x " + run, u"-"), u"- - " + run);
}

TEST(LargeTextTest, MegabyteInputsComplete) {
  std::u16string html;
  while (html.size() < (1u << 20)) html += u"<p class=\"x\">新闻 text</p>\r\n";
  const std::u16string stripped = RegExp(u"<[^>]*>", true, true).Replace(html, u"");
  EXPECT_EQ(stripped.find(u'<'), std::u16string::npos);
  EXPECT_FALSE(stripped.empty());

  // An unclosed tag at the start must not make every later search rescan.
  std::u16string ubb = u"[url=";
  while (ubb.size() < (1u << 20)) ubb += u"[url=http://a/]link text ";
  ubb += u"[url=http://b/]last[/url]";
  const std::u16string linked =
      RegExp(u"\\[url=([^\\]]*)\\]([^\\[]*)\\[/url\\]", true, true).Replace(ubb, u"<a>$2</a>");
  EXPECT_EQ(linked.substr(linked.size() - 11), u"<a>last</a>");

  // A run of empty matches over a long text advances unit by unit.
  const std::u16string plain(1u << 20, u'b');
  EXPECT_EQ(RegExp(u"a*", false, true).Replace(plain, u"").size(), plain.size());
}

TEST(CacheTest, OverflowingTheCacheKeepsHeldCompilationsAlive) {
  auto held = Compile(u"held(\\d+)", false);
  for (int i = 0; i < 2000; ++i) {
    std::u16string pattern = u"p";
    pattern.append(1, char16_t(u'0' + i % 10)).append(i / 10, u'x');
    Compile(pattern, false);
  }
  EXPECT_EQ(Replace(*held, u"held42", u"$1", false), u"42");
}

TEST(ThreadsTest, ConcurrentUseGivesTheSameResults) {
  static const auto kTag = Compile(u"<[^>]*>", true);
  const RegExp link(u"\\[b\\]([^\\[]*)\\[/b\\]", true, true);
  std::u16string text;
  for (int i = 0; i < 200; ++i) text += u"<B>[b]粗体[/B] <i>x</i>";
  const std::u16string want_tags = Replace(*kTag, text, u"", true);
  const std::u16string want_link = link.Replace(text, u"<b>$1</b>");

  constexpr int kThreads = 8;
  std::vector<int> wrong(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 50; ++i) {
        // Every thread compiles this pattern first at about the same time.
        if (!RegExp(u"fresh pattern").Test(u"a fresh pattern")) ++wrong[t];
        if (Replace(*kTag, text, u"", true) != want_tags) ++wrong[t];
        if (link.Replace(text, u"<b>$1</b>") != want_link) ++wrong[t];
        if (!RegExp(u"粗体").Test(text)) ++wrong[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(wrong[t], 0);
}

}  // namespace
}  // namespace zorvadel::regexp
