// ODBC connection strings ("Driver={SQL server};Server=db;Uid=sa"): the
// key/value pairs in their order, and the string that reaches the driver
// manager.
#ifndef ZORVADEL_PLATFORM_ADO_CONNECTION_STRING_H_
#define ZORVADEL_PLATFORM_ADO_CONNECTION_STRING_H_

#include <string>
#include <string_view>
#include <vector>

namespace zorvadel::ado {

struct ConnectionPair {
  std::u16string key;    // as written, blanks around removed
  std::u16string value;  // as written (a braced value keeps its braces)
};

// Splits at ";" outside braces; "=" separates key and value. A piece
// without "=" is a key with an empty value; empty pieces are dropped. A
// "}}" inside braces is a literal "}".
std::vector<ConnectionPair> ParseConnectionString(std::u16string_view text);

// The value of `key` (compared without regard to ASCII case), braces taken
// off; "" when absent. The first occurrence wins, as in the driver manager.
std::u16string ConnectionValue(const std::vector<ConnectionPair>& pairs, std::u16string_view key);

// The pairs joined again with ";", leaving out those whose value is empty:
// the driver manager reads an empty "dsn=" as the name of a data source to
// look up (and fails with IM002) instead of falling back on DRIVER.
std::u16string JoinWithoutEmptyValues(const std::vector<ConnectionPair>& pairs);

// ASCII case-insensitive equality, for keys and driver names.
bool SameKey(std::u16string_view a, std::u16string_view b);

}  // namespace zorvadel::ado

#endif  // ZORVADEL_PLATFORM_ADO_CONNECTION_STRING_H_
