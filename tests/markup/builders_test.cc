// The WML builders: links, phone links and images, and the tasks, events and
// variables, called by name (so omitted arguments take the class's defaults)
// on a phone and on a desktop browser; the form and table builders beyond
// the page scripts form_phone and form_web: the one HTML form per page,
// tables' alignment letters, FontStyle; and the ready-made pages: the two
// steps of the week query (decided by ToDo and the posted Send_A), its form on
// a desktop browser, and the picture link's mark (the page scripts
// ready_phone and ready_web show the rest).
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "langdata/week.h"
#include "support/member_calls.h"
#include "support/page_fixture.h"
#include "support/text_cases.h"
#include "zorvadel/runtime.h"

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

    // Anchor: XHTML named anchors are never filtered (the id is escaped for
    // its attribute); WML anchors carry a go.
    {u"XML", P, u"Anchor", {}, "<a id=\"mardon\" />"},
    {u"EnXML", W, u"Anchor", {u"<b>中</b>", u"x&y"}, "<a id=\"x&amp;y\"><b>中</b></a>"},
    {u"WAP", P, u"Anchor", {},
     "<anchor title=\"" CONFIRM "\">" BACK_TOP "<go href=\"Index.asp\"></go></anchor>"},

    // AnchorGo: the title is the Chinese confirm word in both languages; the
    // method goes as given.
    {u"EnWAP", P, u"AnchorGo", {},
     "<anchor title=\"" CONFIRM "\">Submit<go href=\"Index.asp\" method=\"post\"></go></anchor>"},
    {u"EnWAP", P, u"AnchorGo", {u"S", u"u", u"a,b", u"(x)", u",", u"POST"},
     "<anchor title=\"" CONFIRM "\">S<go href=\"u\" method=\"POST\">"
     "<postfield name=\"a\" value=\"$(x)\"/></go></anchor>"},

    // Phone links: the number is written as given but for its attribute
    // escape.
    {u"EnWAP", P, u"PhoneA", {}, "<a title=\"Call\" href=\"wtai://wp/mc;133\">Call Phone</a>"},
    {u"WAP", P, u"PhoneA", {u"", u"+86 10&1", u"D"},
     "<a title=\"" CONFIRM "\" href=\"wtai://wp/mc;+86 10&amp;1\">D</a>"},
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
     "<go href=\"a?x=1&amp;y=2\" accept-charset=\"utf-8\" id=\"g\" />"},

    // DoGo with markup inside its go (on "Web" it is a link: link_web).
    {u"EnWAP", P, u"DoGo",
     {u"a.asp?x=1&y=2", u"Options", u"Go", u"", false, u"<setvar name=\"a\" value=\"1\"/>"},
     "<do type=\"options\" label=\"Go\"><go href=\"a.asp?x=1&amp;y=2\">"
     "<setvar name=\"a\" value=\"1\"/></go></do>"},

    // Events: the type lower-cased, the extra markup after the go.
    {u"WAP", P, u"EventGo", {u"Index.asp", u"ONTIMER", u"x"},
     "<onevent type=\"ontimer\"><go href=\"Index.asp\"/>x</onevent>"},
    {u"WAP", P, u"EventPrev", {}, "<onevent type=\"onenterforward\"><prev/></onevent>"},
    {u"WAP", P, u"EventNoop", {u"OnEnterBackward"},
     "<onevent type=\"onenterbackward\"><noop/></onevent>"},

    // Variables: pairs as in SplitRichText, values unfiltered but escaped.
    {u"EnWAP", P, u"IncSetVar", {u"a,b", u"1 1,&2", u","},
     "<setvar name=\"a\" value=\"1 1\"/><setvar name=\"b\" value=\"&amp;2\"/>"},
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
            "<do type=\"options\" label=\"Home\"><go href=\"i.asp?a=1&amp;b=2\"/></do>");
}

// ---- Forms ----------------------------------------------------------------------

using test::kDesktopAgent;
using test::kPhoneAgent;

struct FormPage : test::TestPage {
  explicit FormPage(const char* agent = kPhoneAgent, const char16_t* class_name = u"WAP",
                    std::string url = "/shop/order.asp", std::string form = "")
      : TestPage(class_name, test::PageOptions().WithAgent(agent).WithUrl(url).WithForm(form)) {}
};

// An EnWAP page on the week query's address, its body as bytes.
struct ReadyPage : FormPage {
  explicit ReadyPage(std::string url = "/tools/week.asp", std::string form = "",
                     const char* agent = kPhoneAgent)
      : FormPage(agent, u"EnWAP", std::move(url), std::move(form)) {}
  std::string Body() const { return page.Body(); }
};

std::string U8(std::u16string_view text) { return codepage::ToUtf8(text); }

constexpr char16_t kFormStart[] =
    u"<form name=\"FirstForm\" method=\"post\" action=\"http://localhost/shop/order.asp\">";

TEST(TextIn, SameFieldOnEveryTerminalAndOneFormOnTheDesktop) {
  for (const char* agent : {kPhoneAgent, kDesktopAgent}) {
    FormPage page(agent);
    EXPECT_EQ(page.object->TextIn(u"名字", u"Password", u"a&b", u"中", u"t", u"maxlength=\"8\" "),
              u"&#x540D;&#x5B57;<br/><input type=\"password\" name=\"a&amp;b\" "
              u"value=\"&#x4E2D;\" title=\"t\" maxlength=\"8\" />");
    page.object->TextIn(u"", u"text", u"n", u"v", u"t", u"");
    const bool desktop = agent == kDesktopAgent;
    EXPECT_EQ(page.Body(), desktop ? kFormStart : u"");
    EXPECT_EQ(page.object->state().OnlyOne, desktop);
  }
  // A script that wants a second form clears OnlyOne itself.
  FormPage page(kDesktopAgent, u"EnWAP");
  page.object->TextIn(u"", u"text", u"m", u"v", u"t", u"");
  page.object->state().OnlyOne = false;
  page.object->state().PostFileName = u"save.asp?x=1&amp;y=2";
  page.object->TextIn(u"", u"text", u"m", u"v", u"t", u"");
  EXPECT_EQ(page.Body(), std::u16string(kFormStart) +
                             u"<form name=\"FirstForm\" method=\"post\" "
                             u"action=\"save.asp?x=1&amp;y=2\">");
  // Without a page the field is still returned; the write is skipped, the
  // flag is set.
  auto object = std::dynamic_pointer_cast<PageObject>(CreateByProgId(u"Zorvadel.WAP"));
  object->state().Terminal = u"Mozilla/5.0";
  EXPECT_EQ(object->TextIn(u"", u"text", u"n", u"v", u"t", u""),
            u"<input type=\"text\" name=\"n\" value=\"v\" title=\"t\" />");
  EXPECT_TRUE(object->state().OnlyOne);
}

TEST(Post, FieldsTaskAndVariable) {
  FormPage page;
  // Names and values pair up as in SplitRichText; neither is filtered here,
  // both are escaped for their attributes.
  EXPECT_EQ(page.object->PostField(u"名,a&b,c", u"v1,v2", u","),
            u"<postfield name=\"名\" value=\"$(v1)\"/><postfield name=\"a&amp;b\" "
            u"value=\"$(v2)\"/>");
  EXPECT_EQ(page.object->TextMorePost(u"a", u"x", u" "),
            u"<postfield name=\"a\" value=\"$(x)\"/></go></do><br/>");
  // The method is always post; only the label is filtered.
  EXPECT_EQ(page.object->PostSet(u"OPTIONS", u"发", u"a.asp?x=1&amp;y=2", u"GB2312", u"GET"),
            u"<do type=\"OPTIONS\" label=\"&#x53D1;\" optional=\"false\"><go "
            u"href=\"a.asp?x=1&amp;y=2\" method=\"post\" accept-charset=\"GB2312\">");
  EXPECT_EQ(page.object->TextPost(u"名", u"v&"),
            u"<postfield name=\"&#x540D;\" value=\"$(v&amp;)\"/>");
  EXPECT_EQ(page.Body(), u"");
}

TEST(Selects, AttributesFollowTheGivenNames) {
  struct Case {
    const char16_t *title, *name, *iname, *other_att, *expected;
  };
  const Case cases[] = {
      {u"", u"", u"", u"", u"<select >"},
      {u"", u"", u"", u"id=\"s\"", u"<select id=\"s\">"},
      {u"", u"n", u"", u"", u"<select name=\"n\" value=\"v\" >"},
      {u"t", u"", u"i", u"", u"<select title=\"t\" iname=\"i\" ivalue=\"iv\" multiple=\"true\" >"},
      // Both names: the title is written even when empty.
      {u"", u"n", u"i", u"",
       u"<select title=\"\" name=\"n\" value=\"v\" iname=\"i\" ivalue=\"iv\" multiple=\"true\" >"},
  };
  FormPage page(kDesktopAgent, u"EnWAP");
  for (const Case& c : cases) {
    EXPECT_EQ(page.object->Selects(c.title, c.name, u"v", c.iname, u"iv", true, c.other_att),
              c.expected);
  }
  EXPECT_EQ(page.Call(u"Selects", {u"", u"", u"", u"i"}).string(),
            u"<select iname=\"i\" ivalue=\"\" multiple=\"true\" >");
}

TEST(Options, ItemFormsAndClosing) {
  struct Case {
    const char16_t *titles, *values, *hrefs, *group;
    bool last;
    const char16_t* expected;
  };
  const Case cases[] = {
      {u"", u"1", u"x", u"", true, u"</select>"},  // no group: always closes
      {u"", u"", u"", u"G", false, u"<optgroup title=\"G\"></optgroup>"},
      {u"a b", u"", u"", u"", false, u"</select>"},  // titles alone give no items
      {u"a b", u"1", u"", u"", false, u"<option title=\"a\" value=\"1\">a</option></select>"},
      // The title is filtered, the value only escaped.
      {u"红 b", u"r&g b", u"", u"组", true,
       u"<optgroup title=\"&#x7EC4;\"><option title=\"&#x7EA2;\" value=\"r&amp;g\">&#x7EA2;"
       u"</option>"
       u"<option title=\"b\" value=\"b\">b</option></optgroup></select>"},
  };
  FormPage page;
  for (const Case& c : cases) {
    EXPECT_EQ(page.object->Options(c.titles, c.values, c.hrefs, u" ", c.group, c.last),
              c.expected)
        << U8(c.titles) << "|" << U8(c.values) << "|" << U8(c.hrefs);
  }
}

// ---- Tables and FontStyle ------------------------------------------------------

TEST(Tables, HeadAndRows) {
  struct Head {
    int16_t columns;
    const char16_t *align, *title, *expected;
  };
  const Head heads[] = {
      {3, u"lc", u"", u"<table columns=\"3\" align=\"LCL\">"},
      {2, u"lcr", u"", u"<table columns=\"2\" align=\"LC\">"},
      {0, u"LLLL", u"", u"<table columns=\"0\" align=\"\">"},
      // A negative count cannot cut: the letters stay, upper-cased.
      {-1, u"llll", u"", u"<table columns=\"-1\" align=\"LLLL\">"},
      {1, u"r", u"价<b>", u"<table columns=\"1\" align=\"R\" title=\"&#x4EF7;&lt;b&gt;\">"},
  };
  const test::Case rows[] = {
      {u"a  b", u"<tr><td>a</td><td></td><td>b</td></tr>"},
      {u"", u"<tr></tr>"},
      {u"中 a&b", u"<tr><td>&#x4E2D;</td><td>a&amp;b</td></tr>"},
  };
  FormPage page;
  for (const Head& c : heads) {
    EXPECT_EQ(page.object->Table(c.columns, c.align, c.title), c.expected) << U8(c.align);
  }
  for (const test::Case& c : rows) EXPECT_EQ(page.object->IncRow(c.in, u" "), c.out);
  EXPECT_EQ(page.object->IncRow(u"a b", u""), u"<tr><td>a b</td></tr>");
  const std::u16string many = page.object->IncRow(test::Repeat(u"x ", 40000), u" ");
  EXPECT_EQ(many.size(), 4u + 40000u * 10u + 9u + 5u);  // the last piece is empty
  // Only Common's FontStyle (which the XHTML classes forward to) trims.
  EXPECT_EQ(page.object->FontStyle(u" Hi ", u"U", u" "), u"<u> Hi </u>");
}

// The WML A has no Id, so a fourth argument is one too many; the first
// arguments of the fields and tasks are required.
TEST(BuildersByName, BadArguments) {
  FormPage page;
  EXPECT_EQ(test::CallError(*page.object, u"Table", {Variant(int32_t{40000})}), kErrOverflow);
  EXPECT_EQ(test::CallError(*page.object, u"A", {u"t", u"u", u"d", u"id"}), kErrWrongArgs);
  for (const char16_t* member :
       {u"TextIn", u"IncRow", u"PostField", u"TextPost", u"IncTaskDo", u"IncTaskGo"}) {
    EXPECT_EQ(test::CallError(*page.object, member, {}), kErrWrongArgs) << U8(member);
  }
}

// ---- The ready-made pages ----------------------------------------------------------

std::string TodayText() { return codepage::ToUtf8(CStr(Variant::Date(Today()))); }

std::string TodayName() {
  return codepage::ToUtf8(
      langdata::WeekdayName(Weekday(Today(), 2), langdata::WeekdayLanguage::kEnglish));
}

#define TARGET "http://localhost/tools/week.asp?ToDo=ToAdd"

// ---- WeekQuery: the form -------------------------------------------------------------

std::string EnglishForm(const std::string& form_start, const std::string& submit) {
  return form_start +
         "Date(For Example:1981-9-16):<br/><input type=\"text\" name=\"Send_A\" value=\"" +
         TodayText() + "\" title=\"Please enter a value&#xFF1A;\" /><br/>"
         "<do type=\"options\" label=\"Submit\" optional=\"false\"><go href=\"" TARGET
         "\" method=\"post\" accept-charset=\"utf-8\"><postfield name=\"Send_A\" "
         "value=\"$(Send_A)\"/></go></do><br/><br/>" +
         submit + "<br/>Today[" + TodayText() + "]:" + TodayName() + "<br/>";
}

// The submit anchor's title is the Chinese confirm word in both languages.
TEST(WeekQueryForm, PhoneGetsTheWmlTaskAndAnchor) {
  ReadyPage page;
  page.object->WeekQuery();
  EXPECT_EQ(page.Body(),
            EnglishForm("", "<anchor title=\"&#x786E;&#x5B9A;\">Submit<go href=\"" TARGET
                            "\" method=\"post\"><postfield name=\"Send_A\" "
                            "value=\"$Send_A\"/></go></anchor>"));
}

// On a desktop browser TextIn opens the page's one form and AnchorGo closes
// it; the form must post to the second step, whatever PostFileName says,
// and PostFileName itself is left as the script set it.
TEST(WeekQueryForm, DesktopFormPostsToTheSecondStep) {
  ReadyPage page("/tools/week.asp", "", kDesktopAgent);
  page.object->state().PostFileName = u"save.asp";
  page.object->WeekQuery();
  EXPECT_EQ(page.Body(),
            EnglishForm("<form name=\"FirstForm\" method=\"post\" action=\"" TARGET "\">",
                        "<input type=\"submit\" name=\"Submit\" value=\"Submit\"></form>"));
  EXPECT_TRUE(page.object->state().OnlyOne);
  EXPECT_EQ(page.object->state().PostFileName, u"save.asp");
  // A form already open is not opened again.
  ReadyPage open("/tools/week.asp", "", kDesktopAgent);
  open.object->state().OnlyOne = true;
  open.object->WeekQuery();
  EXPECT_EQ(open.Body().find("<form"), std::string::npos);
  EXPECT_NE(open.Body().find("</form>"), std::string::npos);
}

// ---- WeekQuery: which step the request asks for --------------------------------------

struct StepCase {
  const char* name;
  std::string url, form;
  bool result;  // the result page (else the form)
  const char* date_row = "1981-9-16";
};

TEST(WeekQueryStep, ResultOrForm) {
  const StepCase cases[] = {
    {"BothInQuery", "/tools/week.asp?ToDo=ToAdd&Send_A=1981-9-16", "", true},
    {"KeyPostedToo", "/tools/week.asp", "ToDo=ToAdd&Send_A=1981-9-16", true},
    {"PaddedDate", "/tools/week.asp?ToDo=ToAdd", "Send_A=+1981-09-16+", true, " 1981-09-16 "},
    {"EmptyDateIsToday", "/tools/week.asp?ToDo=ToAdd", "Send_A=", true, ""},
    {"NoKey", "/tools/week.asp", "Send_A=1981-9-16", false},
    {"KeyInOtherCase", "/tools/week.asp?ToDo=toadd", "Send_A=1981-9-16", false},
    {"KeyTwice", "/tools/week.asp?ToDo=ToAdd&ToDo=ToAdd", "Send_A=1981-9-16", false},
    {"ImpossibleDate", "/tools/week.asp?ToDo=ToAdd", "Send_A=1981-2-30", false},
    {"HugeText", "/tools/week.asp?ToDo=ToAdd", "Send_A=" + std::string(70000, '9'), false},
  };
  for (const StepCase& c : cases) {
    ReadyPage page(c.url, c.form);
    page.object->WeekQuery();
    const std::string body = page.Body(), date = c.date_row;
    const std::string name = date.empty() ? TodayName() : "Wednesday";
    EXPECT_EQ(c.result ? body : body.substr(0, 33),
              c.result ? "Week Search Result:<br/>" + date + "<br/>" + name +
                             "<br/><a title=\"Enter\" href=\"http://localhost/tools/week.asp\">"
                             "Continue To Query</a><br/>"
                       : "Date(For Example:1981-9-16):<br/>") << c.name;
  }
}

// ---- DownPicList ----------------------------------------------------------------------

// The link is written at once with the mark after it, as given, outside the
// filter.
TEST(DownPicList, WritesTheLinkThenTheMark) {
  ReadyPage page;
  EXPECT_EQ(page.Call(u"DownPicList", {u"", u"f.zip", u"中", u"&nbsp;中"}).string(), u"");
  EXPECT_EQ(page.Body(), "<a title=\"Enter\" href=\"f.zip\">&#x4E2D;</a>&nbsp;中");
}

}  // namespace
}  // namespace zorvadel
