// Prints what the environment readings report in this process, one "key=value" a line,
// so tests can check them under different wine version settings.
#include <windows.h>

#include <cstdio>

#include "install/system_environment.h"

using namespace cumulo;

int wmain() {
  const OsVersion v = ReadOsVersion();
  std::printf("call=%d\nmajor=%lu\nminor=%lu\nplatform=%lu\nsp=%u\n", v.callSucceeded ? 1 : 0,
              static_cast<unsigned long>(v.major), static_cast<unsigned long>(v.minor),
              static_cast<unsigned long>(v.platformId), v.servicePackMajor);
  std::printf("win8=%d\nwin7=%d\nwin7sp1=%d\narch=%d\n", IsWindows8OrLater(), IsWindows7OrLater(),
              IsWindows7Sp1OrLater(), IsSupportedArchitecture());
  return 0;
}
