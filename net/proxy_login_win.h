#pragma once
// Getting a request past a proxy that asks for a login (407): the stored login first, then
// at most one prompt of the system's own (WinInet's dialog, owned by the installer window).
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <string>

namespace cumulo {

// Sets the stored login, if there is one, on a request before its first send; true when it did.
bool OfferStoredProxyLogin(HINTERNET request);

// After a send of `request` whose status is 407: sends it again (with `headers`, each line
// ending in CR LF, or none) until the proxy lets it through, as NextProxyAuthStep says.
// `promptedThisRun` is null for a request that must never prompt; otherwise the prompt is
// shown only while it is false, and it is set then. 0 when the answer is no longer 407;
// otherwise the error of the network-failure road (the user cancelled, or no login worked).
[[nodiscard]] uint32_t PassProxyChallenge(HINTERNET request, const std::wstring& headers,
                                          bool loginTried, bool* promptedThisRun);

}  // namespace cumulo
