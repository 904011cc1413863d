// The downloader's platform on Windows: a WinInet session, connection and request per
// attempt, and the destination written with the file API.
#include <windows.h>
#include <wininet.h>

#include <mutex>

#include "build_config.h"
#include "net/download_platform.h"
#include "net/downloader.h"
#include "net/proxy_login_win.h"
#include "win/unique_handle.h"
#include "win/wininet_api.h"
#include "win/wininet_handle.h"

namespace cumulo {

namespace {
// Reload from the server, TLS whatever the URL's scheme, binary transfer, and no copy in
// the web cache (the package would stay there, as large as itself, after the install).
// WinInet would follow redirects inside the send; the downloader follows them itself, one
// attempt per hop, so that each hop is logged, counted and bounded.
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_SECURE |
                                INTERNET_FLAG_TRANSFER_BINARY | INTERNET_FLAG_NO_AUTO_REDIRECT |
                                INTERNET_FLAG_NO_CACHE_WRITE;
constexpr DWORD_PTR kContext = 1;

// The system's defaults range from seconds to an hour, so a silent line gets WinInet
// time-outs too; a little beyond the watchdog's bound, so that during the body the
// watchdog ends the attempt and the time-outs bound the send and the wait for headers.
DWORD TimeoutMilliseconds() { return (build_config::kDownloadStallSeconds + 10u) * 1000u; }

// Made only over an open session, so WinInet is bound (WinInet() is not null).
class WinInetRequest : public DownloadRequest {
 public:
  WinInetRequest(ScopedInternetSession session, CrackedUrl target, std::wstring userAgent,
                 bool* proxyPrompted)
      : api_(*WinInet()),
        session_(std::move(session)),
        target_(std::move(target)),
        userAgent_(std::move(userAgent)),
        proxyPrompted_(proxyPrompted) {}

  uint32_t Send(const std::wstring& headers) override {
    connection_.Reset(api_.InternetConnectW(session_.Get(), target_.server.c_str(), target_.port,
                                            nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, kContext));
    if (!connection_) return GetLastError();
    request_.Reset(api_.HttpOpenRequestW(connection_.Get(), L"GET", target_.object.c_str(),
                                         L"HTTP/1.0", nullptr, nullptr, kRequestFlags, kContext));
    if (!request_) return GetLastError();
    DWORD timeout = TimeoutMilliseconds();
    api_.InternetSetOptionW(request_.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout,
                            sizeof timeout);
    api_.InternetSetOptionW(request_.Get(), INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof timeout);
    const std::wstring header = L"User-Agent: " + userAgent_;
    // Its result does not matter: the session's agent string is the same text.
    api_.HttpAddRequestHeadersW(request_.Get(), header.c_str(), static_cast<DWORD>(header.size()),
                                HTTP_ADDREQ_FLAG_ADD_IF_NEW);
    const bool loginOffered = OfferStoredProxyLogin(request_.Get());
    const wchar_t* extra = headers.empty() ? nullptr : headers.c_str();
    if (!api_.HttpSendRequestW(request_.Get(), extra, static_cast<DWORD>(headers.size()), nullptr,
                               0)) {
      return GetLastError();
    }
    DWORD status = 0;
    if (QueryHttpStatus(request_.Get(), status) && status == HTTP_STATUS_PROXY_AUTH_REQ) {
      return PassProxyChallenge(request_.Get(), headers, loginOffered, proxyPrompted_);
    }
    return 0;
  }

  bool QueryStatus(uint32_t& status) override {
    DWORD value = 0;
    if (!QueryHttpStatus(request_.Get(), value)) return false;
    status = value;
    return true;
  }

  bool QueryRawHeaders(std::wstring& block) override {
    return QueryHttpRawHeaders(request_.Get(), block);
  }

  uint32_t Read(uint8_t* buffer, uint32_t capacity, uint32_t& got) override {
    HINTERNET request = nullptr;
    {
      std::lock_guard<std::mutex> lock(abortMutex_);
      if (aborted_) return download_errors::kTimeout;
      request = request_.Get();
    }
    DWORD read = 0;
    if (!api_.InternetReadFile(request, buffer, capacity, &read)) return GetLastError();
    got = read;
    return 0;
  }

  void Abort() override {
    HINTERNET request = nullptr;
    {
      std::lock_guard<std::mutex> lock(abortMutex_);
      aborted_ = true;
      request = request_.Release();
    }
    // Closing the handle from another thread is how WinInet cancels a blocked read; a
    // read that starts after it finds the handle invalid and fails.
    if (request != nullptr) api_.InternetCloseHandle(request);
  }

 private:
  const WinInetApi& api_;
  // Declared in opening order, so that they close request first, session last.
  ScopedInternetSession session_;
  CrackedUrl target_;
  std::wstring userAgent_;
  bool* proxyPrompted_;  // the platform's: one proxy prompt per download
  ScopedInternetConnection connection_;
  std::mutex abortMutex_;  // guards request_ and aborted_ while the body is read
  bool aborted_ = false;
  ScopedInternetRequest request_;
};

class WinFile : public DownloadFile {
 public:
  explicit WinFile(ScopedFile file) : file_(std::move(file)) {}

  uint32_t Write(const uint8_t* data, uint32_t size) override {
    while (size > 0) {
      DWORD written = 0;
      if (!WriteFile(file_.Get(), data, size, &written, nullptr)) return GetLastError();
      if (written == 0) return ERROR_WRITE_FAULT;
      data += written;
      size -= written;
    }
    return 0;
  }

  uint32_t Close() override {
    if (!CloseHandle(file_.Release())) return GetLastError();
    return 0;
  }

 private:
  ScopedFile file_;
};

class WinDownloadPlatform : public DownloadPlatform {
 public:
  std::unique_ptr<DownloadRequest> OpenRequest(const std::wstring& url,
                                               const std::wstring& userAgent) override {
    ScopedInternetSession session;
    if (OpenInternetSession(userAgent, session) != 0) return nullptr;
    const DWORD options[][2] = {{INTERNET_OPTION_CONNECT_TIMEOUT, 30000},
                                {INTERNET_OPTION_CONNECT_BACKOFF, 5000},
                                {INTERNET_OPTION_CONNECT_RETRIES, 5}};
    const WinInetApi& api = *WinInet();  // bound: the session is open
    for (const auto& option : options) {
      DWORD value = option[1];
      api.InternetSetOptionW(session.Get(), option[0], &value, sizeof value);
    }
    CrackedUrl target;
    if (!CrackUrl(url, target)) return nullptr;
    return std::make_unique<WinInetRequest>(std::move(session), std::move(target), userAgent,
                                            &proxyPrompted_);
  }

  std::unique_ptr<DownloadFile> CreateDestination(const std::wstring& path,
                                                  uint32_t& error) override {
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      error = GetLastError();
      return nullptr;
    }
    return std::make_unique<WinFile>(std::move(file));
  }

  std::unique_ptr<DownloadFile> AppendDestination(const std::wstring& path, uint64_t offset,
                                                  uint32_t& error) override {
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      error = GetLastError();
      return nullptr;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.Get(), &size)) {
      error = GetLastError();
      return nullptr;
    }
    if (static_cast<uint64_t>(size.QuadPart) < offset) {
      error = ERROR_HANDLE_EOF;
      return nullptr;
    }
    LARGE_INTEGER at = {};
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) || !SetEndOfFile(file.Get())) {
      error = GetLastError();
      return nullptr;
    }
    return std::make_unique<WinFile>(std::move(file));
  }

  bool FreeSpace(const std::wstring& path, uint64_t& bytes) override {
    // The folder, with its separator: any folder of a volume names that volume.
    const size_t separator = path.find_last_of(L"\\/");
    const std::wstring folder =
        separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
    ULARGE_INTEGER available = {};
    if (!GetDiskFreeSpaceExW(folder.empty() ? nullptr : folder.c_str(), &available, nullptr,
                             nullptr)) {
      return false;
    }
    bytes = available.QuadPart;
    return true;
  }

 private:
  // The proxy's login is asked for once per download; the answer serves the whole process.
  bool proxyPrompted_ = false;
};
}  // namespace

std::shared_ptr<DownloadPlatform> SystemDownloadPlatform() {
  return std::make_shared<WinDownloadPlatform>();
}

// Defined beside the platform, so the portable library needs nothing of the Win32 one.
Downloader::Downloader(std::shared_ptr<MetricSender> metricSender, std::wstring userAgent,
                       uint32_t maxAttempts, ProgressCallback progress)
    : Downloader(std::move(metricSender), std::move(userAgent), maxAttempts,
                 SystemDownloadPlatform(), std::move(progress)) {}

}  // namespace cumulo
