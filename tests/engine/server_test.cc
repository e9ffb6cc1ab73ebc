// Server (MapPath, URLEncode, CreateObject and the page hooks) and the
// Session and Application stores.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine_test_util.h"
#include "zorvadel/dispatch.h"

namespace zorvadel::engine {
namespace {

TEST(MapPathTest, FromAScriptInASubfolder) {
  const std::pair<std::u16string_view, const char16_t*> cases[] = {  // nullptr: raises
      {u"", u"/srv/site/news"},
      {u"a.txt", u"/srv/site/news/a.txt"},
      {u"./img/b.gif", u"/srv/site/news/img/b.gif"},
      {u"../data/x.mdb", u"/srv/site/data/x.mdb"},
      {u"..", u"/srv/site"},
      {u"/", u"/srv/site"},
      {u"/data//x.mdb", u"/srv/site/data/x.mdb"},
      {u"\\data\\x.mdb", u"/srv/site/data/x.mdb"},
      {u"/a/../b", u"/srv/site/b"},
      {u"数据/文件.txt", u"/srv/site/news/数据/文件.txt"},
      {u"../../etc/passwd", nullptr},
      {u"..\\..\\etc\\passwd", nullptr},
      {u"/a/../../b", nullptr},
      {std::u16string_view(u"a\0b", 3), nullptr},
  };
  RequestFacts facts;
  facts.url = "/news/list.asp?Page=2";
  auto page = MakePage(facts);
  for (const auto& [path, expected] : cases) {
    if (expected == nullptr) {
      EXPECT_EQ(ErrorOf([&] { page->server().MapPath(path); }), 5) << codepage::ToUtf8(path);
    } else {
      EXPECT_EQ(page->server().MapPath(path), expected);
    }
  }
}

TEST(MapPathTest, ScriptAtTheRoot) {
  auto page = MakePage();
  EXPECT_EQ(page->server().MapPath(u"x.txt"), u"/srv/site/x.txt");
  EXPECT_THROW(page->server().MapPath(u"../x.txt"), ScriptError);
}

TEST(UrlEncodeTest, BytesOfTheSessionCodePage) {
  struct {
    const char16_t* text;
    uint32_t code_page;
    const char16_t* expected;
  } cases[] = {
      {u"Az09-_.~", 936, u"Az09%2D%5F%2E%7E"},
      {u"a b&=?/%+", 936, u"a+b%26%3D%3F%2F%25%2B"},
      {u"中", 936, u"%D6%D0"},
      {u"中", 65001, u"%E4%B8%AD"},
  };
  for (const auto& c : cases) {
    auto page = MakePage({}, c.code_page);
    EXPECT_EQ(page->server().URLEncode(c.text), c.expected) << codepage::ToUtf8(c.text);
  }
}

// ---- page hooks -----------------------------------------------------------------------

std::vector<std::string>& HookLog() {
  static std::vector<std::string> log;
  return log;
}

class HookedObject : public Object {
 public:
  explicit HookedObject(std::string name) : name_(std::move(name)) {}
  const ClassInfo& Class() const override {
    static const ClassInfo info{u"HookedObject", {}};
    return info;
  }
  bool HasPageHooks() const override { return true; }
  void OnStartPage(const std::shared_ptr<Context>& context) override {
    context_ = context;  // kept, as a real class keeps it
    HookLog().push_back("start " + name_ + (context ? "" : " without context"));
  }
  void OnEndPage() override { HookLog().push_back("end " + name_); }

 private:
  std::string name_;
  std::shared_ptr<Context> context_;
};

class PlainObject : public Object {
 public:
  const ClassInfo& Class() const override {
    static const ClassInfo info{u"PlainObject", {}};
    return info;
  }
};

TEST(PageHooksTest, EndPageRunsInReverseOrderOfCreation) {
  RegisterProgId(u"EngineTest.First", [] { return std::make_shared<HookedObject>("first"); });
  RegisterProgId(u"EngineTest.Second", [] { return std::make_shared<HookedObject>("second"); });
  RegisterProgId(u"EngineTest.Plain", [] { return std::make_shared<PlainObject>(); });
  HookLog().clear();
  auto page = MakePage();
  page->server().CreateObject(u"enginetest.first");
  page->server().CreateObject(u"EngineTest.Plain");
  page->server().CreateObject(u"ENGINETEST.SECOND");
  EXPECT_EQ(HookLog(), (std::vector<std::string>{"start first", "start second"}));
  page->EndPage();
  page->EndPage();  // a second end calls nothing
  EXPECT_EQ(HookLog(), (std::vector<std::string>{"start first", "start second", "end second",
                                                 "end first"}));
}

// The object keeps the context it was given; under the leak checker this
// shows that a page left without EndPage still frees everything.
TEST(PageHooksTest, PageLeftWithoutEndPageCallsNothing) {
  RegisterProgId(u"EngineTest.First", [] { return std::make_shared<HookedObject>("first"); });
  HookLog().clear();
  {
    auto page = MakePage();
    page->server().CreateObject(u"EngineTest.First");
  }
  EXPECT_EQ(HookLog(), (std::vector<std::string>{"start first"}));
}

// ---- Session and Application ---------------------------------------------------------

TEST(SessionTest, ValuesAndSettings) {
  MemorySession session;
  EXPECT_EQ(session.Value(u"user"), Variant());
  session.SetValue(u"User", Variant(u"tom"));
  EXPECT_EQ(session.Value(u"USER"), Variant(u"tom"));
  EXPECT_EQ(session.CodePage(), 936u);
  EXPECT_EQ(session.Timeout(), 20);
  for (int32_t minutes : {0, -1, 1441}) {
    EXPECT_THROW(session.SetTimeout(minutes), ScriptError) << minutes;
    EXPECT_EQ(session.Timeout(), 20);
  }
  session.SetTimeout(1);
  EXPECT_EQ(session.Timeout(), 1);
  session.SetTimeout(1440);
  EXPECT_EQ(session.Timeout(), 1440);
  // Changed in place: a key that was not there and an update that failed
  // leave nothing behind.
  session.UpdateValue(u"USER", [](Variant& value) { value.mutable_string() += u"my"; });
  EXPECT_EQ(session.Value(u"user"), Variant(u"tommy"));
  EXPECT_THROW(session.UpdateValue(u"new", [](Variant&) { throw ScriptError(13); }), ScriptError);
  session.SetValue(u"probe", Variant());
  EXPECT_EQ(session.Value(u"new"), Variant());
}

}  // namespace
}  // namespace zorvadel::engine
