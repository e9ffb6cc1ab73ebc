// Data-access objects: Connection, Recordset and Command, as the page
// classes and page scripts use them (created by ProgID, reached by name).
//
// A Connection opens an ODBC-syntax connection string. The Access driver
// name opens the file named by "dbq": a Jet file read-only through the
// MDBTools ODBC driver, any other file as a SQLite 3 database (read-write,
// never created). Every other driver name goes to the unixODBC driver
// manager, with the keys whose value is empty left out.
//
// A Recordset opened with a keyset (1) or static (3) cursor, or on a
// connection whose CursorLocation is 3 (client), knows its RecordCount and
// pages: AbsolutePage = N reads page N without reading the pages before it.
// Forward-only (0) and dynamic (2) cursors read their rows once, in order,
// and report -1 as their count.
#ifndef ZORVADEL_PLATFORM_ADO_ADO_H_
#define ZORVADEL_PLATFORM_ADO_ADO_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "zorvadel/variant.h"

namespace zorvadel::ado {

class Database;
class RowSource;

// Object states as data access reports them.
inline constexpr int32_t kStateClosed = 0;
inline constexpr int32_t kStateOpen = 1;

// Cursor types and locations.
inline constexpr int32_t kOpenForwardOnly = 0;
inline constexpr int32_t kOpenKeyset = 1;
inline constexpr int32_t kOpenDynamic = 2;
inline constexpr int32_t kOpenStatic = 3;
inline constexpr int32_t kUseServer = 2;
inline constexpr int32_t kUseClient = 3;

// AbsolutePage where no page can be named.
inline constexpr int32_t kPosUnknown = -1;
inline constexpr int32_t kPosEOF = -3;

// Error numbers and their texts as data access raises them.
inline constexpr int32_t kErrBadArguments = 3001;  // wrong type, out of range, in conflict
inline constexpr int32_t kErrNoCurrentRecord = 3021;
inline constexpr int32_t kErrNotCapable = 3251;
inline constexpr int32_t kErrItemNotFound = 3265;
inline constexpr int32_t kErrObjectClosed = 3704;
inline constexpr int32_t kErrObjectOpen = 3705;
inline constexpr int32_t kErrConnectionUnusable = 3709;
// A driver's failure (E_FAIL), with the driver's own message.
inline constexpr int32_t kErrProvider = -2147467259;

// What Connection and Recordset share: an open state that Close ends.
class Closable : public Object {
 public:
  int32_t State() const { return open_ ? kStateOpen : kStateClosed; }
  // Closing an object that is not open raises 3704, as data access does.
  void Close();

 protected:
  void MarkOpen() { open_ = true; }
  // Raises 3704 unless open; 3705 when `want_open` is false and it is.
  void Require(bool want_open) const;

 private:
  bool open_ = false;
};

class Connection : public Closable {
 public:
  const ClassInfo& Class() const override;

  // Options are accepted and not used. User and password, when not empty,
  // are added to a driver-manager string as UID and PWD.
  void Open(const std::u16string& connection_string, const std::u16string& user,
            const std::u16string& password, int32_t options);
  void Close();
  // Runs `text`; the rows come back as a forward-only recordset, closed for
  // an action statement. `affected` is accepted and not written.
  ObjectPtr Execute(const std::u16string& text, const Variant& affected, int32_t options);
  // Runs the action statement `text`, whose "?" marks take `texts` in order
  // as bound text values (for the library's own statements, so that request
  // values never become statement text); raises 3709 when closed.
  void ExecuteWithTexts(const std::u16string& text, const std::vector<std::u16string>& texts);
  int32_t CursorLocation() const { return cursor_location_; }
  // 2 (server) or 3 (client); another value raises 3001.
  void SetCursorLocation(int32_t location);

  // The open database; raises 3709 when closed.
  std::shared_ptr<Database> database() const;

 private:
  std::shared_ptr<Database> database_;
  int32_t cursor_location_ = kUseServer;
};

class Recordset : public Closable {
 public:
  Recordset();
  ~Recordset() override;
  const ClassInfo& Class() const override;

  // `connection` is an open Connection (another value raises 3001, a
  // closed connection 3709). Cursor type -1 means 0; the
  // lock type is accepted (nothing here writes through a recordset). An
  // action statement is carried out and leaves the recordset closed.
  void Open(const Variant& source, const Variant& connection, int32_t cursor_type,
            int32_t lock_type, int32_t options);
  void Close();

  bool AtEOF() const;
  bool AtBOF() const;
  // Past the last record raises 3021.
  void MoveNext();
  // A forward-only or dynamic cursor runs its statement again.
  void MoveFirst();
  int32_t RecordCount() const;
  int32_t PageSize() const;
  int32_t CacheSize() const;
  // At or below 0 raises 3001 and keeps the old value.
  void SetPageSize(int32_t size);
  void SetCacheSize(int32_t size);
  // Records / PageSize rounded up; 0 for no records, -1 when not counted.
  int32_t PageCount() const;
  // The page of the current record; -3 at the end, -1 on a cursor that
  // cannot page.
  int32_t AbsolutePage() const;
  // Goes to the first record of page `page`; raises 3251 on a cursor that
  // cannot page, 3001 for a page outside 1 to PageCount.
  void SetAbsolutePage(int32_t page);

  // The Fields collection; with an index, the Field it names.
  ObjectPtr Fields(const Variant& index);
  int32_t FieldCount() const;
  // Column by name (any case) or 0-based position; raises 3265 for none.
  int32_t FieldIndex(const Variant& index) const;
  const std::u16string& FieldName(int32_t column) const;
  // The current record's value; Null stays Null. Raises 3021 at BOF/EOF.
  Variant FieldValue(int32_t column) const;

 private:
  void Run();
  void ReadAt(int64_t position);
  // The row source's count (counted on first use); -1 for a forward cursor.
  int64_t Count() const;

  std::shared_ptr<Database> database_;
  std::u16string source_text_;
  bool scrollable_ = false;
  std::unique_ptr<RowSource> rows_;
  std::vector<Variant> row_;
  int64_t position_ = 0;
  bool eof_ = true;
  int32_t page_size_ = 10;
  int32_t cache_size_ = 1;
};

// Recordset.Fields: Count, and Item (the default member) by name or index.
class Fields : public Object {
 public:
  explicit Fields(std::shared_ptr<Recordset> owner) : owner_(std::move(owner)) {}
  const ClassInfo& Class() const override;
  int32_t Count() const;
  ObjectPtr Item(const Variant& index) const;

 private:
  std::shared_ptr<Recordset> owner_;
};

// One column; Value (the default member) reads the recordset's current
// record each time.
class Field : public Object {
 public:
  Field(std::shared_ptr<Recordset> owner, int32_t column) : owner_(std::move(owner)), column_(column) {}
  const ClassInfo& Class() const override;
  Variant Value() const;
  std::u16string Name() const;

 private:
  std::shared_ptr<Recordset> owner_;
  int32_t column_;
};

class Command : public Object {
 public:
  const ClassInfo& Class() const override;
};

}  // namespace zorvadel::ado

#endif  // ZORVADEL_PLATFORM_ADO_ADO_H_
