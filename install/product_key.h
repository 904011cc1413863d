#pragma once
// The product's per-user registry key under HKEY_CURRENT_USER: the setup package writes
// InstallPath there, the installer keeps its identifier and attribution values there.

namespace cumulo {

inline constexpr wchar_t kProductKeyPath[] = L"Software\\Aldervane\\Aldervane_Cumulo";

}  // namespace cumulo
