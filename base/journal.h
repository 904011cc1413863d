#pragma once
// The journal: one process-wide file of human-readable lines, written from any thread.
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

#include "base/log_level.h"

namespace cumulo {

// Process-wide configuration; start-up sets both once, before the first line.
std::wstring& LogFilePath();
std::wstring& LogChannelName();

struct LocalTime {
  int hour = 0, minute = 0, second = 0, day = 0, month = 0;  // month 1..12
};

// The journal's view of time, a parameter so that tests can fix it.
struct LogClock {
  int64_t (*now)();                      // seconds since the epoch
  bool (*toLocal)(int64_t, LocalTime&);  // false when the conversion fails
};
LogClock SystemLogClock();

class InstallLog {
 public:
  // The one journal of the process, opened at the first call from LogFilePath().
  static InstallLog& Instance();

  // `channel` is read at the first Write, as the process-wide name is.
  InstallLog(const std::wstring& path, const std::wstring* channel, LogClock clock);
  ~InstallLog();
  InstallLog(const InstallLog&) = delete;
  InstallLog& operator=(const InstallLog&) = delete;

  void Write(const std::wstring& message, LogLevel level);
  bool IsOpen() const { return file_ != nullptr; }

 private:
  const std::string& Timestamp();

  FILE* file_ = nullptr;
  std::mutex mutex_;
  int64_t cachedTime_ = 0;
  std::string cachedTimestamp_;

  const std::wstring* channel_;
  LogClock clock_;
  std::once_flag prefixOnce_;
  std::string prefix_;
};

// Shorthands used by every writer.
inline void LogInfo(const std::wstring& m) { InstallLog::Instance().Write(m, LogLevel::Info); }
inline void LogError(const std::wstring& m) { InstallLog::Instance().Write(m, LogLevel::Error); }
inline void LogWarning(const std::wstring& m) {
  InstallLog::Instance().Write(m, LogLevel::Warning);
}

}  // namespace cumulo
