// The real SMTP server of the mail tests, smtp_sink.py (python3-aiosmtpd),
// started at first use with its standard input held here, so that it ends
// with the test program. The pipe is closed on exec: a process the tests
// start later must not hold it open and keep the sink alive.
#ifndef ZORVADEL_TESTS_MAIL_SMTP_SINK_H_
#define ZORVADEL_TESTS_MAIL_SMTP_SINK_H_

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/codepage/codepage.h"

namespace zorvadel::test {

inline constexpr const char* kSinkAccount = "sender@example.net";
inline constexpr const char* kSinkPassword = "s3cret pass";
// The page's built-in account and password, which the sink knows too.
inline constexpr const char* kBuiltInAccount = "webmaster@example.com";
inline constexpr const char* kBuiltInPassword = "quorbel";
inline constexpr const char* kRefusedMailbox = "nobody@example.org";

class SmtpSink {
 public:
  static SmtpSink& Get() {
    static SmtpSink sink;
    return sink;
  }

  // "127.0.0.1:PORT" of each listener, and of a port nothing listens on.
  std::u16string Plain() const { return ports_[0]; }
  std::u16string Auth() const { return ports_[1]; }
  std::u16string DeadPort() const { return ports_[2]; }
  std::u16string Tls() const { return ports_[3]; }
  // The TLS listener's self-signed certificate (PEM file).
  std::string Certificate() const { return (spool_ / "cert.pem").string(); }

  // The messages accepted since the last call, oldest first, as the sink
  // decoded them; the spool is emptied.
  std::vector<nlohmann::json> Take() {
    std::set<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(spool_)) {
      if (entry.path().extension() == ".json") files.insert(entry.path());
    }
    std::vector<nlohmann::json> messages;
    for (const auto& file : files) {
      messages.push_back(nlohmann::json::parse(std::ifstream(file)));
      std::filesystem::remove(file);
    }
    return messages;
  }

 private:
  SmtpSink() {
    char folder[] = "/tmp/zorvadel-mail-XXXXXX";
    if (mkdtemp(folder) == nullptr) throw std::runtime_error("no spool folder");
    spool_ = folder;
    const char* source = std::getenv("ZORVADEL_SOURCE_DIR");
    const std::filesystem::path script =
        (source ? std::filesystem::path(source) / "tests/mail"
                : std::filesystem::path(__FILE__).parent_path()) / "smtp_sink.py";
    input_ = popen(("exec /usr/bin/python3 '" + script.string() + "' --spool " + folder +
                    " --auth --exit-on-eof --refuse " + kRefusedMailbox + " '--account=" +
                    kSinkAccount + ":" + kSinkPassword + "' --account=" + kBuiltInAccount +
                    ":" + kBuiltInPassword + " >" + folder + "/ports").c_str(), "we");
    for (int tries = 0; input_ != nullptr && tries < 400; ++tries, usleep(50000)) {  // 20 s
      std::string word, port[4];
      if (std::ifstream(spool_ / "ports") >> word >> port[0] >> port[1] >> port[2] >> port[3]) {
        for (int i = 0; i < 4; ++i) ports_[i] = codepage::FromUtf8("127.0.0.1:" + port[i]);
        return;
      }
    }
    throw std::runtime_error("the SMTP sink did not start");
  }

  ~SmtpSink() {
    pclose(input_);  // the sink ends when its input closes
    std::error_code ignored;
    std::filesystem::remove_all(spool_, ignored);
  }

  std::filesystem::path spool_;
  FILE* input_ = nullptr;
  std::u16string ports_[4];
};

}  // namespace zorvadel::test

#endif  // ZORVADEL_TESTS_MAIL_SMTP_SINK_H_
