#include "net/metric_sender.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include "base/journal.h"
#include "base/wide_text.h"
#include "net/percent_encoding.h"
#include "version.h"

namespace cumulo {

namespace {
std::wstring WithoutDots(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c != L'.') out.push_back(c);
  }
  return out;
}

struct MetricEvent {
  uint64_t serial;
  std::wstring name;
  int32_t value;
};

void LogDropped(uint32_t status, const MetricEvent& event) {
  std::wstring line = L"Metric sender, event refused with status ";
  line += UnsignedDecimalW(status);
  line += L", dropped: ";
  line += event.name;
  line += L':';
  line += DecimalW(event.value);
  LogWarning(line);
}
}  // namespace

MetricFate MetricFateOf(uint32_t status) {
  if (status / 100 == 2) return MetricFate::Delivered;
  // A proxy that wants credentials, a time-out and a rate limit pass; other client errors
  // (a URL too long for the endpoint, say) answer the same for ever and would hold back
  // every later event.
  if (status / 100 == 4 && status != 407 && status != 408 && status != 429) {
    return MetricFate::Refused;
  }
  return MetricFate::Retry;
}

std::wstring MetricUrlHead(const std::wstring& host, const std::wstring& tag) {
  std::wstring head = L"https://" + host + L"/update?p=strato";
  // Encoded, so that no tag can add a parameter, cut the query or make the URL invalid.
  if (!tag.empty()) head += L"&utm=" + PercentEncode(tag);
  return head;
}

std::wstring MetricUrl(const std::wstring& head, const std::wstring& versionDigits,
                       const std::wstring& installationId, const std::wstring& name,
                       int32_t value) {
  std::wstring url = head;
  url += L"&t=cumulo_windows_";
  url += versionDigits;
  url += L"&iid=";
  url += installationId;
  url += L"&v=0&i=new_installer_";
  url += name;
  url += L':';
  url += DecimalW(value);
  return url;
}

std::wstring MetricHeaderBlock(const std::wstring& version, const std::wstring& installationId) {
  return L"User-Agent: CumuloWindows " + version + L" beta " + installationId + L"\r\n";
}

struct MetricSender::State {
  const std::wstring version = kInstallerVersion;
  const std::wstring versionDigits = WithoutDots(kInstallerVersion);
  std::wstring installationId;
  MetricSenderOptions options;
  MetricTransportFactory factory;

  // The one lock: it guards every field below.
  std::mutex queueMutex;
  std::condition_variable wakeup;
  std::deque<MetricEvent> queue;
  uint64_t serial = 0;
  bool stopRequested = false;
  bool deliveryReleased = false;
  bool accepting = true;  // false once the thread or the session could not start
  std::wstring urlHead;   // the tag's part changes with SetUtm
  std::condition_variable doneCv;
  bool done = false;

  void MarkDone() {
    std::lock_guard<std::mutex> lock(queueMutex);
    done = true;
    doneCv.notify_all();
  }

  void DropEverything() {
    std::lock_guard<std::mutex> lock(queueMutex);
    accepting = false;
    queue.clear();
  }
};

std::shared_ptr<MetricSender> MetricSender::Create(const std::wstring& installationId,
                                                   MetricTransportFactory factory,
                                                   MetricSenderOptions options) {
  return std::make_shared<MetricSender>(installationId, std::move(factory), std::move(options));
}

MetricSender::MetricSender(const std::wstring& installationId, MetricTransportFactory factory,
                           MetricSenderOptions options)
    : state_(std::make_shared<State>()) {
  state_->installationId = installationId;
  state_->options = std::move(options);
  state_->factory = std::move(factory);
  state_->urlHead = MetricUrlHead(state_->options.host, L"");
  try {
    std::thread(&MetricSender::SenderThreadProc, state_).detach();
  } catch (const std::system_error&) {
    // Without a thread nothing could ever be delivered; events are dropped instead.
    state_->DropEverything();
    state_->MarkDone();
  }
}

MetricSender::~MetricSender() {
  {
    std::lock_guard<std::mutex> lock(state_->queueMutex);
    state_->stopRequested = true;
  }
  state_->wakeup.notify_one();
  std::unique_lock<std::mutex> lock(state_->queueMutex);
  const bool ended =
      state_->doneCv.wait_for(lock, state_->options.stopWait, [this] { return state_->done; });
  lock.unlock();
  if (!ended) state_->DropEverything();
}

void MetricSender::SendMetric(const std::wstring& name, int32_t value) {
  std::lock_guard<std::mutex> lock(state_->queueMutex);
  if (!state_->accepting) return;
  state_->queue.push_back({++state_->serial, name, value});
  state_->wakeup.notify_one();
}

void MetricSender::ReleaseDelivery() {
  {
    std::lock_guard<std::mutex> lock(state_->queueMutex);
    state_->deliveryReleased = true;
  }
  state_->wakeup.notify_one();
}

void MetricSender::SetUtm(const std::wstring& tag) {
  std::wstring head = MetricUrlHead(state_->options.host, tag);
  std::lock_guard<std::mutex> lock(state_->queueMutex);
  state_->urlHead = std::move(head);
}

std::wstring MetricSender::GetInstallationId() const { return state_->installationId; }

void MetricSender::SenderThreadProc(std::shared_ptr<State> state) {
  if (state->options.holdDelivery) {
    std::unique_lock<std::mutex> lock(state->queueMutex);
    state->wakeup.wait_for(lock, *state->options.holdDelivery,
                           [&] { return state->deliveryReleased || state->stopRequested; });
  }
  std::unique_ptr<MetricTransport> transport;
  try {
    if (state->factory) transport = state->factory();
  } catch (...) {
    transport.reset();
  }
  if (!transport) {
    state->DropEverything();
    state->MarkDone();
    return;
  }
  const std::wstring headers = MetricHeaderBlock(state->version, state->installationId);
  for (;;) {
    MetricEvent event;
    std::wstring urlHead;
    {
      std::unique_lock<std::mutex> lock(state->queueMutex);
      // The predicate is checked under the same mutex the notifiers take: no lost wake-up.
      state->wakeup.wait(lock, [&] { return !state->queue.empty() || state->stopRequested; });
      if (state->queue.empty()) break;
      event = state->queue.front();
      // Taken when the event is sent, so a tag set while it waited applies to it.
      urlHead = state->urlHead;
    }
    const std::wstring url =
        MetricUrl(urlHead, state->versionDigits, state->installationId, event.name, event.value);
    uint32_t status = 0;
    try {
      status = transport->SendForStatus(url, headers);
    } catch (...) {
      status = 0;
    }
    const MetricFate fate = MetricFateOf(status);
    if (fate == MetricFate::Refused) LogDropped(status, event);
    if (fate != MetricFate::Retry) {
      std::lock_guard<std::mutex> lock(state->queueMutex);
      // The destructor may have dropped the queue meanwhile.
      if (!state->queue.empty() && state->queue.front().serial == event.serial) {
        state->queue.pop_front();
      }
    } else {
      std::this_thread::sleep_for(state->options.retryPause);
    }
  }
  transport.reset();
  state->MarkDone();
}

}  // namespace cumulo
