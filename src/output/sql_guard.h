// The SQL-injection guard's search: which words of a "|"-separated list occur
// in the request's query string and host. The member that ends the response
// for each of them lives in request_members.cc.
#ifndef ZORVADEL_OUTPUT_SQL_GUARD_H_
#define ZORVADEL_OUTPUT_SQL_GUARD_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace zorvadel::output {

// PHPXML's own list, used whatever its SQLInjData holds: ":" and ";" before
// the default words.
inline constexpr std::u16string_view kPhpGuardWords =
    u":|;|>|<|--|sp_|xp_|\\|dir|cmd|^|(|)|+|$|'|copy|format|and|exec|insert|select|delete|update|"
    u"count|*|chr|mid|master|truncate|char|declare";

// The searched text: both parts lower-cased and joined with no separator,
// the query string raw (escapes and "+" undecoded).
std::u16string GuardHaystack(std::u16string_view query_string, std::u16string_view host);
// The same, made in place in one of the texts given (a header's own
// copies), which it returns.
const std::u16string& GuardHaystackIn(std::u16string& query_string, std::u16string& host);

// The number of words of `words` (split on "|", empty words kept; an empty
// list has none) that occur in `haystack` as plain, case-sensitive
// substrings. Each word counts once however often it occurs; an empty word
// occurs in every non-empty haystack, and an empty haystack holds nothing.
int32_t CountGuardWords(std::u16string_view words, std::u16string_view haystack);

}  // namespace zorvadel::output

#endif  // ZORVADEL_OUTPUT_SQL_GUARD_H_
