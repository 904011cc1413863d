#include <windows.h>

#include <cwchar>
#include <vector>

#include "install/app_launcher.h"
#include "install/process_probe.h"
#include "win/unique_handle.h"

namespace {

constexpr wchar_t kProductKey[] = L"Software\\Aldervane\\Aldervane_Cumulo";
constexpr DWORD kValueBufferBytes = 65536;

class SystemLauncherPlatform : public LauncherPlatform {
 public:
  InstallPathReading ReadInstallPath() override {
    InstallPathReading reading;
    ScopedRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, key.Receive()) !=
        ERROR_SUCCESS) {
      reading.lastError = GetLastError();
      return reading;
    }
    reading.status = InstallPathReading::Status::NoValue;
    std::vector<wchar_t> buffer(kValueBufferBytes / sizeof(wchar_t), L'\0');
    DWORD type = REG_NONE;
    DWORD size = kValueBufferBytes;
    const LONG result = RegQueryValueExW(key.Get(), L"InstallPath", nullptr, &type,
                                         reinterpret_cast<BYTE*>(buffer.data()), &size);
    reading.lastError = GetLastError();
    key.Reset();
    if (result != ERROR_SUCCESS) return reading;
    // Only a string that ends inside the buffer names a folder; anything else is missing.
    if (type != REG_SZ && type != REG_EXPAND_SZ) return reading;
    const size_t length = wcsnlen(buffer.data(), buffer.size());
    if (length == buffer.size()) return reading;
    reading.status = InstallPathReading::Status::Found;
    reading.path.assign(buffer.data(), length);
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
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return true;
  }

  bool IsClientRunning() override { return ::IsClientRunning(); }
  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
};

}  // namespace

std::unique_ptr<LauncherPlatform> MakeSystemLauncherPlatform() {
  return std::make_unique<SystemLauncherPlatform>();
}
