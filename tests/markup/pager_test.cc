// The long-text pagers played over the in-memory engine: which piece a
// request gets and what follows it, for the pagers' worked examples and
// edge cases (mostly at 10 units a page, the walks scaled down from 1000).
// Texts are runs of letters, so a piece is known by where it starts; Chinese
// words come out of the output filter as "&#xHEX;".
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
  std::string form = {};
  std::string cookie = {};
};

struct PagerPage : test::TestPage {
  explicit PagerPage(std::u16string_view class_name, const Request& r = {""})
      : TestPage(class_name, Facts(r), 65001) {}
  static engine::RequestFacts Facts(const Request& r) {
    engine::RequestFacts facts = test::FactsFor(test::PageOptions().WithUrl("/p.asp" + r.query));
    if (!r.form.empty()) facts.method = "POST", facts.form = r.form;
    if (!r.cookie.empty()) facts.headers.emplace_back("Cookie", r.cookie);
    return facts;
  }
  std::string Body() const { return page.Body(); }
};

std::string Link(const std::string& query, const std::string& label,
                 const std::string& title = "Enter") {
  return "<a title=\"" + title + "\" href=\"http://localhost/p.asp" + query + "\">" + label +
         "</a>";
}
constexpr const char* kOk = "&#x786E;&#x5B9A;";  // the Chinese classes' title

// EasyMorePage's links.
std::string Next(const std::string& at) {
  return Link("?toshow=down&amp;mystart=" + at, "Next Page") + "<br/>";
}
std::string Prev(const std::string& at) {
  return Link("?toshow=up&amp;mystart=" + at, "Previous Page") + "<br/>";
}
// MorePage's count line and rows of (label, MyStart) links.
std::string Count(int pages, int page) {
  return "<br/>-----<br/>Total: " + std::to_string(pages) + " Pages,The Page " +
         std::to_string(page) + "<br/>";
}
std::string Row(const std::vector<std::pair<int, int>>& links, const std::string& title = "Enter") {
  std::string row;
  for (size_t i = 0; i < links.size(); ++i) {
    row +=
        Link("?MyStart=" + std::to_string(links[i].second), std::to_string(links[i].first), title) +
        (i + 1 == links.size() ? "<br/>" : " ");
  }
  return row;
}
const std::string kDown = "Page Down  ";
const std::string kUp = "Page Up ";
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

enum Pager { kEasy, kMore, kAuto0, kAuto1, kAuto2, kAuto3 };

struct Case {
  const char* name;
  Pager pager;
  size_t size;
  int16_t length;
  Request request;
  int64_t piece_start, piece_length;  // of the letters shown
  std::string after;                  // what follows the piece and its rule
};

class PagerCases : public testing::TestWithParam<Case> {};

TEST_P(PagerCases, PieceAndNavigation) {
  const Case& c = GetParam();
  PagerPage page(u"EnXML", c.request);
  const std::u16string text = Letters(c.size);
  if (c.pager == kEasy) page.object->EasyMorePage(text, c.length, true);
  if (c.pager == kMore) page.object->MorePage(text, c.length, true, false);
  if (c.pager >= kAuto0) page.object->AutoPage(text, c.length, true, c.pager - kAuto0);
  const char* between = c.pager == kEasy ? "<br/>" : c.pager == kMore ? "" : "<br/>-----<br/>";
  EXPECT_EQ(page.Body(), codepage::ToUtf8(markup::CutWindow(text, c.piece_start, c.piece_length)) +
                             between + c.after);
}

// clang-format off
const Case kCases[] = {
    // EasyMorePage: the walk of 25 units, then its edge list.
    {"EasyFirstRequest", kEasy, 25, 10, {""}, 1, 10, Next("1")},
    {"EasyMiddle", kEasy, 25, 10, {"?id=7&toshow=down&mystart=1"}, 11, 10, Next("11") + Prev("11")},
    {"EasyLast", kEasy, 25, 10, {"?toshow=down&mystart=11"}, 21, 10, Prev("21")},
    {"EasyBackFromFirstStays", kEasy, 25, 10, {"?toshow=up&mystart=1"}, 1, 10, Next("1")},
    {"EasyOnlyDownMovesOn", kEasy, 25, 10, {"?toshow=Down&mystart=11"}, 1, 10, Next("1")},
    {"EasyMissingStartIsZero", kEasy, 25, 10, {"?toshow=down"}, 10, 10, Next("10") + Prev("10")},
    {"EasyStartNoNumber", kEasy, 25, 10, {"?toshow=down&mystart=abc"}, 1, 10, Next("1")},
    {"EasyStartEmpty", kEasy, 25, 10, {"?toshow=down&mystart="}, 1, 10, Next("1")},
    {"EasyStartNegative", kEasy, 25, 10, {"?toshow=down&mystart=-30"}, 1, 10, Next("1")},
    {"EasyFractionCutAtEven", kEasy, 25, 10, {"?toshow=down&mystart=1.5"}, 12, 10,
     Next("11.5") + Prev("11.5")},
    {"EasyBeyondTheEnd", kEasy, 25, 10, {"?toshow=down&mystart=91"}, 101, 10, Prev("101")},
    {"EasyTwoPagesExactly", kEasy, 20, 10, {"?toshow=down&mystart=1"}, 11, 10, Prev("11")},
    {"EasyOneUnitMore", kEasy, 21, 10, {"?toshow=down&mystart=1"}, 11, 10, Next("11") + Prev("11")},
    {"EasyOneUnitLastPage", kEasy, 21, 10, {"?toshow=down&mystart=11"}, 21, 10, Prev("21")},
    {"EasyShortText", kEasy, 10, 10, {""}, 1, 10, ""},
    {"EasyEmptyText", kEasy, 0, 10, {""}, 1, 10, ""},
    {"EasyLengthOneFirst", kEasy, 3, 1, {""}, 1, 1, Next("1")},
    {"EasyLengthOneMiddle", kEasy, 3, 1, {"?toshow=down&mystart=1"}, 2, 1, Next("2") + Prev("2")},
    {"EasyLengthOneLast", kEasy, 3, 1, {"?toshow=down&mystart=2"}, 3, 1, Prev("3")},
    {"EasyLengthTwo", kEasy, 3, 2, {""}, 1, 2, Next("1")},
    // MorePage.
    {"MoreNoStart", kMore, 35, 10, {""}, 1, 10,
     Count(4, 1) + kDown + Row({{1, 11}, {2, 21}, {3, 31}})},
    {"MoreEmptyText", kMore, 0, 10, {""}, 1, 10, Count(0, 1)},
    {"MoreOnePage", kMore, 10, 10, {""}, 1, 10, Count(1, 1)},
    {"MoreOneUnitMore", kMore, 11, 10, {""}, 1, 10, Count(2, 1) + kDown + Row({{1, 11}})},
    {"MoreOneUnitMoreLast", kMore, 11, 10, {"?MyStart=11"}, 11, 10,
     Count(2, 2) + kUp + Row({{1, 1}})},
    {"MoreLastOfFour", kMore, 35, 10, {"?MyStart=31"}, 31, 10,
     Count(4, 4) + kUp + Row({{1, 21}, {2, 11}, {3, 1}})},
    {"MoreRungTen", kMore, 250, 10, {""}, 1, 10,
     Count(25, 1) + kDown + Row({{1, 11}, {2, 21}, {3, 31}, {5, 51}, {7, 71}, {9, 91}})},
    {"MoreTenPagesRungFive", kMore, 100, 10, {""}, 1, 10,
     Count(10, 1) + kDown + Row({{1, 11}, {2, 21}, {3, 31}, {4, 41}, {5, 51}})},
    {"MoreRungTenBack", kMore, 250, 10, {"?MyStart=101"}, 101, 10,
     Count(25, 11) + kDown + Row({{1, 111}, {2, 121}, {3, 131}, {5, 151}, {7, 171}, {9, 191}})
     + kUp + Row({{1, 91}, {2, 81}, {3, 71}, {5, 51}, {7, 31}, {9, 11}})},
    {"MoreRungFourAndFive", kMore, 100, 10, {"?MyStart=51"}, 51, 10,
     Count(10, 6) + kDown + Row({{1, 61}, {2, 71}, {3, 81}, {4, 91}}) + kUp
     + Row({{1, 41}, {2, 31}, {3, 21}, {4, 11}, {5, 1}})},
    {"MoreBeyondTheText", kMore, 35, 10, {"?MyStart=91"}, 91, 10, Count(4, 10) + kUp},
    {"MoreBeyondRungFive", kMore, 35, 10, {"?MyStart=61"}, 61, 10,
     Count(4, 7) + kUp + Row({{1, 51}, {2, 41}, {3, 31}, {4, 21}, {5, 11}})},
    {"MoreNegativeSmall", kMore, 35, 10, {"?MyStart=-5"}, 1, 10,
     Count(4, 1) + kDown + Row({{1, 11}, {2, 21}, {3, 31}})},
    {"MoreNegativeLarge", kMore, 35, 10, {"?MyStart=-15"}, 1, 10,
     Count(4, 0) + kDown + Row({{1, 11}, {2, 21}, {3, 31}})},
    {"MoreNoPageStartFirst", kMore, 12, 10, {"?MyStart=5"}, 5, 10, Count(2, 1) + kDown},
    {"MoreNoPageStartMiddle", kMore, 35, 10, {"?MyStart=6"}, 6, 10,
     Count(4, 1) + kDown + Row({{1, 16}, {2, 26}}) + kUp},
    {"MoreFractionHalfToEven", kMore, 35, 10, {"?MyStart=12.5"}, 12, 10,
     Count(4, 2) + kDown + Row({{1, 22}, {2, 32}}) + kUp + Row({{1, 2}})},
    {"MoreStartOutOfRange", kMore, 35, 10, {"?MyStart=99999999999"}, 1, 10,
     Count(4, 1) + kDown + Row({{1, 11}, {2, 21}, {3, 31}})},
    {"MoreLengthOne", kMore, 3, 1, {""}, 1, 1, Count(3, 1) + kDown + Row({{1, 2}, {2, 3}})},
    // AutoPage, styles 0 to 3.
    {"AutoFirstStyle0", kAuto0, 25, 10, {""}, 1, 10, "[1/3] " + Go(11, "Next Page") + Rest(11, 29)},
    {"AutoMiddleStyle0", kAuto0, 25, 10, {"?MyStart=11"}, 11, 10,
     "[2/3] " + Go(21, "Next Page") + Go(1, "Previous Page") + Rest(21, 19)},
    {"AutoLastStyle0", kAuto0, 25, 10, {"?MyStart=21"}, 21, 10,
     "[3/3] " + Go(11, "Previous Page") + Rest(31, 9)},
    {"AutoEmptyText", kAuto0, 0, 10, {""}, 1, 10, "[1/0] " + Rest(11, 4)},
    {"AutoRestOfText", kAuto0, 25, 10, {"?MyStart=11&TextLong=19"}, 11, 19,
     "[2/3] " + Go(21, "Next Page") + Go(1, "Previous Page") + Rest(21, 19)},
    {"AutoCutLengthNoNumber", kAuto0, 25, 10, {"?MyStart=21&TextLong=abc"}, 21, 0,
     "[3/3] " + Go(11, "Previous Page") + Rest(31, 9)},
    {"AutoCutLengthNegative", kAuto0, 25, 10, {"?MyStart=21", "TextLong=-3"}, 21, 0,
     "[3/3] " + Go(11, "Previous Page") + Rest(31, 9)},
    {"AutoOnePageStyle1", kAuto1, 10, 10, {""}, 1, 10, "Only One Page (1/1)<br/>" + Form(1)},
    {"AutoMiddleStyle1", kAuto1, 25, 10, {"?MyStart=11"}, 11, 10,
     Go(21, "Next Page") + Go(1, "Previous Page") + "(2/3)<br/>" + Form(2)},
    {"AutoGoPageNoNumber", kAuto1, 25, 10, {"", "GoPage=x"}, 1, 10,
     Go(11, "Next Page") + "(1/3)<br/>" + Form(1)},
    {"AutoGoPageBeyondNumbers", kAuto1, 25, 10, {"", "GoPage=1e308"}, 1, 10,
     Go(11, "Next Page") + "(1/3)<br/>" + Form(1)},
    {"AutoGoPageCookieIgnored", kAuto1, 25, 10, {"", "", "GoPage=3"}, 1, 10,
     Go(11, "Next Page") + "(1/3)<br/>" + Form(1)},
    {"AutoOnePageStyle2", kAuto2, 10, 10, {""}, 1, 10, " 1 of 1 Only One Page <br/>"},
    {"AutoMiddleStyle2", kAuto2, 25, 10, {"?MyStart=11"}, 11, 10,
     Go(21, ">>Next Page") + " 2 of 3 " + Go(1, "&lt;&lt; Prev") + "<br/>"},
    {"AutoNoPageStart", kAuto2, 50, 10, {"?MyStart=20"}, 20, 10,
     Go(30, ">>Next Page") + " 3 of 5 " + Go(10, "&lt;&lt; Prev") + "<br/>"},
    {"AutoNegativeStart", kAuto2, 25, 10, {"?MyStart=-25"}, 1, 10,
     Go(11, ">>Next Page") + " -1 of 3 <br/>"},
    {"AutoBeyondTheEnd", kAuto2, 25, 10, {"?MyStart=31"}, 31, 10,
     " 4 of 3 " + Go(21, "&lt;&lt; Prev") + "<br/>"},
    {"AutoStyle3", kAuto3, 25, 10, {"?MyStart=11"}, 11, 10, ""},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Requests, PagerCases, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The worked examples, in the Chinese classes.
TEST(Pagers, WorkedExamplesInChinese) {
  const std::u16string text = Letters(3500);
  const std::string piece = codepage::ToUtf8(text.substr(1000, 1000));
  PagerPage easy(u"WAP", {"?toshow=down&mystart=1"});  // WML links have no id either
  easy.object->EasyMorePage(text, 1000, true);
  EXPECT_EQ(easy.Body(),
            piece + "<br/>" +
                Link("?toshow=down&amp;mystart=1001", "&#x4E0B;&#x4E00;&#x9875;", kOk) + "<br/>" +
                Link("?toshow=up&amp;mystart=1001", "&#x4E0A;&#x4E00;&#x9875;", kOk) + "<br/>");

  PagerPage more(u"XML", {"?MyStart=1001"});
  more.object->MorePage(text, 1000, true, false);
  EXPECT_EQ(more.Body(), piece + kRule + "&#x5171;4&#x9875; &#x7B2C;2&#x9875;<br/>" +
                             "&#x5411;&#x4E0B;&#x7FFB;&#x9875;" + Row({{1, 2001}, {2, 3001}}, kOk) +
                             "&#x5411;&#x4E0A;&#x7FFB;&#x9875;" + Row({{1, 1}}, kOk));

  PagerPage automatic(u"XML", {"?MyStart=1001"});
  automatic.object->AutoPage(text.substr(0, 2500), 1000, true, 2);
  EXPECT_EQ(automatic.Body(), piece + kRule + Link("?MyStart=2001", ">>&#x4E0B;&#x9875;", kOk) +
                                  "  2/3 " + Link("?MyStart=1", "&lt;&lt;&#x4E0A;&#x9875;", kOk) +
                                  " <br/>");
}

// A picture goes with its label, so a single page writes none.
TEST(Pagers, MorePagePicturesBeforeLabels) {
  const std::string next = "<img src=\"Images/NextPage.Png\" alt=\"\" />";
  const std::string prev = "<img src=\"Images/PrePage.Png\" alt=\"\" />";
  PagerPage middle(u"EnWAP", {"?MyStart=11"});
  middle.object->MorePage(Letters(25), 10, true, true);
  EXPECT_EQ(middle.Body().substr(10 + Count(3, 2).size()),
            next + kDown + Row({{1, 21}}) + prev + kUp + Row({{1, 1}}));
  PagerPage single(u"EnWAP");
  single.object->MorePage(Letters(10), 10, true, true);
  EXPECT_EQ(single.Body(), "abcdefghij" + Count(1, 1));
}

// PHPXML returns EasyMorePage's markup and finds its keys in the form or a
// cookie too; AutoPage's jump form redirects from the form or the query.
TEST(Pagers, RequestCollections) {
  for (const Request& r :
       {Request{"", "toshow=down&mystart=1"}, Request{"", "", "mystart=1; toshow=down"}}) {
    PagerPage page(u"PHPXML", r);
    EXPECT_EQ(codepage::ToUtf8(page.object->EasyMorePageText(Letters(25), 10, true).string()),
              "klmnopqrst<br/>" +
                  Link("?toshow=down&amp;mystart=11", "&#x4E0B;&#x4E00;&#x9875;", kOk) + "<br/>" +
                  Link("?toshow=up&amp;mystart=11", "&#x4E0A;&#x4E00;&#x9875;", kOk) + "<br/>");
    EXPECT_EQ(page.Body(), "");
  }
  const std::pair<Request, const char*> jumps[] = {
      {{"", "GoPage=3"}, "?MyStart=21"},
      {{"?GoPage=2"}, "?MyStart=11"},
      {{"", "GoPage=1.5"}, "?MyStart=6"},
      {{"", "GoPage=0"}, "?MyStart=-9"},
  };
  for (const auto& [request, target] : jumps) {
    PagerPage page(u"XML", request);
    page.object->AutoPage(Letters(25), 10, true, 1);
    EXPECT_EQ(page.page.Result().status, 302);
    EXPECT_EQ(page.Header("Location").value_or(""), std::string("http://localhost/p.asp") + target);
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
  struct Row4 {
    std::string query;
    int16_t length;
    bool ubb;
    std::string piece;
  };
  const Row4 rows[] = {
      {"", 4, true, "ab"},              // "ab<b": the cut tag dropped
      {"?MyStart=5", 4, true, "c"},     // "r/>c"
      {"?MyStart=5", 7, true, "c<b>"},  // "r/>c[b]": each half on its own
      {"?MyStart=5", 7, false, "c[b]"},
      {"?MyStart=17", 3, true, "&amp;am"},  // not mended: the filter escapes "&"
      {"?MyStart=20", 2, true, "&nbsp;"},   // "p;" completed in front
      {"?MyStart=22", 19, true, "<a title=\"&#x786E;&#x5B9A;\" href=\"u.asp\">y</a>e"},
      {"?MyStart=22", 17, true, "[url=u.asp]y[/url"},
      {"", 0, true, ""},
      {"", -1, true, ""},
  };
  for (const Row4& r : rows) {
    PagerPage page(u"EnXML", {r.query});
    page.object->MorePage(text, r.length, r.ubb, false);
    const std::string body = page.Body();
    EXPECT_EQ(body.substr(0, body.find(kRule)), r.piece) << r.query << " " << r.length;
  }
}

// By name: the members each class has, with its defaults.
TEST(Pagers, ByName) {
  const std::u16string text = Letters(301);
  auto tags = [&](const char16_t* class_name, const char16_t* member, std::vector<Variant> args) {
    PagerPage page(class_name);
    args.insert(args.begin(), Variant(text));
    page.Call(member, std::move(args));
    const std::string body = page.Body();
    return std::count(body.begin(), body.end(), '<');
  };
  // EnWAP pages at 300, the others at 1000; EnXML's AutoPage writes no
  // navigation unless asked, XML's writes style 0.
  EXPECT_GT(tags(u"EnWAP", u"EasyMorePage", {}), tags(u"WAP", u"EasyMorePage", {}));
  EXPECT_EQ(tags(u"EnXML", u"AutoPage", {}), 2);
  EXPECT_GT(tags(u"XML", u"AutoPage", {Variant::Missing()}), 2);
  EXPECT_GT(tags(u"EnWAP", u"MorePage", {Variant(int16_t{100}), Variant(true), Variant(true)}),
            tags(u"EnWAP", u"MorePage", {Variant(int16_t{100})}));
  PagerPage php(u"PHPXML");
  EXPECT_EQ(php.Call(u"EasyMorePage", {Variant(u"[b]x[/b]")}).string(), u"<b>x</b><br/>");
  for (const auto& [class_name, member] :
       {std::pair{u"WAP", u"AutoPage"}, {u"PHPXML", u"MorePage"}, {u"PHPXML", u"AutoPage"}}) {
    PagerPage page(class_name);
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
