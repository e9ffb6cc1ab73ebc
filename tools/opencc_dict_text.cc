// Dumps an OpenCC binary dictionary (.ocd2) as text, the way
// `opencc_dict -f ocd2 -t text` does, for machines that have the OpenCC
// library (libopencc-dev) but not its command-line tools. gen_st_table reads
// the text. From the project root:
//
//   g++ -std=c++20 -O2 $(pkg-config --cflags opencc) -o /tmp/opencc_dict_text
//       tools/opencc_dict_text.cc $(pkg-config --libs opencc)    (one command)
//   /tmp/opencc_dict_text /usr/share/opencc/STCharacters.ocd2 /tmp/st.txt
#include <DictConverter.hpp>
#include <Exception.hpp>

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: opencc_dict_text DICT.ocd2 OUT.txt\n");
    return 1;
  }
  try {
    opencc::ConvertDictionary(argv[1], argv[2], "ocd2", "text");
  } catch (const opencc::Exception& e) {  // not a std::exception
    std::fprintf(stderr, "opencc_dict_text: %s\n", e.what());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "opencc_dict_text: %s: %s\n", argv[1], e.what());
    return 1;
  }
  return 0;
}
