// zorvadel-run: plays one request through the in-memory page engine from a
// JSON page script and prints the response as the host would send it.
//
//   zorvadel-run [--head] FILE.json
//
// The script names a request, optional session values, a site root and a
// list of steps (create, let, call, write, echo). An error that reaches the
// script ends the run with "error NUMBER: DESCRIPTION (step N)" on standard
// error and exit status 1; what was written stays written.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/codepage/codepage.h"
#include "platform/engine/memory_engine.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/engine.h"
#include "zorvadel/runtime.h"
#include "zorvadel/variant.h"

namespace zorvadel {
namespace {

using Json = nlohmann::json;

// A malformed page script (not a script error).
struct UsageError {
  std::string message;
};

std::u16string U16(const std::string& utf8) { return codepage::FromUtf8(utf8); }

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// JSON values as a script's literals: integers that fit 16 bits are
// Integers, then Longs, then Doubles.
Variant ToVariant(const Json& value) {
  switch (value.type()) {
    case Json::value_t::string:
      return Variant(U16(value.get<std::string>()));
    case Json::value_t::boolean:
      return Variant(value.get<bool>());
    case Json::value_t::null:
      return Variant::Null();
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned: {
      if (value.is_number_unsigned() && value.get<uint64_t>() > INT64_MAX) {
        return Variant(value.get<double>());
      }
      int64_t n = value.get<int64_t>();
      if (n >= INT16_MIN && n <= INT16_MAX) return Variant(static_cast<int16_t>(n));
      if (n >= INT32_MIN && n <= INT32_MAX) return Variant(static_cast<int32_t>(n));
      return Variant(static_cast<double>(n));
    }
    case Json::value_t::number_float:
      return Variant(value.get<double>());
    case Json::value_t::object:
      if (value.contains("missing") && value["missing"] == true) return Variant::Missing();
      throw UsageError{"an argument object must be {\"missing\": true}"};
    default:
      throw UsageError{"unsupported JSON value: " + value.dump()};
  }
}

std::string TextOf(const Json& value, const char* what) {
  if (!value.is_string()) throw UsageError{std::string(what) + " must be a string"};
  return value.get<std::string>();
}

void FillRequest(const Json& request, engine::RequestFacts* facts) {
  if (!request.is_object()) throw UsageError{"\"request\" must be an object"};
  for (const auto& [key, value] : request.items()) {
    if (key == "method") {
      facts->method = TextOf(value, "request.method");
    } else if (key == "url") {
      facts->url = TextOf(value, "request.url");
    } else if (key == "host") {
      facts->host = TextOf(value, "request.host");
    } else if (key == "form") {
      facts->form = TextOf(value, "request.form");
    } else if (key == "remote_addr") {
      facts->remote_addr = TextOf(value, "request.remote_addr");
    } else if (key == "local_addr") {
      facts->local_addr = TextOf(value, "request.local_addr");
    } else if (key == "headers" || key == "server_variables") {
      if (!value.is_object()) throw UsageError{"request." + key + " must be an object"};
      auto& list = key == "headers" ? facts->headers : facts->server_variables;
      for (const auto& [name, text] : value.items()) {
        list.emplace_back(name, TextOf(text, "a header value"));
      }
    } else {
      throw UsageError{"unknown request key \"" + key + "\""};
    }
  }
}

// The objects a step can name: the context objects and those it created.
class Scope {
 public:
  explicit Scope(engine::MemoryPage& page) : page_(page) {}

  void Define(const std::string& name, ObjectPtr object) { objects_[Lower(name)] = std::move(object); }

  // Splits "w.A" into the object and the member; "Request" alone is the
  // object with its default member.
  std::pair<ObjectPtr, std::u16string> Resolve(const std::string& target) const {
    size_t dot = target.find('.');
    std::string object = Lower(target.substr(0, dot));
    std::u16string member = dot == std::string::npos ? u"" : U16(target.substr(dot + 1));
    Context& context = page_.context();
    if (object == "request") return {context.GetRequest(), member};
    if (object == "response") return {context.GetResponse(), member};
    if (object == "server") return {context.GetServer(), member};
    if (object == "session") return {context.GetSession(), member};
    if (object == "application") return {context.GetApplication(), member};
    auto it = objects_.find(object);
    if (it == objects_.end() || !it->second) throw ScriptError(424, u"Object required");
    return {it->second, member};
  }

 private:
  engine::MemoryPage& page_;
  std::map<std::string, ObjectPtr> objects_;
};

// Session.KEY and Application.KEY name a value unless KEY is a member.
bool IsValueAccess(const ObjectPtr& object, const std::u16string& member) {
  return !member.empty() &&
         (dynamic_cast<Session*>(object.get()) || dynamic_cast<Application*>(object.get())) &&
         !object->Class().Has(member);
}

std::vector<Variant> Arguments(const Json& step) {
  std::vector<Variant> args;
  if (!step.contains("args")) return args;
  if (!step["args"].is_array()) throw UsageError{"\"args\" must be an array"};
  for (const Json& a : step["args"]) args.push_back(ToVariant(a));
  return args;
}

Variant Read(const ObjectPtr& object, const std::u16string& member, std::vector<Variant> args) {
  if (IsValueAccess(object, member)) {
    return Invoke(*object, u"", {Variant(member)});
  }
  return Invoke(*object, member, std::move(args));
}

void RunStep(const Json& step, Scope& scope, engine::MemoryPage& page) {
  if (!step.is_object()) throw UsageError{"a step must be an object"};
  Context& context = page.context();
  if (step.contains("create")) {
    std::string name = TextOf(step["create"], "create");
    std::string progid = TextOf(step.value("progid", Json()), "progid");
    scope.Define(name, context.GetServer()->CreateObject(U16(progid)));
  } else if (step.contains("let")) {
    auto [object, member] = scope.Resolve(TextOf(step["let"], "let"));
    if (!step.contains("value")) throw UsageError{"\"let\" needs a \"value\""};
    Variant value = ToVariant(step["value"]);
    if (IsValueAccess(object, member)) {
      Invoke(*object, u"", {Variant(member), value}, CallKind::kLet);
    } else {
      std::vector<Variant> args = Arguments(step);
      args.push_back(value);
      Invoke(*object, member, std::move(args), CallKind::kLet);
    }
  } else if (step.contains("call")) {
    auto [object, member] = scope.Resolve(TextOf(step["call"], "call"));
    Read(object, member, Arguments(step));
  } else if (step.contains("write")) {
    auto [object, member] = scope.Resolve(TextOf(step["write"], "write"));
    Variant result = Read(object, member, Arguments(step));
    context.GetResponse()->Write(CStr(result));
  } else if (step.contains("echo")) {
    context.GetResponse()->Write(U16(TextOf(step["echo"], "echo")));
  } else {
    throw UsageError{"unknown step " + step.dump()};
  }
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
    if (script.contains("request")) FillRequest(script["request"], &facts);
    if (script.contains("root")) root = folder / TextOf(script["root"], "root");
    if (script.contains("session")) {
      if (!script["session"].is_object()) throw UsageError{"\"session\" must be an object"};
      for (const auto& [key, value] : script["session"].items()) {
        session->SetValue(U16(key), ToVariant(value));
      }
    }
  } catch (const UsageError& e) {
    std::cerr << "zorvadel-run: " << file.string() << ": " << e.message << "\n";
    return 2;
  }

  engine::MemoryPage page(facts, root.lexically_normal(), session, application);
  Scope scope(page);
  int status = 0;
  size_t index = 0;
  try {
    for (const Json& step : script["steps"]) {
      ++index;
      RunStep(step, scope, page);
    }
  } catch (const ScriptError& e) {
    std::cerr << "error " << e.number() << ": " << codepage::ToUtf8(e.description()) << " (step "
              << index << ")\n";
    status = 1;
  } catch (const UsageError& e) {
    std::cerr << "zorvadel-run: " << file.string() << ": step " << index << ": " << e.message
              << "\n";
    return 2;
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
