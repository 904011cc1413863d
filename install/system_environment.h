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
// PROCESSOR_ARCHITECTURE_* values, as SYSTEM_INFO carries them.
constexpr uint16_t kProcessorArchitectureIntel = 0;
constexpr uint16_t kProcessorArchitectureArm = 5;
constexpr uint16_t kProcessorArchitectureIa64 = 6;
constexpr uint16_t kProcessorArchitectureAmd64 = 9;
constexpr uint16_t kProcessorArchitectureArm64 = 12;
constexpr uint16_t kProcessorArchitectureUnknown = 0xFFFF;

// IMAGE_FILE_MACHINE_* values, as IsWow64Process2 names the native machine.
constexpr uint16_t kImageFileMachineUnknown = 0;
constexpr uint16_t kImageFileMachineI386 = 0x014C;
constexpr uint16_t kImageFileMachineArm = 0x01C0;
constexpr uint16_t kImageFileMachineThumb = 0x01C2;
constexpr uint16_t kImageFileMachineArmNt = 0x01C4;
constexpr uint16_t kImageFileMachineIa64 = 0x0200;
constexpr uint16_t kImageFileMachineAmd64 = 0x8664;
constexpr uint16_t kImageFileMachineArm64 = 0xAA64;

// What the system says about its own processor. A 32-bit process must not ask
// GetSystemInfo: under WOW64 it reports the emulated x86, on ARM64 Windows too.
struct NativeMachineReading {
  // IsWow64Process2's native machine, where the system has the call (Windows 10 1709
  // and later) and it answered.
  bool haveImageFileMachine = false;
  uint16_t imageFileMachine = 0;
  // GetNativeSystemInfo's architecture, for systems without the call.
  uint16_t nativeSystemInfoArchitecture = kProcessorArchitectureUnknown;
};

// The PROCESSOR_ARCHITECTURE_* value of a machine; unknown for machines not listed.
uint16_t ArchitectureOfMachine(uint16_t imageFileMachine);
// The native processor architecture: IsWow64Process2's machine where there is one, else
// GetNativeSystemInfo's answer.
uint16_t NativeArchitectureRule(const NativeMachineReading& reading);
// x86 (0) and x64 (9) only.
bool SupportedArchitectureRule(uint16_t processorArchitecture);

// Readings of the running system (Windows builds only).
OsVersion ReadOsVersion();
NativeMachineReading ReadNativeMachine();
// The native processor architecture, whatever the bitness of this process.
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
