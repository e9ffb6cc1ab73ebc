// zorvadel-run: plays one request through the in-memory page engine from a
// JSON page script and prints the response as the host would send it.
//
//   zorvadel-run [--head] FILE.json
//
// The script names a request, optional session values, a site root and a
// list of steps (create, let, call, write, echo). An error that reaches the
// script ends the run with "error NUMBER: DESCRIPTION (step N)" on standard
// error and exit status 1; what was written stays written. A file that
// cannot be read or is no page script, and a bad command line, give a line
// "zorvadel-run: ..." on standard error and exit status 2.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <system_error>

#include "page_script.h"
#include "platform/codepage/codepage.h"
#include "zorvadel/memory_page.h"

namespace zorvadel {
namespace {

using host::Json;
using host::ScriptFormatError;

std::string TextOf(const Json& value, const char* what) {
  if (!value.is_string()) throw ScriptFormatError{std::string(what) + " must be a string"};
  return value.get<std::string>();
}

constexpr char kHelp[] =
    "usage: zorvadel-run [--head] FILE.json\n"
    "\n"
    "Plays the page script FILE.json (one request) through the in-memory page\n"
    "engine and prints the response body as the server would send it.\n"
    "\n"
    "  --head   print the status line and the headers before the body\n"
    "           (default: the body alone)\n"
    "  --help   this text\n"
    "\n"
    "Exit status: 0 when every step ran; 1 when a run-time error ended the\n"
    "script (\"error NUMBER: DESCRIPTION (step N)\" on standard error; what was\n"
    "written before it is printed) or the page failed otherwise (out of\n"
    "memory); 2 for a bad command line, a file that cannot be read, or a file\n"
    "that is no page script.\n";

// The whole file, or false with the reason ("No such file or directory",
// "Is a directory", "Permission denied") in `why`.
bool ReadFile(const std::filesystem::path& file, std::string* text, std::string* why) {
  std::error_code error;
  if (std::filesystem::is_directory(file, error)) {
    *why = std::strerror(EISDIR);
    return false;
  }
  std::FILE* in = std::fopen(file.c_str(), "rb");
  if (in == nullptr) {
    *why = std::strerror(errno);
    return false;
  }
  char buffer[65536];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) text->append(buffer, n);
  const bool failed = std::ferror(in) != 0;
  const int failure = errno;
  std::fclose(in);
  if (failed) {
    *why = std::strerror(failure);
    return false;
  }
  return true;
}

// Names the exception in flight, thrown by something other than the
// script's own errors, with where the page was ("steps", "page end").
void ReportFailure(const char* where) {
  std::string what = "an unknown exception";
  try {
    throw;
  } catch (const std::bad_alloc&) {
    what = "out of memory";
  } catch (const std::exception& e) {
    what = e.what();
  } catch (...) {
  }
  std::cerr << "zorvadel-run: internal error: " << what << " (" << where << ")\n";
}

int Run(bool head, const std::filesystem::path& file) {
  std::string text;
  std::string why;
  if (!ReadFile(file, &text, &why)) {
    std::cerr << "zorvadel-run: cannot read " << file.string() << ": " << why << "\n";
    return 2;
  }
  Json script;
  try {
    script = host::ParseScript(text);
    host::ScriptSteps(script);
  } catch (const ScriptFormatError& e) {
    std::cerr << "zorvadel-run: " << file.string() << ": " << e.message << "\n";
    return 2;
  }

  engine::RequestFacts facts;
  std::filesystem::path folder = std::filesystem::absolute(file).parent_path();
  std::filesystem::path root = folder;
  auto session = std::make_shared<engine::MemorySession>();
  auto application = std::make_shared<engine::MemoryApplication>();
  try {
    if (script.contains("request")) host::FillRequestFacts(script["request"], &facts);
    if (script.contains("root")) root = folder / TextOf(script["root"], "root");
    if (script.contains("session")) host::FillSessionValues(script["session"], *session);
  } catch (const ScriptFormatError& e) {
    std::cerr << "zorvadel-run: " << file.string() << ": " << e.message << "\n";
    return 2;
  }

  engine::MemoryPage page(facts, root.lexically_normal(), session, application);
  int status = 0;
  host::StepsOutcome outcome;
  try {
    outcome = host::PlaySteps(script["steps"], page);
  } catch (const ScriptFormatError& e) {
    std::cerr << "zorvadel-run: " << file.string() << ": step " << e.step << ": " << e.message
              << "\n";
    return 2;
  } catch (...) {
    // Out of memory or a fault of the library: the page is over, but what
    // it wrote and its page end are still the host's to finish.
    ReportFailure("steps");
    status = 1;
  }
  if (outcome.error) {
    std::cerr << "error " << outcome.error->number() << ": "
              << codepage::ToUtf8(outcome.error->description()) << " (step " << outcome.step
              << ")\n";
    status = 1;
  }
  // The page ends either way: objects with page hooks get OnEndPage.
  try {
    page.EndPage();
  } catch (const ScriptError& e) {
    std::cerr << "error " << e.number() << ": " << codepage::ToUtf8(e.description())
              << " (page end)\n";
    status = 1;
  } catch (...) {
    ReportFailure("page end");
    status = 1;
  }

  if (head) std::cout << page.RenderHead();
  std::cout << page.Body();
  std::cout.flush();
  return status;
}

}  // namespace
}  // namespace zorvadel

int main(int argc, char** argv) {
  bool head = false;
  std::filesystem::path file;
  std::string fault;
  for (int i = 1; i < argc && fault.empty(); ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << zorvadel::kHelp;
      return 0;
    } else if (arg == "--head") {
      head = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      fault = "unknown flag " + arg;
    } else if (file.empty()) {
      file = arg;
    } else {
      fault = "one script at a time: " + arg;
    }
  }
  if (fault.empty() && file.empty()) fault = "no script given";
  if (!fault.empty()) {
    std::cerr << "zorvadel-run: " << fault << "\n"
              << "usage: zorvadel-run [--head] FILE.json (zorvadel-run --help tells more)\n";
    return 2;
  }
  try {
    return zorvadel::Run(head, file);
  } catch (...) {
    // Not a fault of the script's own making, but it ended the run all
    // the same.
    zorvadel::ReportFailure("outside the page");
    return 1;
  }
}
