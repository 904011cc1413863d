#include <windows.h>
#include <rpc.h>
#include <shlobj.h>

#include <vector>

#include "install/system_environment.h"
#include "win/system_library.h"
#include "win/unique_handle.h"

namespace cumulo {

static_assert(kProcessorArchitectureIntel == PROCESSOR_ARCHITECTURE_INTEL);
static_assert(kProcessorArchitectureArm == PROCESSOR_ARCHITECTURE_ARM);
static_assert(kProcessorArchitectureIa64 == PROCESSOR_ARCHITECTURE_IA64);
static_assert(kProcessorArchitectureAmd64 == PROCESSOR_ARCHITECTURE_AMD64);
static_assert(kProcessorArchitectureArm64 == PROCESSOR_ARCHITECTURE_ARM64);
static_assert(kProcessorArchitectureUnknown == PROCESSOR_ARCHITECTURE_UNKNOWN);
static_assert(kImageFileMachineUnknown == IMAGE_FILE_MACHINE_UNKNOWN);
static_assert(kImageFileMachineI386 == IMAGE_FILE_MACHINE_I386);
static_assert(kImageFileMachineArm == IMAGE_FILE_MACHINE_ARM);
static_assert(kImageFileMachineThumb == IMAGE_FILE_MACHINE_THUMB);
static_assert(kImageFileMachineArmNt == IMAGE_FILE_MACHINE_ARMNT);
static_assert(kImageFileMachineIa64 == IMAGE_FILE_MACHINE_IA64);
static_assert(kImageFileMachineAmd64 == IMAGE_FILE_MACHINE_AMD64);
static_assert(kImageFileMachineArm64 == IMAGE_FILE_MACHINE_ARM64);

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

NativeMachineReading ReadNativeMachine() {
  NativeMachineReading reading;
  // Looked up at run time: Windows 7 and 8 have no such entry, and the program must load there.
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
  const auto isWow64Process2 =
      kernel == nullptr ? nullptr
                        : reinterpret_cast<IsWow64Process2Fn>(
                              reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process2")));
  USHORT processMachine = IMAGE_FILE_MACHINE_UNKNOWN;
  USHORT nativeMachine = IMAGE_FILE_MACHINE_UNKNOWN;
  if (isWow64Process2 != nullptr &&
      isWow64Process2(GetCurrentProcess(), &processMachine, &nativeMachine)) {
    reading.haveImageFileMachine = true;
    reading.imageFileMachine = nativeMachine;
  }
  // Under WOW64 on x64 this names the x64 processor; on ARM64 it names the emulated one,
  // which is why the call above comes first.
  SYSTEM_INFO info{};
  GetNativeSystemInfo(&info);
  reading.nativeSystemInfoArchitecture = info.wProcessorArchitecture;
  return reading;
}

uint16_t ReadProcessorArchitecture() { return NativeArchitectureRule(ReadNativeMachine()); }

bool IsWindows8OrLater() { return Windows8OrLaterRule(ReadOsVersion()); }
bool IsWindows7OrLater() { return Windows7OrLaterRule(ReadOsVersion()); }
bool IsWindows7Sp1OrLater() { return Windows7Sp1OrLaterRule(ReadOsVersion()); }
bool IsSupportedArchitecture() { return SupportedArchitectureRule(ReadProcessorArchitecture()); }

std::wstring MakeUniqueName() {
  // ole32 is bound at run time: nothing before the window needs it.
  static const auto createGuid = [] {
    decltype(&::CoCreateGuid) fn = nullptr;
    (void)BindEntry(LoadSystemLibrary(L"ole32.dll"), "CoCreateGuid", fn);
    return fn;
  }();
  GUID guid;
  if (createGuid == nullptr || FAILED(createGuid(&guid))) return {};
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
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, buffer)))
    return {};
  return buffer;
}

std::wstring GetLocalAppDataFolder() {
  wchar_t buffer[520] = {};
  if (!SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_LOCAL_APPDATA, FALSE)) return {};
  return buffer;
}

}  // namespace cumulo
