#include <windows.h>

#include <utility>
#include <vector>

#include "install/app_launcher.h"
#include "install/process_probe.h"
#include "install/product_key_win.h"
#include "win/unique_handle.h"

namespace cumulo {

namespace {

constexpr size_t kValueBufferUnits = 65536 / sizeof(wchar_t);

// A REG_EXPAND_SZ folder with its environment references expanded; false with the
// last error when the expansion fails or does not fit a command line.
bool ExpandFolder(const std::wstring& folder, std::wstring& out, uint32_t& error) {
  std::vector<wchar_t> buffer(kClientCommandLineCapacity, L'\0');
  SetLastError(ERROR_SUCCESS);
  const DWORD needed =
      ExpandEnvironmentStringsW(folder.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (needed == 0 || needed > buffer.size()) {
    error = needed == 0 ? GetLastError() : static_cast<uint32_t>(ERROR_INSUFFICIENT_BUFFER);
    return false;
  }
  out.assign(buffer.data());
  return true;
}

class SystemLauncherPlatform : public LauncherPlatform {
 public:
  // The events carry the registry call's own status: Reg* functions return their error
  // and leave the thread's last error alone.
  InstallPathReading ReadInstallPath() override {
    InstallPathReading reading;
    const uint32_t opened = productKey_.Open(ProductKeyRights::Read);
    if (opened != ERROR_SUCCESS) {
      reading.error = opened;
      return reading;
    }
    reading.status = InstallPathReading::Status::NoValue;
    ProductKeyText value = productKey_.ReadText(L"InstallPath", kValueBufferUnits);
    productKey_.Close();
    if (value.status != ERROR_SUCCESS) {
      reading.error = value.status;
      return reading;
    }
    // Only a string that ends inside the buffer names a folder; anything else is missing.
    if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) {
      reading.error = ERROR_DATATYPE_MISMATCH;
      return reading;
    }
    if (!value.terminated) {
      reading.error = ERROR_MORE_DATA;
      return reading;
    }
    if (value.type == REG_EXPAND_SZ) {
      std::wstring expanded;
      if (!ExpandFolder(value.text, expanded, reading.error)) return reading;
      value.text = std::move(expanded);
    }
    reading.status = InstallPathReading::Status::Found;
    reading.path = std::move(value.text);
    return reading;
  }

  bool StartClient(const ClientCommand& command, uint32_t& error) override {
    std::vector<wchar_t> line(command.commandLine.begin(), command.commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    // The full path as the application name: a folder with spaces can never start
    // another program, while the client still sees the command line unchanged. It starts
    // in its own folder, not in the installer's (usually Downloads).
    if (!CreateProcessW(command.applicationName.c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, command.currentDirectory.c_str(), &startup, &info)) {
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

 private:
  SystemProductKey productKey_;
};

}  // namespace

std::unique_ptr<LauncherPlatform> MakeSystemLauncherPlatform() {
  return std::make_unique<SystemLauncherPlatform>();
}

}  // namespace cumulo
