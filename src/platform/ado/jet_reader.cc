// A Jet reader: the process that reads Jet files through MDBTools for the
// server (jet_pool.cc starts and watches it).
//
// MDBTools is C that trusts the file: one changed byte can send it into a
// loop that allocates without end and floods stderr. Inside the server that
// would take every page down with it, so the reading happens here, bounded
// in CPU time per job and in memory. The reader is taken up by a
// constructor in this file before main() runs, so it works in every binary
// that links the data-access layer, and no lock held by the server's other
// threads can reach it (a fork of a threaded server could inherit one
// locked). Between jobs it keeps the last file open, and the answers it gave
// from it, while that file stays the same.
#include <errno.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/ado/backend.h"
#include "platform/ado/jet_job.h"
#include "platform/ado/variant_codec.h"
#include "platform/codepage/codepage.h"

namespace zorvadel::ado::jet {

const char kJobName[] = "zorvadel-jet-reader";

namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

// False at the end of the channel: the server is gone or let the reader go.
bool ReadAll(int fd, char* bytes, size_t size) {
  while (size > 0) {
    const ssize_t got = read(fd, bytes, size);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

void Limit(int resource, rlim_t soft, rlim_t hard) {
  const rlimit limit{soft, hard};
  setrlimit(resource, &limit);
}

// The job's CPU time, counted from zero for each job; the signal's default
// action ends the reader, which the server reads as too much time.
void CpuBound(int seconds) {
  itimerval timer{};
  timer.it_value.tv_sec = seconds;
  setitimer(ITIMER_PROF, &timer, nullptr);
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

class Reader {
 public:
  void Run(char kind, const std::string& path, std::string_view sql) {
    struct stat now {};
    const bool known = stat(path.c_str(), &now) == 0;
    if (database_ != nullptr && (!known || path != path_ || !SameFile(now, kept_))) Forget();
    // The same statement on the same file gives the same rows: MDBTools,
    // whose statements cost far more than the exchange, is spared them.
    if (kind == kRead && database_ != nullptr) {
      if (auto answer = answers_.find(std::string(sql)); answer != answers_.end()) {
        if (!WriteAll(kChannelFd, answer->second)) _exit(3);
        return;
      }
    }
    recording_ = kind == kRead && known && Settled(now.st_mtim.tv_sec, now.st_mtim.tv_nsec);
    recorded_.clear();
    std::string out;
    uint32_t marks = kLastFrame;
    CpuBound(kCpuSeconds);
    try {
      if (database_ == nullptr) {
        database_ = OpenOdbc(u"DRIVER={MDBTools};DBQ=" + codepage::FromUtf8(path),
                             {.read_only = true, .narrow_text = true});
        // A file changed moments ago may change again within the same
        // clock tick, keeping its modification time: it is opened afresh.
        if (known && Settled(now.st_mtim.tv_sec, now.st_mtim.tv_nsec)) {
          path_ = path;
          kept_ = now;
        }
      }
      if (kind != kRead) {
        out += kOpened;
      } else if (std::unique_ptr<RowSource> rows = database_->Run(codepage::FromUtf8(sql), false)) {
        out += kRows;
        EncodeCount(rows->names().size(), out);
        for (const std::u16string& name : rows->names()) EncodeText(name, out);
        std::vector<Variant> row;
        for (int64_t index = 0; rows->Read(index, row); ++index) {
          out += kRow;
          for (const Variant& value : row) EncodeVariant(value, out);
          if (out.size() >= kFrameBytes) {
            Send(out, 0);
            out.clear();
          }
        }
        out += kEnd;
      } else {
        out += kAction;
      }
    } catch (const ScriptError& error) {
      // The server replaces a reader whose MDBTools failed: what the failure
      // left behind is not to be trusted with the next job. Rows already
      // sent are followed by the failure where the next row would be.
      Forget();
      recording_ = false;
      marks |= kFailedFrame;
      out.assign(1, kFailed);
      EncodeText(error.description(), out);
    }
    CpuBound(0);
    // What MDBTools printed reaches the server before the answer ends.
    fflush(stdout);
    fflush(stderr);
    Send(out, marks);
    if (recording_ && path_ == path) {
      if (answer_bytes_ + recorded_.size() > kKeptAnswerBytes) {
        answers_.clear();
        answer_bytes_ = 0;
      }
      answer_bytes_ += recorded_.size();
      answers_.emplace(std::string(sql), std::move(recorded_));
    }
  }

 private:
  void Send(std::string_view bytes, uint32_t marks) {
    std::string frame;
    do {
      const std::string_view piece = bytes.substr(0, kFrameBytes);
      bytes.remove_prefix(piece.size());
      frame.clear();
      AppendFrame(piece, bytes.empty() ? marks : 0, frame);
      if (!WriteAll(kChannelFd, frame)) _exit(3);
      if (recording_) {
        recorded_ += frame;
        recording_ = recorded_.size() <= kKeptAnswerBytes / 8;
      }
    } while (!bytes.empty());
  }

  // Closes the file and drops what was read from it.
  void Forget() {
    database_.reset();
    path_.clear();
    answers_.clear();
    answer_bytes_ = 0;
  }

  // The file held open, and the answers given from it, while it stays the
  // same: its path and identity.
  std::shared_ptr<Database> database_;
  std::string path_;
  struct stat kept_ {};
  std::unordered_map<std::string, std::string> answers_;
  size_t answer_bytes_ = 0;
  // The frames of the answer being sent, while it may be kept.
  bool recording_ = false;
  std::string recorded_;
};

[[noreturn]] void Serve(pid_t server) {
  // Ends with the server, however it ends; a server gone before this line
  // is seen in the parent's id.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != server) _exit(0);
  Limit(RLIMIT_CORE, 0, 0);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  // A sanitizer reserves terabytes of address space for its shadow; the
  // server watches those readers' resident memory instead.
  Limit(RLIMIT_AS, kMemoryBytes, kMemoryBytes);
#endif
  Reader reader;
  std::string job;
  for (;;) {
    uint32_t header = 0;
    if (!ReadAll(kChannelFd, reinterpret_cast<char*>(&header), sizeof(header))) _exit(0);
    const size_t size = header & kFrameSizeBits;
    if (header != (kLastFrame | size) || size > kMaxJobBytes) _exit(4);
    job.resize(size);
    if (!ReadAll(kChannelFd, job.data(), size)) _exit(0);
    uint32_t path_size = 0;
    if (size < 1 + sizeof(path_size)) _exit(4);
    std::memcpy(&path_size, job.data() + 1, sizeof(path_size));
    if (path_size > size - 1 - sizeof(path_size)) _exit(4);
    const std::string path = job.substr(1 + sizeof(path_size), path_size);
    const std::string_view sql = std::string_view(job).substr(1 + sizeof(path_size) + path_size);
    try {
      reader.Run(job[0], path, sql);
    } catch (...) {
      _exit(4);
    }
  }
}

// Runs before main() and any static object of the program: the reader uses
// only the data-access layer, which keeps no static state but constants.
__attribute__((constructor)) void TakeUpReader(int argc, char** argv, char** /*envp*/) {
  const char* mark = getenv(kJobVariable);
  if (mark == nullptr || std::strcmp(mark, "1") != 0 || argc != 2 ||
      std::strcmp(argv[0], kJobName) != 0) {
    return;
  }
  Serve(static_cast<pid_t>(std::strtol(argv[1], nullptr, 10)));
}

}  // namespace
}  // namespace zorvadel::ado::jet
