// The parsing behind QueryString, Form, Cookies and ServerVariables of the
// in-memory engine, beside the readings of a RequestFacts that hosts share
// with it (zorvadel/request_facts.h).
//
// Collections keep their keys and values as bytes (after "+" and %XX
// decoding) and turn them into text only when asked, because the session's
// code page may change while the page runs and the lookup must use the one in
// force at the time of the call.
#ifndef ZORVADEL_PLATFORM_ENGINE_REQUEST_DATA_H_
#define ZORVADEL_PLATFORM_ENGINE_REQUEST_DATA_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "zorvadel/request_facts.h"
#include "zorvadel/variant.h"

namespace zorvadel::engine {

// "+" as a blank and %XX as the byte XX; a "%" not followed by two hex digits
// stays as it is.
std::string PercentDecode(std::string_view text);

// "a=1&b=2" (query strings and form bodies): pairs split at "&", key and value
// at the first "=", both percent-decoded. Empty pieces ("a=1&&b=2") are
// skipped; "a" and "a=" both give the value "".
RawPairs ParseUrlEncoded(std::string_view text);

// Collection lookup: the key is compared, without regard to case, with each
// pair's key decoded in `code_page`. Absent gives Empty; repeated keys give
// their values joined with ", ".
Variant LookupPair(const RawPairs& pairs, std::u16string_view key, uint32_t code_page);

// Host header without a port ("[::1]:8080" gives "[::1]"), and the port
// without leading zeros ("80" when the header names none, or names one
// outside 1 to 65535).
std::string HostName(std::string_view host);
std::string HostPort(std::string_view host);

// Server variable by name, without regard to case; "" when unknown.
// `site_root` (the folder the site is served from) gives APPL_PHYSICAL_PATH
// and PATH_TRANSLATED; leave it empty when there is none.
std::u16string ServerVariable(const RequestFacts& facts, std::u16string_view name,
                              const std::filesystem::path& site_root = {});
// The same into `out`, reusing its buffer; `out` is unchanged on an error.
void ServerVariableInto(const RequestFacts& facts, std::u16string_view name, std::u16string& out,
                        const std::filesystem::path& site_root = {});

}  // namespace zorvadel::engine

#endif  // ZORVADEL_PLATFORM_ENGINE_REQUEST_DATA_H_
