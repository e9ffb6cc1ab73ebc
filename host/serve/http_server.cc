// Requests off the wire into pages and files, responses back.
#include "serve/http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <charconv>
#include <cstdint>
#include <exception>
#include <limits>
#include <iostream>
#include <string_view>
#include <utility>

#include "zorvadel/request_facts.h"
#include "zorvadel/response_result.h"

namespace zorvadel::serve {

namespace {

// One request's state between the calls of the access handler.
struct Exchange {
  std::string raw_target;
  bool started = false;
  bool too_large = false;
  std::string body;
};

bool StartsWithNoCase(std::string_view text, std::string_view head) {
  if (text.size() < head.size()) return false;
  for (size_t i = 0; i < head.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != head[i]) return false;
  }
  return true;
}

// A Content-Length value: digits and nothing else, bar the blanks allowed
// around any field value. False for "12abc", "-1", "+5" or "": taking the
// number such a value starts with would misplace the end of the body. A
// number past 64 bits reads as the largest they hold, over any body limit.
bool ReadContentLength(std::string_view text, uint64_t* length) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  if (std::from_chars(text.data(), text.data() + text.size(), *length).ec != std::errc()) {
    *length = std::numeric_limits<uint64_t>::max();
  }
  return true;
}

// Address and port of a socket address as text.
std::pair<std::string, std::string> AddressText(const sockaddr* address) {
  char text[INET6_ADDRSTRLEN] = "";
  if (address == nullptr) return {"", ""};
  if (address->sa_family == AF_INET) {
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
    inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
    return {text, std::to_string(ntohs(v4->sin_port))};
  }
  if (address->sa_family == AF_INET6) {
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
    inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
    return {text, std::to_string(ntohs(v6->sin6_port))};
  }
  return {"", ""};
}

MHD_Result Queue(MHD_Connection* connection, MHD_Response* response, unsigned status) {
  if (response == nullptr) return MHD_NO;
  MHD_Result queued = MHD_queue_response(connection, status, response);
  MHD_destroy_response(response);
  return queued;
}

MHD_Response* BodyResponse(std::string body) {
  auto* held = new std::string(std::move(body));
  MHD_Response* response = MHD_create_response_from_buffer_with_free_callback_cls(
      held->size(), held->data(), [](void* cls) { delete static_cast<std::string*>(cls); },
      held);
  if (response == nullptr) delete held;
  return response;
}

// A short page for the statuses the server gives of its own.
MHD_Result QueueStatus(MHD_Connection* connection, unsigned status,
                       std::initializer_list<std::pair<const char*, std::string>> headers = {}) {
  std::string reason(engine::StatusText(static_cast<int32_t>(status)));
  std::string body = "<html><head><title>" + std::to_string(status) + " " + reason +
                     "</title></head><body><h1>" + reason + "</h1></body></html>\n";
  MHD_Response* response = BodyResponse(std::move(body));
  if (response == nullptr) return MHD_NO;
  MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "text/html; charset=utf-8");
  for (const auto& [name, value] : headers) MHD_add_response_header(response, name, value.c_str());
  return Queue(connection, response, status);
}

MHD_Result CollectHeader(void* cls, MHD_ValueKind /*kind*/, const char* key, const char* value) {
  auto* headers = static_cast<std::vector<std::pair<std::string, std::string>>*>(cls);
  headers->emplace_back(key, value == nullptr ? "" : value);
  return MHD_YES;
}

}  // namespace

struct Callbacks {
  static MHD_Result Answer(HttpServer& server, MHD_Connection* connection, Exchange& exchange,
                           const char* method, const char* version);
  static MHD_Result SendFile(MHD_Connection* connection, const Route& route);

  static void* UriLog(void* /*cls*/, const char* uri, MHD_Connection* /*connection*/) {
    auto* exchange = new Exchange;
    exchange->raw_target = uri == nullptr ? "" : uri;
    return exchange;
  }

  static void Completed(void* /*cls*/, MHD_Connection* /*connection*/, void** con_cls,
                        MHD_RequestTerminationCode /*code*/) {
    delete static_cast<Exchange*>(*con_cls);
    *con_cls = nullptr;
  }

  // Called first when the head is in (only to accept or refuse the body),
  // then once per piece of the body, then with no data to answer. Answering
  // only then keeps the connection's framing intact for keep-alive.
  static MHD_Result Access(void* cls, MHD_Connection* connection, const char* url,
                           const char* method, const char* version, const char* upload_data,
                           size_t* upload_data_size, void** con_cls) {
    auto* server = static_cast<HttpServer*>(cls);
    auto* exchange = static_cast<Exchange*>(*con_cls);
    if (exchange == nullptr) {  // the URI hook always runs first; stay safe
      exchange = new Exchange;
      exchange->raw_target = url == nullptr ? "" : url;
      *con_cls = exchange;
    }
    const size_t limit = server->options_.max_body;
    if (!exchange->started) {
      exchange->started = true;
      const char* length =
          MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
      if (length != nullptr) {
        uint64_t declared = 0;
        if (!ReadContentLength(length, &declared)) {
          return QueueStatus(connection, MHD_HTTP_BAD_REQUEST);
        }
        if (declared > limit) return QueueStatus(connection, MHD_HTTP_CONTENT_TOO_LARGE);
      }
      return MHD_YES;
    }
    if (*upload_data_size != 0) {
      if (exchange->too_large || exchange->body.size() + *upload_data_size > limit) {
        exchange->too_large = true;
        exchange->body.clear();
      } else {
        exchange->body.append(upload_data, *upload_data_size);
      }
      *upload_data_size = 0;
      return MHD_YES;
    }
    if (exchange->too_large) return QueueStatus(connection, MHD_HTTP_CONTENT_TOO_LARGE);
    try {
      return Answer(*server, connection, *exchange, method, version);
    } catch (const std::exception& e) {
      std::cerr << "zorvadel-serve: " << exchange->raw_target << ": " << e.what() << std::endl;
      return QueueStatus(connection, MHD_HTTP_INTERNAL_SERVER_ERROR);
    } catch (...) {
      return QueueStatus(connection, MHD_HTTP_INTERNAL_SERVER_ERROR);
    }
  }
};

HttpServer::HttpServer(const Site& site, PageRunner& runner, ServerOptions options)
    : site_(site), runner_(runner), options_(std::move(options)) {}

HttpServer::~HttpServer() { Stop(); }

MHD_Result Callbacks::Answer(HttpServer& server, MHD_Connection* connection, Exchange& exchange,
                             const char* method, const char* version) {
  const std::string_view verb = method;
  const bool get = verb == MHD_HTTP_METHOD_GET || verb == MHD_HTTP_METHOD_HEAD;
  if (!get && verb != MHD_HTTP_METHOD_POST) {
    return QueueStatus(connection, MHD_HTTP_METHOD_NOT_ALLOWED, {{"Allow", "GET, HEAD, POST"}});
  }
  const std::string_view target = exchange.raw_target;
  const std::string_view query = engine::TargetQuery(target);
  Route route = server.site_.Resolve(engine::TargetPath(target));
  switch (route.kind) {
    case Route::Kind::kBadRequest:
      return QueueStatus(connection, MHD_HTTP_BAD_REQUEST);
    case Route::Kind::kNotFound:
      return QueueStatus(connection, MHD_HTTP_NOT_FOUND);
    case Route::Kind::kRedirect: {
      std::string location = route.location;
      if (!query.empty()) location += "?" + std::string(query);
      return QueueStatus(connection, MHD_HTTP_MOVED_PERMANENTLY, {{"Location", location}});
    }
    case Route::Kind::kFile:
      if (!get) return QueueStatus(connection, MHD_HTTP_METHOD_NOT_ALLOWED, {{"Allow", "GET, HEAD"}});
      return SendFile(connection, route);
    case Route::Kind::kPage:
    case Route::Kind::kScript:
      break;
  }

  engine::RequestFacts facts;
  facts.method = method;
  facts.url = route.script_name;
  if (target.find('?') != std::string_view::npos) facts.url += "?" + std::string(query);
  MHD_get_connection_values(connection, MHD_HEADER_KIND, &CollectHeader, &facts.headers);

  std::string local_port = std::to_string(server.bound_port_);
  const MHD_ConnectionInfo* client =
      MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
  auto [remote_addr, remote_port] = AddressText(client == nullptr ? nullptr : client->client_addr);
  facts.remote_addr = remote_addr;
  const MHD_ConnectionInfo* socket =
      MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
  if (socket != nullptr) {
    sockaddr_storage local{};
    socklen_t size = sizeof local;
    if (getsockname(socket->connect_fd, reinterpret_cast<sockaddr*>(&local), &size) == 0) {
      auto [address, port] = AddressText(reinterpret_cast<sockaddr*>(&local));
      facts.local_addr = address;
      if (!port.empty()) local_port = port;
    }
  }
  const char* host = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_HOST);
  if (host != nullptr) {
    facts.host = host;
  } else {
    const bool v6 = facts.local_addr.find(':') != std::string::npos;
    facts.host = (v6 ? "[" + facts.local_addr + "]" : facts.local_addr) + ":" + local_port;
  }
  const std::string type = engine::HeaderValue(facts, "Content-Type");
  if (StartsWithNoCase(type, "application/x-www-form-urlencoded")) facts.form = std::move(exchange.body);
  facts.server_variables = {{"SERVER_PORT", local_port},
                            {"SERVER_PROTOCOL", version},
                            {"REMOTE_PORT", remote_port},
                            {"SERVER_SOFTWARE", "zorvadel-serve"}};

  engine::ResponseResult result = server.runner_.Run(route, std::move(facts));
  MHD_Response* response = BodyResponse(std::move(result.body));
  if (response == nullptr) return MHD_NO;
  for (const auto& [name, value] : result.headers) {
    if (MHD_add_response_header(response, name.c_str(), value.c_str()) != MHD_YES) {
      std::cerr << "zorvadel-serve: " << route.script_name << ": header " << name
                << " refused" << std::endl;
    }
  }
  return Queue(connection, response, static_cast<unsigned>(result.status));
}

MHD_Result Callbacks::SendFile(MHD_Connection* connection, const Route& route) {
  int fd = open(route.file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return QueueStatus(connection, MHD_HTTP_NOT_FOUND);
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return QueueStatus(connection, MHD_HTTP_NOT_FOUND);
  }
  MHD_Response* response = MHD_create_response_from_fd64(static_cast<uint64_t>(info.st_size), fd);
  if (response == nullptr) {
    close(fd);
    return MHD_NO;
  }
  MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, route.content_type.c_str());
  return Queue(connection, response, MHD_HTTP_OK);
}

bool HttpServer::Start(std::string* error) {
  std::string address = options_.address;
  if (address == "localhost") address = "127.0.0.1";
  if (address.size() > 2 && address.front() == '[' && address.back() == ']') {
    address = address.substr(1, address.size() - 2);
  }
  sockaddr_storage bind_address{};
  unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_TURBO |
                   MHD_USE_ERROR_LOG;
  auto* v4 = reinterpret_cast<sockaddr_in*>(&bind_address);
  auto* v6 = reinterpret_cast<sockaddr_in6*>(&bind_address);
  if (inet_pton(AF_INET, address.c_str(), &v4->sin_addr) == 1) {
    v4->sin_family = AF_INET;
    v4->sin_port = htons(options_.port);
  } else if (inet_pton(AF_INET6, address.c_str(), &v6->sin6_addr) == 1) {
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(options_.port);
    flags |= MHD_USE_IPv6;
  } else {
    *error = "not an IP address: " + options_.address;
    return false;
  }
  const unsigned threads = options_.threads < 1 ? 1 : options_.threads;
  daemon_ = MHD_start_daemon(
      flags, options_.port, nullptr, nullptr, &Callbacks::Access, this,
      MHD_OPTION_SOCK_ADDR, reinterpret_cast<sockaddr*>(&bind_address),
      MHD_OPTION_THREAD_POOL_SIZE, threads,
      MHD_OPTION_URI_LOG_CALLBACK, &Callbacks::UriLog, nullptr,
      MHD_OPTION_NOTIFY_COMPLETED, &Callbacks::Completed, nullptr,
      MHD_OPTION_CONNECTION_TIMEOUT, options_.idle_timeout_seconds,
      MHD_OPTION_END);
  if (daemon_ == nullptr) {
    *error = "cannot listen on " + options_.address + " port " + std::to_string(options_.port);
    return false;
  }
  const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
  bound_port_ = info != nullptr && info->port != 0 ? info->port : options_.port;
  return true;
}

void HttpServer::Stop() {
  if (daemon_ == nullptr) return;
  MHD_stop_daemon(daemon_);
  daemon_ = nullptr;
}

}  // namespace zorvadel::serve
