#include "net/downloader.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

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
  std::vector<uint32_t> chunks;    // body reads, in bytes
  uint64_t bodyStart = 0;          // where the body lies in the file (a 206's first byte)
  uint32_t readError = 0;          // after the chunks, instead of the end
  bool stallsAfterChunks = false;  // after the chunks, the read blocks until aborted
  uint32_t createError = 0;
  uint32_t writeError = 0;  // for the write that would pass writeLimit bytes
  uint64_t writeLimit = UINT64_MAX;
  uint32_t appendError = 0;           // reopening the partial file fails with it
  std::optional<uint64_t> freeSpace;  // what the volume has for this attempt; unknown unless set
};

// The byte at position `at` of the file that every scripted body is a part of.
char PatternByte(uint64_t at) { return static_cast<char>('a' + at % 26); }

bool IsWholeFile(const std::wstring& content, size_t length) {
  if (content.size() != length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (content[i] != static_cast<wchar_t>(PatternByte(i))) return false;
  }
  return true;
}

struct Platform : DownloadPlatform {
  std::deque<Answer> answers;
  std::vector<std::wstring> openedUrls;
  std::vector<std::wstring> agents;
  std::vector<std::wstring> sentHeaders;  // per sent request
  std::wstring fileContent;               // one character per byte written
  int filesCreated = 0;
  int filesAppended = 0;
  bool fileClosed = false;
  std::vector<std::wstring> spaceQueries;
  std::chrono::milliseconds stallLimit{30000};
  int aborts = 0;

  std::chrono::milliseconds StallLimit() override { return stallLimit; }

  struct Request : DownloadRequest {
    Platform* owner;
    Answer a;
    size_t next = 0;
    uint64_t position = 0;
    std::mutex mutex;
    std::condition_variable abortedCv;
    bool aborted = false;
    void Abort() override {
      std::lock_guard<std::mutex> lock(mutex);
      aborted = true;
      ++owner->aborts;
      abortedCv.notify_all();
    }
    uint32_t Send(const std::wstring& headers) override {
      owner->sentHeaders.push_back(headers);
      position = a.bodyStart;
      return a.sendError;
    }
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
        if (a.stallsAfterChunks) {
          std::unique_lock<std::mutex> lock(mutex);
          abortedCv.wait(lock, [this] { return aborted; });
          return 12017;  // ERROR_INTERNET_OPERATION_CANCELLED, as a closed handle gives
        }
        return a.readError;
      }
      got = std::min(capacity, a.chunks[next++]);
      for (uint32_t i = 0; i < got; ++i) buffer[i] = static_cast<uint8_t>(PatternByte(position++));
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
    r->owner = this;
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
  std::unique_ptr<DownloadFile> AppendDestination(const std::wstring&, uint64_t offset,
                                                  uint32_t& error) override {
    if (current.appendError || fileContent.size() < offset) {
      error = current.appendError ? current.appendError : 38;
      return nullptr;
    }
    ++filesAppended;
    fileContent.resize(offset);
    fileClosed = false;
    auto f = std::make_unique<File>();
    f->owner = this;
    f->a = current;
    return f;
  }
  bool FreeSpace(const std::wstring& path, uint64_t& bytes) override {
    spaceQueries.push_back(path);
    if (!current.freeSpace) return false;
    bytes = *current.freeSpace;
    return true;
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
        downloader(std::make_unique<Downloader>(sender, L"CumuloWindows WCtest", 5, platform,
                                                [this](uint32_t r, uint32_t t) {
                                                  calls.push_back({r, t});
                                                })) {}

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

// One journal per process: the plain, sanitizer and other trees' runs may share the
// temporary folder at once, and each starts by deleting its file.
static const auto* const kJournal = ::testing::AddGlobalTestEnvironment(
    new TestJournalEnvironment(WidenAscii(::testing::TempDir()) + L"native_tests_journal." +
                               std::to_wstring(getpid()) + L".log"));

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
  const wchar_t* headers[] = {L"", L"Content-Length: abc\r\n", L"Content-Length: -5\r\n",
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
      {Status(301, L"Location: /path-only\r\n"), DownloadCode::Redirect, L"https://h/path-only"},
      {Status(303, L"Location: https://a/1\r\nLocation: https://b/2\r\n"), DownloadCode::Redirect,
       L"https://a/1"},
      {Status(302), DownloadCode::Retry, L""},
      {Status(302, L"location: https://h/lower\r\n"), DownloadCode::Redirect, L"https://h/lower"},
      {Status(302, L"Location: http://h/plain\r\n"), DownloadCode::Retry, L""},
      {Status(302, L"Location: https://h/a b\r\n"), DownloadCode::Retry, L""},
      {Status(308, L"LOCATION: next?x=1\r\n"), DownloadCode::Redirect, L"https://h/next?x=1"},
      {Status(401), DownloadCode::Retry, L""},
      {Status(404), DownloadCode::Retry, L""},
      {Status(500), DownloadCode::Retry, L""},
      {Status(206, L"Content-Length: 100\r\n"), DownloadCode::Retry, L""},
      {Status(304), DownloadCode::Retry, L""},
      {Status(307, L"Location: https://h/new\r\n"), DownloadCode::Redirect, L"https://h/new"},
      {Status(307), DownloadCode::Retry, L""},
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
  platform->answers = {Status(302, L"Location: https://h/second\r\n"), Status(500), Ok(L"", {10})};
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
  Downloader d(nullptr, L"ua", 3, std::shared_ptr<DownloadPlatform>());
  EXPECT_EQ(d.Download(L"https://h/f", L"dest"), DownloadCode::Retry);
}

namespace {
const wchar_t kResumable[] = L"Content-Length: 40000\r\nETag: \"v1\"\r\nAccept-Ranges: bytes\r\n";
const wchar_t kRangeFrom16484[] = L"Range: bytes=16484-\r\nIf-Range: \"v1\"\r\n";

std::vector<uint32_t> Chunks(uint64_t bytes) {
  std::vector<uint32_t> out;
  for (; bytes > 16384; bytes -= 16384) out.push_back(16384);
  if (bytes > 0) out.push_back(static_cast<uint32_t>(bytes));
  return out;
}

// The 40000-byte file, whole.
Answer Whole(const std::wstring& headers = kResumable) { return Ok(headers, Chunks(40000)); }

// A 200 of the 40000-byte file whose connection breaks after `bytes`.
Answer CutAfter(uint64_t bytes, const std::wstring& headers = kResumable) {
  Answer a = Ok(headers, Chunks(bytes));
  a.readError = 12030;
  return a;
}

// A 206 with the rest of the 40000-byte file from `from`, or with what `range` claims.
Answer Rest(uint64_t from, const std::wstring& range = L"",
            const std::wstring& validator = L"ETag: \"v1\"\r\n") {
  Answer a;
  a.status = 206;
  a.headers = L"HTTP/1.0 206 Partial Content\r\nContent-Range: " +
              (range.empty() ? L"bytes " + std::to_wstring(from) + L"-39999/40000" : range) +
              L"\r\nContent-Length: " + std::to_wstring(40000 - from) + L"\r\n" + validator;
  a.chunks = Chunks(40000 - from);
  a.bodyStart = from;
  return a;
}

size_t IndexOf(const std::vector<std::string>& lines, const std::string& line, size_t nth) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == line && nth-- == 0) return i;
  }
  return lines.size();
}
}  // namespace

TEST_F(DownloaderTest, ACutDownloadAsksForTheRestAndAppendsIt) {
  platform->answers = {CutAfter(16484), Rest(16484)};
  EXPECT_EQ(downloader->Download(L"https://h/f", L"dest"), DownloadCode::Completed);
  EXPECT_TRUE(IsWholeFile(platform->fileContent, 40000));
  EXPECT_EQ(platform->filesCreated, 1);
  EXPECT_EQ(platform->filesAppended, 1);
  EXPECT_EQ(platform->sentHeaders, (std::vector<std::wstring>{L"", kRangeFrom16484}));
  const std::vector<Progress> expected = {
      {16384, 40000}, {16484, 40000}, {32868, 40000}, {40000, 40000}};
  EXPECT_EQ(calls, expected) << "progress goes on from the resume point";
  const auto lines = journal.Messages();
  const size_t second = IndexOf(lines, "Downloader, trying download: https://h/f", 1);
  ASSERT_LT(second + 1, lines.size());
  EXPECT_EQ(lines[second + 1], "Downloader, resuming from byte: 16484");
  EXPECT_EQ(journal.Count("Downloader, resuming from byte: 16484"), 1u);
  EXPECT_EQ(journal.Count("    Content-Range: bytes 16484-39999/40000"), 1u);
  EXPECT_EQ(lines.back(), "Downloader completed succesfully.");
  EXPECT_EQ(Events(), std::vector<std::wstring>{L"err_setup_network:1"});
}

TEST_F(DownloaderTest, AnythingButTheExactRestStartsTheFileOver) {
  Answer overrun = Rest(16484);
  overrun.chunks.push_back(100);
  const struct {
    const char* what;
    Answer answer;
    size_t attempts;
  } cases[] = {
      {"a 200: the file as it is now", Whole(L"Content-Length: 40000\r\nETag: \"v2\"\r\n"), 2},
      {"416", Status(416, L"Content-Range: bytes */40000\r\n"), 3},
      {"another first byte", Rest(16484, L"bytes 16000-39999/40000"), 3},
      {"another total", Rest(16484, L"bytes 16484-49999/50000"), 3},
      {"a range that stops short", Rest(16484, L"bytes 16484-39998/40000"), 3},
      {"a malformed range", Rest(16484, L"bytes 16484-39999/4e4"), 3},
      {"another unit", Rest(16484, L"items 16484-39999/40000"), 3},
      {"no range", Status(206, L"Content-Length: 23516\r\n"), 3},
      {"a length that disagrees",
       Status(206,
              L"Content-Range: bytes 16484-39999/40000\r\n"
              L"Content-Length: 100\r\n"),
       3},
      {"more body than the range", overrun, 3},
      {"no validator", Rest(16484, L"", L""), 3},
      {"another validator", Rest(16484, L"", L"ETag: \"v2\"\r\n"), 3},
      {"a weak form of the validator", Rest(16484, L"", L"ETag: W/\"v1\"\r\n"), 3},
      {"a 404", Status(404), 3},
  };
  for (const auto& c : cases) {
    platform = std::make_shared<Platform>();
    downloader = std::make_unique<Downloader>(sender, L"ua", 5, platform);
    platform->answers = {CutAfter(16484), c.answer, Whole()};
    JournalCapture attempt;
    EXPECT_EQ(downloader->Download(L"https://h/f", L"dest"), DownloadCode::Completed) << c.what;
    EXPECT_TRUE(IsWholeFile(platform->fileContent, 40000)) << c.what;
    EXPECT_EQ(platform->openedUrls.size(), c.attempts) << c.what;
    ASSERT_GE(platform->sentHeaders.size(), 2u) << c.what;
    EXPECT_EQ(platform->sentHeaders[1], kRangeFrom16484) << c.what;
    if (c.attempts == 3) {
      EXPECT_EQ(platform->sentHeaders[2], L"") << c.what;
    }
    EXPECT_EQ(platform->filesCreated, 2) << c.what;
    EXPECT_EQ(attempt.Count("Downloader completed succesfully."), 1u) << c.what;
  }
}

TEST_F(DownloaderTest, OnlyAFirstAnswerThatAllowsRangesIsResumed) {
  const struct {
    const wchar_t* headers;
    const wchar_t* next;  // the headers of the attempt after the cut
  } cases[] = {
      {kResumable, kRangeFrom16484},
      {L"Content-Length: 40000\r\nLast-Modified: Tue, 01 Dec 2026 10:00:00 GMT\r\n"
       L"Accept-Ranges: bytes\r\n",
       L"Range: bytes=16484-\r\nIf-Range: Tue, 01 Dec 2026 10:00:00 GMT\r\n"},
      {L"Content-Length: 40000\r\nAccept-Ranges: bytes\r\n", L""},
      {L"Content-Length: 40000\r\nETag: W/\"v1\"\r\nLast-Modified: Tue, 01 Dec 2026 10:00:00 "
       L"GMT\r\n"
       L"Accept-Ranges: bytes\r\n",
       L""},
      {L"Content-Length: 40000\r\nETag: \"v\x01\"\r\nAccept-Ranges: bytes\r\n", L""},
      {L"Content-Length: 40000\r\nETag: \"v1\"\r\n", L""},
      {L"Content-Length: 40000\r\nETag: \"v1\"\r\nAccept-Ranges: none\r\n", L""},
      {L"ETag: \"v1\"\r\nAccept-Ranges: bytes\r\n", L""},
  };
  for (const auto& c : cases) {
    platform = std::make_shared<Platform>();
    downloader = std::make_unique<Downloader>(sender, L"ua", 5, platform);
    platform->answers = {CutAfter(16484, c.headers), Whole()};
    EXPECT_EQ(downloader->Download(L"https://h/f", L"dest"), DownloadCode::Completed) << c.headers;
    ASSERT_EQ(platform->sentHeaders.size(), 2u) << c.headers;
    EXPECT_EQ(platform->sentHeaders[1], c.next) << c.headers;
  }
}

TEST_F(DownloaderTest, ARedirectDuringAResumedAttemptKeepsTheRange) {
  platform->answers = {CutAfter(16484), Status(302, L"Location: https://mirror/f\r\n"),
                       Rest(16484)};
  EXPECT_EQ(downloader->Download(L"https://h/f", L"dest"), DownloadCode::Completed);
  EXPECT_EQ(platform->openedUrls.back(), L"https://mirror/f");
  EXPECT_EQ(platform->sentHeaders,
            (std::vector<std::wstring>{L"", kRangeFrom16484, kRangeFrom16484}));
  EXPECT_TRUE(IsWholeFile(platform->fileContent, 40000));
  EXPECT_EQ(journal.Count("Downloader, resuming from byte: 16484"), 2u);
}

// A server in trouble for a moment must not cost the bytes already on disk.
TEST_F(DownloaderTest, AServerErrorToAResumeKeepsTheBytesAndAsksForTheSameRange) {
  platform->answers = {CutAfter(16484), Status(503), Rest(16484)};
  EXPECT_EQ(downloader->Download(L"https://h/f", L"dest"), DownloadCode::Completed);
  EXPECT_EQ(platform->sentHeaders,
            (std::vector<std::wstring>{L"", kRangeFrom16484, kRangeFrom16484}));
  EXPECT_TRUE(IsWholeFile(platform->fileContent, 40000));
}

TEST_F(DownloaderTest, ResumedAttemptsCountAmongTheFive) {
  platform->answers = {CutAfter(100)};
  for (uint64_t from = 100; from < 500; from += 100) {
    Answer part = Rest(from);
    part.chunks = {100};
    part.readError = 12030;
    platform->answers.push_back(part);
  }
  platform->answers.push_back(Whole());
  EXPECT_EQ(downloader->Download(L"https://h/f", L"dest"), DownloadCode::Retry);
  EXPECT_EQ(platform->openedUrls.size(), 5u);
  EXPECT_TRUE(IsWholeFile(platform->fileContent, 500)) << "the partial file stays, in order";
  for (const char* line :
       {"Downloader, resuming from byte: 100", "Downloader, resuming from byte: 400"}) {
    EXPECT_EQ(journal.Count(line), 1u) << line;
  }
  ASSERT_EQ(calls.size(), 5u);
  for (size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i].received, 100 * (i + 1));
  EXPECT_EQ(Events(), std::vector<std::wstring>(5, L"err_setup_network:1"));
}

TEST_F(DownloaderTest, AStray206IsNotTheFile) {
  platform->answers = {Rest(0), Whole()};
  EXPECT_EQ(downloader->Download(L"https://h/f", L"dest"), DownloadCode::Completed);
  EXPECT_EQ(platform->openedUrls.size(), 2u);
  EXPECT_EQ(platform->filesCreated, 1);
  EXPECT_EQ(platform->sentHeaders, (std::vector<std::wstring>{L"", L""}));
}

TEST_F(DownloaderTest, APartialFileThatCannotBeReopenedIsWrittenAgain) {
  Answer rest = Rest(16484);
  rest.appendError = 2;
  platform->answers = {CutAfter(16484), rest, Whole()};
  EXPECT_EQ(downloader->Download(L"https://h/f", L"dest"), DownloadCode::Completed);
  EXPECT_EQ(platform->sentHeaders[2], L"");
  EXPECT_TRUE(IsWholeFile(platform->fileContent, 40000));
  EXPECT_EQ(journal.Count("Downloader, partial file unusable: 2"), 1u);
  EXPECT_EQ(Events(), std::vector<std::wstring>{L"err_setup_network:1"});
}

TEST_F(DownloaderTest, TooLittleFreeSpaceEndsTheDownloadBeforeWriting) {
  const auto withSpace = [](Answer a, std::optional<uint64_t> space) {
    a.freeSpace = space;
    return a;
  };
  const struct {
    const char* what;
    std::deque<Answer> answers;
    DownloadCode code;
  } cases[] = {
      {"one byte short", {withSpace(Whole(), 39999)}, DownloadCode::DiskFull},
      {"exactly enough", {withSpace(Whole(), 40000)}, DownloadCode::Completed},
      {"free space unknown", {Whole()}, DownloadCode::Completed},
      {"no length to compare", {withSpace(Ok(L"", {300}), 0)}, DownloadCode::Completed},
      {"a resume needs only the rest",
       {CutAfter(16484), withSpace(Rest(16484), 23516)},
       DownloadCode::Completed},
      {"a restart reuses what the file had",
       {CutAfter(16484), withSpace(Whole(), 23516)},
       DownloadCode::Completed},
      {"the rest does not fit",
       {CutAfter(16484), withSpace(Rest(16484), 23515)},
       DownloadCode::DiskFull},
      {"a refused resume still counts the partial file",
       {CutAfter(16484), Status(416), withSpace(Whole(), 23516)},
       DownloadCode::Completed},
  };
  std::vector<std::wstring> expected;
  for (const auto& c : cases) {
    platform = std::make_shared<Platform>();
    downloader = std::make_unique<Downloader>(sender, L"ua", 5, platform);
    platform->answers = c.answers;
    JournalCapture attempt;
    EXPECT_EQ(downloader->Download(L"https://h/f", L"C:\\Temp\\f.exe"), c.code) << c.what;
    EXPECT_EQ(platform->openedUrls.size(), c.answers.size()) << c.what;
    const bool resumed = c.answers.size() > 1;
    if (resumed) expected.push_back(L"err_setup_network:1");
    if (c.code == DownloadCode::DiskFull) {
      EXPECT_EQ(attempt.Count("Downloader file error: 112"), 1u) << c.what;
      EXPECT_EQ(platform->filesCreated, resumed ? 1 : 0) << c.what;
      EXPECT_EQ(platform->fileContent.size(), resumed ? 16484u : 0u) << c.what;
      expected.push_back(L"err_setup_no_space:1");
    }
  }
  EXPECT_EQ(platform->spaceQueries.at(0), L"C:\\Temp\\f.exe");
  EXPECT_EQ(Events(), expected);
}

TEST_F(DownloaderTest, HeaderNamesAreReadInAnyCase) {
  // A front end that writes every name in lower case: length, validator and ranges count.
  const std::wstring lower = L"content-length: 40000\r\netag: \"v1\"\r\naccept-ranges: bytes\r\n";
  Answer rest = Rest(16484);
  rest.headers =
      L"HTTP/1.0 206 Partial Content\r\ncontent-range: bytes 16484-39999/40000\r\n"
      L"CONTENT-LENGTH: 23516\r\nEtag: \"v1\"\r\n";
  platform->answers = {CutAfter(16484, lower), rest};
  EXPECT_EQ(downloader->Download(L"https://h/f", L"dest"), DownloadCode::Completed);
  EXPECT_TRUE(IsWholeFile(platform->fileContent, 40000));
  EXPECT_EQ(platform->sentHeaders, (std::vector<std::wstring>{L"", kRangeFrom16484}));
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), (Progress{40000, 40000}));
  EXPECT_EQ(journal.Count("    content-length: 40000"), 1u) << "printed as received";
  EXPECT_EQ(journal.Count("    content-range: bytes 16484-39999/40000"), 1u);
}

TEST_F(DownloaderTest, A206ToALastModifiedResumeMustRepeatTheDate) {
  const std::wstring dated =
      L"Content-Length: 40000\r\nLast-Modified: Tue, 01 Dec 2026 10:00:00 GMT\r\n"
      L"Accept-Ranges: bytes\r\n";
  const struct {
    const wchar_t* validator;
    bool appended;
  } cases[] = {
      {L"Last-Modified: Tue, 01 Dec 2026 10:00:00 GMT\r\n", true},
      {L"last-modified: Tue, 01 Dec 2026 10:00:00 GMT\r\n", true},
      {L"Last-Modified: Wed, 02 Dec 2026 10:00:00 GMT\r\n", false},
      {L"ETag: \"v1\"\r\n", false},
      {L"", false},
  };
  for (const auto& c : cases) {
    platform = std::make_shared<Platform>();
    downloader = std::make_unique<Downloader>(sender, L"ua", 5, platform);
    platform->answers = {CutAfter(16484, dated), Rest(16484, L"", c.validator), Whole(dated)};
    JournalCapture attempt;
    EXPECT_EQ(downloader->Download(L"https://h/f", L"dest"), DownloadCode::Completed)
        << c.validator;
    EXPECT_TRUE(IsWholeFile(platform->fileContent, 40000)) << c.validator;
    EXPECT_EQ(platform->filesAppended, c.appended ? 1 : 0) << c.validator;
    EXPECT_EQ(platform->openedUrls.size(), c.appended ? 2u : 3u) << c.validator;
    EXPECT_EQ(attempt.Count("Downloader, answer not trusted, the next attempt starts from byte 0."),
              c.appended ? 0u : 1u)
        << c.validator;
  }
}

TEST_F(DownloaderTest, ALengthAboveTheCapIsRefusedBeforeWriting) {
  for (const wchar_t* length : {L"2147483649", L"99999999999", L"184467440737095516160"}) {
    JournalCapture attempt;
    const std::wstring header = std::wstring(L"Content-Length: ") + length + L"\r\n";
    EXPECT_EQ(Try(Ok(header, {100})).code, DownloadCode::Retry) << length;
    EXPECT_EQ(attempt.Count("Downloader, announced length refused: " +
                            std::string(header.begin() + 16, header.end() - 2)),
              1u)
        << length;
  }
  EXPECT_EQ(platform->filesCreated, 0);
  EXPECT_TRUE(calls.empty());
  // At the cap the length is taken: this body is merely short.
  EXPECT_EQ(Try(Ok(L"Content-Length: 2147483648\r\n", {100})).code, DownloadCode::Retry);
  EXPECT_EQ(platform->filesCreated, 1);
  EXPECT_EQ(calls, (std::vector<Progress>{{100, 2147483648u}}));
  EXPECT_EQ(Events(), std::vector<std::wstring>{L"err_setup_network:1"});
}

TEST_F(DownloaderTest, ABodyLongerThanAnnouncedIsFetchedAgainFromByteZero) {
  platform->answers = {Ok(L"Content-Length: 500\r\n", {300, 300}),
                       Ok(L"Content-Length: 500\r\n", {300, 200})};
  EXPECT_EQ(downloader->Download(L"https://h/f", L"dest"), DownloadCode::Completed);
  EXPECT_TRUE(IsWholeFile(platform->fileContent, 500));
  EXPECT_EQ(platform->filesCreated, 2);
  EXPECT_EQ(platform->sentHeaders, (std::vector<std::wstring>{L"", L""}));
  EXPECT_EQ(journal.Count("Downloader, answer not trusted, the next attempt starts from byte 0."),
            1u);
  EXPECT_EQ(journal.Count("Downloader completed succesfully."), 1u);
  EXPECT_TRUE(Events().empty());
}

TEST_F(DownloaderTest, ASilentBodyEndsItsAttemptAndTheNextResumes) {
  platform->stallLimit = std::chrono::milliseconds(50);
  Answer silent = Ok(kResumable, Chunks(16484));
  silent.stallsAfterChunks = true;
  platform->answers = {silent, Rest(16484)};
  EXPECT_EQ(downloader->Download(L"https://h/f", L"dest"), DownloadCode::Completed);
  EXPECT_EQ(platform->aborts, 1);
  EXPECT_TRUE(IsWholeFile(platform->fileContent, 40000));
  EXPECT_EQ(platform->sentHeaders, (std::vector<std::wstring>{L"", kRangeFrom16484}));
  EXPECT_EQ(journal.Count("Downloader network error: 12002"), 1u);
  EXPECT_EQ(journal.Count("Downloader, resuming from byte: 16484"), 1u);
  EXPECT_EQ(Events(), std::vector<std::wstring>{L"err_setup_network:1"});
}

TEST_F(DownloaderTest, RelativeAnd307And308RedirectsAreFollowedLikeTheOthers) {
  platform->answers = {Status(308, L"Location: /b/c\r\n"), Status(307, L"Location: ../d?q=1\r\n"),
                       Status(302, L"Location: //mirror/e\r\n"), Status(500), Ok(L"", {10})};
  EXPECT_EQ(downloader->Download(L"https://h/a/x", L"dest"), DownloadCode::Completed);
  const std::vector<std::wstring> urls = {L"https://h/a/x", L"https://h/b/c", L"https://h/d?q=1",
                                          L"https://mirror/e", L"https://mirror/e"};
  EXPECT_EQ(platform->openedUrls, urls);
  EXPECT_EQ(journal.Count("Downloader, trying download: https://mirror/e"), 2u);
}

TEST_F(DownloaderTest, ALocationThatCannotBeFollowedIsAFailedAttempt) {
  for (int i = 0; i < 5; ++i) platform->answers.push_back(Status(301, L"Location: http://h/f\r\n"));
  EXPECT_EQ(downloader->Download(L"https://h/f", L"dest"), DownloadCode::Retry);
  EXPECT_EQ(platform->openedUrls, std::vector<std::wstring>(5, L"https://h/f"));
  EXPECT_EQ(journal.Count("Downloader, redirect not followed: http://h/f"), 5u);
  EXPECT_EQ(platform->filesCreated, 0);
  EXPECT_TRUE(Events().empty());
}

TEST_F(DownloaderTest, A200ToARangedRequestIsCountedFromByteZero) {
  // Short by exactly the resume offset: counted from there it would look whole.
  Answer shortWhole = Ok(kResumable, Chunks(40000 - 16484));
  platform->answers = {CutAfter(16484), shortWhole, Whole()};
  EXPECT_EQ(downloader->Download(L"https://h/f", L"dest"), DownloadCode::Completed);
  EXPECT_EQ(platform->openedUrls.size(), 3u);
  EXPECT_TRUE(IsWholeFile(platform->fileContent, 40000));
  EXPECT_EQ(journal.Count("Downloader network error: 12031"), 1u);
  for (const auto& c : calls) EXPECT_LE(c.received, c.total);
}

TEST_F(DownloaderTest, DownloadingAgainStartsFromByteZeroWithTheAttemptsLeft) {
  const struct {
    const char* what;
    std::deque<Answer> first;  // the download that completed
    size_t againAttempts;      // what the second may still make, all refused here
  } cases[] = {
      {"at once", {Whole()}, 4},
      {"after a cut and a redirect",
       {CutAfter(16484), Status(302, L"Location: /g\r\n"), Rest(16484)},
       3},
      {"on the last attempt", {Status(500), Status(500), Status(500), Status(500), Whole()}, 0},
  };
  for (const auto& c : cases) {
    platform = std::make_shared<Platform>();
    downloader = std::make_unique<Downloader>(sender, L"ua", 5, platform);
    platform->answers = c.first;
    ASSERT_EQ(downloader->Download(L"https://h/f", L"dest"), DownloadCode::Completed) << c.what;
    const size_t before = platform->openedUrls.size();
    for (int i = 0; i < 5; ++i) platform->answers.push_back(Status(503));
    EXPECT_EQ(downloader->DownloadAgain(L"https://h/f", L"dest"), DownloadCode::Retry) << c.what;
    EXPECT_EQ(platform->openedUrls.size() - before, c.againAttempts) << c.what;
  }
  // And when it is answered, the file is written anew, without a range.
  platform = std::make_shared<Platform>();
  downloader = std::make_unique<Downloader>(sender, L"ua", 5, platform);
  platform->answers = {CutAfter(16484), Rest(16484), Whole()};
  ASSERT_EQ(downloader->Download(L"https://h/f", L"dest"), DownloadCode::Completed);
  EXPECT_EQ(downloader->DownloadAgain(L"https://h/f", L"dest"), DownloadCode::Completed);
  EXPECT_EQ(platform->sentHeaders.back(), L"");
  EXPECT_EQ(platform->filesCreated, 2);
  EXPECT_TRUE(IsWholeFile(platform->fileContent, 40000));
}

}  // namespace cumulo
