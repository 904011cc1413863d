#include "net/stall_watchdog.h"

#include <system_error>

namespace cumulo {

StallWatchdog::StallWatchdog(std::chrono::milliseconds limit, StallHook onStall, void* context)
    : limit_(limit), onStall_(onStall), context_(context) {
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

void StallWatchdog::Fed() { feeds_.fetch_add(1, std::memory_order_relaxed); }

bool StallWatchdog::Fired() {
  std::lock_guard<std::mutex> lock(mutex_);
  return fired_;
}

void StallWatchdog::Watch() {
  std::unique_lock<std::mutex> lock(mutex_);
  // Looked at four times per limit: a feed costs one atomic increment, and the silence
  // found is between the limit and a quarter more.
  const auto quarter = limit_ / 4 + std::chrono::milliseconds(1);
  uint32_t seen = feeds_.load(std::memory_order_relaxed);
  for (int quiet = 0; quiet < 4;) {
    if (changed_.wait_for(lock, quarter, [this] { return stopping_; })) return;
    const uint32_t now = feeds_.load(std::memory_order_relaxed);
    quiet = now == seen ? quiet + 1 : 0;
    seen = now;
  }
  fired_ = true;
  lock.unlock();
  // Outside the lock: the hook may block briefly (closing a network handle).
  onStall_(context_);
}

}  // namespace cumulo
