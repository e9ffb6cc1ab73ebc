// The drop of what XML 1.0 cannot carry, shared by the output filter's raw
// path and every member that writes raw text or markup: exact results, the
// references that only form once a unit inside them is gone, and random
// texts over the units that matter, whose result must hold nothing a parser
// refuses.
#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <string>
#include <string_view>

#include "platform/codepage/codepage.h"
#include "runtime/utf16.h"
#include "support/text_cases.h"
#include "text/xml_chars.h"

namespace zorvadel {
namespace {

using test::Case;

std::u16string Units(std::initializer_list<char16_t> units) { return std::u16string(units); }

std::u16string Kept(std::u16string text) {
  text::KeepXmlCarried(&text);
  return text;
}

// What a parser would refuse in `text`, by position; "" when nothing.
std::string Refused(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      ++i;
      continue;
    }
    if (!text::IsXmlChar(c)) return "unit " + std::to_string(c) + " at " + std::to_string(i);
    if (c != u'&') continue;
    const text::XmlReference ref = text::ReadXmlReference(text, i);
    if (ref.length != 0 && !text::IsXmlChar(ref.value)) {
      return "reference at " + std::to_string(i);
    }
  }
  return {};
}

TEST(XmlCarried, DropsExactlyWhatXmlCannotCarry) {
  std::u16string controls;
  for (char16_t c = 0; c < 0x20; ++c) controls.push_back(c);
  const Case cases[] = {
      {u"", u""},
      {u"<b>a &amp; b & c &#; &#x; &X; &#X0;</b>", u"<b>a &amp; b & c &#; &#x; &X; &#X0;</b>"},
      {u"中\U0001F600&#x4E2D;&#9;&#xA;&#13;&#x10FFFF;",
       u"中\U0001F600&#x4E2D;&#9;&#xA;&#13;&#x10FFFF;"},
      {u"a" + controls + u"b", u"a\t\n\rb"},
      {Units({u'a', 0xFFFE, 0xFFFF, 0xD800, u'b', 0xDC00, 0xDBFF}), u"ab"},
      {Units({0xDC00, 0xD83D, 0xDE00, 0xD83D}), u"\U0001F600"},
      {u"a&#0;&#x1;&#xFFFF;&#xfffe;&#xD800;&#55296;&#x110000;&#99999999999999;b", u"ab"},
      // A reference that forms once a unit inside it, or an inner reference,
      // has gone, goes as well; nothing before the text is looked at.
      {Units({u'&', u'#', 1, u'0', u';', u'x'}), u"x"},
      {Units({u'&', 0xFFFF, u'#', u'x', u'F', 0x1F, u'F', u'F', u'F', u';'}), u""},
      {u"&#&#0;0;|&#x&#x1;1;|&#1&#xFFFF;2;|&#&#&#0;0;0;", u"|||"},
      {u"&#3&#0;2;", u"&#32;"},
      {u"0;&#0;", u"0;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(codepage::ToUtf8(c.in));
    EXPECT_EQ(Kept(c.in), c.out);
    std::u16string out = u"&#";
    text::AppendXmlCarried(c.in, &out);
    EXPECT_EQ(out, u"&#" + c.out);
  }
}

TEST(XmlCarried, RandomTextsComeOutWhole) {
  std::mt19937 random(43);
  const std::u16string units = Units({u'&', u'#', u'x', u'0', u'1', u'F', u';', u'a', 0x01, 0xFFFF,
                                      0xD800, 0xDC00});
  for (int round = 0; round < 20000; ++round) {
    const std::u16string in = test::RandomText(random, units, 1 + random() % 48);
    const std::u16string out = Kept(in);
    ASSERT_EQ(Refused(out), "") << codepage::ToUtf8(in);
    // Nothing is put in and nothing that stays moves: the result is a
    // subsequence of the text, and the drop has nothing left to take.
    size_t at = 0;
    for (char16_t c : out) {
      at = in.find(c, at);
      ASSERT_NE(at, std::u16string::npos);
      ++at;
    }
    ASSERT_EQ(Kept(out), out);
    if (Refused(in).empty()) {
      ASSERT_EQ(out, in);
    }
  }
}

// A long run of digits before many semicolons is read again by one of them
// only, so a hostile text costs a pass, not a square.
TEST(XmlCarried, LongDigitRunsStayLinear) {
  std::u16string text = u"&#x" + test::Repeat(u"F", 1 << 20);
  for (int i = 0; i < 1 << 16; ++i) text += Units({1, u';'});
  EXPECT_EQ(Kept(text), test::Repeat(u";", (1 << 16) - 1));
}

}  // namespace
}  // namespace zorvadel
