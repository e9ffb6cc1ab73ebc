// The page-script interpreter shared by zorvadel-run and zorvadel-serve.
#include "page_script.h"

#include <cctype>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/codepage/codepage.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/runtime.h"

namespace zorvadel::host {
namespace {

std::u16string U16(const std::string& utf8) { return codepage::FromUtf8(utf8); }

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string TextOf(const Json& value, const char* what) {
  if (!value.is_string()) throw ScriptFormatError{std::string(what) + " must be a string"};
  return value.get<std::string>();
}

// The objects a step can name: the context objects and those it created.
class Scope {
 public:
  explicit Scope(engine::MemoryPage& page) : page_(page) {}

  void Define(const std::string& name, ObjectPtr object) {
    objects_[Lower(name)] = std::move(object);
  }

  // Splits "w.A" into the object and the member; "Request" alone is the
  // object with its default member.
  std::vector<ObjectPtr> Objects() const {
    std::vector<ObjectPtr> objects;
    for (const auto& [name, object] : objects_) objects.push_back(object);
    return objects;
  }

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
// The two are known by identity: a cast would cost a walk through every
// base of a page class at every step.
bool IsValueAccess(Context& context, const ObjectPtr& object, const std::u16string& member) {
  if (member.empty()) return false;
  if (object != context.GetSession() && object != context.GetApplication()) return false;
  return !object->Class().Has(member);
}

std::vector<Variant> Arguments(const Json& step) {
  std::vector<Variant> args;
  if (!step.contains("args")) return args;
  if (!step["args"].is_array()) throw ScriptFormatError{"\"args\" must be an array"};
  for (const Json& a : step["args"]) args.push_back(JsonToVariant(a));
  return args;
}

Variant Read(Context& context, const ObjectPtr& object, const std::u16string& member,
             std::vector<Variant> args) {
  if (IsValueAccess(context, object, member)) {
    return Invoke(*object, u"", {Variant(member)});
  }
  return Invoke(*object, member, std::move(args));
}

// The "not found" errors name what was not found, as the scripting runtime
// does ("...: 'w.Foo'"), so that a typing mistake shows in the message.
[[noreturn]] void RethrowNaming(const ScriptError& error, const std::string& name) {
  throw ScriptError(error.number(), error.description() + u": '" + U16(name) + u"'");
}

void RunStep(const Json& step, Scope& scope, engine::MemoryPage& page);

void RunNamedStep(const Json& step, Scope& scope, engine::MemoryPage& page) {
  try {
    RunStep(step, scope, page);
  } catch (const ScriptError& error) {
    if (error.number() == kErrCannotCreate && step.contains("progid") &&
        step["progid"].is_string()) {
      RethrowNaming(error, step["progid"].get<std::string>());
    }
    if (error.number() == kErrNoMember) {
      for (const char* kind : {"let", "call", "write"}) {
        if (step.contains(kind) && step[kind].is_string()) {
          RethrowNaming(error, step[kind].get<std::string>());
        }
      }
    }
    throw;
  }
}

void RunStep(const Json& step, Scope& scope, engine::MemoryPage& page) {
  if (!step.is_object()) throw ScriptFormatError{"a step must be an object"};
  Context& context = page.context();
  if (step.contains("create")) {
    std::string name = TextOf(step["create"], "create");
    // Looked up, not copied: a copy of a nested value recurses.
    const auto progid_it = step.find("progid");
    std::string progid = TextOf(progid_it == step.end() ? Json() : *progid_it, "progid");
    scope.Define(name, context.GetServer()->CreateObject(U16(progid)));
  } else if (step.contains("let")) {
    auto [object, member] = scope.Resolve(TextOf(step["let"], "let"));
    if (!step.contains("value")) throw ScriptFormatError{"\"let\" needs a \"value\""};
    Variant value = JsonToVariant(step["value"]);
    if (IsValueAccess(context, object, member)) {
      Invoke(*object, u"", {Variant(member), value}, CallKind::kLet);
    } else {
      std::vector<Variant> args = Arguments(step);
      args.push_back(value);
      Invoke(*object, member, std::move(args), CallKind::kLet);
    }
  } else if (step.contains("call")) {
    auto [object, member] = scope.Resolve(TextOf(step["call"], "call"));
    Read(context, object, member, Arguments(step));
  } else if (step.contains("write")) {
    auto [object, member] = scope.Resolve(TextOf(step["write"], "write"));
    Variant result = Read(context, object, member, Arguments(step));
    context.GetResponse()->Write(CStr(result));
  } else if (step.contains("echo")) {
    context.GetResponse()->Write(U16(TextOf(step["echo"], "echo")));
  } else {
    throw ScriptFormatError{"unknown step " + Excerpt(step)};
  }
}

// Refuses a container that would open one level past the limit, before the
// parser goes deeper.
bool RefuseDeepNesting(int depth, Json::parse_event_t event, Json&) {
  const bool opens = event == Json::parse_event_t::object_start ||
                     event == Json::parse_event_t::array_start;
  if (opens && depth >= kMaxScriptDepth) {
    throw ScriptFormatError{"nested deeper than " + std::to_string(kMaxScriptDepth) +
                            " levels of objects and arrays"};
  }
  return true;
}

template <typename Input>
Json ParseLimited(Input& input) {
  try {
    return Json::parse(input, RefuseDeepNesting);
  } catch (const Json::exception& e) {
    throw ScriptFormatError{e.what()};
  }
}

std::string Scalar(const Json& value) {
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

Json ParseScript(const std::string& text) { return ParseLimited(text); }
Json ParseScript(std::istream& in) { return ParseLimited(in); }

std::string Excerpt(const Json& value, size_t limit) {
  // An explicit stack of the open containers, each with its next member.
  struct Open {
    const Json* container;
    Json::const_iterator next;
  };
  std::vector<Open> open;
  std::string out;
  const Json* pending = &value;
  while (out.size() <= limit) {
    if (pending != nullptr) {
      if (pending->is_structured()) {
        out += pending->is_object() ? '{' : '[';
        open.push_back({pending, pending->cbegin()});
      } else {
        out += Scalar(*pending);
      }
      pending = nullptr;
    } else if (open.empty()) {
      return out;
    } else if (Open& top = open.back(); top.next == top.container->cend()) {
      out += top.container->is_object() ? '}' : ']';
      open.pop_back();
    } else {
      if (top.next != top.container->cbegin()) out += ',';
      if (top.container->is_object()) out += Scalar(Json(top.next.key())) + ':';
      pending = &*top.next;
      ++top.next;
    }
  }
  // Cut on a character's first byte, so the message stays UTF-8.
  size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
  out.resize(cut);
  return out + "...";
}

Variant JsonToVariant(const Json& value) {
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
      throw ScriptFormatError{"an argument object must be {\"missing\": true}"};
    default:
      throw ScriptFormatError{"unsupported JSON value: " + Excerpt(value)};
  }
}

void FillRequestFacts(const Json& request, engine::RequestFacts* facts) {
  if (!request.is_object()) throw ScriptFormatError{"\"request\" must be an object"};
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
      if (!value.is_object()) {
        throw ScriptFormatError{"request." + key + " must be an object"};
      }
      auto& list = key == "headers" ? facts->headers : facts->server_variables;
      for (const auto& [name, text] : value.items()) {
        list.emplace_back(name, TextOf(text, "a header value"));
      }
    } else {
      throw ScriptFormatError{"unknown request key \"" + key + "\""};
    }
  }
}

void FillSessionValues(const Json& values, Session& session) {
  if (!values.is_object()) throw ScriptFormatError{"\"session\" must be an object"};
  for (const auto& [key, value] : values.items()) {
    session.SetValue(U16(key), JsonToVariant(value));
  }
}

StepsOutcome PlaySteps(const Json& steps, engine::MemoryPage& page) {
  if (!steps.is_array()) throw ScriptFormatError{"a script needs \"steps\""};
  Scope scope(page);
  StepsOutcome outcome;
  size_t index = 0;
  try {
    for (const Json& step : steps) {
      ++index;
      RunNamedStep(step, scope, page);
    }
  } catch (const ScriptError& e) {
    outcome.error = e;
    outcome.step = index;
  } catch (ScriptFormatError& e) {
    e.step = index;
    throw;
  }
  outcome.objects = scope.Objects();
  return outcome;
}

}  // namespace zorvadel::host
