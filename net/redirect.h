#pragma once
// Where a redirect leads: which statuses redirect, and the URL a "Location" names,
// resolved against the URL that was asked for.
#include <cstdint>
#include <optional>
#include <string>

namespace cumulo {

// 301, 302, 303, 307 and 308: each is followed with a GET of the new URL.
[[nodiscard]] bool IsRedirectStatus(uint32_t status);

// RFC 3986 section 5.2 (strict): `reference` resolved against the absolute `base`, dot
// segments removed, the fragment dropped. Nothing when `base` has no scheme.
[[nodiscard]] std::optional<std::wstring> ResolveReference(const std::wstring& base,
                                                           const std::wstring& reference);

// The URL the next attempt asks for: the resolved Location when it is an https URL with
// a host and without user information, made of printable ASCII only; nothing otherwise
// (an http Location included: the download never leaves TLS).
[[nodiscard]] std::optional<std::wstring> RedirectTarget(const std::wstring& current,
                                                         const std::wstring& location);

}  // namespace cumulo
