// WML tasks, events and variables of WAP and EnWAP, called by name (so
// omitted arguments take the class's defaults) on a phone and on a desktop
// browser. Chinese labels come out of the output filter as "&#xHEX;".
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/codepage/codepage.h"
#include "support/page_fixture.h"

namespace zorvadel {
namespace {

using test::Agent;
constexpr Agent P = Agent::kPhone;
constexpr Agent W = Agent::kWeb;

struct TaskPage : test::TestPage {
  TaskPage(const char16_t* class_name, Agent agent)
      : TestPage(class_name, test::PageOptions().WithAgent(test::AgentText(agent))) {}

  Variant Run(std::u16string_view member, std::vector<Variant> args) {
    return TestPage::Call(member, std::move(args));
  }
  std::string Call(std::u16string_view member, std::vector<Variant> args) {
    return CallUtf8(member, std::move(args));
  }
};

struct Golden {
  const char16_t* class_name;
  Agent agent;
  const char16_t* member;
  std::vector<Variant> args;
  const char* expected;
};

#define GO_LABEL "&#x8F6C;&#x5230;"
#define SET_LABEL "&#x8BBE;&#x7F6E;"

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

TEST(WmlTasks, Golden) {
  for (const Golden& c : kTaskCases) {
    TaskPage page(c.class_name, c.agent);
    SCOPED_TRACE(codepage::ToUtf8(std::u16string(c.class_name) + u"." + c.member) +
                 (c.agent == Agent::kWeb ? " on Web" : " on a phone"));
    EXPECT_EQ(page.Call(c.member, c.args), c.expected);
  }
}

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
    TaskPage page(c.class_name, c.agent);
    EXPECT_TRUE(page.Run(u"BackFooter", c.args).IsEmpty());
    EXPECT_EQ(page.page.Body(), c.written);
  }
  TaskPage page(u"WAP", P);
  page.object->state().Response = nullptr;
  page.object->BackFooter(u"a", u"b", u"c");  // nothing to write to; no error
}

TEST(WmlTasks, RequiredArgumentsAreRequired) {
  TaskPage page(u"WAP", P);
  for (const char16_t* member : {u"IncTaskDo", u"IncTaskGo"}) {
    try {
      page.Run(member, {});
      ADD_FAILURE() << "expected error 450";
    } catch (const ScriptError& e) {
      EXPECT_EQ(e.number(), kErrWrongArgs);
    }
  }
}

TEST(WmlTasks, LongListsPairUp) {
  TaskPage page(u"WAP", P);
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
