// The probes against real processes of the prefix: the stand-in client, copies of it under
// other names, and wine's own explorer.exe.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/process_probe.h"
#include "install/process_probe_rules.h"
#include "install/process_probe_win.h"
#include "install_wintest_support.h"

namespace cumulo {

using namespace installtest;

namespace {

class ProcessProbeTest : public ::testing::Test {
 protected:
  void SetUp() override { EndAllClients(); }
  void TearDown() override { EndAllClients(); }
  StandInRecords records_{L"probe"};
};

}  // namespace

TEST_F(ProcessProbeTest, ExplorerOfTheSameUserIsFound) {
  // wine starts its explorer.exe with the first window of the session.
  HWND window = CreateWindowW(L"STATIC", L"probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr);
  std::vector<std::string> texts;
  EXPECT_TRUE(IsSameUserAsExplorer([&texts](const std::string& t) { texts.push_back(t); }));
  DestroyWindow(window);
}

TEST_F(ProcessProbeTest, CurrentProcessTokenAndImageName) {
  std::vector<std::string> texts;
  const DiagnosticSink sink = [&texts](const std::string& t) { texts.push_back(t); };
  EXPECT_TRUE(GetProcessTokenUser(GetCurrentProcessId(), L"", sink));
  EXPECT_TRUE(GetProcessTokenUser(GetCurrentProcessId(), L"tests", sink));
  EXPECT_FALSE(GetProcessTokenUser(GetCurrentProcessId(), L"explorer", sink));
  EXPECT_FALSE(GetProcessTokenUser(0, L"", sink));
  EXPECT_TRUE(IsSameUserAsCurrentProcess(GetCurrentProcessId(), sink));
  EXPECT_TRUE(texts.empty());

  wchar_t own[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  const std::wstring ownPath = own;
  EXPECT_EQ(GetProcessImageName(GetCurrentProcess(), sink),
            ownPath.substr(ownPath.rfind(L'\\') + 1));
  EXPECT_EQ(GetProcessImageName(nullptr, sink), L"");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].rfind("Failed to get proc image name, error: ", 0), 0u) << texts[0];
}

TEST_F(ProcessProbeTest, ImageNameAndTokenNeedOnlyLimitedRights) {
  HANDLE client = StartClient(L"normal");
  ASSERT_NE(client, nullptr);
  ASSERT_TRUE(WaitForClientRunning(true, 10000));
  std::vector<std::string> texts;
  const DiagnosticSink sink = [&texts](const std::string& t) { texts.push_back(t); };
  // The rights the probes ask for, and no more: no memory reading, no full query rights.
  HANDLE limited = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, GetProcessId(client));
  ASSERT_NE(limited, nullptr);
  EXPECT_EQ(GetProcessImageName(limited, sink), L"Cumulo.exe");
  HANDLE token = nullptr;
  EXPECT_TRUE(OpenProcessToken(limited, TOKEN_QUERY, &token));
  if (token != nullptr) CloseHandle(token);
  CloseHandle(limited);
  EXPECT_TRUE(IsSameUserAsCurrentProcess(GetProcessId(client), sink));
  EXPECT_TRUE(GetProcessTokenUser(GetProcessId(client), L"cumulo", sink));
  EXPECT_TRUE(texts.empty());
  TerminateProcess(client, 1);
  WaitForSingleObject(client, 5000);
  CloseHandle(client);
}

// A close request can reach the client only once its window exists; a client with its
// window up has surely started.
static bool WaitForClientWindow() {
  const ULONGLONG end = GetTickCount64() + 30000;
  do {
    if (FindWindowW(nullptr, L"E2DCED31-32EB-406B-BCA8-38879C45600D-HDJK6678HBHCAVGL667"))
      return true;
    Sleep(50);
  } while (GetTickCount64() < end);
  return false;
}

TEST_F(ProcessProbeTest, RunningClientIsFoundAndClosed) {
  EXPECT_FALSE(IsClientRunning());
  EXPECT_TRUE(CloseRunningClient());  // nothing to close: at once

  HANDLE client = StartClient(L"normal");
  ASSERT_NE(client, nullptr);
  ASSERT_TRUE(WaitForClientRunning(true, 10000));
  ASSERT_TRUE(WaitForClientWindow());
  const ULONGLONG start = GetTickCount64();
  EXPECT_TRUE(CloseRunningClient());
  // Done when the client is gone, not when the budget is spent (a window takes about 2 s).
  EXPECT_LT(GetTickCount64() - start, kCloseBudgetMs);
  EXPECT_EQ(WaitForSingleObject(client, 5000), WAIT_OBJECT_0);
  CloseHandle(client);
  EXPECT_FALSE(IsClientRunning());
  EXPECT_EQ(records_.Lines(L"client_events.txt"), std::vector<std::string>{"close"});
}

TEST_F(ProcessProbeTest, ClientIgnoringCloseIsGivenUpAfterFiveSeconds) {
  HANDLE client = StartClient(L"ignore_close");
  ASSERT_NE(client, nullptr);
  ASSERT_TRUE(WaitForClientRunning(true, 10000));
  ASSERT_TRUE(WaitForClientWindow());
  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(CloseRunningClient());
  const ULONGLONG took = GetTickCount64() - start;
  EXPECT_GE(took, 4500u);
  EXPECT_LT(took, 12000u);
  EXPECT_EQ(records_.Lines(L"client_events.txt").size(), 10u);
  EXPECT_EQ(WaitForSingleObject(client, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  TerminateProcess(client, 1);
  CloseHandle(client);
}

TEST_F(ProcessProbeTest, ImageNameMustBeCumuloExeInAnyCase) {
  const std::wstring folder = wintest::MakeTempFolder(L"names");
  ASSERT_TRUE(CopyFileW(ClientStandIn().c_str(), (folder + L"Cumulo2.exe").c_str(), FALSE));
  HANDLE other = StartClient(L"normal", folder + L"Cumulo2.exe");
  ASSERT_NE(other, nullptr);
  ASSERT_TRUE(WaitForClientWindow());  // it runs: only its name can keep it from counting
  EXPECT_FALSE(IsClientRunning());
  TerminateProcess(other, 1);
  WaitForSingleObject(other, 5000);
  CloseHandle(other);

  ASSERT_TRUE(CopyFileW(ClientStandIn().c_str(), (folder + L"CUMULO.EXE").c_str(), FALSE));
  HANDLE upper = StartClient(L"normal", folder + L"CUMULO.EXE");
  ASSERT_NE(upper, nullptr);
  EXPECT_TRUE(WaitForClientRunning(true, 10000));
  TerminateProcess(upper, 1);
  WaitForSingleObject(upper, 5000);
  CloseHandle(upper);
}

}  // namespace cumulo
