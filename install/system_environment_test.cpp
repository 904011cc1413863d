#include "install/system_environment.h"

#include <gtest/gtest.h>

namespace cumulo {

namespace {

struct VersionCase {
  const char* name;
  OsVersion version;
  bool win8, win7, win7sp1;
};

OsVersion Nt(uint32_t major, uint32_t minor, uint16_t sp) { return {true, major, minor, 2, sp}; }

TEST(VersionRules, Table) {
  const VersionCase cases[] = {
      {"Windows 7 without SP", Nt(6, 1, 0), false, true, false},
      {"Windows 7 SP1", Nt(6, 1, 1), false, true, true},
      {"6.2 (also 8.1 and 10 without a manifest entry)", Nt(6, 2, 0), true, true, true},
      {"10.0", Nt(10, 0, 0), true, true, true},
      {"Vista SP2", Nt(6, 0, 2), false, false, false},
      {"XP SP3", Nt(5, 1, 3), false, false, false},
      {"failed call", OsVersion{}, true, true, true},
      {"not NT, 5.1", {true, 5, 1, 1, 0}, true, true, true},
      // The service-pack rule for 6.1 holds even when the platform is not NT.
      {"not NT, 6.1 SP0", {true, 6, 1, 1, 0}, true, true, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Windows8OrLaterRule(c.version), c.win8) << c.name;
    EXPECT_EQ(Windows7OrLaterRule(c.version), c.win7) << c.name;
    EXPECT_EQ(Windows7Sp1OrLaterRule(c.version), c.win7sp1) << c.name;
  }
}

TEST(ArchitectureRule, OnlyX86AndX64) {
  EXPECT_TRUE(SupportedArchitectureRule(0));
  EXPECT_TRUE(SupportedArchitectureRule(9));
  for (uint16_t other : {5, 6, 12, 0xFFFF}) EXPECT_FALSE(SupportedArchitectureRule(other)) << other;
}

}  // namespace

}  // namespace cumulo
