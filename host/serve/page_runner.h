// Runs one page of zorvadel-serve (a C++ page or a page script) through the
// in-memory engine, with the visitor's session and the site's application,
// and gives the response to send.
//
// The session comes from the session cookie; a visitor without a live one
// gets a fresh session, which is kept (and its cookie sent, HttpOnly, for
// the whole site) only when the page wrote to it. A known session is
// counted again after its page, which may have grown it.
//
// The pages of one session run one after another: a page waits for the
// pages of its session that came before it, up to the session wait, and is
// answered 503 (the server's status page) when its turn has not come by
// then. Pages without a session, or of other sessions, do not wait for it.
//
// A run-time error that ends a page, a page that writes past the buffer
// limit, any other failure of a page (memory running out included), and a
// malformed page script give the server's 500 page (status_page.h). What
// the page wrote before the error is not sent: it is cut off mid-markup. The error goes to standard error
// with the page's path and the step at fault
// ("zorvadel-serve: /news.asp: error 5: ... (step 3)"); the client sees the
// message only when the runner was made to show errors. A page script that
// cannot be opened for want of a file descriptor is the server's lack, not
// the page's fault: 503, logged the same way.
#ifndef ZORVADEL_HOST_SERVE_PAGE_RUNNER_H_
#define ZORVADEL_HOST_SERVE_PAGE_RUNNER_H_

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "serve/session_store.h"
#include "serve/site.h"
#include "zorvadel/memory_page.h"
#include "zorvadel/request_facts.h"
#include "zorvadel/response_result.h"

namespace zorvadel::serve {

struct RunnerOptions {
  // The error's message in the 500 page, for development.
  bool show_errors = false;
  // Opens the lines written to standard error.
  std::string name = "zorvadel-serve";
  // How long a page waits for the earlier pages of its session.
  std::chrono::milliseconds session_wait = std::chrono::seconds(30);
  // The most bytes a page's body may hold.
  size_t buffer_limit = size_t{64} << 20;
};

class PageRunner {
 public:
  PageRunner(const Site& site, SessionStore& sessions, RunnerOptions options = {});

  // The session of a page: the live one the request's cookie names, with
  // its id (the session's own), or a fresh one (`id` empty), which is the
  // page's alone.
  struct Visit {
    std::string_view id;
    std::shared_ptr<ServedSession> session;
  };
  Visit Begin(const engine::RequestFacts& facts);

  // Runs the page of `visit`, which holds its session's turn when the
  // session is known, and ends the turn. `route` is a kPage or kScript
  // route of `facts.url`.
  engine::ResponseResult RunVisit(const Route& route, engine::RequestFacts facts, Visit visit);
  // Begin, the wait for the turn on this thread, and RunVisit.
  engine::ResponseResult Run(const Route& route, engine::RequestFacts facts);
  // The answer to a page whose turn did not come within the session wait.
  engine::ResponseResult Busy(const engine::RequestFacts& facts) const;

  const RunnerOptions& options() const { return options_; }

 private:
  // Begin over Cookie headers that need decoding.
  Visit BeginDecoded(const engine::RequestFacts& facts, Clock::time_point now);

  const Site& site_;
  SessionStore& sessions_;
  std::shared_ptr<engine::MemoryApplication> application_;
  const RunnerOptions options_;
};

// "NAME=ID; Path=/; HttpOnly" for the session cookie.
std::string SessionCookie(const std::string& id);

}  // namespace zorvadel::serve

#endif  // ZORVADEL_HOST_SERVE_PAGE_RUNNER_H_
