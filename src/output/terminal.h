// Terminal detection: which kind of client sent the request, told from its
// user-agent text by an ordered table of fragments. The table is fixed data;
// the first row whose key occurs in the agent text (exact, case-sensitive)
// decides.
#ifndef ZORVADEL_OUTPUT_TERMINAL_H_
#define ZORVADEL_OUTPUT_TERMINAL_H_

#include <span>
#include <string_view>

namespace zorvadel::output {

inline constexpr std::u16string_view kTerminalWeb = u"Web";
inline constexpr std::u16string_view kTerminalWap = u"Wap";
inline constexpr std::u16string_view kTerminalPhone = u"Phone";
inline constexpr std::u16string_view kUnrecognisedInfo = u"Maybe Phone";

struct TerminalRow {
  std::u16string_view key;           // fragment searched in the agent text
  std::u16string_view kind;          // kTerminalWeb or kTerminalWap
  std::u16string_view info;          // what DisplayerInfo becomes
  std::u16string_view sample_agent;  // what DisplayerUA becomes
};

// The table in test order.
std::span<const TerminalRow> TerminalTable();

// The row that decides for `agent`, or nullptr when none does (a phone).
// With `empty_agent_is_unknown` (PHPXML), an empty agent text is decided by a
// row of its own: "Wap", "Unknow Type", no sample agent.
const TerminalRow* MatchTerminal(std::u16string_view agent, bool empty_agent_is_unknown);

}  // namespace zorvadel::output

#endif  // ZORVADEL_OUTPUT_TERMINAL_H_
