// The headers' injection guard: on a hit the whole head, then the warning
// that closes the page, then one end of the response, so the warning is the
// last thing the client gets; the headers without a guard ignore the words.
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

std::u16string S(std::u16string_view text) { return std::u16string(text); }

struct GuardCase {
  std::string name;
  std::u16string class_name;
  const char* agent;
  Script header;
  std::u16string head;     // what comes before the warning
  std::u16string warning;  // filtered, with its closing tags
};

void PrintTo(const GuardCase& c, std::ostream* os) { *os << c.name; }

std::u16string WmlFirstCard() {
  return u"<?xml version=\"1.0\" encoding=\"utf-8\"?>" + S(kWmlDoctype) + S(kWmlHead) +
         u"<card id=\"FirstCard\" title=\"T\"><p align=\"left\">";
}

std::u16string HtmlHead(std::u16string_view sheet) {
  return u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
         u"<title>T</title>" +
         S(sheet) + S(kMarginlessBody);
}

std::u16string XmlHead() {
  return u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n" + S(kMobileDoctypeAndRoot) +
         u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"/>\r\n"
         u"<title>T</title>\r\n" +
         markup::CompanionSheet() + S(kMainBody);
}

std::vector<GuardCase> Cases() {
  const std::u16string underlined = markup::WmlSheet(markup::LinkLook::kUnderlined);
  const std::u16string wml_end = u"</p></card></wml>";
  const std::u16string first_card =
      u"<card id=\"FirstCard\" title=\"T\" newcontext=\"false\" ><p align=\"left\"  mode=\"wrap\">";
  return {
      {"WapPageHeader", u"WAP", kPhoneAgent, [](PageObject& o) { o.PageHeader(); },
       WmlFirstCard(), S(kChineseWarning) + wml_end},
      {"EnWapPageHeader", u"EnWAP", kDesktopAgent, [](PageObject& o) { o.PageHeader(); },
       WmlFirstCard(), S(kEnglishWarning) + wml_end},
      {"WapAutoHeaderSimulator", u"WAP", kSimulatorAgent,
       [](PageObject& o) { o.AutoHeader(u"x.css"); }, WmlFirstCard(),
       S(kChineseWarning) + wml_end},
      // PutPageHeader opens the first card only to carry the warning.
      {"WapPutPageHeader", u"WAP", kPhoneAgent, [](PageObject& o) { o.PutPageHeader(); },
       S(kWmlHead) + first_card, S(kChineseWarning) + wml_end},
      {"EnWapPutPageHeader", u"EnWAP", kSimulatorAgent, [](PageObject& o) { o.PutPageHeader(); },
       S(kWmlHead) + first_card, S(kEnglishWarningLower) + wml_end},
      {"WapPutPageHeaderDesktop", u"WAP", kDesktopAgent, [](PageObject& o) { o.PutPageHeader(); },
       HtmlHead(underlined), S(kChineseWarning) + u"</body></html>"},
      {"EnWapHtmlHeader", u"EnWAP", kPhoneAgent, [](PageObject& o) { o.HtmlHeader(); },
       HtmlHead(underlined), S(kEnglishWarning) + u"</body></html>"},
      {"EnWapAutoHeaderDesktop", u"EnWAP", kDesktopAgent,
       [](PageObject& o) { o.AutoHeader(u"w.css"); },
       HtmlHead(u"<link href=\"w.css\" rel=\"stylesheet\" type=\"text/css\">"),
       S(kEnglishWarning) + u"</body></html>"},
      // XhtmlHeader warns in Chinese in both XHTML classes, G3Header in the
      // class's language.
      {"XmlXhtmlHeader", u"XML", kPhoneAgent, [](PageObject& o) { o.XhtmlHeader(); }, XmlHead(),
       S(kChineseWarning) + u"</div></body></html>"},
      {"EnXmlXhtmlHeader", u"EnXML", kPhoneAgent, [](PageObject& o) { o.XhtmlHeader(); },
       XmlHead(), S(kChineseWarning) + u"</div></body></html>"},
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

INSTANTIATE_TEST_SUITE_P(Frames, GuardHit, testing::ValuesIn(Cases()),
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
