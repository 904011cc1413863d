#pragma once
// The attempt loop of one download: how many attempts a URL gets, how redirects move
// on, and which results end the download at once.
#include <cstdint>
#include <functional>
#include <string>

#include "net/downloader.h"

namespace cumulo {

using DownloadAttempt = std::function<AttemptResult(const std::wstring& url)>;

// Redirects followed per download; a server that keeps redirecting gets Retry.
constexpr uint32_t kMaxRedirects = 10;

[[nodiscard]] DownloadCode RunDownloadAttempts(const std::wstring& url, uint32_t maxAttempts,
                                               const DownloadAttempt& attempt);

}  // namespace cumulo
