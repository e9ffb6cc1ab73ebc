// One way to frame a request's body, or a refusal.
#include "serve/request_framing.h"

#include <charconv>

#include "serve/http_text.h"

namespace zorvadel::serve {
namespace {

bool IsNoCase(std::string_view text, std::string_view lower) {
  return text.size() == lower.size() && StartsWithNoCase(text, lower);
}

}  // namespace

bool ReadContentLength(std::string_view text, uint64_t* length) {
  text = TrimBlanks(text);
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  if (std::from_chars(text.data(), text.data() + text.size(), *length).ec != std::errc()) {
    *length = std::numeric_limits<uint64_t>::max();
  }
  return true;
}

void RequestFraming::Field(std::string_view name, std::string_view value) {
  last_read_ = false;
  // A loop of its own: every head of a connection passes here, and
  // find_first_of looks each byte up in the set with a call.
  for (char c : name) {
    if (c == ' ' || c == '\t') {
      malformed_ = true;
      return;
    }
  }
  // Only the names read here start with these letters, so any other field
  // costs no more than a look at its first ('C' | 0x20 and 'c' alone give
  // 'c', and so on).
  if (name.empty()) return;
  switch (name.front() | 0x20) {
    case 'c':
      // libmicrohttpd 0.9.75 joins a line folded onto a field to the
      // field's name ("Content-Length: 3" and " 4" come as
      // "Content-Length4": 3) and would frame the body as if the field
      // were not there.
      if (!StartsWithNoCase(name, "content-length")) return;
      last_read_ = true;
      if (name.size() > 14 || ++lengths_ > 1 || !ReadContentLength(value, &length_)) {
        malformed_ = true;
      }
      return;
    case 't':
      if (!StartsWithNoCase(name, "transfer-encoding")) return;
      last_read_ = true;
      if (name.size() > 17) {
        malformed_ = true;
        return;
      }
      // A second field adds a coding to the list: chunked applied twice,
      // or after another, is not a body this server reads.
      ++encodings_;
      value = TrimBlanks(value);
      if (value.empty()) {
        malformed_ = true;
      } else if (encodings_ > 1 || !IsNoCase(value, "chunked")) {
        unsupported_ = true;
      }
      return;
    case 'h':
      if (!IsNoCase(name, "host")) return;
      last_read_ = true;
      if (++hosts_ > 1) malformed_ = true;
      return;
    default:
      return;
  }
}

void RequestFraming::Folded() {
  if (last_read_) malformed_ = true;
}

int RequestFraming::Refusal(uint64_t most_body) const {
  if (malformed_ || (lengths_ > 0 && encodings_ > 0)) return 400;
  if (unsupported_) return 501;
  // The largest number read stands for one past 64 bits, over any limit.
  if (lengths_ > 0 && (length_ > most_body || length_ == std::numeric_limits<uint64_t>::max())) {
    return 413;
  }
  return 0;
}

}  // namespace zorvadel::serve
