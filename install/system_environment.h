#pragma once
// Facts about the machine: Windows version, processor, folders, unique names.
// The rules are pure functions of their inputs; the readings call Windows.
#include <cstdint>
#include <string>

namespace cumulo {

// What the version call reported; fields are zero when the call failed.
struct OsVersion {
  bool callSucceeded = false;
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t platformId = 0;  // 2 is VER_PLATFORM_WIN32_NT
  uint16_t servicePackMajor = 0;
};

bool Windows8OrLaterRule(const OsVersion& v);
bool Windows7OrLaterRule(const OsVersion& v);
bool Windows7Sp1OrLaterRule(const OsVersion& v);
// x86 (0) and x64 (9) only.
bool SupportedArchitectureRule(uint16_t processorArchitecture);

// Readings of the running system (Windows builds only).
OsVersion ReadOsVersion();
uint16_t ReadProcessorArchitecture();
bool IsWindows8OrLater();
bool IsWindows7OrLater();
bool IsWindows7Sp1OrLater();
bool IsSupportedArchitecture();
std::wstring MakeUniqueName();         // lower-case GUID text, empty on failure
std::wstring GetTempFolder();          // with its trailing backslash, empty on failure
std::wstring GetProfileFolder();       // empty on failure
std::wstring GetLocalAppDataFolder();  // empty on failure

}  // namespace cumulo
