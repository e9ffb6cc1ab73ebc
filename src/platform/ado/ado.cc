#include "platform/ado/ado.h"

#include "zorvadel/dispatch.h"
#include "zorvadel/member_table.h"

namespace zorvadel::ado {

void Closable::Close() {
  if (!open_) {
    throw ScriptError(kErrObjectClosed, u"Operation is not allowed when the object is closed.");
  }
  open_ = false;
}

const ClassInfo& Connection::Class() const {
  static const ClassInfo info = ClassBuilder<Connection>(u"Connection")
                                    .Method<&Closable::Close>(u"Close")
                                    .Getter<&Closable::State>(u"State")
                                    .Build();
  return info;
}

const ClassInfo& Recordset::Class() const {
  static const ClassInfo info = ClassBuilder<Recordset>(u"Recordset")
                                    .Method<&Closable::Close>(u"Close")
                                    .Getter<&Closable::State>(u"State")
                                    .Build();
  return info;
}

const ClassInfo& Command::Class() const {
  static const ClassInfo info = ClassBuilder<Command>(u"Command").Build();
  return info;
}

}  // namespace zorvadel::ado
