#include "win/delay_load.h"

#include <windows.h>
// windows.h first: the delay-load header needs its types.
#include <delayimp.h>

#include <cstring>
#include <mutex>

#include "win/system_library.h"

namespace cumulo {

namespace {

struct LibraryEntry {
  const char* importName;  // as the import libraries in win/delay name it
  const wchar_t* fileName;
};

constexpr LibraryEntry kLibraries[] = {
    {"wininet.dll", L"wininet.dll"}, {"wintrust.dll", L"wintrust.dll"},
    {"crypt32.dll", L"crypt32.dll"}, {"msimg32.dll", L"msimg32.dll"},
    {"shlwapi.dll", L"shlwapi.dll"}, {"ole32.dll", L"ole32.dll"},
};
constexpr int kLibraryCount = sizeof(kLibraries) / sizeof(kLibraries[0]);

enum class LoadState : unsigned char { NotTried, Loaded, Failed };

// Every lazy load goes through here, also one that no EnsureLoaded call preceded: the
// library comes from the system folder, never from the search path.
FARPROC WINAPI OnDelayLoad(unsigned notification, PDelayLoadInfo info) {
  if (notification != dliNotePreLoadLibrary || info == nullptr || info->szDll == nullptr) {
    return nullptr;
  }
  for (const LibraryEntry& entry : kLibraries) {
    if (_stricmp(info->szDll, entry.importName) == 0) {
      return reinterpret_cast<FARPROC>(LoadSystemLibrary(entry.fileName));
    }
  }
  return nullptr;
}

}  // namespace

bool EnsureLoaded(DelayedLibrary library) {
  const int index = static_cast<int>(library);
  if (index < 0 || index >= kLibraryCount) return false;
  static std::mutex mutex;
  static LoadState states[kLibraryCount] = {};
  std::lock_guard<std::mutex> lock(mutex);
  if (states[index] == LoadState::NotTried) {
    // Loaded here, the library is what the first call's binding finds, and it stays loaded
    // for the process. Every entry imported from it exists since Windows XP, so once the
    // library is in, no binding can fail (a failed one would raise an exception).
    const bool loaded = LoadSystemLibrary(kLibraries[index].fileName) != nullptr;
    states[index] = loaded ? LoadState::Loaded : LoadState::Failed;
  }
  return states[index] == LoadState::Loaded;
}

}  // namespace cumulo

// The delay-load helper's notification hook.
extern "C" {
PfnDliHook __pfnDliNotifyHook2 = cumulo::OnDelayLoad;
}
