// Repair of a piece cut out of a longer markup text: the tail and head
// rungs, the evening out of brackets and written breaks, the final collapse.
#include <gtest/gtest.h>

#include <string>

#include "platform/codepage/codepage.h"
#include "support/text_cases.h"
#include "text/cut_repair.h"
#include "zorvadel/runtime.h"

namespace zorvadel::text {
namespace {

using test::Case;
using test::Repeat;


class FixCodesTest : public testing::TestWithParam<Case> {};

TEST_P(FixCodesTest, Repairs) {
  EXPECT_EQ(FixCodes(GetParam().in), GetParam().out) << codepage::ToUtf8(GetParam().in);
}

INSTANTIATE_TEST_SUITE_P(Tail, FixCodesTest,
                         testing::Values(Case{u"ab<", u"ab"}, Case{u"ab<b", u"ab"},
                                         Case{u"ab<br", u"ab"}, Case{u"ab<br/", u"ab"},
                                         Case{u"ab&l", u"ab&lt;"}, Case{u"ab&lt", u"ab&lt;"},
                                         Case{u"ab&g", u"ab&gt;"}, Case{u"ab&q", u"ab&quot;"},
                                         Case{u"ab&quo", u"ab&quot;"}, Case{u"ab&n", u"ab&nbsp;"},
                                         Case{u"ab&nbs", u"ab&nbsp;"}, Case{u"ab&nbsp", u"ab"},
                                         Case{u"ab&a", u"ab&apos;"}, Case{u"ab&apos", u"ab&apos;"},
                                         Case{u"ab&s", u"ab&shy;"}, Case{u"ab&shy", u"ab&shy;"},
                                         Case{u"ab&", u"ab&"}, Case{u"ab&amp", u"ab&amp"},
                                         Case{u"ab&amp;n", u"ab"}, Case{u"ab&amp;nb", u"ab"},
                                         Case{u"ab&amp;nbs", u"ab"}, Case{u"ab&amp;nbsp", u"ab"},
                                         Case{u"ab&nbsp;", u"ab&nbsp;"},
                                         // A cut exposes a tail for later rungs only.
                                         Case{u"ab&l<b", u"ab&lt;"}, Case{u"ab<<b", u"ab<"}));

INSTANTIATE_TEST_SUITE_P(Head, FixCodesTest,
                         testing::Values(Case{u"b>x", u"<b>x"}, Case{u">x", u"x"},
                                         Case{u"/>x", u"x"}, Case{u"r/>x", u"x"},
                                         Case{u"br/>x", u"x"}, Case{u"t;x", u"&quot;x"},
                                         Case{u"lt;x", u"&lt;x"}, Case{u"gt;x", u"&gt;x"},
                                         Case{u"uot;x", u"&quot;x"}, Case{u"p;x", u"&nbsp;x"},
                                         Case{u"sp;x", u"&nbsp;x"}, Case{u"nbsp;x", u"&nbsp;x"},
                                         Case{u"os;x", u"&apos;x"}, Case{u"y;x", u"&shy;x"},
                                         Case{u"hy;x", u"&shy;x"}, Case{u";x", u";x"},
                                         Case{u"t;", u"&quot;"}, Case{u"&l", u"&lt;"},
                                         Case{u"", u""}));

INSTANTIATE_TEST_SUITE_P(
    Inside, FixCodesTest,
    testing::Values(Case{u"a<<<<c", u"a<c"}, Case{u"a>>>b", u"a>>b"}, Case{u"a>>>>b", u"a>>b"},
                    Case{u"a>>>>>b", u"a>b"}, Case{u"a<br>b", u"a<br/>b"},
                    Case{u"a<BR>b", u"a<br/>b"}, Case{u"a<Br>b", u"a<Br>b"},
                    Case{u"a&lt;br&gt;b", u"a<br/>b"}, Case{u"a\r\nb", u"a<br/>b"},
                    Case{u"a&#xD;&#xA;b", u"a<br/>b"},
                    Case{u"a" + Repeat(u"<br>", 38) + u"b", u"a<br/>b"},
                    Case{u"<br/>a", u"<br/>a"}));

TEST(FixCodesLongTest, MebibytePiece) {
  const std::u16string body = Repeat(u"x<<y>>z<br><br>", 1 << 16);
  // Compared with == alone: a failure message would diff the long texts.
  EXPECT_TRUE(FixCodes(u"b>" + body + u"&nb") ==
              u"<b>" + Repeat(u"x<y>z<br/>", 1 << 16) + u"&nbsp;");
}

}  // namespace
}  // namespace zorvadel::text
