#include "app/page_text.h"

#include <gtest/gtest.h>

namespace cumulo {

namespace {

// Marks what went through the code page, so that the table shows which road a text took.
std::wstring MarkedCodePage(const std::string& bytes) {
  std::wstring out = L"cp:";
  for (const char c : bytes) out += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return out;
}

TEST(PageText, Utf8FirstCodePageForTheRest) {
  struct Case {
    std::string bytes;
    std::wstring wide;
    std::string utf8;
  };
  const Case cases[] = {
      {"", L"", ""},
      {"spring sale", L"spring sale", "spring sale"},
      {"\xD0\xB2\xD0\xB5\xD1\x81\xD0\xBD\xD0\xB0", L"\u0432\u0435\u0441\u043d\u0430",
       "\xD0\xB2\xD0\xB5\xD1\x81\xD0\xBD\xD0\xB0"},
      {"\xF0\x9F\x98\x80", L"\U0001F600", "\xF0\x9F\x98\x80"},
      // Not UTF-8: a lone lead byte, a lone continuation, an overlong form, a surrogate.
      {"caf\xE9", L"cp:caf\u00e9", "cp:caf\xC3\xA9"},
      {"\x80", L"cp:\u0080", "cp:\xC2\x80"},
      {"\xC0\xAF", L"cp:\u00c0\u00af", "cp:\xC3\x80\xC2\xAF"},
      {"\xED\xA0\x80", L"cp:\u00ed\u00a0\u0080", "cp:\xC3\xAD\xC2\xA0\xC2\x80"},
      // The wide text ends at a zero byte; the bytes handed on keep it (and are refused there).
      {std::string("ab\0\xE9", 4), L"ab", std::string("cp:ab\0\xC3\xA9", 8)},
      {std::string("ab\0c", 4), L"ab", std::string("ab\0c", 4)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WideFromPageText(c.bytes, MarkedCodePage), c.wide) << c.bytes;
    EXPECT_EQ(Utf8FromPageText(c.bytes, MarkedCodePage), c.utf8) << c.bytes;
  }
}

TEST(PageText, NoCodePageGivesNothingForNonUtf8) {
  EXPECT_EQ(WideFromPageText("\xE9", nullptr), L"");
  EXPECT_EQ(Utf8FromPageText("\xE9", nullptr), "");
  EXPECT_EQ(WideFromPageText("ok", nullptr), L"ok");
}

}  // namespace

}  // namespace cumulo
