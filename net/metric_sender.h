#pragma once
// The telemetry channel: events queued from any thread, delivered in order, one at a
// time, from a thread of the sender's own, each retried until answered with a 2xx.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace cumulo {

// One open session to the statistics endpoint, used only on the sender thread.
class MetricTransport {
 public:
  virtual ~MetricTransport() = default;
  // Sends one GET with the extra header block; true when answered with 200-299.
  virtual bool Send(const std::wstring& url, const std::wstring& headers) = 0;
  // The same request; the answer's HTTP status, 0 when none could be read. A transport
  // that knows only delivered or not says 200 or 0.
  virtual uint32_t SendForStatus(const std::wstring& url, const std::wstring& headers) {
    return Send(url, headers) ? 200 : 0;
  }
};

enum class MetricFate {
  Delivered,  // 2xx: the event leaves the queue
  Refused,    // refused for good (a 4xx other than 407, 408 and 429): dropped, once logged
  Retry,      // anything else: tried again after the pause
};
[[nodiscard]] MetricFate MetricFateOf(uint32_t status);

// Called on the sender thread to open the session; null when it cannot be opened.
using MetricTransportFactory = std::function<std::unique_ptr<MetricTransport>()>;

struct MetricSenderOptions {
  std::wstring host;                          // statistics endpoint, host[:port]
  std::chrono::milliseconds retryPause{500};  // between tries of a refused event
  std::chrono::milliseconds stopWait{5000};   // the destructor's bound
  // When set, the thread opens its session only once ReleaseDelivery is called, the
  // sender stops, or this long has passed: the window's start-up then has the machine
  // to itself. Events queue meanwhile, in order.
  std::optional<std::chrono::milliseconds> holdDelivery;
};

// What every request URL starts with: the endpoint's prefix and, for a non-empty tag,
// "&utm=" + the percent-encoded tag.
std::wstring MetricUrlHead(const std::wstring& host, const std::wstring& tag);
// One event's request URL: the head, then the event's parameters with the version digits,
// the identifier and the name as they are and the value in decimal.
std::wstring MetricUrl(const std::wstring& head, const std::wstring& versionDigits,
                       const std::wstring& installationId, const std::wstring& name, int32_t value);
// "User-Agent: CumuloWindows <version> beta <id>\r\n"
std::wstring MetricHeaderBlock(const std::wstring& version, const std::wstring& installationId);

class MetricSender {
 public:
  // The production sender: WinInet transport to the build's statistics host (Windows only).
  static std::shared_ptr<MetricSender> Create(const std::wstring& installationId);
  // Any transport; tests use a recording one.
  static std::shared_ptr<MetricSender> Create(const std::wstring& installationId,
                                              MetricTransportFactory factory,
                                              MetricSenderOptions options);

  MetricSender(const std::wstring& installationId, MetricTransportFactory factory,
               MetricSenderOptions options);
  // Lets the thread finish the queue for at most stopWait; what is left is dropped.
  ~MetricSender();
  MetricSender(const MetricSender&) = delete;
  MetricSender& operator=(const MetricSender&) = delete;

  void SendMetric(const std::wstring& name, int32_t value);
  void SetUtm(const std::wstring& tag);
  // Ends the hold of holdDelivery (any thread, any number of times).
  void ReleaseDelivery();
  std::wstring GetInstallationId() const;

 private:
  struct State;
  static void SenderThreadProc(std::shared_ptr<State> state);

  // Shared with the sender thread, so it stays valid if the thread outlives the wait.
  std::shared_ptr<State> state_;
};

}  // namespace cumulo
