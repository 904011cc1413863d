#include "win/system_library.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "win/alpha_blend.h"
#include "win/wininet_api.h"

namespace cumulo {

namespace {
std::wstring ModulePath(const wchar_t* file) {
  HMODULE module = GetModuleHandleW(file);
  wchar_t path[MAX_PATH] = {};
  if (module == nullptr || GetModuleFileNameW(module, path, MAX_PATH) == 0) return {};
  return path;
}
}  // namespace

// The run-time bound libraries come from the system folder, and their tables are whole.
TEST(SystemLibrary, BoundLibrariesComeFromTheSystemFolder) {
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  ASSERT_GT(length, 0u);
  const std::wstring folder = std::wstring(system, length) + L"\\";

  HMODULE loaded = LoadSystemLibrary(L"wintrust.dll");
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(_wcsicmp(ModulePath(L"wintrust.dll").c_str(), (folder + L"wintrust.dll").c_str()), 0)
      << ModulePath(L"wintrust.dll");

  const WinInetApi* wininet = WinInet();
  ASSERT_NE(wininet, nullptr);
  EXPECT_EQ(wininet, WinInet());  // bound once
  EXPECT_NE(wininet->HttpQueryInfoW, nullptr);
  EXPECT_EQ(_wcsicmp(ModulePath(L"wininet.dll").c_str(), (folder + L"wininet.dll").c_str()), 0)
      << ModulePath(L"wininet.dll");
  EXPECT_NE(AlphaBlendEntry(), nullptr);

  decltype(&::AlphaBlend) missing = nullptr;
  EXPECT_FALSE(BindEntry(loaded, "NoSuchEntry", missing));
  EXPECT_EQ(missing, nullptr);
  EXPECT_FALSE(BindEntry(nullptr, "WinVerifyTrust", missing));
  EXPECT_EQ(LoadSystemLibrary(L""), nullptr);
  EXPECT_EQ(LoadSystemLibrary(L"no_such_library_here.dll"), nullptr);
}

}  // namespace cumulo
