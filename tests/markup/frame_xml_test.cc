// Every frame of an XML dialect gives, header and footer together, a
// well-formed document (XHTML 1.0 Strict also valid against its DTD), and so
// does a WAP page using every element builder once; xmllint checks them.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "markup/frame_test_util.h"
#include "markup/xml_check.h"
#include "zorvadel/runtime.h"

namespace zorvadel::frame_test {
namespace {

using xml_check::HaveXmllint;
using xml_check::Lint;

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

std::vector<XmlCase> Cases() {
  auto deck = [](FramePage& p) {
    p.state().CardTitle = u"新闻 & 更多";
    p.object->PageHeader();
    p.object->WriteRow(u"第一 & 二");
    p.object->PageFooter();
    return p.page.Body();
  };
  auto pieces = [](FramePage& p) {
    p.object->PutFileType(u"utf-8");
    p.object->PutPageHeader(u"no-cache", false, u"<meta name=\"k\" content=\"v\"/>");
    p.object->WriteLine(p.object->Card(u"c1", u"卡片", u"center", u"nowrap", true, true, u"",
                                       u"", u""));
    p.object->WriteOut(u"正文");
    p.object->PutPageFooter();
    return p.page.Body();
  };
  auto xhtml = [](const std::u16string& css) {
    return [css](FramePage& p) {
      p.state().SiteTitle = u"站点 \"A\" & <B>";
      p.object->XhtmlHeader(css);
      p.object->WriteLine(u"<p>text</p>");
      p.object->XhtmlFooter();
      return p.page.Body();
    };
  };
  auto strict = [](const std::u16string& css, const std::u16string& other) {
    return [css, other](FramePage& p) {
      p.state().SiteTitle = u"标题 'x' & y";
      p.object->G3Header(css, u"", other);
      p.object->WriteLine(u"<p>text</p>");
      p.object->G3Footer();
      return p.page.Body();
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
      {"WapDeckGuardHit", u"WAP", kPhoneAgent, kInjectedUrl, deck, false},
      {"WapPiecesPhone", u"WAP", kPhoneAgent, plain, pieces, false},
      {"XmlXhtmlBuiltIn", u"XML", kPhoneAgent, plain, xhtml(u""), false},
      {"XmlXhtmlGuardHit", u"XML", kSimulatorAgent, kInjectedUrl, xhtml(u""), false},
      {"XmlStrictBuiltIn", u"XML", kPhoneAgent, plain, strict(u"", u""), true},
      {"EnXmlStrictGuardHit", u"EnXML", kSimulatorAgent, kInjectedUrl,
       strict(u"a.css", u"<meta name=\"k\" content=\"v\"/>"), true},
      {"WapXhtmlBuiltIn", u"WAP", kPhoneAgent, plain, xhtml(u""), false},
      {"EnWapXhtmlLink", u"EnWAP", kDesktopAgent, kInjectedUrl, xhtml(u"m.css"), false},
      {"PhpXhtmlBuiltIn", u"PHPXML", kPhoneAgent, plain, php(u""), false},
      {"PhpXhtmlLink", u"PHPXML", kDesktopAgent, plain, php(u"p.css"), false},
  };
}

TEST(FrameXml, IsWellFormed) {
  if (!HaveXmllint()) GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  for (const XmlCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    FramePage page(c.class_name, c.agent, c.url);
    const std::string document = c.script(page);
    ASSERT_FALSE(document.empty());
    EXPECT_EQ(Lint(document, c.strict ? std::string("--dtdvalid ") + kStrictDtd : ""), 0)
        << document;
  }
}

// The checker itself rejects what it should: a link without its "/" (as the
// XHTML headers of the WML classes once wrote it) is not XML, and a
// background sound, markup of its own browsers, is not XHTML 1.0 Strict.
TEST(FrameXmlChecker, RejectsWhatItShould) {
  if (!HaveXmllint()) GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  FramePage page(u"XML", kPhoneAgent);
  page.object->G3Header(u"m.css", u"bg.mid", u"");
  page.object->G3Footer();
  std::string document = page.page.Body();
  EXPECT_EQ(Lint(document), 0);
  EXPECT_NE(Lint(document, std::string("--dtdvalid ") + kStrictDtd, true), 0);
  const std::string closed = "type=\"text/css\"/>";
  const size_t at = document.find(closed);
  ASSERT_NE(at, std::string::npos);
  document.replace(at, closed.size(), "type=\"text/css\">");
  EXPECT_NE(Lint(document, "", true), 0);
}

// ---- A WAP page with every element builder ----------------------------------

// Every link, task, form and table member of WAP, and FontStyle, by name
// between PageHeader and PageFooter on a phone. What a builder opens (a do, a
// select, a table) is closed as a script closes it: by the builder made for
// it, or by the script's own "</do>" after IncTaskDo.
enum class Kind { kWrite, kWritesItself, kScriptText /* the member is the text */ };

struct PageStep {
  std::u16string member;
  std::vector<Variant> args;
  Kind kind = Kind::kWrite;
};

Variant V(const char16_t* text) { return Variant(text); }

// Chinese texts, a bare "&" in texts (the filter's job) and "&amp;" in
// addresses (written as given).
std::vector<PageStep> EveryBuilder() {
  const Variant kNo(false);
  return {
      // Links, phone links and pictures.
      {u"A", {V(u"新闻 & 更多"), V(u"list.asp?id=1&amp;page=2"), V(u"下一页")}},
      {u"Anchor", {V(u"确定"), V(u"show.asp?id=7"), V(u"阅读全文"), V(u"")}},
      {u"AnchorGo",
       {V(u"提交"), V(u"post.asp"), V(u"Send_A Send_B"), V(u"A B"), V(u" "), V(u"post")}},
      {u"PhoneA", {V(u"呼出"), V(u"13800138000"), V(u"呼叫客服")}},
      {u"PhoneDo", {V(u"13800138000"), V(u"呼出")}},
      {u"Phone", {V(u"呼出"), V(u"13800138000"), V(u"呼叫客服")}},
      {u"BackA", {V(u"返回上页")}, Kind::kWritesItself},
      {u"ImgType", {}},
      {u"Img", {V(u"pic/logo.gif"), V(u"站标"), V(u"")}},
      {u"Image", {V(u"pic/logo"), V(u"站标"), V(u"")}},
      {u"IA", {V(u"pic/logo.gif"), V(u"index.asp"), V(u"首页")}},
      {u"ImgA", {V(u"pic/new.gif"), V(u"news.asp"), V(u"新闻")}},
      {u"ImageA", {V(u"pic/new"), V(u"news.asp"), V(u"新闻")}},
      {u"ImgAImg", {V(u"pic/l.gif"), V(u"news.asp"), V(u"新闻"), V(u"pic/r.gif")}},
      // Tasks, events and variables.
      {u"IncTaskDo", {V(u"ACCEPT"), V(u"转到"), V(u"go1"), kNo}},
      {u"IncTaskGo", {V(u"next.asp?a=1&amp;b=2"), V(u"UTF-8"), V(u"post"), V(u"")}},
      {u"</do>", {}, Kind::kScriptText},
      {u"DoPrev", {V(u"prev"), V(u"后退"), V(u""), kNo}},
      {u"DoNoop", {V(u"options"), V(u"无操作"), V(u"noop1"), Variant(true)}},
      {u"DoGo", {V(u"next.asp"), V(u"accept"), V(u"转到"), V(u""), kNo, V(u"")}},
      {u"EventGo", {V(u"next.asp"), V(u"onenterforward"), V(u"")}},
      {u"EventPrev", {V(u"onenterbackward")}},
      {u"EventNoop", {V(u"ontimer")}},
      {u"IncEvent", {V(u"onpick"), V(u"<noop/>")}},
      {u"DoSetVar",
       {V(u"a b"), V(u"1 2"), V(u" "), V(u"accept"), V(u"设置"), V(u""), V(u"false")}},
      {u"EventSetVar", {V(u"onenterforward"), V(u"a b"), V(u"1 2"), V(u" ")}},
      {u"Fresh", {V(u"<setvar name=\"c\" value=\"3\"/>")}},
      {u"IncSetVar", {V(u"d e"), V(u"4 5"), V(u" ")}},
      {u"TemplateBack", {V(u"prev"), V(u"previous"), V(u"返回")}},
      {u"BackFooter", {V(u"unknow"), V(u"回首页"), V(u"index.asp")}, Kind::kWritesItself},
      // Form fields and a posting task.
      {u"TextIn", {V(u"姓名"), V(u"TEXT"), V(u"Name"), V(u""), V(u"姓名"), V(u"maxlength=\"20\"")}},
      {u"PostSet", {V(u"accept"), V(u"提交"), V(u"post.asp"), V(u"utf-8"), V(u"post")}},
      {u"TextPost", {V(u"Name"), V(u"Name")}},
      {u"PostField", {V(u"Age City"), V(u"Age City"), V(u" ")}},
      {u"TextMorePost", {V(u"Note"), V(u"Note"), V(u" ")}},
      {u"Selects", {V(u"城市"), V(u"City"), V(u"bj"), V(u""), V(u""), kNo, V(u"")}},
      {u"Options", {V(u"北京 上海"), V(u"bj sh"), V(u""), V(u" "), V(u""), kNo}},
      // A table and styled text.
      {u"Table", {Variant(int16_t{2}), V(u"lc"), V(u"价格表")}},
      {u"IncRow", {V(u"名称 价格"), V(u" ")}},
      {u"Row", {V(u"苹果 5元"), V(u" "), kNo}},
      {u"RowOne", {V(u"梨 4元"), V(u" ")}},
      {u"FontStyle", {V(u"重要 & 醒目"), V(u"b i u"), V(u" ")}},
  };
}

// The page's body after PageHeader, the script and PageFooter.
std::string RunPage(FramePage& page) {
  page.state().CardTitle = u"全部 & 元素";
  page.Call(u"PageHeader");
  Response& response = *page.page.context().GetResponse();
  for (const PageStep& step : EveryBuilder()) {
    if (step.kind == Kind::kScriptText) {
      response.Write(step.member);
      continue;
    }
    const Variant result = page.Call(step.member, step.args);
    if (step.kind == Kind::kWrite) response.Write(CStr(result));
  }
  page.Call(u"PageFooter");
  return page.page.Body();
}

TEST(WmlPage, EveryBuilderOnceIsWellFormed) {
  if (!HaveXmllint()) GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  FramePage page(u"WAP", kPhoneAgent);
  const std::string body = RunPage(page);
  ASSERT_NE(body.find("</card></wml>"), std::string::npos) << body;
  EXPECT_EQ(Lint(body), 0) << body;
}

}  // namespace
}  // namespace zorvadel::frame_test
