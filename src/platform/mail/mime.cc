#include "platform/mail/mime.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/codepage/codepage.h"
#include "runtime/utf16.h"

namespace zorvadel::mail {
namespace {

// Two cells of the GB2312 grid are read differently by strict GB2312
// readers (U+30FB, U+2015) and by the GBK readers most mail programs are
// (U+00B7, U+2014); text that needs them goes as GB18030, which has one
// reading.
constexpr uint16_t kAmbiguousCells[] = {0xA1A4, 0xA1AA};

// Whether a code page 936 code lies in the GB2312 grid and is no cell that
// GBK added inside it (lower-case Roman numerals, vertical punctuation,
// four pinyin letters).
bool IsGb2312Code(uint16_t code) {
  const int lead = code >> 8;
  const int trail = code & 0xFF;
  if (lead < 0xA1 || lead > 0xF7 || trail < 0xA1 || trail > 0xFE) return false;
  if (code >= 0xA2A1 && code <= 0xA2AA) return false;
  if (code >= 0xA6E0 && code <= 0xA6F5) return false;
  if (code >= 0xA8BB && code <= 0xA8C0) return false;
  for (uint16_t cell : kAmbiguousCells) {
    if (code == cell) return false;
  }
  return true;
}

bool FitsGb2312(char16_t c) {
  if (c < 0x80) return true;
  if (IsSurrogate(c) || !codepage::HasGbk(c)) return false;
  return IsGb2312Code(codepage::GbkCode(c));
}

// GB18030 through the C library's converter. Every Unicode scalar value
// has a GB18030 form, and ToUtf8 has already made lone surrogates U+FFFD,
// so the conversion cannot meet a character it lacks; should the
// converter be missing or fail anyway, the rest becomes "?" rather than
// nothing.
std::string ToGb18030(std::u16string_view text) {
  std::string utf8 = codepage::ToUtf8(text);
  std::string out;
  iconv_t cd = iconv_open("GB18030", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text.size(), '?');
  out.resize(utf8.size() * 4 + 16);
  char* in_ptr = utf8.data();
  size_t in_left = utf8.size();
  char* out_ptr = out.data();
  size_t out_left = out.size();
  while (in_left > 0) {
    if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<size_t>(-1)) break;
    if (errno == E2BIG || out_left == 0) break;  // cannot happen: four bytes a byte of input
    // An input the converter refuses: one "?" for the byte, and on.
    *out_ptr++ = '?';
    --out_left;
    ++in_ptr;
    --in_left;
  }
  iconv_close(cd);
  out.resize(out.size() - out_left);
  return out;
}

// The length of the character that starts at bytes[i] of encoded text.
size_t CharLength(std::string_view bytes, size_t i, Charset charset) {
  const auto b = static_cast<uint8_t>(bytes[i]);
  if (b < 0x80) return 1;
  if (charset == Charset::kGb18030 && i + 1 < bytes.size()) {
    const auto second = static_cast<uint8_t>(bytes[i + 1]);
    if (second >= 0x30 && second <= 0x39) return 4;
  }
  return 2;
}

bool IsPlainAscii(std::u16string_view text) {
  for (char16_t c : text) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

// Plain ASCII a reader takes literally: no "=?", which could open an
// encoded word, and short enough for one header line.
constexpr size_t kLongestPlainHeader = 900;
bool IsLiteralHeader(std::u16string_view text) {
  return IsPlainAscii(text) && text.size() <= kLongestPlainHeader &&
         text.find(u"=?") == std::u16string_view::npos;
}

std::string Ascii(std::u16string_view text) { return std::string(text.begin(), text.end()); }

// Encoded words of at most 45 bytes of text each (60 of base64, so a word
// stays under 75 characters), cut between characters, one per line.
std::string EncodedWords(std::u16string_view text) {
  const Charset charset = CharsetFor(text);
  const std::string bytes = EncodeText(text, charset);
  const std::string prefix = "=?" + std::string(CharsetName(charset)) + "?B?";
  constexpr size_t kWordBytes = 45;
  std::string out;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = start;
    while (end < bytes.size()) {
      const size_t next = end + CharLength(bytes, end, charset);
      if (next - start > kWordBytes && end > start) break;
      end = next;
    }
    if (end > bytes.size()) end = bytes.size();
    if (!out.empty()) out += "\r\n ";
    out += prefix + Base64(std::string_view(bytes).substr(start, end - start)) + "?=";
    start = end;
  }
  return out;
}

// A display name: a quoted string when it is ASCII, else encoded words.
std::string DisplayName(std::u16string_view name) {
  if (!IsLiteralHeader(name)) return EncodedWords(name);
  std::string out = "\"";
  for (char16_t c : name) {
    if (c == u'"' || c == u'\\') out += '\\';
    out += static_cast<char>(c);
  }
  return out + "\"";
}

bool IsAddressChar(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) {
    return true;
  }
  return std::u16string_view(u".!#$%&'*+/=?^_`{|}~-").find(c) != std::u16string_view::npos;
}

std::u16string NormalLineEnds(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r') {
      out += u"\r\n";
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else if (c == u'\n') {
      out += u"\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string DomainOf(std::u16string_view address) {
  const size_t at = address.rfind(u'@');
  if (at == std::u16string_view::npos) return "localhost";
  return Ascii(address.substr(at + 1));
}

}  // namespace

Charset CharsetFor(std::u16string_view text) {
  for (char16_t c : text) {
    if (!FitsGb2312(c)) return Charset::kGb18030;
  }
  return Charset::kGb2312;
}

std::string_view CharsetName(Charset charset) {
  return charset == Charset::kGb2312 ? "gb2312" : "GB18030";
}

std::string EncodeText(std::u16string_view text, Charset charset) {
  // GB2312 codes are code page 936 codes: the table is at hand already.
  return charset == Charset::kGb2312 ? codepage::ToGbk(text) : ToGb18030(text);
}

std::string Base64(std::string_view bytes, bool line_breaks) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  constexpr size_t kLine = 76;
  std::string out;
  out.reserve(bytes.size() * 4 / 3 + 4 + (line_breaks ? bytes.size() / 28 + 2 : 0));
  size_t column = 0;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
    uint32_t group = static_cast<uint8_t>(bytes[i]) << 16;
    if (n > 1) group |= static_cast<uint8_t>(bytes[i + 1]) << 8;
    if (n > 2) group |= static_cast<uint8_t>(bytes[i + 2]);
    out += kDigits[(group >> 18) & 63];
    out += kDigits[(group >> 12) & 63];
    out += n > 1 ? kDigits[(group >> 6) & 63] : '=';
    out += n > 2 ? kDigits[group & 63] : '=';
    column += 4;
    if (line_breaks && column == kLine) {
      out += "\r\n";
      column = 0;
    }
  }
  if (line_breaks && column > 0) out += "\r\n";
  return out;
}

std::string HeaderText(std::u16string_view text) {
  return IsLiteralHeader(text) ? Ascii(text) : EncodedWords(text);
}

bool IsSingleAddress(std::u16string_view text) {
  constexpr size_t kLongestAddress = 254;
  if (text.empty() || text.size() > kLongestAddress) return false;
  const size_t at = text.find(u'@');
  if (at == 0 || at == std::u16string_view::npos || at + 1 == text.size()) return false;
  if (text.find(u'@', at + 1) != std::u16string_view::npos) return false;
  for (char16_t c : text) {
    if (c != u'@' && !IsAddressChar(c)) return false;
  }
  return true;
}

bool HasControl(std::u16string_view text) {
  for (char16_t c : text) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029) return true;
  }
  return false;
}

std::string ComposeMessage(const MessageText& message) {
  const std::string from = Ascii(message.from);
  std::string out;
  out += "From: ";
  if (!message.from_name.empty()) out += DisplayName(message.from_name) + " ";
  out += "<" + from + ">\r\n";
  out += "To: ";
  for (size_t i = 0; i < message.recipients.size(); ++i) {
    if (i > 0) out += ",\r\n ";
    out.append("<").append(Ascii(message.recipients[i])).append(">");
  }
  out += "\r\n";
  out += "Subject: " + HeaderText(message.subject) + "\r\n";
  out += "Date: " + message.date + "\r\n";
  out += "Message-ID: <" + message.unique_id + "@" + DomainOf(message.from) + ">\r\n";
  if (message.return_receipt) out += "Disposition-Notification-To: <" + from + ">\r\n";
  const std::u16string body = NormalLineEnds(message.body);
  const Charset charset = CharsetFor(body);
  out += "MIME-Version: 1.0\r\n";
  out += "Content-Type: text/plain; charset=" + std::string(CharsetName(charset)) + "\r\n";
  out += "Content-Transfer-Encoding: base64\r\n";
  out += "\r\n";
  out += Base64(EncodeText(body, charset), true);
  return out;
}

}  // namespace zorvadel::mail
