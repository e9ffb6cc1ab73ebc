// Page start and page end of the five page classes, and their companions.

#include <algorithm>
#include <string>
#include <string_view>

#include "component/page_properties.h"
#include "platform/ado/ado.h"
#include "runtime/dates.h"
#include "runtime/joined.h"
#include "zorvadel/classes.h"
#include "zorvadel/need.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

std::u16string ServerVariable(const PageState& state, std::u16string_view name) {
  return Need(state.Request).ServerVariables(name);
}

template <typename T>
std::shared_ptr<T> Create(const PageState& state, std::u16string_view progid) {
  auto object = std::dynamic_pointer_cast<T>(Need(state.Server).CreateObject(progid));
  if (!object) throw ScriptError(kErrTypeMismatch);
  return object;
}

std::u16string VersionText(const PageClassTraits& traits) {
  if (traits.family == Family::kP) return u"Zorvadel.PHP";
  return Joined({kLibraryTitle, u".", traits.name, u"(", kVersionText, u")"});
}

std::u16string AboutText(const PageClassTraits& traits) {
  const PageTexts& texts = TextsFor(traits.language);
  return Joined({texts.about_before, kLibraryTitle, texts.about_after});
}

// The visit trail keeps its most recent whole entries ("name[date]<br/>")
// within this many characters: one visitor on one cookie would otherwise
// grow it, and every page start's work on it, without end.
constexpr size_t kVisitTrailLimit = 16 * 1024;
// Room for a few entries past the limit, so that a trail at the limit takes
// the next entry without growing its buffer, and is not given twice the
// room it needs either.
constexpr size_t kVisitTrailRoom = kVisitTrailLimit + 512;

// Adds `entry` to `trail`, then drops the oldest whole entries beyond the
// limit: the first entry end that leaves at most the limit behind it; when
// even the newest entry is longer than the limit, that entry alone. Done in
// place: a returning visitor's trail sits at the limit, and building it anew
// on every page was most of the page's work.
void AppendVisit(std::u16string& trail, std::u16string_view entry) {
  const size_t size = trail.size() + entry.size();
  if (size > trail.capacity()) {
    // A new buffer, as reserve on the old one would double it past the room.
    std::u16string grown;
    grown.reserve(std::max(size, std::min(2 * trail.capacity(), kVisitTrailRoom)));
    grown += trail;
    trail.swap(grown);
  }
  trail += entry;
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
  // SERVER_NAME makes both ThisFileName and WapHomePage, and cannot change
  // between them: it is asked once, and again only when the first asking
  // failed (so that the second step fails the same way).
  std::u16string server_name_text;
  bool has_server_name = false;
  auto server_name = [&]() -> const std::u16string& {
    if (!has_server_name) {
      server_name_text = ServerVariable(s, u"server_name");
      has_server_name = true;
    }
    return server_name_text;
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
        s.ThisFileName =
            Joined({u"http://", server_name(), ServerVariable(s, u"script_name")});
      },
      [&] {
        s.ThisFileAllName = Joined({s.ThisFileName, u"?", ServerVariable(s, u"Query_String")});
      },
      [&] { s.WapPath = Left(s.ThisFileName, InStrRev(s.ThisFileName, u"/")); },
      [&] {
        s.FileName = Right(s.ThisFileName,
                           static_cast<int32_t>(s.ThisFileName.size()) - InStrRev(s.ThisFileName, u"/"));
      },
      [&] {
        s.DiskPath = Need(s.Server).MapPath(s.FileName);
      },
      [&] { s.PhoneIP = ServerVariable(s, u"REMOTE_ADDR"); },
      [&] { s.ServerIP = ServerVariable(s, u"LOCAL_ADDR"); },
      [&] { s.VisitFile = ServerVariable(s, u"HTTP_url"); },
      [&] { s.PhoneAccept = ServerVariable(s, u"HTTP_Accept"); },
      [&] { s.PhoneUserAgent = ServerVariable(s, u"HTTP_USER_AGENT"); },
      [&] { s.Terminal = ServerVariable(s, u"HTTP_User-Agent"); },
      [&] {
        // Built in the query value's own buffer: the number is nearly always
        // empty, and three pieces added up would make three strings.
        Variant query = Need(s.Request).QueryString(u"phonenumber");
        std::u16string number = query.IsString() ? std::move(query.mutable_string()) : CStr(query);
        number += ServerVariable(s, u"HTTP_X_UP_CALLING_LINE_ID");
        number += ServerVariable(s, u"deviceid");
        s.PhoneNumber = std::move(number);
      },
      [&] { s.WapHomePage = Joined({u"http://", server_name(), u"/"}); },
      [&] {
        // The visit trail, changed where the session keeps it. A Null trail
        // reads as "", any other value as its text.
        Session& session = Need(s.Session);
        const std::u16string entry = Joined({s.FileName, u"[", NowText(), u"]<br/>"});
        session.UpdateValue(u"UserVisitHistory", [&entry](Variant& trail) {
          if (!trail.IsString()) trail = Variant(trail.IsNull() ? std::u16string() : CStr(trail));
          AppendVisit(trail.mutable_string(), entry);
        });
      },
      [&] { ApplyPageDefaults(s, family(), language()); },
      [&] {
        s.Version = VersionText(traits());
        s.About = AboutText(traits());
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
