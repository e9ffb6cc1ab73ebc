// The page-script interpreter shared by zorvadel-run and zorvadel-serve.
#include "page_script.h"

#include <algorithm>
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

// Which object a step names: a context object, or one the script created.
enum class Target : uint8_t { kCreated, kRequest, kResponse, kServer, kSession, kApplication };

Target TargetOf(const std::string& lowered) {
  if (lowered == "request") return Target::kRequest;
  if (lowered == "response") return Target::kResponse;
  if (lowered == "server") return Target::kServer;
  if (lowered == "session") return Target::kSession;
  if (lowered == "application") return Target::kApplication;
  return Target::kCreated;
}

std::vector<Variant> Arguments(const Json& step) {
  std::vector<Variant> args;
  if (!step.contains("args")) return args;
  if (!step["args"].is_array()) throw ScriptFormatError{"\"args\" must be an array"};
  for (const Json& a : step["args"]) args.push_back(JsonToVariant(a));
  return args;
}

}  // namespace

// One step, converted. The faults of a malformed step are kept at the point
// of the play where the JSON interpreter would meet them: before anything
// runs, after the target is looked up (a 424 comes first), or, for a let's
// arguments, only when the let sets a member rather than a stored value.
struct PreparedSteps::Step {
  enum class Op : uint8_t { kFault, kCreate, kLet, kCall, kWrite, kEcho };
  Op op = Op::kFault;
  std::optional<ScriptFormatError> fault;       // kFault
  std::optional<ScriptFormatError> late_fault;  // after the lookup
  std::optional<ScriptFormatError> args_fault;  // a let of a member
  // kCreate: the lowered name; kLet, kCall, kWrite: the lowered object name.
  std::string name;
  Target target = Target::kCreated;
  std::u16string member;
  // kCreate: the ProgID; kEcho: the text.
  std::u16string text;
  Variant value;
  std::vector<Variant> args;
  // kLet, kCall, kWrite: the member by name, found once per class.
  std::optional<CallSite> site;
  // The stored-value forms' arguments: the key, then a let's value.
  std::vector<Variant> value_args;
  // What a 429 and a 438 name, as "...: 'w.Foo'".
  std::optional<std::u16string> progid_named;
  std::optional<std::u16string> member_named;
};

namespace {

using Step = PreparedSteps::Step;

// The step forms in the order the interpreter tries them.
void Convert(const Json& step, Step& out) {
  if (!step.is_object()) throw ScriptFormatError{"a step must be an object"};
  auto target = [&](const char* kind) {
    std::string text = TextOf(step[kind], kind);
    size_t dot = text.find('.');
    out.name = Lower(text.substr(0, dot));
    out.target = TargetOf(out.name);
    if (dot != std::string::npos) out.member = U16(text.substr(dot + 1));
  };
  if (step.contains("create")) {
    out.name = Lower(TextOf(step["create"], "create"));
    // Looked up, not copied: a copy of a nested value recurses.
    const auto progid_it = step.find("progid");
    out.text = U16(TextOf(progid_it == step.end() ? Json() : *progid_it, "progid"));
    out.op = Step::Op::kCreate;
  } else if (step.contains("let")) {
    target("let");
    out.op = Step::Op::kLet;
    try {
      if (!step.contains("value")) throw ScriptFormatError{"\"let\" needs a \"value\""};
      out.value = JsonToVariant(step["value"]);
    } catch (const ScriptFormatError& e) {
      out.late_fault = e;
      return;
    }
    out.value_args = {Variant(out.member), out.value};
    out.site.emplace(out.member, CallKind::kLet);
    try {
      out.args = Arguments(step);
      out.args.push_back(out.value);
    } catch (const ScriptFormatError& e) {
      out.args_fault = e;
    }
  } else if (step.contains("call") || step.contains("write")) {
    const bool call = step.contains("call");
    target(call ? "call" : "write");
    out.op = call ? Step::Op::kCall : Step::Op::kWrite;
    try {
      out.args = Arguments(step);
    } catch (const ScriptFormatError& e) {
      out.late_fault = e;
      return;
    }
    out.value_args = {Variant(out.member)};
    out.site.emplace(out.member, CallKind::kMethodOrGet);
  } else if (step.contains("echo")) {
    out.text = U16(TextOf(step["echo"], "echo"));
    out.op = Step::Op::kEcho;
  } else {
    throw ScriptFormatError{"unknown step " + Excerpt(step)};
  }
}

Step Prepare(const Json& step) {
  Step out;
  // The "not found" errors name what was not found, as the scripting
  // runtime does ("...: 'w.Foo'"), and a wrong count of arguments names
  // the member it was given to, so that a typing mistake shows.
  if (step.is_object()) {
    if (step.contains("progid") && step["progid"].is_string()) {
      out.progid_named = U16(step["progid"].get<std::string>());
    }
    for (const char* kind : {"let", "call", "write"}) {
      if (step.contains(kind) && step[kind].is_string()) {
        out.member_named = U16(step[kind].get<std::string>());
        break;
      }
    }
  }
  try {
    Convert(step, out);
  } catch (const ScriptFormatError& e) {
    out.op = Step::Op::kFault;
    out.fault = e;
  }
  return out;
}

// The objects the steps created, by lowered name; a script creates a few.
class Scope {
 public:
  explicit Scope(engine::MemoryPage& page) : page_(page) {}

  void Define(const std::string& name, ObjectPtr object) {
    auto it = Find(name);
    if (it != objects_.end() && it->first == name) {
      it->second = std::move(object);
    } else {
      objects_.emplace(it, name, std::move(object));
    }
  }

  // The page's Response, fetched once: a page writes many times.
  Response& response() {
    if (!response_) response_ = page_.context().GetResponse();
    return *response_;
  }

  std::vector<ObjectPtr> Objects() const {
    std::vector<ObjectPtr> objects;
    for (const auto& [name, object] : objects_) objects.push_back(object);
    return objects;
  }

  // The object a step names. A context object is held in `held` while the
  // step runs; a created one is the scope's own, which no member call can
  // replace, so it is lent without touching its count.
  Object& Resolve(const Step& step, ObjectPtr& held) const {
    Context& context = page_.context();
    switch (step.target) {
      case Target::kRequest: held = context.GetRequest(); return *held;
      case Target::kResponse: held = context.GetResponse(); return *held;
      case Target::kServer: held = context.GetServer(); return *held;
      case Target::kSession: held = context.GetSession(); return *held;
      case Target::kApplication: held = context.GetApplication(); return *held;
      case Target::kCreated: break;
    }
    auto it = Find(step.name);
    if (it == objects_.end() || it->first != step.name || !it->second) {
      throw ScriptError(424, u"Object required");
    }
    return *it->second;
  }

 private:
  using Entry = std::pair<std::string, ObjectPtr>;
  std::vector<Entry>::iterator Find(const std::string& name) {
    return std::lower_bound(objects_.begin(), objects_.end(), name,
                            [](const Entry& e, const std::string& n) { return e.first < n; });
  }
  std::vector<Entry>::const_iterator Find(const std::string& name) const {
    return std::lower_bound(objects_.begin(), objects_.end(), name,
                            [](const Entry& e, const std::string& n) { return e.first < n; });
  }

  engine::MemoryPage& page_;
  std::vector<Entry> objects_;  // sorted by name
  std::shared_ptr<Response> response_;
};

// Session.KEY and Application.KEY name a value unless KEY is a member.
bool IsValueAccess(const Step& step, const Object& object) {
  if (step.member.empty()) return false;
  if (step.target != Target::kSession && step.target != Target::kApplication) return false;
  return !object.Class().Has(step.member);
}

Variant Read(const Step& step, Object& object) {
  if (IsValueAccess(step, object)) return Invoke(object, u"", step.value_args);
  return step.site->Call(object, step.args);
}

void RunStep(const Step& step, Scope& scope, engine::MemoryPage& page) {
  Context& context = page.context();
  switch (step.op) {
    case Step::Op::kFault:
      throw *step.fault;
    case Step::Op::kCreate:
      scope.Define(step.name, context.GetServer()->CreateObject(step.text));
      return;
    case Step::Op::kLet: {
      ObjectPtr held;
      Object& object = scope.Resolve(step, held);
      if (step.late_fault) throw *step.late_fault;
      if (IsValueAccess(step, object)) {
        Invoke(object, u"", step.value_args, CallKind::kLet);
      } else {
        if (step.args_fault) throw *step.args_fault;
        step.site->Call(object, step.args);
      }
      return;
    }
    case Step::Op::kCall:
    case Step::Op::kWrite: {
      ObjectPtr held;
      Object& object = scope.Resolve(step, held);
      if (step.late_fault) throw *step.late_fault;
      Variant result = Read(step, object);
      if (step.op != Step::Op::kWrite) return;
      // A String is its own text: written as it is, not copied first.
      if (result.IsString()) {
        scope.response().Write(result.string());
      } else {
        scope.response().Write(CStr(result));
      }
      return;
    }
    case Step::Op::kEcho:
      scope.response().Write(step.text);
      return;
  }
}

void RunNamedStep(const Step& step, Scope& scope, engine::MemoryPage& page) {
  try {
    RunStep(step, scope, page);
  } catch (const ScriptError& error) {
    const std::optional<std::u16string>* named = nullptr;
    if (error.number() == kErrCannotCreate && step.progid_named) named = &step.progid_named;
    if ((error.number() == kErrNoMember || error.number() == kErrWrongArgs) &&
        step.member_named) {
      named = &step.member_named;
    }
    if (named == nullptr) throw;
    throw ScriptError(error.number(), error.description() + u": '" + **named + u"'");
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

const Json& ScriptSteps(const Json& script) {
  if (!script.is_object()) throw ScriptFormatError{"a script needs \"steps\""};
  for (const auto& [key, value] : script.items()) {
    if (key != "steps" && key != "request" && key != "session" && key != "root") {
      throw ScriptFormatError{"unknown key " + Scalar(Json(key)) +
                              " (a script holds \"steps\", \"request\", \"session\" and "
                              "\"root\")"};
    }
  }
  const auto steps = script.find("steps");
  if (steps == script.end() || !steps->is_array()) {
    throw ScriptFormatError{"a script needs \"steps\""};
  }
  return *steps;
}

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

PreparedSteps::PreparedSteps(const Json& steps) {
  if (!steps.is_array()) throw ScriptFormatError{"a script needs \"steps\""};
  steps_.reserve(steps.size());
  for (const Json& step : steps) steps_.push_back(Prepare(step));
}

PreparedSteps::~PreparedSteps() = default;
PreparedSteps::PreparedSteps(PreparedSteps&&) noexcept = default;
PreparedSteps& PreparedSteps::operator=(PreparedSteps&&) noexcept = default;

namespace {

// Plays the steps that `for_each` hands to its callback, one by one.
template <typename ForEach>
StepsOutcome Play(engine::MemoryPage& page, const ForEach& for_each) {
  Scope scope(page);
  StepsOutcome outcome;
  size_t index = 0;
  try {
    for_each([&](const Step& step) {
      ++index;
      RunNamedStep(step, scope, page);
    });
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

}  // namespace

StepsOutcome PlaySteps(const Json& steps, engine::MemoryPage& page) {
  if (!steps.is_array()) throw ScriptFormatError{"a script needs \"steps\""};
  // Played once: each step is converted as it comes.
  return Play(page, [&](const auto& run) {
    for (const Json& step : steps) run(Prepare(step));
  });
}

StepsOutcome PlaySteps(const PreparedSteps& steps, engine::MemoryPage& page) {
  return Play(page, [&](const auto& run) {
    for (const Step& step : steps.steps_) run(step);
  });
}

}  // namespace zorvadel::host
