#include <windows.h>

#include "app/installer_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  return InstallerApp::Run(instance);
}
