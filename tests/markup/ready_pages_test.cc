// The ready-made WML pages played over the in-memory engine: the two steps
// of the week query (decided by the query key ToDo and the posted Send_A),
// the form pairing of TextIn and AnchorGo on a desktop browser, the rows of
// the call and address pages and the picture link. Whole result pages in
// both languages are the page scripts' (ready_phone, ready_web).
// Chinese texts come out of the output filter as "&#xHEX;".
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/codepage/codepage.h"
#include "support/page_fixture.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

using test::kDesktopAgent;
using test::kPhoneAgent;

struct Request {
  Request(std::string url_in = "/tools/week.asp", std::string form_in = "",
          const char* agent_in = kPhoneAgent)
      : url(std::move(url_in)), form(std::move(form_in)), agent(agent_in) {}
  std::string url;
  std::string form;  // a non-empty form makes it a POST
  const char* agent;
};

const Request kDesktop("/tools/week.asp", "", kDesktopAgent);

struct ReadyPage : test::TestPage {
  ReadyPage(const char16_t* class_name, const Request& request)
      : TestPage(class_name, test::PageOptions()
                                 .WithAgent(request.agent)
                                 .WithUrl(request.url)
                                 .WithForm(request.form)) {}

  std::string Body() const { return page.Body(); }
};

std::string TodayText() { return codepage::ToUtf8(CStr(Variant::Date(Today()))); }

// Today's week-day name as the filter writes it.
std::string TodayName(bool english) {
  static const char* const kEnglish[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                         "Thursday", "Friday", "Saturday"};
  static const char* const kChinese[] = {"&#x65E5;", "&#x4E00;", "&#x4E8C;", "&#x4E09;",
                                         "&#x56DB;", "&#x4E94;", "&#x516D;"};
  const int day = Weekday(Today()) - 1;
  return english ? kEnglish[day] : std::string("&#x661F;&#x671F;") + kChinese[day];
}

#define TARGET "http://localhost/tools/week.asp?ToDo=ToAdd"

// ---- WeekQuery: the form -------------------------------------------------------------

std::string EnglishForm(const std::string& form_start, const std::string& submit) {
  return form_start + "Date(For Example:1981-9-16):<br/><input type=\"text\" name=\"Send_A\" value=\"" +
         TodayText() +
         "\" title=\"Please enter a value&#xFF1A;\" /><br/>"
         "<do type=\"options\" label=\"Submit\" optional=\"false\"><go href=\"" TARGET
         "\" method=\"post\" accept-charset=\"utf-8\"><postfield name=\"Send_A\" "
         "value=\"$(Send_A)\"/></go></do><br/><br/>" +
         submit + "<br/>Today[" + TodayText() + "]:" + TodayName(true) + "<br/>";
}

// The submit anchor's title is the Chinese confirm word in both languages.
TEST(WeekQueryForm, PhoneGetsTheWmlTaskAndAnchor) {
  ReadyPage page(u"EnWAP", {});
  page.object->WeekQuery();
  EXPECT_EQ(page.Body(),
            EnglishForm("", "<anchor title=\"&#x786E;&#x5B9A;\">Submit<go href=\"" TARGET
                            "\" method=\"post\"><postfield name=\"Send_A\" "
                            "value=\"$Send_A\"/></go></anchor>"));
}

TEST(WeekQueryForm, ChineseTextsAndToday) {
  ReadyPage page(u"WAP", {});
  page.object->WeekQuery();
  const std::string body = page.Body();
  EXPECT_EQ(body.rfind("&#x65E5;&#x671F;(&#x4F8B;:1981-9-16)&#xFF1A;<br/>", 0), 0u) << body;
  EXPECT_NE(body.find("label=\"&#x63D0;&#x4EA4;\""), std::string::npos);
  EXPECT_NE(body.find("<anchor title=\"&#x786E;&#x5B9A;\">&#x786E;&#x5B9A;&#x67E5;&#x8BE2;<go"),
            std::string::npos);
  const std::string today_row =
      "&#x4ECA;&#x5929;[" + TodayText() + "]&#xFF1A;" + TodayName(false) + "<br/>";
  EXPECT_EQ(body.substr(body.size() - today_row.size()), today_row);
}

// On a desktop browser TextIn opens the page's one form and AnchorGo closes
// it; the form must post to the second step, whatever PostFileName says,
// and PostFileName itself is left as the script set it.
TEST(WeekQueryForm, DesktopFormPostsToTheSecondStep) {
  ReadyPage page(u"EnWAP", kDesktop);
  page.object->state().PostFileName = u"save.asp";
  page.object->WeekQuery();
  EXPECT_EQ(page.Body(),
            EnglishForm("<form name=\"FirstForm\" method=\"post\" action=\"" TARGET "\">",
                        "<input type=\"submit\" name=\"Submit\" value=\"Submit\"></form>"));
  EXPECT_TRUE(page.object->state().OnlyOne);
  EXPECT_EQ(page.object->state().PostFileName, u"save.asp");
}

TEST(WeekQueryForm, FormAlreadyOpenIsNotOpenedAgain) {
  ReadyPage page(u"EnWAP", kDesktop);
  page.object->state().OnlyOne = true;
  page.object->WeekQuery();
  EXPECT_EQ(page.Body().find("<form"), std::string::npos);
  EXPECT_NE(page.Body().find("</form>"), std::string::npos);
}

// ---- WeekQuery: which step the request asks for --------------------------------------

struct StepCase {
  const char* name;
  Request request;
  bool result;  // the result page (else the form)
  const char* date_row = "1981-9-16";
};

class WeekQueryStep : public testing::TestWithParam<StepCase> {};

TEST_P(WeekQueryStep, ResultOrForm) {
  const StepCase& c = GetParam();
  ReadyPage page(u"EnWAP", c.request);
  page.object->WeekQuery();
  const std::string body = page.Body();
  if (!c.result) {
    EXPECT_EQ(body.rfind("Date(For Example:1981-9-16):<br/>", 0), 0u) << body;
    EXPECT_EQ(body.find("Week Search Result"), std::string::npos);
    return;
  }
  const std::string name = std::string(c.date_row).empty() ? TodayName(true) : "Wednesday";
  EXPECT_EQ(body, "Week Search Result:<br/>" + std::string(c.date_row) + "<br/>" + name +
                      "<br/><a title=\"Enter\" href=\"http://localhost/tools/week.asp\">"
                      "Continue To Query</a><br/>");
}

const StepCase kStepCases[] = {
    {"BothInQuery", {"/tools/week.asp?ToDo=ToAdd&Send_A=1981-9-16"}, true},
    {"KeyPostedToo", {"/tools/week.asp", "ToDo=ToAdd&Send_A=1981-9-16"}, true},
    {"PaddedDate", {"/tools/week.asp?ToDo=ToAdd", "Send_A=+1981-09-16+"}, true, " 1981-09-16 "},
    {"EmptyDateIsToday", {"/tools/week.asp?ToDo=ToAdd", "Send_A="}, true, ""},
    {"MissingDateIsToday", {"/tools/week.asp?ToDo=ToAdd"}, true, ""},
    {"NoKey", {"/tools/week.asp", "Send_A=1981-9-16"}, false},
    {"KeyInOtherCase", {"/tools/week.asp?ToDo=toadd", "Send_A=1981-9-16"}, false},
    {"OtherValue", {"/tools/week.asp?ToDo=ToAdd2", "Send_A=1981-9-16"}, false},
    {"KeyTwice", {"/tools/week.asp?ToDo=ToAdd&ToDo=ToAdd", "Send_A=1981-9-16"}, false},
    {"NoDate", {"/tools/week.asp?ToDo=ToAdd", "Send_A=yesterday"}, false},
    {"ImpossibleDate", {"/tools/week.asp?ToDo=ToAdd", "Send_A=1981-2-30"}, false},
    {"MarkupIsNoDate", {"/tools/week.asp?ToDo=ToAdd", "Send_A=%3Cb%3E1981-9-16"}, false},
    {"HugeText", {"/tools/week.asp?ToDo=ToAdd", "Send_A=" + std::string(70000, '9')}, false},
};

INSTANTIATE_TEST_SUITE_P(Requests, WeekQueryStep, testing::ValuesIn(kStepCases),
                         [](const testing::TestParamInfo<StepCase>& info) {
                           return std::string(info.param.name);
                         });

// ---- CallPhone ------------------------------------------------------------------------

TEST(CallPhone, PhoneRows) {
  ReadyPage page(u"EnWAP", {});
  page.object->CallPhone();
  EXPECT_EQ(page.Body(),
            "Please enter the phone number:<br/><input type=\"text\" name=\"CallPhoneNumber\" "
            "value=\"13\" title=\"PHONE NUMBER\" format='*m'/><br/>"
            "<a title=\"Call\" href=\"wtai://wp/mc;$(CallPhoneNumber)\">Call The Number</a><br/>"
            "<do type=\"option\" label=\"Call\"><go href=\"wtai://wp/mc;$(CallPhoneNumber)\"/>"
            "</do><br/>");
}

// ---- DownPicList ----------------------------------------------------------------------

struct PicCase {
  std::vector<Variant> args;
  const char* written;
};

TEST(DownPicList, WritesTheLinkThenTheMark) {
  const PicCase cases[] = {
      {{u"a.gif", u"a.zip", u"A"},
       "<a title=\"Enter\" href=\"a.zip\"><img src=\"a.gif\" alt=\"A\" /></a> "},
      {{u"a.gif", u"a.zip", u"A", u""},
       "<a title=\"Enter\" href=\"a.zip\"><img src=\"a.gif\" alt=\"A\" /></a>"},
      {{u"", u"f.zip", u"中", u"|"}, "<a title=\"Enter\" href=\"f.zip\">&#x4E2D;</a>|"},
      // the mark is written as given, outside the filter
      {{u"", u"f.zip", u"F", u"&nbsp;中"}, "<a title=\"Enter\" href=\"f.zip\">F</a>&nbsp;中"},
      {{}, "<a title=\"Enter\" href=\"\"></a> "},
  };
  for (const PicCase& c : cases) {
    ReadyPage page(u"EnWAP", {});
    page.object->state().IsShowImage = true;
    EXPECT_EQ(page.Call(u"DownPicList", c.args).string(), u"");
    EXPECT_EQ(page.Body(), c.written);
  }
}

// ---- GoUrl ----------------------------------------------------------------------------

int Count(const std::string& text, const std::string& piece) {
  int n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

TEST(ReadyByName, GoUrlSitesSwitch) {
  for (const char16_t* class_name : {u"WAP", u"EnWAP"}) {
    ReadyPage page(class_name, {});
    EXPECT_TRUE(page.Call(u"GoUrl", {Variant::Missing()}).IsEmpty());  // IsShowGoodSites False
    EXPECT_EQ(Count(page.Body(), "<a "), 1);
    EXPECT_TRUE(page.Call(u"gourl", {Variant(u"True")}).IsEmpty());
    EXPECT_EQ(Count(page.Body(), "<a "), 10);
  }
}

}  // namespace
}  // namespace zorvadel
