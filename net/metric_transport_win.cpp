// The production telemetry transport: one WinInet session per sender thread, one
// request per event.
#include <windows.h>
#include <wininet.h>

#include "build_config.h"
#include "net/metric_sender.h"
#include "net/proxy_login_win.h"
#include "win/wininet_api.h"
#include "win/wininet_handle.h"

namespace cumulo {

namespace {
// WinInet's own agent string for the session; every request carries its own
// User-Agent header, which is what the endpoint reads.
const wchar_t kSessionAgent[] = L"CumuloInstaller";
// Reload, TLS, binary, and no cache entry left behind for any event.
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_SECURE |
                                INTERNET_FLAG_TRANSFER_BINARY | INTERNET_FLAG_NO_CACHE_WRITE;
constexpr DWORD_PTR kContext = 1;

class WinInetMetricTransport : public MetricTransport {
 public:
  explicit WinInetMetricTransport(ScopedInternetSession session) : session_(std::move(session)) {}

  bool Send(const std::wstring& url, const std::wstring& headers) override {
    return SendForStatus(url, headers) / 100 == 2;
  }

  uint32_t SendForStatus(const std::wstring& url, const std::wstring& headers) override {
    // The session exists, so WinInet is bound.
    ScopedInternetRequest answer(
        WinInet()->InternetOpenUrlW(session_.Get(), url.c_str(), headers.c_str(),
                                    static_cast<DWORD>(headers.size()), kRequestFlags, kContext));
    if (!answer) return 0;
    DWORD status = 0;
    if (!QueryHttpStatus(answer.Get(), status)) return 0;
    // Never a prompt here: without a login the event waits (407 is retried) until the
    // download's prompt has stored one.
    if (status == HTTP_STATUS_PROXY_AUTH_REQ &&
        PassProxyChallenge(answer.Get(), std::wstring(), false, nullptr) == 0 &&
        !QueryHttpStatus(answer.Get(), status)) {
      return 0;
    }
    return status;
  }

 private:
  ScopedInternetSession session_;
};
}  // namespace

std::shared_ptr<MetricSender> MetricSender::Create(const std::wstring& installationId) {
  MetricSenderOptions options;
  options.host = build_config::kStatisticsHost;
  // Opening the session loads WinInet and the TLS stack; the window asks for the release
  // once it has been painted.
  options.holdDelivery = std::chrono::milliseconds(1000);
  MetricTransportFactory factory = []() -> std::unique_ptr<MetricTransport> {
    ScopedInternetSession session;
    if (OpenInternetSession(kSessionAgent, session) != 0) return nullptr;
    // A silent endpoint must not hold the queue for as long as the system's default.
    DWORD timeout = build_config::kDownloadStallSeconds * 1000u;
    for (DWORD option : {INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT}) {
      WinInet()->InternetSetOptionW(session.Get(), option, &timeout, sizeof timeout);
    }
    return std::make_unique<WinInetMetricTransport>(std::move(session));
  };
  return Create(installationId, std::move(factory), std::move(options));
}

}  // namespace cumulo
