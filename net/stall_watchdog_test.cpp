#include "net/stall_watchdog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace cumulo {

namespace {
struct Flag {
  std::mutex mutex;
  std::condition_variable changed;
  int calls = 0;
  void Raise() {
    std::lock_guard<std::mutex> lock(mutex);
    ++calls;
    changed.notify_all();
  }
  bool WaitRaised() {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(20), [this] { return calls > 0; });
  }
};
}  // namespace

TEST(StallWatchdog, FiresOnceWhenNothingArrives) {
  Flag flag;
  {
    StallWatchdog watchdog(
        std::chrono::milliseconds(20), [](void* f) { static_cast<Flag*>(f)->Raise(); }, &flag);
    ASSERT_TRUE(flag.WaitRaised());
    EXPECT_TRUE(watchdog.Fired());
  }
  EXPECT_EQ(flag.calls, 1);
}

TEST(StallWatchdog, FeedsKeepItQuietAndAStopEndsItWithoutFiring) {
  std::atomic<int> calls{0};
  {
    // Fed far more often than its limit for a while: it never fires.
    StallWatchdog watchdog(
        std::chrono::seconds(30), [](void* c) { ++*static_cast<std::atomic<int>*>(c); }, &calls);
    for (int i = 0; i < 1000; ++i) watchdog.Fed();
    EXPECT_FALSE(watchdog.Fired());
  }  // the destructor returns long before the limit: the stop wakes the thread
  EXPECT_EQ(calls.load(), 0);
}

}  // namespace cumulo
