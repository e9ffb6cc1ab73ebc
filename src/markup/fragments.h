// Markup of the small structural builders: a WML card with its first
// paragraph, a WML paragraph break, XHTML paragraphs and divisions, and
// comments. Pure functions on texts the caller has already filtered (title
// through the output filter, content through the UBB converter, comment
// text through DelSpecialMark); keyword attribute values are lower-cased
// here.
#ifndef ZORVADEL_MARKUP_FRAGMENTS_H_
#define ZORVADEL_MARKUP_FRAGMENTS_H_

#include <string>
#include <string_view>

namespace zorvadel::markup {

struct CardParts {
  std::u16string_view card_id;       // escaped
  std::u16string_view title;         // already filtered, escaped here
  std::u16string_view p_align;       // lower-cased here
  std::u16string_view wrap_mode;     // lower-cased here
  bool new_context = false;
  bool is_first_card = false;
  std::u16string_view other_att;     // markup, written as given but for
                                     // what XML cannot carry
  std::u16string_view time_long;     // escaped
  std::u16string_view mid_card_p;    // markup, likewise
};

// "</p></card>" (unless the first card) + the card start + its paragraph.
// A timer element follows the start only when other_att holds "ontimer".
std::u16string CardMarkup(const CardParts& parts);

// "</p><p ...>" with the align and mode attributes that are non-empty.
std::u16string WmlParagraphBreak(std::u16string_view align, std::u16string_view wrap_mode);

// "<p id=... style=\"text-align:...\">" + content + "</p>".
std::u16string XhtmlParagraph(std::u16string_view content, std::u16string_view align,
                              std::u16string_view id);
// The companion's division: id and class attributes as they are non-empty
// (both empty gives id="").
std::u16string XhtmlDivision(std::u16string_view content, std::u16string_view class_name,
                             std::u16string_view id);
// PHPXML's division: id and align always.
std::u16string AlignedDivision(std::u16string_view content, std::u16string_view align,
                               std::u16string_view id);

// "<!--*(^O^)" + cleaned text + "(^O^)*-->".
std::u16string CommentMarkup(std::u16string_view cleaned);

}  // namespace zorvadel::markup

#endif  // ZORVADEL_MARKUP_FRAGMENTS_H_
