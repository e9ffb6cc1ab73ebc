// The SQL-injection guard: the word search on its own, then the member with
// its ends of the response and PHPXML's fixed list.
#include "output/sql_guard.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "output/output_test_util.h"

namespace zorvadel {
namespace {

struct SearchCase {
  const char16_t* words;  // nullptr: the classes' default list (the page script class_common)
  const char* query;
  const char* host;
  int32_t found;
};

constexpr SearchCase kSearches[] = {
    {nullptr, "id=12&page=3", "m.example.com", 0},
    {nullptr, "q=%27", "m.example.com", 0},             // escapes are not decoded
    {nullptr, "q=SELECTED", "m.example.com", 1},        // lower-cased, inside longer words
    {u"SELECT", "q=SELECT", "m.example.com", 0},              // but the words are not
    {nullptr, "id=1", "www.directory.example", 1},      // the host alone
    {nullptr, "x=a", "nd.example", 1},                  // "a" + "nd" across the seam
    {nullptr, "q=select+count(*)+select", "h.example", 6},  // + select count ( ) *
    {u"", "q=select", "h.example", 0},
    {u"q||z", "x=1", "h.example", 1},  // the empty word
    {u"|", "", "", 0},                 // empty haystack: not even the empty word
    {u"x|x", "x=1", "", 2},            // each word counts, repeated ones too
};

TEST(GuardSearchTest, Table) {
  for (const SearchCase& c : kSearches) {
    std::u16string query(c.query, c.query + std::string(c.query).size());
    std::u16string host(c.host, c.host + std::string(c.host).size());
    SCOPED_TRACE(std::string(c.query) + " @ " + c.host);
    const std::u16string words = c.words ? c.words : StartedPage(u"WAP", {}).state().SQLInjData;
    EXPECT_EQ(output::CountGuardWords(words, output::GuardHaystack(query, host)), c.found);
  }
}

// Both ways of making the haystack, the second in the room of its texts.
TEST(GuardSearchTest, HaystackIsLowerCased) {
  const struct {
    std::u16string query, host, haystack;
  } cases[] = {
      {u"", u"M.Example.COM:8080", u"m.example.com:8080"},
      {u"Q=SELECT", u"", u"q=select"},
      {u"Q=\u00C4\uFF33", u"H\u00C9", u"q=\u00E4\uFF53h\u00E9"},  // beyond ASCII
  };
  for (const auto& c : cases) {
    EXPECT_EQ(output::GuardHaystack(std::u16string_view(c.query), c.host), c.haystack);
    EXPECT_EQ(output::GuardHaystack(std::u16string(c.query), std::u16string(c.host)), c.haystack);
  }
}

// A page at "/g.asp?QUERY" on m.example.com.
StartedPage GuardPage(const char16_t* name, const char* query) {
  engine::RequestFacts facts;
  facts.url = std::string("/g.asp?") + query;
  facts.host = "m.example.com";
  return StartedPage(name, facts);
}

struct MemberCase {
  const char* query;
  const char16_t* words;  // the script's SQLInjData; nullptr keeps the default
  int ends;               // one per word found; 0: no hit
  int php_ends;           // PHPXML keeps to its own list whatever the property holds
};

constexpr MemberCase kMemberCases[] = {
    {"id=12&page=3", nullptr, 0, 0},
    {"a=select&b=select&c=band", nullptr, 2, 2},  // "select" twice and "and": two words
    {"q=select+*+from", u"", 0, 3},               // an empty list never hits
    {"u=http://m.example.com/;", nullptr, 0, 2},  // ":" and ";" only in PHPXML's list
    {"id=1", u"drop||truncate", 1, 0},            // the empty word
};

TEST(GuardMemberTest, OneEndPerWordFound) {
  for (const RequestClassCase& cls : kRequestClasses) {
    SCOPED_TRACE(U8(cls.name));
    const bool php = cls.family == Family::kP;
    for (const MemberCase& c : kMemberCases) {
      StartedPage g = GuardPage(cls.name, c.query);
      auto response = std::make_shared<CountingResponse>();
      g.object->state().Response = response;
      if (c.words != nullptr) g.object->state().SQLInjData = c.words;
      const int ends = php ? c.php_ends : c.ends;
      EXPECT_EQ(Invoke(*g.object, u"SQLInjection", {}), Variant(ends > 0)) << c.query;
      EXPECT_EQ(response->ends, ends) << c.query;
    }
    // No request: an empty haystack. A hit without a response is still one.
    auto object = NewPageObject(cls.name);
    object->state().SQLInjData = u"|";
    EXPECT_FALSE(object->SQLInjection());
    StartedPage g = GuardPage(cls.name, "q='");
    g.object->state().Response = nullptr;
    EXPECT_TRUE(g.object->SQLInjection());
  }
}

}  // namespace
}  // namespace zorvadel
