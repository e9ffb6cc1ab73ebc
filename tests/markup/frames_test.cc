// The page frames: what each header and footer writes for a phone, a
// simulator and a desktop browser, in both languages, the response settings
// each header applies, and the headers' injection guard.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "markup/style_sheets.h"
#include "markup/frame_test_util.h"
#include "support/recording_response.h"

namespace zorvadel::frame_test {
namespace {

using Script = std::function<void(PageObject&)>;

struct FrameCase {
  std::string name;
  std::u16string class_name;
  const char* agent;
  Script script;
  std::u16string expected;
};

void PrintTo(const FrameCase& c, std::ostream* os) { *os << c.name; }

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

std::u16string StrictHead(std::u16string_view title) {
  return u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
         u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"DTD/xhtml1-strict.dtd\">"
         u"\r\n<html xmlns=\"http://www.w3.org/1999/xhtml\"><head>"
         u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"/>\r\n"
         u"<meta name=\"viewport\" content=\"width=device-width; initial-scale=1.4; "
         u"minimum-scale=1.0; maximum-scale=2.0\"/>\r\n"
         u"<meta name=\"MobileOptimized\" content=\"240\"/>\r\n<title>" +
         S(title) + u"</title>\r\n";
}

std::u16string WapXhtmlHead(std::u16string_view title) {
  return u"<?xml version=\"1.0\" encoding=\"utf-8\"?>" + S(kMobileDoctypeAndRoot) + u"<title>" +
         S(title) +
         u"</title><meta http-equiv=\"Content-Type\" content=\"text/html;charset=utf-8\"/>";
}

const std::u16string kWapXhtmlFooter = u"<!--These Codes by Zorvadel-WAP-Company--></body></html>";

std::vector<FrameCase> Cases() {
  const std::u16string plain_sheet = markup::WmlSheet(markup::LinkLook::kPlain);
  const std::u16string underlined_sheet = markup::WmlSheet(markup::LinkLook::kUnderlined);
  const std::u16string companion_sheet = markup::CompanionSheet();
  auto whole_deck = [](PageObject& o) {
    o.state().CardTitle = u"新闻";
    o.PageHeader();
    o.WriteOut(u"x");
    o.PageFooter();
  };
  auto pieces = [](PageObject& o) {
    o.PutFileType();
    o.PutPageHeader();
    o.WriteLine(u"<card id=\"c\"><p>");
    o.PutPageFooter();
  };
  auto auto_frame = [](PageObject& o) {
    o.state().CardTitle = u"Card";
    o.AutoHeader(u"site.css");
    o.AutoFooter();
  };
  auto xhtml_frame = [](PageObject& o) {
    o.state().SiteTitle = u"站点 <1>";
    o.XhtmlHeader();
    o.XhtmlFooter();
  };
  return {
      // WML: the whole deck is WML for every terminal.
      {"EnWapDeckDesktop", u"EnWAP", kDesktopAgent, whole_deck,
       WmlPageStart(u"&#x65B0;&#x95FB;") + u"x" + kEnWapBanner + u"</p></card></wml>"},
      {"DeckHeadArguments", u"WAP", kPhoneAgent,
       [](PageObject& o) {
         o.state().WapEnCoding = u"";
         o.state().CardTitle = u"A & B";
         o.PageHeader(u"no-cache", false, u"<meta name=\"a\" content=\"&amp;\"/>");
       },
       u"<?xml version=\"1.0\" encoding=\"\"?>" + S(kWmlDoctype) +
           u"<wml><head><meta http-equiv=\"Cache-Control\" content=\"no-cache\" forua=\"false\"/>"
           u"<meta name=\"a\" content=\"&amp;\"/></head>"
           u"<card id=\"FirstCard\" title=\"A &amp; B\"><p align=\"left\">"},
      // In pieces: the script brings the card.
      {"WapPiecesPhone", u"WAP", kPhoneAgent, pieces,
       u"<?xml version=\"1.0\"?>" + S(kWmlDoctype) + S(kWmlHead) + u"<card id=\"c\"><p>" +
           kWapBanner + u"</p></card></wml>"},
      {"WapPiecesDesktop", u"WAP", kDesktopAgent,
       [](PageObject& o) {
         o.state().CardTitle = u"卡片";
         o.PutFileType(u"utf-8");
         o.PutPageHeader();
         o.PutPageFooter();
       },
       HtmlPage(u"&#x5361;&#x7247;", underlined_sheet) + u"</body></html>"},
      // Terminal-switching frames.
      {"AutoSimulator", u"EnWAP", kSimulatorAgent, auto_frame,
       WmlPageStart(u"Card") + kEnWapBanner + u"</p></card></wml>"},
      // The HTML frame keeps a set SiteTitle and names gb2312 in its meta.
      {"HtmlSiteTitle", u"WAP", kPhoneAgent,
       [](PageObject& o) {
         o.state().SiteTitle = u"Site";
         o.HtmlHeader(u"A.Css");
         o.HtmlFooter();
       },
       HtmlPage(u"Site", u"<link href=\"A.Css\" rel=\"stylesheet\" type=\"text/css\">") +
           u"</body></html>"},
      // XHTML Mobile Profile of the XML family.
      {"EnXmlXhtmlDesktop", u"EnXML", kDesktopAgent, xhtml_frame,
       XmlHead(u"&#x7AD9;&#x70B9; &lt;1&gt;") + companion_sheet + S(kMainBody) +
           u"<!--These Codes by Zorvadel-EnXML(Version:2.8.3)--></div></body></html>"},
      {"XmlXhtmlEverything", u"XML", kSimulatorAgent,
       [](PageObject& o) {
         o.XhtmlHeader(u"Site.CSS", u"bg.mid", u"<meta name=\"k\" content=\"v\"/>");
       },
       XmlHead(u"") + u"<link href=\"Site.CSS\" rel=\"stylesheet\" type=\"text/css\"/>\r\n" +
           u"<bgsound src=\"bg.mid\" loop=\"infinite\"/>\r\n<meta name=\"k\" content=\"v\"/>" +
           S(kMainBody)},
      // XHTML 1.0 Strict.
      {"XmlStrict", u"XML", kPhoneAgent,
       [](PageObject& o) {
         o.state().SiteTitle = u"标题";
         o.G3Header();
         o.G3Footer();
       },
       StrictHead(u"&#x6807;&#x9898;") + companion_sheet + S(kMainBody) +
           u"<!--These Codes by Zorvadel-XML(Version:2.8.3)--></div></body></html>"},
      // XHTML Mobile Profile of the WML classes: titled CardTitle, the link
      // closed with "/".
      {"WapXhtml", u"WAP", kPhoneAgent,
       [](PageObject& o) {
         o.state().SiteTitle = u"not this";
         o.state().CardTitle = u"卡片";
         o.XhtmlHeader();
         o.XhtmlFooter();
       },
       WapXhtmlHead(u"&#x5361;&#x7247;") + plain_sheet + S(kMarginlessBody) + kWapXhtmlFooter},
  };
}

class FrameOutput : public testing::TestWithParam<FrameCase> {};

TEST_P(FrameOutput, WritesItsFrame) {
  const FrameCase& c = GetParam();
  FramePage page(c.class_name, c.agent);
  c.script(*page.object);
  EXPECT_EQ(U8(page.Body()), U8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Frames, FrameOutput, testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

// ---- Response settings ------------------------------------------------------------

struct SettingsCase {
  std::string name;
  std::u16string class_name;
  const char* agent;
  Script script;
  std::string content_type;  // the engine's "text/html" when left alone
  bool utf8;                 // charset utf-8, code page 65001, expires 0
};

void PrintTo(const SettingsCase& c, std::ostream* os) { *os << c.name; }

std::vector<SettingsCase> SettingsCases() {
  auto page_header = [](PageObject& o) { o.PageHeader(); };
  auto file_type = [](PageObject& o) { o.PutFileType(); };
  auto put_header = [](PageObject& o) { o.PutPageHeader(); };
  auto auto_header = [](PageObject& o) { o.AutoHeader(); };
  const std::string wml = "text/vnd.wap.wml; Charset=utf-8";
  const std::string html = "text/html; Charset=utf-8";
  return {
      {"PageHeaderPhone", u"WAP", kPhoneAgent, page_header, wml, true},
      {"PageHeaderSimulator", u"EnWAP", kSimulatorAgent, page_header, wml, true},
      {"PageHeaderDesktop", u"WAP", kDesktopAgent, page_header, html, true},
      {"FileTypePhone", u"EnWAP", kPhoneAgent, file_type, wml, true},
      {"FileTypeDesktop", u"WAP", kDesktopAgent, file_type, "text/html", false},
      {"PutPageHeaderPhone", u"WAP", kPhoneAgent, put_header, "text/html", false},
      {"PutPageHeaderDesktop", u"EnWAP", kDesktopAgent, put_header, html, true},
      {"AutoHeaderSimulator", u"WAP", kSimulatorAgent, auto_header, wml, true},
      {"AutoHeaderDesktop", u"EnWAP", kDesktopAgent, auto_header, html, true},
      {"WapXhtmlHeader", u"WAP", kPhoneAgent, [](PageObject& o) { o.XhtmlHeader(); }, html, true},
      {"HtmlHeader", u"EnWAP", kPhoneAgent, [](PageObject& o) { o.HtmlHeader(); }, html, true},
      {"XmlXhtmlHeader", u"XML", kPhoneAgent, [](PageObject& o) { o.XhtmlHeader(); }, html, true},
      {"EnXmlG3Header", u"EnXML", kDesktopAgent, [](PageObject& o) { o.G3Header(); }, html, true},
      {"PhpXhtmlHeader", u"PHPXML", kPhoneAgent,
       [](PageObject& o) { o.XhtmlHeaderText(); }, html, true},
      {"Footers", u"WAP", kPhoneAgent,
       [](PageObject& o) {
         o.PageFooter();
         o.XhtmlFooter();
         o.HtmlFooter();
       },
       "text/html", false},
  };
}

class FrameSettings : public testing::TestWithParam<SettingsCase> {};

TEST_P(FrameSettings, AppliesItsResponseSettings) {
  const SettingsCase& c = GetParam();
  FramePage page(c.class_name, c.agent);
  c.script(*page.object);
  EXPECT_EQ(page.Header("Content-Type").value_or("(none)"), c.content_type);
  EXPECT_EQ(page.page.session().CodePage(), c.utf8 ? 65001u : 936u);
  if (c.utf8) {
    EXPECT_EQ(page.Header("Expires").value_or("(none)"), "0");
  } else {
    EXPECT_FALSE(page.Header("Expires").has_value());
  }
}

INSTANTIATE_TEST_SUITE_P(Frames, FrameSettings, testing::ValuesIn(SettingsCases()),
                         [](const auto& info) { return info.param.name; });

// ---- Details ------------------------------------------------------------------------

TEST(FrameDetails, HtmlHeaderFillsSiteTitleFromCardTitle) {
  FramePage page(u"EnWAP", kDesktopAgent);
  page.state().CardTitle = u"Card <b>";
  page.object->HtmlHeader();
  EXPECT_EQ(U8(page.state().SiteTitle), "Card <b>");
  EXPECT_NE(page.Body().find(u"<title>Card &lt;b&gt;</title>"), std::u16string::npos);

  FramePage empty(u"WAP", kDesktopAgent);
  empty.state().CardTitle = u"";
  empty.object->HtmlHeader();
  EXPECT_NE(empty.Body().find(u"<title></title>"), std::u16string::npos);
}

TEST(FrameDetails, StyleSheetNameTest) {
  struct Case {
    std::u16string name;
    bool linked;
  } cases[] = {{u"a.css", true}, {u"A.CSS", true}, {u".css", true}, {u"", false},
               {u"css", false},  {u"a.css ", false}, {u"style.cs", false}};
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

TEST(FrameDetails, ByNameDefaults) {
  FramePage page(u"EnWAP", kPhoneAgent);
  page.Call(u"pageheader", {Variant::Missing(), Variant(false)});
  EXPECT_NE(page.Body().find(u"content=\"max-age=300\" forua=\"false\"/></head><card"),
            std::u16string::npos);

  FramePage xml(u"XML", kPhoneAgent);
  xml.Call(u"G3Header", {Variant(u"x.css"), Variant::Missing(), Variant(u"<!--m-->")});
  EXPECT_TRUE(xml.Body().ends_with(
      u"type=\"text/css\"/>\r\n<!--m-->" + S(kMainBody)));
}

// Frames, sheets and ready pages of an object that no page started.
TEST(FrameDetails, WithoutPageContextNothingRaises) {
  for (std::u16string_view name : {u"WAP", u"EnWAP", u"XML", u"EnXML", u"PHPXML"}) {
    auto object = std::dynamic_pointer_cast<PageObject>(
        CreateByProgId(u"Zorvadel." + std::u16string(name)));
    ASSERT_NE(object, nullptr);
    object->PutFileType();
    object->PageHeader();
    object->PutPageHeader();
    object->AutoHeader();
    object->XhtmlHeader(u"a.css", u"s", u"o");
    object->G3Header();
    object->HtmlHeader();
    object->PageFooter();
    object->AutoFooter();
    object->XhtmlFooter();
    object->HtmlStyleCss();
    object->XhtmlStyleCss();
    object->WeekQuery();
    object->CallPhone();
    object->GoUrl(true);
    EXPECT_EQ(object->DownPicList(u"a.gif", u"a.zip", u"A"), u"");
    EXPECT_FALSE(object->XhtmlHeaderText().empty());
  }
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

void PrintTo(const GuardCase& c, std::ostream* os) { *os << c.name; }

std::vector<GuardCase> GuardCases() {
  const std::u16string underlined = markup::WmlSheet(markup::LinkLook::kUnderlined);
  const std::u16string wml_end = u"</p></card></wml>";
  const std::u16string xml_head = XmlHead(u"T") + markup::CompanionSheet() + S(kMainBody);
  const std::u16string first_card =
      u"<card id=\"FirstCard\" title=\"T\" newcontext=\"false\" ><p align=\"left\"  mode=\"wrap\">";
  return {
      {"WapPageHeader", u"WAP", kPhoneAgent, [](PageObject& o) { o.PageHeader(); },
       WmlPageStart(u"T"), S(kChineseWarning) + wml_end},
      {"EnWapPageHeader", u"EnWAP", kDesktopAgent, [](PageObject& o) { o.PageHeader(); },
       WmlPageStart(u"T"), S(kEnglishWarning) + wml_end},
      {"WapAutoHeaderSimulator", u"WAP", kSimulatorAgent,
       [](PageObject& o) { o.AutoHeader(u"x.css"); }, WmlPageStart(u"T"),
       S(kChineseWarning) + wml_end},
      // PutPageHeader opens the first card only to carry the warning.
      {"WapPutPageHeader", u"WAP", kPhoneAgent, [](PageObject& o) { o.PutPageHeader(); },
       S(kWmlHead) + first_card, S(kChineseWarning) + wml_end},
      {"EnWapPutPageHeader", u"EnWAP", kSimulatorAgent, [](PageObject& o) { o.PutPageHeader(); },
       S(kWmlHead) + first_card, S(kEnglishWarningLower) + wml_end},
      {"WapPutPageHeaderDesktop", u"WAP", kDesktopAgent, [](PageObject& o) { o.PutPageHeader(); },
       HtmlPage(u"T", underlined), S(kChineseWarning) + u"</body></html>"},
      {"EnWapHtmlHeader", u"EnWAP", kPhoneAgent, [](PageObject& o) { o.HtmlHeader(); },
       HtmlPage(u"T", underlined), S(kEnglishWarning) + u"</body></html>"},
      {"EnWapAutoHeaderDesktop", u"EnWAP", kDesktopAgent,
       [](PageObject& o) { o.AutoHeader(u"w.css"); },
       HtmlPage(u"T", u"<link href=\"w.css\" rel=\"stylesheet\" type=\"text/css\">"),
       S(kEnglishWarning) + u"</body></html>"},
      // XhtmlHeader warns in Chinese in both XHTML classes, G3Header in the
      // class's language.
      {"XmlXhtmlHeader", u"XML", kPhoneAgent, [](PageObject& o) { o.XhtmlHeader(); }, xml_head,
       S(kChineseWarning) + u"</div></body></html>"},
      {"EnXmlXhtmlHeader", u"EnXML", kPhoneAgent, [](PageObject& o) { o.XhtmlHeader(); },
       xml_head, S(kChineseWarning) + u"</div></body></html>"},
      {"XmlG3Header", u"XML", kDesktopAgent,
       [](PageObject& o) { o.G3Header(u"", u"", u"<!--x-->"); }, u"",
       S(kChineseWarning) + u"</div></body></html>"},
      {"EnXmlG3Header", u"EnXML", kSimulatorAgent, [](PageObject& o) { o.G3Header(); }, u"",
       S(kEnglishWarning) + u"</div></body></html>"},
  };
}

class GuardHit : public testing::TestWithParam<GuardCase> {};

TEST_P(GuardHit, WarnsThenEndsOnce) {
  const GuardCase& c = GetParam();
  {
    FramePage page(c.class_name, c.agent, kInjectedUrl);
    page.state().CardTitle = u"T";
    page.state().SiteTitle = u"T";
    c.header(*page.object);
    page.object->WriteRow(u"after the end");
    const std::u16string body = page.Body();
    if (!c.head.empty()) {
      EXPECT_EQ(U8(body), U8(c.head + c.warning));
    } else {
      EXPECT_TRUE(body.ends_with(S(kMainBody.substr(6)) + c.warning)) << U8(body);
    }
    EXPECT_TRUE(page.page.response().Ended());
  }
  // The order of the calls: the warning is the last write, then one end.
  FramePage page(c.class_name, c.agent, kInjectedUrl);
  auto logging = std::make_shared<RecordingResponse>();
  page.state().Response = logging;
  page.state().CardTitle = u"T";
  c.header(*page.object);
  ASSERT_GE(logging->log.size(), 2u);
  EXPECT_EQ(U8(logging->log.back()), "END");
  EXPECT_EQ(U8(logging->log[logging->log.size() - 2]), U8(c.warning));
  EXPECT_EQ(std::count(logging->log.begin(), logging->log.end(), u"END"), 1);
}

INSTANTIATE_TEST_SUITE_P(Frames, GuardHit, testing::ValuesIn(GuardCases()),
                         [](const auto& info) { return info.param.name; });

TEST(GuardMiss, HeadersWithoutGuardIgnoreTheWords) {
  FramePage wap(u"WAP", kPhoneAgent, kInjectedUrl);
  wap.object->XhtmlHeader();
  wap.object->XhtmlFooter();
  EXPECT_FALSE(wap.page.response().Ended());
  EXPECT_TRUE(wap.Body().ends_with(u"-WAP-Company--></body></html>"));

  FramePage php(u"PHPXML", kPhoneAgent, "/a.php?u=http://x;y");
  EXPECT_FALSE(php.object->XhtmlHeaderText().empty());
  EXPECT_FALSE(php.page.response().Ended());
}

TEST(GuardMiss, WordListDecides) {
  // An empty list finds nothing; a script's own list replaces the default.
  FramePage empty(u"WAP", kPhoneAgent, kInjectedUrl);
  empty.state().SQLInjData = u"";
  empty.object->PageHeader();
  empty.object->PageFooter();
  EXPECT_FALSE(empty.page.response().Ended());
  EXPECT_TRUE(empty.Body().ends_with(u"--></p></card></wml>"));

  FramePage own(u"XML", kPhoneAgent, "/a.asp?q=Drop");
  own.state().SQLInjData = u"drop";  // the query string is lower-cased first
  own.object->XhtmlHeader();
  EXPECT_TRUE(own.page.response().Ended());
  EXPECT_TRUE(own.Body().ends_with(S(kChineseWarning) + u"</div></body></html>"));

  FramePage clean(u"EnXML", kPhoneAgent, "/a.asp?q=%27");
  clean.object->G3Header();
  EXPECT_FALSE(clean.page.response().Ended());
}

TEST(GuardMiss, HostNameCounts) {
  FramePage page(u"EnWAP", kPhoneAgent, "/index.asp", "pyramid.example.com");  // holds "mid"
  page.object->HtmlHeader();
  EXPECT_TRUE(page.page.response().Ended());
}

TEST(GuardMiss, ScriptCallKeepsEndingAtOnce) {
  FramePage page(u"WAP", kPhoneAgent, kInjectedUrl);
  EXPECT_TRUE(page.object->SQLInjection());
  EXPECT_TRUE(page.page.response().Ended());
  page.object->PageHeader();
  EXPECT_EQ(page.Body(), u"");
}

}  // namespace
}  // namespace zorvadel::frame_test
