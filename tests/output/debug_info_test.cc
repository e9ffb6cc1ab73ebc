// The settings summary: which sections a ShowInfo chooses, and the masking
// of passwords in a connection string. Its whole text in both languages,
// passwords cleared, is the page scripts' (debug_wap, debug_enwap).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "output/debug_info.h"
#include "output/output_test_util.h"
#include "support/text_cases.h"

namespace zorvadel {
namespace {

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
