#include "net/header_table.h"

#include <gtest/gtest.h>

namespace cumulo {

TEST(HeaderTable, SplitsLinesIntoNamesAndValues) {
  const struct {
    const wchar_t* line;
    const wchar_t* name;
    const wchar_t* value;
  } cases[] = {
      {L"Content-Length: 1234", L"Content-Length", L"1234"},
      {L"Location: https://h/x?a=b:c", L"Location", L"https://h/x?a=b:c"},
      {L"Name:value", L"Name", L"value"},
      {L"Name:  two blanks", L"Name", L" two blanks"},
      {L"HTTP/1.0 200 OK", L"HTTP/1.0", L"200 OK"},
      {L"  : Leading: x", L"Leading", L"x"},
      {L"Bare", L"Bare", L""},
      {L"Bare:", L"Bare", L""},
      {L"::", L"", L""},
  };
  for (const auto& c : cases) {
    std::wstring name, value;
    SplitHeaderLine(c.line, name, value);
    EXPECT_EQ(name, c.name) << c.line;
    EXPECT_EQ(value, c.value) << c.line;
  }
}

TEST(HeaderTable, FirstOccurrenceWinsWhateverTheCaseOfItsName) {
  const HeaderTable t = ParseHeaderTable(
      L"HTTP/1.0 302 Found\r\nlocation: https://a/1\r\nLocation: https://b/2\r\n"
      L"content-length: 5\r\n\r\n\n\rServer: x\r\nCONTENT-LENGTH: 6\r\n");
  EXPECT_EQ(t.at(L"Location"), L"https://a/1");
  EXPECT_EQ(t.at(L"LOCATION"), L"https://a/1");
  EXPECT_EQ(t.at(L"Content-Length"), L"5");
  EXPECT_EQ(t.find(L"Content-Length")->first, L"content-length") << "spelled as received";
  EXPECT_EQ(t.at(L"sErVeR"), L"x");
  EXPECT_EQ(t.at(L"HTTP/1.0"), L"302 Found");
  EXPECT_EQ(t.size(), 4u);
}

TEST(HeaderTable, OnlyAsciiLettersFold) {
  const struct {
    const wchar_t* a;
    const wchar_t* b;
    bool same;
  } cases[] = {
      {L"ETag", L"etag", true}, {L"Content-Range", L"CONTENT-RANGE", true},
      {L"X-1", L"x-1", true},   {L"ETag", L"ETa", false},
      {L"[", L"{", false},  // 0x5B and 0x7B lie 32 apart but are not letters
      {L"@", L"`", false},      {L"\x00C9", L"\x00E9", false},  // no folding beyond ASCII
      {L"K", L"\x212A", false},                                 // Kelvin sign
      {L"", L"", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HeaderNameEqual()(c.a, c.b), c.same) << c.a;
    if (c.same) {
      EXPECT_EQ(HeaderNameHash()(c.a), HeaderNameHash()(c.b)) << c.a;
    }
  }
}

TEST(HeaderTable, EmptyAndSeparatorOnlyBlocksGiveEmptyTables) {
  EXPECT_TRUE(ParseHeaderTable(L"").empty());
  EXPECT_TRUE(ParseHeaderTable(L"\r\n\r\n\n").empty());
}

TEST(ContentLength, ParsesA64BitDecimalSaturatingAboveIt) {
  const struct {
    const wchar_t* text;
    bool ok;
    uint64_t value;
  } cases[] = {
      {L"40000", true, 40000},
      {L"  \t+17", true, 17},
      {L"0", true, 0},
      {L"-0", true, 0},
      {L"123abc", true, 123},
      {L"2147483647", true, 2147483647u},
      {L"000000000000000000042", true, 42},
      {L"2147483648", true, 2147483648u},
      {L"4294967296", true, 4294967296u},
      {L"18446744073709551615", true, UINT64_MAX},
      {L"18446744073709551616", true, UINT64_MAX},
      {L"99999999999999999999999", true, UINT64_MAX},
      {L"-5", false, 0},
      {L"-2147483648", false, 0},
      {L"abc", false, 0},
      {L"", false, 0},
      {L"+", false, 0},
      {L" - 5", false, 0},
  };
  for (const auto& c : cases) {
    uint64_t length = 777;
    EXPECT_EQ(ParseContentLength(c.text, length), c.ok) << c.text;
    EXPECT_EQ(length, c.ok ? c.value : 777u) << c.text;
  }
}

}  // namespace cumulo
