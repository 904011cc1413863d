#include "ui/bench_counter_win.h"

#include <windows.h>

#include <string>

#include "base/wide_text.h"
#include "build_config.h"
#include "win/unique_handle.h"

namespace cumulo {

void CountProgressRepaint(int32_t percent) {
  if constexpr (!build_config::kBenchCounters) {
    (void)percent;
  } else {
    wchar_t path[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"CUMULO_BENCH_COUNTS", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    ScopedFile file(CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    const std::string line = "progress " + Decimal(percent) + "\n";
    DWORD written = 0;
    WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
}

}  // namespace cumulo
