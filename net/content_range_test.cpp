#include "net/content_range.h"

#include <gtest/gtest.h>

namespace cumulo {

TEST(ContentRange, ReadsOnlyTheExactForm) {
  const struct {
    const wchar_t* text;
    bool valid;
    uint64_t first, last, complete;
  } cases[] = {
      {L"bytes 0-0/1", true, 0, 0, 1},
      {L"bytes 16484-39999/40000", true, 16484, 39999, 40000},
      {L"bytes 00012-00099/00100", true, 12, 99, 100},
      {L"bytes 9007199254740990-9007199254740990/9007199254740991", true, 9007199254740990,
       9007199254740990, 9007199254740991},
      {L"", false, 0, 0, 0},
      {L"bytes", false, 0, 0, 0},
      {L"bytes ", false, 0, 0, 0},
      {L"bytes */40000", false, 0, 0, 0},
      {L"bytes 0-99/*", false, 0, 0, 0},
      {L"bytes=0-99/100", false, 0, 0, 0},
      {L"Bytes 0-99/100", false, 0, 0, 0},
      {L"items 0-99/100", false, 0, 0, 0},
      {L" bytes 0-99/100", false, 0, 0, 0},
      {L"bytes  0-99/100", false, 0, 0, 0},
      {L"bytes 0 -99/100", false, 0, 0, 0},
      {L"bytes 0-99 /100", false, 0, 0, 0},
      {L"bytes 0-99/100 ", false, 0, 0, 0},
      {L"bytes 0-99/100\r", false, 0, 0, 0},
      {L"bytes -0-99/100", false, 0, 0, 0},
      {L"bytes +0-99/100", false, 0, 0, 0},
      {L"bytes 0--99/100", false, 0, 0, 0},
      {L"bytes 0-99/100/100", false, 0, 0, 0},
      {L"bytes 0-99", false, 0, 0, 0},
      {L"bytes 0-/100", false, 0, 0, 0},
      {L"bytes -99/100", false, 0, 0, 0},
      {L"bytes 0x10-0x20/0x30", false, 0, 0, 0},
      {L"bytes 1e3-1e4/1e5", false, 0, 0, 0},
      {L"bytes 100-99/200", false, 0, 0, 0},  // first after last
      {L"bytes 0-100/100", false, 0, 0, 0},   // last beyond the end
      {L"bytes 0-0/0", false, 0, 0, 0},
      {L"bytes 0-99/9007199254740992", false, 0, 0, 0},      // 2^53
      {L"bytes 0-99/18446744073709551716", false, 0, 0, 0},  // wraps a 64-bit number
      {L"bytes 0-99/00000000000000000100", false, 0, 0, 0},  // too many digits
      {L"bytes 0\x0661-99/100", false, 0, 0, 0},             // a digit of another script
  };
  for (const auto& c : cases) {
    const auto range = ParseContentRange(c.text);
    ASSERT_EQ(range.has_value(), c.valid) << c.text;
    if (!range) continue;
    EXPECT_EQ(range->first, c.first) << c.text;
    EXPECT_EQ(range->last, c.last) << c.text;
    EXPECT_EQ(range->complete, c.complete) << c.text;
  }
  const std::wstring embeddedNul(L"bytes 0-99/100\0", 15);
  EXPECT_FALSE(ParseContentRange(embeddedNul).has_value());
}

}  // namespace cumulo
