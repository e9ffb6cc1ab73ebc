// The command line of zorvadel-serve and of every site binary built on the
// engine: the flags, their defaults, and the help text that lists them.
#ifndef ZORVADEL_HOST_SERVE_COMMAND_LINE_H_
#define ZORVADEL_HOST_SERVE_COMMAND_LINE_H_

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "serve/http_server.h"

namespace zorvadel::serve {

struct EngineFlags {
  ServerOptions server;
  // Empty: the site's default folder (SiteDefaultFolder), else ".".
  std::filesystem::path root;
  size_t session_memory_mb = 0;  // 0: the store's default
  unsigned session_wait_seconds = 30;
  // How long a stop waits for the pages that run.
  unsigned drain_seconds = 10;
  size_t buffer_limit_mb = 64;
  std::string node;  // "": an engine on its own
  bool show_errors = false;
  bool help = false;
};

// Reads `args` (the arguments after the program name) into `flags`, which
// holds the defaults beforehand. A flag takes its value as the next
// argument or after "=" ("--port 80", "--port=80"). False with `error` set
// ("unknown flag --x", "--port needs a value", ...) on a bad command line.
bool ParseEngineFlags(const std::vector<std::string>& args, EngineFlags* flags,
                      std::string* error);

// The --help text: every flag with its meaning and its default as this
// binary has it (`program` is the binary's name, `pages` its number of C++
// pages).
std::string EngineHelp(const std::string& program, const EngineFlags& defaults, size_t pages);

}  // namespace zorvadel::serve

#endif  // ZORVADEL_HOST_SERVE_COMMAND_LINE_H_
