// Code page 936 and UTF-8, both ways. The input is read as bytes to decode
// and as UTF-16LE units to encode; what each form can carry must come back
// unchanged from a round trip.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "platform/codepage/codepage.h"

namespace cp = zorvadel::codepage;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string units = zorvadel::fuzz::Utf16Le(bytes);

  // Bytes to text: whatever decodes without a stand-in encodes back to the
  // same bytes.
  const std::u16string from_gbk = cp::FromGbk(bytes);
  if (from_gbk.find(u'\uFFFD') == std::u16string::npos) {
    ZORVADEL_FUZZ_CHECK(cp::ToGbk(from_gbk) == bytes);
  }
  const std::u16string from_utf8 = cp::FromUtf8(bytes);
  if (from_utf8.find(u'\uFFFD') == std::u16string::npos) {
    ZORVADEL_FUZZ_CHECK(cp::ToUtf8(from_utf8) == bytes);
  }

  // Text to bytes: a character with a code page 936 form keeps it, one
  // code each; well-formed UTF-16 survives UTF-8.
  std::u16string carried;
  for (char16_t c : units) {
    if (!cp::HasGbk(c)) continue;
    carried += c;
    ZORVADEL_FUZZ_CHECK(cp::FromGbkCode(cp::GbkCode(c)) == c);
  }
  ZORVADEL_FUZZ_CHECK(cp::FromGbk(cp::ToGbk(carried)) == carried);
  const std::string utf8 = cp::ToUtf8(units);
  const std::u16string back = cp::FromUtf8(utf8);
  ZORVADEL_FUZZ_CHECK(back.size() == units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    const bool surrogate = units[i] >= 0xD800 && units[i] <= 0xDFFF;
    ZORVADEL_FUZZ_CHECK(back[i] == units[i] || (surrogate && back[i] == u'\uFFFD'));
  }

  // A session's code page, either way.
  for (uint32_t code_page : {cp::kGbk, cp::kUtf8, uint32_t{1252}}) {
    cp::Decode(bytes, code_page);
    cp::Encode(units, code_page);
  }
  return 0;
}
