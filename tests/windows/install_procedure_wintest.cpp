// The whole install worker under wine: the real downloader against the distribution
// fixture (which serves the setup stand-in), the shell start of the package, the client
// start from the registry, the progress messages and the clean-up of temporary files.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/recording_transport.h"
#include "install/install_procedure.h"
#include "install_wintest_support.h"

using namespace installtest;

namespace {

struct Progress {
  int messages = 0;
  WPARAM lastDone = 0;
  LPARAM lastTotal = 0;
};

LRESULT CALLBACK ProgressWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kWmDownloadProgress) {
    auto* progress = reinterpret_cast<Progress*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    ++progress->messages;
    progress->lastDone = wParam;
    progress->lastTotal = lParam;
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

class InstallProcedureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteProductKey();
    EndAllClients();
    installDir_ = wintest::MakeTempFolder(L"procedure install");
    SetEnvironmentVariableW(L"CUMULO_SETUP_INSTALL_DIR", installDir_.c_str());
    SetEnvironmentVariableW(L"CUMULO_STANDIN_CLIENT", ClientStandIn().c_str());
    SetEnvironmentVariableW(L"CUMULO_CLIENT_MODE", L"normal");
    shared_ = std::make_shared<InstallShared>();
    sender_ = recorder_.MakeSender(L"WCwintest01");
    shared_->metricSender = sender_;
    shared_->handoff = {"user@example.com", "tok-123"};
    shared_->installOutcome = Running;
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"CUMULO_SETUP_DELAY_MS", nullptr);
    EndAllClients();
    DeleteProductKey();
  }

  // Runs one installation with a window of this thread receiving the progress messages.
  int32_t RunWithWindow(Progress& progress) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ProgressWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"InstallProcedureTestWindow";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                wc.hInstance, nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&progress));
    shared_->window = reinterpret_cast<uintptr_t>(window);
    EXPECT_TRUE(StartInstallProcedure(shared_));
    const ULONGLONG end = GetTickCount64() + 120000;
    while (shared_->installOutcome.load() == Running && GetTickCount64() < end) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(20);
    }
    // The window goes first, as the installer's does; the worker finishes on its own.
    shared_->window = 0;
    DestroyWindow(window);
    WaitForInstallWorkers();
    return shared_->installOutcome.load();
  }

  std::vector<std::wstring> Events() {
    shared_->metricSender.reset();
    return DrainEvents(sender_, recorder_);
  }

  // The /LOG path the package was given.
  std::wstring LogPathGiven() {
    const auto commands = records_.Lines(L"setup_commands.txt");
    if (commands.empty()) return {};
    const auto at = commands[0].find("/LOG=\"");
    const std::string path = commands[0].substr(at + 6, commands[0].find('"', at + 6) - at - 6);
    return std::wstring(path.begin(), path.end());
  }

  StandInRecords records_{L"procedure records"};
  std::wstring installDir_;
  MetricRecorder recorder_;
  std::shared_ptr<MetricSender> sender_;
  std::shared_ptr<InstallShared> shared_;
};

std::wstring PackagePathFor(const std::wstring& log) {
  return log.substr(0, log.size() - 4) + L".exe";
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

TEST_F(InstallProcedureTest, SuccessRoad) {
  Progress progress;
  EXPECT_EQ(RunWithWindow(progress), Succeeded);
  EXPECT_EQ(Events(), (std::vector<std::wstring>{L"found_valid_tok:1", L"setup_run:1"}));

  const std::wstring log = LogPathGiven();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.rfind(L"Cumulo-") + 7 + 36 + 4, log.size()) << log;  // GUID-named
  EXPECT_FALSE(Exists(log));
  EXPECT_FALSE(Exists(PackagePathFor(log)));
  EXPECT_TRUE(shared_->failedSetupLogPath.empty());

  // The whole package arrived with progress reports against its announced size.
  const std::string package = wintest::ReadFileBytes(SetupStandIn());
  EXPECT_GE(progress.messages, 1);
  EXPECT_EQ(progress.lastDone, package.size());
  EXPECT_EQ(static_cast<size_t>(progress.lastTotal), package.size());

  const auto line = records_.Lines(L"client_cmdline.txt");
  ASSERT_EQ(line.size(), 1u);
  const std::string tail = "\\Cumulo.exe -auth_email \"user@example.com\" -auth_token \"tok-123\"";
  EXPECT_EQ(line[0].substr(line[0].size() - tail.size()), tail);
}

TEST_F(InstallProcedureTest, FailedSetupKeepsItsLogForTheWindow) {
  SetEnvironmentVariableW(L"CUMULO_SETUP_EXIT_CODES", L"3,4");
  Progress progress;
  EXPECT_EQ(RunWithWindow(progress), SetupFailed);
  EXPECT_EQ(Events(), (std::vector<std::wstring>{L"error_exit_setup:3", L"error_exit_setup:4",
                                                 L"failed_on_second_try:1"}));
  const std::wstring log = shared_->failedSetupLogPath;
  EXPECT_EQ(log, LogPathGiven());
  EXPECT_NE(wintest::ReadFileBytes(log).find("exit code 4"), std::string::npos);
  EXPECT_FALSE(Exists(PackagePathFor(log)));
  EXPECT_TRUE(records_.Lines(L"client_starts.txt").empty());
  DeleteFileW(log.c_str());
}

TEST_F(InstallProcedureTest, WorkerFinishesAfterTheWindowIsGone) {
  SetEnvironmentVariableW(L"CUMULO_SETUP_DELAY_MS", L"1500");
  shared_->window = 0;
  EXPECT_TRUE(StartInstallProcedure(shared_));
  std::weak_ptr<InstallShared> watch = shared_;
  shared_.reset();  // the window's reference is gone
  WaitForInstallWorkers();
  EXPECT_TRUE(watch.expired());
  EXPECT_EQ(records_.Lines(L"client_starts.txt").size(), 1u);
  EXPECT_EQ(DrainEvents(sender_, recorder_),
            (std::vector<std::wstring>{L"found_valid_tok:1", L"setup_run:1"}));
}
