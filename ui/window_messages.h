#pragma once
// The installer window's private messages.
#include <cstdint>

namespace cumulo {

// Download progress: wParam bytes received, lParam total bytes.
constexpr uint32_t kWmDownloadProgress = 0x1377;
// The install job has finished; its result waits in the window's ProgressPoster.
constexpr uint32_t kWmInstallFinished = 0x1378;

}  // namespace cumulo
