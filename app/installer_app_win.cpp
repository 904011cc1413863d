#include "app/installer_app.h"

#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/attribution_settlement.h"
#include "app/attribution_store.h"
#include "app/installation_id.h"
#include "app/launch_params.h"
#include "base/command_line.h"
#include "base/journal.h"
#include "install/install_worker.h"
#include "install/product_key_win.h"
#include "net/metric_sender.h"
#include "ui/installer_dialog.h"
#include "ui/ui_language_win.h"

namespace cumulo {

namespace {

const wchar_t kInstanceMutexName[] = L"CUMULO-INSTALLER-DC9E9E458F3D41A3AE99CA9DEAFAAA80";

std::wstring FromThreadCodePage(const std::string& bytes) {
  if (bytes.empty() || bytes.size() > 0x7FFFFFFF) return std::wstring();
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), size, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(n), L'\0');
  if (MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), size, &text[0], n) != n) {
    return std::wstring();
  }
  return text;
}

}  // namespace

void RestrictDllSearchToSystem32() {
  HMODULE kernel = GetModuleHandleW(L"Kernel32");
  if (kernel == nullptr) return;
  using SetDirsFn = BOOL(WINAPI*)(DWORD);
  auto setDirs = reinterpret_cast<SetDirsFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDirs != nullptr) setDirs(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

bool InstallerApp::TakeInstanceLock() {
  HANDLE mutex = CreateMutexW(nullptr, TRUE, kInstanceMutexName);
  const DWORD error = GetLastError();  // ERROR_ALREADY_EXISTS: another installer has it
  if (error == ERROR_ALREADY_EXISTS) {
    ScopedHandle theirs(mutex);
    return false;
  }
  instanceMutex_.Reset(mutex);
  return true;
}

ExitCode InstallerApp::Run() {
  const std::vector<std::wstring> args = GetCommandLineArguments();
  const std::wstring logPath = FindOptionValue(args, L"--log");
  if (LogFilePath().empty()) {
    LogFilePath() = logPath;
    LogChannelName() = L"Download";
  }

  if (!TakeInstanceLock()) {
    LogError(L"Failed to acquire GUI installation lock.");
    return ExitCode::AlreadyRunning;
  }

  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsEx(&controls);

  SystemProductKey productKey;
  const std::wstring installationId =
      LoadOrCreateInstallationId(productKey, &GenerateInstallationId);
  std::shared_ptr<MetricSender> sender = MetricSender::Create(installationId);
  const AuthHandoff handoff =
      SettleAttribution(productKey, sender, &ParseLaunchParams, &FromThreadCodePage);

  LogInfo(L"Starting GUI Installer...");
  const Language language = SettleLanguage(sender.get());
  std::optional<WindowEnd> end;
  {
    InstallerDialog dialog(sender, handoff, language, nullptr);
    end = dialog.DoModal();
    LogInfo(L"GUI Installer Finished.");
  }
  // A window closed during an installation lets the installation finish first.
  WaitForInstallWorkers();
  // The last reference: the sender drains its queue for at most five seconds.
  sender.reset();
  return ExitCodeFor(end);
}

}  // namespace cumulo
