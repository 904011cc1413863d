// The setup package's hold and its Authenticode check under wine, with the stand-in as the
// session signed it, and the runner refusing what fails.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "build_config.h"
#include "common/journal_capture.h"
#include "common/recording_transport.h"
#include "install/chain_recheck.h"
#include "install/package_hold_wait.h"
#include "install/package_trust_win.h"
#include "install/setup_runner.h"
#include "install_wintest_support.h"

namespace cumulo {

using namespace installtest;

namespace {

const std::string kRefused = "write=32 rename=32 delete=32";  // ERROR_SHARING_VIOLATION

// What another process achieved against the file, as file_probe reports it.
std::string ProbeFrom(const std::wstring& path) {
  std::string out;
  wintest::Run(L"\"" + wintest::ToolPath(L"file_probe.exe") + L"\" \"" + path + L"\"", &out);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class PackageTrustTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteProductKey();
    folder_ = wintest::MakeTempFolder(L"package trust");
    SetEnvironmentVariableW(L"CUMULO_SETUP_INSTALL_DIR", (folder_ + L"Install").c_str());
    SetEnvironmentVariableW(L"CUMULO_STANDIN_CLIENT", ClientStandIn().c_str());
    params_.workingDirectory = folder_;
    params_.setupFile = folder_ + L"Cumulo-0000.exe";
    params_.logFile = folder_ + L"Cumulo-0000.log";
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"CUMULO_SETUP_DELAY_MS", nullptr);
    SetEnvironmentVariableW(L"CUMULO_SETUP_STOP_FILE", nullptr);
    DeleteProductKey();
  }

  void UsePackage(const wchar_t* name) {
    ASSERT_TRUE(CopyFileW(wintest::PackagePath(name).c_str(), params_.setupFile.c_str(), FALSE));
  }

  StandInRecords records_{L"trust records"};
  std::wstring folder_;
  SetupParams params_;
};

}  // namespace

TEST_F(PackageTrustTest, VerdictsOnTheSessionPackages) {
  struct Case {
    const wchar_t* package;
    uint32_t status;
    std::wstring organisation;
    uint32_t code;
  };
  const std::wstring ours = build_config::kPackagePublisher;
  const std::vector<Case> cases = {
      {L"signed.exe", 0, ours, 0},
      {L"unsigned.exe", static_cast<uint32_t>(TRUST_E_NOSIGNATURE), L"", 0x800B0100u},
      {L"tampered.exe", static_cast<uint32_t>(TRUST_E_BAD_DIGEST), L"", 0x80096010u},
      {L"other.exe", 0, L"Other Maker Ltd", kTrustSubjectNotTrusted},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.package);
    const std::wstring path = wintest::PackagePath(c.package);
    const ScopedFile held = HoldPackage(path);
    ASSERT_TRUE(held.IsValid());
    const PackageSignature signature = ReadPackageSignature(held.Get(), path);
    std::printf("%ls: WinVerifyTrust 0x%08X, O \"%ls\", CN \"%ls\", decision 0x%08X\n", c.package,
                static_cast<unsigned>(signature.status), signature.organisation.c_str(),
                signature.commonName.c_str(),
                static_cast<unsigned>(PackageTrustCode(signature, ours)));
    EXPECT_EQ(signature.status, c.status);
    EXPECT_EQ(signature.organisation, c.organisation);
    EXPECT_EQ(PackageTrustCode(signature, ours), c.code);
  }
  // The stranger's certificate carries our name as its common name: only its organisation
  // tells it apart.
  const std::wstring other = wintest::PackagePath(L"other.exe");
  const ScopedFile held = HoldPackage(other);
  EXPECT_EQ(ReadPackageSignature(held.Get(), other).commonName, ours);
}

TEST_F(PackageTrustTest, HoldKeepsOtherProcessesFromTheFile) {
  UsePackage(L"signed.exe");
  {
    const ScopedFile held = HoldPackage(params_.setupFile);
    ASSERT_TRUE(held.IsValid());
    EXPECT_EQ(ProbeFrom(params_.setupFile), kRefused);
    // Readers are welcome: the loader is one.
    ScopedFile reader(CreateFileW(params_.setupFile.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(reader.IsValid());
  }
  EXPECT_EQ(ProbeFrom(params_.setupFile), "write=0 rename=0 delete=0");
  EXPECT_FALSE(Exists(params_.setupFile));
}

TEST_F(PackageTrustTest, HoldCannotBeTakenWhileSomeoneWrites) {
  UsePackage(L"signed.exe");
  ScopedFile writer(CreateFileW(params_.setupFile.c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(writer.IsValid());
  EXPECT_FALSE(HoldPackage(params_.setupFile).IsValid());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  // The runner does not start what it cannot hold, once its wait for the lock has passed.
  JournalCapture journal;
  const SetupAttempt attempt = RunSetupProcess(params_, L"", false);
  EXPECT_GE(journal.Count("Setup package is in use by another program, waiting: 32."), 2u);
  EXPECT_EQ(attempt.stage, SetupAttempt::Stage::StartFailed);
  EXPECT_EQ(attempt.value, static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
  EXPECT_TRUE(records_.Lines(L"setup_commands.txt").empty());
}

// A scanner's exclusive open for a moment: the hold waits it out and the package runs.
TEST_F(PackageTrustTest, HoldWaitsOutABriefExclusiveOpen) {
  UsePackage(L"signed.exe");
  ScopedFile scanner(CreateFileW(params_.setupFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(scanner.IsValid());
  JournalCapture journal;
  std::atomic<bool> released{false};
  std::thread release([&] {
    Sleep(1500);
    released = true;
    scanner.Reset();
  });
  const SetupAttempt attempt = RunSetupProcess(params_, SetupCommandLine(params_, false), false);
  release.join();
  EXPECT_TRUE(released.load());
  EXPECT_EQ(attempt.stage, SetupAttempt::Stage::Exited);
  EXPECT_EQ(attempt.value, 0u);
  EXPECT_EQ(records_.Lines(L"setup_commands.txt").size(), 1u);
  EXPECT_GE(journal.Count("Setup package is in use by another program, waiting: 32."), 1u);
}

// Nothing to wait for: a missing package, or a folder where the package should be.
TEST_F(PackageTrustTest, HoldDoesNotWaitForWhatCannotPass) {
  JournalCapture journal;
  SetupAttempt attempt = RunSetupProcess(params_, L"", false);
  EXPECT_EQ(attempt.stage, SetupAttempt::Stage::StartFailed);
  EXPECT_EQ(attempt.value, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
  ASSERT_TRUE(CreateDirectoryW(params_.setupFile.c_str(), nullptr));
  attempt = RunSetupProcess(params_, L"", false);
  RemoveDirectoryW(params_.setupFile.c_str());
  EXPECT_EQ(attempt.stage, SetupAttempt::Stage::StartFailed);
  EXPECT_EQ(attempt.value, static_cast<uint32_t>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(journal.Count("Setup package is in use by another program, waiting: 5."), 0u);
  EXPECT_TRUE(journal.Messages().empty());
}

// The check with URL retrieval runs on its own thread and ends within its bound here.
TEST_F(PackageTrustTest, OnlineCheckGivesTheSameVerdicts) {
  for (const wchar_t* name : {L"signed.exe", L"unsigned.exe", L"tampered.exe"}) {
    SCOPED_TRACE(name);
    const std::wstring path = wintest::PackagePath(name);
    const ScopedFile held = HoldPackage(path);
    ASSERT_TRUE(held.IsValid());
    const PackageSignature offline = ReadPackageSignature(held.Get(), path);
    const std::optional<PackageSignature> online =
        ReadPackageSignatureOnline(path, kOnlineChainCheckMs);
    ASSERT_TRUE(online.has_value());
    EXPECT_EQ(online->status, offline.status);
    EXPECT_EQ(online->organisation, offline.organisation);
  }
}

// Wine accepts a chain to a CA it does not know, offline and online alike (see the
// unrooted package below), so a stand-in offline verdict of CERT_E_UNTRUSTEDROOT sends the
// runner down the online road; the real check with URL retrieval then decides.
TEST_F(PackageTrustTest, ChainFailureOfflineIsCheckedOnlineAndItsVerdictDecides) {
  const std::string checking =
      "Setup package chain incomplete offline: 0x800B0109, checking online.";
  const OfflineSignatureCheck untrustedRoot = [](HANDLE, const std::wstring&) {
    return PackageSignature{kTrustUntrustedRoot, L"", L""};
  };
  struct Case {
    const wchar_t* package;
    SetupAttempt::Stage stage;
    uint32_t value;
    size_t starts;
  };
  for (const Case& c :
       {Case{L"signed.exe", SetupAttempt::Stage::Exited, 0, 1},
        Case{L"tampered.exe", SetupAttempt::Stage::Untrusted, 0x80096010u, 0},
        Case{L"other.exe", SetupAttempt::Stage::Untrusted, kTrustSubjectNotTrusted, 0}}) {
    SCOPED_TRACE(c.package);
    const size_t before = records_.Lines(L"setup_commands.txt").size();
    UsePackage(c.package);
    JournalCapture journal;
    const SetupAttempt attempt =
        RunSetupProcessWith(params_, SetupCommandLine(params_, false), false, untrustedRoot);
    EXPECT_EQ(attempt.stage, c.stage);
    EXPECT_EQ(attempt.value, c.value);
    EXPECT_EQ(journal.Messages(), std::vector<std::string>{checking});
    EXPECT_EQ(records_.Lines(L"setup_commands.txt").size(), before + c.starts);
  }
  // The refusal after the online check takes the runner's refusal road unchanged (another
  // publisher's package: a changed one is downloaded again instead).
  UsePackage(L"other.exe");
  MetricRecorder recorder;
  auto sender = recorder.MakeSender();
  JournalCapture journal;
  SetupResult result = SetupResult::Succeeded;
  {
    SetupRunner runner(sender,
                       [&](const SetupParams& p, const std::wstring& parameters, bool show) {
                         return RunSetupProcessWith(p, parameters, show, untrustedRoot);
                       });
    result = runner.RunWithRetry(params_);
  }
  EXPECT_EQ(result, SetupResult::Untrusted);
  EXPECT_EQ(DrainEvents(sender, recorder),
            std::vector<std::wstring>{L"err_setup_untrusted:-2146762748"});
  EXPECT_EQ(journal.Messages(),
            (std::vector<std::string>{"Runnning installer", checking,
                                      "Setup package failed verification: 0x800B0004."}));
}

// What this wine answers for a package whose chain cannot be completed: recorded, so that
// a wine that starts refusing it (as Windows does) is seen to take the online road.
TEST_F(PackageTrustTest, UnrootedPackageUnderThisWine) {
  const std::wstring path = wintest::PackagePath(L"unrooted.exe");
  const ScopedFile held = HoldPackage(path);
  ASSERT_TRUE(held.IsValid());
  const PackageSignature offline = ReadPackageSignature(held.Get(), path);
  const std::optional<PackageSignature> online =
      ReadPackageSignatureOnline(path, kOnlineChainCheckMs);
  ASSERT_TRUE(online.has_value());
  std::printf("unrooted.exe: offline 0x%08X, online 0x%08X\n",
              static_cast<unsigned>(offline.status), static_cast<unsigned>(online->status));
  JournalCapture journal;
  const PackageSignature decided = CheckPackageSignature(held.Get(), path, WriteToProcessJournal);
  if (NeedsOnlineChainCheck(offline.status)) {
    EXPECT_EQ(journal.Messages().size(), 1u);
    EXPECT_EQ(decided.status, online->status);
  } else {
    EXPECT_TRUE(journal.Messages().empty());
    EXPECT_EQ(decided.status, offline.status);
  }
}

TEST_F(PackageTrustTest, PackageIsHeldWhileItsSetupRuns) {
  UsePackage(L"signed.exe");
  // The stand-in runs until the probe is done, however long wine takes to start either.
  const std::wstring stop = folder_ + L"stop";
  SetEnvironmentVariableW(L"CUMULO_SETUP_STOP_FILE", stop.c_str());
  std::atomic<bool> ended{false};
  SetupAttempt attempt;
  std::thread runner([&] {
    attempt = RunSetupProcess(params_, SetupCommandLine(params_, false), false);
    ended = true;
  });
  const ULONGLONG limit = GetTickCount64() + 60000;
  while (records_.Lines(L"setup_commands.txt").empty() && GetTickCount64() < limit) Sleep(50);
  const std::string during = ProbeFrom(params_.setupFile);
  const bool stillRunning = !ended;
  wintest::WriteFileBytes(stop, "");
  runner.join();
  EXPECT_TRUE(stillRunning) << "the stand-in ended before the probe";
  EXPECT_EQ(during, kRefused);
  EXPECT_EQ(attempt.stage, SetupAttempt::Stage::Exited);
  EXPECT_EQ(attempt.value, 0u);
  // Released once the package has exited: the procedure can delete it.
  EXPECT_TRUE(DeleteFileW(params_.setupFile.c_str()));
}

TEST_F(PackageTrustTest, RefusedPackagesNeverStart) {
  struct Case {
    const wchar_t* package;
    uint32_t code;
  };
  for (const Case& c : {Case{L"unsigned.exe", 0x800B0100u}, Case{L"tampered.exe", 0x80096010u},
                        Case{L"other.exe", kTrustSubjectNotTrusted}}) {
    SCOPED_TRACE(c.package);
    UsePackage(c.package);
    const SetupAttempt attempt = RunSetupProcess(params_, SetupCommandLine(params_, false), false);
    EXPECT_EQ(attempt.stage, SetupAttempt::Stage::Untrusted);
    EXPECT_EQ(attempt.value, c.code);
  }
  EXPECT_TRUE(records_.Lines(L"setup_commands.txt").empty());
  EXPECT_FALSE(Exists(params_.logFile));
}

TEST_F(PackageTrustTest, VisibleRetryIsVerifiedAgain) {
  UsePackage(L"signed.exe");
  SetEnvironmentVariableW(L"CUMULO_SETUP_EXIT_CODES", L"5,0");
  MetricRecorder recorder;
  auto sender = recorder.MakeSender();
  std::vector<std::wstring> lines;
  SetupResult result = SetupResult::Succeeded;
  {
    // Between the attempts the package is free; someone changes one byte of it.
    SetupRunner runner(
        sender,
        [](const SetupParams& p, const std::wstring& parameters, bool show) {
          const SetupAttempt attempt = RunSetupProcess(p, parameters, show);
          if (!show) {
            std::string bytes = wintest::ReadFileBytes(p.setupFile);
            bytes[0x50] ^= 1;
            wintest::WriteFileBytes(p.setupFile, bytes);
          }
          return attempt;
        },
        [&lines](const std::wstring& m, LogLevel level) {
          if (level == LogLevel::Error) lines.push_back(m);
        });
    result = runner.RunWithRetry(params_);
  }
  EXPECT_EQ(result, SetupResult::Untrusted);
  EXPECT_EQ(DrainEvents(sender, recorder),
            (std::vector<std::wstring>{L"error_exit_setup:5", L"err_setup_untrusted:-2146869232"}));
  EXPECT_EQ(lines, std::vector<std::wstring>{L"Setup package failed verification: 0x80096010."});
  EXPECT_EQ(records_.Lines(L"setup_commands.txt").size(), 1u);
}

}  // namespace cumulo
