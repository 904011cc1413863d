// A journal line: whatever the message and the channel name hold, the formatter gives
// one line with the level tag first, a single line feed last and no other line break,
// and the message's text otherwise unchanged.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "base/journal_line.h"
#include "base/wide_text.h"
#include "fuzz/fuzz_support.h"

using namespace cumulo;
using cumulo::fuzz::Require;

namespace {
const std::string kStamp = "[09:05:03 07.12] ";

std::wstring TextFrom(const std::vector<uint8_t>& bytes, bool wideUnits) {
  return fuzz::WideFrom(bytes.data(), bytes.size(), wideUnits);
}

// The message as the journal should show it: its UTF-8 with CR and LF as blanks.
std::string Shown(const std::wstring& text) {
  std::wstring flat = text;
  for (wchar_t& c : flat) {
    if (c == L'\r' || c == L'\n') c = L' ';
  }
  return Utf8FromWide(flat);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const int level = input.ConsumeIntegralInRange<int>(-1, 3);
  const bool wideUnits = input.ConsumeBool();
  const std::wstring channel =
      TextFrom(input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, 16)), wideUnits);
  const std::wstring message = TextFrom(input.ConsumeRemainingBytes<uint8_t>(), wideUnits);

  const std::string prefix = JournalChannelPrefix(channel);
  const std::string line = FormatJournalLine(static_cast<LogLevel>(level), kStamp, prefix, message);

  Require(!line.empty() && line.back() == '\n', "a line ends with its line feed");
  Require(line.find_first_of("\r\n") == line.size() - 1, "no other line break in it");
  static const char* const kTags[] = {"", "[I] ", "[E] ", "[W] ", ""};
  const std::string expected =
      kTags[level + 1] + kStamp + "[ " + Shown(channel) + " ] " + Shown(message) + "\n";
  Require(line == expected, "tag, timestamp, channel and the message's own text, in order");
  return 0;
}
