// Host look-ups through the cache, answered by the socket layer's host table on the
// layer's test clock.
#include "runtime/system/hostcache.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/w32/clock_testing.h"
#include "platform/w32/socket_testing.h"
#include "runtime/diag/runmode.h"
#include "runtime/system/hostcache_testing.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"

namespace {

class HostCache : public yrltest::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    w32::clock_testing_start(1000000000000LL);
  }
  // Enters host<n> (10.0.0.n) into the socket layer's table.
  static std::string add(int n, const char* alias = nullptr) {
    std::string name = "host" + std::to_string(n);
    std::uint32_t address = htonl(0x0A000000u + static_cast<std::uint32_t>(n));
    const char* aliases[] = {alias, nullptr};
    EXPECT_TRUE(w32::socket_testing_add_host(name.c_str(), aliases, &address, 1));
    return name;
  }
  // Looks name up and moves the clock a second on, so that every use has its own time.
  static w32::hostent* look_up(const std::string& name) {
    w32::hostent* host = vek::vyn_gethostbyname(name.c_str());
    w32::clock_testing_advance(1000);
    return host;
  }
};

TEST_F(HostCache, SecondLookUpOfTheSameNameIsTheLastMatch) {
  add(1, "one");
  vek::add_added_run_mode(3985241);
  yrltest::ConsoleCapture console;
  w32::hostent* first = look_up("host1");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(look_up("host1"), first);
  EXPECT_EQ(look_up("one"), first);  // an alias of a cached entry
  EXPECT_EQ(console.out(),
            "vyn_gethostbyname( host1 ): cache MISS\n"
            "vyn_gethostbyname( host1 ): cache HIT (matched last)\n"
            "vyn_gethostbyname( one ): cache HIT\n");
  EXPECT_EQ(w32::socket_testing_lookups(), 1);
  EXPECT_STREQ(first->h_name, "host1");
  EXPECT_STREQ(first->h_aliases[0], "one");
  EXPECT_EQ(first->h_length, 4);
  EXPECT_EQ(static_cast<unsigned char>(first->h_addr_list[0][3]), 1);
  vek::del_added_run_mode(3985241);
}

TEST_F(HostCache, ThirtyFirstHostReplacesTheLeastRecentlyUsed) {
  for (int n = 1; n <= 31; ++n) add(n);
  for (int n = 1; n <= 30; ++n) ASSERT_NE(look_up("host" + std::to_string(n)), nullptr);
  EXPECT_EQ(vek::hostcache_testing_entries(), 30);
  look_up("host1");  // used again: host2 is now the least recently used
  int asked = w32::socket_testing_lookups();
  ASSERT_NE(look_up("host31"), nullptr);
  EXPECT_EQ(w32::socket_testing_lookups(), asked + 1);
  look_up("host1");
  EXPECT_EQ(w32::socket_testing_lookups(), asked + 1);  // kept
  look_up("host2");
  EXPECT_EQ(w32::socket_testing_lookups(), asked + 2);  // was replaced
  EXPECT_EQ(vek::hostcache_testing_entries(), 30);
}

// Among entries last used in the same second the first is replaced.
TEST_F(HostCache, TieOfLeastRecentUseReplacesTheFirstOfThem) {
  for (int n = 1; n <= 31; ++n) add(n);
  // All thirty in one second; then host1 to host4 again, a second later.
  for (int n = 1; n <= 30; ++n)
    ASSERT_NE(vek::vyn_gethostbyname(("host" + std::to_string(n)).c_str()), nullptr);
  w32::clock_testing_advance(1000);
  for (int n = 1; n <= 4; ++n) ASSERT_NE(look_up("host" + std::to_string(n)), nullptr);
  // host5 to host30 tie as least recently used: host5 goes.
  ASSERT_NE(look_up("host31"), nullptr);
  int asked = w32::socket_testing_lookups();
  for (int n : {4, 6, 29, 30}) look_up("host" + std::to_string(n));
  EXPECT_EQ(w32::socket_testing_lookups(), asked);  // all kept
  look_up("host5");
  EXPECT_EQ(w32::socket_testing_lookups(), asked + 1);  // was replaced
}

TEST_F(HostCache, WideAreaNamesAnswerShortNamesOnlyWhenSwitchedOn) {
  std::uint32_t address = htonl(0x0A000009);
  ASSERT_TRUE(w32::socket_testing_add_host("server.example.com", nullptr, &address, 1));
  ASSERT_NE(look_up("server.example.com"), nullptr);
  EXPECT_EQ(look_up("SERVER"), nullptr);  // not in the table, not matched
  EXPECT_EQ(vek::get_wan_names_state(), 0);
  vek::set_wan_names_on();
  EXPECT_EQ(vek::get_wan_names_state(), 1);
  int asked = w32::socket_testing_lookups();
  w32::hostent* host = look_up("SERVER");
  ASSERT_NE(host, nullptr);
  EXPECT_STREQ(host->h_name, "server.example.com");
  EXPECT_EQ(w32::socket_testing_lookups(), asked);
  EXPECT_EQ(vek::is_part_of_wan_name("Server", "server"), 1);
  EXPECT_EQ(vek::is_part_of_wan_name("serv", "server.example.com"), 0);
}

TEST_F(HostCache, LongNamesAreAnsweredButNotCachedAndFailuresChangeNothing) {
  std::string long_name(63, 'l');
  std::string longer(64, 'l');
  std::uint32_t address = htonl(0x0A000007);
  ASSERT_TRUE(w32::socket_testing_add_host("short", nullptr, &address, 1));
  EXPECT_EQ(look_up("short") != nullptr, true);
  // A name of 64 characters is answered, but not cached under a cut name.
  ASSERT_TRUE(w32::socket_testing_add_host(longer.c_str(), nullptr, &address, 1));
  w32::hostent* host = look_up(longer);
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(host->h_name, longer);
  EXPECT_EQ(vek::hostcache_testing_entries(), 1);
  EXPECT_EQ(look_up(long_name), nullptr);  // a 63-character name that no table knows
  EXPECT_EQ(vek::hostcache_testing_entries(), 1);
  // The last name is still "short".
  vek::add_added_run_mode(3985241);
  yrltest::ConsoleCapture console;
  look_up("short");
  EXPECT_EQ(console.out(), "vyn_gethostbyname( short ): cache HIT (matched last)\n");
  vek::del_added_run_mode(3985241);
}

}  // namespace
