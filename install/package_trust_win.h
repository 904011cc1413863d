#pragma once
// The setup package's hold and its Authenticode check on Windows, for the setup runner
// and the Windows tests.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "install/journal_writer.h"

#include "install/package_trust.h"
#include "win/unique_handle.h"

namespace cumulo {

// Opens the package so that nobody can write, rename or delete it while the handle lives;
// readers (the loader among them) may still open it. Invalid on failure, with the last
// error kept.
ScopedFile HoldPackage(const std::wstring& path);

// Where WinVerifyTrust may look for the certificates of the chain.
enum class ChainSource { CacheOnly, Network };

// WinVerifyTrust's verdict on the held file, and its signer's names when it is valid.
// A null `heldFile` makes WinVerifyTrust open the path itself.
PackageSignature ReadPackageSignature(HANDLE heldFile, const std::wstring& path,
                                      ChainSource source = ChainSource::CacheOnly);

// The same check with URL retrieval allowed, on a thread of its own, waited for at most
// `timeoutMs`: empty when it has not ended by then (the thread then ends on its own and
// its result is dropped). Call it while the file is held, so that it reads the held bytes.
std::optional<PackageSignature> ReadPackageSignatureOnline(const std::wstring& path,
                                                           uint32_t timeoutMs);

// The offline check: ReadPackageSignature unless a test gives another (wine completes any
// chain offline, so only a stand-in verdict can send it down the online road).
using OfflineSignatureCheck = PackageSignature (*)(HANDLE heldFile, const std::wstring& path);

// The offline check, and after a chain failure the bounded online one; the lines go to
// `journal`.
PackageSignature CheckPackageSignature(HANDLE heldFile, const std::wstring& path,
                                       const JournalWriter& journal,
                                       OfflineSignatureCheck offline = nullptr);

// RunSetupProcess with the given offline check.
struct SetupParams;
struct SetupAttempt;
SetupAttempt RunSetupProcessWith(const SetupParams& params, const std::wstring& parameters,
                                 bool show, OfflineSignatureCheck offline);

// The hold, waiting out another program's passing lock (a scanner's) for a bounded time.
ScopedFile HoldPackageWaitingOutLocks(const std::wstring& path, const JournalWriter& journal);

}  // namespace cumulo
