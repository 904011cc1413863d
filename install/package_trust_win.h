#pragma once
// The setup package's hold and its Authenticode check on Windows, for the setup runner
// and the Windows tests.
#include <windows.h>

#include <string>

#include "install/package_trust.h"
#include "win/unique_handle.h"

namespace cumulo {

// Opens the package so that nobody can write, rename or delete it while the handle lives;
// readers (the loader among them) may still open it. Invalid on failure, with the last
// error kept.
ScopedFile HoldPackage(const std::wstring& path);

// WinVerifyTrust's verdict on the held file, and its signer's names when it is valid.
PackageSignature ReadPackageSignature(HANDLE heldFile, const std::wstring& path);

}  // namespace cumulo
