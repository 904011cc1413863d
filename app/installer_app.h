#pragma once
// The application object: the whole life of the installer.
#include <windows.h>

class InstallerApp {
 public:
  InstallerApp();
  // Runs start-up and the window; the process exit code.
  static int Run(HINSTANCE instance);

 private:
  bool InitInstance();
  HINSTANCE instance_ = nullptr;
};
