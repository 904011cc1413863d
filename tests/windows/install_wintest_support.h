#pragma once
// Shared by the install worker's Windows tests: the stand-ins, their record folder, the
// product key, and clean-up of stand-in clients.
#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "install/process_probe.h"
#include "win_test_util.h"

namespace cumulo {

namespace installtest {

constexpr wchar_t kProductKey[] = L"Software\\Aldervane\\Aldervane_Cumulo";

inline void DeleteProductKey() { RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey); }

inline bool WriteInstallPath(DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool ok = RegSetValueExW(key, L"InstallPath", 0, type, static_cast<const BYTE*>(data),
                                 size) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

inline bool WriteInstallPath(const std::wstring& folder) {
  return WriteInstallPath(REG_SZ, folder.c_str(),
                          static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
}

inline std::wstring ClientStandIn() { return wintest::ToolPath(L"Cumulo.exe"); }
// Signed by the build's package publisher: the only kind of package the runner starts.
inline std::wstring SetupStandIn() { return wintest::PackagePath(L"signed.exe"); }

// Lines of a UTF-8 record file, without their line ends.
inline std::vector<std::string> RecordLines(const std::wstring& path) {
  std::vector<std::string> lines;
  const std::string text = wintest::ReadFileBytes(path);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

inline std::string Utf8Of(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
  return out;
}

// Ends every process of the machine named cumulo.exe (only stand-ins run in the prefix).
inline void EndAllClients() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, L"cumulo.exe") != 0) continue;
    HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
    if (p == nullptr) continue;
    TerminateProcess(p, 1);
    WaitForSingleObject(p, 5000);
    CloseHandle(p);
  }
  CloseHandle(snapshot);
}

// Waits up to `ms` for the probe to give `expected`.
inline bool WaitForClientRunning(bool expected, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  do {
    if (IsClientRunning() == expected) return true;
    Sleep(50);
  } while (GetTickCount64() < end);
  return false;
}

// A record folder for the stand-ins, named in the environment they inherit.
class StandInRecords {
 public:
  explicit StandInRecords(const std::wstring& prefix) : dir_(wintest::MakeTempFolder(prefix)) {
    SetEnvironmentVariableW(L"CUMULO_STANDIN_DIR", dir_.c_str());
  }
  ~StandInRecords() {
    SetEnvironmentVariableW(L"CUMULO_STANDIN_DIR", nullptr);
    SetEnvironmentVariableW(L"CUMULO_CLIENT_MODE", nullptr);
    SetEnvironmentVariableW(L"CUMULO_SETUP_EXIT_CODES", nullptr);
    SetEnvironmentVariableW(L"CUMULO_SETUP_INSTALL_DIR", nullptr);
    SetEnvironmentVariableW(L"CUMULO_STANDIN_CLIENT", nullptr);
  }
  const std::wstring& Dir() const { return dir_; }
  std::vector<std::string> Lines(const wchar_t* file) const { return RecordLines(dir_ + file); }

 private:
  std::wstring dir_;
};

// Starts the stand-in client from `path` (the stand-in itself by default).
inline HANDLE StartClient(const std::wstring& mode, std::wstring path = L"") {
  if (path.empty()) path = ClientStandIn();
  SetEnvironmentVariableW(L"CUMULO_CLIENT_MODE", mode.c_str());
  std::wstring line = L"\"" + path + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(path.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return nullptr;
  }
  CloseHandle(info.hThread);
  return info.hProcess;
}

}  // namespace installtest

}  // namespace cumulo
