// The connection string of each database kind, from the page state's
// properties, inserted as they stand (no quoting, no escaping).
#ifndef ZORVADEL_DATABASE_CONNECTION_STRINGS_H_
#define ZORVADEL_DATABASE_CONNECTION_STRINGS_H_

#include <string>
#include <string_view>

#include "zorvadel/database/database_kind.h"
#include "zorvadel/page_state.h"

namespace zorvadel::database {

// Put before the disk path of the Access file.
inline constexpr std::u16string_view kAccessPrefix = u"driver={Microsoft Access Driver (*.mdb)};dbq=";

// The string a server kind builds when SqlStrConn is empty; the Access
// kind's string needs the mapped path and is built by its opener.
std::u16string ServerConnectionString(DatabaseKind kind, const PageState& state);

// The ProgID each kind creates its connection with, as the classes spell it.
std::u16string_view ConnectionProgId(DatabaseKind kind);
inline constexpr std::u16string_view kRecordsetProgId = u"Adodb.RecordSet";

}  // namespace zorvadel::database

#endif  // ZORVADEL_DATABASE_CONNECTION_STRINGS_H_
