// The openers, CloseData and the members built on them. Every step is one
// unit of error suppression, so a failing step costs only itself: a
// connection that cannot be created leaves Conn as it was, an open that
// fails still leaves a new (closed) recordset in the slot, and CloseData
// always ends with Conn and every slot empty.
#include "component/group_calls.h"
#include "zorvadel/database/database_members.h"

#include <memory>
#include <string>
#include <string_view>

#include "component/failure_line.h"
#include "database/connection_strings.h"
#include "platform/ado/ado.h"
#include "zorvadel/member_table.h"
#include "zorvadel/need.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

// The confirmation row of the delete requests.
constexpr std::u16string_view kDeleteConfirmation[] = {u"删除成功!", u"Delete Succeed!"};

template <typename T>
std::shared_ptr<T> CreateAs(const PageState& state, std::u16string_view progid) {
  auto object = std::dynamic_pointer_cast<T>(Need(state.Server).CreateObject(progid));
  if (!object) throw ScriptError(kErrTypeMismatch);
  return object;
}

std::shared_ptr<ado::Recordset>* SlotOf(PageState& state, int16_t rsx) {
  std::shared_ptr<ado::Recordset>* slots[] = {&state.Rs,  &state.Rs1, &state.Rs2,
                                              &state.Rs3, &state.Rs4, &state.Rs5};
  if (rsx < 0 || rsx > 5) return nullptr;
  return slots[rsx];
}

// A query value as text: an absent key reads as "".
std::u16string QueryText(Request& request, std::u16string_view key) {
  const Variant value = request.QueryString(key);
  return value.IsEmpty() ? std::u16string() : CStr(value);
}

// The form an id takes inside a quoted SQL literal.
std::u16string Quoted(const std::u16string& text) { return Trim(Replace(text, u"'", u"''")); }

}  // namespace

bool PageDatabaseMembers::OpenData(DatabaseKind kind, int16_t rsx) {
  PageState& s = self().state();
  bool opened = false;
  if (kind != DatabaseKind::kAccess && s.SqlStrConn.empty()) {
    s.SqlStrConn = database::ServerConnectionString(kind, s);
  }
  // The database as a failure line names it, composed only on a failure:
  // the file as the page gives it and, once mapped, where that led; or
  // where the connection string goes.
  std::u16string mapped;
  auto source = [&] {
    if (kind != DatabaseKind::kAccess) return failure::WhereTo(s.SqlStrConn);
    return mapped.empty() ? s.MdbPath : s.MdbPath + u" (" + mapped + u")";
  };
  auto cannot_open = [&] { return u"cannot open " + source(); };
  const bool created = failure::TellingStep(
      s, [&] { s.Conn = CreateAs<ado::Connection>(s, database::ConnectionProgId(kind)); },
      cannot_open);
  if (kind == DatabaseKind::kMySql) {
    Step([&] { Need(s.Conn).SetCursorLocation(ado::kUseClient); });
  }
  auto open = [&] {
    if (kind == DatabaseKind::kAccess) {
      // The path is mapped first: when that fails, no open is attempted.
      mapped = Need(s.Server).MapPath(s.MdbPath);
      Need(s.Conn).Open(std::u16string(database::kAccessPrefix) + mapped, u"", u"", -1);
    } else {
      Need(s.Conn).Open(s.SqlStrConn, u"", u"", -1);
    }
    opened = true;
  };
  // A connection that could not be created has told its line already.
  if (created) {
    failure::TellingStep(s, open, cannot_open);
  } else {
    Step(open);
  }

  std::shared_ptr<ado::Recordset>* slot = SlotOf(s, rsx);
  if (slot == nullptr) return false;
  bool ran = false;
  Step([&] { *slot = CreateAs<ado::Recordset>(s, database::kRecordsetProgId); });
  auto run = [&] {
    Need(*slot).Open(Variant(s.StrSql), Variant(s.Conn), s.DbCursorType, s.DbLockType, -1);
    ran = true;
  };
  // On a connection that did not open the statement fails for that reason
  // alone, which the open's line has told.
  if (opened) {
    failure::TellingStep(s, run, [&] {
      return u"statement failed on " + source() + u": " + failure::Shortened(s.StrSql);
    });
  } else {
    Step(run);
  }
  // A closed recordset (an action statement, a failed open) has no count:
  // RecordCount keeps its value.
  if (rsx == 0) Step([&] { s.RecordCount = Need(s.Rs).RecordCount(); });
  return opened && ran;
}

void PageDatabaseMembers::CloseData() {
  PageState& s = self().state();
  Step([&] { Need(s.Conn).Close(); });
  s.Conn.reset();
  for (int16_t rsx = 0; rsx <= 5; ++rsx) {
    std::shared_ptr<ado::Recordset>& slot = *SlotOf(s, rsx);
    Step([&] { Need(slot).Close(); });
    slot.reset();
  }
}

void PageDatabaseMembers::RememberShowRequest() {
  PageState& s = self().state();
  std::u16string id;
  std::u16string page;
  Step([&] {
    Request& request = Need(s.Request);
    // The raw text decides: blanks alone take this branch and end empty.
    const std::u16string raw = QueryText(request, s.FieldId);
    id = Quoted(raw.empty() ? QueryText(request, u"ListId") : raw);
  });
  Step([&] { page = QueryText(Need(s.Request), u"MyPage"); });
  if (id.empty()) return;
  Step([&] { Need(s.Session).SetValue(u"FindId", Variant(id)); });
  Step([&] { Need(s.Session).SetValue(u"MyPage", Variant(page)); });
}

std::u16string PageDatabaseMembers::Show(DatabaseKind kind, const std::u16string& field_name) {
  PageState& s = self().state();
  RememberShowRequest();
  OpenData(kind, 0);
  std::u16string result;
  Step([&] {
    ado::Recordset& rs = Need(s.Rs);
    // Null raises in CStr, so a Null value gives "".
    result = CStr(rs.FieldValue(rs.FieldIndex(Variant(field_name))));
  });
  CloseData();
  return result;
}

void PageDatabaseMembers::Insert(DatabaseKind kind, int16_t rsx) {
  PageState& s = self().state();
  OpenData(kind, rsx);
  Step([&] { Need(s.Response).Redirect(s.RedirectPath); });
}

void PageDatabaseMembers::DeleteRequest(DatabaseKind kind, int16_t rsx) {
  PageCore& page = self();
  PageState& s = page.state();
  Variant find_id;
  bool converted = false;
  Step([&] {
    find_id = Need(s.Request).QueryString(u"FindId");
    // Absent reads as 0; "" and text that is no 32-bit number raise here.
    s.ToDoId = CLng(find_id);
    converted = true;
  });
  if (find_id.IsEmpty() || (find_id.IsString() && find_id.string().empty())) return;
  // An id that is no number is no request to delete anything.
  if (!converted) return;
  if (!OpenData(kind, rsx)) return;
  Step([&] {
    calls::WriteRow(page, std::u16string(kDeleteConfirmation[static_cast<int>(page.language())]));
  });
}

void PageDatabaseMembers::MdbDo(int16_t rsx) {
  const failure::MemberScope named("MdbDo");
  OpenData(DatabaseKind::kAccess, rsx);
}
void PageDatabaseMembers::SqlDo(int16_t rsx) {
  const failure::MemberScope named("SqlDo");
  OpenData(DatabaseKind::kSqlServer, rsx);
}
void PageDatabaseMembers::MySqlDo(int16_t rsx) {
  const failure::MemberScope named("MySqlDo");
  OpenData(DatabaseKind::kMySql, rsx);
}
void PageDatabaseMembers::OracleDo(int16_t rsx) {
  const failure::MemberScope named("OracleDo");
  OpenData(DatabaseKind::kOracle, rsx);
}
void PageDatabaseMembers::MdbUpdate(int16_t rsx) {
  const failure::MemberScope named("MdbUpdate");
  MdbDo(rsx);
}
void PageDatabaseMembers::SqlUpdate(int16_t rsx) {
  const failure::MemberScope named("SqlUpdate");
  SqlDo(rsx);
}
void PageDatabaseMembers::MySqlUpdate(int16_t rsx) {
  const failure::MemberScope named("MySqlUpdate");
  MySqlDo(rsx);
}
void PageDatabaseMembers::OracleUpdate(int16_t rsx) {
  const failure::MemberScope named("OracleUpdate");
  OracleDo(rsx);
}
void PageDatabaseMembers::MdbDelete(int16_t rsx) {
  const failure::MemberScope named("MdbDelete");
  MdbDo(rsx);
}
void PageDatabaseMembers::SqlDelete(int16_t rsx) {
  const failure::MemberScope named("SqlDelete");
  SqlDo(rsx);
}
void PageDatabaseMembers::MySqlDelete(int16_t rsx) {
  const failure::MemberScope named("MySqlDelete");
  MySqlDo(rsx);
}
void PageDatabaseMembers::OracleDelete(int16_t rsx) {
  const failure::MemberScope named("OracleDelete");
  OracleDo(rsx);
}
void PageDatabaseMembers::MdbInsert(int16_t rsx) {
  const failure::MemberScope named("MdbInsert");
  Insert(DatabaseKind::kAccess, rsx);
}
void PageDatabaseMembers::SqlInsert(int16_t rsx) {
  const failure::MemberScope named("SqlInsert");
  Insert(DatabaseKind::kSqlServer, rsx);
}
void PageDatabaseMembers::MySqlInsert(int16_t rsx) {
  const failure::MemberScope named("MySqlInsert");
  Insert(DatabaseKind::kMySql, rsx);
}
void PageDatabaseMembers::OracleInsert(int16_t rsx) {
  const failure::MemberScope named("OracleInsert");
  Insert(DatabaseKind::kOracle, rsx);
}
void PageDatabaseMembers::MdbDeleteData(int16_t rsx) {
  const failure::MemberScope named("MdbDeleteData");
  DeleteRequest(DatabaseKind::kAccess, rsx);
}
void PageDatabaseMembers::SqlDeleteData(int16_t rsx) {
  const failure::MemberScope named("SqlDeleteData");
  DeleteRequest(DatabaseKind::kSqlServer, rsx);
}
std::u16string PageDatabaseMembers::MdbShow(const std::u16string& field_name) {
  const failure::MemberScope named("MdbShow");
  return Show(DatabaseKind::kAccess, field_name);
}
std::u16string PageDatabaseMembers::SqlShow(const std::u16string& field_name) {
  const failure::MemberScope named("SqlShow");
  return Show(DatabaseKind::kSqlServer, field_name);
}
std::u16string PageDatabaseMembers::MySqlShow(const std::u16string& field_name) {
  const failure::MemberScope named("MySqlShow");
  return Show(DatabaseKind::kMySql, field_name);
}
std::u16string PageDatabaseMembers::OracleShow(const std::u16string& field_name) {
  const failure::MemberScope named("OracleShow");
  return Show(DatabaseKind::kOracle, field_name);
}

std::vector<MemberInfo> PageDatabaseMembers::MemberTable(const PageClassTraits& traits) {
  if (traits.family == Family::kP) return {};
  using D = PageDatabaseMembers;
  const std::vector<ParamSpec> slot = {Opt(u"RsX", int16_t{0})};
  const std::vector<ParamSpec> field = {Req(u"FieldName")};
  return ClassBuilder<D>(u"")
      .Method<&D::MdbDo>(u"MdbDo", slot)
      .Method<&D::MdbInsert>(u"MdbInsert", slot)
      .Method<&D::MdbUpdate>(u"MdbUpdate", slot)
      .Method<&D::MdbDelete>(u"MdbDelete", slot)
      .Method<&D::MdbDeleteData>(u"MdbDeleteData", slot)
      .Method<&D::SqlDo>(u"SqlDo", slot)
      .Method<&D::SqlInsert>(u"SqlInsert", slot)
      .Method<&D::SqlUpdate>(u"SqlUpdate", slot)
      .Method<&D::SqlDelete>(u"SqlDelete", slot)
      .Method<&D::SqlDeleteData>(u"SqlDeleteData", slot)
      .Method<&D::MySqlDo>(u"MySqlDo", slot)
      .Method<&D::MySqlInsert>(u"MySqlInsert", slot)
      .Method<&D::MySqlUpdate>(u"MySqlUpdate", slot)
      .Method<&D::MySqlDelete>(u"MySqlDelete", slot)
      .Method<&D::OracleDo>(u"OracleDo", slot)
      .Method<&D::OracleInsert>(u"OracleInsert", slot)
      .Method<&D::OracleUpdate>(u"OracleUpdate", slot)
      .Method<&D::OracleDelete>(u"OracleDelete", slot)
      .Method<&D::MdbShow>(u"MdbShow", field)
      .Method<&D::SqlShow>(u"SqlShow", field)
      .Method<&D::MySqlShow>(u"MySqlShow", field)
      .Method<&D::OracleShow>(u"OracleShow", field)
      .BuildMembers();
}

}  // namespace zorvadel
