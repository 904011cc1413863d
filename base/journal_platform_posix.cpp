#include <sys/stat.h>

#include <ctime>

#include "base/journal.h"
#include "base/journal_platform.h"
#include "base/wide_text.h"

namespace cumulo {

bool LogPathExists(const std::wstring& path) {
  struct stat st;
  return stat(Utf8FromWide(path).c_str(), &st) == 0;
}

FILE* OpenLogForAppend(const std::wstring& path) {
  return std::fopen(Utf8FromWide(path).c_str(), "ab");
}

namespace {
int64_t NowSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

bool ToLocal(int64_t t, LocalTime& out) {
  const time_t value = static_cast<time_t>(t);
  tm parts{};
  if (localtime_r(&value, &parts) == nullptr) return false;
  out = {parts.tm_hour, parts.tm_min, parts.tm_sec, parts.tm_mday, parts.tm_mon + 1};
  return true;
}
}  // namespace

LogClock SystemLogClock() { return {&NowSeconds, &ToLocal}; }

}  // namespace cumulo
