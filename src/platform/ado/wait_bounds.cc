#include "platform/ado/wait_bounds.h"

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/connection_string.h"
#include "platform/codepage/codepage.h"

namespace zorvadel::ado {
namespace {

// One key a driver reads from the connection string, by the start of the
// driver's file name.
struct DriverBound {
  std::string_view file_prefix;
  std::u16string_view key;
  std::u16string_view value;
};

// Each row was tried against the installed driver with a listener that
// accepts and never answers, a server stopped after the connect, or a file
// locked by another writer. What the drivers do without them:
constexpr DriverBound kDriverBounds[] = {
    // MariaDB Connector/ODBC ignores the login and connection timeout
    // attributes: after the TCP connect it waits for the server's greeting,
    // and for every answer, without end. Its own keys bound both.
    {"libmaodbc", u"CONN_TIMEOUT", u"5"},
    {"libmaodbc", u"READ_TIMEOUT", u"30"},
    {"libmaodbc", u"WRITE_TIMEOUT", u"30"},
    // FreeTDS honours the login timeout, but when left to guess the
    // protocol it tries a silent server again in the older dialect and then
    // waits for it without end; the SQL Server kind talks the newer one.
    {"libtdsodbc", u"TDS_Version", u"7.4"},
    // The SQLite ODBC driver waits up to 100 s (its default, in ms) for a
    // file that another writer holds, and this long for each of up to three
    // tries of one statement: one to read the schema, and two to run it.
    {"libsqlite3odbc", u"Timeout", u"10000"},
};

std::string_view BaseName(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

SQLWCHAR* Wide(char16_t* text) { return reinterpret_cast<SQLWCHAR*>(text); }

// The "Driver=" attribute of the driver list's entry `name`.
std::string RegisteredFile(SQLHENV env, std::u16string_view name) {
  char16_t description[256];
  char16_t attributes[2048];
  SQLSMALLINT description_length = 0, attributes_length = 0;
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  for (;;) {
    const SQLRETURN rc = SQLDriversW(env, direction, Wide(description), 256, &description_length,
                                     Wide(attributes), 2048, &attributes_length);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return {};
    direction = SQL_FETCH_NEXT;
    if (!SameKey(description, name)) continue;
    // "Key=value" pieces, each ended by a zero, the list by another.
    const char16_t* piece = attributes;
    const char16_t* end = attributes + 2048;
    while (piece < end && *piece != u'\0') {
      const std::u16string_view attribute(piece);
      const size_t equals = attribute.find(u'=');
      if (equals != std::u16string_view::npos && SameKey(attribute.substr(0, equals), u"Driver")) {
        return codepage::ToUtf8(attribute.substr(equals + 1));
      }
      piece += attribute.size() + 1;
    }
    return {};
  }
}

std::string FileOfDriverName(SQLHENV env, const std::u16string& driver) {
  if (driver.find(u'/') != std::u16string::npos) return codepage::ToUtf8(driver);
  return RegisteredFile(env, driver);
}

}  // namespace

std::u16string WithWaitBounds(const std::u16string& text, std::string_view driver_file) {
  const std::string_view file = BaseName(driver_file);
  if (file.empty()) return text;
  const std::vector<ConnectionPair> pairs = ParseConnectionString(text);
  std::u16string out = text;
  for (const DriverBound& bound : kDriverBounds) {
    if (!file.starts_with(bound.file_prefix)) continue;
    bool named = false;
    for (const ConnectionPair& pair : pairs) named = named || SameKey(pair.key, bound.key);
    if (named) continue;
    if (!out.empty() && out.back() != u';') out += u';';
    out += bound.key;
    out += u'=';
    out += bound.value;
  }
  return out;
}

int QueryTimeoutSeconds(std::string_view driver_file) {
  // FreeTDS, when the timeout strikes, sends a cancel and waits as long
  // again for the server to confirm it.
  return BaseName(driver_file).starts_with("libtdsodbc") ? kStatementSeconds / 2
                                                         : kStatementSeconds;
}

std::string DriverFileOf(void* env, const std::u16string& text) {
  const std::vector<ConnectionPair> pairs = ParseConnectionString(text);
  // The driver manager takes a data source before a driver.
  const std::u16string dsn = ConnectionValue(pairs, u"dsn");
  if (!dsn.empty()) {
    char16_t name[256];
    char16_t driver[256];
    SQLSMALLINT name_length = 0, driver_length = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQLDataSourcesW(env, direction, Wide(name), 256, &name_length, Wide(driver), 256,
                           &driver_length) == SQL_SUCCESS) {
      direction = SQL_FETCH_NEXT;
      if (SameKey(name, dsn)) return FileOfDriverName(env, driver);
    }
    return {};
  }
  const std::u16string driver = ConnectionValue(pairs, u"driver");
  return driver.empty() ? std::string() : FileOfDriverName(env, driver);
}

}  // namespace zorvadel::ado
