// The data-access layer on SQLite files: what each cursor type can count
// and page, the text forms of the values, action statements, and the
// errors a script meets (closed objects, unknown fields, failing opens).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "database/database_test_util.h"
#include "platform/ado/backend.h"
#include "platform/ado/connection_string.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {
namespace {

// The same file through libsqlite3 and, when the parameter is true, through
// the driver manager (the test's [SQL server] is the SQLite ODBC driver).
class SqliteLayer : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    file_ = scratch_.path() / "news.db";
    MakeDatabase(file_, NewsTable(10));
    connection_ = Connect(GetParam() ? OdbcString(file_) : AccessString(file_));
  }
  std::shared_ptr<ado::Recordset> Open(const std::u16string& sql,
                                       int32_t cursor = ado::kOpenKeyset) {
    return OpenRecordset(connection_, sql, cursor);
  }
  ScratchFolder scratch_;
  std::filesystem::path file_;
  std::shared_ptr<ado::Connection> connection_;
};
INSTANTIATE_TEST_SUITE_P(Layer, SqliteLayer, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Odbc" : "Sqlite"; });

TEST_P(SqliteLayer, EachCursorCountsAndPagesAsItCan) {
  const int32_t server = ado::kUseServer, client = ado::kUseClient;
  // count -1: the cursor neither counts nor pages.
  for (const auto& [cursor, location, count] :
       {std::tuple{ado::kOpenForwardOnly, server, -1}, {ado::kOpenKeyset, server, 10},
        {ado::kOpenDynamic, server, -1}, {ado::kOpenStatic, server, 10},
        {ado::kOpenForwardOnly, client, 10}, {-1, server, -1}}) {
    SCOPED_TRACE(testing::Message() << "cursor " << cursor << " location " << location);
    connection_->SetCursorLocation(location);
    auto rs = Open(u"SELECT * FROM Zorvadel ORDER BY Id", cursor);
    rs->SetPageSize(4);
    EXPECT_EQ(rs->RecordCount(), count);
    EXPECT_EQ(rs->PageCount(), count < 0 ? -1 : 3);
    if (count < 0) {
      EXPECT_EQ(rs->AbsolutePage(), ado::kPosUnknown);
      EXPECT_EQ(ErrorOf([&] { rs->SetAbsolutePage(1); }), ado::kErrNotCapable);
      EXPECT_EQ(CStr(rs->FieldValue(0)), u"1");  // still readable, in order
    } else {
      rs->SetAbsolutePage(3);
      EXPECT_EQ(rs->AbsolutePage(), 3);
      EXPECT_EQ(CStr(rs->FieldValue(0)), u"9");
    }
  }
  for (int32_t cursor : {ado::kOpenForwardOnly, ado::kOpenKeyset}) {  // an empty result
    auto rs = Open(u"SELECT * FROM Zorvadel WHERE Id > 99", cursor);
    EXPECT_TRUE(rs->AtEOF() && rs->AtBOF());
    EXPECT_EQ(rs->PageCount(), cursor == ado::kOpenKeyset ? 0 : -1);
  }
}

TEST_P(SqliteLayer, PagingWalksAPageAndStopsAtTheEnd) {
  auto rs = Open(u"SELECT Id FROM Zorvadel ORDER BY Id DESC");
  rs->SetPageSize(3);
  rs->SetAbsolutePage(2);
  std::u16string ids;
  for (int i = 0; i < 3 && !rs->AtEOF(); ++i, rs->MoveNext()) ids += CStr(rs->FieldValue(0)) + u",";
  EXPECT_EQ(ids, u"7,6,5,");
  rs->SetAbsolutePage(4);  // the last page holds one record
  EXPECT_EQ(CStr(rs->FieldValue(0)), u"1");
  rs->MoveNext();
  EXPECT_TRUE(rs->AtEOF());
  EXPECT_FALSE(rs->AtBOF());
  EXPECT_EQ(rs->AbsolutePage(), ado::kPosEOF);
  EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }), ado::kErrNoCurrentRecord);
  EXPECT_EQ(ErrorOf([&] { rs->FieldValue(0); }), ado::kErrNoCurrentRecord);
  for (int32_t page : {0, 5, -1}) {
    EXPECT_EQ(ErrorOf([&] { rs->SetAbsolutePage(page); }), ado::kErrBadArguments) << page;
  }
  rs->MoveFirst();
  EXPECT_EQ(CStr(rs->FieldValue(0)), u"10");
  EXPECT_EQ(ErrorOf([&] { rs->SetPageSize(0); }), ado::kErrBadArguments);  // keeps 3
  EXPECT_EQ(ErrorOf([&] { rs->SetCacheSize(-5); }), ado::kErrBadArguments);
  EXPECT_EQ(rs->PageCount(), 4);
}

TEST_P(SqliteLayer, ValuesKeepTheirTypesAndTextForms) {
  Execute(*connection_,
          u"CREATE TABLE Kinds (N INTEGER, Big INTEGER, R REAL, T TEXT, Absent TEXT, "
          u"Flag BOOLEAN, Stamp DATETIME)");
  Execute(*connection_,
          u"INSERT INTO Kinds VALUES (42, 3000000000, 2.5, '<b>&amp;\"x\"</b>', NULL, "
          u"1, '2024-01-02 03:04:05')");
  auto rs = Open(u"SELECT * FROM Kinds");
  for (const auto& [field, type, text] :
       {std::tuple{u"Big", VarType::kDouble, u"3000000000"},
        {u"T", VarType::kString, u"<b>&amp;\"x\"</b>"}, {u"Flag", VarType::kBoolean, u"True"},
        {u"Stamp", VarType::kDate, u"2024-1-2 3:04:05"}}) {
    const Variant value = rs->FieldValue(rs->FieldIndex(Variant(field)));
    EXPECT_EQ(value.type(), type) << codepage::ToUtf8(field);
    EXPECT_EQ(CStr(value), text);
  }
  EXPECT_TRUE(rs->FieldValue(rs->FieldIndex(Variant(u"Absent"))).IsNull());
}

// By name in any case or by position, as a script reaches them.
TEST_P(SqliteLayer, FieldsByNameOrPosition) {
  auto rs = Open(u"SELECT Id, Title FROM Zorvadel ORDER BY Id");
  ObjectPtr fields = Invoke(*rs, u"Fields", {}).object();
  EXPECT_EQ(Invoke(*fields, u"Count", {}), Variant(int32_t{2}));
  ObjectPtr field = Invoke(*rs, u"", {Variant(u"tITLE")}).object();
  EXPECT_EQ(Invoke(*field, u"Name", {}), Variant(u"Title"));
  EXPECT_EQ(Invoke(*field, u"", {}), Variant(u"Title 1"));
  Invoke(*rs, u"MoveNext", {});
  EXPECT_EQ(Invoke(*field, u"Value", {}), Variant(u"Title 2"));  // follows the cursor
  EXPECT_EQ(rs->FieldIndex(Variant(int32_t{0})), 0);
  for (const Variant& missing : {Variant(u"nope"), Variant(int32_t{2}), Variant(int32_t{-1})}) {
    EXPECT_EQ(ErrorOf([&] { rs->FieldIndex(missing); }), ado::kErrItemNotFound);
  }
}

// Paging wraps the statement; what it wraps keeps its names and its rows.
TEST_P(SqliteLayer, StatementsOfEveryShapePage) {
  for (const auto& [sql, want_names, count] :
       {std::tuple{u"SELECT a.Id, b.Id FROM Zorvadel a JOIN Zorvadel b ON b.Id = a.Id + 1",
                   u"Id,Id,", 9},
        {u"SELECT Id FROM Zorvadel -- a comment ends the statement", u"Id,", 10},
        {u"  select Id from Zorvadel where Id < 4 ;; ", u"Id,", 3},
        {u"PRAGMA table_info(Zorvadel)", u"cid,name,type,notnull,dflt_value,pk,", 3}}) {
    SCOPED_TRACE(codepage::ToUtf8(sql));
    auto rs = Open(sql);
    std::u16string names;
    for (int32_t i = 0; i < rs->FieldCount(); ++i) names += rs->FieldName(i) + u",";
    EXPECT_EQ(names, want_names);
    EXPECT_EQ(rs->RecordCount(), count);
  }
}

TEST_P(SqliteLayer, ActionStatementsRunAndLeaveTheRecordsetClosed) {
  auto rs = Open(u"UPDATE Zorvadel SET Title = 'changed' WHERE Id = 3;");
  EXPECT_EQ(rs->State(), ado::kStateClosed);
  EXPECT_EQ(ErrorOf([&] { rs->RecordCount(); }), ado::kErrObjectClosed);
  ObjectPtr executed = connection_->Execute(u"DELETE FROM Zorvadel WHERE Id > 8", Variant(), -1);
  EXPECT_EQ(std::static_pointer_cast<ado::Recordset>(executed)->State(), ado::kStateClosed);
  EXPECT_EQ(CStr(Open(u"SELECT Title FROM Zorvadel WHERE Id = 3")->FieldValue(0)), u"changed");
  auto count = std::static_pointer_cast<ado::Recordset>(
      connection_->Execute(u"SELECT COUNT(*) FROM Zorvadel", Variant(), -1));
  EXPECT_EQ(count->RecordCount(), -1);  // Execute gives a forward-only cursor
  EXPECT_EQ(CStr(count->FieldValue(0)), u"8");
}

TEST_P(SqliteLayer, ClosedOpenAndFailingObjectsRaise) {
  auto failed = std::make_shared<ado::Recordset>();
  const Variant connection(connection_);
  EXPECT_EQ(ErrorOf([&] { failed->Open(Variant(u"SELECT * FROM Missing"), connection, 1, 3, -1); }),
            ado::kErrProvider);
  EXPECT_EQ(failed->State(), ado::kStateClosed);
  auto rs = Open(u"SELECT * FROM Zorvadel");
  EXPECT_EQ(ErrorOf([&] { rs->Open(Variant(u"SELECT 1"), connection, 1, 3, -1); }),
            ado::kErrObjectOpen);
  rs->Close();
  EXPECT_EQ(ErrorOf([&] { rs->AtEOF(); }), ado::kErrObjectClosed);
  EXPECT_EQ(ErrorOf([&] { connection_->Open(AccessString(file_), u"", u"", -1); }),
            ado::kErrObjectOpen);
  connection_->Close();
  EXPECT_EQ(ErrorOf([&] { Open(u"SELECT 1", 1); }), ado::kErrConnectionUnusable);
  EXPECT_EQ(ErrorOf([&] { connection_->SetCursorLocation(1); }), ado::kErrBadArguments);
}

TEST(SqliteOpen, FailingOpensCreateNothing) {
  ScratchFolder scratch;
  const std::filesystem::path missing = scratch.path() / "missing.mdb";
  std::ofstream(scratch.path() / "notes.mdb")
      << "no database pages, only some text that is long enough";
  for (const std::u16string& text :
       {AccessString(missing), AccessString(scratch.path() / "notes.mdb"),
        AccessString(scratch.path()),  // a folder
        std::u16string(u"driver={Microsoft Access Driver (*.mdb)};dbq="),
        std::u16string(u"Driver={No such driver};Server=x"),
        std::u16string(u"dsn=;driver={No such driver};server=;uid=root;pwd=")}) {
    auto connection = std::make_shared<ado::Connection>();
    EXPECT_EQ(ErrorOf([&] { connection->Open(text, u"", u"", -1); }), ado::kErrProvider)
        << codepage::ToUtf8(text);
    EXPECT_EQ(connection->State(), ado::kStateClosed);
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(ConnectionString, KeysInAnyCaseBracesAndEmptyValues) {
  const auto pairs = ado::ParseConnectionString(
      u"dsn=;DRIVER={myodbd driver};server=;uid=root;pwd={a;b}}c};database=test;;socket=/tmp/s");
  EXPECT_EQ(ado::ConnectionValue(pairs, u"PWD"), u"a;b}c");
  EXPECT_EQ(ado::JoinWithoutEmptyValues(pairs),
            u"DRIVER={myodbd driver};uid=root;pwd={a;b}}c};database=test;socket=/tmp/s");
}

}  // namespace
}  // namespace zorvadel::test
