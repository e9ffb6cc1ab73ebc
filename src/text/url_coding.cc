#include "text/url_coding.h"

#include <cstdint>

#include "platform/codepage/codepage.h"

namespace zorvadel::text {
namespace {

// The marks the UTF-8 dialect escapes although they are ASCII.
constexpr std::u16string_view kEscapedMarks = u" `=\\@#$%^&+|{}[]:;\"'<>,.?/";

constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";
constexpr char16_t kReplacement = 0xFFFD;

void AppendEscape(std::u16string& out, uint8_t byte) {
  out += u'%';
  out += kHexDigits[byte >> 4];
  out += kHexDigits[byte & 0xF];
}

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

// The byte of the escape at `pos`, or -1 when no escape stands there.
int EscapeAt(std::u16string_view text, size_t pos) {
  if (pos + 2 >= text.size() || text[pos] != u'%') return -1;
  const int high = HexValue(text[pos + 1]);
  const int low = HexValue(text[pos + 2]);
  return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// The length of a UTF-8 sequence from its lead byte: 0 for a byte that
// cannot lead one (a continuation byte, 0xF8 and above).
int SequenceLength(int lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xC0) return 0;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  if (lead < 0xF8) return 4;
  return 0;
}

// Decodes the sequence whose lead escape stands at `pos`; false when the text
// holds no complete, well-formed sequence there.
bool DecodeUtf8Escapes(std::u16string_view text, size_t pos, std::u16string& out,
                       size_t* consumed) {
  const int lead = EscapeAt(text, pos);
  const int length = lead < 0 ? 0 : SequenceLength(lead);
  if (length == 0) return false;
  // The lead byte's bits after its length prefix and the zero that ends it.
  uint32_t value = length == 1 ? static_cast<uint32_t>(lead)
                               : static_cast<uint32_t>(lead) & (0x7Fu >> length);
  for (int i = 1; i < length; ++i) {
    const int byte = EscapeAt(text, pos + 3 * i);
    if (byte < 0 || (byte & 0xC0) != 0x80) return false;
    value = value << 6 | static_cast<uint32_t>(byte & 0x3F);
  }
  if (length == 4) {
    if (value < 0x10000 || value > 0x10FFFF) return false;
    value -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (value >> 10));
    out += static_cast<char16_t>(0xDC00 + (value & 0x3FF));
  } else {
    out += static_cast<char16_t>(value);
  }
  *consumed = 3 * static_cast<size_t>(length);
  return true;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::u16string GoogleUrlEncode(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() * 3);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 0x20 || c == 0x7F || (c < 0x80 && kEscapedMarks.find(c) != kEscapedMarks.npos)) {
      AppendEscape(out, static_cast<uint8_t>(c));
    } else if (c < 0x80) {
      out += c;
    } else {
      const bool pair =
          IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]);
      const size_t units = pair ? 2 : 1;
      for (char byte : codepage::ToUtf8(text.substr(i, units))) {
        AppendEscape(out, static_cast<uint8_t>(byte));
      }
      i += units - 1;
    }
  }
  return out;
}

std::u16string GoogleUrlDecode(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    size_t consumed = 0;
    if (text[i] == u'%' && DecodeUtf8Escapes(text, i, out, &consumed)) {
      i += consumed;
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::u16string BaiduUrlEncode(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    const uint16_t code = codepage::GbkCode(c);
    if (code > 0xFF) {
      AppendEscape(out, static_cast<uint8_t>(code >> 8));
      AppendEscape(out, static_cast<uint8_t>(code & 0xFF));
    } else {
      out += c;
    }
  }
  return out;
}

std::u16string BaiduUrlDecode(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  int pending_lead = -1;
  for (size_t i = 0; i < text.size();) {
    const char16_t c = text[i];
    const int byte = c == u'%' ? EscapeAt(text, i) : -1;
    if (c == u'+') {
      out += u' ';
      ++i;
    } else if (byte < 0) {
      out += c;  // a pending lead waits across plain characters
      ++i;
    } else {
      if (pending_lead >= 0) {
        const char16_t decoded =
            codepage::FromGbkCode(static_cast<uint16_t>(pending_lead << 8 | byte));
        out += decoded != 0 ? decoded : kReplacement;
        pending_lead = -1;
      } else if (byte <= 0x7F) {
        out += static_cast<char16_t>(byte);
      } else {
        pending_lead = byte;
      }
      i += 3;
    }
  }
  if (pending_lead >= 0) out += kReplacement;
  return out;
}

}  // namespace zorvadel::text
