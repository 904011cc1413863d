// Stands in for the Cumulo offline setup package in tests. It honours the package's side
// of the installer's contract and records what it received. Behaviour comes from the
// environment, which the installer passes on:
//   CUMULO_STANDIN_DIR       folder for the records (setup_commands.txt: each command line;
//                            setup_show.txt: the show state; setup_cwd.txt: the folder it ran in;
//                            setup_attempts.txt: the attempt counter)
//   CUMULO_SETUP_EXIT_CODES  exit code per attempt, e.g. "5,0"; the last one repeats; default 0
//   CUMULO_SETUP_DELAY_MS    how long each attempt runs before it ends; default 0
//   CUMULO_SETUP_STOP_FILE   when set, each attempt runs on until this file exists (at
//                            most a minute), so a test decides when it ends
//   CUMULO_STANDIN_CLIENT    the client Cumulo.exe to install; default: Cumulo.exe beside this
//                            file, or with CUMULO_CLIENT_MODE=never_appear the Unix program
//                            /bin/true, which wine starts without a Windows process, so no
//                            client process ever appears
//   CUMULO_SETUP_INSTALL_DIR install folder when no /CUMULO_INSTALLPATH is given;
//                            default %LOCALAPPDATA%\Aldervane\Cumulo
// On an attempt whose exit code is 0 it installs: creates the folder, copies the client into
// it and stores "InstallPath" (no trailing backslash) under
// HKCU\Software\Aldervane\Aldervane_Cumulo. It always writes its log to the /LOG path.
#include <windows.h>
// windows.h first: the shell headers need its types.
#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../stand_in_common/stand_in_records.h"

namespace {

struct Switches {
  bool verySilent = false, suppressBoxes = false, noRestart = false, noCloseApps = false;
  bool noDrivers = false;
  std::wstring log, installPath;
};

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.compare(0, wcslen(prefix), prefix) == 0;
}

Switches ParseSwitches(int argc, wchar_t** argv) {
  Switches s;
  for (int i = 1; i < argc; ++i) {
    const std::wstring a = argv[i];
    if (a == L"/VERYSILENT")
      s.verySilent = true;
    else if (a == L"/SUPPRESSMSGBOXES")
      s.suppressBoxes = true;
    else if (a == L"/NORESTART")
      s.noRestart = true;
    else if (a == L"/NOCLOSEAPPLICATIONS")
      s.noCloseApps = true;
    else if (a == L"/INSTALL_DRIVERS=NO")
      s.noDrivers = true;
    else if (StartsWith(a, L"/LOG="))
      s.log = a.substr(5);
    else if (StartsWith(a, L"/CUMULO_INSTALLPATH="))
      s.installPath = a.substr(20);
  }
  return s;
}

int NextAttempt() {
  const std::wstring dir = RecordDir();
  if (dir.empty()) return 0;
  const std::wstring counter = dir + L"setup_attempts.txt";
  const int attempt = std::atoi(ReadWhole(counter).c_str());
  WriteWhole(counter, std::to_string(attempt + 1), false);
  return attempt;
}

DWORD ExitCodeFor(int attempt) {
  const std::wstring codes = EnvValue(L"CUMULO_SETUP_EXIT_CODES");
  std::vector<DWORD> list;
  size_t start = 0;
  while (start <= codes.size() && !codes.empty()) {
    const size_t comma = codes.find(L',', start);
    list.push_back(static_cast<DWORD>(std::wcstoul(
        codes.substr(start, comma == std::wstring::npos ? comma : comma - start).c_str(), nullptr,
        10)));
    if (comma == std::wstring::npos) break;
    start = comma + 1;
  }
  if (list.empty()) return 0;
  return list[static_cast<size_t>(attempt) < list.size() ? attempt : list.size() - 1];
}

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  return p.substr(0, p.rfind(L'\\'));
}

std::wstring DefaultInstallFolder() {
  const std::wstring configured = EnvValue(L"CUMULO_SETUP_INSTALL_DIR");
  if (!configured.empty()) return configured;
  wchar_t local[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local);
  return std::wstring(local) + L"\\Aldervane\\Cumulo";
}

bool Install(const Switches& s, std::wstring& report) {
  std::wstring folder = s.installPath.empty() ? DefaultInstallFolder() : s.installPath;
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  std::wstring client = EnvValue(L"CUMULO_STANDIN_CLIENT");
  // wine starts a Unix program outside its process list: a client that never appears.
  if (client.empty() && EnvValue(L"CUMULO_CLIENT_MODE") == L"never_appear")
    client = L"Z:\\bin\\true";
  if (client.empty()) client = OwnFolder() + L"\\Cumulo.exe";
  if (!CopyFileW(client.c_str(), (folder + L"\\Cumulo.exe").c_str(), FALSE)) {
    report += L"copy of " + client + L" failed: " + std::to_wstring(GetLastError()) + L"\r\n";
    return false;
  }
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Aldervane\\Aldervane_Cumulo", 0, nullptr, 0,
                      KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    report += L"registry key failed\r\n";
    return false;
  }
  RegSetValueExW(key, L"InstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  report += L"installed into " + folder + L"\r\n";
  return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const int argc = __argc;
  wchar_t** argv = __wargv;
  AppendRecord(L"setup_commands.txt", GetCommandLineW());
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  GetStartupInfoW(&startup);
  AppendRecord(L"setup_show.txt", (startup.dwFlags & STARTF_USESHOWWINDOW)
                                      ? std::to_wstring(startup.wShowWindow)
                                      : L"default");
  wchar_t cwd[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, cwd);
  AppendRecord(L"setup_cwd.txt", cwd);

  const Switches s = ParseSwitches(argc, argv);
  const int attempt = NextAttempt();
  DWORD code = ExitCodeFor(attempt);
  const DWORD delay = std::wcstoul(EnvValue(L"CUMULO_SETUP_DELAY_MS").c_str(), nullptr, 10);
  if (delay > 0) Sleep(delay);
  const std::wstring stop = EnvValue(L"CUMULO_SETUP_STOP_FILE");
  for (int i = 0;
       !stop.empty() && i < 1200 && GetFileAttributesW(stop.c_str()) == INVALID_FILE_ATTRIBUTES;
       ++i) {
    Sleep(50);
  }

  std::wstring report = L"Stand-in setup, attempt " + std::to_wstring(attempt + 1) + L"\r\n";
  report += L"silent: " +
            std::wstring(s.verySilent && s.suppressBoxes && s.noRestart && s.noCloseApps ? L"yes"
                                                                                         : L"no") +
            L"\r\n";
  report += L"drivers: " + std::wstring(s.noDrivers ? L"no" : L"yes") + L"\r\n";
  if (code == 0 && !Install(s, report)) code = 1603;
  report += L"exit code " + std::to_wstring(code) + L"\r\n";
  if (!s.log.empty()) WriteWhole(s.log, Utf8(report), false);
  return static_cast<int>(code);
}
