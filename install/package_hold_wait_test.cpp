#include "install/package_hold_wait.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cumulo {

namespace {

// The lock's owner as a script: each try's answer in turn, the last one repeated.
struct FakeHold {
  std::vector<HoldTry> answers;
  uint64_t clockMs = 0;
  uint64_t sleepOverrunMs = 0;  // how much longer each sleep takes than asked
  int tries = 0;
  std::vector<std::wstring> lines;

  HoldTry Run() {
    return HoldWaitingOutLocks(
        [this] {
          const size_t i = static_cast<size_t>(tries++);
          return answers[i < answers.size() ? i : answers.size() - 1];
        },
        [this] { return clockMs; }, [this](uint32_t ms) { clockMs += ms + sleepOverrunMs; },
        [this](const std::wstring& m, LogLevel level) {
          lines.push_back((level == LogLevel::Warning ? L"W " : L"? ") + m);
        });
  }
};

const HoldTry kHeld{true, 0, true};
const HoldTry kShared{false, 32, true};
const HoldTry kDenied{false, 5, true};
const HoldTry kDeniedFolder{false, 5, false};
const HoldTry kMissing{false, 2, false};

TEST(PackageHoldWait, PassingLockRule) {
  const struct {
    HoldTry attempt;
    bool passing;
  } cases[] = {
      {kHeld, false},
      {kShared, true},
      {{false, 32, false}, true},  // a sharing violation means somebody has it open
      {kDenied, true},
      {kDeniedFolder, false},
      {kMissing, false},
      {{false, 3, false}, false},
      {{false, 33, true}, false},  // a lock violation is about byte ranges, not the open
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsPassingLock(c.attempt), c.passing)
        << c.attempt.error << " " << c.attempt.fileExists;
  }
}

TEST(PackageHoldWait, Table) {
  const std::wstring wait32 = L"W Setup package is in use by another program, waiting: 32.";
  const std::wstring wait5 = L"W Setup package is in use by another program, waiting: 5.";
  struct Case {
    const char* name;
    std::vector<HoldTry> answers;
    uint64_t sleepOverrunMs;
    bool held;
    uint32_t error;
    int tries;
    uint64_t clockMs;
    size_t waits;
  };
  const Case cases[] = {
      {"held at once", {kHeld}, 0, true, 0, 1, 0, 0},
      {"missing: no wait", {kMissing}, 0, false, 2, 1, 0, 0},
      {"a folder: no wait", {kDeniedFolder}, 0, false, 5, 1, 0, 0},
      {"a three-second scan",
       {kShared, kShared, kShared, kShared, kShared, kShared, kHeld},
       0,
       true,
       0,
       7,
       3000,
       6},
      {"access denied while scanned", {kDenied, kDenied, kHeld}, 0, true, 0, 3, 1000, 2},
      {"the lock becomes something else", {kShared, kMissing}, 0, false, 2, 2, 500, 1},
      // 20 pauses of 500 ms reach the bound; the try after the last pause is the last one.
      {"a lock longer than the bound", {kShared}, 0, false, 32, 21, 10000, 20},
      // Slow sleeps: the clock, not the count of pauses, ends the wait.
      {"slow sleeps", {kShared}, 1500, false, 32, 6, 10000, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHold fake;
    fake.answers = c.answers;
    fake.sleepOverrunMs = c.sleepOverrunMs;
    const HoldTry last = fake.Run();
    EXPECT_EQ(last.held, c.held);
    EXPECT_EQ(last.error, c.error);
    EXPECT_EQ(fake.tries, c.tries);
    EXPECT_EQ(fake.clockMs, c.clockMs);
    ASSERT_EQ(fake.lines.size(), c.waits);
    for (const auto& line : fake.lines) {
      EXPECT_EQ(line, c.answers[0].error == 5 ? wait5 : wait32);
    }
  }
}

}  // namespace

}  // namespace cumulo
