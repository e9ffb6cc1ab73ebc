// Jet files, read through MDBTools in a process of their own.
//
// MDBTools is C that trusts the file: one changed byte can send it into a
// loop that allocates without end and floods stderr. Inside the server
// that would take every page down with it, so each open and each statement
// runs in a fresh process, started from this very binary (/proc/self/exe)
// with a job in its arguments and environment, and bounded in CPU time,
// memory and wall-clock time. The job is taken up by a constructor in this
// file before main() runs, so it works in every binary that links the
// data-access layer, and no lock held by the server's other threads can
// reach it (a fork of a threaded server could inherit one locked). The
// rows come back on a pipe as encoded values; what MDBTools prints comes
// back on another and reaches the server's stderr as a few lines at most.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ado/backend.h"
#include "platform/ado/variant_codec.h"
#include "platform/codepage/codepage.h"

extern char** environ;

namespace zorvadel::ado {
namespace {

// The job's marks: both must be there, so that an inherited variable alone
// never turns a program into a reader.
constexpr char kJobVariable[] = "ZORVADEL_JET_READER";
constexpr char kJobName[] = "zorvadel-jet-reader";
constexpr int kResultFd = 3;

// A sane read of a Jet file that a site serves takes milliseconds and a few
// megabytes; these are far above that and far below harm.
constexpr rlim_t kCpuSeconds = 5;
constexpr rlim_t kMemoryBytes = rlim_t{768} << 20;
constexpr int kWallSeconds = 15;
constexpr size_t kMaxResultBytes = size_t{256} << 20;
// A reader that prints this much is looping: it is stopped at once.
constexpr size_t kMaxMessageBytes = size_t{1} << 20;
constexpr size_t kKeptMessageBytes = 4096;
constexpr int kForwardedLines = 3;

// What a job's answer starts with.
constexpr char kOpened = 'O';
constexpr char kAction = 'A';
constexpr char kRows = 'R';
constexpr char kRow = 'r';
constexpr char kEnd = 'e';
constexpr char kFailed = 'E';

// ---- the reader's side -------------------------------------------------------------

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

void Answer(std::string_view bytes) {
  if (!WriteAll(kResultFd, bytes)) _exit(3);
}

void Limit(int resource, rlim_t soft, rlim_t hard) {
  const rlimit limit{soft, hard};
  setrlimit(resource, &limit);
}

// argv: the job name, the file (UTF-8), "open" or "rows", the statement.
[[noreturn]] void RunJob(char** argv) {
  // The soft CPU limit signals, the hard one kills; no core is left.
  Limit(RLIMIT_CORE, 0, 0);
  Limit(RLIMIT_CPU, kCpuSeconds, kCpuSeconds + 1);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  // A sanitizer reserves terabytes of address space for its shadow.
  Limit(RLIMIT_AS, kMemoryBytes, kMemoryBytes);
#endif
  // MDBTools prints to stdout too; only the result pipe carries answers.
  dup2(STDERR_FILENO, STDOUT_FILENO);
  const std::u16string path = codepage::FromUtf8(argv[1]);
  const bool rows_wanted = std::string_view(argv[2]) == "rows";
  std::string out;
  try {
    std::shared_ptr<Database> database =
        OpenOdbc(u"DRIVER={MDBTools};DBQ=" + path, {.read_only = true, .narrow_text = true});
    if (!rows_wanted) {
      out += kOpened;
    } else if (std::unique_ptr<RowSource> rows =
                   database->Run(codepage::FromUtf8(argv[3]), false)) {
      out += kRows;
      EncodeCount(rows->names().size(), out);
      for (const std::u16string& name : rows->names()) EncodeText(name, out);
      std::vector<Variant> row;
      for (int64_t index = 0; rows->Read(index, row); ++index) {
        out += kRow;
        for (const Variant& value : row) EncodeVariant(value, out);
        if (out.size() >= 65536) {
          Answer(out);
          out.clear();
        }
      }
      out += kEnd;
    } else {
      out += kAction;
    }
  } catch (const ScriptError& error) {
    out.assign(1, kFailed);
    EncodeText(error.description(), out);
  } catch (...) {
    _exit(4);
  }
  Answer(out);
  _exit(0);
}

// Runs before main() and any static object of the program: the job uses
// only the data-access layer, which keeps no static state but constants.
__attribute__((constructor)) void TakeUpJob(int argc, char** argv, char** /*envp*/) {
  const char* job = getenv(kJobVariable);
  if (job == nullptr || std::strcmp(job, "1") != 0 || argc != 4 ||
      std::strcmp(argv[0], kJobName) != 0) {
    return;
  }
  RunJob(argv);
}

// ---- the server's side -------------------------------------------------------------

class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { Reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  void Reset(int fd = -1) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

[[noreturn]] void ReaderFailed(std::u16string_view why) {
  throw ScriptError(kErrProvider, u"[MDBTools] The Jet file cannot be read: " + std::u16string(why));
}

void Pipe(Fd& read_end, Fd& write_end) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) ReaderFailed(u"no pipe for the reader.");
  read_end.Reset(fds[0]);
  write_end.Reset(fds[1]);
}

double Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// What MDBTools printed: the first lines, and how many there were.
struct Messages {
  std::string kept;
  size_t bytes = 0;
  size_t lines = 0;  // not empty, ended
  bool at_line_start = true;
  void Add(std::string_view piece) {
    bytes += piece.size();
    for (char c : piece) {
      if (c == '\n' && !at_line_start) ++lines;
      at_line_start = c == '\n';
    }
    const size_t room = kKeptMessageBytes - std::min(kKeptMessageBytes, kept.size());
    kept.append(piece.substr(0, room));
  }
  // A few lines to the server's stderr, with the count of the rest.
  void Forward() const {
    if (kept.empty()) return;
    std::string out;
    const std::string prefix = std::string(program_invocation_short_name) + ": Jet reader: ";
    size_t at = 0;
    int forwarded = 0;
    while (at < kept.size() && forwarded < kForwardedLines) {
      size_t end = kept.find('\n', at);
      if (end == std::string::npos) end = kept.size();
      std::string_view line(kept.data() + at, std::min<size_t>(end - at, 300));
      at = end + 1;
      if (line.empty()) continue;
      out += prefix;
      out += line;
      out += '\n';
      ++forwarded;
    }
    const size_t total = std::max(lines + !at_line_start, static_cast<size_t>(forwarded));
    if (total > static_cast<size_t>(forwarded)) {
      out += prefix + "(" + std::to_string(total - forwarded) + " more lines, " +
             std::to_string(bytes) + " bytes in all)\n";
    }
    WriteAll(STDERR_FILENO, out);
  }
};

// Runs one job in a fresh reader and returns its answer.
std::string RunReader(const std::u16string& path, const char* mode, std::u16string_view sql) {
  Fd result_read, result_write, message_read, message_write;
  Pipe(result_read, result_write);
  Pipe(message_read, message_write);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, message_write.get(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, message_write.get(), STDERR_FILENO);
  posix_spawn_file_actions_adddup2(&actions, result_write.get(), kResultFd);
  // The server's own sockets and files stay with the server.
  posix_spawn_file_actions_addclosefrom_np(&actions, kResultFd + 1);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // The server blocks and ignores signals that a reader must not.
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int signal_number : {SIGPIPE, SIGXCPU, SIGINT, SIGTERM, SIGSEGV, SIGABRT}) {
    sigaddset(&defaults, signal_number);
  }
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::string file = codepage::ToUtf8(path);
  std::string mode_text = mode;
  std::string statement = codepage::ToUtf8(sql);
  std::string name = kJobName;
  char* argv[] = {name.data(), file.data(), mode_text.data(), statement.data(), nullptr};
  std::string mark = std::string(kJobVariable) + "=1";
  std::vector<char*> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, kJobVariable, sizeof(kJobVariable) - 1) != 0) env.push_back(*entry);
  }
  env.push_back(mark.data());
  env.push_back(nullptr);

  pid_t pid = -1;
  const int spawned =
      posix_spawn(&pid, "/proc/self/exe", &actions, &attributes, argv, env.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) ReaderFailed(u"the reader did not start.");
  result_write.Reset();
  message_write.Reset();

  std::string answer;
  Messages messages;
  std::u16string stopped;
  const double deadline = Now() + kWallSeconds;
  bool result_open = true, messages_open = true;
  char buffer[65536];
  while ((result_open || messages_open) && stopped.empty()) {
    const double left = deadline - Now();
    if (left <= 0) {
      stopped = u"it took longer than " + codepage::FromUtf8(std::to_string(kWallSeconds)) + u" s.";
      break;
    }
    pollfd fds[2] = {{result_open ? result_read.get() : -1, POLLIN, 0},
                     {messages_open ? message_read.get() : -1, POLLIN, 0}};
    const int ready = poll(fds, 2, static_cast<int>(left * 1000) + 1);
    if (ready < 0 && errno != EINTR) {
      stopped = u"the reader could not be watched.";
      break;
    }
    if (ready <= 0) continue;
    if (fds[0].revents != 0) {
      const ssize_t got = read(result_read.get(), buffer, sizeof(buffer));
      if (got > 0) {
        answer.append(buffer, static_cast<size_t>(got));
        if (answer.size() > kMaxResultBytes) stopped = u"its rows are too large.";
      } else if (got == 0 || errno != EINTR) {
        result_open = false;
      }
    }
    if (fds[1].revents != 0) {
      const ssize_t got = read(message_read.get(), buffer, sizeof(buffer));
      if (got > 0) {
        messages.Add(std::string_view(buffer, static_cast<size_t>(got)));
        if (messages.bytes > kMaxMessageBytes) stopped = u"the reader printed without end.";
      } else if (got == 0 || errno != EINTR) {
        messages_open = false;
      }
    }
  }
  if (!stopped.empty()) kill(pid, SIGKILL);
  int status = 0;
  pid_t waited;
  do {
    waited = waitpid(pid, &status, 0);
  } while (waited < 0 && errno == EINTR);
  messages.Forward();
  if (!stopped.empty()) ReaderFailed(stopped);
  if (waited == pid && WIFSIGNALED(status)) {
    const int signal_number = WTERMSIG(status);
    ReaderFailed(signal_number == SIGXCPU || signal_number == SIGKILL
                     ? u"it used too much time."
                     : u"the reader stopped on signal " +
                           codepage::FromUtf8(std::to_string(signal_number)) + u".");
  }
  if (waited == pid && WEXITSTATUS(status) != 0) ReaderFailed(u"the reader failed.");
  if (answer.empty()) ReaderFailed(u"the reader gave no answer.");
  return answer;
}

[[noreturn]] void Garbled() { ReaderFailed(u"its answer is garbled."); }

// Raises the reader's own failure; otherwise leaves `decoder` after the tag.
char TagOf(Decoder& decoder) {
  uint8_t tag = 0;
  if (!decoder.ReadByte(tag)) Garbled();
  if (tag == static_cast<uint8_t>(kFailed)) {
    std::u16string why;
    if (!decoder.ReadText(why)) Garbled();
    throw ScriptError(kErrProvider, why);
  }
  return static_cast<char>(tag);
}

class JetDatabase : public Database {
 public:
  explicit JetDatabase(std::u16string path) : path_(std::move(path)) {}

  std::unique_ptr<RowSource> Run(std::u16string_view sql, bool scrollable) override {
    if (!LooksLikeQuery(sql)) RaiseReadOnly();
    const std::string answer = RunReader(path_, "rows", sql);
    Decoder decoder(answer);
    const char tag = TagOf(decoder);
    if (tag == kAction) return nullptr;
    if (tag != kRows) Garbled();
    uint64_t columns = 0;
    if (!decoder.ReadCount(columns) || columns > answer.size()) Garbled();
    std::vector<std::u16string> names(static_cast<size_t>(columns));
    for (std::u16string& name : names) {
      if (!decoder.ReadText(name)) Garbled();
    }
    std::vector<std::vector<Variant>> rows;
    for (;;) {
      uint8_t mark = 0;
      if (!decoder.ReadByte(mark)) Garbled();
      if (mark == static_cast<uint8_t>(kEnd)) break;
      if (mark != static_cast<uint8_t>(kRow)) Garbled();
      std::vector<Variant>& row = rows.emplace_back(names.size());
      for (Variant& value : row) {
        if (!decoder.ReadVariant(value)) Garbled();
      }
    }
    if (!decoder.AtEnd()) Garbled();
    return std::make_unique<HeldRows>(std::move(names), std::move(rows), scrollable);
  }

  void RunWithTexts(std::u16string_view /*sql*/,
                    const std::vector<std::u16string>& /*texts*/) override {
    RaiseReadOnly();
  }

 private:
  std::u16string path_;
};

}  // namespace

std::shared_ptr<Database> OpenJetFile(const std::u16string& path) {
  const std::string answer = RunReader(path, "open", u"");
  Decoder decoder(answer);
  if (TagOf(decoder) != kOpened) Garbled();
  return std::make_shared<JetDatabase>(path);
}

}  // namespace zorvadel::ado
