#include "platform/ado/connection_string.h"

#include "zorvadel/dispatch.h"

namespace zorvadel::ado {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view TrimBlanks(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::u16string Unbraced(std::u16string_view value) {
  value = TrimBlanks(value);
  if (value.size() < 2 || value.front() != u'{' || value.back() != u'}') {
    return std::u16string(value);
  }
  std::u16string out;
  value = value.substr(1, value.size() - 2);
  for (size_t i = 0; i < value.size(); ++i) {
    out += value[i];
    if (value[i] == u'}' && i + 1 < value.size() && value[i + 1] == u'}') ++i;
  }
  return out;
}

}  // namespace

bool SameKey(std::u16string_view a, std::u16string_view b) { return SameAsciiName(a, b); }

std::vector<ConnectionPair> ParseConnectionString(std::u16string_view text) {
  std::vector<ConnectionPair> pairs;
  size_t i = 0;
  while (i < text.size()) {
    // The key runs to "=" or ";".
    size_t key_end = i;
    while (key_end < text.size() && text[key_end] != u'=' && text[key_end] != u';') ++key_end;
    ConnectionPair pair{std::u16string(TrimBlanks(text.substr(i, key_end - i))), {}};
    i = key_end;
    if (i < text.size() && text[i] == u'=') {
      ++i;
      size_t value_start = i;
      bool braced = false;
      while (i < text.size()) {
        char16_t c = text[i];
        if (braced) {
          if (c == u'}') {
            if (i + 1 < text.size() && text[i + 1] == u'}') {
              i += 2;
              continue;
            }
            braced = false;
          }
        } else if (c == u'{') {
          braced = true;
        } else if (c == u';') {
          break;
        }
        ++i;
      }
      pair.value = std::u16string(text.substr(value_start, i - value_start));
    }
    if (i < text.size()) ++i;  // the ";"
    if (!pair.key.empty() || !pair.value.empty()) pairs.push_back(std::move(pair));
  }
  return pairs;
}

std::u16string ConnectionValue(const std::vector<ConnectionPair>& pairs, std::u16string_view key) {
  for (const ConnectionPair& pair : pairs) {
    if (SameKey(pair.key, key)) return Unbraced(pair.value);
  }
  return {};
}

std::u16string JoinWithoutEmptyValues(const std::vector<ConnectionPair>& pairs) {
  std::u16string out;
  for (const ConnectionPair& pair : pairs) {
    if (TrimBlanks(pair.value).empty()) continue;
    if (!out.empty()) out += u';';
    out += pair.key;
    out += u'=';
    out += pair.value;
  }
  return out;
}

}  // namespace zorvadel::ado
