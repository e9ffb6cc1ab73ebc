// Cards, paragraphs, divisions, comments and the style-sheet members of the
// page classes and the companion WAPXHTML, by name and from C++.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "markup/style_sheets.h"
#include "support/page_fixture.h"
#include "support/recording_response.h"

namespace zorvadel {
namespace {

// A page object started on a page of the in-memory engine (so its output
// filter has its page-start settings), writing to a RecordingResponse.
struct Page : test::TestPage {
  explicit Page(std::u16string_view name)
      : TestPage(name, engine::RequestFacts{}, 0), out(std::make_shared<RecordingResponse>()) {
    object->state().Response = out;
  }

  std::shared_ptr<RecordingResponse> out;
};

const Variant kOmit = Variant::Missing();
constexpr char16_t kFirstCardTitle[] = u"&#x7B2C;&#x4E00;&#x5361;&#x7247;";  // 第一卡片

// ---- Cards and WML paragraphs ---------------------------------------------------

TEST(Card, DefaultsInBothLanguages) {
  for (const char16_t* name : {u"WAP", u"EnWAP"}) {
    Page p(name);
    EXPECT_EQ(
        p.Call(u"Card"),
        Variant(std::u16string(u"</p></card><card id=\"Zorvadel\" title=\"") + kFirstCardTitle +
                u"\" newcontext=\"false\" ><p align=\"left\"  mode=\"wrap\">"));
  }
}

TEST(Card, FirstCardWithTimer) {
  Page p(u"WAP");
  EXPECT_EQ(
      p.Call(u"Card", {Variant(u"Main"), Variant(u"Go"), Variant(u"Center"), Variant(u"NoWrap"),
                       Variant(true), Variant(true), Variant(u"ontimer=\"#b\""), Variant(u"50"),
                       Variant(u"<do type=\"x\"/>")}),
      Variant(u"<card id=\"Main\" title=\"Go\" newcontext=\"true\" ontimer=\"#b\">"
              u"<timer value=\"50\"/><do type=\"x\"/><p align=\"center\"  mode=\"nowrap\">"));
  // The test for a timer is exact; a timer without TimeLong has an empty value.
  EXPECT_EQ(
      p.object->Card(u"c", u"t", u"left", u"wrap", false, true, u"onTimer=\"#b\"", u"50", u""),
      u"<card id=\"c\" title=\"t\" newcontext=\"false\" onTimer=\"#b\">"
      u"<p align=\"left\"  mode=\"wrap\">");
  EXPECT_EQ(
      p.Call(u"Card", {kOmit, kOmit, kOmit, kOmit, kOmit, Variant(true), Variant(u"ontimer")}),
      Variant(std::u16string(u"<card id=\"Zorvadel\" title=\"") + kFirstCardTitle +
              u"\" newcontext=\"false\" ontimer><timer value=\"\"/>"
              u"<p align=\"left\"  mode=\"wrap\">"));
}

TEST(WmlParagraph, AttributeForms) {
  Page p(u"EnWAP");
  EXPECT_EQ(p.Call(u"P"), Variant(u"</p><p align=\"left\" mode=\"wrap\">"));
  EXPECT_EQ(p.Call(u"P", {Variant(u""), Variant(u"")}), Variant(u"</p><p>"));
  EXPECT_EQ(p.Call(u"P", {Variant(u"Right"), Variant(u"")}), Variant(u"</p><p align=\"right\">"));
  EXPECT_EQ(p.object->P(u" ", u""), u"</p><p align=\" \">");
}

// ---- XHTML paragraphs and divisions ---------------------------------------------

TEST(XhtmlParagraph, CompanionAndForwarders) {
  ObjectPtr wx = CreateByProgId(u"Zorvadel.WAPXHTML");
  const std::u16string expected = u"<p id=\"#\" style=\"text-align:left\"><b>中</b></p>";
  EXPECT_EQ(Invoke(*wx, u"P", {Variant(u"[b]中[/b]")}), Variant(expected));
  for (const char16_t* name : {u"XML", u"EnXML"}) {
    Page p(name);
    EXPECT_EQ(p.Call(u"P", {Variant(u"[b]中[/b]")}), Variant(expected));
    EXPECT_EQ(p.Call(u"P", {Variant(u"x"), Variant(u"Center"), Variant(u"")}),
              Variant(u"<p id=\"\" style=\"text-align:center\">x</p>"));
    EXPECT_TRUE(p.object->state().WX);
  }
}

TEST(XhtmlDivision, AttributeForms) {
  Page p(u"XML");
  EXPECT_EQ(p.Call(u"Div", {Variant(u"x"), kOmit, Variant(u"Main")}),
            Variant(u"<div id=\"main\">x</div>"));
  EXPECT_EQ(p.Call(u"Div", {Variant(u"[i]x[/i]"), Variant(u"B"), Variant(u"I")}),
            Variant(u"<div id=\"i\" class=\"b\"><i>x</i></div>"));
}

TEST(PhpXml, FilteredParagraphAndDivision) {
  Page p(u"PHPXML");
  EXPECT_EQ(p.Call(u"P", {Variant(u"x"), Variant(u"Right"), Variant(u"A")}),
            Variant(u"<p id=\"a\" style=\"text-align:right\">x</p>"));
  // The content passes the class's output filter after the conversion.
  std::u16string filtered = p.object->Ascii(u"中");
  EXPECT_NE(filtered, u"中");
  EXPECT_EQ(p.Call(u"Div", {Variant(u"中"), Variant(u"Center")}),
            Variant(u"<div id=\"#\" align=\"center\">" + filtered + u"</div>"));
  EXPECT_THROW(p.Call(u"Div"), ScriptError);  // ToShowContent is required here
}

// ---- Comments ------------------------------------------------------------------

TEST(CommentMember, CannotEndEarly) {
  const Variant expected(u"<!--*(^O^)a--&gt;b&lt;c(^O^)*-->");
  for (const char16_t* name : {u"WAP", u"EnWAP", u"XML", u"EnXML"}) {
    Page p(name);
    EXPECT_EQ(p.Call(u"Comment", {Variant(u"a-->b<c")}), expected);
  }
  auto wx = std::dynamic_pointer_cast<WAPXHTML>(CreateByProgId(u"Zorvadel.WAPXHTML"));
  EXPECT_FALSE(wx->CC());
  EXPECT_EQ(Invoke(*wx, u"Comment", {Variant(u"a-->b<c")}), expected);
  EXPECT_TRUE(wx->CC());
  Page php(u"PHPXML");
  EXPECT_THROW(php.Call(u"Comment", {Variant(u"x")}), ScriptError);
}

TEST(CommentMember, ScriptSetCompanionIsUsed) {
  Page p(u"XML");
  auto own = std::make_shared<WAPXHTML>();
  p.object->state().WX = own;
  p.Call(u"Comment", {Variant(u"x")});
  EXPECT_EQ(p.object->state().WX, own);
  EXPECT_TRUE(own->CC());
}

// ---- Style-sheet members -------------------------------------------------------

// The WML sheet goes out in forty pieces, the XHTML one in one write;
// PHPXML returns its sheet instead.
TEST(StyleSheetMembers, Writes) {
  Page p(u"WAP");
  p.Call(u"XhtmlStyleCss");
  EXPECT_EQ(p.out->writes.size(), 40u);
  EXPECT_EQ(p.out->All(), markup::WmlSheet(markup::LinkLook::kPlain));
  p.out->writes.clear();
  p.Call(u"HtmlStyleCss");
  EXPECT_EQ(p.out->writes.size(), 40u);
  EXPECT_EQ(p.out->All(), markup::WmlSheet(markup::LinkLook::kUnderlined));
  // EnWAP keeps them for its own headers.
  Page en(u"EnWAP");
  en.object->XhtmlStyleCss();
  EXPECT_EQ(en.out->All(), markup::WmlSheet(markup::LinkLook::kPlain));
  for (const char16_t* name : {u"XML", u"EnXML"}) {
    Page x(name);
    EXPECT_TRUE(x.Call(u"XhtmlStyleCss").IsEmpty());
    EXPECT_EQ(x.out->writes, std::vector<std::u16string>{markup::CompanionSheet()});
  }
  ObjectPtr wx = CreateByProgId(u"Zorvadel.WAPXHTML");
  EXPECT_EQ(Invoke(*wx, u"XhtmlStyleCss", {}), Variant(markup::CompanionSheet()));
  Page php(u"PHPXML");
  EXPECT_EQ(php.Call(u"XhtmlStyleCss"), Variant(markup::PhpSheet()));
  EXPECT_TRUE(php.out->writes.empty());
}

}  // namespace
}  // namespace zorvadel
