#pragma once
// The application object: start-up in its order, the window, and the end of the run.
#include <windows.h>

#include "app/exit_code.h"
#include "win/unique_handle.h"

namespace cumulo {

// Keeps DLL loading to System32 where the system supports it (not on a plain Windows 7).
// The entry point calls it before anything else.
void RestrictDllSearchToSystem32();

class InstallerApp {
 public:
  InstallerApp() = default;
  InstallerApp(const InstallerApp&) = delete;
  InstallerApp& operator=(const InstallerApp&) = delete;

  // Runs start-up and the window.
  ExitCode Run();

 private:
  bool TakeInstanceLock();

  // Held for the life of the process, so that a second installer refuses to start.
  ScopedHandle instanceMutex_;
};

}  // namespace cumulo
