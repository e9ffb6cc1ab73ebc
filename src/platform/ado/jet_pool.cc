// The standing Jet readers and the jobs the server gives them.
//
// Starting the whole binary again for every read cost tens of milliseconds
// in the dynamic loader, so readers stand: started as jobs come, up to
// kReaders, each taking one job at a time. Whatever a job does, the server
// keeps it within its bounds: past the wall clock, too large an answer, too
// much printed or too much memory, the reader is killed and the page gets
// its failure; a reader that died, or whose MDBTools failed or printed, is
// replaced by the next job that needs one. Readers end with the server: each asks the
// kernel for that, and its channel reads its end when the server is gone.
#include "platform/ado/jet_pool.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/ado/ado.h"
#include "platform/ado/jet_job.h"
#include "platform/codepage/codepage.h"
#include "platform/log/error_log.h"

extern char** environ;

namespace zorvadel::ado::jet {
namespace {

constexpr size_t kKeptMessageBytes = 4096;
constexpr int kForwardedLines = 3;
// The most of one printed line that is told.
constexpr size_t kLineBytes = 300;
// How often a job that runs long has its reader's memory looked at.
constexpr int kWatchMilliseconds = 5;

class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { Reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }
  void Reset(int fd = -1) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

double Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

std::u16string Number(long long number) { return codepage::FromUtf8(std::to_string(number)); }

// What MDBTools printed during one job: the first lines, and how many there
// were.
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
  // The kept line that starts at `at` (at most kLineBytes of it), moving
  // `at` past its end.
  std::string_view NextLine(size_t& at) const {
    size_t end = kept.find('\n', at);
    if (end == std::string::npos) end = kept.size();
    const std::string_view line(kept.data() + at, std::min<size_t>(end - at, kLineBytes));
    at = end + 1;
    return line;
  }
  // The first line printed, as a failure carries it.
  std::u16string FirstLine() const {
    for (size_t at = 0; at < kept.size();) {
      std::string_view line = NextLine(at);
      while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ') line.remove_suffix(1);
      if (!line.empty()) return codepage::FromUtf8(line);
    }
    return {};
  }
  // A few lines to the server's stderr, with the count of the rest. They
  // go through the error log: a flood of pages over one damaged file
  // prints the same lines for every page.
  void Forward() const {
    if (kept.empty()) return;
    const std::string prefix = std::string(program_invocation_short_name) + ": Jet reader: ";
    size_t at = 0;
    int forwarded = 0;
    while (at < kept.size() && forwarded < kForwardedLines) {
      const std::string_view line = NextLine(at);
      if (line.empty()) continue;
      log::Line(prefix + std::string(line));
      ++forwarded;
    }
    const size_t total = std::max(lines + !at_line_start, static_cast<size_t>(forwarded));
    if (total > static_cast<size_t>(forwarded)) {
      log::Line(prefix + "(" + std::to_string(total - forwarded) + " more lines, " +
                std::to_string(bytes) + " bytes in all)");
    }
  }
};

// Runs `task` on a thread that lasts as long as the process, and waits for
// it. The kernel ends a reader when the thread that started it ends, not
// the process: a reader started from a page's thread would die with that
// thread, and one started from a thread that lives on is ended only with
// the server.
void OnLastingThread(const std::function<void()>& task) {
  struct Lasting {
    std::mutex mutex;
    std::condition_variable changed;
    const std::function<void()>* task = nullptr;
    uint64_t posted = 0;
    uint64_t finished = 0;
  };
  // Never destroyed: the thread may still wait on it while the process ends.
  static Lasting* const lasting = [] {
    auto* shared = new Lasting;
    std::thread([shared] {
      std::unique_lock lock(shared->mutex);
      for (;;) {
        shared->changed.wait(lock, [shared] { return shared->task != nullptr; });
        const std::function<void()>* current = shared->task;
        lock.unlock();
        (*current)();
        lock.lock();
        shared->task = nullptr;
        ++shared->finished;
        shared->changed.notify_all();
      }
    }).detach();
    return shared;
  }();
  std::unique_lock lock(lasting->mutex);
  lasting->changed.wait(lock, [] { return lasting->task == nullptr; });
  lasting->task = &task;
  const uint64_t mine = ++lasting->posted;
  lasting->changed.notify_all();
  lasting->changed.wait(lock, [mine] { return lasting->finished >= mine; });
}

struct Reader {
  pid_t pid = -1;
  Fd channel;   // jobs out, answers in
  Fd messages;  // its stdout and stderr
  std::string file;  // the file of its last job, which it may hold open
};

std::unique_ptr<Reader> StartReader() {
  // A reader that ran the program's main() (its binary lacking the reader's
  // entry) would start readers of its own, each running main() again.
  if (getenv(kJobVariable) != nullptr) return nullptr;
  int channel[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, channel) != 0) return nullptr;
  Fd ours(channel[0]), theirs(channel[1]);
  int messages[2];
  if (pipe2(messages, O_CLOEXEC) != 0) return nullptr;
  Fd message_read(messages[0]), message_write(messages[1]);
  fcntl(ours.get(), F_SETFL, O_NONBLOCK);
  fcntl(message_read.get(), F_SETFL, O_NONBLOCK);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, message_write.get(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, message_write.get(), STDERR_FILENO);
  posix_spawn_file_actions_adddup2(&actions, theirs.get(), kChannelFd);
  // The server's own sockets and files stay with the server.
  posix_spawn_file_actions_addclosefrom_np(&actions, kChannelFd + 1);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // The server blocks and ignores signals that a reader must not.
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int signal_number : {SIGPIPE, SIGPROF, SIGXCPU, SIGINT, SIGTERM, SIGSEGV, SIGABRT}) {
    sigaddset(&defaults, signal_number);
  }
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::string name = kJobName;
  std::string server = std::to_string(getpid());
  char* argv[] = {name.data(), server.data(), nullptr};
  std::string mark = std::string(kJobVariable) + "=1";
  std::vector<char*> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, kJobVariable, sizeof(kJobVariable) - 1) != 0) env.push_back(*entry);
  }
  env.push_back(mark.data());
  env.push_back(nullptr);

  pid_t pid = -1;
  int spawned = -1;
  OnLastingThread([&] {
    spawned = posix_spawn(&pid, "/proc/self/exe", &actions, &attributes, argv, env.data());
  });
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) return nullptr;
  auto reader = std::make_unique<Reader>();
  reader->pid = pid;
  reader->channel.Reset(ours.Release());
  reader->messages.Reset(message_read.Release());
  return reader;
}

// Waits for a reader that has ended or is made to, and gives its status.
int Reap(Reader& reader, bool kill_first) {
  int status = 0;
  if (reader.pid <= 0) return status;
  if (!kill_first) {
    // Its channel closed as it ended: the end follows within moments.
    for (int tries = 0; tries < 1000; ++tries) {
      const pid_t waited = waitpid(reader.pid, &status, WNOHANG);
      if (waited == reader.pid || (waited < 0 && errno != EINTR)) {
        reader.pid = -1;
        return status;
      }
      usleep(1000);
    }
  }
  kill(reader.pid, SIGKILL);
  pid_t waited;
  do {
    waited = waitpid(reader.pid, &status, 0);
  } while (waited < 0 && errno == EINTR);
  reader.pid = -1;
  return status;
}

bool Alive(Reader& reader) {
  int status = 0;
  const pid_t waited = waitpid(reader.pid, &status, WNOHANG);
  if (waited == 0) return true;
  if (waited == reader.pid || errno == ECHILD) reader.pid = -1;
  return false;
}

class Pool {
 public:
  // An idle reader, the one that holds `file` if there is one, or a new
  // one while fewer than kReaders run; otherwise waits for one until
  // `deadline`.
  std::unique_ptr<Reader> Take(const std::string& file, double deadline) {
    std::unique_lock lock(mutex_);
    for (;;) {
      while (!idle_.empty()) {
        auto holder = std::find_if(idle_.rbegin(), idle_.rend(),
                                   [&file](const auto& reader) { return reader->file == file; });
        auto chosen = holder != idle_.rend() ? std::prev(holder.base()) : std::prev(idle_.end());
        std::unique_ptr<Reader> reader = std::move(*chosen);
        idle_.erase(chosen);
        lock.unlock();
        if (Alive(*reader)) return reader;
        // Killed or ended while idle: the page is not to pay for that.
        Reap(*reader, true);
        lock.lock();
        --running_;
      }
      if (running_ < kReaders) {
        ++running_;
        lock.unlock();
        if (std::unique_ptr<Reader> reader = StartReader()) return reader;
        lock.lock();
        --running_;
        freed_.notify_one();
        lock.unlock();
        ReaderFailed(u"the reader did not start.");
      }
      const auto wait = std::chrono::duration<double>(std::max(0.0, deadline - Now()));
      if (freed_.wait_for(lock, wait) == std::cv_status::timeout && Now() >= deadline) {
        lock.unlock();
        ReaderFailed(u"no reader was free within " + Number(kWallSeconds) + u" s.");
      }
    }
  }

  void Return(std::unique_ptr<Reader> reader) {
    std::lock_guard lock(mutex_);
    idle_.push_back(std::move(reader));
    freed_.notify_one();
  }

  // Ends the reader (it may have ended already) and frees its place.
  void Discard(std::unique_ptr<Reader> reader) {
    Reap(*reader, true);
    reader.reset();
    std::lock_guard lock(mutex_);
    --running_;
    freed_.notify_one();
  }

  bool Opened(const FileIdentity& identity) {
    std::lock_guard lock(mutex_);
    return opened_.count(identity) != 0;
  }
  void NoteOpened(const FileIdentity& identity) {
    std::lock_guard lock(mutex_);
    // Files come and go: the list is only a shortcut, so it starts afresh.
    if (opened_.size() >= 256) opened_.clear();
    opened_.insert(identity);
  }

 private:
  std::mutex mutex_;
  std::condition_variable freed_;
  std::vector<std::unique_ptr<Reader>> idle_;
  int running_ = 0;
  std::set<FileIdentity> opened_;
};

// Never destroyed: a page may still run on another thread while the
// process ends, and the readers end with the process anyway.
Pool& ThePool() {
  static Pool* const pool = new Pool;
  return *pool;
}

size_t ResidentBytes(pid_t pid) {
  const std::string file = "/proc/" + std::to_string(pid) + "/statm";
  Fd fd(open(file.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return 0;
  char text[128];
  const ssize_t got = read(fd.get(), text, sizeof(text) - 1);
  if (got <= 0) return 0;
  text[got] = '\0';
  unsigned long long size = 0, resident = 0;
  if (std::sscanf(text, "%llu %llu", &size, &resident) != 2) return 0;
  return static_cast<size_t>(resident) * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

// One job's exchange with its reader.
class Exchange {
 public:
  explicit Exchange(Reader& reader) : reader_(reader) {}

  // Sends `job` and reads the answer into `answer`. Gives "" when the
  // answer came whole, else why the reader is to be stopped; `ended` tells
  // that the reader closed its channel first.
  std::u16string Run(const std::string& job, std::string& answer, bool& failed, bool& ended) {
    const double started = Now();
    const double deadline = started + kWallSeconds;
    size_t sent = 0;
    std::string raw;
    char buffer[65536];
    while (!complete_) {
      const double now = Now();
      if (now >= deadline) return u"it took longer than " + Number(kWallSeconds) + u" s.";
      // A job that has run a while has its reader's memory looked at, for
      // the builds whose readers the kernel cannot bound.
      const bool watched = now - started > kWatchMilliseconds / 1000.0;
      if (watched && ResidentBytes(reader_.pid) > kMemoryBytes) return u"it used too much memory.";
      const int wait = std::min(static_cast<int>((deadline - now) * 1000) + 1, kWatchMilliseconds);
      pollfd fds[2] = {
          {reader_.channel.get(), static_cast<short>(POLLIN | (sent < job.size() ? POLLOUT : 0)),
           0},
          {messages_open_ ? reader_.messages.get() : -1, POLLIN, 0}};
      const int ready = poll(fds, 2, wait);
      if (ready < 0 && errno != EINTR) return u"the reader could not be watched.";
      if (ready <= 0) continue;
      if ((fds[0].revents & POLLOUT) != 0) {
        const ssize_t put = send(reader_.channel.get(), job.data() + sent, job.size() - sent,
                                 MSG_NOSIGNAL | MSG_DONTWAIT);
        if (put > 0) {
          sent += static_cast<size_t>(put);
        } else if (put < 0 && errno != EINTR && errno != EAGAIN) {
          ended = true;
          return {};
        }
      }
      if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
        const ssize_t got = recv(reader_.channel.get(), buffer, sizeof(buffer), MSG_DONTWAIT);
        if (got > 0) {
          raw.append(buffer, static_cast<size_t>(got));
          if (!TakeFrames(raw, answer, failed)) return u"its answer is garbled.";
          if (answer.size() > kMaxResultBytes) return u"its rows are too large.";
        } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
          ended = true;
          return {};
        }
      }
      if (fds[1].revents != 0 && !ReadMessages()) return u"the reader printed without end.";
    }
    // What it printed before its answer ended is in the pipe by now.
    if (messages_open_ && !ReadMessages()) return u"the reader printed without end.";
    return {};
  }

  // Reads what waits on the message pipe; false past the bound.
  bool ReadMessages() {
    char buffer[16384];
    for (;;) {
      const ssize_t got = read(reader_.messages.get(), buffer, sizeof(buffer));
      if (got > 0) {
        messages_.Add(std::string_view(buffer, static_cast<size_t>(got)));
        if (messages_.bytes > kMaxMessageBytes) return false;
        continue;
      }
      if (got < 0 && errno == EINTR) continue;
      if (got == 0 || errno != EAGAIN) messages_open_ = false;
      return true;
    }
  }

  const Messages& messages() const { return messages_; }

 private:
  // Moves the whole frames at the start of `raw` into `answer`.
  bool TakeFrames(std::string& raw, std::string& answer, bool& failed) {
    size_t at = 0;
    while (!complete_ && raw.size() - at >= sizeof(uint32_t)) {
      uint32_t header = 0;
      std::memcpy(&header, raw.data() + at, sizeof(header));
      const size_t size = header & kFrameSizeBits;
      if (size > kFrameBytes) return false;
      if (raw.size() - at - sizeof(header) < size) break;
      answer.append(raw, at + sizeof(header), size);
      at += sizeof(header) + size;
      complete_ = (header & kLastFrame) != 0;
      failed = (header & kFailedFrame) != 0;
    }
    if (complete_ && at != raw.size()) return false;
    raw.erase(0, at);
    return true;
  }

  Reader& reader_;
  Messages messages_;
  bool messages_open_ = true;
  bool complete_ = false;
};

// Gives a reader back to the pool when done with it, or ends it.
class Lease {
 public:
  Lease(Pool& pool, std::unique_ptr<Reader> reader) : pool_(pool), reader_(std::move(reader)) {}
  ~Lease() {
    if (keep_) {
      pool_.Return(std::move(reader_));
    } else {
      pool_.Discard(std::move(reader_));
    }
  }
  Lease(const Lease&) = delete;
  Lease& operator=(const Lease&) = delete;
  Reader& reader() { return *reader_; }
  void Keep() { keep_ = true; }

 private:
  Pool& pool_;
  std::unique_ptr<Reader> reader_;
  bool keep_ = false;
};

}  // namespace

std::u16string WithWhatItSaid(std::u16string_view why, std::u16string_view said) {
  std::u16string text(why);
  if (said.empty()) return text;
  // The driver's messages end in a line break.
  while (!text.empty() && text.back() <= u' ') text.pop_back();
  return text.append(u" (MDBTools: ").append(said).append(u")");
}

void ReaderFailed(std::u16string_view why) {
  throw ScriptError(kErrProvider,
                    u"[MDBTools] The Jet file cannot be read: " + std::u16string(why));
}

JobAnswer RunJob(char kind, const std::string& path, std::u16string_view sql) {
  std::string job(1, kind);
  const uint32_t path_size = static_cast<uint32_t>(path.size());
  job.append(reinterpret_cast<const char*>(&path_size), sizeof(path_size));
  job += path;
  job += codepage::ToUtf8(sql);
  if (job.size() > kMaxJobBytes) ReaderFailed(u"its statement is too long.");
  std::string framed;
  AppendFrame(job, kLastFrame, framed);

  Pool& pool = ThePool();
  Lease lease(pool, pool.Take(path, Now() + kWallSeconds));
  Reader& reader = lease.reader();
  reader.file = path;
  Exchange exchange(reader);
  JobAnswer answer;
  bool failed = false, ended = false;
  const std::u16string stopped = exchange.Run(framed, answer.bytes, failed, ended);
  if (!stopped.empty()) {
    Reap(reader, true);
    exchange.messages().Forward();
    ReaderFailed(WithWhatItSaid(stopped, exchange.messages().FirstLine()));
  }
  if (ended) {
    // Gone before its answer ended: what it printed last tells why.
    exchange.ReadMessages();
    const int status = Reap(reader, false);
    exchange.messages().Forward();
    const std::u16string said = exchange.messages().FirstLine();
    if (WIFSIGNALED(status)) {
      const int signal_number = WTERMSIG(status);
      ReaderFailed(WithWhatItSaid(signal_number == SIGPROF || signal_number == SIGXCPU ||
                                          signal_number == SIGKILL
                                      ? u"it used too much time."
                                      : u"the reader stopped on signal " + Number(signal_number) +
                                            u".",
                                  said));
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
      ReaderFailed(WithWhatItSaid(u"the reader failed.", said));
    }
    ReaderFailed(WithWhatItSaid(u"the reader gave no answer.", said));
  }
  exchange.messages().Forward();
  answer.said = exchange.messages().FirstLine();
  if (answer.bytes.empty()) {
    ReaderFailed(WithWhatItSaid(u"the reader gave no answer.", answer.said));
  }
  // MDBTools tells of trouble by failing or by printing: either way, what
  // it holds may be astray, and the next job gets a fresh reader.
  if (!failed && exchange.messages().bytes == 0) lease.Keep();
  return answer;
}

bool IdentityOf(const std::string& path, FileIdentity& identity) {
  struct stat now {};
  if (stat(path.c_str(), &now) != 0) return false;
  identity = {path,
              static_cast<uint64_t>(now.st_dev),
              static_cast<uint64_t>(now.st_ino),
              static_cast<int64_t>(now.st_size),
              static_cast<int64_t>(now.st_mtim.tv_sec),
              static_cast<int64_t>(now.st_mtim.tv_nsec)};
  return true;
}

bool OpenedBefore(const FileIdentity& identity) { return ThePool().Opened(identity); }

void NoteOpened(const FileIdentity& identity) { ThePool().NoteOpened(identity); }

}  // namespace zorvadel::ado::jet
