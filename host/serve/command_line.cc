// Flags of the engine's command line.
#include "serve/command_line.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <array>
#include <string_view>

#include "serve/session_store.h"

namespace zorvadel::serve {
namespace {

bool ParseNumber(const std::string& text, unsigned long min, unsigned long max,
                 unsigned long* value) {
  if (text.empty() || text.size() > 10) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  *value = std::stoul(text);
  return *value >= min && *value <= max;
}

// What the server can listen on: an IPv4 or IPv6 address, the latter
// also in brackets, or "localhost".
bool ListenAddress(const std::string& address) {
  in6_addr bytes{};
  if (address.size() > 2 && address.front() == '[' && address.back() == ']') {
    return inet_pton(AF_INET6, address.substr(1, address.size() - 2).c_str(), &bytes) == 1;
  }
  return address == "localhost" || inet_pton(AF_INET, address.c_str(), &bytes) == 1 ||
         inet_pton(AF_INET6, address.c_str(), &bytes) == 1;
}

enum class Flag {
  kRoot, kAddress, kPort, kThreads, kAccessLog, kSessionMemory, kSessionWait, kBufferLimit,
  kDrain, kNode,
  kShowErrors, kHelp
};

struct FlagRow {
  std::string_view name;
  Flag flag;
  bool takes_value;
};

constexpr std::array<FlagRow, 13> kFlags = {{
    {"--root", Flag::kRoot, true},
    {"--address", Flag::kAddress, true},
    {"--port", Flag::kPort, true},
    {"--threads", Flag::kThreads, true},
    {"--access-log", Flag::kAccessLog, true},
    {"--session-memory", Flag::kSessionMemory, true},
    {"--session-wait", Flag::kSessionWait, true},
    {"--buffer-limit", Flag::kBufferLimit, true},
    {"--drain", Flag::kDrain, true},
    {"--node", Flag::kNode, true},
    {"--show-errors", Flag::kShowErrors, false},
    {"--help", Flag::kHelp, false},
    {"-h", Flag::kHelp, false},
}};

}  // namespace

bool ParseEngineFlags(const std::vector<std::string>& args, EngineFlags* flags,
                      std::string* error) {
  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    bool has_value = false;
    if (size_t equals = name.find('='); name.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
      has_value = true;
    }
    const FlagRow* row = nullptr;
    for (const FlagRow& candidate : kFlags) {
      if (candidate.name == name) row = &candidate;
    }
    if (row == nullptr) {
      *error = name.rfind('-', 0) == 0 ? "unknown flag " + name
                                       : "unexpected argument " + name + " (the site folder is given with --root)";
      return false;
    }
    if (!row->takes_value && has_value) {
      *error = name + " takes no value";
      return false;
    }
    if (row->takes_value && !has_value) {
      if (i + 1 >= args.size()) {
        *error = name + " needs a value";
        return false;
      }
      value = args[++i];
    }
    unsigned long number = 0;
    switch (row->flag) {
      case Flag::kRoot:
        if (value.empty()) {
          *error = "--root needs a folder";
          return false;
        }
        flags->root = value;
        break;
      case Flag::kAddress:
        if (!ListenAddress(value)) {
          *error = "--address takes an IPv4 or IPv6 address, not \"" + value + "\"";
          return false;
        }
        flags->server.address = value;
        break;
      case Flag::kPort:
        if (!ParseNumber(value, 0, 65535, &number)) {
          *error = "--port takes a number from 0 to 65535, not \"" + value + "\"";
          return false;
        }
        flags->server.port = static_cast<uint16_t>(number);
        break;
      case Flag::kThreads:
        if (!ParseNumber(value, 1, 1024, &number)) {
          *error = "--threads takes a number from 1 to 1024, not \"" + value + "\"";
          return false;
        }
        flags->server.threads = static_cast<unsigned>(number);
        break;
      case Flag::kAccessLog:
        if (value.empty()) {
          *error = "--access-log needs a file (\"-\" for standard output)";
          return false;
        }
        flags->server.access_log = value;
        break;
      case Flag::kSessionMemory:
        if (!ParseNumber(value, 1, 1024 * 1024, &number)) {
          *error = "--session-memory takes a number of megabytes from 1 to 1048576, not \"" +
                   value + "\"";
          return false;
        }
        flags->session_memory_mb = number;
        break;
      case Flag::kSessionWait:
        if (!ParseNumber(value, 1, 3600, &number)) {
          *error = "--session-wait takes a number of seconds from 1 to 3600, not \"" + value +
                   "\"";
          return false;
        }
        flags->session_wait_seconds = static_cast<unsigned>(number);
        break;
      case Flag::kBufferLimit:
        if (!ParseNumber(value, 1, 4096, &number)) {
          *error = "--buffer-limit takes a number of megabytes from 1 to 4096, not \"" + value +
                   "\"";
          return false;
        }
        flags->buffer_limit_mb = number;
        break;
      case Flag::kDrain:
        if (!ParseNumber(value, 0, 3600, &number)) {
          *error = "--drain takes a number of seconds from 0 to 3600, not \"" + value + "\"";
          return false;
        }
        flags->drain_seconds = static_cast<unsigned>(number);
        break;
      case Flag::kNode:
        if (!SessionStore::ValidNodeName(value)) {
          *error = "--node takes a name of 1 to 32 letters, digits, \"-\" or \"_\", not \"" +
                   value + "\"";
          return false;
        }
        flags->node = value;
        break;
      case Flag::kShowErrors:
        flags->show_errors = true;
        break;
      case Flag::kHelp:
        flags->help = true;
        break;
    }
  }
  return true;
}

std::string EngineHelp(const std::string& program, const EngineFlags& defaults, size_t pages) {
  const std::string root =
      defaults.root.empty() ? "the current folder" : defaults.root.string();
  const std::string memory = std::to_string(
      defaults.session_memory_mb != 0 ? defaults.session_memory_mb : SessionStore::kDefaultMemoryMb);
  std::string text = "usage: " + program + " [FLAG...]\n\n";
  text += "Serves a site folder over HTTP: its page scripts (a request for NAME.asp\n"
          "runs NAME.json), its static files and the C++ pages built into this\n"
          "binary (" + std::to_string(pages) + " here).\n\n";
  text += "  --root FOLDER        the site folder (default: " + root + ")\n";
  text += "  --address ADDRESS    the IPv4 or IPv6 address to listen on (default: " +
          defaults.server.address + ")\n";
  text += "  --port PORT          the port to listen on; 0 takes a free one, named on\n"
          "                       the first line of output (default: " +
          std::to_string(defaults.server.port) + ")\n";
  text += "  --threads N          threads that answer requests (default: " +
          std::to_string(defaults.server.threads) + ", one per core)\n";
  text += "  --access-log FILE    append one line per request to FILE in the common\n"
          "                       log format; \"-\" is standard output (default: no log)\n";
  text += "  --session-memory MB  memory for sessions; when it is full, the sessions\n"
          "                       whose cookie never came back go first, the least\n"
          "                       recently used of them first (default: " + memory + ")\n";
  text += "  --session-wait S     how long a page waits for the earlier pages of its\n"
          "                       session, which run one at a time, before it is\n"
          "                       answered 503 (default: " +
          std::to_string(defaults.session_wait_seconds) + ")\n";
  text += "  --buffer-limit MB    the most a page may write; a page that writes more\n"
          "                       fails with a 500 page (default: " +
          std::to_string(defaults.buffer_limit_mb) + ")\n";
  text += "  --drain S            how long a stop waits for the pages that run; a page\n"
          "                       still running then is cut off (default: " +
          std::to_string(defaults.drain_seconds) + ")\n";
  text += "  --node NAME          this engine's name among several behind a load\n"
          "                       balancer: session ids end in \".NAME\", and a cookie\n"
          "                       of another node names no session here (default: none)\n";
  text += "  --show-errors        put a failing page's error message into its 500 page,\n"
          "                       for development (default: the client gets a plain 500\n"
          "                       page and the message goes to standard error only)\n";
  text += "  --help               this text\n\n";
  text += "A flag's value may also follow an \"=\" (--port=8081).\n"
          "Ctrl-C (SIGINT) or SIGTERM stops the server: it takes no new connection,\n"
          "answers 503 to requests not yet started and gives the pages that run the\n"
          "drain time to end. Exit status: 0 after a stop, 1 when it cannot listen\n"
          "or open the access log, 2 for a bad command line or a site folder that\n"
          "does not exist or cannot be read.\n";
  return text;
}

}  // namespace zorvadel::serve
