// The four kinds of database a page reaches, named by the prefix of their
// members (Mdb, Sql, MySql, Oracle).
#ifndef ZORVADEL_DATABASE_DATABASE_KIND_H_
#define ZORVADEL_DATABASE_DATABASE_KIND_H_

#include <cstdint>

namespace zorvadel {

enum class DatabaseKind : uint8_t { kAccess, kSqlServer, kMySql, kOracle };

}  // namespace zorvadel

#endif  // ZORVADEL_DATABASE_DATABASE_KIND_H_
