#include "install/setup_runner.h"

#include <utility>

#include "install/package_trust.h"

namespace cumulo {

namespace {
constexpr uint32_t kDigestMismatch = 0x80096010;  // TRUST_E_BAD_DIGEST
}  // namespace

std::wstring SetupCommandLine(const SetupParams& params, bool secondAttempt) {
  std::wstring line;
  if (!secondAttempt) line = L"/VERYSILENT /SUPPRESSMSGBOXES /NORESTART /NOCLOSEAPPLICATIONS";
  if (!params.logFile.empty()) line += L" /LOG=\"" + params.logFile + L"\"";
  if (!params.installDrivers) line += L" /INSTALL_DRIVERS=NO";
  if (!params.extraArguments.empty()) line += L" " + params.extraArguments;
  return line;
}

SetupRunner::SetupRunner(std::shared_ptr<MetricSender> metricSender, SetupProcessRunner runProcess,
                         JournalWriter journal)
    : metricSender_(std::move(metricSender)),
      runProcess_(std::move(runProcess)),
      journal_(std::move(journal)) {}

SetupResult SetupRunner::RunWithRetry(const SetupParams& params) {
  params_ = params;
  journal_(L"Runnning installer", LogLevel::Info);
  const SetupResult first = RunOnce(false);
  if (first != SetupResult::Failed) return first;
  if (!params_.retryAllowed) return SetupResult::Failed;
  journal_(L"Runnning installer, second attempt", LogLevel::Info);
  const SetupResult second = RunOnce(true);
  if (second == SetupResult::Succeeded) {
    metricSender_->SendMetric(L"succeeded_on_second_try", 1);
  } else if (second == SetupResult::Failed) {
    metricSender_->SendMetric(L"failed_on_second_try", 1);
  }
  return second;
}

SetupResult SetupRunner::RunOnce(bool secondAttempt) {
  const SetupAttempt attempt =
      runProcess_(params_, SetupCommandLine(params_, secondAttempt), secondAttempt);
  const auto value = static_cast<int32_t>(attempt.value);
  switch (attempt.stage) {
    case SetupAttempt::Stage::Untrusted:
      journal_(UntrustedPackageLine(attempt.value), LogLevel::Error);
      metricSender_->SendMetric(L"err_setup_untrusted", value);
      // Checked and run once already, a package that changes since was not damaged in transfer.
      return attempt.value == kDigestMismatch && !secondAttempt ? SetupResult::Damaged
                                                                : SetupResult::Untrusted;
    case SetupAttempt::Stage::StartFailed:
      metricSender_->SendMetric(L"error_setup_start", value);
      return SetupResult::Failed;
    case SetupAttempt::Stage::WaitFailed:
      metricSender_->SendMetric(L"error_setup_wait", value);
      return SetupResult::Failed;
    case SetupAttempt::Stage::NoExitCode:
      metricSender_->SendMetric(L"error_setup_no_exit", value);
      return SetupResult::Failed;
    case SetupAttempt::Stage::Exited:
      break;
  }
  if (attempt.value != 0) {
    metricSender_->SendMetric(L"error_exit_setup", value);
    return SetupResult::Failed;
  }
  return SetupResult::Succeeded;
}

}  // namespace cumulo
