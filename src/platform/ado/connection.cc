// Connection.Open: which back end a connection string reaches.
#include <sqlite3.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/ado.h"
#include "platform/ado/backend.h"
#include "platform/ado/connection_string.h"
#include "platform/codepage/codepage.h"
#include "platform/fso/regular_file.h"

namespace zorvadel::ado {
namespace {

constexpr std::u16string_view kAccessDriver = u"Microsoft Access Driver (*.mdb)";

// A Jet 3/4 or ACE file names its engine at byte 4.
bool IsJetHeader(std::string_view head) {
  if (head.size() < 19) return false;
  const std::string_view engine = head.substr(4, 15);
  return engine == "Standard Jet DB" || engine == "Standard ACE DB";
}

[[noreturn]] void FileMissing(const std::u16string& path) {
  throw ScriptError(kErrProvider, u"[Microsoft Access Driver] Could not find file '" + path + u"'.");
}

// The first bytes of the file at `path`, read through SQLite's own file
// layer: a descriptor of ours, opened and closed beside SQLite's, would
// drop the locks that other pages hold on the same file, where SQLite's
// own close waits until they are released. False when the file does not
// open.
bool ReadHead(const std::u16string& path, char (&head)[20]) {
  SqliteReady();
  sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
  if (vfs == nullptr) return false;
  const std::string name = codepage::ToUtf8(path);
  std::vector<max_align_t> storage((static_cast<size_t>(vfs->szOsFile) + sizeof(max_align_t) - 1) /
                                   sizeof(max_align_t));
  auto* file = reinterpret_cast<sqlite3_file*>(storage.data());
  int opened = 0;
  const int rc = vfs->xOpen(vfs, name.c_str(), file, SQLITE_OPEN_READONLY | SQLITE_OPEN_MAIN_DB,
                            &opened);
  if (rc != SQLITE_OK) {
    if (file->pMethods != nullptr) file->pMethods->xClose(file);
    return false;
  }
  // A shorter file reads as zeros past its end, which no header has.
  const int read = file->pMethods->xRead(file, head, sizeof(head), 0);
  file->pMethods->xClose(file);
  return read == SQLITE_OK || read == SQLITE_IOERR_SHORT_READ;
}

std::shared_ptr<Database> OpenAccessFile(const std::u16string& path) {
  // A file the thread's last pages read as SQLite, unchanged since.
  if (std::shared_ptr<Database> kept = OpenKeptSqliteFile(path)) return kept;
  // A Jet file opened before and unchanged since.
  if (std::shared_ptr<Database> jet = OpenKnownJetFile(path)) return jet;
  // Only a regular file is opened: a FIFO's open would wait for a writer.
  if (fso::Probe(path).kind != fso::PathKind::kRegular) FileMissing(path);
  char head[20] = {};
  if (!ReadHead(path, head)) FileMissing(path);
  if (IsJetHeader(std::string_view(head, sizeof(head)))) {
    // MDBTools reads Jet files but cannot write them, nor scroll (the
    // rows are held: Jet files are small), nor be trusted with a damaged
    // file, hence a reader process of its own.
    return OpenJetFile(path);
  }
  return OpenSqliteFile(path);
}

}  // namespace

void Connection::Open(const std::u16string& connection_string, const std::u16string& user,
                      const std::u16string& password, int32_t /*options*/) {
  Require(false);
  const std::vector<ConnectionPair> pairs = ParseConnectionString(connection_string);
  if (SameKey(ConnectionValue(pairs, u"driver"), kAccessDriver)) {
    database_ = OpenAccessFile(ConnectionValue(pairs, u"dbq"));
  } else {
    std::u16string text = JoinWithoutEmptyValues(pairs);
    if (!user.empty()) text += u";UID=" + user;
    if (!password.empty()) text += u";PWD=" + password;
    database_ = OpenOdbc(text, {});
  }
  MarkOpen();
}

void Connection::Close() {
  Closable::Close();
  database_.reset();
}

std::shared_ptr<Database> Connection::database() const {
  if (State() != kStateOpen || !database_) {
    throw ScriptError(kErrConnectionUnusable,
                      u"The connection cannot be used to perform this operation. It is either "
                      u"closed or invalid in this context.");
  }
  return database_;
}

void Connection::SetCursorLocation(int32_t location) {
  if (location != kUseServer && location != kUseClient) {
    throw ScriptError(kErrBadArguments,
                      u"Arguments are of the wrong type, are out of acceptable range, or are in "
                      u"conflict with one another.");
  }
  cursor_location_ = location;
}

void Connection::ExecuteWithTexts(const std::u16string& text,
                                  const std::vector<std::u16string>& texts) {
  database()->RunWithTexts(text, texts);
}

ObjectPtr Connection::Execute(const std::u16string& text, const Variant& /*affected*/,
                              int32_t /*options*/) {
  auto recordset = std::make_shared<Recordset>();
  recordset->Open(Variant(text), Variant(std::static_pointer_cast<Connection>(shared_from_this())),
                  kOpenForwardOnly, -1, -1);
  return recordset;
}

}  // namespace zorvadel::ado
