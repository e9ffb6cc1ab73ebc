// Recordset: a cursor over one statement's rows. Only the current record is
// held; a paging cursor moves by asking its row source for a position.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "platform/ado/ado.h"
#include "platform/ado/backend.h"
#include "zorvadel/runtime.h"

namespace zorvadel::ado {
namespace {

[[noreturn]] void BadArguments() {
  throw ScriptError(kErrBadArguments,
                    u"Arguments are of the wrong type, are out of acceptable range, or are in "
                    u"conflict with one another.");
}

int32_t Clamped(int64_t value) {
  return static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

}  // namespace

Recordset::Recordset() = default;
Recordset::~Recordset() = default;

void Recordset::Open(const Variant& source, const Variant& connection, int32_t cursor_type,
                     int32_t /*lock_type*/, int32_t /*options*/) {
  Require(false);
  if (cursor_type == -1) cursor_type = kOpenForwardOnly;
  if (cursor_type < kOpenForwardOnly || cursor_type > kOpenStatic) BadArguments();
  std::shared_ptr<Connection> owner;
  if (connection.IsObject()) owner = std::dynamic_pointer_cast<Connection>(connection.object());
  if (!owner) BadArguments();
  std::shared_ptr<Database> database = owner->database();
  if (!source.IsString() || source.string().empty()) BadArguments();
  scrollable_ = owner->CursorLocation() == kUseClient || cursor_type == kOpenKeyset ||
                cursor_type == kOpenStatic;
  database_ = std::move(database);
  source_text_ = source.string();
  Run();
}

void Recordset::Run() {
  row_.clear();
  rows_ = database_->Run(source_text_, scrollable_);
  if (!rows_) {
    // An action statement has been carried out; there is nothing to read.
    database_.reset();
    return;
  }
  scrollable_ = rows_->scrollable();
  MarkOpen();
  ReadAt(0);
}

int64_t Recordset::Count() const { return scrollable_ ? rows_->Count() : -1; }

void Recordset::ReadAt(int64_t position) {
  position_ = position;
  eof_ = !rows_->Read(position, row_);
}

void Recordset::Close() {
  Closable::Close();
  rows_.reset();
  database_.reset();
  row_.clear();
}

bool Recordset::AtEOF() const {
  Require(true);
  return eof_;
}

bool Recordset::AtBOF() const {
  Require(true);
  return eof_ && position_ == 0;
}

void Recordset::MoveNext() {
  Require(true);
  if (eof_) {
    throw ScriptError(kErrNoCurrentRecord,
                      u"Either BOF or EOF is True, or the current record has been deleted. "
                      u"Requested operation requires a current record.");
  }
  ReadAt(position_ + 1);
}

void Recordset::MoveFirst() {
  Require(true);
  if (scrollable_) {
    ReadAt(0);
  } else if (position_ != 0) {
    rows_.reset();
    Run();
  }
}

int32_t Recordset::RecordCount() const {
  Require(true);
  const int64_t count = Count();
  return count < 0 ? -1 : Clamped(count);
}

int32_t Recordset::PageSize() const { return page_size_; }
int32_t Recordset::CacheSize() const { return cache_size_; }

void Recordset::SetPageSize(int32_t size) {
  if (size <= 0) BadArguments();
  page_size_ = size;
}

void Recordset::SetCacheSize(int32_t size) {
  if (size <= 0) BadArguments();
  cache_size_ = size;
}

int32_t Recordset::PageCount() const {
  Require(true);
  const int64_t count = Count();
  if (count < 0) return -1;
  return Clamped((count + page_size_ - 1) / page_size_);
}

int32_t Recordset::AbsolutePage() const {
  Require(true);
  if (!scrollable_) return kPosUnknown;
  if (eof_) return kPosEOF;
  return Clamped(position_ / page_size_ + 1);
}

void Recordset::SetAbsolutePage(int32_t page) {
  Require(true);
  if (!scrollable_) {
    throw ScriptError(kErrNotCapable,
                      u"Current Recordset does not support bookmarks. This may be a limitation of "
                      u"the provider or of the selected cursortype.");
  }
  // A page past the end has no first record; that tells it without a
  // count, which a large table makes dear.
  if (page < 1) BadArguments();
  const int64_t position = static_cast<int64_t>(page - 1) * page_size_;
  std::vector<Variant> row;
  if (!rows_->Read(position, row)) BadArguments();
  position_ = position;
  eof_ = false;
  row_ = std::move(row);
}

ObjectPtr Recordset::Fields(const Variant& index) {
  Require(true);
  auto self = std::static_pointer_cast<Recordset>(shared_from_this());
  if (index.IsMissing()) return std::make_shared<ado::Fields>(self);
  return std::make_shared<Field>(self, FieldIndex(index));
}

int32_t Recordset::FieldCount() const {
  Require(true);
  return static_cast<int32_t>(rows_->names().size());
}

int32_t Recordset::FieldIndex(const Variant& index) const {
  Require(true);
  const std::vector<std::u16string>& names = rows_->names();
  if (index.IsString()) {
    const std::u16string wanted = LCase(index.string());
    for (size_t i = 0; i < names.size(); ++i) {
      if (LCase(names[i]) == wanted) return static_cast<int32_t>(i);
    }
  } else if (index.IsNumber()) {
    const int32_t column = CLng(index);
    if (column >= 0 && static_cast<size_t>(column) < names.size()) return column;
  }
  throw ScriptError(kErrItemNotFound,
                    u"Item cannot be found in the collection corresponding to the requested name "
                    u"or ordinal.");
}

const std::u16string& Recordset::FieldName(int32_t column) const {
  Require(true);
  return rows_->names().at(static_cast<size_t>(column));
}

Variant Recordset::FieldValue(int32_t column) const {
  Require(true);
  if (eof_ || static_cast<size_t>(column) >= row_.size()) {
    throw ScriptError(kErrNoCurrentRecord,
                      u"Either BOF or EOF is True, or the current record has been deleted. "
                      u"Requested operation requires a current record.");
  }
  return row_[static_cast<size_t>(column)];
}

}  // namespace zorvadel::ado
