#include "install/install_procedure_workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <system_error>

namespace cumulo {

TEST(InstallWorkers, WaitAllReturnsAfterTheWorkerAndTheWorkerKeepsItsState) {
  std::atomic<bool> finished{false};
  InstallWorkers workers;
  {
    auto shared = std::make_shared<InstallShared>();
    shared->installOutcome = InstallOutcome::Running;
    ASSERT_TRUE(workers.Start(shared, [&finished](InstallShared& state) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      state.installOutcome.exchange(InstallOutcome::Succeeded);  // the window's reference is gone by now
      finished = true;
    }));
  }
  workers.WaitAll();
  EXPECT_TRUE(finished);
}

TEST(InstallWorkers, ThreadThatCannotStartPublishesAnUnexpectedFailure) {
  InstallWorkers workers([](std::function<void()>) -> std::thread {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  });
  auto shared = std::make_shared<InstallShared>();
  shared->installOutcome = InstallOutcome::Running;
  bool ran = false;
  EXPECT_FALSE(workers.Start(shared, [&ran](InstallShared&) { ran = true; }));
  EXPECT_EQ(shared->installOutcome.load(), InstallOutcome::DownloadFailed);
  EXPECT_FALSE(ran);
  workers.WaitAll();
}

}  // namespace cumulo
