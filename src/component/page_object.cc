// Page start and page end of the five page classes, and their companions.

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "component/page_properties.h"
#include "platform/ado/ado.h"
#include "platform/engine/plain_host.h"
#include "runtime/dates.h"
#include "runtime/joined.h"
#include "zorvadel/classes.h"
#include "zorvadel/need.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

// The server variable `name`, in a buffer of this thread's kept for `Slot`:
// page start only joins these texts into its fields, so the text itself
// need not take an allocation of its own on every page. Page start is the
// only user and never runs inside another's page start (it creates only
// ADO objects), so a buffer is never taken while still in use.
enum class Scratch {
  kHost, kServerName, kServerPort, kScriptName, kQuery, kLineId, kDeviceId, kCount
};

const std::u16string& ServerVariable(const PageState& state, Scratch slot,
                                     std::u16string_view name) {
  thread_local std::u16string buffers[static_cast<size_t>(Scratch::kCount)];
  std::u16string& out = buffers[static_cast<size_t>(slot)];
  Need(state.Request).ServerVariablesInto(name, out);
  return out;
}

template <typename T>
std::shared_ptr<T> Create(const PageState& state, std::u16string_view progid) {
  auto object = std::dynamic_pointer_cast<T>(Need(state.Server).CreateObject(progid));
  if (!object) throw ScriptError(kErrTypeMismatch);
  return object;
}

// Fills `Field` with the server variable `name`, in its kept buffer.
template <std::u16string PageState::*Field>
void FillFromServer(PageState& state, std::u16string_view name) {
  Request& request = Need(state.Request);
  TakeKeptBuffer<Field>(state);
  request.ServerVariablesInto(name, state.*Field);
}

void SetVersion(PageState& state, const PageClassTraits& traits) {
  TakeKeptBuffer<&PageState::Version>(state);
  if (traits.family == Family::kP) {
    state.Version = u"Zorvadel.PHP";
  } else {
    AssignJoined(state.Version, {kLibraryTitle, u".", traits.name, u"(", kVersionText, u")"});
  }
}

void SetAbout(PageState& state, const PageClassTraits& traits) {
  const PageTexts& texts = TextsFor(traits.language);
  TakeKeptBuffer<&PageState::About>(state);
  AssignJoined(state.About, {texts.about_before, kLibraryTitle, texts.about_after});
}

// The visit trail keeps its most recent whole entries ("name[date]<br/>")
// within this many characters: one visitor on one cookie would otherwise
// grow it, and every page start's work on it, without end.
constexpr size_t kVisitTrailLimit = 16 * 1024;
// Room for a few entries past the limit, so that a trail at the limit takes
// the next entry without growing its buffer, and is not given twice the
// room it needs either.
constexpr size_t kVisitTrailRoom = kVisitTrailLimit + 512;

// Adds `entry` (its pieces one after another, not joined into a string of
// their own first) to `trail`, then drops the oldest whole entries beyond
// the limit: the first entry end that leaves at most the limit behind it;
// when even the newest entry is longer than the limit, that entry alone.
// Done in place: a returning visitor's trail sits at the limit, and building
// it anew on every page was most of the page's work.
void AppendVisit(std::u16string& trail, std::initializer_list<std::u16string_view> entry) {
  size_t entry_size = 0;
  for (std::u16string_view piece : entry) entry_size += piece.size();
  const size_t size = trail.size() + entry_size;
  if (size > trail.capacity()) {
    // A new buffer, as reserve on the old one would double it past the room.
    std::u16string grown;
    grown.reserve(std::max(size, std::min(2 * trail.capacity(), kVisitTrailRoom)));
    grown += trail;
    trail.swap(grown);
  }
  for (std::u16string_view piece : entry) trail += piece;
  if (size <= kVisitTrailLimit) return;
  constexpr std::u16string_view kEnd = u"<br/>";
  const size_t excess = size - kVisitTrailLimit;
  size_t end = trail.find(kEnd, excess > kEnd.size() ? excess - kEnd.size() : 0);
  if (end == std::u16string::npos || end + kEnd.size() >= size) {
    end = trail.rfind(kEnd, size - kEnd.size() - 1);
    if (end == std::u16string::npos) return;
  }
  trail.erase(0, end + kEnd.size());
}

// `name`, and ":" with `port` unless that names no port or port 80 (a
// client leaves 80 out of its own addresses). `written`, when it holds
// exactly that text, is returned as it is, so that the common Host takes
// no joining.
std::u16string_view WithPort(std::u16string_view name, int32_t port,
                             std::u16string_view written = {}) {
  if (port <= 0 || port == 80) return name;
  char16_t digits[5];
  size_t count = 0;
  for (int32_t rest = port; rest > 0; rest /= 10) {
    digits[count++] = static_cast<char16_t>(u'0' + rest % 10);
  }
  std::reverse(digits, digits + count);
  const std::u16string_view port_text(digits, count);
  if (written.size() == name.size() + 1 + count && written.substr(name.size() + 1) == port_text) {
    return written;
  }
  thread_local std::u16string authority;
  AssignJoined(authority, {name, u":", port_text});
  return authority;
}

// The host and port the page's own address names: the client's Host
// header when it is a plain name or address with a port a client can use
// (so the page's links lead back to the port the client used, also behind
// a proxy that passes the Host on), else the server's name with its port.
// The port is written without leading zeros.
std::u16string_view OwnAuthority(const PageState& state) {
  const std::u16string& host = ServerVariable(state, Scratch::kHost, u"HTTP_HOST");
  const std::u16string_view whole = host;
  const size_t name_size = engine::PlainHostNameSize(whole);
  if (name_size != std::u16string_view::npos) {
    const std::u16string_view port =
        whole.size() > name_size ? whole.substr(name_size + 1) : std::u16string_view();
    return WithPort(whole.substr(0, name_size), engine::HostPortNumber(port), whole);
  }
  const std::u16string& name = ServerVariable(state, Scratch::kServerName, u"server_name");
  const std::u16string& port = ServerVariable(state, Scratch::kServerPort, u"server_port");
  return WithPort(name, engine::HostPortNumber(std::u16string_view(port)));
}

// Runs the hook's steps in order: each with errors suppressed, or (PHPXML)
// stopping at the first error, which then reaches the page engine.
template <typename... Steps>
void RunSteps(bool suppress, Steps&&... steps) {
  auto run = [suppress](auto& step) {
    if (suppress) {
      Step(step);
    } else {
      step();
    }
  };
  (run(steps), ...);
}

}  // namespace

void PageObject::OnStartPage(const std::shared_ptr<Context>& context) {
  PageState& s = state();
  const bool suppress = family() != Family::kP;
  const bool has_encoding = family() != Family::kP;
  // The host and port make both ThisFileName and WapHomePage, and cannot
  // change between them: they are asked once, and again only when the first
  // asking failed (so that the second step fails the same way).
  std::optional<std::u16string_view> authority_text;
  auto authority = [&]() -> std::u16string_view {
    if (!authority_text) authority_text = OwnAuthority(s);
    return *authority_text;
  };
  RunSteps(suppress,
      [&] { s.Response = context->GetResponse(); },
      [&] { s.Request = context->GetRequest(); },
      [&] { s.Server = context->GetServer(); },
      [&] { s.Application = context->GetApplication(); },
      [&] { s.Session = context->GetSession(); },
      [&] { s.Conn = Create<ado::Connection>(s, u"Adodb.Connection"); },
      [&] { s.Command = Create<ado::Command>(s, u"Adodb.Command"); },
      [&] {
        if (has_encoding) s.WapEnCoding = u"utf-8";
      },
      [&] {
        const std::u16string_view server = authority();
        const std::u16string& script = ServerVariable(s, Scratch::kScriptName, u"script_name");
        TakeKeptBuffer<&PageState::ThisFileName>(s);
        AssignJoined(s.ThisFileName, {u"http://", server, script});
      },
      [&] {
        const std::u16string& query = ServerVariable(s, Scratch::kQuery, u"Query_String");
        TakeKeptBuffer<&PageState::ThisFileAllName>(s);
        AssignJoined(s.ThisFileAllName, {s.ThisFileName, u"?", query});
      },
      [&] {
        // Left(ThisFileName, InStrRev(ThisFileName, "/")), in place.
        const std::u16string_view name = s.ThisFileName;
        TakeKeptBuffer<&PageState::WapPath>(s);
        s.WapPath.assign(name.substr(0, InStrRev(name, u"/")));
      },
      [&] {
        // Right(ThisFileName, Len(ThisFileName) - InStrRev(ThisFileName, "/")).
        const std::u16string_view name = s.ThisFileName;
        TakeKeptBuffer<&PageState::FileName>(s);
        s.FileName.assign(name.substr(InStrRev(name, u"/")));
      },
      [&] {
        s.DiskPath = Need(s.Server).MapPath(s.FileName);
      },
      [&] { FillFromServer<&PageState::PhoneIP>(s, u"REMOTE_ADDR"); },
      [&] { FillFromServer<&PageState::ServerIP>(s, u"LOCAL_ADDR"); },
      [&] { FillFromServer<&PageState::VisitFile>(s, u"HTTP_url"); },
      [&] { FillFromServer<&PageState::PhoneAccept>(s, u"HTTP_Accept"); },
      [&] { FillFromServer<&PageState::PhoneUserAgent>(s, u"HTTP_USER_AGENT"); },
      [&] { FillFromServer<&PageState::Terminal>(s, u"HTTP_User-Agent"); },
      [&] {
        // The query's phonenumber, then the two variables; each nearly
        // always empty, so only the joined text takes a buffer.
        Variant query = Need(s.Request).QueryString(u"phonenumber");
        if (!query.IsString()) query = Variant(CStr(query));
        const std::u16string& line =
            ServerVariable(s, Scratch::kLineId, u"HTTP_X_UP_CALLING_LINE_ID");
        const std::u16string& device = ServerVariable(s, Scratch::kDeviceId, u"deviceid");
        TakeKeptBuffer<&PageState::PhoneNumber>(s);
        AssignJoined(s.PhoneNumber, {query.string(), line, device});
      },
      [&] {
        const std::u16string_view server = authority();
        TakeKeptBuffer<&PageState::WapHomePage>(s);
        AssignJoined(s.WapHomePage, {u"http://", server, u"/"});
      },
      [&] {
        // The visit trail, changed where the session keeps it. A Null trail
        // reads as "", any other value as its text.
        Session& session = Need(s.Session);
        const std::u16string_view file = s.FileName;
        const std::u16string_view now = NowText();
        // Captured by reference: two references fit std::function's own
        // room, two views would take an allocation.
        session.UpdateValue(u"UserVisitHistory", [&file, &now](Variant& trail) {
          if (!trail.IsString()) trail = Variant(trail.IsNull() ? std::u16string() : CStr(trail));
          AppendVisit(trail.mutable_string(), {file, u"[", now, u"]<br/>"});
        });
      },
      [&] { ApplyPageDefaults(s, family(), language()); },
      [&] {
        SetVersion(s, traits());
        SetAbout(s, traits());
      });
}

void PageObject::OnEndPage() {
  PageState& s = state();
  s.Response.reset();
  s.Request.reset();
  s.Server.reset();
  s.Application.reset();
  s.Session.reset();
  s.Conn.reset();  // released, not closed
  // PHPXML keeps its command until the object itself goes.
  if (family() != Family::kP) s.Command.reset();
  std::shared_ptr<ado::Recordset>* slots[] = {&s.Rs, &s.Rs1, &s.Rs2, &s.Rs3, &s.Rs4, &s.Rs5};
  const size_t count = family() == Family::kP ? 3 : 6;
  for (size_t i = 0; i < count; ++i) {
    std::shared_ptr<ado::Recordset>& slot = *slots[i];
    // An unset slot has nothing to close (the close would only fail).
    if (slot) Step([&] { slot->Close(); });
    slot.reset();
  }
}

Common& PageCore::UseCC() {
  if (!state().CC) state().CC = std::make_shared<Common>();
  return *state().CC;
}

WAPXHTML& PageCore::UseWX() {
  if (!state().WX) state().WX = std::make_shared<WAPXHTML>();
  return *state().WX;
}

WAPWML& PageCore::UseWW() {
  if (!state().WW) state().WW = std::make_shared<WAPWML>();
  return *state().WW;
}

}  // namespace zorvadel
