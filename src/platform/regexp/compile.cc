// Compiling patterns with the script engine's options, and the process-wide
// cache that lets every page share one compilation of each pattern.
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/regexp/compiled.h"
#include "platform/regexp/regexp.h"
#include "zorvadel/variant.h"

namespace zorvadel::regexp {
namespace {

// Enough for every pattern the library and its pages use many times over;
// past it the cache starts again empty (the compilations in use live on in
// their holders' pointers).
constexpr size_t kCacheLimit = 512;

// The script engine's dialect, in PCRE2's terms:
// - no UTF mode: the text is a plain sequence of 16-bit units, so a lone
//   surrogate is an ordinary character and never a "bad UTF" failure, and
//   "[^>]*" runs across it as the script engine's did;
// - no UCP: "\w", "\d", "\s", "\b" stay ASCII, as they were; case folding
//   is therefore ASCII only;
// - ALT_BSUX: "\uXXXX" and "\xXX" escapes (patterns such as "[\u4e00-\u9fa5]");
// - ALLOW_EMPTY_CLASS: "[]" matches nothing instead of opening a class with "]";
// - MATCH_UNSET_BACKREF: "\1" of a group that did not match is empty;
// - DOLLAR_ENDONLY and no MULTILINE: "$" only at the very end;
// - NEVER_UTF: a "(*UTF)" in the pattern cannot switch on UTF checking.
constexpr uint32_t kOptions = PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS |
                              PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY |
                              PCRE2_NEVER_UTF;

const std::u16string kSyntaxErrorText = u"Syntax error in regular expression";

std::shared_ptr<const Compiled> CompileNow(std::u16string_view pattern, bool ignore_case) {
  pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
  if (context == nullptr) throw std::bad_alloc();
  // Only a line feed ends a line: "." matches "\r".
  pcre2_set_newline(context, PCRE2_NEWLINE_LF);
  int error_code = 0;
  PCRE2_SIZE error_offset = 0;
  static constexpr char16_t kEmpty[] = u"";
  const auto* units = reinterpret_cast<PCRE2_SPTR>(pattern.empty() ? kEmpty : pattern.data());
  pcre2_code* code =
      pcre2_compile(units, pattern.size(), kOptions | (ignore_case ? PCRE2_CASELESS : 0u),
                    &error_code, &error_offset, context);
  pcre2_compile_context_free(context);
  if (code == nullptr) throw ScriptError(kSyntaxError, kSyntaxErrorText);
  // Without JIT (an unsupported CPU, no executable memory) pcre2_match falls
  // back to the interpreter by itself, so a failure here is not an error.
  pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
  uint32_t groups = 0;
  pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &groups);
  return std::make_shared<const Compiled>(code, static_cast<int>(groups));
}

struct Cache {
  std::mutex mutex;
  std::unordered_map<std::u16string, std::shared_ptr<const Compiled>> entries;
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

}  // namespace

std::shared_ptr<const Compiled> Compile(std::u16string_view pattern, bool ignore_case) {
  std::u16string key;
  key.reserve(pattern.size() + 1);
  key.push_back(ignore_case ? u'i' : u'-');
  key.append(pattern);
  Cache& cache = TheCache();
  {
    std::lock_guard<std::mutex> lock(cache.mutex);
    auto found = cache.entries.find(key);
    if (found != cache.entries.end()) return found->second;
  }
  // Compiled outside the lock so one slow pattern does not stall the other
  // threads; if two threads race, the first to store wins and both get it.
  std::shared_ptr<const Compiled> compiled = CompileNow(pattern, ignore_case);
  std::lock_guard<std::mutex> lock(cache.mutex);
  if (cache.entries.size() >= kCacheLimit) cache.entries.clear();
  return cache.entries.try_emplace(std::move(key), std::move(compiled)).first->second;
}

int GroupCount(const Compiled& re) { return re.groups(); }

}  // namespace zorvadel::regexp
