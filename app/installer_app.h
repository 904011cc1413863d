#pragma once
// The application object: the whole life of the installer is its InitInstance.
#include <windows.h>

class InstallerApp {
 public:
  // Restricts the library search path before anything else loads.
  InstallerApp();
  // Runs start-up and the window; the process exit code.
  static int Run(HINSTANCE instance);

 private:
  bool InitInstance();
  HINSTANCE instance_ = nullptr;
};
