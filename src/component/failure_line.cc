#include "component/failure_line.h"

#include <string>
#include <string_view>

#include "platform/ado/connection_string.h"
#include "platform/codepage/codepage.h"
#include "platform/log/error_log.h"
#include "zorvadel/need.h"
#include "zorvadel/runtime.h"

namespace zorvadel::failure {
namespace {

thread_local const char* current_member = nullptr;

// The keys that say where a connection goes. Anything else (uid, pwd,
// password, a driver's own options) may hold what the log must not show.
constexpr std::u16string_view kPlaceKeys[] = {u"driver", u"dsn",  u"server",   u"host",
                                              u"socket", u"port", u"database", u"dbq"};

// Long statements are cut: the reason after them matters more than their
// end, and the error log cuts the whole line at 2,000 bytes.
constexpr size_t kMostStatementUnits = 300;

bool IsPlaceKey(std::u16string_view key) {
  for (std::u16string_view place : kPlaceKeys) {
    if (ado::SameKey(key, place)) return true;
  }
  return false;
}

bool IsControl(char16_t c) { return c < u' ' || c == u'\x7f'; }

// `text` as one line: each run of control characters becomes one blank.
void AppendOneLine(std::u16string_view text, std::u16string* out) {
  bool in_run = false;
  for (char16_t c : text) {
    if (IsControl(c)) {
      if (!in_run) out->push_back(u' ');
      in_run = true;
    } else {
      out->push_back(c);
      in_run = false;
    }
  }
}

}  // namespace

MemberScope::MemberScope(const char* member) : outer_(current_member) {
  if (current_member == nullptr) current_member = member;
}

MemberScope::~MemberScope() { current_member = outer_; }

std::string_view CurrentMember() {
  return current_member == nullptr ? std::string_view() : std::string_view(current_member);
}

std::u16string WhereTo(std::u16string_view connection_string) {
  std::u16string out;
  for (const ado::ConnectionPair& pair : ado::ParseConnectionString(connection_string)) {
    if (pair.value.empty() || !IsPlaceKey(pair.key)) continue;
    if (!out.empty()) out += u';';
    out += pair.key + u'=' + pair.value;
  }
  return out.empty() ? u"(no server named)" : out;
}

std::u16string Shortened(std::u16string_view statement) {
  if (statement.size() <= kMostStatementUnits) return std::u16string(statement);
  size_t end = kMostStatementUnits;
  // A surrogate pair stays whole or goes whole.
  if (statement[end - 1] >= 0xD800 && statement[end - 1] <= 0xDBFF) --end;
  return std::u16string(statement.substr(0, end)) + u"...";
}

std::string Compose(std::u16string_view page, std::string_view member, std::u16string_view what,
                    std::u16string_view why) {
  std::u16string line = u"zorvadel: ";
  if (!page.empty()) {
    AppendOneLine(page, &line);
    line += u": ";
  }
  if (!member.empty()) {
    AppendOneLine(codepage::FromUtf8(member), &line);
    line += u": ";
  }
  AppendOneLine(what, &line);
  line += u": ";
  AppendOneLine(why.empty() ? std::u16string_view(u"no reason given") : why, &line);
  return codepage::ToUtf8(line);
}

void Tell(PageState& state, std::u16string_view what, std::u16string_view why) {
  std::u16string page;
  Step([&] { page = Need(state.Request).ServerVariables(u"URL"); });
  log::Line(Compose(page, CurrentMember(), what, why));
}

}  // namespace zorvadel::failure
