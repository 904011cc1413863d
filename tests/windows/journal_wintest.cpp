// The journal's file access on Windows: Unicode paths, missing folders, shared files.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "base/journal.h"
#include "win_test_util.h"

namespace cumulo {

namespace {

const std::wstring kChannel = L"Download";

std::string AfterTimestamp(const std::string& line) { return line.substr(4 + 17); }

// "[hh:mm:ss dd.mm] " of the system's own local time.
std::string Stamp(const SYSTEMTIME& t) {
  char text[32];
  snprintf(text, sizeof text, "[%02u:%02u:%02u %02u.%02u] ", t.wHour, t.wMinute, t.wSecond, t.wDay,
           t.wMonth);
  return text;
}

TEST(InstallLogOnWindows, TimestampIsTheLocalClock) {
  const std::wstring path = wintest::MakeTempFolder(L"log-") + L"clock.log";
  SYSTEMTIME before{}, after{};
  {
    InstallLog log(path, &kChannel, SystemLogClock());
    ASSERT_TRUE(log.IsOpen());
    GetLocalTime(&before);
    log.Write(L"tick", LogLevel::Info);
    GetLocalTime(&after);
  }
  const std::string bytes = wintest::ReadFileBytes(path);
  ASSERT_GE(bytes.size(), 3u + 4 + 17);
  const std::string stamp = bytes.substr(3 + 4, 17);
  // A second may turn between the readings: then either side is right.
  EXPECT_TRUE(stamp == Stamp(before) || stamp == Stamp(after))
      << stamp << " vs " << Stamp(before) << " / " << Stamp(after);
}

TEST(InstallLogOnWindows, CyrillicPathGetsBomAndUtf8Lines) {
  const std::wstring folder = wintest::MakeTempFolder(L"журнал-");
  const std::wstring path = folder + L"Установка.log";
  {
    InstallLog log(path, &kChannel, SystemLogClock());
    ASSERT_TRUE(log.IsOpen());
    log.Write(L"Using Russian UI language.", LogLevel::Info);
    log.Write(L"Кумуло", LogLevel::Error);
  }
  const std::string bytes = wintest::ReadFileBytes(path);
  ASSERT_GE(bytes.size(), 3u);
  EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  const std::string body = bytes.substr(3);
  const size_t nl = body.find('\n');
  ASSERT_NE(nl, std::string::npos);
  EXPECT_EQ(body.substr(0, 4), "[I] ");
  EXPECT_EQ(AfterTimestamp(body.substr(0, nl)), "[ Download ] Using Russian UI language.");
  const std::string second = body.substr(nl + 1);
  EXPECT_EQ(second.substr(0, 4), "[E] ");
  EXPECT_EQ(AfterTimestamp(second),
            "[ Download ] \xD0\x9A\xD1\x83\xD0\xBC\xD1\x83\xD0\xBB\xD0\xBE\n");
  EXPECT_EQ(body.find('\r'), std::string::npos);
}

TEST(InstallLogOnWindows, MissingFolderIsAClosedJournal) {
  const std::wstring path = wintest::MakeTempFolder(L"log-") + L"no\\such\\folder\\install.log";
  InstallLog log(path, &kChannel, SystemLogClock());
  EXPECT_FALSE(log.IsOpen());
  log.Write(L"dropped", LogLevel::Info);
  EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(InstallLogOnWindows, AppendsWhileAnotherProcessHoldsTheFile) {
  const std::wstring folder = wintest::MakeTempFolder(L"log-");
  const std::wstring path = folder + L"held.log";
  ASSERT_TRUE(wintest::WriteFileBytes(path, "existing\n"));
  const std::wstring ready = folder + L"ready", stop = folder + L"stop";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  std::wstring cmd = L"\"" + wintest::ToolPath(L"hold_file.exe") + L"\" \"" + path + L"\" \"" +
                     ready + L"\" \"" + stop + L"\"";
  ASSERT_TRUE(
      CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  for (int i = 0; i < 200 && GetFileAttributesW(ready.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
    Sleep(50);
  ASSERT_NE(GetFileAttributesW(ready.c_str()), INVALID_FILE_ATTRIBUTES) << "holder did not start";
  {
    InstallLog log(path, &kChannel, SystemLogClock());
    EXPECT_TRUE(log.IsOpen());
    log.Write(L"while held", LogLevel::Warning);
    // Unbuffered: the line is in the file before the journal closes.
    const std::string now = wintest::ReadFileBytes(path);
    EXPECT_NE(now.find("[ Download ] while held\n"), std::string::npos);
  }
  wintest::WriteFileBytes(stop, "");
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  const std::string bytes = wintest::ReadFileBytes(path);
  EXPECT_EQ(bytes.substr(0, 9), "existing\n");  // no byte-order mark on an existing file
  EXPECT_EQ(bytes.substr(9, 4), "[W] ");
}

}  // namespace

}  // namespace cumulo
