#include "ui/progress_poster_win.h"

#include "ui/window_messages.h"

namespace cumulo {

void ProgressPoster::DownloadProgress(uint32_t received, uint32_t total) {
  // A window destroyed between the load and the post makes the post fail, harmlessly.
  HWND window = window_.load();
  if (window != nullptr) PostMessageW(window, kWmDownloadProgress, received, total);
}

}  // namespace cumulo
