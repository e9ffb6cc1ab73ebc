// The long-text pagers played over the in-memory engine: which piece a
// request gets, the count lines and which links follow, for the worked
// examples and edge lists of the pagers' documentation. Texts are runs of
// letters, so a piece is known by where it starts; Chinese words come out
// of the output filter as "&#xHEX;". The shared cut's own table opens the
// file; whole decks checked by XML tools are in pager_deck_test.cc.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "markup/page_cut.h"
#include "platform/codepage/codepage.h"
#include "support/page_fixture.h"

namespace zorvadel {
namespace {

// ---- The window ------------------------------------------------------------------

TEST(CutWindow, FixedWindowsOfUnits) {
  struct Row {
    int64_t start, length;
    std::u16string_view out;
  };
  const std::u16string_view text = u"abcdef\U0001F600";  // the last character is two units
  const Row rows[] = {
      {1, 3, u"abc"},  {4, 3, u"def"},      {7, 1, u"\xD83D"}, {5, 99, u"ef\U0001F600"},
      {9, 3, u""},     {1000, 3, u""},      {0, 2, u"ab"},     {-5, 2, u"ab"},
      {2, 0, u""},     {2, -4, u""},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(markup::CutWindow(text, r.start, r.length), r.out) << r.start << "," << r.length;
  }
}

// ---- Pages and requests --------------------------------------------------------------

// "abc...zabc...", `n` units.
std::u16string Letters(size_t n) {
  std::u16string text(n, u'a');
  for (size_t i = 0; i < n; ++i) text[i] = static_cast<char16_t>(u'a' + i % 26);
  return text;
}
std::string Piece(size_t n, int64_t start, int64_t length) {
  return codepage::ToUtf8(markup::CutWindow(Letters(n), start, length));
}

struct Request {
  std::string query;  // after "/p.asp"
  std::string form = {};
  std::string cookie = {};
};

struct PagerPage : test::TestPage {
  PagerPage(std::u16string_view class_name, const Request& r)
      : TestPage(class_name, Facts(r), 65001) {}
  static engine::RequestFacts Facts(const Request& r) {
    engine::RequestFacts facts = test::FactsFor(test::PageOptions().WithUrl("/p.asp" + r.query));
    if (!r.form.empty()) facts.method = "POST", facts.form = r.form;
    if (!r.cookie.empty()) facts.headers.emplace_back("Cookie", r.cookie);
    return facts;
  }
  std::string Body() const { return page.Body(); }
};

std::string Link(const std::string& title, const std::string& query, const std::string& label) {
  return "<a title=\"" + title + "\" href=\"http://localhost/p.asp" + query + "\">" + label +
         "</a>";
}

// ---- EasyMorePage -------------------------------------------------------------------

std::string Next(const std::string& at) {
  return Link("Enter", "?toshow=down&amp;mystart=" + at, "Next Page") + "<br/>";
}
std::string Prev(const std::string& at) {
  return Link("Enter", "?toshow=up&amp;mystart=" + at, "Previous Page") + "<br/>";
}

struct EasyCase {
  const char* name;
  size_t size;
  int16_t text_long;
  std::string query;
  int64_t piece_start;  // past the text: an empty piece
  std::string links;
};

class EasyMore : public testing::TestWithParam<EasyCase> {};

TEST_P(EasyMore, PieceAndLinks) {
  const EasyCase& c = GetParam();
  PagerPage page(u"EnXML", {c.query});
  page.object->EasyMorePage(Letters(c.size), c.text_long, true);
  EXPECT_EQ(page.Body(), Piece(c.size, c.piece_start, c.text_long) + "<br/>" + c.links);
}

// The walk of 2500 units at 1000 a page, and its edge list, at 10 a page.
const EasyCase kEasyCases[] = {
    {"FirstRequest", 25, 10, "", 1, Next("1")},
    {"Middle", 25, 10, "?toshow=down&mystart=1", 11, Next("11") + Prev("11")},
    {"Last", 25, 10, "?toshow=down&mystart=11", 21, Prev("21")},
    {"BackToMiddle", 25, 10, "?toshow=up&mystart=21", 11, Next("11") + Prev("11")},
    {"BackFromFirstStays", 25, 10, "?toshow=up&mystart=1", 1, Next("1")},
    {"OnlyDownMovesForward", 25, 10, "?toshow=Down&mystart=11", 1, Next("1")},
    {"MissingStartCountsZero", 25, 10, "?toshow=down", 10, Next("10") + Prev("10")},
    {"StartNoNumber", 25, 10, "?toshow=down&mystart=abc", 1, Next("1")},
    {"StartEmpty", 25, 10, "?toshow=down&mystart=", 1, Next("1")},
    {"StartNegative", 25, 10, "?toshow=down&mystart=-30", 1, Next("1")},
    {"FractionCutsAtNearestEven", 25, 10, "?toshow=down&mystart=1.5", 12,
     Next("11.5") + Prev("11.5")},
    {"BeyondTheEnd", 25, 10, "?toshow=down&mystart=91", 101, Prev("101")},
    {"OtherFieldsNotCarried", 25, 10, "?id=7&toshow=down&mystart=1", 11,
     Next("11") + Prev("11")},
    {"TwoPagesExactly", 20, 10, "?toshow=down&mystart=1", 11, Prev("11")},
    {"OneMoreUnit", 21, 10, "?toshow=down&mystart=1", 11, Next("11") + Prev("11")},
    {"OneUnitLastPage", 21, 10, "?toshow=down&mystart=11", 21, Prev("21")},
    {"ShortText", 10, 10, "", 1, ""},
    {"EmptyText", 0, 10, "", 1, ""},
    // Position 1 is the first page at length 1 too.
    {"LengthOneFirst", 3, 1, "", 1, Next("1")},
    {"LengthOneMiddle", 3, 1, "?toshow=down&mystart=1", 2, Next("2") + Prev("2")},
    {"LengthOneLast", 3, 1, "?toshow=down&mystart=2", 3, Prev("3")},
    {"LengthOneOnlyPage", 1, 1, "", 1, ""},
    {"LengthTwo", 3, 2, "", 1, Next("1")},
    {"LengthBeyondText", 5, 1000, "", 1, ""},
};

INSTANTIATE_TEST_SUITE_P(Requests, EasyMore, testing::ValuesIn(kEasyCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EasyMorePage, ChineseLabelsAndWmlLinks) {
  PagerPage page(u"WAP", {"?toshow=down&mystart=1"});
  page.object->EasyMorePage(Letters(25), 10, true);
  EXPECT_EQ(page.Body(),
            Piece(25, 11, 10) + "<br/>" +
                Link("&#x786E;&#x5B9A;", "?toshow=down&amp;mystart=11", "&#x4E0B;&#x4E00;&#x9875;") +
                "<br/>" +
                Link("&#x786E;&#x5B9A;", "?toshow=up&amp;mystart=11", "&#x4E0A;&#x4E00;&#x9875;") +
                "<br/>");
}

// PHPXML returns the markup and finds its keys in any collection.
TEST(EasyMorePage, PhpXmlReturnsAndReadsEveryCollection) {
  const std::string links =
      Link("&#x786E;&#x5B9A;", "?toshow=down&amp;mystart=11", "&#x4E0B;&#x4E00;&#x9875;") +
      "<br/>" +
      Link("&#x786E;&#x5B9A;", "?toshow=up&amp;mystart=11", "&#x4E0A;&#x4E00;&#x9875;") + "<br/>";
  for (const Request& r : {Request{"", "toshow=down&mystart=1"},
                           Request{"", "", "toshow=down; mystart=1"}}) {
    PagerPage page(u"PHPXML", r);
    const Variant result = page.object->EasyMorePageText(Letters(25), 10, true);
    EXPECT_EQ(codepage::ToUtf8(result.string()), Piece(25, 11, 10) + "<br/>" + links);
    EXPECT_EQ(page.Body(), "");
  }
}

// ---- MorePage ----------------------------------------------------------------------

// A row of jumps: (label, MyStart) pairs.
std::string Row(const std::string& title, const std::vector<std::pair<int, int>>& links) {
  std::string row;
  for (size_t i = 0; i < links.size(); ++i) {
    row += Link(title, "?MyStart=" + std::to_string(links[i].second),
                std::to_string(links[i].first));
    row += i + 1 == links.size() ? "<br/>" : " ";
  }
  return row;
}
std::string Row(const std::vector<std::pair<int, int>>& links) { return Row("Enter", links); }
const std::string kDown = "Page Down  ";
const std::string kUp = "Page Up ";

struct MoreCase {
  const char* name;
  size_t size;
  int16_t text_long;
  std::string query;
  int64_t piece_start;
  std::string count;  // "pages,page"
  std::string nav;
};

class MorePageCases : public testing::TestWithParam<MoreCase> {};

TEST_P(MorePageCases, PieceCountAndRows) {
  const MoreCase& c = GetParam();
  PagerPage page(u"EnXML", {c.query});
  page.object->MorePage(Letters(c.size), c.text_long, true, false);
  const size_t comma = c.count.find(',');
  EXPECT_EQ(page.Body(), Piece(c.size, c.piece_start, c.text_long) + "<br/>-----<br/>Total: " +
                             c.count.substr(0, comma) + " Pages,The Page " +
                             c.count.substr(comma + 1) + "<br/>" + c.nav);
}

// The edge list at 10 units a page (1000 in the documentation).
const MoreCase kMoreCases[] = {
    {"NoStart", 35, 10, "", 1, "4,1", kDown + Row({{1, 11}, {2, 21}, {3, 31}})},
    {"EmptyText", 0, 10, "", 1, "0,1", ""},
    {"OnePageExactly", 10, 10, "", 1, "1,1", ""},
    {"OneMoreUnit", 11, 10, "", 1, "2,1", kDown + Row({{1, 11}})},
    {"OneMoreUnitSecondPage", 11, 10, "?MyStart=11", 11, "2,2", kUp + Row({{1, 1}})},
    {"LastOfFour", 35, 10, "?MyStart=31", 31, "4,4", kUp + Row({{1, 21}, {2, 11}, {3, 1}})},
    {"RungTen", 250, 10, "", 1, "25,1",
     kDown + Row({{1, 11}, {2, 21}, {3, 31}, {5, 51}, {7, 71}, {9, 91}})},
    {"TenPagesRungFive", 100, 10, "", 1, "10,1",
     kDown + Row({{1, 11}, {2, 21}, {3, 31}, {4, 41}, {5, 51}})},
    {"RungTenBackward", 250, 10, "?MyStart=101", 101, "25,11",
     kDown + Row({{1, 111}, {2, 121}, {3, 131}, {5, 151}, {7, 171}, {9, 191}}) + kUp +
         Row({{1, 91}, {2, 81}, {3, 71}, {5, 51}, {7, 31}, {9, 11}})},
    {"RungFourBothWays", 100, 10, "?MyStart=51", 51, "10,6",
     kDown + Row({{1, 61}, {2, 71}, {3, 81}, {4, 91}}) + kUp +
         Row({{1, 41}, {2, 31}, {3, 21}, {4, 11}, {5, 1}})},
    {"BeyondTheText", 35, 10, "?MyStart=91", 91, "4,10", kUp},
    {"BeyondWithRungFive", 35, 10, "?MyStart=61", 61, "4,7",
     kUp + Row({{1, 51}, {2, 41}, {3, 31}, {4, 21}, {5, 11}})},
    {"NegativeSmall", 35, 10, "?MyStart=-5", 1, "4,1", kDown + Row({{1, 11}, {2, 21}, {3, 31}})},
    {"NegativeLarge", 35, 10, "?MyStart=-15", 1, "4,0", kDown + Row({{1, 11}, {2, 21}, {3, 31}})},
    {"NotAPageStartFirstCase", 12, 10, "?MyStart=5", 5, "2,1", kDown},
    {"NotAPageStartMiddle", 35, 10, "?MyStart=6", 6, "4,1", kDown + Row({{1, 16}, {2, 26}}) + kUp},
    {"StartNoNumber", 35, 10, "?MyStart=x1", 1, "4,1", kDown + Row({{1, 11}, {2, 21}, {3, 31}})},
    {"FractionHalfToEven", 35, 10, "?MyStart=12.5", 12, "4,2",
     kDown + Row({{1, 22}, {2, 32}}) + kUp + Row({{1, 2}})},
    {"StartOutOfRange", 35, 10, "?MyStart=99999999999", 1, "4,1",
     kDown + Row({{1, 11}, {2, 21}, {3, 31}})},
    // Position 1 is the first page at length 1 too.
    {"LengthOne", 3, 1, "", 1, "3,1", kDown + Row({{1, 2}, {2, 3}})},
    {"LengthOneMiddle", 3, 1, "?MyStart=2", 2, "3,3", kDown + Row({{1, 3}}) + kUp + Row({{1, 1}})},
};

INSTANTIATE_TEST_SUITE_P(Requests, MorePageCases, testing::ValuesIn(kMoreCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The worked example: 3500 units at 1000 a page, the page at 1001.
TEST(MorePage, WorkedExampleInChinese) {
  PagerPage page(u"XML", {"?MyStart=1001"});
  page.object->MorePage(Letters(3500), 1000, true, false);
  const std::string ok = "&#x786E;&#x5B9A;";
  EXPECT_EQ(page.Body(), Piece(3500, 1001, 1000) +
                             "<br/>-----<br/>&#x5171;4&#x9875; &#x7B2C;2&#x9875;<br/>"
                             "&#x5411;&#x4E0B;&#x7FFB;&#x9875;" +
                             Row(ok, {{1, 2001}, {2, 3001}}) + "&#x5411;&#x4E0A;&#x7FFB;&#x9875;" +
                             Row(ok, {{1, 1}}));
}

// A picture goes with its label, so a single page writes none.
TEST(MorePage, WmlPicturesBeforeLabels) {
  const std::string next = "<img src=\"Images/NextPage.Png\" alt=\"\" />";
  const std::string prev = "<img src=\"Images/PrePage.Png\" alt=\"\" />";
  struct Row3 {
    size_t size;
    std::string query;
    bool show;
    std::string nav;
  };
  const Row3 rows[] = {
      {25, "?MyStart=11", true, next + kDown + Row({{1, 21}}) + prev + kUp + Row({{1, 1}})},
      {25, "?MyStart=11", false, kDown + Row({{1, 21}}) + kUp + Row({{1, 1}})},
      {10, "", true, ""},
  };
  for (const Row3& r : rows) {
    PagerPage page(u"EnWAP", {r.query});
    page.object->MorePage(Letters(r.size), 10, true, r.show);
    const std::string body = page.Body();
    EXPECT_EQ(body.substr(body.find("<br/>", body.find("Total")) + 5), r.nav) << r.query;
  }
}

// ---- AutoPage ----------------------------------------------------------------------

struct AutoCase {
  const char* name;
  size_t size;
  std::string query;
  int16_t style;
  int64_t piece_start;
  int64_t piece_length;
  std::string nav;
  Request request_extra = {};
};

class AutoPageCases : public testing::TestWithParam<AutoCase> {};

std::string Go(int at, const std::string& label) {
  return Link("Enter", "?MyStart=" + std::to_string(at), label) + " ";
}
std::string Form(int now) {
  return "<form method='post' action='http://localhost/p.asp'>The<input type='text' "
         "name='GoPage' size='3' maxlength='3' value='" +
         std::to_string(now) + "'/><input type='submit' value='Go'/></form><br/>";
}
std::string Rest(int at, int cut) {
  return Link("Enter", "?MyStart=" + std::to_string(at) + "&amp;TextLong=" + std::to_string(cut),
              "") +
         "<br/>";
}

TEST_P(AutoPageCases, PieceAndNavigation) {
  const AutoCase& c = GetParam();
  Request request = c.request_extra;
  request.query = c.query;
  PagerPage page(u"EnXML", request);
  page.object->AutoPage(Letters(c.size), 10, true, c.style);
  EXPECT_EQ(page.Body(), Piece(c.size, c.piece_start, c.piece_length) + "<br/>-----<br/>" + c.nav);
}

const AutoCase kAutoCases[] = {
    {"FirstRequestStyle0", 25, "", 0, 1, 10,
     "[1/3] " + Go(11, "Next Page") + Rest(11, 29)},
    {"MiddleStyle0", 25, "?MyStart=11", 0, 11, 10,
     "[2/3] " + Go(21, "Next Page") + Go(1, "Previous Page") + Rest(21, 19)},
    {"LastStyle0KeepsTheRest", 25, "?MyStart=21", 0, 21, 10,
     "[3/3] " + Go(11, "Previous Page") + Rest(31, 9)},
    {"EmptyTextStyle0", 0, "", 0, 1, 10, "[1/0] " + Rest(11, 4)},
    {"RestOfText", 25, "?MyStart=11&TextLong=19", 0, 11, 19,
     "[2/3] " + Go(21, "Next Page") + Go(1, "Previous Page") + Rest(21, 19)},
    {"CutLengthNoNumber", 25, "?MyStart=11&TextLong=abc", 0, 11, 0,
     "[2/3] " + Go(21, "Next Page") + Go(1, "Previous Page") + Rest(21, 19)},
    {"CutLengthNegative", 25, "?MyStart=11&TextLong=-3", 0, 11, 0,
     "[2/3] " + Go(21, "Next Page") + Go(1, "Previous Page") + Rest(21, 19)},
    {"OnePageStyle1", 10, "", 1, 1, 10, "Only One Page (1/1)<br/>" + Form(1)},
    {"MiddleStyle1", 25, "?MyStart=11", 1, 11, 10,
     Go(21, "Next Page") + Go(1, "Previous Page") + "(2/3)<br/>" + Form(2)},
    {"OnePageStyle2", 10, "", 2, 1, 10, " 1 of 1 Only One Page <br/>"},
    {"MiddleStyle2", 25, "?MyStart=11", 2, 11, 10,
     Go(21, ">>Next Page") + " 2 of 3 " + Go(1, "&lt;&lt; Prev") + "<br/>"},
    {"NotOnABoundary", 50, "?MyStart=20", 2, 20, 10,
     Go(30, ">>Next Page") + " 3 of 5 " + Go(10, "&lt;&lt; Prev") + "<br/>"},
    {"NegativeStart", 25, "?MyStart=-25", 2, 1, 10, Go(11, ">>Next Page") + " -1 of 3 <br/>"},
    {"StyleOutOfRange", 25, "?MyStart=11", 3, 11, 10, ""},
    {"BeyondTheEnd", 25, "?MyStart=31", 2, 31, 10, " 4 of 3 " + Go(21, "&lt;&lt; Prev") + "<br/>"},
    // A typed page that is no number, or one sent as a cookie, does not
    // redirect.
    {"GoPageNoNumber", 25, "", 1, 1, 10, Go(11, "Next Page") + "(1/3)<br/>" + Form(1),
     {"", "GoPage=x"}},
    {"GoPageCookie", 25, "", 1, 1, 10, Go(11, "Next Page") + "(1/3)<br/>" + Form(1),
     {"", "", "GoPage=3"}},
};

INSTANTIATE_TEST_SUITE_P(Requests, AutoPageCases, testing::ValuesIn(kAutoCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The worked example: 2500 units at 1000 a page, style 2, the page at 1001.
TEST(AutoPage, WorkedExampleInChinese) {
  PagerPage page(u"XML", {"?MyStart=1001"});
  page.object->AutoPage(Letters(2500), 1000, true, 2);
  const std::string ok = "&#x786E;&#x5B9A;";
  EXPECT_EQ(page.Body(), Piece(2500, 1001, 1000) + "<br/>-----<br/>" +
                             Link(ok, "?MyStart=2001", ">>&#x4E0B;&#x9875;") + "  2/3 " +
                             Link(ok, "?MyStart=1", "&lt;&lt;&#x4E0A;&#x9875;") + " <br/>");
}

// The jump form redirects to the first unit of the typed page.
TEST(AutoPage, GoPageRedirects) {
  const std::pair<Request, const char*> rows[] = {
      {{"", "GoPage=3"}, "http://localhost/p.asp?MyStart=21"},
      {{"?GoPage=2"}, "http://localhost/p.asp?MyStart=11"},
      {{"", "GoPage=1.5"}, "http://localhost/p.asp?MyStart=6"},
      {{"", "GoPage=0"}, "http://localhost/p.asp?MyStart=-9"},
  };
  for (const auto& [request, location] : rows) {
    PagerPage page(u"XML", request);
    page.object->AutoPage(Letters(25), 10, true, 1);
    EXPECT_EQ(page.page.Result().status, 302);
    EXPECT_EQ(page.Header("Location").value_or(""), location);
  }
}

// Only the page passes the filter: highlighting cannot reach an address.
TEST(AutoPage, LinksAreNotFilteredAgain) {
  PagerPage page(u"EnXML", {"?MyStart=11"});
  page.state().FontKeyWords = u"MyStart|y";
  page.state().PreFontText = u"<i>";
  page.state().LastFontText = u"</i>";
  page.object->AutoPage(u"xxxxxxxxxxxxyxxxxxxxxxxxx", 10, false, 2);
  EXPECT_EQ(page.Body(), "xx<i>y</i>xxxxxxx<br/>-----<br/>" + Go(21, ">>Next Page") +
                             " 2 of 3 " + Go(1, "&lt;&lt; Prev") + "<br/>");
}

// ---- Common to the three -------------------------------------------------------------

// UBB codes convert per page, after the repair of both edges; a page
// length below 1 pages nothing.
TEST(Pagers, RepairThenUbbPerPage) {
  const std::u16string text = u"ab<br/>c[b]x[/b]&amp;[url=u.asp]y[/url]e";
  struct Row4 {
    const char16_t* class_name;
    std::string query;
    int16_t text_long;
    bool ubb;
    std::string page;
  };
  const Row4 rows[] = {
      {u"EnXML", "", 4, true, "ab"},              // "ab<b": the cut tag dropped
      {u"EnXML", "?MyStart=5", 4, true, "c"},     // "r/>c"
      {u"EnXML", "?MyStart=5", 7, true, "c<b>"},  // "r/>c[b]": each half on its own
      {u"EnXML", "?MyStart=5", 7, false, "c[b]"},
      {u"EnXML", "?MyStart=12", 10, true, "x</b>&amp;"},
      {u"EnXML", "?MyStart=17", 3, true, "&amp;am"},  // not mended: the filter escapes "&"
      {u"EnXML", "?MyStart=20", 2, true, "&nbsp;"},   // "p;" completed in front
      {u"EnXML", "?MyStart=22", 19, true, "<a title=\"&#x786E;&#x5B9A;\" href=\"u.asp\">y</a>e"},
      {u"EnXML", "?MyStart=22", 17, true, "[url=u.asp]y[/url"},
      {u"EnXML", "", 0, true, ""},
      {u"EnXML", "", -1, true, ""},
  };
  for (const Row4& r : rows) {
    PagerPage page(r.class_name, {r.query});
    page.object->MorePage(text, r.text_long, r.ubb, false);
    const std::string body = page.Body();
    if (r.text_long < 1) {
      EXPECT_EQ(body, "");
      continue;
    }
    EXPECT_EQ(body.substr(0, body.find("<br/>-----")), r.page) << r.query << " " << r.text_long;
  }
}

// By name: the members each class has, with its defaults.
TEST(Pagers, ByName) {
  const std::u16string text = Letters(301);
  auto nav_lines = [&](const char16_t* class_name, const char16_t* member,
                       std::vector<Variant> args) {
    PagerPage page(class_name, {});
    args.insert(args.begin(), Variant(text));
    page.Call(member, std::move(args));
    const std::string body = page.Body();
    return std::count(body.begin(), body.end(), '<');
  };
  const Variant missing = Variant::Missing();
  // EnWAP pages at 300, the others at 1000: only EnWAP's first page links on.
  EXPECT_GT(nav_lines(u"EnWAP", u"EasyMorePage", {}), nav_lines(u"WAP", u"EasyMorePage", {}));
  // EnXML's AutoPage writes no navigation by default, XML's style 0 does.
  EXPECT_EQ(nav_lines(u"EnXML", u"AutoPage", {}), 2);  // "<br/>-----<br/>"
  EXPECT_GT(nav_lines(u"XML", u"AutoPage", {missing, missing, missing}), 2);
  EXPECT_GT(nav_lines(u"EnWAP", u"MorePage", {Variant(int16_t{100}), Variant(true), Variant(true)}),
            nav_lines(u"EnWAP", u"MorePage", {Variant(int16_t{100})}));

  PagerPage php(u"PHPXML", {});
  EXPECT_EQ(php.Call(u"EasyMorePage", {Variant(u"[b]x[/b]")}).string(), u"<b>x</b><br/>");
  for (const auto& [class_name, member] :
       {std::pair{u"WAP", u"AutoPage"}, {u"PHPXML", u"MorePage"}, {u"PHPXML", u"AutoPage"}}) {
    PagerPage page(class_name, {});
    try {
      page.Call(member, {Variant(text)});
      ADD_FAILURE() << "no error 438";
    } catch (const ScriptError& e) {
      EXPECT_EQ(e.number(), kErrNoMember);
    }
  }
}

}  // namespace
}  // namespace zorvadel
