// Terminal detection: the order of the user-agent table, what each kind of
// agent yields (each call asks again) and the PHPXML empty-agent rule.
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
    // Opera, which names Mozilla as well: the page script request_members.
    {u"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)", u"Web", u"IE Browser",
     u"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"},
    // A crawler announcing itself as Mozilla is a desktop browser.
    {u"Mozilla/5.0 (compatible; Googlebot/2.1)", u"Web", u"IE Browser",
     u"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"},
    {u"SurveyBot/2.3 (Whois Source)", u"Wap", u"Unknow(Whois Source)", u""},  // an empty sample
    // A short key inside a longer word.
    {u"SAMSUNG-SGH-E250/1.0 Profile/MIDP-2.0 WMLBrowser", u"Wap", u"WM:Unknow Type", nullptr},
    // Case counts: no row matches the lower-case word.
    {u"mozilla/4.0 (compatible)", u"Phone", u"Maybe Phone", nullptr},
    {u"Nokia6600/1.0 (4.09.1) SymbianOS/7.0s 中文", u"Phone", u"Maybe Phone", nullptr},
    {u"", u"Phone", u"Maybe Phone", nullptr},
};

TEST(DisplayerTest, AgentKinds) {
  for (const RequestClassCase& cls : kRequestClasses) {
    auto object = NewPageObject(cls.name);
    PageState& s = object->state();
    s.PhoneUserAgent = u"the request's own agent";
    for (const AgentCase& c : kAgents) {
      s.Terminal = c.agent;
      SCOPED_TRACE(U8(std::u16string(cls.name) + u": " + c.agent));
      if (s.Terminal.empty() && cls.family == Family::kP) {  // PHPXML's own rule
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
    // PhoneType of the WML classes answers nothing and asks nothing.
    s.DisplayerInfo = u"";
    if (object->Class().Has(u"PhoneType")) {
      EXPECT_EQ(Invoke(*object, u"PhoneType", {}), Variant(u""));
    }
    EXPECT_EQ(s.DisplayerInfo, u"");
  }
}

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
