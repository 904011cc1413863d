#include <windows.h>

#include "app/installer_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  cumulo::RestrictDllSearchToSystem32();
  cumulo::InstallerApp app;
  return static_cast<int>(app.Run());
}
