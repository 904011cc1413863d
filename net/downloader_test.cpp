#include "net/downloader.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "common/journal_capture.h"
#include "common/recording_transport.h"
#include "net/download_platform.h"

namespace cumulo {

namespace {
// One scripted attempt: what the platform answers at each step.
struct Answer {
  bool opens = true;
  uint32_t sendError = 0;
  bool hasStatus = true;
  uint32_t status = 200;
  bool hasHeaders = true;
  std::wstring headers = L"HTTP/1.0 200 OK\r\n";
  std::vector<uint32_t> chunks;  // body reads, in bytes
  uint32_t readError = 0;        // after the chunks, instead of the end
  uint32_t createError = 0;
  uint32_t writeError = 0;       // for the write that would pass writeLimit bytes
  uint64_t writeLimit = UINT64_MAX;
};

struct Platform : DownloadPlatform {
  std::deque<Answer> answers;
  std::vector<std::wstring> openedUrls;
  std::vector<std::wstring> agents;
  std::wstring fileContent;  // one character per byte written
  int filesCreated = 0;
  bool fileClosed = false;

  struct Request : DownloadRequest {
    Answer a;
    size_t next = 0;
    uint32_t Send() override { return a.sendError; }
    bool QueryStatus(uint32_t& s) override {
      if (a.hasStatus) s = a.status;
      return a.hasStatus;
    }
    bool QueryRawHeaders(std::wstring& b) override {
      if (a.hasHeaders) b = a.headers;
      return a.hasHeaders;
    }
    uint32_t Read(uint8_t* buffer, uint32_t capacity, uint32_t& got) override {
      if (next == a.chunks.size()) {
        got = 0;
        return a.readError;
      }
      got = std::min(capacity, a.chunks[next++]);
      for (uint32_t i = 0; i < got; ++i) buffer[i] = static_cast<uint8_t>('a' + i % 26);
      return 0;
    }
  };

  struct File : DownloadFile {
    Platform* owner;
    Answer a;
    uint32_t Write(const uint8_t* data, uint32_t size) override {
      if (owner->fileContent.size() + size > a.writeLimit) return a.writeError;
      owner->fileContent.append(data, data + size);
      return 0;
    }
    uint32_t Close() override {
      owner->fileClosed = true;
      return 0;
    }
  };

  Answer current;

  std::unique_ptr<DownloadRequest> OpenRequest(const std::wstring& url,
                                               const std::wstring& agent) override {
    openedUrls.push_back(url);
    agents.push_back(agent);
    current = answers.empty() ? Answer() : answers.front();
    if (!answers.empty()) answers.pop_front();
    if (!current.opens) return nullptr;
    auto r = std::make_unique<Request>();
    r->a = current;
    return r;
  }
  std::unique_ptr<DownloadFile> CreateDestination(const std::wstring&, uint32_t& error) override {
    if (current.createError) {
      error = current.createError;
      return nullptr;
    }
    ++filesCreated;
    fileContent.clear();
    fileClosed = false;
    auto f = std::make_unique<File>();
    f->owner = this;
    f->a = current;
    return f;
  }
};

struct Progress {
  uint32_t received, total;
  bool operator==(const Progress& o) const { return received == o.received && total == o.total; }
};

class DownloaderTest : public ::testing::Test {
 protected:
  DownloaderTest()
      : sender(recorder.MakeSender()),
        platform(std::make_shared<Platform>()),
        downloader(std::make_unique<Downloader>(sender, L"CumuloWindows WCtest", 5, platform)) {
    downloader->progress = [this](uint32_t r, uint32_t t) { calls.push_back({r, t}); };
  }

  AttemptResult Try(const Answer& a) {
    platform->answers = {a};
    return downloader->TryDownload(L"https://h/f.exe", L"dest");
  }

  // The downloader holds the sender too: both go, so that the queue drains.
  std::vector<std::wstring> Events() {
    downloader.reset();
    return DrainEvents(sender, recorder);
  }

  JournalCapture journal;
  MetricRecorder recorder;
  std::shared_ptr<MetricSender> sender;
  std::shared_ptr<Platform> platform;
  std::unique_ptr<Downloader> downloader;
  std::vector<Progress> calls;
};

Answer Ok(const std::wstring& extraHeaders, std::vector<uint32_t> chunks) {
  Answer a;
  a.headers = L"HTTP/1.0 200 OK\r\n" + extraHeaders;
  a.chunks = std::move(chunks);
  return a;
}

Answer Status(uint32_t status, const std::wstring& extraHeaders = L"") {
  Answer a;
  a.status = status;
  a.headers = L"HTTP/1.0 " + std::to_wstring(status) + L" X\r\n" + extraHeaders;
  a.chunks = {100};
  return a;
}
}  // namespace

static const auto* const kJournal =
    ::testing::AddGlobalTestEnvironment(new TestJournalEnvironment(
        WidenAscii(::testing::TempDir()) + L"native_tests_journal.log"));

TEST_F(DownloaderTest, ReportsProgressPerChunkAgainstTheAnnouncedLength) {
  const auto r = Try(Ok(L"Content-Length: 40000\r\n", {16384, 16384, 7232}));
  EXPECT_EQ(r.code, DownloadCode::Completed);
  EXPECT_EQ(r.redirectTarget, L"");
  const std::vector<Progress> expected = {{16384, 40000}, {32768, 40000}, {40000, 40000}};
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(platform->fileContent.size(), 40000u);
  EXPECT_TRUE(platform->fileClosed);
  EXPECT_EQ(platform->agents.at(0), L"CumuloWindows WCtest");
  const std::vector<std::string> lines = journal.Messages();
  const std::vector<std::string> expectedLines = {
      "Downloader, trying download: https://h/f.exe",
      "Downloader, response: 200",
      "Downloader, headers: ",
  };
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3), expectedLines);
  EXPECT_EQ(journal.Count("    Content-Length: 40000"), 1u);
  EXPECT_EQ(journal.Count("    HTTP/1.0: 200 OK"), 1u);
  EXPECT_EQ(lines.back(), "Downloader completed succesfully.");
  EXPECT_TRUE(Events().empty());
}

TEST_F(DownloaderTest, WithoutAUsableLengthTheBodyIsWrittenWithoutProgress) {
  const wchar_t* headers[] = {L"", L"content-length: 500\r\n", L"Content-Length: abc\r\n",
                              L"Content-Length: 99999999999\r\n", L"Content-Length: -5\r\n",
                              L"Content-Length: 0\r\n"};
  for (const wchar_t* h : headers) {
    calls.clear();
    EXPECT_EQ(Try(Ok(h, {300, 200})).code, DownloadCode::Completed) << h;
    EXPECT_TRUE(calls.empty()) << h;
    EXPECT_EQ(platform->fileContent.size(), 500u) << h;
  }
}

TEST_F(DownloaderTest, StatusDecidesTheAttempt) {
  const struct {
    Answer answer;
    DownloadCode code;
    const wchar_t* target;
  } cases[] = {
      {Status(302, L"Location: https://h/new\r\n"), DownloadCode::Redirect, L"https://h/new"},
      {Status(301, L"Location: /path-only\r\n"), DownloadCode::Redirect, L"/path-only"},
      {Status(303, L"Location: https://a/1\r\nLocation: https://b/2\r\n"), DownloadCode::Redirect,
       L"https://a/1"},
      {Status(302), DownloadCode::Retry, L""},
      {Status(302, L"location: https://h/lower\r\n"), DownloadCode::Retry, L""},
      {Status(401), DownloadCode::Retry, L""},
      {Status(404), DownloadCode::Retry, L""},
      {Status(500), DownloadCode::Retry, L""},
      {Status(206, L"Content-Length: 100\r\n"), DownloadCode::Retry, L""},
      {Status(304), DownloadCode::Retry, L""},
      {Status(307, L"Location: https://h/new\r\n"), DownloadCode::Retry, L""},
  };
  for (const auto& c : cases) {
    const auto r = Try(c.answer);
    EXPECT_EQ(r.code, c.code) << c.answer.status;
    EXPECT_EQ(r.redirectTarget, c.target) << c.answer.status;
  }
  EXPECT_EQ(platform->filesCreated, 0);
  EXPECT_TRUE(Events().empty());
}

TEST_F(DownloaderTest, UnreadableStepsGiveTheirCodesQuietly) {
  Answer noSession;
  noSession.opens = false;
  Answer noStatus;
  noStatus.hasStatus = false;
  Answer noHeaders;
  noHeaders.hasHeaders = false;
  EXPECT_EQ(Try(noSession).code, DownloadCode::Retry);
  EXPECT_EQ(Try(noStatus).code, DownloadCode::NoStatus);
  EXPECT_EQ(Try(noHeaders).code, DownloadCode::Retry);
  EXPECT_EQ(platform->filesCreated, 0);
  EXPECT_TRUE(Events().empty());
  EXPECT_EQ(journal.Count("Downloader, response: 200"), 1u);  // only the headerless one
}

TEST_F(DownloaderTest, NetworkFailuresAreLoggedSentAndRetried) {
  Answer sendFails;
  sendFails.sendError = 12029;
  Answer bodyFails = Ok(L"", {16384, 100});
  bodyFails.readError = 12030;
  Answer truncated = Ok(L"Content-Length: 40000\r\n", {16384, 3616});
  EXPECT_EQ(Try(sendFails).code, DownloadCode::Retry);
  EXPECT_EQ(Try(bodyFails).code, DownloadCode::Retry);
  EXPECT_EQ(platform->fileContent.size(), 16484u) << "the partial file stays";
  EXPECT_EQ(Try(truncated).code, DownloadCode::Retry);
  EXPECT_EQ(platform->fileContent.size(), 20000u);
  EXPECT_EQ(journal.Count("Downloader network error: 12029"), 1u);
  EXPECT_EQ(journal.Count("Downloader network error: 12030"), 1u);
  EXPECT_EQ(journal.Count("Downloader network error: 12031"), 1u);
  EXPECT_EQ(journal.Count("Downloader completed succesfully."), 0u);
  const std::vector<std::wstring> expected(3, L"err_setup_network:1");
  EXPECT_EQ(Events(), expected);
  EXPECT_NE(journal.Lines().at(1).find("[E] "), std::string::npos);
}

TEST_F(DownloaderTest, FileFailuresMapOntoCodesAndMetrics) {
  const struct {
    uint32_t error;
    bool onCreate;
    DownloadCode code;
    const wchar_t* metric;
  } cases[] = {
      {5, true, DownloadCode::AccessDenied, L"err_setup_access_denied:1"},
      {112, true, DownloadCode::DiskFull, L"err_setup_no_space:1"},
      {112, false, DownloadCode::DiskFull, L"err_setup_no_space:1"},
      {39, false, DownloadCode::DiskFull, L"err_setup_no_space:1"},
      {5, false, DownloadCode::AccessDenied, L"err_setup_access_denied:1"},
      {32, true, DownloadCode::DiskError, L"err_setup_other_disk_error:1"},
      {1117, false, DownloadCode::DiskError, L"err_setup_other_disk_error:1"},
  };
  std::vector<std::wstring> expected;
  for (const auto& c : cases) {
    Answer a = Ok(L"Content-Length: 40000\r\n", {16384, 16384, 7232});
    if (c.onCreate) {
      a.createError = c.error;
    } else {
      a.writeError = c.error;
      a.writeLimit = 20000;
    }
    JournalCapture attempt;
    EXPECT_EQ(Try(a).code, c.code) << c.error;
    EXPECT_EQ(attempt.Count("Downloader file error: " + std::to_string(c.error)), 1u) << c.error;
    EXPECT_EQ(attempt.Count("Downloader completed succesfully."), 0u) << c.error;
    expected.push_back(c.metric);
  }
  EXPECT_EQ(Events(), expected);
}

TEST_F(DownloaderTest, DownloadFollowsARedirectAndLogsTheStartOnce) {
  platform->answers = {Status(302, L"Location: https://h/second\r\n"), Status(500),
                       Ok(L"", {10})};
  EXPECT_EQ(downloader->Download(L"https://h/first", L"dest"), DownloadCode::Completed);
  const std::vector<std::wstring> urls = {L"https://h/first", L"https://h/second",
                                          L"https://h/second"};
  EXPECT_EQ(platform->openedUrls, urls);
  EXPECT_EQ(journal.Count("Downloading file: https://h/first"), 1u);
  EXPECT_EQ(journal.Messages().at(0), "Downloading file: https://h/first");
  EXPECT_EQ(journal.Count("Downloader, trying download: https://h/second"), 2u);
}

TEST_F(DownloaderTest, AFileFailureEndsTheDownloadAfterOneAttempt) {
  Answer denied = Ok(L"", {10});
  denied.createError = 5;
  platform->answers = {denied, Ok(L"", {10})};
  EXPECT_EQ(downloader->Download(L"https://h/f", L"dest"), DownloadCode::AccessDenied);
  EXPECT_EQ(platform->openedUrls.size(), 1u);
}

TEST(DownloaderStandIn, WithoutAPlatformEveryAttemptIsRetried) {
  Downloader d(nullptr, L"ua", 3, nullptr);
  EXPECT_EQ(d.Download(L"https://h/f", L"dest"), DownloadCode::Retry);
}

}  // namespace cumulo
