// Path confinement and URL encoding for Server.MapPath, Server.URLEncode and
// Response.Redirect.
#include "platform/engine/site_paths.h"

#include <system_error>
#include <vector>

#include "platform/codepage/codepage.h"
#include "runtime/hex_digits.h"
#include "zorvadel/variant.h"

namespace zorvadel::engine {
namespace {

void AppendEscaped(std::u16string& out, unsigned char byte) {
  out += u'%';
  out += UpperHexDigit(byte >> 4);
  out += UpperHexDigit(byte & 0xF);
}

bool IsAlnum(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
}

// Applies the segments of `path` ("/" separated) to `segments`; false when
// ".." climbs above the root.
bool ApplySegments(std::vector<std::u16string>& segments, std::u16string_view path) {
  while (!path.empty()) {
    size_t slash = path.find(u'/');
    std::u16string_view piece = path.substr(0, slash);
    if (piece == u"..") {
      if (segments.empty()) return false;
      segments.pop_back();
    } else if (!piece.empty() && piece != u".") {
      segments.emplace_back(piece);
    }
    if (slash == std::u16string_view::npos) break;
    path.remove_prefix(slash + 1);
  }
  return true;
}

std::u16string Slashed(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c == u'\\') c = u'/';
  }
  return out;
}

std::u16string RootTextOf(const std::filesystem::path& root) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(root, error);
  if (error) absolute = root;
  std::u8string text = absolute.lexically_normal().generic_u8string();
  while (text.size() > 1 && text.back() == u8'/') text.pop_back();
  return codepage::FromUtf8(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
}

}  // namespace

std::u16string SiteRootText(const std::filesystem::path& root) {
  // Every page of a site maps paths under the same root: its text form is
  // kept for this thread (an absolute root only, which no working-folder
  // change can move).
  thread_local std::filesystem::path::string_type cached_root;
  thread_local std::u16string cached_text;
  if (root.is_absolute() && root.native() == cached_root) return cached_text;
  std::u16string text = RootTextOf(root);
  if (root.is_absolute()) {
    cached_root = root.native();
    cached_text = text;
  }
  return text;
}

std::u16string DecodeUrlPath(std::string_view raw_path) {
  std::string bytes;
  bytes.reserve(raw_path.size());
  for (size_t i = 0; i < raw_path.size(); ++i) {
    if (raw_path[i] == '%' && i + 2 < raw_path.size() && HexDigitValue(raw_path[i + 1]) >= 0 &&
        HexDigitValue(raw_path[i + 2]) >= 0) {
      bytes += static_cast<char>(HexDigitValue(raw_path[i + 1]) * 16 +
                                 HexDigitValue(raw_path[i + 2]));
      i += 2;
    } else {
      bytes += raw_path[i];
    }
  }
  return codepage::FromUtf8(bytes);
}

std::u16string MapSitePath(const std::filesystem::path& root, std::string_view script_name,
                           std::u16string_view path) {
  if (path.find(u'\0') != std::u16string_view::npos) throw ScriptError(kErrInvalidArgument);
  const std::u16string wanted = Slashed(path);
  std::vector<std::u16string> segments;
  if (wanted.empty() || wanted.front() != u'/') {
    std::u16string script = Slashed(DecodeUrlPath(script_name));
    size_t last = script.rfind(u'/');
    script.resize(last == std::u16string::npos ? 0 : last);
    if (!ApplySegments(segments, script)) throw ScriptError(kErrInvalidArgument);
  }
  if (!ApplySegments(segments, wanted)) throw ScriptError(kErrInvalidArgument);

  std::u16string out = SiteRootText(root);
  for (const std::u16string& segment : segments) {
    if (out.empty() || out.back() != u'/') out += u'/';
    out += segment;
  }
  return out;
}

std::u16string UrlEncodeText(std::u16string_view text, uint32_t code_page) {
  std::u16string out;
  out.reserve(text.size());
  for (unsigned char byte : codepage::Encode(text, code_page)) {
    if (IsAlnum(byte)) {
      out += static_cast<char16_t>(byte);
    } else if (byte == ' ') {
      out += u'+';
    } else {
      AppendEscaped(out, byte);
    }
  }
  return out;
}

std::string LocationHeaderValue(std::u16string_view url, uint32_t code_page) {
  std::string out;
  for (unsigned char byte : codepage::Encode(url, code_page)) {
    if (byte < 0x20 || byte > 0x7E) {
      out += '%';
      out += UpperHexDigit<char>(byte >> 4);
      out += UpperHexDigit<char>(byte & 0xF);
    } else {
      out += static_cast<char>(byte);
    }
  }
  return out;
}

}  // namespace zorvadel::engine
