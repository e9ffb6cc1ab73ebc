// One message handed to an SMTP server, over libcurl.
//
// The connection takes STARTTLS when the server offers it (and then insists
// on a certificate that checks out) and authenticates when the server
// offers AUTH and a user name is given. Anything that keeps the message
// from being accepted raises: a refused or timed-out connection, a failed
// TLS handshake, refused credentials, a refused sender or recipient, a
// refused message.
#ifndef ZORVADEL_PLATFORM_MAIL_SMTP_H_
#define ZORVADEL_PLATFORM_MAIL_SMTP_H_

#include <string>
#include <string_view>
#include <vector>

namespace zorvadel::mail {

// Raised by Send for a message the server did not take, and by the
// message object for a value it refuses: vbObjectError + 1, as a
// component's own errors are numbered.
inline constexpr int kErrMailNotSent = -2147221503;

struct SmtpJob {
  std::string host;  // a host name, an IPv4 address or a bracketed IPv6 one
  int port = 25;
  std::string user_name;  // AUTH only when not empty
  std::string password;
  std::string sender;  // envelope addresses, already checked
  std::vector<std::string> recipients;
  std::string message;  // header and body, CRLF line ends
};

// Parses "host", "host:port", "[v6]" or "[v6]:port" into the job; false for
// a text that is none of them (blanks, paths, user information, a port out
// of range).
bool ParseServer(std::u16string_view server, SmtpJob* job);

// Sends or raises ScriptError(kErrMailNotSent, why).
void SendOverSmtp(const SmtpJob& job);

// The certificates (a PEM file) that STARTTLS accepts from here on, in
// place of the system's; empty restores the system's. For a host with its
// own authority, and for the tests' self-signed loopback server.
void SetCertificateAuthorities(const std::string& pem_file);

}  // namespace zorvadel::mail

#endif  // ZORVADEL_PLATFORM_MAIL_SMTP_H_
