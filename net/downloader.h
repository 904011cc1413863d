#pragma once
// Fetches one file over HTTPS into a local file: attempts, redirects, progress, and
// the mapping of network and file failures onto result codes and telemetry.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "net/metric_sender.h"

namespace cumulo {

class DownloadPlatform;
struct ResumeState;

enum class DownloadCode : int32_t {
  NoStatus = 1,
  Retry = 2,
  DiskFull = 3,
  AccessDenied = 4,
  DiskError = 5,
  Redirect = 6,
  Completed = 7,
};

// How one attempt ended; the target is set only for Redirect.
struct AttemptResult {
  DownloadCode code = DownloadCode::Retry;
  std::wstring redirectTarget;
};

// Bytes written so far in this attempt, and the announced Content-Length.
using ProgressCallback = std::function<void(uint32_t received, uint32_t total)>;

class Downloader {
 public:
  // `progress` hears of each block written while the total is known and non-zero.
  Downloader(std::shared_ptr<MetricSender> metricSender, std::wstring userAgent,
             uint32_t maxAttempts, ProgressCallback progress = {});
  // Any platform; tests pass scripted requests and files.
  Downloader(std::shared_ptr<MetricSender> metricSender, std::wstring userAgent,
             uint32_t maxAttempts, std::shared_ptr<DownloadPlatform> platform,
             ProgressCallback progress = {});
  ~Downloader();

  // The whole download; blocks the calling thread.
  [[nodiscard]] DownloadCode Download(const std::wstring& url, const std::wstring& path);
  // One attempt, as the first of a download: it continues no earlier file.
  [[nodiscard]] AttemptResult TryDownload(const std::wstring& url, const std::wstring& path);
  // The file once more from byte 0 (a completed download whose content proved damaged),
  // with the attempts that the last Download left unused; Retry when none is left.
  [[nodiscard]] DownloadCode DownloadAgain(const std::wstring& url, const std::wstring& path);

 private:
  DownloadCode RunAttempts(const std::wstring& url, const std::wstring& path, uint32_t attempts);
  // One attempt of a download whose partial file `resume` describes; updates it.
  AttemptResult GuardedAttempt(const std::wstring& url, const std::wstring& path,
                               ResumeState& resume);
  AttemptResult Attempt(const std::wstring& url, const std::wstring& path, ResumeState& resume);
  AttemptResult NetworkFailure(uint32_t error);
  AttemptResult FileFailure(uint32_t error);

  std::shared_ptr<MetricSender> metricSender_;
  std::wstring userAgent_;
  uint32_t maxAttempts_;
  std::shared_ptr<DownloadPlatform> platform_;
  ProgressCallback progress_;  // may be empty
  uint32_t attemptsMade_ = 0;  // by the last Download, redirects not counted
};

}  // namespace cumulo
