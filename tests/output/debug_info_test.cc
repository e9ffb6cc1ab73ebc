// The settings summary: its exact text in both languages, which sections a
// ShowInfo chooses, and that no password reaches it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "output/debug_info.h"
#include "output/request_test_util.h"

namespace zorvadel {
namespace {

// A state with every summarised field set, a few at their edges.
void Fill(PageState& s) {
  s.IsShowImage = true;
  s.CardTitle = u"新闻";
  s.PrePage = u"prev.gif";
  s.IndexImage = u"";
  s.NextPage = u"next.gif";
  s.RecordCount = -5;
  s.IPageCount = 32767;
  s.IPageCurrent = -32768;
  s.DBIsShowImage = false;
  s.StrSql = u"select * from t where a<1 & b>2";
  s.EveryPageSize = 10;
  s.FieldShow = u"title";
  s.FieldHeader = u"<p>";
  s.FieldFooter = u"</p>";
  s.FieldId = u"id";
  s.GoFileName = u"show.asp";
  s.RedirectPath = u"/r";
  s.ErrorPagePath = u"/e";
  s.SqlServerName = u"db1";
  s.SqlUserId = u"sa";
  s.SqlUserPwd = u"secret1";
  s.SqlDBName = u"news";
  s.SqlOtherConnInfo = u"x=1";
  s.SqlStrConn = u"Server=db1;Uid=sa;PWD=secret1;Database=news";
  s.MdbPath = u"d:\\db.mdb";
  s.MailServerUserName = u"mu";
  s.MailServerPassword = u"secret2";
  s.MailSmtp = u"smtp.example.com";
  s.MailSiteName = u"ms";
  s.MailResultFileName = u"ok.asp";
  s.MailWapUrl = u"wap.example.com";
  s.MailWebUrl = u"www.example.com";
  s.ThisFileName = u"/a/b.asp";
  s.FileName = u"b.asp";
  s.WapPath = u"/a/";
  s.DiskPath = u"/srv/a/b.asp";
  s.WapHomePage = u"http://m.example.com/";
  s.PhoneNumber = u"138";
  s.PhoneUserAgent = u"Nokia6600/1.0";
  s.PhoneIP = u"192.0.2.7";
  s.VisitFile = u"/a/b.asp";
  s.DisplayerInfo = u"Maybe Phone";
  s.PhoneAccept = u"text/vnd.wap.wml";
}

const std::u16string kFilledChinese =
    u"<b>以下为常用信息：</b><br/>"
    u"IsShowImage：True<br/>CardTitle：新闻<br/>PrePage：prev.gif<br/>IndexImage：<br/>"
    u"NextPage：next.gif<br/>"
    u"<b>以下为通用数据库信息：</b><br/>"
    u"记录的总数RecordCount：-5<br/>记录分页数IPageCount：32767<br/>"
    u"记录当前页IPageCurrent：-32768<br/>数据库DBIsShowImage：False<br/>"
    u"StrSql：select * from t where a<1 & b>2<br/>EveryPageSize：10<br/>FieldShow：title<br/>"
    u"FieldHeader：<p><br/>FieldFooter：</p><br/>FieldId：id<br/>GoFileName：show.asp<br/>"
    u"RedirectPath：/r<br/>ErrorPapePath：/e<br/>"
    u"<b>以下为Access和SQL2000数据库信息：</b><br/>"
    u"SqlServerName：db1<br/>SqlUserId：sa<br/>SqlUserPwd：已被清空。<br/>SqlDBName：news<br/>"
    u"SqlOtherConnInfo：x=1<br/>SqlStrConn：Server=db1;Uid=sa;PWD=已被清空。;Database=news<br/>"
    u"<b>以下为Access信息：</b><br/>"
    u"Access数据库MdbPath：d:\\db.mdb<br/>"
    u"<b>以下为邮件信息：</b><br/>"
    u"MailServerUserName：mu<br/>MailSmtp：smtp.example.com<br/>MailSiteName：ms<br/>"
    u"MailResultFileName：ok.asp<br/>MailWapUrl：wap.example.com<br/>"
    u"MailWebUrl：www.example.com<br/>MailServerPassword：已被清空。<br/>"
    u"<b>以下为文件信息：</b><br/>"
    u"ThisFileName：/a/b.asp<br/>FileName：b.asp<br/>WapPath：/a/<br/>DiskPath：/srv/a/b.asp<br/>"
    u"<b>以下为网站信息：</b><br/>"
    u"WapHomePage：http://m.example.com/<br/>"
    u"<b>以下为终端信息：</b><br/>"
    u"PhoneNumber：138<br/>PhoneUserAgent：Nokia6600/1.0<br/>PhoneIP：192.0.2.7<br/>"
    u"VisitFile：/a/b.asp<br/>DisplayerInfo：Maybe Phone<br/>PhoneAccept：text/vnd.wap.wml<br/>";

TEST(DebugInfoTest, ChineseSummaryOfEverySection) {
  auto object = NewPageObject(u"WAP");
  Fill(object->state());
  EXPECT_EQ(object->DebugInfo(), kFilledChinese);
}

struct ChoiceCase {
  const char16_t* show_info;
  const char* headings;  // one letter per section present, in order
};

// c common, d general database, s SQL Server, a Access, m mail, f file,
// w site, t terminal.
constexpr ChoiceCase kChoices[] = {
    {u"aLL", "cdsamfwt"}, {u"SqL", "cds"},    {u"MDB", "cda"},  {u"File", "cf"},
    {u"site", "cw"},      {u"PHONE", "ct"},   {u" all", "c"},   {u"terminal", "c"},
    {u"db", "c"},
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
    EXPECT_EQ(present, c.headings) << ClassName(c.show_info);
  }
  EXPECT_EQ(object->DebugInfo(u""), object->DebugInfo(u"all"));
}

TEST(DebugInfoTest, NoPasswordReachesTheSummary) {
  for (const char16_t* name : {u"WAP", u"EnWAP"}) {
    auto object = NewPageObject(name);
    Fill(object->state());
    object->state().SqlStrConn = u"Provider=SQLOLEDB;password = {secret1;x};pwd=secret2";
    const std::u16string summary = object->DebugInfo();
    EXPECT_EQ(summary.find(u"secret"), std::u16string::npos) << ClassName(name);
  }
}

struct MaskCase {
  const char16_t* conn;
  const char16_t* masked;
};

constexpr MaskCase kMasks[] = {
    {u"", u""},
    {u"Server=a;Uid=sa", u"Server=a;Uid=sa"},
    {u"Pwd=abc", u"Pwd=*"},
    {u"Server=a;PWD=abc;Database=d", u"Server=a;PWD=*;Database=d"},
    {u"Password=abc;", u"Password=*;"},
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
  for (const MaskCase& c : kMasks) {
    EXPECT_EQ(output::MaskConnectionPasswords(c.conn, u"*"), c.masked) << ClassName(c.conn);
  }
}

}  // namespace
}  // namespace zorvadel
