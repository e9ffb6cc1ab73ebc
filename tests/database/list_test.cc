// The record lists on SQLite files: the paging that the query key Page
// drives, the rows and their markers, the total line, the four bars, the
// carried parameters, the list members' order of pieces, the mended faults
// (a null field, parameters carried twice, counts past 32,767), and whole
// list pages checked by xml2wbxml and xmllint.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "database/database_test_util.h"
#include "database/nav_bars.h"
#include "markup/xml_check.h"

namespace zorvadel::test {
namespace {

// The anchor both dialects write in the English classes on a phone.
std::u16string EnLink(const std::u16string& url, const std::u16string& text) {
  return u"<a title=\"Enter\" href=\"" + url + u"\">" + text + u"</a>";
}
std::u16string Row(int id, int page) {
  const std::u16string n = codepage::FromUtf8(std::to_string(id));
  return EnLink(u"Index.asp?Id=" + n + u"&amp;ListId=" + n + u"&amp;MyPage=" +
                    codepage::FromUtf8(std::to_string(page)),
                u"Title&nbsp;" + n);  // SpecialMark's blank
}

class Lists : public ::testing::Test {
 protected:
  void SetUp() override { MakeDatabase(scratch_.path() / "list.db", NewsTable(23)); }
  std::unique_ptr<DbPage> Page(const char16_t* class_name, const std::string& query = "",
                               const std::string& file = "/list.db") {
    auto page = std::make_unique<DbPage>(scratch_.path(), class_name,
                                         "/news/list.asp" + (query.empty() ? "" : "?" + query));
    page->state().MdbPath = codepage::FromUtf8(file);
    page->state().EveryPageSize = 10;
    return page;
  }
  std::string Location(DbPage& page) {
    for (const auto& [name, value] : page.page.Result().headers) {
      if (name == "Location") return value;
    }
    return "";
  }
  ScratchFolder scratch_;
};

TEST_F(Lists, RecordListOfTheLastPage) {
  auto p = Page(u"EnXML", "Page=3");
  p->state().DBOrderNumber = true;
  p->Call(u"MdbList", {Variant(int16_t{9})});
  EXPECT_EQ(p->Body(), u"Total:23;3/3<br/>21." + Row(21, 3) + u"<br/>22." + Row(22, 3) +
                           u"<br/>23." + Row(23, 3) + u"<br/>");
  EXPECT_EQ(p->state().IRecordsShown, 3);
  EXPECT_EQ(p->state().I, 3);
  EXPECT_EQ(p->state().Conn, nullptr);
  EXPECT_EQ(p->state().Rs, nullptr);
}

TEST_F(Lists, AFullPageHasNoSeparatorAfterItsLastRow) {
  auto p = Page(u"EnWAP");
  p->Call(u"MdbList", {Variant(int16_t{-1})});
  std::u16string rows;
  for (int i = 1; i <= 10; ++i) rows += Row(i, 1) + (i < 10 ? u"<br/>" : u"");
  EXPECT_EQ(p->Body(), u"Total:23;1/3<br/>" + rows + u"<br/>");
}

TEST_F(Lists, PageRequestValue) {
  struct Case {
    std::string query;
    int32_t page;
  };
  // Five pages of five records.
  for (const Case& c : {Case{"", 1}, Case{"Page=", 1}, Case{"Page=0", 1}, Case{"Page=-3", 1},
                        Case{"Page=2.5", 2}, Case{"Page=3.5", 4}, Case{"Page=4", 4},
                        Case{"Page=99", 5}, Case{"Page=abc", 1}, Case{"Page=99999999999", 1}}) {
    SCOPED_TRACE(c.query);
    auto p = Page(u"XML", c.query);
    p->state().EveryPageSize = 5;
    p->Call(u"MdbList", {Variant(int16_t{9})});
    EXPECT_EQ(p->state().IPageCurrent, c.page);
    EXPECT_EQ(p->state().IPageCount, 5);
    EXPECT_EQ(p->state().IPageSize, 5);
  }
}

TEST_F(Lists, PageSizeAtOrBelowZeroWritesNoRow) {
  for (int16_t size : {0, -1}) {
    auto p = Page(u"EnXML");
    p->state().EveryPageSize = size;
    p->Call(u"MdbList", {Variant(int16_t{9})});
    EXPECT_EQ(p->state().IRecordsShown, 0);
    EXPECT_EQ(p->Body().substr(0, 6), u"Total:");
    EXPECT_EQ(p->Body().find(u"<a "), std::u16string::npos);
    EXPECT_TRUE(p->Body().ends_with(u"<br/><br/>"));
  }
}

TEST_F(Lists, EmptyTableRedirects) {
  MakeDatabase(scratch_.path() / "empty.db",
               {u"CREATE TABLE Zorvadel (Id INTEGER PRIMARY KEY, Title TEXT, Content TEXT)"});
  struct Case {
    std::u16string error_page;  // empty: the default WapPath
    std::u16string place;
    std::string location;
  };
  // The engine ends the response at the redirect, so the total line that
  // "bottom" writes after it is dropped there.
  for (const Case& c : {Case{u"", u"", "http://localhost/news/"},
                        Case{u"sorry.asp", u"bottom", "sorry.asp"}}) {
    auto p = Page(u"EnXML", "", "/empty.db");
    if (!c.error_page.empty()) p->state().ErrorPagePath = c.error_page;
    p->state().RsInfoPlace = c.place;
    p->Call(u"MdbList", {Variant(int16_t{2})});
    EXPECT_EQ(p->Body(), u"");
    EXPECT_EQ(Location(*p), c.location);
    EXPECT_EQ(p->state().IPageCount, 0);
    EXPECT_EQ(p->state().IPageCurrent, 1);
  }
}

TEST_F(Lists, TotalLinePlace) {
  struct Case {
    std::u16string place;
    bool top, bottom;
  };
  for (const Case& c : {Case{u"", true, false}, Case{u"TOP", true, false},
                        Case{u"Bottom", false, true}, Case{u" top", false, false},
                        Case{u"both", false, false}}) {
    SCOPED_TRACE(codepage::ToUtf8(c.place));
    auto p = Page(u"EnXML", "Page=3");
    p->state().RsInfoPlace = c.place;
    p->Call(u"MdbList", {Variant(int16_t{9})});
    const std::u16string body = p->Body();
    EXPECT_EQ(body.starts_with(u"Total:23;3/3<br/>"), c.top);
    EXPECT_EQ(body.ends_with(u"<br/>Total:23;3/3<br/>"), c.bottom);
  }
}

TEST_F(Lists, RowMarkers) {
  struct Case {
    int16_t mode;
    std::u16string first;  // before the first link of page 3
  };
  for (const Case& c : {Case{0, u""}, Case{1, u"[21]"}, Case{2, u"(21)"}, Case{3, u"21."},
                        Case{4, u"21 "}, Case{5, u"[1]"}, Case{6, u"(1)"}, Case{7, u"1."},
                        Case{8, u"1 "}, Case{9, u"<img src=\"dot.gif\" alt=\"\" />"},
                        Case{10, u"&gt;&gt;"}, Case{11, u""}}) {
    SCOPED_TRACE(c.mode);
    auto p = Page(u"EnXML", "Page=3");
    PageState& s = p->state();
    s.DbListTypeMode = c.mode;
    s.DbListImgPath = u"dot.gif";
    s.DblistPreString = u"&gt;&gt;";
    p->Call(u"MdbList", {Variant(int16_t{9})});
    EXPECT_EQ(p->Body().substr(0, 17 + c.first.size() + 4),
              u"Total:23;3/3<br/>" + c.first + u"<a t");
  }
}

TEST_F(Lists, SymbolNumbersHeaderAndFooter) {
  auto p = Page(u"EnXML", "Page=3");
  PageState& s = p->state();
  s.DBListSymbol = u"*";
  s.DBListNumber = true;
  s.DBOrderNumber = true;
  s.DbListTypeMode = 1;
  s.FieldHeader = u"Content";
  s.FieldFooter = u"Id";
  s.DBListKeyWord = u"&k=1";
  s.RsInfoPlace = u"none";
  p->Call(u"MdbList", {Variant(int16_t{9})});
  EXPECT_TRUE(p->Body().starts_with(
      u"[21]*[21]21." +
      EnLink(u"Index.asp?Id=21&amp;ListId=21&amp;MyPage=3&amp;k=1", u"[Content&nbsp;21]Title&nbsp;21[21]") +
      u"<br/>"))
      << codepage::ToUtf8(p->Body());
}

// Mended: a null title gives "" for its row, not the title of the row
// before; a field name the records lack gives "" on every row.
TEST_F(Lists, NullFieldGivesAnEmptyValue) {
  Execute(*Connect(AccessString(scratch_.path() / "list.db")),
          u"UPDATE Zorvadel SET Title = NULL WHERE Id = 2");
  auto p = Page(u"EnXML");
  p->state().EveryPageSize = 3;
  p->state().FieldFooter = u"NoSuchField";
  p->Call(u"MdbList", {Variant(int16_t{9})});
  EXPECT_EQ(p->Body(), u"Total:23;1/8<br/>" + Row(1, 1) + u"<br/>" +
                           EnLink(u"Index.asp?Id=2&amp;ListId=2&amp;MyPage=1", u"") + u"<br/>" +
                           Row(3, 1) + u"<br/>");
}

// Mended: the paging state is 32-bit, so page 35,000 of 40,000 one-record
// pages is listed with its own number.
TEST_F(Lists, PagesPast16Bits) {
  MakeDatabase(scratch_.path() / "large.db", NewsTable(40000));
  auto p = Page(u"EnXML", "Page=35000", "/large.db");
  p->state().EveryPageSize = 1;
  p->state().DBOrderNumber = true;
  p->Call(u"MdbList", {Variant(int16_t{2})});
  const std::u16string body = p->Body();
  EXPECT_TRUE(body.starts_with(u"Total:40000;35000/40000<br/>35000." + Row(35000, 35000) +
                               u"<br/>"))
      << codepage::ToUtf8(body.substr(0, 300));
  const std::u16string bar = u"http://localhost/news/list.asp?Page=";
  EXPECT_NE(body.find(EnLink(bar + u"35001", u"Next Page")), std::u16string::npos);
  EXPECT_NE(body.find(EnLink(bar + u"40000", u"[40000]")), std::u16string::npos);
  EXPECT_NE(body.find(EnLink(bar + u"34995", u"[34995]") + u" ... "), std::u16string::npos);
}

// The bars alone, from the paging state.
TEST(NavBars, Table) {
  using Bar = void (*)(PageCore&);
  const std::u16string u = u"p.asp?Page=";
  auto L = [&](int n, const std::u16string& text, const std::u16string& tail = u"") {
    return EnLink(u + codepage::FromUtf8(std::to_string(n)) + tail, text);
  };
  const std::u16string kw = u"&amp;KeyWord=x y";
  struct Case {
    const char* name;
    Bar bar;
    int32_t c, n;
    std::u16string expected;
  };
  const Case cases[] = {
      {"first/last one page", listing::RenderFirstLastNav, 1, 1, u""},
      {"first/last empty", listing::RenderFirstLastNav, 1, 0, u""},
      {"first/last page 1 of 2", listing::RenderFirstLastNav, 1, 2,
       L(2, u"Next Page", u"&amp;t=1") + u" " + L(2, u"Last Page", u"&amp;t=1") + u" <br/>"},
      {"first/last middle", listing::RenderFirstLastNav, 2, 3,
       L(3, u"Next Page", u"&amp;t=1") + u" " + L(3, u"Last Page", u"&amp;t=1") + u" <br/>" +
           L(1, u"Previous Page", u"&amp;t=1") + u" " + L(1, u"First Page", u"&amp;t=1") +
           u" <br/>"},
      {"prev/next one page", listing::RenderPrevNextNav, 1, 1, u""},
      {"prev/next middle", listing::RenderPrevNextNav, 2, 3,
       L(3, u"Next Page") + u"<br/>" + L(1, u"Previous Page") + u"<br/>"},
      {"numbered empty", listing::RenderNumberedNav, 1, 0, u""},
      {"numbered 1 of 10", listing::RenderNumberedNav, 1, 10,
       L(2, u"Next Page") + u" " + L(3, u"[3]") + u" " + L(4, u"[4]") + u" " + L(5, u"[5]") +
           u" " + L(6, u"[6]") + u" ... " + L(10, u"[10]") + u" <br/>"},
      {"numbered 10 of 10", listing::RenderNumberedNav, 10, 10,
       L(9, u"Previous Page") + u" " + L(8, u"[8]") + u" " + L(7, u"[7]") + u" " + L(6, u"[6]") +
           u" " + L(5, u"[5]") + u" ... " + L(1, u"[1]") + u" <br/>"},
      {"numbered 3 of 5", listing::RenderNumberedNav, 3, 5,
       L(4, u"Next Page") + u" " + L(5, u"[5]") + u" <br/>" + L(2, u"Previous Page") + u" " +
           L(1, u"[1]") + u" <br/>"},
      {"numbered 1 of 2", listing::RenderNumberedNav, 1, 2,
       L(2, u"Next Page") + u" " + L(2, u"[2]") + u" <br/>"},
      {"keyword empty", listing::RenderKeywordNav, 1, 0, u"<b>1</b> <br/>"},
      {"keyword 5 of 10", listing::RenderKeywordNav, 5, 10,
       L(2, u"&lt;", kw) + u" " + L(3, u"3", kw) + u" " + L(4, u"4", kw) + u" <b>5</b> " +
           L(6, u"6", kw) + u" " + L(7, u"7", kw) + u" " + L(8, u"&gt;", kw) + u" <br/>"},
      {"keyword 2 of 2", listing::RenderKeywordNav, 2, 2, L(1, u"1", kw) + u" <b>2</b> <br/>"},
      {"keyword 9 of 10", listing::RenderKeywordNav, 9, 10,
       L(6, u"&lt;", kw) + u" " + L(7, u"7", kw) + u" " + L(8, u"8", kw) + u" <b>9</b> " +
           L(10, u"10", kw) + u" <br/>"},
      {"numbered at the 32-bit edge", listing::RenderNumberedNav, 2147483646, 2147483647,
       L(2147483647, u"Next Page") + u" " + L(2147483647, u"[2147483647]") + u" <br/>" +
           L(2147483645, u"Previous Page") + u" " + L(2147483644, u"[2147483644]") + u" " +
           L(2147483643, u"[2147483643]") + u" " + L(2147483642, u"[2147483642]") + u" " +
           L(2147483641, u"[2147483641]") + u" ... " + L(1, u"[1]") + u" <br/>"},
  };
  ScratchFolder scratch;
  for (const char16_t* class_name : {u"EnXML", u"EnWAP"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " " + codepage::ToUtf8(class_name));
      DbPage p(scratch.path(), class_name);
      PageState& s = p.state();
      s.ThisFileName = u"p.asp";
      s.DbToTransParameters = u"&amp;t=1";
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
  struct Case {
    void (*bar)(PageCore&);
    size_t images;
  };
  for (const Case c : {Case{listing::RenderFirstLastNav, 2}, Case{listing::RenderPrevNextNav, 2},
                       Case{listing::RenderNumberedNav, 0}, Case{listing::RenderKeywordNav, 0}}) {
    DbPage p(scratch.path(), u"WAP");
    p.state().DBIsShowImage = true;
    p.state().IPageCurrent = 2;
    p.state().IPageCount = 3;
    c.bar(*p.object);
    const std::u16string body = p.Body();
    size_t count = 0;
    for (size_t at = body.find(u"<img "); at != std::u16string::npos;
         at = body.find(u"<img ", at + 1)) {
      ++count;
    }
    EXPECT_EQ(count, c.images);
    if (c.images) {
      EXPECT_TRUE(body.starts_with(u"<img src=\"Images/NextPage.Png\" alt=\"\" />"));
      EXPECT_NE(body.find(u"<br/><img src=\"Images/PrePage.Png\" alt=\"\" />"),
                std::u16string::npos);
    }
  }
}

// Mended: the carried parameters are rebuilt from the non-empty values, so
// a second list carries each field once; all empty keeps the old text.
TEST_F(Lists, CarriedParameters) {
  struct Case {
    std::u16string first, second, third, before, after;
  };
  for (const Case& c :
       {Case{u"Title", u"", u"", u"&amp;old=1", u"&amp;Title=Title+1"},
        Case{u"", u"Title", u"Id", u"&amp;old=1", u"&amp;Title=Title+1&amp;Id=1"},
        Case{u"", u"", u"", u"&amp;old=1", u"&amp;old=1"},
        Case{u"NoSuchField", u"", u"", u"&amp;old=1", u"&amp;old=1"}}) {
    auto p = Page(u"XML");
    PageState& s = p->state();
    s.TransFirstFieldName = c.first;
    s.TransSecondFieldName = c.second;
    s.TransThirdFieldName = c.third;
    s.DbToTransParameters = c.before;
    p->Call(u"MDbListPagesTwo", {});
    p->Call(u"MDbListPagesThree", {});
    EXPECT_EQ(s.DbToTransParameters, c.after);
  }
}

TEST_F(Lists, MembersWriteTheirPiecesInOrder) {
  const std::u16string jump =
      u"Turn To <input type='text' name='pn' emptyok='true' format='*N' title='GO' value='1' />" +
      EnLink(u"http://localhost/news/list.asp?Page=$(pn)", u"GO") + u"<br/>";
  struct Case {
    const char16_t* class_name;
    const char16_t* member;
    std::vector<Variant> args;
    std::u16string bar_start;  // the first piece after the rows
    bool jump_before, jump_after;
  };
  const std::u16string next = u"<a title=\"Enter\" href=\"http://localhost/news/list.asp?Page=2";
  for (const Case& c : {
           Case{u"EnXML", u"SqlList", {}, next + u"&amp;t=1\">Next Page", false, false},
           Case{u"EnXML", u"MdbList", {Variant(int16_t{1})}, next + u"\">Next Page", false, false},
           Case{u"EnXML", u"MdbList", {Variant(int16_t{2})}, next + u"\">Next Page", false, false},
           Case{u"EnXML", u"MdbList", {Variant(int16_t{3})}, u"<b>1</b> ", false, false},
           Case{u"EnXML", u"MdbList", {Variant(int16_t{4})}, u"", false, false},
           Case{u"EnXML", u"MDbListPages", {}, next + u"\">Next Page", false, false},
           Case{u"EnWAP", u"MDbListPages", {Variant(u"TOP")}, next + u"\">Next Page", true, false},
           Case{u"EnWAP", u"MDbListPages", {Variant(u"bottom")}, next + u"\">Next Page", false,
                true},
           Case{u"EnWAP", u"MDbListPages", {Variant(u" top")}, next + u"\">Next Page", false,
                false},
           Case{u"EnXML", u"MDbListPagesTwo", {}, next + u"\">Next Page", false, false},
           Case{u"EnWAP", u"MDbListPagesTwo", {Variant(u"top")},
                next + u"&amp;Title=Title+1\">Next Page", true, false},
           Case{u"EnWAP", u"MDbListPagesThree", {Variant(u"bottom")},
                u"<b>1</b> ", false, true},
       }) {
    SCOPED_TRACE(codepage::ToUtf8(std::u16string(c.class_name) + u"." + c.member));
    auto p = Page(c.class_name);
    PageState& s = p->state();
    s.DbToTransParameters = u"&amp;t=1";
    s.TransFirstFieldName = u"Title";
    // The SQL Server kind reaches this SQLite file through the driver
    // manager, which the test environment points at the SQLite driver.
    s.SqlStrConn =
        u"Driver={SQL server};Database=" + U16(scratch_.path() / "list.db") + u";NoCreat=1";
    s.RsInfoPlace = u"bottom";
    p->Call(c.member, c.args);
    const std::u16string body = p->Body();
    const std::u16string total = u"<br/>Total:23;1/3<br/>";
    const size_t after_rows = body.find(total);
    ASSERT_NE(after_rows, std::u16string::npos) << codepage::ToUtf8(body);
    std::u16string rest = body.substr(after_rows + total.size());
    if (c.jump_before) {
      ASSERT_TRUE(rest.starts_with(jump)) << codepage::ToUtf8(rest);
      rest = rest.substr(jump.size());
    }
    EXPECT_TRUE(rest.starts_with(c.bar_start)) << codepage::ToUtf8(rest);
    EXPECT_EQ(rest.ends_with(jump), c.jump_after);
    EXPECT_EQ(s.Conn, nullptr);
  }
}

TEST_F(Lists, MySqlAndOracleListsExistInEveryListClass) {
  for (const char16_t* class_name : {u"XML", u"EnXML", u"WAP", u"EnWAP"}) {
    for (const char16_t* member : {u"MySqlList", u"OracleList", u"SqlListPagesThree"}) {
      auto p = Page(class_name);
      p->state().SqlStrConn = u"Driver=NoSuchDriver";
      EXPECT_EQ(ErrorOf([&] { p->Call(member, {}); }), 0);
      EXPECT_EQ(Location(*p), "http://localhost/news/");  // no page: the error page
    }
  }
}

// Whole list pages, every list kind and bar, as a WAP gateway and an XHTML
// parser take them.
TEST_F(Lists, WholePagesCompileAndParse) {
  if (xml_check::RunCommand("command -v xml2wbxml").status != 0 || !xml_check::HaveXmllint()) {
    GTEST_SKIP() << "xml2wbxml (libwbxml2-utils) or xmllint (libxml2-utils) is not installed";
  }
  Execute(*Connect(AccessString(scratch_.path() / "list.db")),
          u"UPDATE Zorvadel SET Title = '<b>a & b</b> \"中文\"' WHERE Id = 12");
  const std::filesystem::path dir = scratch_.path() / "pages";
  std::filesystem::create_directories(dir);
  std::string decks, pages;
  int count = 0;
  for (const char16_t* class_name : {u"XML", u"EnXML", u"WAP", u"EnWAP"}) {
    const bool wml = std::u16string_view(class_name).ends_with(u"WAP");
    for (const char* query : {"", "Page=2", "Page=3"}) {
      for (int style = 0; style < 8; ++style) {
        auto p = Page(class_name, query);
        PageState& s = p->state();
        s.DbListTypeMode = static_cast<int16_t>(style + 1);
        s.DbListImgPath = u"dot.gif";
        s.DBIsShowImage = true;
        s.DBListKeyWord = u"&amp;k=1";
        s.KeyWord = u"a&amp;b";
        s.TransFirstFieldName = u"Title";
        s.FieldHeader = u"Content";
        p->Call(wml ? u"PageHeader" : u"XhtmlHeader", {});
        if (style < 4) {
          p->Call(u"MdbList", {Variant(static_cast<int16_t>(style))});
        } else {
          const char16_t* members[] = {u"MDbListPages", u"MDbListPagesTwo", u"MDbListPagesThree",
                                       u"MDbListPages"};
          std::vector<Variant> args;
          if (wml) args.push_back(Variant(style % 2 ? u"top" : u"bottom"));
          p->Call(members[style - 4], args);
        }
        p->Call(wml ? u"PageFooter" : u"XhtmlFooter", {});
        const std::string name = (dir / (std::to_string(count++) + ".xml")).string();
        std::ofstream(name, std::ios::binary) << p->page.Body();
        (wml ? decks : pages) += " '" + name + "'";
      }
    }
  }
  const auto failed = xml_check::RunCommand(
      "for f in" + decks + "; do xml2wbxml -o \"$f.wbxml\" \"$f\" >/dev/null 2>&1 || echo \"$f\"; done");
  EXPECT_EQ(failed.output, "");
  const auto lint = xml_check::RunCommand("xmllint --noout --nonet" + pages);
  EXPECT_EQ(lint.status, 0) << lint.output.substr(0, 3000);
}

}  // namespace
}  // namespace zorvadel::test
