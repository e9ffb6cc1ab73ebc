// The pieces of the page classes' output filter Ascii that work on text
// alone: which simplified/traditional conversion ChineseType asks for, the
// GB2312 stop and the stop-word replacement. The last stretch, which repairs
// bare ampersands and writes every unit outside 32-255 as a numeric
// character reference, is text::RepairAndEscape (text/charset_refs.h), the
// same as Uni. The steps that go through the page object's own members
// (JToF, FToJ, ReplaceString) are run by Ascii itself in output_members.cc.
// Whatever the settings, what no WML or XHTML page can carry does not pass:
// the escaping drops it, and at the GB2312 stop the raw text passes
// text::AppendXmlCarried (text/xml_chars.h).
#ifndef ZORVADEL_OUTPUT_OUTPUT_FILTER_H_
#define ZORVADEL_OUTPUT_OUTPUT_FILTER_H_

#include <string>
#include <string_view>

namespace zorvadel::output {

// What ChineseType selects once lower-cased and stripped of blanks at both
// ends: "complex" the traditional form, "simple" the simplified form, any
// other value (one that merely begins with "complex" too) none.
enum class ChineseForm { kUnchanged, kTraditional, kSimplified };
ChineseForm ChineseFormOf(std::u16string_view chinese_type);

// Whether WapEnCoding is "gb2312" in any letter case (blanks count: " gb2312"
// is not).
bool IsGb2312Coding(std::u16string_view wap_en_coding);

// One left-to-right pass over `text`: at each position the first
// "|"-separated word of `stop_words` that starts there becomes `pass_words`
// and the pass goes on after it; an empty word replaces nothing. Inserted
// pass text is never searched again, so the result is bounded by the input.
void ReplaceStopWords(std::u16string_view stop_words, std::u16string_view pass_words,
                      std::u16string* text);

}  // namespace zorvadel::output

#endif  // ZORVADEL_OUTPUT_OUTPUT_FILTER_H_
