// The session store under pressure: which sessions go when memory is short,
// and a flood of cookie-less requests through the page runner followed by a
// new and a returning visitor.
#include "serve/session_store.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "serve/page_registry.h"
#include "serve/page_runner.h"
#include "serve/site.h"
#include "zorvadel/engine.h"
#include "zorvadel/runtime.h"

namespace zorvadel::serve {
namespace {

using std::chrono::minutes;

// A script of store operations on named sessions, one store of one shard
// whose budget holds three bare sessions:
//   +A  a new session A (on probation)      ?A  A's cookie comes back
//   ^A  A's page stored a value (3/4 of a bare session)
//   !A  A's page stored a value larger than the store
//   @N  N minutes pass
struct DropCase {
  const char* name;
  const char* script;
  const char* survivors;  // the sessions still found afterwards, by name
};

class DropOrderTest : public testing::TestWithParam<DropCase> {};

TEST_P(DropOrderTest, DropsInOrder) {
  SessionStore store(3 * ServedSession::kBaseBytes, 1);
  Clock::time_point now{};
  std::map<char, std::string> ids;
  std::map<char, std::shared_ptr<ServedSession>> sessions;
  std::istringstream script(GetParam().script);
  std::string op;
  while (script >> op) {
    const char name = op[1];
    switch (op[0]) {
      case '+':
        sessions[name] = std::make_shared<ServedSession>(now);
        ids[name] = store.Add(sessions[name], now);
        ASSERT_FALSE(ids[name].empty()) << op;
        break;
      case '?':
        ASSERT_NE(store.Find(ids[name], now), nullptr) << op;
        break;
      case '^':
      case '!': {
        const size_t length = op[0] == '^' ? 100 : 4 * ServedSession::kBaseBytes;
        sessions[name]->SetValue(u"Text", Variant(std::u16string(length, u'x')));
        store.Recount(ids[name], now);
        break;
      }
      case '@':
        now += minutes(std::stoi(op.substr(1)));
        break;
    }
  }
  std::string survivors;
  for (const auto& [name, id] : ids) {
    if (store.Find(id, now) != nullptr) survivors += name;
  }
  EXPECT_EQ(survivors, GetParam().survivors);
}

INSTANTIATE_TEST_SUITE_P(
    Store, DropOrderTest,
    testing::Values(
        DropCase{"probation_before_returning", "+A +B +C ?A +D", "ACD"},
        DropCase{"least_recent_probation_first", "+A +B +C ?B +D +E", "BDE"},
        DropCase{"returning_only_when_no_probation", "+A +B +C ?A ?B ?C +D", "BCD"},
        DropCase{"a_use_makes_it_recent", "+A +B +C ?A ?B ?C ?A +D", "ACD"},
        DropCase{"expired_before_anything", "+A ?A @15 +B +C @10 +D", "BCD"},
        DropCase{"growth_makes_room_by_the_same_order", "+A +B +C ?C ^C", "BC"},
        DropCase{"growth_within_the_budget_drops_none", "+A ?A ^A +B", "AB"},
        DropCase{"the_grown_session_itself_stays", "+A +B ?B !B", "B"}),
    [](const testing::TestParamInfo<DropCase>& info) { return info.param.name; });

TEST(SessionStoreTest, CountsTheMemoryOfValues) {
  auto session = std::make_shared<ServedSession>(Clock::time_point{});
  EXPECT_EQ(session->bytes(), ServedSession::kBaseBytes);
  session->SetValue(u"Key", Variant(std::u16string(100, u'a')));
  const size_t with_value = ServedSession::kBaseBytes + ServedSession::kValueBytes + 2 * (3 + 100);
  EXPECT_EQ(session->bytes(), with_value);
  session->SetValue(u"key", Variant(std::u16string(10, u'a')));  // keys ignore case
  EXPECT_EQ(session->bytes(), with_value - 2 * 90);
  session->SetValue(u"KEY", Variant());
  EXPECT_EQ(session->bytes(), ServedSession::kBaseBytes);
  EXPECT_TRUE(session->written());
  // A text built by appending holds up to twice its length: the room counts.
  std::u16string trail(100, u'a');
  trail += u"[";
  const size_t room = trail.capacity();
  ASSERT_GT(room, 150u);
  session->SetValue(u"T", Variant(std::move(trail)));
  EXPECT_EQ(session->bytes(),
            ServedSession::kBaseBytes + ServedSession::kValueBytes + 2 * 1 + 2 * room);
  // A value changed in place counts as it is after the change.
  session->UpdateValue(u"t", [](Variant& value) { value.mutable_string().assign(300, u'b'); });
  EXPECT_EQ(CStr(session->Value(u"T")), std::u16string(300, u'b'));
  EXPECT_GT(session->bytes(), ServedSession::kBaseBytes + ServedSession::kValueBytes + 2 * 300);
  EXPECT_LE(session->bytes(), ServedSession::kBaseBytes + ServedSession::kValueBytes + 2 * 601);
}

// Thousands of drops through one shard's table: exactly the newest
// sessions that fit are still found, and none of the dropped ones.
TEST(SessionStoreTest, FindsExactlyTheSessionsThatStayed) {
  constexpr size_t kKept = 2000;
  SessionStore store(kKept * ServedSession::kBaseBytes, 1);
  const Clock::time_point now{};
  std::vector<std::string> ids;
  for (size_t i = 0; i < 3 * kKept; ++i) {
    ids.push_back(store.Add(std::make_shared<ServedSession>(now), now));
  }
  ASSERT_EQ(store.size(), kKept);
  size_t found = 0;
  for (size_t i = 0; i < ids.size(); ++i) {
    const bool kept = store.Find(ids[i], now) != nullptr;
    EXPECT_EQ(kept, i >= ids.size() - kKept) << i;
    found += kept;
  }
  EXPECT_EQ(found, kKept);
}

TEST(SessionStoreTest, KeepsNeitherExpiredNorOversizedSessions) {
  SessionStore store(ServedSession::kBaseBytes, 1);
  auto session = std::make_shared<ServedSession>(Clock::time_point{});
  session->SetTimeout(5);
  std::string id = store.Add(session, Clock::time_point{});
  EXPECT_EQ(store.Find(id, Clock::time_point{} + minutes(5)), session);
  EXPECT_EQ(store.Find(id, Clock::time_point{} + minutes(11)), nullptr);
  EXPECT_EQ(store.size(), 0u);
  EXPECT_EQ(store.bytes(), 0u);
  session->SetValue(u"Text", Variant(u"more than the store holds"));
  EXPECT_EQ(store.Add(session, Clock::time_point{}), "");
}

TEST(SessionStoreTest, IdsOfANodeEndInItsName) {
  SessionStore node_a(ServedSession::kBaseBytes, 1, "a");
  auto session = std::make_shared<ServedSession>(Clock::time_point{});
  const std::string id = node_a.Add(session, Clock::time_point{});
  ASSERT_EQ(id.size(), 34u);
  EXPECT_EQ(id.substr(32), ".a");
  EXPECT_EQ(node_a.Find(id, Clock::time_point{}), session);
  const std::string bare = id.substr(0, 32);
  // Another node's id, or a bare one, names no session here.
  for (const std::string& other : {bare, bare + ".b", bare + ".A", id + "a", "." + bare + "a"}) {
    EXPECT_FALSE(node_a.WellFormedId(other)) << other;
  }
  EXPECT_TRUE(SessionStore().WellFormedId(bare));
  EXPECT_FALSE(SessionStore().WellFormedId(id));
}

// The store's default shards under a budget of a few sessions each: a
// cookie-less flood, and visitors made beforehand whose cookies come back
// in turn, their trail growing on each return. A visitor's session goes
// only when no session on probation is left anywhere in the store,
// however the visitors happen to be spread over the shards.
struct CrowdCase {
  const char* name;
  size_t budget;  // in bare sessions
  int visitors;
  size_t growth;  // characters the trail grows by on each return
  int flood;      // cookie-less requests; every third, a visitor returns
  bool all_fit;   // the visitors' sessions fit the budget to the end
};

class CrowdedShardTest : public testing::TestWithParam<CrowdCase> {};

TEST_P(CrowdedShardTest, ReturnedSessionsOutliveProbationEverywhere) {
  const CrowdCase& c = GetParam();
  SessionStore store(c.budget * ServedSession::kBaseBytes);
  Clock::time_point now{};
  auto tick = [&now] { return now += std::chrono::milliseconds(1); };
  std::vector<std::shared_ptr<ServedSession>> visitors;
  std::vector<std::string> ids;
  for (int i = 0; i < c.visitors; ++i) {
    visitors.push_back(std::make_shared<ServedSession>(now));
    ids.push_back(store.Add(visitors.back(), tick()));
    ASSERT_NE(store.Find(ids.back(), tick()), nullptr);
  }
  // The store holds the other reference to each visitor's session while it
  // keeps it; what else it holds is on probation.
  size_t lost = 0;
  auto check = [&](const std::string& op) {
    size_t gone = 0;
    for (const auto& v : visitors) gone += v.use_count() == 1;
    if (gone > lost) {
      // Only the session just added may be on probation still.
      EXPECT_LE(store.size(), visitors.size() - gone + 1) << op;
    }
    lost = gone;
  };
  for (int step = 0; step < c.flood; ++step) {
    store.Add(std::make_shared<ServedSession>(now), tick());
    check("flood");
    if (step % 3 != 0) continue;
    const size_t v = static_cast<size_t>(step / 3) % visitors.size();
    if (store.Find(ids[v], tick()) == nullptr) continue;
    if (c.growth != 0) {
      visitors[v]->SetValue(u"Trail", Variant(CStr(visitors[v]->Value(u"Trail")) +
                                              std::u16string(c.growth, u'x')));
      store.Recount(ids[v], tick());
      check("growth");
    }
  }
  EXPECT_LE(store.bytes(), c.budget * ServedSession::kBaseBytes);
  if (c.all_fit) {
    EXPECT_EQ(lost, 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Store, CrowdedShardTest,
    testing::Values(CrowdCase{"visitors_fill_three_quarters", 256, 192, 0, 8000, true},
                    CrowdCase{"visitors_grow_to_most_of_it", 512, 128, 16, 6000, true},
                    CrowdCase{"visitors_outgrow_the_store", 128, 96, 32, 6000, false},
                    CrowdCase{"more_visitors_than_fit", 64, 96, 0, 2000, false}),
    [](const testing::TestParamInfo<CrowdCase>& info) { return info.param.name; });

// New visitors in a flood, beside returning visitors crowding some shards
// more than others: each new visitor's session stays while the flood after
// it makes half as many as the store holds on probation, whichever shard it
// landed in.
struct NewVisitorCase {
  const char* name;
  size_t budget;  // in bare sessions
  size_t returning;
};

class NewVisitorTest : public testing::TestWithParam<NewVisitorCase> {};

TEST_P(NewVisitorTest, SessionLastsWhereverItLies) {
  const NewVisitorCase& c = GetParam();
  SessionStore store(c.budget * ServedSession::kBaseBytes);
  Clock::time_point now{};
  auto tick = [&now] { return now += std::chrono::milliseconds(1); };
  auto flood = [&](size_t requests) {
    for (size_t i = 0; i < requests; ++i) store.Add(std::make_shared<ServedSession>(now), tick());
  };
  for (size_t i = 0; i < c.returning; ++i) {
    store.Find(store.Add(std::make_shared<ServedSession>(now), tick()), tick());
  }
  flood(2 * c.budget);
  const size_t on_probation = c.budget - c.returning;
  for (int visitor = 0; visitor < 32; ++visitor) {
    const std::string id = store.Add(std::make_shared<ServedSession>(now), tick());
    flood(on_probation / 2);
    EXPECT_NE(store.Find(id, tick()), nullptr) << visitor;
  }
}

INSTANTIATE_TEST_SUITE_P(Store, NewVisitorTest,
                         testing::Values(NewVisitorCase{"flood_alone", 1024, 0},
                                         NewVisitorCase{"half_returning", 1024, 512},
                                         NewVisitorCase{"most_returning", 1024, 768}),
                         [](const testing::TestParamInfo<NewVisitorCase>& info) {
                           return info.param.name;
                         });

// Pages of many visitors at once: no lock order deadlocks, and the count of
// memory stays exact, so that sweeping everything away leaves nothing.
TEST(SessionStoreTest, CountsExactlyUnderPagesAtOnce) {
  SessionStore store(64 * ServedSession::kBaseBytes);
  const Clock::time_point start{};
  std::vector<std::thread> pages;
  for (int t = 0; t < 4; ++t) {
    pages.emplace_back([&store, start, t] {
      std::vector<std::string> mine;
      for (int i = 0; i < 4000; ++i) {
        const Clock::time_point now = start + std::chrono::microseconds(i);
        if (i % 4 != 0 || mine.empty()) {
          mine.push_back(store.Add(std::make_shared<ServedSession>(now), now));
          continue;
        }
        const std::string& id = mine[static_cast<size_t>(i + t) % mine.size()];
        if (auto session = store.Find(id, now)) {
          session->SetValue(u"Trail", Variant(std::u16string(static_cast<size_t>(i % 300), u'x')));
          store.Recount(id, now);
        }
      }
    });
  }
  for (auto& page : pages) page.join();
  EXPECT_LE(store.bytes(), 64 * ServedSession::kBaseBytes);
  EXPECT_GE(store.bytes(), store.size() * ServedSession::kBaseBytes);
  EXPECT_GT(store.size(), 0u);
  store.Sweep(start + std::chrono::hours(1));
  EXPECT_EQ(store.size(), 0u);
  EXPECT_EQ(store.bytes(), 0u);
}

TEST(SessionTurnTest, PagesTakeTurnsInOrder) {
  ServedSession session(Clock::time_point{});
  std::string woken;
  auto waiter = [&woken](char name) {
    return std::make_shared<TurnWaiter>([&woken, name] { woken += name; });
  };
  ASSERT_TRUE(session.TryTurn());
  EXPECT_FALSE(session.TryTurn());
  auto a = waiter('a'), b = waiter('b'), c = waiter('c');
  for (const auto& w : {a, b, c}) EXPECT_FALSE(session.QueueForTurn(w));
  EXPECT_TRUE(session.Withdraw(*b));  // b gave up waiting
  session.EndTurn();
  EXPECT_EQ(woken, "a");
  EXPECT_FALSE(session.Withdraw(*a));  // a has the turn already
  session.EndTurn();
  EXPECT_EQ(woken, "ac");
  EXPECT_FALSE(session.AwaitTurn(Clock::now() + std::chrono::milliseconds(10)));
  session.EndTurn();
  EXPECT_TRUE(session.AwaitTurn(Clock::now()));
  // The only waiter gives up: the turn's end then frees it.
  auto d = waiter('d');
  EXPECT_FALSE(session.QueueForTurn(d));
  EXPECT_TRUE(session.Withdraw(*d));
  session.EndTurn();
  EXPECT_TRUE(session.TryTurn());
  EXPECT_EQ(woken, "ac");
}

// ---- a flood through the page runner ----------------------------------------------

// As every page of the library's classes does at page start: the page's
// file and time appended to the session's visit trail.
void TrailPage(Context& context) {
  auto session = context.GetSession();
  session->SetValue(u"UserVisitHistory",
                    Variant(CStr(session->Value(u"UserVisitHistory")) +
                            u"trail.asp[2024-01-01 12:00:00]<br/>"));
  context.GetResponse()->Write(CStr(session->Value(u"UserVisitHistory")));
}

size_t Visits(const std::string& body) {
  size_t count = 0;
  for (size_t at = 0; (at = body.find("trail.asp[", at)) != std::string::npos; ++at) ++count;
  return count;
}

// The sanitizers make a request some fifty times dearer; there a tenth of
// the flood, still many times the store, looks for memory faults.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kFlood = 30000;
#else
constexpr int kFlood = 300000;
#endif

// A scratch site whose one page, /trail.asp, writes the visit trail, served
// by a runner over `sessions`.
struct TrailSite {
  explicit TrailSite(const char* name, size_t session_bytes = SessionStore::kDefaultMemoryMb << 20)
      : root(std::filesystem::temp_directory_path() /
             (std::string("zorvadel-") + name + "-" + std::to_string(::getpid()))),
        pages(TrailPages()),
        site(Made(root), pages),
        sessions(session_bytes),
        runner(site, sessions) {}
  ~TrailSite() { std::filesystem::remove_all(root); }

  static const std::filesystem::path& Made(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    return folder;
  }
  static PageRegistry TrailPages() {
    PageRegistry pages;
    pages.Register("/trail.asp", &TrailPage);
    return pages;
  }

  // The trail page requested with `headers`: the body, and the id of the
  // cookie the answer set ("" for none).
  std::pair<std::string, std::string> Visit(
      const std::vector<std::pair<std::string, std::string>>& headers) {
    engine::RequestFacts facts;
    facts.url = "/trail.asp";
    facts.headers = headers;
    engine::ResponseResult result = runner.Run(site.Resolve("/trail.asp"), facts);
    std::string set;
    for (const auto& [name, value] : result.headers) {
      if (name == "Set-Cookie") set = value.substr(SessionStore::kCookieName.size() + 1, 32);
    }
    return {result.body, set};
  }

  std::filesystem::path root;
  PageRegistry pages;
  Site site;
  SessionStore sessions;
  PageRunner runner;
};

TEST(FloodTest, VisitorsKeepTheirSessionsThroughAFlood) {
  // About 1,500 trail sessions of one visit: the flood overflows it 200 times over.
  TrailSite scratch("flood", size_t{1} << 20);
  SessionStore& sessions = scratch.sessions;
  // One request with the cookie `id` ("" for none).
  auto visit = [&](const std::string& id) {
    if (id.empty()) return scratch.Visit({});
    return scratch.Visit({{"Cookie", SessionCookie(id).substr(0, 48)}});
  };

  const std::string returning = visit("").second;
  ASSERT_FALSE(returning.empty());
  EXPECT_EQ(Visits(visit(returning).first), 2u);  // the cookie came back
  for (int i = 0; i < kFlood; ++i) visit("");
  // Full, and no fuller: every shard of the store takes its share.
  EXPECT_LE(sessions.bytes(), size_t{1} << 20);
  EXPECT_GT(sessions.bytes(), (size_t{1} << 20) * 9 / 10);

  // A new visitor gets a session, which stays while some more of the flood
  // comes in, and is found when the cookie comes back.
  const std::string fresh = visit("").second;
  ASSERT_FALSE(fresh.empty());
  for (int i = 0; i < 200; ++i) visit("");
  auto [second_body, again] = visit(fresh);
  EXPECT_EQ(Visits(second_body), 2u);
  EXPECT_EQ(again, "");  // no new cookie for a known session
  // The returning visitor's trail survived all of it.
  EXPECT_EQ(Visits(visit(returning).first), 3u);
}

// The session cookie as clients send it; the answer sets a new cookie only
// when the one sent named no live session.
TEST(RunnerCookieTest, FindsTheSessionInEveryFormOfTheCookie) {
  TrailSite scratch("cookie");
  using Headers = std::vector<std::pair<std::string, std::string>>;
  auto sets_cookie = [&](const Headers& headers) { return scratch.Visit(headers).second; };
  const std::string id = sets_cookie({});
  ASSERT_EQ(id.size(), 32u);
  const std::string name(SessionStore::kCookieName);
  const std::string stale(32, 'a');
  // The id's first digit percent-encoded, as "%61" for "a".
  const std::string encoded_first =
      "%" + std::to_string(id[0] / 16) + "0123456789ABCDEF"[id[0] % 16];
  const struct {
    Headers headers;
    bool found;
  } cases[] = {
      {{{"Cookie", name + "=" + id}}, true},
      {{{"Cookie", "a=1; " + name + "=" + id + "; b=2"}}, true},
      {{{"cookie", " \t" + name + "=" + id + " "}}, true},
      {{{"Cookie", name + "=" + stale}, {"Cookie", "x; " + name + "=" + id}}, true},
      {{{"Cookie", name + "=" + encoded_first + id.substr(1)}}, true},
      {{{"Cookie", name + "=" + id + "+"}}, false},
      {{{"Cookie", name + "x=" + id}}, false},
      {{{"Cookie", "zorvadelsession=" + id}}, false},
      {{{"Set-Cookie", name + "=" + id}}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sets_cookie(c.headers).empty(), c.found) << c.headers.back().second;
  }
}

}  // namespace
}  // namespace zorvadel::serve
