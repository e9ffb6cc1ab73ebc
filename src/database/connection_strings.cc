#include "database/connection_strings.h"

namespace zorvadel::database {

std::u16string ServerConnectionString(DatabaseKind kind, const PageState& s) {
  switch (kind) {
    case DatabaseKind::kSqlServer:
      return u"Driver={SQL server};Server=" + s.SqlServerName + u";Uid=" + s.SqlUserId +
             u";Pwd=" + s.SqlUserPwd + u";Database=" + s.SqlDBName + s.SqlOtherConnInfo;
    case DatabaseKind::kMySql:
      return u"dsn=" + s.MySqlDSN + u";driver={myodbd driver};server=" + s.MySqlServerName +
             u";uid=" + s.MySqlUserId + u";pwd=" + s.MySqlUserPwd + u";database=" +
             s.MySqlDBName + s.MySqlOtherConnInfo;
    case DatabaseKind::kOracle:
      // OracleDBName and OracleOtherConnInfo have no place in it.
      return u"Driver={microsoft odbc for oracle};server=" + s.OracleServerName + u";uid=" +
             s.OracleUserId + u";pwd=" + s.OracleUserPwd + u";";
    case DatabaseKind::kAccess:
      break;
  }
  return {};
}

std::u16string_view ConnectionProgId(DatabaseKind kind) {
  return kind == DatabaseKind::kAccess ? u"adodb.connection" : u"ADODB.Connection";
}

}  // namespace zorvadel::database
