// The response settings, the output primitives and TransWmlFile: what each
// writes, in one Response.Write, and how each class treats errors.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "output/output_test_util.h"
#include "support/member_calls.h"

namespace zorvadel {
namespace {

// ---- Response settings ----------------------------------------------------------

// What each setting writes shows in the frames' tests; here, that each
// step stands on its own when the engine refuses one or lacks an object.
TEST(ResponseSettingsTest, EachStepOnItsOwn) {
  OutputPage p(u"WAP");
  p.response->refuse_headers = true;
  p.object->PutWmlContentType();
  EXPECT_EQ(p.response->charset, u"");
  EXPECT_EQ(p.page.session().CodePage(), 65001u);
  EXPECT_EQ(p.response->expires, 0);

  OutputPage bare(u"EnWAP");
  bare.state().Response = nullptr;
  EXPECT_NO_THROW(bare.object->PutWmlContentType());
  EXPECT_EQ(bare.page.session().CodePage(), 65001u);
  bare.state().Session = nullptr;
  EXPECT_NO_THROW(bare.object->SetUtf8Response());
}

// ---- Output primitives ----------------------------------------------------------

struct WriteCase {
  std::u16string_view member;
  std::u16string_view chinese_type;
  std::u16string_view in;
  std::u16string_view written;
};

constexpr WriteCase kWriteCases[] = {
    {u"WriteOut", u"", u"", u""},
    {u"WriteRow", u"", u"", u"<br/>"},
    {u"WriteOut", u"", u"a & <b>中</b>", u"a &amp; <b>&#x4E2D;</b>"},
    {u"WriteRow", u"", u"a & <b>中</b>", u"a &amp; <b>&#x4E2D;</b><br/>"},
    {u"WriteLine", u"", u"a & <b>中</b>", u"a & <b>中</b>"},
    {u"WriteTo", u"", u"a & <b>中</b>", u"a & <b>中</b><br/>"},
    {u"WriteLine", u" COMPLEX ", u"国 &\r", u"國 &\r"},
    {u"WriteLine", u"complex1", u"国", u"国"},
    {u"WriteTo", u"simple", u"國", u"国<br/>"},
    {u"WriteRow", u"simple", u"國", u"&#x56FD;<br/>"},
};

TEST(OutputPrimitivesTest, OneWriteEach) {
  for (const char16_t* name : kWritingClasses) {
    for (const WriteCase& c : kWriteCases) {
      OutputPage p(name);
      p.state().ChineseType = c.chinese_type;
      const Variant result = Invoke(*p.object, c.member, {Variant(std::u16string(c.in))});
      EXPECT_TRUE(result.IsEmpty());
      ASSERT_EQ(p.response->writes.size(), 1u) << U8(name) << " " << U8(c.member);
      EXPECT_EQ(p.response->writes[0], c.written) << U8(name) << " " << U8(c.member);
    }
    OutputPage p(name);
    EXPECT_THROW(Invoke(*p.object, u"WriteOut", {}), ScriptError);
  }
}

// WriteOut of the WML classes passes on the error of a missing or refusing
// response; the other writes, and WriteOut of the XHTML classes, swallow it.
TEST(OutputPrimitivesTest, FailingResponse) {
  for (const char16_t* name : kWritingClasses) {
    auto bare = NewPageObject(name);
    OutputPage refusing(name);
    refusing.response->refuse_write = true;
    for (std::u16string_view member : {u"WriteOut", u"WriteRow", u"WriteLine", u"WriteTo"}) {
      SCOPED_TRACE(U8(name) + " " + U8(member));
      const bool raises = bare->family() == Family::kW && member == u"WriteOut";
      const int refused = raises ? kErrInvalidArgument : 0;
      EXPECT_EQ(test::CallError(*bare, member, {u"x"}), raises ? kErrObjectNotSet : 0);
      EXPECT_EQ(test::CallError(*refusing.object, member, {u"x"}), refused);
    }
  }
}

TEST(OutputPrimitivesTest, PhpXmlReturnsAndWritesNothing) {
  OutputPage p(u"PHPXML");
  EXPECT_EQ(Invoke(*p.object, u"WriteRow", {Variant(u"國 & x")}),
            Variant(u"&#x56FD; &amp; x<br/>"));
  EXPECT_EQ(Invoke(*p.object, u"WriteRow", {Variant(u"")}), Variant(u"<br/>"));
  EXPECT_EQ(p.object->WriteOutText(u"中"), u"&#x4E2D;");
  p.object->WriteOut(u"x");
  p.object->WriteTo(u"x");
  EXPECT_TRUE(p.response->writes.empty());
}

// ---- TransWmlFile -------------------------------------------------------------------

TEST(TransWmlFileTest, BothDirections) {
  const struct {
    Variant to_utf8;  // Missing: the default (true)
    std::u16string_view in;
    std::u16string_view out;
  } cases[] = {
      {Variant::Missing(), u"<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<p>\t中&</p>\n",
       u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<p>&#x4E2D;&amp;</p>&#xA;"},
      {Variant(true), u"\r\t\n", u"\r\n"},
      {Variant(false), u"<?xml version=\"1.0\"?><p>&#x4E2D;&#X4E2D;</p>",
       u"<?xml version=\"1.0\" encoding=\"gb2312\"?><p>中&#X4E2D;</p>"},
      {Variant(false), u"<?xml version=\"1.0\" encoding=\"utf-8\"?>",
       u"<?xml version=\"1.0\" encoding=\"gb2312\"?>"},
      {Variant(false), u"", u""},
  };
  for (const char16_t* name : {u"WAP", u"EnWAP"}) {
    OutputPage p(name);
    for (const auto& c : cases) {
      std::vector<Variant> args = {Variant(std::u16string(c.in))};
      if (!c.to_utf8.IsMissing()) args.push_back(c.to_utf8);
      EXPECT_EQ(Invoke(*p.object, u"TransWmlFile", args), Variant(std::u16string(c.out)))
          << U8(c.in);
    }
    EXPECT_TRUE(p.response->writes.empty());
  }
}

TEST(TransWmlFileTest, UsesThePageFilter) {
  OutputPage p(u"WAP");
  p.state().WapEnCoding = u"GB2312";
  EXPECT_EQ(p.object->TransWmlFile(u"中\t&").string(), u"中\t&");
  p.state().WapEnCoding = u"utf-8";
  p.state().FontKeyWords = u"k";
  EXPECT_EQ(p.object->TransWmlFile(u"k").string(), u"<b>k</b>");
}

}  // namespace
}  // namespace zorvadel
