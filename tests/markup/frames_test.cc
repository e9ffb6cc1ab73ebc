// The page frames for a phone, a simulator and a desktop browser, with the
// response settings each applies, the headers' injection guard, and the
// frames and element builders as xmllint takes them.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "markup/style_sheets.h"
#include "markup/xml_check.h"
#include "platform/codepage/codepage.h"
#include "support/member_calls.h"
#include "support/page_fixture.h"
#include "support/recording_response.h"
#include "zorvadel/runtime.h"

namespace zorvadel::frame_test {
namespace {

using test::kDesktopAgent;
using test::kPhoneAgent;
using test::kSimulatorAgent;

// A query string that holds two of the guard's default words ("+", "and").
constexpr const char* kInjectedUrl = "/list.asp?id=1+and+1=1";

constexpr std::u16string_view kWmlDoctype =
    u"<!DOCTYPE wml PUBLIC \"-//WAPFORUM//DTD WML 1.1//EN\" "
    u"\"http://www.wapforum.org/DTD/wml_1.1.xml\">";
constexpr std::u16string_view kWmlHead =
    u"<wml><head><meta http-equiv=\"Cache-Control\" content=\"max-age=300\" "
    u"forua=\"true\"/></head>";
constexpr std::u16string_view kMobileDoctypeAndRoot =
    u"<!DOCTYPE html PUBLIC \"-//WAPFORUM//DTD XHTML Mobile 1.0//EN\" "
    u"\"http://www.wapforum.org/DTD/xhtml-mobile10.dtd\">"
    u"<html xmlns=\"http://www.w3.org/1999/xhtml\"><head>";
constexpr std::u16string_view kMarginlessBody =
    u"</head><body leftmargin=\"0\" topmargin=\"0\" marginwidth=\"0\" marginheight=\"0\">";
constexpr std::u16string_view kMainBody = u"</head><body>\r\n<div class=\"mainbody\">";

// The warnings as the output filter writes them (the Chinese one as
// character references).
constexpr std::u16string_view kChineseWarning =
    u"&#x672C;&#x7AD9;&#x63D0;&#x793A;&#x60A8;&#x4E0D;&#x8981;&#x8FDB;&#x884C;&#x975E;&#x6CD5;"
    u"SQL&#x6CE8;&#x5165;&#xFF0C;&#x60A8;&#x7684;IP&#x5DF2;&#x88AB;&#x8BB0;&#x5F55;&#x3002;";
constexpr std::u16string_view kEnglishWarningLower =
    u"Our site prompt that you do not engage in illegal SQL injection, your IP has been recorded!";
constexpr std::u16string_view kEnglishWarning =
    u"Our Site prompt that you do not engage in illegal SQL injection, your IP has been recorded!";

// An object of class `class_name` ("WAP", "EnXML", ...) started on a page; the
// session keeps the engine's code page 936, so that a header's switch shows.
struct FramePage : test::TestPage {
  FramePage(std::u16string_view class_name, const char* agent, std::string url = "/index.asp",
            std::string host = "m.example.com")
      : TestPage(class_name, test::PageOptions()
                                 .WithAgent(agent)
                                 .WithUrl(std::move(url))
                                 .WithHost(std::move(host))
                                 .WithCodePage(0)) {}
};

std::string U8(std::u16string_view text) { return codepage::ToUtf8(text); }

// A page script's calls by name; a step with `let` assigns a property.
struct Step {
  const char16_t* member;
  std::vector<Variant> args = {};
  bool let = false;
};
using Script = std::vector<Step>;

void Play(PageObject& object, const Script& script) {
  for (const Step& step : script) {
    Invoke(object, step.member, step.args, step.let ? CallKind::kLet : CallKind::kMethodOrGet);
  }
}

constexpr char kWml[] = "text/vnd.wap.wml; Charset=utf-8";
constexpr char kHtml[] = "text/html; Charset=utf-8";
// The engine's type, with the charset of the code page it encodes; no
// charset, code page or expiry set.
constexpr char kUntouched[] = "text/html; Charset=GB2312";

struct FrameCase {
  std::string name;
  std::u16string class_name;
  const char* agent;
  Script script;
  std::u16string expected;
  const char* content_type;  // with a charset, also code page 65001 and Expires 0
};

std::u16string S(std::u16string_view text) { return std::u16string(text); }

const std::u16string kWapBanner = u"<!--These Codes by Zorvadel-WAP(Version:2.8.3)-->";
const std::u16string kEnWapBanner = u"<!--These Codes by Zorvadel-EnWAP(Version:2.8.3)-->";

std::u16string WmlPageStart(std::u16string_view title) {
  return u"<?xml version=\"1.0\" encoding=\"utf-8\"?>" + S(kWmlDoctype) + S(kWmlHead) +
         u"<card id=\"FirstCard\" title=\"" + S(title) + u"\"><p align=\"left\">";
}

std::u16string HtmlPage(std::u16string_view title, std::u16string_view sheet) {
  return u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
         u"<title>" +
         S(title) + u"</title>" + S(sheet) + S(kMarginlessBody);
}

std::u16string XmlHead(std::u16string_view title) {
  return u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n" + S(kMobileDoctypeAndRoot) +
         u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"/>\r\n<title>" +
         S(title) + u"</title>\r\n";
}

std::u16string WapXhtmlHead(std::u16string_view title) {
  return u"<?xml version=\"1.0\" encoding=\"utf-8\"?>" + S(kMobileDoctypeAndRoot) + u"<title>" +
         S(title) +
         u"</title><meta http-equiv=\"Content-Type\" content=\"text/html;charset=utf-8\"/>";
}

std::vector<FrameCase> Cases() {
  const std::u16string wml_end = u"</p></card></wml>";
  return {
      // WML: the whole deck is WML for every terminal; the content type not.
      {"EnWapDeckDesktop", u"EnWAP", kDesktopAgent,
       {{u"CardTitle", {u"新闻"}, true}, {u"PageHeader"}, {u"WriteOut", {u"x"}}, {u"PageFooter"}},
       WmlPageStart(u"&#x65B0;&#x95FB;") + u"x" + kEnWapBanner + wml_end, kHtml},
      {"DeckHeadArguments", u"WAP", kPhoneAgent,
       {{u"WapEnCoding", {u""}, true}, {u"CardTitle", {u"A & B"}, true},
        {u"PageHeader", {u"no-cache", false, u"<meta name=\"a\" content=\"&amp;\"/>"}}},
       u"<?xml version=\"1.0\" encoding=\"\"?>" + S(kWmlDoctype) +
           u"<wml><head><meta http-equiv=\"Cache-Control\" content=\"no-cache\" forua=\"false\"/>"
           u"<meta name=\"a\" content=\"&amp;\"/></head>"
           u"<card id=\"FirstCard\" title=\"A &amp; B\"><p align=\"left\">",
       kWml},
      // In pieces: the script brings the card; PutPageHeader alone and the
      // footers apply no setting.
      {"WapPiecesPhone", u"WAP", kPhoneAgent,
       {{u"PutFileType"}, {u"PutPageHeader"}, {u"WriteLine", {u"<card id=\"c\"><p>"}},
        {u"PutPageFooter"}},
       u"<?xml version=\"1.0\"?>" + S(kWmlDoctype) + S(kWmlHead) + u"<card id=\"c\"><p>" +
           kWapBanner + wml_end,
       kWml},
      {"HeadAndFootersAlone", u"WAP", kPhoneAgent,
       {{u"PutPageHeader"}, {u"PageFooter"}, {u"XhtmlFooter"}, {u"HtmlFooter"}},
       S(kWmlHead) + kWapBanner + wml_end + u"<!--These Codes by Zorvadel-WAP-Company-->" +
           u"</body></html></body></html>",
       kUntouched},
      {"WapPiecesDesktop", u"WAP", kDesktopAgent,
       {{u"CardTitle", {u"卡片"}, true}, {u"PutFileType", {u"utf-8"}}, {u"PutPageHeader"},
        {u"PutPageFooter"}},
       HtmlPage(u"&#x5361;&#x7247;", markup::WmlSheet(markup::LinkLook::kUnderlined)) +
           u"</body></html>",
       kHtml},
      {"AutoSimulator", u"EnWAP", kSimulatorAgent,
       {{u"CardTitle", {u"Card"}, true}, {u"AutoHeader", {u"site.css"}}, {u"AutoFooter"}},
       WmlPageStart(u"Card") + kEnWapBanner + wml_end, kWml},
      // The HTML frame, on a phone too, keeps a set SiteTitle and names
      // gb2312 in its meta.
      {"HtmlSiteTitle", u"WAP", kPhoneAgent,
       {{u"SiteTitle", {u"Site"}, true}, {u"HtmlHeader", {u"A.Css"}}, {u"HtmlFooter"}},
       HtmlPage(u"Site", u"<link href=\"A.Css\" rel=\"stylesheet\" type=\"text/css\">") +
           u"</body></html>",
       kHtml},
      // XHTML Mobile Profile of the XML family (the built-in sheet, a background
      // sound and more head markup: frame_xml_phone).
      {"EnXmlXhtmlLink", u"EnXML", kDesktopAgent,
       {{u"SiteTitle", {u"站点 <1>"}, true}, {u"XhtmlHeader", {u"Site.CSS"}}, {u"XhtmlFooter"}},
       XmlHead(u"&#x7AD9;&#x70B9; &lt;1&gt;") +
           u"<link href=\"Site.CSS\" rel=\"stylesheet\" type=\"text/css\"/>\r\n" + S(kMainBody) +
           u"<!--These Codes by Zorvadel-EnXML(Version:2.8.3)--></div></body></html>",
       kHtml},
      // XHTML Mobile Profile of the WML classes: titled CardTitle.
      {"WapXhtml", u"WAP", kPhoneAgent,
       {{u"SiteTitle", {u"not this"}, true}, {u"CardTitle", {u"卡片"}, true}, {u"XhtmlHeader"},
        {u"XhtmlFooter"}},
       WapXhtmlHead(u"&#x5361;&#x7247;") + markup::WmlSheet(markup::LinkLook::kPlain) +
           S(kMarginlessBody) + u"<!--These Codes by Zorvadel-WAP-Company--></body></html>",
       kHtml},
  };
}

TEST(FrameOutput, WritesItsFrameWithItsSettings) {
  for (const FrameCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    FramePage page(c.class_name, c.agent);
    Play(*page.object, c.script);
    EXPECT_EQ(U8(page.Body()), U8(c.expected));
    EXPECT_EQ(page.Header("Content-Type").value_or("(none)"), c.content_type);
    const bool utf8 = std::string(c.content_type).ends_with("utf-8");
    EXPECT_EQ(page.page.session().CodePage(), utf8 ? 65001u : 936u);
    EXPECT_EQ(page.Header("Expires").value_or("(none)"), utf8 ? "0" : "(none)");
  }
}

// ---- Details ------------------------------------------------------------------------

TEST(FrameDetails, StyleSheetNameTest) {
  struct Case {
    std::u16string name;
    bool linked;
  } cases[] = {{u"a.css", true}, {u"A.CSS", true}, {u".css", true}, {u"", false},
               {u"css", false},  {u"a.css ", false}};
  for (const Case& c : cases) {
    FramePage page(u"WAP", kPhoneAgent);
    page.object->HtmlHeader(c.name);
    EXPECT_EQ(page.Body().find(u"<link href=") != std::u16string::npos, c.linked) << U8(c.name);
    EXPECT_EQ(page.Body().find(u"<style") != std::u16string::npos, !c.linked) << U8(c.name);
  }
}

TEST(FrameDetails, PhpXmlReturnsItsFrame) {
  FramePage page(u"PHPXML", kPhoneAgent);
  page.state().SiteTitle = u"a<b 新";
  std::u16string head = page.Call(u"XhtmlHeader").string();
  EXPECT_EQ(U8(head),
            U8(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + S(kMobileDoctypeAndRoot) +
               u"<title>a<b &#x65B0;</title>"
               u"<meta http-equiv=\"Content-Type\" content=\"text/html;charset=UTF-8\"/>" +
               markup::PhpSheet() + S(kMarginlessBody)));
  EXPECT_EQ(U8(page.Call(u"XhtmlFooter").string()),
            "<!--These Codes by Zorvadel-PHP(Version:2.8.3)--></body></html>");
  EXPECT_EQ(page.Body(), u"");
}

// Frames, sheets, ready pages and the builders that write at once (BackA,
// BackFooter) by name on an object that no page started.
TEST(FrameDetails, WithoutPageContextNothingRaises) {
  for (std::u16string_view name : {u"WAP", u"EnWAP", u"XML", u"EnXML", u"PHPXML"}) {
    ObjectPtr object = CreateByProgId(u"Zorvadel." + std::u16string(name));
    for (const char16_t* member :
         {u"PutFileType", u"PageHeader", u"PutPageHeader", u"AutoHeader", u"XhtmlHeader",
          u"G3Header", u"HtmlHeader", u"PageFooter", u"AutoFooter", u"XhtmlFooter",
          u"HtmlStyleCss", u"XhtmlStyleCss", u"WeekQuery", u"CallPhone", u"GoUrl",
          u"DownPicList", u"BackA", u"BackFooter"}) {
      if (!object->Class().Has(member)) continue;
      EXPECT_EQ(test::CallError(*object, member, {}), 0) << U8(name) << "." << U8(member);
    }
    if (object->Class().Has(u"GoUrl")) {
      EXPECT_EQ(test::CallError(*object, u"GoUrl", {true}), 0);
    }
  }
  auto php = std::dynamic_pointer_cast<PageObject>(CreateByProgId(u"Zorvadel.PHPXML"));
  EXPECT_FALSE(php->XhtmlHeaderText(u"a.css").empty());
}

// ---- The injection guard --------------------------------------------------------
// On a hit the whole head, then the warning that closes the page, then one end of
// the response, so the warning is the last thing the client gets; the headers
// without a guard ignore the words.

struct GuardCase {
  std::string name;
  std::u16string class_name;
  const char* agent;
  Script header;
  std::u16string head;     // what comes before the warning
  std::u16string warning;  // filtered, with its closing tags
};

std::vector<GuardCase> GuardCases() {
  const std::u16string underlined = markup::WmlSheet(markup::LinkLook::kUnderlined);
  const std::u16string wml_end = u"</p></card></wml>";
  const std::u16string xml_head = XmlHead(u"T") + markup::CompanionSheet() + S(kMainBody);
  const std::u16string first_card =
      u"<card id=\"FirstCard\" title=\"T\" newcontext=\"false\" ><p align=\"left\"  mode=\"wrap\">";
  return {
      {"WapPageHeader", u"WAP", kPhoneAgent, {{u"PageHeader"}},
       WmlPageStart(u"T"), S(kChineseWarning) + wml_end},
      {"EnWapPageHeader", u"EnWAP", kDesktopAgent, {{u"PageHeader"}},
       WmlPageStart(u"T"), S(kEnglishWarning) + wml_end},
      // PutPageHeader opens the first card only to carry the warning.
      {"WapPutPageHeader", u"WAP", kPhoneAgent, {{u"PutPageHeader"}},
       S(kWmlHead) + first_card, S(kChineseWarning) + wml_end},
      {"EnWapPutPageHeader", u"EnWAP", kSimulatorAgent, {{u"PutPageHeader"}},
       S(kWmlHead) + first_card, S(kEnglishWarningLower) + wml_end},
      {"WapPutPageHeaderDesktop", u"WAP", kDesktopAgent, {{u"PutPageHeader"}},
       HtmlPage(u"T", underlined), S(kChineseWarning) + u"</body></html>"},
      // HtmlHeader in English: frame_guard_web.
      // XhtmlHeader warns in Chinese in both XHTML classes, G3Header in the
      // class's language.
      {"EnXmlXhtmlHeader", u"EnXML", kPhoneAgent, {{u"XhtmlHeader"}},
       xml_head, S(kChineseWarning) + u"</div></body></html>"},
      {"XmlG3Header", u"XML", kDesktopAgent,
       {{u"G3Header", {u"", u"", u"<!--x-->"}}}, u"",
       S(kChineseWarning) + u"</div></body></html>"},
      {"EnXmlG3Header", u"EnXML", kSimulatorAgent, {{u"G3Header"}}, u"",
       S(kEnglishWarning) + u"</div></body></html>"},
  };
}

TEST(GuardHit, WarnsThenEndsOnce) {
  for (const GuardCase& c : GuardCases()) {
    SCOPED_TRACE(c.name);
    FramePage page(c.class_name, c.agent, kInjectedUrl);
    auto response = std::make_shared<RecordingResponse>();
    page.state().Response = response;
    page.state().CardTitle = page.state().SiteTitle = u"T";
    Play(*page.object, c.header);
    const std::vector<std::u16string>& log = response->log;
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(U8(log[log.size() - 2]), U8(c.warning));
    EXPECT_EQ(std::count(log.begin(), log.end(), u"END"), 1);
    EXPECT_EQ(U8(log.back()), "END");
    const std::u16string all = response->All();
    EXPECT_TRUE(c.head.empty() ? all.ends_with(S(kMainBody.substr(6)) + c.warning)
                               : all == c.head + c.warning) << U8(all);
  }
}

// XHTML Mobile Profile of the WML classes has no guard (nor has PHPXML:
// frame_phpxml); the others search the script's own list, and the host.
TEST(GuardMiss, WhoSearchesWhat) {
  FramePage wap(u"WAP", kPhoneAgent, kInjectedUrl);
  wap.object->XhtmlHeader();
  EXPECT_FALSE(wap.page.response().Ended());
  FramePage own(u"XML", kPhoneAgent, "/a.asp?q=Drop");
  own.state().SQLInjData = u"drop";  // the query string is lower-cased first
  own.object->XhtmlHeader();
  EXPECT_TRUE(own.page.response().Ended());
  FramePage host(u"EnWAP", kPhoneAgent, "/index.asp", "pyramid.example.com");  // holds "mid"
  host.object->HtmlHeader();
  EXPECT_TRUE(host.page.response().Ended());
}

// ---- Well-formed documents -----------------------------------------------------
// Every frame of an XML dialect gives, header and footer together, a
// well-formed document (XHTML 1.0 Strict also valid against its DTD), and so
// does a WAP page using every element builder once; xmllint checks them. The
// plain WML deck and XHTML pages of the XML classes and PHPXML are the
// pagers' whole documents.

using xml_check::HaveXmllint;
using xml_check::Lint;

constexpr const char* kStrictDtd =
    "/usr/share/xml/w3c-sgml-lib/schema/dtd/REC-xhtml1-20020801/xhtml1-strict.dtd";

// A page script: runs the frame on the object and gives the document's
// bytes (the response body, or what PHPXML returned).
using Document = std::function<std::string(FramePage&)>;

struct XmlCase {
  std::string name;
  std::u16string class_name;
  const char* agent;
  const char* url;
  Document script;
  bool strict;  // also valid against the XHTML 1.0 Strict DTD
};

std::vector<XmlCase> XmlCases() {
  auto deck = [](FramePage& p) {
    p.state().CardTitle = u"新闻 & 更多";
    p.object->PageHeader();
    p.object->WriteRow(u"第一 & 二");
    p.object->PageFooter();
    return p.page.Body();
  };
  auto pieces = [](FramePage& p) {
    p.object->PutFileType(u"utf-8");
    p.object->PutPageHeader(u"no-cache", false, u"<meta name=\"k\" content=\"v\"/>");
    p.object->WriteLine(p.object->Card(u"c1", u"卡片", u"center", u"nowrap", true, true, u"",
                                       u"", u""));
    p.object->WriteOut(u"正文");
    p.object->PutPageFooter();
    return p.page.Body();
  };
  auto xhtml = [](const std::u16string& css) {
    return [css](FramePage& p) {
      p.state().SiteTitle = u"站点 \"A\" & <B>";
      p.object->XhtmlHeader(css);
      p.object->WriteLine(u"<p>text</p>");
      p.object->XhtmlFooter();
      return p.page.Body();
    };
  };
  auto strict = [](const std::u16string& css, const std::u16string& other) {
    return [css, other](FramePage& p) {
      p.state().SiteTitle = u"标题 'x' & y";
      p.object->G3Header(css, u"", other);
      p.object->WriteLine(u"<p>text</p>");
      p.object->G3Footer();
      return p.page.Body();
    };
  };
  auto php = [](const std::u16string& css) {
    return [css](FramePage& p) {
      p.state().SiteTitle = u"页面 & 1";
      return U8(p.object->XhtmlHeaderText(css) + u"<p>text</p>" + p.object->XhtmlFooterText());
    };
  };
  const char* plain = "/index.asp";
  return {
      {"WapDeckGuardHit", u"WAP", kPhoneAgent, kInjectedUrl, deck, false},
      {"WapPiecesPhone", u"WAP", kPhoneAgent, plain, pieces, false},
      {"XmlXhtmlGuardHit", u"XML", kSimulatorAgent, kInjectedUrl, xhtml(u""), false},
      {"XmlStrictBuiltIn", u"XML", kPhoneAgent, plain, strict(u"", u""), true},
      {"EnXmlStrictGuardHit", u"EnXML", kSimulatorAgent, kInjectedUrl,
       strict(u"a.css", u"<meta name=\"k\" content=\"v\"/>"), true},
      {"WapXhtmlBuiltIn", u"WAP", kPhoneAgent, plain, xhtml(u""), false},
      {"EnWapXhtmlLink", u"EnWAP", kDesktopAgent, kInjectedUrl, xhtml(u"m.css"), false},
      {"PhpXhtmlLink", u"PHPXML", kDesktopAgent, plain, php(u"p.css"), false},
  };
}

TEST(FrameXml, IsWellFormed) {
  if (!HaveXmllint()) GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  for (const XmlCase& c : XmlCases()) {
    SCOPED_TRACE(c.name);
    FramePage page(c.class_name, c.agent, c.url);
    const std::string document = c.script(page);
    ASSERT_FALSE(document.empty());
    EXPECT_EQ(Lint(document, c.strict ? std::string("--dtdvalid ") + kStrictDtd : ""), 0)
        << document;
  }
}

// The checker itself rejects what it should: a link without its "/" (as the
// XHTML headers of the WML classes once wrote it) is not XML, and a
// background sound, markup of its own browsers, is not XHTML 1.0 Strict.
TEST(FrameXmlChecker, RejectsWhatItShould) {
  if (!HaveXmllint()) GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  FramePage page(u"XML", kPhoneAgent);
  page.object->G3Header(u"m.css", u"bg.mid", u"");
  page.object->G3Footer();
  std::string document = page.page.Body();
  EXPECT_EQ(Lint(document), 0);
  EXPECT_NE(Lint(document, std::string("--dtdvalid ") + kStrictDtd, true), 0);
  const std::string closed = "type=\"text/css\"/>";
  const size_t at = document.find(closed);
  ASSERT_NE(at, std::string::npos);
  document.replace(at, closed.size(), "type=\"text/css\">");
  EXPECT_NE(Lint(document, "", true), 0);
}

// ---- A WAP page with every element builder ----------------------------------

// Every link, task, form and table member of WAP, and FontStyle, by name
// between PageHeader and PageFooter on a phone. What a builder opens (a do, a
// select, a table) is closed as a script closes it: by the builder made for
// it, or by the script's own "</do>" after IncTaskDo.
enum class Kind { kWrite, kWritesItself, kScriptText /* the member is the text */ };

struct PageStep {
  std::u16string member;
  std::vector<Variant> args;
  Kind kind = Kind::kWrite;
};

Variant V(const char16_t* text) { return Variant(text); }

// Chinese texts, a bare "&" in texts (the filter's job) and "&amp;" in
// addresses (written as given).
std::vector<PageStep> EveryBuilder() {
  const Variant kNo(false);
  return {
      // Links, phone links and pictures.
      {u"A", {V(u"新闻 & 更多"), V(u"list.asp?id=1&amp;page=2"), V(u"下一页")}},
      {u"Anchor", {V(u"确定"), V(u"show.asp?id=7"), V(u"阅读全文"), V(u"")}},
      {u"AnchorGo",
       {V(u"提交"), V(u"post.asp"), V(u"Send_A Send_B"), V(u"A B"), V(u" "), V(u"post")}},
      {u"PhoneA", {V(u"呼出"), V(u"13800138000"), V(u"呼叫客服")}},
      {u"PhoneDo", {V(u"13800138000"), V(u"呼出")}},
      {u"Phone", {V(u"呼出"), V(u"13800138000"), V(u"呼叫客服")}},
      {u"BackA", {V(u"返回上页")}, Kind::kWritesItself},
      {u"ImgType", {}},
      {u"Img", {V(u"pic/logo.gif"), V(u"站标"), V(u"")}},
      {u"Image", {V(u"pic/logo"), V(u"站标"), V(u"")}},
      {u"IA", {V(u"pic/logo.gif"), V(u"index.asp"), V(u"首页")}},
      {u"ImgA", {V(u"pic/new.gif"), V(u"news.asp"), V(u"新闻")}},
      {u"ImageA", {V(u"pic/new"), V(u"news.asp"), V(u"新闻")}},
      {u"ImgAImg", {V(u"pic/l.gif"), V(u"news.asp"), V(u"新闻"), V(u"pic/r.gif")}},
      // Tasks, events and variables.
      {u"IncTaskDo", {V(u"ACCEPT"), V(u"转到"), V(u"go1"), kNo}},
      {u"IncTaskGo", {V(u"next.asp?a=1&amp;b=2"), V(u"UTF-8"), V(u"post"), V(u"")}},
      {u"</do>", {}, Kind::kScriptText},
      {u"DoPrev", {V(u"prev"), V(u"后退"), V(u""), kNo}},
      {u"DoNoop", {V(u"options"), V(u"无操作"), V(u"noop1"), Variant(true)}},
      {u"DoGo", {V(u"next.asp"), V(u"accept"), V(u"转到"), V(u""), kNo, V(u"")}},
      {u"EventGo", {V(u"next.asp"), V(u"onenterforward"), V(u"")}},
      {u"EventPrev", {V(u"onenterbackward")}},
      {u"EventNoop", {V(u"ontimer")}},
      {u"IncEvent", {V(u"onpick"), V(u"<noop/>")}},
      {u"DoSetVar",
       {V(u"a b"), V(u"1 2"), V(u" "), V(u"accept"), V(u"设置"), V(u""), V(u"false")}},
      {u"EventSetVar", {V(u"onenterforward"), V(u"a b"), V(u"1 2"), V(u" ")}},
      {u"Fresh", {V(u"<setvar name=\"c\" value=\"3\"/>")}},
      {u"IncSetVar", {V(u"d e"), V(u"4 5"), V(u" ")}},
      {u"TemplateBack", {V(u"prev"), V(u"previous"), V(u"返回")}},
      {u"BackFooter", {V(u"unknow"), V(u"回首页"), V(u"index.asp")}, Kind::kWritesItself},
      // Form fields and a posting task.
      {u"TextIn", {V(u"姓名"), V(u"TEXT"), V(u"Name"), V(u""), V(u"姓名"), V(u"maxlength=\"20\"")}},
      {u"PostSet", {V(u"accept"), V(u"提交"), V(u"post.asp"), V(u"utf-8"), V(u"post")}},
      {u"TextPost", {V(u"Name"), V(u"Name")}},
      {u"PostField", {V(u"Age City"), V(u"Age City"), V(u" ")}},
      {u"TextMorePost", {V(u"Note"), V(u"Note"), V(u" ")}},
      {u"Selects", {V(u"城市"), V(u"City"), V(u"bj"), V(u""), V(u""), kNo, V(u"")}},
      {u"Options", {V(u"北京 上海"), V(u"bj sh"), V(u""), V(u" "), V(u""), kNo}},
      // A table and styled text.
      {u"Table", {Variant(int16_t{2}), V(u"lc"), V(u"价格表")}},
      {u"IncRow", {V(u"名称 价格"), V(u" ")}},
      {u"Row", {V(u"苹果 5元"), V(u" "), kNo}},
      {u"RowOne", {V(u"梨 4元"), V(u" ")}},
      {u"FontStyle", {V(u"重要 & 醒目"), V(u"b i u"), V(u" ")}},
  };
}

// The page's body after PageHeader, the script and PageFooter.
std::string RunPage(FramePage& page) {
  page.state().CardTitle = u"全部 & 元素";
  page.Call(u"PageHeader");
  Response& response = *page.page.context().GetResponse();
  for (const PageStep& step : EveryBuilder()) {
    if (step.kind == Kind::kScriptText) {
      response.Write(step.member);
      continue;
    }
    const Variant result = page.Call(step.member, step.args);
    if (step.kind == Kind::kWrite) response.Write(CStr(result));
  }
  page.Call(u"PageFooter");
  return page.page.Body();
}

TEST(WmlPage, EveryBuilderOnceIsWellFormed) {
  if (!HaveXmllint()) GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  FramePage page(u"WAP", kPhoneAgent);
  const std::string body = RunPage(page);
  ASSERT_NE(body.find("</card></wml>"), std::string::npos) << body;
  EXPECT_EQ(Lint(body), 0) << body;
}

}  // namespace
}  // namespace zorvadel::frame_test
