#pragma once
// Loading a system library at run time without ever searching the folder the installer
// was started from (a download folder can hold anything).
#include <windows.h>

namespace cumulo {

// The library from the system folder by full path (under WOW64 the redirected one, which
// is the 32-bit copy), its own dependencies searched from there; null on failure. The
// caller owns one reference.
[[nodiscard]] HMODULE LoadSystemLibrary(const wchar_t* fileName);

}  // namespace cumulo
