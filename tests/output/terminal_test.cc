// Terminal detection: the order of the user-agent table, what each kind of
// agent yields and the PHPXML empty-agent rule.
#include "output/terminal.h"

#include <gtest/gtest.h>

#include <string>

#include "output/output_test_util.h"

namespace zorvadel {
namespace {

struct AgentCase {
  const char16_t* agent;
  const char16_t* kind;
  const char16_t* info;
  const char16_t* sample;  // nullptr: the caller's PhoneUserAgent
};

constexpr AgentCase kAgents[] = {
    // Opera names Mozilla as well; its own row comes first.
    {u"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; en) Opera 8.50", u"Wap",
     u"Opera Simulator", u"Opera/8.50 (Windows NT 5.1; U; en)"},
    {u"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)", u"Web", u"IE Browser",
     u"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"},
    // A crawler announcing itself as Mozilla is a desktop browser.
    {u"Mozilla/5.0 (compatible; Googlebot/2.1)", u"Web", u"IE Browser",
     u"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"},
    {u"Googlebot/2.1 (+http://www.google.com/bot.html)", u"Wap", u"Google Search",
     u"Googlebot/2.1 (+http://www.google.com/bot.html)"},
    {u"Baiduspider+(+http://www.baidu.com/search/spider.htm)", u"Wap", u"Baidu Search", nullptr},
    {u"msnbot/1.0", u"Wap", u"MSN search", u""},
    {u"sohu agent", u"Wap", u"Sohu agent", nullptr},
    {u"iaskspider/2.0", u"Wap", u"Sina agent", u"sohu agent"},
    {u"Sogou web spider/3.0", u"Wap", u"Sohu Search", u"Sogou web spider"},
    {u"Norbert the Spider", u"Wap", u"Norbert:Unknow", nullptr},
    {u"Webdup/0.9", u"Wap", u"Webdup:A Down Soft。", u"Webdup/0.9"},
    {u"Gigabot/2.0", u"Wap", u"Gigabot", u"Gigabot/2.0"},
    {u"Xenu Link Sleuth 1.2g", u"Wap",
     u"Xenu Link Sleuth 也许是你所见过的最小但功能最强大的检查网站死链接的软件了。", nullptr},
    {u"Nokia-WAP-Toolkit/4.1", u"Wap", u"Nokia-WAP-Toolkit Simulator", nullptr},
    {u"OPWV-SDK/62 UP.Browser/6.2", u"Wap", u"OpenWave Simulator", nullptr},
    {u"SurveyBot/2.3 (Whois Source)", u"Wap", u"Unknow(Whois Source)", u""},
    {u"Wget/1.10", u"Wap", u"Unknow", u""},
    {u"Java/1.4.1_04", u"Wap", u"Unknow", u"Java/1.5.0_04"},
    {u"SAMSUNG-SGH-E250/1.0 Profile/MIDP-2.0 WMLBrowser", u"Wap", u"WM:Unknow Type", nullptr},
    {u"WinWAP/3.2 (3.2.1.25; Win32)", u"Wap", u"WinWAP Simulator", u"WinWAP/3.2 (3.2.1.25; Win32)"},
    {u"ccWAP-Browser", u"Wap", u"ccWAP Simulator", u""},
    {u"Microsoft Internet Explorer/4.0b1", u"Wap", u"Microsoft Internet Explorer",
     u"Microsoft Internet Explorer"},
    // Case counts: no row matches the lower-case word.
    {u"mozilla/4.0 (compatible)", u"Phone", u"Maybe Phone", nullptr},
    {u"Nokia6600/1.0 (4.09.1) SymbianOS/7.0s Series60/2.0 Profile/MIDP-2.0 Configuration/CLDC-1.0",
     u"Phone", u"Maybe Phone", nullptr},
    {u"", u"Phone", u"Maybe Phone", nullptr},
};

class DisplayerTest : public ::testing::TestWithParam<RequestClassCase> {};

TEST_P(DisplayerTest, AgentKinds) {
  auto object = NewPageObject(GetParam().name);
  PageState& s = object->state();
  s.PhoneUserAgent = u"the request's own agent";
  for (const AgentCase& c : kAgents) {
    s.Terminal = c.agent;
    SCOPED_TRACE(U8(c.agent));
    if (s.Terminal.empty() && GetParam().family == Family::kP) {  // PHPXML's own rule
      EXPECT_EQ(object->Displayer(), u"Wap");
      EXPECT_EQ(s.DisplayerInfo, u"Unknow Type");
      EXPECT_EQ(s.DisplayerUA, u"");
      continue;
    }
    EXPECT_EQ(object->Displayer(), c.kind);
    EXPECT_EQ(s.DisplayerInfo, c.info);
    if (c.sample != nullptr) {
      EXPECT_EQ(s.DisplayerUA, c.sample);
    } else if (std::u16string(c.kind) == u"Phone") {
      EXPECT_EQ(s.DisplayerUA, s.PhoneUserAgent);
    }
  }
}

TEST_P(DisplayerTest, EveryCallTestsAgainByName) {
  auto object = NewPageObject(GetParam().name);
  PageState& s = object->state();
  EXPECT_EQ(s.DisplayerInfo, u"");
  s.Terminal = u"Opera/9.0";
  EXPECT_EQ(Invoke(*object, u"displayer", {}), Variant(u"Wap"));
  s.Terminal = u"Mozilla/5.0";
  EXPECT_EQ(Invoke(*object, u"Displayer", {}), Variant(u"Web"));
  EXPECT_EQ(s.DisplayerInfo, u"IE Browser");
}

TEST_P(DisplayerTest, PhoneTypeIsEmptyAndTestsNothing) {
  auto object = NewPageObject(GetParam().name);
  object->state().Terminal = u"Nokia6600/1.0";
  EXPECT_EQ(object->PhoneType(), u"");
  EXPECT_EQ(object->state().DisplayerInfo, u"");
}

TEST_P(DisplayerTest, FromThePageStart) {
  engine::RequestFacts facts;
  facts.headers = {{"User-Agent", "Mozilla/4.0 (compatible; MSIE 6.0)"}};
  StartedPage started(GetParam().name, facts);
  EXPECT_EQ(started.object->Displayer(), u"Web");
  started.object->state().Terminal = u"WinWAP/3.2 (3.2.1.25; Win32)";
  EXPECT_EQ(started.object->Displayer(), u"Wap");
  EXPECT_EQ(started.object->state().DisplayerInfo, u"WinWAP Simulator");
  EXPECT_EQ(started.object->state().PhoneUserAgent, u"Mozilla/4.0 (compatible; MSIE 6.0)");
}

INSTANTIATE_TEST_SUITE_P(Classes, DisplayerTest, ::testing::ValuesIn(kRequestClasses),
                         [](const auto& info) { return U8(info.param.name); });

// Each row's own key finds that row unless an earlier key is part of it.
TEST(TerminalTableTest, EveryKeyReachesItsRow) {
  auto rows = output::TerminalTable();
  for (size_t i = 0; i < rows.size(); ++i) {
    const output::TerminalRow* match = output::MatchTerminal(rows[i].key, false);
    ASSERT_NE(match, nullptr);
    EXPECT_EQ(match, &rows[i]) << "row " << i + 1 << " is shadowed";
  }
}

}  // namespace
}  // namespace zorvadel
