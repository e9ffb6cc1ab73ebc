// The data-access layer on SQLite files: what each cursor type can count
// and page, the text forms of the values, action statements, and the
// errors a script meets (closed objects, unknown fields, failing opens).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "database/database_test_util.h"
#include "platform/ado/backend.h"
#include "platform/ado/connection_string.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {
namespace {

class SqliteLayer : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = scratch_.path() / "news.db";
    MakeDatabase(file_, NewsTable(10));
    connection_ = Connect(UsesOdbc() ? u"Driver={SQL server};Database=" + U16(file_) + u";NoCreat=1"
                                     : AccessString(file_));
  }
  virtual bool UsesOdbc() const { return false; }

  ScratchFolder scratch_;
  std::filesystem::path file_;
  std::shared_ptr<ado::Connection> connection_;
};

// The same file through libsqlite3 and through the driver manager (the
// test's [SQL server] is the SQLite ODBC driver): cursors behave alike.
class BothBackends : public SqliteLayer, public ::testing::WithParamInterface<bool> {
 protected:
  bool UsesOdbc() const override { return GetParam(); }
};
INSTANTIATE_TEST_SUITE_P(Layer, BothBackends, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Odbc" : "Sqlite"; });

struct CursorCase {
  int32_t cursor_type;
  int32_t location;
  int32_t record_count;  // also tells whether the cursor pages (-1: no)
};

TEST_P(BothBackends, EachCursorCountsAndPagesAsItCan) {
  const CursorCase kCases[] = {
      {ado::kOpenForwardOnly, ado::kUseServer, -1}, {ado::kOpenKeyset, ado::kUseServer, 10},
      {ado::kOpenDynamic, ado::kUseServer, -1},     {ado::kOpenStatic, ado::kUseServer, 10},
      {ado::kOpenForwardOnly, ado::kUseClient, 10}, {ado::kOpenDynamic, ado::kUseClient, 10},
      {-1, ado::kUseServer, -1},
  };
  for (const CursorCase& c : kCases) {
    SCOPED_TRACE(testing::Message() << "cursor " << c.cursor_type << " location " << c.location);
    connection_->SetCursorLocation(c.location);
    auto rs = OpenRecordset(connection_, u"SELECT * FROM Zorvadel ORDER BY Id", c.cursor_type);
    rs->SetPageSize(4);
    EXPECT_EQ(rs->RecordCount(), c.record_count);
    if (c.record_count < 0) {
      EXPECT_EQ(rs->PageCount(), -1);
      EXPECT_EQ(rs->AbsolutePage(), ado::kPosUnknown);
      EXPECT_EQ(ErrorOf([&] { rs->SetAbsolutePage(1); }), ado::kErrNotCapable);
      EXPECT_EQ(CStr(rs->FieldValue(0)), u"1");  // still readable, in order
    } else {
      EXPECT_EQ(rs->PageCount(), 3);
      rs->SetAbsolutePage(3);
      EXPECT_EQ(rs->AbsolutePage(), 3);
      EXPECT_EQ(CStr(rs->FieldValue(0)), u"9");
    }
  }
}

TEST_P(BothBackends, PagingWalksAPageAndStopsAtTheEnd) {
  auto rs = OpenRecordset(connection_, u"SELECT Id FROM Zorvadel ORDER BY Id DESC", ado::kOpenKeyset);
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
}

TEST_F(SqliteLayer, SizesAtOrBelowZeroRaiseAndKeepTheOldValue) {
  auto rs = OpenRecordset(connection_, u"SELECT * FROM Zorvadel", ado::kOpenKeyset);
  EXPECT_EQ(rs->PageSize(), 10);
  EXPECT_EQ(rs->CacheSize(), 1);
  rs->SetPageSize(7);
  rs->SetCacheSize(7);
  for (int32_t size : {0, -5}) {
    EXPECT_EQ(ErrorOf([&] { rs->SetPageSize(size); }), ado::kErrBadArguments);
    EXPECT_EQ(ErrorOf([&] { rs->SetCacheSize(size); }), ado::kErrBadArguments);
  }
  EXPECT_EQ(rs->PageSize(), 7);
  EXPECT_EQ(rs->CacheSize(), 7);
  EXPECT_EQ(rs->PageCount(), 2);
}

TEST_P(BothBackends, AnEmptyResultIsAtBothEnds) {
  for (int32_t cursor : {ado::kOpenForwardOnly, ado::kOpenKeyset}) {
    auto rs = OpenRecordset(connection_, u"SELECT * FROM Zorvadel WHERE Id > 99", cursor);
    EXPECT_TRUE(rs->AtEOF());
    EXPECT_TRUE(rs->AtBOF());
    EXPECT_EQ(rs->PageCount(), cursor == ado::kOpenKeyset ? 0 : -1);
  }
}

TEST_F(SqliteLayer, ValuesKeepTheirTypesAndTextForms) {
  Execute(*connection_,
          u"CREATE TABLE Kinds (N INTEGER, Big INTEGER, R REAL, T TEXT, Absent TEXT, "
          u"Flag BOOLEAN, Stamp DATETIME, Day DATE)");
  Execute(*connection_,
          u"INSERT INTO Kinds VALUES (42, 3000000000, 2.5, '<b>&amp;\"x\"</b>', NULL, 1, "
          u"'2024-01-02 03:04:05', '2024-12-31')");
  auto rs = OpenRecordset(connection_, u"SELECT * FROM Kinds", ado::kOpenKeyset);
  struct Expected {
    const char16_t* field;
    VarType type;
    const char16_t* text;
  };
  const Expected kValues[] = {
      {u"N", VarType::kLong, u"42"},
      {u"Big", VarType::kDouble, u"3000000000"},
      {u"R", VarType::kDouble, u"2.5"},
      {u"T", VarType::kString, u"<b>&amp;\"x\"</b>"},
      {u"Flag", VarType::kBoolean, u"True"},
      {u"Stamp", VarType::kDate, u"2024-1-2 3:04:05"},
      {u"Day", VarType::kDate, u"2024-12-31"},
  };
  for (const Expected& e : kValues) {
    const Variant value = rs->FieldValue(rs->FieldIndex(Variant(e.field)));
    EXPECT_EQ(value.type(), e.type) << codepage::ToUtf8(e.field);
    EXPECT_EQ(CStr(value), e.text);
  }
  EXPECT_TRUE(rs->FieldValue(rs->FieldIndex(Variant(u"Absent"))).IsNull());
}

TEST_F(SqliteLayer, FieldsByNameInAnyCaseOrByPosition) {
  auto rs = OpenRecordset(connection_, u"SELECT Id, Title FROM Zorvadel ORDER BY Id", ado::kOpenKeyset);
  EXPECT_EQ(rs->FieldIndex(Variant(u"tITLE")), 1);
  EXPECT_EQ(rs->FieldIndex(Variant(int32_t{0})), 0);
  for (const Variant& missing : {Variant(u"Content"), Variant(int32_t{2}), Variant(int32_t{-1})}) {
    EXPECT_EQ(ErrorOf([&] { rs->FieldIndex(missing); }), ado::kErrItemNotFound);
  }
  // By name, as a script reaches them: Fields.Count, Fields(i).Name and
  // the default members down to the value.
  ObjectPtr fields = Invoke(*rs, u"Fields", {}).object();
  EXPECT_EQ(Invoke(*fields, u"Count", {}), Variant(int32_t{2}));
  ObjectPtr field = Invoke(*rs, u"", {Variant(u"title")}).object();
  EXPECT_EQ(Invoke(*field, u"Name", {}), Variant(u"Title"));
  EXPECT_EQ(Invoke(*field, u"", {}), Variant(u"Title 1"));
  Invoke(*rs, u"MoveNext", {});
  EXPECT_EQ(Invoke(*field, u"Value", {}), Variant(u"Title 2"));  // follows the cursor
  EXPECT_EQ(ErrorOf([&] { Invoke(*fields, u"Item", {Variant(u"nope")}); }), ado::kErrItemNotFound);
}

// Paging wraps the statement; what it wraps keeps its names and its rows.
TEST_F(SqliteLayer, StatementsOfEveryShapePage) {
  struct Case {
    const char16_t* sql;
    const char16_t* names;
    int32_t count;
  };
  const Case kCases[] = {
      {u"SELECT a.Id, b.Id FROM Zorvadel a JOIN Zorvadel b ON b.Id = a.Id + 1", u"Id,Id,", 9},
      {u"SELECT Id FROM Zorvadel -- a comment ends the statement", u"Id,", 10},
      {u"  select Id from Zorvadel where Id < 4 ;; ", u"Id,", 3},
      {u"WITH t AS (SELECT Id FROM Zorvadel) SELECT COUNT(*) AS N FROM t", u"N,", 1},
      {u"PRAGMA table_info(Zorvadel)", u"cid,name,type,notnull,dflt_value,pk,", 3},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(codepage::ToUtf8(c.sql));
    auto rs = OpenRecordset(connection_, c.sql, ado::kOpenKeyset);
    std::u16string names;
    for (int32_t i = 0; i < rs->FieldCount(); ++i) names += rs->FieldName(i) + u",";
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(rs->RecordCount(), c.count);
  }
}

TEST_P(BothBackends, ActionStatementsRunAndLeaveTheRecordsetClosed) {
  auto rs = OpenRecordset(connection_, u"UPDATE Zorvadel SET Title = 'changed' WHERE Id = 3;",
                          ado::kOpenKeyset);
  EXPECT_EQ(rs->State(), ado::kStateClosed);
  EXPECT_EQ(ErrorOf([&] { rs->RecordCount(); }), ado::kErrObjectClosed);
  ObjectPtr executed = connection_->Execute(u"DELETE FROM Zorvadel WHERE Id > 8", Variant(), -1);
  EXPECT_EQ(std::static_pointer_cast<ado::Recordset>(executed)->State(), ado::kStateClosed);

  auto check = OpenRecordset(connection_, u"SELECT Title FROM Zorvadel WHERE Id = 3", ado::kOpenStatic);
  EXPECT_EQ(CStr(check->FieldValue(0)), u"changed");
  auto count = std::static_pointer_cast<ado::Recordset>(
      connection_->Execute(u"SELECT COUNT(*) FROM Zorvadel", Variant(), -1));
  EXPECT_EQ(count->RecordCount(), -1);  // Execute gives a forward-only cursor
  EXPECT_EQ(CStr(count->FieldValue(0)), u"8");
}

TEST_F(SqliteLayer, ClosedAndOpenObjectsRefuseWhatTheyCannotDo) {
  auto rs = OpenRecordset(connection_, u"SELECT * FROM Zorvadel", ado::kOpenKeyset);
  EXPECT_EQ(ErrorOf([&] { rs->Open(Variant(u"SELECT 1"), Variant(connection_), 1, 3, -1); }),
            ado::kErrObjectOpen);
  rs->Close();
  EXPECT_EQ(ErrorOf([&] { rs->Close(); }), ado::kErrObjectClosed);
  EXPECT_EQ(ErrorOf([&] { rs->AtEOF(); }), ado::kErrObjectClosed);
  EXPECT_EQ(ErrorOf([&] { connection_->Open(AccessString(file_), u"", u"", -1); }),
            ado::kErrObjectOpen);
  connection_->Close();
  EXPECT_EQ(ErrorOf([&] { connection_->Close(); }), ado::kErrObjectClosed);
  EXPECT_EQ(ErrorOf([&] { OpenRecordset(connection_, u"SELECT 1", 1); }),
            ado::kErrConnectionUnusable);
  EXPECT_EQ(ErrorOf([&] { connection_->SetCursorLocation(1); }), ado::kErrBadArguments);
}

TEST_P(BothBackends, AFailingStatementRaisesTheProviderError) {
  auto rs = std::make_shared<ado::Recordset>();
  EXPECT_EQ(ErrorOf([&] { rs->Open(Variant(u"SELECT * FROM Missing"), Variant(connection_), 1, 3, -1); }),
            ado::kErrProvider);
  EXPECT_EQ(rs->State(), ado::kStateClosed);
}

TEST(SqliteOpen, FailingOpensCreateNothing) {
  ScratchFolder scratch;
  const std::filesystem::path missing = scratch.path() / "missing.mdb";
  const std::filesystem::path text = scratch.path() / "notes.mdb";
  std::ofstream(text) << "these are no database pages, only some text that is long enough";
  const std::u16string kStrings[] = {
      AccessString(missing),
      AccessString(text),
      AccessString(scratch.path()),  // a folder
      u"driver={Microsoft Access Driver (*.mdb)};dbq=",
      u"Driver={No such driver};Server=x",
      u"dsn=;driver={No such driver};server=;uid=root;pwd=",
  };
  for (const std::u16string& text_string : kStrings) {
    auto connection = std::make_shared<ado::Connection>();
    EXPECT_EQ(ErrorOf([&] { connection->Open(text_string, u"", u"", -1); }), ado::kErrProvider)
        << codepage::ToUtf8(text_string);
    EXPECT_EQ(connection->State(), ado::kStateClosed);
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(ConnectionString, KeysInAnyCaseBracesAndEmptyValues) {
  const auto pairs = ado::ParseConnectionString(
      u"dsn=;DRIVER={myodbd driver};server=;uid=root;pwd={a;b}}c};database=test;;socket=/tmp/s");
  EXPECT_EQ(ado::ConnectionValue(pairs, u"Driver"), u"myodbd driver");
  EXPECT_EQ(ado::ConnectionValue(pairs, u"PWD"), u"a;b}c");
  EXPECT_EQ(ado::ConnectionValue(pairs, u"port"), u"");
  EXPECT_EQ(ado::JoinWithoutEmptyValues(pairs),
            u"DRIVER={myodbd driver};uid=root;pwd={a;b}}c};database=test;socket=/tmp/s");
  EXPECT_EQ(ado::JoinWithoutEmptyValues(ado::ParseConnectionString(
                u"Driver={SQL server};Server=local;Uid=sa;Pwd=zq;Database=Zorvadel")),
            u"Driver={SQL server};Server=local;Uid=sa;Pwd=zq;Database=Zorvadel");
}

}  // namespace
}  // namespace zorvadel::test
