#include "win_test_util.h"

#include <vector>

#include "install/system_environment.h"
#include "win/unique_handle.h"

namespace cumulo {

namespace wintest {

int Run(const std::wstring& commandLine, std::string* output, DWORD timeoutMs) {
  SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
  ScopedHandle readEnd, writeEnd;
  if (output != nullptr) {
    HANDLE r = nullptr, w = nullptr;
    if (!CreatePipe(&r, &w, &sa, 0)) return -1;
    readEnd.Reset(r);
    writeEnd.Reset(w);
    SetHandleInformation(r, HANDLE_FLAG_INHERIT, 0);
  }
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  if (output != nullptr) {
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd.Get();
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  }
  PROCESS_INFORMATION pi{};
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, output != nullptr, 0, nullptr,
                      nullptr, &si, &pi)) {
    return -1;
  }
  ScopedHandle process(pi.hProcess), thread(pi.hThread);
  writeEnd.Reset();
  if (output != nullptr) {
    char chunk[4096];
    DWORD n = 0;
    while (ReadFile(readEnd.Get(), chunk, sizeof chunk, &n, nullptr) && n > 0)
      output->append(chunk, n);
  }
  if (WaitForSingleObject(process.Get(), timeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(process.Get(), 1);
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process.Get(), &code);
  return static_cast<int>(code);
}

std::wstring ThisFolder() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path, n);
  return p.substr(0, p.find_last_of(L'\\') + 1);
}

std::wstring ToolPath(const std::wstring& name) {
  // From <build>/tests to <build>/tools.
  std::wstring tests = ThisFolder();
  tests.pop_back();
  return tests.substr(0, tests.find_last_of(L'\\') + 1) + L"tools\\" + name;
}

std::wstring PackagePath(const std::wstring& name) {
  std::wstring tests = ThisFolder();
  tests.pop_back();
  return tests.substr(0, tests.find_last_of(L'\\') + 1) + L"test-session\\packages\\" + name;
}

std::wstring MakeTempFolder(const std::wstring& prefix) {
  std::wstring folder = GetTempFolder() + prefix + MakeUniqueName() + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

std::string ReadFileBytes(const std::wstring& path) {
  ScopedFile f(CreateFileW(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr));
  std::string out;
  if (!f) return out;
  char chunk[4096];
  DWORD n = 0;
  while (ReadFile(f.Get(), chunk, sizeof chunk, &n, nullptr) && n > 0) out.append(chunk, n);
  return out;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  ScopedFile f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!f) return false;
  DWORD n = 0;
  return WriteFile(f.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
         n == bytes.size();
}

std::wstring Env(const wchar_t* name) {
  wchar_t buf[32768];
  const DWORD n = GetEnvironmentVariableW(name, buf, 32768);
  return n > 0 && n < 32768 ? std::wstring(buf, n) : std::wstring();
}

}  // namespace wintest

}  // namespace cumulo
