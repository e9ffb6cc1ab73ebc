// Data-access objects: Connection, Command and Recordset, as the page classes
// create and release them. They are real objects registered under their
// ProgIDs; opening them on a database (ODBC, SQLite) comes with the database
// members.
#ifndef ZORVADEL_PLATFORM_ADO_ADO_H_
#define ZORVADEL_PLATFORM_ADO_ADO_H_

#include <cstdint>

#include "zorvadel/variant.h"

namespace zorvadel::ado {

// Object states as data access reports them.
inline constexpr int32_t kStateClosed = 0;
inline constexpr int32_t kStateOpen = 1;

// "Operation is not allowed when the object is closed."
inline constexpr int32_t kErrObjectClosed = 3704;

// What Connection and Recordset share: an open state that Close ends.
class Closable : public Object {
 public:
  int32_t State() const { return open_ ? kStateOpen : kStateClosed; }
  // Closing an object that is not open raises 3704, as data access does.
  void Close();

 protected:
  void MarkOpen() { open_ = true; }

 private:
  bool open_ = false;
};

class Connection : public Closable {
 public:
  const ClassInfo& Class() const override;
};

class Recordset : public Closable {
 public:
  const ClassInfo& Class() const override;
};

class Command : public Object {
 public:
  const ClassInfo& Class() const override;
};


}  // namespace zorvadel::ado

#endif  // ZORVADEL_PLATFORM_ADO_ADO_H_
