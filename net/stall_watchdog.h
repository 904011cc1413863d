#pragma once
// Ends a transfer that has gone silent: a thread of its own calls `onStall` once when
// `Fed` has not been called for `limit`. The time-outs of the platform vary by system and
// may not cover a line that stays open without sending; this bound is the product's own.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace cumulo {

class StallWatchdog {
 public:
  // Starts watching at once. Without a thread (it could not be started) nothing is
  // watched, and the platform's time-outs are the only bound.
  StallWatchdog(std::chrono::milliseconds limit, std::function<void()> onStall);
  // Stops the thread; after it returns, `onStall` runs no more.
  ~StallWatchdog();
  StallWatchdog(const StallWatchdog&) = delete;
  StallWatchdog& operator=(const StallWatchdog&) = delete;

  // Something arrived: the silence starts again from now.
  void Fed();
  // True once `onStall` has been called.
  [[nodiscard]] bool Fired();

 private:
  void Watch();

  std::chrono::milliseconds limit_;
  std::function<void()> onStall_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::chrono::steady_clock::time_point lastFed_;
  bool stopping_ = false;
  bool fired_ = false;
  std::thread thread_;
};

}  // namespace cumulo
