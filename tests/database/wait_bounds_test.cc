// The keys that bound a driver's waits, added to a connection string only
// where the script has not set them, and the values that carry a Jet
// reader's rows back to the server.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ado/variant_codec.h"
#include "platform/ado/wait_bounds.h"

namespace zorvadel::test {
namespace {

struct BoundsCase {
  const char* driver_file;
  const char16_t* text;
  const char16_t* want;
};

TEST(WaitBounds, EachDriverGetsTheKeysItHonoursUnlessTheStringSetsThem) {
  const BoundsCase cases[] = {
      {"/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so", u"driver={myodbd driver};server=db",
       u"driver={myodbd driver};server=db;CONN_TIMEOUT=5;READ_TIMEOUT=30;WRITE_TIMEOUT=30"},
      // The script's own value stays, in any case of the key.
      {"libmaodbc.so", u"server=db;read_timeout=300;",
       u"server=db;read_timeout=300;CONN_TIMEOUT=5;WRITE_TIMEOUT=30"},
      {"libtdsodbc.so", u"Driver={SQL server};Server=db", u"Driver={SQL server};Server=db;TDS_Version=7.4"},
      {"libtdsodbc.so", u"Server=db;tds_version=7.1", u"Server=db;tds_version=7.1"},
      {"libsqlite3odbc.so", u"Database=/x.db", u"Database=/x.db;Timeout=10000"},
      // Another driver's keys could mean anything to it.
      {"/opt/oracle/libsqora.so.21.1", u"server=o;uid=u", u"server=o;uid=u"},
      {"", u"Driver={SQL server};Server=db", u"Driver={SQL server};Server=db"},
  };
  for (const BoundsCase& c : cases) {
    EXPECT_EQ(ado::WithWaitBounds(c.text, c.driver_file), c.want) << c.driver_file;
  }
}

TEST(VariantCodec, EveryValueTypeComesBackAsItWent) {
  const std::vector<Variant> values = {
      Variant(), Variant::Null(), Variant(int16_t{-7}), Variant(int32_t{1234567890}),
      Variant(2.5), Variant(true), Variant(false), Variant(u"Ünïcode"),
      Variant::Date(36694.8586111111), Variant(u""),
      Variant::LongLong(-9007199254740993), Variant::LongLong(123456789012345678),
      Variant::Decimal(DecimalValue{.low = 123456789012345678ull, .high = 6, .scale = 4,
                                    .negative = true})};
  std::string bytes;
  for (const Variant& value : values) ado::EncodeVariant(value, bytes);
  ado::Decoder decoder(bytes);
  for (const Variant& value : values) {
    Variant back;
    ASSERT_TRUE(decoder.ReadVariant(back));
    EXPECT_EQ(back, value);
    EXPECT_EQ(back.type(), value.type());
  }
  EXPECT_TRUE(decoder.AtEnd());
  // Cut short anywhere, a value never reads.
  std::string text;
  ado::EncodeVariant(Variant(u"abc"), text);
  for (size_t size = 0; size < text.size(); ++size) {
    Variant value;
    EXPECT_FALSE(ado::Decoder(std::string_view(text).substr(0, size)).ReadVariant(value)) << size;
  }
}

}  // namespace
}  // namespace zorvadel::test
