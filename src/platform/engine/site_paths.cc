// Path confinement and URL encoding for Server.MapPath, Server.URLEncode and
// Response.Redirect.
#include "platform/engine/site_paths.h"

#include <algorithm>
#include <system_error>

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

// The disk path being built: the root's text, then one "/"-led segment per
// folder, so that ".." drops the text after the last "/" past the root.
class PathBuilder {
 public:
  explicit PathBuilder(std::u16string& out) : out_(out), root_size_(out.size()) {}

  // Applies the segments of `path` ("/" or "\" separated); false when ".."
  // climbs above the root.
  bool Apply(std::u16string_view path) {
    while (!path.empty()) {
      const size_t slash = path.find_first_of(u"/\\");
      const std::u16string_view piece = path.substr(0, slash);
      if (piece == u"..") {
        if (depth_ == 0) return false;
        --depth_;
        const size_t last = out_.rfind(u'/');
        out_.resize(last == std::u16string::npos || last < root_size_ ? root_size_ : last);
      } else if (!piece.empty() && piece != u".") {
        if (out_.empty() || out_.back() != u'/') out_ += u'/';
        out_ += piece;
        ++depth_;
      }
      if (slash == std::u16string_view::npos) break;
      path.remove_prefix(slash + 1);
    }
    return true;
  }

 private:
  std::u16string& out_;
  const size_t root_size_;
  size_t depth_ = 0;
};

std::u16string RootTextOf(const std::filesystem::path& root) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(root, error);
  if (error) absolute = root;
  std::u8string text = absolute.lexically_normal().generic_u8string();
  while (text.size() > 1 && text.back() == u8'/') text.pop_back();
  return codepage::FromUtf8(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
}

// The text of `root`, kept for this thread: every page of a site maps paths
// under the same root (an absolute root only, which no working-folder change
// can move). A relative root is made into `scratch`.
const std::u16string& RootText(const std::filesystem::path& root, std::u16string& scratch) {
  thread_local std::filesystem::path::string_type cached_root;
  thread_local std::u16string cached_text;
  if (!root.is_absolute()) return scratch = RootTextOf(root);
  if (root.native() != cached_root) {
    cached_text = RootTextOf(root);
    cached_root = root.native();
  }
  return cached_text;
}

}  // namespace

std::u16string SiteRootText(const std::filesystem::path& root) {
  std::u16string scratch;
  return RootText(root, scratch);
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
  std::u16string scratch;
  const std::u16string& root_text = RootText(root, scratch);
  // One string, made once: the root, the script's folder and the path.
  std::u16string out;
  out.reserve(root_text.size() + script_name.size() + path.size() + 2);
  out = root_text;
  PathBuilder builder(out);
  if (path.empty() || (path.front() != u'/' && path.front() != u'\\')) {
    // The script's folder: its name up to the last separator. A plain ASCII
    // name (nearly every one) is widened as it is, without decoding.
    const bool plain = std::all_of(script_name.begin(), script_name.end(),
                                   [](char c) { return (c & 0x80) == 0 && c != '%'; });
    std::u16string script;
    if (plain) {
      const size_t last = script_name.find_last_of("/\\");
      const std::string_view folder = script_name.substr(0, last == std::string_view::npos ? 0 : last);
      script.assign(folder.begin(), folder.end());
    } else {
      script = DecodeUrlPath(script_name);
      const size_t last = script.find_last_of(u"/\\");
      script.resize(last == std::u16string::npos ? 0 : last);
    }
    if (!builder.Apply(script)) throw ScriptError(kErrInvalidArgument);
  }
  if (!builder.Apply(path)) throw ScriptError(kErrInvalidArgument);
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
