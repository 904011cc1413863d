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

  const char* malformed[] = {"\xC3",         "\xC3\x28",         "\xE2\x82", "\xC0\xAF",
                             "\xED\xA0\x80", "\xF5\x80\x80\x80", "\xFF",     "abc\x80"};
  for (const char* m : malformed) {
    std::wstring out = L"untouched";
    EXPECT_FALSE(WideFromUtf8(m, out)) << m;
    EXPECT_EQ(out, L"untouched");
  }
}

TEST(WideText, NarrowingAndNumbers) {
  EXPECT_EQ(NarrowLow8(std::wstring(L"a\u0441b")), std::string("a\x41"
                                                               "b"));
  EXPECT_EQ(DecimalW(-2147483648LL), L"-2147483648");
  EXPECT_EQ(UnsignedDecimalW(4294967295u), L"4294967295");
}

}  // namespace

TEST(WideText, DecimalsAndZeroPaddingAsPrintfWouldWriteThem) {
  EXPECT_EQ(Decimal(0), "0");
  EXPECT_EQ(Decimal(-9223372036854775807LL - 1), "-9223372036854775808");
  EXPECT_EQ(UnsignedDecimalW(4294967295u), L"4294967295");
  const struct {
    int value;
    const char* text;
  } cases[] = {{0, "00"}, {5, "05"}, {12, "12"}, {123, "123"}, {-5, "-5"}, {-15, "-15"}};
  EXPECT_EQ(HexCodeW(0), L"0x00000000");
  EXPECT_EQ(HexCodeW(0x800B0100u), L"0x800B0100");
  EXPECT_EQ(HexCodeW(0xFFFFFFFFu), L"0xFFFFFFFF");
  for (const auto& c : cases) {
    std::string out = "x";
    AppendZeroPadded(out, c.value, 2);
    EXPECT_EQ(out, std::string("x") + c.text) << c.value;
  }
}

}  // namespace cumulo
