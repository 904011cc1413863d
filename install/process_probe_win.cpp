#include "install/process_probe_win.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <memory>
#include <string>
#include <vector>

#include "base/wide_text.h"
#include "install/process_probe_rules.h"
#include "win/unique_handle.h"

namespace cumulo {

namespace {

std::string WithCode(const char* text, DWORD code) { return text + Decimal(code); }

void DiscardText(const std::string&) {}

struct HeapBlockTraits {
  using Handle = void*;
  static Handle None() { return nullptr; }
  static void Close(Handle h) { HeapFree(GetProcessHeap(), 0, h); }
};
using HeapBlock = UniqueHandle<HeapBlockTraits>;

// Longer image paths than MAX_PATH exist; the second try takes the longest a path can be.
constexpr DWORD kImagePathFirstTry = MAX_PATH + 1;
constexpr DWORD kImagePathLongest = 32768;

ImagePathReading ReadImagePath(HANDLE process) {
  ImagePathReading reading;
  for (const DWORD capacity : {kImagePathFirstTry, kImagePathLongest}) {
    std::vector<wchar_t> buffer(capacity, L'\0');
    DWORD length = capacity;
    if (QueryFullProcessImageNameW(process, 0, buffer.data(), &length)) {
      reading.read = true;
      reading.path.assign(buffer.data(), length < capacity ? length : capacity);
      return reading;
    }
    reading.error = GetLastError();
    if (reading.error != ERROR_INSUFFICIENT_BUFFER) break;
  }
  return reading;
}

std::optional<UserSid> ReadTokenUser(HANDLE process, const DiagnosticSink& sink) {
  ScopedHandle token;
  if (!OpenProcessToken(process, TOKEN_QUERY, token.Receive())) {
    const DWORD error = GetLastError();
    sink(WithCode("Failed to get proc token, error: ", error));
    return std::nullopt;
  }
  DWORD length = 0;
  if (GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &length)) {
    const DWORD error = GetLastError();
    sink(WithCode("Failed to get token info one, error: ", error));
    return std::nullopt;
  }
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
  HeapBlock block(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, length));
  if (!block) {
    const DWORD error = GetLastError();
    sink("Failed to alloc heap, len: " + Decimal(length) + ", error: " + Decimal(error));
    return std::nullopt;
  }
  if (!GetTokenInformation(token.Get(), TokenUser, block.Get(), length, &length)) {
    const DWORD error = GetLastError();
    sink(WithCode("Failed to get token info two, error: ", error));
    return std::nullopt;
  }
  const PSID sid = static_cast<TOKEN_USER*>(block.Get())->User.Sid;
  if (!IsValidSid(sid)) return std::nullopt;
  return UserSid(static_cast<const char*>(sid), GetLengthSid(sid));
}

// A process handle, owned when the probes opened it themselves.
class HandleProcess : public ProbedProcess {
 public:
  explicit HandleProcess(HANDLE process) : handle_(process) {}
  explicit HandleProcess(ScopedHandle owned) : owned_(std::move(owned)), handle_(owned_.Get()) {}

  ImagePathReading ImagePath() override { return ReadImagePath(handle_); }
  std::optional<UserSid> TokenUser(const DiagnosticSink& sink) override {
    return ReadTokenUser(handle_, sink);
  }

 private:
  ScopedHandle owned_;
  HANDLE handle_;
};

class Win32ProcessTable : public ProcessTable {
 public:
  bool ListIds(size_t capacity, std::vector<uint32_t>& ids, uint32_t& error) override {
    std::vector<DWORD> buffer(capacity, 0);
    DWORD bytes = 0;
    if (!EnumProcesses(buffer.data(), static_cast<DWORD>(buffer.size() * sizeof(DWORD)), &bytes)) {
      error = GetLastError();
      return false;
    }
    const size_t count = bytes / sizeof(DWORD);
    ids.assign(buffer.begin(), buffer.begin() + (count < capacity ? count : capacity));
    return true;
  }

  uint32_t CurrentProcessId() override { return GetCurrentProcessId(); }

  std::unique_ptr<ProbedProcess> Open(uint32_t pid) override {
    // Limited rights are all the image path and the token need, and they are granted for
    // more processes (an elevated one of the same user, too) than full query rights.
    ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return nullptr;
    return std::make_unique<HandleProcess>(std::move(process));
  }
};

}  // namespace

ProcessTable& SystemProcessTable() {
  static Win32ProcessTable table;
  return table;
}

std::wstring GetProcessImageName(HANDLE process, const DiagnosticSink& sink) {
  HandleProcess view(process);
  return ImageNameOf(view, sink);
}

std::optional<UserSid> GetProcessTokenUser(DWORD pid, const std::wstring& filter,
                                           const DiagnosticSink& sink) {
  return TokenUserOf(SystemProcessTable(), pid, filter, sink);
}

bool IsSameUserAsCurrentProcess(DWORD pid, const DiagnosticSink& sink) {
  return SameUserAsProcess(SystemProcessTable(), pid, sink);
}

bool IsSameUserAsExplorer(const DiagnosticSink& sink) {
  return SameUserAsExplorer(SystemProcessTable(), sink);
}

bool IsClientRunning() {
  ScopedFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
       more = Process32NextW(snapshot.Get(), &entry)) {
    entry.szExeFile[MAX_PATH - 1] = L'\0';
    // The snapshot names every process whatever its bitness; no process memory is read.
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
