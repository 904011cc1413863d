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

std::wstring HoldWaitLine(uint32_t error) {
  return L"Setup package is in use by another program, waiting: " + UnsignedDecimalW(error) + L".";
}

}  // namespace cumulo
