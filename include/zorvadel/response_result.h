// A finished response as a host sends it: status, headers in order and the
// body bytes, with the head rendered the way it goes on the wire.
#ifndef ZORVADEL_RESPONSE_RESULT_H_
#define ZORVADEL_RESPONSE_RESULT_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvadel::engine {

struct ResponseResult {
  int32_t status = 200;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;

  // "HTTP/1.1 200 OK\r\n", each header as "Name: value\r\n", then "\r\n".
  std::string RenderHead() const;
};

// Reason phrase of a status code; "Unknown" for codes outside the table.
std::string_view StatusText(int32_t status);

}  // namespace zorvadel::engine

#endif  // ZORVADEL_RESPONSE_RESULT_H_
