#pragma once
// A virus scanner may open a freshly downloaded package without sharing at the moment the
// installer takes its hold. Such a lock passes within seconds, so it is waited out, for a
// bounded time, before the start counts as failed.
#include <cstdint>
#include <string>

#include "install/journal_writer.h"

namespace cumulo {

constexpr uint32_t kHoldWaitBoundMs = 10000;
constexpr uint32_t kHoldWaitPauseMs = 500;

// One try to take the hold.
struct HoldTry {
  bool held = false;
  uint32_t error = 0;       // the last error when not held
  bool fileExists = false;  // a file (not a folder) is at the path
};

// A sharing violation, or access denied to a file that is there: another program has it
// open for now. A missing file or a folder at the path does not pass.
bool IsPassingLock(const HoldTry& attempt);

// The journal line of one wait.
std::wstring HoldWaitLine(uint32_t error);

// Tries (`tryHold()`) until the hold is taken, the failure is not a passing lock, or the
// bound has passed by the monotonic `nowMs()`, pausing with `sleep(ms)`; one journal line
// at each wait. The last try's result.
template <typename TryHold, typename NowMs, typename SleepMs>
HoldTry HoldWaitingOutLocks(TryHold tryHold, NowMs nowMs, SleepMs sleep,
                            const JournalWriter& journal) {
  const uint64_t start = nowMs();
  HoldTry attempt = tryHold();
  while (IsPassingLock(attempt)) {
    const uint64_t waited = nowMs() - start;
    if (waited >= kHoldWaitBoundMs) break;
    const uint64_t left = kHoldWaitBoundMs - waited;
    journal(HoldWaitLine(attempt.error), LogLevel::Warning);
    sleep(static_cast<uint32_t>(left < kHoldWaitPauseMs ? left : kHoldWaitPauseMs));
    attempt = tryHold();
  }
  return attempt;
}

}  // namespace cumulo
