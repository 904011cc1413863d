#include "install/process_probe_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace cumulo {

TEST(ProcessProbeRules, ClientNameIsWholeNameWhateverTheCase) {
  EXPECT_TRUE(IsClientImageName(L"cumulo.exe"));
  EXPECT_TRUE(IsClientImageName(L"CuMuLo.EXE"));
  EXPECT_FALSE(IsClientImageName(L"xcumulo.exe"));
  EXPECT_FALSE(IsClientImageName(L"cumulo.exe "));
  EXPECT_FALSE(IsClientImageName(L"cumulo"));
}

TEST(ProcessProbeRules, ExplorerFilterIsSubstringOfLoweredName) {
  EXPECT_TRUE(ImageNameMatchesFilter(L"explorer.exe", L"explorer"));
  EXPECT_TRUE(ImageNameMatchesFilter(L"MyEXPLORER2.exe", L"explorer"));
  EXPECT_FALSE(ImageNameMatchesFilter(L"explore.exe", L"explorer"));
  EXPECT_FALSE(ImageNameMatchesFilter(L"", L"explorer"));
}

TEST(ProcessProbeRules, FileNamePartAfterLastBackslash) {
  EXPECT_EQ(FileNamePart(L"C:\\windows\\explorer.exe"), L"explorer.exe");
  EXPECT_EQ(FileNamePart(L"explorer.exe"), L"explorer.exe");
  EXPECT_EQ(FileNamePart(L"C:\\dir\\"), L"");
}

namespace {

// A client that leaves after a number of close requests, on a fake clock.
struct FakeClient {
  bool running = true;
  int requestsToClose = -1;  // never when negative
  int requests = 0;
  int windowlessRequests = 0;
  uint32_t clockMs = 0;
  std::vector<uint32_t> requestTimes;

  CloseClientSteps Steps() {
    CloseClientSteps steps;
    steps.isClientRunning = [this] { return running; };
    steps.requestClose = [this] {
      ++requests;
      requestTimes.push_back(clockMs);
      if (requestsToClose > 0 && requests >= requestsToClose) running = false;
    };
    steps.sleep = [this](uint32_t ms) { clockMs += ms; };
    return steps;
  }
};

}  // namespace

TEST(CloseClientSchedule, NothingRunningReturnsAtOnceWithoutRequest) {
  FakeClient client;
  client.running = false;
  EXPECT_TRUE(CloseClientWithinBudget(client.Steps()));
  EXPECT_EQ(client.requests, 0);
  EXPECT_EQ(client.clockMs, 0u);
}

TEST(CloseClientSchedule, ClosesAfterThirdRequest) {
  FakeClient client;
  client.requestsToClose = 3;
  EXPECT_TRUE(CloseClientWithinBudget(client.Steps()));
  EXPECT_EQ(client.requests, 3);
  EXPECT_EQ(client.clockMs, 1500u);
  EXPECT_EQ(client.requestTimes, (std::vector<uint32_t>{0, 500, 1000}));
}

TEST(CloseClientSchedule, NeverClosingGivesUpAfterTenRequestsAndFiveSeconds) {
  FakeClient client;
  EXPECT_FALSE(CloseClientWithinBudget(client.Steps()));
  EXPECT_EQ(client.requests, 10);
  EXPECT_EQ(client.clockMs, 5000u);
  EXPECT_TRUE(client.running);
}

}  // namespace cumulo
