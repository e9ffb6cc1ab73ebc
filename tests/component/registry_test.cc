// The ProgID registry: names without regard to case, 429 for unknown ones.
#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "support/error_of.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/member_table.h"

namespace zorvadel {
namespace {

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

}  // namespace
}  // namespace zorvadel
