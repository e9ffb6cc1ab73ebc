// Terminal detection: the order of the user-agent table, what each kind of
// agent yields (each call asks again) and the PHPXML empty-agent rule; and
// the settings summary: which sections a ShowInfo chooses, and the masking of
// passwords in a connection string. Its whole text in both languages,
// passwords cleared, is the page scripts' (debug_wap, debug_enwap).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "output/debug_info.h"
#include "output/output_test_util.h"
#include "output/terminal.h"
#include "support/text_cases.h"

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

// ---- The settings summary --------------------------------------------------------

struct ChoiceCase {
  const char16_t* show_info;
  const char* headings;  // one letter per section present, in order
};

// c common, d general database, s SQL Server, a Access, m mail, f file,
// w site, t terminal.
constexpr ChoiceCase kChoices[] = {
    {u"aLL", "cdsamfwt"}, {u"SqL", "cds"}, {u"MDB", "cda"}, {u"Mail", "cm"},
    {u"File", "cf"},      {u"site", "cw"}, {u" all", "c"},  {u"db", "c"},
};

constexpr struct {
  char letter;
  const char16_t* heading;
} kHeadings[] = {
    {'c', u"常用信息"}, {'d', u"通用数据库"}, {'s', u"SQL2000"}, {'a', u"以下为Access信息"},
    {'m', u"邮件"},     {'f', u"文件信息"},   {'w', u"网站"},    {'t', u"终端"},
};

TEST(DebugInfoTest, ShowInfoChoosesSections) {
  auto object = NewPageObject(u"WAP");
  for (const ChoiceCase& c : kChoices) {
    const std::u16string summary = object->DebugInfo(c.show_info);
    std::string present;
    size_t last = 0;
    for (const auto& h : kHeadings) {
      const size_t at = summary.find(h.heading);
      if (at == std::u16string::npos) continue;
      EXPECT_GT(at + 1, last) << "order";
      last = at + 1;
      present.push_back(h.letter);
    }
    EXPECT_EQ(present, c.headings) << U8(c.show_info);
  }
}

const test::Case kMasks[] = {
    {u"", u""},
    {u"Server=a;PWD=abc;Database=d", u"Server=a;PWD=*;Database=d"},
    {u"pAsSwOrD=", u"pAsSwOrD=*"},
    {u"a=1; Pwd =x y;b=2", u"a=1; Pwd =*;b=2"},
    {u"Pwd=1;Password=2;Pwd=3", u"Pwd=*;Password=*;Pwd=*"},
    {u"OldPwd=keep;PwdHint=keep", u"OldPwd=keep;PwdHint=keep"},
    {u"Data Source=x=Pwd=keep", u"Data Source=x=Pwd=keep"},
    {u"Pwd={a;b}}c};Db=d", u"Pwd=*;Db=d"},
    {u"Password=\"a;\"\"b\";Db=d", u"Password=*;Db=d"},
    {u"Password='a;b", u"Password=*"},
    {u";;Pwd=x;;", u";;Pwd=*;;"},
    {u"Pwd", u"Pwd"},
};

TEST(MaskConnectionPasswordsTest, Table) {
  for (const test::Case& c : kMasks) {
    EXPECT_EQ(output::MaskConnectionPasswords(c.in, u"*"), c.out) << U8(c.in);
  }
}

}  // namespace
}  // namespace zorvadel
