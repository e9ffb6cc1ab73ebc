// Who gives way when every place of the gate is taken: a connection still
// in the gate, or one handed over as the watch of the daemon's connections
// chooses it.
#include "serve/connection_gate.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "serve/connection_watch.h"

namespace zorvadel::serve {
namespace {

constexpr int kWaitMs = 10000;

// The client end of a connection to the gate on `port`.
int Connect(uint16_t port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
  return fd;
}

uint16_t LocalPort(int fd, bool peer) {
  sockaddr_in address{};
  socklen_t size = sizeof address;
  if (peer) {
    getpeername(fd, reinterpret_cast<sockaddr*>(&address), &size);
  } else {
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  }
  return ntohs(address.sin_port);
}

// What the client end reads: "closed", the status line's start, or
// "nothing" when nothing came within the wait.
std::string Outcome(int fd, int wait_ms) {
  pollfd watched{fd, POLLIN, 0};
  if (poll(&watched, 1, wait_ms) <= 0) return "nothing";
  char text[64];
  const ssize_t n = recv(fd, text, sizeof text, 0);
  if (n <= 0) return "closed";
  return std::string(text, static_cast<size_t>(n)).substr(0, 12);
}

// The daemon's side: the sockets handed over, by the client's port, each
// watched through the stages its test sets.
struct Daemon {
  ConnectionWatch watch;
  std::mutex mutex;
  std::condition_variable changed;
  std::map<uint16_t, int> taken;
  std::map<uint16_t, std::unique_ptr<ConnectionWatch::Entry>> entries;

  void Take(int socket) {
    std::lock_guard lock(mutex);
    const uint16_t port = LocalPort(socket, true);
    taken[port] = socket;
    entries[port] = std::make_unique<ConnectionWatch::Entry>(socket);
    watch.Add(entries[port].get());
    changed.notify_all();
  }
  ConnectionWatch::Entry& EntryOf(uint16_t client_port) {
    std::lock_guard lock(mutex);
    return *entries.at(client_port);
  }

  bool Took(uint16_t client_port) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::milliseconds(kWaitMs),
                            [&] { return taken.count(client_port) != 0; });
  }
  ~Daemon() {
    for (const auto& [port, entry] : entries) watch.Remove(entry.get());
    for (const auto& [port, fd] : taken) close(fd);
  }
};

// One step: a client (by letter) connects, sends a whole head, or is
// expected to read something; "release" frees a place handed over, as the
// daemon does once it has closed the connection; "idle", "body" and
// "busy" put the daemon's side of the connection in that stage, `ago`
// seconds back; "refused": a request coming on it is not started.
struct Step {
  const char* action;
  char client;
  int ago = 0;
};

struct Case {
  const char* name;
  size_t limit;
  std::vector<Step> steps;
};

const Case kCases[] = {
    {"the silent longest gives way",
     2,
     {{"connect", 'a'}, {"connect", 'b'}, {"connect", 'c'}, {"closed", 'a'}, {"head", 'c'},
      {"handed", 'c'}, {"open", 'b'}}},
    {"a connection handed over never gives way",
     2,
     {{"connect", 'a'}, {"head", 'a'}, {"handed", 'a'}, {"connect", 'b'}, {"connect", 'c'},
      {"closed", 'b'}, {"connect", 'd'}, {"closed", 'c'}}},
    {"no one to give way: 503",
     2,
     {{"connect", 'a'}, {"head", 'a'}, {"handed", 'a'}, {"connect", 'b'}, {"head", 'b'},
      {"handed", 'b'}, {"connect", 'c'}, {"head", 'c'}, {"503", 'c'}}},
    {"a place released is taken again",
     2,
     {{"connect", 'a'}, {"head", 'a'}, {"handed", 'a'}, {"connect", 'b'}, {"head", 'b'},
      {"handed", 'b'}, {"release", 'a'}, {"connect", 'c'}, {"head", 'c'}, {"handed", 'c'}}},
    {"the kept-alive connection idle longest gives way, once the daemon has let it go",
     2,
     {{"connect", 'a'}, {"head", 'a'}, {"handed", 'a'}, {"idle", 'a', 5}, {"connect", 'b'},
      {"head", 'b'}, {"handed", 'b'}, {"idle", 'b', 20}, {"connect", 'c'}, {"head", 'c'},
      {"closed", 'b'}, {"refused", 'b'}, {"open", 'c'}, {"release", 'b'}, {"handed", 'c'},
      {"open", 'a'}}},
    {"an idle connection before one silent in the gate",
     2,
     {{"connect", 'a'}, {"head", 'a'}, {"handed", 'a'}, {"idle", 'a', 1}, {"connect", 'b'},
      {"connect", 'c'}, {"closed", 'a'}, {"open", 'b'}, {"release", 'a'}, {"head", 'c'},
      {"handed", 'c'}}},
    {"an idle connection before a body past 30 s",
     2,
     {{"connect", 'a'}, {"head", 'a'}, {"handed", 'a'}, {"body", 'a', 40}, {"connect", 'b'},
      {"head", 'b'}, {"handed", 'b'}, {"idle", 'b', 1}, {"connect", 'c'}, {"head", 'c'},
      {"closed", 'b'}, {"release", 'b'}, {"handed", 'c'}, {"open", 'a'}}},
    {"a body only past its first 30 s, the longest first",
     3,
     {{"connect", 'a'}, {"head", 'a'}, {"handed", 'a'}, {"body", 'a', 29}, {"connect", 'b'},
      {"head", 'b'}, {"handed", 'b'}, {"body", 'b', 31}, {"connect", 'c'}, {"head", 'c'},
      {"handed", 'c'}, {"body", 'c', 45}, {"connect", 'd'}, {"head", 'd'}, {"closed", 'c'},
      {"release", 'c'}, {"handed", 'd'}, {"connect", 'e'}, {"head", 'e'}, {"closed", 'b'},
      {"release", 'b'}, {"handed", 'e'}, {"connect", 'f'}, {"head", 'f'}, {"503", 'f'},
      {"open", 'a'}}},
    {"a page being run or a response being sent never gives way",
     2,
     {{"connect", 'a'}, {"head", 'a'}, {"handed", 'a'}, {"busy", 'a', 3600}, {"connect", 'b'},
      {"head", 'b'}, {"handed", 'b'}, {"body", 'b', 40}, {"busy", 'b', 40}, {"connect", 'c'},
      {"head", 'c'}, {"503", 'c'}, {"open", 'a'}, {"open", 'b'}}},
    {"a place not let go in time: 503",
     1,
     {{"connect", 'a'}, {"head", 'a'}, {"handed", 'a'}, {"idle", 'a', 1}, {"connect", 'b'},
      {"head", 'b'}, {"closed", 'a'}, {"503", 'b'}}},
};

TEST(ConnectionGate, GivesWayWhenFull) {
  for (const Case& test : kCases) {
    SCOPED_TRACE(test.name);
    Daemon daemon;
    ConnectionGate gate(
        [&daemon](int socket, const sockaddr*, socklen_t) {
          daemon.Take(socket);
          return true;
        },
        std::chrono::seconds(30), test.limit, nullptr,
        [&daemon](bool idle) { return daemon.watch.GiveWay(idle, WatchClock::now()); });
    std::string error;
    ASSERT_TRUE(gate.Start("127.0.0.1", 0, &error)) << error;
    std::map<char, int> clients;
    for (const Step& step : test.steps) {
      const std::string action = step.action;
      SCOPED_TRACE(action + " " + step.client);
      int& fd = clients[step.client];
      if (action == "connect") {
        fd = Connect(gate.port());
      } else if (action == "head") {
        const std::string head = "GET / HTTP/1.1\r\nHost: x\r\n\r\n";
        ASSERT_EQ(send(fd, head.data(), head.size(), MSG_NOSIGNAL), ssize_t(head.size()));
      } else if (action == "handed") {
        EXPECT_TRUE(daemon.Took(LocalPort(fd, false)));
      } else if (action == "closed") {
        EXPECT_EQ(Outcome(fd, kWaitMs), "closed");
      } else if (action == "503") {
        EXPECT_EQ(Outcome(fd, kWaitMs), "HTTP/1.1 503");
      } else if (action == "open") {
        EXPECT_EQ(Outcome(fd, 0), "nothing");
      } else if (action == "release") {
        ConnectionWatch::Entry& entry = daemon.EntryOf(LocalPort(fd, false));
        daemon.watch.Remove(&entry);
        gate.Released();
      } else if (action == "refused") {
        EXPECT_FALSE(daemon.EntryOf(LocalPort(fd, false)).Enter(Stage::kBody));
      } else {
        const Stage stage = action == "idle" ? Stage::kIdle
                            : action == "body" ? Stage::kBody
                                               : Stage::kBusy;
        EXPECT_TRUE(daemon.EntryOf(LocalPort(fd, false))
                        .Enter(stage, WatchClock::now() - std::chrono::seconds(step.ago)));
      }
    }
    gate.Stop();
    for (const auto& [name, fd] : clients) close(fd);
  }
}

}  // namespace
}  // namespace zorvadel::serve
