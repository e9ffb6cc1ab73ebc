// Ids at and beyond 10^15 and DECIMAL digits keep every digit on their way
// to a page: Fields(...).Value, the show members, the record-list links and
// the carried parameters, on a SQLite file through libsqlite3 (the Access
// kind) and through the SQLite ODBC driver (the SQL Server kind), and on a
// MariaDB server (the MySQL kind, and the SQL Server kind sharing its
// connection string) when run_mariadb.sh starts one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "database/database_test_util.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {
namespace {

// A row of Big(Id, Title, Amount, Other) as Fields(...).Value gives it:
// text and subtype; Title is "a", "b", "c" in the order given.
struct Row {
  std::u16string id, amount, other;  // other: "" when null
};

std::u16string ValueOf(ado::Recordset& rs, const char16_t* name) {
  ObjectPtr field = Invoke(rs, u"Fields", {Variant(name)}).object();
  const Variant value = Invoke(*field, u"Value", {});
  return value.IsNull() ? u"" : CStr(value) + u" " + std::u16string(value.TypeName());
}

std::u16string TextOf(const std::u16string& value) { return value.substr(0, value.find(u' ')); }

// SubmitText escapes a number's sign and point.
std::u16string Escaped(const std::u16string& value) {
  return Replace(Replace(TextOf(value), u"-", u"%2D"), u".", u"%2E");
}

using PageFor = std::function<std::unique_ptr<DbPage>(const std::string& url)>;

void CheckRows(const PageFor& page, const char16_t* open_member, const std::vector<Row>& rows) {
  auto p = page("/news/list.asp");
  p->state().StrSql = u"SELECT * FROM Big ORDER BY Title";
  p->Call(open_member, {});
  ado::Recordset& rs = *p->state().Rs;
  for (const Row& row : rows) {
    EXPECT_EQ(ValueOf(rs, u"Id"), row.id);
    EXPECT_EQ(ValueOf(rs, u"Amount"), row.amount);
    EXPECT_EQ(ValueOf(rs, u"Other"), row.other);
    rs.MoveNext();
  }
  EXPECT_TRUE(rs.AtEOF());
}

// Show, list (no bar) and carried parameters of one kind.
void CheckMembers(const PageFor& page, const char16_t* show, const char16_t* list,
                  const char16_t* carried, const std::vector<Row>& rows) {
  const std::u16string id = TextOf(rows[1].id);
  auto shown = page("/news/show.asp?Id=" + codepage::ToUtf8(id) + "&MyPage=1");
  shown->state().StrSql = u"SELECT * FROM Big WHERE Id = " + id;
  EXPECT_EQ(shown->Call(show, {Variant(u"Id")}), Variant(id));
  EXPECT_EQ(shown->Call(show, {Variant(u"Amount")}), Variant(TextOf(rows[1].amount)));
  EXPECT_EQ(shown->SessionText(u"FindId"), id);

  auto listed = page("/news/list.asp");
  listed->state().StrSql = u"SELECT Id, Title FROM Big ORDER BY Title";
  listed->Call(list, {Variant(int16_t{9})});
  std::u16string links = u"Total:3;1/1<br/>";
  char16_t title = u'a';
  for (const Row& row : rows) {
    links += u"<a title=\"Enter\" href=\"Index.asp?Id=" + Escaped(row.id) + u"&amp;ListId=" +
             Escaped(row.id) + u"&amp;MyPage=1\">" + title++ + u"</a><br/>";
  }
  EXPECT_EQ(listed->Body(), links);

  auto carrying = page("/news/list.asp");
  PageState& s = carrying->state();
  s.StrSql = u"SELECT * FROM Big ORDER BY Title";
  s.TransFirstFieldName = u"Id";
  s.TransSecondFieldName = u"Amount";
  carrying->Call(carried, {});
  EXPECT_EQ(s.DbToTransParameters,
            u"&amp;Id=" + Escaped(rows[0].id) + u"&amp;Amount=" + Escaped(rows[0].amount));
}

class SqliteBigNumbers : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    // SQLite stores a DECIMAL value whose digits a float cannot hold as a
    // float all the same: 12345678901234567890.12 becomes 1.23456789012346E+19.
    MakeDatabase(scratch_.path() / "big.db",
                 {u"CREATE TABLE Big (Id BIGINT, Title TEXT, Amount DECIMAL(30,4), Other INTEGER)",
                  u"INSERT INTO Big VALUES (1000000000000000, 'a', 1234567890123.45, 2147483647), "
                  u"(123456789012345678, 'b', 123456789012345678, 2147483648), "
                  u"(-9007199254740993, 'c', '12345678901234567890.1200', NULL)"});
  }
  std::unique_ptr<DbPage> Page(const std::string& url) {
    auto page = std::make_unique<DbPage>(scratch_.path(), u"EnXML", url);
    page->state().MdbPath = u"/big.db";
    page->state().SqlStrConn = OdbcString(scratch_.path() / "big.db");
    return page;
  }
  ScratchFolder scratch_;
};
INSTANTIATE_TEST_SUITE_P(Kinds, SqliteBigNumbers, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Odbc" : "Sqlite"; });

TEST_P(SqliteBigNumbers, FieldsShowListsAndCarriedParametersKeepEveryDigit) {
  const std::vector<Row> rows = {
      // Whole numbers that fit 32 bits stay Longs, as they always were.
      {u"1000000000000000 LongLong", u"1234567890123.45 Decimal", u"2147483647 Long"},
      {u"123456789012345678 LongLong", u"123456789012345678 Decimal", u"2147483648 LongLong"},
      {u"-9007199254740993 LongLong", u"12345678901234600000 Decimal", u""},
  };
  const PageFor page = [&](const std::string& url) { return Page(url); };
  if (GetParam()) {
    CheckRows(page, u"SqlDo", rows);
    CheckMembers(page, u"SqlShow", u"SqlList", u"SqlListPagesThree", rows);
  } else {
    CheckRows(page, u"MdbDo", rows);
    CheckMembers(page, u"MdbShow", u"MdbList", u"MDbListPagesThree", rows);
  }
}

TEST(MariaDbBigNumbers, BigintAndDecimalColumnsKeepEveryDigit) {
  const char* env = std::getenv("ZORVADEL_MARIADB_SOCKET");
  if (env == nullptr) GTEST_SKIP() << "needs the server that run_mariadb.sh starts";
  const std::u16string socket = codepage::FromUtf8(env);
  ScratchFolder scratch;
  const PageFor page = [&](const std::string& url) {
    auto p = std::make_unique<DbPage>(scratch.path(), u"EnXML", url);
    p->state().MySqlUserId = u"root";
    p->state().MySqlDBName = u"zorvadel";
    p->state().MySqlOtherConnInfo = u";socket=" + socket;
    // The SQL Server kind's carried parameters share the MySQL kind's string.
    p->state().SqlStrConn = u"dsn=;driver={myodbd driver};server=;uid=root;pwd=;"
                            u"database=zorvadel;socket=" + socket;
    return p;
  };
  for (const char16_t* sql :
       {u"CREATE TABLE Big (Id BIGINT PRIMARY KEY, Title VARCHAR(20), Amount DECIMAL(30,4), "
        u"Other BIGINT UNSIGNED)",
        u"INSERT INTO Big VALUES (1000000000000000, 'a', 12345678901234567890.1200, 7), "
        u"(123456789012345678, 'b', -0.5000, 18446744073709551615), "
        u"(-9007199254740993, 'c', 100, NULL)"}) {
    auto p = page("/news/do.asp");
    p->state().StrSql = sql;
    p->Call(u"MySqlDo", {});
    ASSERT_EQ(p->state().Conn->State(), ado::kStateOpen) << codepage::ToUtf8(sql);
  }
  const std::vector<Row> rows = {
      {u"1000000000000000 LongLong", u"12345678901234567890.12 Decimal", u"7 Long"},
      // An unsigned BIGINT past the signed range is no negative number.
      {u"123456789012345678 LongLong", u"-0.5 Decimal", u"18446744073709551615 Decimal"},
      {u"-9007199254740993 LongLong", u"100 Decimal", u""},
  };
  CheckRows(page, u"MySqlDo", rows);
  CheckMembers(page, u"MySqlShow", u"MySqlList", u"SqlListPagesThree", rows);
}

}  // namespace
}  // namespace zorvadel::test
