#include "install/install_procedure.h"

#include <utility>

#include "build_config.h"
#include "install/temp_file_list.h"

namespace cumulo {

std::wstring SetupPackageUrl(const std::wstring& distributionHost) {
  return L"https://" + distributionHost + L"/cumulo/Cumulo_setup_offline.exe";
}

void RunInstallProcedure(const InstallJob& job, InstallPlatform& platform,
                         const JournalWriter& journal) {
  MetricSender& metrics = *job.metricSender;
  // Always after the step's own event: the window's "error" follows the result, so the
  // result must not overtake the event that explains it.
  // Without a receiver no window takes the result.
  const auto report = [&job](InstallResult result) {
    return job.progress ? job.progress->Finished(std::move(result)) : false;
  };
  const auto finish = [&report](InstallOutcome outcome) {
    InstallResult result;
    result.outcome = outcome;
    return report(std::move(result));
  };

  if (platform.IsClientRunning()) {
    journal(L"Cumulo application is already running, trying to close...", LogLevel::Info);
    if (!platform.CloseRunningClient()) {
      journal(L"Failer close running Cumulo application.", LogLevel::Error);
      metrics.SendMetric(L"error_cumulo_close_running", 1);
      finish(InstallOutcome::ClientStillRunning);
      return;
    }
  }

  const std::wstring temp = platform.GetTempFolder();
  if (temp.empty()) {
    const uint32_t error = platform.LastError();
    journal(L"Failed get temporary folder path.", LogLevel::Error);
    metrics.SendMetric(L"error_path_get", static_cast<int32_t>(error));
    finish(InstallOutcome::PathUnavailable);
    return;
  }
  if (platform.GetProfileFolder().empty()) {
    journal(L"Failed get home folder path.", LogLevel::Error);
    metrics.SendMetric(L"error_home_path", 1);
    finish(InstallOutcome::PathUnavailable);
    return;
  }

  const std::wstring unique = platform.MakeUniqueName();
  const std::wstring setupFile = temp + L"Cumulo-" + unique + L".exe";
  const std::wstring logFile = temp + L"Cumulo-" + unique + L".log";

  TempFileList tempFiles(
      job.metricSender,
      [&platform](const std::wstring& path, uint32_t& error) {
        return platform.RemoveFile(path, error);
      },
      journal);

  const std::wstring userAgent = L"CumuloWindows " + metrics.GetInstallationId();
  // The downloader reports only while the total is known and non-zero.
  ProgressCallback progress;
  if (job.progress) {
    progress = [sink = job.progress.get()](uint32_t received, uint32_t total) {
      sink->DownloadProgress(received, total);
    };
  }
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
      finish(downloaded == DownloadCode::DiskFull ? InstallOutcome::NoDiskSpace
                                                  : InstallOutcome::DownloadFailed);
      return;
    }
    setup = platform.RunSetup(params);
  }
  if (setup == SetupResult::Untrusted) {
    // The runner has reported the refusal; the package and any log of an earlier attempt
    // go, and the window shows an unexpected error.
    tempFiles.Add(logFile);
    finish(InstallOutcome::DownloadFailed);
    return;
  }
  if (setup != SetupResult::Succeeded) {
    // The log stays for the Journal button, unless no window is left to offer it.
    InstallResult result;
    result.outcome = InstallOutcome::SetupFailed;
    result.failedSetupLogPath = logFile;
    if (!report(std::move(result))) tempFiles.Add(logFile);
    return;
  }
  tempFiles.Add(logFile);
  InstallResult result;
  result.outcome = InstallOutcome::Succeeded;
  result.clientStarted = platform.LaunchClient(job.handoff);
  metrics.SendMetric(L"setup_run", 1);
  report(std::move(result));
}

}  // namespace cumulo
