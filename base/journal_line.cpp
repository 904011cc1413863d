#include "base/journal_line.h"

#include "base/wide_text.h"

namespace cumulo {

std::string JournalText(const std::wstring& text) {
  std::string out = Utf8FromWide(text);
  for (char& c : out) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

std::string JournalChannelPrefix(const std::wstring& channel) {
  return "[ " + JournalText(channel) + " ] ";
}

std::string FormatJournalLine(LogLevel level, const std::string& timestamp,
                              const std::string& prefix, const std::wstring& message) {
  std::string line;
  line.reserve(4 + timestamp.size() + prefix.size() + message.size() + 1);
  switch (level) {
    case LogLevel::Info:
      line += "[I] ";
      break;
    case LogLevel::Error:
      line += "[E] ";
      break;
    case LogLevel::Warning:
      line += "[W] ";
      break;
    default:
      break;
  }
  line += timestamp;
  line += prefix;
  line += JournalText(message);
  line += '\n';
  return line;
}

}  // namespace cumulo
