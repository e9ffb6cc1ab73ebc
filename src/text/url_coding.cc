// The coders walk the text once and write through a small stack buffer that
// is appended to the result in blocks: appending unit by unit to the string
// (a capacity check per unit) and a temporary UTF-8 string per character
// were where the time went.
#include "text/url_coding.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "platform/codepage/codepage.h"
#include "runtime/hex_digits.h"
#include "runtime/utf16.h"

namespace zorvadel::text {
namespace {

// The marks the UTF-8 dialect escapes although they are ASCII.
constexpr std::u16string_view kEscapedMarks = u" `=\\@#$%^&+|{}[]:;\"'<>,.?/";

// Which ASCII characters the UTF-8 dialect escapes: the marks above, the
// control characters and DEL.
constexpr std::array<bool, 128> kAsciiEscaped = [] {
  std::array<bool, 128> escaped{};
  for (int c = 0; c < 0x20; ++c) escaped[c] = true;
  escaped[0x7F] = true;
  for (char16_t c : kEscapedMarks) escaped[c] = true;
  return escaped;
}();

constexpr char16_t kReplacement = 0xFFFD;

// Collects output in a stack block and appends it to `out` when full.
class Sink {
 public:
  explicit Sink(std::u16string& out) : out_(out) {}
  Sink(const Sink&) = delete;
  Sink& operator=(const Sink&) = delete;

  // Where up to `units` (at most kSize) more units may be written; Advance
  // takes the end of what was written.
  char16_t* Room(size_t units) {
    if (kSize - used_ < units) Flush();
    return block_ + used_;
  }
  void Advance(char16_t* end) { used_ = static_cast<size_t>(end - block_); }

  void Append(const char16_t* units, size_t count) {
    if (kSize - used_ < count) {
      Flush();
      if (count > kSize) {
        out_.append(units, count);
        return;
      }
    }
    std::memcpy(block_ + used_, units, count * sizeof(char16_t));
    used_ += count;
  }

  void Flush() {
    out_.append(block_, used_);
    used_ = 0;
  }

 static constexpr size_t kSize = 4096;

 private:
  std::u16string& out_;
  char16_t block_[kSize];
  size_t used_ = 0;
};

char16_t* PutEscape(char16_t* o, uint32_t byte) {
  o[0] = u'%';
  o[1] = UpperHexDigit(byte >> 4 & 0xF);
  o[2] = UpperHexDigit(byte & 0xF);
  return o + 3;
}

// The byte of the escape at `pos`, or -1 when no escape stands there.
int EscapeAt(std::u16string_view text, size_t pos) {
  if (pos + 2 >= text.size() || text[pos] != u'%') return -1;
  const int high = HexDigitValue(text[pos + 1]);
  const int low = HexDigitValue(text[pos + 2]);
  return (high | low) < 0 ? -1 : high * 16 + low;
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

// The byte an escape spells, with no bounds check: `p` must have two units
// after it. -1 when no escape stands there.
int EscapeByteAt(const char16_t* p) {
  if (p[0] != u'%') return -1;
  const int high = HexDigitValue(p[1]);
  const int low = HexDigitValue(p[2]);
  return (high | low) < 0 ? -1 : high * 16 + low;
}

// Decodes the sequence whose lead escape stands at `pos` into `o`; the end
// of what was written, or nullptr when the text holds no complete,
// well-formed sequence there.
char16_t* DecodeUtf8Escapes(std::u16string_view text, size_t pos, char16_t* o,
                            size_t* consumed) {
  const int lead = EscapeAt(text, pos);
  const int length = lead < 0 ? 0 : SequenceLength(lead);
  // The whole sequence must fit: its last escape ends before the text does.
  if (length == 0 || text.size() - pos < 3 * static_cast<size_t>(length)) return nullptr;
  const char16_t* p = text.data() + pos;
  // The lead byte's bits after its length prefix and the zero that ends it.
  uint32_t value = length == 1 ? static_cast<uint32_t>(lead)
                               : static_cast<uint32_t>(lead) & (0x7Fu >> length);
  for (int i = 1; i < length; ++i) {
    const int byte = EscapeByteAt(p + 3 * i);
    if (byte < 0 || (byte & 0xC0) != 0x80) return nullptr;
    value = value << 6 | static_cast<uint32_t>(byte & 0x3F);
  }
  if (length == 4) {
    if (value < 0x10000 || value > 0x10FFFF) return nullptr;
    *o++ = HighSurrogateOf(value);
    *o++ = LowSurrogateOf(value);
  } else {
    *o++ = static_cast<char16_t>(value);
  }
  *consumed = 3 * static_cast<size_t>(length);
  return o;
}

}  // namespace

std::u16string GoogleUrlEncode(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() * 3);
  Sink sink(out);
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    const char16_t c = text[i];
    // A unit gives at most three escapes; a pair gives four for two units.
    char16_t* o = sink.Room(12);
    uint32_t cp = c;
    if (c < 0x80) {
      if (kAsciiEscaped[c]) {
        o = PutEscape(o, c);
      } else {
        *o++ = c;
      }
      sink.Advance(o);
      continue;
    }
    if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(text[i + 1])) {
      cp = CombineSurrogates(c, text[i + 1]);
      ++i;
    } else if (IsSurrogate(c)) {
      cp = kReplacement;
    }
    if (cp < 0x800) {
      o = PutEscape(o, 0xC0 | cp >> 6);
      o = PutEscape(o, 0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      o = PutEscape(o, 0xE0 | cp >> 12);
      o = PutEscape(o, 0x80 | (cp >> 6 & 0x3F));
      o = PutEscape(o, 0x80 | (cp & 0x3F));
    } else {
      o = PutEscape(o, 0xF0 | cp >> 18);
      o = PutEscape(o, 0x80 | (cp >> 12 & 0x3F));
      o = PutEscape(o, 0x80 | (cp >> 6 & 0x3F));
      o = PutEscape(o, 0x80 | (cp & 0x3F));
    }
    sink.Advance(o);
  }
  sink.Flush();
  return out;
}

// The decoders never write more units than they read (an escape of three
// gives at most one, four escapes at most two), so each chunk of input gets
// one Room call and the inner loop writes through a plain pointer.
constexpr size_t kDecodeChunk = Sink::kSize - 16;

std::u16string GoogleUrlDecode(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  Sink sink(out);
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const size_t chunk_end = n - i < kDecodeChunk ? n : i + kDecodeChunk;
    // A sequence that starts before the chunk's end may read up to 11 units
    // past it, and writes fewer than it reads.
    char16_t* o = sink.Room(kDecodeChunk + 12);
    while (i < chunk_end) {
      const char16_t c = text[i];
      size_t consumed = 0;
      char16_t* end = nullptr;
      if (c != u'%') {
        *o++ = c;
        ++i;
      } else if ((end = DecodeUtf8Escapes(text, i, o, &consumed)) != nullptr) {
        o = end;
        i += consumed;
      } else {
        *o++ = c;
        ++i;
      }
    }
    sink.Advance(o);
  }
  sink.Flush();
  return out;
}

std::u16string BaiduUrlEncode(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  Sink sink(out);
  for (char16_t c : text) {
    const uint16_t code = codepage::GbkCode(c);
    char16_t* o = sink.Room(6);
    if (code > 0xFF) {
      o = PutEscape(o, code >> 8);
      o = PutEscape(o, code & 0xFF);
    } else {
      *o++ = c;
    }
    sink.Advance(o);
  }
  sink.Flush();
  return out;
}

std::u16string BaiduUrlDecode(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  Sink sink(out);
  int pending_lead = -1;  // waits across plain characters
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const size_t chunk_end = n - i < kDecodeChunk ? n : i + kDecodeChunk;
    char16_t* o = sink.Room(kDecodeChunk + 2);
    while (i < chunk_end) {
      const char16_t c = text[i];
      int byte = -1;
      if (c == u'+') {
        *o++ = u' ';
        ++i;
      } else if (c != u'%' || (byte = EscapeAt(text, i)) < 0) {
        *o++ = c;
        ++i;
      } else {
        if (pending_lead >= 0) {
          const char16_t decoded =
              codepage::FromGbkCode(static_cast<uint16_t>(pending_lead << 8 | byte));
          *o++ = decoded != 0 ? decoded : kReplacement;
          pending_lead = -1;
        } else if (byte <= 0x7F) {
          *o++ = static_cast<char16_t>(byte);
        } else {
          pending_lead = byte;
        }
        i += 3;
      }
    }
    sink.Advance(o);
  }
  if (pending_lead >= 0) sink.Append(&kReplacement, 1);
  sink.Flush();
  return out;
}

}  // namespace zorvadel::text
