// The output filter Ascii of every page class, with its settings: the
// first record's selector picks the class, its arguments are the text and
// then, each when present, ChineseType, TheStopWords, ThePassWords,
// FontKeyWords, PreFontText, LastFontText, WapEnCoding and IsShowPinYin.
// Later records filter more texts with the same settings.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/runtime.h"

namespace {

using zorvadel::Variant;

constexpr std::u16string_view kClasses[] = {u"Zorvadel.WAP", u"Zorvadel.XML", u"Zorvadel.EnWAP",
                                            u"Zorvadel.EnXML", u"Zorvadel.PHPXML"};
constexpr std::u16string_view kSettings[] = {u"ChineseType",  u"TheStopWords", u"ThePassWords",
                                             u"FontKeyWords", u"PreFontText",  u"LastFontText",
                                             u"WapEnCoding",  u"IsShowPinYin"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<zorvadel::fuzz::Record> records = zorvadel::fuzz::ReadRecords(data, size, 4);
  if (records.empty()) return 0;
  const zorvadel::ObjectPtr page =
      zorvadel::CreateByProgId(kClasses[records[0].selector % std::size(kClasses)]);
  const std::vector<std::u16string>& first = records[0].args;
  for (size_t i = 1; i < first.size() && i <= std::size(kSettings); ++i) {
    try {
      zorvadel::Invoke(*page, kSettings[i - 1], {Variant(first[i])}, zorvadel::CallKind::kLet);
    } catch (const zorvadel::ScriptError&) {
    }
  }
  for (const zorvadel::fuzz::Record& record : records) {
    if (record.args.empty()) continue;
    try {
      zorvadel::Invoke(*page, u"Ascii", {Variant(record.args[0])});
    } catch (const zorvadel::ScriptError&) {
    }
  }
  return 0;
}
