// The string helpers at their edges, with the runtime's results.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

using Pieces = std::vector<std::u16string>;
constexpr CompareMode kText = CompareMode::kText;

TEST(StringsTest, InStr) {
  EXPECT_EQ(InStr(u"abc", u""), 1);
  EXPECT_EQ(InStr(4, u"abc", u""), 4);
  EXPECT_EQ(InStr(5, u"abc", u""), 0);
  EXPECT_EQ(InStr(4, u"abcabc", u"c"), 6);
  EXPECT_EQ(InStr(7, u"abcabc", u"c"), 0);
  EXPECT_EQ(InStr(u"ABC", u"b"), 0);
  EXPECT_EQ(InStr(u"ABC", u"b", kText), 2);
  EXPECT_THROW(InStr(0, u"abc", u"a"), ScriptError);
}

TEST(StringsTest, InStrRev) {
  EXPECT_EQ(InStrRev(u"abcabc", u"bc"), 5);
  EXPECT_EQ(InStrRev(u"abcabc", u"bc", 5), 2);
  EXPECT_EQ(InStrRev(u"abc", u"", 2), 2);
  EXPECT_EQ(InStrRev(u"abc", u"a", 4), 0);
  EXPECT_EQ(InStrRev(u"aBC", u"Bc", -1, kText), 2);
  EXPECT_EQ(InStrRev(u"", u"a"), 0);
  EXPECT_THROW(InStrRev(u"abc", u"a", 0), ScriptError);
}

TEST(StringsTest, MidLeftRight) {
  EXPECT_EQ(Mid(u"abcdef", 2, 3), u"bcd");
  EXPECT_EQ(Mid(u"abcdef", 5, 10), u"ef");
  EXPECT_EQ(Mid(u"abcdef", 7), u"");
  EXPECT_THROW(Mid(u"abc", 0), ScriptError);
  EXPECT_THROW(Mid(u"abc", 1, -2), ScriptError);
  EXPECT_EQ(Left(u"abc", 5), u"abc");
  EXPECT_EQ(Right(u"abc", 2), u"bc");
  EXPECT_EQ(Right(u"abc", 0), u"");
  EXPECT_THROW(Left(u"abc", -1), ScriptError);
}

TEST(StringsTest, Replace) {
  EXPECT_EQ(Replace(u"aXbXc", u"X", u"-", 3), u"b-c");  // text before start dropped
  EXPECT_EQ(Replace(u"aXbXc", u"X", u"-", 1, 1), u"a-bXc");
  EXPECT_EQ(Replace(u"aXbx", u"x", u"-", 1, -1, kText), u"a-b-");
  EXPECT_EQ(Replace(u"aaa", u"aa", u"b"), u"ba");
  EXPECT_EQ(Replace(u"abc", u"", u"-", 2), u"bc");
  EXPECT_EQ(Replace(u"abc", u"b", u"-", 1, 0), u"abc");
  EXPECT_EQ(Replace(u"abc", u"b", u"-", 4), u"");
  EXPECT_THROW(Replace(u"abc", u"b", u"-", 0), ScriptError);
  EXPECT_THROW(Replace(u"abc", u"b", u"-", 1, -2), ScriptError);
}

TEST(StringsTest, SplitAndJoin) {
  EXPECT_EQ(Split(u""), Pieces{});
  EXPECT_EQ(Split(u"a b"), (Pieces{u"a", u"b"}));
  EXPECT_EQ(Split(u"a,b,,c", u","), (Pieces{u"a", u"b", u"", u"c"}));
  EXPECT_EQ(Split(u"abc", u""), (Pieces{u"abc"}));
  EXPECT_EQ(Split(u"a,b,c", u",", 2), (Pieces{u"a", u"b,c"}));
  EXPECT_EQ(Split(u"a,b,c", u",", 0), Pieces{});
  EXPECT_EQ(Split(u"aXbxc", u"x", -1, kText), (Pieces{u"a", u"b", u"c"}));
  EXPECT_EQ(Split(u"a<>b<>", u"<>"), (Pieces{u"a", u"b", u""}));
  EXPECT_THROW(Split(u"a", u",", -2), ScriptError);
  EXPECT_EQ(Join({u"a", u"", u"c"}, u"--"), u"a----c");
  EXPECT_EQ(Join({}, u","), u"");
}

TEST(StringsTest, LetterCase) {
  EXPECT_EQ(LCase(u"ABC\u00c4\u00d6\u03a3\u0416\uff21\u0100z1"),
            u"abc\u00e4\u00f6\u03c3\u0436\uff41\u0101z1");
  EXPECT_EQ(UCase(u"abc\u00e4\u00f6\u03c3\u0436\uff41\u0101Z1\u4e2d"),
            u"ABC\u00c4\u00d6\u03a3\u0416\uff21\u0100Z1\u4e2d");
  EXPECT_EQ(UCase(u"\u00ff"), u"\u0178");
  // Nothing non-ASCII folds into ASCII (Kelvin sign, long s).
  EXPECT_EQ(LCase(u"\u212a"), u"\u212a");
  EXPECT_EQ(UCase(u"\u017f"), u"\u017f");
}

TEST(StringsTest, TrimAndHex) {
  EXPECT_EQ(Trim(u"  a b \t "), u"a b \t");
  EXPECT_EQ(RTrim(u"  a "), u"  a");
  EXPECT_EQ(Trim(u"   "), u"");
  EXPECT_EQ(Trim(u"\u3000a"), u"\u3000a");
  EXPECT_EQ(Hex(255), u"FF");
  EXPECT_EQ(Hex(-1), u"FFFFFFFF");
  EXPECT_EQ(Hex(INT32_MIN), u"80000000");
}

}  // namespace
}  // namespace zorvadel
