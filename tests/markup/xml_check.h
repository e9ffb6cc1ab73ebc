// The XML checks of the markup tests: a tool (xmllint, xml2wbxml) reading the
// document from its standard input, never the network. Tests skip themselves
// when the tool is not installed.
#ifndef ZORVADEL_TESTS_MARKUP_XML_CHECK_H_
#define ZORVADEL_TESTS_MARKUP_XML_CHECK_H_

#include <cstdio>
#include <cstdlib>
#include <string>

namespace zorvadel::xml_check {

inline bool Have(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

inline bool HaveXmllint() {
  static const bool have = Have("xmllint");
  return have;
}

// The exit status of `command` on `document`, 0 when it passed; its findings
// go to the test's output unless the check is quiet (of a document meant to
// fail).
inline int Check(const std::string& command, const std::string& document, bool quiet = false) {
  FILE* pipe = popen((command + (quiet ? " >/dev/null 2>&1" : " 2>&1")).c_str(), "w");
  if (pipe == nullptr) return -1;
  fwrite(document.data(), 1, document.size(), pipe);
  return pclose(pipe);
}

// xmllint --noout --nonet; `options` adds e.g. the DTD to validate against.
inline int Lint(const std::string& document, const std::string& options = "",
                bool quiet = false) {
  return Check("xmllint --noout --nonet " + options + " -", document, quiet);
}

// A whole document as a WAP gateway (xml2wbxml compiles a WML deck) or an
// XHTML parser (xmllint) takes it: 0 when it passed.
inline bool HaveDocumentChecks() {
  static const bool have = Have("xml2wbxml") && HaveXmllint();
  return have;
}
inline int CheckDocument(const std::string& document, bool wml) {
  return Check(wml ? "xml2wbxml -o /dev/null -" : "xmllint --noout --nonet -", document, true);
}

}  // namespace zorvadel::xml_check

#endif  // ZORVADEL_TESTS_MARKUP_XML_CHECK_H_
