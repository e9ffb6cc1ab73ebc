// Small readers of HTTP text, shared by the gate, which reads a first head
// itself, the server, which reads what libmicrohttpd parsed, and the status
// pages, which read an Accept header.
#ifndef ZORVADEL_HOST_SERVE_HTTP_TEXT_H_
#define ZORVADEL_HOST_SERVE_HTTP_TEXT_H_

#include <sys/socket.h>

#include <string>
#include <string_view>
#include <utility>

namespace zorvadel::serve {

// An HTTP token, such as a method name: letters, digits and a few marks,
// at least one.
bool IsToken(std::string_view text);

// True when `text` starts with `lower` (given in lower case), whatever the
// case of its letters.
bool StartsWithNoCase(std::string_view text, std::string_view lower);

// Without the blanks (spaces and tabs) allowed around a field value.
std::string_view TrimBlanks(std::string_view text);

// Address and port of a socket address as text; both empty for a null or
// non-IP address.
std::pair<std::string, std::string> AddressText(const sockaddr* address);

}  // namespace zorvadel::serve

#endif  // ZORVADEL_HOST_SERVE_HTTP_TEXT_H_
