// The stripping passes. Every pattern is compiled at its first use and then
// shared; a compiled pattern is immutable, so concurrent pages need no lock.
#include "text/strip.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "platform/regexp/regexp.h"
#include "text/html_escape.h"

namespace zorvadel::text {
namespace {

// Every pattern here matches letters in either case and replaces every
// match with nothing.
std::u16string RemoveAll(const regexp::Compiled& pattern, std::u16string_view text) {
  return regexp::Replace(pattern, text, u"", /*global=*/true);
}

const regexp::Compiled& ScriptElement() {
  static const auto compiled = regexp::Compile(kScriptElementPattern, /*ignore_case=*/true);
  return *compiled;
}

const regexp::Compiled& TagRun() {
  static const auto compiled = regexp::Compile(kTagRunPattern, /*ignore_case=*/true);
  return *compiled;
}

const regexp::Compiled& ShortTag() {
  static const auto compiled = regexp::Compile(kShortTagPattern, /*ignore_case=*/true);
  return *compiled;
}

const regexp::Compiled& LetterTag() {
  static const auto compiled = regexp::Compile(kLetterTagPattern, /*ignore_case=*/true);
  return *compiled;
}

// Mixed-case forms such as "<Br>" are not here: they go as ordinary tags
// and leave no line end.
constexpr std::array<Replacement, 4> kBreakTags = {{
    {u"<br>", u"\r\n"},
    {u"<br/>", u"\r\n"},
    {u"<BR>", u"\r\n"},
    {u"<BR/>", u"\r\n"},
}};

constexpr std::array<Replacement, 2> kAngleBrackets = {{
    {u"<", u"&lt;"},
    {u">", u"&gt;"},
}};

}  // namespace

std::u16string RemoveScriptElements(std::u16string_view text) {
  return RemoveAll(ScriptElement(), text);
}

std::u16string RemoveTagRuns(std::u16string_view text) { return RemoveAll(TagRun(), text); }

std::u16string RemoveShortTags(std::u16string_view text) { return RemoveAll(ShortTag(), text); }

std::u16string BreakTagsToLineEnds(std::u16string_view text) {
  return ApplyReplacements(std::u16string(text), kBreakTags);
}

std::u16string RemoveLetterTags(std::u16string_view text) { return RemoveAll(LetterTag(), text); }

std::u16string EscapeAngleBrackets(std::u16string_view text) {
  return ApplyReplacements(std::u16string(text), kAngleBrackets);
}

}  // namespace zorvadel::text
