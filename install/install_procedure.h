#pragma once
// The install worker's procedure over the machine's operations, so that its outcome
// table runs with fakes as well as on Windows.
#include <cstdint>
#include <string>

#include "install/install_job.h"
#include "install/journal_writer.h"
#include "install/setup_runner.h"
#include "net/downloader.h"

namespace cumulo {

// What the procedure needs from the machine and the other parts, in its order of use.
class InstallPlatform {
 public:
  virtual ~InstallPlatform() = default;
  virtual bool IsClientRunning() = 0;
  virtual bool CloseRunningClient() = 0;
  virtual std::wstring GetTempFolder() = 0;
  virtual std::wstring GetProfileFolder() = 0;
  // The thread's last-error code, read right after the failing call.
  virtual uint32_t LastError() = 0;
  virtual std::wstring MakeUniqueName() = 0;
  virtual bool IsSupportedArchitecture() = 0;
  // One download with its own Downloader, kept for DownloadAgain.
  virtual DownloadCode Download(const std::wstring& userAgent, const std::wstring& url,
                                const std::wstring& path, ProgressCallback progress) = 0;
  // The last download once more from byte 0, within the attempts it left unused.
  virtual DownloadCode DownloadAgain(const std::wstring& url, const std::wstring& path) {
    (void)url;
    (void)path;
    return DownloadCode::Retry;
  }
  virtual SetupResult RunSetup(const SetupParams& params) = 0;
  // True when a client process was seen running afterwards.
  virtual bool LaunchClient(const AuthHandoff& handoff) = 0;
  virtual bool RemoveFile(const std::wstring& path, uint32_t& error) = 0;
};

// "https://" + the distribution host + the package's path.
std::wstring SetupPackageUrl(const std::wstring& distributionHost);

// Runs one installation and reports exactly one result through `job.progress`.
void RunInstallProcedure(const InstallJob& job, InstallPlatform& platform,
                         const JournalWriter& journal = WriteToProcessJournal);

}  // namespace cumulo
