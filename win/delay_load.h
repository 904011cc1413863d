#pragma once
// The system libraries the installer needs only after its window is up are imported
// lazily (see win/delay): a static import of a library that is not a known system DLL
// would be searched for in the download folder before the system's, and each one costs
// start-up time. A component asks for its library before its first call into it and
// treats a refusal as that call failing.

namespace cumulo {

enum class DelayedLibrary { WinInet, WinTrust, Crypt32, Msimg32, Shlwapi, Ole32 };

// Loads the library from the system folder, once per process and thread-safe; false, for
// good, when that failed.
[[nodiscard]] bool EnsureLoaded(DelayedLibrary library);

}  // namespace cumulo
