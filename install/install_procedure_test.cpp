#include "install/install_procedure.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "build_config.h"
#include "common/recording_transport.h"

namespace cumulo {

namespace {

struct RecordingProgress : InstallProgress {
  std::vector<std::pair<uint32_t, uint32_t>> reports;
  std::vector<InstallResult> results;
  bool windowLeft = true;  // whether Finished finds a window to take the result
  void DownloadProgress(uint32_t received, uint32_t total) override {
    reports.emplace_back(received, total);
  }
  bool Finished(InstallResult result) override {
    results.push_back(std::move(result));
    return windowLeft;
  }
  // The outcome reported so far; Running before the result.
  InstallOutcome Outcome() const {
    return results.empty() ? InstallOutcome::Running : results.back().outcome;
  }
};

// Records every call as a short line, in order, and answers as configured.
class FakeInstallPlatform : public InstallPlatform {
 public:
  bool clientRunning = false;
  bool closes = true;
  std::wstring temp = L"C:\\T\\";
  std::wstring profile = L"C:\\Users\\u";
  uint32_t lastError = 0;
  std::wstring unique = L"0123";
  bool supported = true;
  DownloadCode download = DownloadCode::Completed;
  std::vector<std::pair<uint32_t, uint32_t>> progressReports;
  bool setupSucceeds = true;
  bool setupUntrusted = false;
  bool clientSeen = true;
  std::vector<SetupResult> setupAnswers;  // when set, the runs' results in order
  DownloadCode downloadAgain = DownloadCode::Completed;
  std::set<std::wstring> undeletable;
  std::shared_ptr<RecordingProgress> progress = std::make_shared<RecordingProgress>();

  std::vector<std::wstring> calls;
  SetupParams setupParams;
  std::wstring userAgent, url, downloadPath;
  std::vector<InstallOutcome> outcomeAtDelete;

  bool IsClientRunning() override { return clientRunning; }
  bool CloseRunningClient() override {
    calls.push_back(L"close");
    return closes;
  }
  std::wstring GetTempFolder() override { return temp; }
  std::wstring GetProfileFolder() override { return profile; }
  uint32_t LastError() override { return lastError; }
  std::wstring MakeUniqueName() override { return unique; }
  bool IsSupportedArchitecture() override { return supported; }
  DownloadCode Download(const std::wstring& agent, const std::wstring& u, const std::wstring& path,
                        ProgressCallback progress) override {
    calls.push_back(L"download");
    userAgent = agent;
    url = u;
    downloadPath = path;
    // As the downloader, which calls only a callback it was given.
    if (progress) {
      for (const auto& p : progressReports) progress(p.first, p.second);
    }
    return download;
  }
  SetupResult RunSetup(const SetupParams& params) override {
    calls.push_back(L"setup");
    setupParams = params;
    if (!setupAnswers.empty()) {
      const SetupResult result = setupAnswers.front();
      setupAnswers.erase(setupAnswers.begin());
      return result;
    }
    if (setupUntrusted) return SetupResult::Untrusted;
    return setupSucceeds ? SetupResult::Succeeded : SetupResult::Failed;
  }
  DownloadCode DownloadAgain(const std::wstring& u, const std::wstring& path) override {
    calls.push_back(L"download again " + path);
    EXPECT_EQ(u, url);
    return downloadAgain;
  }
  bool LaunchClient(const AuthHandoff& handoff) override {
    calls.push_back(L"launch " + std::wstring(handoff.email.begin(), handoff.email.end()));
    return clientSeen;
  }
  bool RemoveFile(const std::wstring& path, uint32_t& error) override {
    calls.push_back(L"delete " + path);
    outcomeAtDelete.push_back(progress->Outcome());
    if (undeletable.count(path) == 0) return true;
    error = 32;
    return false;
  }
};

struct ProcedureRun {
  bool clientStarted = false;
  InstallOutcome outcome = InstallOutcome::Idle;
  std::wstring failedLog;
  std::vector<std::wstring> events;
  std::vector<std::wstring> lines;
  size_t results = 0;  // how many results were reported
};

ProcedureRun RunWith(FakeInstallPlatform& platform, bool windowClosed = false) {
  MetricRecorder recorder;
  InstallJob job;
  job.metricSender = recorder.MakeSender(L"WCid42");
  job.handoff = {"u@x", "tok"};
  job.progress = platform.progress;
  platform.progress->windowLeft = !windowClosed;
  ProcedureRun run;
  RunInstallProcedure(job, platform, [&run](const std::wstring& m, LogLevel level) {
    run.lines.push_back(std::wstring(level == LogLevel::Info    ? L"I "
                                     : level == LogLevel::Error ? L"E "
                                                                : L"W ") +
                        m);
  });
  const auto& results = platform.progress->results;
  run.results = results.size();
  if (!results.empty()) {
    run.outcome = results.back().outcome;
    run.failedLog = results.back().failedSetupLogPath;
    run.clientStarted = results.back().clientStarted;
  }
  run.events = DrainEvents(job.metricSender, recorder);
  return run;
}

const std::wstring kExe = L"C:\\T\\Cumulo-0123.exe";
const std::wstring kLog = L"C:\\T\\Cumulo-0123.log";

}  // namespace

TEST(InstallProcedure, SuccessRoad) {
  FakeInstallPlatform platform;
  platform.progressReports = {{16384, 40000}, {40000, 40000}};
  const ProcedureRun run = RunWith(platform);
  EXPECT_EQ(run.results, 1u);
  EXPECT_EQ(run.outcome, InstallOutcome::Succeeded);
  EXPECT_EQ(run.failedLog, L"");
  EXPECT_EQ(run.events, std::vector<std::wstring>{L"setup_run:1"});
  EXPECT_TRUE(run.lines.empty());
  EXPECT_EQ(platform.calls, (std::vector<std::wstring>{L"download", L"setup", L"launch u@x",
                                                       L"delete " + kExe, L"delete " + kLog}));
  EXPECT_EQ(platform.outcomeAtDelete,
            (std::vector<InstallOutcome>{InstallOutcome::Succeeded, InstallOutcome::Succeeded}));
  EXPECT_TRUE(run.clientStarted);
  EXPECT_EQ(platform.userAgent, L"CumuloWindows WCid42");
  EXPECT_EQ(platform.url, std::wstring(L"https://") + build_config::kDistributionHost +
                              L"/cumulo/Cumulo_setup_offline.exe");
  EXPECT_EQ(platform.downloadPath, kExe);
  // Each of the downloader's reports reaches the window.
  EXPECT_EQ(platform.progress->reports,
            (std::vector<std::pair<uint32_t, uint32_t>>{{16384, 40000}, {40000, 40000}}));
  EXPECT_EQ(platform.setupParams.workingDirectory, L"C:\\T\\");
  EXPECT_EQ(platform.setupParams.setupFile, kExe);
  EXPECT_EQ(platform.setupParams.logFile, kLog);
  EXPECT_EQ(platform.setupParams.extraArguments, L"");
  EXPECT_TRUE(platform.setupParams.retryAllowed);
  EXPECT_TRUE(platform.setupParams.installDrivers);
}

TEST(InstallProcedure, OutcomeTable) {
  struct Case {
    const char* name;
    std::function<void(FakeInstallPlatform&)> arrange;
    InstallOutcome outcome;
    std::vector<std::wstring> events;
    std::vector<std::wstring> lines;
    std::vector<std::wstring> calls;
    std::wstring failedLog;
  };
  const std::vector<Case> cases = {
      {"client closes",
       [](FakeInstallPlatform& p) { p.clientRunning = true; },
       InstallOutcome::Succeeded,
       {L"setup_run:1"},
       {L"I Cumulo application is already running, trying to close..."},
       {L"close", L"download", L"setup", L"launch u@x", L"delete " + kExe, L"delete " + kLog},
       L""},
      {"client stays",
       [](FakeInstallPlatform& p) {
         p.clientRunning = true;
         p.closes = false;
       },
       InstallOutcome::ClientStillRunning,
       {L"error_cumulo_close_running:1"},
       {L"I Cumulo application is already running, trying to close...",
        L"E Failer close running Cumulo application."},
       {L"close"},
       L""},
      {"no temp folder",
       [](FakeInstallPlatform& p) {
         p.temp.clear();
         p.lastError = 3;
       },
       InstallOutcome::PathUnavailable,
       {L"error_path_get:3"},
       {L"E Failed get temporary folder path."},
       {},
       L""},
      {"no profile folder",
       [](FakeInstallPlatform& p) { p.profile.clear(); },
       InstallOutcome::PathUnavailable,
       {L"error_home_path:1"},
       {L"E Failed get home folder path."},
       {},
       L""},
      {"disk full",
       [](FakeInstallPlatform& p) { p.download = DownloadCode::DiskFull; },
       InstallOutcome::NoDiskSpace,
       {L"error_cumulo_download:1"},
       {},
       {L"download", L"delete " + kExe},
       L""},
      {"download retries spent",
       [](FakeInstallPlatform& p) { p.download = DownloadCode::Retry; },
       InstallOutcome::DownloadFailed,
       {L"error_cumulo_download:1"},
       {},
       {L"download", L"delete " + kExe},
       L""},
      {"access denied",
       [](FakeInstallPlatform& p) { p.download = DownloadCode::AccessDenied; },
       InstallOutcome::DownloadFailed,
       {L"error_cumulo_download:1"},
       {},
       {L"download", L"delete " + kExe},
       L""},
      {"setup fails",
       [](FakeInstallPlatform& p) { p.setupSucceeds = false; },
       InstallOutcome::SetupFailed,
       {},
       {},
       {L"download", L"setup", L"delete " + kExe},
       kLog},
      {"package refused",
       [](FakeInstallPlatform& p) { p.setupUntrusted = true; },
       InstallOutcome::DownloadFailed,
       {},
       {},
       {L"download", L"setup", L"delete " + kExe, L"delete " + kLog},
       L""},
      {"damaged package fetched again",
       [](FakeInstallPlatform& p) {
         p.setupAnswers = {SetupResult::Damaged, SetupResult::Succeeded};
       },
       InstallOutcome::Succeeded,
       {L"setup_run:1"},
       {L"W Setup package damaged, downloading it once more from byte 0."},
       {L"download", L"setup", L"download again " + kExe, L"setup", L"launch u@x",
        L"delete " + kExe, L"delete " + kLog},
       L""},
      {"damaged twice",
       [](FakeInstallPlatform& p) {
         p.setupAnswers = {SetupResult::Damaged, SetupResult::Damaged};
       },
       InstallOutcome::DownloadFailed,
       {},
       {L"W Setup package damaged, downloading it once more from byte 0."},
       {L"download", L"setup", L"download again " + kExe, L"setup", L"delete " + kExe,
        L"delete " + kLog},
       L""},
      {"damaged, and the second download fails",
       [](FakeInstallPlatform& p) {
         p.setupAnswers = {SetupResult::Damaged};
         p.downloadAgain = DownloadCode::Retry;
       },
       InstallOutcome::DownloadFailed,
       {L"error_cumulo_download:1"},
       {L"W Setup package damaged, downloading it once more from byte 0."},
       {L"download", L"setup", L"download again " + kExe, L"delete " + kExe},
       L""},
      {"package cannot be deleted after failed setup",
       [](FakeInstallPlatform& p) {
         p.setupSucceeds = false;
         p.undeletable = {kExe};
       },
       InstallOutcome::SetupFailed,
       {L"error_del_temp:32"},
       {L"E Failed delete file: " + kExe},
       {L"download", L"setup", L"delete " + kExe},
       kLog},
      {"both files stay after success",
       [](FakeInstallPlatform& p) {
         p.undeletable = {kExe, kLog};
       },
       InstallOutcome::Succeeded,
       {L"setup_run:1", L"error_del_temp:32", L"error_del_temp:32"},
       {L"E Failed delete file: " + kExe, L"E Failed delete file: " + kLog},
       {L"download", L"setup", L"launch u@x", L"delete " + kExe, L"delete " + kLog},
       L""},
      {"no GUID",
       [](FakeInstallPlatform& p) {
         p.unique.clear();
         p.download = DownloadCode::DiskError;
       },
       InstallOutcome::DownloadFailed,
       {L"error_cumulo_download:1"},
       {},
       {L"download", L"delete C:\\T\\Cumulo-.exe"},
       L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeInstallPlatform platform;
    c.arrange(platform);
    const ProcedureRun run = RunWith(platform);
    EXPECT_EQ(run.results, 1u);
    EXPECT_EQ(run.outcome, c.outcome);
    EXPECT_EQ(run.events, c.events);
    EXPECT_EQ(run.lines, c.lines);
    EXPECT_EQ(platform.calls, c.calls);
    EXPECT_EQ(run.failedLog, c.failedLog);
    for (const InstallOutcome seen : platform.outcomeAtDelete) EXPECT_EQ(seen, c.outcome);
  }
}

TEST(InstallProcedure, ALogNoWindowIsLeftToOfferGoesWithTheTemporaryFiles) {
  FakeInstallPlatform platform;
  platform.setupSucceeds = false;
  const ProcedureRun run = RunWith(platform, true);
  EXPECT_EQ(run.outcome, InstallOutcome::SetupFailed);
  EXPECT_EQ(platform.calls, (std::vector<std::wstring>{L"download", L"setup", L"delete " + kExe,
                                                       L"delete " + kLog}));
  EXPECT_TRUE(run.events.empty());

  FakeInstallPlatform closedEarly;  // a closed window changes nothing else
  const ProcedureRun success = RunWith(closedEarly, true);
  EXPECT_EQ(success.outcome, InstallOutcome::Succeeded);
  EXPECT_EQ(closedEarly.calls, (std::vector<std::wstring>{L"download", L"setup", L"launch u@x",
                                                          L"delete " + kExe, L"delete " + kLog}));
}

TEST(InstallProcedure, TheStepsEventIsQueuedBeforeItsOutcomeIsSeen) {
  // A window that reports the moment it has the result: its "error" must come after the
  // worker's event every time.
  // Says the moment the result arrives, from the worker's thread, as a posted report can.
  struct SignallingProgress : InstallProgress {
    std::atomic<bool> finished{false};
    void DownloadProgress(uint32_t, uint32_t) override {}
    bool Finished(InstallResult) override {
      finished = true;
      return true;
    }
  };
  const std::vector<std::pair<std::function<void(FakeInstallPlatform&)>, std::wstring>> paths = {
      {[](FakeInstallPlatform& p) {
         p.clientRunning = true;
         p.closes = false;
       },
       L"error_cumulo_close_running:1"},
      {[](FakeInstallPlatform& p) { p.temp.clear(); }, L"error_path_get:0"},
      {[](FakeInstallPlatform& p) { p.profile.clear(); }, L"error_home_path:1"},
      {[](FakeInstallPlatform& p) { p.download = DownloadCode::DiskFull; },
       L"error_cumulo_download:1"},
  };
  for (const auto& [arrange, event] : paths) {
    for (int round = 0; round < 50; ++round) {
      MetricRecorder recorder;
      InstallJob job;
      job.metricSender = recorder.MakeSender();
      FakeInstallPlatform platform;
      arrange(platform);
      auto seen = std::make_shared<SignallingProgress>();
      job.progress = seen;
      std::thread worker(
          [&] { RunInstallProcedure(job, platform, [](const std::wstring&, LogLevel) {}); });
      while (!seen->finished.load()) {
      }
      job.metricSender->SendMetric(L"error", 1);
      worker.join();
      const auto events = DrainEvents(job.metricSender, recorder);
      ASSERT_EQ(events, (std::vector<std::wstring>{event, L"error:1"})) << round;
    }
  }
}

TEST(InstallProcedure, UnsupportedArchitectureAsksForNoDrivers) {
  FakeInstallPlatform platform;
  platform.supported = false;
  RunWith(platform);
  EXPECT_FALSE(platform.setupParams.installDrivers);
}

TEST(InstallProcedure, RunsWithoutAProgressReceiver) {
  for (bool setupSucceeds : {true, false}) {
    MetricRecorder recorder;
    InstallJob job;
    job.metricSender = recorder.MakeSender();
    FakeInstallPlatform platform;
    platform.progressReports = {{1, 10}, {10, 10}};
    platform.setupSucceeds = setupSucceeds;
    RunInstallProcedure(job, platform, [](const std::wstring&, LogLevel) {});
    // No window takes a failed setup's log, so it goes with the package.
    EXPECT_EQ(platform.calls.back(), L"delete " + kLog) << setupSucceeds;
  }
}

// The setup counts as a success either way; whether a client was seen goes to the window.
TEST(InstallProcedure, ClientNotSeenIsStillASuccessButSaysSo) {
  FakeInstallPlatform platform;
  platform.clientSeen = false;
  const ProcedureRun run = RunWith(platform);
  EXPECT_EQ(run.outcome, InstallOutcome::Succeeded);
  EXPECT_FALSE(run.clientStarted);
  EXPECT_EQ(run.events, std::vector<std::wstring>{L"setup_run:1"});
}

}  // namespace cumulo
