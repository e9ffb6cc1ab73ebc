// The WML table builders and the WML FontStyle: shapes, padding and cutting
// of the alignment letters, filtering of the shown texts, defaults by name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "markup/form_test_util.h"

namespace zorvadel {
namespace {

using form_test::FormPage;
using form_test::kDesktopAgent;
using form_test::kPhoneAgent;
using form_test::Narrow;

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
  std::u16string content;
  for (int i = 0; i < 40000; ++i) content += u"x ";
  const std::u16string row = page.object->IncRow(content, u" ");
  EXPECT_EQ(row.size(), 4u + 40000u * 10u + 9u + 5u);  // the last piece is empty
}

}  // namespace
}  // namespace zorvadel
