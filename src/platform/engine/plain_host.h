// Whether the client's Host text may name this server in an address that a
// page writes: its own address goes into link targets, form actions and
// redirects, so only a plain name or address, with a port, is taken from
// the client. Templates, as the engine reads the header as UTF-8 bytes and
// page start reads it as text.
#ifndef ZORVADEL_PLATFORM_ENGINE_PLAIN_HOST_H_
#define ZORVADEL_PLATFORM_ENGINE_PLAIN_HOST_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

namespace zorvadel::engine {

template <typename Char>
constexpr bool IsAsciiDigit(Char c) {
  return c >= Char('0') && c <= Char('9');
}

// What each ASCII character may be: in a host name or IPv4 address, and
// between the brackets of an IPv6 address. A table, as page start tests
// every character of every request's Host.
enum HostCharKind : unsigned char { kInName = 1, kInBrackets = 2 };

inline constexpr auto kHostCharKinds = [] {
  struct Table {
    unsigned char kind[128] = {};
  } table;
  for (int c = 0; c < 128; ++c) {
    const bool digit = c >= '0' && c <= '9';
    const bool lower = c >= 'a' && c <= 'z';
    const bool upper = c >= 'A' && c <= 'Z';
    const bool hex = digit || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (digit || lower || upper || c == '.' || c == '-' || c == '_') table.kind[c] |= kInName;
    if (hex || c == ':' || c == '.') table.kind[c] |= kInBrackets;
  }
  return table;
}();

template <typename Char>
constexpr bool IsHostChar(Char c, HostCharKind kind) {
  const auto code = static_cast<std::make_unsigned_t<Char>>(c);
  return code < 128 && (kHostCharKinds.kind[code] & kind) != 0;
}

// The port named by the text after a Host's ":": 1 to 65535, leading
// zeros read away ("080" is 80), as only such a port leads anywhere a
// client can reach; kNoPort for an empty text ("host:" names no port),
// kBadPort for anything else ("0", "99999", "8o").
inline constexpr int32_t kNoPort = 0;
inline constexpr int32_t kBadPort = -1;

template <typename Char>
constexpr int32_t HostPortNumber(std::basic_string_view<Char> digits) {
  if (digits.empty()) return kNoPort;
  int32_t value = 0;
  for (const Char c : digits) {
    if (!IsAsciiDigit(c)) return kBadPort;
    value = value * 10 + static_cast<int32_t>(c - Char('0'));
    if (value > 65535) return kBadPort;
  }
  return value == 0 ? kBadPort : value;
}

// The size of the name in `host` when `host` is a host name or IPv4
// address ("m.example.com", "127.0.0.1") or a bracketed IPv6 address
// ("[::1]"), followed by nothing or by ":" and a port as HostPortNumber
// reads it (or nothing); std::string_view::npos for any other text, the
// empty one and one of blanks included.
template <typename Char>
constexpr size_t PlainHostNameSize(std::basic_string_view<Char> host) {
  constexpr size_t kNot = std::basic_string_view<Char>::npos;
  size_t i = 0;
  if (!host.empty() && host.front() == Char('[')) {
    const size_t close = host.find(Char(']'));
    if (close == kNot || close == 1) return kNot;
    for (i = 1; i < close; ++i) {
      if (!IsHostChar(host[i], kInBrackets)) return kNot;
    }
    i = close + 1;
  } else {
    while (i < host.size() && IsHostChar(host[i], kInName)) ++i;
    if (i == 0) return kNot;
  }
  if (i == host.size()) return i;
  if (host[i] != Char(':') || HostPortNumber(host.substr(i + 1)) == kBadPort) return kNot;
  return i;
}

}  // namespace zorvadel::engine

#endif  // ZORVADEL_PLATFORM_ENGINE_PLAIN_HOST_H_
