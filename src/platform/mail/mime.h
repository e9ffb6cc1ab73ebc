// The text of one mail message as it goes over SMTP: the header lines and
// a text/plain body, in the Chinese charsets a phone's reader expects.
//
// Text is sent in gb2312 when every character has a GB2312 form that all
// readers agree on, and in GB18030 (a superset that covers every Unicode
// character) otherwise, so that nothing a user typed turns into "?". Header
// values that are not plain ASCII go out as RFC 2047 encoded words in the
// same charset choice; the body is base64, so that no line of it can be
// read as SMTP or as a header.
//
// Nothing here checks for control characters: the message object refuses
// them before it composes (see message.h).
#ifndef ZORVADEL_PLATFORM_MAIL_MIME_H_
#define ZORVADEL_PLATFORM_MAIL_MIME_H_

#include <string>
#include <string_view>
#include <vector>

namespace zorvadel::mail {

enum class Charset { kGb2312, kGb18030 };

// gb2312 when every character of `text` fits it unambiguously, else GB18030.
Charset CharsetFor(std::u16string_view text);
// The charset's name in MIME headers ("gb2312", "GB18030").
std::string_view CharsetName(Charset charset);
// `text` in that charset. GB18030 carries every character; gb2312 is asked
// only for text that CharsetFor found fitting.
std::string EncodeText(std::u16string_view text, Charset charset);

// Base64 (RFC 4648) in one line, or broken into lines of 76 characters
// ended by CRLF when `line_breaks`.
std::string Base64(std::string_view bytes, bool line_breaks = false);

// A header value: kept as it is when it is short printable ASCII that no
// reader could take for an encoded word, else encoded words (base64) folded
// onto continuation lines.
std::string HeaderText(std::u16string_view text);

// Whether `text` is one plain mail address: local part "@" domain, ASCII
// letters, digits and the address punctuation only, no blank, no quote,
// no list separator, no angle bracket, no control character.
bool IsSingleAddress(std::u16string_view text);
// Whether `text` holds a control character (C0, DEL, C1) or a Unicode line
// or paragraph separator: what could end a header line.
bool HasControl(std::u16string_view text);

struct MessageText {
  std::u16string from;       // the sender's address
  std::u16string from_name;  // its display name, may be empty
  std::vector<std::u16string> recipients;
  std::u16string subject;
  std::u16string body;
  bool return_receipt = false;
  // Set by the caller: the Date header's value and the Message-ID's
  // unique part, so that the text itself is a pure function.
  std::string date;
  std::string unique_id;
};

// The whole message, header and body, with CRLF line ends. Lone CR and LF in
// the body become CRLF.
std::string ComposeMessage(const MessageText& message);

}  // namespace zorvadel::mail

#endif  // ZORVADEL_PLATFORM_MAIL_MIME_H_
