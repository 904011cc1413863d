#include "install/install_procedure_steps.h"

#include "build_config.h"
#include "install/temp_file_list.h"

namespace cumulo {

std::wstring SetupPackageUrl(const std::wstring& distributionHost) {
  return L"https://" + distributionHost + L"/cumulo/Cumulo_setup_offline.exe";
}

namespace {

// Always after the step's own event: the window's "error" follows the outcome, so it must
// not overtake the event that explains it.
void Publish(InstallShared& shared, InstallOutcome outcome) {
  shared.installOutcome.exchange(outcome);
}

}  // namespace

void RunInstallProcedure(InstallShared& shared, InstallPlatform& platform,
                         const JournalWriter& journal) {
  MetricSender& metrics = *shared.metricSender;
  shared.failedSetupLogPath.clear();

  if (platform.IsClientRunning()) {
    journal(L"Cumulo application is already running, trying to close...", LogLevel::Info);
    if (!platform.CloseRunningClient()) {
      journal(L"Failer close running Cumulo application.", LogLevel::Error);
      metrics.SendMetric(L"error_cumulo_close_running", 1);
      Publish(shared, InstallOutcome::ClientStillRunning);
      return;
    }
  }

  const std::wstring temp = platform.GetTempFolder();
  if (temp.empty()) {
    const uint32_t error = platform.LastError();
    journal(L"Failed get temporary folder path.", LogLevel::Error);
    metrics.SendMetric(L"error_path_get", static_cast<int32_t>(error));
    Publish(shared, InstallOutcome::PathUnavailable);
    return;
  }
  if (platform.GetProfileFolder().empty()) {
    journal(L"Failed get home folder path.", LogLevel::Error);
    metrics.SendMetric(L"error_home_path", 1);
    Publish(shared, InstallOutcome::PathUnavailable);
    return;
  }
  shared.progressPercent.store(0);

  const std::wstring unique = platform.MakeUniqueName();
  const std::wstring setupFile = temp + L"Cumulo-" + unique + L".exe";
  const std::wstring logFile = temp + L"Cumulo-" + unique + L".log";

  TempFileList tempFiles(
      shared.metricSender,
      [&platform](const std::wstring& path, uint32_t& error) {
        return platform.RemoveFile(path, error);
      },
      journal);

  const std::wstring userAgent = L"CumuloWindows " + metrics.GetInstallationId();
  ProgressCallback progress = [&shared](uint32_t received, uint32_t total) {
    if (total != 0 && shared.progress) shared.progress->DownloadProgress(received, total);
  };
  tempFiles.Add(setupFile);  // before the download, so that a partial file goes too

  const std::wstring packageUrl = SetupPackageUrl(build_config::kDistributionHost);
  DownloadCode downloaded = platform.Download(userAgent, packageUrl, setupFile, progress);

  SetupParams params;
  params.workingDirectory = temp;
  params.setupFile = setupFile;
  params.logFile = logFile;
  params.retryAllowed = true;
  params.installDrivers = platform.IsSupportedArchitecture();
  SetupResult setup = SetupResult::Damaged;
  // Bytes that do not match the signature were most likely spoilt on the way: one fresh
  // copy, and a second damaged one is refused like any other.
  for (int copy = 0; setup == SetupResult::Damaged; ++copy) {
    if (copy == 2) {
      setup = SetupResult::Untrusted;
      break;
    }
    if (copy == 1) {
      journal(L"Setup package damaged, downloading it once more from byte 0.", LogLevel::Warning);
      downloaded = platform.DownloadAgain(packageUrl, setupFile);
    }
    if (downloaded != DownloadCode::Completed) {
      metrics.SendMetric(L"error_cumulo_download", 1);
      Publish(shared, downloaded == DownloadCode::DiskFull ? InstallOutcome::NoDiskSpace
                                                           : InstallOutcome::DownloadFailed);
      return;
    }
    setup = platform.RunSetup(params);
  }
  if (setup == SetupResult::Untrusted) {
    // The runner has reported the refusal; the package and any log of an earlier attempt
    // go, and the window shows an unexpected error.
    tempFiles.Add(logFile);
    Publish(shared, InstallOutcome::DownloadFailed);
    return;
  }
  if (setup != SetupResult::Succeeded) {
    // The log stays for the Journal button; the window decides its fate.
    shared.failedSetupLogPath = logFile;
    Publish(shared, InstallOutcome::SetupFailed);
    // Read after publishing: a window that closed before it could see the outcome has left
    // the log to the worker.
    if (shared.windowClosed.load() && !shared.failedLogClaimed.exchange(true)) {
      tempFiles.Add(logFile);
    }
    return;
  }
  tempFiles.Add(logFile);
  shared.clientStarted.store(platform.LaunchClient(shared.handoff));
  metrics.SendMetric(L"setup_run", 1);
  Publish(shared, InstallOutcome::Succeeded);
}

}  // namespace cumulo
