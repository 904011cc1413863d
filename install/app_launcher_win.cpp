#include <windows.h>

#include <utility>
#include <vector>

#include "install/app_launcher.h"
#include "install/process_probe.h"
#include "install/product_key.h"
#include "win/registry_key.h"
#include "win/unique_handle.h"

namespace cumulo {

namespace {

constexpr size_t kValueBufferUnits = 65536 / sizeof(wchar_t);

class SystemLauncherPlatform : public LauncherPlatform {
 public:
  InstallPathReading ReadInstallPath() override {
    InstallPathReading reading;
    RegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, kProductKeyPath, KEY_READ) != ERROR_SUCCESS) {
      reading.lastError = GetLastError();
      return reading;
    }
    reading.status = InstallPathReading::Status::NoValue;
    RegistryText value;
    const LSTATUS result = key.ReadText(L"InstallPath", kValueBufferUnits, value);
    reading.lastError = GetLastError();
    key.Close();
    if (result != ERROR_SUCCESS) return reading;
    // Only a string that ends inside the buffer names a folder; anything else is missing.
    if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) return reading;
    if (!value.terminated) return reading;
    reading.status = InstallPathReading::Status::Found;
    reading.path = std::move(value.text);
    return reading;
  }

  bool StartClient(const std::wstring& applicationName, const std::wstring& commandLine,
                   uint32_t& error) override {
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    // The full path as the application name: a folder with spaces can never start
    // another program, while the client still sees the command line unchanged.
    if (!CreateProcessW(applicationName.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
      error = GetLastError();
      return false;
    }
    // Nothing waits for the client; both handles go at once.
    ScopedHandle process(info.hProcess);
    ScopedHandle thread(info.hThread);
    return true;
  }

  bool IsClientRunning() override { return cumulo::IsClientRunning(); }
  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
};

}  // namespace

std::unique_ptr<LauncherPlatform> MakeSystemLauncherPlatform() {
  return std::make_unique<SystemLauncherPlatform>();
}

}  // namespace cumulo
