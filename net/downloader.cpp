#include "net/downloader.h"

#include <algorithm>
#include <vector>

#include "base/journal.h"
#include "base/wide_text.h"
#include "net/download_attempts.h"
#include "net/download_platform.h"
#include "net/header_table.h"

namespace cumulo {

namespace {
constexpr uint32_t kChunkSize = 16384;

}  // namespace

Downloader::Downloader(std::shared_ptr<MetricSender> metricSender, std::wstring userAgent,
                       uint32_t maxAttempts, std::shared_ptr<DownloadPlatform> platform)
    : metricSender_(std::move(metricSender)),
      userAgent_(std::move(userAgent)),
      maxAttempts_(maxAttempts),
      platform_(std::move(platform)) {}

Downloader::~Downloader() = default;

DownloadCode Downloader::Download(const std::wstring& url, const std::wstring& path) {
  LogInfo(L"Downloading file: " + url);
  return RunDownloadAttempts(url, maxAttempts_,
                             [&](const std::wstring& current) { return TryDownload(current, path); });
}

AttemptResult Downloader::TryDownload(const std::wstring& url,
                                                              const std::wstring& path) {
  try {
    return Attempt(url, path);
  } catch (...) {
    // Out of memory, or a progress hook that threw: the attempt failed, the loop goes on.
    return {DownloadCode::Retry, {}};
  }
}

AttemptResult Downloader::Attempt(const std::wstring& url,
                                                          const std::wstring& path) {
  LogInfo(L"Downloader, trying download: " + url);
  std::unique_ptr<DownloadRequest> request =
      platform_ ? platform_->OpenRequest(url, userAgent_) : nullptr;
  if (!request) return {DownloadCode::Retry, {}};

  if (const uint32_t error = request->Send()) return NetworkFailure(error);

  uint32_t status = 0;
  if (!request->QueryStatus(status)) return {DownloadCode::NoStatus, {}};
  LogInfo(L"Downloader, response: " + UnsignedDecimalW(status));

  std::wstring block;
  if (!request->QueryRawHeaders(block)) return {DownloadCode::Retry, {}};
  const HeaderTable headers = ParseHeaderTable(block);
  LogInfo(L"Downloader, headers: ");
  for (const auto& entry : headers) {
    if (!entry.first.empty()) LogInfo(L"    " + entry.first + L": " + entry.second);
  }

  uint32_t contentLength = 0;
  const auto lengthHeader = headers.find(L"Content-Length");
  if (lengthHeader != headers.end() && !ParseContentLength(lengthHeader->second, contentLength)) {
    contentLength = 0;
  }

  if (status == 301 || status == 302 || status == 303) {
    const auto location = headers.find(L"Location");
    if (location == headers.end()) return {DownloadCode::Retry, {}};
    return {DownloadCode::Redirect, location->second};
  }
  // 401 and every status without a rule of its own (206, 304, 404, 500, ...) leave the
  // destination alone: only a 200 body may count as the file.
  if (status != 200) return {DownloadCode::Retry, {}};

  uint32_t fileError = 0;
  std::unique_ptr<DownloadFile> file = platform_->CreateDestination(path, fileError);
  if (!file) return FileFailure(fileError);

  std::vector<uint8_t> buffer(kChunkSize);
  uint64_t received = 0;
  for (;;) {
    uint32_t got = 0;
    if (const uint32_t error = request->Read(buffer.data(), kChunkSize, got)) {
      file.reset();
      return NetworkFailure(error);
    }
    if (got == 0) break;
    got = std::min(got, kChunkSize);
    if (const uint32_t error = file->Write(buffer.data(), got)) return FileFailure(error);
    received += got;
    if (contentLength != 0 && progress) {
      progress(static_cast<uint32_t>(std::min<uint64_t>(received, UINT32_MAX)), contentLength);
    }
  }
  if (const uint32_t error = file->Close()) return FileFailure(error);
  file.reset();
  // A body that ends early without an error is a broken connection, not the package.
  if (contentLength != 0 && received < contentLength) {
    return NetworkFailure(download_errors::kConnectionReset);
  }

  request.reset();
  LogInfo(L"Downloader completed succesfully.");
  return {DownloadCode::Completed, {}};
}

AttemptResult Downloader::NetworkFailure(uint32_t error) {
  LogError(L"Downloader network error: " + UnsignedDecimalW(error));
  if (metricSender_) metricSender_->SendMetric(L"err_setup_network", 1);
  return {DownloadCode::Retry, {}};
}

AttemptResult Downloader::FileFailure(uint32_t error) {
  LogError(L"Downloader file error: " + UnsignedDecimalW(error));
  const wchar_t* metric = L"err_setup_other_disk_error";
  DownloadCode code = DownloadCode::DiskError;
  if (error == download_errors::kDiskFull || error == download_errors::kHandleDiskFull) {
    metric = L"err_setup_no_space";
    code = DownloadCode::DiskFull;
  } else if (error == download_errors::kAccessDenied) {
    metric = L"err_setup_access_denied";
    code = DownloadCode::AccessDenied;
  }
  if (metricSender_) metricSender_->SendMetric(metric, 1);
  return {code, {}};
}

}  // namespace cumulo
