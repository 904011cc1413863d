// The window's progress poster: reports from another thread arrive as the window's own
// messages, and none arrive once the window has detached it.
#include <gtest/gtest.h>
#include <windows.h>

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

}  // namespace

}  // namespace cumulo
