#include "net/percent_encoding.h"

#include <gtest/gtest.h>

#include <vector>

namespace cumulo {

TEST(PercentEncode, EverythingButUnreservedIsEscaped) {
  struct Case {
    std::wstring text, encoded;
  };
  const std::vector<Case> cases = {
      {L"mailing_2026", L"mailing_2026"},
      {L"AZaz09-._~", L"AZaz09-._~"},
      {L"", L""},
      {L"a&t=x", L"a%26t%3Dx"},
      {L"#", L"%23"},
      {L"spring sale", L"spring%20sale"},
      {L"50%", L"50%25"},
      {L"%s%d", L"%25s%25d"},
      {L"a+b/c?d", L"a%2Bb%2Fc%3Fd"},
      {L"caf\x00E9", L"caf%C3%A9"},
      {L"\x0438", L"%D0%B8"},
      {std::wstring(1, L'\0'), L"%00"},
  };
  for (const auto& c : cases) EXPECT_EQ(PercentEncode(c.text), c.encoded) << c.encoded;
}

TEST(PercentEncode, CharactersBeyondTheBasicPlaneAndLoneSurrogates) {
  std::wstring emoji;
  if (sizeof(wchar_t) == 2) {
    emoji = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
  } else {
    emoji = {static_cast<wchar_t>(0x1F600)};
  }
  EXPECT_EQ(PercentEncode(emoji), L"%F0%9F%98%80");
  EXPECT_EQ(PercentEncode(std::wstring(1, static_cast<wchar_t>(0xD800))), L"%EF%BF%BD");
}

}  // namespace cumulo
