#pragma once
// A virus scanner may open a freshly downloaded package without sharing at the moment the
// installer takes its hold. Such a lock passes within seconds, so it is waited out, for a
// bounded time, before the start counts as failed.
#include <cstdint>
#include <functional>

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

struct HoldWaitOps {
  std::function<HoldTry()> tryHold;
  std::function<uint64_t()> nowMs;  // a monotonic clock
  std::function<void(uint32_t milliseconds)> sleep;
};

// Tries until the hold is taken, the failure is not a passing lock, or the bound has
// passed; one journal line at each wait. The last try's result.
HoldTry HoldWaitingOutLocks(const HoldWaitOps& ops, const JournalWriter& journal);

}  // namespace cumulo
