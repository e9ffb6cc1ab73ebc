// What the script engine's RegExp does with lines, anchors, case, the
// replacement text and empty matches. Expected results are the script
// engine's, which its string methods share (so "a*" on "baaac" behaves as
// "baaac".replace(/a*/g, "-") does).
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/regexp/regexp.h"
#include "zorvadel/variant.h"

namespace zorvadel::regexp {
namespace {

struct ReplaceCase {
  const char* name;
  std::u16string pattern;
  bool ignore_case, global;
  std::u16string text, replacement, expected;
};

const ReplaceCase kReplaceCases[] = {
    // Lines: only "\n" stops ".", "^"/"$" belong to the whole text.
    {"DotSkipsLineFeedOnly", u".", false, true, u"a\r\nb", u"x", u"xx\nx"},
    {"CaretOnlyAtStart", u"^a", false, true, u"a\na", u"X", u"X\na"},
    {"DollarOnlyAtEnd", u"a$", false, true, u"a\na", u"X", u"a\nX"},
    {"DollarNotBeforeFinalLineFeed", u"a$", false, true, u"a\n", u"X", u"a\n"},
    // Case.
    {"IgnoreCase", u"<B>", true, true, u"<b>x</B>", u"[b]", u"[b]x</B>"},
    // First match or all of them.
    {"FirstOnly", u"o", false, false, u"foo", u"-", u"f-o"},
    {"Global", u"o", false, true, u"foo", u"-", u"f--"},
    // The replacement's "$" forms.
    {"SwapGroups", u"(\\w+)\\s(\\w+)", false, false, u"John Smith", u"$2 $1", u"Smith John"},
    {"WholeMatch", u"b", false, true, u"abc", u"[$&]", u"a[b]c"},
    {"DollarDollar", u"b", false, true, u"abc", u"$$", u"a$c"},
    {"BeforeAndAfter", u"b", false, true, u"abc", u"[$`|$']", u"a[a|c]c"},
    {"GroupNotTakingPart", u"(a)|(b)", false, true, u"ab", u"[$2]", u"[][b]"},
    {"GroupBeyondCountLiteral", u"(a)", false, true, u"a", u"$2", u"$2"},
    {"DollarZeroLiteral", u"a", false, true, u"a", u"$0", u"$0"},
    {"TwoDigitsFallBackToOne", u"(a)", false, true, u"a", u"$12", u"a2"},
    {"TwoDigitGroup", u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", false, true, u"abcdefghij", u"$10$1",
     u"ja"},
    {"LoneDollarLiteral", u"a", false, true, u"a", u"$x$", u"$x$"},
    // Empty matches move one unit on and never loop.
    {"StarOnBaaac", u"a*", false, true, u"baaac", u"-", u"-b--c-"},
    {"EmptyPatternEmptyText", u"", false, true, u"", u"-", u"-"},
    {"WordBoundaries", u"\\b", false, true, u"ab cd", u"|", u"|ab| |cd|"},
    // The dialect's escapes and classes.
    {"UnicodeEscapeRange", u"[\\u4e00-\\u9fa5]+", false, true, u"abc中文def", u"#", u"abc#def"},
    {"WordIsAscii", u"\\w+", false, true, u"中abc文", u"x", u"中x文"},
    {"UnsetBackrefIsEmpty", u"(a)?\\1b", false, true, u"cb", u"-", u"c-"},
    // Surrogates are plain units.
    {"PairIsTwoUnits", u".", false, true, u"\xD83D\xDE00", u"x", u"xx"},
    {"LoneSurrogateInsideTag", u"<[^>]*>", false, true, u"a<b\xD800" u"c>d\xDC00", u"",
     u"ad\xDC00"},
};

TEST(RegExpTest, ReplaceGivesTheScriptEnginesResult) {
  for (const ReplaceCase& c : kReplaceCases) {
    EXPECT_EQ(RegExp(c.pattern, c.ignore_case, c.global).Replace(c.text, c.replacement), c.expected)
        << c.name;
  }
}

TEST(RegExpTest, TestFindsAMatchAnywhere) {
  for (const auto& [pattern, ignore_case, text, expected] :
       {std::tuple{u"a.b", false, u"a\rb", true}, {u"a.b", false, u"a\nb", false},
        {u"WML", true, u"text/vnd.wap.wml", true}, {u"WML", false, u"text/vnd.wap.wml", false},
        {u"[]", false, u"a", false}, {u"[^]", false, u"\n", true}, {u"", false, u"", true},
        {u"\\x41", false, u"A", true}}) {
    EXPECT_EQ(RegExp(pattern, ignore_case).Test(text), expected)
        << "pattern " << testing::PrintToString(std::u16string(pattern));
  }
}

TEST(RegExpTest, MalformedPatternRaises5017OnUse) {
  for (const std::u16string pattern : {u"(", u"[a", u"a{2,1}", u"*a", u"\\", u"(?<", u"a)"}) {
    RegExp re;
    re.SetPattern(pattern);  // setting it is not an error yet
    try {
      re.Test(u"a");
      ADD_FAILURE() << "no error for " << testing::PrintToString(pattern);
    } catch (const ScriptError& e) {
      EXPECT_EQ(e.number(), 5017);
      EXPECT_EQ(e.description(), u"Syntax error in regular expression");
    }
    EXPECT_THROW(re.Replace(u"a", u"b"), ScriptError);
    EXPECT_THROW(Compile(pattern, false), ScriptError);
  }
}

TEST(RegExpTest, PropertiesCanChangeBetweenUses) {
  RegExp re;
  re.SetPattern(u"(");
  re.SetPattern(u"A");
  EXPECT_FALSE(re.Test(u"a"));
  re.SetIgnoreCase(true);
  EXPECT_TRUE(re.Test(u"a"));
  EXPECT_EQ(re.Replace(u"aa", u"b"), u"ba");
  re.SetGlobal(true);
  EXPECT_EQ(re.Replace(u"aa", u"b"), u"bb");
}

TEST(RegExpTest, ReplaceEachAndForEachMatchSeeTheGroups) {
  auto re = Compile(u"(\\d)(x)?", false);
  EXPECT_EQ(ReplaceEach(*re, u"a1x2", true,
                        [](const MatchView& m, std::u16string& out) {
                          out += u'<';
                          out += m.Group(1);
                          out += m.Participated(2) ? u"+" : u"-";
                          out += u'>';
                        }),
            u"a<1+><2->");
  std::u16string seen;
  ForEachMatch(*re, u"a1x2", true, [&](const MatchView& m) {
    seen += std::u16string(m.Value()) + u"@" + char16_t(u'0' + m.Index()) + u";";
  });
  EXPECT_EQ(seen, u"1x@1;2@3;");
}

}  // namespace
}  // namespace zorvadel::regexp
