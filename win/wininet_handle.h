#pragma once
// Owners for WinInet handles and the few WinInet queries the network code makes.
// Failures come back as values; nothing here throws.
#include <windows.h>
#include <wininet.h>

#include <string>

#include "win/unique_handle.h"
#include "win/wininet_api.h"

namespace cumulo {

struct InternetHandleTraits {
  using Handle = HINTERNET;
  static Handle None() { return nullptr; }
  static void Close(Handle h) {
    // A handle exists only where WinInet was bound.
    if (const WinInetApi* api = WinInet()) api->InternetCloseHandle(h);
  }
};
// Distinct types, so that a request cannot be passed where a session is meant.
struct InternetSessionTraits : InternetHandleTraits {};
struct InternetConnectionTraits : InternetHandleTraits {};
struct InternetRequestTraits : InternetHandleTraits {};

using ScopedInternetSession = UniqueHandle<InternetSessionTraits>;
using ScopedInternetConnection = UniqueHandle<InternetConnectionTraits>;
using ScopedInternetRequest = UniqueHandle<InternetRequestTraits>;

// What a request needs of a URL: the server, its port and the object (path and query).
struct CrackedUrl {
  std::wstring server;
  INTERNET_PORT port = 0;
  std::wstring object;
};

// A session with `agent` (direct or proxy as the system is configured); 0 or the error.
[[nodiscard]] DWORD OpenInternetSession(const std::wstring& agent, ScopedInternetSession& session);

// False for a URL without a scheme or a host; `out` is untouched then.
[[nodiscard]] bool CrackUrl(const std::wstring& url, CrackedUrl& out);

// The numeric HTTP status of an answered request.
[[nodiscard]] bool QueryHttpStatus(HINTERNET request, DWORD& status);

// The raw response header block, lines separated by CR LF.
[[nodiscard]] bool QueryHttpRawHeaders(HINTERNET request, std::wstring& block);

}  // namespace cumulo
