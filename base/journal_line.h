#pragma once
// One journal line, byte for byte: level tag, timestamp, channel prefix, message and a
// single line feed.
#include <string>

#include "base/log_level.h"

namespace cumulo {

// UTF-8 of `text` with every CR and LF turned into a blank: a message (a URL, a server's
// header, a system text) can neither end its line early nor forge a line of its own.
std::string JournalText(const std::wstring& text);

// "[ " + the channel name + " ] ".
std::string JournalChannelPrefix(const std::wstring& channel);

// The level tag ("[I] ", "[E] ", "[W] ", none for another level), `timestamp`, `prefix`,
// the message and "\n".
std::string FormatJournalLine(LogLevel level, const std::string& timestamp,
                              const std::string& prefix, const std::wstring& message);

}  // namespace cumulo
