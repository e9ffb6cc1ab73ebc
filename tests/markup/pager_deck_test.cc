// Every page that the pagers cut from an article, as a whole document: the
// WML decks compile with xml2wbxml (wbxml2) and the XHTML pages are
// well-formed for xmllint. The article mixes Chinese and ASCII, line breaks,
// references and UBB codes, and lengths of 7, 11 and 13 put page edges
// inside each. Simple and alignment codes ("[b]", "[p=center]") are left
// out: a pair that an edge splits converts half on each page, as documented,
// and so cannot be well-formed. Without the tools the test is skipped.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "markup/xml_check.h"
#include "platform/codepage/codepage.h"
#include "support/page_fixture.h"
#include "support/text_cases.h"

namespace zorvadel {
namespace {

using xml_check::RunCommand;
using Pager = std::function<std::u16string(PageObject&)>;

const std::u16string kArticle = test::Repeat(
    u"手机上的长文章，First line &amp; more&lt;b&gt; &quot;quoted&quot; &#x4E2D;文<br/>第二行\r\n"
    u"[url=show.asp?id=1&amp;p=2]链接[/url] and [br][img]pic/a.gif[/img]居中[code]x[/code] 完。",
    2);

TEST(PagerDocuments, DecksCompileAndPagesAreWellFormed) {
  if (RunCommand("command -v xml2wbxml").status != 0 || !xml_check::HaveXmllint()) {
    GTEST_SKIP() << "xml2wbxml (libwbxml2-utils) or xmllint (libxml2-utils) is not installed";
  }
  std::random_device random;
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("zorvadel-pager-" + std::to_string(random()));
  std::filesystem::create_directories(dir);
  std::string decks, pages;
  int count = 0;
  // The pager's output on the page that `url` asks for, inside the class's
  // frame, written to a file of its own.
  auto add = [&](const char16_t* class_name, const std::string& url, const std::string& form,
                 const Pager& pager) {
    test::TestPage p(class_name, test::PageOptions().WithUrl("/a.asp" + url).WithForm(form));
    const std::u16string_view name_of_class(class_name);
    const bool wml = name_of_class.ends_with(u"WAP");
    std::string document;
    if (name_of_class == u"PHPXML") {  // returns what the others write
      document = codepage::ToUtf8(p.object->XhtmlHeaderText(u"") + pager(*p.object) +
                                  p.object->XhtmlFooterText());
    } else {
      wml ? p.object->PageHeader() : p.object->XhtmlHeader(u"");
      pager(*p.object);
      wml ? p.object->PageFooter() : p.object->XhtmlFooter();
      document = p.page.Body();
    }
    const std::string name = (dir / (std::to_string(count++) + ".xml")).string();
    std::ofstream(name, std::ios::binary) << document;
    (wml ? decks : pages) += " '" + name + "'";
  };
  for (int16_t length : {7, 11, 13}) {
    auto easy = [length](PageObject& o) { return o.EasyMorePage(kArticle, length, true), u""; };
    auto more = [length](PageObject& o) { return o.MorePage(kArticle, length, true, true), u""; };
    auto php = [length](PageObject& o) {
      return o.EasyMorePageText(kArticle, length, true).string();
    };
    const int last = static_cast<int>(kArticle.size() / length) + 2;  // one page past the end
    for (int n = 1; n <= last; ++n) {
      const std::string at = "MyStart=" + std::to_string(1 + (n - 1) * length);
      const std::string easy_query =
          n == 1 ? "" : "toshow=down&mystart=" + std::to_string(1 + (n - 2) * length);
      add(u"WAP", "?" + easy_query, "", easy);
      add(u"EnWAP", "?" + at, "", more);
      add(u"XML", "?" + easy_query, "", easy);
      add(u"EnXML", "?" + at, "", more);
      add(u"PHPXML", "", easy_query, php);
      for (int16_t style : {0, 1, 2}) {
        add(n % 2 ? u"XML" : u"EnXML", "?" + at, "", [length, style](PageObject& o) {
          return o.AutoPage(kArticle, length, true, style), u"";
        });
      }
    }
    // The rest of the text on one page.
    add(u"XML", "?MyStart=" + std::to_string(1 + length) + "&TextLong=999", "",
        [length](PageObject& o) { return o.AutoPage(kArticle, length, true, 0), u""; });
  }
  ASSERT_GT(count, 300);
  const auto failed = RunCommand("for f in" + decks +
                                 "; do xml2wbxml -o \"$f.wbxml\" \"$f\" >/dev/null 2>&1 || "
                                 "echo \"$f\"; done");
  EXPECT_EQ(failed.output, "");
  // Undeclared entities such as "&nbsp;" (the DTD is not read) are reported
  // but are no well-formedness error, so only the status counts.
  const auto lint = RunCommand("xmllint --noout --nonet" + pages);
  EXPECT_EQ(lint.status, 0) << lint.output.substr(0, 3000);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zorvadel
