// The real command line: a child copy of this program is started with a given command
// line and, before any test runs, writes what it parsed to a file and exits.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/launch_params.h"
#include "base/command_line.h"
#include "base/wide_text.h"
#include "common/recording_transport.h"

namespace cumulo {

namespace {

const wchar_t kDumpVariable[] = L"CUMULO_LAUNCH_PARAMS_DUMP";
// Set in the child just before parsing, so "err_read_container" shows what it read.
constexpr DWORD kChildLastError = 7777;

std::string Hex(const std::string& bytes) {
  std::string out;
  char two[3];
  for (unsigned char c : bytes) {
    std::snprintf(two, sizeof(two), "%02X", c);
    out += two;
  }
  return out;
}

// Child mode: one line per argument ("arg <utf-8>"), per parameter ("param <hex key>
// <hex value>") and per event ("event <name:value>").
bool RunAsDumpChild() {
  wchar_t path[MAX_PATH] = {};
  if (GetEnvironmentVariableW(kDumpVariable, path, MAX_PATH) == 0) return false;
  std::string out;
  for (const auto& arg : GetCommandLineArguments()) out += "arg " + Utf8FromWide(arg) + "\n";
  MetricRecorder recorder;
  auto sender = recorder.MakeSender();
  SetLastError(kChildLastError);
  const LaunchParams params = ParseLaunchParams(sender);
  const std::map<std::string, std::string> sorted(params.begin(), params.end());
  for (const auto& [key, value] : sorted) out += "param " + Hex(key) + " " + Hex(value) + "\n";
  for (const auto& event : DrainEvents(sender, recorder)) {
    out += "event " + Utf8FromWide(event) + "\n";
  }
  if (FILE* f = _wfopen(path, L"wb")) {
    std::fwrite(out.data(), 1, out.size(), f);
    std::fclose(f);
  }
  ExitProcess(0);
  return true;
}
[[maybe_unused]] const bool kIsDumpChild = RunAsDumpChild();

std::wstring OwnPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

// Starts this program with `tail` after its quoted path; returns the child's lines.
std::vector<std::string> RunChild(const std::wstring& tail) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring dump = std::wstring(temp) + L"cumulo_launch_dump.txt";
  DeleteFileW(dump.c_str());
  std::wstring commandLine = L"\"" + OwnPath() + L"\" " + tail;
  SetEnvironmentVariableW(kDumpVariable, dump.c_str());
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessW(OwnPath().c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                                      0, nullptr, nullptr, &startup, &process);
  SetEnvironmentVariableW(kDumpVariable, nullptr);
  EXPECT_TRUE(started) << GetLastError();
  if (!started) return {};
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::vector<std::string> lines;
  if (FILE* f = _wfopen(dump.c_str(), L"rb")) {
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) text.append(buffer, n);
    std::fclose(f);
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1) {
      lines.push_back(text.substr(start, nl - start));
    }
  }
  DeleteFileW(dump.c_str());
  return lines;
}

struct CommandLineCase {
  const char* name;
  std::wstring tail;
  std::vector<std::string> args;  // after element 0
  std::vector<std::string> params;
  std::vector<std::string> events;
};

TEST(LaunchParamsWin, RealCommandLines) {
  const std::string lastError = std::to_string(kChildLastError);
  const CommandLineCase cases[] = {
      {"quoted container and log path",
       L"--params \"utm=spring sale&intro=first+page\" --log \"C:\\My Logs\\a b.log\"",
       {"--params", "utm=spring sale&intro=first+page", "--log", "C:\\My Logs\\a b.log"},
       {"param 696E74726F 66697273742070616765", "param 75746D 737072696E672073616C65"},
       {}},
      {"--params last",
       L"--log x.log --params",
       {"--log", "x.log", "--params"},
       {},
       {"event err_read_container:" + lastError}},
      {"empty container",
       L"--params \"\"",
       {"--params", ""},
       {},
       {"event err_read_container:" + lastError}},
      {"no arguments", L"", {}, {}, {"event err_read_container:" + lastError}},
      {"escaped quotes",
       L"--params a=\\\"q\\\"&b=%41",
       {"--params", "a=\"q\"&b=%41"},
       {"param 61 227122", "param 62 41"},
       {}},
      {"first of two, trailing &",
       L"--params a=1& --params a=2",
       {"--params", "a=1&", "--params", "a=2"},
       {"param 61 31"},
       {"event err_parse_container_1:1"}},
      // Raw text in the container reaches the values as UTF-8, like its escapes would.
      {"non-ASCII text goes on as UTF-8",
       L"--params a=\u00e9\u20ac&b=%C3%A9%E2%82%AC&c=\u0432\u0435\u0441\u043d\u0430",
       {"--params",
        "a=\xC3\xA9\xE2\x82\xAC&b=%C3%A9%E2%82%AC&c=\xD0\xB2\xD0\xB5\xD1\x81\xD0\xBD\xD0\xB0"},
       {"param 61 C3A9E282AC", "param 62 C3A9E282AC", "param 63 D0B2D0B5D181D0BDD0B0"},
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::string> lines = RunChild(c.tail);
    std::vector<std::string> expected = {"arg " + Utf8FromWide(OwnPath())};
    for (const auto& a : c.args) expected.push_back("arg " + a);
    expected.insert(expected.end(), c.params.begin(), c.params.end());
    expected.insert(expected.end(), c.events.begin(), c.events.end());
    EXPECT_EQ(lines, expected);
  }
}

}  // namespace

}  // namespace cumulo
