// The setup runner starting the stand-in package through the shell, as the worker does.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "common/recording_transport.h"
#include "install/setup_runner.h"
#include "install_wintest_support.h"

namespace cumulo {

using namespace installtest;

namespace {

const std::string kSilent = "/VERYSILENT /SUPPRESSMSGBOXES /NORESTART /NOCLOSEAPPLICATIONS";

class SetupRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteProductKey();
    EndAllClients();
    // A folder with a space, as user names often give the temporary folder.
    folder_ = wintest::MakeTempFolder(L"setup run");
    installDir_ = folder_ + L"Install Dir";
    SetEnvironmentVariableW(L"CUMULO_SETUP_INSTALL_DIR", installDir_.c_str());
    SetEnvironmentVariableW(L"CUMULO_STANDIN_CLIENT", ClientStandIn().c_str());
    params_.workingDirectory = folder_;
    params_.setupFile = folder_ + L"Cumulo-0000.exe";
    params_.logFile = folder_ + L"Cumulo-0000.log";
    ASSERT_TRUE(CopyFileW(SetupStandIn().c_str(), params_.setupFile.c_str(), FALSE));
  }
  void TearDown() override { DeleteProductKey(); }

  // True when the runner's attempts succeeded.
  bool Run(const wchar_t* exitCodes, std::vector<std::wstring>& events) {
    SetEnvironmentVariableW(L"CUMULO_SETUP_EXIT_CODES", exitCodes);
    MetricRecorder recorder;
    auto sender = recorder.MakeSender();
    bool result = false;
    {
      SetupRunner runner(sender, RunSetupProcess, [](const std::wstring&, LogLevel) {});
      result = runner.RunWithRetry(params_) == SetupResult::Succeeded;
    }
    events = DrainEvents(sender, recorder);
    return result;
  }

  StandInRecords records_{L"setup records"};
  std::wstring folder_, installDir_;
  SetupParams params_;
};

}  // namespace

TEST_F(SetupRunnerTest, SilentFirstAttemptSucceeds) {
  std::vector<std::wstring> events;
  EXPECT_TRUE(Run(L"0", events));
  EXPECT_TRUE(events.empty());
  const auto commands = records_.Lines(L"setup_commands.txt");
  ASSERT_EQ(commands.size(), 1u);
  const std::string tail = kSilent + " /LOG=\"" + Utf8Of(params_.logFile) + "\"";
  EXPECT_EQ(commands[0].substr(commands[0].size() - tail.size()), tail) << commands[0];
  EXPECT_EQ(records_.Lines(L"setup_show.txt"), std::vector<std::string>{"0"});
  std::wstring cwd = folder_;
  cwd.pop_back();
  EXPECT_EQ(records_.Lines(L"setup_cwd.txt"), std::vector<std::string>{Utf8Of(cwd)});
  // The package saw one /LOG path with its space, wrote its log there, and installed.
  EXPECT_NE(wintest::ReadFileBytes(params_.logFile).find("exit code 0"), std::string::npos);
  EXPECT_NE(GetFileAttributesW((installDir_ + L"\\Cumulo.exe").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SetupRunnerTest, FailedFirstAttemptIsRetriedVisibly) {
  std::vector<std::wstring> events;
  EXPECT_TRUE(Run(L"5,0", events));
  EXPECT_EQ(events,
            (std::vector<std::wstring>{L"error_exit_setup:5", L"succeeded_on_second_try:1"}));
  const auto commands = records_.Lines(L"setup_commands.txt");
  ASSERT_EQ(commands.size(), 2u);
  const std::string second = " /LOG=\"" + Utf8Of(params_.logFile) + "\"";
  EXPECT_EQ(commands[1].substr(commands[1].size() - second.size()), second);
  EXPECT_EQ(commands[1].find("/VERYSILENT"), std::string::npos);
  EXPECT_EQ(records_.Lines(L"setup_show.txt"), (std::vector<std::string>{"0", "5"}));
}

TEST_F(SetupRunnerTest, BothAttemptsFail) {
  std::vector<std::wstring> events;
  EXPECT_FALSE(Run(L"7,1603", events));
  EXPECT_EQ(events, (std::vector<std::wstring>{L"error_exit_setup:7", L"error_exit_setup:1603",
                                               L"failed_on_second_try:1"}));
  EXPECT_NE(wintest::ReadFileBytes(params_.logFile).find("exit code 1603"), std::string::npos);
}

// A package that is not there cannot be held, so the shell is never asked to start it: no
// box of the shell's own appears (a user closes any that would, so that none hangs the run).
BOOL CALLBACK CloseOwnDialogs(HWND window, LPARAM boxesClosed) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t cls[16] = {};
  GetClassNameW(window, cls, 16);
  if (pid == GetCurrentProcessId() && wcscmp(cls, L"#32770") == 0 && IsWindowVisible(window)) {
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    ++*reinterpret_cast<std::atomic<int>*>(boxesClosed);
  }
  return TRUE;
}

TEST_F(SetupRunnerTest, MissingPackageCannotStart) {
  params_.setupFile = folder_ + L"absent.exe";
  std::atomic<bool> done{false};
  std::atomic<int> boxesClosed{0};
  std::thread user([&] {
    while (!done) {
      EnumWindows(CloseOwnDialogs, reinterpret_cast<LPARAM>(&boxesClosed));
      Sleep(200);
    }
  });
  std::vector<std::wstring> events;
  EXPECT_FALSE(Run(L"0", events));
  done = true;
  user.join();
  EXPECT_EQ(events, (std::vector<std::wstring>{L"error_setup_start:2", L"error_setup_start:2",
                                               L"failed_on_second_try:1"}));
  EXPECT_EQ(boxesClosed.load(), 0);
  EXPECT_TRUE(records_.Lines(L"setup_commands.txt").empty());
}

}  // namespace cumulo
