// How long a database may keep a page waiting. A server that accepts a
// connection and then never answers (a stopped process, a dead link behind
// a proxy) would otherwise hold an engine thread for good, and a handful of
// such pages stop a whole engine. Every driver-manager connection is opened
// with the bounds its driver honours, unless the script's string sets them.
#ifndef ZORVADEL_PLATFORM_ADO_WAIT_BOUNDS_H_
#define ZORVADEL_PLATFORM_ADO_WAIT_BOUNDS_H_

#include <string>
#include <string_view>

namespace zorvadel::ado {

// Connecting: the TCP connect and the server's greeting and login.
inline constexpr int kConnectSeconds = 5;
// One statement, or one fetch of its rows.
inline constexpr int kStatementSeconds = 30;

// `text` with the keys that bound the waits of the driver whose file is
// `driver_file` (a path or a bare file name; "" when unknown) added at
// its end, each only where `text` does not name that key itself.
std::u16string WithWaitBounds(const std::u16string& text, std::string_view driver_file);

// The query timeout to ask of every statement of that driver, so that the
// statement ends within about kStatementSeconds.
int QueryTimeoutSeconds(std::string_view driver_file);

// The file of the driver that `text` reaches through the driver manager
// `env` (an ODBC environment handle): its DRIVER, a name registered in the
// driver list or a path, or the driver of its DSN. "" when not found.
std::string DriverFileOf(void* env, const std::u16string& text);

}  // namespace zorvadel::ado

#endif  // ZORVADEL_PLATFORM_ADO_WAIT_BOUNDS_H_
