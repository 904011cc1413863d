#pragma once
// What the install worker publishes to the window. 2 is never set and, like any value
// not listed, counts as an unexpected failure.
#include <cstdint>

namespace cumulo {

enum class InstallOutcome : int32_t {
  Idle = 0,
  Running = 1,
  SetupFailed = 3,
  ClientStillRunning = 4,
  PathUnavailable = 5,
  NoDiskSpace = 6,
  Succeeded = 7,
  DownloadFailed = 8,
};

}  // namespace cumulo
