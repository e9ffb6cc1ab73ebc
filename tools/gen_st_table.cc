// Writes src/data/st_table.cc, the simplified/traditional character table,
// from OpenCC's character dictionaries dumped as text. From the project root:
//
//   opencc_dict -i /usr/share/opencc/STCharacters.ocd2 -o /tmp/st.txt -f ocd2 -t text
//   opencc_dict -i /usr/share/opencc/TSCharacters.ocd2 -o /tmp/ts.txt -f ocd2 -t text
//   g++ -std=c++20 -O2 -Isrc -o /tmp/gen_st_table tools/gen_st_table.cc
//       src/platform/codepage/*.cc src/data/cp936_table.cc    (one command)
//   /tmp/gen_st_table /tmp/st.txt /tmp/ts.txt > src/data/st_table.cc
//
// Each dictionary line is "KEY<TAB>CANDIDATE[ CANDIDATE...]"; the first
// candidate wins. The library maps a text one character for one and must
// keep its code page 936 length, so a pair is kept only when both sides are
// single BMP characters with a two-byte code page 936 code; pairs that
// change nothing are dropped.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "platform/codepage/codepage.h"

namespace {

using zorvadel::codepage::FromUtf8;
using zorvadel::codepage::GbkCode;
using zorvadel::codepage::HasGbk;

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "gen_st_table: %s\n", why.c_str());
  std::exit(1);
}

bool IsTwoByteGbk(char16_t c) { return c != 0 && HasGbk(c) && GbkCode(c) >= 0x100; }

struct Read {
  std::map<char16_t, char16_t> pairs;
  int lines = 0;
};

Read ReadDictionary(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail(std::string("cannot open ") + path);
  Read read;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    ++read.lines;
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) Fail("line without a tab in " + std::string(path));
    const std::string key = line.substr(0, tab);
    std::string first = line.substr(tab + 1);
    const size_t blank = first.find(' ');
    if (blank != std::string::npos) first.resize(blank);
    const std::u16string from = FromUtf8(key);
    const std::u16string to = FromUtf8(first);
    if (from.size() != 1 || to.size() != 1) continue;  // phrases, supplementary planes
    if (from[0] == to[0] || !IsTwoByteGbk(from[0]) || !IsTwoByteGbk(to[0])) continue;
    if (!read.pairs.emplace(from[0], to[0]).second) Fail("a key twice in " + std::string(path));
  }
  return read;
}

void Print(const char* name, const Read& read) {
  std::printf("constexpr CharPair %s[] = {\n", name);
  int column = 0;
  for (const auto& [from, to] : read.pairs) {
    if (column == 0) std::printf("   ");
    std::printf(" {0x%04X, 0x%04X},", static_cast<unsigned>(from), static_cast<unsigned>(to));
    if (++column == 5) {
      std::printf("\n");
      column = 0;
    }
  }
  if (column != 0) std::printf("\n");
  std::printf("};\nconstexpr size_t %sSize = %zu;\n", name, read.pairs.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) Fail("usage: gen_st_table ST.txt TS.txt");
  const Read to_traditional = ReadDictionary(argv[1]);
  const Read to_simplified = ReadDictionary(argv[2]);
  std::printf(
      "// Simplified/traditional character table, generated from OpenCC's\n"
      "// STCharacters (%d entries, %zu kept) and TSCharacters (%d entries, %zu kept):\n"
      "// first candidate, both sides single characters with a two-byte code page 936\n"
      "// code. Do not edit; regenerate from the project root with:\n"
      "//\n"
      "//   opencc_dict -i /usr/share/opencc/STCharacters.ocd2 -o /tmp/st.txt -f ocd2 -t text\n"
      "//   opencc_dict -i /usr/share/opencc/TSCharacters.ocd2 -o /tmp/ts.txt -f ocd2 -t text\n"
      "//   g++ -std=c++20 -O2 -Isrc -o /tmp/gen_st_table tools/gen_st_table.cc\n"
      "//       src/platform/codepage/*.cc src/data/cp936_table.cc    (one command)\n"
      "//   /tmp/gen_st_table /tmp/st.txt /tmp/ts.txt > src/data/st_table.cc\n"
      "#include \"data/st_table.h\"\n\n"
      "namespace zorvadel::data {\n\n"
      "// Sorted by the first member of each pair.\n",
      to_traditional.lines, to_traditional.pairs.size(), to_simplified.lines,
      to_simplified.pairs.size());
  Print("kSimplifiedToTraditional", to_traditional);
  std::printf("\n");
  Print("kTraditionalToSimplified", to_simplified);
  std::printf("\n}  // namespace zorvadel::data\n");
  return 0;
}
