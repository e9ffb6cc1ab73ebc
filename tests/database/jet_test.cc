// A real Jet file read through MDBTools with the Access kind: run_jet.sh
// names it in ZORVADEL_JET_FILE (the test skips without it). The file is
// read-only: a write raises in the layer and is suppressed by the members.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "database/database_test_util.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {
namespace {

TEST(JetFile, TheAccessKindReadsItsOneRowAndRefusesWrites) {
  const char* file = std::getenv("ZORVADEL_JET_FILE");
  if (file == nullptr) GTEST_SKIP() << "needs the file that run_jet.sh fetches";
  ScratchFolder scratch;
  std::filesystem::copy_file(file, scratch.path() / "monitor.mdb");
  auto Page = [&](std::string url) {
    auto page = std::make_unique<DbPage>(scratch.path(), u"WAP", std::move(url));
    page->state().MdbPath = u"monitor.mdb";
    page->state().StrSql = u"SELECT * FROM Monitor_Authenticate";
    return page;
  };
  auto page = Page("/list.asp");
  page->Call(u"MdbDo", {});
  PageState& s = page->state();
  ASSERT_EQ(s.Conn->State(), ado::kStateOpen);
  EXPECT_EQ(s.RecordCount, 1);
  ado::Recordset& rs = *s.Rs;
  EXPECT_EQ(rs.FieldCount(), 12);
  rs.SetPageSize(20);
  EXPECT_EQ(rs.PageCount(), 1);
  rs.SetAbsolutePage(1);
  for (const auto& [field, text] :
       {std::pair{u"id", u"1"}, std::pair{u"LineNumber", u"1234567890"},
        std::pair{u"EMail_Address", u"nobody@sunnyline.co.za"}, std::pair{u"Graph_Day", u"True"},
        std::pair{u"Graph_EMail", u"False"}, std::pair{u"LastVisit", u"2000-6-17 20:36:24"}}) {
    EXPECT_EQ(CStr(rs.FieldValue(rs.FieldIndex(Variant(field)))), text);
  }
  rs.MoveNext();
  EXPECT_TRUE(rs.AtEOF());

  EXPECT_EQ(Page("/show.asp?Id=1")->Call(u"MdbShow", {Variant(u"Comment")}),
            Variant(u"Example Circuit Added For Monitor Example To Potential New Clients"));
  // The delete request finds the write refused: no confirmation, no row lost.
  auto deleting = Page("/del.asp?FindId=1");
  deleting->state().StrSql = u"DELETE FROM Monitor_Authenticate WHERE ID = 1";
  deleting->Call(u"MdbDeleteData", {});
  EXPECT_EQ(deleting->Body(), u"");
  EXPECT_EQ(deleting->state().ToDoId, 1);
  EXPECT_EQ(ErrorOf([&] { Execute(*s.Conn, u"UPDATE Monitor_Authenticate SET Comment = 'x'"); }),
            ado::kErrProvider);
  EXPECT_EQ(RowCount(scratch.path() / "monitor.mdb", u"Monitor_Authenticate"), 1);
}

}  // namespace
}  // namespace zorvadel::test
