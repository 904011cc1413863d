#include "install/package_hold_wait.h"

#include "base/wide_text.h"

namespace cumulo {

namespace {
constexpr uint32_t kAccessDenied = 5;       // ERROR_ACCESS_DENIED
constexpr uint32_t kSharingViolation = 32;  // ERROR_SHARING_VIOLATION
}  // namespace

bool IsPassingLock(const HoldTry& attempt) {
  if (attempt.held) return false;
  if (attempt.error == kSharingViolation) return true;
  return attempt.error == kAccessDenied && attempt.fileExists;
}

HoldTry HoldWaitingOutLocks(const HoldWaitOps& ops, const JournalWriter& journal) {
  const uint64_t start = ops.nowMs();
  HoldTry attempt = ops.tryHold();
  while (IsPassingLock(attempt)) {
    const uint64_t waited = ops.nowMs() - start;
    if (waited >= kHoldWaitBoundMs) break;
    const uint64_t left = kHoldWaitBoundMs - waited;
    journal(L"Setup package is in use by another program, waiting: " +
                UnsignedDecimalW(attempt.error) + L".",
            LogLevel::Warning);
    ops.sleep(static_cast<uint32_t>(left < kHoldWaitPauseMs ? left : kHoldWaitPauseMs));
    attempt = ops.tryHold();
  }
  return attempt;
}

}  // namespace cumulo
