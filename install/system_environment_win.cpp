#include <windows.h>
#include <rpc.h>
#include <shlobj.h>

#include <vector>

#include "install/system_environment.h"
#include "win/unique_handle.h"

namespace cumulo {

namespace {

// A string the RPC runtime allocated, freed by it.
struct RpcStringTraits {
  using Handle = RPC_WSTR;
  static Handle None() { return nullptr; }
  static void Close(Handle h) { RpcStringFreeW(&h); }
};
using RpcString = UniqueHandle<RpcStringTraits>;

}  // namespace

OsVersion ReadOsVersion() {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  OsVersion v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  v.callSucceeded = GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)) != FALSE;
#pragma GCC diagnostic pop
  v.major = info.dwMajorVersion;
  v.minor = info.dwMinorVersion;
  v.platformId = info.dwPlatformId;
  v.servicePackMajor = info.wServicePackMajor;
  return v;
}

uint16_t ReadProcessorArchitecture() {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return info.wProcessorArchitecture;
}

bool IsWindows8OrLater() { return Windows8OrLaterRule(ReadOsVersion()); }
bool IsWindows7OrLater() { return Windows7OrLaterRule(ReadOsVersion()); }
bool IsWindows7Sp1OrLater() { return Windows7Sp1OrLaterRule(ReadOsVersion()); }
bool IsSupportedArchitecture() { return SupportedArchitectureRule(ReadProcessorArchitecture()); }

std::wstring MakeUniqueName() {
  GUID guid;
  if (FAILED(CoCreateGuid(&guid))) return {};
  RpcString text;
  if (UuidToStringW(&guid, text.Receive()) != RPC_S_OK || !text) return {};
  return std::wstring(reinterpret_cast<const wchar_t*>(text.Get()));
}

std::wstring GetTempFolder() {
  const DWORD needed = GetTempPathW(0, nullptr);
  if (needed == 0) return {};
  std::vector<wchar_t> buffer(needed);
  const DWORD written = GetTempPathW(needed, buffer.data());
  if (written == 0 || written >= needed) return {};
  return std::wstring(buffer.data(), written);
}

std::wstring GetProfileFolder() {
  wchar_t buffer[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, buffer))) return {};
  return buffer;
}

std::wstring GetLocalAppDataFolder() {
  wchar_t buffer[520] = {};
  if (!SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_LOCAL_APPDATA, FALSE)) return {};
  return buffer;
}

}  // namespace cumulo
