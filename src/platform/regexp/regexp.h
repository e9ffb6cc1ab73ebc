// Regular expressions as page scripts knew them from the server's scripting
// engine: a RegExp object with Pattern, IgnoreCase, Global, Replace and Test,
// working on UTF-16 text code unit by code unit.
//
// The pattern language is the script engine's (the one its string methods
// share): "." matches any unit but a line feed (a carriage return is matched),
// "^" and "$" anchor to the whole text only, never to line ends, and "$" does
// not match before a final line feed; "\uXXXX" and "\xXX" name characters;
// "\w", "\d", "\s" and "\b" are ASCII; "[]" matches nothing; a back reference
// to a group that did not take part matches the empty text.
//
// Text is matched as a sequence of 16-bit units, not as code points: a
// surrogate pair is two characters to ".", and a lone surrogate is an
// ordinary character (text from forms and files may hold them; nothing here
// rejects or skips them). IgnoreCase folds ASCII letters only; CJK text has
// no case and the library's patterns are ASCII.
//
// A compiled pattern is immutable and may be shared by any number of
// threads. Compile() keeps a bounded process-wide cache, so a member may say
//   static const auto kTag = regexp::Compile(u"<[^>]*>", true);
// or compile on demand each time it runs.
//
// Runaway matching: each search is bounded by a match limit (and a memory
// limit for the interpreter). A search that hits a limit counts as "no
// match" from that point on: Test gives false, Replace keeps what it has
// replaced so far and copies the rest of the text unchanged. Nothing hangs
// or throws for it.
#ifndef ZORVADEL_PLATFORM_REGEXP_REGEXP_H_
#define ZORVADEL_PLATFORM_REGEXP_REGEXP_H_

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace zorvadel::regexp {

// The error a malformed pattern raises, as ScriptError{5017, description}.
inline constexpr int kSyntaxError = 5017;

// A compiled pattern; opaque, immutable, thread-safe.
class Compiled;

// Compiles `pattern` (or returns the cached compilation of the same pattern
// and flags: the same pointer while it stays in the cache). A malformed
// pattern raises ScriptError 5017 "Syntax error in regular expression".
std::shared_ptr<const Compiled> Compile(std::u16string_view pattern, bool ignore_case);

// Number of capturing groups of the pattern.
int GroupCount(const Compiled& re);

// Whether the pattern matches anywhere in `text`.
bool Test(const Compiled& re, std::u16string_view text);

// The text with the first match (every match when `global`) replaced.
// In `replacement`: "$1".."$99" a group ("" when it did not take part; a
// number beyond the groups is written as it stands, "$0" too), "$&" the
// match, "$`" the text before it, "$'" the text after it, "$$" one "$"; any
// other "$" is literal. Matches never overlap; an empty match moves the next
// search one unit on, so "a*" on "baaac" with "-" gives "-b--c-".
std::u16string Replace(const Compiled& re, std::u16string_view text,
                       std::u16string_view replacement, bool global);

// One match, valid only during the callback that receives it.
class MatchView {
 public:
  MatchView(std::u16string_view text, const size_t* offsets, int groups)
      : text_(text), offsets_(offsets), groups_(groups) {}

  // Position (0-based, in code units) and length of the whole match.
  size_t Index() const { return offsets_[0]; }
  size_t Length() const { return offsets_[1] - offsets_[0]; }
  std::u16string_view Value() const { return text_.substr(Index(), Length()); }
  int GroupCount() const { return groups_; }
  // Group `n` (1-based; 0 is the whole match). "" when it did not take part
  // or when there is no such group.
  std::u16string_view Group(int n) const;
  bool Participated(int n) const;

 private:
  std::u16string_view text_;
  const size_t* offsets_;  // pairs of start/end offsets, group 0 first
  int groups_;
};

// Calls `visit` for the first match (each match when `global`), in order.
void ForEachMatch(const Compiled& re, std::u16string_view text, bool global,
                  const std::function<void(const MatchView&)>& visit);

// Replace with a computed replacement: `append` writes what replaces the
// match to `out` (the text between matches is copied by ReplaceEach).
std::u16string ReplaceEach(
    const Compiled& re, std::u16string_view text, bool global,
    const std::function<void(const MatchView&, std::u16string& out)>& append);
// The same on `text` itself; a text without a match is left as it is, not
// copied. Returns whether anything was replaced.
bool ReplaceEachInPlace(
    const Compiled& re, std::u16string& text, bool global,
    const std::function<void(const MatchView&, std::u16string& out)>& append);

// The script object. Setting Pattern or IgnoreCase compiles at once when the
// pattern is well formed; a malformed pattern raises 5017 when Replace or
// Test runs, as the script object did. Const members do not modify the
// object, so a const RegExp may be shared between threads.
class RegExp {
 public:
  RegExp() = default;
  explicit RegExp(std::u16string_view pattern, bool ignore_case = false, bool global = false);

  const std::u16string& Pattern() const { return pattern_; }
  bool IgnoreCase() const { return ignore_case_; }
  bool Global() const { return global_; }
  void SetPattern(std::u16string_view pattern);
  void SetIgnoreCase(bool ignore_case);
  void SetGlobal(bool global) { global_ = global; }

  std::u16string Replace(std::u16string_view text, std::u16string_view replacement) const;
  bool Test(std::u16string_view text) const;
  // The compiled pattern (raises 5017 for a malformed one).
  std::shared_ptr<const Compiled> Get() const;

 private:
  void Recompile();

  std::u16string pattern_;
  bool ignore_case_ = false;
  bool global_ = false;
  std::shared_ptr<const Compiled> compiled_;  // null while malformed
};

}  // namespace zorvadel::regexp

#endif  // ZORVADEL_PLATFORM_REGEXP_REGEXP_H_
