#include "install/process_probe_win.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <string>

#include "base/wide_text.h"
#include "install/process_probe_rules.h"
#include "win/unique_handle.h"

namespace cumulo {

namespace {

std::string WithCode(const char* text, DWORD code) { return text + Decimal(code); }

void DiscardText(const std::string&) {}

}  // namespace

std::wstring GetProcessImageName(HANDLE process, const DiagnosticSink& sink) {
  wchar_t buffer[261] = {};
  const DWORD length = GetModuleFileNameExW(process, nullptr, buffer, 261);
  if (length == 0) {
    const DWORD error = GetLastError();
    sink(WithCode("Failed to get proc image name, error: ", error));
    return {};
  }
  return FileNamePart(std::wstring(buffer, length < 261 ? length : 261));
}

TokenUserBlock GetProcessTokenUser(DWORD pid, const std::wstring& filter,
                                   const DiagnosticSink& sink) {
  if (pid == 0) return nullptr;
  // Reading the image name needs the right to read the process's memory as well; with
  // query rights alone GetModuleFileNameExW is denied and no explorer would ever match.
  ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  if (!process) return nullptr;
  if (!filter.empty() &&
      !ImageNameMatchesFilter(GetProcessImageName(process.Get(), sink), filter)) {
    return nullptr;
  }
  ScopedHandle token;
  if (!OpenProcessToken(process.Get(), TOKEN_QUERY, token.Receive())) {
    const DWORD error = GetLastError();
    sink(WithCode("Failed to get proc token, error: ", error));
    return nullptr;
  }
  DWORD length = 0;
  if (GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &length)) {
    const DWORD error = GetLastError();
    sink(WithCode("Failed to get token info one, error: ", error));
    return nullptr;
  }
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return nullptr;
  TokenUserBlock block(
      static_cast<TOKEN_USER*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, length)));
  if (!block) {
    const DWORD error = GetLastError();
    sink("Failed to alloc heap, len: " + Decimal(length) +
         ", error: " + Decimal(error));
    return nullptr;
  }
  if (!GetTokenInformation(token.Get(), TokenUser, block.get(), length, &length)) {
    const DWORD error = GetLastError();
    sink(WithCode("Failed to get token info two, error: ", error));
    return nullptr;
  }
  return block;
}

bool IsSameUserAsCurrentProcess(DWORD pid, const DiagnosticSink& sink) {
  const TokenUserBlock current = GetProcessTokenUser(GetCurrentProcessId(), L"", sink);
  if (!current) {
    sink("Failed to get token for current process");
    return false;
  }
  const TokenUserBlock other = GetProcessTokenUser(pid, L"", sink);
  if (!other) {
    sink("Failed to get token for Cumulo process");
    return false;
  }
  return EqualSid(current->User.Sid, other->User.Sid) != FALSE;
}

bool IsSameUserAsExplorer(const DiagnosticSink& sink) {
  DWORD ids[1024] = {};
  DWORD bytes = 0;
  if (!EnumProcesses(ids, sizeof(ids), &bytes)) {
    const DWORD error = GetLastError();
    sink(WithCode("Failed to enum procs, error: ", error));
    return false;
  }
  const TokenUserBlock current = GetProcessTokenUser(GetCurrentProcessId(), L"", sink);
  if (!current) {
    sink("Failed to get token for current process");
    return false;
  }
  const DWORD count = bytes / sizeof(DWORD);
  for (DWORD i = 0; i < count && i < 1024; ++i) {
    const TokenUserBlock shell = GetProcessTokenUser(ids[i], L"explorer", sink);
    if (shell && EqualSid(shell->User.Sid, current->User.Sid)) return true;
  }
  return false;
}

bool IsClientRunning() {
  ScopedFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
       more = Process32NextW(snapshot.Get(), &entry)) {
    entry.szExeFile[MAX_PATH - 1] = L'\0';
    if (IsClientImageName(entry.szExeFile) &&
        IsSameUserAsCurrentProcess(entry.th32ProcessID, DiscardText)) {
      return true;
    }
  }
  return false;
}

void RequestClientClose() {
  HWND window = FindWindowW(nullptr, kClientWindowTitle);
  if (window == nullptr) return;
  DWORD_PTR answer = 0;
  // A client that does not answer must not hold the worker: the time-out counts as a
  // request that went unanswered, and the schedule goes on.
  SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                      kCloseRequestTimeoutMs, &answer);
}

bool CloseRunningClient() {
  CloseClientSteps steps;
  steps.isClientRunning = [] { return IsClientRunning(); };
  steps.requestClose = [] { RequestClientClose(); };
  steps.sleep = [](uint32_t ms) { Sleep(ms); };
  return CloseClientWithinBudget(steps);
}

}  // namespace cumulo
