// Choosing the byte form by a session's code page.
#include "platform/codepage/codepage.h"

#include <string>
#include <string_view>

namespace zorvadel::codepage {

// Any code page but UTF-8 falls back to 936, the server's ANSI code page: a
// page that sets an odd value still gets bytes a reader can decode.
std::string Encode(std::u16string_view text, uint32_t code_page) {
  return code_page == kUtf8 ? ToUtf8(text) : ToGbk(text);
}

std::u16string Decode(std::string_view bytes, uint32_t code_page) {
  return code_page == kUtf8 ? FromUtf8(bytes) : FromGbk(bytes);
}

}  // namespace zorvadel::codepage
