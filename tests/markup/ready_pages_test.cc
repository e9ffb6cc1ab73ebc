// The ready-made WML pages: the two steps of the week query (decided by ToDo
// and the posted Send_A), its form on a desktop browser, and the picture
// link's mark. The page scripts ready_phone and ready_web show the rest.
#include <gtest/gtest.h>

#include <string>

#include "langdata/week.h"
#include "platform/codepage/codepage.h"
#include "support/page_fixture.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

using test::kDesktopAgent;
using test::kPhoneAgent;

// A page on the week query's address, for a phone unless told otherwise.
struct ReadyPage : test::TestPage {
  explicit ReadyPage(const char16_t* class_name, std::string url = "/tools/week.asp",
                     std::string form = "", const char* agent = kPhoneAgent)
      : TestPage(class_name, test::PageOptions().WithAgent(agent).WithUrl(url).WithForm(form)) {}

  std::string Body() const { return page.Body(); }
};

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
  ReadyPage page(u"EnWAP");
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
  ReadyPage page(u"EnWAP", "/tools/week.asp", "", kDesktopAgent);
  page.object->state().PostFileName = u"save.asp";
  page.object->WeekQuery();
  EXPECT_EQ(page.Body(),
            EnglishForm("<form name=\"FirstForm\" method=\"post\" action=\"" TARGET "\">",
                        "<input type=\"submit\" name=\"Submit\" value=\"Submit\"></form>"));
  EXPECT_TRUE(page.object->state().OnlyOne);
  EXPECT_EQ(page.object->state().PostFileName, u"save.asp");
}

TEST(WeekQueryForm, FormAlreadyOpenIsNotOpenedAgain) {
  ReadyPage page(u"EnWAP", "/tools/week.asp", "", kDesktopAgent);
  page.object->state().OnlyOne = true;
  page.object->WeekQuery();
  EXPECT_EQ(page.Body().find("<form"), std::string::npos);
  EXPECT_NE(page.Body().find("</form>"), std::string::npos);
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
    ReadyPage page(u"EnWAP", c.url, c.form);
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
  ReadyPage page(u"EnWAP");
  EXPECT_EQ(page.Call(u"DownPicList", {u"", u"f.zip", u"中", u"&nbsp;中"}).string(), u"");
  EXPECT_EQ(page.Body(), "<a title=\"Enter\" href=\"f.zip\">&#x4E2D;</a>&nbsp;中");
}

}  // namespace
}  // namespace zorvadel
