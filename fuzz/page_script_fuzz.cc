// The page-script parser and interpreter: the input is a script's text. It
// is parsed with the hosts' depth limit, its excerpt taken, its request and
// session read, and its steps played on a page of the in-memory engine, as
// zorvadel-run does. Steps that would reach the network, the disk or a
// database (mail, files, pictures, data access, the visit counter) are not
// played: their members are fuzzed through their own parsers.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "page_script.h"
#include "zorvadel/memory_page.h"

namespace {

using zorvadel::host::Json;

constexpr std::string_view kUnplayed[] = {"mail", "fso",   "file",  "data",   "sql",
                                          "mdb",  "pic",   "jpeg",  "visit",  "down",
                                          "conn", "oracle", "list", "show",   "command",
                                          "recordset", "smtp", "createobject"};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Whether every name a step gives (targets and ProgIDs) is safe to play.
bool Playable(const Json& steps) {
  for (const Json& step : steps) {
    if (!step.is_object()) continue;
    for (const auto& [key, value] : step.items()) {
      if (!value.is_string()) continue;
      if (key == "echo") continue;
      const std::string name = Lower(value.get<std::string>());
      for (std::string_view word : kUnplayed) {
        if (name.find(word) != std::string::npos) return false;
      }
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Json script;
  try {
    script = zorvadel::host::ParseScript(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const zorvadel::host::ScriptFormatError&) {
    return 0;
  }
  ZORVADEL_FUZZ_CHECK(zorvadel::host::Excerpt(script, 40).size() <= 40 + 3);
  if (!script.is_object() || !script.contains("steps") || !script["steps"].is_array()) return 0;
  zorvadel::engine::RequestFacts facts;
  auto session = std::make_shared<zorvadel::engine::MemorySession>();
  try {
    if (script.contains("request")) zorvadel::host::FillRequestFacts(script["request"], &facts);
    if (script.contains("session")) zorvadel::host::FillSessionValues(script["session"], *session);
  } catch (const zorvadel::host::ScriptFormatError&) {
    return 0;
  }
  if (!Playable(script["steps"])) return 0;
  zorvadel::engine::MemoryPage page(facts, "/nonexistent/zorvadel-fuzz-site", session, nullptr);
  try {
    zorvadel::host::PlaySteps(script["steps"], page);
  } catch (const zorvadel::host::ScriptFormatError&) {
  }
  try {
    page.EndPage();
  } catch (const zorvadel::ScriptError&) {
  }
  page.Body();
  return 0;
}
