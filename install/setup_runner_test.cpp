#include "install/setup_runner.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/recording_transport.h"

namespace cumulo {

namespace {

SetupParams Params() {
  SetupParams p;
  p.workingDirectory = L"C:\\T\\";
  p.setupFile = L"C:\\T\\Cumulo-x.exe";
  p.logFile = L"C:\\T\\Cumulo-x.log";
  return p;
}

constexpr wchar_t kSilent[] = L"/VERYSILENT /SUPPRESSMSGBOXES /NORESTART /NOCLOSEAPPLICATIONS";

}  // namespace

TEST(SetupCommandLine, AttemptsAndOptions) {
  struct Case {
    bool second;
    std::wstring log;
    bool drivers;
    std::wstring extra;
    std::wstring expected;
  };
  const std::wstring silent = kSilent;
  const std::vector<Case> cases = {
      {false, L"C:\\T\\a b.log", true, L"", silent + L" /LOG=\"C:\\T\\a b.log\""},
      {true, L"C:\\T\\a b.log", true, L"", L" /LOG=\"C:\\T\\a b.log\""},
      {false, L"", true, L"", silent},
      {true, L"", true, L"", L""},
      {false, L"l", false, L"", silent + L" /LOG=\"l\" /INSTALL_DRIVERS=NO"},
      {true, L"", false, L"/X=1", L" /INSTALL_DRIVERS=NO /X=1"},
      {false, L"l", false, L"/X=1", silent + L" /LOG=\"l\" /INSTALL_DRIVERS=NO /X=1"},
  };
  for (const auto& c : cases) {
    SetupParams p;
    p.logFile = c.log;
    p.installDrivers = c.drivers;
    p.extraArguments = c.extra;
    EXPECT_EQ(SetupCommandLine(p, c.second), c.expected);
  }
}

TEST(SetupRunner, RetryTable) {
  using Stage = SetupAttempt::Stage;
  struct Case {
    const char* name;
    std::vector<SetupAttempt> attempts;
    bool retryAllowed;
    SetupResult result;
    std::vector<std::wstring> events;
    std::vector<std::wstring> lines;
  };
  const std::vector<std::wstring> one = {L"I Runnning installer"};
  const std::vector<std::wstring> two = {L"I Runnning installer",
                                         L"I Runnning installer, second attempt"};
  const auto ok = SetupResult::Succeeded, failed = SetupResult::Failed,
             untrusted = SetupResult::Untrusted;
  const std::vector<Case> cases = {
      {"first succeeds", {{Stage::Exited, 0}}, true, ok, {}, one},
      {"5 then 0",
       {{Stage::Exited, 5}, {Stage::Exited, 0}},
       true,
       ok,
       {L"error_exit_setup:5", L"succeeded_on_second_try:1"},
       two},
      {"both fail",
       {{Stage::Exited, 5}, {Stage::Exited, 0xC0000005u}},
       true,
       failed,
       {L"error_exit_setup:5", L"error_exit_setup:-1073741819", L"failed_on_second_try:1"},
       two},
      {"no retry", {{Stage::Exited, 2}}, false, failed, {L"error_exit_setup:2"}, one},
      {"start fails then wait fails",
       {{Stage::StartFailed, 2}, {Stage::WaitFailed, 6}},
       true,
       failed,
       {L"error_setup_start:2", L"error_setup_wait:6", L"failed_on_second_try:1"},
       two},
      {"no exit code then 0",
       {{Stage::NoExitCode, 6}, {Stage::Exited, 0}},
       true,
       ok,
       {L"error_setup_no_exit:6", L"succeeded_on_second_try:1"},
       two},
      // A refused package is never retried: it would be refused again, or worse, not.
      {"unsigned package",
       {{Stage::Untrusted, 0x800B0100u}},
       true,
       untrusted,
       {L"err_setup_untrusted:-2146762496"},
       {L"I Runnning installer", L"E Setup package failed verification: 0x800B0100."}},
      // A package whose bytes do not match its signature at the first check: the road
      // that fetches it again decides.
      {"damaged package",
       {{Stage::Untrusted, 0x80096010u}},
       true,
       SetupResult::Damaged,
       {L"err_setup_untrusted:-2146869232"},
       {L"I Runnning installer", L"E Setup package failed verification: 0x80096010."}},
      {"visible retry verified again and refused",
       {{Stage::Exited, 5}, {Stage::Untrusted, 0x80096010u}},
       true,
       untrusted,
       {L"error_exit_setup:5", L"err_setup_untrusted:-2146869232"},
       {L"I Runnning installer", L"I Runnning installer, second attempt",
        L"E Setup package failed verification: 0x80096010."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MetricRecorder recorder;
    auto sender = recorder.MakeSender();
    std::vector<std::wstring> lines;
    std::vector<std::pair<std::wstring, bool>> starts;
    size_t next = 0;
    {
      SetupRunner runner(
          sender,
          [&](const SetupParams& p, const std::wstring& parameters, bool show) {
            EXPECT_EQ(p.setupFile, L"C:\\T\\Cumulo-x.exe");
            starts.emplace_back(parameters, show);
            return c.attempts.at(next++);
          },
          [&](const std::wstring& m, LogLevel level) {
            lines.push_back((level == LogLevel::Info    ? L"I "
                             : level == LogLevel::Error ? L"E "
                                                        : L"? ") +
                            m);
          });
      SetupParams p = Params();
      p.retryAllowed = c.retryAllowed;
      EXPECT_EQ(runner.RunWithRetry(p), c.result);
    }
    EXPECT_EQ(next, c.attempts.size());
    EXPECT_EQ(lines, c.lines);
    ASSERT_GE(starts.size(), 1u);
    EXPECT_EQ(starts[0],
              std::make_pair(std::wstring(kSilent) + L" /LOG=\"C:\\T\\Cumulo-x.log\"", false));
    if (starts.size() == 2) {
      EXPECT_EQ(starts[1], std::make_pair(std::wstring(L" /LOG=\"C:\\T\\Cumulo-x.log\""), true));
    }
    EXPECT_EQ(DrainEvents(sender, recorder), c.events);
  }
}

}  // namespace cumulo
