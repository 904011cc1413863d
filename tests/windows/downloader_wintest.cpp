// The downloader against the fixture distribution server over real TLS.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/wide_text.h"
#include "common/journal_capture.h"
#include "common/recording_transport.h"
#include "fixture_http.h"
#include "net/downloader.h"
#include "win/unique_handle.h"
#include "win_test_util.h"

namespace cumulo {

namespace {
std::wstring TempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  return std::wstring(buffer, n);
}

int64_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// True when the file holds `size` bytes of the fixture's repeating 0..255 pattern.
bool HoldsPattern(const std::wstring& path, int64_t size) {
  ScopedFile file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return false;
  std::vector<unsigned char> data(static_cast<size_t>(size) + 1);
  DWORD got = 0;
  if (!ReadFile(file.Get(), data.data(), static_cast<DWORD>(data.size()), &got, nullptr))
    return false;
  if (got != size) return false;
  for (DWORD i = 0; i < got; ++i) {
    if (data[i] != (i & 0xFF)) return false;
  }
  return true;
}

struct Progress {
  uint32_t received, total;
};

class DownloaderWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    ASSERT_TRUE(fixture::Reset(fixture::DistHost()));
    path_ = std::string("/net/") + info->name();
    destination = TempFolder() + L"cumulo-net-" + WidenAscii(info->name()) + L".bin";
    DeleteFileW(destination.c_str());
    sender = recorder.MakeSender();
    downloader = std::make_unique<Downloader>(sender, L"CumuloWindows WCwintest", 5,
                                              [this](uint32_t r, uint32_t t) {
                                                calls.push_back({r, t});
                                              });
  }
  void TearDown() override {
    downloader.reset();
    sender.reset();
    DeleteFileW(destination.c_str());
  }

  std::wstring Url(const std::string& path) const {
    return L"https://" + fixture::DistHost() + WidenAscii(path);
  }
  std::string Path(const std::string& suffix = "") const { return path_ + suffix; }
  void Script(const std::string& path, const std::string& responses) {
    ASSERT_TRUE(fixture::Script(fixture::DistHost(), path, responses)) << path;
  }
  size_t Requested(const std::string& path) const {
    return fixture::CountPath(fixture::Requests(fixture::DistHost()), path);
  }
  DownloadCode Download(const std::string& path) {
    return downloader->Download(Url(path), destination);
  }
  std::vector<std::wstring> Events() {
    downloader.reset();
    return DrainEvents(sender, recorder);
  }

  JournalCapture journal;
  MetricRecorder recorder;
  std::shared_ptr<MetricSender> sender;
  std::unique_ptr<Downloader> downloader;
  std::vector<Progress> calls;
  std::wstring destination;

 private:
  std::string path_;
};
}  // namespace

static const auto* const kJournal = ::testing::AddGlobalTestEnvironment(
    new TestJournalEnvironment(TempFolder() + L"cumulo-win-tests-journal.log"));

TEST_F(DownloaderWinTest, ProgressFollowsTheChunksUpToTheLength) {
  Script(Path(), R"([{"status": 200, "body_size": 40000}])");
  EXPECT_EQ(Download(Path()), DownloadCode::Completed);
  EXPECT_TRUE(HoldsPattern(destination, 40000));
  ASSERT_FALSE(calls.empty());
  uint32_t last = 0;
  for (const auto& c : calls) {
    EXPECT_EQ(c.total, 40000u);
    EXPECT_GT(c.received, last);
    EXPECT_LE(c.received - last, 16384u);
    last = c.received;
  }
  EXPECT_EQ(calls.back().received, 40000u);
  EXPECT_EQ(journal.Count("Downloader, response: 200"), 1u);
  EXPECT_EQ(journal.Count("    Content-Length: 40000"), 1u);
  EXPECT_EQ(journal.Messages().back(), "Downloader completed succesfully.");
  EXPECT_TRUE(Events().empty());
  const auto requests = fixture::Requests(fixture::DistHost());
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back().userAgent, "CumuloWindows WCwintest");
}

TEST_F(DownloaderWinTest, WithoutAUsableLengthThereIsNoProgress) {
  Script(Path(), R"([{"status": 200, "body_size": 30000, "content_length": null},
                     {"status": 200, "body_size": 30000, "content_length": "abc"}])");
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(Download(Path()), DownloadCode::Completed) << i;
    EXPECT_TRUE(HoldsPattern(destination, 30000)) << i;
  }
  EXPECT_TRUE(calls.empty());
}

TEST_F(DownloaderWinTest, ALowerCaseLengthGivesProgress) {
  Script(Path(), R"([{"status": 200, "body_size": 30000, "lower_case_names": true}])");
  EXPECT_EQ(Download(Path()), DownloadCode::Completed);
  EXPECT_TRUE(HoldsPattern(destination, 30000));
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().received, 30000u);
  EXPECT_EQ(calls.back().total, 30000u);
  EXPECT_EQ(journal.Count("    content-length: 30000"), 1u) << "printed as received";
}

TEST_F(DownloaderWinTest, AnAbsoluteRedirectIsFetchedByTheNextAttempt) {
  const std::wstring target = Url(Path("-target"));
  Script(Path(), R"([{"status": 302, "headers": [["Location", ")" +
                     std::string(target.begin(), target.end()) + R"("]]}])");
  Script(Path("-target"), R"([{"status": 200, "body_size": 1000}])");
  EXPECT_EQ(Download(Path()), DownloadCode::Completed);
  EXPECT_TRUE(HoldsPattern(destination, 1000));
  EXPECT_EQ(journal.Count("Downloading file: " + std::string(target.begin(), target.end())), 0u);
  EXPECT_EQ(journal.Messages().front().rfind("Downloading file: ", 0), 0u);
  size_t starts = 0;
  for (const auto& m : journal.Messages()) starts += m.rfind("Downloading file: ", 0) == 0;
  EXPECT_EQ(starts, 1u);
  EXPECT_EQ(
      journal.Count("Downloader, trying download: " + std::string(target.begin(), target.end())),
      1u);
  EXPECT_EQ(Requested(Path()), 1u);
  EXPECT_EQ(Requested(Path("-target")), 1u);
}

TEST_F(DownloaderWinTest, AnHttpLocationIsAFailedAttempt) {
  const std::wstring host = fixture::DistHost();
  const std::string target = "http://" + std::string(host.begin(), host.end()) + Path("-target");
  Script(Path(),
         R"([{"status": 303, "repeat": 5, "headers": [["Location", ")" + target + R"("]]}])");
  Script(Path("-target"), R"([{"status": 200, "body_size": 100}])");
  EXPECT_EQ(Download(Path()), DownloadCode::Retry);
  EXPECT_EQ(Requested(Path()), 5u);
  EXPECT_EQ(Requested(Path("-target")), 0u);
  EXPECT_EQ(journal.Count("Downloader, redirect not followed: " + target), 5u);
  EXPECT_TRUE(Events().empty());
}

TEST_F(DownloaderWinTest, RelativeLocationsOf307And308AreResolvedAndFollowed) {
  // From /net/<test>: "<test>-b" is a path-relative reference, "/net/..." an absolute path.
  const std::string name = Path().substr(5);
  Script(Path(), R"([{"status": 308, "headers": [["location", ")" + name + R"(-b?x=1"]],
                      "lower_case_names": true}])");
  Script(Path("-b"), R"([{"status": 307, "headers": [["Location", ")" + Path("-c") + R"("]]}])");
  Script(Path("-c"), R"([{"status": 200, "body_size": 1000}])");
  EXPECT_EQ(Download(Path()), DownloadCode::Completed);
  EXPECT_TRUE(HoldsPattern(destination, 1000));
  const auto requests = fixture::Requests(fixture::DistHost());
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1].path, Path("-b"));
  EXPECT_EQ(requests[1].query, "x=1");
  EXPECT_EQ(requests[2].path, Path("-c"));
  const std::wstring second = Url(Path("-b")) + L"?x=1";
  EXPECT_EQ(
      journal.Count("Downloader, trying download: " + std::string(second.begin(), second.end())),
      1u);
}

TEST_F(DownloaderWinTest, ARedirectWithoutLocationIsRetriedOnTheSameUrl) {
  Script(Path(), R"([{"status": 302, "repeat": 2}, {"status": 200, "body_size": 100}])");
  EXPECT_EQ(Download(Path()), DownloadCode::Completed);
  EXPECT_EQ(Requested(Path()), 3u);
}

TEST_F(DownloaderWinTest, TwoLocationsRedirectToTheFirst) {
  const std::wstring first = Url(Path("-first"));
  const std::wstring second = Url(Path("-second"));
  Script(Path(), R"([{"status": 301, "headers": [["Location", ")" +
                     std::string(first.begin(), first.end()) + R"("], ["Location", ")" +
                     std::string(second.begin(), second.end()) + R"("]]}])");
  Script(Path("-first"), R"([{"status": 200, "body_size": 10}])");
  EXPECT_EQ(Download(Path()), DownloadCode::Completed);
  EXPECT_EQ(Requested(Path("-first")), 1u);
  EXPECT_EQ(Requested(Path("-second")), 0u);
}

TEST_F(DownloaderWinTest, RefusedAnswersAreRetriedAndNeverComplete) {
  for (const char* status : {"401", "404", "500"}) {
    const std::string path = Path(std::string("-") + status);
    Script(path, std::string(R"([{"status": )") + status + R"(, "repeat": 5, "body": "no"}])");
    EXPECT_EQ(Download(path), DownloadCode::Retry) << status;
    EXPECT_EQ(Requested(path), 5u) << status;
    EXPECT_EQ(FileSize(destination), -1) << status;
  }
  EXPECT_TRUE(Events().empty());
}

// The cut is a reset after half the body; what the client had not read yet is lost.
const char kCutAnswer[] = R"({"status": 200, "body_size": 2000000, "cut_after": 1000000})";

TEST_F(DownloaderWinTest, AfterACutConnectionTheNextAttemptWritesTheFileAgain) {
  Script(Path(), std::string("[") + kCutAnswer + R"(, {"status": 200, "body_size": 2000000}])");
  EXPECT_EQ(Download(Path()), DownloadCode::Completed);
  EXPECT_TRUE(HoldsPattern(destination, 2000000)) << "written from byte 0, not appended";
  EXPECT_EQ(Requested(Path()), 2u);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().received, 2000000u);
  size_t errors = 0;
  for (const auto& m : journal.Messages()) errors += m.rfind("Downloader network error: ", 0) == 0;
  EXPECT_EQ(errors, 1u);
  EXPECT_EQ(Events(), std::vector<std::wstring>{L"err_setup_network:1"});
}

TEST_F(DownloaderWinTest, ACutConnectionLeavesThePartialFile) {
  Script(Path(), std::string("[") + kCutAnswer + R"(, {"status": 404, "repeat": 4}])");
  EXPECT_EQ(Download(Path()), DownloadCode::Retry);
  const int64_t size = FileSize(destination);
  EXPECT_GE(size, 0);
  EXPECT_LT(size, 2000000);
  EXPECT_EQ(Events(), std::vector<std::wstring>{L"err_setup_network:1"});
}

TEST_F(DownloaderWinTest, ABodyShorterThanItsLengthIsNotTheFile) {
  Script(Path(),
         R"([{"status": 200, "body_size": 20000, "content_length": "40000", "repeat": 5}])");
  EXPECT_EQ(Download(Path()), DownloadCode::Retry);
  EXPECT_EQ(Requested(Path()), 5u);
  EXPECT_EQ(journal.Count("Downloader completed succesfully."), 0u);
  EXPECT_EQ(Events(), std::vector<std::wstring>(5, L"err_setup_network:1"));
}

TEST_F(DownloaderWinTest, AFolderAsDestinationIsAccessDenied) {
  const std::wstring folder = TempFolder() + L"cumulo-net-folder";
  CreateDirectoryW(folder.c_str(), nullptr);
  Script(Path(), R"([{"status": 200, "body_size": 1000, "repeat": 5}])");
  EXPECT_EQ(downloader->Download(Url(Path()), folder), DownloadCode::AccessDenied);
  RemoveDirectoryW(folder.c_str());
  EXPECT_EQ(Requested(Path()), 1u);
  EXPECT_EQ(journal.Count("Downloader file error: 5"), 1u);
  EXPECT_EQ(Events(), std::vector<std::wstring>{L"err_setup_access_denied:1"});
}

// The session maps drive Q: onto a 1 MiB tmpfs when it may mount one.
static bool HaveSmallDisk() {
  ULARGE_INTEGER total = {};
  return GetDiskFreeSpaceExW(L"Q:\\", nullptr, &total, nullptr) && total.QuadPart <= (8u << 20);
}

// As root the session can mount it and marks it wanted: then its absence is a failure.
static bool SmallDiskWanted() {
  std::wstring marker = wintest::PackagePath(L"");
  marker.resize(marker.size() - wcslen(L"packages\\"));
  return GetFileAttributesW((marker + L"smalldisk.wanted").c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST_F(DownloaderWinTest, AFullDiskIsFoundBeforeWriting) {
  if (!HaveSmallDisk()) {
    ASSERT_FALSE(SmallDiskWanted()) << "the session runs as root but Q: is no small disk";
    GTEST_SKIP() << "no small disk at Q: (the session could not mount a tmpfs)";
  }
  const std::wstring target = L"Q:\\cumulo-net-full.bin";
  Script(Path(), R"([{"status": 200, "body_size": 3000000, "repeat": 5}])");
  EXPECT_EQ(downloader->Download(Url(Path()), target), DownloadCode::DiskFull);
  EXPECT_EQ(FileSize(target), -1) << "no file is left";
  DeleteFileW(target.c_str());
  EXPECT_EQ(Requested(Path()), 1u);
  EXPECT_EQ(journal.Count("Downloader file error: 112"), 1u);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(Events(), std::vector<std::wstring>{L"err_setup_no_space:1"});
}

TEST_F(DownloaderWinTest, AFullDiskDuringTheWriteStopsAfterOneAttempt) {
  if (!HaveSmallDisk()) {
    ASSERT_FALSE(SmallDiskWanted()) << "the session runs as root but Q: is no small disk";
    GTEST_SKIP() << "no small disk at Q: (the session could not mount a tmpfs)";
  }
  const std::wstring target = L"Q:\\cumulo-net-full.bin";
  // Without a length there is nothing to compare in advance; the write finds the end.
  Script(Path(), R"([{"status": 200, "body_size": 3000000, "content_length": null, "repeat": 5}])");
  EXPECT_EQ(downloader->Download(Url(Path()), target), DownloadCode::DiskFull);
  DeleteFileW(target.c_str());
  EXPECT_EQ(Requested(Path()), 1u);
  EXPECT_EQ(journal.Count("Downloader file error: 112"), 1u);
  EXPECT_EQ(Events(), std::vector<std::wstring>{L"err_setup_no_space:1"});
}

// A 4 MB file whose first answer is cut at 40 %; the server honours ranges.
constexpr uint64_t kResumeLength = 4000000;
const char kResumableHeaders[] = R"("headers": [["ETag", "\"r1\""], ["Accept-Ranges", "bytes"]])";
static std::string CutAt40Percent() {
  return R"({"status": 200, "body_size": 4000000, "cut_after": 1600000, "ranges": true, )" +
         std::string(kResumableHeaders) + "}";
}

TEST_F(DownloaderWinTest, ACutAt40PercentIsResumedWithOneRangeRequest) {
  Script(Path(), "[" + CutAt40Percent() +
                     R"(, {"status": 200, "body_size": 4000000, "ranges": true, )" +
                     kResumableHeaders + "}]");
  EXPECT_EQ(Download(Path()), DownloadCode::Completed);
  EXPECT_TRUE(HoldsPattern(destination, kResumeLength));
  const auto requests = fixture::Requests(fixture::DistHost());
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].range, "");
  ASSERT_EQ(requests[1].range.rfind("bytes=", 0), 0u) << requests[1].range;
  const uint64_t from = std::strtoull(requests[1].range.c_str() + 6, nullptr, 10);
  EXPECT_GT(from, 0u);
  EXPECT_LE(from, 1600000u);
  EXPECT_EQ(journal.Count("Downloader, resuming from byte: " + std::to_string(from)), 1u);
  EXPECT_EQ(journal.Count("Downloader, response: 206"), 1u);
  const uint64_t wire = requests[0].sent + requests[1].sent;
  EXPECT_LE(wire, kResumeLength * 105 / 100) << "bytes on the wire";
  uint32_t last = 0;
  for (const auto& c : calls) {
    EXPECT_GE(c.received, last) << "progress never goes back";
    EXPECT_EQ(c.total, kResumeLength);
    last = c.received;
  }
  EXPECT_EQ(last, kResumeLength);
  EXPECT_EQ(Events(), std::vector<std::wstring>{L"err_setup_network:1"});
}

TEST_F(DownloaderWinTest, AResumeThatCannotContinueStartsTheFileOver) {
  const struct {
    const char* what;
    std::string answers;  // after the cut
    size_t requests;
  } cases[] = {
      {"the server answers the range with the whole file",
       R"({"status": 200, "body_size": 4000000, )" + std::string(kResumableHeaders) + "}", 2},
      {"the validator changed",
       R"({"status": 200, "body_size": 4000000, "ranges": true, "headers": [["ETag", "\"r2\""], ["Accept-Ranges", "bytes"]]})",
       2},
      {"a 206 with a wrong range",
       R"({"status": 206, "body_size": 3999900, "headers": [["Content-Range", "bytes 100-3999999/4000000"]]},
          {"status": 200, "body_size": 4000000})",
       3},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(fixture::Reset(fixture::DistHost()));
    Script(Path(), "[" + CutAt40Percent() + ", " + c.answers + "]");
    JournalCapture attempt;
    EXPECT_EQ(Download(Path()), DownloadCode::Completed) << c.what;
    EXPECT_TRUE(HoldsPattern(destination, kResumeLength)) << c.what;
    const auto requests = fixture::Requests(fixture::DistHost());
    ASSERT_EQ(requests.size(), c.requests) << c.what;
    EXPECT_NE(requests[1].range, "") << c.what;
    EXPECT_EQ(requests.back().range, c.requests == 3 ? "" : requests[1].range) << c.what;
    EXPECT_EQ(attempt.Count("Downloader, response: 200"), 2u) << c.what;
    EXPECT_EQ(attempt.Count("Downloader completed succesfully."), 1u) << c.what;
  }
}

TEST_F(DownloaderWinTest, LowerCaseNamesStillResumeACutAt40Percent) {
  const std::string lower = R"("lower_case_names": true, )";
  Script(
      Path(),
      "[" + CutAt40Percent().insert(1, lower) +
          R"(, {"status": 200, "body_size": 4000000, "ranges": true, "lower_case_names": true, )" +
          kResumableHeaders + "}]");
  EXPECT_EQ(Download(Path()), DownloadCode::Completed);
  EXPECT_TRUE(HoldsPattern(destination, kResumeLength));
  const auto requests = fixture::Requests(fixture::DistHost());
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].range.rfind("bytes=", 0), 0u) << requests[1].range;
  EXPECT_EQ(journal.Count("Downloader, response: 206"), 1u);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().received, kResumeLength);
  EXPECT_EQ(journal.Count("Downloader completed succesfully."), 1u);
}

TEST_F(DownloaderWinTest, A206WithoutTheValidatorStartsTheFileOver) {
  Script(
      Path(),
      "[" + CutAt40Percent() +
          R"(, {"status": 200, "body_size": 4000000, "ranges": true, "drop_on_206": ["ETag"], )" +
          kResumableHeaders + R"(}, {"status": 200, "body_size": 4000000, )" + kResumableHeaders +
          "}]");
  EXPECT_EQ(Download(Path()), DownloadCode::Completed);
  EXPECT_TRUE(HoldsPattern(destination, kResumeLength));
  const auto requests = fixture::Requests(fixture::DistHost());
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_NE(requests[1].range, "");
  EXPECT_EQ(requests[2].range, "");
  EXPECT_EQ(journal.Count("Downloader, response: 206"), 1u);
  EXPECT_EQ(journal.Count("Downloader, answer not trusted, the next attempt starts from byte 0."),
            1u);
}

// The product's own bound: a line that stays open without a byte ends the attempt after
// the build's stall setting, and the next attempt asks for the rest.
TEST_F(DownloaderWinTest, ASilentLineEndsItsAttemptAndTheNextResumes) {
  Script(Path(),
         R"([{"status": 200, "body_size": 4000000, "stall_after": 1600000, "ranges": true, )" +
             std::string(kResumableHeaders) +
             R"(}, {"status": 200, "body_size": 4000000, "ranges": true, )" + kResumableHeaders +
             "}]");
  EXPECT_EQ(Download(Path()), DownloadCode::Completed);
  EXPECT_TRUE(HoldsPattern(destination, kResumeLength));
  const auto requests = fixture::Requests(fixture::DistHost());
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].range.rfind("bytes=", 0), 0u) << requests[1].range;
  EXPECT_EQ(journal.Count("Downloader network error: 12002"), 1u);
  size_t resumes = 0;
  for (const auto& m : journal.Messages())
    resumes += m.rfind("Downloader, resuming from byte: ", 0) == 0;
  EXPECT_EQ(resumes, 1u);
  EXPECT_EQ(Events(), std::vector<std::wstring>{L"err_setup_network:1"});
}

// A server that takes the request and never answers: the receive time-out ends the wait.
TEST_F(DownloaderWinTest, AServerThatNeverAnswersIsLeftAfterTheTimeOut) {
  Script(Path(), R"([{"status": 200, "body_size": 1000, "delay": 120},
                     {"status": 200, "body_size": 1000}])");
  EXPECT_EQ(Download(Path()), DownloadCode::Completed);
  EXPECT_TRUE(HoldsPattern(destination, 1000));
  EXPECT_EQ(Requested(Path()), 2u);
  EXPECT_EQ(Events(), std::vector<std::wstring>{L"err_setup_network:1"});
}

namespace {
// Every file under `folder`, with its size.
void ListFiles(const std::wstring& folder, std::vector<std::pair<std::wstring, int64_t>>& out) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ListFiles(folder + L"\\" + name, out);
    } else {
      out.push_back({name, (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
}
}  // namespace

TEST_F(DownloaderWinTest, TheDownloadAndTheTelemetryLeaveNothingInTheWebCache) {
  wchar_t cache[MAX_PATH] = {};
  ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_INTERNET_CACHE, nullptr, 0, cache), S_OK);
  constexpr int64_t kOddSize = 1234567;  // no other file of the prefix has it
  Script(Path(), R"([{"status": 200, "body_size": 1234567}])");
  EXPECT_EQ(Download(Path()), DownloadCode::Completed);
  EXPECT_EQ(FileSize(destination), kOddSize);
  auto production = MetricSender::Create(L"WCcache01");
  production->SendMetric(L"cache_probe", 1);
  production.reset();
  ASSERT_GE(fixture::CountPath(fixture::Requests(fixture::StatHost()), "/update"), 1u);
  std::vector<std::pair<std::wstring, int64_t>> files;
  ListFiles(cache, files);
  for (const auto& [name, size] : files) {
    EXPECT_NE(size, kOddSize) << std::string(name.begin(), name.end());
    EXPECT_NE(name.rfind(L"update", 0), 0u) << std::string(name.begin(), name.end());
  }
}

}  // namespace cumulo
