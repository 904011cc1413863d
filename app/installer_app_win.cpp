#include "app/installer_app.h"

#include "app/install_log.h"

namespace {
// The one application object, built before the entry point runs.
InstallerApp theApp;
}  // namespace

InstallerApp::InstallerApp() {
  // Keep DLL loading to System32 where the system supports it (not on a plain Windows 7).
  HMODULE kernel = GetModuleHandleW(L"Kernel32");
  if (kernel == nullptr) return;
  using SetDirsFn = BOOL(WINAPI*)(DWORD);
  auto setDirs = reinterpret_cast<SetDirsFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDirs != nullptr) setDirs(0x800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
}

int InstallerApp::Run(HINSTANCE instance) {
  theApp.instance_ = instance;
  theApp.InitInstance();
  return 0;
}

bool InstallerApp::InitInstance() { return false; }
