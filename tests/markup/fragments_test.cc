// Cards, paragraphs, divisions, comments and the style-sheet members, by name
// and from C++, beyond what the page scripts fragment_wml and fragment_xhtml
// show; and which class has which markup and output member.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "markup/style_sheets.h"
#include "support/page_fixture.h"
#include "support/recording_response.h"
#include "zorvadel/runtime.h"

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
  EXPECT_EQ(p.object->P(u"Right", u""), u"</p><p align=\"right\">");
  EXPECT_EQ(p.object->P(u" ", u""), u"</p><p align=\" \">");
}

// ---- XHTML paragraphs and divisions ---------------------------------------------

// Ids and classes are lower-cased, the alignment too; UBB codes convert.
TEST(XhtmlParagraph, AttributeForms) {
  Page en(u"EnXML");
  EXPECT_EQ(en.Call(u"P", {Variant(u"[b]x[/b]"), Variant(u"Center"), Variant(u"")}),
            Variant(u"<p id=\"\" style=\"text-align:center\"><b>x</b></p>"));
  EXPECT_TRUE(en.object->state().WX);
  EXPECT_EQ(en.Call(u"Div", {Variant(u"x"), kOmit, Variant(u"Main")}),
            Variant(u"<div id=\"main\">x</div>"));
  Page php(u"PHPXML");
  EXPECT_EQ(php.Call(u"P", {Variant(u"x"), Variant(u"Right"), Variant(u"A")}),
            Variant(u"<p id=\"a\" style=\"text-align:right\">x</p>"));
  EXPECT_THROW(php.Call(u"Div"), ScriptError);  // ToShowContent is required here
}

// ---- Comments ------------------------------------------------------------------

// A comment cannot end early; a companion the script set is used.
TEST(CommentMember, CannotEndEarly) {
  const Variant expected(u"<!--*(^O^)a--&gt;b&lt;c(^O^)*-->");
  Page p(u"XML");
  auto own = std::make_shared<WAPXHTML>();
  p.object->state().WX = own;
  EXPECT_FALSE(own->CC());
  EXPECT_EQ(p.Call(u"Comment", {Variant(u"a-->b<c")}), expected);
  EXPECT_EQ(p.object->state().WX, own);
  EXPECT_TRUE(own->CC());
  EXPECT_EQ(Invoke(*own, u"Comment", {Variant(u"a-->b<c")}), expected);
}

// ---- Style-sheet members -------------------------------------------------------

// The WML sheets go out in forty pieces (the XHTML one in one write, and
// PHPXML returns its own: fragment_xhtml). The underlined sheet's whole text
// shows in frame_guard_web; the plain one differs in its link rule alone.
TEST(StyleSheetMembers, WmlSheets) {
  Page p(u"WAP");
  p.Call(u"XhtmlStyleCss");
  EXPECT_EQ(p.out->writes.size(), 40u);
  const std::u16string plain = p.out->All();
  p.out->writes.clear();
  p.Call(u"HtmlStyleCss");
  EXPECT_EQ(p.out->writes.size(), 40u);
  const std::u16string underlined = p.out->All();
  EXPECT_EQ(plain.size(), 925u);
  const size_t at = plain.find(u"A:link { COLOR: #0000FF; TEXT-DECORATION: none}A:visited {");
  ASSERT_NE(at, std::u16string::npos);
  EXPECT_EQ(underlined, plain.substr(0, at + 42) + u"underline" + plain.substr(at + 46));
  // The companion returns the XHTML sheet.
  ObjectPtr wx = CreateByProgId(u"Zorvadel.WAPXHTML");
  EXPECT_EQ(Invoke(*wx, u"XhtmlStyleCss", {}), Variant(markup::CompanionSheet()));
}

// ---- Which page classes answer to a member by name ------------------------------
// The markup and output members of the five classes in one table. (What a
// call of a member a class lacks raises is the dispatch's and the class
// set's tests' to say.)

constexpr const char16_t* kClasses[] = {u"WAP", u"EnWAP", u"XML", u"EnXML", u"PHPXML"};

struct Row {
  const char* has;          // one digit per class of kClasses
  const char16_t* members;  // separated by blanks
};

constexpr Row kRows[] = {
    {"11111", u"A Anchor P XhtmlHeader XhtmlFooter Ascii SubmitText Displayer "
              u"SQLInjection"},
    {"11110", u"Comment FontStyle ImgType Img IA ImgA WriteLine WriteTo SafeRequest RequestText "
              u"RndNumber GetHostName GetDoMain Redirect"},
    {"11000", u"TextIn PostSet TextPost TextMorePost PostField Selects Options Table IncRow Row "
              u"RowOne IncTaskDo IncTaskGo DoPrev DoNoop DoGo EventGo EventPrev "
              u"EventNoop IncEvent DoSetVar EventSetVar Fresh IncSetVar TemplateBack BackFooter "
              u"AnchorGo PhoneA PhoneDo Phone BackA Image ImageA ImgAImg WeekQuery CallPhone GoUrl "
              u"DownPicList Card PageHeader AutoFooter HtmlHeader HtmlFooter UbbWML DebugInfo "
              u"PhoneType TransWmlFile"},
    {"10111", u"XhtmlStyleCss"},
    {"10000", u"HtmlStyleCss"},
    {"00111", u"Div UbbXML"},
    {"00110", u"G3Header G3Footer"},
    {"00000", u"SetUtf8Response PutWmlContentType"},
};

TEST(MemberMatrix, EachClassHasItsMembers) {
  for (size_t i = 0; i < std::size(kClasses); ++i) {
    ObjectPtr object = CreateByProgId(std::u16string(u"Zorvadel.") + kClasses[i]);
    for (const Row& row : kRows) {
      for (const std::u16string& member : Split(row.members)) {
        EXPECT_EQ(object->Class().Has(member), row.has[i] == '1')
            << codepage::ToUtf8(std::u16string(kClasses[i]) + u"." + member);
      }
    }
  }
}

}  // namespace
}  // namespace zorvadel
