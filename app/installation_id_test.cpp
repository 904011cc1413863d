#include <gtest/gtest.h>

#include "app/installation_id.h"

namespace cumulo {

namespace {

TEST(GenerateInstallationIdAt, KnownValues) {
  EXPECT_EQ(GenerateInstallationIdAt(1700000123), L"WC91iXL5a6");
  EXPECT_EQ(GenerateInstallationIdAt(0), L"WCAAmfiTzR");
}

bool InAlphabet(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9');
}

// Times far outside any real clock (negative, or with bit 31 set in t / 256) still give
// ten characters from the alphabet.
TEST(GenerateInstallationIdAt, ExtremeTimesStayInAlphabet) {
  const int64_t times[] = {
      -1, -256, -1700000123, int64_t{1} << 39, (int64_t{1} << 39) + 255, INT64_MAX, INT64_MIN};
  for (int64_t t : times) {
    const std::wstring id = GenerateInstallationIdAt(t);
    ASSERT_EQ(id.size(), 10u) << t;
    EXPECT_EQ(id.substr(0, 2), L"WC") << t;
    for (wchar_t c : id) EXPECT_TRUE(InAlphabet(c)) << t;
  }
}

// With t = 2^39 the signed q is -2^31; its remainder is taken non-negative (60, not -2).
TEST(GenerateInstallationIdAt, NegativeQuotientUsesNonNegativeRemainder) {
  EXPECT_EQ(GenerateInstallationIdAt(int64_t{1} << 39).substr(0, 4), L"WCA8");
}

}  // namespace

}  // namespace cumulo
