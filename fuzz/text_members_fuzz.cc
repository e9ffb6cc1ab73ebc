// The text entry points reached by name, as a page script reaches them:
// Common's text, charset, coding, MD5, strip and language-data members, and
// the UBB conversions of both dialects on the companions. Each record calls
// one member (the selector picks the row) with its arguments as Strings;
// the records of one input share their objects, so the MD5 state and the
// companions carry over. A script error is an answer, not a finding; a
// member that makes page text and returns what XML cannot carry is.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "text/xml_chars.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/runtime.h"

namespace {

using zorvadel::ObjectPtr;
using zorvadel::Variant;

enum Host { kCommon, kWapXhtml, kWapWml };

struct Row {
  std::u16string_view name;
  Host host;
  size_t most_args;
  bool page_text = false;  // its result holds nothing XML cannot carry
};

constexpr Row kRows[] = {
    // Cut repair, escaping and joining.
    {u"FixCodes", kCommon, 1, true}, {u"FixWmlCode", kCommon, 1}, {u"HtmlEnCode", kCommon, 1, true},
    {u"HTMLDecode", kCommon, 1}, {u"SpecialMark", kCommon, 1, true},
    {u"DelSpecialMark", kCommon, 1, true}, {u"EnterHebing", kCommon, 1, true},
    {u"SplitText", kCommon, 4, true}, {u"SplitRichText", kCommon, 7, true},
    {u"SplitMultiText", kCommon, 7}, {u"ReplaceString", kCommon, 4},
    {u"FontStyle", kCommon, 3, true},
    // Character references, code pages and character forms.
    {u"UtfToGb", kCommon, 1}, {u"JToF", kCommon, 1}, {u"FToJ", kCommon, 1}, {u"Uni", kCommon, 1},
    {u"StrToWide", kCommon, 1}, {u"StrToNarrow", kCommon, 1}, {u"QWMEnCode", kCommon, 2},
    {u"QWMDeCode", kCommon, 1}, {u"UniCodeToGb", kCommon, 1},
    // URL coding in both dialects.
    {u"UrlEncode", kCommon, 2}, {u"UrlDecode", kCommon, 2}, {u"GoogleUrlEncode", kCommon, 1},
    {u"GoogleUrlDecode", kCommon, 1}, {u"BaiduUrlEncode", kCommon, 1},
    {u"BaiduUrlDecode", kCommon, 1},
    // Number bases.
    {u"C2To16", kCommon, 1}, {u"C2To10", kCommon, 1}, {u"C16To2", kCommon, 1},
    {u"C10To2", kCommon, 1}, {u"DEC_to_BIN", kCommon, 1}, {u"BIN_to_DEC", kCommon, 1},
    {u"HEX_to_BIN", kCommon, 1}, {u"BIN_to_HEX", kCommon, 1}, {u"HEX_to_DEC", kCommon, 1},
    {u"DEC_to_HEX", kCommon, 1}, {u"DEC_to_OCT", kCommon, 1}, {u"OCT_to_DEC", kCommon, 1},
    {u"BIN_to_OCT", kCommon, 1}, {u"OCT_to_BIN", kCommon, 1}, {u"OCT_to_HEX", kCommon, 1},
    {u"HEX_to_OCT", kCommon, 1},
    // MD5, whole and in steps.
    {u"Md5", kCommon, 1}, {u"DigestStrToHexStr", kCommon, 1}, {u"MD5Init", kCommon, 0},
    {u"MD5Update", kCommon, 2}, {u"MD5Final", kCommon, 0}, {u"GetValues", kCommon, 0},
    {u"LongLeftRotate", kCommon, 2}, {u"RegisterA", kCommon, 0},
    // Tag stripping.
    {u"MoveJS", kCommon, 1}, {u"FilterHtml", kCommon, 1, true}, {u"DelHtml", kCommon, 1, true},
    // Pinyin, lunar dates and week days.
    {u"GetPinYin", kCommon, 1}, {u"NeedPinYin", kCommon, 2}, {u"LunarDate", kCommon, 1},
    {u"QueryWeek", kCommon, 1}, {u"EnQueryWeek", kCommon, 1},
    // UBB, both dialects.
    {u"UbbXML", kWapXhtml, 1, true}, {u"UbbWML", kWapWml, 1, true},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ObjectPtr hosts[] = {zorvadel::CreateByProgId(u"Zorvadel.Common"),
                             zorvadel::CreateByProgId(u"Zorvadel.WAPXHTML"),
                             zorvadel::CreateByProgId(u"Zorvadel.WAPWML")};
  for (const zorvadel::fuzz::Record& record : zorvadel::fuzz::ReadRecords(data, size, 8)) {
    const Row& row = kRows[record.selector % std::size(kRows)];
    std::vector<Variant> args;
    for (size_t i = 0; i < record.args.size() && i < row.most_args; ++i) {
      args.emplace_back(record.args[i]);
    }
    Variant result;
    try {
      result = zorvadel::Invoke(*hosts[row.host], row.name, std::move(args));
    } catch (const zorvadel::ScriptError&) {
      continue;
    }
    if (row.page_text && result.IsString()) {
      std::u16string kept = result.string();
      zorvadel::text::KeepXmlCarried(&kept);
      ZORVADEL_FUZZ_CHECK(kept == result.string());
    }
  }
  return 0;
}
