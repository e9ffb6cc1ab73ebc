// Where a request's body ends, as its head says it: by one Content-Length
// or by chunks, never both ways nor two lengths.
//
// A body that two readers may end at different places hides a request
// behind it: a proxy in front that reads one length and the server that
// reads another each take a different request to be next. So a head that
// frames its body more than one way, or in a way the server does not read,
// is refused, and the connection closed after the refusal (RFC 9112, 6.1
// and 6.3):
//   - Content-Length with Transfer-Encoding, in either order: 400;
//   - Content-Length more than once, even twice the same, and any value
//     that is not plain digits ("-1", "+3", "3, 3"): 400. The same length
//     twice frames one way, but libmicrohttpd reads the list "3, 3" as
//     malformed, and the two spellings of one fault get one answer;
//   - a declared length past the body limit: 413;
//   - a Transfer-Encoding other than a single "chunked": 501;
//   - Host more than once (RFC 9112, 3.2): 400, as the page could not tell
//     which site was asked for;
//   - blanks in a field name, such as "Content-Length : 3", which a reader
//     that trims the name would take for a length (RFC 9112, 5.1): 400;
//   - a framing field continued on a folded line, which libmicrohttpd
//     hands on with the name and the folded text run together: 400.
// The gate reads the fields of a connection's first head off the wire,
// the server's recv those of each later head before libmicrohttpd reads
// it (wire_framer.h), and the access handler those of every head
// libmicrohttpd parsed, with the body limit; all judge them here.
#ifndef ZORVADEL_HOST_SERVE_REQUEST_FRAMING_H_
#define ZORVADEL_HOST_SERVE_REQUEST_FRAMING_H_

#include <cstdint>
#include <limits>
#include <string_view>

namespace zorvadel::serve {

// A Content-Length value: digits and nothing else, bar the blanks allowed
// around any field value. False for "12abc", "-1", "+5" or "": taking the
// number such a value starts with would misplace the end of the body. A
// number past 64 bits reads as the largest they hold, over any body limit.
bool ReadContentLength(std::string_view text, uint64_t* length);

// The longest chunk-size line (the size and its extensions) taken, when
// the gate sees one that long in a first request's body.
inline constexpr size_t kMostChunkLine = 4096;

class RequestFraming {
 public:
  // One header field of the head, in the order they came, the value
  // without the blanks around it.
  void Field(std::string_view name, std::string_view value);
  // A line folded onto the field before it (one that starts with a blank).
  void Folded();

  // 0 when the body is framed one way, within `most_body` bytes when its
  // length is declared; else the status it is refused with: 400, 413 or
  // 501.
  int Refusal(uint64_t most_body = std::numeric_limits<uint64_t>::max()) const;
  // The body comes in chunks (and the head is not refused for that).
  bool chunked() const { return encodings_ == 1 && !unsupported_; }
  // The declared length of the body, 0 when none is declared.
  uint64_t length() const { return lengths_ > 0 ? length_ : 0; }

 private:
  bool malformed_ = false;
  bool unsupported_ = false;
  // The field before a folded line was one of those read here.
  bool last_read_ = false;
  int lengths_ = 0;
  int encodings_ = 0;
  int hosts_ = 0;
  uint64_t length_ = 0;
};

}  // namespace zorvadel::serve

#endif  // ZORVADEL_HOST_SERVE_REQUEST_FRAMING_H_
