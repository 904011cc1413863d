#pragma once
// Ends a transfer that has gone silent: a thread of its own calls `onStall` (with `context`)
// once when `Fed` has not been called for `limit` (found within a quarter of it). The time-outs of
// the platform vary by system and may not cover a line that stays open without sending; this bound
// is the product's own.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace cumulo {

class StallWatchdog {
 public:
  // Starts watching at once. Without a thread (it could not be started) nothing is
  // watched, and the platform's time-outs are the only bound.
  using StallHook = void (*)(void* context);
  StallWatchdog(std::chrono::milliseconds limit, StallHook onStall, void* context);
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
  StallHook onStall_;
  void* context_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::atomic<uint32_t> feeds_{0};
  bool stopping_ = false;
  bool fired_ = false;
  std::thread thread_;
};

}  // namespace cumulo
