// The real SMTP server of the mail tests: tests/mail/smtp_sink.py under
// /usr/bin/python3 (python3-aiosmtpd), started on free loopback ports at its
// first use and stopped when the test program ends (it also stops by itself
// when its standard input, held here, closes). Three listeners: plain, AUTH
// required, STARTTLS then AUTH required; a refused mailbox; accounts below.
// Each accepted message is read back as the sink decoded it.
#ifndef ZORVADEL_TESTS_MAIL_SMTP_SINK_H_
#define ZORVADEL_TESTS_MAIL_SMTP_SINK_H_

#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

extern char** environ;

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

  // "127.0.0.1:PORT" of each listener.
  std::u16string Plain() const { return Address(plain_); }
  std::u16string Auth() const { return Address(auth_); }
  std::u16string Tls() const { return Address(tls_); }
  // A loopback port that nothing listens on (one the sink had and closed
  // is not at hand; this one was free a moment ago).
  std::u16string DeadPort() const { return Address(dead_); }
  std::string Certificate() const { return (spool_ / "cert.pem").string(); }

  // The messages accepted since the last call, oldest first; the spool is
  // emptied.
  std::vector<nlohmann::json> Take() {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(spool_)) {
      if (entry.path().extension() == ".json") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<nlohmann::json> messages;
    for (const auto& file : files) {
      std::ifstream in(file);
      messages.push_back(nlohmann::json::parse(in));
      std::filesystem::remove(file);
    }
    return messages;
  }

 private:
  SmtpSink() {
    char folder[] = "/tmp/zorvadel-mail-XXXXXX";
    if (mkdtemp(folder) == nullptr) throw std::runtime_error("no spool folder");
    spool_ = folder;
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) throw std::runtime_error("no pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string script = Script();
    const std::string spool = spool_.string();
    const std::string account = std::string(kSinkAccount) + ":" + kSinkPassword;
    const std::string built_in = std::string(kBuiltInAccount) + ":" + kBuiltInPassword;
    std::vector<std::string> args = {"/usr/bin/python3", script,    "--spool",  spool,
                                     "--auth",           "--tls",   "--account", account,
                                     "--account",        built_in,  "--refuse", kRefusedMailbox,
                                     "--exit-on-eof"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    input_ = in[1];
    if (spawned != 0) throw std::runtime_error("cannot start " + script);
    const std::string line = ReadLine(out[0]);
    close(out[0]);
    if (std::sscanf(line.c_str(), "ports %d %d %d", &plain_, &auth_, &tls_) != 3) {
      throw std::runtime_error("the SMTP sink did not start: " + line);
    }
    dead_ = FreePort();
  }

  ~SmtpSink() {
    close(input_);
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    std::error_code ignored;
    std::filesystem::remove_all(spool_, ignored);
  }

  static std::string Script() {
    const char* source = std::getenv("ZORVADEL_SOURCE_DIR");
    if (source != nullptr) return std::string(source) + "/tests/mail/smtp_sink.py";
    return (std::filesystem::path(__FILE__).parent_path() / "smtp_sink.py").string();
  }

  static std::string ReadLine(int fd) {
    std::string line;
    char c;
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, 20000) > 0 && read(fd, &c, 1) == 1 && c != '\n') line += c;
    return line;
  }

  // A port the kernel hands out, closed again at once.
  static int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
  }

  static std::u16string Address(int port) {
    const std::string text = "127.0.0.1:" + std::to_string(port);
    return std::u16string(text.begin(), text.end());
  }

  std::filesystem::path spool_;
  pid_t pid_ = 0;
  int input_ = -1;
  int plain_ = 0, auth_ = 0, tls_ = 0, dead_ = 0;
};

}  // namespace zorvadel::test

#endif  // ZORVADEL_TESTS_MAIL_SMTP_SINK_H_
