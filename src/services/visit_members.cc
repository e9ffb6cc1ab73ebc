// The visit counter. The opener is asked for the connection only: opening
// the page's StrSql as well would run a data-changing statement of the page
// a second time. The five values go to the driver as bound parameters, so
// a quote in a user agent is stored as it came and can end nothing.
#include "component/group_calls.h"
#include "zorvadel/services/visit_members.h"

#include <string>
#include <vector>

#include "component/failure_line.h"
#include "platform/ado/ado.h"
#include "zorvadel/member_table.h"
#include "zorvadel/need.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

constexpr char16_t kVisitStatement[] =
    u"Insert Into VisitCount(PhoneNumber,PhoneIp,PhoneUserAgent,PhoneAccept,VisitFile) "
    u"Values (?,?,?,?,?)";
constexpr char16_t kCurrentIpKey[] = u"CurrentPhoneIp";
constexpr int16_t kDefaultTimeout = 30;
// A slot number outside 0 to 5: the opener opens the connection and no
// recordset.
constexpr int16_t kConnectionOnly = -1;

}  // namespace

void PageVisitMembers::VisitCount(const std::u16string& which_displayer,
                                  const std::u16string& which_database) {
  const failure::MemberScope named("VisitCount");
  PageCore& page = self();
  PageState& s = page.state();
  const std::u16string database = LCase(which_database);
  if (database == u"mdb") calls::OpenData(page, DatabaseKind::kAccess, kConnectionOnly);
  if (database == u"sql") calls::OpenData(page, DatabaseKind::kSqlServer, kConnectionOnly);

  const std::vector<std::u16string> row = {s.PhoneNumber, s.PhoneIP, s.PhoneUserAgent,
                                           s.PhoneAccept, s.VisitFile};
  // A session that cannot be read gives no answer: the call is not new.
  bool is_new = false;
  Step([&] {
    const Variant stored = Need(s.Session).Value(kCurrentIpKey);
    is_new = (stored.IsEmpty() ? std::u16string() : CStr(stored)) != s.PhoneIP;
  });
  Step([&] { Need(s.Session).SetTimeout(s.SessionTimeOut != 0 ? s.SessionTimeOut : kDefaultTimeout); });
  Step([&] { Need(s.Session).SetValue(kCurrentIpKey, Variant(s.PhoneIP)); });

  const std::u16string wanted = LCase(which_displayer);
  std::u16string kind;
  Step([&] { kind = LCase(calls::Displayer(page)); });
  bool write = is_new && (wanted == kind || wanted == u"all");
  if (is_new && wanted == u"notie") {
    std::u16string again;
    Step([&] { again = LCase(calls::Displayer(page)); });
    write = write || again != u"web";
  }
  if (write) {
    auto insert = [&] { Need(s.Conn).ExecuteWithTexts(kVisitStatement, row); };
    // On a connection that did not open, the opener's line has told why.
    bool open = false;
    Step([&] { open = Need(s.Conn).State() == ado::kStateOpen; });
    if (open) {
      failure::TellingStep(s, insert, [&] {
        const std::u16string place =
            database == u"mdb" ? s.MdbPath : failure::WhereTo(s.SqlStrConn);
        return u"statement failed on " + place + u": " + kVisitStatement;
      });
    } else {
      Step(insert);
    }
  }
  calls::CloseData(page);
}

std::vector<MemberInfo> PageVisitMembers::MemberTable(const PageClassTraits& traits) {
  if (traits.family == Family::kP) return {};
  using V = PageVisitMembers;
  return ClassBuilder<V>(u"")
      .Method<&V::VisitCount>(u"VisitCount",
                              {Opt(u"WhichDisplayer", u"All"), Opt(u"WhichDataBase", u"Mdb")})
      .BuildMembers();
}

}  // namespace zorvadel
