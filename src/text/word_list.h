// A "|"-separated list of words made ready to find every word of it in one
// pass over a text, whatever the list's length: the stop words of the
// output filter and the keywords of ReplaceString. Scripts keep such a list
// in a property and filter text after text with it, so a thread keeps the
// lists it built last and builds a list again only when its text changes.
#ifndef ZORVADEL_TEXT_WORD_LIST_H_
#define ZORVADEL_TEXT_WORD_LIST_H_

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zorvadel::text {

class WordList {
 public:
  static constexpr uint32_t kNoWord = UINT32_MAX;

  // Splits `list` at every "|"; empty entries are left out. A word listed
  // twice is one word, numbered by its first place in the list.
  explicit WordList(std::u16string_view list);
  WordList(const WordList&) = delete;
  WordList& operator=(const WordList&) = delete;

  std::u16string_view list() const { return list_; }
  // The non-empty entries in list order, each as its word's number.
  const std::vector<uint32_t>& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }
  size_t word_count() const { return words_.size(); }
  std::u16string_view word(uint32_t id) const {
    return std::u16string_view(list_).substr(words_[id].begin, words_[id].size);
  }
  size_t word_size(uint32_t id) const { return words_[id].size; }
  // Whether some word holds the unit `c`, or begins with it.
  bool Holds(char16_t c) const { return held_.test(c); }
  bool Begins(char16_t c) const { return begins_.test(c); }

  // first[i] becomes the lowest-numbered word that starts at position i of
  // `text` (kNoWord where none does): the word that comes first in the list.
  void FirstWordAt(std::u16string_view text, std::vector<uint32_t>* first) const;

  // Whether any word occurs in `text`.
  bool OccursIn(std::u16string_view text) const;

  // Where each word starts in `text`, left to right: the starts of word w
  // are starts[begin[w]] up to starts[begin[w + 1]]. False, with nothing
  // filled, when there would be more than `most` of them all together.
  struct Occurrences {
    std::vector<uint32_t> begin;
    std::vector<uint32_t> starts;
  };
  bool FindAll(std::u16string_view text, size_t most, Occurrences* found) const;

 private:
  struct Span {
    uint32_t begin;
    uint32_t size;
  };
  // A node of the trie of the reversed words: the text read from its end
  // down to a position ends, in reverse, in the longest suffix that is a
  // path of the trie, so the words that start at that position are the
  // node's word and those of its fallback chain.
  struct Node {
    uint32_t fallback = 0;  // node of the longest proper suffix of this path
    uint32_t word = kNoWord;
    uint32_t first = kNoWord;  // lowest word here or down the fallback chain
    uint32_t next_word = 0;    // next node down the chain that ends a word
    uint32_t word_total = 0;   // words here and down the chain
    uint32_t edge_begin = 0;
    uint32_t edge_end = 0;
  };

  void BuildTable(const std::vector<uint32_t>& order);
  uint32_t Child(uint32_t node, char16_t c) const;
  uint32_t Step(uint32_t node, char16_t c) const;

  std::u16string list_;
  std::vector<Span> words_;
  size_t longest_ = 0;
  std::vector<uint32_t> entries_;
  std::vector<Node> nodes_;
  std::vector<char16_t> edge_units_;  // each node's edges sorted by unit
  std::vector<uint32_t> edge_targets_;
  std::bitset<65536> held_;
  std::bitset<65536> begins_;
  // The whole transition table, when it is small enough: row `node * width_`
  // holds the next row for each unit's column (column 0 for the units no
  // word holds), then the node's first word and its number of words.
  uint16_t Column(char16_t c) const { return columns_[block_of_[c >> 8] + (c & 0xFF)]; }
  std::vector<uint32_t> block_of_;
  std::vector<uint16_t> columns_;
  std::vector<uint32_t> table_;
  std::vector<uint32_t> root_row_;  // without the table: the root's next nodes
  size_t width_ = 0;
  size_t first_column_ = 0;
  size_t total_column_ = 0;
};

// The list for `list`, shared with the earlier calls of this thread that
// asked for the same text.
std::shared_ptr<const WordList> CachedWordList(std::u16string_view list);

}  // namespace zorvadel::text

#endif  // ZORVADEL_TEXT_WORD_LIST_H_
