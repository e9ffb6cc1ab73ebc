// The stop-word pass against the word-by-word pass it replaced, kept here
// as it was: on random texts and lists full of overlapping words, prefixes,
// duplicates and empty entries, both must give the same text.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "output/output_filter.h"
#include "platform/codepage/codepage.h"
#include "support/stop_words_reference.h"
#include "support/text_cases.h"

namespace zorvadel::output {
namespace {

using test::RandomText;
using test::ReplaceWordByWord;

// Words over a few units, so that they overlap, nest and repeat; some are
// prefixes or copies of earlier ones, some empty.
std::u16string RandomList(std::mt19937& random, std::u16string_view units) {
  std::vector<std::u16string> words;
  const size_t count = random() % 14;
  for (size_t i = 0; i < count; ++i) {
    std::u16string word;
    const unsigned kind = random() % 8;
    if (kind == 0 || words.empty()) {
      // empty
    } else if (kind == 1) {
      word = words[random() % words.size()];
    } else if (kind == 2) {
      const std::u16string& earlier = words[random() % words.size()];
      word = earlier.substr(0, random() % (earlier.size() + 1));
    } else {
      const size_t size = 1 + random() % 5;
      for (size_t k = 0; k < size; ++k) word.push_back(units[random() % units.size()]);
    }
    if (kind == 3 && !words.empty()) word = words.back() + word;  // an extension
    words.push_back(std::move(word));
  }
  std::u16string list = random() % 5 == 0 ? u"|" : u"";
  for (size_t i = 0; i < words.size(); ++i) list += (i ? u"|" : u"") + words[i];
  if (random() % 5 == 0) list += u"|";
  return list;
}

TEST(StopWordsTest, SameAsWordByWord) {
  std::mt19937 random(20261207);
  const std::u16string_view units[] = {u"ab", u"abc", u"a中文b", u"abcdefgh"};
  const std::u16string_view passes[] = {u"", u"X", u"ab", u"a", u"**过滤**"};
  for (int round = 0; round < 10000; ++round) {
    const std::u16string_view u = units[round % 4];
    const std::u16string list = RandomList(random, u);
    const std::u16string_view pass = passes[random() % 5];
    std::u16string text = RandomText(random, u, random() % (round % 50 == 0 ? 2000 : 40));
    std::u16string expected = text;
    ReplaceWordByWord(list, pass, &expected);
    ReplaceStopWords(list, pass, &text);
    ASSERT_EQ(text, expected) << codepage::ToUtf8(list) << " / " << codepage::ToUtf8(pass);
  }
}

TEST(StopWordsTest, LongListsOnLongTexts) {
  // Many words sharing their ends and beginnings; the lists alternate, so
  // each is built more than once and kept in between.
  std::mt19937 random(7);
  std::vector<std::u16string> lists;
  for (int i = 0; i < 6; ++i) {
    std::u16string list;
    for (int w = 0; w < 1999; ++w) {
      list += RandomText(random, u"abcd", 1 + random() % 7);
      list += u'|';
    }
    lists.push_back(list);
  }
  const std::u16string text = RandomText(random, u"abcde", 30000);
  for (int i = 0; i < 8; ++i) {
    const std::u16string& list = lists[(i * 5) % lists.size()];
    std::u16string expected = text, got = text;
    ReplaceWordByWord(list, u"<>", &expected);
    ReplaceStopWords(list, u"<>", &got);
    ASSERT_TRUE(got == expected) << i;
  }
}

TEST(StopWordsTest, ListsOfThousandsOfDifferentCharacters) {
  // Too many different units for a full table of steps: the list is
  // walked node by node instead.
  std::mt19937 random(11);
  for (int round = 0; round < 2; ++round) {
    std::vector<std::u16string> words;
    std::u16string list;
    for (int w = 0; w < 3000; ++w) {
      std::u16string word;
      const size_t size = 1 + random() % 4;
      for (size_t k = 0; k < size; ++k) word.push_back(static_cast<char16_t>(0x4E00 + random() % 6000));
      if (w % 3 == 0 && !words.empty()) word = words[random() % words.size()] + word;
      list += word + u"|";
      words.push_back(std::move(word));
    }
    // Listed words, their pieces and other units, run together.
    std::u16string text;
    while (text.size() < 20000) {
      const std::u16string& word = words[random() % words.size()];
      text += random() % 2 ? word : word.substr(random() % word.size());
      if (random() % 3 == 0) text.push_back(static_cast<char16_t>(0x4E00 + random() % 6000));
    }
    std::u16string expected = text;
    ReplaceWordByWord(list, u"*", &expected);
    ReplaceStopWords(list, u"*", &text);
    ASSERT_TRUE(text == expected) << round;
  }
}

TEST(StopWordsTest, EveryCharacterAWord) {
  std::u16string list;
  for (uint32_t c = 0; c < 65536; ++c) {
    if (c != u'|') list += std::u16string(1, static_cast<char16_t>(c)) + u"|";
  }
  std::u16string text(u"a|\uFFFF\u0000中\u0000", 6);
  ReplaceStopWords(list, u"*", &text);
  EXPECT_EQ(text, u"*|****");
}

}  // namespace
}  // namespace zorvadel::output
