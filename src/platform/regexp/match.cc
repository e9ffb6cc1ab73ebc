// Searching: Test, Replace and the match iteration they share. Every call
// owns its match data; the per-thread match context only carries limits and
// the JIT stack, which no two threads ever share.
#include <cstddef>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <string_view>
#include <vector>

#include "platform/regexp/compiled.h"
#include "platform/regexp/regexp.h"
#include "zorvadel/variant.h"

namespace zorvadel::regexp {
namespace {

// Bounds of one search. A pattern that backtracks without end (say
// "(a+)+b" on a long run of "a") stops at these instead of hanging the page.
// The match limit is PCRE2's default; legitimate patterns stay far below it.
// The interpreter keeps its backtracking frames on the heap: 64 MiB of them.
constexpr uint32_t kMatchLimit = 10'000'000;
constexpr uint32_t kHeapLimitKib = 64 * 1024;
// The JIT's own stack: starts small, grows up to 1 MiB; beyond that the
// search is retried by the interpreter, whose frames live on the heap.
constexpr size_t kJitStackStart = 32 * 1024;
constexpr size_t kJitStackMax = 1024 * 1024;

class ThreadMatchContext {
 public:
  ThreadMatchContext() {
    context_ = pcre2_match_context_create(nullptr);
    if (context_ == nullptr) return;  // pcre2_match then uses its defaults
    pcre2_set_match_limit(context_, kMatchLimit);
    pcre2_set_heap_limit(context_, kHeapLimitKib);
    stack_ = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
    if (stack_ != nullptr) pcre2_jit_stack_assign(context_, nullptr, stack_);
  }
  ~ThreadMatchContext() {
    pcre2_match_context_free(context_);
    pcre2_jit_stack_free(stack_);
  }
  ThreadMatchContext(const ThreadMatchContext&) = delete;
  ThreadMatchContext& operator=(const ThreadMatchContext&) = delete;

  pcre2_match_context* get() const { return context_; }

 private:
  pcre2_match_context* context_ = nullptr;
  pcre2_jit_stack* stack_ = nullptr;
};

pcre2_match_context* MatchContext() {
  thread_local ThreadMatchContext context;
  return context.get();
}

class MatchData {
 public:
  explicit MatchData(const Compiled& re)
      : data_(pcre2_match_data_create_from_pattern(re.code(), nullptr)) {
    if (data_ == nullptr) throw std::bad_alloc();
  }
  ~MatchData() { pcre2_match_data_free(data_); }
  MatchData(const MatchData&) = delete;
  MatchData& operator=(const MatchData&) = delete;

  pcre2_match_data* get() const { return data_; }

 private:
  pcre2_match_data* data_;
};

// Runs `on_match(offsets)` for the first match at or after the start, then,
// when `global`, for each following one. Searches resume where the last
// match ended, or one unit further after an empty match; the look-behinds
// still see the text before the resume point. A limit hit or any other
// failure ends the scan as if nothing more matched.
template <typename OnMatch>
void Scan(const Compiled& re, std::u16string_view text, bool global, OnMatch&& on_match) {
  static constexpr char16_t kEmpty[] = u"";
  const auto* subject = reinterpret_cast<PCRE2_SPTR>(text.empty() ? kEmpty : text.data());
  const size_t length = text.size();
  MatchData data(re);
  pcre2_match_context* context = MatchContext();
  const size_t* offsets = pcre2_get_ovector_pointer(data.get());
  size_t position = 0;
  while (position <= length) {
    int rc = pcre2_match(re.code(), subject, length, position, 0, data.get(), context);
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
      rc = pcre2_match(re.code(), subject, length, position, PCRE2_NO_JIT, data.get(), context);
    }
    if (rc < 0) return;
    // "\K" could in principle report a match that starts before the search
    // or ends before it starts; the script dialect has no such thing, and
    // the loop must never go backwards.
    if (offsets[0] < position || offsets[1] < offsets[0]) return;
    on_match(offsets);
    if (!global) return;
    position = offsets[1] > offsets[0] ? offsets[1] : offsets[1] + 1;
  }
}

// A replacement text split once into literal runs and references, so each
// match costs only appends.
struct Piece {
  enum Kind { kLiteral, kGroup, kBefore, kAfter };
  Kind kind;
  std::u16string_view literal;  // kLiteral
  int group = 0;                // kGroup
};

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

std::vector<Piece> ParseReplacement(std::u16string_view replacement, int groups) {
  std::vector<Piece> pieces;
  size_t literal_start = 0;
  auto flush = [&](size_t end) {
    if (end > literal_start) {
      pieces.push_back({Piece::kLiteral, replacement.substr(literal_start, end - literal_start)});
    }
  };
  for (size_t i = 0; i + 1 < replacement.size(); ++i) {
    if (replacement[i] != u'$') continue;
    const char16_t next = replacement[i + 1];
    size_t consumed = 0;  // units after "$"
    Piece piece{Piece::kLiteral, {}};
    if (next == u'$') {
      piece.literal = replacement.substr(i, 1);
      consumed = 1;
    } else if (next == u'&') {
      piece = {Piece::kGroup, {}, 0};
      consumed = 1;
    } else if (next == u'`') {
      piece = {Piece::kBefore, {}};
      consumed = 1;
    } else if (next == u'\'') {
      piece = {Piece::kAfter, {}};
      consumed = 1;
    } else if (IsDigit(next)) {
      // Two digits when they name a group, else one digit when it does:
      // with one group "$12" is group 1 followed by "2".
      const int one = next - u'0';
      if (i + 2 < replacement.size() && IsDigit(replacement[i + 2])) {
        const int two = one * 10 + (replacement[i + 2] - u'0');
        if (two >= 1 && two <= groups) {
          piece = {Piece::kGroup, {}, two};
          consumed = 2;
        }
      }
      if (consumed == 0 && one >= 1 && one <= groups) {
        piece = {Piece::kGroup, {}, one};
        consumed = 1;
      }
    }
    if (consumed == 0) continue;  // a "$" that names nothing stays literal
    flush(i);
    pieces.push_back(piece);
    i += consumed;
    literal_start = i + 1;
  }
  flush(replacement.size());
  return pieces;
}

constexpr size_t kUnset = PCRE2_UNSET;

std::u16string_view GroupText(std::u16string_view text, const size_t* offsets, int n) {
  const size_t start = offsets[2 * n];
  if (start == kUnset) return {};
  return text.substr(start, offsets[2 * n + 1] - start);
}

}  // namespace

std::u16string_view MatchView::Group(int n) const {
  if (n < 0 || n > groups_) return {};
  return GroupText(text_, offsets_, n);
}

bool MatchView::Participated(int n) const {
  return n >= 0 && n <= groups_ && offsets_[2 * n] != kUnset;
}

bool Test(const Compiled& re, std::u16string_view text) {
  bool found = false;
  Scan(re, text, false, [&](const size_t*) { found = true; });
  return found;
}

std::u16string Replace(const Compiled& re, std::u16string_view text,
                       std::u16string_view replacement, bool global) {
  const std::vector<Piece> pieces = ParseReplacement(replacement, re.groups());
  std::u16string out;
  out.reserve(text.size());
  size_t copied = 0;  // text before this offset is already in `out`
  Scan(re, text, global, [&](const size_t* offsets) {
    out.append(text.substr(copied, offsets[0] - copied));
    for (const Piece& piece : pieces) {
      switch (piece.kind) {
        case Piece::kLiteral:
          out.append(piece.literal);
          break;
        case Piece::kGroup:
          out.append(GroupText(text, offsets, piece.group));
          break;
        case Piece::kBefore:
          out.append(text.substr(0, offsets[0]));
          break;
        case Piece::kAfter:
          out.append(text.substr(offsets[1]));
          break;
      }
    }
    copied = offsets[1];
  });
  out.append(text.substr(copied));
  return out;
}

void ForEachMatch(const Compiled& re, std::u16string_view text, bool global,
                  const std::function<void(const MatchView&)>& visit) {
  const int groups = re.groups();
  Scan(re, text, global,
       [&](const size_t* offsets) { visit(MatchView(text, offsets, groups)); });
}

namespace {

// Builds the replaced text; `matched` tells whether there was anything to
// replace (the result is then complete, else left empty).
void Rebuild(const Compiled& re, std::u16string_view text, bool global,
             const std::function<void(const MatchView&, std::u16string& out)>& append,
             std::u16string& out, bool* matched) {
  const int groups = re.groups();
  out.clear();
  size_t copied = 0;
  *matched = false;
  Scan(re, text, global, [&](const size_t* offsets) {
    if (!*matched) {
      out.reserve(text.size());
      *matched = true;
    }
    out.append(text.substr(copied, offsets[0] - copied));
    append(MatchView(text, offsets, groups), out);
    copied = offsets[1];
  });
  if (*matched) out.append(text.substr(copied));
}

}  // namespace

std::u16string ReplaceEach(
    const Compiled& re, std::u16string_view text, bool global,
    const std::function<void(const MatchView&, std::u16string& out)>& append) {
  bool matched;
  std::u16string out;
  Rebuild(re, text, global, append, out, &matched);
  return matched ? out : std::u16string(text);
}

bool ReplaceEachInPlace(
    const Compiled& re, std::u16string& text, bool global,
    const std::function<void(const MatchView&, std::u16string& out)>& append) {
  // Chains of replacements on one long text (the UBB rules) would otherwise
  // take fresh memory from the system for every step: the replaced text's
  // buffer is kept for this thread's next call.
  thread_local std::u16string spare;
  bool matched;
  Rebuild(re, text, global, append, spare, &matched);
  if (matched) text.swap(spare);
  constexpr size_t kKeep = size_t{1} << 22;  // code units
  if (spare.capacity() > kKeep) std::u16string().swap(spare);
  return matched;
}

// ---- RegExp ----------------------------------------------------------------

RegExp::RegExp(std::u16string_view pattern, bool ignore_case, bool global)
    : pattern_(pattern), ignore_case_(ignore_case), global_(global) {
  Recompile();
}

void RegExp::SetPattern(std::u16string_view pattern) {
  pattern_ = pattern;
  Recompile();
}

void RegExp::SetIgnoreCase(bool ignore_case) {
  ignore_case_ = ignore_case;
  Recompile();
}

void RegExp::Recompile() {
  compiled_.reset();
  try {
    compiled_ = Compile(pattern_, ignore_case_);
  } catch (const ScriptError&) {
    // Left null: Replace and Test raise it, as the script object did.
  }
}

std::shared_ptr<const Compiled> RegExp::Get() const {
  return compiled_ != nullptr ? compiled_ : Compile(pattern_, ignore_case_);
}

std::u16string RegExp::Replace(std::u16string_view text, std::u16string_view replacement) const {
  return regexp::Replace(*Get(), text, replacement, global_);
}

bool RegExp::Test(std::u16string_view text) const { return regexp::Test(*Get(), text); }

}  // namespace zorvadel::regexp
