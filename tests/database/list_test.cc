// The record lists on SQLite files: the paging that the query key Page
// drives, the rows and their markers, the total line, the four bars, the
// carried parameters, the list members' order of pieces, the mended faults
// (a null field, parameters carried twice, counts past 32,767), and whole
// list pages checked by xml2wbxml and xmllint; then the title-and-content,
// multi-field, site and link lists and the multi-field view on one SQLite
// file: rows, markers, separators, total lines and bars; the mended faults
// (Null and missing fields, PreText and LastText left empty, addresses
// repaired for markup, record text in a link's tip); no records; and the SQL
// Server kind writing what the Access kind writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "database/database_test_util.h"
#include "database/nav_bars.h"
#include "markup/xml_check.h"
#include "runtime/joined.h"

namespace zorvadel::test {
namespace {

std::u16string N(int n) { return codepage::FromUtf8(std::to_string(n)); }
// The anchor both dialects write in the English classes on a phone.
std::u16string EnLink(const std::u16string& url, const std::u16string& text) {
  return u"<a title=\"Enter\" href=\"" + url + u"\">" + text + u"</a>";
}
std::u16string Row(int id, int page, const char16_t* title = nullptr) {
  return EnLink(u"Index.asp?Id=" + N(id) + u"&amp;ListId=" + N(id) + u"&amp;MyPage=" + N(page),
                title ? title : u"Title&nbsp;" + N(id));  // SpecialMark's blank
}

class Lists : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDatabase(scratch_.path() / "list.db", {NewsTable(23)[0], NewsTable(23)[1],
                                               u"UPDATE Zorvadel SET Title = NULL WHERE Id = 12"});
  }
  std::unique_ptr<DbPage> Page(const char16_t* class_name, const std::string& query = "",
                               const std::string& file = "/list.db") {
    auto page = std::make_unique<DbPage>(scratch_.path(), class_name,
                                         "/news/list.asp" + (query.empty() ? "" : "?" + query));
    page->state().MdbPath = codepage::FromUtf8(file);
    page->state().EveryPageSize = 10;
    return page;
  }
  ScratchFolder scratch_;
};

// The 23-row table, ten to a page, with no bar: what the body starts and ends with.
TEST_F(Lists, RecordListsMarkersAndTheTotalLine) {
  using Set = std::function<void(PageState&)>;
  auto place = [](const char16_t* p) { return Set([p](PageState& s) { s.RsInfoPlace = p; }); };
  const std::u16string t3 = u"Total:23;3/3<br/>", last = Row(23, 3) + u"<br/>";
  std::u16string full = u"Total:23;1/3<br/>";  // one break after a full page's last row, not two
  for (int i = 1; i <= 10; ++i) full += Row(i, 1) + u"<br/>";
  const struct {
    const char* query;
    Set set;
    std::u16string head, tail;
    const char16_t* class_name = u"EnXML";
  } rows[] = {
      // clang-format off
      {"Page=3", [](PageState& s) { s.DBOrderNumber = true; },
       t3 + u"21." + Row(21, 3) + u"<br/>22." + Row(22, 3) + u"<br/>23." + last, u"3." + last},
      {"", Set(), full, Row(10, 1) + u"<br/>", u"EnWAP"},
      {"Page=3", [](PageState& s) {
         s.DBListSymbol = u"*"; s.DBListNumber = s.DBOrderNumber = true; s.DbListTypeMode = 1;
         s.FieldHeader = u"Content"; s.FieldFooter = u"Id"; s.DBListKeyWord = u"&k=1";
         s.RsInfoPlace = u"none";
       }, u"[21]*[21]21." + EnLink(u"Index.asp?Id=21&amp;ListId=21&amp;MyPage=3&amp;k=1",
                                    u"[Content&nbsp;21]Title&nbsp;21[21]") + u"<br/>", u""},
      {"Page=3", place(u"TOP"), t3 + Row(21, 3), last},
      {"Page=3", place(u"Bottom"), Row(21, 3), last + t3},
      {"Page=3", place(u" top"), Row(21, 3), last},  // none: only the exact words count
      {"", [](PageState& s) { s.EveryPageSize = 0; }, u"Total:", u"<br/><br/>"},
      // Mended: a null title gives "" for its row, not the title of the row before;
      // a field name the records lack gives "" on every row.
      {"Page=2", [](PageState& s) { s.FieldFooter = u"NoSuchField"; },
       u"Total:23;2/3<br/>" + Row(11, 2) + u"<br/>" + Row(12, 2, u"") + u"<br/>" + Row(13, 2), u""},
      // clang-format on
  };
  for (const auto& c : rows) {
    auto p = Page(c.class_name, c.query);
    if (c.set) c.set(p->state());
    p->Call(u"MdbList", {Variant(int16_t{-1})});
    const std::u16string body = p->Body();
    EXPECT_TRUE(body.starts_with(c.head) && body.ends_with(c.tail)) << codepage::ToUtf8(body);
    EXPECT_TRUE(p->state().EveryPageSize > 0 || body.find(u"<a ") == std::u16string::npos);
    EXPECT_EQ(p->state().Conn, nullptr);
    EXPECT_EQ(p->state().Rs, nullptr);
  }
  // The markers of DbListTypeMode 0 to 11 before the first row of page 3:
  // running numbers, then numbers on the page, a picture, a text, none.
  const char16_t* markers[] = {u"",   u"[21]", u"(21)", u"21.", u"21 ", u"[1]",
                               u"(1)", u"1.",  u"1 ",  u"<img src=\"dot.gif\" alt=\"\" />",
                               u"&gt;&gt;", u""};
  for (int16_t mode = 0; mode < 12; ++mode) {
    auto p = Page(u"EnXML", "Page=3");
    PageState& s = p->state();
    s.DbListTypeMode = mode;
    s.DbListImgPath = u"dot.gif";
    s.DblistPreString = u"&gt;&gt;";
    p->Call(u"MdbList", {Variant(int16_t{-1})});
    EXPECT_TRUE(p->Body().starts_with(t3 + markers[mode] + u"<a t")) << mode;
  }
}

TEST_F(Lists, PageRequestValue) {
  const struct {
    std::string query;
    int32_t page;
  } rows[] = {{"", 1},         {"Page=", 1},   {"Page=-3", 1},  {"Page=2.5", 2},
              {"Page=3.5", 4}, {"Page=99", 5}, {"Page=abc", 1}, {"Page=99999999999", 1}};
  for (const auto& c : rows) {  // five pages of five records
    SCOPED_TRACE(c.query);
    auto p = Page(u"XML", c.query);
    p->state().EveryPageSize = 5;
    p->Call(u"MdbList", {Variant(int16_t{9})});
    EXPECT_EQ(p->state().IPageCurrent, c.page);
    EXPECT_EQ(p->state().IPageCount, 5);
  }
}

// Mended: the paging state is 32-bit, so page 35,000 of 40,000 one-record
// pages is listed with its own number.
TEST_F(Lists, PagesPast16Bits) {
  MakeDatabase(scratch_.path() / "large.db", NewsTable(40000));
  auto p = Page(u"EnXML", "Page=35000", "/large.db");
  p->state().EveryPageSize = 1;
  p->state().DBOrderNumber = true;
  p->Call(u"MdbList", {Variant(int16_t{2})});
  const std::u16string body = p->Body(), bar = u"http://localhost/news/list.asp?Page=";
  EXPECT_TRUE(
      body.starts_with(u"Total:40000;35000/40000<br/>35000." + Row(35000, 35000) + u"<br/>"));
  EXPECT_NE(body.find(EnLink(bar + u"35001", u"Next Page")), std::u16string::npos);
  EXPECT_NE(body.find(EnLink(bar + u"40000", u"[40000]")), std::u16string::npos);
  EXPECT_NE(body.find(EnLink(bar + u"34995", u"[34995]") + u" ... "), std::u16string::npos);
}

// The bars alone, from the paging state.
TEST(NavBars, Table) {
  auto L = [](int n, const std::u16string& text, const std::u16string& tail = u"") {
    return EnLink(u"p.asp?Page=" + N(n) + tail, text);
  };
  auto Ns = [&](std::initializer_list<int> pages) {  // the numbered links, each followed by a blank
    std::u16string out;
    for (int n : pages) out.append(L(n, Joined({u"[", N(n), u"]"}))).append(u" ");
    return out;
  };
  auto K = [&](int n, const std::u16string& text) {
    return L(n, text, u"&amp;KeyWord=x y") + u" ";
  };
  const std::u16string t = u"&amp;t=1", next = u"Next Page", prev = u"Previous Page",
                       dots = u"... ", br = u"<br/>";
  const auto first_last = listing::RenderFirstLastNav, prev_next = listing::RenderPrevNextNav,
             numbered = listing::RenderNumberedNav, keyword = listing::RenderKeywordNav;
  const int kMax = 2147483647;
  const struct {
    void (*bar)(PageCore&);
    int32_t c, n;
    std::u16string expected;
  } rows[] = {
      // clang-format off
      {first_last, 1, 1, u""},
      {first_last, 1, 2, L(2, next, t) + u" " + L(2, u"Last Page", t) + u" <br/>"},
      {first_last, 2, 3, L(3, next, t) + u" " + L(3, u"Last Page", t) + u" <br/>" +
                         L(1, prev, t) + u" " + L(1, u"First Page", t) + u" <br/>"},
      {prev_next, 1, 1, u""},
      {prev_next, 2, 3, L(3, next) + u"<br/>" + L(1, prev) + u"<br/>"},
      {numbered, 1, 0, u""},
      {numbered, 1, 10, L(2, next) + u" " + Ns({3, 4, 5, 6}) + dots + Ns({10}) + br},
      {numbered, 10, 10, L(9, prev) + u" " + Ns({8, 7, 6, 5}) + dots + Ns({1}) + br},
      {numbered, 3, 5, L(4, next) + u" " + Ns({5}) + br + L(2, prev) + u" " + Ns({1}) + br},
      {numbered, kMax - 1, kMax, L(kMax, next) + u" " + Ns({kMax}) + br + L(kMax - 2, prev) + u" " +
                                 Ns({kMax - 3, kMax - 4, kMax - 5, kMax - 6}) + dots + Ns({1}) +
                                 br},
      {keyword, 1, 0, u"<b>1</b> <br/>"},
      {keyword, 5, 10, K(2, u"&lt;") + K(3, u"3") + K(4, u"4") + u"<b>5</b> " + K(6, u"6") +
                       K(7, u"7") + K(8, u"&gt;") + br},
      {keyword, 9, 10, K(6, u"&lt;") + K(7, u"7") + K(8, u"8") + u"<b>9</b> " + K(10, u"10") + br},
      // clang-format on
  };
  ScratchFolder scratch;
  for (const char16_t* class_name : {u"EnXML", u"EnWAP"}) {
    for (const auto& c : rows) {
      SCOPED_TRACE(testing::Message()
                   << c.c << " of " << c.n << " " << codepage::ToUtf8(class_name));
      DbPage p(scratch.path(), class_name);
      PageState& s = p.state();
      s.ThisFileName = u"p.asp";
      s.DbToTransParameters = t;
      s.KeyWord = u"x y";
      s.DBIsShowImage = true;  // never drawn by EnWAP
      s.IPageCurrent = c.c;
      s.IPageCount = c.n;
      c.bar(*p.object);
      EXPECT_EQ(p.Body(), c.expected);
    }
  }
}

TEST(NavBars, WapDrawsArrowsInTwoBarsOnly) {
  ScratchFolder scratch;
  for (auto bar : {listing::RenderFirstLastNav, listing::RenderPrevNextNav,
                   listing::RenderNumberedNav, listing::RenderKeywordNav}) {
    DbPage p(scratch.path(), u"WAP");
    p.state().DBIsShowImage = true;
    p.state().IPageCurrent = 2;
    p.state().IPageCount = 3;
    bar(*p.object);
    const bool drawn = bar == listing::RenderFirstLastNav || bar == listing::RenderPrevNextNav;
    const std::u16string body = p.Body(), pre = u"<br/><img src=\"Images/PrePage.Png\" alt=\"\" />";
    EXPECT_EQ(body.starts_with(u"<img src=\"Images/NextPage.Png\" alt=\"\" />"), drawn);
    EXPECT_EQ(body.find(drawn ? pre : u"<img ") != std::u16string::npos, drawn);
  }
}

// Mended: the carried parameters are rebuilt from the non-empty values, so
// a second list carries each field once; all empty keeps the old text.
TEST_F(Lists, CarriedParameters) {
  for (const auto& [first, second, third, after] :
       {std::tuple{u"Title", u"", u"", u"&amp;Title=Title+1"},
        std::tuple{u"", u"Title", u"Id", u"&amp;Title=Title+1&amp;Id=1"},
        std::tuple{u"", u"", u"", u"&amp;old=1"},
        std::tuple{u"NoSuchField", u"", u"", u"&amp;old=1"}}) {
    auto p = Page(u"XML");
    PageState& s = p->state();
    s.TransFirstFieldName = first;
    s.TransSecondFieldName = second;
    s.TransThirdFieldName = third;
    s.DbToTransParameters = u"&amp;old=1";
    p->Call(u"MDbListPagesTwo", {});
    p->Call(u"MDbListPagesThree", {});
    EXPECT_EQ(s.DbToTransParameters, after);
  }
}

TEST_F(Lists, MembersWriteTheirPiecesInOrder) {
  const std::u16string jump =
      u"Turn To <input type='text' name='pn' emptyok='true' format='*N' title='GO' value='1' />" +
      EnLink(u"http://localhost/news/list.asp?Page=$(pn)", u"GO") + u"<br/>";
  const std::u16string next = u"<a title=\"Enter\" href=\"http://localhost/news/list.asp?Page=2";
  const struct {
    const char16_t *class_name, *member;
    std::vector<Variant> args;
    std::u16string bar_start;  // the first piece after the rows
    bool jump_before, jump_after;
  } rows[] = {
      // clang-format off
      {u"EnXML", u"SqlList", {}, next + u"&amp;t=1\">Next Page", false, false},
      {u"EnXML", u"MdbList", {Variant(int16_t{1})}, next + u"\">Next Page", false, false},
      {u"EnXML", u"MdbList", {Variant(int16_t{2})}, next + u"\">Next Page", false, false},
      {u"EnXML", u"MdbList", {Variant(int16_t{3})}, u"<b>1</b> ", false, false},
      {u"EnXML", u"MdbList", {Variant(int16_t{4})}, u"", false, false},
      {u"EnWAP", u"MDbListPages", {Variant(u"TOP")}, next + u"\">Next Page", true, false},
      {u"EnWAP", u"MDbListPages", {Variant(u"bottom")}, next + u"\">Next Page", false, true},
      {u"EnWAP", u"MDbListPagesTwo", {Variant(u"top")}, next + u"&amp;Title=Title+1\">Next Page",
       true, false},
      {u"EnWAP", u"MDbListPagesThree", {Variant(u"bottom")}, u"<b>1</b> ", false, true},
      // clang-format on
  };
  for (const auto& c : rows) {
    SCOPED_TRACE(codepage::ToUtf8(std::u16string(c.class_name) + u"." + c.member));
    auto p = Page(c.class_name);
    PageState& s = p->state();
    s.DbToTransParameters = u"&amp;t=1";
    s.TransFirstFieldName = u"Title";
    // The SQL Server kind reaches this SQLite file through the driver manager.
    s.SqlStrConn = OdbcString(scratch_.path() / "list.db");
    s.RsInfoPlace = u"bottom";
    p->Call(c.member, c.args);
    const std::u16string body = p->Body(), total = u"<br/>Total:23;1/3<br/>";
    ASSERT_NE(body.find(total), std::u16string::npos) << codepage::ToUtf8(body);
    std::u16string rest = body.substr(body.find(total) + total.size());
    if (c.jump_before) {
      ASSERT_TRUE(rest.starts_with(jump)) << codepage::ToUtf8(rest);
      rest = rest.substr(jump.size());
    }
    EXPECT_TRUE(rest.starts_with(c.bar_start)) << codepage::ToUtf8(rest);
    EXPECT_EQ(rest.ends_with(jump), c.jump_after);
    EXPECT_EQ(s.Conn, nullptr);
  }
  for (const char16_t* class_name : {u"XML", u"EnXML", u"WAP", u"EnWAP"}) {  // a dead server
    for (const char16_t* member : {u"MySqlList", u"OracleList", u"SqlListPagesThree"}) {
      auto p = Page(class_name);
      p->state().SqlStrConn = u"Driver=NoSuchDriver";
      EXPECT_EQ(ErrorOf([&] { p->Call(member, {}); }), 0);
      EXPECT_EQ(p->Header("Location"), "http://localhost/news/");  // no page: the error page
    }
  }
}

// Whole list pages, every list kind and bar, as a WAP gateway and an XHTML
// parser take them, with markup, quotes and ampersands in the records.
TEST_F(Lists, WholePagesCompileAndParse) {
  if (!xml_check::HaveDocumentChecks()) {
    GTEST_SKIP() << "xml2wbxml (libwbxml2-utils) or xmllint (libxml2-utils) is not installed";
  }
  auto db = Connect(AccessString(scratch_.path() / "list.db"));
  Execute(*db, u"UPDATE Zorvadel SET Title = '<b>a & b</b> \"中文\"' WHERE Id = 14");
  // Addresses for the site and link lists.
  Execute(*db, u"ALTER TABLE Zorvadel ADD COLUMN Url TEXT");
  Execute(*db, u"UPDATE Zorvadel SET Url = 'a.asp?b=1&c=\"2\"<3>&amp;' WHERE Id > 10");
  const std::vector<Variant> layout = {Variant(u"Title|Content"), Variant(u"|"), Variant(u"<b>|"),
                                       Variant(u"</b><br/>|<br/>")};
  // MdbList in its four bar styles, the three pages lists, then the field lists.
  const std::pair<const char16_t*, std::vector<Variant>> lists[] = {
      {u"MdbList", {Variant(int16_t{0})}}, {u"MdbList", {Variant(int16_t{1})}},
      {u"MdbList", {Variant(int16_t{2})}}, {u"MdbList", {Variant(int16_t{3})}},
      {u"MDbListPages", {}}, {u"MDbListPagesTwo", {}}, {u"MDbListPagesThree", {}},
      {u"MDbListPages", {}},
      {u"MdbListShow", {Variant(u"Title"), Variant(u"Id"), Variant(u"Content")}},
      {u"MdbMultiList", layout},
      {u"MdbMultiShow", layout},
      {u"MdbSiteList", {Variant(u"Title"), Variant(u"Content"), Variant(u"Url")}},
      {u"MdbLinkList", {}},
  };
  for (const char16_t* class_name : {u"XML", u"EnXML", u"WAP", u"EnWAP"}) {
    const bool wml = std::u16string_view(class_name).ends_with(u"WAP");
    for (int style = 0; style < static_cast<int>(std::size(lists)); ++style) {
      auto p = Page(class_name, style % 3 ? "Page=3" : "Page=2");
      PageState& s = p->state();
      s.DbListTypeMode = static_cast<int16_t>(style + 1);
      s.DbListImgPath = u"dot.gif";
      s.DBIsShowImage = true;
      s.DBListKeyWord = u"&amp;k=1";
      s.KeyWord = u"a&amp;b";
      s.TransFirstFieldName = u"Title";
      s.FieldHeader = u"Content";
      if (style >= 8) {
        s.FieldUrl = u"Url";
        s.StrSql = u"SELECT * FROM Zorvadel";
      }
      std::vector<Variant> args = lists[style].second;
      if (wml && style >= 4 && style < 8) args = {Variant(style % 2 ? u"top" : u"bottom")};
      p->Call(wml ? u"PageHeader" : u"XhtmlHeader", {});
      p->Call(lists[style].first, args);
      p->Call(wml ? u"PageFooter" : u"XhtmlFooter", {});
      EXPECT_EQ(xml_check::CheckDocument(p->page.Body(), wml), 0) << p->page.Body();
    }
  }
}

// ---- The field lists -------------------------------------------------------------

std::u16string Link(const std::u16string& title, const std::u16string& url,
                    const std::u16string& text) {
  return u"<a title=\"" + title + u"\" href=\"" + url + u"\">" + text + u"</a>";
}
auto En = std::bind_front(Link, u"Enter");
auto Zh = std::bind_front(Link, u"&#x786E;&#x5B9A;");
std::u16string Bar(int page) {
  return u"http://localhost/news/list.asp?Page=" + codepage::FromUtf8(std::to_string(page));
}

class FieldLists : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDatabase(scratch_.path() / "f.db",
                 {NewsTable(3)[0], NewsTable(3)[1],
                  u"UPDATE Zorvadel SET Content = NULL WHERE Id = 2",
                  u"CREATE TABLE Site (Id INTEGER PRIMARY KEY, Title, Person, Url)",
                  u"INSERT INTO Site VALUES (1, 'Alpha', 'Ann', 'http://a.example/?x=1&y=2'),"
                  u" (2, 'Beta', NULL, NULL), (3, 'Gamma', 'Cy', 'c.asp?\"q\"<x>&amp;z')"});
  }
  std::unique_ptr<DbPage> Page(const char16_t* class_name, const std::u16string& member,
                               const std::string& query = "") {
    auto page = std::make_unique<DbPage>(scratch_.path(), class_name,
                                         "/news/list.asp" + (query.empty() ? "" : "?" + query));
    PageState& s = page->state();
    s.MdbPath = u"/f.db";
    s.SqlStrConn = OdbcString(scratch_.path() / "f.db");
    const bool sites = member.find(u"Site") != member.npos || member.find(u"Link") != member.npos;
    s.StrSql = sites ? u"SELECT * FROM Site ORDER BY Id" : u"SELECT * FROM Zorvadel ORDER BY Id";
    return page;
  }
  ScratchFolder scratch_;
};

const std::u16string kZhTotal = u"&#x603B;&#x6570;:",
                     kIndex = u"<img src=\"Images/IndexImage.Png\" alt=\"\" />",
                     kA = u"http://a.example/?x=1&amp;y=2",
                     kC = u"c.asp?&quot;q&quot;&lt;x&gt;&amp;z";

TEST_F(FieldLists, Table) {
  using Set = std::function<void(PageState&)>;
  auto size = [](int16_t n, const char16_t* place = u"") {
    return Set([n, place](PageState& s) {
      s.EveryPageSize = n;
      s.RsInfoPlace = place;
      s.DBIsShowImage = true;  // drawn by WAP alone
    });
  };
  auto links = [](const char16_t* url, const char16_t* split, int16_t n, const char16_t* place) {
    return Set([=](PageState& s) {
      s.FieldUrl = url;
      s.DbListSplitChar = split;
      s.EveryPageSize = n;
      s.RsInfoPlace = place;
      s.DBIsShowImage = s.DBListNumber = s.DBOrderNumber = true;
      s.DBListSymbol = u"*";
    });
  };
  const Set none = [](PageState& s) {
    s.StrSql = u"SELECT * FROM Site WHERE Id > 9";
    s.RsInfoPlace = u"bottom";
    s.ErrorPagePath = u"sorry.asp";
  };
  auto prev_zh = [](int page) {  // WAP's previous-page arrow and link
    return u"<img src=\"Images/PrePage.Png\" alt=\"\" />" +
           Zh(Bar(page), u"&#x4E0A;&#x4E00;&#x9875;") + u"<br/>";
  };
  const std::u16string sep = u"------<br/>", br = u"<br/>", zh_site = u"&#x7AD9;&#x540D;:",
                       zh_person = u"&#x6DFB;&#x52A0;&#x4EBA;:";
  const struct {
    const char16_t* class_name;
    std::u16string member;
    std::vector<Variant> args;
    Set set;
    std::u16string expected;
    const char* query = "";
  } rows[] = {
      // clang-format off
      // Mended: a Null content gives its line "", not nothing.
      {u"XML", u"MdbListShow", {Variant(u"Title"), Variant(u"NoSuchField"), Variant(u"Content")},
       Set(), kZhTotal + u"3;1/1<br/>Title 1<br/>Content 1<br/>" + sep + u"Title 2<br/><br/>" +
       sep + u"Title 3<br/>Content 3<br/>" + sep},
      {u"EnWAP", u"MdbListShow", {Variant(u"Title"), Variant(u"Id"), Variant(u"Content")},
       size(1, u"Bottom"), u"Title 2<br/><br/>Total:3;2/3<br/>" + En(Bar(3), u"Next Page") + br +
       En(Bar(1), u"Previous Page") + br, "Page=2"},
      {u"WAP", u"MdbListShow", {Variant(u"Nope"), Variant(u"Id"), Variant(u"Content")},
       size(1, u" top"), kIndex + u"<br/>Content 3<br/>" + prev_zh(2), "Page=3"},
      // Mended: PreText and LastText left empty write the fields bare.
      {u"EnXML", u"MdbMultiList", {Variant(u"Title Content")}, Set(),
       kZhTotal + u"3;1/1<br/>Title 1Content 1" + sep + u"Title 2" + sep + u"Title 3Content 3" +
       sep},
      {u"EnXML", u"MdbMultiList",
       {Variant(u"Title|Content"), Variant(u"|"), Variant(u"<b>|标题:"), Variant(u"</b><br/>|<br/>")},
       size(2, u"none"), u"<b>Title 1</b><br/>&#x6807;&#x9898;:Content 1<br/>" + sep +
       u"<b>Title 2</b><br/>&#x6807;&#x9898;:<br/>" + sep + En(Bar(2), u"Next Page") + br},
      // Missing name, and a LastText a piece short: both fields left out.
      {u"XML", u"MdbMultiList", {Variant(u"Title|Nope|Id"), Variant(u"|"), Variant(u"<i>|(|"),
       Variant(u"</i>|)")}, size(15, u"x"), u"<i>Title 1</i>" + sep + u"<i>Title 2</i>" + sep +
       u"<i>Title 3</i>" + sep},
      {u"WAP", u"MdbMultiShow", {Variant(u"Title|Content"), Variant(u"|"), Variant(u"[|"),
       Variant(u"]|.")}, [](PageState& s) { s.StrSql += u" DESC"; }, u"[Title 3]Content 3.",
       "Id=2&MyPage=1"},
      // Mended: a Null person is "", a Null address gets no link, and
      // addresses are repaired for the attribute.
      {u"EnXML", u"MdbSiteList", {Variant(u"Title"), Variant(u"Person"), Variant(u"Url")}, Set(),
       u"Total:3;1/1<br/>Site:Alpha<br/>Person:Ann<br/>" + En(kA, u"Enter...") + br + sep +
       u"Site:Beta<br/>Person:<br/>" + sep + u"Site:Gamma<br/>Person:Cy<br/>" +
       En(kC, u"Enter...") + br + sep},
      {u"XML", u"MdbSiteList", {Variant(u"Title"), Variant(u"Person"), Variant(u"Url")}, size(1),
       kZhTotal + u"3;2/3<br/>" + zh_site + u"Beta<br/>" + zh_person + br +
       Zh(Bar(3), u"&#x4E0B;&#x4E00;&#x9875;") + br + Zh(Bar(1), u"&#x4E0A;&#x4E00;&#x9875;") + br,
       "Page=2"},
      {u"EnWAP", u"MdbSiteList", {Variant(u"Title"), Variant(u"Nope"), Variant(u"Nope")}, size(2),
       u"Total:3;1/2<br/>Site:Alpha<br/>Person:<br/>" + sep + u"Site:Beta<br/>Person:<br/>" + sep +
       En(Bar(2), u"Next Page") + br},
      // Mended: Beta's Null address is "", not Alpha's.
      {u"EnXML", u"MdbLinkList", {}, [](PageState& s) { s.FieldUrl = u"Url"; },
       u"Total:3;1/1<br/>" + En(kA, u"Alpha") + br + En(u"", u"Beta") + br + En(kC, u"Gamma") + br},
      {u"WAP", u"MdbLinkList", {}, links(u"Url", u" | ", 2, u"BOTTOM"),
       kIndex + u"*[1]1." + Zh(kC, u"Gamma") + u" | <br/>" + kZhTotal + u"3;2/2<br/>" + prev_zh(1),
       "Page=2"},
      {u"EnWAP", u"MdbLinkList", {}, links(u"", u"<BR/>", 1, u""),
       u"Total:3;1/3<br/>*[1]1." + En(u"", u"Alpha") + u"<BR/><br/>" + En(Bar(2), u"Next Page") +
       br},
      // No records: a redirect to ErrorPagePath, which ends the response, so
      // "bottom" writes nothing (the multi-field and link lists open their
      // page as the title-and-content list does).
      {u"EnXML", u"MdbList", {Variant(int16_t{2})}, none, u""},
      {u"EnXML", u"MdbListShow", {Variant(u"Title"), Variant(u"Id"), Variant(u"Content")}, none,
       u""},
      {u"EnXML", u"MdbSiteList", {Variant(u"Title"), Variant(u"Person"), Variant(u"Url")}, none,
       u""},
      // clang-format on
  };
  for (const auto& c : rows) {
    SCOPED_TRACE(codepage::ToUtf8(c.class_name + (u"." + c.member)) + " " + c.query);
    auto p = Page(c.class_name, c.member, c.query);
    if (c.set) c.set(p->state());
    p->Call(c.member, c.args);
    EXPECT_EQ(p->Body(), c.expected);
    EXPECT_EQ(p->state().Conn, nullptr);
    EXPECT_EQ(p->state().Rs, nullptr);
    EXPECT_EQ(p->Header("Location") == "sorry.asp",
              c.expected.empty() && !c.member.ends_with(u"MultiShow"));
    if (c.member.ends_with(u"MultiShow") && c.query[0]) {
      EXPECT_EQ(p->SessionText(u"FindId"), u"2");
    }
    // The SQL Server kind, through the driver manager, writes the same.
    auto q = Page(c.class_name, c.member, c.query);
    if (c.set) c.set(q->state());
    q->Call(u"Sql" + c.member.substr(3), c.args);
    EXPECT_EQ(q->Body(), c.expected);
  }
}

// Record text that holds a quote, angle brackets and a bare ampersand: in
// an attribute it is written as entities, on a desktop browser (where the
// anchor's tip repeats the text) and on a phone; between the tags it stays
// what the lists write there.
TEST_F(FieldLists, RecordTextInAttributes) {
  auto db = Connect(AccessString(scratch_.path() / "f.db"));
  const std::u16string stored = u"say \"hi\" <b> & co";
  Execute(*db, u"UPDATE Site SET Title = '" + stored + u"' WHERE Id = 1");
  Execute(*db, u"UPDATE Zorvadel SET Title = '" + stored + u"' WHERE Id = 1");
  const std::u16string tip = u"say &quot;hi&quot; &lt;b&gt; &amp; co",
                       text = u"say \"hi\" <b> &amp; co",
                       marked = u"say&nbsp;&quot;hi&quot;&nbsp;&lt;b&gt;&nbsp;&amp;&nbsp;co",
                       row = u"Index.asp?Id=1&amp;ListId=1&amp;MyPage=1";
  const struct {
    const char16_t* class_name;
    const char16_t* member;
    bool web;
    std::u16string anchor;
  } rows[] = {
      {u"EnXML", u"MdbLinkList", true, Link(tip, kA, text)},
      {u"WAP", u"MdbLinkList", true, Link(tip, kA, text)},
      {u"EnXML", u"MdbLinkList", false, En(kA, text)},
      {u"WAP", u"MdbLinkList", false, Zh(kA, text)},
      // The record list escapes its titles whole before they become the link.
      {u"XML", u"MdbList", true, Link(marked, row, marked)},
      {u"EnWAP", u"MdbList", true, Link(marked, row, marked)},
      {u"XML", u"MdbList", false, Zh(row, marked)},
      {u"EnWAP", u"MdbList", false, En(row, marked)},
  };
  for (const auto& c : rows) {
    SCOPED_TRACE(codepage::ToUtf8(std::u16string(c.class_name) + u"." + c.member) +
                 (c.web ? " web" : " phone"));
    TestPage p(c.class_name,
               FactsFor(PageOptions().WithUrl("/news/list.asp").WithAgent(
                   c.web ? kDesktopAgent : kPhoneAgent)),
               0, scratch_.path().string());
    p.state().MdbPath = u"/f.db";
    p.state().FieldUrl = u"Url";
    const bool records = c.member == std::u16string_view(u"MdbList");
    p.state().StrSql = records ? u"SELECT * FROM Zorvadel ORDER BY Id"
                               : u"SELECT * FROM Site ORDER BY Id";
    p.Call(c.member, records ? std::vector<Variant>{Variant(int16_t{-1})} : std::vector<Variant>{});
    EXPECT_NE(p.Body().find(c.anchor), std::u16string::npos) << codepage::ToUtf8(p.Body());
  }
}

}  // namespace
}  // namespace zorvadel::test
