#include "net/download_attempts.h"

namespace cumulo {

DownloadCode RunDownloadAttempts(const std::wstring& url, uint32_t maxAttempts,
                                 const DownloadAttempt& attempt) {
  std::wstring current = url;
  uint32_t attempts = 0;
  uint32_t redirects = 0;
  bool keepGoing = true;
  // With no attempt at all the download has not completed; Retry says so.
  DownloadCode code = DownloadCode::Retry;
  while (attempts < maxAttempts) {
    AttemptResult result = attempt(current);
    code = result.code;
    switch (code) {
      case DownloadCode::Completed:
        return code;
      case DownloadCode::Retry:
      case DownloadCode::NoStatus:
        keepGoing = true;
        break;
      case DownloadCode::DiskFull:
      case DownloadCode::AccessDenied:
      case DownloadCode::DiskError:
        keepGoing = false;
        break;
      case DownloadCode::Redirect:
        if (++redirects > kMaxRedirects) return DownloadCode::Retry;
        current = std::move(result.redirectTarget);
        attempts = 0;
        keepGoing = true;
        break;
      default:
        // Not a code an attempt gives; treat it as a transient failure.
        code = DownloadCode::Retry;
        keepGoing = true;
        break;
    }
    ++attempts;
    if (!keepGoing) break;
  }
  // A redirect as the last result (only possible with maxAttempts 1) did not complete.
  return code == DownloadCode::Redirect ? DownloadCode::Retry : code;
}

}  // namespace cumulo
