#include "install/chain_recheck.h"

#include "base/wide_text.h"

namespace cumulo {

bool NeedsOnlineChainCheck(uint32_t offlineStatus) {
  return offlineStatus == kTrustUntrustedRoot || offlineStatus == kTrustChaining;
}

std::wstring OnlineChainCheckLine(uint32_t offlineStatus) {
  return L"Setup package chain incomplete offline: " + HexCodeW(offlineStatus) +
         L", checking online.";
}

const wchar_t kOnlineChainCheckTimedOut[] = L"Setup package online check timed out.";

}  // namespace cumulo
