#include "net/downloader.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/journal.h"
#include "base/wide_text.h"
#include "build_config.h"
#include "net/download_attempts.h"
#include "net/download_platform.h"
#include "net/download_resume.h"
#include "net/header_table.h"
#include "net/redirect.h"
#include "net/stall_watchdog.h"

namespace cumulo {

namespace {
constexpr uint32_t kChunkSize = 16384;
// Far above any setup package; a larger length is refused before a byte is written, and
// every length fits the 32-bit progress numbers.
constexpr uint64_t kMostPackageBytes = uint64_t{1} << 31;

void LogStartingOver() {
  LogWarning(L"Downloader, answer not trusted, the next attempt starts from byte 0.");
}
}  // namespace

std::chrono::milliseconds DownloadPlatform::StallLimit() {
  return std::chrono::seconds(build_config::kDownloadStallSeconds);
}

Downloader::Downloader(std::shared_ptr<MetricSender> metricSender, std::wstring userAgent,
                       uint32_t maxAttempts, std::shared_ptr<DownloadPlatform> platform,
                       ProgressCallback progress)
    : metricSender_(std::move(metricSender)),
      userAgent_(std::move(userAgent)),
      maxAttempts_(maxAttempts),
      platform_(std::move(platform)),
      progress_(std::move(progress)) {}

Downloader::~Downloader() = default;

DownloadCode Downloader::Download(const std::wstring& url, const std::wstring& path) {
  LogInfo(L"Downloading file: " + url);
  attemptsMade_ = 0;
  return RunAttempts(url, path, maxAttempts_);
}

DownloadCode Downloader::DownloadAgain(const std::wstring& url, const std::wstring& path) {
  return RunAttempts(url, path, attemptsMade_ < maxAttempts_ ? maxAttempts_ - attemptsMade_ : 0);
}

DownloadCode Downloader::RunAttempts(const std::wstring& url, const std::wstring& path,
                                     uint32_t attempts) {
  ResumeState resume;  // a download starts from byte 0
  return RunDownloadAttempts(url, attempts, [&](const std::wstring& current) {
    AttemptResult result = GuardedAttempt(current, path, resume);
    if (result.code != DownloadCode::Redirect) ++attemptsMade_;
    return result;
  });
}

AttemptResult Downloader::TryDownload(const std::wstring& url, const std::wstring& path) {
  ResumeState fresh;
  return GuardedAttempt(url, path, fresh);
}

AttemptResult Downloader::GuardedAttempt(const std::wstring& url, const std::wstring& path,
                                         ResumeState& resume) {
  try {
    return Attempt(url, path, resume);
  } catch (...) {
    // Out of memory, or a progress hook that threw: the attempt failed, the loop goes on.
    return {DownloadCode::Retry, {}};
  }
}

AttemptResult Downloader::Attempt(const std::wstring& url, const std::wstring& path,
                                  ResumeState& resume) {
  LogInfo(L"Downloader, trying download: " + url);
  const uint64_t offset = ResumeOffset(resume);
  if (offset != 0) {
    LogInfo(L"Downloader, resuming from byte: " + DecimalW(static_cast<int64_t>(offset)));
  }
  std::unique_ptr<DownloadRequest> request =
      platform_ ? platform_->OpenRequest(url, userAgent_) : nullptr;
  if (!request) return {DownloadCode::Retry, {}};

  if (const uint32_t error = request->Send(ResumeHeaders(resume))) return NetworkFailure(error);

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

  uint64_t contentLength = 0;
  const auto lengthHeader = headers.find(L"Content-Length");
  if (lengthHeader != headers.end() && !ParseContentLength(lengthHeader->second, contentLength)) {
    contentLength = 0;
  }

  // A redirect keeps what the file has, so that the new URL is asked for the rest too.
  if (IsRedirectStatus(status)) {
    const auto location = headers.find(L"Location");
    if (location == headers.end()) return {DownloadCode::Retry, {}};
    std::optional<std::wstring> target = RedirectTarget(url, location->second);
    if (!target) {
      LogWarning(L"Downloader, redirect not followed: " + location->second);
      return {DownloadCode::Retry, {}};
    }
    return {DownloadCode::Redirect, std::move(*target)};
  }
  // 401 and every status without a rule of its own (304, 404, 500, ...) leave the
  // destination alone: only a 200 body, or a 206 that continues it, may count as the file.
  const BodyPlan plan = PlanBody(resume, offset, status, headers);
  if (plan == BodyPlan::NotABody) return {DownloadCode::Retry, {}};
  if (plan == BodyPlan::Distrust) {
    LogStartingOver();
    resume = Forgotten(resume);
    return {DownloadCode::Retry, {}};
  }
  const bool append = plan == BodyPlan::Append;
  const uint64_t total = append ? resume.length : contentLength;
  if (total > kMostPackageBytes) {
    // Only a fresh answer's own length can be this large: the header is there.
    LogWarning(L"Downloader, announced length refused: " + lengthHeader->second);
    return {DownloadCode::Retry, {}};
  }

  // Known in advance, a disk too small ends the download before a byte is written.
  uint64_t freeBytes = 0;
  if (total != 0 && platform_->FreeSpace(path, freeBytes) &&
      freeBytes < SpaceNeeded(resume, total)) {
    return FileFailure(download_errors::kDiskFull);
  }

  uint32_t fileError = 0;
  std::unique_ptr<DownloadFile> file;
  if (append) {
    file = platform_->AppendDestination(path, offset, fileError);
    if (!file) {
      // The partial file is gone or changed: the next attempt writes it anew, and any
      // real fault of the destination shows there with its own line and event.
      LogWarning(L"Downloader, partial file unusable: " + UnsignedDecimalW(fileError));
      resume = ResumeState();
      return {DownloadCode::Retry, {}};
    }
  } else {
    file = platform_->CreateDestination(path, fileError);
    if (!file) return FileFailure(fileError);
    resume = StartedFile(headers, contentLength);
  }

  std::vector<uint8_t> buffer(kChunkSize);
  uint64_t received = append ? offset : 0;  // a 200 to a ranged request starts at 0
  {
    // Ended before the request goes, so that it never aborts a closed request.
    StallWatchdog watchdog(
        platform_->StallLimit(),
        [](void* stalled) { static_cast<DownloadRequest*>(stalled)->Abort(); }, request.get());
    for (;;) {
      uint32_t got = 0;
      if (const uint32_t error = request->Read(buffer.data(), kChunkSize, got)) {
        file.reset();
        return NetworkFailure(watchdog.Fired() ? download_errors::kTimeout : error);
      }
      watchdog.Fed();
      if (got == 0) break;
      got = std::min(got, kChunkSize);
      // More than announced (or, without a length, more than any package): none of this
      // answer can be trusted.
      if (received + got > (total != 0 ? total : kMostPackageBytes)) {
        file.reset();
        LogStartingOver();
        resume = Forgotten(resume);
        return {DownloadCode::Retry, {}};
      }
      if (const uint32_t error = file->Write(buffer.data(), got)) return FileFailure(error);
      received += got;
      resume.written = received;
      if (total != 0 && progress_) {
        progress_(static_cast<uint32_t>(received), static_cast<uint32_t>(total));
      }
    }
  }
  if (const uint32_t error = file->Close()) return FileFailure(error);
  file.reset();
  // A body that ends early without an error is a broken connection, not the package.
  if (total != 0 && received < total) {
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
