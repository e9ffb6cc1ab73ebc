// Links, phone links and images of the page classes, and the WML tasks,
// events and variables of WAP and EnWAP, called by name (so omitted
// arguments take the class's defaults) on a phone and on a desktop browser.
// Chinese texts come out of the output filter as "&#xHEX;".
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/codepage/codepage.h"
#include "support/page_fixture.h"

namespace zorvadel {
namespace {

using test::Agent;

struct LinkPage : test::TestPage {
  LinkPage(const char16_t* class_name, Agent agent, const char* accept = "")
      : TestPage(class_name,
                 test::PageOptions().WithAgent(test::AgentText(agent)).WithAccept(accept)) {}

  std::string Call(std::u16string_view member, std::vector<Variant> args) {
    return CallUtf8(member, std::move(args));
  }
};

const Variant kOmit = Variant::Missing();

struct Golden {
  const char16_t* class_name;
  Agent agent;
  const char16_t* member;
  std::vector<Variant> args;
  const char* expected;
  const char* accept = "";
};

// The Chinese defaults as the filter writes them.
#define CONFIRM "&#x786E;&#x5B9A;"
#define BACK_TOP "&#x8FD4;&#x56DE;&#x4E0A;&#x7EA7;"
#define CALL "&#x547C;&#x51FA;"
#define GO_LABEL "&#x8F6C;&#x5230;"
#define SET_LABEL "&#x8BBE;&#x7F6E;"

constexpr Agent P = Agent::kPhone;
constexpr Agent W = Agent::kWeb;

const std::vector<Golden> kLinkCases = {
    // A: the confirm word fills an empty title; "Web" repeats the text.
    {u"WAP", P, u"A", {}, "<a title=\"" CONFIRM "\" href=\"Index.asp\">" BACK_TOP "</a>"},
    {u"WAP", W, u"A", {u"T", u"u", u""}, "<a title=\"\" href=\"u\"></a>"},
    {u"EnWAP", P, u"A", {u"R&D", u"u", u"中"}, "<a title=\"R&amp;D\" href=\"u\">&#x4E2D;</a>"},
    {u"XML", P, u"A", {u"T", u"u", u"D"}, "<a title=\"T\" href=\"u\">D</a>"},
    {u"XML", P, u"A", {u"T", u"u", u"D", u""}, "<a id=\"\"  title=\"T\" href=\"u\">D</a>"},
    {u"XML", P, u"A", {u"T", u"u", u"D", u"中"},
     "<a id=\"&#x4E2D;\"  title=\"T\" href=\"u\">D</a>"},
    {u"EnXML", P, u"A", {}, "<a title=\"Enter\" href=\"Index.asp\">Back to the Top</a>"},
    {u"PHPXML", P, u"A", {kOmit, u"u", u"D"}, "<a title=\"" CONFIRM "\" href=\"u\">D</a>"},

    // Anchor: XHTML named anchors are never filtered; WML anchors carry a go.
    {u"XML", P, u"Anchor", {}, "<a id=\"mardon\" />"},
    {u"EnXML", W, u"Anchor", {u"<b>中</b>", u"x&y"}, "<a id=\"x&y\"><b>中</b></a>"},
    {u"PHPXML", P, u"Anchor", {u"", u"top"}, "<a id=\"top\" />"},
    {u"WAP", P, u"Anchor", {},
     "<anchor title=\"" CONFIRM "\">" BACK_TOP "<go href=\"Index.asp\"></go></anchor>"},
    {u"EnWAP", P, u"Anchor", {},
     "<anchor title=\"Enter\">Back to the Top<go href=\"Index.asp\"></go></anchor>"},
    {u"WAP", P, u"Anchor", {u"", u"u", u"D", u"<setvar name=\"a\" value=\"1\"/>"},
     "<anchor title=\"\">D<go href=\"u\"><setvar name=\"a\" value=\"1\"/></go></anchor>"},
    {u"WAP", W, u"Anchor", {u"T", u"u", u"D", u"<x/>"}, "<a title=\"D\" href=\"u\">D</a>"},

    // AnchorGo: postfields name WML variables without parentheses.
    {u"WAP", P, u"AnchorGo", {u"Send", u"m.asp", u"Send_A Send_B Send_C Send_D Send_E",
     u"Send_A Send_B Send_C Send_D Send_E"},
     "<anchor title=\"" CONFIRM "\">Send<go href=\"m.asp\" method=\"post\">"
     "<postfield name=\"Send_A\" value=\"$Send_A\"/><postfield name=\"Send_B\" value=\"$Send_B\"/>"
     "<postfield name=\"Send_C\" value=\"$Send_C\"/><postfield name=\"Send_D\" value=\"$Send_D\"/>"
     "<postfield name=\"Send_E\" value=\"$Send_E\"/></go></anchor>"},
    {u"EnWAP", P, u"AnchorGo", {},
     "<anchor title=\"" CONFIRM "\">Submit<go href=\"Index.asp\" method=\"post\"></go></anchor>"},
    {u"EnWAP", P, u"AnchorGo", {u"S", u"u", u"a,b", u"(x)", u",", u"POST"},
     "<anchor title=\"" CONFIRM "\">S<go href=\"u\" method=\"POST\">"
     "<postfield name=\"a\" value=\"$(x)\"/></go></anchor>"},
    {u"WAP", W, u"AnchorGo", {u"Send", u"m.asp", u"a", u"a"},
     "<input type=\"submit\" name=\"Submit\" value=\"Send\"></form>"},

    // Phone links.
    {u"EnWAP", P, u"PhoneA", {}, "<a title=\"Call\" href=\"wtai://wp/mc;133\">Call Phone</a>"},
    {u"WAP", P, u"PhoneA", {u"", u"+86 10&1", u"D"},
     "<a title=\"" CONFIRM "\" href=\"wtai://wp/mc;+86 10&1\">D</a>"},
    {u"WAP", W, u"PhoneA", {u"T", u"1", u"D"}, "<a title=\"D\" href=\"wtai://wp/mc;1\">D</a>"},
    {u"WAP", P, u"PhoneDo", {},
     "<do type=\"option\" label=\"" CALL "\"><go href=\"wtai://wp/mc;133\"/></do>"},
    {u"EnWAP", P, u"PhoneDo", {},
     "<do type=\"option\" label=\"Call\"><go href=\"wtai://wp/mc;133\"/></do>"},
    {u"WAP", W, u"PhoneDo", {u"10086", u"Dial"},
     "<a title=\"Dial\" href=\"wtai://wp/mc;10086\">Dial</a>"},
};

const std::vector<Golden> kImageCases = {
    // ImgType: the first media type named, exact case; ".png" on "Web".
    {u"WAP", W, u"ImgType", {}, ".png", "image/gif"},
    {u"WAP", P, u"ImgType", {}, ".gif", "image/png, image/gif"},
    {u"EnWAP", P, u"ImgType", {}, ".jpg", "image/jpeg"},
    {u"EnXML", P, u"ImgType", {}, ".jpg", "image/jpg"},
    {u"XML", P, u"ImgType", {}, ".bmp", "text/html, image/bmp"},
    {u"WAP", P, u"ImgType", {}, "", "IMAGE/GIF"},
    {u"WAP", P, u"ImgType", {}, "", "image/vnd.wap.wbmp"},
    {u"WAP", P, u"ImgType", {}, "", ""},

    // Img: empty for three empty arguments; the tip is filtered.
    {u"XML", P, u"Img", {}, ""},
    {u"XML", P, u"Img", {u"", u"tip"}, "<img src=\"\" alt=\"tip\" />"},
    {u"EnXML", P, u"Img", {u"a b.gif", u"图", u"width='150'"},
     "<img src=\"a b.gif\" alt=\"&#x56FE;\" width='150'/>"},
    {u"WAP", P, u"Img", {u"a.gif"}, "<img src=\"a.gif\" alt=\"\" />"},

    // Image: the suffix rule.
    {u"WAP", P, u"Image", {u"pic"}, "<img src=\"pic.gif\" alt=\"\" />", "image/gif"},
    {u"WAP", P, u"Image", {u"pic"}, "<img src=\"pic\" alt=\"\" />", "image/vnd.wap.wbmp"},
    {u"WAP", W, u"Image", {u"pic", u"t"}, "<img src=\"pic.png\" alt=\"t\" />"},
    {u"WAP", P, u"Image", {u"a.PNG "}, "<img src=\"a.PNG \" alt=\"\" />", "image/gif"},
    {u"EnWAP", P, u"Image", {u"a.Wbmp"}, "<img src=\"a.Wbmp\" alt=\"\" />", "image/gif"},
    {u"WAP", P, u"Image", {u" pic "}, "<img src=\" pic .gif\" alt=\"\" />", "image/gif"},
    {u"WAP", P, u"Image", {u"", u"tip", u"x"}, "", "image/gif"},

    // IA: the text becomes the picture's tip; no picture, a text link.
    {u"WAP", P, u"IA", {u"pic", u"u", u"D"},
     "<a title=\"" CONFIRM "\" href=\"u\"><img src=\"pic.gif\" alt=\"D\" /></a>",
     "image/gif"},
    {u"XML", P, u"IA", {u"pic", u"u", u"D"},
     "<a title=\"" CONFIRM "\" href=\"u\"><img src=\"pic\" alt=\"D\" /></a>",
     "image/gif"},
    {u"EnXML", P, u"IA", {u"", u"u", u"D"}, "<a title=\"Enter\" href=\"u\">D</a>"},
    {u"WAP", W, u"IA", {u"p.gif", u"u", u"D"},
     "<a title=\"" CONFIRM "\" href=\"u\"><img src=\"p.gif\" alt=\"D\" /></a>"},
    {u"EnWAP", P, u"IA", {}, "<a title=\"Enter\" href=\"Index.asp\"></a>"},

    // ImgA, ImageA, ImgAImg: the picture, then the link of A.
    {u"XML", P, u"ImgA", {u"p.gif", u"u", u"D"},
     "<img src=\"p.gif\" alt=\"\" /><a title=\"" CONFIRM "\" href=\"u\">D</a>"},
    {u"EnWAP", P, u"ImgA", {}, "<a title=\"Enter\" href=\"Index.asp\">Back to the Top</a>"},
    {u"WAP", W, u"ImgA", {u"p.gif", u"u", u"D"},
     "<img src=\"p.gif\" alt=\"\" /><a title=\"D\" href=\"u\">D</a>"},
    {u"WAP", P, u"ImageA", {u"p", u"u", u"D"},
     "<img src=\"p.gif\" alt=\"\" /><a title=\"" CONFIRM "\" href=\"u\">D</a>",
     "image/gif"},
    {u"EnWAP", P, u"ImgAImg", {u"p.bmp", u"u", u"D"},
     "<img src=\"p.bmp\" alt=\"\" /><a title=\"Enter\" href=\"u\">D</a>"},
};

void RunGolden(const std::vector<Golden>& cases) {
  for (const Golden& c : cases) {
    LinkPage page(c.class_name, c.agent, c.accept);
    SCOPED_TRACE(codepage::ToUtf8(std::u16string(c.class_name) + u"." + c.member) +
                 (c.agent == Agent::kWeb ? " on Web" : " on a phone"));
    EXPECT_EQ(page.Call(c.member, c.args), c.expected);
  }
}

TEST(LinkBuilders, Golden) { RunGolden(kLinkCases); }
TEST(ImageBuilders, Golden) { RunGolden(kImageCases); }

TEST(LinkBuilders, BackAWritesAtOnceAndReturnsEmpty) {
  LinkPage page(u"EnWAP", P);
  EXPECT_EQ(page.Call(u"BackA", {u"Up"}), "");
  EXPECT_EQ(page.page.Body(), "<anchor><prev/>Up</anchor>");
  // Without a response there is nothing to write to, and no error.
  page.object->state().Response = nullptr;
  EXPECT_EQ(page.object->BackA(u"x"), u"");
}

TEST(ImageBuilders, IsShowImageHidesWmlPicturesOnly) {
  LinkPage wap(u"WAP", P, "image/gif");
  wap.object->state().IsShowImage = false;
  EXPECT_EQ(wap.Call(u"Img", {u"a.gif", u"t", u"x"}), "");
  EXPECT_EQ(wap.Call(u"Image", {u"a"}), "");
  EXPECT_EQ(wap.Call(u"IA", {u"a", u"u", u"D"}), "<a title=\"" CONFIRM "\" href=\"u\"></a>");
  EXPECT_EQ(wap.Call(u"ImgA", {u"a", u"u", u"D"}), "<a title=\"" CONFIRM "\" href=\"u\">D</a>");
  EXPECT_EQ(wap.Call(u"ImageA", {u"a", u"u", u"D"}), "<a title=\"" CONFIRM "\" href=\"u\">D</a>");
  // The XHTML classes have no such switch (their IsShowImage stays unset).
  LinkPage xml(u"XML", P);
  ASSERT_FALSE(xml.object->state().IsShowImage);
  EXPECT_EQ(xml.Call(u"Img", {u"a.gif"}), "<img src=\"a.gif\" alt=\"\" />");
}

TEST(ImageBuilders, LongPathsAndTextsPassWhole) {
  LinkPage page(u"WAP", P, "image/png");
  const std::u16string path(40000, u'p');
  const std::u16string image = page.object->Image(path, u"", u"");
  EXPECT_EQ(image, u"<img src=\"" + path + u".png\" alt=\"\" />");
}

// The WML A has no Id, so a fourth argument is one too many.
TEST(LinkBuilders, WmlLinkTakesNoId) {
  LinkPage wap(u"EnWAP", P);
  try {
    wap.Call(u"A", {u"t", u"u", u"d", u"id"});
    ADD_FAILURE() << "expected error 450";
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.number(), kErrWrongArgs);
  }
}

const std::vector<Golden> kTaskCases = {
    // IncTaskDo: name and optional only when given; optional never "false".
    {u"WAP", P, u"IncTaskDo", {u"Accept", u"OK", u"", false}, "<do type=\"accept\" label=\"OK\">"},
    {u"WAP", P, u"IncTaskDo", {u"Accept", u"OK", u"x", true},
     "<do type=\"accept\" name=\"x\" label=\"OK\" optional=\"true\">"},
    {u"EnWAP", W, u"IncTaskDo", {u"OPTIONS", u"设置"},
     "<do type=\"options\" label=\"" SET_LABEL "\">"},
    {u"WAP", P, u"IncTaskDo", {u"help", u"", u"名", true},
     "<do type=\"help\" name=\"&#x540D;\" label=\"\" optional=\"true\">"},

    // IncTaskGo: the method unless empty or exactly "get"; two blanks then.
    {u"WAP", P, u"IncTaskGo", {u"Index.asp"}, "<go href=\"Index.asp\" accept-charset=\"utf-8\" />"},
    {u"EnWAP", P, u"IncTaskGo", {u"u", u"utf-8", u"GET"},
     "<go href=\"u\" method=\"get\" accept-charset=\"utf-8\"  />"},
    {u"EnWAP", W, u"IncTaskGo", {u"u", u"GB2312", u""},
     "<go href=\"u\" accept-charset=\"gb2312\" />"},
    {u"WAP", P, u"IncTaskGo", {u"a?x=1&y=2", u"utf-8", u"get", u"id=\"g\" "},
     "<go href=\"a?x=1&y=2\" accept-charset=\"utf-8\" id=\"g\" />"},

    // DoPrev and DoGo become links on "Web"; DoNoop never does.
    {u"EnWAP", P, u"DoPrev", {u"HELP", u"Back", u"n", true},
     "<do type=\"help\" name=\"n\" label=\"Back\" optional=\"true\"><prev/></do>"},
    {u"WAP", W, u"DoPrev", {u"accept", u"", u"n", true},
     "<a title=\"\" href=\"javascript:history.go(-1)\"></a>"},
    {u"EnWAP", W, u"DoNoop", {u"Reset", u"R", u"", true},
     "<do type=\"reset\" label=\"R\" optional=\"true\"><noop/></do>"},
    {u"EnWAP", P, u"DoGo", {}, "<do type=\"accept\" label=\"Go To\"><go href=\"Index.asp\"/></do>"},
    {u"WAP", W, u"DoGo", {}, "<a title=\"" GO_LABEL "\" href=\"Index.asp\">" GO_LABEL "</a>"},
    {u"EnWAP", P, u"DoGo",
     {u"a.asp?x=1&y=2", u"Options", u"Go", u"", false, u"<setvar name=\"a\" value=\"1\"/>"},
     "<do type=\"options\" label=\"Go\"><go href=\"a.asp?x=1&y=2\">"
     "<setvar name=\"a\" value=\"1\"/></go></do>"},

    // Events: the type lower-cased, the extra markup after the go.
    {u"WAP", P, u"EventGo", {u"Index.asp", u"ONTIMER", u"x"},
     "<onevent type=\"ontimer\"><go href=\"Index.asp\"/>x</onevent>"},
    {u"EnWAP", W, u"EventGo", {},
     "<onevent type=\"onenterforward\"><go href=\"Index.asp\"/></onevent>"},
    {u"WAP", P, u"EventPrev", {}, "<onevent type=\"onenterforward\"><prev/></onevent>"},
    {u"WAP", P, u"EventNoop", {u"OnEnterBackward"},
     "<onevent type=\"onenterbackward\"><noop/></onevent>"},
    {u"EnWAP", P, u"IncEvent", {u"ONPICK", u"<refresh/>"},
     "<onevent type=\"onpick\"><refresh/></onevent>"},
    {u"WAP", P, u"IncEvent", {}, "<onevent type=\"onenterforward\"></onevent>"},

    // Variables.
    {u"WAP", P, u"IncSetVar", {u"a b", u"1 2"},
     "<setvar name=\"a\" value=\"1\"/><setvar name=\"b\" value=\"2\"/>"},
    {u"WAP", P, u"IncSetVar", {u"a b", u"1"}, "<setvar name=\"a\" value=\"1\"/>"},
    {u"WAP", P, u"IncSetVar", {u"a", u"1 2"}, "<setvar name=\"a\" value=\"1\"/>"},
    {u"EnWAP", P, u"IncSetVar", {u"a,b", u"1 1,&2", u","},
     "<setvar name=\"a\" value=\"1 1\"/><setvar name=\"b\" value=\"&2\"/>"},
    {u"WAP", P, u"IncSetVar", {}, ""},
    {u"WAP", P, u"Fresh", {}, "<refresh></refresh>"},
    {u"WAP", P, u"Fresh", {u"<setvar name=\"a\" value=\"\"/>"},
     "<refresh><setvar name=\"a\" value=\"\"/></refresh>"},
    {u"EnWAP", W, u"DoSetVar", {},
     "<do type=\"accept\" label=\"" SET_LABEL "\"><refresh></refresh></do>"},
    {u"WAP", P, u"DoSetVar", {u"a", u"1", u" ", u"Accept", u"L", u"", u"TRUE"},
     "<do type=\"accept\" label=\"L\" optional=\"true\"><refresh><setvar name=\"a\" value=\"1\"/>"
     "</refresh></do>"},
    {u"WAP", P, u"DoSetVar", {u"a", u"1", u" ", u"accept", u"L", u"n", u"-1"},
     "<do type=\"accept\" name=\"n\" label=\"L\" optional=\"true\"><refresh>"
     "<setvar name=\"a\" value=\"1\"/></refresh></do>"},
    {u"WAP", P, u"DoSetVar", {u"a", u"1", u" ", u"accept", u"L", u"", u"0"},
     "<do type=\"accept\" label=\"L\"><refresh><setvar name=\"a\" value=\"1\"/></refresh></do>"},
    {u"EnWAP", P, u"DoSetVar", {u"", u"", u" ", u"accept", u"L", u"", u""},
     "<do type=\"accept\" label=\"L\"><refresh></refresh></do>"},
    {u"WAP", P, u"EventSetVar", {u"OnTimer", u"a b", u"1 2"},
     "<onevent type=\"ontimer\"><refresh><setvar name=\"a\" value=\"1\"/>"
     "<setvar name=\"b\" value=\"2\"/></refresh></onevent>"},
    {u"EnWAP", P, u"EventSetVar", {},
     "<onevent type=\"onenterforward\"><refresh></refresh></onevent>"},

    // The back template always writes the name.
    {u"WAP", P, u"TemplateBack", {u"PREV", u"", u"x"},
     "<template><do type=\"prev\" name=\"\" label=\"x\"><prev/></do></template>"},
    {u"EnWAP", P, u"TemplateBack", {},
     "<template><do type=\"prev\" name=\"previous\" label=\"Back\"><prev/></do></template>"},
};

TEST(WmlTasks, Golden) { RunGolden(kTaskCases); }

TEST(WmlTasks, BackFooterWritesAndReturnsNothing) {
  struct Case {
    const char16_t* class_name;
    Agent agent;
    std::vector<Variant> args;
    const char* written;
  };
  const Case cases[] = {
      {u"EnWAP", P, {}, "<do type=\"unknow\" label=\"Homepage\"><go href=\"Index.asp\"/></do>"},
      {u"EnWAP", P, {u"Options", u"Home", u"i.asp?a=1&b=2"},
       "<do type=\"options\" label=\"Home\"><go href=\"i.asp?a=1&b=2\"/></do>"},
      {u"WAP", W, {u"x", u"Up", u"u"}, "<a title=\"Up\" href=\"u\">Up</a>"},
  };
  for (const Case& c : cases) {
    LinkPage page(c.class_name, c.agent);
    EXPECT_TRUE(Invoke(*page.object, u"BackFooter", c.args).IsEmpty());
    EXPECT_EQ(page.page.Body(), c.written);
  }
  LinkPage page(u"WAP", P);
  page.object->state().Response = nullptr;
  page.object->BackFooter(u"a", u"b", u"c");  // nothing to write to; no error
}

TEST(WmlTasks, RequiredArgumentsAreRequired) {
  LinkPage page(u"WAP", P);
  for (const char16_t* member : {u"IncTaskDo", u"IncTaskGo"}) {
    try {
      page.Call(member, {});
      ADD_FAILURE() << "expected error 450";
    } catch (const ScriptError& e) {
      EXPECT_EQ(e.number(), kErrWrongArgs);
    }
  }
}

TEST(WmlTasks, LongListsPairUp) {
  LinkPage page(u"WAP", P);
  std::u16string names, values, expected;
  for (int i = 0; i < 5000; ++i) {
    const std::u16string n = u"v" + codepage::FromUtf8(std::to_string(i));
    names += (i ? u" " : u"") + n;
    values += (i ? u" " : u"") + n;
    expected += u"<setvar name=\"" + n + u"\" value=\"" + n + u"\"/>";
  }
  EXPECT_EQ(page.object->IncSetVar(names, values, u" "), expected);
}

}  // namespace
}  // namespace zorvadel
