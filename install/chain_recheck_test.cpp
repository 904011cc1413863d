#include "install/chain_recheck.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cumulo {

namespace {

TEST(ChainRecheck, Table) {
  const std::wstring checking = L"I Setup package chain incomplete offline: ";
  const std::wstring timedOut = L"W Setup package online check timed out.";
  const PackageSignature good{0, L"Aldervane", L""};
  struct Case {
    const char* name;
    uint32_t offline;
    std::optional<PackageSignature> online;
    bool onlineMade;
    uint32_t decided;
    std::vector<std::wstring> lines;
  };
  const std::vector<Case> cases = {
      {"offline good: no second check", 0, good, false, 0, {}},
      {"unsigned: no second check", 0x800B0100u, good, false, 0x800B0100u, {}},
      {"tampered: no second check", 0x80096010u, good, false, 0x80096010u, {}},
      {"revoked: no second check", 0x800B010Cu, good, false, 0x800B010Cu, {}},
      {"expired: no second check", 0x800B0101u, good, false, 0x800B0101u, {}},
      {"untrusted root, found online",
       0x800B0109u,
       good,
       true,
       0,
       {checking + L"0x800B0109, checking online."}},
      {"partial chain, completed online",
       0x800B010Au,
       good,
       true,
       0,
       {checking + L"0x800B010A, checking online."}},
      {"online refuses with its own code",
       0x800B0109u,
       PackageSignature{0x800B010Au, L"", L""},
       true,
       0x800B010Au,
       {checking + L"0x800B0109, checking online."}},
      {"online too slow: the offline refusal stands",
       0x800B0109u,
       std::nullopt,
       true,
       0x800B0109u,
       {checking + L"0x800B0109, checking online.", timedOut}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bool made = false;
    std::vector<std::wstring> lines;
    const PackageSignature decided = DecideWithOnlineChainCheck(
        {c.offline, L"Aldervane", L""},
        [&] {
          made = true;
          return c.online;
        },
        [&lines](const std::wstring& m, LogLevel level) {
          lines.push_back((level == LogLevel::Info ? L"I " : L"W ") + m);
        });
    EXPECT_EQ(decided.status, c.decided);
    EXPECT_EQ(made, c.onlineMade);
    EXPECT_EQ(lines, c.lines);
  }
}

// The online verdict decides the signer too, so the publisher rule reads what it found.
TEST(ChainRecheck, OnlineSignerIsTheOneJudged) {
  const PackageSignature decided = DecideWithOnlineChainCheck(
      {0x800B0109u, L"", L""},
      [] {
        return std::optional<PackageSignature>({0, L"Other", L""});
      },
      [](const std::wstring&, LogLevel) {});
  EXPECT_EQ(PackageTrustCode(decided, L"Aldervane"), kTrustSubjectNotTrusted);
}

}  // namespace

}  // namespace cumulo
