// Which page classes answer to a member by name: the markup and output
// members of the five classes in one table. (What a call of a member a class
// lacks raises is the dispatch's and the class set's tests' to say.)
#include <gtest/gtest.h>

#include <string>

#include "support/page_fixture.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

constexpr const char16_t* kClasses[] = {u"WAP", u"EnWAP", u"XML", u"EnXML", u"PHPXML"};

struct Row {
  const char* has;          // one digit per class of kClasses
  const char16_t* members;  // separated by blanks
};

constexpr Row kRows[] = {
    {"11111", u"A Anchor P XhtmlHeader XhtmlFooter Ascii SubmitText Displayer "
              u"SQLInjection"},
    {"11110", u"Comment FontStyle ImgType Img IA ImgA WriteLine WriteTo SafeRequest RequestText "
              u"RndNumber GetHostName GetDoMain Redirect"},
    {"11000", u"TextIn PostSet TextPost TextMorePost PostField Selects Options Table IncRow Row "
              u"RowOne IncTaskDo IncTaskGo DoPrev DoNoop DoGo EventGo EventPrev "
              u"EventNoop IncEvent DoSetVar EventSetVar Fresh IncSetVar TemplateBack BackFooter "
              u"AnchorGo PhoneA PhoneDo Phone BackA Image ImageA ImgAImg WeekQuery CallPhone GoUrl "
              u"DownPicList Card PageHeader AutoFooter HtmlHeader HtmlFooter UbbWML DebugInfo "
              u"PhoneType TransWmlFile"},
    {"10111", u"XhtmlStyleCss"},
    {"10000", u"HtmlStyleCss"},
    {"00111", u"Div UbbXML"},
    {"00110", u"G3Header G3Footer"},
    {"00000", u"SetUtf8Response PutWmlContentType"},
};

TEST(MemberMatrix, EachClassHasItsMembers) {
  for (size_t i = 0; i < std::size(kClasses); ++i) {
    ObjectPtr object = CreateByProgId(std::u16string(u"Zorvadel.") + kClasses[i]);
    for (const Row& row : kRows) {
      for (const std::u16string& member : Split(row.members)) {
        EXPECT_EQ(object->Class().Has(member), row.has[i] == '1')
            << codepage::ToUtf8(std::u16string(kClasses[i]) + u"." + member);
      }
    }
  }
}

}  // namespace
}  // namespace zorvadel
