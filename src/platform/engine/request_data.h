// One HTTP request as plain data, and the parsing both page engines share:
// the in-memory engine and the HTTP host build a RequestFacts and answer
// QueryString, Form, Cookies and ServerVariables through these functions, so
// the two cannot drift apart.
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
#include <utility>
#include <vector>

#include "zorvadel/variant.h"

namespace zorvadel::engine {

// All text here is UTF-8, except the bytes of `url` and `form` after percent
// decoding, which are read with the session's code page.
struct RequestFacts {
  std::string method = "GET";
  // The raw request target, query included ("/news/list.asp?Page=2").
  std::string url = "/index.asp";
  // The Host header; may carry ":port".
  std::string host = "localhost";
  std::vector<std::pair<std::string, std::string>> headers;
  // Raw posted body, application/x-www-form-urlencoded.
  std::string form;
  std::string remote_addr = "127.0.0.1";
  std::string local_addr = "127.0.0.1";
  // Extra variables, or ones overriding the computed ones; names are
  // compared without regard to case.
  std::vector<std::pair<std::string, std::string>> server_variables;
};

// A decoded key/value pair, still in bytes.
struct RawPair {
  std::string key;
  std::string value;
};
using RawPairs = std::vector<RawPair>;

// "+" as a blank and %XX as the byte XX; a "%" not followed by two hex digits
// stays as it is.
std::string PercentDecode(std::string_view text);

// "a=1&b=2" (query strings and form bodies): pairs split at "&", key and value
// at the first "=", both percent-decoded. Empty pieces ("a=1&&b=2") are
// skipped; "a" and "a=" both give the value "".
RawPairs ParseUrlEncoded(std::string_view text);
// The Cookie header ("a=1; b=2"): pairs split at ";", blanks around each
// pair dropped, then decoded as above.
RawPairs ParseCookieHeader(std::string_view header);

// Collection lookup: the key is compared, without regard to case, with each
// pair's key decoded in `code_page`. Absent gives Empty; repeated keys give
// their values joined with ", ".
Variant LookupPair(const RawPairs& pairs, std::u16string_view key, uint32_t code_page);

// The raw target split at the first "?" (the query is "" when there is none).
std::string_view TargetPath(std::string_view url);
std::string_view TargetQuery(std::string_view url);

// The request header `name`, comparing names without regard to case and with
// "-" and "_" taken alike; repeated headers are joined with ", ". Empty when
// there is no such header.
std::string HeaderValue(const RequestFacts& facts, std::string_view name);
// All Cookie headers joined with "; ".
std::string CookieHeader(const RequestFacts& facts);

// Host header without a port ("[::1]:8080" gives "[::1]"), and the port
// ("80" when the header names none).
std::string HostName(std::string_view host);
std::string HostPort(std::string_view host);

// Server variable by name, without regard to case; "" when unknown.
// `site_root` (the folder the site is served from) gives APPL_PHYSICAL_PATH
// and PATH_TRANSLATED; leave it empty when there is none.
std::u16string ServerVariable(const RequestFacts& facts, std::u16string_view name,
                              const std::filesystem::path& site_root = {});

}  // namespace zorvadel::engine

#endif  // ZORVADEL_PLATFORM_ENGINE_REQUEST_DATA_H_
