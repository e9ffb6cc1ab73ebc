// Joining split texts, name-value lists, keyword highlighting and style tags.
#include <gtest/gtest.h>

#include <string>

#include "platform/codepage/codepage.h"
#include "support/text_cases.h"
#include "text/joining.h"

namespace zorvadel::text {
namespace {

TEST(SplitTextTest, Table) {
  struct Case {
    std::u16string_view content, mark, pre, last, joiner, out;
  };
  const Case cases[] = {
      {u"a,b,c", u",", u"[", u"]", u"|", u"[a|b|c]"},
      {u"", u",", u"[", u"]", u"|", u"[]"},
      {u"abc", u",", u"<", u">", u"|", u"<abc>"},
      {u"a,,b,", u",", u"", u"", u"-", u"a--b-"},
      {u"a,b", u"", u"(", u")", u"|", u"(a,b)"},
      {u"aXbxc", u"x", u"", u"", u"+", u"aXb+c"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitText(c.content, c.mark, c.pre, c.last, c.joiner), c.out)
        << codepage::ToUtf8(c.content);
  }
}

TEST(SplitRichTextTest, Table) {
  struct Case {
    std::u16string_view names, values, out;
  };
  const Case cases[] = {
      {u"a,b,c", u"1,2", u"<a=1><b=2>"},
      {u"a,b", u"1,2,3", u"<a=1><b=2>"},
      {u"", u"1", u""},
      {u"a,", u"1,", u"<a=1><=>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitRichText(c.names, c.values, u",", u"<", u"=", u">"), c.out)
        << codepage::ToUtf8(c.names);
  }
}

TEST(ReplaceStringTest, Table) {
  struct Case {
    std::u16string_view keywords, text, out;
  };
  const Case cases[] = {
      {u"b", u"abc", u"a[b]c"},
      {u"a|[", u"ab", u"[[]a]b"},
      {u"b|", u"abc", u"a[b]c"},  // as without the last "|"
      {u"B", u"abc", u"abc"},
      {u"", u"abc", u"abc"},
      {u"a||c", u"abc", u"[a]b[c]"},
      {u"aa", u"aaa", u"[aa]a"},
      {u"b|b", u"b", u"[[b]]"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReplaceString(c.keywords, c.text, u"[", u"]"), c.out) << codepage::ToUtf8(c.keywords);
  }
}

TEST(FontStyleTest, Table) {
  struct Case {
    std::u16string_view content, styles, mark, out;
  };
  const Case cases[] = {
      {u"  x  ", u"", u" ", u"x"},
      {u"x", u"b i", u" ", u"<i><b>x</b></i>"},
      {u"x", u"b  i", u" ", u"<i><><b>x</b></></i>"},
      {u"\tx ", u"", u" ", u"\tx"},
      {u"x", u"B|U", u"|", u"<u><b>x</b></u>"},
      {u"x", u"b i", u"", u"<b i>x</b i>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FontStyle(c.content, c.styles, c.mark), c.out) << codepage::ToUtf8(c.styles);
  }
}

TEST(JoiningLongTest, ManyPieces) {
  const std::u16string many = test::Repeat(u"ab,", 100000);
  const std::u16string joined = SplitText(many, u",", u"", u"", u";");
  EXPECT_EQ(joined.size(), many.size());
  // The trailing separator leaves an empty last piece.
  EXPECT_EQ(joined.substr(joined.size() - 4), u";ab;");
  const std::u16string names = SplitRichText(many, many, u",", u"", u"=", u"");
  EXPECT_EQ(names.size(), 100000u * 5 + 1);
}

}  // namespace
}  // namespace zorvadel::text
