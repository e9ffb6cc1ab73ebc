// Keyword highlighting against the keyword-by-keyword chain it replaced,
// kept here as it was: on random texts, lists and frames (frames a keyword
// can reach into and frames it cannot), both must give the same text or
// both run out of string space.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage/codepage.h"
#include "support/replace_string_reference.h"
#include "support/text_cases.h"
#include "text/joining.h"
#include "zorvadel/runtime.h"

namespace zorvadel::text {
namespace {

using test::RandomText;
using test::ReplaceOneByOne;

// The text, or nothing when the call ran out of string space.
template <typename F>
std::optional<std::u16string> Outcome(F call) {
  try {
    return call();
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.number(), 14);
    return std::nullopt;
  }
}

TEST(ReplaceStringTest, SameAsKeywordByKeyword) {
  struct Frames {
    std::u16string_view pre, last;
  };
  const Frames frames[] = {{u"[", u"]"},   {u"<b>", u"</b>"}, {u"", u"]"}, {u"[", u""},
                           {u"ba", u"ab"}, {u"x", u"y"},      {u"", u""}, {u"<bc>", u"<cb>"}};
  std::mt19937 random(1207);
  for (int round = 0; round < 1500; ++round) {
    std::vector<std::u16string> words;
    const size_t count = random() % 10;
    for (size_t i = 0; i < count; ++i) {
      const unsigned kind = random() % 6;
      if (kind == 0 || words.empty()) {
        words.push_back(RandomText(random, u"abcx", random() % 4));
      } else if (kind == 1) {
        words.push_back(words[random() % words.size()]);  // listed twice
      } else if (kind == 2) {
        const std::u16string& earlier = words[random() % words.size()];
        words.push_back(earlier.substr(random() % (earlier.size() + 1)));
      } else {
        words.push_back(RandomText(random, u"abc", 1 + random() % 3));
      }
    }
    std::u16string keywords;
    for (size_t i = 0; i < words.size(); ++i) keywords += (i ? u"|" : u"") + words[i];
    // Long enough that the list is worth building even for one keyword.
    const std::u16string text = RandomText(random, round % 2 ? u"abc" : u"abcx<>",
                                           (round % 3 ? 4097 : 1) + random() % 500);
    const Frames& f = frames[random() % std::size(frames)];
    const auto expected = Outcome([&] { return ReplaceOneByOne(keywords, text, f.pre, f.last); });
    const auto got = Outcome([&] { return ReplaceString(keywords, text, f.pre, f.last); });
    // Compared whole, reported short: the texts run to thousands of units.
    ASSERT_TRUE(got == expected) << codepage::ToUtf8(keywords) << " in " << codepage::ToUtf8(f.pre)
                             << codepage::ToUtf8(f.last);
  }
}

TEST(ReplaceStringTest, RepeatedKeywordsRunOutOfSpaceAtTheSameStep) {
  const std::u16string text(5000, u'a');
  for (const std::u16string_view keyword : {u"a|", u"aa|", u"b|a|"}) {
    const std::u16string keywords = test::Repeat(keyword, 200);
    EXPECT_EQ(Outcome([&] { return ReplaceString(keywords, text, u"[", u"]"); }), std::nullopt);
    // Twenty of them fit, and give the same text both ways.
    const std::u16string fits = test::Repeat(keyword, 20);
    EXPECT_EQ(ReplaceString(fits, text, u"[", u"]"), ReplaceOneByOne(fits, text, u"[", u"]"));
  }
}

TEST(ReplaceStringTest, ListsOfThousandsOfDifferentCharacters) {
  std::mt19937 random(12);
  for (int round = 0; round < 4; ++round) {
    std::vector<std::u16string> words;
    std::u16string keywords;
    for (int w = 0; w < 300; ++w) {
      std::u16string word;
      for (size_t k = 0, size = 1 + random() % 3; k < size; ++k) {
        word.push_back(static_cast<char16_t>(0x4E00 + random() % 6000));
      }
      if (w % 3 == 0 && !words.empty()) word = words[random() % words.size()] + word;
      keywords += word + u"|";
      words.push_back(std::move(word));
    }
    // Units enough that the list takes the node-by-node walk.
    for (char16_t c = 0x3400; c < 0x4600; ++c) keywords += std::u16string(1, c) + u"\u4E00|";
    std::u16string text;
    while (text.size() < 20000) {
      const std::u16string& word = words[random() % words.size()];
      text += random() % 2 ? word : word.substr(random() % word.size());
    }
    ASSERT_TRUE(ReplaceString(keywords, text, u"<", u">") ==
                ReplaceOneByOne(keywords, text, u"<", u">"))
        << round;
  }
}

}  // namespace
}  // namespace zorvadel::text
