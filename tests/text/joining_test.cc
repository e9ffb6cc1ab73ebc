// Joining split texts, name-value lists, keyword highlighting, style tags,
// and the page classes' SplitMultiText and FontStyle.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/codepage/codepage.h"
#include "text/joining.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/memory_page.h"
#include "zorvadel/runtime.h"

namespace zorvadel::text {
namespace {

TEST(SplitTextTest, Table) {
  struct Case {
    std::u16string_view content, mark, pre, last, joiner, out;
  };
  const Case cases[] = {
      {u"a,b,c", u",", u"[", u"]", u"|", u"[a|b|c]"},
      {u"", u",", u"[", u"]", u"|", u"[]"},
      {u"a,b", u",", u"", u"", u"", u"ab"},
      {u"abc", u",", u"<", u">", u"|", u"<abc>"},
      {u"a,,b,", u",", u"", u"", u"-", u"a--b-"},
      {u"a,b", u"", u"(", u")", u"|", u"(a,b)"},
      {u"a,b", u",", u"", u"", u"--", u"a--b"},
      {u"aXbxc", u"x", u"", u"", u"+", u"aXb+c"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitText(c.content, c.mark, c.pre, c.last, c.joiner), c.out)
        << codepage::ToUtf8(c.content);
  }
}

TEST(SplitRichTextTest, Table) {
  struct Case {
    std::u16string_view names, values, out;
  };
  const Case cases[] = {
      {u"a,b,c", u"1,2", u"<a=1><b=2>"},
      {u"a,b", u"1,2,3", u"<a=1><b=2>"},
      {u"", u"1", u""},
      {u"a", u"", u""},
      {u"a,", u"1,", u"<a=1><=>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitRichText(c.names, c.values, u",", u"<", u"=", u">"), c.out)
        << codepage::ToUtf8(c.names);
  }
}

TEST(ReplaceStringTest, Table) {
  struct Case {
    std::u16string_view keywords, text, out;
  };
  const Case cases[] = {
      {u"b", u"abc", u"a[b]c"},
      {u"b|", u"abc", u"a[b]c"},
      {u"a|[", u"ab", u"[[]a]b"},
      {u"B", u"abc", u"abc"},
      {u"", u"abc", u"abc"},
      {u"a||c", u"abc", u"[a]b[c]"},
      {u"aa", u"aaa", u"[aa]a"},
      {u"b|b", u"b", u"[[b]]"},
      {u"x", u"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReplaceString(c.keywords, c.text, u"[", u"]"), c.out) << codepage::ToUtf8(c.keywords);
  }
}

TEST(FontStyleTest, Table) {
  struct Case {
    std::u16string_view content, styles, mark, out;
  };
  const Case cases[] = {
      {u"  x  ", u"", u" ", u"x"},
      {u" x ", u"B", u" ", u"<b>x</b>"},
      {u"x", u"b i", u" ", u"<i><b>x</b></i>"},
      {u"x", u"b  i", u" ", u"<i><><b>x</b></></i>"},
      {u"\tx ", u"", u" ", u"\tx"},
      {u"x", u"B|U", u"|", u"<u><b>x</b></u>"},
      {u"x", u"b i", u"", u"<b i>x</b i>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FontStyle(c.content, c.styles, c.mark), c.out) << codepage::ToUtf8(c.styles);
  }
}

TEST(JoiningLongTest, ManyPiecesAndLongTexts) {
  std::u16string many;
  for (int i = 0; i < 100000; ++i) many += u"ab,";
  const std::u16string joined = SplitText(many, u",", u"", u"", u";");
  EXPECT_EQ(joined.size(), many.size());
  // The trailing separator leaves an empty last piece.
  EXPECT_EQ(joined.substr(joined.size() - 4), u";ab;");
  const std::u16string names = SplitRichText(many, many, u",", u"", u"=", u"");
  EXPECT_EQ(names.size(), 100000u * 5 + 1);
  EXPECT_EQ(ReplaceString(u"b", many, u"<", u">").size(), many.size() + 200000);
  EXPECT_EQ(FontStyle(many, u"b", u" ").size(), many.size() + 7);
}

}  // namespace
}  // namespace zorvadel::text

namespace zorvadel {
namespace {

std::shared_ptr<PageObject> NewPage(std::u16string_view name) {
  return std::dynamic_pointer_cast<PageObject>(CreateByProgId(u"Zorvadel." + std::u16string(name)));
}

// A page object with a response of its own but no page start.
struct Writing {
  explicit Writing(std::u16string_view name) : page(NewPage(name)) {
    auto session = std::make_shared<engine::MemorySession>();
    session->SetCodePage(65001);
    response = std::make_shared<engine::MemoryResponse>(session);
    page->state().Response = response;
  }
  std::string Body() const { return response->Result().body; }

  std::shared_ptr<PageObject> page;
  std::shared_ptr<engine::MemoryResponse> response;
};

TEST(SplitMultiTextTest, WritesFramedPieces) {
  for (std::u16string_view name : {u"XML", u"EnXML", u"WAP", u"EnWAP"}) {
    Writing w(name);
    Invoke(*w.page, u"SplitMultiText",
           {Variant(u"a|b|c"), Variant(u"|"), Variant(u"<p>|<q>"), Variant(u"</p>|</q>|</r>")});
    // The third piece has no PreText piece and is not written at all.
    EXPECT_EQ(w.Body(), "<p>a</p><q>b</q>");
    EXPECT_FALSE(w.page->state().CC);
  }
}

TEST(SplitMultiTextTest, NothingToWriteTo) {
  auto page = NewPage(u"WAP");
  EXPECT_NO_THROW(page->SplitMultiText(u"a|b", u"|", u"|", u"|"));
  Writing w(u"XML");
  w.page->SplitMultiText(u"", u"|", u"x", u"y");
  EXPECT_EQ(w.Body(), "");
}

TEST(PageFontStyleTest, ForwardsWithDefaults) {
  auto xml = NewPage(u"XML");
  EXPECT_EQ(Invoke(*xml, u"FontStyle", {Variant(u"  x  ")}).string(), u"x");
  EXPECT_EQ(Invoke(*xml, u"fontstyle", {Variant(u" x"), Variant(u"B I")}).string(),
            u"<i><b>x</b></i>");
  EXPECT_EQ(Invoke(*xml, u"FontStyle", {Variant(u"x"), Variant::Missing(), Variant(u"")}).string(),
            u"x");
  EXPECT_TRUE(xml->state().CC);
  auto common = std::dynamic_pointer_cast<Common>(CreateByProgId(u"Zorvadel.Common"));
  EXPECT_EQ(Invoke(*common, u"FontStyle", {Variant(u" y "), Variant(u"U")}).string(), u"<u>y</u>");
}

TEST(PageReplaceStringTest, ForwardsByName) {
  auto wap = NewPage(u"WAP");
  EXPECT_EQ(Invoke(*wap, u"ReplaceString",
                   {Variant(u"\u624b\u673a|wap"), Variant(u"wap\u624b\u673a"), Variant(u"<b>"),
                    Variant(u"</b>")})
                .string(),
            u"<b>wap</b><b>\u624b\u673a</b>");
  EXPECT_THROW(Invoke(*wap, u"ReplaceString", {Variant(u"a"), Variant(u"b")}), ScriptError);
}

}  // namespace
}  // namespace zorvadel
