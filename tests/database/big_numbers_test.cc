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
#include <tuple>
#include <vector>

#include "database/database_test_util.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {
namespace {

// A field of the current record as Fields(name).Value gives it: its text
// form and its subtype's name.
std::u16string ValueOf(ado::Recordset& rs, const char16_t* name) {
  ObjectPtr field = Invoke(rs, u"Fields", {Variant(name)}).object();
  const Variant value = Invoke(*field, u"Value", {});
  return CStr(value) + u" " + std::u16string(value.TypeName());
}

// A number's text in a link: SubmitText escapes its sign and its point.
std::u16string Escaped(std::u16string text) {
  text = Replace(text, u"-", u"%2D");
  return Replace(text, u".", u"%2E");
}

// The record-list link of one id, as the English XHTML class writes it.
std::u16string Link(const std::u16string& id, const std::u16string& title) {
  return u"<a title=\"Enter\" href=\"Index.asp?Id=" + Escaped(id) + u"&amp;ListId=" +
         Escaped(id) + u"&amp;MyPage=1\">" + title + u"</a>";
}

// The members of one database kind.
struct Kind {
  const char16_t* show;
  const char16_t* list;
  const char16_t* carried;  // the list member that builds the carried parameters
};
constexpr Kind kAccess{u"MdbShow", u"MdbList", u"MDbListPagesThree"};
constexpr Kind kSqlServer{u"SqlShow", u"SqlList", u"SqlListPagesThree"};
constexpr Kind kMySql{u"MySqlShow", u"MySqlList", u"SqlListPagesThree"};

// One id per row; Amount is DECIMAL(30,4).
struct Expected {
  const char16_t* id;
  const char16_t* title;
  const char16_t* amount;  // text and subtype of Fields("Amount").Value
};

// Show, list and carried parameters of `kind` on the table Big(Id, Title,
// Amount), whose rows sort by Title as `rows` are given.
void CheckMembers(const Kind& kind, const std::function<std::unique_ptr<DbPage>(std::string)>& page,
                  const std::vector<Expected>& rows) {
  const std::u16string second_id = rows[1].id;
  auto show = page("/news/show.asp?Id=" + codepage::ToUtf8(second_id) + "&MyPage=1");
  show->state().StrSql = u"SELECT * FROM Big WHERE Id = " + second_id;
  EXPECT_EQ(show->Call(kind.show, {Variant(u"Id")}), Variant(second_id));
  EXPECT_EQ(show->SessionText(u"FindId"), second_id);
  const std::u16string amount = rows[1].amount;
  EXPECT_EQ(show->Call(kind.show, {Variant(u"Amount")}),
            Variant(amount.substr(0, amount.find(u' '))));

  auto list = page("/news/list.asp");
  list->state().StrSql = u"SELECT Id, Title FROM Big ORDER BY Title";
  list->Call(kind.list, {Variant(int16_t{9})});  // no bar
  std::u16string links;
  for (const Expected& row : rows) links += Link(row.id, row.title) + u"<br/>";
  // The last row's break is the list's closing one.
  EXPECT_EQ(list->Body(),
            u"Total:" + codepage::FromUtf8(std::to_string(rows.size())) + u";1/1<br/>" + links);

  auto carried = page("/news/list.asp");
  PageState& s = carried->state();
  s.StrSql = u"SELECT * FROM Big ORDER BY Title";
  s.TransFirstFieldName = u"Id";
  s.TransSecondFieldName = u"Amount";
  carried->Call(kind.carried, {});
  const std::u16string first_amount = rows[0].amount;
  EXPECT_EQ(s.DbToTransParameters,
            u"&amp;Id=" + Escaped(rows[0].id) + u"&amp;Amount=" +
                Escaped(first_amount.substr(0, first_amount.find(u' '))));
}

class SqliteBigNumbers : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    // SQLite keeps DECIMAL digits it cannot hold in a float's 15 as a float
    // all the same: 12345678901234567890.12 is stored as 1.23456789012346E+19.
    MakeDatabase(scratch_.path() / "big.db",
                 {u"CREATE TABLE Big (Id BIGINT, Title TEXT, Amount DECIMAL(30,4), Small INTEGER)",
                  u"INSERT INTO Big VALUES (1000000000000000, 'a', 1234567890123.45, 7), "
                  u"(123456789012345678, 'b', 123456789012345678, -8), "
                  u"(-9007199254740993, 'c', '12345678901234567890.1200', 2147483647), "
                  u"(2147483648, 'd', 0.0001, NULL)"});
  }
  bool odbc() const { return GetParam(); }
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

const std::vector<Expected> kSqliteRows = {
    {u"1000000000000000", u"a", u"1234567890123.45 Decimal"},
    {u"123456789012345678", u"b", u"123456789012345678 Decimal"},
    {u"-9007199254740993", u"c", u"12345678901234600000 Decimal"},
    {u"2147483648", u"d", u"0.0001 Decimal"},
};

TEST_P(SqliteBigNumbers, FieldValuesKeepEveryDigit) {
  auto connection = Connect(odbc() ? OdbcString(scratch_.path() / "big.db")
                                   : AccessString(scratch_.path() / "big.db"));
  auto rs = OpenRecordset(connection, u"SELECT * FROM Big ORDER BY Title", ado::kOpenKeyset);
  // Whole numbers that fit 32 bits stay Longs, as they always were.
  const char16_t* small[] = {u"7 Long", u"-8 Long", u"2147483647 Long", nullptr};
  for (size_t i = 0; i < kSqliteRows.size(); ++i, rs->MoveNext()) {
    SCOPED_TRACE(i);
    EXPECT_EQ(ValueOf(*rs, u"Id"), kSqliteRows[i].id + std::u16string(u" LongLong"));
    EXPECT_EQ(ValueOf(*rs, u"Amount"), kSqliteRows[i].amount);
    if (small[i] != nullptr) {
      EXPECT_EQ(ValueOf(*rs, u"Small"), small[i]);
    }
  }
  EXPECT_TRUE(rs->AtEOF());
}

TEST_P(SqliteBigNumbers, ShowListsAndCarriedParametersKeepEveryDigit) {
  CheckMembers(odbc() ? kSqlServer : kAccess, [&](std::string url) { return Page(url); },
               kSqliteRows);
}

TEST(MariaDbBigNumbers, BigintAndDecimalColumnsKeepEveryDigit) {
  const char* env = std::getenv("ZORVADEL_MARIADB_SOCKET");
  if (env == nullptr) GTEST_SKIP() << "needs the server that run_mariadb.sh starts";
  const std::u16string socket = codepage::FromUtf8(env);
  ScratchFolder scratch;
  auto Page = [&](std::string url) {
    auto page = std::make_unique<DbPage>(scratch.path(), u"EnXML", std::move(url));
    page->state().MySqlUserId = u"root";
    page->state().MySqlDBName = u"zorvadel";
    page->state().MySqlOtherConnInfo = u";socket=" + socket;
    // The SQL Server kind's carried parameters share the MySQL kind's string.
    page->state().SqlStrConn = u"dsn=;driver={myodbd driver};server=;uid=root;pwd=;"
                               u"database=zorvadel;socket=" + socket;
    return page;
  };
  for (const char16_t* sql :
       {u"CREATE TABLE Big (Id BIGINT PRIMARY KEY, Title VARCHAR(20), Amount DECIMAL(30,4), "
        u"Huge BIGINT UNSIGNED, Small INT)",
        u"INSERT INTO Big VALUES (1000000000000000, 'a', 12345678901234567890.1200, "
        u"18446744073709551615, 7), (123456789012345678, 'b', -0.5000, 1, -8), "
        u"(-9007199254740993, 'c', 100, 9223372036854775808, NULL)"}) {
    auto page = Page("/news/do.asp");
    page->state().StrSql = sql;
    page->Call(u"MySqlDo", {});
    ASSERT_EQ(page->state().Conn->State(), ado::kStateOpen) << codepage::ToUtf8(sql);
  }
  const std::vector<Expected> rows = {
      {u"1000000000000000", u"a", u"12345678901234567890.12 Decimal"},
      {u"123456789012345678", u"b", u"-0.5 Decimal"},
      {u"-9007199254740993", u"c", u"100 Decimal"},
  };
  auto page = Page("/news/list.asp");
  page->state().StrSql = u"SELECT * FROM Big ORDER BY Title";
  page->Call(u"MySqlDo", {});
  ado::Recordset& rs = *page->state().Rs;
  for (const auto& [id, amount, huge, small] :
       {std::tuple{u"1000000000000000 LongLong", u"12345678901234567890.12 Decimal",
                   u"18446744073709551615 Decimal", u"7 Long"},
        {u"123456789012345678 LongLong", u"-0.5 Decimal", u"1 Long", u"-8 Long"},
        {u"-9007199254740993 LongLong", u"100 Decimal", u"9223372036854775808 Decimal", u""}}) {
    EXPECT_EQ(ValueOf(rs, u"Id"), id);
    EXPECT_EQ(ValueOf(rs, u"Amount"), amount);
    EXPECT_EQ(ValueOf(rs, u"Huge"), huge);
    if (*small != u'\0') {  // a null Small has no text
      EXPECT_EQ(ValueOf(rs, u"Small"), small);
    }
    rs.MoveNext();
  }
  page->object->CloseData();
  CheckMembers(kMySql, Page, rows);
}

}  // namespace
}  // namespace zorvadel::test
