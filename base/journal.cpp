#include "base/journal.h"

#include <utility>

#include "base/journal_line.h"
#include "base/journal_platform.h"
#include "base/wide_text.h"

namespace cumulo {

std::wstring& LogFilePath() {
  static std::wstring path;
  return path;
}

std::wstring& LogChannelName() {
  static std::wstring name;
  return name;
}

InstallLog& InstallLog::Instance() {
  static InstallLog log(LogFilePath(), &LogChannelName(), SystemLogClock());
  return log;
}

InstallLog::InstallLog(const std::wstring& path, const std::wstring* channel, LogClock clock)
    : channel_(channel), clock_(clock) {
  if (path.empty()) return;
  const bool existed = LogPathExists(path);
  file_ = OpenLogForAppend(path);
  if (file_ == nullptr) return;
  std::setbuf(file_, nullptr);
  if (!existed) std::fwrite("\xEF\xBB\xBF", 1, 3, file_);
}

InstallLog::~InstallLog() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

const std::string& InstallLog::Timestamp() {
  const int64_t now = clock_.now();
  if (now == cachedTime_) return cachedTimestamp_;
  LocalTime lt;
  if (!clock_.toLocal(now, lt)) return cachedTimestamp_;
  std::string text = "[";
  AppendZeroPadded(text, lt.hour, 2);
  text += ':';
  AppendZeroPadded(text, lt.minute, 2);
  text += ':';
  AppendZeroPadded(text, lt.second, 2);
  text += ' ';
  AppendZeroPadded(text, lt.day, 2);
  text += '.';
  AppendZeroPadded(text, lt.month, 2);
  text += "] ";
  cachedTime_ = now;
  cachedTimestamp_ = std::move(text);
  return cachedTimestamp_;
}

void InstallLog::Write(const std::wstring& message, LogLevel level) {
  if (file_ == nullptr) return;
  std::call_once(prefixOnce_, [this] {
    prefix_ = JournalChannelPrefix(channel_ != nullptr ? *channel_ : std::wstring());
  });
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string line = FormatJournalLine(level, Timestamp(), prefix_, message);
  std::fwrite(line.data(), 1, line.size(), file_);
}

}  // namespace cumulo
