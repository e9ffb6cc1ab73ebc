// One HTTP request as plain data, as a host hands it to the in-memory page
// engine, and the readings of it that hosts share with the engine, so the
// two cannot drift apart.
#ifndef ZORVADEL_REQUEST_FACTS_H_
#define ZORVADEL_REQUEST_FACTS_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// The Cookie header ("a=1; b=2"): pairs split at ";", blanks around each
// pair dropped, key and value at the first "=", both percent-decoded ("+" as
// a blank, %XX as the byte XX). Empty pieces are skipped; "a" and "a=" both
// give the value "".
RawPairs ParseCookieHeader(std::string_view header);

// The raw target split at the first "?" (the query is "" when there is none).
std::string_view TargetPath(std::string_view url);
std::string_view TargetQuery(std::string_view url);

// The request header `name`, comparing names without regard to case and with
// "-" and "_" taken alike; repeated headers are joined with ", ". Empty when
// there is no such header.
std::string HeaderValue(const RequestFacts& facts, std::string_view name);
// All Cookie headers joined with "; ".
std::string CookieHeader(const RequestFacts& facts);

}  // namespace zorvadel::engine

#endif  // ZORVADEL_REQUEST_FACTS_H_
