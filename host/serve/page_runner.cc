// One page through the in-memory engine, with the visitor's session.
#include "serve/page_runner.h"

#include <exception>
#include <functional>
#include <iostream>
#include <optional>
#include <string_view>
#include <utility>

#include "page_script.h"
#include "serve/status_page.h"
#include "platform/codepage/codepage.h"

namespace zorvadel::serve {
namespace {

std::string ErrorText(const ScriptError& error) {
  return "error " + std::to_string(error.number()) + ": " + codepage::ToUtf8(error.description());
}

void Log(const std::string& name, const engine::RequestFacts& facts, const std::string& text) {
  // One write per line, so lines of two pages do not interleave.
  std::string line = name + ": " + std::string(engine::TargetPath(facts.url)) + ": " + text + "\n";
  std::cerr << line << std::flush;
}

bool IsCookieHeader(std::string_view name) {
  constexpr std::string_view kCookie = "cookie";
  if (name.size() != kCookie.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    // ASCII letters alone: no other byte lowers into one.
    const char c = name[i] >= 'A' && name[i] <= 'Z' ? static_cast<char>(name[i] + 32) : name[i];
    if (c != kCookie[i]) return false;
  }
  return true;
}

// Blanks around a cookie pair, as the cookie parse drops them.
std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string SessionCookie(const std::string& id) {
  constexpr std::string_view kAttributes = "; Path=/; HttpOnly";
  // Made in place: joining with "+" makes a string for each step.
  std::string cookie;
  cookie.reserve(SessionStore::kCookieName.size() + 1 + id.size() + kAttributes.size());
  cookie.append(SessionStore::kCookieName).append("=").append(id).append(kAttributes);
  return cookie;
}

PageRunner::PageRunner(const Site& site, SessionStore& sessions, RunnerOptions options)
    : site_(site),
      sessions_(sessions),
      application_(std::make_shared<engine::MemoryApplication>()),
      options_(std::move(options)) {}

PageRunner::Visit PageRunner::Begin(const engine::RequestFacts& facts) {
  const Clock::time_point now = Clock::now();
  // A session id is plain hex: the Cookie headers are read where they lie,
  // in one pass, and only when a header needs decoding ("%", "+") are they
  // all read again by the parse that decodes, which copies every pair. The
  // plain headers before it hold the same pairs either way.
  for (const auto& [name, value] : facts.headers) {
    if (!IsCookieHeader(name)) continue;
    if (value.find_first_of("%+") != std::string::npos) return BeginDecoded(facts, now);
    std::string_view rest = value;
    while (!rest.empty()) {
      const size_t semi = rest.find(';');
      std::string_view piece = Trimmed(rest.substr(0, semi));
      rest = semi == std::string_view::npos ? std::string_view() : rest.substr(semi + 1);
      const size_t eq = piece.find('=');
      if (eq == std::string_view::npos || piece.substr(0, eq) != SessionStore::kCookieName) {
        continue;
      }
      if (std::shared_ptr<ServedSession> session = sessions_.Find(piece.substr(eq + 1), now)) {
        const std::string_view id = session->id();
        return {id, std::move(session)};
      }
    }
  }
  return {"", std::make_shared<ServedSession>(now)};
}

PageRunner::Visit PageRunner::BeginDecoded(const engine::RequestFacts& facts,
                                           Clock::time_point now) {
  // A browser may send the cookie twice (a stale one from another path);
  // the first that names a live session wins.
  for (const engine::RawPair& pair : engine::ParseCookieHeader(engine::CookieHeader(facts))) {
    if (pair.key != SessionStore::kCookieName) continue;
    if (std::shared_ptr<ServedSession> session = sessions_.Find(pair.value, now)) {
      const std::string_view id = session->id();
      return {id, std::move(session)};
    }
  }
  return {"", std::make_shared<ServedSession>(now)};
}

engine::ResponseResult PageRunner::Busy(const engine::RequestFacts& facts) const {
  Log(options_.name, facts, "the earlier pages of its session took too long; answered 503");
  return StatusPage(503, AcceptsOnlyWml(engine::HeaderValue(facts, "Accept")));
}

engine::ResponseResult PageRunner::Run(const Route& route, engine::RequestFacts facts) {
  Visit visit = Begin(facts);
  if (!visit.id.empty() && !visit.session->AwaitTurn(Clock::now() + options_.session_wait)) {
    return Busy(facts);
  }
  return RunVisit(route, std::move(facts), std::move(visit));
}

engine::ResponseResult PageRunner::RunVisit(const Route& route, engine::RequestFacts facts,
                                            Visit visit) {
  const bool known = !visit.id.empty();
  std::shared_ptr<ServedSession>& session = visit.session;
  struct TurnEnd {
    ServedSession* session;
    ~TurnEnd() {
      if (session != nullptr) session->EndTurn();
    }
  } turn_end{known ? session.get() : nullptr};
  engine::ResponseResult result;
  {
    // The facts move into the page; an error below reads them back from it.
    // The site's root outlives every page: referred to, not copied.
    engine::MemoryPage page(std::move(facts), std::cref(site_.root()), session, application_);
    page.response().SetBufferLimit(options_.buffer_limit);
    std::optional<std::string> error;
    int status = 500;
    std::vector<ObjectPtr> objects;  // kept until after page end
    try {
      if (route.kind == Route::Kind::kPage) {
        (*route.page)(page.context());
      } else {
        const host::PreparedSteps& script = *site_.ScriptHere(route.file);
        host::StepsOutcome outcome = host::PlaySteps(script, page);
        objects = std::move(outcome.objects);
        if (outcome.error) {
          error = ErrorText(*outcome.error) + " (step " + std::to_string(outcome.step) + ")";
        }
      }
    } catch (const ScriptError& e) {
      error = ErrorText(e);
    } catch (const ScriptOutOfFiles& e) {
      // The server is short of descriptors, which closing connections give
      // back: the page may work when asked again.
      error = e.message + "; answered 503";
      status = 503;
    } catch (const host::ScriptFormatError& e) {
      // A script that cannot be read is not malformed: its reason stands alone.
      const bool unread = e.message.rfind("cannot read the page script", 0) == 0;
      error = unread ? e.message : "malformed page script: " + e.message;
      if (e.step != 0) error = *error + " (step " + std::to_string(e.step) + ")";
    } catch (const std::exception& e) {
      error = std::string("internal error: ") + e.what();
    } catch (...) {
      error = "internal error";
    }
    // The page ends either way: objects with page hooks get OnEndPage.
    try {
      page.EndPage();
    } catch (const ScriptError& e) {
      if (!error) error = ErrorText(e) + " (page end)";
    } catch (const std::exception& e) {
      if (!error) error = std::string("internal error: ") + e.what();
    } catch (...) {
      if (!error) error = "internal error";
    }
    if (!error) {
      try {
        result = page.TakeResult();
      } catch (const std::exception& e) {
        error = std::string("internal error: ") + e.what();
      }
    }
    if (error) {
      const engine::RequestFacts& request = page.request().facts();
      Log(options_.name, request, *error);
      // The message names steps, members and files of the site: it is the
      // site's business, not the visitor's.
      result = StatusPage(status, AcceptsOnlyWml(engine::HeaderValue(request, "Accept")),
                          options_.show_errors ? *error : std::string());
    }
  }
  if (known) {
    // A recount of an unchanged size would change nothing: after every
    // count the store fits its budget, or holds that one session alone.
    if (session->NeedsRecount()) sessions_.Recount(visit.id, Clock::now());
  } else if (session->written()) {
    const std::string id = sessions_.Add(session, Clock::now());
    if (!id.empty()) result.headers.emplace_back("Set-Cookie", SessionCookie(id));
  }
  return result;
}

}  // namespace zorvadel::serve
