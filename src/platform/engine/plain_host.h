// Whether the client's Host text may name this server in an address that a
// page writes: its own address goes into link targets, form actions and
// redirects, so only a plain name or address, with a port, is taken from
// the client. Templates, as the engine reads the header as UTF-8 bytes and
// page start reads it as text.
#ifndef ZORVADEL_PLATFORM_ENGINE_PLAIN_HOST_H_
#define ZORVADEL_PLATFORM_ENGINE_PLAIN_HOST_H_

#include <cstddef>
#include <string_view>

namespace zorvadel::engine {

template <typename Char>
constexpr bool IsAsciiDigit(Char c) {
  return c >= Char('0') && c <= Char('9');
}

template <typename Char>
constexpr bool IsHostNameChar(Char c) {
  return (c >= Char('a') && c <= Char('z')) || (c >= Char('A') && c <= Char('Z')) ||
         IsAsciiDigit(c) || c == Char('.') || c == Char('-') || c == Char('_');
}

template <typename Char>
constexpr bool IsBracketedAddressChar(Char c) {
  return IsAsciiDigit(c) || (c >= Char('a') && c <= Char('f')) ||
         (c >= Char('A') && c <= Char('F')) || c == Char(':') || c == Char('.');
}

// The size of the name in `host` when `host` is a host name or IPv4
// address ("m.example.com", "127.0.0.1") or a bracketed IPv6 address
// ("[::1]"), followed by nothing or by ":" and one to five digits;
// std::string_view::npos for any other text, the empty one included.
template <typename Char>
constexpr size_t PlainHostNameSize(std::basic_string_view<Char> host) {
  constexpr size_t kNot = std::basic_string_view<Char>::npos;
  size_t i = 0;
  if (!host.empty() && host.front() == Char('[')) {
    const size_t close = host.find(Char(']'));
    if (close == kNot || close == 1) return kNot;
    for (i = 1; i < close; ++i) {
      if (!IsBracketedAddressChar(host[i])) return kNot;
    }
    i = close + 1;
  } else {
    while (i < host.size() && IsHostNameChar(host[i])) ++i;
    if (i == 0) return kNot;
  }
  const size_t name_size = i;
  if (i == host.size()) return name_size;
  const size_t digits = host.size() - i - 1;
  if (host[i] != Char(':') || digits == 0 || digits > 5) return kNot;
  for (++i; i < host.size(); ++i) {
    if (!IsAsciiDigit(host[i])) return kNot;
  }
  return name_size;
}

}  // namespace zorvadel::engine

#endif  // ZORVADEL_PLATFORM_ENGINE_PLAIN_HOST_H_
