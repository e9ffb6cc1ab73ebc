// Taking markup out of text written for desktop pages or typed by users, so
// that it can be shown on a phone. Each function is one step of the
// stripping members; the members chain them and end with UBB conversion.
//
// The patterns are compiled once and shared by every thread. They match
// letters in either case and "." matches any unit but a line feed, so a tag
// broken over two lines is left alone by the passes that use ".". A search
// that runs into the pattern engine's limits keeps the rest of its text
// unchanged (see platform/regexp/regexp.h); nothing here throws for text.
#ifndef ZORVADEL_TEXT_STRIP_H_
#define ZORVADEL_TEXT_STRIP_H_

#include <string>
#include <string_view>

namespace zorvadel::text {

// The patterns, as the regular-expression layer receives them.
//
// Script elements with their content, whatever the letter case; the
// content may span lines. An element without its end tag is kept (and then
// loses its tags in the next pass).
inline constexpr std::u16string_view kScriptElementPattern =
    u"<script\\b[^>]*>[\\s\\S]*?</script\\s*>";
// "<", one or more units none of which is "<", ">": greedy, so a match runs
// to the last ">" before the next "<".
inline constexpr std::u16string_view kTagRunPattern = u"\\<[^\\<]+>";
// "<", the fewest units (at least one, no line feed) up to the first ">".
inline constexpr std::u16string_view kShortTagPattern = u"<(.+?)>";
// An opening tag ("<" and a letter) or a closing tag ("</" and a letter),
// each up to the first ">" on its line.
inline constexpr std::u16string_view kLetterTagPattern = u"(<[a-zA-Z].*?>)|(<[\\/][a-zA-Z].*?>)";

// MoveJS, first pass: removes script elements with their content.
std::u16string RemoveScriptElements(std::u16string_view text);
// MoveJS, second pass: removes every match of kTagRunPattern.
std::u16string RemoveTagRuns(std::u16string_view text);
// FilterHtml's tag removal: every match of kShortTagPattern.
std::u16string RemoveShortTags(std::u16string_view text);

// DelHtml, step 1: "<br>", "<br/>", "<BR>" and "<BR/>" (exact case, in that
// order) become CR LF.
std::u16string BreakTagsToLineEnds(std::u16string_view text);
// DelHtml, step 2: removes every match of kLetterTagPattern.
std::u16string RemoveLetterTags(std::u16string_view text);
// DelHtml, step 3: the angle brackets that are left, as "&lt;" and "&gt;",
// so that what remains of a broken tag reads as text.
std::u16string EscapeAngleBrackets(std::u16string_view text);

}  // namespace zorvadel::text

#endif  // ZORVADEL_TEXT_STRIP_H_
