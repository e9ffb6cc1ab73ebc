// Numeric character references: the keep rule of ampersands, the escaping
// of units outside 32-255, and the decoder that reads references back.
#include "text/charset_refs.h"

#include <gtest/gtest.h>

#include <string>

#include "support/text_cases.h"

namespace zorvadel::text {
namespace {

using test::Case;
using test::Repeat;

TEST(CharsetKeepsEntity, Segments) {
  struct Keep {
    std::u16string_view segment;
    bool kept;
  };
  const Keep cases[] = {
      {u"&lt", true},           {u"&gt", true},     {u"&apos", true},   {u"&quot", true},
      {u"&amp", true},          {u"&nbsp", true},   {u"&LT", false},    {u"&Amp", false},
      {u"&copy", false},        {u"&", false},      {u"&#", false},     {u"&#x", false},
      {u"&#X", false},          {u"&#x4e2d", true}, {u"&#X4E2D", true}, {u"&#xFFFF", true},
      {u"&#x4G", false},        {u"&#20013", true}, {u"&#-5", true},    {u"&#1e3", true},
      {u"&#12a", false},        {u"&#1.5", true},   {u"&#x1.5", false}, {u"&lt ", false},
      {u"&#&H41", true},  // the general parse reads radix literals too
      {u"&#xFFFFFFFFF", false},
  };
  for (const Keep& c : cases) {
    EXPECT_EQ(KeepsEntity(c.segment), c.kept) << std::string(c.segment.begin(), c.segment.end());
  }
}

TEST(CharsetUni, RepairsAndEscapes) {
  const Case cases[] = {
      {u"", u""},
      {u"AT&T", u"AT&amp;T"},
      {u"a & b;", u"a &amp; b;"},
      {u"&&#x41;", u"&amp;&#x41;"},
      {u"&lt;&#x41&gt;", u"&lt;&amp;#x41&gt;"},
      {u"中", u"&#x4E2D;"},
      {u"a\tb\r\n", u"a&#x9;b&#xD;&#xA;"},
      {std::u16string(u"a\0b", 3), u"ab"},
      // Control characters other than tab, line feed and carriage return
      // have no reference in XML: dropped.
      {u"\x1F\x20\x7F\xFF\x100", u" \x7F\xFF&#x100;"},
      {u"\x01\x02\x03\x04\x05\x06\x07\x08\x0B\x0C\x0E\x0F\x10\x1A", u""},
      // One reference per character outside the basic plane; a lone
      // surrogate becomes the replacement character.
      {u"a😀b\U0010FFFF", u"a&#x1F600;b&#x10FFFF;"},
      {u"\uFFFF\U00010000", u"&#xFFFF;&#x10000;"},
      {u"\xD83D", u"&#xFFFD;"},
      {u"x\xDE00\xD83Dy", u"x&#xFFFD;&#xFFFD;y"},
      {u"&\xD83D", u"&amp;&#xFFFD;"},
      {u"&中;", u"&amp;&#x4E2D;;"},
  };
  for (const Case& c : cases) EXPECT_EQ(Uni(c.in), c.out);
}

TEST(CharsetUtfToGb, Decodes) {
  const Case cases[] = {
      {u"", u""},
      {u"&#x4E2D;&#x4e2d;", u"中中"},
      {u"&#X4E2D;&#20013;&lt;", u"&#X4E2D;&#20013;&lt;"},
      {u"a&#x5173;", u"a关"},
      {u"&#x00000000041;", u"A"},
      // Above FFFF: the surrogate pair; the pair written as two references
      // (as older pages carry it) gives the same.
      {u"a&#x10000;b&#x41;c", u"a\U00010000bAc"},
      {u"&#x10FFFF;", u"\U0010FFFF"},
      {u"&#xD83D;&#xDE00;", u"😀"},
      {u"a&#x0;b", std::u16string(u"a\0b", 3)},
      // What cannot be read stays as it stands, and so does the text after it.
      {u"a&#x", u"a&#x"},
      {u"&#x110000;b&#x41;", u"&#x110000;bA"},  // beyond the last character
      {u"&#xFFFFFFFFF41;b", u"&#xFFFFFFFFF41;b"},
      {u"&#x;x&#x41;", u"&#x;xA"},      // no digits
      {u"&#xZZ;q&#x41;", u"&#xZZ;qA"},  // not hexadecimal
      {u"a&#x41&#x42;b", u"a&#x41Bb"},  // ";" beyond the next reference
      {u"&#x&#x41;", u"&#xA"},
  };
  for (const Case& c : cases) EXPECT_EQ(UtfToGb(c.in), c.out);
}

TEST(CharsetUtfToGb, LongTextsHaveNoPositionLimit) {
  EXPECT_EQ(UtfToGb(Repeat(u"&#x41;", 40000) + u"end"), std::u16string(40000, u'A') + u"end");
  const std::u16string unreadable(100000, u'&');
  EXPECT_EQ(UtfToGb(u"&#x" + unreadable + u"&#x42;"), u"&#x" + unreadable + u"B");
  const std::u16string open_refs = Repeat(u"&#x4", 100000);
  EXPECT_EQ(UtfToGb(open_refs + u";"), open_refs.substr(0, open_refs.size() - 4) + u"\x04");
}

// Runs of ampersands before one far ";" must not hand every long piece to the
// numeric test again (the page filter of PHPXML goes through here).
TEST(CharsetUni, AmpersandRunsBeforeOneSemicolon) {
  EXPECT_TRUE(Uni(Repeat(u"&#x", 300000) + u";") == Repeat(u"&amp;#x", 300000) + u";");
  EXPECT_EQ(Uni(u"&#&H41;"), u"&#&amp;H41;");  // the first "&" is kept
  EXPECT_EQ(Uni(u"&#&H4&1;"), u"&amp;#&amp;H4&amp;1;");
}

}  // namespace
}  // namespace zorvadel::text
