// Runs the installer window alone, for trying out the window before and apart from the
// start-up sequence: ui_driver [--log <journal>]
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "base/journal.h"
#include "install/install_worker.h"
#include "net/metric_sender.h"
#include "ui/installer_dialog.h"
#include "ui/ui_language_win.h"

using namespace cumulo;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; argv != nullptr && i + 1 < argc; ++i) {
    if (std::wstring(argv[i]) == L"--log") LogFilePath() = argv[i + 1];
  }
  if (argv != nullptr) LocalFree(argv);
  LogInfo(L"Starting GUI Installer...");
  {
    std::shared_ptr<MetricSender> sender = MetricSender::Create(L"WCuidriver00");
    InstallerDialog dialog(sender, AuthHandoff{}, SettleLanguage(sender.get()), nullptr);
    dialog.DoModal();
  }
  WaitForInstallWorkers();
  LogInfo(L"GUI Installer Finished.");
  return 0;
}
