// The production telemetry sender against the fixture statistics endpoint.
#include <windows.h>

#include <gtest/gtest.h>

#include "fixture_http.h"
#include "net/metric_sender.h"

namespace cumulo {

namespace {
const char kQueryHead[] = "p=strato";
const char kQueryTail[] = "&t=cumulo_windows_22030052&iid=WCwin0001&v=0&i=new_installer_";

class MetricSenderWinTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(fixture::Reset(fixture::StatHost())); }
};
}  // namespace

TEST_F(MetricSenderWinTest, SendsTheTelemetryRequest) {
  auto sender = MetricSender::Create(L"WCwin0001");
  sender->SendMetric(L"setup_run", 1);
  sender->SendMetric(L"err_code", -2147483647 - 1);
  sender->SetUtm(L"spring sale");
  sender->SendMetric(L"tagged", 1);
  sender.reset();
  const auto requests = fixture::Requests(fixture::StatHost());
  ASSERT_EQ(requests.size(), 3u);
  for (const auto& r : requests) {
    EXPECT_EQ(r.path, "/update");
    EXPECT_EQ(r.userAgent, "CumuloWindows 22.03.0052 beta WCwin0001");
  }
  // The tag is read when an event is sent; the first two may have gone out before it.
  EXPECT_EQ(requests[2].query,
            std::string(kQueryHead) + "&utm=spring%20sale" + kQueryTail + "tagged:1");
  for (int i = 0; i < 2; ++i) {
    const std::string& q = requests[i].query;
    EXPECT_TRUE(q.find(kQueryTail) != std::string::npos) << q;
  }
  const std::string first = requests[0].query;
  EXPECT_EQ(first.substr(first.size() - 11), "setup_run:1");
  const std::string second = requests[1].query;
  EXPECT_EQ(second.substr(second.size() - 20), "err_code:-2147483648");
}

TEST_F(MetricSenderWinTest, AHostileTagArrivesAsOneEncodedValue) {
  auto sender = MetricSender::Create(L"WCwin0001");
  sender->SetUtm(L"a&t=x #%23\x00E9");
  sender->SendMetric(L"first", 1);
  sender.reset();
  const auto requests = fixture::Requests(fixture::StatHost());
  ASSERT_EQ(requests.size(), 1u);
  // WinInet sends the escapes as they are: no forged parameter, no cut query.
  EXPECT_EQ(requests[0].query,
            std::string(kQueryHead) + "&utm=a%26t%3Dx%20%23%2523%C3%A9" + kQueryTail + "first:1");
}

TEST_F(MetricSenderWinTest, ARefusedEventIsSentAgain) {
  ASSERT_TRUE(fixture::Script(fixture::StatHost(), "/update", R"([{"status": 500}])"));
  auto sender = MetricSender::Create(L"WCwin0001");
  sender->SendMetric(L"first", 1);
  sender->SendMetric(L"second", 1);
  sender.reset();
  const auto requests = fixture::Requests(fixture::StatHost());
  ASSERT_EQ(requests.size(), 3u);
  const std::string expectedFirst = std::string(kQueryHead) + kQueryTail + "first:1";
  EXPECT_EQ(requests[0].query, expectedFirst);
  EXPECT_EQ(requests[1].query, expectedFirst);
  EXPECT_EQ(requests[2].query, std::string(kQueryHead) + kQueryTail + "second:1");
}

TEST_F(MetricSenderWinTest, AnEventRefusedForGoodIsDroppedAndTheNextOnesGo) {
  ASSERT_TRUE(fixture::Script(fixture::StatHost(), "/update",
                              R"([{"status": 414}, {"status": 429}, {"status": 404}])"));
  auto sender = MetricSender::Create(L"WCwin0001");
  sender->SendMetric(L"first", 1);
  sender->SendMetric(L"second", 1);
  sender->SendMetric(L"third", 1);
  sender.reset();
  const auto requests = fixture::Requests(fixture::StatHost());
  std::vector<std::string> events;
  for (const auto& r : requests) events.push_back(r.query.substr(r.query.rfind('_') + 1));
  // 414 drops "first"; 429 is a pause, so "second" goes again; 404 drops it then.
  EXPECT_EQ(events, (std::vector<std::string>{"first:1", "second:1", "second:1", "third:1"}));
}

}  // namespace cumulo
