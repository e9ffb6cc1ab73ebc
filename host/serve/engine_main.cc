// Start-up, the session sweeper and the clean stop of the page engine.
//
// The first line on standard output names the address served, so that a
// script that asked for port 0 can read the port chosen. SIGINT or SIGTERM
// stops the server: no new connections, 503 for requests not yet started,
// and the pages that run given the drain time to end. A page still running
// after it (one that waits on a database that never answers) does not keep
// the process: it ends without the page, whose connection simply closes.
#include "serve/engine_main.h"

#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/log/error_log.h"
#include "serve/command_line.h"
#include "serve/http_server.h"
#include "serve/page_registry.h"
#include "serve/page_runner.h"
#include "serve/session_store.h"
#include "serve/site.h"

namespace zorvadel::serve {
namespace {

namespace fs = std::filesystem;

// Drops expired sessions once a minute, besides the lazy check on lookup,
// so that sessions of visitors who never come back do not pile up.
class Sweeper {
 public:
  explicit Sweeper(SessionStore& sessions)
      : sessions_(sessions), thread_([this] { Loop(); }) {}
  ~Sweeper() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }

 private:
  void Loop() {
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::minutes(1), [this] { return stop_; })) {
      sessions_.Sweep(Clock::now());
    }
  }

  SessionStore& sessions_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

// A binary without C++ pages cannot serve the C++ sources of a site folder:
// says so once, naming the first source found, rather than leaving the
// user to wonder why a page is missing.
void NoteCppSources(const std::string& program, const fs::path& root) {
  std::error_code error;
  size_t seen = 0;
  for (auto it = fs::recursive_directory_iterator(
           root, fs::directory_options::skip_permission_denied, error);
       !error && it != fs::recursive_directory_iterator() && ++seen < 20000;
       it.increment(error)) {
    const std::string extension = it->path().extension().string();
    if (extension == ".cc" || extension == ".cpp" || extension == ".cxx") {
      std::cerr << program << ": " << it->path().string()
                << " is not served: C++ pages are built into a site binary with the engine's "
                   "main (see \"Your own site\" in the README)\n";
      return;
    }
  }
}

// Why the server cannot look up names in the site folder, "" when it can.
// Such a folder would answer every request 404 without a word; listing it
// is not needed, so a folder that may be searched but not read serves.
std::string Unsearchable(const fs::path& root) {
  struct stat info {};
  if (::stat((root / ".").c_str(), &info) != 0) return std::strerror(errno);
  return {};
}

int Serve(const std::string& program, const EngineFlags& flags) {
  std::error_code error;
  const fs::file_status root = fs::status(flags.root, error);
  if (!fs::is_directory(root)) {
    std::cerr << program << ": " << (fs::exists(root) ? "not a folder: " : "no such folder: ")
              << flags.root.string() << "\n";
    return 2;
  }
  if (const std::string why = Unsearchable(flags.root); !why.empty()) {
    std::cerr << program << ": cannot read the site folder " << flags.root.string() << ": " << why
              << "\n";
    return 2;
  }
  if (SitePages().size() == 0) NoteCppSources(program, flags.root);
  // Every thread started from here on inherits the blocked signals, so only
  // sigwait below receives them.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  Site site(flags.root, SitePages());
  SessionStore sessions((flags.session_memory_mb != 0 ? flags.session_memory_mb
                                                      : SessionStore::kDefaultMemoryMb)
                        << 20,
                        SessionStore::kShards, flags.node);
  RunnerOptions run_options;
  run_options.show_errors = flags.show_errors;
  run_options.name = program;
  run_options.session_wait = std::chrono::seconds(flags.session_wait_seconds);
  run_options.buffer_limit = flags.buffer_limit_mb << 20;
  PageRunner runner(site, sessions, run_options);
  ServerOptions options = flags.server;
  options.name = program;
  HttpServer server(site, runner, options);
  std::string why;
  if (!server.Start(&why)) {
    std::cerr << program << ": " << why << "\n";
    return 1;
  }
  Sweeper sweeper(sessions);
  const std::string& address = flags.server.address;
  const bool v6 = address.find(':') != std::string::npos && address.front() != '[';
  std::cout << program << ": serving " << site.root().string() << " on http://"
            << (v6 ? "[" + address + "]" : address) << ":" << server.port() << "/ with "
            << flags.server.threads << (flags.server.threads == 1 ? " thread, " : " threads, ")
            << SitePages().size() << (SitePages().size() == 1 ? " C++ page" : " C++ pages")
            << " (Ctrl-C stops)" << std::endl;
  int received = 0;
  sigwait(&stop_signals, &received);
  if (const size_t left = server.Drain(std::chrono::seconds(flags.drain_seconds))) {
    // The pages still running use the site, the sessions and the runner:
    // none of them may be destroyed under them, so the process ends here.
    // The access log is written line by line and has nothing held back.
    log::Line(program + ": stopped with " + std::to_string(left) +
              (left == 1 ? " page" : " pages") + " still running after the drain time (" +
              std::to_string(flags.drain_seconds) + " s)");
    log::Flush();
    std::cout << program << ": stopped" << std::endl;
    std::_Exit(0);
  }
  server.Stop();
  std::cout << program << ": stopped" << std::endl;
  return 0;
}

}  // namespace

int EngineMain(int argc, char** argv) {
  const std::string program =
      argc > 0 && argv[0] != nullptr ? fs::path(argv[0]).filename().string() : "zorvadel-serve";
  EngineFlags flags;
  unsigned cores = std::thread::hardware_concurrency();
  flags.server.threads = cores == 0 ? 1 : cores;
  flags.root = SiteDefaultFolder();
  const EngineFlags defaults = flags;
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::string error;
  if (!ParseEngineFlags(args, &flags, &error)) {
    std::cerr << program << ": " << error << "\n"
              << "Try '" << program << " --help' for the flags.\n";
    return 2;
  }
  if (flags.help) {
    std::cout << EngineHelp(program, defaults, SitePages().size());
    return 0;
  }
  if (flags.root.empty()) flags.root = ".";
  return Serve(program, flags);
}

}  // namespace zorvadel::serve
