// The WML form and table builders: input fields and the one HTML form per
// page on a desktop browser, posting tasks and postfields, selects and
// options, tables with their alignment letters padded and cut, FontStyle.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/page_fixture.h"
#include "support/text_cases.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

using test::kDesktopAgent;
using test::kPhoneAgent;

// An object of class `class_name` ("WAP", "EnWAP", ...) started on a page
// whose members give back their text.
struct FormPage : test::TestPage {
  FormPage(const char16_t* class_name, const char* agent)
      : TestPage(class_name, test::PageOptions()
                                 .WithAgent(agent)
                                 .WithAccept("text/vnd.wap.wml")
                                 .WithUrl("/shop/order.asp")) {}

  std::u16string Call(std::u16string_view member, std::vector<Variant> args = {}) {
    return TestPage::Call(member, std::move(args)).string();
  }
};

std::string Narrow(std::u16string_view text) { return codepage::ToUtf8(text); }

constexpr const char16_t* kFormStart =
    u"<form name=\"FirstForm\" method=\"post\" action=\"http://localhost/shop/order.asp\">";

TEST(TextInTest, SameFieldOnEveryTerminalAndOneFormOnTheDesktop) {
  for (const char* agent : {kPhoneAgent, kDesktopAgent}) {
    FormPage page(u"WAP", agent);
    EXPECT_EQ(page.object->TextIn(u"", u"TEXT", u"n", u"v", u"t", u""),
              u"<input type=\"text\" name=\"n\" value=\"v\" title=\"t\" />");
    EXPECT_EQ(page.object->TextIn(u"名字", u"Password", u"a&b", u"中", u"t", u"maxlength=\"8\" "),
              u"&#x540D;&#x5B57;<br/><input type=\"password\" name=\"a&amp;b\" "
              u"value=\"&#x4E2D;\" title=\"t\" maxlength=\"8\" />");
    const bool desktop = agent == kDesktopAgent;
    EXPECT_EQ(page.Body(), desktop ? kFormStart : u"");
    EXPECT_EQ(page.object->state().OnlyOne, desktop);
  }
  // A script that wants a second form clears OnlyOne itself.
  FormPage page(u"EnWAP", kDesktopAgent);
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

struct PostCase {
  const char16_t* names;
  const char16_t* values;
  const char16_t* mark;
  const char16_t* fields;
};

constexpr PostCase kPosts[] = {
    {u"a b c", u"x y", u" ",
     u"<postfield name=\"a\" value=\"$(x)\"/><postfield name=\"b\" value=\"$(y)\"/>"},
    {u"a", u"x y z", u" ", u"<postfield name=\"a\" value=\"$(x)\"/>"},
    {u"", u"x", u" ", u""},
    {u"名,a&b", u"v1,v2", u",",
     u"<postfield name=\"名\" value=\"$(v1)\"/><postfield name=\"a&b\" value=\"$(v2)\"/>"},
};

TEST(PostTest, PostFieldAndTextMorePost) {
  FormPage page(u"WAP", kPhoneAgent);
  for (const PostCase& c : kPosts) {
    EXPECT_EQ(page.object->PostField(c.names, c.values, c.mark), c.fields) << Narrow(c.names);
    EXPECT_EQ(page.object->TextMorePost(c.names, c.values, c.mark),
              std::u16string(c.fields) + u"</go></do><br/>");
  }
}

TEST(PostTest, PostSetAndTextPost) {
  for (const char* agent : {kPhoneAgent, kDesktopAgent}) {
    FormPage page(u"WAP", agent);
    EXPECT_EQ(page.object->PostSet(u"OPTIONS", u"Go", u"Index.asp", u"UTF-8", u"post"),
              u"<do type=\"OPTIONS\" label=\"Go\" optional=\"false\"><go href=\"Index.asp\" "
              u"method=\"post\" accept-charset=\"UTF-8\">");
    // The method is always post.
    EXPECT_EQ(page.object->PostSet(u"accept", u"发", u"a.asp?x=1&amp;y=2", u"gb2312", u"GET"),
              u"<do type=\"accept\" label=\"&#x53D1;\" optional=\"false\"><go "
              u"href=\"a.asp?x=1&amp;y=2\" method=\"post\" accept-charset=\"gb2312\">");
    EXPECT_EQ(page.object->TextPost(u"a", u"b"), u"<postfield name=\"a\" value=\"$(b)\"/>");
    EXPECT_EQ(page.object->TextPost(u"名", u"v&"),
              u"<postfield name=\"&#x540D;\" value=\"$(v&amp;)\"/>");
    EXPECT_EQ(page.Body(), u"");
  }
}

struct SelectCase {
  const char16_t* title;
  const char16_t* name;
  const char16_t* iname;
  bool multiple;
  const char16_t* other_att;
  const char16_t* expected;
};

constexpr SelectCase kSelects[] = {
    {u"", u"", u"", true, u"", u"<select >"},
    {u"", u"", u"", true, u"id=\"s\"", u"<select id=\"s\">"},
    {u"t", u"", u"", true, u"x", u"<select title=\"t\" x > "},
    {u"", u"n", u"", true, u"", u"<select name=\"n\" value=\"v\" >"},
    {u"t", u"", u"i", true, u"",
     u"<select title=\"t\" iname=\"i\" ivalue=\"iv\" multiple=\"true\" >"},
    {u"", u"n", u"i", true, u"",
     u"<select title=\"\" name=\"n\" value=\"v\" iname=\"i\" ivalue=\"iv\" multiple=\"true\" >"},
    {u"色", u"n", u"i", false, u"",
     u"<select title=\"&#x8272;\" name=\"n\" value=\"v\" iname=\"i\" ivalue=\"iv\" "
     u"multiple=\"false\" >"},
};

TEST(SelectsTest, AttributesFollowTheGivenNames) {
  FormPage page(u"EnWAP", kDesktopAgent);
  for (const SelectCase& c : kSelects) {
    EXPECT_EQ(page.object->Selects(c.title, c.name, u"v", c.iname, u"iv", c.multiple, c.other_att),
              c.expected)
        << Narrow(c.expected);
  }
}

struct OptionsCase {
  const char16_t* titles;
  const char16_t* values;
  const char16_t* hrefs;
  const char16_t* group;
  bool last;
  const char16_t* expected;
};

constexpr OptionsCase kOptions[] = {
    {u"a b", u"1 2", u"x y", u"G", false,
     u"<optgroup title=\"G\"><option title=\"a\" value=\"1\" onpick=\"x\">a</option>"
     u"<option title=\"b\" value=\"2\" onpick=\"y\">b</option></optgroup>"},
    {u"", u"1", u"x", u"", true, u"</select>"},
    {u"", u"", u"", u"G", false, u"<optgroup title=\"G\"></optgroup>"},
    // Targets without values.
    {u"a b", u"", u"x.asp?i=1&amp;j=2 y", u"", false,
     u"<option title=\"a\" value=\"\" onpick=\"x.asp?i=1&amp;j=2\">a</option>"
     u"<option title=\"b\" value=\"\" onpick=\"y\">b</option></select>"},
    // One value and one target: the full form.
    {u"a", u"1", u"x", u"", false, u"<option title=\"a\" value=\"1\" onpick=\"x\">a</option></select>"},
    // Titles alone give no items.
    {u"a b", u"", u"", u"", false, u"</select>"},
    {u"a b", u"1", u"", u"", false, u"<option title=\"a\" value=\"1\">a</option></select>"},
    {u"红 b", u"r&g b", u"", u"组", true,
     u"<optgroup title=\"&#x7EC4;\"><option title=\"&#x7EA2;\" value=\"r&g\">&#x7EA2;</option>"
     u"<option title=\"b\" value=\"b\">b</option></optgroup></select>"},
};

TEST(OptionsTest, ItemFormsAndClosing) {
  FormPage page(u"WAP", kPhoneAgent);
  for (const OptionsCase& c : kOptions) {
    EXPECT_EQ(page.object->Options(c.titles, c.values, c.hrefs, u" ", c.group, c.last),
              c.expected)
        << Narrow(c.titles) << "|" << Narrow(c.values) << "|" << Narrow(c.hrefs);
  }
  EXPECT_EQ(page.object->Options(u"a|b", u"1|2", u"", u"|", u"", false),
            u"<option title=\"a\" value=\"1\">a</option><option title=\"b\" value=\"2\">b</option>"
            u"</select>");
}

// Omitted arguments take the defaults, the same in both languages and on
// every terminal.
TEST(FormsByNameTest, Defaults) {
  const struct {
    const char16_t* member;
    std::vector<Variant> args;
    const char16_t* expected;
  } cases[] = {
      {u"PostField", {Variant(u"a b"), Variant(u"c d")},
       u"<postfield name=\"a\" value=\"$(c)\"/><postfield name=\"b\" value=\"$(d)\"/>"},
      {u"Selects", {}, u"<select >"},
      {u"Selects", {Variant(u""), Variant(u""), Variant(u""), Variant(u"i")},
       u"<select iname=\"i\" ivalue=\"\" multiple=\"true\" >"},
      {u"Selects", {Variant::Missing(), Variant::Missing(), Variant::Missing(), Variant(u"i"),
                    Variant::Missing(), Variant(int16_t{0})},
       u"<select iname=\"i\" ivalue=\"\" multiple=\"false\" >"},
      {u"Options", {}, u"</select>"},
      {u"Options", {Variant(u"a"), Variant(u"1")},
       u"<option title=\"a\" value=\"1\">a</option></select>"},
  };
  for (const char16_t* name : {u"WAP", u"EnWAP"}) {
    for (const char* agent : {kPhoneAgent, kDesktopAgent}) {
      FormPage page(name, agent);
      for (const auto& c : cases) {
        EXPECT_EQ(page.Call(c.member, c.args), c.expected) << Narrow(name) << Narrow(c.member);
      }
      const std::u16string label = name[0] == u'E' ? u"Submit" : u"&#x63D0;&#x4EA4;";
      EXPECT_EQ(page.Call(u"postset", {Variant::Missing(), Variant::Missing(), Variant(u"go.asp"),
                                       Variant::Missing(), Variant(u"get")}),
                u"<do type=\"options\" label=\"" + label +
                    u"\" optional=\"false\"><go href=\"go.asp\" method=\"post\" "
                    u"accept-charset=\"utf-8\">");
    }
  }
  FormPage page(u"WAP", kPhoneAgent);
  EXPECT_THROW(page.Call(u"TextIn"), ScriptError);
  EXPECT_THROW(page.Call(u"TextPost", {Variant(u"a")}), ScriptError);
  EXPECT_THROW(page.Call(u"PostField", {Variant(u"a")}), ScriptError);
}

// ---- Tables and FontStyle ------------------------------------------------------

struct TableCase {
  int16_t columns;
  const char16_t* align;
  const char16_t* title;
  const char16_t* expected;
};

constexpr TableCase kTables[] = {
    {3, u"lc", u"", u"<table columns=\"3\" align=\"LCL\">"},
    {2, u"lcr", u"", u"<table columns=\"2\" align=\"LC\">"},
    {0, u"LLLL", u"", u"<table columns=\"0\" align=\"\">"},
    // A negative count cannot cut: the letters stay, upper-cased.
    {-1, u"llll", u"", u"<table columns=\"-1\" align=\"LLLL\">"},
    {4, u"", u"", u"<table columns=\"4\" align=\"LLLL\">"},
    {1, u"r", u"价<b>", u"<table columns=\"1\" align=\"R\" title=\"&#x4EF7;<b>\">"},
};

struct RowCase {
  const char16_t* content;
  const char16_t* mark;
  const char16_t* expected;
};

constexpr RowCase kRows[] = {
    {u"a b c", u" ", u"<tr><td>a</td><td>b</td><td>c</td></tr>"},
    {u"a  b", u" ", u"<tr><td>a</td><td></td><td>b</td></tr>"},
    {u"", u" ", u"<tr></tr>"},
    {u"a b", u"", u"<tr><td>a b</td></tr>"},
    {u"x|y", u"|", u"<tr><td>x</td><td>y</td></tr>"},
    {u"中 a&b", u" ", u"<tr><td>&#x4E2D;</td><td>a&amp;b</td></tr>"},
};

struct FontCase {
  const char16_t* content;
  const char16_t* styles;
  const char16_t* mark;
  const char16_t* expected;
};

constexpr FontCase kFonts[] = {
    {u"Hi", u"B I", u" ", u"<i><b>Hi</b></i>"},
    {u"Hi", u"", u" ", u"Hi"},
    {u"Hi", u"b  i", u" ", u"<i><><b>Hi</b></></i>"},
    {u" Hi ", u"U", u" ", u"<u> Hi </u>"},  // not trimmed
    {u"粗", u"big,STRONG", u",", u"<strong><big>&#x7C97;</big></strong>"},
    {u"a", u"b i", u"", u"<b i>a</b i>"},
};

class TablesTest : public ::testing::TestWithParam<const char*> {};

TEST_P(TablesTest, TableHead) {
  FormPage page(u"WAP", GetParam());
  for (const TableCase& c : kTables) {
    EXPECT_EQ(page.object->Table(c.columns, c.align, c.title), c.expected) << Narrow(c.align);
  }
  EXPECT_EQ(page.object->Table(40, u"L", u""),
            u"<table columns=\"40\" align=\"" + std::u16string(40, u'L') + u"\">");
}

TEST_P(TablesTest, Rows) {
  FormPage page(u"EnWAP", GetParam());
  for (const RowCase& c : kRows) {
    EXPECT_EQ(page.object->IncRow(c.content, c.mark), c.expected) << Narrow(c.content);
    EXPECT_EQ(page.object->Row(c.content, c.mark, false), c.expected);
    EXPECT_EQ(page.object->Row(c.content, c.mark, true), std::u16string(c.expected) + u"</table>");
    EXPECT_EQ(page.object->RowOne(c.content, c.mark), std::u16string(c.expected) + u"</table>");
  }
  EXPECT_EQ(page.Body(), u"");
}

TEST_P(TablesTest, FontStyle) {
  FormPage page(u"WAP", GetParam());
  for (const FontCase& c : kFonts) {
    EXPECT_EQ(page.object->FontStyle(c.content, c.styles, c.mark), c.expected)
        << Narrow(c.styles);
  }
  // The XHTML FontStyle still trims through Common.
  FormPage xml(u"XML", GetParam());
  EXPECT_EQ(xml.object->FontStyle(u" Hi ", u"B", u" "), u"<b>Hi</b>");
}

INSTANTIATE_TEST_SUITE_P(Terminals, TablesTest, ::testing::Values(kPhoneAgent, kDesktopAgent),
                         [](const auto& info) { return info.index == 0 ? "Phone" : "Web"; });

TEST(TablesByNameTest, DefaultsAndBadArguments) {
  FormPage page(u"WAP", kPhoneAgent);
  EXPECT_EQ(page.Call(u"table", {Variant(int16_t{2}), Variant(u"c"), Variant(u"")}),
            u"<table columns=\"2\" align=\"CL\">");
  EXPECT_EQ(page.Call(u"Table", {Variant(u"3"), Variant(u"r")}).substr(0, 37),
            u"<table columns=\"3\" align=\"RLL\" title=");
  EXPECT_EQ(page.Call(u"IncRow", {Variant(u"a b")}), u"<tr><td>a</td><td>b</td></tr>");
  EXPECT_EQ(page.Call(u"Row", {Variant(u"a b"), Variant::Missing(), Variant(true)}),
            u"<tr><td>a</td><td>b</td></tr></table>");
  EXPECT_EQ(page.Call(u"FontStyle", {Variant(u"Hi")}), u"Hi");
  EXPECT_THROW(page.Call(u"Table", {Variant(int32_t{40000})}), ScriptError);  // overflow, 6
  EXPECT_THROW(page.Call(u"IncRow"), ScriptError);                           // Content required
}

TEST(TablesLongTextTest, ManyCells) {
  FormPage page(u"WAP", kPhoneAgent);
  const std::u16string row = page.object->IncRow(test::Repeat(u"x ", 40000), u" ");
  EXPECT_EQ(row.size(), 4u + 40000u * 10u + 9u + 5u);  // the last piece is empty
}

}  // namespace
}  // namespace zorvadel
