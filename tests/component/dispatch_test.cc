// Late-bound calls through a member table: lookup, argument checking,
// defaults, coercion before the member runs, properties and inheritance; the
// ProgID registry: names without regard to case, 429 for unknown ones; and the
// engine objects' member tables, reached by name on the in-memory engine (the
// everyday calls are in the runner's page scripts, tests/pages/runner_*).
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/error_of.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/member_table.h"
#include "zorvadel/memory_page.h"

namespace zorvadel {
namespace {

class Gadget : public Object {
 public:
  const ClassInfo& Class() const override {
    static const ClassInfo info = ClassBuilder<Gadget>(u"Gadget").Build();
    return info;
  }
};

class Probe : public Object {
 public:
  const ClassInfo& Class() const override;

  std::u16string A(const std::u16string& title, std::u16string_view url,
                   const std::u16string& text) {
    ++calls_;
    return title + u"|" + std::u16string(url) + u"|" + text;
  }
  int32_t Add(int16_t a, int32_t b) {
    ++calls_;
    return a + b;
  }
  bool Omitted(const Variant& value) { return value.IsMissing(); }
  int16_t Pad(int16_t n) { return n; }  // optional, no default
  std::u16string Echo(std::u16string text) {
    ++calls_;
    return text;
  }
  double Half(double x) { return x / 2; }
  bool Flip(bool b) { return !b; }
  void Touch() { ++calls_; }
  void Bump(int32_t n) { last_bump_ = n + 1; }
  std::u16string Version() const { return u"1.0"; }
  int32_t Width() const { return width_; }
  void SetWidth(int32_t w) { width_ = w * 2; }
  Variant Item(const std::u16string& key) { return Variant(u"item:" + key); }

  std::u16string title_ = u"untitled";
  int16_t count_ = 0;
  std::shared_ptr<Probe> partner_;
  int calls_ = 0;
  int32_t last_bump_ = 0;
  int32_t width_ = 0;
};

std::u16string Describe(const Probe& probe, int16_t times) {
  std::u16string out;
  for (int i = 0; i < times; ++i) out += probe.title_;
  return out;
}

const ClassInfo& Probe::Class() const {
  static const ClassInfo info = ClassBuilder<Probe>(u"Probe")
      .Method<&Probe::A>(u"A", {Opt(u"Title", u"确定"), Opt(u"Url", u"Index.asp"), Req(u"Text")})
      .Method<&Probe::Add>(u"Add", {Req(u"A"), Opt(u"B", 10)})
      .Method<&Probe::Omitted>(u"Omitted", {Opt(u"Value")})
      .Method<&Probe::Pad>(u"Pad", {Opt(u"N")})
      .Method<&Probe::Echo>(u"Echo", {Req(u"Text")})
      .Method<&Probe::Half>(u"Half", {Req(u"X")})
      .Method<&Probe::Flip>(u"Flip", {Req(u"B")})
      .Method<&Probe::Touch>(u"Touch")
      .Method<&Probe::Bump>(u"Bump", {Req(u"N").ByRef()})
      .Method<&Describe>(u"Describe", {Opt(u"Times", 1)})
      .Getter<&Probe::Version>(u"Version")
      .Property<&Probe::Width, &Probe::SetWidth>(u"Width")
      .Property<&Probe::title_>(u"Title")
      .Property<&Probe::count_>(u"Count")
      .ReadOnly<&Probe::calls_>(u"Calls")
      .ObjectProperty<&Probe::partner_>(u"Partner")
      .Getter<&Probe::Item>(u"Item", {Req(u"Key")})
      .Default(u"Item")
      .Build();
  return info;
}

// A page-family member set inherited by a derived class, which replaces one
// member and adds another.
class WideProbe : public Probe {
 public:
  const ClassInfo& Class() const override {
    static const ClassInfo info = ClassBuilder<WideProbe>(u"WideProbe")
        .Inherit(Probe().Probe::Class())
        .Getter<&WideProbe::Version>(u"VERSION")
        .Method<&Probe::Touch>(u"Poke")
        .Build();
    return info;
  }
  std::u16string Version() const { return u"2.0"; }
};

// The error number a by-name call raises; 0 when it raises none.
int ErrorOf(Object& object, std::u16string_view name, std::vector<Variant> args,
            CallKind kind = CallKind::kMethodOrGet) {
  return test::ErrorOf([&] { Invoke(object, name, std::move(args), kind); });
}

const Variant kMissing = Variant::Missing();

TEST(CallTest, GivesTypedResult) {
  const struct {
    const char* label;
    std::u16string member;
    std::vector<Variant> args;
    Variant expected;
  } cases[] = {
      {"all given", u"A", {u"T", u"u.asp", u"x"}, Variant(u"T|u.asp|x")},
      {"leading omitted", u"a", {kMissing, kMissing, u"x"}, Variant(u"确定|Index.asp|x")},
      {"trailing default", u"Add", {int16_t{5}}, Variant(int32_t{15})},
      {"numeric text", u"ADD", {u"12", u"30"}, Variant(int32_t{42})},
      {"half to even", u"Add", {2.5, int32_t{0}}, Variant(int32_t{2})},  // the rest: CInt's
      {"Boolean to Integer", u"Add", {true, int32_t{0}}, Variant(int32_t{-1})},
      {"Variant omitted", u"Omitted", {}, Variant(true)},
      {"Variant Missing", u"Omitted", {kMissing}, Variant(true)},
      {"Variant Empty", u"Omitted", {Variant()}, Variant(false)},
      {"typed optional", u"Pad", {}, Variant(int16_t{0})},
      {"number to String", u"Echo", {int32_t{7}}, Variant(u"7")},
      {"Empty to String", u"Echo", {Variant()}, Variant(u"")},
      {"text to Double", u"Half", {u"3"}, Variant(1.5)},
      {"text to Boolean", u"Flip", {u"false"}, Variant(true)},
      {"void result", u"Touch", {}, Variant()},
      {"free function", u"describe", {int16_t{2}}, Variant(u"untitleduntitled")},
      {"const getter", u"version", {}, Variant(u"1.0")},
      {"default member", u"", {u"k"}, Variant(u"item:k")},
      {"default by name", u"ITEM", {u"k"}, Variant(u"item:k")},
  };
  for (const auto& c : cases) {
    Probe probe;
    EXPECT_EQ(Invoke(probe, c.member, c.args), c.expected) << c.label;
  }
}

TEST(CallTest, RaisesBeforeTheMemberRuns) {
  constexpr CallKind kGet = CallKind::kMethodOrGet, kLet = CallKind::kLet;
  const struct {
    const char* label;
    std::u16string member;
    std::vector<Variant> args;
    CallKind kind;
    int error;
  } cases[] = {
      {"no such member", u"Nope", {}, kGet, 438},
      {"let of a read-only", u"Version", {u"x"}, kLet, 438},
      {"set of a value property", u"Count", {Variant::Nothing()}, CallKind::kSet, 438},
      {"method as let", u"Touch", {}, kLet, 438},
      {"too many", u"Touch", {int32_t{1}}, kGet, 450},
      {"required omitted", u"A", {u"T", u"u"}, kGet, 450},
      {"required Missing", u"Add", {kMissing, int32_t{1}}, kGet, 450},
      {"count before type", u"Add", {u"abc", int32_t{1}, int32_t{2}}, kGet, 450},
      {"text to Integer", u"Add", {u"abc", int32_t{1}}, kGet, 13},
      {"Integer overflow", u"Add", {int32_t{40000}, int32_t{1}}, kGet, 6},
      {"late bad argument", u"Add", {int16_t{1}, 3e10}, kGet, 6},
      {"Null to String", u"Echo", {Variant::Null()}, kGet, 94},
      {"object to String", u"Echo", {Variant(std::make_shared<Gadget>())}, kGet, 13},
      {"let without value", u"Count", {}, kLet, 450},
  };
  for (const auto& c : cases) {
    Probe probe;
    EXPECT_EQ(ErrorOf(probe, c.member, c.args, c.kind), c.error) << c.label;
    EXPECT_EQ(probe.calls_, 0) << c.label;
  }
}

TEST(ClassInfoTest, FindsWithoutRegardToCase) {
  const ClassInfo& info = Probe().Class();
  EXPECT_EQ(info.Find(u"cOuNt", MemberKind::kPropertyLet)->name, u"Count");
  EXPECT_EQ(info.Find(u"Count", MemberKind::kMethod), nullptr);
  EXPECT_EQ(info.Find(u"Coun", MemberKind::kPropertyGet), nullptr);
  EXPECT_EQ(info.Find(u"", MemberKind::kPropertyGet)->name, u"Item");
  EXPECT_EQ(info.Find(u"", MemberKind::kMethod), nullptr);
}

TEST(PropertyTest, LetThenGetRoundTrips) {
  Probe probe;
  Invoke(probe, u"title", {int32_t{5}}, CallKind::kLet);
  EXPECT_EQ(probe.title_, u"5");
  EXPECT_EQ(Invoke(probe, u"Title", {}), Variant(u"5"));
  Invoke(probe, u"Count", {u" 7 "}, CallKind::kLet);
  EXPECT_EQ(Invoke(probe, u"count", {}), Variant(int16_t{7}));
  Invoke(probe, u"Width", {int32_t{21}}, CallKind::kLet);  // computed: stored doubled
  EXPECT_EQ(Invoke(probe, u"Width", {}), Variant(int32_t{42}));
  EXPECT_EQ(ErrorOf(probe, u"Count", {int32_t{99999}}, CallKind::kLet), 6);
  EXPECT_EQ(probe.count_, 7);
  EXPECT_EQ(Invoke(probe, u"Calls", {}), Variant(int32_t{0}));
}

TEST(PropertyTest, ObjectPropertyChecksTheClass) {
  Probe probe;
  auto partner = std::make_shared<Probe>();
  Invoke(probe, u"Partner", {Variant(partner)}, CallKind::kSet);
  EXPECT_EQ(probe.partner_, partner);
  EXPECT_EQ(Invoke(probe, u"partner", {}), Variant(partner));
  EXPECT_EQ(ErrorOf(probe, u"Partner", {Variant(std::make_shared<Gadget>())}, CallKind::kSet), 13);
  EXPECT_EQ(ErrorOf(probe, u"Partner", {u"text"}, CallKind::kSet), 13);
  EXPECT_EQ(probe.partner_, partner);  // unchanged by the failed assignments
  Invoke(probe, u"Partner", {Variant::Nothing()}, CallKind::kSet);
  EXPECT_EQ(probe.partner_, nullptr);
  EXPECT_EQ(ErrorOf(probe, u"Partner", {Variant(partner)}, CallKind::kLet), 438);
}

TEST(ByRefTest, ArgumentIsNotWrittenBack) {
  Probe probe;
  std::vector<Variant> args = {u"41"};
  Invoke(probe, u"Bump", args);
  EXPECT_EQ(probe.last_bump_, 42);
  EXPECT_EQ(args[0], Variant(u"41"));  // neither coerced nor changed in place
}

TEST(InheritTest, DerivedTableReplacesAndAdds) {
  WideProbe probe;
  EXPECT_EQ(Invoke(probe, u"Version", {}), Variant(u"2.0"));
  EXPECT_EQ(Invoke(probe, u"A", {u"t", u"u", u"x"}), Variant(u"t|u|x"));
  Invoke(probe, u"poke", {});
  EXPECT_EQ(probe.calls_, 2);
  EXPECT_EQ(Invoke(probe, u"", {u"k"}), Variant(u"item:k"));  // default inherited
}

// A call site remembers the member it found per class: objects of other
// classes, played in turn through one site (and its copy), each get their own.
TEST(CallSiteTest, FindsPerClass) {
  const CallSite site(u"VERSION", CallKind::kMethodOrGet);
  Probe probe;
  WideProbe wide;
  Gadget gadget;
  for (int round = 0; round < 2; ++round) {
    const CallSite copy = site;
    EXPECT_EQ(site.Call(probe, {}), Variant(u"1.0")) << round;
    EXPECT_EQ(copy.Call(wide, {}), Variant(u"2.0")) << round;
    EXPECT_EQ(site.Call(wide, {}), Variant(u"2.0")) << round;
    EXPECT_EQ(test::ErrorOf([&] { site.Call(gadget, {}); }), 438) << round;
    EXPECT_EQ(copy.Call(probe, {}), Variant(u"1.0")) << round;
  }
  const std::vector<Variant> args = {u"41"};
  CallSite(u"bump", CallKind::kMethodOrGet).Call(probe, args);
  EXPECT_EQ(probe.last_bump_, 42);
  EXPECT_EQ(args[0], Variant(u"41"));
}

// Tables that contradict their C++ signature fail when built, not when called.
struct Misfit : Object {
  const ClassInfo& Class() const override { return Probe().Class(); }
  void Two(int32_t, int32_t) {}
};

TEST(BuilderTest, RejectsTablesThatDoNotMatch) {
  EXPECT_THROW(ClassBuilder<Misfit>(u"M").Method<&Misfit::Two>(u"Two", {Req(u"A")}),
               std::logic_error);
  EXPECT_THROW(ClassBuilder<Misfit>(u"M").Method<&Misfit::Two>(u"Two", {Req(u"A"), Opt(u"B", u"x")}),
               std::logic_error);
  EXPECT_THROW(ClassBuilder<Misfit>(u"M").Default(u"Absent").Build(), std::logic_error);
}

// ---- The ProgID registry ---------------------------------------------------------

class Widget : public Object {
 public:
  explicit Widget(int generation = 1) : generation_(generation) {}
  const ClassInfo& Class() const override {
    static const ClassInfo info =
        ClassBuilder<Widget>(u"Widget").ReadOnly<&Widget::generation_>(u"Generation").Build();
    return info;
  }
  int32_t generation_;
};

int CreateError(std::u16string_view progid) {
  return test::ErrorOf([&] { CreateByProgId(progid); });
}

TEST(RegistryTest, ProgIdsIgnoreCase) {
  RegisterProgId(u"Test.Widget", &MakeObject<Widget>);
  EXPECT_TRUE(IsProgIdRegistered(u"test.WIDGET"));
  ObjectPtr object = CreateByProgId(u"TEST.widget");
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->Class().name, u"Widget");
  EXPECT_NE(CreateByProgId(u"Test.Widget"), object);  // a new object each time
}

TEST(RegistryTest, UnknownProgIdRaises429) {
  EXPECT_FALSE(IsProgIdRegistered(u"Test.Unknown"));
  EXPECT_EQ(CreateError(u"Test.Unknown"), 429);
  EXPECT_EQ(CreateError(u""), 429);
  EXPECT_EQ(CreateError(u"Test.Widget "), 429);  // no trimming
  RegisterProgId(u"Test.Null", [] { return ObjectPtr(); });
  EXPECT_EQ(CreateError(u"Test.Null"), 429);
}

TEST(RegistryTest, RegisteringAgainReplaces) {
  RegisterProgId(u"Test.Gen", [] { return std::make_shared<Widget>(1); });
  RegisterProgId(u"TEST.GEN", [] { return std::make_shared<Widget>(2); });
  ObjectPtr object = CreateByProgId(u"test.gen");
  EXPECT_EQ(Invoke(*object, u"Generation", {}), Variant(int32_t{2}));
}

TEST(RegistryTest, ConcurrentCreationIsSafe) {
  RegisterProgId(u"Test.Shared", &MakeObject<Widget>);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 200; ++i) {
        ObjectPtr object = CreateByProgId(u"test.shared");
        Invoke(*object, u"generation", {});
        if (i % 50 == 0) RegisterProgId(u"Test.Other" + std::u16string(1, u'0' + t), &MakeObject<Widget>);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_TRUE(IsProgIdRegistered(u"test.other3"));
}

// ---- The engine objects by name --------------------------------------------------

std::unique_ptr<engine::MemoryPage> MakePage(engine::RequestFacts facts = {}) {
  return std::make_unique<engine::MemoryPage>(std::move(facts), "/srv/site", nullptr, nullptr);
}

TEST(EngineMembersTest, Request) {
  engine::RequestFacts facts;
  facts.url = "/p.asp?id=7";
  facts.form = "3=x";
  facts.headers = {{"Cookie", "c=v"}};
  auto page = MakePage(facts);
  Request& request = page->request();
  EXPECT_EQ(Invoke(request, u"Form", {int16_t{3}}), Variant(u"x"));  // the key becomes text
  EXPECT_EQ(Invoke(request, u"Cookies", {u"c"}), Variant(u"v"));
  EXPECT_EQ(Invoke(request, u"", {u"id"}), Variant(u"7"));
  EXPECT_EQ(ErrorOf(request, u"QueryString", {}), kErrWrongArgs);
  EXPECT_EQ(ErrorOf(request, u"Form", {u"x"}, CallKind::kLet), kErrNoMember);
}

TEST(EngineMembersTest, Response) {
  auto page = MakePage();
  Response& response = page->response();
  Invoke(response, u"Write", {u"a"});
  Invoke(response, u"write", {int32_t{12}});
  Invoke(response, u"AddHeader", {u"X-A", u"1"});
  Invoke(response, u"ContentType", {u"text/vnd.wap.wml"}, CallKind::kLet);
  Invoke(response, u"Expires", {u"-1"}, CallKind::kLet);
  Invoke(response, u"Status", {int16_t{404}}, CallKind::kLet);
  EXPECT_EQ(Invoke(response, u"contenttype", {}), Variant(u"text/vnd.wap.wml"));
  EXPECT_EQ(Invoke(response, u"Expires", {}), Variant(int32_t{-1}));
  EXPECT_EQ(Invoke(response, u"Status", {}), Variant(int32_t{404}));
  EXPECT_EQ(ErrorOf(response, u"Write", {Variant::Null()}), kErrInvalidNull);
  EXPECT_EQ(ErrorOf(response, u"Expires", {u"soon"}, CallKind::kLet), kErrTypeMismatch);
  EXPECT_EQ(response.Expires(), -1);
  EXPECT_EQ(page->Body(), "a12");
  EXPECT_EQ(page->Result().headers.back(), (std::pair<std::string, std::string>{"X-A", "1"}));
}

TEST(EngineMembersTest, Server) {
  auto page = MakePage();
  Server& server = page->server();
  Variant created = Invoke(server, u"CreateObject", {u"zorvadel.common"});
  ASSERT_TRUE(created.IsObject());
  EXPECT_EQ(created.object()->Class().name, u"Common");
  EXPECT_EQ(ErrorOf(server, u"CreateObject", {u"Test.None"}), kErrCannotCreate);
}

TEST(EngineMembersTest, SessionAndApplication) {
  auto page = MakePage();
  Session& session = page->session();
  Invoke(session, u"", {u"user", int32_t{5}}, CallKind::kLet);  // Session("user") = 5
  EXPECT_EQ(Invoke(session, u"", {u"user"}), Variant(int32_t{5}));
  EXPECT_EQ(Invoke(session, u"", {u"never"}), Variant());
  auto object = std::make_shared<engine::MemoryApplication>();
  Invoke(session, u"", {u"obj", Variant(object)}, CallKind::kSet);  // Set Session("obj") = o
  EXPECT_EQ(session.Value(u"obj"), Variant(object));
  Invoke(session, u"CodePage", {u"65001"}, CallKind::kLet);
  EXPECT_EQ(session.CodePage(), 65001u);
  EXPECT_EQ(Invoke(session, u"codepage", {}), Variant(int32_t{65001}));
  EXPECT_EQ(ErrorOf(session, u"CodePage", {int32_t{-1}}, CallKind::kLet), kErrInvalidArgument);
  Invoke(session, u"Timeout", {int16_t{30}}, CallKind::kLet);
  EXPECT_EQ(Invoke(session, u"TIMEOUT", {}), Variant(int32_t{30}));
  EXPECT_EQ(ErrorOf(session, u"Timeout", {int32_t{0}}, CallKind::kLet), kErrInvalidArgument);

  Application& application = *page->context().GetApplication();
  Invoke(application, u"", {u"hits", u"3"}, CallKind::kLet);
  EXPECT_EQ(Invoke(application, u"value", {u"HITS"}), Variant(u"3"));
}

}  // namespace
}  // namespace zorvadel
