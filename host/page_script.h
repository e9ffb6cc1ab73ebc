// The JSON page script that zorvadel-run plays and zorvadel-serve serves:
// its literal values, its "request" and "session" keys, and the steps that
// drive the page's objects. Both hosts run steps through this one
// interpreter, so a script behaves alike on the command line and over HTTP.
//
// Step forms (each a JSON object):
//   {"create": NAME, "progid": PROGID}     Server.CreateObject, kept as NAME
//   {"let": "OBJ.MEMBER", "value": V, "args": [...]}
//   {"call": "OBJ.MEMBER", "args": [...]}  result dropped
//   {"write": "OBJ.MEMBER", "args": [...]} result written as text
//   {"echo": TEXT}                         literal text written
// OBJ is a created name or one of Request, Response, Server, Session,
// Application; "Session.KEY" and "Application.KEY" name a stored value
// unless KEY is a member of the object.
#ifndef ZORVADEL_HOST_PAGE_SCRIPT_H_
#define ZORVADEL_HOST_PAGE_SCRIPT_H_

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "zorvadel/engine.h"
#include "zorvadel/memory_page.h"
#include "zorvadel/variant.h"

namespace zorvadel::host {

using Json = nlohmann::json;

// A malformed page script: not a run-time error of the page but a fault of
// the file. `step` is the 1-based step at fault, 0 outside the steps.
struct ScriptFormatError {
  std::string message;
  size_t step = 0;
};

// The deepest nesting of objects and arrays a page script may have. A real
// script needs five levels (the script, its steps, a step, its arguments, a
// {"missing": true}); the limit keeps every walk over a script's values
// within a small, fixed stack.
inline constexpr int kMaxScriptDepth = 32;

// Parses the text of a page script. Malformed JSON, and JSON nested deeper
// than kMaxScriptDepth, throw ScriptFormatError; the caller checks the keys.
Json ParseScript(const std::string& text);
Json ParseScript(std::istream& in);

// The top-level keys a page script may hold: its "steps", and the
// "request", "session" and "root" that zorvadel-run plays them with.
// Checks a parsed script and gives its steps. A script that is no object,
// has no "steps" array, or holds any other key throws ScriptFormatError:
// a misspelt key ("requst") would otherwise play as if it were absent.
const Json& ScriptSteps(const Json& script);

// At most about `limit` bytes of the value as compact JSON, "..." marking a
// cut, for error messages: the value may be large or deeply nested, and the
// message is built without recursion.
std::string Excerpt(const Json& value, size_t limit = 80);

// A JSON value as a script literal: a string is a String; an integer is an
// Integer when it fits 16 bits, else a Long, else a Double; a fraction a
// Double; true/false a Boolean; null Null; {"missing": true} an omitted
// argument. Anything else throws ScriptFormatError.
Variant JsonToVariant(const Json& value);

// The "request" object of a script into `facts`; unknown keys and values of
// the wrong type throw ScriptFormatError.
void FillRequestFacts(const Json& request, engine::RequestFacts* facts);

// The "session" object of a script: each key stored as a session value.
void FillSessionValues(const Json& values, Session& session);

// How playing the steps ended.
struct StepsOutcome {
  // The run-time error that ended the steps, and its 1-based step; none when
  // every step ran. What was written before it stays written.
  std::optional<ScriptError> error;
  size_t step = 0;
  // The objects the steps created. The caller keeps them until after page
  // end, as a script's variables hold theirs until the page is over.
  std::vector<ObjectPtr> objects;
};

// The steps of a script made ready to play many times: names split and
// folded, texts and literal arguments converted once, so that a served page
// spends no work on the JSON. A malformed step is kept as its fault and
// raised when the play reaches it, so a prepared script plays exactly as its
// JSON does, steps before the fault included. Immutable once made, but for
// the member each step remembers having found (a CallSite): one prepared
// script may be played by several threads at once.
class PreparedSteps {
 public:
  // Throws ScriptFormatError when `steps` is not a JSON array.
  explicit PreparedSteps(const Json& steps);
  ~PreparedSteps();
  PreparedSteps(PreparedSteps&&) noexcept;
  PreparedSteps& operator=(PreparedSteps&&) noexcept;

  struct Step;

 private:
  friend StepsOutcome PlaySteps(const PreparedSteps& steps, engine::MemoryPage& page);
  std::vector<Step> steps_;
};

// Plays `steps` (a JSON array) against the page. A run-time error ends the
// play and is returned; a malformed step throws ScriptFormatError. Page end
// (OnEndPage) is left to the caller. An unknown ProgID (429) or member
// (438), and the member given the wrong number of arguments (450), is
// named at the end of the error's description, as in
// "Object doesn't support this property or method: 'w.Foo'".
StepsOutcome PlaySteps(const Json& steps, engine::MemoryPage& page);
StepsOutcome PlaySteps(const PreparedSteps& steps, engine::MemoryPage& page);

}  // namespace zorvadel::host

#endif  // ZORVADEL_HOST_PAGE_SCRIPT_H_
