// The launch hand-off against the registry of the prefix and the stand-in client.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/wide_text.h"
#include "common/recording_transport.h"
#include "install/app_launcher.h"
#include "install_wintest_support.h"

namespace cumulo {

using namespace installtest;

namespace {

struct LaunchResult {
  std::vector<std::wstring> events;
  std::vector<std::wstring> lines;
  bool clientSeen = false;
  std::vector<uint32_t> pauses;  // every pause the launcher took, in order
};

// The system's launcher platform, with the pauses recorded: the watch is judged by the
// schedule it keeps, not by how long wine takes to start a process. With `endOnSight`
// the client is ended as soon as the launcher first sees it.
class WatchedPlatform : public LauncherPlatform {
 public:
  explicit WatchedPlatform(bool endOnSight)
      : inner_(MakeSystemLauncherPlatform()), endOnSight_(endOnSight) {}
  InstallPathReading ReadInstallPath() override { return inner_->ReadInstallPath(); }
  bool StartClient(const ClientCommand& command, uint32_t& error) override {
    return inner_->StartClient(command, error);
  }
  bool IsClientRunning() override {
    const bool running = inner_->IsClientRunning();
    if (running && endOnSight_) {
      endOnSight_ = false;
      EndAllClients();
    }
    return running;
  }
  void Sleep(uint32_t milliseconds) override {
    pauses.push_back(milliseconds);
    inner_->Sleep(milliseconds);
  }
  std::vector<uint32_t> pauses;

 private:
  std::unique_ptr<LauncherPlatform> inner_;
  bool endOnSight_;
};

// Polls until the client shows, then the settle; `polls` is how many polls it took.
bool IsPollsThenSettle(const std::vector<uint32_t>& pauses, size_t& polls) {
  if (pauses.empty() || pauses.back() != kClientSettleMs) return false;
  polls = pauses.size() - 1;
  for (size_t i = 0; i < polls; ++i) {
    if (pauses[i] != kClientPollPauseMs) return false;
  }
  return true;
}

class AppLauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteProductKey();
    EndAllClients();
  }
  void TearDown() override {
    EndAllClients();
    DeleteProductKey();
  }

  // A folder with the client in it, recorded as the install folder.
  std::wstring Install(const std::wstring& name) {
    std::wstring folder = wintest::MakeTempFolder(name);
    folder.pop_back();
    EXPECT_TRUE(CopyFileW(ClientStandIn().c_str(), (folder + L"\\Cumulo.exe").c_str(), FALSE));
    EXPECT_TRUE(WriteInstallPath(folder));
    return folder;
  }

  LaunchResult Launch(const AuthHandoff& handoff, bool endOnSight = false) {
    MetricRecorder recorder;
    auto sender = recorder.MakeSender();
    LaunchResult result;
    {
      WatchedPlatform platform(endOnSight);
      AppLauncher launcher(sender, platform, [&result](const std::wstring& m, LogLevel) {
        result.lines.push_back(m);
      });
      result.clientSeen = launcher.LaunchClient(handoff);
      result.pauses = platform.pauses;
    }
    result.events = DrainEvents(sender, recorder);
    return result;
  }

  StandInRecords records_{L"launch records"};
};

}  // namespace

TEST_F(AppLauncherTest, ClientGetsTheDesignedCommandLine) {
  const std::wstring folder = Install(L"launch plain");
  SetEnvironmentVariableW(L"CUMULO_CLIENT_MODE", L"normal");
  const auto run = Launch({"user@example.com", "AbC-123_tok"});
  EXPECT_EQ(run.events, std::vector<std::wstring>{L"found_valid_tok:1"});
  EXPECT_TRUE(run.lines.empty());
  // The folder has a space: the quoted path stays one argument.
  const std::string client = Utf8Of(folder) + "\\Cumulo.exe";
  EXPECT_EQ(records_.Lines(L"client_cmdline.txt"),
            std::vector<std::string>{"\"" + client +
                                     "\" -auth_email \"user@example.com\" -auth_token "
                                     "\"AbC-123_tok\""});
  EXPECT_EQ(records_.Lines(L"client_argv.txt"),
            (std::vector<std::string>{client, "-auth_email", "user@example.com", "-auth_token",
                                      "AbC-123_tok"}));
  // Polled for until it showed, then the one-second settle.
  size_t polls = 0;
  EXPECT_TRUE(IsPollsThenSettle(run.pauses, polls)) << run.pauses.size();
  EXPECT_LT(polls * kClientPollPauseMs, kClientAppearBudgetMs);
}

// The client starts in its own folder, not in the installer's.
TEST_F(AppLauncherTest, ClientStartsInItsInstallFolder) {
  const std::wstring folder = Install(L"launch cwd");
  SetEnvironmentVariableW(L"CUMULO_CLIENT_MODE", L"normal");
  wchar_t own[MAX_PATH + 1] = {};
  GetCurrentDirectoryW(MAX_PATH + 1, own);
  ASSERT_NE(LowerAsciiLetters(own), LowerAsciiLetters(folder));
  const auto run = Launch({"u@x", "t"});
  EXPECT_TRUE(run.clientSeen);
  EXPECT_EQ(records_.Lines(L"client_cwd.txt"), std::vector<std::string>{Utf8Of(folder)});
}

// A REG_EXPAND_SZ folder is expanded before it names the client and its current folder.
TEST_F(AppLauncherTest, ExpandableInstallPathIsExpanded) {
  std::wstring folder = wintest::MakeTempFolder(L"launch expand");
  folder.pop_back();
  ASSERT_TRUE(CopyFileW(ClientStandIn().c_str(), (folder + L"\\Cumulo.exe").c_str(), FALSE));
  SetEnvironmentVariableW(L"CUMULO_TEST_INSTALL_ROOT", folder.c_str());
  const std::wstring stored = L"%CUMULO_TEST_INSTALL_ROOT%";
  ASSERT_TRUE(WriteInstallPath(REG_EXPAND_SZ, stored.c_str(),
                               static_cast<DWORD>((stored.size() + 1) * sizeof(wchar_t))));
  SetEnvironmentVariableW(L"CUMULO_CLIENT_MODE", L"normal");
  const auto run = Launch({"u@x", "t"});
  SetEnvironmentVariableW(L"CUMULO_TEST_INSTALL_ROOT", nullptr);
  EXPECT_EQ(run.events, std::vector<std::wstring>{L"found_valid_tok:1"});
  EXPECT_TRUE(run.clientSeen);
  const std::string client = Utf8Of(folder) + "\\Cumulo.exe";
  EXPECT_EQ(records_.Lines(L"client_argv.txt"),
            (std::vector<std::string>{client, "-auth_email", "u@x", "-auth_token", "t"}));
  EXPECT_EQ(records_.Lines(L"client_cwd.txt"), std::vector<std::string>{Utf8Of(folder)});
}

// A plain REG_SZ value is taken as it is: its percent signs are part of the folder's name.
TEST_F(AppLauncherTest, PlainInstallPathIsNotExpanded) {
  std::wstring folder = wintest::MakeTempFolder(L"launch %CUMULO_TEST_INSTALL_ROOT%");
  folder.pop_back();
  ASSERT_TRUE(CopyFileW(ClientStandIn().c_str(), (folder + L"\\Cumulo.exe").c_str(), FALSE));
  ASSERT_TRUE(WriteInstallPath(folder));
  SetEnvironmentVariableW(L"CUMULO_TEST_INSTALL_ROOT", L"C:\\nowhere");
  SetEnvironmentVariableW(L"CUMULO_CLIENT_MODE", L"normal");
  const auto run = Launch({"u@x", "t"});
  SetEnvironmentVariableW(L"CUMULO_TEST_INSTALL_ROOT", nullptr);
  EXPECT_TRUE(run.clientSeen);
  EXPECT_EQ(records_.Lines(L"client_cwd.txt"), std::vector<std::string>{Utf8Of(folder)});
}

TEST_F(AppLauncherTest, QuotesAndBackslashesReachTheClientAsOneArgumentEach) {
  Install(L"launch quoting");
  SetEnvironmentVariableW(L"CUMULO_CLIENT_MODE", L"normal");
  const std::string email = "o\"brien@example.com";
  const std::string token = "tok \\\" -x\\\\";
  const auto run = Launch({email, token});
  EXPECT_EQ(run.events, std::vector<std::wstring>{L"found_valid_tok:1"});
  const auto argv = records_.Lines(L"client_argv.txt");
  ASSERT_GE(argv.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(argv.end() - 4, argv.end()),
            (std::vector<std::string>{"-auth_email", email, "-auth_token", token}));
}

TEST_F(AppLauncherTest, EmptyTokenStartsTheClientBare) {
  const std::wstring folder = Install(L"launch bare");
  SetEnvironmentVariableW(L"CUMULO_CLIENT_MODE", L"normal");
  const auto run = Launch({"user@example.com", ""});
  EXPECT_EQ(run.events, std::vector<std::wstring>{L"not_found_token:1"});
  EXPECT_EQ(records_.Lines(L"client_cmdline.txt"),
            std::vector<std::string>{"\"" + Utf8Of(folder) + "\\Cumulo.exe\""});
  EXPECT_EQ(records_.Lines(L"client_argv.txt"),
            std::vector<std::string>{Utf8Of(folder) + "\\Cumulo.exe"});
}

TEST_F(AppLauncherTest, RegistryFailures) {
  struct Case {
    const char* name;
    std::function<void()> arrange;
    std::wstring event;
    std::wstring line;
  };
  const std::wstring noPath = L"Starting Cumulo application failed: no InstallPath";
  // Each event carries the failing call's status (or, for a value that names no folder, the
  // status that says why), never the thread's last error, which the test sets to 4321.
  const std::vector<Case> cases = {
      {"no key", [] {}, L"err_cumulo_settings:2",
       L"Starting Cumulo application failed: no Aldervane_Cumulo key"},
      {"no value",
       [] {
         const DWORD one = 1;
         HKEY key = nullptr;
         RegCreateKeyExW(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                         &key, nullptr);
         RegSetValueExW(key, L"other", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
         RegCloseKey(key);
       },
       L"err_cumulo_ins_path:2", noPath},
      {"number",
       [] {
         const DWORD one = 1;
         WriteInstallPath(REG_DWORD, &one, sizeof(one));
       },
       L"err_cumulo_ins_path:1629", noPath},
      {"binary text",
       [] {
         const std::wstring text = L"C:\\windows";
         WriteInstallPath(REG_BINARY, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
       },
       L"err_cumulo_ins_path:1629", noPath},
      {"string filling the whole buffer without terminator",
       [] {
         const std::wstring text(32768, L'a');
         WriteInstallPath(REG_SZ, text.c_str(), 65536);
       },
       L"err_cumulo_ins_path:234", noPath},
      {"string larger than the buffer",
       [] {
         const std::wstring text(40000, L'a');
         WriteInstallPath(REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
       },
       L"err_cumulo_ins_path:234", noPath},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteProductKey();
    c.arrange();
    SetLastError(4321);
    const auto run = Launch({"u@x", "t"});
    ASSERT_EQ(run.events.size(), 1u);
    EXPECT_EQ(run.events[0], c.event);
    EXPECT_FALSE(run.clientSeen);
    EXPECT_EQ(run.lines, std::vector<std::wstring>{c.line});
    EXPECT_TRUE(records_.Lines(L"client_starts.txt").empty());
  }
}

TEST_F(AppLauncherTest, MissingClientExecutableCannotStart) {
  std::wstring folder = wintest::MakeTempFolder(L"launch empty");
  folder.pop_back();
  ASSERT_TRUE(WriteInstallPath(folder));
  const auto run = Launch({"u@x", "\xC3("});
  ASSERT_EQ(run.events.size(), 2u);
  EXPECT_EQ(run.events[0], L"found_invalid_tok:1");
  EXPECT_EQ(run.events[1].rfind(L"err_cumulo_start:", 0), 0u);
  ASSERT_EQ(run.lines.size(), 1u);
  EXPECT_EQ(run.lines[0], L"Starting Cumulo application failed: " + run.events[1].substr(17));
}

TEST_F(AppLauncherTest, ClientThatAppearsAndDiesIsReportedAsCrash) {
  Install(L"launch dies");
  SetEnvironmentVariableW(L"CUMULO_CLIENT_MODE", L"normal");
  // Seen once, then gone before the settle ends, however long wine took to start it.
  const auto run = Launch({"u@x", "t"}, true);
  EXPECT_EQ(run.events, (std::vector<std::wstring>{L"found_valid_tok:1", L"err_cumulo_crashed:1"}));
  EXPECT_EQ(run.lines, std::vector<std::wstring>{L"Starting Cumulo application failed: crash"});
  size_t polls = 0;
  EXPECT_TRUE(IsPollsThenSettle(run.pauses, polls)) << run.pauses.size();
}

TEST_F(AppLauncherTest, ClientThatNeverAppears) {
  // wine starts a Unix program without a Windows process: nothing ever shows up.
  const std::wstring folder = Install(L"launch never");
  ASSERT_TRUE(CopyFileW(L"Z:\\bin\\true", (folder + L"\\Cumulo.exe").c_str(), FALSE));
  const auto run = Launch({"u@x", "t"});
  EXPECT_EQ(run.events, (std::vector<std::wstring>{L"found_valid_tok:1", L"err_cumulo_not_run:1",
                                                   L"err_cumulo_crashed:1"}));
  EXPECT_EQ(run.lines, std::vector<std::wstring>{L"Starting Cumulo application failed: crash"});
  EXPECT_FALSE(run.clientSeen);
  // The whole appearance budget in polls, then the settle.
  size_t polls = 0;
  EXPECT_TRUE(IsPollsThenSettle(run.pauses, polls)) << run.pauses.size();
  EXPECT_EQ(polls * kClientPollPauseMs, kClientAppearBudgetMs);
}

}  // namespace cumulo
