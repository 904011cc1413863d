#pragma once
// The system libraries the installer needs only once its window is up are bound at run
// time, never imported statically: Windows looks for a statically imported DLL that is
// not a known DLL next to the program first, which for a web installer is the download
// folder, and each import costs start-up time. Their users bind what they call through
// these two functions, once per process, and treat a missing entry as a failed call.
#include <windows.h>

namespace cumulo {

// The library from the system folder by full path (under WOW64 the redirected one, which
// is the 32-bit copy), its own dependencies searched from there; null on failure. The
// reference is never released: bound entries stay valid for the process.
[[nodiscard]] HMODULE LoadSystemLibrary(const wchar_t* fileName);

// `entry` becomes the library's export `name`; false (and `entry` null) when it has none.
// Fn is the SDK declaration's pointer type (decltype(&::Name)), calling convention included.
template <typename Fn>
[[nodiscard]] bool BindEntry(HMODULE library, const char* name, Fn& entry) {
  entry = library != nullptr
              ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)))
              : nullptr;
  return entry != nullptr;
}

}  // namespace cumulo
