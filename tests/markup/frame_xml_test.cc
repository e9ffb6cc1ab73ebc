// Every frame of an XML dialect (WML, XHTML Mobile Profile, XHTML 1.0
// Strict) gives, header and footer together, a well-formed XML document, and
// the XHTML 1.0 Strict page is valid against its DTD. The check is libxml2's
// xmllint on a temporary file; without it the tests are skipped.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "markup/frame_test_util.h"
#include "markup/xml_check.h"

namespace zorvadel::frame_test {
namespace {

using xml_check::HaveXmllint;
using xml_check::Lint;
using xml_check::LintResult;

constexpr const char* kStrictDtd =
    "/usr/share/xml/w3c-sgml-lib/schema/dtd/REC-xhtml1-20020801/xhtml1-strict.dtd";

// A page script: runs the frame on the object and gives the document's
// bytes (the response body, or what PHPXML returned).
using Script = std::function<std::string(FramePage&)>;

struct XmlCase {
  std::string name;
  std::u16string class_name;
  const char* agent;
  const char* url;
  Script script;
  bool strict;  // also valid against the XHTML 1.0 Strict DTD
};

void PrintTo(const XmlCase& c, std::ostream* os) { *os << c.name; }

std::string BodyAfter(FramePage& page) { return page.page.Body(); }

std::vector<XmlCase> Cases() {
  auto deck = [](FramePage& p) {
    p.state().CardTitle = u"新闻 & 更多";
    p.object->PageHeader();
    p.object->WriteRow(u"第一 & 二");
    p.object->PageFooter();
    return BodyAfter(p);
  };
  auto pieces = [](FramePage& p) {
    p.object->PutFileType(u"utf-8");
    p.object->PutPageHeader(u"no-cache", false, u"<meta name=\"k\" content=\"v\"/>");
    p.object->WriteLine(p.object->Card(u"c1", u"卡片", u"center", u"nowrap", true, true, u"",
                                       u"", u""));
    p.object->WriteOut(u"正文");
    p.object->PutPageFooter();
    return BodyAfter(p);
  };
  auto auto_frame = [](FramePage& p) {
    p.object->AutoHeader(u"ignored.css");
    p.object->AutoFooter();
    return BodyAfter(p);
  };
  auto xhtml = [](const std::u16string& css) {
    return [css](FramePage& p) {
      p.state().SiteTitle = u"站点 \"A\" & <B>";
      p.object->XhtmlHeader(css);
      p.object->WriteLine(u"<p>text</p>");
      p.object->XhtmlFooter();
      return BodyAfter(p);
    };
  };
  auto strict = [](const std::u16string& css, const std::u16string& other) {
    return [css, other](FramePage& p) {
      p.state().SiteTitle = u"标题 'x' & y";
      p.object->G3Header(css, u"", other);
      p.object->WriteLine(u"<p>text</p>");
      p.object->G3Footer();
      return BodyAfter(p);
    };
  };
  auto php = [](const std::u16string& css) {
    return [css](FramePage& p) {
      p.state().SiteTitle = u"页面 & 1";
      return U8(p.object->XhtmlHeaderText(css) + u"<p>text</p>" + p.object->XhtmlFooterText());
    };
  };
  const char* plain = "/index.asp";
  return {
      {"WapDeckPhone", u"WAP", kPhoneAgent, plain, deck, false},
      {"EnWapDeckDesktop", u"EnWAP", kDesktopAgent, plain, deck, false},
      {"WapDeckGuardHit", u"WAP", kPhoneAgent, kInjectedUrl, deck, false},
      {"WapPiecesPhone", u"WAP", kPhoneAgent, plain, pieces, false},
      {"EnWapPiecesSimulator", u"EnWAP", kSimulatorAgent, plain, pieces, false},
      {"EnWapPiecesGuardHit", u"EnWAP", kPhoneAgent, kInjectedUrl, pieces, false},
      {"WapAutoSimulator", u"WAP", kSimulatorAgent, plain, auto_frame, false},
      {"XmlXhtmlBuiltIn", u"XML", kPhoneAgent, plain, xhtml(u""), false},
      {"EnXmlXhtmlLink", u"EnXML", kDesktopAgent, plain, xhtml(u"s.css"), false},
      {"XmlXhtmlGuardHit", u"XML", kSimulatorAgent, kInjectedUrl, xhtml(u""), false},
      {"XmlStrictBuiltIn", u"XML", kPhoneAgent, plain, strict(u"", u""), true},
      {"EnXmlStrictLink", u"EnXML", kDesktopAgent, plain,
       strict(u"g3.CSS", u"<meta name=\"k\" content=\"v\"/>"), true},
      {"XmlStrictGuardHit", u"XML", kPhoneAgent, kInjectedUrl, strict(u"", u""), true},
      {"EnXmlStrictGuardHit", u"EnXML", kSimulatorAgent, kInjectedUrl, strict(u"a.css", u""),
       true},
      {"WapXhtmlBuiltIn", u"WAP", kPhoneAgent, plain, xhtml(u""), false},
      {"EnWapXhtmlLink", u"EnWAP", kDesktopAgent, kInjectedUrl, xhtml(u"m.css"), false},
      {"PhpXhtmlBuiltIn", u"PHPXML", kPhoneAgent, plain, php(u""), false},
      {"PhpXhtmlLink", u"PHPXML", kDesktopAgent, plain, php(u"p.css"), false},
  };
}

class FrameXml : public testing::TestWithParam<XmlCase> {};

TEST_P(FrameXml, IsWellFormed) {
  if (!HaveXmllint()) GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  const XmlCase& c = GetParam();
  FramePage page(c.class_name, c.agent, c.url);
  const std::string document = c.script(page);
  ASSERT_FALSE(document.empty());
  LintResult well_formed = Lint(document);
  EXPECT_EQ(well_formed.status, 0) << well_formed.output << "\n" << document;
  if (c.strict) {
    LintResult valid = Lint(document, std::string("--dtdvalid ") + kStrictDtd);
    EXPECT_EQ(valid.status, 0) << valid.output << "\n" << document;
  }
}

INSTANTIATE_TEST_SUITE_P(Frames, FrameXml, testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

// The checker itself rejects what it should: a link without its "/" (as the
// XHTML headers of the WML classes once wrote it) is not XML.
TEST(FrameXmlChecker, RejectsUnclosedLink) {
  if (!HaveXmllint()) GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  FramePage page(u"WAP", kPhoneAgent);
  page.object->XhtmlHeader(u"m.css");
  page.object->XhtmlFooter();
  std::string document = page.page.Body();
  const std::string closed = "type=\"text/css\"/>";
  size_t at = document.find(closed);
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(Lint(document).status, 0);
  document.replace(at, closed.size(), "type=\"text/css\">");
  EXPECT_NE(Lint(document).status, 0);
}

// A background sound is markup of its own browsers: the page stays
// well-formed but is no longer XHTML 1.0 Strict.
TEST(FrameXmlChecker, BackgroundSoundIsNotStrict) {
  if (!HaveXmllint()) GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  FramePage page(u"XML", kPhoneAgent);
  page.object->G3Header(u"", u"bg.mid", u"");
  page.object->G3Footer();
  const std::string document = page.page.Body();
  EXPECT_EQ(Lint(document).status, 0);
  EXPECT_NE(Lint(document, std::string("--dtdvalid ") + kStrictDtd).status, 0);
}

}  // namespace
}  // namespace zorvadel::frame_test
