// Tokens, blanks, letter case and addresses of HTTP text.
#include "serve/http_text.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cctype>

namespace zorvadel::serve {

bool IsToken(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
    if (!plain) return false;
  }
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view lower) {
  if (text.size() < lower.size()) return false;
  for (size_t i = 0; i < lower.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != lower[i]) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::pair<std::string, std::string> AddressText(const sockaddr* address) {
  char text[INET6_ADDRSTRLEN] = "";
  if (address == nullptr) return {"", ""};
  if (address->sa_family == AF_INET) {
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
    inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
    return {text, std::to_string(ntohs(v4->sin_port))};
  }
  if (address->sa_family == AF_INET6) {
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
    inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
    return {text, std::to_string(ntohs(v6->sin6_port))};
  }
  return {"", ""};
}

}  // namespace zorvadel::serve
