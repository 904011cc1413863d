#pragma once
// Where the install worker's journal lines go: the process journal, or a test's recorder.
#include <functional>
#include <string>

#include "base/journal.h"

using JournalWriter = std::function<void(const std::wstring& message, int level)>;

inline void WriteToProcessJournal(const std::wstring& message, int level) {
  InstallLog::Instance().Write(message, level);
}
