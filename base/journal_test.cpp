#include "base/journal.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "base/wide_text.h"

namespace cumulo {

namespace {

std::atomic<int64_t> fakeNow{1000};
std::atomic<bool> localFails{false};

int64_t FakeNow() { return fakeNow.load(); }
bool FakeLocal(int64_t t, LocalTime& out) {
  if (localFails.load()) return false;
  // 09:05:03 on 7 December at t = 1000; one second later 09:05:04, and so on.
  const int64_t s = 3 + (t - 1000);
  out = {9, 5, static_cast<int>(s % 60), 7, 12};
  return true;
}
const LogClock kFakeClock{&FakeNow, &FakeLocal};

class InstallLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/installlogXXXXXX";
    int fd = mkstemp(name);
    close(fd);
    std::remove(name);
    path_ = name;
    fakeNow = 1000;
    localFails = false;
  }
  void TearDown() override { std::remove(path_.c_str()); }
  std::string Contents() const {
    std::ifstream f(path_, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
  }
  std::wstring WPath() const { return WidenAscii(path_); }
  std::string path_;
  std::wstring channel_ = L"Download";
};

TEST_F(InstallLogTest, NewFileGetsBomAndExactLines) {
  {
    InstallLog log(WPath(), &channel_, kFakeClock);
    ASSERT_TRUE(log.IsOpen());
    log.Write(L"Starting GUI Installer...", LogLevel::Info);
    log.Write(L"Failed to acquire GUI installation lock.", LogLevel::Error);
    fakeNow = 1001;
    log.Write(L"Launched by another user than explorer.", LogLevel::Warning);
    log.Write(L"untagged", static_cast<LogLevel>(7));
  }
  EXPECT_EQ(Contents(),
            "\xEF\xBB\xBF"
            "[I] [09:05:03 07.12] [ Download ] Starting GUI Installer...\n"
            "[E] [09:05:03 07.12] [ Download ] Failed to acquire GUI installation lock.\n"
            "[W] [09:05:04 07.12] [ Download ] Launched by another user than explorer.\n"
            "[09:05:04 07.12] [ Download ] untagged\n");
}

TEST_F(InstallLogTest, ExistingFileIsAppendedWithoutSecondBom) {
  {
    std::ofstream f(path_, std::ios::binary);
    f << "old line\n";
  }
  {
    InstallLog log(WPath(), &channel_, kFakeClock);
    log.Write(L"next", LogLevel::Info);
  }
  EXPECT_EQ(Contents(), "old line\n[I] [09:05:03 07.12] [ Download ] next\n");
}

TEST_F(InstallLogTest, Utf8MessagesAndChannel) {
  std::wstring channel = L"Загрузка";
  {
    InstallLog log(WPath(), &channel, kFakeClock);
    log.Write(L"Привет, мир", LogLevel::Info);
    log.Write(L"", LogLevel::Info);
  }
  EXPECT_EQ(Contents(),
            "\xEF\xBB\xBF[I] [09:05:03 07.12] [ "
            "\xD0\x97\xD0\xB0\xD0\xB3\xD1\x80\xD1\x83\xD0\xB7\xD0\xBA\xD0\xB0 ] "
            "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80\n"
            "[I] [09:05:03 07.12] [ "
            "\xD0\x97\xD0\xB0\xD0\xB3\xD1\x80\xD1\x83\xD0\xB7\xD0\xBA\xD0\xB0 ] \n");
}

TEST_F(InstallLogTest, ChannelIsReadOnceAtTheFirstLine) {
  std::wstring channel = L"Download";
  {
    InstallLog log(WPath(), &channel, kFakeClock);
    log.Write(L"a", LogLevel::Info);
    channel = L"Other";
    log.Write(L"b", LogLevel::Info);
  }
  EXPECT_EQ(
      Contents(),
      "\xEF\xBB\xBF[I] [09:05:03 07.12] [ Download ] a\n[I] [09:05:03 07.12] [ Download ] b\n");
}

TEST_F(InstallLogTest, FailedLocalTimeReusesThePreviousText) {
  {
    InstallLog log(WPath(), &channel_, kFakeClock);
    localFails = true;
    log.Write(L"before any success", LogLevel::Info);
    localFails = false;
    log.Write(L"ok", LogLevel::Info);
    localFails = true;
    fakeNow = 1005;
    log.Write(L"reused", LogLevel::Info);
  }
  EXPECT_EQ(Contents(),
            "\xEF\xBB\xBF[I] [ Download ] before any success\n"
            "[I] [09:05:03 07.12] [ Download ] ok\n"
            "[I] [09:05:03 07.12] [ Download ] reused\n");
}

TEST_F(InstallLogTest, LineBreaksInAMessageStayOnItsLine) {
  {
    InstallLog log(WPath(), &channel_, kFakeClock);
    log.Write(L"Downloading file: https://h/a\r\n[E] [09:05:03 07.12] [ Download ] forged",
              LogLevel::Info);
  }
  EXPECT_EQ(Contents(),
            "\xEF\xBB\xBF[I] [09:05:03 07.12] [ Download ] Downloading file: https://h/a  "
            "[E] [09:05:03 07.12] [ Download ] forged\n");
}

TEST_F(InstallLogTest, EmptyOrUnopenablePathIsAClosedJournal) {
  InstallLog none(L"", &channel_, kFakeClock);
  EXPECT_FALSE(none.IsOpen());
  none.Write(L"dropped", LogLevel::Info);
  InstallLog missing(L"/nonexistent-dir/sub/log.txt", &channel_, kFakeClock);
  EXPECT_FALSE(missing.IsOpen());
  missing.Write(L"dropped", LogLevel::Info);
}

TEST_F(InstallLogTest, ConcurrentWritersProduceWholeLines) {
  const int kLines = 2000;
  {
    InstallLog log(WPath(), &channel_, kFakeClock);
    auto writer = [&](const wchar_t* text) {
      for (int i = 0; i < kLines; ++i) {
        if (i % 500 == 0) fakeNow.fetch_add(1);
        log.Write(text, LogLevel::Info);
      }
    };
    std::thread a(writer, L"from thread A with a longer message text");
    std::thread b(writer, L"from B");
    a.join();
    b.join();
  }
  std::string all = Contents().substr(3);
  std::istringstream lines(all);
  std::string line;
  int a = 0, b = 0;
  while (std::getline(lines, line)) {
    ASSERT_EQ(line.rfind("[I] [09:05:", 0), 0u) << line;
    ASSERT_EQ(line.substr(13, 21), " 07.12] [ Download ] ") << line;
    const std::string msg = line.substr(34);
    if (msg == "from thread A with a longer message text")
      ++a;
    else if (msg == "from B")
      ++b;
    else
      FAIL() << line;
  }
  EXPECT_EQ(a, kLines);
  EXPECT_EQ(b, kLines);
}

}  // namespace

}  // namespace cumulo
