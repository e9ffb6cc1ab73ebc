// HTML encoding and decoding, the two entity escapes, the line-break
// collapse, the repair of a piece cut out of a longer markup text, and tag
// stripping (MoveJS, FilterHtml and DelHtml of Common).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/codepage/codepage.h"
#include "support/text_cases.h"
#include "text/cut_repair.h"
#include "text/html_escape.h"
#include "zorvadel/classes.h"

namespace zorvadel::text {
namespace {

using test::Case;
using test::Repeat;

TEST(HtmlEnCodeTest, Table) {
  const Case cases[] = {
      {u"", u""},
      {u"  ", u"&nbsp;&nbsp;"},
      {u" a b ", u"&nbsp;a b&nbsp;"},
      {u"a \tb", u"a&nbsp;    b"},
      {u"a\t b", u"a    &nbsp;b"},
      {u"\r\n", u"\r\n\n"},
      {u"&lt;", u"&amp;lt;"},
      {u"<a href=\"x\">", u"&lt;a href=&quot;x&quot;&gt;"},
  };
  for (const Case& c : cases) EXPECT_EQ(HtmlEnCode(c.in), c.out) << codepage::ToUtf8(c.in);
}

TEST(HTMLDecodeTest, Table) {
  const Case cases[] = {
      {u"", u""},
      {u"&quot;&nbsp;&gt;&lt;&amp;", u"\" ><&"},
      {u"&#60;&#38;&#65;&#1;", u"<&A\x01"},
      {u"&#128;", u"\u20ac"},
      // What an entity gives is never decoded again.
      {u"&amp;lt;", u"&lt;"},
      {u"&#38;#60;", u"&#60;"},
      {u"&#6&#48;;", u"&#60;"},
      // Not references: leading zeros, 0, above 255, hexadecimal, unclosed,
      // upper case, and lead bytes of code page 936 that name no character.
      {u"&#0060;", u"&#0060;"},
      {u"&#0;", u"&#0;"},
      {u"&#256;&#1000;&#2555;", u"&#256;&#1000;&#2555;"},
      {u"&#x3C;", u"&#x3C;"},
      {u"&#60", u"&#60"},
      {u"&LT;&Amp;", u"&LT;&Amp;"},
      {u"&#129;&#254;&#255;", u"&#129;&#254;&#255;"},
      {u"&&lt;&", u"&<&"},
      {u"&#;&#", u"&#;&#"},
  };
  for (const Case& c : cases) EXPECT_EQ(HTMLDecode(c.in), c.out) << codepage::ToUtf8(c.in);
}

TEST(SpecialMarkTest, Table) {
  const Case cases[] = {
      {u"", u""},
      {u"&lt;", u"&amp;lt;"},
      {u"\r\n", u"&nbsp;&nbsp;"},
      {u"'", u"&apos;"},
      {u"a <b> \"c\"", u"a&nbsp;&lt;b&gt;&nbsp;&quot;c&quot;"},
  };
  for (const Case& c : cases) EXPECT_EQ(SpecialMark(c.in), c.out) << codepage::ToUtf8(c.in);
}

TEST(DelSpecialMarkTest, Table) {
  const Case cases[] = {
      {u"", u""},
      {u"&nbsp;&nbsp;", u" "},
      {u"a   b", u"a  b"},
      {u"a    b", u"a  b"},
      {u"a\u3000b", u"a b"},
      {u"a\t\tb", u"a b"},
      {u"a" + Repeat(u"\r\n", 10) + u"b", u"a<br/>b"},
      {u"a\nb\rc", u"a\nb\rc"},
      {u"<b>x</b>", u"&lt;b&gt;x&lt;/b&gt;"},
      {u"<br/><br/>", u"<br/><br/>"},
      {u"<BR/>", u"&lt;BR/&gt;"},
      {u"a & b", u"a & b"},
      {u"it's \"x\"", u"it&apos;s &quot;x&quot;"},
  };
  for (const Case& c : cases) EXPECT_EQ(DelSpecialMark(c.in), c.out) << codepage::ToUtf8(c.in);
}

TEST(EnterHebingTest, BreakRuns) {
  struct Run {
    size_t breaks;
    size_t left;
  };
  const Run runs[] = {{1, 1}, {2, 1}, {38, 1}, {39, 2}, {100, 2}};
  for (const Run& r : runs) {
    EXPECT_EQ(EnterHebing(u"x" + Repeat(u"<br/>", r.breaks) + u"y"),
              u"x" + Repeat(u"<br/>", r.left) + u"y")
        << r.breaks;
  }
  EXPECT_EQ(EnterHebing(u"a&#xD;&#xA;b\r\nc\nd"), u"a<br/>b<br/>c\nd");
  EXPECT_EQ(EnterHebing(u""), u"");
}

// Long texts are compared with == alone: a failure message would diff them.
TEST(EscapingTest, MebibyteTexts) {
  const std::u16string cascade = Repeat(u"&#6&#48;;&#38;#60; \r\n<br/>\t", 1 << 16);
  EXPECT_TRUE(HTMLDecode(cascade) == Repeat(u"&#60;&#60; \r\n<br/>\t", 1 << 16));
  EXPECT_TRUE(HTMLDecode(Repeat(u"&amp;lt;", 1 << 17)) == Repeat(u"&lt;", 1 << 17));
  EXPECT_TRUE(DelSpecialMark(cascade) == Repeat(u"&#6&#48;;&#38;#60; <br/><br/> ", 1 << 16));
  EXPECT_TRUE(SpecialMark(Repeat(u"&", 1 << 20)) == Repeat(u"&amp;", 1 << 20));
  EXPECT_TRUE(HtmlEnCode(Repeat(u" ", 1 << 20)) == Repeat(u"&nbsp;", 1 << 20));
  EXPECT_EQ(EnterHebing(Repeat(u"\r\n", 1 << 19)).size(), 5u * 4370);
  EXPECT_TRUE(FixCodes(u"b>" + Repeat(u"x<<y>>z<br><br>", 1 << 16) + u"&nb") ==
              u"<b>" + Repeat(u"x<y>z<br/>", 1 << 16) + u"&nbsp;");
}

// FixCodes: the tail and head rungs, the evening out of brackets and
// written breaks, the final collapse.
TEST(FixCodesTest, Repairs) {
  const Case cases[] = {
      // Tail: a rung cuts its edge off or completes it; an "&nbsp" without its
      // ";" and a cut "&amp;nbsp" are dropped.
      {u"ab<", u"ab"}, {u"ab<br/", u"ab"}, {u"ab&l", u"ab&lt;"}, {u"ab&nbs", u"ab&nbsp;"},
      {u"ab&s", u"ab&shy;"}, {u"ab&a", u"ab&apos;"}, {u"ab&nbsp", u"ab"}, {u"ab&amp;nb", u"ab"},
      {u"ab&", u"ab&"}, {u"ab&amp", u"ab&amp"},
      // A cut exposes a tail for later rungs only.
      {u"ab&l<b", u"ab&lt;"}, {u"ab<<b", u"ab<"},
      // Head.
      {u"b>x", u"<b>x"}, {u">x", u"x"}, {u"br/>x", u"x"}, {u"t;x", u"&quot;x"},
      {u"lt;x", u"&lt;x"}, {u"nbsp;x", u"&nbsp;x"}, {u";x", u";x"}, {u"t;", u"&quot;"},
      {u"&l", u"&lt;"}, {u"", u""},
      // Inside: ">>" goes before ">>>", so a run of three ">" ends as two.
      {u"a<<<<c", u"a<c"}, {u"a>>>b", u"a>>b"}, {u"a>>>>>b", u"a>b"}, {u"a<br>b", u"a<br/>b"},
      {u"a<BR>b", u"a<br/>b"}, {u"a<Br>b", u"a<Br>b"}, {u"a&lt;br&gt;b", u"a<br/>b"},
      {u"a\r\nb", u"a<br/>b"}, {u"a" + Repeat(u"<br>", 38) + u"b", u"a<br/>b"},
      {u"<br/>a", u"<br/>a"},
  };
  for (const Case& c : cases) EXPECT_EQ(FixCodes(c.in), c.out) << codepage::ToUtf8(c.in);
}

// ---- Tag stripping ---------------------------------------------------------------

std::string Shown(const std::u16string& input) { return "input: " + codepage::ToUtf8(input); }

// The link title UbbXML writes.
#define ZV_TITLE u"title=\"&#x786E;&#x5B9A;\""

TEST(StripMoveJS, Samples) {
  const Case cases[] = {
      {u"", u""},
      {u"a<Script>\nvar s = '<b>';\n</sCRIPT >b", u"ab"},
      // Without its end tag the element keeps its content; the tag goes.
      {u"<script>a", u"a"},
      // The second pass runs on to the last ">" before the next "<".
      {u"<b>x</b> 3 > 2 <i>y</i>", u"x 2 y"},
      {u"a < b", u"a < b"},
      {u"<<b>>", u"<"},
      {u"<a\nhref=x>t</a>", u"t"},
  };
  auto common = std::make_shared<Common>();
  for (const Case& c : cases) EXPECT_EQ(common->MoveJS(c.in), c.out) << Shown(c.in);
}

TEST(StripFilterHtml, Samples) {
  const Case cases[] = {
      {u"<p>Hello</p>", u"Hello"},
      // A less-than and a later greater-than on one line go with the text
      // between them.
      {u"a < b and c > d", u"a  d"},
      // "." stops at a line feed, not at a carriage return.
      {u"<a\nhref=x>t</a>", u"<a\nhref=x>t"},
      {u"<a\rhref=x>t</a>", u"t"},
      {u"<>x>y", u"y"},
      {u"[b]bold[/b]<br>", u"<b>bold</b>"},
      {u"<i>[url=a.asp]A[/url]</i>", u"<a " ZV_TITLE u" href=\"a.asp\">A</a>"},
  };
  auto common = std::make_shared<Common>();
  for (const Case& c : cases) EXPECT_EQ(common->FilterHtml(c.in), c.out) << Shown(c.in);
}

TEST(StripFilterHtml, BlankTextNeedsNoCompanion) {
  auto common = std::make_shared<Common>();
  EXPECT_EQ(common->FilterHtml(u""), u"");
  EXPECT_EQ(common->FilterHtml(u"    "), u"");
  EXPECT_EQ(common->state().WH, nullptr);
  // A tab is no blank: the text goes through and WH comes to exist.
  EXPECT_EQ(common->FilterHtml(u"\t"), u"\t");
  ASSERT_NE(common->state().WH, nullptr);
  const auto first = common->state().WH;
  common->FilterHtml(u"x");
  common->DelHtml(u"y");
  EXPECT_EQ(common->state().WH, first);
}

TEST(StripDelHtml, Samples) {
  const Case cases[] = {
      {u"", u""},
      {u"a<br>b<br/>c<BR>d<BR/>e", u"a\r\nb\r\nc\r\nd\r\ne"},
      // Other spellings of the break are ordinary tags.
      {u"a<Br>b<br />c", u"abc"},
      {u"<p class=\"x\">Hi</p>", u"Hi"},
      // What starts no tag stays, with its brackets as text.
      {u"a < b", u"a &lt; b"},
      {u"1<2 and 3>2", u"1&lt;2 and 3&gt;2"},
      {u"<!-- note -->x", u"&lt;!-- note --&gt;x"},
      {u"</ p>", u"&lt;/ p&gt;"},
      // A tag broken over two lines is not one.
      {u"<a\nhref=x>t</a>", u"&lt;a\nhref=x&gt;t"},
      // UBB codes come out as markup, unescaped.
      {u"[b]x[/b]<i>y</i>", u"<b>x</b>y"},
      {u"<p>[url=a.asp]A &amp; B[/url]</p>", u"<a " ZV_TITLE u" href=\"a.asp\">A &amp; B</a>"},
  };
  auto common = std::make_shared<Common>();
  for (const Case& c : cases) EXPECT_EQ(common->DelHtml(c.in), c.out) << Shown(c.in);
}

// Long inputs, tag runs and inputs that make a backtracking engine work hard:
// each gives a defined result and none crashes.
TEST(StripLongText, MebibyteOfTags) {
  constexpr size_t kSize = 1 << 20;
  auto repeat = [](std::u16string_view unit) { return test::Repeat(unit, kSize / unit.size() + 1); };
  auto common = std::make_shared<Common>();
  const std::u16string tags = repeat(u"<b>x</b>");
  const std::u16string xs(tags.size() / 8, u'x');
  EXPECT_EQ(common->MoveJS(tags), xs);
  EXPECT_EQ(common->FilterHtml(tags), xs);
  EXPECT_EQ(common->DelHtml(tags), xs);

  const std::u16string opens(kSize, u'<');
  EXPECT_EQ(common->MoveJS(opens), opens);
  EXPECT_EQ(common->FilterHtml(opens), opens);
  EXPECT_EQ(common->DelHtml(opens).size(), 4 * kSize);

  for (std::u16string_view unit : {u"<a", u"<script>", u"<a\n", u"</b", u"<a>\n<"}) {
    const std::u16string text = repeat(unit);
    EXPECT_LE(common->MoveJS(text).size(), text.size());
    EXPECT_LE(common->FilterHtml(text).size(), text.size());
    EXPECT_LE(common->DelHtml(text).size(), 4 * text.size());
  }
}

}  // namespace
}  // namespace zorvadel::text
