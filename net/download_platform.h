#pragma once
// What one download attempt needs from the platform: an HTTPS request and a destination
// file. Errors are Windows error numbers (WinInet's or the system's), 0 meaning success.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace cumulo {

// The session, connection and request of one attempt; closing it closes all three.
class DownloadRequest {
 public:
  virtual ~DownloadRequest() = default;
  // Connects, opens the GET, adds the user-agent header and sends the request with
  // `headers` (each line ending in CR LF; empty for none).
  [[nodiscard]] virtual uint32_t Send(const std::wstring& headers) = 0;
  [[nodiscard]] virtual bool QueryStatus(uint32_t& status) = 0;
  // Status line first, lines separated by CR LF.
  [[nodiscard]] virtual bool QueryRawHeaders(std::wstring& block) = 0;
  // Up to `capacity` bytes into `buffer`; `got` = 0 at the end of the body.
  [[nodiscard]] virtual uint32_t Read(uint8_t* buffer, uint32_t capacity, uint32_t& got) = 0;
  // Called from another thread while a Read may be blocked: that Read and every later
  // call fail. At most once per request, and never after the request is destroyed.
  virtual void Abort() {}
};

// The destination, created anew, written and closed.
class DownloadFile {
 public:
  virtual ~DownloadFile() = default;
  [[nodiscard]] virtual uint32_t Write(const uint8_t* data, uint32_t size) = 0;
  [[nodiscard]] virtual uint32_t Close() = 0;
};

class DownloadPlatform {
 public:
  virtual ~DownloadPlatform() = default;
  // Opens the session (with the agent string and the connect options) and splits the
  // URL; null when either fails.
  virtual std::unique_ptr<DownloadRequest> OpenRequest(const std::wstring& url,
                                                       const std::wstring& userAgent) = 0;
  // Creates or truncates `path` for writing, not shared; null and `error` set on failure.
  virtual std::unique_ptr<DownloadFile> CreateDestination(const std::wstring& path,
                                                          uint32_t& error) = 0;
  // Opens the existing `path` for writing at `offset`, dropping anything after it, not
  // shared; null and `error` set when it cannot, or when the file is shorter than that.
  virtual std::unique_ptr<DownloadFile> AppendDestination(const std::wstring& path, uint64_t offset,
                                                          uint32_t& error) = 0;
  // Free bytes that this user may still write on the volume that holds `path`'s folder;
  // false when it cannot be told.
  [[nodiscard]] virtual bool FreeSpace(const std::wstring& path, uint64_t& bytes) = 0;
  // How long a body may stay silent before its attempt is ended; the build's setting.
  [[nodiscard]] virtual std::chrono::milliseconds StallLimit();
};

// WinInet and the file system on Windows; a stand-in that opens nothing elsewhere.
std::shared_ptr<DownloadPlatform> SystemDownloadPlatform();

// Windows error numbers the downloader distinguishes.
namespace download_errors {
constexpr uint32_t kAccessDenied = 5;         // ERROR_ACCESS_DENIED
constexpr uint32_t kHandleDiskFull = 39;      // ERROR_HANDLE_DISK_FULL
constexpr uint32_t kDiskFull = 112;           // ERROR_DISK_FULL
constexpr uint32_t kTimeout = 12002;          // ERROR_INTERNET_TIMEOUT
constexpr uint32_t kConnectionReset = 12031;  // ERROR_INTERNET_CONNECTION_RESET
}  // namespace download_errors

}  // namespace cumulo
