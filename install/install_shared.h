#pragma once
// The state that the installer window and its install worker share. Both hold it by
// shared ownership, so a worker that outlives the window (closed during an installation)
// never touches a destroyed object.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "install/auth_handoff.h"
#include "install/install_outcome.h"
#include "install/install_progress.h"
#include "net/metric_sender.h"

namespace cumulo {

struct InstallShared {
  std::atomic<InstallOutcome> installOutcome{InstallOutcome::Idle};  // written with exchanges
  std::atomic<int32_t> progressPercent{0};
  // Written by the worker before it publishes InstallOutcome::SetupFailed; read by the window
  // after. The window empties it before it publishes InstallOutcome::Running for a new run.
  std::wstring failedSetupLogPath;
  // Set by the window as it goes. Whoever of the two sees the other's write (the worker
  // this flag after publishing, the window the outcome after setting it) deletes a failed
  // setup's log that no window is left to offer; when both see it, the one that claims the
  // log first deletes it, so two deletions never race.
  std::atomic<bool> windowClosed{false};
  std::atomic<bool> failedLogClaimed{false};
  // Whether a client process was seen after the setup succeeded; written by the worker
  // before it publishes InstallOutcome::Succeeded.
  std::atomic<bool> clientStarted{false};
  AuthHandoff handoff;  // written once before the window opens
  std::shared_ptr<MetricSender> metricSender;
  // Where the worker reports its progress; set before the first worker starts, may be null.
  std::shared_ptr<InstallProgress> progress;
};

}  // namespace cumulo
