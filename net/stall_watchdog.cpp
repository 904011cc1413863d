#include "net/stall_watchdog.h"

#include <system_error>

namespace cumulo {

StallWatchdog::StallWatchdog(std::chrono::milliseconds limit, std::function<void()> onStall)
    : limit_(limit), onStall_(std::move(onStall)), lastFed_(std::chrono::steady_clock::now()) {
  try {
    thread_ = std::thread(&StallWatchdog::Watch, this);
  } catch (const std::system_error&) {
  }
}

StallWatchdog::~StallWatchdog() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void StallWatchdog::Fed() {
  const auto now = std::chrono::steady_clock::now();
  std::lock_guard<std::mutex> lock(mutex_);
  lastFed_ = now;
}

bool StallWatchdog::Fired() {
  std::lock_guard<std::mutex> lock(mutex_);
  return fired_;
}

void StallWatchdog::Watch() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    const auto deadline = lastFed_ + limit_;
    if (changed_.wait_until(lock, deadline, [this] { return stopping_; })) return;
    // A feed since the wait began moves the deadline on.
    if (lastFed_ + limit_ <= std::chrono::steady_clock::now()) break;
  }
  fired_ = true;
  lock.unlock();
  // Outside the lock: the hook may block briefly (closing a network handle).
  onStall_();
}

}  // namespace cumulo
