#include "text/word_list.h"

#include <algorithm>
#include <deque>
#include <unordered_map>
#include <utility>

namespace zorvadel::text {

WordList::WordList(std::u16string_view list) : list_(list) {
  std::unordered_map<std::u16string_view, uint32_t> ids;
  for (size_t start = 0; start <= list_.size();) {
    size_t bar = list_.find(u'|', start);
    if (bar == std::u16string::npos) bar = list_.size();
    if (bar > start) {
      const std::u16string_view word = std::u16string_view(list_).substr(start, bar - start);
      const auto [it, added] = ids.try_emplace(word, static_cast<uint32_t>(words_.size()));
      if (added) {
        words_.push_back({static_cast<uint32_t>(start), static_cast<uint32_t>(bar - start)});
      }
      entries_.push_back(it->second);
    }
    start = bar + 1;
  }

  // The trie of the reversed words, its edges first kept by (node, unit).
  nodes_.emplace_back();
  std::unordered_map<uint64_t, uint32_t> children;
  for (uint32_t id = 0; id < words_.size(); ++id) {
    const std::u16string_view w = word(id);
    uint32_t at = 0;
    for (auto c = w.rbegin(); c != w.rend(); ++c) {
      held_.set(*c);
      const uint64_t key = (uint64_t{at} << 16) | *c;
      const auto [it, added] = children.try_emplace(key, static_cast<uint32_t>(nodes_.size()));
      if (added) nodes_.emplace_back();
      at = it->second;
    }
    nodes_[at].word = id;
    begins_.set(w.front());
    longest_ = std::max(longest_, w.size());
  }
  std::vector<std::pair<uint64_t, uint32_t>> edges(children.begin(), children.end());
  children.clear();
  std::sort(edges.begin(), edges.end());
  edge_units_.reserve(edges.size());
  edge_targets_.reserve(edges.size());
  for (const auto& [key, target] : edges) {
    const uint32_t from = static_cast<uint32_t>(key >> 16);
    const char16_t c = static_cast<char16_t>(key & 0xFFFF);
    if (nodes_[from].edge_begin == nodes_[from].edge_end) {
      nodes_[from].edge_begin = static_cast<uint32_t>(edge_units_.size());
    }
    edge_units_.push_back(c);
    edge_targets_.push_back(target);
    nodes_[from].edge_end = static_cast<uint32_t>(edge_units_.size());
  }

  // Fallbacks breadth first, so a node's fallback, which is shallower, is
  // complete before the node itself.
  std::deque<uint32_t> queue;
  for (uint32_t e = nodes_[0].edge_begin; e < nodes_[0].edge_end; ++e) {
    queue.push_back(edge_targets_[e]);
  }
  std::vector<uint32_t> order;
  order.reserve(nodes_.size());
  while (!queue.empty()) {
    const uint32_t at = queue.front();
    queue.pop_front();
    order.push_back(at);
    Node& node = nodes_[at];
    const Node& fallback = nodes_[node.fallback];
    node.next_word = fallback.word != kNoWord ? node.fallback : fallback.next_word;
    node.word_total = fallback.word_total + (node.word != kNoWord ? 1 : 0);
    node.first = std::min(node.word, fallback.first);
    for (uint32_t e = node.edge_begin; e < node.edge_end; ++e) {
      nodes_[edge_targets_[e]].fallback = Step(node.fallback, edge_units_[e]);
      queue.push_back(edge_targets_[e]);
    }
  }
  BuildTable(order);
}

// Every node's next node for every unit, with the unit mapped to its
// column first, when the table stays small: a step is then one look-up
// where the fallback chain would take several.
void WordList::BuildTable(const std::vector<uint32_t>& order) {
  constexpr size_t kMostColumns = 4096;
  constexpr size_t kMostEntries = size_t{1} << 21;
  std::vector<char16_t> held(edge_units_);
  std::sort(held.begin(), held.end());
  held.erase(std::unique(held.begin(), held.end()), held.end());
  const size_t units = held.size();
  // Units map to columns through blocks of 256, one per high byte in use;
  // block 0 holds no unit. No word holds the bar, so 16 bits number them.
  block_of_.assign(256, 0);
  columns_.assign(256, 0);
  uint16_t column = 0;
  for (const char16_t c : held) {
    uint32_t& block = block_of_[c >> 8];
    if (block == 0) {
      block = static_cast<uint32_t>(columns_.size());
      columns_.resize(columns_.size() + 256, 0);
    }
    columns_[block + (c & 0xFF)] = ++column;
  }
  if (units + 3 > kMostColumns || nodes_.size() * (units + 3) > kMostEntries) {
    // Too large for every node: the root's row alone, where every walk
    // down the fallback chain ends.
    root_row_.assign(units + 1, 0);
    for (uint32_t e = nodes_[0].edge_begin; e < nodes_[0].edge_end; ++e) {
      root_row_[Column(edge_units_[e])] = edge_targets_[e];
    }
    return;
  }
  width_ = units + 3;
  first_column_ = units + 1;
  total_column_ = units + 2;
  table_.assign(nodes_.size() * width_, 0);
  std::vector<uint32_t> rows(1, 0);
  rows.insert(rows.end(), order.begin(), order.end());
  for (const uint32_t at : rows) {
    const Node& node = nodes_[at];
    uint32_t* row = &table_[at * width_];
    if (at != 0) std::copy_n(&table_[node.fallback * width_], units + 1, row);
    for (uint32_t e = node.edge_begin; e < node.edge_end; ++e) {
      row[Column(edge_units_[e])] = static_cast<uint32_t>(edge_targets_[e] * width_);
    }
    row[first_column_] = node.first;
    row[total_column_] = node.word_total;
  }
}

uint32_t WordList::Child(uint32_t node, char16_t c) const {
  const Node& n = nodes_[node];
  const auto units = edge_units_.begin();
  const auto end = units + n.edge_end;
  const auto it = std::lower_bound(units + n.edge_begin, end, c);
  return it != end && *it == c ? edge_targets_[it - units] : 0;
}

// The node after reading one more unit (towards the text's start).
uint32_t WordList::Step(uint32_t node, char16_t c) const {
  if (!held_.test(c)) return 0;
  if (!table_.empty()) return static_cast<uint32_t>(table_[node * width_ + Column(c)] / width_);
  for (; node != 0; node = nodes_[node].fallback) {
    const uint32_t next = Child(node, c);
    if (next != 0) return next;
  }
  return root_row_.empty() ? Child(0, c) : root_row_[Column(c)];
}

void WordList::FirstWordAt(std::u16string_view text, std::vector<uint32_t>* first) const {
  first->resize(text.size());
  if (!table_.empty()) {
    const uint32_t* table = table_.data();
    const uint32_t* block_of = block_of_.data();
    const uint16_t* columns = columns_.data();
    const auto column = [&](char16_t c) { return columns[block_of[c >> 8] + (c & 0xFF)]; };
    uint32_t* out = first->data();
    const size_t size = text.size();
    // Each step waits for the one before, so four stretches of the text go
    // at once. A node depends only on the next `longest_` units, so a
    // stretch starts that far into the next one and is exact from its end.
    constexpr size_t kLanes = 4;
    const size_t stretch = size / kLanes;
    size_t tail = 0;
    if (stretch >= 1024 && longest_ * 8 <= stretch) tail = kLanes * stretch;
    size_t row = 0;
    for (size_t i = size; i-- > tail;) {
      row = table[row + column(text[i])];
      out[i] = table[row + first_column_];
    }
    if (tail == 0) return;
    size_t rows[kLanes];
    rows[kLanes - 1] = row;
    for (size_t lane = 0; lane + 1 < kLanes; ++lane) {
      const size_t end = (lane + 1) * stretch;
      rows[lane] = 0;
      for (size_t i = end + longest_; i-- > end;) rows[lane] = table[rows[lane] + column(text[i])];
    }
    for (size_t k = stretch; k-- > 0;) {
      for (size_t lane = 0; lane < kLanes; ++lane) {
        const size_t i = lane * stretch + k;
        rows[lane] = table[rows[lane] + column(text[i])];
        out[i] = table[rows[lane] + first_column_];
      }
    }
    return;
  }
  uint32_t node = 0;
  for (size_t i = text.size(); i-- > 0;) {
    node = Step(node, text[i]);
    (*first)[i] = nodes_[node].first;
  }
}

bool WordList::OccursIn(std::u16string_view text) const {
  uint32_t node = 0;
  for (size_t i = text.size(); i-- > 0;) {
    node = Step(node, text[i]);
    if (nodes_[node].word_total != 0) return true;
  }
  return false;
}

bool WordList::FindAll(std::u16string_view text, size_t most, Occurrences* found) const {
  std::vector<uint32_t> node_at(text.size());
  size_t total = 0;
  uint32_t node = 0;
  for (size_t i = text.size(); i-- > 0;) {
    node = Step(node, text[i]);
    node_at[i] = node;
    total += nodes_[node].word_total;
  }
  if (total > most) return false;
  std::vector<uint32_t>& begin = found->begin;
  begin.assign(words_.size() + 1, 0);
  for (const uint32_t at : node_at) {
    for (uint32_t n = nodes_[at].word != kNoWord ? at : nodes_[at].next_word; n != 0;
         n = nodes_[n].next_word) {
      ++begin[nodes_[n].word + 1];
    }
  }
  for (size_t w = 0; w < words_.size(); ++w) begin[w + 1] += begin[w];
  found->starts.resize(total);
  std::vector<uint32_t> fill(begin.begin(), begin.end() - 1);
  for (size_t i = 0; i < node_at.size(); ++i) {
    const uint32_t at = node_at[i];
    for (uint32_t n = nodes_[at].word != kNoWord ? at : nodes_[at].next_word; n != 0;
         n = nodes_[n].next_word) {
      found->starts[fill[nodes_[n].word]++] = static_cast<uint32_t>(i);
    }
  }
  return true;
}

std::shared_ptr<const WordList> CachedWordList(std::u16string_view list) {
  // The last few lists this thread used, the latest first: a page keeps its
  // stop words and keywords for many texts, and a thread serves one page
  // at a time.
  constexpr size_t kKept = 4;
  thread_local std::vector<std::shared_ptr<const WordList>> kept;
  for (size_t i = 0; i < kept.size(); ++i) {
    if (kept[i]->list() == list) {
      std::rotate(kept.begin(), kept.begin() + i, kept.begin() + i + 1);
      return kept.front();
    }
  }
  auto built = std::make_shared<const WordList>(list);
  if (kept.size() == kKept) kept.pop_back();
  kept.insert(kept.begin(), built);
  return built;
}

}  // namespace zorvadel::text
