// The environment readings against wine's real answers.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <map>

#include "install/system_environment.h"
#include "win/unique_handle.h"
#include "win_test_util.h"

namespace cumulo {

namespace {

std::map<std::string, std::string> ProbeWithWineVersion(const wchar_t* version) {
  ScopedRegKey key;
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, key.Receive(), nullptr),
            ERROR_SUCCESS);
  if (version != nullptr) {
    RegSetValueExW(key.Get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
  } else {
    RegDeleteValueW(key.Get(), L"Version");
  }
  std::string out;
  EXPECT_EQ(wintest::Run(L"\"" + wintest::ToolPath(L"env_probe.exe") + L"\"", &out), 0);
  RegDeleteValueW(key.Get(), L"Version");
  std::map<std::string, std::string> values;
  size_t at = 0;
  while (at < out.size()) {
    size_t nl = out.find('\n', at);
    if (nl == std::string::npos) nl = out.size();
    std::string line = out.substr(at, nl - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    at = nl + 1;
  }
  return values;
}

TEST(EnvironmentOnWine, VersionUnderWineSettings) {
  struct Case {
    const wchar_t* setting;
    const char *major, *minor, *sp, *win8, *win7, *win7sp1;
  };
  const Case cases[] = {
      {L"winxp", "5", "1", "3", "0", "0", "0"},
      {nullptr, "6", "1", "1", "0", "1", "1"},   // wine's default: Windows 7 SP1
      {L"win10", "6", "2", "0", "1", "1", "1"},  // no newer system declared in the manifest
  };
  for (const auto& c : cases) {
    auto v = ProbeWithWineVersion(c.setting);
    const std::string name = c.setting ? "winxp/win10" : "default";
    EXPECT_EQ(v["call"], "1") << name;
    EXPECT_EQ(v["platform"], "2") << name;
    EXPECT_EQ(v["major"], c.major) << name;
    EXPECT_EQ(v["minor"], c.minor) << name;
    EXPECT_EQ(v["win8"], c.win8) << name;
    EXPECT_EQ(v["win7"], c.win7) << name;
    EXPECT_EQ(v["win7sp1"], c.win7sp1) << name;
    if (c.setting == nullptr) {
      EXPECT_EQ(v["sp"], c.sp);
    }
    EXPECT_EQ(v["arch"], "1") << name;
  }
}

TEST(EnvironmentOnWine, NativeMachineOfThisX64Prefix) {
  const NativeMachineReading reading = ReadNativeMachine();
  EXPECT_EQ(reading.nativeSystemInfoArchitecture, PROCESSOR_ARCHITECTURE_AMD64);
  // wine has IsWow64Process2 whatever version it reports; a system without it leaves the
  // reading to GetNativeSystemInfo.
  const bool hasCall =
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process2") != nullptr;
  EXPECT_EQ(reading.haveImageFileMachine, hasCall);
  if (reading.haveImageFileMachine) {
    EXPECT_EQ(reading.imageFileMachine, IMAGE_FILE_MACHINE_AMD64);
  }
  EXPECT_EQ(ReadProcessorArchitecture(), PROCESSOR_ARCHITECTURE_AMD64);
  EXPECT_TRUE(IsSupportedArchitecture());
}

TEST(EnvironmentOnWine, FoldersAndUniqueNames) {
  const std::wstring temp = GetTempFolder();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), L'\\');
  wchar_t direct[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, direct);
  EXPECT_EQ(temp, std::wstring(direct, n));

  const std::wstring profile = GetProfileFolder();
  EXPECT_FALSE(profile.empty());
  EXPECT_NE(profile.back(), L'\\');
  EXPECT_FALSE(GetLocalAppDataFolder().empty());

  const std::wstring a = MakeUniqueName(), b = MakeUniqueName();
  EXPECT_NE(a, b);
  for (const std::wstring& g : {a, b}) {
    ASSERT_EQ(g.size(), 36u) << std::string(g.begin(), g.end());
    for (size_t i = 0; i < g.size(); ++i) {
      if (i == 8 || i == 13 || i == 18 || i == 23) {
        EXPECT_EQ(g[i], L'-');
      } else {
        EXPECT_TRUE(std::iswxdigit(g[i]) && !std::iswupper(g[i])) << i;
      }
    }
  }
}

}  // namespace

}  // namespace cumulo
