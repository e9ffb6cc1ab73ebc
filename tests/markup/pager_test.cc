// The long-text pagers: the piece a request gets and what follows it (texts
// are runs of letters, so a piece is known by where it starts), and whole
// documents for xml2wbxml and xmllint.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "markup/page_cut.h"
#include "markup/xml_check.h"
#include "platform/codepage/codepage.h"
#include "support/member_calls.h"
#include "support/page_fixture.h"

namespace zorvadel {
namespace {

TEST(CutWindow, FixedWindowsOfUnits) {
  const std::u16string_view text = u"abcdef\U0001F600";  // the last character is two units
  EXPECT_EQ(markup::CutWindow(text, 4, 3), u"def");
  EXPECT_EQ(markup::CutWindow(text, 7, 1), u"\xD83D");
  EXPECT_EQ(markup::CutWindow(text, 5, 99), u"ef\U0001F600");
  EXPECT_EQ(markup::CutWindow(text, 9, 3), u"");
  EXPECT_EQ(markup::CutWindow(text, -5, 2), u"ab");
  EXPECT_EQ(markup::CutWindow(text, 2, -4), u"");
}

// "abc...zabc...", `n` units.
std::u16string Letters(size_t n) {
  std::u16string text(n, u'a');
  for (size_t i = 0; i < n; ++i) text[i] = static_cast<char16_t>(u'a' + i % 26);
  return text;
}

struct Request {
  std::string query;  // after "/p.asp"
  std::string form = {}, cookie = {};
};

struct PagerPage : test::TestPage {
  explicit PagerPage(std::u16string_view class_name, const Request& r = {""})
      : TestPage(class_name, Facts(r), 65001) {}
  static engine::RequestFacts Facts(const Request& r) {
    auto facts = test::FactsFor(test::PageOptions().WithUrl("/p.asp" + r.query).WithForm(r.form));
    if (!r.cookie.empty()) facts.headers.emplace_back("Cookie", r.cookie);
    return facts;
  }
  std::string Body() const { return page.Body(); }
};

std::string Link(const std::string& query, const std::string& label, std::string title = "Enter") {
  return "<a title=\"" + title + "\" href=\"http://localhost/p.asp" + query + "\">" + label +
         "</a>";
}
// The Chinese classes' title and EasyMorePage labels.
constexpr const char* kOk = "&#x786E;&#x5B9A;";
constexpr const char* kNextZh = "&#x4E0B;&#x4E00;&#x9875;";
constexpr const char* kPrevZh = "&#x4E0A;&#x4E00;&#x9875;";

// EasyMorePage's links.
std::string Next(const std::string& at, const char* label = "Next Page",
                 const char* title = "Enter") {
  return Link("?toshow=down&amp;mystart=" + at, label, title) + "<br/>";
}
std::string Prev(const std::string& at, const char* label = "Previous Page",
                 const char* title = "Enter") {
  return Link("?toshow=up&amp;mystart=" + at, label, title) + "<br/>";
}
// MorePage's count line and a row of links j pages from `from`, `step`
// units a page.
std::string Count(int pages, int page) {
  return "Total: " + std::to_string(pages) + " Pages,The Page " + std::to_string(page) + "<br/>";
}
std::string Row(int from, int step, std::initializer_list<int> pages, const char* title = "Enter") {
  std::string row;
  for (int j : pages) {
    if (!row.empty()) row += ' ';
    row += Link("?MyStart=" + std::to_string(from + j * step), std::to_string(j), title);
  }
  return row + "<br/>";
}
const std::string kDown = "Page Down  ";
const std::string kUp = "Page Up ";
const std::string kNextImage = "<img src=\"Images/NextPage.Png\" alt=\"\" />";
const std::string kPrevImage = "<img src=\"Images/PrePage.Png\" alt=\"\" />";
// AutoPage's pieces.
const std::string kRule = "<br/>-----<br/>";
std::string Go(int at, const std::string& label) {
  return Link("?MyStart=" + std::to_string(at), label) + " ";
}
std::string Rest(int at, int cut) {
  return Link("?MyStart=" + std::to_string(at) + "&amp;TextLong=" + std::to_string(cut), "") +
         "<br/>";
}
std::string Form(int now) {
  return "<form method='post' action='http://localhost/p.asp'>The<input type='text' "
         "name='GoPage' size='3' maxlength='3' value='" +
         std::to_string(now) + "'/><input type='submit' value='Go'/></form><br/>";
}
const std::string kMiddle = Go(21, "Next Page") + Go(1, "Previous Page");  // of 25 units
const std::string kFirstStyle1 = Go(11, "Next Page") + "(1/3)<br/>" + Form(1);

// EasyMorePage written or (PHPXML) returned, MorePage without or with its
// pictures, AutoPage in each style.
enum Pager { kEasy, kEasyText, kMore, kMoreImages, kAuto0, kAuto1, kAuto2, kAuto3 };

TEST(Pagers, PieceAndNavigation) {
  const struct {
    Pager pager;
    size_t size;
    int16_t length;
    Request request;
    int64_t piece_start, piece_length;  // of the letters shown
    std::string after;                  // what follows the piece and its rule
    const char16_t* class_name = u"EnXML";
    const char* redirect = "";  // after "http://localhost/p.asp"
  } rows[] = {
      // clang-format off
      // EasyMorePage: the walk of 25 units, then its edge list.
      {kEasy, 25, 10, {""}, 1, 10, Next("1")},
      {kEasy, 25, 10, {"?id=7&toshow=down&mystart=1"}, 11, 10, Next("11") + Prev("11")},
      {kEasy, 25, 10, {"?toshow=down&mystart=11"}, 21, 10, Prev("21")},
      {kEasy, 25, 10, {"?toshow=Down&mystart=11"}, 1, 10, Next("1")},
      {kEasy, 25, 10, {"?toshow=down"}, 10, 10, Next("10") + Prev("10")},
      {kEasy, 25, 10, {"?toshow=down&mystart=abc"}, 1, 10, Next("1")},
      {kEasy, 25, 10, {"?toshow=down&mystart=1.5"}, 12, 10, Next("11.5") + Prev("11.5")},
      {kEasy, 25, 10, {"?toshow=down&mystart=91"}, 101, 10, Prev("101")},
      {kEasy, 20, 10, {"?toshow=down&mystart=1"}, 11, 10, Prev("11")},
      {kEasy, 21, 10, {"?toshow=down&mystart=1"}, 11, 10, Next("11") + Prev("11")},
      {kEasy, 7, 10, {""}, 1, 10, ""},
      {kEasy, 0, 10, {""}, 1, 10, ""},
      {kEasy, 3, 1, {""}, 1, 1, Next("1")},
      // MorePage: each rung, forward and back, and the edge list.
      {kMore, 35, 10, {""}, 1, 10, Count(4, 1) + kDown + Row(1, 10, {1, 2, 3})},
      {kMore, 0, 10, {""}, 1, 10, Count(0, 1)},
      {kMore, 10, 10, {""}, 1, 10, Count(1, 1)},
      {kMore, 11, 10, {""}, 1, 10, Count(2, 1) + kDown + Row(1, 10, {1})},
      {kMore, 35, 10, {"?MyStart=31"}, 31, 10, Count(4, 4) + kUp + Row(31, -10, {1, 2, 3})},
      {kMore, 250, 10, {""}, 1, 10, Count(25, 1) + kDown + Row(1, 10, {1, 2, 3, 5, 7, 9})},
      {kMore, 100, 10, {""}, 1, 10, Count(10, 1) + kDown + Row(1, 10, {1, 2, 3, 4, 5})},
      {kMore, 250, 10, {"?MyStart=101"}, 101, 10, Count(25, 11) + kDown
       + Row(101, 10, {1, 2, 3, 5, 7, 9}) + kUp + Row(101, -10, {1, 2, 3, 5, 7, 9})},
      {kMore, 100, 10, {"?MyStart=51"}, 51, 10, Count(10, 6) + kDown
       + Row(51, 10, {1, 2, 3, 4}) + kUp + Row(51, -10, {1, 2, 3, 4, 5})},
      {kMore, 35, 10, {"?MyStart=91"}, 91, 10, Count(4, 10) + kUp},
      {kMore, 35, 10, {"?MyStart=61"}, 61, 10, Count(4, 7) + kUp + Row(61, -10, {1, 2, 3, 4, 5})},
      {kMore, 35, 10, {"?MyStart=-15"}, 1, 10, Count(4, 0) + kDown + Row(1, 10, {1, 2, 3})},
      {kMore, 12, 10, {"?MyStart=5"}, 5, 10, Count(2, 1) + kDown},
      {kMore, 35, 10, {"?MyStart=6"}, 6, 10, Count(4, 1) + kDown + Row(6, 10, {1, 2}) + kUp},
      {kMore, 35, 10, {"?MyStart=12.5"}, 12, 10,
       Count(4, 2) + kDown + Row(12, 10, {1, 2}) + kUp + Row(12, -10, {1})},
      {kMore, 35, 10, {"?MyStart=99999999999"}, 1, 10, Count(4, 1) + kDown + Row(1, 10, {1, 2, 3})},
      {kMore, 3, 1, {""}, 1, 1, Count(3, 1) + kDown + Row(1, 1, {1, 2})},
      // AutoPage, styles 0 to 3.
      {kAuto0, 25, 10, {""}, 1, 10, "[1/3] " + Go(11, "Next Page") + Rest(11, 29)},
      {kAuto0, 25, 10, {"?MyStart=11"}, 11, 10, "[2/3] " + kMiddle + Rest(21, 19)},
      {kAuto0, 25, 10, {"?MyStart=21"}, 21, 10, "[3/3] " + Go(11, "Previous Page") + Rest(31, 9)},
      {kAuto0, 0, 10, {""}, 1, 10, "[1/0] " + Rest(11, 4)},
      {kAuto0, 25, 10, {"?MyStart=11&TextLong=19"}, 11, 19, "[2/3] " + kMiddle + Rest(21, 19)},
      {kAuto0, 25, 10, {"?MyStart=21&TextLong=abc"}, 21, 0,
       "[3/3] " + Go(11, "Previous Page") + Rest(31, 9)},
      {kAuto0, 25, 10, {"?MyStart=21", "TextLong=-3"}, 21, 0,
       "[3/3] " + Go(11, "Previous Page") + Rest(31, 9)},
      {kAuto1, 10, 10, {""}, 1, 10, "Only One Page (1/1)<br/>" + Form(1)},
      {kAuto1, 25, 10, {"?MyStart=11"}, 11, 10, kMiddle + "(2/3)<br/>" + Form(2)},
      // The jump form redirects (the page written so far is dropped) to the
      // first unit of the typed page, from the form or the query, never a cookie.
      {kAuto1, 25, 10, {"", "GoPage=3"}, 1, 10, "", u"EnXML", "?MyStart=21"},
      {kAuto1, 25, 10, {"?GoPage=2"}, 1, 10, "", u"EnXML", "?MyStart=11"},
      {kAuto1, 25, 10, {"", "GoPage=1.5"}, 1, 10, "", u"EnXML", "?MyStart=6"},
      {kAuto1, 25, 10, {"", "GoPage=0"}, 1, 10, "", u"EnXML", "?MyStart=-9"},
      {kAuto1, 25, 10, {"", "GoPage=x"}, 1, 10, kFirstStyle1},
      {kAuto1, 25, 10, {"", "GoPage=1e308"}, 1, 10, kFirstStyle1},
      {kAuto1, 25, 10, {"", "", "GoPage=3"}, 1, 10, kFirstStyle1},
      {kAuto2, 10, 10, {""}, 1, 10, " 1 of 1 Only One Page <br/>"},
      {kAuto2, 25, 10, {"?MyStart=11"}, 11, 10,
       Go(21, ">>Next Page") + " 2 of 3 " + Go(1, "&lt;&lt; Prev") + "<br/>"},
      {kAuto2, 25, 10, {"?MyStart=-25"}, 1, 10, Go(11, ">>Next Page") + " -1 of 3 <br/>"},
      {kAuto2, 25, 10, {"?MyStart=31"}, 31, 10, " 4 of 3 " + Go(21, "&lt;&lt; Prev") + "<br/>"},
      {kAuto3, 25, 10, {"?MyStart=11"}, 11, 10, ""},
      // The worked examples, in the Chinese classes (WML links have no id either).
      {kEasy, 3500, 1000, {"?toshow=down&mystart=1"}, 1001, 1000,
       Next("1001", kNextZh, kOk) + Prev("1001", kPrevZh, kOk), u"WAP"},
      {kMore, 3500, 1000, {"?MyStart=1001"}, 1001, 1000, "&#x5171;4&#x9875; &#x7B2C;2&#x9875;<br/>"
       "&#x5411;&#x4E0B;&#x7FFB;&#x9875;" + Row(1001, 1000, {1, 2}, kOk) +
       "&#x5411;&#x4E0A;&#x7FFB;&#x9875;" + Row(1001, -1000, {1}, kOk), u"XML"},
      {kAuto2, 2500, 1000, {"?MyStart=1001"}, 1001, 1000, Link("?MyStart=2001",
       ">>&#x4E0B;&#x9875;", kOk) + "  2/3 " + Link("?MyStart=1", "&lt;&lt;&#x4E0A;&#x9875;", kOk)
       + " <br/>", u"XML"},
      // A picture goes with its label, so a single page writes none.
      {kMoreImages, 25, 10, {"?MyStart=11"}, 11, 10, Count(3, 2) + kNextImage + kDown
       + Row(11, 10, {1}) + kPrevImage + kUp + Row(11, -10, {1}), u"EnWAP"},
      {kMoreImages, 10, 10, {""}, 1, 10, Count(1, 1), u"EnWAP"},
      // PHPXML returns the markup and finds its keys in the form or a cookie too.
      {kEasyText, 25, 10, {"", "toshow=down&mystart=1"}, 11, 10,
       Next("11", kNextZh, kOk) + Prev("11", kPrevZh, kOk), u"PHPXML"},
      {kEasyText, 25, 10, {"", "", "mystart=1; toshow=down"}, 11, 10,
       Next("11", kNextZh, kOk) + Prev("11", kPrevZh, kOk), u"PHPXML"},
      // clang-format on
  };
  for (const auto& row : rows) {
    PagerPage page(row.class_name, row.request);
    PageObject& o = *page.object;
    const std::u16string text = Letters(row.size);
    std::string body;
    if (row.pager == kEasyText)
      body = codepage::ToUtf8(o.EasyMorePageText(text, row.length, true).string());
    if (row.pager == kEasy) o.EasyMorePage(text, row.length, true);
    if (row.pager == kMore || row.pager == kMoreImages)
      o.MorePage(text, row.length, true, row.pager == kMoreImages);
    if (row.pager >= kAuto0) o.AutoPage(text, row.length, true, row.pager - kAuto0);
    const std::string piece =
        codepage::ToUtf8(markup::CutWindow(text, row.piece_start, row.piece_length));
    const std::string between = row.pager <= kEasyText ? "<br/>" : kRule;
    EXPECT_EQ(body + page.Body(), *row.redirect ? "" : piece + between + row.after)
        << row.request.query << " in " << row.size << " units, " << row.length << " a page";
    EXPECT_EQ(page.Header("Location").value_or(""),
              *row.redirect ? std::string("http://localhost/p.asp") + row.redirect : "");
  }
}

// The page passes the filter once and AutoPage's links not again, so a
// highlighted keyword cannot reach an address. The repair mends both edges
// before the UBB codes of the page alone convert; a length below 1 pages
// nothing.
TEST(Pagers, FilterRepairAndUbbOfThePiece) {
  PagerPage highlighted(u"EnXML", {"?MyStart=11"});
  highlighted.state().FontKeyWords = u"MyStart|y";
  highlighted.state().PreFontText = u"<i>";
  highlighted.state().LastFontText = u"</i>";
  highlighted.object->AutoPage(u"xxxxxxxxxxxxyxxxxxxxxxxxx", 10, false, 2);
  EXPECT_EQ(highlighted.Body(), "xx<i>y</i>xxxxxxx" + kRule + Go(21, ">>Next Page") + " 2 of 3 " +
                                    Go(1, "&lt;&lt; Prev") + "<br/>");
  const std::u16string text = u"ab<br/>c[b]x[/b]&amp;[url=u.asp]y[/url]e";
  const struct {
    std::string query;
    int16_t length;
    bool ubb;
    std::string piece;
  } rows[] = {
      {"", 4, true, "ab"},              // "ab<b": the cut tag dropped
      {"?MyStart=5", 4, true, "c"},     // "r/>c"
      {"?MyStart=5", 7, true, "c<b>"},  // "r/>c[b]": each half on its own
      {"?MyStart=5", 7, false, "c[b]"},
      {"?MyStart=17", 3, true, "&amp;am"},  // not mended: the filter escapes "&"
      {"?MyStart=20", 2, true, "&nbsp;"},   // "p;" completed in front
      {"?MyStart=22", 19, true, "<a title=\"&#x786E;&#x5B9A;\" href=\"u.asp\">y</a>e"},
      {"?MyStart=22", 17, true, "[url=u.asp]y[/url"},
      {"", 0, true, ""},
  };
  for (const auto& r : rows) {
    PagerPage page(u"EnXML", {r.query});
    page.object->MorePage(text, r.length, r.ubb, false);
    const std::string body = page.Body();
    EXPECT_EQ(body.substr(0, body.find(kRule)), r.piece) << r.query << " " << r.length;
  }
}

// By name: the members each class has, with their defaults: EnWAP pages at
// 300, the others at 1000; EnXML's AutoPage writes no navigation unless
// asked, XML's writes style 0; PHPXML returns its page.
TEST(Pagers, ByName) {
  const test::Presence presence[] = {
      {u"EasyMorePage", "XxWwP-"}, {u"MorePage", "XxWw--"}, {u"AutoPage", "Xx----"}};
  test::ExpectPresence(presence);
  auto tags = [](const char16_t* class_name, const char16_t* member, std::vector<Variant> args) {
    PagerPage page(class_name);
    args.insert(args.begin(), Variant(Letters(301)));
    page.Call(member, std::move(args));
    return std::ranges::count(page.Body(), '<');
  };
  EXPECT_GT(tags(u"EnWAP", u"EasyMorePage", {}), tags(u"WAP", u"EasyMorePage", {}));
  EXPECT_EQ(tags(u"EnXML", u"AutoPage", {}), 2);
  EXPECT_GT(tags(u"XML", u"AutoPage", {Variant::Missing()}), 2);
  PagerPage php(u"PHPXML");
  EXPECT_EQ(php.Call(u"EasyMorePage", {Variant(u"[b]x[/b]")}).string(), u"<b>x</b><br/>");
}

// Whole documents of every page of an article at 7 units a page, whose
// edges fall inside references, tags and UBB codes: the WML decks compile
// with xml2wbxml and the XHTML pages are well-formed for xmllint (which only
// warns of undeclared entities such as "&nbsp;"). Simple and alignment codes
// ("[b]", "[p=center]") are left out: a pair that an edge splits converts
// half on each page, as documented.
TEST(Pagers, WholeDocuments) {
  if (!xml_check::HaveDocumentChecks()) {
    GTEST_SKIP() << "xml2wbxml (libwbxml2-utils) or xmllint (libxml2-utils) is not installed";
  }
  const std::u16string article =
      u"手机上的长文章，First line &amp; more&lt;b&gt; &quot;quoted&quot; &#x4E2D;文<br/>第二行\r\n"
      u"[url=show.asp?id=1&amp;p=2]链接[/url] and [br][img]pic/a.gif[/img]居中[code]x[/code] 完。";
  for (int n = 1; n <= static_cast<int>(article.size()) / 7 + 2; ++n) {
    const std::string more = "MyStart=" + std::to_string(7 * n - 6);
    const std::string easy = n == 1 ? "" : "toshow=down&mystart=" + std::to_string(7 * n - 13);
    // Each pager on each page in one class of each markup; AutoPage beside
    // MorePage, whose key it shares.
    for (const char16_t* class_name : {u"WAP", u"EnWAP", u"XML", u"EnXML", u"PHPXML"}) {
      const std::u16string_view name(class_name);
      const bool wml = name.ends_with(u"WAP"), php = name == u"PHPXML";
      const bool use_more = !php && (n + name.size()) % 2 == 0;
      PagerPage p(class_name, php ? Request{"", easy} : Request{"?" + (use_more ? more : easy)});
      PageObject& o = *p.object;
      std::string document;
      if (php) {
        document =
            codepage::ToUtf8(o.XhtmlHeaderText(u"") +
                             o.EasyMorePageText(article, 7, true).string() + o.XhtmlFooterText());
      } else {
        wml ? o.PageHeader() : o.XhtmlHeader(u"");
        use_more ? o.MorePage(article, 7, true, true) : o.EasyMorePage(article, 7, true);
        if (!wml && use_more) o.AutoPage(article, 7, true, static_cast<int16_t>(n % 3));
        wml ? o.PageFooter() : o.XhtmlFooter();
        document = p.Body();
      }
      EXPECT_EQ(xml_check::CheckDocument(document, wml), 0) << document;
    }
  }
}

}  // namespace
}  // namespace zorvadel
