#pragma once
// The window's side of the install job's reports: each becomes a posted message, so the
// window handles it on its own thread and in the order sent. The finished report waits
// here for the window to take it. Once detached, reports go nowhere, and a finished report
// finds no window (the job then deletes a failed setup's log itself).
#include <windows.h>

#include <mutex>
#include <optional>

#include "install/install_progress.h"

namespace cumulo {

class ProgressPoster : public InstallProgress {
 public:
  void Attach(HWND window);
  // Called when the window is destroyed. Returns a finished report that was posted but
  // not taken: its log is the window's to settle.
  std::optional<InstallResult> Detach();
  // The finished report that kWmInstallFinished announced; empty when already taken.
  std::optional<InstallResult> TakeFinished();

  void DownloadProgress(uint32_t received, uint32_t total) override;
  bool Finished(InstallResult result) override;

 private:
  // One lock decides whether a report meets a window: Finished against Detach.
  std::mutex mutex_;
  HWND window_ = nullptr;
  std::optional<InstallResult> finished_;
};

}  // namespace cumulo
