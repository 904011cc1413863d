#include "install/system_environment.h"

namespace cumulo {

namespace {
// An unreadable version counts as recent enough.
bool Unreadable(const OsVersion& v) { return !v.callSucceeded || v.platformId != 2; }
}  // namespace

bool Windows8OrLaterRule(const OsVersion& v) {
  if (Unreadable(v)) return true;
  return v.major > 6 || (v.major == 6 && v.minor >= 2);
}

bool Windows7OrLaterRule(const OsVersion& v) {
  if (Unreadable(v)) return true;
  return v.major > 6 || (v.major == 6 && v.minor >= 1);
}

bool Windows7Sp1OrLaterRule(const OsVersion& v) {
  // The service-pack rule for 6.1 applies even when the platform is not NT.
  if (Unreadable(v) && !(v.major == 6 && v.minor == 1)) return true;
  if (v.major > 6) return true;
  if (v.major == 6 && v.minor >= 2) return true;
  return v.major == 6 && v.minor == 1 && v.servicePackMajor >= 1;
}

uint16_t ArchitectureOfMachine(uint16_t imageFileMachine) {
  switch (imageFileMachine) {
    case kImageFileMachineI386:
      return kProcessorArchitectureIntel;
    case kImageFileMachineAmd64:
      return kProcessorArchitectureAmd64;
    case kImageFileMachineArm64:
      return kProcessorArchitectureArm64;
    case kImageFileMachineArm:
    case kImageFileMachineThumb:
    case kImageFileMachineArmNt:
      return kProcessorArchitectureArm;
    case kImageFileMachineIa64:
      return kProcessorArchitectureIa64;
    default:
      return kProcessorArchitectureUnknown;
  }
}

uint16_t NativeArchitectureRule(const NativeMachineReading& reading) {
  // A machine the call could not name (IMAGE_FILE_MACHINE_UNKNOWN) leaves the older reading.
  if (reading.haveImageFileMachine && reading.imageFileMachine != kImageFileMachineUnknown) {
    return ArchitectureOfMachine(reading.imageFileMachine);
  }
  return reading.nativeSystemInfoArchitecture;
}

bool SupportedArchitectureRule(uint16_t processorArchitecture) {
  return processorArchitecture == kProcessorArchitectureIntel ||
         processorArchitecture == kProcessorArchitectureAmd64;
}

}  // namespace cumulo
