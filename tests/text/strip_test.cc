// Tag stripping: MoveJS, FilterHtml and DelHtml of Common.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/codepage/codepage.h"
#include "support/text_cases.h"
#include "zorvadel/classes.h"

namespace zorvadel {
namespace {

using test::Case;

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
}  // namespace zorvadel
