// libmicrohttpd behind the server's WireTap, fed through a socket pair.
#include "fuzz/wire_rig.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "serve/http_text.h"
#include "serve/request_framing.h"
#include "serve/wire_framer.h"

namespace zorvadel::fuzz {
namespace {

namespace serve = zorvadel::serve;

// One connection at a time: the one being read.
struct Run {
  serve::WireTap* tap = nullptr;
  DaemonRead* read = nullptr;
  uint64_t most_body = 0;
  uint64_t requests = 0;
  bool closed = false;
};
Run* current = nullptr;

struct Request {
  uint64_t number = 0;
  uint64_t body = 0;
  bool answered = false;
};

MHD_Result ReadFraming(void* cls, MHD_ValueKind /*kind*/, const char* key, const char* value) {
  static_cast<serve::RequestFraming*>(cls)->Field(serve::ShownName(key == nullptr ? "" : key),
                                                  serve::TrimBlanks(value == nullptr ? "" : value));
  return MHD_YES;
}

MHD_Result Answer(MHD_Connection* connection, Request& request, unsigned status) {
  MHD_Response* response = MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT);
  if (response == nullptr) return MHD_NO;
  if (status != MHD_HTTP_OK) {
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    ++current->read->refusals;
  }
  const MHD_Result queued = MHD_queue_response(connection, status, response);
  MHD_destroy_response(response);
  if (queued == MHD_YES) ++current->read->answers;
  request.answered = true;
  return queued;
}

MHD_Result Access(void* /*cls*/, MHD_Connection* connection, const char* /*url*/,
                  const char* /*method*/, const char* version, const char* /*upload_data*/,
                  size_t* upload_data_size, void** con_cls) {
  auto* request = static_cast<Request*>(*con_cls);
  if (request == nullptr) {
    request = new Request;
    request->number = ++current->requests;
    *con_cls = request;
    const char* close = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Connection");
    current->read->last_closes =
        std::string_view(version) != MHD_HTTP_VERSION_1_1 ||
        (close != nullptr && serve::StartsWithNoCase(serve::TrimBlanks(close), "close"));
    if (const int refused = current->tap->RefusalOf(request->number)) {
      return Answer(connection, *request, static_cast<unsigned>(refused));
    }
    serve::RequestFraming framing;
    MHD_get_connection_values(connection, MHD_HEADER_KIND, &ReadFraming, &framing);
    if (const int refusal = framing.Refusal(current->most_body)) {
      return Answer(connection, *request, static_cast<unsigned>(refusal));
    }
    return MHD_YES;
  }
  if (request->answered) {
    *upload_data_size = 0;
    return MHD_YES;
  }
  if (*upload_data_size != 0) {
    request->body += *upload_data_size;
    *upload_data_size = 0;
    return MHD_YES;
  }
  if (const int refused = current->tap->RefusalOf(request->number)) {
    return Answer(connection, *request, static_cast<unsigned>(refused));
  }
  current->read->bodies.push_back(request->body);
  return Answer(connection, *request, MHD_HTTP_OK);
}

void Completed(void* /*cls*/, MHD_Connection* /*connection*/, void** con_cls,
               MHD_RequestTerminationCode /*code*/) {
  delete static_cast<Request*>(*con_cls);
  *con_cls = nullptr;
}

void Connected(void* /*cls*/, MHD_Connection* connection, void** /*socket_context*/,
               MHD_ConnectionNotificationCode code) {
  if (code != MHD_CONNECTION_NOTIFY_CLOSED) return;
  // Before the daemon closes the descriptor, whose number comes again.
  const MHD_ConnectionInfo* info =
      MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
  if (info != nullptr) serve::Unwatch(info->connect_fd);
  if (current != nullptr) current->closed = true;
}

MHD_Daemon* TheDaemon() {
  static MHD_Daemon* const daemon = [] {
    MHD_Daemon* started = MHD_start_daemon(
        MHD_USE_NO_LISTEN_SOCKET, 0, nullptr, nullptr, &Access, nullptr,
        MHD_OPTION_NOTIFY_COMPLETED, &Completed, nullptr, MHD_OPTION_NOTIFY_CONNECTION,
        &Connected, nullptr, MHD_OPTION_END);
    if (started == nullptr) std::abort();
    return started;
  }();
  return daemon;
}

// Runs the daemon until neither side moves: nothing more read by the
// daemon nor by the client.
void Settle(MHD_Daemon* daemon, int client, int server, std::string& got) {
  int still = 0;
  int queued = -1;
  for (int round = 0; round < 100000 && still < 4; ++round) {
    MHD_run(daemon);
    bool moved = false;
    char buffer[16384];
    for (;;) {
      const ssize_t n = recv(client, buffer, sizeof buffer, MSG_DONTWAIT);
      if (n <= 0) break;
      got.append(buffer, static_cast<size_t>(n));
      moved = true;
    }
    int waiting = 0;
    if (!current->closed && ioctl(server, FIONREAD, &waiting) == 0 && waiting != queued) {
      queued = waiting;
      moved = true;
    }
    still = moved ? 0 : still + 1;
  }
}

size_t StatusLines(std::string_view got) {
  size_t count = 0;
  for (size_t at = got.find("HTTP/1."); at != std::string_view::npos;
       at = got.find("HTTP/1.", at + 1)) {
    if (got.substr(at + 8, 5) != " 100 ") ++count;
  }
  return count;
}

}  // namespace

DaemonRead ReadThroughDaemon(std::string_view bytes, size_t piece, uint64_t most_body) {
  MHD_Daemon* const daemon = TheDaemon();
  DaemonRead read;
  serve::WireTap tap(most_body);
  Run run;
  run.tap = &tap;
  run.read = &read;
  run.most_body = most_body;
  current = &run;

  // A socket pair: what one end sends the other can read at once, with no
  // delay of TCP's. The address is the daemon's to keep, not to reach.
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) std::abort();
  const int client = ends[0];
  const int server = ends[1];
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  serve::Watch(server, &tap);
  if (MHD_add_connection(daemon, server, reinterpret_cast<sockaddr*>(&peer), sizeof peer) !=
      MHD_YES) {
    std::abort();
  }
  std::string got;
  piece = std::max<size_t>(piece, 1);
  for (size_t at = 0; at < bytes.size() && !run.closed; at += piece) {
    const std::string_view part = bytes.substr(at, piece);
    // What the daemon no longer reads is not sent.
    [[maybe_unused]] const ssize_t sent =
        send(client, part.data(), part.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    Settle(daemon, client, server, got);
  }
  read.status_lines = StatusLines(got);
  close(client);
  for (int round = 0; round < 100000 && !run.closed; ++round) MHD_run(daemon);
  current = nullptr;
  if (!run.closed) std::abort();
  return read;
}

}  // namespace zorvadel::fuzz
