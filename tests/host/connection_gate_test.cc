// Who gives way when every place of the gate is taken.
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
#include <mutex>
#include <string>
#include <vector>

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

// The daemon's side: the sockets handed over, by the client's port.
struct Daemon {
  std::mutex mutex;
  std::condition_variable changed;
  std::map<uint16_t, int> taken;

  bool Took(uint16_t client_port) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::milliseconds(kWaitMs),
                            [&] { return taken.count(client_port) != 0; });
  }
  ~Daemon() {
    for (const auto& [port, fd] : taken) close(fd);
  }
};

// One step: a client (by letter) connects, sends a whole head, or is
// expected to read something; "release" frees a place handed over.
struct Step {
  const char* action;  // "connect", "head", "closed", "503", "handed", "open", "release"
  char client;
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
};

TEST(ConnectionGate, GivesWayWhenFull) {
  for (const Case& test : kCases) {
    SCOPED_TRACE(test.name);
    Daemon daemon;
    ConnectionGate gate(
        [&daemon](int socket, const sockaddr*, socklen_t) {
          std::lock_guard lock(daemon.mutex);
          daemon.taken[LocalPort(socket, true)] = socket;
          daemon.changed.notify_all();
          return true;
        },
        std::chrono::seconds(30), test.limit, nullptr);
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
        gate.Released();
      }
    }
    gate.Stop();
    for (const auto& [name, fd] : clients) close(fd);
  }
}

}  // namespace
}  // namespace zorvadel::serve
