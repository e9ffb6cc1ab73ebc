// Connection.Open: which back end a connection string reaches.
#include <memory>
#include <string>
#include <string_view>

#include "platform/ado/ado.h"
#include "platform/ado/backend.h"
#include "platform/ado/connection_string.h"
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

std::shared_ptr<Database> OpenAccessFile(const std::u16string& path) {
  const fso::RegularFile file(path);
  if (!file.ok()) FileMissing(path);
  char head[20] = {};
  const ptrdiff_t got = file.Read(head, sizeof(head));
  if (IsJetHeader(std::string_view(head, got > 0 ? static_cast<size_t>(got) : 0))) {
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
