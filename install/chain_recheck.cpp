#include "install/chain_recheck.h"

#include "base/wide_text.h"

namespace cumulo {

bool NeedsOnlineChainCheck(uint32_t offlineStatus) {
  return offlineStatus == kTrustUntrustedRoot || offlineStatus == kTrustChaining;
}

PackageSignature DecideWithOnlineChainCheck(const PackageSignature& offline,
                                            const OnlineSignatureCheck& online,
                                            const JournalWriter& journal) {
  if (!NeedsOnlineChainCheck(offline.status) || !online) return offline;
  journal(L"Setup package chain incomplete offline: " + HexCodeW(offline.status) +
              L", checking online.",
          LogLevel::Info);
  const std::optional<PackageSignature> checked = online();
  if (!checked) {
    journal(L"Setup package online check timed out.", LogLevel::Warning);
    return offline;
  }
  return *checked;
}

}  // namespace cumulo
