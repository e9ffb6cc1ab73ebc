// Repair of a piece cut out of a longer markup text: the tail and head
// rungs, the evening out of brackets and written breaks, the final collapse.
#include <gtest/gtest.h>

#include <string>

#include "platform/codepage/codepage.h"
#include "support/text_cases.h"
#include "text/cut_repair.h"

namespace zorvadel::text {
namespace {

using test::Case;
using test::Repeat;

TEST(FixCodesTest, Repairs) {
  const Case cases[] = {
      // Tail: a rung cuts its edge off or completes it; an "&nbsp" without its
      // ";" and a cut "&amp;nbsp" are dropped.
      {u"ab<", u"ab"}, {u"ab<br/", u"ab"}, {u"ab&l", u"ab&lt;"}, {u"ab&nbs", u"ab&nbsp;"},
      {u"ab&s", u"ab&shy;"}, {u"ab&a", u"ab&apos;"}, {u"ab&nbsp", u"ab"}, {u"ab&amp;nb", u"ab"},
      {u"ab&", u"ab&"}, {u"ab&amp", u"ab&amp"},
      // A cut exposes a tail for later rungs only.
      {u"ab&l<b", u"ab&lt;"}, {u"ab<<b", u"ab<"},
      // Head.
      {u"b>x", u"<b>x"}, {u">x", u"x"}, {u"br/>x", u"x"}, {u"t;x", u"&quot;x"},
      {u"lt;x", u"&lt;x"}, {u"nbsp;x", u"&nbsp;x"}, {u";x", u";x"}, {u"t;", u"&quot;"},
      {u"&l", u"&lt;"}, {u"", u""},
      // Inside: ">>" goes before ">>>", so a run of three ">" ends as two.
      {u"a<<<<c", u"a<c"}, {u"a>>>b", u"a>>b"}, {u"a>>>>>b", u"a>b"}, {u"a<br>b", u"a<br/>b"},
      {u"a<BR>b", u"a<br/>b"}, {u"a<Br>b", u"a<Br>b"}, {u"a&lt;br&gt;b", u"a<br/>b"},
      {u"a\r\nb", u"a<br/>b"}, {u"a" + Repeat(u"<br>", 38) + u"b", u"a<br/>b"},
      {u"<br/>a", u"<br/>a"},
  };
  for (const Case& c : cases) EXPECT_EQ(FixCodes(c.in), c.out) << codepage::ToUtf8(c.in);
}

TEST(FixCodesTest, MebibytePiece) {
  const std::u16string body = Repeat(u"x<<y>>z<br><br>", 1 << 16);
  // Compared with == alone: a failure message would diff the long texts.
  EXPECT_TRUE(FixCodes(u"b>" + body + u"&nb") ==
              u"<b>" + Repeat(u"x<y>z<br/>", 1 << 16) + u"&nbsp;");
}

}  // namespace
}  // namespace zorvadel::text
