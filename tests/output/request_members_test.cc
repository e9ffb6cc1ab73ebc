// The request members beyond the page script request_members: quoting
// request values, URL-encoding a text, host and domain, redirection, random
// numbers; the SQL-injection guard: the word search on its own, then the
// member with its ends of the response and PHPXML's fixed list; terminal
// detection: the order of the user-agent table, what each kind of agent
// yields (each call asks again) and the PHPXML empty-agent rule; and the
// settings summary: which sections a ShowInfo chooses, and the masking of
// passwords in a connection string. Its whole text in both languages,
// passwords cleared, is the page scripts' (debug_wap, debug_enwap).
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "output/debug_info.h"
#include "output/output_test_util.h"
#include "output/sql_guard.h"
#include "output/terminal.h"
#include "support/text_cases.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

// Without a page everything is empty; SubmitText filters, then URL-encodes.
TEST(RequestMembersTest, EveryClass) {
  for (const RequestClassCase& c : kRequestClasses) {
    SCOPED_TRACE(U8(c.name));
    auto object = NewPageObject(c.name);
    EXPECT_EQ(object->SubmitText(u"abc"), u"");
    EXPECT_EQ(object->SafeRequest(u"id"), u"");
    EXPECT_EQ(object->RequestText(u"id"), u"");
    EXPECT_EQ(object->GetHostName(), u"");
    EXPECT_EQ(object->GetDoMain(), u"");
    object->Redirect(u"http://x.example/");  // nothing to redirect; no error
    StartedPage started(c.name, {});
    EXPECT_EQ(started.object->SubmitText(u"中 a&b"), u"%26%23x4E2D%3B+a%26amp%3Bb");
  }
}

struct QuoteCase {
  const char16_t* name;
  const char16_t* safe;
  const char16_t* text;
};

constexpr QuoteCase kQuotes[] = {
    {u"who", u"O''Brien", u"O''Brien"},
    {u"CJK", u"&#x4E2D;&#x6587;", u"中文"},
    {u"sneak", u"1&#x27; or 1=1--", u"1'' or 1=1--"},  // a quote sent as a reference stays doubled
    {u"amp", u"a&amp;b", u"a&amp;b"},
    // Decoded first, then trimmed: blanks sent as references go too.
    {u"pad", u"&#x20;x&#x20;", u"x"},
    {u"emoji", u"&#x1F600;&#xD83D;&#xDE00;", u"😀😀"},
    {u"broken", u"&#xZZ;1&#x41;", u"&#xZZ;1A"},
    {u"form", u"posted ''value''", u"posted ''value''"},
    {u"absent", u"", u""},
};

TEST(SafeRequestTest, QuotesAndTrims) {
  engine::RequestFacts facts;
  facts.url =
      "/r.asp?who=++O'Brien+&CJK=%26%23x4E2D%3B%26%23x6587%3B"
      "&sneak=1%26%23x27%3B+or+1%3D1--&amp=a%26amp%3Bb&pad=%26%23x20%3Bx%26%23x20%3B"
      "&emoji=%26%23x1F600%3B%26%23xD83D%3B%26%23xDE00%3B&broken=%26%23xZZ%3B1%26%23x41%3B";
  facts.method = "POST";
  facts.form = "form=posted+'value'";
  StartedPage started(u"XML", facts);
  for (const QuoteCase& c : kQuotes) {
    SCOPED_TRACE(U8(c.name));
    EXPECT_EQ(started.object->SafeRequest(c.name), c.safe);
    EXPECT_EQ(started.object->RequestText(c.name), c.text);
  }
  EXPECT_EQ(Invoke(*started.object, u"SafeRequest", {Variant(u"WHO")}), Variant(u"O''Brien"));
  // The lookup reaches the server variables too.
  EXPECT_EQ(started.object->SafeRequest(u"HTTP_HOST"), u"localhost");
}

struct HostCase {
  const char* host;
  const char16_t* domain;
};

constexpr HostCase kHosts[] = {
    {"a.b.c", u"b.c"},
    {"10.0.0.1", u"0.0.1"},
    {"localhost", u"localhost"},
    {"a.", u""},
};

TEST(HostTest, HostAndDomain) {
  for (const HostCase& c : kHosts) {
    engine::RequestFacts facts;
    facts.host = c.host;
    StartedPage started(u"EnWAP", facts);
    std::u16string host(c.host, c.host + std::string(c.host).size());
    EXPECT_EQ(started.object->GetHostName(), host);
    EXPECT_EQ(started.object->GetDoMain(), c.domain) << c.host;
    EXPECT_EQ(Invoke(*started.object, u"GetDoMain", {}), Variant(c.domain));
  }
}

TEST(RedirectTest, ToTheGivenAddressOrHome) {
  StartedPage home(u"WAP", {});
  home.object->Redirect(u"");
  EXPECT_EQ(home.page.Result().status, 302);
  EXPECT_NE(home.page.RenderHead().find("Location: http://localhost/\r\n"), std::string::npos);
  StartedPage given(u"XML", {});
  Invoke(*given.object, u"Redirect", {Variant(u"list.asp?id=2")});
  EXPECT_NE(given.page.RenderHead().find("Location: list.asp?id=2\r\n"), std::string::npos);
  // Refused by the engine (a line break would split the head): nothing
  // happens and nothing reaches the caller.
  StartedPage refused(u"EnXML", {});
  refused.object->Redirect(u"a\r\nSet-Cookie: x=1");
  EXPECT_EQ(refused.page.Result().status, 200);
}

struct RndCase {
  int16_t upper;
  int16_t lower;
  int16_t low;  // inclusive range of results
  int16_t high;
};

// The overflowing ranges give 0 (32767 and 0 in the page script); by name
// the defaults are 100 and 1.
constexpr RndCase kRnd[] = {
    {100, 1, 1, 100}, {1, 10, 2, 10}, {-1, -3, -3, -1}, {32766, 0, 0, 32766}, {32767, -1, 0, 0},
    {-32768, 1, 0, 0}, {32767, 32767, 32767, 32767}, {-32768, -32768, -32768, -32768},
};

TEST(RndNumberTest, Ranges) {
  auto object = NewPageObject(u"XML");
  for (int i = 0; i < 200; ++i) {
    for (const RndCase& c : kRnd) {
      const int16_t n = object->RndNumber(c.upper, c.lower);
      ASSERT_TRUE(n >= c.low && n <= c.high) << n << " of " << c.upper << "," << c.lower;
    }
    const int32_t n = Invoke(*object, u"RndNumber", {}).integer();
    ASSERT_TRUE(n >= 1 && n <= 100) << n;
  }
}

// The generator is seeded once: after a fixed seed the members draw the
// same sequence again, which a reseed from the clock on every call breaks;
// and calls close together do not all give one number.
TEST(RndNumberTest, SeededOncePerProcess) {
  auto object = NewPageObject(u"EnWAP");
  auto draw = [&] {
    std::vector<int16_t> numbers;
    for (int i = 0; i < 64; ++i) numbers.push_back(object->RndNumber(30000, 1));
    return numbers;
  };
  Randomize(7.0);
  const std::vector<int16_t> first = draw();
  Randomize(7.0);
  EXPECT_EQ(draw(), first);
  EXPECT_GT(std::set<int16_t>(first.begin(), first.end()).size(), 32u);
}

// ---- The SQL-injection guard -----------------------------------------------------

struct SearchCase {
  const char16_t* words;  // nullptr: the classes' default list (the page script class_common)
  const char* query;
  const char* host;
  int32_t found;
};

constexpr SearchCase kSearches[] = {
    {nullptr, "id=12&page=3", "m.example.com", 0},
    {nullptr, "q=%27", "m.example.com", 0},             // escapes are not decoded
    {nullptr, "q=SELECTED", "m.example.com", 1},        // lower-cased, inside longer words
    {u"SELECT", "q=SELECT", "m.example.com", 0},              // but the words are not
    {nullptr, "id=1", "www.directory.example", 1},      // the host alone
    {nullptr, "x=a", "nd.example", 1},                  // "a" + "nd" across the seam
    {nullptr, "q=select+count(*)+select", "h.example", 6},  // + select count ( ) *
    {u"", "q=select", "h.example", 0},
    {u"q||z", "x=1", "h.example", 1},  // the empty word
    {u"|", "", "", 0},                 // empty haystack: not even the empty word
    {u"x|x", "x=1", "", 2},            // each word counts, repeated ones too
};

TEST(GuardSearchTest, Table) {
  for (const SearchCase& c : kSearches) {
    std::u16string query(c.query, c.query + std::string(c.query).size());
    std::u16string host(c.host, c.host + std::string(c.host).size());
    SCOPED_TRACE(std::string(c.query) + " @ " + c.host);
    const std::u16string words = c.words ? c.words : StartedPage(u"WAP", {}).state().SQLInjData;
    EXPECT_EQ(output::CountGuardWords(words, output::GuardHaystack(query, host)), c.found);
  }
}

// Both ways of making the haystack, the second in the room of its texts.
TEST(GuardSearchTest, HaystackIsLowerCased) {
  const struct {
    std::u16string query, host, haystack;
  } cases[] = {
      {u"", u"M.Example.COM:8080", u"m.example.com:8080"},
      {u"Q=SELECT", u"", u"q=select"},
      {u"Q=\u00C4\uFF33", u"H\u00C9", u"q=\u00E4\uFF53h\u00E9"},  // beyond ASCII
  };
  for (const auto& c : cases) {
    EXPECT_EQ(output::GuardHaystack(std::u16string_view(c.query), c.host), c.haystack);
    std::u16string query = c.query, host = c.host;
    EXPECT_EQ(output::GuardHaystackIn(query, host), c.haystack);
  }
}

// A page at "/g.asp?QUERY" on m.example.com.
StartedPage GuardPage(const char16_t* name, const char* query) {
  engine::RequestFacts facts;
  facts.url = std::string("/g.asp?") + query;
  facts.host = "m.example.com";
  return StartedPage(name, facts);
}

struct MemberCase {
  const char* query;
  const char16_t* words;  // the script's SQLInjData; nullptr keeps the default
  int ends;               // one per word found; 0: no hit
  int php_ends;           // PHPXML keeps to its own list whatever the property holds
};

constexpr MemberCase kMemberCases[] = {
    {"id=12&page=3", nullptr, 0, 0},
    {"a=select&b=select&c=band", nullptr, 2, 2},  // "select" twice and "and": two words
    {"q=select+*+from", u"", 0, 3},               // an empty list never hits
    {"u=http://m.example.com/;", nullptr, 0, 2},  // ":" and ";" only in PHPXML's list
    {"id=1", u"drop||truncate", 1, 0},            // the empty word
};

TEST(GuardMemberTest, OneEndPerWordFound) {
  for (const RequestClassCase& cls : kRequestClasses) {
    SCOPED_TRACE(U8(cls.name));
    const bool php = cls.family == Family::kP;
    for (const MemberCase& c : kMemberCases) {
      StartedPage g = GuardPage(cls.name, c.query);
      auto response = std::make_shared<CountingResponse>();
      g.object->state().Response = response;
      if (c.words != nullptr) g.object->state().SQLInjData = c.words;
      const int ends = php ? c.php_ends : c.ends;
      EXPECT_EQ(Invoke(*g.object, u"SQLInjection", {}), Variant(ends > 0)) << c.query;
      EXPECT_EQ(response->ends, ends) << c.query;
    }
    // No request: an empty haystack. A hit without a response is still one.
    auto object = NewPageObject(cls.name);
    object->state().SQLInjData = u"|";
    EXPECT_FALSE(object->SQLInjection());
    StartedPage g = GuardPage(cls.name, "q='");
    g.object->state().Response = nullptr;
    EXPECT_TRUE(g.object->SQLInjection());
  }
}

// ---- Terminal detection ----------------------------------------------------------

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
