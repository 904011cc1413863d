#pragma once
// The Win32 probes below the public questions, for the Windows tests.
#include <windows.h>

#include <optional>
#include <string>

#include "install/process_probe.h"
#include "install/process_user_check.h"

namespace cumulo {

// The processes of this machine, each opened with PROCESS_QUERY_LIMITED_INFORMATION.
ProcessTable& SystemProcessTable();

// File-name part of the process's image path (QueryFullProcessImageNameW, which answers
// across bitness); empty on failure. The handle needs PROCESS_QUERY_LIMITED_INFORMATION.
std::wstring GetProcessImageName(HANDLE process, const DiagnosticSink& sink);
// Empty when the process cannot be opened, does not match `filter` (lower-case, empty for
// any), or its token user cannot be read.
std::optional<UserSid> GetProcessTokenUser(DWORD pid, const std::wstring& filter,
                                           const DiagnosticSink& sink);
bool IsSameUserAsCurrentProcess(DWORD pid, const DiagnosticSink& sink);

// How long one close request waits for the client's window to answer.
constexpr UINT kCloseRequestTimeoutMs = 500;
// Sends WM_CLOSE to the client's window when there is one; a time-out is an unanswered request.
void RequestClientClose();

}  // namespace cumulo
