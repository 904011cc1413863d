#include <windows.h>

#include <ctime>

#include "base/journal.h"
#include "base/journal_platform.h"

namespace cumulo {

bool LogPathExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

FILE* OpenLogForAppend(const std::wstring& path) {
  // "c" commits each write to the system; _wfopen shares the file for reading and writing.
  return _wfopen(path.c_str(), L"abc");
}

namespace {
int64_t NowSeconds() { return static_cast<int64_t>(_time64(nullptr)); }

bool ToLocal(int64_t t, LocalTime& out) {
  __time64_t value = t;
  tm parts{};
  if (_localtime64_s(&parts, &value) != 0) return false;
  out = {parts.tm_hour, parts.tm_min, parts.tm_sec, parts.tm_mday, parts.tm_mon + 1};
  return true;
}
}  // namespace

LogClock SystemLogClock() { return {&NowSeconds, &ToLocal}; }

}  // namespace cumulo
