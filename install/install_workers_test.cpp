#include "install/install_workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <system_error>
#include <vector>

namespace cumulo {

namespace {

struct RecordingProgress : InstallProgress {
  std::vector<InstallOutcome> results;
  void DownloadProgress(uint32_t, uint32_t) override {}
  bool Finished(InstallResult result) override {
    results.push_back(result.outcome);
    return true;
  }
};

}  // namespace

TEST(InstallWorkers, WaitAllReturnsAfterTheWorkerAndTheWorkerKeepsItsJob) {
  std::atomic<bool> finished{false};
  InstallWorkers workers;
  auto progress = std::make_shared<RecordingProgress>();
  {
    InstallJob job;
    job.handoff = {"u@x", "tok"};
    job.progress = progress;
    ASSERT_TRUE(workers.Start(job, [&finished](const InstallJob& own) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      // The caller's job is gone by now; the worker's copy is whole.
      EXPECT_EQ(own.handoff.email, "u@x");
      InstallResult result;
      result.outcome = InstallOutcome::Succeeded;
      own.progress->Finished(result);
      finished = true;
    }));
  }
  workers.WaitAll();
  EXPECT_TRUE(finished);
  EXPECT_EQ(progress->results, std::vector<InstallOutcome>{InstallOutcome::Succeeded});
}

TEST(InstallWorkers, ThreadThatCannotStartReportsAnUnexpectedFailure) {
  InstallWorkers workers([](std::function<void()>) -> std::thread {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  });
  auto progress = std::make_shared<RecordingProgress>();
  InstallJob job;
  job.progress = progress;
  bool ran = false;
  EXPECT_FALSE(workers.Start(job, [&ran](const InstallJob&) { ran = true; }));
  EXPECT_EQ(progress->results, std::vector<InstallOutcome>{InstallOutcome::DownloadFailed});
  EXPECT_FALSE(ran);
  workers.WaitAll();
}

}  // namespace cumulo
