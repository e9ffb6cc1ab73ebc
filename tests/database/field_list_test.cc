// The title-and-content, multi-field, site and link lists and the
// multi-field view on one SQLite file: rows, markers, separators, total
// lines and bars; the mended faults (Null and missing fields, PreText and
// LastText left empty, addresses repaired for markup); no records; and the
// SQL Server kind writing what the Access kind writes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "database/database_test_util.h"

namespace zorvadel::test {
namespace {

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
      // "bottom" writes nothing.
      {u"EnXML", u"MdbList", {Variant(int16_t{2})}, none, u""},
      {u"EnXML", u"MdbListShow", {Variant(u"Title"), Variant(u"Id"), Variant(u"Content")}, none,
       u""},
      {u"EnXML", u"MdbMultiList", {Variant(u"Title")}, none, u""},
      {u"EnXML", u"MdbSiteList", {Variant(u"Title"), Variant(u"Person"), Variant(u"Url")}, none,
       u""},
      {u"EnXML", u"MdbLinkList", {}, none, u""},
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

}  // namespace
}  // namespace zorvadel::test
