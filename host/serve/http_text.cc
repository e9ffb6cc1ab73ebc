// Tokens, blanks, letter case and addresses of HTTP text.
#include "serve/http_text.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <array>

namespace zorvadel::serve {
namespace {

// Every head of every connection is read with these, so a byte costs a
// table look and no call: the token characters, and ASCII letters lowered
// (the "C" locale's tolower, which the program never leaves).
constexpr std::array<bool, 256> kTokenBytes = [] {
  std::array<bool, 256> table{};
  for (int c = 'a'; c <= 'z'; ++c) table[c] = true;
  for (int c = 'A'; c <= 'Z'; ++c) table[c] = true;
  for (int c = '0'; c <= '9'; ++c) table[c] = true;
  for (char c : std::string_view("!#$%&'*+-.^_`|~")) table[static_cast<unsigned char>(c)] = true;
  return table;
}();

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

}  // namespace

bool IsToken(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!kTokenBytes[static_cast<unsigned char>(c)]) return false;
  }
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view lower) {
  if (text.size() < lower.size()) return false;
  for (size_t i = 0; i < lower.size(); ++i) {
    if (LowerAscii(text[i]) != lower[i]) return false;
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
