// The whole install worker under wine: the real downloader against the distribution
// fixture (which serves the setup stand-in), the shell start of the package, the client
// start from the registry, the progress reports and the clean-up of temporary files.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "common/recording_transport.h"
#include "install/install_worker.h"
#include "install_wintest_support.h"

namespace cumulo {

using namespace installtest;

namespace {

// Records the worker's reports; read only after the worker has finished.
struct Progress : InstallProgress {
  std::atomic<int> messages{0};
  std::atomic<uint32_t> lastDone{0};
  std::atomic<uint32_t> lastTotal{0};
  std::atomic<int> results{0};
  InstallResult result;
  void DownloadProgress(uint32_t received, uint32_t total) override {
    ++messages;
    lastDone = received;
    lastTotal = total;
  }
  bool Finished(InstallResult r) override {
    result = std::move(r);
    ++results;
    return true;
  }
};

class InstallProcedureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteProductKey();
    EndAllClients();
    installDir_ = wintest::MakeTempFolder(L"procedure install");
    SetEnvironmentVariableW(L"CUMULO_SETUP_INSTALL_DIR", installDir_.c_str());
    SetEnvironmentVariableW(L"CUMULO_STANDIN_CLIENT", ClientStandIn().c_str());
    SetEnvironmentVariableW(L"CUMULO_CLIENT_MODE", L"normal");
    sender_ = recorder_.MakeSender(L"WCwintest01");
    job_.metricSender = sender_;
    job_.handoff = {"user@example.com", "tok-123"};
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"CUMULO_SETUP_DELAY_MS", nullptr);
    EndAllClients();
    DeleteProductKey();
  }

  // Runs one installation with `progress` receiving the worker's reports.
  InstallOutcome RunWithProgress(const std::shared_ptr<Progress>& progress) {
    job_.progress = progress;
    EXPECT_TRUE(StartInstallProcedure(job_));
    WaitForInstallWorkers();
    EXPECT_EQ(progress->results.load(), 1);
    return progress->result.outcome;
  }

  std::vector<std::wstring> Events() {
    job_.metricSender.reset();
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
  InstallJob job_;
};

std::wstring PackagePathFor(const std::wstring& log) {
  return log.substr(0, log.size() - 4) + L".exe";
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

TEST_F(InstallProcedureTest, SuccessRoad) {
  auto progress = std::make_shared<Progress>();
  EXPECT_EQ(RunWithProgress(progress), InstallOutcome::Succeeded);
  EXPECT_EQ(Events(), (std::vector<std::wstring>{L"found_valid_tok:1", L"setup_run:1"}));

  const std::wstring log = LogPathGiven();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.rfind(L"Cumulo-") + 7 + 36 + 4, log.size()) << log;  // GUID-named
  EXPECT_FALSE(Exists(log));
  EXPECT_FALSE(Exists(PackagePathFor(log)));
  EXPECT_TRUE(progress->result.failedSetupLogPath.empty());
  EXPECT_TRUE(progress->result.clientStarted);

  // The whole package arrived with progress reports against its announced size.
  const std::string package = wintest::ReadFileBytes(SetupStandIn());
  EXPECT_GE(progress->messages.load(), 1);
  EXPECT_EQ(progress->lastDone.load(), package.size());
  EXPECT_EQ(static_cast<size_t>(progress->lastTotal.load()), package.size());

  const auto line = records_.Lines(L"client_cmdline.txt");
  ASSERT_EQ(line.size(), 1u);
  const std::string tail =
      "\\Cumulo.exe\" -auth_email \"user@example.com\" -auth_token \"tok-123\"";
  EXPECT_EQ(line[0].substr(line[0].size() - tail.size()), tail);
  EXPECT_EQ(line[0].front(), '"');
}

TEST_F(InstallProcedureTest, FailedSetupKeepsItsLogForTheWindow) {
  SetEnvironmentVariableW(L"CUMULO_SETUP_EXIT_CODES", L"3,4");
  auto progress = std::make_shared<Progress>();
  EXPECT_EQ(RunWithProgress(progress), InstallOutcome::SetupFailed);
  EXPECT_EQ(Events(), (std::vector<std::wstring>{L"error_exit_setup:3", L"error_exit_setup:4",
                                                 L"failed_on_second_try:1"}));
  const std::wstring log = progress->result.failedSetupLogPath;
  EXPECT_EQ(log, LogPathGiven());
  EXPECT_NE(wintest::ReadFileBytes(log).find("exit code 4"), std::string::npos);
  EXPECT_FALSE(Exists(PackagePathFor(log)));
  EXPECT_TRUE(records_.Lines(L"client_starts.txt").empty());
  DeleteFileW(log.c_str());
}

TEST_F(InstallProcedureTest, WorkerFinishesAfterTheWindowIsGone) {
  SetEnvironmentVariableW(L"CUMULO_SETUP_DELAY_MS", L"1500");
  auto progress = std::make_shared<Progress>();
  job_.progress = progress;
  EXPECT_TRUE(StartInstallProcedure(job_));
  std::weak_ptr<Progress> watch = progress;
  job_ = InstallJob{};  // the window's references are gone
  progress.reset();
  WaitForInstallWorkers();
  EXPECT_TRUE(watch.expired());
  EXPECT_EQ(records_.Lines(L"client_starts.txt").size(), 1u);
  EXPECT_EQ(DrainEvents(sender_, recorder_),
            (std::vector<std::wstring>{L"found_valid_tok:1", L"setup_run:1"}));
}

}  // namespace cumulo
