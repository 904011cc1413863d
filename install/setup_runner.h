#pragma once
// Runs the downloaded setup package: silently first, once more with its own window when
// that fails; success is exit code 0. Failures are reported as telemetry events.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "install/journal_writer.h"
#include "net/metric_sender.h"

namespace cumulo {

struct SetupParams {
  std::wstring workingDirectory;
  std::wstring setupFile;
  std::wstring logFile;         // empty: no /LOG switch
  std::wstring extraArguments;  // appended after one space when not empty
  bool retryAllowed = true;
  bool installDrivers = true;  // false adds " /INSTALL_DRIVERS=NO"
};

// The package's parameters (without its path) for the first or the second attempt.
std::wstring SetupCommandLine(const SetupParams& params, bool secondAttempt);

// How one start of the package ended, as the platform saw it.
struct SetupAttempt {
  enum class Stage { StartFailed, WaitFailed, NoExitCode, Exited };
  Stage stage = Stage::StartFailed;
  uint32_t value = 0;  // the last-error code, or the exit code when Exited
};

// Starts the package with `parameters`, shown or hidden, and waits for its end.
using SetupProcessRunner = std::function<SetupAttempt(const SetupParams& params,
                                                      const std::wstring& parameters, bool show)>;

// The production runner: ShellExecuteExW and an unbounded wait (Windows only).
SetupAttempt RunSetupProcess(const SetupParams& params, const std::wstring& parameters, bool show);

class SetupRunner {
 public:
  SetupRunner(std::shared_ptr<MetricSender> metricSender, SetupProcessRunner runProcess,
              JournalWriter journal = WriteToProcessJournal);

  // True when the first or (if allowed) the second attempt exited with 0.
  [[nodiscard]] bool RunWithRetry(const SetupParams& params);
  [[nodiscard]] bool RunOnce(bool secondAttempt);

 private:
  std::shared_ptr<MetricSender> metricSender_;
  SetupProcessRunner runProcess_;
  JournalWriter journal_;
  SetupParams params_;
};

}  // namespace cumulo
