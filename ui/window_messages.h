#pragma once
// The installer window's private messages.
#include <cstdint>

namespace cumulo {

// Download progress: wParam bytes received, lParam total bytes.
constexpr uint32_t kWmDownloadProgress = 0x1377;

}  // namespace cumulo
