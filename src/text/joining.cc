#include "text/joining.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "text/word_list.h"
#include "zorvadel/runtime.h"

namespace zorvadel::text {

std::u16string SplitText(std::u16string_view content, std::u16string_view mark,
                         std::u16string_view pre, std::u16string_view last,
                         std::u16string_view joiner) {
  std::u16string out(pre);
  out.append(Join(Split(content, mark), joiner));
  out.append(last);
  return out;
}

std::u16string SplitRichText(std::u16string_view names, std::u16string_view values,
                             std::u16string_view mark, std::u16string_view pre,
                             std::u16string_view mid, std::u16string_view last) {
  const std::vector<std::u16string> name_pieces = Split(names, mark);
  const std::vector<std::u16string> value_pieces = Split(values, mark);
  std::u16string out;
  const size_t pairs = std::min(name_pieces.size(), value_pieces.size());
  for (size_t i = 0; i < pairs; ++i) {
    out.append(pre).append(name_pieces[i]).append(mid).append(value_pieces[i]).append(last);
  }
  return out;
}

namespace {

// The keywords one after another, each replaced all over the text that the
// ones before it left: the way for frames that a keyword could reach into.
std::u16string ReplaceOneAfterAnother(std::u16string_view keywords, std::u16string_view text,
                                      std::u16string_view pre, std::u16string_view last) {
  std::u16string out(text);
  const size_t growth = pre.size() + last.size();
  const size_t most = std::max(kReplacedTextFloor, kReplacedTextGrowth * text.size());
  for (const std::u16string& keyword : Split(keywords, u"|")) {
    if (keyword.empty()) continue;
    size_t count = 0;
    for (size_t at = out.find(keyword); at != std::u16string::npos;
         at = out.find(keyword, at + keyword.size())) {
      ++count;
    }
    if (count == 0) continue;
    // Each keyword searches what the earlier ones wrote, so keywords that
    // their frames hold multiply the text at every step: 24 keywords "a"
    // with the frame "" and "a" make 16 Mi units of one letter. Such a list
    // fails as the runtime does when out of string space, not by
    // exhausting the process.
    const size_t room = out.size() < most ? most - out.size() : 0;
    if (growth != 0 && count > room / growth) throw ScriptError(14, u"Out of string space");
    std::u16string framed(pre);
    framed.append(keyword).append(last);
    out = Replace(out, keyword, framed);
  }
  return out;
}

// Whether no keyword can ever match across a frame: a match that took in a
// frame unit would hold the first unit of the frames at a position (if it
// began before them), their last unit (if it ended after them), or else lie
// inside one frame between its edges.
bool FramesOutOfReach(const WordList& words, std::u16string_view pre, std::u16string_view last) {
  for (const std::u16string_view frame : {pre, last}) {
    if (frame.empty()) continue;
    if (words.Holds(frame.front()) || words.Holds(frame.back()) || words.OccursIn(frame)) {
      return false;
    }
  }
  return true;
}

// Counts of frames put in at positions of the text, summed over ranges.
class FrameCounts {
 public:
  explicit FrameCounts(size_t size) : tree_(size + 1, 0) {}
  void Add(size_t position) {
    for (size_t i = position + 1; i < tree_.size(); i += i & (~i + 1)) ++tree_[i];
  }
  // Frames at positions below `end`.
  uint32_t Below(size_t end) const {
    uint32_t sum = 0;
    for (size_t i = end; i > 0; i -= i & (~i + 1)) sum += tree_[i];
    return sum;
  }

 private:
  std::vector<uint32_t> tree_;
};

// The result of ReplaceOneAfterAnother worked out from where each keyword
// occurs in the original text, when frames are out of the keywords' reach:
// then a keyword matches, in the text that the earlier keywords left, just
// where it occurs in the original with no frame put in inside it, and the
// frames at one position come out as all the closing ones, then all the
// opening ones. False when that does not hold or the occurrences would be
// too many to keep; `out` is then untouched.
bool ReplaceAtOccurrences(const WordList& words, std::u16string_view text,
                          std::u16string_view pre, std::u16string_view last,
                          std::u16string* out) {
  if (text.size() >= UINT32_MAX / 2 || !FramesOutOfReach(words, pre, last)) return false;
  WordList::Occurrences found;
  if (!words.FindAll(text, 4 * text.size() + 4096, &found)) return false;
  const size_t growth = pre.size() + last.size();
  const size_t most = std::max(kReplacedTextFloor, kReplacedTextGrowth * text.size());
  std::vector<uint32_t> opens(text.size() + 1, 0), closes(text.size() + 1, 0);
  FrameCounts frames(text.size() + 1);
  size_t size = text.size();
  // A keyword that matched nothing matches nothing again until some other
  // keyword puts frames in.
  size_t framings = 0;
  std::vector<size_t> empty_at(words.word_count(), SIZE_MAX);
  std::vector<uint32_t> taken;
  for (const uint32_t id : words.entries()) {
    if (empty_at[id] == framings) continue;
    const size_t length = words.word(id).size();
    taken.clear();
    size_t free_from = 0;
    for (uint32_t i = found.begin[id]; i < found.begin[id + 1]; ++i) {
      const size_t start = found.starts[i];
      if (start < free_from) continue;
      if (length > 1 && frames.Below(start + length) != frames.Below(start + 1)) continue;
      taken.push_back(static_cast<uint32_t>(start));
      free_from = start + length;
    }
    if (taken.empty()) {
      empty_at[id] = framings;
      continue;
    }
    const size_t room = size < most ? most - size : 0;
    if (taken.size() > room / growth) throw ScriptError(14, u"Out of string space");
    size += taken.size() * growth;
    ++framings;
    for (const uint32_t start : taken) {
      ++opens[start];
      ++closes[start + length];
      if (!pre.empty()) frames.Add(start);
      if (!last.empty()) frames.Add(start + length);
    }
  }
  out->clear();
  out->reserve(size);
  size_t copied = 0;
  for (size_t at = 0; at <= text.size(); ++at) {
    if (opens[at] == 0 && closes[at] == 0) continue;
    out->append(text, copied, at - copied);
    copied = at;
    for (uint32_t k = 0; k < closes[at]; ++k) out->append(last);
    for (uint32_t k = 0; k < opens[at]; ++k) out->append(pre);
  }
  out->append(text, copied);
  return true;
}

}  // namespace

std::u16string ReplaceString(std::u16string_view keywords, std::u16string_view text,
                             std::u16string_view pre, std::u16string_view last) {
  // Frames of nothing leave every keyword as it was.
  if (pre.empty() && last.empty()) return std::u16string(text);
  // A short text with a short list costs less than building the list.
  if (text.size() * (std::count(keywords.begin(), keywords.end(), u'|') + 1) <= 4096) {
    return ReplaceOneAfterAnother(keywords, text, pre, last);
  }
  const std::shared_ptr<const WordList> words = CachedWordList(keywords);
  if (words->empty()) return std::u16string(text);
  std::u16string out;
  if (ReplaceAtOccurrences(*words, text, pre, last, &out)) return out;
  return ReplaceOneAfterAnother(keywords, text, pre, last);
}

std::u16string WrapInStyleTags(std::u16string_view content, std::u16string_view styles,
                               std::u16string_view mark) {
  const std::vector<std::u16string> names = Split(LCase(styles), mark);
  // Built from the outside in, so a long text is copied once.
  std::u16string out;
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    out.append(u"<").append(*name).append(u">");
  }
  out.append(content);
  for (const std::u16string& name : names) out.append(u"</").append(name).append(u">");
  return out;
}

std::u16string FontStyle(std::u16string_view content, std::u16string_view styles,
                         std::u16string_view mark) {
  return WrapInStyleTags(Trim(content), styles, mark);
}

}  // namespace zorvadel::text
