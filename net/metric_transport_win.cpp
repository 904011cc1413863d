// The production telemetry transport: one WinInet session per sender thread, one
// request per event.
#include <windows.h>
#include <wininet.h>

#include "build_config.h"
#include "net/metric_sender.h"
#include "win/wininet_api.h"
#include "win/wininet_handle.h"

namespace cumulo {

namespace {
// WinInet's own agent string for the session; every request carries its own
// User-Agent header, which is what the endpoint reads.
const wchar_t kSessionAgent[] = L"CumuloInstaller";
constexpr DWORD kRequestFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_SECURE | INTERNET_FLAG_TRANSFER_BINARY;
constexpr DWORD_PTR kContext = 1;

class WinInetMetricTransport : public MetricTransport {
 public:
  explicit WinInetMetricTransport(ScopedInternetSession session) : session_(std::move(session)) {}

  bool Send(const std::wstring& url, const std::wstring& headers) override {
    // The session exists, so WinInet is bound.
    ScopedInternetRequest answer(WinInet()->InternetOpenUrlW(
        session_.Get(), url.c_str(), headers.c_str(), static_cast<DWORD>(headers.size()),
        kRequestFlags, kContext));
    if (!answer) return false;
    DWORD status = 0;
    return QueryHttpStatus(answer.Get(), status) && status / 100 == 2;
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
    return std::make_unique<WinInetMetricTransport>(std::move(session));
  };
  return Create(installationId, std::move(factory), std::move(options));
}

}  // namespace cumulo
