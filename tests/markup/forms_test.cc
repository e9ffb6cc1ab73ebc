// The WML form and table builders beyond the page scripts form_phone and
// form_web: the one HTML form per page, tables' alignment letters, FontStyle.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/member_calls.h"
#include "support/page_fixture.h"
#include "support/text_cases.h"

namespace zorvadel {
namespace {

using test::kDesktopAgent;
using test::kPhoneAgent;

struct FormPage : test::TestPage {
  explicit FormPage(const char* agent = kPhoneAgent, const char16_t* class_name = u"WAP")
      : TestPage(class_name, test::PageOptions().WithAgent(agent).WithUrl("/shop/order.asp")) {}
};

std::string U8(std::u16string_view text) { return codepage::ToUtf8(text); }

constexpr char16_t kFormStart[] =
    u"<form name=\"FirstForm\" method=\"post\" action=\"http://localhost/shop/order.asp\">";

TEST(TextIn, SameFieldOnEveryTerminalAndOneFormOnTheDesktop) {
  for (const char* agent : {kPhoneAgent, kDesktopAgent}) {
    FormPage page(agent);
    EXPECT_EQ(page.object->TextIn(u"名字", u"Password", u"a&b", u"中", u"t", u"maxlength=\"8\" "),
              u"&#x540D;&#x5B57;<br/><input type=\"password\" name=\"a&amp;b\" "
              u"value=\"&#x4E2D;\" title=\"t\" maxlength=\"8\" />");
    page.object->TextIn(u"", u"text", u"n", u"v", u"t", u"");
    const bool desktop = agent == kDesktopAgent;
    EXPECT_EQ(page.Body(), desktop ? kFormStart : u"");
    EXPECT_EQ(page.object->state().OnlyOne, desktop);
  }
  // A script that wants a second form clears OnlyOne itself.
  FormPage page(kDesktopAgent, u"EnWAP");
  page.object->TextIn(u"", u"text", u"m", u"v", u"t", u"");
  page.object->state().OnlyOne = false;
  page.object->state().PostFileName = u"save.asp?x=1&amp;y=2";
  page.object->TextIn(u"", u"text", u"m", u"v", u"t", u"");
  EXPECT_EQ(page.Body(), std::u16string(kFormStart) +
                             u"<form name=\"FirstForm\" method=\"post\" "
                             u"action=\"save.asp?x=1&amp;y=2\">");
  // Without a page the field is still returned; the write is skipped, the
  // flag is set.
  auto object = std::dynamic_pointer_cast<PageObject>(CreateByProgId(u"Zorvadel.WAP"));
  object->state().Terminal = u"Mozilla/5.0";
  EXPECT_EQ(object->TextIn(u"", u"text", u"n", u"v", u"t", u""),
            u"<input type=\"text\" name=\"n\" value=\"v\" title=\"t\" />");
  EXPECT_TRUE(object->state().OnlyOne);
}

TEST(Post, FieldsTaskAndVariable) {
  FormPage page;
  // Names and values pair up as in SplitRichText; neither is filtered here.
  EXPECT_EQ(page.object->PostField(u"名,a&b,c", u"v1,v2", u","),
            u"<postfield name=\"名\" value=\"$(v1)\"/><postfield name=\"a&b\" value=\"$(v2)\"/>");
  EXPECT_EQ(page.object->TextMorePost(u"a", u"x", u" "),
            u"<postfield name=\"a\" value=\"$(x)\"/></go></do><br/>");
  // The method is always post; only the label is filtered.
  EXPECT_EQ(page.object->PostSet(u"OPTIONS", u"发", u"a.asp?x=1&amp;y=2", u"GB2312", u"GET"),
            u"<do type=\"OPTIONS\" label=\"&#x53D1;\" optional=\"false\"><go "
            u"href=\"a.asp?x=1&amp;y=2\" method=\"post\" accept-charset=\"GB2312\">");
  EXPECT_EQ(page.object->TextPost(u"名", u"v&"),
            u"<postfield name=\"&#x540D;\" value=\"$(v&amp;)\"/>");
  EXPECT_EQ(page.Body(), u"");
}

TEST(Selects, AttributesFollowTheGivenNames) {
  struct Case {
    const char16_t *title, *name, *iname, *other_att, *expected;
  };
  const Case cases[] = {
      {u"", u"", u"", u"", u"<select >"},
      {u"", u"", u"", u"id=\"s\"", u"<select id=\"s\">"},
      {u"", u"n", u"", u"", u"<select name=\"n\" value=\"v\" >"},
      {u"t", u"", u"i", u"", u"<select title=\"t\" iname=\"i\" ivalue=\"iv\" multiple=\"true\" >"},
      // Both names: the title is written even when empty.
      {u"", u"n", u"i", u"",
       u"<select title=\"\" name=\"n\" value=\"v\" iname=\"i\" ivalue=\"iv\" multiple=\"true\" >"},
  };
  FormPage page(kDesktopAgent, u"EnWAP");
  for (const Case& c : cases) {
    EXPECT_EQ(page.object->Selects(c.title, c.name, u"v", c.iname, u"iv", true, c.other_att),
              c.expected);
  }
  EXPECT_EQ(page.Call(u"Selects", {u"", u"", u"", u"i"}).string(),
            u"<select iname=\"i\" ivalue=\"\" multiple=\"true\" >");
}

TEST(Options, ItemFormsAndClosing) {
  struct Case {
    const char16_t *titles, *values, *hrefs, *group;
    bool last;
    const char16_t* expected;
  };
  const Case cases[] = {
      {u"", u"1", u"x", u"", true, u"</select>"},  // no group: always closes
      {u"", u"", u"", u"G", false, u"<optgroup title=\"G\"></optgroup>"},
      {u"a b", u"", u"", u"", false, u"</select>"},  // titles alone give no items
      {u"a b", u"1", u"", u"", false, u"<option title=\"a\" value=\"1\">a</option></select>"},
      // The title is filtered, the value not.
      {u"红 b", u"r&g b", u"", u"组", true,
       u"<optgroup title=\"&#x7EC4;\"><option title=\"&#x7EA2;\" value=\"r&g\">&#x7EA2;</option>"
       u"<option title=\"b\" value=\"b\">b</option></optgroup></select>"},
  };
  FormPage page;
  for (const Case& c : cases) {
    EXPECT_EQ(page.object->Options(c.titles, c.values, c.hrefs, u" ", c.group, c.last),
              c.expected)
        << U8(c.titles) << "|" << U8(c.values) << "|" << U8(c.hrefs);
  }
}

// ---- Tables and FontStyle ------------------------------------------------------

TEST(Tables, HeadAndRows) {
  struct Head {
    int16_t columns;
    const char16_t *align, *title, *expected;
  };
  const Head heads[] = {
      {3, u"lc", u"", u"<table columns=\"3\" align=\"LCL\">"},
      {2, u"lcr", u"", u"<table columns=\"2\" align=\"LC\">"},
      {0, u"LLLL", u"", u"<table columns=\"0\" align=\"\">"},
      // A negative count cannot cut: the letters stay, upper-cased.
      {-1, u"llll", u"", u"<table columns=\"-1\" align=\"LLLL\">"},
      {1, u"r", u"价<b>", u"<table columns=\"1\" align=\"R\" title=\"&#x4EF7;<b>\">"},
  };
  const test::Case rows[] = {
      {u"a  b", u"<tr><td>a</td><td></td><td>b</td></tr>"},
      {u"", u"<tr></tr>"},
      {u"中 a&b", u"<tr><td>&#x4E2D;</td><td>a&amp;b</td></tr>"},
  };
  FormPage page;
  for (const Head& c : heads) {
    EXPECT_EQ(page.object->Table(c.columns, c.align, c.title), c.expected) << U8(c.align);
  }
  for (const test::Case& c : rows) EXPECT_EQ(page.object->IncRow(c.in, u" "), c.out);
  EXPECT_EQ(page.object->IncRow(u"a b", u""), u"<tr><td>a b</td></tr>");
  const std::u16string many = page.object->IncRow(test::Repeat(u"x ", 40000), u" ");
  EXPECT_EQ(many.size(), 4u + 40000u * 10u + 9u + 5u);  // the last piece is empty
}

// Only Common's FontStyle (which the XHTML classes forward to) trims.
TEST(Tables, FontStyleOfWmlKeepsBlanks) {
  EXPECT_EQ(FormPage().object->FontStyle(u" Hi ", u"U", u" "), u"<u> Hi </u>");
}

TEST(FormsByName, BadArguments) {
  FormPage page;
  EXPECT_EQ(test::CallError(*page.object, u"Table", {Variant(int32_t{40000})}), kErrOverflow);
  for (const char16_t* member : {u"TextIn", u"IncRow", u"PostField", u"TextPost"}) {
    EXPECT_EQ(test::CallError(*page.object, member, {}), kErrWrongArgs) << U8(member);
  }
}

}  // namespace
}  // namespace zorvadel
