// The line a failure leaves in the process's error output. A member that
// takes its failure path (a database that does not open, a statement that
// fails, a mail that does not leave) answers the page exactly as before, so
// without this line a typo in a path looks like success. The line names the
// page, the member the script called, what failed and the driver's or
// server's own reason:
//
//   zorvadel: /news/list.asp: MdbList: cannot open #X.mdb (/srv/site/news/#X.mdb): ...
//
// It goes through the error log, which keeps a flood of the same line down
// to one a second.
#ifndef ZORVADEL_COMPONENT_FAILURE_LINE_H_
#define ZORVADEL_COMPONENT_FAILURE_LINE_H_

#include <string>
#include <string_view>
#include <utility>

#include "zorvadel/page_state.h"
#include "zorvadel/variant.h"

namespace zorvadel::failure {

// Names the member a script called for the lines of the work under it. A
// member that calls another keeps its own name: the outermost scope is the
// one the script wrote. One per thread, as a page runs on one thread.
class MemberScope {
 public:
  explicit MemberScope(const char* member);
  ~MemberScope();
  MemberScope(const MemberScope&) = delete;
  MemberScope& operator=(const MemberScope&) = delete;

 private:
  const char* outer_;
};

// The member of the innermost scope that named one, "" outside any.
std::string_view CurrentMember();

// Where a connection string goes: its driver, data source, server, host,
// socket, port, database and file keys as written, empty values left out.
// Only those keys, so that no password or other secret reaches a log.
std::u16string WhereTo(std::u16string_view connection_string);

// A statement short enough to leave room for the reason after it.
std::u16string Shortened(std::u16string_view statement);

// "zorvadel: PAGE: MEMBER: WHAT: WHY" in UTF-8, each run of control
// characters a blank so that it stays one line; PAGE and MEMBER are left out
// when empty.
std::string Compose(std::u16string_view page, std::string_view member, std::u16string_view what,
                    std::u16string_view why);

// Writes the line of a failure on the page `state` belongs to, for the
// current member.
void Tell(PageState& state, std::u16string_view what, std::u16string_view why);

// Runs one step with errors suppressed, as Step does; a step that raises
// writes its line, with what `what()` gives and the error's description.
template <typename Work, typename What>
bool TellingStep(PageState& state, Work&& work, What&& what) {
  try {
    std::forward<Work>(work)();
    return true;
  } catch (const ScriptError& error) {
    Tell(state, what(), error.description());
    return false;
  }
}

}  // namespace zorvadel::failure

#endif  // ZORVADEL_COMPONENT_FAILURE_LINE_H_
