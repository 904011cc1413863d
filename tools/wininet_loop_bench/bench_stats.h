#pragma once
// CPU time and peak working set of this process so far, as "cpu <s> peak_ws <bytes>".
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

inline std::string BenchProcessStats() {
  FILETIME created, exited, kernel, user;
  double cpu = 0;
  if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
    auto seconds = [](const FILETIME& t) {
      return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    cpu = seconds(kernel) + seconds(user);
  }
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof(memory);
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
  char text[96];
  std::snprintf(text, sizeof text, "cpu %.3f peak_ws %llu", cpu,
                static_cast<unsigned long long>(memory.PeakWorkingSetSize));
  return text;
}
