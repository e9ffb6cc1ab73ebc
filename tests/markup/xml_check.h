// The XML checker of the markup tests: libxml2's xmllint reading the
// document from its standard input, never reaching the network; what it
// finds goes to the test's output. Tests skip themselves when xmllint is not
// installed (HaveXmllint).
#ifndef ZORVADEL_TESTS_MARKUP_XML_CHECK_H_
#define ZORVADEL_TESTS_MARKUP_XML_CHECK_H_

#include <cstdio>
#include <cstdlib>
#include <string>

namespace zorvadel::xml_check {

struct CommandResult {
  int status = -1;
  std::string output;
};

// Runs a shell command and collects its standard output and error.
inline CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[512];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  result.status = pclose(pipe);
  return result;
}

inline bool HaveXmllint() {
  static const bool have = std::system("xmllint --version >/dev/null 2>&1") == 0;
  return have;
}

// The exit status of xmllint --noout --nonet on `document`, 0 when it
// passed; `options` adds e.g. the DTD to validate against. A quiet check
// (of a document meant to fail) keeps xmllint's findings to itself.
inline int Lint(const std::string& document, const std::string& options = "",
                bool quiet = false) {
  const std::string command = "xmllint --noout --nonet " + options + " -";
  FILE* pipe = popen((command + (quiet ? " 2>/dev/null" : " 2>&1")).c_str(), "w");
  if (pipe == nullptr) return -1;
  fwrite(document.data(), 1, document.size(), pipe);
  return pclose(pipe);
}

}  // namespace zorvadel::xml_check

#endif  // ZORVADEL_TESTS_MARKUP_XML_CHECK_H_
