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
  // Written by the worker before it publishes InstallOutcome::SetupFailed; read by the window after.
  std::wstring failedSetupLogPath;
  AuthHandoff handoff;  // written once before the window opens
  std::shared_ptr<MetricSender> metricSender;
  // Where the worker reports its progress; set before the first worker starts, may be null.
  std::shared_ptr<InstallProgress> progress;
};

}  // namespace cumulo
