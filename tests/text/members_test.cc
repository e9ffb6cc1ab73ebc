// Joining split texts, name-value lists, keyword highlighting and style tags;
// then the text, stripping and charset members by name: which class has
// which, what each gives, whether a page object's call went through its CC.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/codepage/codepage.h"
#include "support/member_calls.h"
#include "support/page_fixture.h"
#include "support/text_cases.h"
#include "text/joining.h"
#include "zorvadel/memory_page.h"

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

// ---- The members by name ---------------------------------------------------------

using test::CallRow;

std::shared_ptr<PageObject> NewPage(const char16_t* name) {
  return std::dynamic_pointer_cast<PageObject>(test::NewByProgId(name));
}

TEST(TextMembersTest, WhichClassHasWhich) {
  const test::Presence kTable[] = {
      {u"HtmlEnCode", "XxWw-C"},    {u"HTMLDecode", "XxWw-C"},     {u"SpecialMark", "XxWwPC"},
      {u"DelSpecialMark", "XxWwPC"}, {u"FixCodes", "Xx--PC"},      {u"FixWmlCode", "--Ww--"},
      {u"SplitText", "XxWw-C"},     {u"SplitRichText", "XxWw-C"},  {u"SplitMultiText", "XxWw--"},
      {u"ReplaceString", "XxWw-C"}, {u"EnterHebing", "-----C"},    {u"FontStyle", "XxWw-C"},
      {u"MoveJS", "XxWwPC"},        {u"FilterHtml", "XxWwPC"},     {u"DelHtml", "XxWwPC"},
      {u"UtfToGb", "XxWw-C"},       {u"JToF", "XxWwPC"},           {u"FToJ", "XxWwPC"},
      {u"Uni", "----P-"},           {u"StrToWide", "XxWw--"},      {u"StrToNarrow", "XxWw--"},
      {u"QWMEnCode", "Xx---C"},     {u"QWMDeCode", "Xx---C"},
  };
  test::ExpectPresence(kTable);
  // EnXML's HtmlEnCode alone gives a Variant (of the same text).
  auto en = NewPage(u"EnXML");
  EXPECT_EQ(en->Class().Find(u"HtmlEnCode", MemberKind::kMethod)->result, ParamType::kVariant);
  EXPECT_EQ(NewPage(u"XML")->Class().Find(u"HtmlEnCode", MemberKind::kMethod)->result,
            ParamType::kString);
}

const Variant kMissing = Variant::Missing();

// clang-format off
const CallRow kCalls[] = {
    {u"htmlencode", "XxWw-C", {u" <a>"}, Variant(u"&nbsp;&lt;a&gt;")},
    {u"HTMLDecode", "XxWw-C", {u"&#60;"}, Variant(u"<")},
    {u"SpecialMark", "XxWwPC", {u"a b"}, Variant(u"a&nbsp;b")},
    {u"DelSpecialMark", "XxWwPC", {u"<b>"}, Variant(u"&lt;b&gt;")},
    {u"EnterHebing", "-----C", {u"\r\n\r\n"}, Variant(u"<br/>")},
    {u"FixCodes", "Xx--PC", {u"b>x&l"}, Variant(u"<b>x&lt;")},
    {u"FixWmlCode", "--Ww--", {u"t;x<b"}, Variant(u"&quot;x")},
    // The WML classes split and join with their own code.
    {u"SplitText", "--Ww--", {u"a,b", u",", u"[", u"]", u"|"}, Variant(u"[a|b]"), 0, false},
    {u"SplitText", "Xx---C", {u"a,b", u",", u"[", u"]", u"|"}, Variant(u"[a|b]")},
    {u"SplitRichText", "--Ww--", {u"a", u"1", u",", u"<", u"=", u">"}, Variant(u"<a=1>"), 0, false},
    {u"SplitRichText", "Xx---C", {u"a", u"1", u",", u"<", u"=", u">"}, Variant(u"<a=1>")},
    {u"ReplaceString", "XxWw-C", {u"手机|wap", u"wap手机", u"<b>", u"</b>"},
     Variant(u"<b>wap</b><b>手机</b>")},
    {u"fontstyle", "Xx---C", {u" x", u"B I"}, Variant(u"<i><b>x</b></i>")},
    {u"FontStyle", "Xx---C", {u"  x  "}, Variant(u"x")},
    {u"movejs", "XxWwPC", {u"<b>x</b>"}, Variant(u"x")},
    {u"DelHtml", "XxWwPC", {u"a<br>b < c"}, Variant(u"a\r\nb &lt; c")},
    {u"FILTERHTML", "XxWwPC", {u"<p>[b]y[/b]</p>"}, Variant(u"<b>y</b>")},
    {u"utftogb", "XxWw-C", {u"&#x4E2D;&#X4E2D;"}, Variant(u"中&#X4E2D;")},
    {u"JToF", "XxWw-C", {u"汉"}, Variant(u"漢")},
    {u"FToJ", "XxWw-C", {u"發"}, Variant(u"发")},
    {u"QWMEnCode", "Xx---C", {u"，", kMissing}, Variant(u"，:0312,")},
    {u"QWMEnCode", "Xx---C", {u"中", u";"}, Variant(u"中:5448;")},
    {u"QWMDeCode", "Xx---C", {}, Variant(u"爱")},
    {u"QWMDeCode", "Xx---C", {u"312"}, Variant(u"，")},
    {u"StrToWide", "XxWw--", {u"a b"}, Variant(u"ａ　ｂ"), 0, false},
    {u"StrToNarrow", "XxWw--", {u"ａ　ｂ"}, Variant(u"a b"), 0, false},
    // PHPXML maps by itself and escapes what it gives; U+0000 ends nothing.
    {u"JToF", "----P-", {std::u16string(u"x\0汉", 3)}, Variant(u"x&#x6F22;"), 0, false},
    {u"FToJ", "----P-", {u"漢&b"}, Variant(u"&#x6C49;&amp;b"), 0, false},
    {u"Uni", "----P-", {u"AT&T 中\t&lt;"}, Variant(u"AT&amp;T &#x4E2D;&#x9;&lt;"), 0, false},
};
// clang-format on

TEST(TextMembersTest, ByNameInEveryClassThatHasIt) { test::ExpectCalls(kCalls); }

// A script's own instance serves the forwarders, its WH included; a cleared
// one comes back new (made once: CompanionTest of the class set).
TEST(TextMembersTest, ForwardersUseTheInstanceInCC) {
  auto page = NewPage(u"WAP");
  auto own = std::make_shared<Common>();
  page->state().CC = own;
  EXPECT_EQ(Invoke(*page, u"FilterHtml", {u"<i>z</i>"}), Variant(u"z"));
  EXPECT_EQ(Invoke(*page, u"DelSpecialMark", {u"a  b"}), Variant(u"a b"));
  EXPECT_EQ(page->state().CC, own);
  EXPECT_NE(own->state().WH, nullptr);
  page->state().CC.reset();
  EXPECT_EQ(Invoke(*page, u"UtfToGb", {u"&#x41;"}), Variant(u"A"));
  EXPECT_NE(page->state().CC, nullptr);
  EXPECT_NE(page->state().CC, own);
}

TEST(TextMembersTest, SplitMultiTextWritesFramedPieces) {
  for (const char16_t* name : {u"XML", u"EnXML", u"WAP", u"EnWAP"}) {
    test::TestPage page(name);
    page.Call(u"SplitMultiText", {u"a|b|c", u"|", u"<p>|<q>", u"</p>|</q>|</r>"});
    // The third piece has no PreText piece and is not written at all.
    EXPECT_EQ(page.Body(), u"<p>a</p><q>b</q>");
    EXPECT_FALSE(page.state().CC);
  }
  EXPECT_NO_THROW(NewPage(u"WAP")->SplitMultiText(u"a|b", u"|", u"|", u"|"));  // no response
  test::TestPage xml(u"XML");
  xml.object->SplitMultiText(u"", u"|", u"x", u"y");
  EXPECT_EQ(xml.Body(), u"");
}

}  // namespace
}  // namespace zorvadel::text
