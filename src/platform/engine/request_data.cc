// Parsing of request targets, form bodies, cookies and headers, and the
// server-variable table.
#include "platform/engine/request_data.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/codepage/codepage.h"
#include "platform/engine/plain_host.h"
#include "platform/engine/site_paths.h"
#include "runtime/hex_digits.h"
#include "zorvadel/runtime.h"

namespace zorvadel::engine {
namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Header names compare without regard to case, "-" and "_" alike.
char FoldHeaderChar(char c) { return c == '-' ? '_' : AsciiUpper(c); }

bool SameHeaderName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldHeaderChar(a[i]) != FoldHeaderChar(b[i])) return false;
  }
  return true;
}

inline bool SameAsciiName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}

bool IsAsciiText(std::u16string_view text) {
  return std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
}

// `raw` (ASCII bytes) and `key` (ASCII text) alike with ASCII letters folded.
bool SameFoldedKey(std::string_view raw, std::u16string_view key) {
  if (raw.size() != key.size()) return false;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (AsciiUpper(raw[i]) != AsciiUpper(static_cast<char>(key[i]))) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

void AddPair(RawPairs& pairs, std::string_view piece) {
  if (piece.empty()) return;
  size_t eq = piece.find('=');
  if (eq == std::string_view::npos) {
    pairs.push_back({PercentDecode(piece), std::string()});
  } else {
    pairs.push_back({PercentDecode(piece.substr(0, eq)), PercentDecode(piece.substr(eq + 1))});
  }
}

// The request's headers with Host taken from the facts, first.
std::vector<std::pair<std::string, std::string>> AllHeaders(const RequestFacts& facts) {
  std::vector<std::pair<std::string, std::string>> all;
  all.emplace_back("Host", facts.host);
  for (const auto& header : facts.headers) {
    if (!SameHeaderName(header.first, "Host")) all.push_back(header);
  }
  return all;
}

std::string AllHttp(const RequestFacts& facts) {
  std::string out;
  for (const auto& [name, value] : AllHeaders(facts)) {
    out += "HTTP_";
    for (char c : name) out += FoldHeaderChar(c);
    out += ':';
    out += value;
    out += '\n';
  }
  return out;
}

std::string AllRaw(const RequestFacts& facts) {
  std::string out;
  for (const auto& [name, value] : AllHeaders(facts)) out += name + ": " + value + "\r\n";
  return out;
}

std::string ContentLength(const RequestFacts& facts) {
  if (!facts.form.empty()) return std::to_string(facts.form.size());
  std::string header = HeaderValue(facts, "Content-Length");
  return header.empty() ? "0" : header;
}

std::string ContentType(const RequestFacts& facts) {
  std::string header = HeaderValue(facts, "Content-Type");
  if (header.empty() && !facts.form.empty()) return "application/x-www-form-urlencoded";
  return header;
}

// The script's disk path; "" when its name leads outside the site.
std::u16string PathTranslated(const RequestFacts& facts, const std::filesystem::path& root) {
  if (root.empty()) return u"";
  try {
    return MapSitePath(root, "", DecodeUrlPath(TargetPath(facts.url)));
  } catch (const ScriptError&) {
    return u"";
  }
}

// The Host header's name when the Host is a plain name or address with
// at most a port, else the address the request came in on: pages build
// their own address from this name, and a Host that is empty or blank, or
// carries markup, a path or a port no client can use, must not become one.
std::string ServerName(const RequestFacts& facts) {
  const std::string_view host = facts.host;
  const size_t name_size = PlainHostNameSize(host);
  if (name_size != std::string_view::npos) return std::string(host.substr(0, name_size));
  if (facts.local_addr.find(':') != std::string::npos) return "[" + facts.local_addr + "]";
  return facts.local_addr;
}

std::u16string PhysicalRoot(const std::filesystem::path& root) {
  if (root.empty()) return u"";
  return SiteRootText(root) + u"/";
}

// A variable's UTF-8 text: a view of the facts, or of `scratch` when it
// had to be made. Pages read a dozen variables at page start, so the common
// ones are read without building a string.
using Utf8Getter = std::string_view (*)(const RequestFacts&, std::string& scratch);

template <std::string (*Make)(const RequestFacts&)>
std::string_view Made(const RequestFacts& facts, std::string& scratch) {
  scratch = Make(facts);
  return scratch;
}

struct VariableRule {
  std::string_view name;
  Utf8Getter get;
};

constexpr std::array<VariableRule, 21> kVariables = {{
    {"HTTP_URL", [](const RequestFacts& s, std::string&) -> std::string_view { return s.url; }},
    {"HTTP_HOST", [](const RequestFacts& s, std::string&) -> std::string_view { return s.host; }},
    {"QUERY_STRING", [](const RequestFacts& s, std::string&) { return TargetQuery(s.url); }},
    {"SERVER_NAME", &Made<&ServerName>},
    {"SERVER_PORT",
     [](const RequestFacts& s, std::string& scratch) -> std::string_view {
       return scratch = HostPort(s.host);
     }},
    {"SCRIPT_NAME", [](const RequestFacts& s, std::string&) { return TargetPath(s.url); }},
    {"PATH_INFO", [](const RequestFacts& s, std::string&) { return TargetPath(s.url); }},
    {"URL", [](const RequestFacts& s, std::string&) { return TargetPath(s.url); }},
    {"REMOTE_ADDR",
     [](const RequestFacts& s, std::string&) -> std::string_view { return s.remote_addr; }},
    {"REMOTE_HOST",
     [](const RequestFacts& s, std::string&) -> std::string_view { return s.remote_addr; }},
    {"LOCAL_ADDR",
     [](const RequestFacts& s, std::string&) -> std::string_view { return s.local_addr; }},
    {"REQUEST_METHOD",
     [](const RequestFacts& s, std::string&) -> std::string_view { return s.method; }},
    {"CONTENT_LENGTH", &Made<&ContentLength>},
    {"CONTENT_TYPE", &Made<&ContentType>},
    {"SERVER_PROTOCOL", [](const RequestFacts&, std::string&) { return std::string_view("HTTP/1.1"); }},
    {"HTTPS", [](const RequestFacts&, std::string&) { return std::string_view("off"); }},
    {"SERVER_PORT_SECURE", [](const RequestFacts&, std::string&) { return std::string_view("0"); }},
    {"GATEWAY_INTERFACE",
     [](const RequestFacts&, std::string&) { return std::string_view("CGI/1.1"); }},
    {"ALL_HTTP", &Made<&AllHttp>},
    {"ALL_RAW", &Made<&AllRaw>},
    {"HTTP_COOKIE", &Made<&CookieHeader>},
}};

// The rules ordered by name length, and where each length's rules begin:
// a name is compared only with the few of its own length (page start asks
// a dozen names per page, and a walk of the whole table mispredicted its
// way through every row).
constexpr std::array<VariableRule, kVariables.size()> kByLength = [] {
  std::array<VariableRule, kVariables.size()> rules = kVariables;
  std::sort(rules.begin(), rules.end(),
            [](const VariableRule& a, const VariableRule& b) { return a.name.size() < b.name.size(); });
  return rules;
}();

constexpr size_t kLongestName = kByLength.back().name.size();

// kByLength[kLengthStart[n]] up to kByLength[kLengthStart[n + 1]] have names of n units.
constexpr std::array<uint8_t, kLongestName + 2> kLengthStart = [] {
  std::array<uint8_t, kLongestName + 2> start{};
  for (size_t n = 0; n < start.size(); ++n) {
    size_t i = 0;
    while (i < kByLength.size() && kByLength[i].name.size() < n) ++i;
    start[n] = static_cast<uint8_t>(i);
  }
  return start;
}();

// UTF-8 as text into `out`; ASCII, which nearly every variable is, is
// simply widened.
void Widen(std::string_view text, std::u16string& out) {
  // Unit by unit in place: assign() from a range of another character type
  // would build a temporary string first. The bytes are widened and their
  // high bits gathered in the same pass, with no branch per byte; the rare
  // text that was not ASCII after all is then decoded instead.
  out.resize(text.size());
  unsigned char high = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    high |= byte;
    out[i] = static_cast<char16_t>(byte);
  }
  if (high & 0x80) out = codepage::FromUtf8(text);
}

// The name as UTF-8 with ASCII letters in upper case: every rule compares
// names without regard to ASCII case, so the folding is done once here and
// the table's names (upper case already) compare as they are. A short ASCII
// name (every name page start asks) is folded into `buffer`, any other into
// `scratch`.
std::string_view FoldedName(std::u16string_view name, char (&buffer)[64], std::string& scratch) {
  if (name.size() <= sizeof buffer) {
    // Checked for ASCII while folded: one pass over the name, not two, and
    // no branch per unit (the high bits are gathered and tested after).
    char16_t high = 0;
    for (size_t i = 0; i < name.size(); ++i) {
      high |= name[i];
      buffer[i] = AsciiUpper(static_cast<char>(name[i]));
    }
    if (high < 0x80) return std::string_view(buffer, name.size());
  }
  scratch = IsAsciiText(name) ? std::string(name.begin(), name.end()) : codepage::ToUtf8(name);
  for (char& c : scratch) c = AsciiUpper(c);
  return scratch;
}

}  // namespace

std::string PercentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 &&
               HexDigitValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

RawPairs ParseUrlEncoded(std::string_view text) {
  RawPairs pairs;
  while (true) {
    size_t amp = text.find('&');
    AddPair(pairs, text.substr(0, amp));
    if (amp == std::string_view::npos) break;
    text.remove_prefix(amp + 1);
  }
  return pairs;
}

RawPairs ParseCookieHeader(std::string_view header) {
  RawPairs pairs;
  while (true) {
    size_t semi = header.find(';');
    AddPair(pairs, TrimBlanks(header.substr(0, semi)));
    if (semi == std::string_view::npos) break;
    header.remove_prefix(semi + 1);
  }
  return pairs;
}

Variant LookupPair(const RawPairs& pairs, std::u16string_view key, uint32_t code_page) {
  // An ASCII key against an ASCII pair key (nearly every lookup) compares
  // with ASCII letters folded, which is what LCase does to ASCII, and both
  // code pages keep ASCII bytes as they are: no folded copies are made.
  // Other pairs take the general path, where a non-ASCII letter may fold
  // into an ASCII one.
  const bool ascii_key = IsAsciiText(key);
  std::u16string wanted;
  bool have_wanted = false;
  bool found = false;
  std::u16string joined;
  for (const RawPair& pair : pairs) {
    if (ascii_key && IsAscii(pair.key)) {
      if (!SameFoldedKey(pair.key, key)) continue;
    } else {
      if (!have_wanted) {
        wanted = LCase(key);
        have_wanted = true;
      }
      if (LCase(codepage::Decode(pair.key, code_page)) != wanted) continue;
    }
    if (found) {
      joined += u", ";
      joined += codepage::Decode(pair.value, code_page);
    } else {
      joined = codepage::Decode(pair.value, code_page);
    }
    found = true;
  }
  if (!found) return Variant();
  return Variant(std::move(joined));
}

std::string_view TargetPath(std::string_view url) { return url.substr(0, url.find('?')); }

std::string_view TargetQuery(std::string_view url) {
  size_t q = url.find('?');
  return q == std::string_view::npos ? std::string_view() : url.substr(q + 1);
}

std::string HeaderValue(const RequestFacts& facts, std::string_view name) {
  if (SameHeaderName(name, "Host")) return facts.host;
  std::string joined;
  bool found = false;
  for (const auto& [header, value] : facts.headers) {
    if (!SameHeaderName(header, name)) continue;
    if (found) joined += ", ";
    joined += value;
    found = true;
  }
  return joined;
}

std::string CookieHeader(const RequestFacts& facts) {
  std::string joined;
  for (const auto& [header, value] : facts.headers) {
    if (!SameHeaderName(header, "Cookie")) continue;
    if (!joined.empty()) joined += "; ";
    joined += value;
  }
  return joined;
}

std::string HostName(std::string_view host) {
  if (!host.empty() && host.front() == '[') {
    size_t close = host.find(']');
    return std::string(close == std::string_view::npos ? host : host.substr(0, close + 1));
  }
  // More than one ":" is a bare IPv6 address, which carries no port.
  size_t colon = host.find(':');
  if (colon == std::string_view::npos || host.find(':', colon + 1) != std::string_view::npos) {
    return std::string(host);
  }
  return std::string(host.substr(0, colon));
}

std::string HostPort(std::string_view host) {
  const std::string name = HostName(host);
  std::string_view rest = host.substr(std::min(name.size(), host.size()));
  if (rest.size() < 2 || rest.front() != ':') return "80";
  const int32_t port = HostPortNumber(rest.substr(1));
  return port > 0 ? std::to_string(port) : "80";
}

void ServerVariableInto(const RequestFacts& facts, std::u16string_view name, std::u16string& out,
                        const std::filesystem::path& site_root) {
  char buffer[64];
  std::string converted;
  const std::string_view key = FoldedName(name, buffer, converted);
  for (const auto& [extra, value] : facts.server_variables) {
    if (SameAsciiName(extra, key)) return Widen(value, out);
  }
  if (key.size() <= kLongestName) {
    for (size_t i = kLengthStart[key.size()]; i < kLengthStart[key.size() + 1]; ++i) {
      const VariableRule& rule = kByLength[i];
      if (rule.name != key) continue;
      std::string scratch;
      return Widen(rule.get(facts, scratch), out);
    }
  }
  if (key == "APPL_PHYSICAL_PATH") {
    out = PhysicalRoot(site_root);
    return;
  }
  if (key == "PATH_TRANSLATED") {
    out = PathTranslated(facts, site_root);
    return;
  }
  if (key.size() > 5 && key.substr(0, 5) == "HTTP_") {
    const std::string_view header = key.substr(5);
    // A header sent once, as nearly all are, is read where it lies.
    const std::pair<std::string, std::string>* only = nullptr;
    size_t count = 0;
    for (const auto& pair : facts.headers) {
      if (SameHeaderName(pair.first, header)) {
        only = &pair;
        ++count;
      }
    }
    if (count == 1 && !SameHeaderName(header, "Host")) return Widen(only->second, out);
    return Widen(HeaderValue(facts, header), out);
  }
  out.clear();
}

std::u16string ServerVariable(const RequestFacts& facts, std::u16string_view name,
                              const std::filesystem::path& site_root) {
  std::u16string out;
  ServerVariableInto(facts, name, out, site_root);
  return out;
}

}  // namespace zorvadel::engine
