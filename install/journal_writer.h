#pragma once
// Where the install worker's journal lines go: the process journal, or a test's recorder.
#include <functional>
#include <string>

#include "base/journal.h"

namespace cumulo {

using JournalWriter = std::function<void(const std::wstring& message, LogLevel level)>;

inline void WriteToProcessJournal(const std::wstring& message, LogLevel level) {
  InstallLog::Instance().Write(message, level);
}

}  // namespace cumulo
