// The data-access objects' member tables, and what Connection and Recordset
// share.
#include "platform/ado/ado.h"

#include "zorvadel/dispatch.h"
#include "zorvadel/member_table.h"

namespace zorvadel::ado {

void Closable::Close() {
  Require(true);
  open_ = false;
}

void Closable::Require(bool want_open) const {
  if (want_open && !open_) {
    throw ScriptError(kErrObjectClosed, u"Operation is not allowed when the object is closed.");
  }
  if (!want_open && open_) {
    throw ScriptError(kErrObjectOpen, u"Operation is not allowed when the object is open.");
  }
}

const ClassInfo& Connection::Class() const {
  using C = Connection;
  static const ClassInfo info =
      ClassBuilder<C>(u"Connection")
          .Method<&C::Open>(u"Open", {Opt(u"ConnectionString", u""), Opt(u"UserID", u""),
                                      Opt(u"Password", u""), Opt(u"Options", -1)})
          .Method<&C::Close>(u"Close")
          .Method<&C::Execute>(u"Execute", {Req(u"CommandText"), Opt(u"RecordsAffected").ByRef(),
                                            Opt(u"Options", -1)})
          .Getter<&Closable::State>(u"State")
          .Property<&C::CursorLocation, &C::SetCursorLocation>(u"CursorLocation")
          .Build();
  return info;
}

const ClassInfo& Recordset::Class() const {
  using R = Recordset;
  static const ClassInfo info =
      ClassBuilder<R>(u"Recordset")
          .Method<&R::Open>(u"Open", {Opt(u"Source"), Opt(u"ActiveConnection"),
                                      Opt(u"CursorType", -1), Opt(u"LockType", -1),
                                      Opt(u"Options", -1)})
          .Method<&R::Close>(u"Close")
          .Getter<&Closable::State>(u"State")
          .Getter<&R::AtEOF>(u"EOF")
          .Getter<&R::AtBOF>(u"BOF")
          .Method<&R::MoveNext>(u"MoveNext")
          .Method<&R::MoveFirst>(u"MoveFirst")
          .Getter<&R::RecordCount>(u"RecordCount")
          .Property<&R::PageSize, &R::SetPageSize>(u"PageSize")
          .Property<&R::CacheSize, &R::SetCacheSize>(u"CacheSize")
          .Getter<&R::PageCount>(u"PageCount")
          .Property<&R::AbsolutePage, &R::SetAbsolutePage>(u"AbsolutePage")
          .Getter<&R::Fields>(u"Fields", {Opt(u"Index")})
          .Default(u"Fields")
          .Build();
  return info;
}

const ClassInfo& Fields::Class() const {
  static const ClassInfo info = ClassBuilder<Fields>(u"Fields")
                                    .Getter<&Fields::Count>(u"Count")
                                    .Getter<&Fields::Item>(u"Item", {Req(u"Index")})
                                    .Default(u"Item")
                                    .Build();
  return info;
}

const ClassInfo& Field::Class() const {
  static const ClassInfo info = ClassBuilder<Field>(u"Field")
                                    .Getter<&Field::Value>(u"Value")
                                    .Getter<&Field::Name>(u"Name")
                                    .Default(u"Value")
                                    .Build();
  return info;
}

const ClassInfo& Command::Class() const {
  static const ClassInfo info = ClassBuilder<Command>(u"Command").Build();
  return info;
}

int32_t Fields::Count() const { return owner_->FieldCount(); }

ObjectPtr Fields::Item(const Variant& index) const {
  return std::make_shared<Field>(owner_, owner_->FieldIndex(index));
}

Variant Field::Value() const { return owner_->FieldValue(column_); }

std::u16string Field::Name() const { return owner_->FieldName(column_); }

}  // namespace zorvadel::ado
