#include <windows.h>

#include "install/app_launcher.h"
#include "install/install_procedure.h"
#include "install/install_worker.h"
#include "install/install_workers.h"
#include "install/process_probe.h"
#include "install/system_environment.h"

namespace cumulo {

namespace {

class SystemInstallPlatform : public InstallPlatform {
 public:
  explicit SystemInstallPlatform(std::shared_ptr<MetricSender> metricSender)
      : metricSender_(std::move(metricSender)) {}

  bool IsClientRunning() override { return cumulo::IsClientRunning(); }
  bool CloseRunningClient() override { return cumulo::CloseRunningClient(); }
  std::wstring GetTempFolder() override { return cumulo::GetTempFolder(); }
  std::wstring GetProfileFolder() override { return cumulo::GetProfileFolder(); }
  uint32_t LastError() override { return GetLastError(); }
  std::wstring MakeUniqueName() override { return cumulo::MakeUniqueName(); }
  bool IsSupportedArchitecture() override { return cumulo::IsSupportedArchitecture(); }

  DownloadCode Download(const std::wstring& userAgent, const std::wstring& url,
                        const std::wstring& path, ProgressCallback progress) override {
    downloader_ = std::make_unique<Downloader>(metricSender_, userAgent, 5, std::move(progress));
    return downloader_->Download(url, path);
  }

  DownloadCode DownloadAgain(const std::wstring& url, const std::wstring& path) override {
    return downloader_ ? downloader_->DownloadAgain(url, path) : DownloadCode::Retry;
  }

  SetupResult RunSetup(const SetupParams& params) override {
    SetupRunner runner(metricSender_, RunSetupProcess);
    return runner.RunWithRetry(params);
  }

  bool LaunchClient(const AuthHandoff& handoff) override {
    const auto platform = MakeSystemLauncherPlatform();
    AppLauncher launcher(metricSender_, *platform);
    return launcher.LaunchClient(handoff);
  }

  bool RemoveFile(const std::wstring& path, uint32_t& error) override {
    if (DeleteFileW(path.c_str())) return true;
    error = GetLastError();
    // A package that never arrived (the server refused it) has not outlived the procedure.
    return error == ERROR_FILE_NOT_FOUND;
  }

 private:
  std::shared_ptr<MetricSender> metricSender_;
  std::unique_ptr<Downloader> downloader_;
};

InstallWorkers& Workers() {
  static InstallWorkers workers;
  return workers;
}

}  // namespace

bool StartInstallProcedure(InstallJob job) {
  return Workers().Start(std::move(job), [](const InstallJob& own) {
    SystemInstallPlatform platform(own.metricSender);
    RunInstallProcedure(own, platform);
  });
}

void WaitForInstallWorkers() { Workers().WaitAll(); }

}  // namespace cumulo
