// The status line table and head rendering.
#include "zorvadel/response_result.h"

#include <array>

namespace zorvadel::engine {
namespace {

struct StatusEntry {
  int32_t code;
  std::string_view text;
};

// The reason phrases of RFC 9110 for the statuses pages set and the
// server answers of its own.
constexpr std::array<StatusEntry, 25> kStatusTexts = {{
    {200, "OK"},
    {201, "Created"},
    {204, "No Content"},
    {301, "Moved Permanently"},
    {302, "Found"},
    {303, "See Other"},
    {304, "Not Modified"},
    {307, "Temporary Redirect"},
    {400, "Bad Request"},
    {401, "Unauthorized"},
    {403, "Forbidden"},
    {404, "Not Found"},
    {405, "Method Not Allowed"},
    {406, "Not Acceptable"},
    {408, "Request Timeout"},
    {410, "Gone"},
    {411, "Length Required"},
    {413, "Content Too Large"},
    {414, "URI Too Long"},
    {415, "Unsupported Media Type"},
    {431, "Request Header Fields Too Large"},
    {500, "Internal Server Error"},
    {501, "Not Implemented"},
    {503, "Service Unavailable"},
    {505, "HTTP Version Not Supported"},
}};

}  // namespace

std::string_view StatusText(int32_t status) {
  for (const StatusEntry& entry : kStatusTexts) {
    if (entry.code == status) return entry.text;
  }
  return "Unknown";
}

std::string ResponseResult::RenderHead() const {
  std::string head = "HTTP/1.1 " + std::to_string(status) + " ";
  head += StatusText(status);
  head += "\r\n";
  for (const auto& [name, value] : headers) head += name + ": " + value + "\r\n";
  head += "\r\n";
  return head;
}

}  // namespace zorvadel::engine
