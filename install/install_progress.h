#pragma once
// What the install job reports while it runs and when it ends. The window implements it;
// the job never learns what a window is.
#include <cstdint>
#include <string>

#include "install/install_outcome.h"

namespace cumulo {

// How one installation ended, as the window needs it.
struct InstallResult {
  InstallOutcome outcome = InstallOutcome::DownloadFailed;
  bool clientStarted = false;       // Succeeded: a client process was seen afterwards
  std::wstring failedSetupLogPath;  // SetupFailed: the setup's log, kept for the Journal button
};

class InstallProgress {
 public:
  virtual ~InstallProgress() = default;
  // Called on the job's thread for each block of a download whose total is known.
  virtual void DownloadProgress(uint32_t received, uint32_t total) = 0;
  // Called once, last, on the job's thread, after the steps' events and journal lines.
  // False when no window is left to take the result: the job then deletes a failed
  // setup's log itself.
  virtual bool Finished(InstallResult result) = 0;
};

}  // namespace cumulo
