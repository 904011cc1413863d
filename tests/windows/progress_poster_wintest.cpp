// The window's progress poster: reports from another thread arrive as the window's own
// messages, and none arrive once the window has detached it; a finished report meets the
// window or comes back to the job as "no window".
#include <windows.h>
#include <gtest/gtest.h>

#include <thread>
#include <utility>
#include <vector>

#include "ui/progress_poster_win.h"
#include "ui/window_messages.h"

namespace cumulo {

namespace {

std::vector<std::pair<WPARAM, LPARAM>> DrainProgress(HWND window) {
  std::vector<std::pair<WPARAM, LPARAM>> got;
  MSG msg;
  while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) {
    if (msg.message == kWmDownloadProgress) got.emplace_back(msg.wParam, msg.lParam);
  }
  return got;
}

TEST(ProgressPoster, PostsFromTheWorkerAndStopsWhenDetached) {
  HWND window = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  ProgressPoster poster;
  poster.DownloadProgress(1, 2);  // not attached yet
  poster.Attach(window);
  std::thread([&] {
    poster.DownloadProgress(16384, 40000);
    poster.DownloadProgress(0xFFFFFFFFu, 0xFFFFFFFFu);
  }).join();
  EXPECT_EQ(DrainProgress(window),
            (std::vector<std::pair<WPARAM, LPARAM>>{{16384, 40000}, {0xFFFFFFFFu, 0xFFFFFFFFu}}));
  poster.Detach();
  std::thread([&] { poster.DownloadProgress(3, 4); }).join();
  EXPECT_TRUE(DrainProgress(window).empty());
  DestroyWindow(window);
}

TEST(ProgressPoster, AFinishedReportIsTakenOnceOrSettledByWhoeverComesSecond) {
  HWND window = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  InstallResult failed;
  failed.outcome = InstallOutcome::SetupFailed;
  failed.failedSetupLogPath = L"C:\\t\\Cumulo-x.log";

  // Attached: posted after the progress, taken once.
  ProgressPoster poster;
  EXPECT_FALSE(poster.Finished(failed));  // no window yet
  poster.Attach(window);
  bool delivered = false;
  std::thread([&] {
    poster.DownloadProgress(1, 2);
    delivered = poster.Finished(failed);
  }).join();
  EXPECT_TRUE(delivered);
  std::vector<UINT> order;
  MSG msg;
  while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) order.push_back(msg.message);
  EXPECT_EQ(order, (std::vector<UINT>{kWmDownloadProgress, kWmInstallFinished}));
  const auto taken = poster.TakeFinished();
  ASSERT_TRUE(taken.has_value());
  EXPECT_EQ(taken->failedSetupLogPath, failed.failedSetupLogPath);
  EXPECT_FALSE(poster.TakeFinished().has_value());
  EXPECT_FALSE(poster.Detach().has_value());

  // Posted but never taken: the detaching window gets it back.
  ProgressPoster late;
  late.Attach(window);
  EXPECT_TRUE(late.Finished(failed));
  const auto untaken = late.Detach();
  ASSERT_TRUE(untaken.has_value());
  EXPECT_EQ(untaken->outcome, InstallOutcome::SetupFailed);

  // Detached first: the job hears "no window" and keeps the log to delete.
  ProgressPoster gone;
  gone.Attach(window);
  EXPECT_FALSE(gone.Detach().has_value());
  EXPECT_FALSE(gone.Finished(failed));
  while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) {
  }
  DestroyWindow(window);
}

}  // namespace

}  // namespace cumulo
