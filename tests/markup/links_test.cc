// Links, phone links and images, and the WML tasks, events and variables,
// called by name (so omitted arguments take the class's defaults) on a phone
// and on a desktop browser.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/member_calls.h"
#include "support/page_fixture.h"

namespace zorvadel {
namespace {

using test::Agent;

struct LinkPage : test::TestPage {
  LinkPage(const char16_t* class_name, Agent agent, const char* accept = "")
      : TestPage(class_name,
                 test::PageOptions().WithAgent(test::AgentText(agent)).WithAccept(accept)) {}
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
#define SET_LABEL "&#x8BBE;&#x7F6E;"

constexpr Agent P = Agent::kPhone;
constexpr Agent W = Agent::kWeb;

const std::vector<Golden> kLinkCases = {
    // A: the confirm word fills an empty title; "Web" repeats the text
    // (link_web); an Id other than "#", even an empty one, is written.
    {u"EnWAP", P, u"A", {u"R&D", u"u", u"中"}, "<a title=\"R&amp;D\" href=\"u\">&#x4E2D;</a>"},
    {u"XML", P, u"A", {u"T", u"u", u"D"}, "<a title=\"T\" href=\"u\">D</a>"},
    {u"XML", P, u"A", {u"T", u"u", u"D", u""}, "<a id=\"\"  title=\"T\" href=\"u\">D</a>"},
    {u"XML", P, u"A", {u"T", u"u", u"D", u"中"}, "<a id=\"&#x4E2D;\"  title=\"T\" href=\"u\">D</a>"},
    {u"PHPXML", P, u"A", {kOmit, u"u", u"D"}, "<a title=\"" CONFIRM "\" href=\"u\">D</a>"},

    // Anchor: XHTML named anchors are never filtered; WML anchors carry a go.
    {u"XML", P, u"Anchor", {}, "<a id=\"mardon\" />"},
    {u"EnXML", W, u"Anchor", {u"<b>中</b>", u"x&y"}, "<a id=\"x&y\"><b>中</b></a>"},
    {u"WAP", P, u"Anchor", {},
     "<anchor title=\"" CONFIRM "\">" BACK_TOP "<go href=\"Index.asp\"></go></anchor>"},

    // AnchorGo: the title is the Chinese confirm word in both languages; the
    // method goes as given.
    {u"EnWAP", P, u"AnchorGo", {},
     "<anchor title=\"" CONFIRM "\">Submit<go href=\"Index.asp\" method=\"post\"></go></anchor>"},
    {u"EnWAP", P, u"AnchorGo", {u"S", u"u", u"a,b", u"(x)", u",", u"POST"},
     "<anchor title=\"" CONFIRM "\">S<go href=\"u\" method=\"POST\">"
     "<postfield name=\"a\" value=\"$(x)\"/></go></anchor>"},

    // Phone links: the number is written as given.
    {u"EnWAP", P, u"PhoneA", {}, "<a title=\"Call\" href=\"wtai://wp/mc;133\">Call Phone</a>"},
    {u"WAP", P, u"PhoneA", {u"", u"+86 10&1", u"D"},
     "<a title=\"" CONFIRM "\" href=\"wtai://wp/mc;+86 10&1\">D</a>"},
    {u"EnWAP", P, u"PhoneDo", {},
     "<do type=\"option\" label=\"Call\"><go href=\"wtai://wp/mc;133\"/></do>"},
};

const std::vector<Golden> kImageCases = {
    // ImgType: the first media type of the table that the header names, in
    // exact case.
    {u"WAP", P, u"ImgType", {}, ".gif", "image/png, image/gif"},
    {u"EnWAP", P, u"ImgType", {}, ".jpg", "image/jpeg"},
    {u"WAP", P, u"ImgType", {}, "", "IMAGE/GIF"},

    // Img: empty for three empty arguments; the tip is filtered.
    {u"XML", P, u"Img", {}, ""},
    {u"XML", P, u"Img", {u"", u"tip"}, "<img src=\"\" alt=\"tip\" />"},
    {u"EnXML", P, u"Img", {u"a b.gif", u"图", u"width='150'"},
     "<img src=\"a b.gif\" alt=\"&#x56FE;\" width='150'/>"},

    // Image: the suffix rule (a known suffix in any case, blanks around it
    // ignored, the path kept as given).
    {u"WAP", P, u"Image", {u"pic"}, "<img src=\"pic.gif\" alt=\"\" />", "image/gif"},
    {u"WAP", P, u"Image", {u"pic"}, "<img src=\"pic\" alt=\"\" />", "image/vnd.wap.wbmp"},
    {u"WAP", P, u"Image", {u"a.PNG "}, "<img src=\"a.PNG \" alt=\"\" />", "image/gif"},
    {u"WAP", P, u"Image", {u"", u"tip", u"x"}, "", "image/gif"},

    // IA: the text becomes the picture's tip (WML through Image, XHTML
    // through Img); no picture, a text link.
    {u"WAP", P, u"IA", {u"pic", u"u", u"D"},
     "<a title=\"" CONFIRM "\" href=\"u\"><img src=\"pic.gif\" alt=\"D\" /></a>", "image/gif"},
    {u"XML", P, u"IA", {u"pic", u"u", u"D"},
     "<a title=\"" CONFIRM "\" href=\"u\"><img src=\"pic\" alt=\"D\" /></a>", "image/gif"},
    {u"EnXML", P, u"IA", {u"", u"u", u"D"}, "<a title=\"Enter\" href=\"u\">D</a>"},

    // ImgA and ImageA: the picture, then the link of A.
    {u"XML", P, u"ImgA", {u"p.gif", u"u", u"D"},
     "<img src=\"p.gif\" alt=\"\" /><a title=\"" CONFIRM "\" href=\"u\">D</a>"},
    {u"EnWAP", P, u"ImgA", {}, "<a title=\"Enter\" href=\"Index.asp\">Back to the Top</a>"},
    {u"WAP", P, u"ImageA", {u"p", u"u", u"D"},
     "<img src=\"p.gif\" alt=\"\" /><a title=\"" CONFIRM "\" href=\"u\">D</a>", "image/gif"},
};

void RunGolden(const std::vector<Golden>& cases) {
  for (const Golden& c : cases) {
    LinkPage page(c.class_name, c.agent, c.accept);
    SCOPED_TRACE(codepage::ToUtf8(std::u16string(c.class_name) + u"." + c.member) +
                 (c.agent == Agent::kWeb ? " on Web" : " on a phone"));
    EXPECT_EQ(page.CallUtf8(c.member, c.args), c.expected);
  }
}

TEST(LinkBuilders, Golden) { RunGolden(kLinkCases); }
TEST(ImageBuilders, Golden) { RunGolden(kImageCases); }

// BackA and BackFooter write at once and return nothing; without a response
// there is nothing to write to, and no error.
TEST(LinkBuilders, WritersWithoutResponse) {
  LinkPage page(u"WAP", P);
  page.object->state().Response = nullptr;
  EXPECT_EQ(page.object->BackA(u"x"), u"");
  page.object->BackFooter(u"a", u"b", u"c");
}

TEST(ImageBuilders, IsShowImageHidesWmlPicturesOnly) {
  LinkPage wap(u"WAP", P, "image/gif");
  wap.object->state().IsShowImage = false;
  EXPECT_EQ(wap.CallUtf8(u"Img", {u"a.gif", u"t", u"x"}), "");
  EXPECT_EQ(wap.CallUtf8(u"Image", {u"a"}), "");
  EXPECT_EQ(wap.CallUtf8(u"IA", {u"a", u"u", u"D"}), "<a title=\"" CONFIRM "\" href=\"u\"></a>");
  EXPECT_EQ(wap.CallUtf8(u"ImgA", {u"a", u"u", u"D"}), "<a title=\"" CONFIRM "\" href=\"u\">D</a>");
  EXPECT_EQ(wap.CallUtf8(u"ImageA", {u"a", u"u", u"D"}), "<a title=\"" CONFIRM "\" href=\"u\">D</a>");
  // The XHTML classes have no such switch (their IsShowImage stays unset).
  LinkPage xml(u"XML", P);
  ASSERT_FALSE(xml.object->state().IsShowImage);
  EXPECT_EQ(xml.CallUtf8(u"Img", {u"a.gif"}), "<img src=\"a.gif\" alt=\"\" />");
}

// The WML A has no Id, so a fourth argument is one too many; the tasks'
// first arguments are required.
TEST(LinkBuilders, WrongArguments) {
  LinkPage page(u"EnWAP", P);
  EXPECT_EQ(test::CallError(*page.object, u"A", {u"t", u"u", u"d", u"id"}), kErrWrongArgs);
  EXPECT_EQ(test::CallError(*page.object, u"IncTaskDo", {}), kErrWrongArgs);
  EXPECT_EQ(test::CallError(*page.object, u"IncTaskGo", {}), kErrWrongArgs);
}

const std::vector<Golden> kTaskCases = {
    // IncTaskDo: name and optional only when given; optional never "false".
    {u"WAP", P, u"IncTaskDo", {u"Accept", u"OK", u"", false}, "<do type=\"accept\" label=\"OK\">"},
    {u"WAP", P, u"IncTaskDo", {u"help", u"", u"名", true},
     "<do type=\"help\" name=\"&#x540D;\" label=\"\" optional=\"true\">"},

    // IncTaskGo: the method unless empty or exactly "get"; two blanks then;
    // method and charset lower-cased.
    {u"WAP", P, u"IncTaskGo", {u"Index.asp"}, "<go href=\"Index.asp\" accept-charset=\"utf-8\" />"},
    {u"EnWAP", P, u"IncTaskGo", {u"u", u"UTF-8", u"GET"},
     "<go href=\"u\" method=\"get\" accept-charset=\"utf-8\"  />"},
    {u"WAP", P, u"IncTaskGo", {u"a?x=1&y=2", u"utf-8", u"get", u"id=\"g\" "},
     "<go href=\"a?x=1&y=2\" accept-charset=\"utf-8\" id=\"g\" />"},

    // DoGo with markup inside its go (on "Web" it is a link: link_web).
    {u"EnWAP", P, u"DoGo",
     {u"a.asp?x=1&y=2", u"Options", u"Go", u"", false, u"<setvar name=\"a\" value=\"1\"/>"},
     "<do type=\"options\" label=\"Go\"><go href=\"a.asp?x=1&y=2\">"
     "<setvar name=\"a\" value=\"1\"/></go></do>"},

    // Events: the type lower-cased, the extra markup after the go.
    {u"WAP", P, u"EventGo", {u"Index.asp", u"ONTIMER", u"x"},
     "<onevent type=\"ontimer\"><go href=\"Index.asp\"/>x</onevent>"},
    {u"WAP", P, u"EventPrev", {}, "<onevent type=\"onenterforward\"><prev/></onevent>"},
    {u"WAP", P, u"EventNoop", {u"OnEnterBackward"},
     "<onevent type=\"onenterbackward\"><noop/></onevent>"},

    // Variables: pairs as in SplitRichText, values written as given.
    {u"EnWAP", P, u"IncSetVar", {u"a,b", u"1 1,&2", u","},
     "<setvar name=\"a\" value=\"1 1\"/><setvar name=\"b\" value=\"&2\"/>"},
    {u"WAP", P, u"Fresh", {u"<setvar name=\"a\" value=\"\"/>"},
     "<refresh><setvar name=\"a\" value=\"\"/></refresh>"},
    // DoSetVar stays a task on "Web", its label Chinese in EnWAP too; Ignore
    // counts as True for a true word or a non-zero number, else False.
    {u"EnWAP", W, u"DoSetVar", {},
     "<do type=\"accept\" label=\"" SET_LABEL "\"><refresh></refresh></do>"},
    {u"WAP", P, u"DoSetVar", {u"a", u"1", u" ", u"Accept", u"L", u"", u"TRUE"},
     "<do type=\"accept\" label=\"L\" optional=\"true\"><refresh><setvar name=\"a\" value=\"1\"/>"
     "</refresh></do>"},
    {u"WAP", P, u"DoSetVar", {u"a", u"1", u" ", u"accept", u"L", u"n", u"-1"},
     "<do type=\"accept\" name=\"n\" label=\"L\" optional=\"true\"><refresh>"
     "<setvar name=\"a\" value=\"1\"/></refresh></do>"},
    {u"WAP", P, u"EventSetVar", {u"OnTimer", u"a b", u"1 2"},
     "<onevent type=\"ontimer\"><refresh><setvar name=\"a\" value=\"1\"/>"
     "<setvar name=\"b\" value=\"2\"/></refresh></onevent>"},

    // The back template always writes the name.
    {u"WAP", P, u"TemplateBack", {u"PREV", u"", u"x"},
     "<template><do type=\"prev\" name=\"\" label=\"x\"><prev/></do></template>"},
};

TEST(WmlTasks, Golden) { RunGolden(kTaskCases); }

// On a desktop browser it writes a link (link_web).
TEST(WmlTasks, BackFooterWritesAndReturnsNothing) {
  LinkPage phone(u"EnWAP", P);
  EXPECT_TRUE(Invoke(*phone.object, u"BackFooter", {u"Options", u"Home", u"i.asp?a=1&b=2"})
                  .IsEmpty());
  EXPECT_EQ(phone.page.Body(),
            "<do type=\"options\" label=\"Home\"><go href=\"i.asp?a=1&b=2\"/></do>");
}

}  // namespace
}  // namespace zorvadel
