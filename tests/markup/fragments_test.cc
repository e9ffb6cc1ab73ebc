// Cards, paragraphs, divisions, comments and the style-sheet members, by name
// and from C++, beyond what the page scripts fragment_wml and fragment_xhtml
// show; which class has which markup and output member; and the UBB
// converters: every rule in both dialects, letter case, codes that stay, and
// large or malformed texts.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "markup/style_sheets.h"
#include "markup/ubb.h"
#include "platform/codepage/codepage.h"
#include "support/page_fixture.h"
#include "support/recording_response.h"
#include "support/text_cases.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"
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

// A comment cannot end early, nor hold "--", which XML refuses in a
// comment; a companion the script set is used.
TEST(CommentMember, CannotEndEarly) {
  const Variant expected(u"<!--*(^O^)a- -&gt;b&lt;c(^O^)*-->");
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

// ---- The UBB converters ----------------------------------------------------------

using markup::ConvertUbb;
using markup::UbbDialect;

std::u16string Wml(std::u16string_view text) { return ConvertUbb(text, UbbDialect::kWml); }
std::u16string Xhtml(std::u16string_view text) { return ConvertUbb(text, UbbDialect::kXhtml); }

constexpr char16_t kLink[] = u"<a title=\"&#x786E;&#x5B9A;\" href=\"";

struct Case {
  const char16_t* input;
  std::u16string wml;
  std::u16string xhtml;
};

std::u16string L(std::u16string_view rest) { return kLink + std::u16string(rest); }

// Same result in both dialects.
Case Both(const char16_t* input, std::u16string out) { return {input, out, out}; }

const Case kCases[] = {
    // Links.
    Both(u"", u""),
    Both(u"[url=news.asp]News[/url]", L(u"news.asp\">News</a>")),
    Both(u"[URL=news.asp]News[/URL]", L(u"news.asp\">News</a>")),
    Both(u"[url=a]x[/url] [url=b]y[/url]", L(u"a\">x</a> ") + L(u"b\">y</a>")),
    Both(u"[url]http://m.cn/[/url]", L(u"http://m.cn/\">http://m.cn/</a>")),
    Both(u"[ia=i.gif]go.asp[/ia]", L(u"go.asp\"><img src=\"i.gif\" alt=\"\"/></a>")),
    // Inner codes after the first character of the link text: no link.
    Both(u"[url=a.asp][b]x[/b][/url]", u"[url=a.asp]<b>x</b>[/url]"),
    // "." takes no line feed.
    Both(u"[url=\na]x[/url]", u"[url=\na]x[/url]"),
    Both(u"[url=]x[/url]", u"[url=]x[/url]"),
    Both(u"[url=a]\nx[/url]", u"[url=a]\nx[/url]"),

    // Images.
    Both(u"[IMG]p.gif[/Img]", u"<img src=\"p.gif\" alt=\"\"/>"),
    Both(u"[img]a]b[/img]", u"[img]a]b[/img]"),
    Both(u"[img]\np.gif[/img]", u"[img]\np.gif[/img]"),
    // The class after the first character takes line feeds.
    Both(u"[img]a\nb[/img]", u"<img src=\"a\nb\" alt=\"\"/>"),
    Both(u"[upload=photo]up/a.jpg[/upload]",
         u"<a href=\"../up/a.jpg\"><img src=\"../up/a.jpg\" alt=\"photo\" width=\"150\"/></a>"),
    Both(u"[CODE][b]x[/b][/Code]", u"<b>x</b>"),

    // Dialects.
    Case{u"[BR/]", u"[BR/]", u"<br/>"},
    Case{u"[align=center]x[/align]", u"[align=center]x[/align]",
         u"<div align=\"center\">x</div>"},
    Case{u"[div=Left]x[/DIV]", u"[div=Left]x[/DIV]", u"<div align=\"Left\">x</div>"},
    Case{u"[div=top]", u"[div=top]", u"[div=top]"},
    Case{u"[p]", u"</p><p>", u"[p]"},
    Case{u"[p=wrap][P=NoWrap]", u"</p><p mode=\"wrap\"></p><p mode=\"nowrap\">",
         u"[p=wrap][P=NoWrap]"},
    Case{u"[p=center]Title[/p]", u"</p><p align=\"center\">Title</p><p>",
         u"<p style=\"text-align:center\">Title</p>"},
    Case{u"[p=left][p=right]", u"</p><p align=\"left\"></p><p align=\"right\">",
         u"<p style=\"text-align:left\"><p style=\"text-align:right\">"},
    Case{u"[/p=left][/p=center][/p=right]",
         u"</p><p align=\"left\"></p><p align=\"center\"></p><p align=\"right\">",
         u"[/p=left][/p=center][/p=right]"},
    Case{u"[/p=wrap][/P=NOWRAP]", u"</p><p mode=\"wrap\"></p><p mode=\"nowrap\">",
         u"[/p=wrap][/P=NOWRAP]"},
    Both(u"[unknown]x[/unknown]", u"[unknown]x[/unknown]"),
    // Each rule runs on its own: unbalanced codes convert all the same; the
    // image rule runs first, so the link text holds no "[" any more.
    Both(u"[b][i]x[/b]", u"<b><i>x</b>"),
    Both(u"[/u][U]", u"</u><u>"),
    Both(u"[url=a][img]p.gif[/img][/url]", L(u"a\"><img src=\"p.gif\" alt=\"\"/></a>")),

    // A code taken from a text must not add attributes of its own.
    Both(u"[url=x\" onclick=\"y]t[/url]", L(u"x&quot; onclick=&quot;y\">t</a>")),
    Both(u"[img]x\" onerror=\"y[/img]", u"<img src=\"x&quot; onerror=&quot;y\" alt=\"\"/>"),
    Both(u"[img=a]<b\"[/img]", u"<img src=\"a\" alt=\"&lt;b&quot;\"/>"),
    Both(u"[url]a\"b[/url]", L(u"a&quot;b\">a\"b</a>")),
};

TEST(UbbCases, BothDialects) {
  for (const Case& c : kCases) {
    EXPECT_EQ(Wml(c.input), c.wml) << "WML: " << codepage::ToUtf8(c.input);
    EXPECT_EQ(Xhtml(c.input), c.xhtml) << "XHTML: " << codepage::ToUtf8(c.input);
  }
}

// Each simple tag, opening and closing, every time it occurs: WML takes any
// letter case, XHTML the lower-case code and its upper-case twin only.
TEST(UbbTags, EveryTagInEveryCase) {
  for (const std::u16string tag : {u"b", u"i", u"u", u"strong", u"em", u"big", u"small", u"br",
                                   u"/b", u"/i", u"/u", u"/strong", u"/em", u"/big", u"/small"}) {
    const std::u16string code = u"[" + tag + u"]";
    const std::u16string markup = tag == u"br" ? u"<br/>" : u"<" + tag + u">";
    SCOPED_TRACE(codepage::ToUtf8(code));
    EXPECT_EQ(Wml(u"x" + code + u"y" + code), u"x" + markup + u"y" + markup);
    EXPECT_EQ(Xhtml(u"x" + code + u"y" + code), u"x" + markup + u"y" + markup);
    EXPECT_EQ(Wml(UCase(code)), markup);
    EXPECT_EQ(Xhtml(UCase(code)), markup);
    if (tag.size() - tag.starts_with(u'/') == 1) continue;
    std::u16string mixed = code;
    mixed[mixed.size() - 2] -= u'a' - u'A';  // the last letter upper-cased
    EXPECT_EQ(Wml(mixed), markup);
    EXPECT_EQ(Xhtml(mixed), mixed);
  }
}

// ---- Large and malformed texts --------------------------------------------------

std::u16string Filler(size_t size) {
  std::u16string text;
  text.reserve(size);
  while (text.size() < size) text += u"中文 text, no codes here. ";
  text.resize(size);
  return text;
}

// An unclosed link in a mebibyte, many unclosed codes, codes far beyond
// sixteen bits; compared with == alone, as a failure would diff long texts.
TEST(UbbLarge, LoseNothing) {
  const std::u16string link = u"[b]x[/b][url=" + Filler(size_t{1} << 20);
  EXPECT_TRUE(Wml(link) == u"<b>x</b>" + link.substr(8));
  EXPECT_TRUE(Xhtml(link) == u"<b>x</b>" + link.substr(8));
  const std::u16string unclosed = test::Repeat(u"[url=[img=[upload=[ia=", 12000);
  EXPECT_TRUE(Wml(unclosed) == unclosed);
  EXPECT_TRUE(Xhtml(unclosed) == unclosed);
  const std::u16string far = Filler(70000) + u"[url=a.asp]A[/url]" + Filler(70000) + u"[B]";
  EXPECT_TRUE(Xhtml(far) == Filler(70000) + L(u"a.asp\">A</a>") + Filler(70000) + u"<b>");
}

// ---- The classes and their forwarders -------------------------------------------

// Made once: CompanionTest of the class set.
TEST(UbbMembers, PageClassesForwardToTheirCompanion) {
  for (const char16_t* name : {u"WAP", u"EnWAP", u"XML", u"EnXML", u"PHPXML"}) {
    auto page = std::dynamic_pointer_cast<PageObject>(
        CreateByProgId(std::u16string(u"Zorvadel.") + name));
    const bool wml = page->family() == Family::kW;
    EXPECT_EQ(Invoke(*page, wml ? u"UbbWML" : u"UbbXML", {Variant(u"[url=n.asp]N[/url][p]")}),
              Variant(L(u"n.asp\">N</a>") + (wml ? u"</p><p>" : u"[p]")));
    EXPECT_TRUE(wml ? ObjectPtr(page->state().WW) : ObjectPtr(page->state().WX));
  }
}

}  // namespace
}  // namespace zorvadel
