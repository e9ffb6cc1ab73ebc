// The XML checker of the markup tests: libxml2's xmllint run on a temporary
// file, never reaching the network. Tests skip themselves when xmllint is
// not installed (HaveXmllint).
#ifndef ZORVADEL_TESTS_MARKUP_XML_CHECK_H_
#define ZORVADEL_TESTS_MARKUP_XML_CHECK_H_

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace zorvadel::xml_check {

struct LintResult {
  int status = -1;  // 0 when the document passed
  std::string output;
};

// Runs a shell command and collects its standard output and error.
inline LintResult RunCommand(const std::string& command) {
  LintResult result;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[512];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  result.status = pclose(pipe);
  return result;
}

inline bool HaveXmllint() {
  static const bool have = RunCommand("xmllint --version").status == 0;
  return have;
}

// xmllint --noout --nonet on `document`; `options` adds e.g. the DTD to
// validate against.
inline LintResult Lint(const std::string& document, const std::string& options = "") {
  std::random_device random;
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("zorvadel-xml-" + std::to_string(random()) + std::to_string(random()) + ".xml");
  {
    std::ofstream file(path, std::ios::binary);
    file << document;
  }
  LintResult result =
      RunCommand("xmllint --noout --nonet " + options + " '" + path.string() + "'");
  std::filesystem::remove(path);
  return result;
}

}  // namespace zorvadel::xml_check

#endif  // ZORVADEL_TESTS_MARKUP_XML_CHECK_H_
