// No text breaks an attribute: the one attribute escape, then whole pages of
// every class built with hostile texts in every attribute-bound argument, on
// a phone (the WML or XHTML page must stay well-formed) and on a desktop
// browser (no attribute of the HTML may break open).
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "database/database_test_util.h"
#include "markup/xml_check.h"
#include "platform/codepage/codepage.h"
#include "support/page_fixture.h"
#include "text/attribute_escape.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

using test::Agent;
using text::AttributeQuote;
using text::AttributeText;

std::string U8(std::u16string_view text) { return codepage::ToUtf8(text); }

std::u16string Units(std::initializer_list<char16_t> units) { return std::u16string(units); }

// ---- The escape itself -------------------------------------------------------------

struct EscapeCase {
  std::u16string in;
  std::u16string out;
  AttributeQuote quote = AttributeQuote::kDouble;
};

TEST(AttributeText, EscapesBreakersKeepsReferencesDropsWhatXmlCannotCarry) {
  const EscapeCase cases[] = {
      // Safe text, a WML variable and an apostrophe inside double quotes stay.
      {u"news.asp?Id=2&amp;ListId=2", u"news.asp?Id=2&amp;ListId=2"},
      {u"&#x786E;&#x5B9A; &#123; &nbsp;&lt;&gt;&apos;&quot;&amp;",
       u"&#x786E;&#x5B9A; &#123; &nbsp;&lt;&gt;&apos;&quot;&amp;"},
      {u"$(name) $$ it's\ttab\nlf\rcr", u"$(name) $$ it's\ttab\nlf\rcr"},
      {u"中文 \U0001F600", u"中文 \U0001F600"},
      // A title that would open an attribute of its own, tags and bare
      // ampersands.
      {u"x\" onmouseover=\"alert(1)\" y=\"", u"x&quot; onmouseover=&quot;alert(1)&quot; y=&quot;"},
      {u"<script>", u"&lt;script&gt;"},
      {u"a&b & &; &#; &#x; &# 1; &#x 41; &amp &LT;",
       u"a&amp;b &amp; &amp;; &amp;#; &amp;#x; "
       u"&amp;# 1; &amp;#x 41; &amp;amp &amp;LT;"},
      // No DTD the page loads declares other names.
      {u"&copy; &X;", u"&amp;copy; &amp;X;"},
      // References to what XML cannot carry go as the characters would; one
      // written as XML does not read it is no reference.
      {u"a&#0;&#x1F;&#xD800;&#xFFFE;&#65535;&#x110000;&#99999999999;b&#X41;&#9;",
       u"ab&amp;#X41;&#9;"},
      {u"&&#0;amp; &#1&#xFFFF;2;", u"&amp;amp; &amp;#12;"},
      // C0 controls, noncharacters and lone surrogates are dropped; a pair stays.
      {Units({u'a', 0, 1, 0x1F, 0x0B, 0x0C, 0x7F, u'b'}), Units({u'a', 0x7F, u'b'})},
      {Units({0xD800, u'x', 0xDC00, 0xFFFE, 0xFFFF, 0xD83D, 0xDE00, 0xD83D}),
       Units({u'x', 0xD83D, 0xDE00})},
      // Single quotes delimit some of the library's own attributes.
      {u"it's 'a'\"", u"it&#39;s &#39;a&#39;&quot;", AttributeQuote::kSingle},
  };
  for (const EscapeCase& c : cases) {
    SCOPED_TRACE(U8(c.in));
    const std::u16string once = AttributeText(c.in, c.quote);
    EXPECT_EQ(U8(once), U8(c.out));
    EXPECT_EQ(AttributeText(once, c.quote), once) << "escaping twice changes the text";
  }
}

// ---- The tag scan of a page --------------------------------------------------------

// The attribute names the classes write; a broken value shows as another.
const std::vector<std::u16string_view> kKnownAttributes = {
    u"accept-charset", u"action",     u"align",   u"alt",          u"class",
    u"columns",        u"content",    u"emptyok", u"format",       u"forua",
    u"href",           u"http-equiv", u"id",      u"iname",        u"ivalue",
    u"label",          u"leftmargin", u"loop",    u"marginheight", u"marginwidth",
    u"maxlength",      u"method",     u"mode",    u"multiple",     u"name",
    u"newcontext",     u"onpick",     u"ontimer", u"optional",     u"rel",
    u"size",           u"src",        u"style",   u"title",        u"topmargin",
    u"type",           u"value",      u"width",   u"xmlns",
};

bool IsNameUnit(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'-' || c == u':' || c == u'_';
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// What is wrong with one attribute value as written: a "<", a bare "&" or a
// character no XML page may hold. "" when nothing is.
std::string ValueFault(std::u16string_view value) {
  if (value.find(u'<') != std::u16string_view::npos) return "a \"<\"";
  for (char16_t c : value) {
    if (c < 0x20 && !IsBlank(c)) return "a control character";
  }
  if (AttributeText(value) != value) return "a bare \"&\" or an unpaired surrogate";
  return {};
}

// Reads the tags of `page` as a browser does (every "<" outside a value
// starts markup) and names the first attribute that broke open: a name the
// classes never write, an element "script", or a value ValueFault rejects.
std::string AttributeFault(std::u16string_view page) {
  const size_t n = page.size();
  size_t i = 0;
  auto skip_to = [&](std::u16string_view end) {
    const size_t at = page.find(end, i);
    i = at == std::u16string_view::npos ? n : at + end.size();
  };
  while ((i = page.find(u'<', i)) != std::u16string_view::npos) {
    ++i;
    if (i < n && page[i] == u'!') {
      skip_to(page.substr(i).starts_with(u"!--") ? u"-->" : u">");
      continue;
    }
    if (i < n && (page[i] == u'?' || page[i] == u'/')) {
      skip_to(u">");
      continue;
    }
    size_t start = i;
    while (i < n && IsNameUnit(page[i])) ++i;
    const std::u16string element = LCase(page.substr(start, i - start));
    if (element == u"script") return "a script element";
    for (;;) {
      while (i < n && IsBlank(page[i])) ++i;
      if (i >= n || page[i] == u'>' || page[i] == u'/') break;
      start = i;
      while (i < n && !IsBlank(page[i]) && page[i] != u'=' && page[i] != u'>' && page[i] != u'/') {
        ++i;
      }
      const std::u16string name = LCase(page.substr(start, i - start));
      if (name.empty() || std::find(kKnownAttributes.begin(), kKnownAttributes.end(), name) ==
                              kKnownAttributes.end()) {
        return "attribute \"" + U8(name) + "\" in <" + U8(element) + ">";
      }
      while (i < n && IsBlank(page[i])) ++i;
      if (i >= n || page[i] != u'=') continue;
      ++i;
      while (i < n && IsBlank(page[i])) ++i;
      if (i >= n || (page[i] != u'"' && page[i] != u'\'')) return "an unquoted " + U8(name);
      const size_t close = page.find(page[i], i + 1);
      if (close == std::u16string_view::npos) return "an unclosed " + U8(name);
      const std::string fault = ValueFault(page.substr(i + 1, close - i - 1));
      if (!fault.empty()) return fault + " in " + U8(name) + " of <" + U8(element) + ">";
      i = close + 1;
    }
  }
  return {};
}

TEST(AttributeScan, FindsWhatBreaksOpen) {
  EXPECT_EQ(AttributeFault(u"<a title=\"x\" href='y'>t<b>\"</b></a><br/><!-- <x z> -->"), "");
  EXPECT_NE(AttributeFault(u"<a title=\"x\" onmouseover=\"alert(1)\" y=\"\">"), "");
  EXPECT_NE(AttributeFault(u"<img alt=\"<script>\"/>"), "");
  EXPECT_NE(AttributeFault(u"<a href=\"a&b\">"), "");
  EXPECT_NE(AttributeFault(u"<form action='it's'>"), "");
}

// ---- Hostile texts through every attribute-bound argument --------------------------

// Each goes into every argument that lands in an attribute. An argument shown
// between the tags as well (A's text, which a desktop's tip repeats, a card's
// title, a written row) gets it only where `shown`: text between tags is the
// filter's, and markup by design. What is `raw` as well holds nothing but
// text and what no page can carry, so it goes between the tags also with
// WapEnCoding "gb2312", where the filter writes text as it is.
struct Hostile {
  std::u16string text;
  bool shown;
  bool raw = false;
};
const std::vector<Hostile> kHostile = {
    {u"x\" onmouseover=\"alert(1)\" y=\"", true},
    {u"<script>alert(1)</script>", false},
    {u"a&b &amp; &#x26; &copy &X;", true},
    {u"&#0; &#x1F; &#xD800; &#X41;", false},
    {Units({u'n', 0, u'u', 1, 0x1F, 0x0B, u'l', u'\t', u'\n', u'\r'}), true, true},
    {u"it's a 'quote' '>", true},
    {Units({u'h', 0xD800, u'i', 0xDFFF}), true, true},
    {Units({0xFFFE, 0xFFFF}), true, true},
    {u"$(name) $$ 100% \"", true},
    {u"&#0; &#x1F; &#xD800; &#xdfff; &#xFFFE; &#65535; &#x110000;", true, true},
    {Units({u'v', 0xFFFE, u'&', u'#', u'0', u';', 0x0B, u'w', 0xDC00, 0xD800}), true, true},
};

// The page encodings: "gb2312" only for the raw texts.
constexpr const char16_t* kCodings[] = {u"utf-8", u"gb2312"};
bool Skips(const char16_t* coding, const Hostile& hostile) {
  return coding == std::u16string_view(u"gb2312") && !hostile.raw;
}

const Variant kH(u"\x1H");  // an attribute-only argument
const Variant kT(u"\x1T");  // a text also written as a tip

std::vector<Variant> Fill(std::vector<Variant> args, const Hostile& hostile) {
  for (Variant& arg : args) {
    if (!arg.IsString()) continue;
    if (arg.string() == kH.string()) arg = Variant(hostile.text);
    if (arg.string() == kT.string()) arg = Variant(hostile.shown ? hostile.text : u"D");
  }
  return args;
}

struct Step {
  const char16_t* member;
  std::vector<Variant> args;
  bool writes_itself = false;  // written to the response, nothing returned
};

Variant V(const char16_t* text) { return Variant(text); }

// The WML classes' builders; what one opens the next closes, as a script
// closes it.
std::vector<Step> WmlSteps() {
  const Variant no(false), yes(true), none(u"");
  return {
      {u"Card", {kH, kH, kH, kH, no, no, V(u"ontimer=\"t.asp\""), kH, none}},
      {u"P", {kH, kH}},
      {u"WriteRow", {kT}},
      {u"A", {kH, kH, kT}},
      {u"Anchor", {kH, kH, kT, none}},
      {u"AnchorGo", {kT, kH, kH, kH, V(u","), kH}},
      {u"PhoneA", {kH, kH, kT}},
      {u"Phone", {kH, kH, kT}},
      {u"Img", {kH, kH, none}},
      {u"Image", {kH, kH, none}},
      {u"IA", {kH, kH, kH}},
      {u"ImgA", {kH, kH, kT}},
      {u"ImgAImg", {kH, kH, kT, kH}},
      {u"DoPrev", {kH, kT, kH, no}},
      {u"DoNoop", {kH, kH, kH, yes}},
      {u"DoGo", {kH, kH, kT, kH, no, none}},
      {u"IncTaskDo", {kH, kH, kH, no}},
      {u"IncTaskGo", {kH, kH, kH, none}},
      {u"</do>", {}},
      {u"EventGo", {kH, kH, none}},
      {u"EventPrev", {kH}},
      {u"EventNoop", {kH}},
      {u"IncEvent", {kH, V(u"<noop/>")}},
      {u"DoSetVar", {kH, kH, V(u","), kH, kH, kH, V(u"false")}},
      {u"EventSetVar", {kH, kH, kH, V(u",")}},
      {u"TemplateBack", {kH, kH, kH}},
      {u"BackFooter", {kH, kT, kH}, true},
      {u"TextIn", {V(u"tip"), kH, kH, kH, kH, none}},
      {u"PostSet", {kH, kH, kH, kH, V(u"post")}},
      {u"TextPost", {kH, kH}},
      {u"TextMorePost", {kH, kH, V(u",")}},
      {u"Selects", {kH, kH, kH, kH, kH, yes, none}},
      {u"Options", {kT, kH, kH, V(u","), kH, yes}},
      {u"Table", {Variant(int16_t{2}), kH, kH}},
      {u"RowOne", {V(u"a b"), V(u" ")}},
      {u"PESoftDown", {Variant(u"soft|x"), kH}},
      {u"PEPhotoShow",
       {Variant(u"photo|x"), kH, no, Variant(int16_t{80}), Variant(int16_t{60}), none}},
  };
}

std::vector<Step> XhtmlSteps(bool php) {
  const Variant none(u"");
  std::vector<Step> steps = {
      {u"WriteRow", {kT}},
      {u"A", {kH, kH, kT, kH}},
      {u"Anchor", {V(u"named"), kH}},
      {u"P", {V(u"[img]\x1H[/img][url=\x1H]u[/url]"), kH, kH}},
      {u"Div", {V(u"[ia=\x1H]\x1H[/ia]"), kH, kH}},
  };
  if (!php) {
    steps.push_back({u"Img", {kH, kH, none}});
    steps.push_back({u"IA", {kH, kH, kH}});
    steps.push_back({u"ImgA", {kH, kH, kT}});
    steps.push_back({u"PESoftDown", {Variant(u"soft|x"), kH}});
    steps.push_back(
        {u"AutoPage",
         {V(u"0123456789abcdefghij"), Variant(int16_t{5}), Variant(false), Variant(int16_t{1})},
         true});
  }
  return steps;
}

// UBB codes carry the hostile text inside their own brackets.
std::vector<Variant> FillUbb(std::vector<Variant> args, const Hostile& hostile) {
  args = Fill(std::move(args), hostile);
  const Variant& content = args[0];
  if (content.IsString()) {
    args[0] = Variant(Replace(content.string(), u"\x1H", hostile.text));
  }
  return args;
}

struct HostilePage : test::TestPage {
  HostilePage(const char16_t* class_name, Agent agent, const Hostile& hostile,
              const char16_t* coding = u"utf-8")
      : TestPage(class_name,
                 test::PageOptions().WithAgent(test::AgentText(agent)).WithAccept("image/gif")) {
    // A WML card's title is an attribute; a page's title element holds text.
    state().CardTitle = hostile.text;
    state().SiteTitle = hostile.shown ? hostile.text : u"T";
    state().ThisFileName = hostile.text;
    state().WapEnCoding = coding;
  }

  // The steps' results and writes in page order; a step named by markup is
  // the script's own text.
  void Run(const std::vector<Step>& steps, const Hostile& hostile) {
    Response& response = *page.context().GetResponse();
    for (const Step& step : steps) {
      if (step.member[0] == u'<') {
        response.Write(std::u16string(step.member));
        continue;
      }
      const Variant result = Call(step.member, FillUbb(step.args, hostile));
      if (!step.writes_itself && result.IsString()) response.Write(result.string());
    }
  }
};

// A page that declares "gb2312" is linted in the bytes it declares.
void ExpectSound(const std::u16string& page, bool phone, const char16_t* coding = u"utf-8") {
  EXPECT_EQ(AttributeFault(page), "") << U8(page);
  if (phone && xml_check::HaveXmllint()) {
    const bool gbk = coding == std::u16string_view(u"gb2312");
    EXPECT_EQ(xml_check::Lint(gbk ? codepage::ToGbk(page) : U8(page)), 0) << U8(page);
  }
}

// Runs `check` on every class of `classes`, terminal, coding and hostile
// text, naming the case.
template <typename Check>
void ForEveryCase(std::initializer_list<const char16_t*> classes, Check check) {
  for (const char16_t* class_name : classes) {
    for (const Agent agent : {Agent::kPhone, Agent::kWeb}) {
      for (const char16_t* coding : kCodings) {
        for (const Hostile& hostile : kHostile) {
          if (Skips(coding, hostile)) continue;
          SCOPED_TRACE(U8(class_name) + (agent == Agent::kWeb ? " on Web, " : " on a phone, ") +
                       U8(coding) + ", " + U8(hostile.text));
          check(class_name, agent, coding, hostile);
        }
      }
    }
  }
}

TEST(HostileTexts, WmlDecksStayWellFormedAndHtmlKeepsItsAttributes) {
  ForEveryCase({u"WAP", u"EnWAP"}, [](const char16_t* class_name, Agent agent,
                                      const char16_t* coding, const Hostile& hostile) {
    HostilePage page(class_name, agent, hostile, coding);
    page.Call(u"PageHeader", {Variant(hostile.text)});
    page.Run(WmlSteps(), hostile);
    page.Call(u"PageFooter");
    ExpectSound(page.Body(), agent == Agent::kPhone, coding);
  });
}

TEST(HostileTexts, XhtmlPagesStayWellFormedAndHtmlKeepsItsAttributes) {
  ForEveryCase({u"XML", u"EnXML", u"PHPXML"}, [](const char16_t* class_name, Agent agent,
                                                 const char16_t* coding, const Hostile& hostile) {
    const bool php = class_name == std::u16string_view(u"PHPXML");
    HostilePage page(class_name, agent, hostile, coding);
    Response& response = *page.page.context().GetResponse();
    const std::u16string sheet = hostile.text + u".css";
    if (php) {
      response.Write(page.Call(u"XhtmlHeader", {Variant(sheet)}).string());
    } else {
      page.Call(u"XhtmlHeader", {Variant(sheet), Variant(hostile.text)});
    }
    page.Run(XhtmlSteps(php), hostile);
    if (php) {
      response.Write(page.Call(u"XhtmlFooter").string());
    } else {
      page.Call(u"XhtmlFooter");
    }
    // The pager's own form quotes its address with apostrophes.
    if (!php && hostile.text.starts_with(u"it's")) {
      EXPECT_NE(page.Body().find(u"action='it&#39;s a &#39;quote&#39; &#39;&gt;'"),
                std::u16string::npos);
    }
    ExpectSound(page.Body(), agent == Agent::kPhone, coding);
  });
}

// The companions' builders, each result a piece of a page.
TEST(HostileTexts, CompanionPieces) {
  for (const Hostile& hostile : kHostile) {
    SCOPED_TRACE(U8(hostile.text));
    ObjectPtr xhtml = CreateByProgId(u"Zorvadel.WAPXHTML");
    ObjectPtr wml = CreateByProgId(u"Zorvadel.WAPWML");
    std::u16string pieces = u"<r>";
    pieces += CStr(Invoke(*xhtml, u"P", FillUbb({V(u"[img]\x1H[/img]"), kH, kH}, hostile)));
    pieces += CStr(Invoke(*xhtml, u"Div", FillUbb({V(u"[url=\x1H]u[/url]"), kH, kH}, hostile)));
    pieces += CStr(Invoke(*wml, u"UbbWML", FillUbb({V(u"[img=\x1H]\x1H[/img]")}, hostile)));
    pieces += u"</r>";
    ExpectSound(pieces, /*phone=*/true);
  }
}

// ---- Record fields through the lists ----------------------------------------------

// The demo's news list over a record titled to break out of A's tip, an
// address holding a NUL, quotes and brackets, and a record whose every field
// holds what no page can carry, as characters and as references: every list
// that writes a record into an attribute or between tags, on a phone and on
// a desktop, in UTF-8 and in raw "gb2312", from a SQLite file.
class RecordFields : public ::testing::Test {
 protected:
  void SetUp() override {
    // Stored as UTF-16, a text keeps U+FFFE, U+FFFF and a lone surrogate,
    // which SQLite's own UTF-8 reading would turn into U+FFFD.
    test::MakeDatabase(scratch_.path() / "f.db",
                       {u"PRAGMA encoding = 'UTF-16le'",
                        u"CREATE TABLE Zorvadel (Id INTEGER PRIMARY KEY, Title TEXT, "
                        u"Content TEXT, Url TEXT)",
                        u"INSERT INTO Zorvadel VALUES (1, 'Plain', 'c', 'a.asp?x=1&amp;y=2')",
                        u"INSERT INTO Zorvadel VALUES (2, 'x\" onmouseover=\"alert(1)\" y=\"', "
                        u"'c', 'a' || char(0) || 'b\"<c>&d' || char(31))",
                        u"INSERT INTO Zorvadel VALUES (3, 'v' || char(11) || "
                        u"CAST(X'FEFF00D8' AS TEXT) || '&#xFFFE;&#0;' || char(1) || 'w', "
                        u"'c' || CAST(X'FFFF' AS TEXT) || '&#xD800;', "
                        u"'u' || CAST(X'FEFF' AS TEXT) || '&#x1F;.asp')"});
  }
  test::ScratchFolder scratch_;
};

TEST_F(RecordFields, TheIssuesTitleInADesktopsTip) {
  auto rs = test::OpenRecordset(test::Connect(test::AccessString(scratch_.path() / "f.db")),
                                u"SELECT Title FROM Zorvadel WHERE Id = 2", 1);
  const std::u16string title = CStr(rs->FieldValue(0));
  test::TestPage page(u"WAP", test::PageOptions().WithAgent(test::kDesktopAgent));
  EXPECT_EQ(page.CallUtf8(u"A", {u"", u"news.asp?Id=2", title}),
            "<a title=\"x&quot; onmouseover=&quot;alert(1)&quot; y=&quot;\" "
            "href=\"news.asp?Id=2\">x\" onmouseover=\"alert(1)\" y=\"</a>");
}

TEST_F(RecordFields, EveryListKeepsItsAttributesWhole) {
  const std::pair<const char16_t*, std::vector<Variant>> lists[] = {
      {u"MdbList", {Variant(int16_t{0})}},
      {u"MdbLinkList", {}},
      {u"MdbSiteList", {Variant(u"Title"), Variant(u"Content"), Variant(u"Url")}},
  };
  for (const char16_t* class_name : {u"WAP", u"EnWAP", u"XML", u"EnXML"}) {
    const bool wml = std::u16string_view(class_name).ends_with(u"WAP");
    for (const Agent agent : {Agent::kPhone, Agent::kWeb}) {
      for (const char16_t* coding : kCodings) {
      for (const auto& [member, args] : lists) {
        SCOPED_TRACE(U8(class_name) + "." + U8(member) +
                     (agent == Agent::kWeb ? " on Web, " : " on a phone, ") + U8(coding));
        test::TestPage page(
            class_name,
            test::FactsFor(
                test::PageOptions().WithUrl("/news/list.asp").WithAgent(test::AgentText(agent))),
            0, scratch_.path().string());
        PageState& s = page.state();
        s.MdbPath = u"/f.db";
        s.StrSql = u"SELECT * FROM Zorvadel ORDER BY Id";
        s.FieldShow = u"Title";
        s.FieldUrl = u"Url";
        s.WapEnCoding = coding;
        page.Call(wml ? u"PageHeader" : u"XhtmlHeader", {});
        page.Call(member, args);
        page.Call(wml ? u"PageFooter" : u"XhtmlFooter", {});
        const std::u16string body = page.Body();
        ASSERT_NE(body.find(u"alert(1)"), std::u16string::npos) << U8(body);
        // The third title without its characters; MdbList encodes its titles
        // as HTML, so there the references show as text.
        const bool encoded = member == std::u16string_view(u"MdbList");
        EXPECT_NE(body.find(encoded ? u"v&amp;#xFFFE;&amp;#0;w<" : u"vw<"), std::u16string::npos)
            << U8(body);
        if (!encoded) {
          // The NUL and the unit 31 dropped, the rest as entities.
          EXPECT_NE(body.find(u"href=\"ab&quot;&lt;c&gt;&amp;d\""), std::u16string::npos)
              << U8(body);
          EXPECT_NE(body.find(u"href=\"u.asp\""), std::u16string::npos) << U8(body);
        }
        ExpectSound(body, agent == Agent::kPhone, coding);
      }
      }
    }
  }
}

}  // namespace
}  // namespace zorvadel
