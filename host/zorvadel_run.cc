// zorvadel-run: plays one request through the in-memory page engine from a
// JSON page script and prints the response as the host would send it.
//
//   zorvadel-run [--head] FILE.json
//
// The script names a request, optional session values, a site root and a
// list of steps (create, let, call, write, echo). An error that reaches the
// script ends the run with "error NUMBER: DESCRIPTION (step N)" on standard
// error and exit status 1; what was written stays written.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

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

int Run(bool head, const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::cerr << "zorvadel-run: cannot read " << file.string() << "\n";
    return 2;
  }
  Json script;
  try {
    script = Json::parse(in);
  } catch (const Json::exception& e) {
    std::cerr << "zorvadel-run: " << file.string() << ": " << e.what() << "\n";
    return 2;
  }
  if (!script.is_object() || !script.contains("steps") || !script["steps"].is_array()) {
    std::cerr << "zorvadel-run: " << file.string() << ": a script needs \"steps\"\n";
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
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--head") {
      head = true;
    } else if (file.empty()) {
      file = arg;
    } else {
      file.clear();
      break;
    }
  }
  if (file.empty()) {
    std::cerr << "usage: zorvadel-run [--head] FILE.json\n";
    return 2;
  }
  return zorvadel::Run(head, file);
}
