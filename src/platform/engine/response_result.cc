// The status line table and head rendering.
#include "zorvadel/response_result.h"

#include <array>

namespace zorvadel::engine {
namespace {

struct StatusEntry {
  int32_t code;
  std::string_view text;
};

constexpr std::array<StatusEntry, 16> kStatusTexts = {{
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
    {500, "Internal Server Error"},
    {501, "Not Implemented"},
    {503, "Service Unavailable"},
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
