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
#include "net/metric_sender.h"

struct InstallShared {
  std::atomic<int32_t> installOutcome{Idle};  // written with exchanges
  std::atomic<int32_t> progressPercent{0};
  // Written by the worker before it publishes SetupFailed; read by the window after.
  std::wstring failedSetupLogPath;
  AuthHandoff handoff;  // written once before the window opens
  std::shared_ptr<MetricSender> metricSender;
  // The window's handle as an integer, for posting progress; 0 once the window is gone.
  std::atomic<uintptr_t> window{0};
};
