#include "base/journal_line.h"

#include <gtest/gtest.h>

namespace cumulo {

namespace {
const std::string kStamp = "[09:05:03 07.12] ";
const std::string kPrefix = "[ Download ] ";
}  // namespace

TEST(JournalLine, OneLineWhateverTheMessageHolds) {
  struct Case {
    LogLevel level;
    std::wstring message;
    std::string line;
  };
  const Case cases[] = {
      {LogLevel::Info, L"Starting GUI Installer...",
       "[I] [09:05:03 07.12] [ Download ] Starting GUI Installer...\n"},
      {LogLevel::Error, L"", "[E] [09:05:03 07.12] [ Download ] \n"},
      {static_cast<LogLevel>(7), L"untagged", "[09:05:03 07.12] [ Download ] untagged\n"},
      // Line breaks inside a message (a redirect target, a system text) become blanks.
      {LogLevel::Info, L"Downloading file: https://h/a\r\n[E] forged",
       "[I] [09:05:03 07.12] [ Download ] Downloading file: https://h/a  [E] forged\n"},
      {LogLevel::Warning, L"\n", "[W] [09:05:03 07.12] [ Download ]  \n"},
      {LogLevel::Info, L"a\rb\n", "[I] [09:05:03 07.12] [ Download ] a b \n"},
      {LogLevel::Info, L"\x41F\xD800!",
       "[I] [09:05:03 07.12] [ Download ] \xD0\x9F\xEF\xBF\xBD!\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatJournalLine(c.level, kStamp, kPrefix, c.message), c.line);
  }
}

TEST(JournalLine, ChannelPrefixKeepsToItsLine) {
  EXPECT_EQ(JournalChannelPrefix(L"Download"), "[ Download ] ");
  EXPECT_EQ(JournalChannelPrefix(L"a\r\nb"), "[ a  b ] ");
}

}  // namespace cumulo
