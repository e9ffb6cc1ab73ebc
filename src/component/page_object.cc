// Page start and page end of the five page classes, and their companions.

#include "component/page_properties.h"
#include "platform/ado/ado.h"
#include "zorvadel/classes.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

// Text of a server variable; a missing request raises like a call on an
// unset object would.
std::u16string ServerVariable(const PageState& state, std::u16string_view name) {
  if (!state.Request) throw ScriptError(kErrObjectNotSet);
  return state.Request->ServerVariables(name);
}

template <typename T>
std::shared_ptr<T> Create(const PageState& state, std::u16string_view progid) {
  if (!state.Server) throw ScriptError(kErrObjectNotSet);
  auto object = std::dynamic_pointer_cast<T>(state.Server->CreateObject(progid));
  if (!object) throw ScriptError(kErrTypeMismatch);
  return object;
}

std::u16string VersionText(const PageClassTraits& traits) {
  if (traits.family == Family::kP) return u"Zorvadel.PHP";
  auto number = [](int n) { return CStr(Variant(int32_t{n})); };
  return std::u16string(kLibraryTitle) + u"." + std::u16string(traits.name) + u"(" +
         number(kVersionMajor) + u"." + number(kVersionMinor) + u"." + number(kVersionRevision) +
         u")";
}

std::u16string AboutText(const PageClassTraits& traits) {
  const PageTexts& texts = TextsFor(traits.language);
  return std::u16string(texts.about_before) + std::u16string(kLibraryTitle) +
         std::u16string(texts.about_after);
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
  PageState& s = state_;
  const bool suppress = family() != Family::kP;
  const bool has_encoding = family() != Family::kP;
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
            u"http://" + ServerVariable(s, u"server_name") + ServerVariable(s, u"script_name");
      },
      [&] { s.ThisFileAllName = s.ThisFileName + u"?" + ServerVariable(s, u"Query_String"); },
      [&] { s.WapPath = Left(s.ThisFileName, InStrRev(s.ThisFileName, u"/")); },
      [&] {
        s.FileName = Right(s.ThisFileName,
                           static_cast<int32_t>(s.ThisFileName.size()) - InStrRev(s.ThisFileName, u"/"));
      },
      [&] {
        if (!s.Server) throw ScriptError(kErrObjectNotSet);
        s.DiskPath = s.Server->MapPath(s.FileName);
      },
      [&] { s.PhoneIP = ServerVariable(s, u"REMOTE_ADDR"); },
      [&] { s.ServerIP = ServerVariable(s, u"LOCAL_ADDR"); },
      [&] { s.VisitFile = ServerVariable(s, u"HTTP_url"); },
      [&] { s.PhoneAccept = ServerVariable(s, u"HTTP_Accept"); },
      [&] { s.PhoneUserAgent = ServerVariable(s, u"HTTP_USER_AGENT"); },
      [&] { s.Terminal = ServerVariable(s, u"HTTP_User-Agent"); },
      [&] {
        if (!s.Request) throw ScriptError(kErrObjectNotSet);
        s.PhoneNumber = CStr(s.Request->QueryString(u"phonenumber")) +
                        ServerVariable(s, u"HTTP_X_UP_CALLING_LINE_ID") +
                        ServerVariable(s, u"deviceid");
      },
      [&] { s.WapHomePage = u"http://" + ServerVariable(s, u"server_name") + u"/"; },
      [&] {
        // The visit trail: read, then written back in a second call.
        if (!s.Session) throw ScriptError(kErrObjectNotSet);
        // Joined as text: a Null trail reads as "".
        Variant old_trail = s.Session->Value(u"UserVisitHistory");
        std::u16string trail = old_trail.IsNull() ? std::u16string() : CStr(old_trail);
        s.Session->SetValue(u"UserVisitHistory",
                            Variant(trail + s.FileName + u"[" + CStr(Variant::Date(Now())) + u"]<br/>"));
      },
      [&] { ApplyPageDefaults(s, family(), language()); },
      [&] {
        s.Version = VersionText(traits_);
        s.About = AboutText(traits_);
      });
}

void PageObject::OnEndPage() {
  PageState& s = state_;
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

Common& PageObject::UseCC() {
  if (!state_.CC) state_.CC = std::make_shared<Common>();
  return *state_.CC;
}

WAPXHTML& PageObject::UseWX() {
  if (!state_.WX) state_.WX = std::make_shared<WAPXHTML>();
  return *state_.WX;
}

WAPWML& PageObject::UseWW() {
  if (!state_.WW) state_.WW = std::make_shared<WAPWML>();
  return *state_.WW;
}

}  // namespace zorvadel
