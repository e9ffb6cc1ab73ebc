// zorvadel-serve: the HTTP page engine. Serves a site folder: C++ pages
// registered in the binary, page scripts in the zorvadel-run format (their
// steps; a request for NAME.asp runs NAME.json) and static files.
//
//   zorvadel-serve [--address ADDR] [--port PORT] [--root FOLDER] [--threads N]
//
// Defaults: 127.0.0.1, port 8080, the folder "examples/site" of the working
// directory, one thread per core. Port 0 picks a free port. The first line
// on standard output names the address served. SIGINT or SIGTERM stops the
// server cleanly: no new connections, the threads joined.
#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

#include "serve/http_server.h"
#include "serve/page_registry.h"
#include "serve/page_runner.h"
#include "serve/session_store.h"
#include "serve/site.h"

namespace zorvadel::serve {
namespace {

constexpr char kUsage[] =
    "usage: zorvadel-serve [--address ADDR] [--port PORT] [--root FOLDER] [--threads N]\n";

struct Flags {
  ServerOptions server;
  std::filesystem::path root = "examples/site";
};

bool ParseNumber(const std::string& text, unsigned long max, unsigned long* value) {
  if (text.empty() || text.size() > 10) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  *value = std::stoul(text);
  return *value <= max;
}

// False (after printing why) on a bad command line.
bool ParseFlags(int argc, char** argv, Flags* flags) {
  unsigned cores = std::thread::hardware_concurrency();
  flags->server.threads = cores == 0 ? 1 : cores;
  for (int i = 1; i < argc; ++i) {
    std::string flag = argv[i];
    std::string value;
    size_t equals = flag.find('=');
    if (equals != std::string::npos) {
      value = flag.substr(equals + 1);
      flag.resize(equals);
    } else if (flag == "--help" || flag == "-h") {
      std::cout << kUsage;
      std::exit(0);
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      std::cerr << "zorvadel-serve: " << flag << " needs a value\n" << kUsage;
      return false;
    }
    unsigned long number = 0;
    if (flag == "--address") {
      flags->server.address = value;
    } else if (flag == "--root") {
      flags->root = value;
    } else if (flag == "--port" && ParseNumber(value, 65535, &number)) {
      flags->server.port = static_cast<uint16_t>(number);
    } else if (flag == "--threads" && ParseNumber(value, 1024, &number) && number > 0) {
      flags->server.threads = static_cast<unsigned>(number);
    } else {
      std::cerr << "zorvadel-serve: bad flag " << flag << " " << value << "\n" << kUsage;
      return false;
    }
  }
  return true;
}

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

int Serve(const Flags& flags) {
  std::error_code error;
  if (!std::filesystem::is_directory(flags.root, error)) {
    std::cerr << "zorvadel-serve: no such folder: " << flags.root.string() << "\n";
    return 2;
  }
  // Every thread started from here on inherits the blocked signals, so only
  // sigwait below receives them.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  Site site(flags.root, SitePages());
  SessionStore sessions;
  PageRunner runner(site, sessions);
  HttpServer server(site, runner, flags.server);
  std::string why;
  if (!server.Start(&why)) {
    std::cerr << "zorvadel-serve: " << why << "\n";
    return 1;
  }
  Sweeper sweeper(sessions);
  const std::string& address = flags.server.address;
  const bool v6 = address.find(':') != std::string::npos && address.front() != '[';
  std::cout << "zorvadel-serve: serving " << site.root().string() << " on http://"
            << (v6 ? "[" + address + "]" : address) << ":" << server.port() << "/ with "
            << flags.server.threads << " threads, " << SitePages().size() << " C++ pages"
            << std::endl;
  int received = 0;
  sigwait(&stop_signals, &received);
  server.Stop();
  std::cout << "zorvadel-serve: stopped" << std::endl;
  return 0;
}

}  // namespace
}  // namespace zorvadel::serve

int main(int argc, char** argv) {
  zorvadel::serve::Flags flags;
  if (!zorvadel::serve::ParseFlags(argc, argv, &flags)) return 2;
  return zorvadel::serve::Serve(flags);
}
