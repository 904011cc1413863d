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

bool SupportedArchitectureRule(uint16_t processorArchitecture) {
  return processorArchitecture == 0 || processorArchitecture == 9;
}

}  // namespace cumulo
