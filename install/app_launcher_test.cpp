#include "install/app_launcher.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "common/recording_transport.h"

namespace cumulo {

TEST(QuoteClientArgument, CommandLineRules) {
  struct Case {
    std::wstring value, quoted;
  };
  const std::vector<Case> cases = {
      {L"user@example.com", L"\"user@example.com\""},
      {L"a b", L"\"a b\""},
      {L"a\\b", L"\"a\\b\""},          // inner backslashes stay
      {L"a\"b", L"\"a\\\"b\""},        // quote escaped
      {L"a\\\"b", L"\"a\\\\\\\"b\""},  // backslash before a quote doubled, quote escaped
      {L"tok\\", L"\"tok\\\\\""},      // trailing backslash doubled
      {L"tok\\\\", L"\"tok\\\\\\\\\""},
      {L"\"", L"\"\\\"\""},
  };
  for (const auto& c : cases) EXPECT_EQ(QuoteClientArgument(c.value), c.quoted) << c.value;
}

TEST(BuildClientCommand, HandOffTail) {
  struct Case {
    const char* name;
    std::string email, auth;
    TokenHandoff token;
    std::wstring tail;
  };
  const std::vector<Case> cases = {
      {"both", "u@x.ru", "T0k=en", TokenHandoff::Valid,
       L" -auth_email \"u@x.ru\" -auth_token \"T0k=en\""},
      {"email only", "u@x.ru", "", TokenHandoff::NotFound, L""},
      {"token only", "", "tok", TokenHandoff::NotFound, L""},
      {"invalid token", "u@x.ru", "\xC3\x28", TokenHandoff::Invalid, L""},
      {"invalid email", "\xFF", "tok", TokenHandoff::Invalid, L""},
      {"NUL in token", "u@x.ru", std::string("a\0b", 3), TokenHandoff::Invalid, L""},
      {"utf-8", "\xD0\xB8@x.ru", "t", TokenHandoff::Valid,
       L" -auth_email \"\x0438@x.ru\" -auth_token \"t\""},
      {"quote and trailing backslash", "a\"b@x", "t\\", TokenHandoff::Valid,
       L" -auth_email \"a\\\"b@x\" -auth_token \"t\\\\\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ClientCommand command;
    ASSERT_TRUE(BuildClientCommand(L"C:\\Users\\A B\\Cumulo", {c.email, c.auth}, command));
    EXPECT_EQ(command.applicationName, L"C:\\Users\\A B\\Cumulo\\Cumulo.exe");
    EXPECT_EQ(command.commandLine, L"\"C:\\Users\\A B\\Cumulo\\Cumulo.exe\"" + c.tail);
    EXPECT_EQ(command.token, c.token);
  }
}

TEST(BuildClientCommand, TooLongTailIsDroppedButCountsAsValid) {
  ClientCommand command;
  ASSERT_TRUE(BuildClientCommand(L"C:\\C", {"u@x", std::string(32768, 'a')}, command));
  EXPECT_EQ(command.commandLine, L"\"C:\\C\\Cumulo.exe\"");
  EXPECT_EQ(command.token, TokenHandoff::Valid);
  // The longest tail that still fits leaves room for the terminator.
  const std::wstring path = L"C:\\C";
  const size_t fixed =
      (L"\"" + path + L"\\Cumulo.exe\" -auth_email \"u@x\" -auth_token \"\"").size();
  ASSERT_TRUE(BuildClientCommand(path, {"u@x", std::string(32767 - fixed, 'a')}, command));
  EXPECT_EQ(command.commandLine.size(), 32767u);
  ASSERT_TRUE(BuildClientCommand(path, {"u@x", std::string(32768 - fixed, 'a')}, command));
  EXPECT_EQ(command.commandLine, L"\"C:\\C\\Cumulo.exe\"");
}

TEST(BuildClientCommand, InstallPathThatCannotNameTheClient) {
  ClientCommand command;
  // The path with \Cumulo.exe and its two quotes must leave room for the terminator.
  EXPECT_FALSE(BuildClientCommand(std::wstring(32768 - 13, L'a'), {}, command));
  EXPECT_TRUE(BuildClientCommand(std::wstring(32767 - 13, L'a'), {}, command));
  EXPECT_FALSE(BuildClientCommand(std::wstring(L"C:\\a\0b", 6), {}, command));
}

namespace {

class FakeLauncherPlatform : public LauncherPlatform {
 public:
  InstallPathReading reading{InstallPathReading::Status::Found, L"C:\\P", 0};
  bool startSucceeds = true;
  uint32_t startError = 0;
  // Whether a client runs at a moment after the start, in fake milliseconds.
  std::function<bool(uint32_t)> runningAt = [](uint32_t) { return true; };

  uint32_t clockMs = 0;
  int probes = 0;
  std::vector<std::pair<std::wstring, std::wstring>> started;
  std::vector<std::wstring> startedIn;  // each start's current folder

  InstallPathReading ReadInstallPath() override { return reading; }
  bool StartClient(const ClientCommand& command, uint32_t& error) override {
    started.emplace_back(command.applicationName, command.commandLine);
    startedIn.push_back(command.currentDirectory);
    error = startError;
    return startSucceeds;
  }
  bool IsClientRunning() override {
    ++probes;
    return runningAt(clockMs);
  }
  void Sleep(uint32_t ms) override { clockMs += ms; }
};

struct LaunchRun {
  std::vector<std::wstring> events;
  std::vector<std::wstring> lines;
  bool clientSeen = false;
};

LaunchRun Launch(FakeLauncherPlatform& platform, const AuthHandoff& handoff) {
  MetricRecorder recorder;
  auto sender = recorder.MakeSender();
  LaunchRun run;
  {
    AppLauncher launcher(sender, platform, [&run](const std::wstring& m, LogLevel level) {
      run.lines.push_back((level == LogLevel::Error ? L"E " : L"? ") + m);
    });
    run.clientSeen = launcher.LaunchClient(handoff);
  }
  run.events = DrainEvents(sender, recorder);
  return run;
}

}  // namespace

TEST(AppLauncher, ClientAppearsAtOnce) {
  FakeLauncherPlatform platform;
  const auto run = Launch(platform, {"u@x.ru", "tok"});
  EXPECT_EQ(run.events, std::vector<std::wstring>{L"found_valid_tok:1"});
  EXPECT_TRUE(run.lines.empty());
  ASSERT_EQ(platform.started.size(), 1u);
  EXPECT_EQ(platform.started[0].first, L"C:\\P\\Cumulo.exe");
  EXPECT_EQ(platform.started[0].second,
            L"\"C:\\P\\Cumulo.exe\" -auth_email \"u@x.ru\" -auth_token \"tok\"");
  EXPECT_EQ(platform.startedIn, std::vector<std::wstring>{L"C:\\P"});
  EXPECT_EQ(platform.probes, 2);
  EXPECT_EQ(platform.clockMs, 1000u);
  EXPECT_TRUE(run.clientSeen);
}

TEST(AppLauncher, ClientNeverAppears) {
  FakeLauncherPlatform platform;
  platform.runningAt = [](uint32_t) { return false; };
  const auto run = Launch(platform, {"", ""});
  EXPECT_EQ(run.events, (std::vector<std::wstring>{L"not_found_token:1", L"err_cumulo_not_run:1",
                                                   L"err_cumulo_crashed:1"}));
  EXPECT_EQ(run.lines, std::vector<std::wstring>{L"E Starting Cumulo application failed: crash"});
  EXPECT_EQ(platform.started.at(0).second, L"\"C:\\P\\Cumulo.exe\"");
  EXPECT_EQ(platform.probes, 17);  // 16 while waiting, one after the settle pause
  EXPECT_EQ(platform.clockMs, 5000u);
  EXPECT_FALSE(run.clientSeen);
}

TEST(AppLauncher, ClientAppearsLateThenRuns) {
  FakeLauncherPlatform platform;
  platform.runningAt = [](uint32_t t) { return t >= 3750; };
  const auto run = Launch(platform, {"u", "t"});
  EXPECT_EQ(run.events, std::vector<std::wstring>{L"found_valid_tok:1"});
  EXPECT_EQ(platform.probes, 17);
  EXPECT_EQ(platform.clockMs, 4750u);
  EXPECT_TRUE(run.clientSeen);
}

TEST(AppLauncher, ClientAppearsThenDies) {
  FakeLauncherPlatform platform;
  platform.runningAt = [](uint32_t t) { return t >= 500 && t < 1000; };
  const auto run = Launch(platform, {"u", "t"});
  EXPECT_EQ(run.events, (std::vector<std::wstring>{L"found_valid_tok:1", L"err_cumulo_crashed:1"}));
  EXPECT_EQ(run.lines, std::vector<std::wstring>{L"E Starting Cumulo application failed: crash"});
  EXPECT_FALSE(run.clientSeen);
}

TEST(AppLauncher, FailuresBeforeTheWatch) {
  struct Case {
    const char* name;
    InstallPathReading reading;
    bool startSucceeds;
    AuthHandoff handoff;
    std::vector<std::wstring> events;
    std::vector<std::wstring> lines;
  };
  using S = InstallPathReading::Status;
  const std::vector<Case> cases = {
      {"no key",
       {S::NoKey, L"", 2},
       true,
       {"u", "t"},
       {L"err_cumulo_settings:2"},
       {L"E Starting Cumulo application failed: no Aldervane_Cumulo key"}},
      {"no value",
       {S::NoValue, L"", 0},
       true,
       {"u", "t"},
       {L"err_cumulo_ins_path:0"},
       {L"E Starting Cumulo application failed: no InstallPath"}},
      {"path too long",
       {S::Found, std::wstring(40000, L'a'), 0},
       true,
       {"u", "t"},
       {L"err_cumulo_ins_path:0"},
       {L"E Starting Cumulo application failed: no InstallPath"}},
      {"start fails",
       {S::Found, L"C:\\P", 0},
       false,
       {"u", "\xC3"},
       {L"found_invalid_tok:1", L"err_cumulo_start:2"},
       {L"E Starting Cumulo application failed: 2"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeLauncherPlatform platform;
    platform.reading = c.reading;
    platform.startSucceeds = c.startSucceeds;
    platform.startError = 2;
    const auto run = Launch(platform, c.handoff);
    EXPECT_EQ(run.events, c.events);
    EXPECT_EQ(run.lines, c.lines);
    EXPECT_EQ(platform.probes, 0);
    EXPECT_FALSE(run.clientSeen);
  }
}

}  // namespace cumulo
