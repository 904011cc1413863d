#pragma once
// A MetricTransport for tests: records every request and answers as scripted.
// Shared by the native and the Windows tiers.
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "net/metric_sender.h"

namespace cumulo {

struct RecordedMetric {
  std::wstring url;
  std::wstring headers;
  bool delivered;
};

class MetricRecorder {
 public:
  // Answers for the next requests, oldest first; when none is left, requests are delivered.
  void ScriptAnswers(std::deque<bool> answers) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_ = std::move(answers);
  }

  std::vector<RecordedMetric> Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

  // The "name:value" part of every delivered request, in order.
  std::vector<std::wstring> DeliveredEvents() const {
    std::vector<std::wstring> out;
    for (const auto& r : Requests()) {
      if (!r.delivered) continue;
      const auto at = r.url.find(L"&i=new_installer_");
      out.push_back(at == std::wstring::npos ? r.url : r.url.substr(at + 17));
    }
    return out;
  }

  MetricTransportFactory Factory() {
    return [this] { return std::unique_ptr<MetricTransport>(new Transport(this)); };
  }

  // A sender that delivers into this recorder at once.
  std::shared_ptr<MetricSender> MakeSender(const std::wstring& id = L"WCtest0001") {
    MetricSenderOptions options;
    options.host = L"stat.test";
    options.retryPause = std::chrono::milliseconds(5);
    return MetricSender::Create(id, Factory(), options);
  }

 private:
  class Transport : public MetricTransport {
   public:
    explicit Transport(MetricRecorder* owner) : owner_(owner) {}
    bool Send(const std::wstring& url, const std::wstring& headers) override {
      std::lock_guard<std::mutex> lock(owner_->mutex_);
      bool ok = true;
      if (!owner_->answers_.empty()) {
        ok = owner_->answers_.front();
        owner_->answers_.pop_front();
      }
      owner_->requests_.push_back({url, headers, ok});
      return ok;
    }

   private:
    MetricRecorder* owner_;
  };

  mutable std::mutex mutex_;
  std::deque<bool> answers_;
  std::vector<RecordedMetric> requests_;
};

// Destroys the sender (which drains its queue) and returns the delivered events.
inline std::vector<std::wstring> DrainEvents(std::shared_ptr<MetricSender>& sender,
                                             const MetricRecorder& recorder) {
  sender.reset();
  return recorder.DeliveredEvents();
}

}  // namespace cumulo
