// The calls a member group makes on a group of another folder, or on Common
// and the companions. They go through the page object (or companion) like
// any call of a member, so a script that replaces CC changes them too; they
// are written once here, in the class set, so that a group's header is read
// only by its own folder and the class set.
#ifndef ZORVADEL_COMPONENT_GROUP_CALLS_H_
#define ZORVADEL_COMPONENT_GROUP_CALLS_H_

#include <memory>
#include <string>

#include "zorvadel/database/database_kind.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"
#include "zorvadel/variant.h"

namespace zorvadel::calls {

// Output and request.
std::u16string Ascii(PageCore& page, const std::u16string& text);
// Ascii appended to `out`, for text built to be written.
void AppendAscii(PageCore& page, const std::u16string& text, std::u16string* out);
void WriteOut(PageCore& page, const std::u16string& text);
void WriteRow(PageCore& page, const std::u16string& text);
// One write of what `build` gives, as a step of its own: a failing builder or
// response skips that write only. WriteOut of the WML classes raises (e.g.
// without a page context), so it needs the step as much as the builders do.
template <typename F>
void WriteRowStep(PageCore& page, F&& build) {
  Step([&] { WriteRow(page, build()); });
}
template <typename F>
void WriteOutStep(PageCore& page, F&& build) {
  Step([&] { WriteOut(page, build()); });
}
std::u16string Displayer(PageCore& page);
void SetUtf8Response(PageCore& page);
// For a header that has just asked Displayer (`web`: it answered "Web").
void PutWmlContentType(PageCore& page, bool web);

// Text and charset.
std::u16string DelSpecialMark(PageCore& page, const std::u16string& text);
std::u16string SplitRichText(PageCore& page, const std::u16string& names,
                             const std::u16string& values, const std::u16string& split_mark,
                             const std::u16string& pre_text, const std::u16string& mid_text,
                             const std::u16string& last_text);
std::u16string ReplaceString(PageCore& page, const std::u16string& key_words,
                             const std::u16string& to_do_string, const std::u16string& pre_text,
                             const std::u16string& last_text);
std::u16string JToF(PageCore& page, const std::u16string& text);
std::u16string FToJ(PageCore& page, const std::u16string& text);
std::u16string UtfToGb(PageCore& page, const std::u16string& text);
std::u16string FixCodes(PageCore& page, const std::u16string& text);
std::u16string FixWmlCode(PageCore& page, const std::u16string& text);

// Form and link builders (the mail form).
std::u16string TextIn(PageCore& page, const std::u16string& show_tip,
                      const std::u16string& input_type, const std::u16string& input_name,
                      const std::u16string& input_value, const std::u16string& input_title,
                      const std::u16string& other_att);
std::u16string PostSet(PageCore& page, const std::u16string& do_type,
                       const std::u16string& do_label, const std::u16string& go_url,
                       const std::u16string& char_set, const std::u16string& method);
std::u16string TextMorePost(PageCore& page, const std::u16string& names,
                            const std::u16string& values, const std::u16string& split_mark);
Variant AnchorGo(PageCore& page, const std::u16string& display_text, const std::u16string& url,
                 const std::u16string& names, const std::u16string& values,
                 const std::u16string& split_mark, const std::u16string& method);

// Links and images of the page's own class (the record, download and photo
// lists).
std::u16string A(PageCore& page, const std::u16string& title, const std::u16string& url,
                 const std::u16string& display_text);
std::u16string Img(PageCore& page, const std::u16string& img_path, const std::u16string& tip,
                   const std::u16string& other_att);

// Language data.
std::u16string QueryWeek(PageCore& page, const Variant& date);

// Common and the companions.
std::u16string DelSpecialMark(Common& common, const std::u16string& text);
std::u16string DigestStrToHexStr(Common& common, const std::u16string& text);
std::shared_ptr<Common> NewCommon();
Server* PageServer(Common& common);  // of Common's page context; null outside one
// Common's WAPXHTML companion WH (created when missing) converting UBB codes.
std::u16string UbbXmlOfWH(Common& common, const std::u16string& text);
Common& UseCC(WAPXHTML& companion);

// Database access: the openers (true when the connection opened and the
// statement ran on a slot), CloseData, the remembered show request and the
// show members' work.
bool OpenData(PageCore& page, DatabaseKind kind, int16_t rsx);
void CloseData(PageCore& page);
void RememberShowRequest(PageCore& page);
std::u16string Show(PageCore& page, DatabaseKind kind, const std::u16string& field_name);

// Record lists: escaping, query-value safety and the WML image link.
std::u16string SpecialMark(PageCore& page, const std::u16string& text);
std::u16string SubmitText(PageCore& page, const std::u16string& text);
std::u16string Image(PageCore& page, const std::u16string& img_path, const std::u16string& tip,
                     const std::u16string& other_att);

}  // namespace zorvadel::calls

#endif  // ZORVADEL_COMPONENT_GROUP_CALLS_H_
