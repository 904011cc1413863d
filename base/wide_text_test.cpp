#include "base/wide_text.h"

#include <gtest/gtest.h>

namespace cumulo {

namespace {

TEST(WideText, Utf8RoundTripAndStrictDecoding) {
  const std::wstring ru = L"Кумуло \u20AC";
  EXPECT_EQ(Utf8FromWide(ru), "\xD0\x9A\xD1\x83\xD0\xBC\xD1\x83\xD0\xBB\xD0\xBE \xE2\x82\xAC");
  std::wstring back;
  ASSERT_TRUE(WideFromUtf8(Utf8FromWide(ru), back));
  EXPECT_EQ(back, ru);

  const char* malformed[] = {"\xC3", "\xC3\x28", "\xE2\x82", "\xC0\xAF", "\xED\xA0\x80",
                             "\xF5\x80\x80\x80", "\xFF", "abc\x80"};
  for (const char* m : malformed) {
    std::wstring out = L"untouched";
    EXPECT_FALSE(WideFromUtf8(m, out)) << m;
    EXPECT_EQ(out, L"untouched");
  }
}

TEST(WideText, NarrowingAndNumbers) {
  EXPECT_EQ(NarrowLow8(std::wstring(L"a\u0441b")), std::string("a\x41" "b"));
  EXPECT_EQ(DecimalW(-2147483648LL), L"-2147483648");
  EXPECT_EQ(UnsignedDecimalW(4294967295u), L"4294967295");
}

}  // namespace

}  // namespace cumulo
