// The request member group: terminal detection and the SQL-injection guard
// (their searches live in terminal.cc and sql_guard.cc), and the small
// members around the request. Every member suppresses its errors step by
// step; a missing context object fails its step like an unset object would.
#include "component/group_calls.h"
#include "component/page_properties.h"
#include "zorvadel/output/request_members.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "output/sql_guard.h"
#include "output/terminal.h"
#include "zorvadel/member_table.h"
#include "zorvadel/need.h"
#include "zorvadel/output/output_members.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

// The value of the request item as text; an item that does not exist reads
// as an empty text.
std::u16string RequestItemText(const PageState& state, const std::u16string& name) {
  return CStr(Need(state.Request).Item(name));
}

std::u16string DoubleQuotes(std::u16string_view text) { return Replace(text, u"'", u"''"); }

// The table's answer for the user agent it was last asked about on this
// thread: members ask the terminal kind again and again within one page, and
// the answer depends on the agent text and the empty-agent rule alone.
const output::TerminalRow* MatchTerminalOnce(const std::u16string& agent,
                                             bool empty_agent_is_unknown) {
  struct LastMatch {
    std::u16string agent;
    bool empty_agent_is_unknown = false;
    const output::TerminalRow* row = nullptr;
    bool valid = false;
  };
  thread_local LastMatch last;
  // Compared as bytes: the agent is long, and this runs several times a page.
  const bool same_agent =
      last.agent.size() == agent.size() &&
      std::memcmp(last.agent.data(), agent.data(), agent.size() * sizeof(char16_t)) == 0;
  if (!last.valid || last.empty_agent_is_unknown != empty_agent_is_unknown || !same_agent) {
    const output::TerminalRow* row = output::MatchTerminal(agent, empty_agent_is_unknown);
    last.valid = false;
    last.agent = agent;
    last.empty_agent_is_unknown = empty_agent_is_unknown;
    last.row = row;
    last.valid = true;
  }
  return last.row;
}

}  // namespace

// ---- Terminal detection ---------------------------------------------------------

std::u16string PageRequestMembers::Displayer() {
  PageState& state = self().state();
  const output::TerminalRow* row = MatchTerminalOnce(state.Terminal, self().family() == Family::kP);
  TakeKeptBuffer<&PageState::DisplayerInfo>(state);
  TakeKeptBuffer<&PageState::DisplayerUA>(state);
  if (row == nullptr) {
    state.DisplayerInfo = output::kUnrecognisedInfo;
    state.DisplayerUA = state.PhoneUserAgent;
    return std::u16string(output::kTerminalPhone);
  }
  state.DisplayerInfo = row->info;
  state.DisplayerUA = row->sample_agent;
  return std::u16string(row->kind);
}

std::u16string PageRequestMembers::PhoneType() const { return {}; }

// ---- SQL-injection guard ----------------------------------------------------------

bool PageRequestMembers::SQLInjection() {
  PageState& state = self().state();
  std::u16string query;
  std::u16string host;
  Step([&] { query = Need(state.Request).ServerVariables(u"QUERY_STRING"); });
  Step([&] { host = Need(state.Request).ServerVariables(u"HTTP_HOST"); });
  std::u16string_view words =
      self().family() == Family::kP ? output::kPhpGuardWords : std::u16string_view(state.SQLInjData);
  int32_t hits = output::CountGuardWords(words, output::GuardHaystack(query, host));
  // One end per word found, as the headers that run the guard expect; a
  // missing response leaves the answer True.
  for (int32_t i = 0; i < hits; ++i) Step([&] { Need(state.Response).End(); });
  return hits > 0;
}

// ---- Request members ----------------------------------------------------------------

std::u16string PageRequestMembers::SubmitText(const std::u16string& to_do_string) {
  std::u16string filtered = self().As<PageOutputMembers>().Ascii(to_do_string);
  std::u16string result;
  Step([&] { result = Need(self().state().Server).URLEncode(filtered); });
  return result;
}

std::u16string PageRequestMembers::SafeRequest(const std::u16string& to_do_string) const {
  std::u16string result;
  Step([&] { result = Trim(DoubleQuotes(RequestItemText(self().state(), to_do_string))); });
  return result;
}

// The references are decoded before the quotes are doubled and the blanks
// trimmed: a quote sent as "&#x27;" must not come back single into a
// statement's literal.
std::u16string PageRequestMembers::RequestText(const std::u16string& to_do_string) {
  std::u16string value;
  if (!Step([&] { value = RequestItemText(self().state(), to_do_string); })) return {};
  return Trim(DoubleQuotes(calls::UtfToGb(self(), value)));
}

// The generator is seeded once per process, on its first draw: reseeding
// from the clock on every call gave calls close together the same number.
int16_t PageRequestMembers::RndNumber(int16_t upper_bound, int16_t lower_bound) const {
  float r = Rnd();
  int32_t difference = int32_t{upper_bound} - lower_bound;
  if (difference < INT16_MIN || difference > INT16_MAX) return 0;
  int32_t span = difference + 1;
  if (span > INT16_MAX) return 0;
  return static_cast<int16_t>(std::floor(span * static_cast<double>(r) + lower_bound));
}

std::u16string PageRequestMembers::GetHostName() const {
  std::u16string host;
  Step([&] { host = Need(self().state().Request).ServerVariables(u"HTTP_HOST"); });
  return host;
}

std::u16string PageRequestMembers::GetDoMain() const {
  std::u16string host = GetHostName();
  size_t dot = host.find(u'.');
  if (dot == std::u16string::npos) return host;
  return host.substr(dot + 1);
}

void PageRequestMembers::Redirect(const std::u16string& go_url) {
  PageState& state = self().state();
  const std::u16string& url = go_url.empty() ? state.WapHomePage : go_url;
  Step([&] { Need(state.Response).Redirect(url); });
}

// ---- Member table -----------------------------------------------------------------

std::vector<MemberInfo> PageRequestMembers::MemberTable(const PageClassTraits& traits) {
  using M = PageRequestMembers;
  ClassBuilder<M> builder(u"");
  builder.Method<&M::Displayer>(u"Displayer")
      .Method<&M::SQLInjection>(u"SQLInjection")
      .Method<&M::SubmitText>(u"SubmitText", {Opt(u"ToDoString")});
  if (traits.family == Family::kW) builder.Method<&M::PhoneType>(u"PhoneType");
  if (traits.family != Family::kP) {
    builder.Method<&M::SafeRequest>(u"SafeRequest", {Opt(u"ToDoString")})
        .Method<&M::RequestText>(u"RequestText", {Opt(u"ToDoString")})
        .Method<&M::RndNumber>(u"RndNumber", {Opt(u"UpperBound", int16_t{100}),
                                              Opt(u"LowerBound", int16_t{1}).ByRef()})
        .Method<&M::GetHostName>(u"GetHostName")
        .Method<&M::GetDoMain>(u"GetDoMain")
        .Method<&M::Redirect>(u"Redirect", {Opt(u"GoUrl")});
  }
  return builder.BuildMembers();
}

}  // namespace zorvadel
