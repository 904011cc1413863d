// Linux has no WinInet: the stand-in platform opens nothing, so every attempt is a Retry.
// Tests give the downloader a scripted platform instead.
#include "net/download_platform.h"
#include "net/downloader.h"

namespace cumulo {

namespace {
class NoDownloadPlatform : public DownloadPlatform {
 public:
  std::unique_ptr<DownloadRequest> OpenRequest(const std::wstring&, const std::wstring&) override {
    return nullptr;
  }
  std::unique_ptr<DownloadFile> CreateDestination(const std::wstring&, uint32_t& error) override {
    error = download_errors::kAccessDenied;
    return nullptr;
  }
  std::unique_ptr<DownloadFile> AppendDestination(const std::wstring&, uint64_t,
                                                  uint32_t& error) override {
    error = download_errors::kAccessDenied;
    return nullptr;
  }
  bool FreeSpace(const std::wstring&, uint64_t&) override { return false; }
};
}  // namespace

std::shared_ptr<DownloadPlatform> SystemDownloadPlatform() {
  return std::make_shared<NoDownloadPlatform>();
}

// Defined beside the platform, so the portable library needs nothing of the Win32 one.
Downloader::Downloader(std::shared_ptr<MetricSender> metricSender, std::wstring userAgent,
                       uint32_t maxAttempts, ProgressCallback progress)
    : Downloader(std::move(metricSender), std::move(userAgent), maxAttempts,
                 SystemDownloadPlatform(), std::move(progress)) {}

}  // namespace cumulo
