#pragma once
// The window's side of the worker's progress reports: each becomes a posted message, so
// the window handles it on its own thread. Once detached, reports go nowhere.
#include <windows.h>

#include <atomic>

#include "install/install_progress.h"

namespace cumulo {

class ProgressPoster : public InstallProgress {
 public:
  void Attach(HWND window) { window_.store(window); }
  // Called when the window is destroyed; a worker that outlives it posts nothing more.
  void Detach() { window_.store(nullptr); }

  void DownloadProgress(uint32_t received, uint32_t total) override;

 private:
  std::atomic<HWND> window_{nullptr};
};

}  // namespace cumulo
