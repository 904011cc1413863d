// Stands in for a virus scanner that opens a freshly downloaded setup package without
// sharing: it waits in the user's temporary folder for a new "Cumulo-*.exe", opens it
// exclusively as soon as the download has closed it, holds it for the given time, then
// lets go and ends. Records "watching" once it looks, then "held NAME" and "released NAME"
// in the record file.
//   package_scanner <hold-ms> <record-file>
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

void Record(const std::wstring& recordFile, const std::wstring& line) {
  HANDLE file = CreateFileW(recordFile.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::wstring text = line + L"\n";
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n,
                        nullptr, nullptr);
  }
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

bool Before(const FILETIME& a, const FILETIME& b) { return CompareFileTime(&a, &b) < 0; }

// The name of a package made since `since` in `folder`; empty when there is none yet.
std::wstring FindFreshPackage(const std::wstring& folder, const FILETIME& since) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"Cumulo-*.exe").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return {};
  std::wstring name;
  do {
    if (!Before(found.ftCreationTime, since)) name = found.cFileName;
  } while (name.empty() && FindNextFileW(search, &found));
  FindClose(search);
  return name;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  const DWORD holdMs = static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10));
  const std::wstring recordFile = argv[2];
  wchar_t temp[MAX_PATH + 1] = {};
  if (GetTempPathW(MAX_PATH + 1, temp) == 0) return 1;
  FILETIME start{};
  GetSystemTimeAsFileTime(&start);
  Record(recordFile, L"watching");
  const ULONGLONG giveUp = GetTickCount64() + 120000;  // no test leaves it behind
  std::wstring name;
  // The download of a small package takes milliseconds: look without pausing, or it is
  // closed before it is seen.
  SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
  while (name.empty() && GetTickCount64() < giveUp) {
    name = FindFreshPackage(temp, start);
    if (name.empty()) SwitchToThread();
  }
  if (name.empty()) return 1;
  // Open it the moment the download lets go of it: the download writes without sharing,
  // so an exclusive open succeeds only once it is closed. No pause between tries, so the
  // installer's own open comes second.
  const std::wstring path = temp + name;
  while (GetTickCount64() < giveUp) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      Record(recordFile, L"held " + name);
      Sleep(holdMs);
      CloseHandle(file);
      Record(recordFile, L"released " + name);
      return 0;
    }
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return 1;
  }
  return 1;
}
