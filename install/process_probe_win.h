#pragma once
// The Win32 probes below the public questions, for the Windows tests.
#include <windows.h>

#include <memory>
#include <string>

#include "install/process_probe.h"

namespace cumulo {

struct HeapBlockDeleter {
  void operator()(void* block) const { HeapFree(GetProcessHeap(), 0, block); }
};
// A TOKEN_USER block from the process heap.
using TokenUserBlock = std::unique_ptr<TOKEN_USER, HeapBlockDeleter>;

// File-name part of the process's main module path; empty on failure.
std::wstring GetProcessImageName(HANDLE process, const DiagnosticSink& sink);
// Null when the process cannot be opened, does not match `filter` (lower-case,
// empty for any), or its token user cannot be read.
TokenUserBlock GetProcessTokenUser(DWORD pid, const std::wstring& filter,
                                   const DiagnosticSink& sink);
bool IsSameUserAsCurrentProcess(DWORD pid, const DiagnosticSink& sink);

// How long one close request waits for the client's window to answer.
constexpr UINT kCloseRequestTimeoutMs = 500;
// Sends WM_CLOSE to the client's window when there is one; a time-out is an unanswered request.
void RequestClientClose();

}  // namespace cumulo
