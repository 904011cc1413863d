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

TEST(ArchitectureRule, TheNativeMachineDecides) {
  struct Case {
    const char* system;
    NativeMachineReading reading;
    uint16_t architecture;
    bool supported;
  };
  const Case cases[] = {
      // Windows 7 and 8: no IsWow64Process2; GetNativeSystemInfo sees past WOW64.
      {"x64 Windows 7, 32-bit installer",
       {false, 0, kProcessorArchitectureAmd64},
       kProcessorArchitectureAmd64,
       true},
      {"x86 Windows 7", {false, 0, kProcessorArchitectureIntel}, kProcessorArchitectureIntel, true},
      {"IA-64 without the call",
       {false, 0, kProcessorArchitectureIa64},
       kProcessorArchitectureIa64,
       false},
      // Windows 10 1709 and later: the machine IsWow64Process2 names wins.
      {"x64 Windows 10",
       {true, kImageFileMachineAmd64, kProcessorArchitectureAmd64},
       kProcessorArchitectureAmd64,
       true},
      {"x86 Windows 10",
       {true, kImageFileMachineI386, kProcessorArchitectureIntel},
       kProcessorArchitectureIntel,
       true},
      // ARM64 Windows shows an x86 process an x86 (or x64) processor everywhere else.
      {"ARM64 Windows 11, x86 emulated",
       {true, kImageFileMachineArm64, kProcessorArchitectureIntel},
       kProcessorArchitectureArm64,
       false},
      {"ARM64 Windows 11, x64 emulated",
       {true, kImageFileMachineArm64, kProcessorArchitectureAmd64},
       kProcessorArchitectureArm64,
       false},
      {"ARM (Thumb-2)",
       {true, kImageFileMachineArmNt, kProcessorArchitectureIntel},
       kProcessorArchitectureArm,
       false},
      {"a machine without a name",
       {true, 0x1234, kProcessorArchitectureIntel},
       kProcessorArchitectureUnknown,
       false},
      {"the call answered unknown",
       {true, kImageFileMachineUnknown, kProcessorArchitectureAmd64},
       kProcessorArchitectureAmd64,
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.system);
    EXPECT_EQ(NativeArchitectureRule(c.reading), c.architecture);
    EXPECT_EQ(SupportedArchitectureRule(NativeArchitectureRule(c.reading)), c.supported);
  }
  EXPECT_EQ(ArchitectureOfMachine(kImageFileMachineArm), kProcessorArchitectureArm);
  EXPECT_EQ(ArchitectureOfMachine(kImageFileMachineThumb), kProcessorArchitectureArm);
  EXPECT_EQ(ArchitectureOfMachine(kImageFileMachineIa64), kProcessorArchitectureIa64);
}

}  // namespace

}  // namespace cumulo
