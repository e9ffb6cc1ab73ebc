// Member group of the XHTML and WML page classes: the page's own statement
// StrSql run against an Access, SQL Server, MySQL or Oracle database, the
// delete requests, and the show members that read one field of the first
// record.
//
// Which page class has which member by name (a C++ call on another page
// class runs the same code):
//
//   MdbDo MdbInsert MdbUpdate MdbDelete MdbDeleteData        XML EnXML WAP EnWAP
//   SqlDo SqlInsert SqlUpdate SqlDelete SqlDeleteData
//   MySqlDo MySqlInsert MySqlUpdate MySqlDelete
//   OracleDo OracleInsert OracleUpdate OracleDelete
//   MdbShow SqlShow MySqlShow OracleShow
//
// RsX picks the recordset slot that StrSql is opened on: 0 is Rs (and sets
// RecordCount), 1 to 5 are Rs1 to Rs5, any other value opens the
// connection alone. The connection and the slot stay open for the script
// until CloseData (a list, show or visit-counter member) or page end.
// By name, every Do, Insert, Update, Delete and DeleteData member takes
// RsX alone, and it defaults to 0.
//
// Connection strings, built from the page state: Access from MdbPath on
// every call; SQL Server, MySQL and Oracle share SqlStrConn, which the
// first of them to find it empty builds from its own properties and keeps.
//
// No member raises: each step that fails is skipped and the next one runs.
// A connection that does not open, or a statement that fails on one that
// did, writes one line to the error output naming the page, the member the
// script called, the file or server and the driver's message.
#ifndef ZORVADEL_DATABASE_MEMBERS_H_
#define ZORVADEL_DATABASE_MEMBERS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "zorvadel/database/database_kind.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"

namespace zorvadel {

class PageDatabaseMembers : public MemberGroup<PageDatabaseMembers, PageCore> {
 public:
  // Open StrSql on slot `rsx` through the kind's opener. Update and Delete
  // are Do under the name of the script's intent.
  void MdbDo(int16_t rsx = 0);
  void SqlDo(int16_t rsx = 0);
  void MySqlDo(int16_t rsx = 0);
  void OracleDo(int16_t rsx = 0);
  void MdbUpdate(int16_t rsx = 0);
  void SqlUpdate(int16_t rsx = 0);
  void MySqlUpdate(int16_t rsx = 0);
  void OracleUpdate(int16_t rsx = 0);
  void MdbDelete(int16_t rsx = 0);
  void SqlDelete(int16_t rsx = 0);
  void MySqlDelete(int16_t rsx = 0);
  void OracleDelete(int16_t rsx = 0);
  // Do, then redirect to RedirectPath whatever the statement did.
  void MdbInsert(int16_t rsx = 0);
  void SqlInsert(int16_t rsx = 0);
  void MySqlInsert(int16_t rsx = 0);
  void OracleInsert(int16_t rsx = 0);
  // The query key FindId into ToDoId as a 32-bit number (absent: 0), then,
  // when it holds a number, Do and the confirmation row ("删除成功!",
  // "Delete Succeed!") through WriteRow. A FindId that is absent, empty or
  // no number runs nothing and writes nothing; the confirmation is written
  // only when the connection opened and the statement ran.
  void MdbDeleteData(int16_t rsx = 0);
  void SqlDeleteData(int16_t rsx = 0);

  // RememberShowRequest, the kind's opener on Rs, the field `field_name`
  // of the first record as text, CloseData. "" when anything fails, when
  // there is no record or the value is Null. Unfiltered, untrimmed.
  std::u16string MdbShow(const std::u16string& field_name);
  std::u16string SqlShow(const std::u16string& field_name);
  std::u16string MySqlShow(const std::u16string& field_name);
  std::u16string OracleShow(const std::u16string& field_name);

  // ---- Shared with the list members and the visit counter (not by name).

  // The kind's opener: a new connection in Conn, opened; for `rsx` 0 to 5 a
  // new recordset in that slot opened on StrSql (slot 0 also sets
  // RecordCount). True when the connection opened and the statement ran on
  // a slot.
  bool OpenData(DatabaseKind kind, int16_t rsx);
  // Closes and empties Conn and the six slots, each step on its own.
  void CloseData();
  // Stores the request's record id (the key FieldId holds, else ListId;
  // apostrophes doubled, blanks trimmed) and MyPage in the session as
  // "FindId" and "MyPage", when the id is not empty.
  void RememberShowRequest();
  std::u16string Show(DatabaseKind kind, const std::u16string& field_name);

  static std::vector<MemberInfo> MemberTable(const PageClassTraits& traits);

 private:
  void Insert(DatabaseKind kind, int16_t rsx);
  void DeleteRequest(DatabaseKind kind, int16_t rsx);
};

}  // namespace zorvadel

#endif  // ZORVADEL_DATABASE_MEMBERS_H_
