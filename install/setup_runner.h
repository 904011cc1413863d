#pragma once
// Runs the downloaded setup package: silently first, once more with its own window when
// that fails; success is exit code 0. Every attempt first checks the package's signature
// and publisher; a refused package is never started. Failures are reported as telemetry
// events, a refusal also in the journal.
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
  enum class Stage { StartFailed, WaitFailed, NoExitCode, Exited, Untrusted };
  Stage stage = Stage::StartFailed;
  // The last-error code, the exit code when Exited, the refusing WinTrust code when Untrusted.
  uint32_t value = 0;
};

// How the runner's attempts ended: a refused package is neither success nor a setup
// failure with a log to show. Damaged: refused at the first check because its content no
// longer matches its signature (0x80096010), which a download gone wrong explains.
enum class SetupResult { Succeeded, Failed, Untrusted, Damaged };

// Verifies the package and, when it may run, starts it with `parameters`, shown or
// hidden, and waits for its end.
using SetupProcessRunner = std::function<SetupAttempt(const SetupParams& params,
                                                      const std::wstring& parameters, bool show)>;

// The production runner (Windows only): holds the package against writers and deletion,
// checks it with WinVerifyTrust against the build's package publisher, then
// ShellExecuteExW and an unbounded wait, releasing the hold once the package has exited.
SetupAttempt RunSetupProcess(const SetupParams& params, const std::wstring& parameters, bool show);

class SetupRunner {
 public:
  SetupRunner(std::shared_ptr<MetricSender> metricSender, SetupProcessRunner runProcess,
              JournalWriter journal = WriteToProcessJournal);

  // Succeeded when the first or (if allowed) the second attempt exited with 0; Untrusted
  // when an attempt's package was refused, which ends the attempts.
  [[nodiscard]] SetupResult RunWithRetry(const SetupParams& params);
  [[nodiscard]] SetupResult RunOnce(bool secondAttempt);

 private:
  std::shared_ptr<MetricSender> metricSender_;
  SetupProcessRunner runProcess_;
  JournalWriter journal_;
  SetupParams params_;
};

}  // namespace cumulo
