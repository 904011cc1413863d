#include "ui/progress_poster_win.h"

#include <utility>

#include "ui/window_messages.h"

namespace cumulo {

void ProgressPoster::Attach(HWND window) {
  std::lock_guard<std::mutex> lock(mutex_);
  window_ = window;
}

std::optional<InstallResult> ProgressPoster::Detach() {
  std::lock_guard<std::mutex> lock(mutex_);
  window_ = nullptr;
  return std::exchange(finished_, std::nullopt);
}

std::optional<InstallResult> ProgressPoster::TakeFinished() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::exchange(finished_, std::nullopt);
}

void ProgressPoster::DownloadProgress(uint32_t received, uint32_t total) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (window_ != nullptr) PostMessageW(window_, kWmDownloadProgress, received, total);
}

bool ProgressPoster::Finished(InstallResult result) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (window_ == nullptr) return false;
  finished_ = std::move(result);
  // A full message queue loses the report: then no window will offer the log either.
  if (!PostMessageW(window_, kWmInstallFinished, 0, 0)) {
    finished_.reset();
    return false;
  }
  return true;
}

}  // namespace cumulo
