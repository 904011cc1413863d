#include "win/delay_load.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace cumulo {

// Each lazily imported library is loaded from the system folder, and the answer is kept.
TEST(DelayLoad, EveryLazyLibraryComesFromTheSystemFolder) {
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  ASSERT_GT(length, 0u);
  const struct {
    DelayedLibrary library;
    const wchar_t* file;
  } cases[] = {
      {DelayedLibrary::WinInet, L"wininet.dll"}, {DelayedLibrary::WinTrust, L"wintrust.dll"},
      {DelayedLibrary::Crypt32, L"crypt32.dll"}, {DelayedLibrary::Msimg32, L"msimg32.dll"},
      {DelayedLibrary::Shlwapi, L"shlwapi.dll"}, {DelayedLibrary::Ole32, L"ole32.dll"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::wstring(c.file));
    ASSERT_TRUE(EnsureLoaded(c.library));
    HMODULE module = GetModuleHandleW(c.file);
    ASSERT_NE(module, nullptr);
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(module, path, MAX_PATH), 0u);
    EXPECT_EQ(_wcsnicmp(path, system, length), 0) << path;
    EXPECT_EQ(path[length], L'\\') << path;
    EXPECT_TRUE(EnsureLoaded(c.library));
  }
  EXPECT_FALSE(EnsureLoaded(static_cast<DelayedLibrary>(99)));
}

}  // namespace cumulo
