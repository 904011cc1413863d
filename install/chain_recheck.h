#pragma once
// The signature check runs offline first (the local cache only), so it never waits on the
// network. On a fresh Windows whose root store lacks the package's root (roots are fetched
// on demand) that check refuses a genuine package for a chain reason; then one more check
// with URL retrieval allowed, bounded in time, decides.
#include <cstdint>
#include <optional>
#include <string>

#include "install/journal_writer.h"
#include "install/package_trust.h"

namespace cumulo {

constexpr uint32_t kTrustUntrustedRoot = 0x800B0109;  // CERT_E_UNTRUSTEDROOT
constexpr uint32_t kTrustChaining = 0x800B010A;       // CERT_E_CHAINING: a partial chain
// How long the online check may take before the offline verdict stands.
constexpr uint32_t kOnlineChainCheckMs = 5000;

// Whether the offline verdict failed only for want of certificates the network may give.
bool NeedsOnlineChainCheck(uint32_t offlineStatus);

// The journal lines of the second check and of its time-out.
std::wstring OnlineChainCheckLine(uint32_t offlineStatus);
extern const wchar_t kOnlineChainCheckTimedOut[];

// The verdict that decides: the offline one, or after a chain failure the online one
// (`online()`, the check with URL retrieval: empty when it did not end within its bound)
// when it came in time. Journals the second check and a time-out.
template <typename OnlineCheck>
PackageSignature DecideWithOnlineChainCheck(const PackageSignature& offline, OnlineCheck online,
                                            const JournalWriter& journal) {
  if (!NeedsOnlineChainCheck(offline.status)) return offline;
  journal(OnlineChainCheckLine(offline.status), LogLevel::Info);
  const std::optional<PackageSignature> checked = online();
  if (!checked) {
    journal(kOnlineChainCheckTimedOut, LogLevel::Warning);
    return offline;
  }
  return *checked;
}

}  // namespace cumulo
